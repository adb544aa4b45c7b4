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
        {"ASCII loses the leading zeros", TextCode::Ansi, "A", 0, false, LineEnd::CrLf, "    41"},
        {"kanji in Shift-JIS", TextCode::Ansi, "漢", 0, false, LineEnd::CrLf, "  8ABF"},
        {"kanji in an EUC-JP document", TextCode::Euc, "漢", 0, false, LineEnd::CrLf, "  B4C1"},
        {"kanji in a JIS document", TextCode::Jis, "漢", 0, false, LineEnd::CrLf, "  3441"},
        {"half-width katakana in EUC-JP", TextCode::Euc, "ｱ", 0, false, LineEnd::CrLf, "  8EB1"},
        {"half-width katakana in JIS", TextCode::Jis, "ｱ", 0, false, LineEnd::CrLf, "    31"},
        {"vendor extension keeps its Shift-JIS code", TextCode::Euc, "ⅰ", 0, false, LineEnd::CrLf,
         "  FA40"},
        {"CR LF line end", TextCode::Ansi, "ab", 2, false, LineEnd::CrLf, "  0D0A"},
        {"LF line end", TextCode::Ansi, "ab", 2, false, LineEnd::Lf, "    0A"},
        {"end of the last line", TextCode::Ansi, "ab", 2, true, LineEnd::CrLf, "  [EOF]"},
        {"UTF-8 one byte", TextCode::Utf8, "a", 0, false, LineEnd::Lf, "    61"},
        {"UTF-8 three bytes", TextCode::Utf8, "漢", 0, false, LineEnd::Lf, " E6BCA2"},
        {"UTF-8 four bytes", TextCode::Utf8, "\xF0\x9F\x98\x80", 0, false, LineEnd::Lf, "F09F9880"},
        {"UTF-8 CR LF", TextCode::Utf8, "", 0, false, LineEnd::CrLf, "  0D0A"},
        {"UCS-2 character", TextCode::Ucs2Le, "漢", 0, false, LineEnd::CrLf, "U+6F22"},
        {"UCS-2 surrogate pair", TextCode::Ucs2Be, "\xF0\x9F\x98\x80", 0, false, LineEnd::CrLf,
         "D83D DE00"},
        {"UCS-2 CR LF", TextCode::Ucs2Le, "", 0, false, LineEnd::CrLf, "000D 000A"},
        {"UCS-2 single CR", TextCode::Ucs2Le, "", 0, false, LineEnd::Cr, "U+000D"},
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
        {EolMode::CrLf, document::LF_EOL_LF, 1, LineEnd::CrLf},
        {EolMode::Lf, document::LF_EOL_CRLF, 0, LineEnd::Lf},
        {EolMode::Cr, 0, 0, LineEnd::Cr},
        {EolMode::Default, document::LF_EOL_CR, 0, LineEnd::Cr},
        {EolMode::Default, document::LF_EOL_CRLF, 1, LineEnd::CrLf},
        {EolMode::Default, 0, 0, LineEnd::CrLf},
        {EolMode::Default, 0, 1, LineEnd::Lf},
        {EolMode::Default, 0, 2, LineEnd::Cr},
    };
    for (const auto& c : kCases)
        EXPECT_EQ(LineEndKind(c.mode, c.flags, c.textMode), c.expected)
            << static_cast<int>(c.mode) << " " << int{c.flags} << " " << c.textMode;
}

}  // namespace
}  // namespace norv::qt
