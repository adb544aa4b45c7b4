// The Check Kanji Code question: is the whole text JIS or EUC-JP that was read as ANSI?
//
// JIS is tried first because its escape sequences are unmistakable; EUC-JP only when the text is
// not JIS. A text in which either decoder meets an invalid pair is not in that code.
#include "document/codecs.h"

namespace norv::document {

KanjiGuess CheckKanjiCode(std::string_view text, std::string* converted) {
    std::string buffer(text.size(), '\0');
    size_t length = 0;
    KanjiGuess guess = KanjiGuess::kNone;
    if (JisToSjis(buffer.data(), text.data(), text.size(), &length) == 1) {
        guess = KanjiGuess::kJis;
    } else if (EucToSjis(buffer.data(), text.data(), text.size(), &length) == 1) {
        guess = KanjiGuess::kEuc;
    }
    if (guess != KanjiGuess::kNone && converted) {
        buffer.resize(length);
        *converted = std::move(buffer);
    }
    return guess;
}

}  // namespace norv::document
