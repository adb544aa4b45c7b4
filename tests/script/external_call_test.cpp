// Routines of shared libraries called from scripts: libc and the test library's routines with
// the values the script sees, the failure messages with a balanced stack, the guard after a
// buffer, and how a library is found (beside the program, in ../lib/norv/, by the system).
#include "script/external_call.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "script_test_support.h"

namespace norv::script {
namespace {

namespace fs = std::filesystem;

const std::string kLib = NORV_SCRIPT_TESTLIB;

std::string Declarations() {
    const std::string lib = "Lib \"" + kLib + "\"";
    return "DECLARE FUNCTION strlen Lib \"libc.so.6\" (s)\n"
           "DECLARE FUNCTION abs Lib \"libc.so.6\" (v)\n"
           "DECLARE FUNCTION labs Lib \"libc.so.6\" (v)\n"
           "DECLARE FUNCTION getenv$ Lib \"libc.so.6\" (name)\n"
           "DECLARE FUNCTION strcpy Lib \"libc.so.6\" (d, s)\n"
           "DECLARE FUNCTION sprintf Lib \"libc.so.6\" (buf, fmt, ..)\n"
           "DECLARE FUNCTION snprintf Lib \"libc.so.6\" (buf, n, fmt, ..)\n"
           "DECLARE FUNCTION Negate " +
           lib +
           " Alias \"nt_negate\" (v)\n"
           "DECLARE FUNCTION nt_add " +
           lib +
           " (a, b)\n"
           "DECLARE FUNCTION nt_length " +
           lib +
           " (s)\n"
           "DECLARE FUNCTION nt_upper " +
           lib +
           " (s)\n"
           "DECLARE FUNCTION nt_fill " +
           lib +
           " (buf, n, c)\n"
           "DECLARE FUNCTION nt_sum " +
           lib +
           " (count, ..)\n"
           "DECLARE FUNCTION nt_join " +
           lib +
           " (out, count, ..)\n"
           "DECLARE FUNCTION nt_greeting " +
           lib +
           " () AS STRING\n"
           "DECLARE FUNCTION nt_null$ " +
           lib +
           " ()\n"
           "DECLARE FUNCTION nt_sixteen " +
           lib +
           " (a, b, c, d, e, f, g, h, i, j, k, l, m, n, o, p)\n"
           "DECLARE SUB nt_overrun " +
           lib + " (buf, n)\n";
}

testing::RunOutcome RunWithDeclarations(const std::string& body) {
    return testing::RunText(Declarations() + "MAIN\n" + body + "\nEND MAIN\n");
}

TEST(ScriptExternalCalls, ValuesAsTheScriptSeesThem) {
    setenv("NORV_EXTERNAL_TEST", "from the environment", 1);
    static const struct {
        const char* body;
        std::vector<std::string> messages;
    } kCases[] = {
        // libc
        {"MSGBOX(STR(strlen(\"hello\")))", {"5"}},
        {"MSGBOX(STR(abs(-42)) + \" \" + STR(abs(0)) + \" \" + STR(abs(&H7FFFFFFF)))",
         {"42 0 2147483647"}},
        {"MSGBOX(STR(labs(-7)))", {"7"}},
        {"MSGBOX(getenv(\"NORV_EXTERNAL_TEST\"))", {"from the environment"}},
        {"MSGBOX(\"[\" + getenv(\"NORV_NO_SUCH_VARIABLE_HERE\") + \"]\")", {"[]"}},
        {"DIM b$\nb = ALLOC(32)\nstrcpy(b, \"copied\")\nMSGBOX(b + STR(LEN(b)))", {"copied6"}},
        {"DIM b$\nb = SPACE(40)\nsprintf(b, \"%d-%s-%d\", -3, \"x\", 77)\nMSGBOX(b + "
         "STR(LEN(b)))",
         {"-3-x-777"}},
        {"DIM b$, n\nb = SPACE(10)\nn = snprintf(b, 6, \"%s\", \"truncated\")\nMSGBOX(b + "
         "STR(LEN(b)) + STR(n))",
         {"trunc59"}},
        // The test library
        {"MSGBOX(STR(Negate(-5)) + STR(Negate(7)))", {"5-7"}},
        {"MSGBOX(STR(nt_add(-2000000000, 1)) + \" \" + STR(nt_add(-1, -1)))", {"-1999999999 -2"}},
        {"MSGBOX(STR(nt_length(\"\")) + STR(nt_length(\"\x82\xa0x\")))", {"03"}},
        {"DIM s$, n\ns = \"abc\" + \"De\"\nn = nt_upper(s)\nMSGBOX(s + STR(n))", {"ABCDE4"}},
        {"DIM b$\nb = ALLOC(20)\nMSGBOX(STR(nt_fill(b, 12, 65)) + b + STR(LEN(b)))",
         {"12AAAAAAAAAAAA12"}},
        {"MSGBOX(STR(nt_sum(0)) + STR(nt_sum(3, 1, -2, 40)))", {"039"}},
        {"DIM b$\nb = ALLOC(64)\nnt_join(b, 3, \"one\", \"+\", \"two\")\nMSGBOX(b)", {"one+two"}},
        {"MSGBOX(nt_greeting())", {"hello from the test library"}},
        {"MSGBOX(\"[\" + nt_null() + \"]\")", {"[]"}},
        {"MSGBOX(STR(nt_sixteen(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, -16)))",
         {"984"}},
        // An array named without an index is passed as a copy of its whole storage.
        {"DIM a(4), n\nn = nt_fill(a, 7, 1)\nMSGBOX(STR(a(1)) + \" \" + STR(a(2)) + \" \" + "
         "STR(a(3)))",
         {"16843009 65793 0"}},
    };
    for (const auto& c : kCases) {
        const testing::RunOutcome out = RunWithDeclarations(c.body);
        ASSERT_TRUE(out.compiled) << c.body << ": " << out.error.text();
        EXPECT_EQ(out.result, RunResult::kHalted) << c.body;
        EXPECT_EQ(out.messages, c.messages) << c.body;
    }
}

TEST(ScriptExternalCalls, FailuresReportTheNameAndKeepTheStack) {
    const testing::RunOutcome out = testing::RunText(
        "DECLARE FUNCTION Tick Lib \"kernel32\" Alias \"GetTickCount\" ()\n"
        "DECLARE FUNCTION Missing Lib \"libc.so.6\" Alias \"norv_no_such_routine\" (a, b)\n"
        "MAIN\nDIM i, n\nn = Tick() + Missing(1, 2)\nMSGBOX(STR(n))\n"
        "FOR i = 1 TO 100000\nn = n + Missing(i, \"x\") + Tick()\nNEXT\nMSGBOX(STR(n))\n"
        "END MAIN\n");
    ASSERT_TRUE(out.compiled);
    EXPECT_EQ(out.result, RunResult::kHalted);
    ASSERT_EQ(out.messages.size(), 3u + 200000u + 1u);
    EXPECT_EQ(out.messages[0], "Module 'kernel32' is not found.");
    EXPECT_EQ(out.messages[1], "Function 'norv_no_such_routine' is not found.");
    EXPECT_EQ(out.messages[2], "0");
    EXPECT_EQ(out.messages.back(), "0");
}

TEST(ScriptExternalCalls, AnUnassignedStringPassesEmpty) {
    // A String never assigned is the empty string, not an unreadable one.
    const testing::RunOutcome out = RunWithDeclarations("DIM s$\nMSGBOX(STR(nt_length(s)))\n");
    EXPECT_EQ(out.messages, (std::vector<std::string>{"0"}));
}

TEST(ScriptExternalCalls, WritingPastTheBufferStopsTheScript) {
    // A literal's extent is its bytes and its NUL. Writing 8 bytes beyond them stays inside
    // the guard after the host copy, and the script stops before they could reach its memory.
    const testing::RunOutcome out = RunWithDeclarations(
        "nt_overrun(\"abcd\", 5)\nMSGBOX(\"fits\")\nnt_overrun(\"efgh\", "
        "14)\nMSGBOX(\"not reached\")");
    EXPECT_EQ(out.result, RunResult::kFault);
    EXPECT_EQ(out.messages, (std::vector<std::string>{
                                "fits", "An external routine wrote past the end of a string."}));
}

TEST(ScriptExternalCalls, CallShapeText) {
    const CallShape s = ParseCallShape("#S2+:I,S,A48,I", 4);
    EXPECT_EQ(s.result, 'S');
    EXPECT_TRUE(s.variadic);
    EXPECT_EQ(s.fixed, 2u);
    EXPECT_EQ(s.args,
              (std::vector<CallShape::Arg>{CallShape::Arg::kInteger, CallShape::Arg::kString,
                                           CallShape::Arg::kArray, CallShape::Arg::kInteger}));
    EXPECT_EQ(s.arrayBytes[2], 48u);
    // No shape, a short one, a fixed count beyond the arguments.
    const CallShape plain = ParseCallShape("", 3);
    EXPECT_EQ(plain.result, 'I');
    EXPECT_EQ(plain.fixed, 3u);
    EXPECT_EQ(plain.args.size(), 3u);
    const CallShape few = ParseCallShape("#V9+:S", 2);
    EXPECT_EQ(few.fixed, 2u);
    EXPECT_EQ(few.args[1], CallShape::Arg::kInteger);
}

// The runner copied into a temporary tree, with libraries beside it and in ../lib/norv/.
class LibraryLookup : public ::testing::Test {
  protected:
    void SetUp() override {
        root_ = fs::path(scratch_.path());
        fs::create_directories(root_ / "bin");
        fs::create_directories(root_ / "lib/norv");
        fs::create_directories(root_ / "sys");
        fs::copy_file(NORV_SCRIPT_RUNNER, root_ / "bin/norvscript");
        fs::permissions(root_ / "bin/norvscript", fs::perms::owner_all, fs::perm_options::add);
    }
    std::string RunScript(const std::string& lib) {
        const std::string script =
            scratch_.Write("w.NRS", "DECLARE FUNCTION nt_where Lib \"" + lib +
                                        "\" ()\nMAIN\nMSGBOX(STR(nt_where()))\nEND MAIN\n");
        const std::string cmd = "LD_LIBRARY_PATH='" + (root_ / "sys").string() + "' '" +
                                (root_ / "bin/norvscript").string() + "' '" + script + "' 2>&1";
        std::string out;
        if (FILE* p = popen(cmd.c_str(), "r")) {
            char buf[512];
            size_t n;
            while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
            pclose(p);
        }
        return out;
    }
    testing::ScratchDir scratch_;
    fs::path root_;
};

TEST_F(LibraryLookup, BesideTheProgramThenLibNorvThenTheSystem) {
    fs::copy_file(NORV_SCRIPT_TESTLIB, root_ / "bin/libnearby.so");
    fs::copy_file(NORV_SCRIPT_TESTLIB2, root_ / "lib/norv/libinstalled.so");
    fs::copy_file(NORV_SCRIPT_TESTLIB2, root_ / "lib/norv/exact.so");
    EXPECT_EQ(RunScript("nearby"), "1\n");
    EXPECT_EQ(RunScript("installed"), "2\n");
    EXPECT_EQ(RunScript("exact.so"), "2\n");  // the name as given comes first
    // The same name beside the program and in lib/norv: the program's folder wins.
    fs::copy_file(NORV_SCRIPT_TESTLIB2, root_ / "lib/norv/libnearby.so");
    EXPECT_EQ(RunScript("nearby"), "1\n");
    fs::remove(root_ / "bin/libnearby.so");
    EXPECT_EQ(RunScript("nearby"), "2\n");
    // Only on the system's search path.
    fs::copy_file(NORV_SCRIPT_TESTLIB, root_ / "sys/libsystemwide.so");
    EXPECT_EQ(RunScript("systemwide"), "1\n");
    EXPECT_EQ(RunScript("kernel32"), "Module 'kernel32' is not found.\n0\n");
}

}  // namespace
}  // namespace norv::script
