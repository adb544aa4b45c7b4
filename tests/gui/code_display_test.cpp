// The status bar's code of the character under the caret, for every family of codes.
#include "gui/editor/code_display.h"

#include <gtest/gtest.h>

#include <string>

#include "gui/gui_test_support.h"

namespace norv::qt {
namespace {

using document::TextCode;
using testing::Iconv;

TEST(CodeDisplay, ShowsTheCharacterAtTheCaretInTheDocumentsCode) {
    static const struct {
        const char* name;
        TextCode code;
        const char* utf8Line;  // stored as Shift-JIS for the ANSI family, as UTF-8 otherwise
        size_t pos;
        bool lastLine;
        LineEnd end;
        const char* expected;
    } kCases[] = {
        {"ASCII loses the leading zeros", TextCode::kAnsi, "A", 0, false, LineEnd::kCrLf, "    41"},
        {"kanji in Shift-JIS", TextCode::kAnsi, "漢", 0, false, LineEnd::kCrLf, "  8ABF"},
        {"kanji in an EUC-JP document", TextCode::kEuc, "漢", 0, false, LineEnd::kCrLf, "  B4C1"},
        {"kanji in a JIS document", TextCode::kJis, "漢", 0, false, LineEnd::kCrLf, "  3441"},
        {"half-width katakana in EUC-JP", TextCode::kEuc, "ｱ", 0, false, LineEnd::kCrLf, "  8EB1"},
        {"half-width katakana in JIS", TextCode::kJis, "ｱ", 0, false, LineEnd::kCrLf, "    31"},
        {"vendor extension keeps its Shift-JIS code", TextCode::kEuc, "ⅰ", 0, false, LineEnd::kCrLf,
         "  FA40"},
        {"CR LF line end", TextCode::kAnsi, "ab", 2, false, LineEnd::kCrLf, "  0D0A"},
        {"LF line end", TextCode::kAnsi, "ab", 2, false, LineEnd::kLf, "    0A"},
        {"end of the last line", TextCode::kAnsi, "ab", 2, true, LineEnd::kCrLf, "  [EOF]"},
        {"UTF-8 one byte", TextCode::kUtf8, "a", 0, false, LineEnd::kLf, "    61"},
        {"UTF-8 three bytes", TextCode::kUtf8, "漢", 0, false, LineEnd::kLf, " E6BCA2"},
        {"UTF-8 four bytes", TextCode::kUtf8, "\xF0\x9F\x98\x80", 0, false, LineEnd::kLf,
         "F09F9880"},
        {"UTF-8 CR LF", TextCode::kUtf8, "", 0, false, LineEnd::kCrLf, "  0D0A"},
        {"UCS-2 character", TextCode::kUcs2Le, "漢", 0, false, LineEnd::kCrLf, "U+6F22"},
        {"UCS-2 surrogate pair", TextCode::kUcs2Be, "\xF0\x9F\x98\x80", 0, false, LineEnd::kCrLf,
         "D83D DE00"},
        {"UCS-2 CR LF", TextCode::kUcs2Le, "", 0, false, LineEnd::kCrLf, "000D 000A"},
        {"UCS-2 single CR", TextCode::kUcs2Le, "", 0, false, LineEnd::kCr, "U+000D"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        const bool unicode = document::IsUnicodeFamily(c.code);
        view::LayoutOptions options;
        options.codePage = unicode ? 65000 : 932;
        const view::LineLayout layout(options);
        const std::string line =
            (unicode ? std::string(c.utf8Line) : Iconv("CP932", c.utf8Line)) + "\n";
        EXPECT_EQ(CodeDisplayText(c.code, layout, view::LineText(line), c.pos, c.lastLine, c.end),
                  c.expected);
    }
}

TEST(CodeDisplay, LineEndKindFollowsModeThenRecordThenTextMode) {
    using document::EolMode;
    static const struct {
        EolMode mode;
        uint8_t flags;
        int textMode;
        LineEnd expected;
    } kCases[] = {
        {EolMode::kCrLf, document::LF_EOL_LF, 1, LineEnd::kCrLf},
        {EolMode::kLf, document::LF_EOL_CRLF, 0, LineEnd::kLf},
        {EolMode::kCr, 0, 0, LineEnd::kCr},
        {EolMode::kDefault, document::LF_EOL_CR, 0, LineEnd::kCr},
        {EolMode::kDefault, document::LF_EOL_CRLF, 1, LineEnd::kCrLf},
        {EolMode::kDefault, 0, 0, LineEnd::kCrLf},
        {EolMode::kDefault, 0, 1, LineEnd::kLf},
        {EolMode::kDefault, 0, 2, LineEnd::kCr},
    };
    for (const auto& c : kCases)
        EXPECT_EQ(LineEndKind(c.mode, c.flags, c.textMode), c.expected)
            << static_cast<int>(c.mode) << " " << int{c.flags} << " " << c.textMode;
}

}  // namespace
}  // namespace norv::qt
