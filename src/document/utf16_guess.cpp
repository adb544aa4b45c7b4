// The UTF-16 test of files without a byte-order mark.
#include "document/utf16_guess.h"

#include <cstring>
#include <initializer_list>

namespace norv::document {
namespace {

struct Reading {
    uint64_t lineEnds = 0;
    bool fits = true;
};

Reading Read(const unsigned char* p, size_t n, bool bigEndian) {
    Reading r;
    bool high = false;  // a high surrogate waits for its low one
    for (size_t i = 0; i + 1 < n; i += 2) {
        auto u = static_cast<char16_t>(bigEndian ? (p[i] << 8) | p[i + 1] : p[i] | (p[i + 1] << 8));
        if (u >= 0xD800 && u <= 0xDBFF) {
            if (high) return {0, false};
            high = true;
            continue;
        }
        if (u >= 0xDC00 && u <= 0xDFFF) {
            if (!high) return {0, false};
            high = false;
            continue;
        }
        if (high || !Utf16UnitFits(u)) return {0, false};
        if (u == 0x0A || u == 0x0D) ++r.lineEnds;
    }
    return r;
}

}  // namespace

Utf16Guess GuessUtf16(const char* text, size_t n, uint64_t fileSize) {
    if (fileSize < 2 || fileSize % 2 != 0) return Utf16Guess::kNo;
    n &= ~static_cast<size_t>(1);
    const auto* p = reinterpret_cast<const unsigned char*>(text);
    // A line end is a unit with a zero byte: a part without one is no UTF-16 text.
    if (n == 0 || std::memchr(p, 0, n) == nullptr) return Utf16Guess::kNo;
    uint64_t lineEnds[2] = {0, 0};  // little, big endian; 0 when the reading does not fit
    for (bool bigEndian : {false, true}) {
        // A high surrogate cut by the end of the part tested is left to the conversion.
        size_t m = n;
        if (m < fileSize && m >= 2) {
            unsigned last = bigEndian ? p[m - 2] : p[m - 1];
            if (last >= 0xD8 && last <= 0xDB) m -= 2;
        }
        Reading r = Read(p, m, bigEndian);
        if (r.fits) lineEnds[bigEndian] = r.lineEnds;
    }
    if (lineEnds[0] == 0 && lineEnds[1] == 0) return Utf16Guess::kNo;
    if (lineEnds[0] != lineEnds[1])
        return lineEnds[1] > lineEnds[0] ? Utf16Guess::kBigEndian : Utf16Guess::kLittleEndian;
    // As many either way: the high byte of ASCII is the zero byte, on the odd offsets in
    // little endian.
    uint64_t zeros[2] = {0, 0};
    for (size_t i = 0; i < n; ++i)
        if (p[i] == 0) ++zeros[i & 1];
    return zeros[0] > zeros[1] ? Utf16Guess::kBigEndian : Utf16Guess::kLittleEndian;
}

}  // namespace norv::document
