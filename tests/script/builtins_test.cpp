// The built-ins that need no editor, through compiled scripts: each case is one expression
// whose value the script shows.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "script_test_support.h"

namespace norv::script {
namespace {

using testing::RunText;
using testing::ShowProgram;

std::string ShowString(const std::string& expr) {
    const auto out = RunText(ShowProgram("", "MSGBOX(\"[\" + " + expr + " + \"]\")"));
    EXPECT_TRUE(out.compiled) << expr << ": " << out.error.text();
    return out.messages.empty() ? "<none>" : out.messages.back();
}

// Shift-JIS text written as bytes: "\x82\xa0" is hiragana a (U+3042).
const std::string kA = "\x82\xa0";

TEST(ScriptBuiltins, StringFunctions) {
    static const struct {
        std::string expr;
        std::string want;  // UTF-8 of what the message box shows, without the brackets
    } kCases[] = {
        {"MID(\"abcdef\", 0, 2)", "ab"},
        {"MID(\"abc\", 4, 1)", ""},
        {"MID(\"abcdef\", 3, 0)", "cdef"},
        {"MID(\"abcdef\", 2, 3)", "bcd"},
        {"STR(INSTR(\"abc\", \"\"))", "0"},
        {"STR(INSTR(\"abcabc\", \"c\"))", "3"},
        {"STR(VAL(\"1,234\"))", "1234"},
        {"STR(VAL(\"&H1F\"))", "31"},
        {"STR(VAL(\"x\"))", "0"},
        {"STR(VAL(\" -12abc\"))", "-12"},
        {"STR(RGB(255, 0, 0))", "255"},
        {"STR(RGB(0, 0, 255))", "16711680"},
        {"STR(RGB(256, -1, 0))", "65280"},
        {"HEX(255) + HEX(-1)", "ffffffffff"},
        {"STR(ABS(-5))", "5"},
        {"STR(ASC(\"A\")) + STR(ASC(\"\"))", "650"},
        {"CHR(65) + CHR(97)", "Aa"},
        {"STR(LEN(CHR(33440)))", "2"},
        {"STR(ASC(CHR(33440)))", "33440"},
        {"SPACE(3) + \"|\" + SPACE(-1)", "   |"},
        {"LCASE(\"AbC\") + UCASE(\"aBc\")", "abcABC"},
        {"LTRIM(\"  a  \") + \"|\" + RTRIM(\"  a  \") + \"|\" + TRIM(\"  a  \")", "a  |  a|a"},
        {"LEFT(\"abc\", 2) + RIGHT(\"abc\", 2) + LEFT(\"abc\", 9) + RIGHT(\"abc\", 0)", "abbcabc"},
        {"STR(LODB(\"AB\", 1)) + STR(LODB(\"AB\", 2)) + STR(LODB(\"AB\", 99))", "6600"},
        {"STR(ISKANJI(&H82)) + STR(ISKANJI(&H41)) + STR(ISKANJI(&H182))", "100"},
        {"HEX(SJISTOJIS(&H82A0)) + \" \" + HEX(JISTOSJIS(&H2422))", "2422 82a0"},
        {"HEX(SJISTOEUC(&H82A0)) + \" \" + HEX(EUCTOSJIS(&HA4A2))", "a4a2 82a0"},
        {"HEX(JISTOEUC(&H2422)) + \" \" + HEX(EUCTOJIS(&HA4A2))", "a4a2 2422"},
        {"ZENTOHAN(\"\x82\x60\x82\x61\") + HANTOZEN(\"1\")", "AB\xef\xbc\x91"},
        {"STR(LEN(ALLOC(5))) + STR(LODB(ALLOC(5), 14))", "00"},
        {"ENVIRON(\"NORV_SCRIPT_TEST_UNSET_VARIABLE\")", ""},
        {"STR(LEN(DATE(\"%Y\")))", "4"},
        {"STR(LEN(TIME(\"\")))", "8"},
    };
    for (const auto& c : kCases) EXPECT_EQ(ShowString(c.expr), "[" + c.want + "]") << c.expr;
}

TEST(ScriptBuiltins, DoubleByteCharactersAreNeverCut) {
    // "a" + hiragana a + "b": LEFT of 2 bytes would end inside the double-byte character.
    const std::string s = "\"a" + kA + "b\"";
    static const struct {
        std::string expr;
        std::string want;
    } kCases[] = {
        {"LEFT(" + s + ", 2)", "a"},
        {"LEFT(" + s + ", 3)", "a\xe3\x81\x82"},
        {"RIGHT(" + s + ", 2)", "b"},
        {"RIGHT(" + s + ", 3)",
         "\xe3\x81\x82"
         "b"},
        {"MID(" + s + ", 3, 1)", "b"},
        {"MID(" + s + ", 2, 1)", ""},
        {"STR(LEN(" + s + ")) + STR(LENMB(" + s + "))", "43"},
        {"LEFTMB(" + s + ", 2) + \"|\" + RIGHTMB(" + s + ", 1) + \"|\" + MIDMB(" + s + ", 2, 1)",
         "a\xe3\x81\x82|b|\xe3\x81\x82"},
        {"STR(INSTR(" + s + ", \"b\")) + STR(INSTRMB(" + s + ", \"b\"))", "43"},
        {"STR(INSTR(\"" + kA + "\", CHR(&HA0)))", "0"},
        {"UCASE(\"\x82\x61\")", "\xef\xbc\xa2"},
    };
    for (const auto& c : kCases) EXPECT_EQ(ShowString(c.expr), "[" + c.want + "]") << c.expr;
}

TEST(ScriptBuiltins, DateDefaultPutsTheYearFirstOnCodePage932) {
    const std::string d = ShowString("DATE(\"\")");
    ASSERT_EQ(d.size(), 12u) << d;
    EXPECT_EQ(d[5], '/');  // "[YYYY/MM/DD]"
}

TEST(ScriptBuiltins, FilesAndDirectories) {
    testing::ScratchDir dir;
    dir.Write("b.txt", "x");
    dir.Write("a.txt", "x");
    std::filesystem::create_directory(dir.path() + "/c.txt");
    const std::string p = dir.path() + "/";
    const std::string body =
        "DIM h, s$, n\n"
        "h = FOPEN(\"" +
        p +
        "out.bin\", \"w\")\n"
        "n = FPUTS(h, \"line1\" + CHR(13) + CHR(10) + \"line2\")\n"
        "n = n + FPUTINT(h, 2, &H4241)\n"
        "FCLOSE(h)\n"
        "MSGBOX(STR(n))\n"
        "h = FOPEN(\"" +
        p +
        "out.bin\", \"\")\n"
        "MSGBOX(FGETS(h) + \"|\" + STR(EOF(h)))\n"
        "MSGBOX(FGETS(h) + \"|\" + STR(EOF(h)))\n"
        "MSGBOX(STR(FSEEK(h, 0, 1)) + \" \" + STR(FSEEK(h, 5, 0)) + \" \" + STR(FGETINT(h, 2)))\n"
        "n = FSEEK(h, -2, 1)\nMSGBOX(HEX(FGETINT(h, 2)) + \" \" + STR(FGETINT(h, 4)))\n"
        "FCLOSE(h)\n"
        "MSGBOX(STR(FOPEN(\"" +
        p +
        "missing\", \"r\")) + STR(FSEEK(0, 0, 0)) + FGETS(0) + STR(FPUTS(0, \"x\")) + "
        "STR(EOF(0)))\n"
        "MSGBOX(STR(FCOPY(\"" +
        p + "out.bin\", \"" + p + "copy.bin\")) + STR(FCOPY(\"" + p + "nothing\", \"" + p +
        "x\")))\n"
        "MSGBOX(STR(FKILL(\"" +
        p + "copy.bin\")) + STR(FKILL(\"" + p +
        "copy.bin\")))\n"
        "s = DIR(\"" +
        p +
        "*.txt\")\nWHILE s <> \"\"\nMSGBOX(s)\ns = DIR(\"\")\nWEND\nMSGBOX(\"end\" + DIR(\"\"))\n"
        "n = 0\ns = DIR(\"" +
        p + "*.*\")\nWHILE s <> \"\"\nn = n + 1\ns = DIR(\"\")\nWEND\nMSGBOX(STR(n))\n";
    const auto out = RunText(ShowProgram("", body));
    ASSERT_TRUE(out.compiled) << out.error.text() << out.error.line;
    const std::vector<std::string> want = {"14",     "line1|0", "line2AB|1", "14 5 2573",
                                           "4241 0", "0-100",   "10",        "10",
                                           "a.txt",  "b.txt",   "end",       "3"};
    EXPECT_EQ(out.messages, want);
}

TEST(ScriptBuiltins, DialogsGoThroughTheUserInterface) {
    platform::SetSystemCodePage(932);
    auto r = testing::CompileText(
        ShowProgram("",
                    "DIM n\nn = MSGBOX(\"q\", \"\", "
                    "4)\nMSGBOX(STR(n))\nBEEP\nMSGBOX(INPUTBOX(\"p\", \"t\", \"dflt\"))"));
    ASSERT_TRUE(r.image);
    platform::HeadlessUi ui;
    ui.QueueAnswer(platform::kIdNo);
    testing::TestHost host(ui);
    auto rt = Runtime::Load(*r.image, host);
    ASSERT_TRUE(rt);
    EXPECT_EQ(rt->Run(), RunResult::kHalted);
    EXPECT_EQ(ui.messages, (std::vector<std::string>{"q", "7", "dflt"}));
    EXPECT_EQ(ui.beeps, 1);
}

TEST(ScriptBuiltins, ResidencyFlagAndExternalCallWithoutALibrary) {
    platform::SetSystemCodePage(932);
    auto r = testing::CompileText(
        "DECLARE FUNCTION Nope Lib \"nolib\" (a, b)\nMAIN\nDIM n\nSTAYRESIDENT\nn = Nope(1, "
        "2)\nMSGBOX(STR(n))\nEND MAIN\n");
    ASSERT_TRUE(r.image);
    platform::HeadlessUi ui;
    testing::TestHost host(ui);
    auto rt = Runtime::Load(*r.image, host);
    ASSERT_TRUE(rt);
    EXPECT_EQ(rt->Run(), RunResult::kHalted);
    EXPECT_TRUE(rt->resident());
    EXPECT_EQ(ui.messages, (std::vector<std::string>{"Module 'nolib' is not found.", "0"}));
}

}  // namespace
}  // namespace norv::script
