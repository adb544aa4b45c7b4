// Finding the words of a line for the spelling check.
#include "tools/spell/word_scanner.h"

#include "document/char_model.h"

namespace norv::tools {

namespace {

uint8_t ByteAt(std::string_view s, size_t i) {
    return i < s.size() ? static_cast<uint8_t>(s[i]) : 0;
}

}  // namespace

size_t WordLengthAt(std::string_view line, size_t start) {
    size_t n = 1;
    while (n < kMaxWordBytes && start + n < line.size()) {
        const uint8_t c = ByteAt(line, start + n);
        bool takes = IsWordByte(c);
        if (!takes && (c == '\'' || c == '-')) takes = IsWordByte(ByteAt(line, start + n + 1));
        if (!takes && c == '.') {
            takes = n == 1 || (n >= 3 && IsWordByte(ByteAt(line, start + n - 1)) &&
                               ByteAt(line, start + n - 2) == '.');
        }
        if (!takes) break;
        ++n;
    }
    return n;
}

std::optional<WordSpan> NextWord(int codePage, std::string_view line, size_t pos, size_t limit) {
    if (limit > line.size()) limit = line.size();
    const char* const end = line.data() + line.size();
    while (pos < limit) {
        const uint8_t b = ByteAt(line, pos);
        if (IsWordByte(b)) return WordSpan{pos, WordLengthAt(line, pos)};
        // One caret step: a character of several bytes is passed over whole.
        pos += document::CharLength(codePage, line.data() + pos, end);
    }
    return std::nullopt;
}

}  // namespace norv::tools
