// The one escape-sequence decoder of the editor (see escape_sequences.h).
#include "editing/escape_sequences.h"

#include "platform/code_page.h"

namespace norv::editing {
namespace {

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

DecodedEscape DecodeEscape(std::string_view text) {
    if (text.size() < 2) return {0, text.size()};
    char c = LowerAscii(text[1]);
    switch (c) {
        case '0':
            return {0, 2};
        case 'a':
            return {7, 2};
        case 'b':
            return {8, 2};
        case 'e':
            return {27, 2};
        case 'f':
            return {12, 2};
        case 'n':
            return {10, 2};
        case 'r':
            return {13, 2};
        case 't':
            return {9, 2};
        case 'v':
            return {11, 2};
        case 'x': {
            // Only two real hexadecimal digits make a byte; "\xg" or "\x4" at the end is "x",
            // and the characters after it stay ordinary text.
            if (text.size() >= 4) {
                int hi = HexDigitValue(text[2]);
                int lo = HexDigitValue(text[3]);
                if (hi >= 0 && lo >= 0) return {static_cast<uint8_t>(hi * 16 + lo), 4};
            }
            return {static_cast<uint8_t>('x'), 2};
        }
        default:
            return {static_cast<uint8_t>(c), 2};
    }
}

std::string DecodeEscapes(std::string_view text, int codePage) {
    std::string out;
    out.reserve(text.size());
    size_t i = 0;
    auto isDoubleByte = [&](size_t at) {
        return at + 1 < text.size() &&
               platform::IsLeadByte(codePage, static_cast<uint8_t>(text[at])) &&
               static_cast<uint8_t>(text[at + 1]) >= 0x40;
    };
    while (i < text.size()) {
        if (isDoubleByte(i)) {
            out.append(text.substr(i, 2));
            i += 2;
            continue;
        }
        if (text[i] != '\\') {
            out.push_back(text[i++]);
            continue;
        }
        if (isDoubleByte(i + 1)) {
            out.append(text.substr(i + 1, 2));
            i += 3;
            continue;
        }
        DecodedEscape e = DecodeEscape(text.substr(i));
        if (e.value == 0) break;
        out.push_back(static_cast<char>(e.value));
        i += e.length;
    }
    return out;
}

}  // namespace norv::editing
