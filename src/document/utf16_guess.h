// Recognising UTF-16 text that has no byte-order mark.
//
// Without a mark, UTF-16 text read as bytes is garbage, and a save rewrites it as garbage. The
// test is strict so that no other file passes it: an even length; line ends present as code
// units in one byte order (that order is the file's); and no code unit that text never holds
// (NUL and the other control characters but tab, line ends, form feed, ESC, 0x1A and the bell,
// backspace and vertical tab that roff sources and overstruck manual pages carry; the C1
// controls; an unpaired surrogate; U+FFFE and U+FFFF). Binaries, compressed data and random
// bytes fail at once on these units. Both byte orders are read: the zero bytes cannot tell the
// order, since U+3000, U+4E00 and the other U+xx00 characters of Japanese text put zeros on the
// low byte, and a text with few ASCII characters may hold more of those than of line ends. A
// line end read in the wrong order is U+0A00 or U+0D00, which text almost never holds, so the
// order whose reading fits and has line ends is the file's (the one with more line ends when
// both do).
#pragma once

#include <cstddef>
#include <cstdint>

namespace norv::document {

enum class Utf16Guess { kNo, kLittleEndian, kBigEndian };

// The test over the start of a file (`n` bytes of the `fileSize`); a file that passes here is
// read as UTF-16, and the units after `n` are checked as they are converted (Utf16UnitFits).
Utf16Guess GuessUtf16(const char* p, size_t n, uint64_t fileSize);

// Whether a code unit can stand in UTF-16 text (surrogates are checked by their pairing).
constexpr bool Utf16UnitFits(char16_t u) {
    if (u < 0x20)
        return (u >= 0x07 && u <= 0x0D) || u == 0x1A || u == 0x1B;  // BEL BS TAB LF VT FF CR
    if (u >= 0x7F && u <= 0x9F) return false;
    return u != 0xFFFE && u != 0xFFFF;
}

}  // namespace norv::document
