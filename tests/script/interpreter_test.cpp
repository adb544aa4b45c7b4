// The interpreter: what scripts show when they run, the stack and break rules, string
// ownership, and the run-time checks that stop a script with a message.
#include <gtest/gtest.h>

#include "script/image.h"
#include "script/opcodes.h"
#include "script_test_support.h"

namespace norv::script {
namespace {

using testing::RunText;
using testing::ShowProgram;

std::vector<std::string> Show(const std::string& decls, const std::string& body) {
    const auto out = RunText(ShowProgram(decls, body));
    EXPECT_TRUE(out.compiled) << out.error.text() << " line " << out.error.line << "\n" << body;
    return out.messages;
}

TEST(ScriptInterpreter, Programs) {
    static const struct {
        const char* decls;
        const char* body;
        std::vector<std::string> want;
    } kCases[] = {
        {"",
         "DIM i, s$\nFOR i = 1 TO 10 STEP 2\ns = s + STR(i)\nNEXT\nMSGBOX(s + \"/\" + STR(i))",
         {"1357911/11"}},
        {"", "DIM i, s$\nFOR i = 5 TO 1\ns = s + STR(i)\nNEXT\nMSGBOX(s)", {"5"}},
        {"", "DIM i, s$\nFOR i = 1 TO 3\ns = s + STR(i)\nNEXT\nMSGBOX(s + STR(i))", {"1233"}},
        {"", "DIM i, s$\nFOR i = 3 TO 1 STEP -1\ns = s + STR(i)\nNEXT\nMSGBOX(s)", {"321"}},
        {"", "MSGBOX(STR(7 \\ 2) + STR(7 / 2) + STR(7 MOD 2) + STR(-7 / 2))", {"331-3"}},
        {"",
         "MSGBOX(STR(1 + 2 * 3) + \",\" + STR((1 + 2) * 3) + \",\" + STR(-2 * 3 + 1))",
         {"7,9,-5"}},
        {"",
         "MSGBOX(STR(&HFFFFFFFF) + \",\" + STR(&H7FFFFFFF + 1) + \",\" + STR(2147483647 * 2))",
         {"-1,-2147483648,-2"}},
        {"",
         "MSGBOX(STR(1 << 4) + \",\" + STR((-1) >> 28) + STR(-1 >> 28) + \",\" + STR(6 & 3) + "
         "\",\" + STR(6 | 3) + \",\" + STR(6 ^ 3))",
         {"16,150,2,7,5"}},
        {"",
         "MSGBOX(STR(NOT 0) + STR(NOT 5) + STR(2 AND 3) + STR(0 OR 0) + STR(1 XOR 1) + STR(3 = 3) "
         "+ STR(3 <> 3))",
         {"1010010"}},
        {"",
         "MSGBOX(STR(\"a\" < \"B\") + STR(\"a\" < \"A\") + STR(\"abc\" = \"abc\") + STR(\"ab\" >= "
         "\"abc\"))",
         {"1110"}},
        {"FUNCTION F(a, b, c)\nRETURN a * 100 + b * 10 + c\nEND FUNCTION",
         "MSGBOX(STR(F(1, 2, 3)))",
         {"123"}},
        {"FUNCTION F()\nEND FUNCTION", "MSGBOX(STR(F()))", {"0"}},
        {"FUNCTION Fib(n)\nIF n < 2 THEN RETURN n\nRETURN Fib(n - 1) + Fib(n - 2)\nEND FUNCTION",
         "MSGBOX(STR(Fib(20)))",
         {"6765"}},
        {"FUNCTION S$(a$)\nRETURN a + a\nEND FUNCTION",
         "DIM t$\nt = S(\"ab\")\nMSGBOX(t + S(t))",
         {"abababababab"}},
        {"FUNCTION S$(a$)\nDIM r$\nr = \"<\" + a + \">\"\nRETURN r\nEND FUNCTION",
         "MSGBOX(S(\"x\"))",
         {"<x>"}},
        {"DIM g",
         "g = 5\nBump()\nBump()\nMSGBOX(STR(g))\nEND MAIN\nSUB Bump()\ng = g + 1\nEND SUB\nSUB "
         "Unused()",
         {"7"}},
        {"",
         "DIM x\nx = 2\nIF x = 1 THEN\nMSGBOX(\"one\")\nELSE IF x = 2 "
         "THEN\nMSGBOX(\"two\")\nELSE\nMSGBOX(\"other\")\nEND IF",
         {"two"}},
        {"", "DIM x\nIF x = 0 THEN MSGBOX(\"zero\")\nIF x = 1 THEN MSGBOX(\"one\")", {"zero"}},
        {"",
         "DIM i\nDO WHILE i < 3\ni = i + 1\nLOOP\nDO\ni = i + 10\nLOOP UNTIL i > "
         "30\nMSGBOX(STR(i))",
         {"33"}},
        {"", "DIM i\nWHILE 1\ni = i + 1\nIF i = 4 THEN EXIT\nWEND\nMSGBOX(STR(i))", {"4"}},
        {"",
         "DIM i, s$\nFOR i = 1 TO 3\nSELECT CASE STR(i)\nCASE \"1\"\ns = s + \"a\"\nCASE \"2\"\ns "
         "= s + \"b\"\nCASE ELSE\ns = s + \"c\"\nEND SELECT\nNEXT\nMSGBOX(s)",
         {"abc"}},
        {"CONST K = 3\nCONST T$ = \"tt\"\nCONST N = -4", "MSGBOX(STR(K * N) + T + T)", {"-12tttt"}},
        {"OPTION Base 0\nDIM a(3, 2)",
         "DIM i, j, s$\nFOR i = 0 TO 2\nFOR j = 0 TO 1\na(i, j) = i * 10 + j\nNEXT\nNEXT\n"
         "FOR i = 0 TO 2\nFOR j = 0 TO 1\ns = s + STR(a(i, j)) + \" \"\nNEXT\nNEXT\nMSGBOX(s)",
         {"0 1 10 11 20 21 "}},
        {"DIM a$(3)",
         "DIM b$(2), i\na(1) = \"x\"\na(3) = a(1) + \"y\"\nb(2) = a(3)\nMSGBOX(a(1) + a(2) + a(3) "
         "+ b(2))",
         {"xxyxy"}},
        {"", "DIM s$\ns = .FILENAME\nMSGBOX(\"[\" + s + \"]\" + STR(.LINENO))", {"[]0"}},
        {"", "DIM s$\nMSGBOX(s + \"abc\")\nMSGBOX(\"abc\" + s)", {"abc", "abc"}},
        {"", "MSGBOX(\"x\"); MSGBOX(\"y\")", {"x", "y"}},
    };
    for (const auto& c : kCases) EXPECT_EQ(Show(c.decls, c.body), c.want) << c.body;
}

TEST(ScriptInterpreter, StringsHaveOneOwner) {
    // Assigning one variable to another copies: changing either leaves the other intact, and
    // nothing stays allocated after the run.
    const auto out =
        RunText(ShowProgram("DIM g$",
                            "DIM a$, b$\na = \"one\" + \"\"\nb = a\na = \"two\"\nMSGBOX(a + b)\n"
                            "g = b\nb = b + \"!\"\nMSGBOX(g + b)\nb = b\nMSGBOX(b)"));
    EXPECT_EQ(out.messages, (std::vector<std::string>{"twoone", "oneone!", "one!"}));
}

TEST(ScriptInterpreter, TemporaryStringsAreReleasedAtLeave) {
    const auto out = RunText(
        ShowProgram("FUNCTION F$(n)\nDIM s$\ns = STR(n) + STR(n)\nRETURN LEFT(s, 3)\nEND FUNCTION",
                    "DIM i, t$\nFOR i = 1 TO 200\nt = F(i)\nNEXT\nMSGBOX(t)"));
    EXPECT_EQ(out.messages, std::vector<std::string>{"200"});
    EXPECT_EQ(out.liveStringsAfter, 0u);
}

TEST(ScriptInterpreter, StopsWithAMessage) {
    static const struct {
        const char* decls;
        const char* body;
        RunResult result;
        const char* message;
    } kCases[] = {
        {"FUNCTION R(n)\nRETURN R(n + 1)\nEND FUNCTION", "MSGBOX(STR(R(1)))",
         RunResult::kStackOverflow, "Stack overflow!!"},
        {"FUNCTION R(n)\nDIM big(100)\nRETURN R(n + 1)\nEND FUNCTION", "MSGBOX(STR(R(1)))",
         RunResult::kStackOverflow, "Stack overflow!!"},
        {"", "DIM x\nMSGBOX(STR(1 / x))", RunResult::kFault, "Division by zero."},
        {"", "DIM x\nMSGBOX(STR(1 MOD x))", RunResult::kFault, "Division by zero."},
        {"DIM a(3)", "DIM i\ni = 4\na(i) = 1", RunResult::kFault,
         "Array index out of range in line 5."},
        {"DIM a(3)", "DIM i\nMSGBOX(STR(a(i)))", RunResult::kFault,
         "Array index out of range in line 4."},
        {"OPTION Base 0\nDIM a(2, 2)", "DIM i\ni = 2\na(0, i) = 1", RunResult::kFault,
         "Array index out of range in line 6."},
        {"", "DIM s$\nSTOB(s, 5, 65)", RunResult::kFault,
         "Illegal memory access in the script (STOB outside its string)."},
    };
    for (const auto& c : kCases) {
        const auto out = RunText(ShowProgram(c.decls, c.body));
        ASSERT_TRUE(out.compiled) << c.body << " " << out.error.text();
        EXPECT_EQ(out.result, c.result) << c.body;
        ASSERT_FALSE(out.messages.empty()) << c.body;
        EXPECT_EQ(out.messages.back(), c.message) << c.body;
    }
}

TEST(ScriptInterpreter, WrappingArithmeticIsDefined) {
    EXPECT_EQ(Show("",
                   "DIM m, n\nm = &H80000000\nn = -1\nMSGBOX(STR(m / n) + \",\" + STR(m MOD n) + "
                   "\",\" + STR(-m) + \",\" + STR(ABS(m)))"),
              std::vector<std::string>{"-2147483648,0,-2147483648,-2147483648"});
}

TEST(ScriptInterpreter, BreakStopsAnEndlessLoop) {
    const auto out = RunText(ShowProgram("", "DIM i\nDO\ni = i + 1\nLOOP WHILE 1"), 3);
    EXPECT_EQ(out.result, RunResult::kInterrupted);
    const auto idle = RunText(ShowProgram("", "WHILE 1\nWEND"), 2);
    EXPECT_EQ(idle.result, RunResult::kInterrupted);
}

TEST(ScriptInterpreter, InstructionBudgetEndsARun) {
    RuntimeLimits limits = testing::SmallHeap();
    limits.instructionBudget = 5000;
    const auto out = RunText(ShowProgram("", "WHILE 1\nWEND"), 0, limits);
    EXPECT_EQ(out.result, RunResult::kBudget);
}

TEST(ScriptInterpreter, ExitFromSelectInsideALoopKeepsTheStackBalanced) {
    // Each EXIT leaves a SELECT inside the loop; without dropping the selector every pass
    // would leave one slot behind and the deep loop would overflow the stack.
    const auto out =
        RunText(ShowProgram("OPTION Stack 256",
                            "DIM i, j\nFOR i = 1 TO 5000\nWHILE 1\nSELECT CASE \"a\"\nCASE "
                            "\"a\"\nEXIT\nEND SELECT\nWEND\nj = j + 1\nNEXT\nMSGBOX(STR(j))"));
    EXPECT_EQ(out.result, RunResult::kHalted);
    EXPECT_EQ(out.messages, std::vector<std::string>{"5000"});
}

TEST(ScriptInterpreter, GlobalsSurviveASecondRun) {
    platform::SetSystemCodePage(932);
    auto r = testing::CompileText(ShowProgram("DIM g", "g = g + 1\nMSGBOX(STR(g))"));
    ASSERT_TRUE(r.image);
    platform::HeadlessUi ui;
    testing::TestHost host(ui);
    auto rt = Runtime::Load(*r.image, host);
    ASSERT_TRUE(rt);
    EXPECT_EQ(rt->Run(), RunResult::kHalted);
    EXPECT_EQ(rt->Run(), RunResult::kHalted);
    EXPECT_EQ(ui.messages, (std::vector<std::string>{"1", "2"}));
}

}  // namespace
}  // namespace norv::script
