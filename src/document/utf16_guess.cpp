// The UTF-16 test of files without a byte-order mark.
#include "document/utf16_guess.h"

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
    // Zero bytes on the even and on the odd offsets: the high byte of ASCII and line ends.
    uint64_t zeros[2] = {0, 0};
    for (size_t i = 0; i < n; ++i)
        if (p[i] == 0) ++zeros[i & 1];
    if (zeros[0] == 0 && zeros[1] == 0) return Utf16Guess::kNo;
    // Little endian puts the high byte on the odd offsets; on a tie both orders are tried.
    const bool first = zeros[0] > zeros[1];
    for (bool bigEndian : {first, !first}) {
        if (bigEndian != first && zeros[0] != zeros[1]) break;
        // A high surrogate cut by the end of the part tested is left to the conversion.
        size_t m = n;
        if (m < fileSize && m >= 2) {
            unsigned last = bigEndian ? p[m - 2] : p[m - 1];
            if (last >= 0xD8 && last <= 0xDB) m -= 2;
        }
        Reading r = Read(p, m, bigEndian);
        if (r.fits && r.lineEnds > 0)
            return bigEndian ? Utf16Guess::kBigEndian : Utf16Guess::kLittleEndian;
    }
    return Utf16Guess::kNo;
}

}  // namespace norv::document
