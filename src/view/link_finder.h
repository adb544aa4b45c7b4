// Web and mail addresses inside the text: which bytes at a position form a link, and the links
// of a whole line (painted in the URL colour and taken by the address commands).
//
// A web address begins with one of a few scheme names and runs over the characters that an
// address may hold; a mail address is a word with an "@" after its first character. Both
// drop the punctuation that usually ends a sentence after them. A position is tried only at a
// character start: a trail byte of a double-byte character is never the start of a link.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace norv::view {

struct Link {
    size_t length = 0;   // 0: no link
    bool isUrl = false;  // a web address; otherwise a mail address
};

// The link starting at `text` (which runs to the end of the line, line feed excluded).
// `previousChar` is the character before it: a single byte, 0 at the line start, and any value
// of 0x100 or above for a multi-byte character.
Link FindLink(std::string_view text, uint32_t previousChar);

struct LinkSpan {
    size_t start = 0;
    size_t length = 0;
    bool isUrl = false;
    size_t end() const { return start + length; }
};

// Every link of a line's content, in order, tried at each character start of the code page.
std::vector<LinkSpan> FindLinks(std::string_view line, int codePage);

// The link under byte `pos` of the line; a caret standing just behind a link also finds it.
std::optional<LinkSpan> LinkAt(std::string_view line, size_t pos, int codePage);

// A mail address that runs longer than this is taken for no address (a line full of quotes
// would otherwise make every position walk to the line end).
inline constexpr size_t kMaxMailAddress = 512;
// The reason beside the beep of an address command with no address at the caret.
inline constexpr std::string_view kNoAddressText = "No web or mail address at the caret";

}  // namespace norv::view
