// The built-in dispatcher remembers which family takes an id: calls made again and again must
// give what the first call gave, editor built-ins must reach the host every time (a host that
// declines leaves the result register alone every time), and Ctrl+Break must still stop a
// loop that does nothing but call built-ins.
#include <gtest/gtest.h>

#include "script/name_tables.h"
#include "script_test_support.h"

namespace norv::script {
namespace {

using testing::TestHost;

// Takes ISMODIFIED (answering with the number of calls so far) and declines the rest.
class CountingHost : public TestHost {
  public:
    using TestHost::TestHost;
    int calls = 0;
    int declined = 0;
    bool CallEditorBuiltin(int id, const uint32_t* args, Runtime& rt) override {
        (void)args;
        if (id != BuiltinId("ISMODIFIED")) {
            ++declined;
            return false;
        }
        rt.SetResult(static_cast<uint32_t>(++calls));
        return true;
    }
};

struct Outcome {
    RunResult result = RunResult::kFault;
    std::vector<std::string> messages;
    int calls = 0;
    int declined = 0;
};

Outcome RunCounting(const std::string& source, int breakAtPoll = 0) {
    platform::SetSystemCodePage(932);
    Outcome out;
    CompileResult r = testing::CompileText(source);
    EXPECT_TRUE(r.image) << (r.error ? std::string(r.error->text()) : std::string());
    if (!r.image) return out;
    platform::HeadlessUi ui;
    CountingHost host(ui);
    host.breakAtPoll = breakAtPoll;
    auto rt = Runtime::Load(std::move(*r.image), host, testing::SmallHeap());
    if (!rt) return out;
    out.result = rt->Run();
    out.messages = ui.messages;
    out.calls = host.calls;
    out.declined = host.declined;
    return out;
}

TEST(ScriptBuiltinDispatch, RepeatedCallsReachTheSameFamily) {
    // Interpreter families (ABS, LEN, STR, MID) and the host's (ISMODIFIED) interleaved; a
    // declined editor built-in (GETTOPLINE) leaves the previous call's result each time.
    const Outcome out = RunCounting(R"(
MAIN
  DIM i, s, t, u, w, left
  FOR i = 1 TO 3000
    s = s + ISMODIFIED(0)
    t = t + ABS(0 - i)
    u = u + LEN(MID("abcdef", 1, 1 + i MOD 6))
    ABS(i)
    IF GETTOPLINE() <> i THEN left = left + 1
  NEXT
  MSGBOX(STR(s) + "," + STR(t) + "," + STR(u) + "," + STR(left))
END MAIN
)");
    EXPECT_EQ(out.result, RunResult::kHalted);
    int u = 0;
    for (int i = 1; i <= 3000; ++i) u += 1 + i % 6;
    ASSERT_EQ(out.messages.size(), 1u);
    EXPECT_EQ(out.messages[0], "4501500,4501500," + std::to_string(u) + ",0");
    EXPECT_EQ(out.calls, 3000);
    EXPECT_EQ(out.declined, 3000);
}

TEST(ScriptBuiltinDispatch, BreakStopsALoopOfCheapCalls) {
    const Outcome out = RunCounting(R"(
MAIN
  DIM i, s
  FOR i = 1 TO 100000000
    s = s + ISMODIFIED(0)
  NEXT
  MSGBOX("ran to the end")
END MAIN
)",
                                    3);
    EXPECT_EQ(out.result, RunResult::kInterrupted);
    EXPECT_TRUE(out.messages.empty());
    EXPECT_GT(out.calls, 0);
    EXPECT_LT(out.calls, 100000000);
}

}  // namespace
}  // namespace norv::script
