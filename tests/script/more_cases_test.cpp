// Cases that cross the compiler and the interpreter: includes seen by the compiler, strings
// and SELECT blocks left by RETURN and EXIT, small stacks, writable buffers, stored images
// of another version, and the runner's handling of them.
#include <gtest/gtest.h>

#include <cstdlib>

#include "script/image.h"
#include "script_test_support.h"

namespace norv::script {
namespace {

using testing::RunText;
using testing::ShowProgram;

TEST(ScriptMoreCases, IncludesAsTheCompilerSeesThem) {
    testing::ScratchDir dir;
    dir.Write("lib.inc",
              "FUNCTION Twice(n)\nRETURN n * 2\nEND FUNCTION\nFUNCTION Bad()\nRETURN \"s\" + "
              "1\nEND FUNCTION\n");
    dir.Write("ok.inc", "FUNCTION Twice(n)\nRETURN n * 2\nEND FUNCTION\n");
    const std::string good = dir.Write(
        "good.NRS",
        "#include \"ok.inc\"\n#include \"good.NRS\"\nMAIN\nMSGBOX(STR(Twice(21)))\nEND MAIN\n");
    CompileResult r = CompileFile(platform::RealFileSystem(), good);
    ASSERT_TRUE(r.image) << (r.error ? std::string(r.error->text()) : "");
    // An error inside an included file names that file and its line.
    const std::string bad = dir.Write("bad.NRS", "' x\n#include \"lib.inc\"\nMAIN\nEND MAIN\n");
    r = CompileFile(platform::RealFileSystem(), bad);
    ASSERT_TRUE(r.error);
    EXPECT_EQ(r.error->file, dir.path() + "/lib.inc");
    EXPECT_EQ(r.error->line, 5);
    EXPECT_EQ(r.error->text(), "Cannot carry out an operation between different type.");
    // A missing include: at the directive's line of the includer.
    const std::string missing = dir.Write("missing.NRS", "MAIN\nEND MAIN\n#include \"nope.inc\"\n");
    r = CompileFile(platform::RealFileSystem(), missing);
    ASSERT_TRUE(r.error);
    EXPECT_EQ(r.error->text(), "File not found");
    EXPECT_EQ(r.error->line, 3);
    EXPECT_EQ(r.error->file, missing);
    // A device that never ends, and a folder, are no sources.
    for (const char* name : {"/dev/zero", "/tmp"}) {
        const std::string dev =
            dir.Write("dev.NRS", std::string("MAIN\nEND MAIN\n#include \"") + name + "\"\n");
        r = CompileFile(platform::RealFileSystem(), dev);
        ASSERT_TRUE(r.error) << name;
        EXPECT_EQ(r.error->text(), "File not found") << name;
    }
}

TEST(ScriptMoreCases, ReturnAndExitInsideBlocksKeepTheStackBalanced) {
    static const struct {
        const char* decls;
        const char* body;
        std::vector<std::string> want;
    } kCases[] = {
        {"FUNCTION K$(n)\nSELECT CASE n\nCASE 1\nRETURN \"one\"\nCASE ELSE\nRETURN \"other\"\nEND "
         "SELECT\nEND FUNCTION",
         "DIM i, s$\nFOR i = 1 TO 3000\ns = K(i MOD 2)\nNEXT\nMSGBOX(s)",
         {"other"}},
        {"",
         "DIM i, j, n\nFOR i = 1 TO 3000\nFOR j = 1 TO 5\nSELECT CASE j\nCASE 2\nSELECT CASE "
         "\"x\"\nCASE \"x\"\nEXIT\nEND SELECT\nEND SELECT\nn = n + 1\nNEXT\nNEXT\nMSGBOX(STR(n))",
         {"3000"}},
        {"SUB Early(n)\nIF n > 0 THEN EXIT\nMSGBOX(\"zero\")\nEND SUB",
         "Early(1)\nEarly(0)",
         {"zero"}},
    };
    for (const auto& c : kCases) {
        const auto out = RunText(ShowProgram(std::string("OPTION Stack 512\n") + c.decls, c.body));
        ASSERT_TRUE(out.compiled) << c.body << out.error.text();
        EXPECT_EQ(out.result, RunResult::kHalted) << c.body;
        EXPECT_EQ(out.messages, c.want) << c.body;
    }
}

TEST(ScriptMoreCases, AllocBuffersAreZeroedAndWritableWithinTheirSize) {
    const auto out = RunText(ShowProgram(
        "",
        "DIM b$\nb = ALLOC(3)\nMSGBOX(STR(LEN(b)) + STR(LODB(b, 12)))\n"
        "STOB(b, 0, 72)\nSTOB(b, 1, &H6968)\nMSGBOX(b)\nSTOB(b, 12, 1)\nSTOB(b, 1000, 1)"));
    EXPECT_EQ(out.result, RunResult::kFault);
    ASSERT_EQ(out.messages.size(), 3u);
    EXPECT_EQ(out.messages[0], "00");
    EXPECT_EQ(out.messages[1], "Hhi");
}

TEST(ScriptMoreCases, StringsBeyondTheHeapLimitStopTheScript) {
    const auto out = RunText(ShowProgram("",
                                         "DIM s$\ns = SPACE(100000)\nMSGBOX(STR(LEN(s)))\ns = "
                                         "SPACE(100000000)\nMSGBOX(\"not reached\")"));
    EXPECT_EQ(out.result, RunResult::kFault);
    EXPECT_EQ(out.messages,
              (std::vector<std::string>{"100000", "Out of memory for script strings."}));
}

TEST(ScriptMoreCases, ThrowAwayReleasesOnlyHeapStrings) {
    const auto out =
        RunText(ShowProgram("",
                            "DIM s$\ns = \"lit\"\nTHROWAWAY(s)\nTHROWAWAY(\"x\")\nMSGBOX(s)\ns = s "
                            "+ \"!\"\nMSGBOX(s)"));
    EXPECT_EQ(out.messages, (std::vector<std::string>{"lit", "lit!"}));
    EXPECT_EQ(out.liveStringsAfter, 0u);
}

TEST(ScriptMoreCases, StoredImageOfAnotherVersionIsNotRun) {
    auto r = testing::CompileText(ShowProgram("", "MSGBOX(\"x\")"));
    ASSERT_TRUE(r.image);
    std::string old = *r.image;
    WriteLe32(reinterpret_cast<uint8_t*>(old.data() + kVersionOffset), kImageVersion - 1);
    platform::HeadlessUi ui;
    testing::TestHost host(ui);
    ImageStatus status = ImageStatus::kOk;
    EXPECT_EQ(Runtime::Load(old, host, {}, &status), nullptr);
    EXPECT_EQ(status, ImageStatus::kOtherVersion);
}

TEST(ScriptMoreCases, RunnerRecompilesAStaleImageFromItsSource) {
    testing::ScratchDir dir;
    dir.Write("p.NRS", "MAIN\nMSGBOX(\"fresh\")\nEND MAIN\n");
    dir.Write("p.NRX", "Norv but not an image");
    dir.Write("q.NRX", "Norv but not an image");
    const std::string run = "cd '" + dir.path() + "' && NORV_ACP=932 '" NORV_SCRIPT_RUNNER "' ";
    EXPECT_EQ(std::system((run + "p.NRX > out.txt 2>&1").c_str()), 0);
    EXPECT_NE(std::system((run + "q.NRX > /dev/null 2>&1").c_str()), 0);
    std::string text;
    platform::ReadWholeFile(platform::RealFileSystem(), dir.path() + "/out.txt", text);
    EXPECT_EQ(text, "fresh\n");
}

}  // namespace
}  // namespace norv::script
