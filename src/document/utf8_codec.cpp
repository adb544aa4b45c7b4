// The UTF-8 test of the loader: does a line (or a text cut into pieces) read as UTF-8?
//
// The test is the editor's own and deliberately loose: a lead byte 110xxxxx, 1110xxxx,
// 11110xxx, 111110xx or 1111110x announces one to five continuation bytes 10xxxxxx; nothing else
// is checked (overlong forms and values beyond Unicode pass). Any other byte where a lead is
// expected, a non-continuation where one is expected, or a sequence cut by the end of a line,
// fails. ASCII carries no evidence either way: an ASCII-only line fails IsUtf8Line and leaves a
// Utf8Scanner as it was. ASCII runs are skipped eight bytes at a time.
#include <bit>
#include <cstring>

#include "document/codec_bits.h"
#include "document/codecs.h"

namespace norv::document {
namespace {

using namespace codec_bits;

// Continuation bytes announced by a lead byte, or -1 for a byte that cannot lead: the count of
// leading one bits less one, for two to six leading ones.
constexpr int ContinuationCount(uint8_t b) {
    const int ones = std::countl_one(b);
    return ones >= 2 && ones <= 6 ? ones - 1 : -1;
}

constexpr bool IsContinuation(uint8_t b) {
    return (b & 0xC0) == 0x80;
}

// Scans n bytes starting with `pending` continuation bytes still expected. Returns false at the
// first malformed byte; sets *sawMultiByte when a continuation byte was seen.
bool ScanUtf8(const uint8_t* p, size_t n, int* pending, bool* sawMultiByte) {
    size_t i = 0;
    int expect = *pending;
    // Finish a sequence begun in the previous piece.
    while (expect > 0 && i < n) {
        if (!IsContinuation(p[i++])) return false;
        *sawMultiByte = true;
        --expect;
    }
    while (i < n) {
        while (n - i >= 8 && (Load8(p + i) & kHighBits) == 0) i += 8;
        while (i < n && p[i] < 0x80) ++i;
        if constexpr (std::endian::native == std::endian::little) {
            // Runs of three-byte sequences (kana and kanji): one word test per character.
            bool run = false;
            uint32_t x;
            while (n - i >= 4 && (std::memcpy(&x, p + i, 4), (x & 0xC0C0F0u) == 0x8080E0u)) {
                i += 3;
                run = true;
            }
            if (run) {
                *sawMultiByte = true;
                continue;
            }
        }
        if (i == n) break;
        const int count = ContinuationCount(p[i]);
        if (count < 0) return false;
        const auto need = static_cast<size_t>(count);
        if (n - i > need) {
            // The whole sequence is in this piece (the common case).
            for (size_t k = 1; k <= need; ++k)
                if (!IsContinuation(p[i + k])) return false;
            *sawMultiByte = true;
            i += need + 1;
            continue;
        }
        // The piece ends inside the sequence: check what is here, expect the rest.
        expect = count;
        for (++i; i < n; ++i, --expect) {
            if (!IsContinuation(p[i])) return false;
            *sawMultiByte = true;
        }
    }
    *pending = expect;
    return true;
}

}  // namespace

bool IsUtf8Line(const char* p, size_t n) {
    int pending = 0;
    bool saw = false;
    return ScanUtf8(reinterpret_cast<const uint8_t*>(p), n, &pending, &saw) && pending == 0 && saw;
}

void Utf8Scanner::Feed(const char* p, size_t n, bool continues) {
    if (malformed_) return;
    if (!ScanUtf8(reinterpret_cast<const uint8_t*>(p), n, &pending_, &sawMultiByte_) ||
        (!continues && pending_ != 0)) {
        malformed_ = true;
        pending_ = 0;
    }
}

}  // namespace norv::document
