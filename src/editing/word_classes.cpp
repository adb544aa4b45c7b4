// Word character classes (see word_classes.h). The class ranges are Shift-JIS codes; the table
// below is ordered so that the first range containing a code decides.
#include "editing/word_classes.h"

#include <algorithm>
#include <array>

#include "platform/code_page.h"

namespace norv::editing {
namespace {

struct ClassRange {
    uint16_t low;
    uint16_t high;
    WordClass wordClass;
};

constexpr std::array<ClassRange, 6> kDbcsClassRanges = {{
    {0x815B, 0x815B, WordClass::kKatakana},
    {0x8152, 0x815A, WordClass::kKanji},
    {0x824F, 0x829A, WordClass::kWideAlnum},
    {0x829F, 0x833F, WordClass::kHiragana},
    {0x8340, 0x8396, WordClass::kKatakana},
    {0x889F, 0xFFFF, WordClass::kKanji},
}};

}  // namespace

WordClasses::WordClasses(std::string_view ankDelimiter, std::string_view dbcsDelimiter) {
    if (ankDelimiter.empty()) ankDelimiter = kDefaultAnkDelimiter;
    if (dbcsDelimiter.empty()) dbcsDelimiter = kDefaultDbcsDelimiter;
    for (char c : ankDelimiter) ankDelimiters_.set(static_cast<uint8_t>(c));
    for (size_t i = 0; i < dbcsDelimiter.size();) {
        auto lead = static_cast<uint8_t>(dbcsDelimiter[i]);
        if (platform::IsLeadByte(932, lead) && i + 1 < dbcsDelimiter.size()) {
            auto trail = static_cast<uint8_t>(dbcsDelimiter[i + 1]);
            dbcsDelimiters_.push_back(static_cast<uint16_t>(lead << 8 | trail));
            i += 2;
        } else {
            ++i;
        }
    }
    std::sort(dbcsDelimiters_.begin(), dbcsDelimiters_.end());
}

bool WordClasses::IsDelimiter(uint16_t code) const {
    if (code < 0x100) return code <= 0x20 || ankDelimiters_.test(code);
    return code == kIdeographicSpace ||
           std::binary_search(dbcsDelimiters_.begin(), dbcsDelimiters_.end(), code);
}

WordClass WordClasses::ClassOf(uint16_t code) const {
    if (code < 0x100) {
        if (IsDelimiter(code)) return WordClass::kAnkDelimiter;
        return code < 0x7F ? WordClass::kAnk : WordClass::kHighAnk;
    }
    if (IsDelimiter(code)) return WordClass::kDbcsDelimiter;
    for (const ClassRange& r : kDbcsClassRanges) {
        if (code >= r.low && code <= r.high) return r.wordClass;
    }
    return WordClass::kOtherDbcs;
}

size_t CharLengthAt(int codePage, std::string_view text, size_t pos) {
    size_t left = text.size() - pos;
    auto b = static_cast<uint8_t>(text[pos]);
    size_t want = 1;
    if (codePage == platform::kCodePageUtf8 || codePage == platform::kCodePageUtf8Internal) {
        if (b >= 0xE0 && b <= 0xEF)
            want = 3;
        else if (b >= 0xC0 && b <= 0xDF)
            want = 2;
    } else if (platform::IsLeadByte(codePage, b)) {
        want = 2;
    }
    return std::min(want, left);
}

}  // namespace norv::editing
