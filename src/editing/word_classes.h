// Word character classes: which characters delimit words, and the class number that word
// deletion compares. Both delimiter sets come from the settings; an empty setting means the
// default set. Codes are the editor's characters: a single byte below 256, or a Shift-JIS
// double-byte character as lead << 8 | trail.
#pragma once

#include <bitset>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace norv::editing {

// The single-byte delimiters used when the ANKDelimiter setting is empty.
inline constexpr std::string_view kDefaultAnkDelimiter = "\"'/+*-=|~`,.!;:[]{}()<>?";
static_assert(kDefaultAnkDelimiter.size() == 24);
// The double-byte delimiters used when DBCSDelimiter is empty: only a space, so among double-byte
// characters only the ideographic space (always a delimiter) delimits words.
inline constexpr std::string_view kDefaultDbcsDelimiter = " ";

inline constexpr uint16_t kIdeographicSpace = 0x8140;

enum class WordClass : uint8_t {
    kAnk = 0,            // single byte 0x21-0x7E, not a delimiter
    kAnkDelimiter = 2,   // single-byte delimiter, including space, tab and controls
    kHighAnk = 3,        // single byte 0x7F-0xFF, not a delimiter (half-width katakana)
    kKatakana = 4,       // 0x8340-0x8396 and the prolonged sound mark 0x815B
    kHiragana = 5,       // 0x829F-0x833F
    kWideAlnum = 6,      // 0x824F-0x829A, full-width digits and Latin letters
    kKanji = 7,          // 0x889F and above, and 0x8152-0x815A
    kDbcsDelimiter = 8,  // double-byte delimiter
    kOtherDbcs = 9,      // any other double-byte character
};

class WordClasses {
  public:
    // ankDelimiter: single bytes; dbcsDelimiter: Shift-JIS text whose double-byte characters
    // delimit (its single bytes are ignored). Empty means the default set.
    explicit WordClasses(std::string_view ankDelimiter = kDefaultAnkDelimiter,
                         std::string_view dbcsDelimiter = kDefaultDbcsDelimiter);

    bool IsDelimiter(uint16_t code) const;
    WordClass ClassOf(uint16_t code) const;

  private:
    std::bitset<256> ankDelimiters_;
    std::vector<uint16_t> dbcsDelimiters_;  // sorted
};

// The length in bytes of the character at text[pos] (pos < text.size()). In the UTF-8 code pages
// (65000, 65001) the lead byte decides: 0xE0-0xEF three bytes, 0xC0-0xDF two, any other one;
// otherwise a lead byte of the code page with a following byte makes two. Never runs past the
// end of the text.
size_t CharLengthAt(int codePage, std::string_view text, size_t pos);

}  // namespace norv::editing
