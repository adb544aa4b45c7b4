// Characters as the regular-expression engine sees them, read from pattern and text bytes.
//
// A character is one code. In code page 932 a double-byte character is lead << 8 | trail and a
// single byte is its own value. In the UTF-8 code pages (65000, 65001) a character is its
// Unicode code point, so that characters the system code page lacks are matched exactly; a byte
// that does not begin a well-formed sequence is kRawByteBase + byte, never a code point. Other
// code pages have single bytes only.
//
// Folding makes the pattern and the text compare alike: under ignore case the ASCII letters
// a-z become A-Z (only single-byte letters, never a trail byte); under ignore width a full-width
// character that has a half-width form becomes that form, and the half-width sound marks are
// dropped from the pattern and skipped in the text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace norv::search {

using CharCode = int32_t;

inline constexpr CharCode kLineEnd = 10;
inline constexpr CharCode kRawByteBase = 0x110000;

enum class TextEncoding : uint8_t { kSingleByte, kShiftJis, kUtf8 };

TextEncoding EncodingOfCodePage(int codePage);

struct FoldOptions {
    TextEncoding encoding = TextEncoding::kShiftJis;
    bool ignoreCase = false;
    bool ignoreWidth = false;
};

// What the text holds at a position.
struct TextChar {
    enum class Kind : uint8_t {
        kChar,  // code is the folded character
        kSkip,  // a half-width sound mark under ignore width: counted, not fed
        kStop,  // a lead byte without a valid trail byte: an attempt cannot go on
    };
    Kind kind = Kind::kChar;
    uint8_t length = 1;  // bytes, at least 1
    CharCode code = 0;
};

// One UTF-8 character at text[pos] (pos < text.size()): its code point, or kRawByteBase + byte
// with length 1 when the bytes there are not a well-formed, shortest sequence.
inline CharCode DecodeUtf8Char(std::string_view text, size_t pos, size_t* length) {
    const auto* p = reinterpret_cast<const uint8_t*>(text.data()) + pos;
    const size_t left = text.size() - pos;
    const uint8_t b = p[0];
    *length = 1;
    if (b < 0x80) return b;
    size_t need = 0;
    CharCode cp = 0;
    CharCode minimum = 0;
    if (b >= 0xC2 && b <= 0xDF) {
        need = 1, cp = b & 0x1F, minimum = 0x80;
    } else if (b >= 0xE0 && b <= 0xEF) {
        need = 2, cp = b & 0x0F, minimum = 0x800;
    } else if (b >= 0xF0 && b <= 0xF4) {
        need = 3, cp = b & 0x07, minimum = 0x10000;
    } else {
        return kRawByteBase + b;
    }
    if (left <= need) return kRawByteBase + b;
    for (size_t i = 1; i <= need; ++i) {
        if ((p[i] & 0xC0) != 0x80) return kRawByteBase + b;
        cp = (cp << 6) | (p[i] & 0x3F);
    }
    if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return kRawByteBase + b;
    *length = need + 1;
    return cp;
}

// One character of unfolded bytes at text[pos] (pos < text.size()); never reads past the end.
// `length` receives the bytes it takes. A Shift-JIS lead byte without a trail byte of 0x40 or
// above is returned as its single byte.
CharCode DecodeChar(TextEncoding encoding, std::string_view text, size_t pos, size_t* length);

// The folded code of a pattern character, or nothing when folding drops it (a sound mark).
std::optional<CharCode> FoldPatternCode(const FoldOptions& options, CharCode code);

// The character of the text at line[pos] (pos < line.size()), folded.
TextChar ReadWideTextChar(const FoldOptions& options, std::string_view line, size_t pos);
inline TextChar ReadTextChar(const FoldOptions& options, std::string_view line, size_t pos) {
    auto b = static_cast<uint8_t>(line[pos]);
    if (b >= 0x80) return ReadWideTextChar(options, line, pos);
    // ASCII is the same in every encoding; only case folding applies to it.
    TextChar c;
    c.code = (options.ignoreCase && b >= 'a' && b <= 'z') ? b - 0x20 : b;
    return c;
}

// The code whose characters are written as `bytes` in the encoding (for tests and dumps).
size_t EncodeChar(TextEncoding encoding, CharCode code, char out[4]);

}  // namespace norv::search
