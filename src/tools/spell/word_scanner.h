// How the spelling check finds English words in a line of a document, one word at a time.
//
// All tests are on single bytes: ASCII letters and digits are word bytes. A character of more
// than one byte (a double-byte character of code page 932, a multi-byte UTF-8 sequence) is
// passed over whole, so its trail byte never starts a word even when it looks like a letter;
// any other byte that is not a word byte is passed over alone. A word starts at a word byte and
// takes the next byte, while it has fewer than kMaxWordBytes, when that byte is
//   - a word byte;
//   - an apostrophe or hyphen followed by a word byte (don't, well-known);
//   - a "." directly after a one-byte start (e.g.);
//   - a "." after at least three bytes of which the last is a word byte and the one before it
//     a "." (U.S.A.).
// A longer run of word bytes is therefore looked up in pieces of kMaxWordBytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace norv::tools {

inline constexpr size_t kMaxWordBytes = 256;

constexpr bool IsWordByte(uint8_t b) {
    return (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9');
}

struct WordSpan {
    size_t start = 0;
    size_t length = 0;
    size_t end() const { return start + length; }
};

// The length of the word starting at `start` (a word byte) of `line` (its content, without the
// line feed).
size_t WordLengthAt(std::string_view line, size_t start);

// The first word of `line` found by scanning from `pos` (a character start) while the scan has
// not reached `limit` (the end of the text to check on this line). The word itself may reach
// past `limit`. Nothing when the scan reaches `limit` or the end of the line first.
std::optional<WordSpan> NextWord(int codePage, std::string_view line, size_t pos, size_t limit);

}  // namespace norv::tools
