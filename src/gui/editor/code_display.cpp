// The character-code display. Memory holds Shift-JIS (the ANSI family) or UTF-8 (the Unicode
// family); the display converts to the code the document is saved in.
#include "gui/editor/code_display.h"

#include <cstdio>

#include "document/codecs.h"

namespace norv::qt {
namespace {

std::string Format(const char* fmt, unsigned a, unsigned b = 0) {
    char buf[32];
    std::snprintf(buf, sizeof buf, fmt, a, b);
    return buf;
}

// "  %04X", where a code beginning with "00" shows blanks for those two digits.
std::string AnsiForm(unsigned code) {
    std::string s = Format("  %04X", code);
    if (s.compare(2, 2, "00") == 0) s.replace(2, 2, "  ");
    return s;
}

// The code point of a UTF-8 character (invalid bytes stand for themselves).
uint32_t DecodeUtf8(const view::LineText& t, size_t pos, size_t len) {
    const uint8_t b0 = t[pos];
    if (len == 1) return b0;
    uint32_t cp = b0 & (0x7Fu >> len);
    for (size_t i = 1; i < len; ++i) cp = (cp << 6) | (t[pos + i] & 0x3Fu);
    return cp;
}

}  // namespace

LineEnd LineEndKind(document::EolMode mode, uint8_t lineFlags, int textMode) {
    switch (mode) {
        case document::EolMode::kCrLf:
            return LineEnd::kCrLf;
        case document::EolMode::kLf:
            return LineEnd::kLf;
        case document::EolMode::kCr:
            return LineEnd::kCr;
        default:
            break;
    }
    switch (lineFlags & document::LF_EOL_MASK) {
        case document::LF_EOL_CRLF:
            return LineEnd::kCrLf;
        case document::LF_EOL_CR:
            return LineEnd::kCr;
        case document::LF_EOL_LF:
            return LineEnd::kLf;
        default:
            break;
    }
    return textMode == 0 ? LineEnd::kCrLf : textMode == 2 ? LineEnd::kCr : LineEnd::kLf;
}

std::string CodeDisplayText(document::TextCode code, const view::LineLayout& layout,
                            const view::LineText& t, size_t pos, bool lastLine, LineEnd end) {
    using document::TextCode;
    if (pos >= t.end()) {
        if (lastLine) return "  [EOF]";
        const unsigned single = end == LineEnd::kCr ? 0x0D : 0x0A;
        switch (code) {
            case TextCode::kUtf8:
                return end == LineEnd::kCrLf ? "  0D0A" : Format("    %02X", single);
            case TextCode::kUcs2Le:
            case TextCode::kUcs2Be:
                return end == LineEnd::kCrLf ? "000D 000A" : Format("U+%04X", single);
            default:
                return AnsiForm(end == LineEnd::kCrLf ? 0x0D0A : single);
        }
    }
    const size_t len = layout.CharLen(t, pos);
    if (code == TextCode::kUtf8) {
        static const char* const kForms[] = {"    %02X", "  %02X%02X", " %02X%02X%02X",
                                             "%02X%02X%02X%02X"};
        std::string s;
        char buf[16];
        const char* form = kForms[len - 1];
        switch (len) {
            case 1:
                std::snprintf(buf, sizeof buf, form, t[pos]);
                break;
            case 2:
                std::snprintf(buf, sizeof buf, form, t[pos], t[pos + 1]);
                break;
            case 3:
                std::snprintf(buf, sizeof buf, form, t[pos], t[pos + 1], t[pos + 2]);
                break;
            default:
                std::snprintf(buf, sizeof buf, form, t[pos], t[pos + 1], t[pos + 2], t[pos + 3]);
        }
        return buf;
    }
    if (document::IsUcs2(code)) {
        const uint32_t cp = DecodeUtf8(t, pos, len);
        if (cp >= 0x10000) {
            const uint32_t v = cp - 0x10000;
            return Format("%04X %04X", 0xD800 + (v >> 10), 0xDC00 + (v & 0x3FF));
        }
        return Format("U+%04X", cp);
    }
    const uint8_t b = t[pos];
    if (len == 1) {
        const bool kana = b >= 0xA1 && b <= 0xDF;
        if (kana && code == TextCode::kEuc) return AnsiForm(0x8E00u + b);
        if (kana && code == TextCode::kJis) return AnsiForm(b & 0x7Fu);
        return AnsiForm(b);
    }
    const uint16_t sjis = static_cast<uint16_t>(b << 8 | t[pos + 1]);
    // A pair outside JIS X 0208 (the vendor extensions) has no JIS or EUC-JP code: its
    // Shift-JIS code is shown.
    const uint16_t jis = document::SjisToJisCode(sjis);
    if (jis != 0 && code == TextCode::kJis) return AnsiForm(jis);
    if (jis != 0 && code == TextCode::kEuc) return AnsiForm(jis | 0x8080u);
    return AnsiForm(sjis);
}

}  // namespace norv::qt
