// Escape sequences of search strings, replacement strings, regular expressions and added
// strings: a backslash and one character, or "\x" and two hexadecimal digits, stand for one byte.
//
// The letter after the backslash is compared in lower case, so that a pattern that was
// upper-cased for a case-insensitive search keeps its meaning ("\N" is still a line feed).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace norv::editing {

struct DecodedEscape {
    uint8_t value = 0;  // the byte the sequence stands for
    size_t length = 0;  // bytes of the sequence, backslash included (1 to 4)
};

// Decodes the sequence that starts with the backslash at text[0]:
//   \0 -> 0 (ends a decoded text), \a 7, \b 8, \e 27, \f 12, \n 10, \r 13, \t 9, \v 11,
//   \xHH -> the byte HH when two hexadecimal digits follow, otherwise "x";
//   any other character -> that character lower-cased ("\\" is a backslash, "\Q" is "q");
//   a backslash at the very end -> 0.
DecodedEscape DecodeEscape(std::string_view text);

// Decodes every sequence of a text of the given code page. A double-byte character is copied
// whole, also right after a backslash, so that a trail byte 0x5C never starts a sequence. The
// result ends before the first decoded 0 byte.
std::string DecodeEscapes(std::string_view text, int codePage);

}  // namespace norv::editing
