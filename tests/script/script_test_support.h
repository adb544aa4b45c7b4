// Helpers of the script tests: compile a source text (with optional extra files in a scratch
// folder), run it with a headless user interface, and collect what it showed.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "platform/code_page.h"
#include "platform/fakes/headless_ui.h"
#include "platform/file_system.h"
#include "script/compiler.h"
#include "script/interpreter.h"
#include "script/script_host.h"

namespace norv::script::testing {

// A scratch folder removed at the end of the test.
class ScratchDir {
  public:
    ScratchDir() {
        char tmpl[] = "/tmp/norv-script-XXXXXX";
        path_ = mkdtemp(tmpl);
    }
    ~ScratchDir() { std::filesystem::remove_all(path_); }
    std::string Write(const std::string& name, const std::string& text) const {
        const std::string p = path_ + "/" + name;
        std::ofstream(p, std::ios::binary) << text;
        return p;
    }
    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

class TestHost : public ScriptHost {
  public:
    explicit TestHost(platform::HeadlessUi& ui) : ScriptHost(ui, platform::RealFileSystem()) {}
    // Break is reported as pressed at the n-th poll (0: never).
    int breakAtPoll = 0;
    int polls = 0;
    bool BreakPressed() override { return breakAtPoll != 0 && ++polls >= breakAtPoll; }
    void Wait(int32_t) override {}
};

struct RunOutcome {
    bool compiled = false;
    CompileError error;
    RunResult result = RunResult::kHalted;
    std::vector<std::string> messages;
    size_t liveStringsAfter = 0;
};

inline CompileResult CompileText(const std::string& source,
                                 const std::string& path = "/tmp/t.NRS") {
    return CompileSource(platform::RealFileSystem(), path, source);
}

inline RuntimeLimits SmallHeap() {
    RuntimeLimits limits;
    limits.heapLimit = 16u << 20;
    return limits;
}

inline RunOutcome RunText(const std::string& source, int breakAtPoll = 0,
                          RuntimeLimits limits = SmallHeap()) {
    platform::SetSystemCodePage(932);
    RunOutcome out;
    CompileResult r = CompileText(source);
    if (!r.image) {
        if (r.error) out.error = *r.error;
        return out;
    }
    out.compiled = true;
    platform::HeadlessUi ui;
    TestHost host(ui);
    host.breakAtPoll = breakAtPoll;
    auto rt = Runtime::Load(std::move(*r.image), host, limits);
    if (!rt) return out;
    out.result = rt->Run();
    out.messages = ui.messages;
    out.liveStringsAfter = rt->liveStrings();
    return out;
}

// Wraps statements in a Main that shows `expr` with MSGBOX.
inline std::string ShowProgram(const std::string& decls, const std::string& body) {
    return decls + "\nMAIN\n" + body + "\nEND MAIN\n";
}

}  // namespace norv::script::testing
