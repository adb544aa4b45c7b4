// Reading and folding characters of patterns and texts (see char_reader.h).
#include "search/char_reader.h"

#include "platform/code_page.h"
#include "platform/width_map.h"

namespace norv::search {
namespace {

constexpr CharCode kHalfWidthVoicedMark = 0xDE;
constexpr CharCode kHalfWidthSemiVoicedMark = 0xDF;
constexpr CharCode kUnicodeVoicedMark = 0xFF9E;
constexpr CharCode kUnicodeSemiVoicedMark = 0xFF9F;

bool IsSoundMark(TextEncoding encoding, CharCode code) {
    switch (encoding) {
        case TextEncoding::kShiftJis:
            return code == kHalfWidthVoicedMark || code == kHalfWidthSemiVoicedMark;
        case TextEncoding::kUtf8:
            return code == kUnicodeVoicedMark || code == kUnicodeSemiVoicedMark;
        case TextEncoding::kSingleByte:
            return false;
    }
    return false;
}

// The half-width form of a full-width character (the sound mark of a voiced kana dropped), or
// the code itself when it has none.
CharCode FoldWidth(TextEncoding encoding, CharCode code) {
    uint8_t half[2];
    if (encoding == TextEncoding::kShiftJis) {
        if (code < 0x100) return code;
        size_t n = platform::FullToHalfWidth(static_cast<uint16_t>(code), half);
        return n == 0 ? code : half[0];
    }
    if (encoding == TextEncoding::kUtf8) {
        if (code < 0x80 || code > 0xFFFF) return code;
        uint16_t sjis = platform::EncodeChar(932, static_cast<char16_t>(code));
        if (sjis == 0xFFFF || sjis < 0x100) return code;
        size_t n = platform::FullToHalfWidth(sjis, half);
        if (n == 0) return code;
        if (half[0] < 0x80) return half[0];
        char16_t wide = platform::DecodeChar(932, half[0]);
        return wide == 0xFFFF ? code : wide;
    }
    return code;
}

CharCode FoldCase(CharCode code) {
    return (code >= 'a' && code <= 'z') ? code - 0x20 : code;
}

}  // namespace

TextEncoding EncodingOfCodePage(int codePage) {
    if (codePage == 932) return TextEncoding::kShiftJis;
    if (codePage == platform::kCodePageUtf8 || codePage == platform::kCodePageUtf8Internal) {
        return TextEncoding::kUtf8;
    }
    return TextEncoding::kSingleByte;
}

CharCode DecodeChar(TextEncoding encoding, std::string_view text, size_t pos, size_t* length) {
    auto b = static_cast<uint8_t>(text[pos]);
    switch (encoding) {
        case TextEncoding::kShiftJis:
            if (platform::IsLeadByte(932, b) && pos + 1 < text.size() &&
                static_cast<uint8_t>(text[pos + 1]) >= 0x40) {
                *length = 2;
                return b << 8 | static_cast<uint8_t>(text[pos + 1]);
            }
            break;
        case TextEncoding::kUtf8:
            return DecodeUtf8Char(text, pos, length);
        case TextEncoding::kSingleByte:
            break;
    }
    *length = 1;
    return b;
}

std::optional<CharCode> FoldPatternCode(const FoldOptions& options, CharCode code) {
    if (options.ignoreWidth) {
        code = FoldWidth(options.encoding, code);
        if (IsSoundMark(options.encoding, code)) return std::nullopt;
    }
    if (options.ignoreCase) code = FoldCase(code);
    return code;
}

TextChar ReadWideTextChar(const FoldOptions& options, std::string_view line, size_t pos) {
    TextChar c;
    auto b = static_cast<uint8_t>(line[pos]);
    size_t length = 1;
    c.code = DecodeChar(options.encoding, line, pos, &length);
    c.length = static_cast<uint8_t>(length);
    if (options.encoding == TextEncoding::kShiftJis && length == 1 &&
        platform::IsLeadByte(932, b)) {
        c.kind = TextChar::Kind::kStop;
        return c;
    }
    if (options.ignoreWidth) {
        c.code = FoldWidth(options.encoding, c.code);
        if (IsSoundMark(options.encoding, c.code)) c.kind = TextChar::Kind::kSkip;
    }
    if (options.ignoreCase) c.code = FoldCase(c.code);
    return c;
}

size_t EncodeChar(TextEncoding encoding, CharCode code, char out[4]) {
    auto put = [&](size_t i, CharCode v) { out[i] = static_cast<char>(static_cast<uint8_t>(v)); };
    if (code >= kRawByteBase) {
        put(0, code - kRawByteBase);
        return 1;
    }
    if (encoding == TextEncoding::kUtf8 && code >= 0x80) {
        if (code < 0x800) {
            put(0, 0xC0 | (code >> 6)), put(1, 0x80 | (code & 0x3F));
            return 2;
        }
        if (code < 0x10000) {
            put(0, 0xE0 | (code >> 12)), put(1, 0x80 | ((code >> 6) & 0x3F));
            put(2, 0x80 | (code & 0x3F));
            return 3;
        }
        put(0, 0xF0 | (code >> 18)), put(1, 0x80 | ((code >> 12) & 0x3F));
        put(2, 0x80 | ((code >> 6) & 0x3F)), put(3, 0x80 | (code & 0x3F));
        return 4;
    }
    if (code >= 0x100) {
        put(0, code >> 8), put(1, code & 0xFF);
        return 2;
    }
    put(0, code);
    return 1;
}

}  // namespace norv::search
