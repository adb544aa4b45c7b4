// The compiler: the first error with its line for each rule, and the code shapes that other
// parts rely on (the entry jump, forward calls, argument order, system variables).
#include <gtest/gtest.h>

#include "script/disassembler.h"
#include "script/image.h"
#include "script/opcodes.h"
#include "script_test_support.h"

namespace norv::script {
namespace {

using testing::CompileText;

TEST(ScriptCompiler, FirstErrorAndItsLine) {
    static const struct {
        const char* src;
        const char* text;
        int line;
    } kCases[] = {
        {"SUB A()\nEND SUB\n", "'Main' procedure is not found.", 3},
        {"MAIN\nx = \"a\" + 1\nEND MAIN\n", "Undefined symbol.", 2},
        {"MAIN\nDIM x\nx = \"a\" + 1\nEND MAIN\n",
         "Cannot carry out an operation between different type.", 3},
        {"CONST A$ = 5\nMAIN\nEND MAIN\n", "Cannot carry out an operation between different type.",
         1},
        {"CONST A% = \"x\"\nMAIN\nEND MAIN\n",
         "Cannot carry out an operation between different type.", 1},
        {"CONST A = 5 6\nMAIN\nEND MAIN\n", "Extra characters on line.", 1},
        {"CONST A = B\nMAIN\nEND MAIN\n", "It must be constant.", 1},
        {"MAIN\nDIM i, n\nFOR i = 1 TO 5 STEP n\nNEXT\nEND MAIN\n", "It must be constant.", 3},
        {"MAIN\nDIM s$\nFOR s = 1 TO 5\nNEXT\nEND MAIN\n", "Illegal data type.", 3},
        {"MAIN\nFOR q = 1 TO 5\nNEXT\nEND MAIN\n", "Undefined symbol.", 2},
        {"MAIN\nDIM x AS DOUBLE\nEND MAIN\n", "Illegal data type.", 2},
        {"MAIN\nDIM x = 5\nEND MAIN\n", "Syntax error.", 2},
        {"MAIN\nDIM a(n)\nEND MAIN\n", "It must be constant.", 2},
        {"MAIN\nDIM x\nDIM x\nEND MAIN\n", "Already defined elsewhere.", 3},
        {"MAIN\nDIM x\nIF x = 1\nEND IF\nEND MAIN\n", "'Then' statement is expected.", 3},
        {"MAIN\nDIM x\nIF x = 1 THEN\nx = 2\nEND MAIN\n", "'End If' statement is expected.", 5},
        {"MAIN\nDIM x\nIF x = 1 THEN\nEND IF x\nEND MAIN\n", "Extra characters on line.", 4},
        {"MAIN\nDO\nLOOP\nEND MAIN\n", "'While' or 'Until' statement expected.", 3},
        {"MAIN\nDIM x\nWHILE x\nWEND x\nEND MAIN\n", "Extra characters on line.", 4},
        {"MAIN\nDIM x\nWHILE x\n", "Unexpected EOF.", 4},
        {"MAIN\nDIM x\nSELECT CASE x\nx = 1\nEND SELECT\nEND MAIN\n",
         "'Case' statement is expected.", 4},
        {"MAIN\nDIM x\nSELECT CASE x\nCASE \"a\"\nEND SELECT\nEND MAIN\n",
         "Cannot carry out an operation between different type.", 4},
        {"MAIN\nGOTO 10\nEND MAIN\n", "Syntax error.", 2},
        {"MAIN\n.LINENO = 5\nEND MAIN\n", "Assignment to this property is not permitted.", 2},
        {"MAIN\nDIM x\nx = .NOSUCH\nEND MAIN\n", "Undefined symbol.", 3},
        {"MAIN\nDIM x\nx = LEFT(\"a\", 1, 2)\nEND MAIN\n", "The number of argument is not proper.",
         3},
        {"FUNCTION F(a, b)\nEND FUNCTION\nMAIN\nDIM x\nx = F(1)\nEND MAIN\n",
         "The number of argument is not proper.", 5},
        {"SUB S()\nEND SUB\nMAIN\nDIM x\nx = S()\nEND MAIN\n", "This function has no return value.",
         5},
        {"MAIN\nDIM x\nx = BEEP()\nEND MAIN\n", "This function has no return value.", 3},
        {"DIM g$\nSUB S(a$)\nEND SUB\nMAIN\nS(g)\nEND MAIN\n",
         "Static strings cannot be passed to user routines\nSet them to local strings first.", 5},
        {"MAIN\nDIM x\nx = (1 + 2\nEND MAIN\n", "Right parenthesys is expected.", 3},
        {"MAIN\nDIM a(3)\na(1 = 2\nEND MAIN\n", "Right parenthesys is expected.", 3},
        {"MAIN\nDIM x$\nx = 1\nEND MAIN\n", "Cannot carry out an operation between different type.",
         3},
        {"MAIN\nDIM x\nx$ = \"a\"\nEND MAIN\n", "Illegal data type.", 3},
        {"MAIN\n#define X\nEND MAIN\n", "Syntax error.", 2},
        {"DECLARE FUNCTION F Lib \"m\" (a, b\nMAIN\nEND MAIN\n", "Right parenthesys is expected.",
         1},
        {"DECLARE FUNCTION F \"m\"\nMAIN\nEND MAIN\n", "Syntax error.", 1},
        {"DECLARE FUNCTION F Lib \"m\" () AS DOUBLE\nMAIN\nEND MAIN\n", "Illegal data type.", 1},
        {"DECLARE FUNCTION F Lib \"m\" () x\nMAIN\nEND MAIN\n", "Extra characters on line.", 1},
        {"DECLARE FUNCTION F Lib \"m\" (a)\nMAIN\nDIM x\nx = F()\nEND MAIN\n",
         "The number of argument is not proper.", 4},
        {"DECLARE FUNCTION F Lib \"m\" (a, ..)\nMAIN\nDIM x\nx = F()\nEND MAIN\n",
         "The number of argument is not proper.", 4},
        {"MAIN\nDIM a(100000, 100000)\nEND MAIN\n", "Illegal value.", 2},
        {"OPTION Stack -5\nMAIN\nEND MAIN\n", "It must be constant.", 1},
        {"OPTION Stack &H7FFFFFFF\nMAIN\nEND MAIN\n", "Illegal value.", 1},
        {"MAIN\nEND MAIN\nMAIN\nEND MAIN\n", "Already defined elsewhere.", 3},
        {"SUB A()\nEND SUB\nSUB A()\nEND SUB\nMAIN\nEND MAIN\n", "Already defined elsewhere.", 3},
    };
    for (const auto& c : kCases) {
        const CompileResult r = CompileText(c.src);
        ASSERT_TRUE(r.error.has_value()) << c.src;
        EXPECT_EQ(r.error->text(), c.text) << c.src;
        EXPECT_EQ(r.error->line, c.line) << c.src;
        EXPECT_FALSE(r.image.has_value());
    }
}

TEST(ScriptCompiler, AcceptedForms) {
    static const char* const kCases[] = {
        "MAIN\nEND MAIN\n",
        "CONST A = \"x\"\nCONST B% = -3\nOPTION Base 0\nOPTION Stack 16384\nOPTION Other "
        "1\nMAIN\nEND MAIN\n",
        ("DECLARE FUNCTION GetTickCount Lib \"kernel32\" ()\nDECLARE SUB Beep2 Lib \"user32\" "
         "Alias \"MessageBeep\" (t)\n"
         "DECLARE FUNCTION F$ Lib \"m\" (a, ..) AS STRING\nMAIN\nDIM t, s$\nt = "
         "GetTickCount()\nBeep2(1)\ns = F(1, 2, 3)\nEND MAIN\n"),
        "MAIN\nDIM x\nx = .HWND\nx = .LINENO\n.TABS = 8\n.FILENAME = \"a\"\nEND MAIN\n",
        "MAIN\nDIM s$\ns = LEFT$(\"abc\", 2)\ns = MID(\"abc\", 2)\nBEEP\nCALL BEEP()\nEND MAIN\n",
    };
    for (const char* src : kCases) {
        const CompileResult r = CompileText(src);
        EXPECT_TRUE(r.image.has_value()) << src << (r.error ? std::string(r.error->text()) : "");
    }
}

TEST(ScriptCompiler, ImageStartsWithTheJumpToMainAndCarriesItsHeader) {
    const CompileResult r =
        CompileText("DIM g\nSUB A()\nEND SUB\nMAIN\nEND MAIN\n", "/x/dir/Hello.World.NRS");
    ASSERT_TRUE(r.image);
    const std::string& img = *r.image;
    ASSERT_EQ(ValidateImage(img), ImageStatus::kOk);
    const auto h = ParseHeader(img);
    ASSERT_TRUE(h);
    EXPECT_EQ(h->title, "Hello.World");
    EXPECT_EQ(h->version, kImageVersion);
    EXPECT_EQ(h->dataSize, 4u);
    EXPECT_EQ(h->stackSize, 8192u);
    EXPECT_EQ(h->codeSize + h->dataSize, img.size());
    EXPECT_EQ(static_cast<uint8_t>(img[96]), static_cast<uint8_t>(Op::kJmp));
    EXPECT_EQ(std::string(img.data(), 4), "Norv");
    for (int i = 4; i < 10; ++i) EXPECT_EQ(img[static_cast<size_t>(i)], '\0');
}

TEST(ScriptCompiler, ForwardCallIsPatched) {
    const CompileResult r = CompileText(
        "MAIN\nDIM x\nx = Later(2)\nEND MAIN\nFUNCTION Later(n)\nRETURN n\nEND FUNCTION\n");
    ASSERT_TRUE(r.image);
    const std::string listing = Disassemble(*r.image);
    EXPECT_EQ(listing.find("CALLU 0"), std::string::npos) << listing;
    EXPECT_EQ(ValidateImage(*r.image), ImageStatus::kOk);
}

}  // namespace
}  // namespace norv::script
