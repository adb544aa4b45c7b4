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

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__)
#include <immintrin.h>
#endif

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

#if defined(__SSE2__)
// Sixteen bytes at a time: the positions that continuation bytes must take (one to three after
// each lead byte, carried into the next block) must be exactly the positions that hold them.
// Blocks with a byte of 0xF8 or more (five- and six-byte leads, or bytes that cannot lead) are
// left to the byte loop. Advances *at over the blocks it checked; returns false on a malformed
// block, and leaves in *expect the continuation bytes still owed to the next byte.
#if defined(__x86_64__)
__attribute__((target("avx2"))) inline uint64_t Mask32(__m256i m) {
    return static_cast<uint32_t>(_mm256_movemask_epi8(m));
}

// The same test 32 bytes at a time, for processors with AVX2 (chosen at run time).
__attribute__((target("avx2"))) bool ScanBlocks32(const uint8_t* p, size_t n, size_t* at,
                                                  uint32_t* carryOut, bool* sawMultiByte) {
    size_t i = *at;
    uint64_t carry = 0;
    const __m256i kC0 = _mm256_set1_epi8(static_cast<char>(0xC0));
    const __m256i k80 = _mm256_set1_epi8(static_cast<char>(0x80));
    const __m256i kE0 = _mm256_set1_epi8(static_cast<char>(0xE0));
    const __m256i kF0 = _mm256_set1_epi8(static_cast<char>(0xF0));
    const __m256i kF8 = _mm256_set1_epi8(static_cast<char>(0xF8));
    while (n - i >= 32) {
        __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + i));
        uint64_t high = Mask32(v);
        if (high == 0) {
            if (carry) return false;
            i += 32;
            continue;
        }
        if (Mask32(_mm256_cmpeq_epi8(_mm256_max_epu8(v, kF8), v))) break;
        uint64_t cont = Mask32(_mm256_cmpeq_epi8(_mm256_and_si256(v, kC0), k80));
        uint64_t lead2 = Mask32(_mm256_cmpeq_epi8(_mm256_and_si256(v, kE0), kC0));
        uint64_t lead3 = Mask32(_mm256_cmpeq_epi8(_mm256_and_si256(v, kF0), kE0));
        uint64_t lead4 = Mask32(_mm256_cmpeq_epi8(_mm256_and_si256(v, kF8), kF0));
        uint64_t need = carry | (lead2 << 1) | (lead3 << 1) | (lead3 << 2) | (lead4 << 1) |
                        (lead4 << 2) | (lead4 << 3);
        if ((need & 0xFFFFFFFFull) != cont) return false;
        if (cont) *sawMultiByte = true;
        carry = need >> 32;
        i += 32;
    }
    *at = i;
    *carryOut = static_cast<uint32_t>(carry);
    return true;
}

bool HasAvx2() {
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}
#endif

bool ScanBlocks(const uint8_t* p, size_t n, size_t* at, int* expect, bool* sawMultiByte) {
    size_t i = *at;
    uint32_t carry = 0;
#if defined(__x86_64__)
    if (HasAvx2()) {
        if (!ScanBlocks32(p, n, &i, &carry, sawMultiByte)) return false;
        // The blocks of 16 below take what is left, carrying on from where those stopped.
    }
#endif
    const __m128i kC0 = _mm_set1_epi8(static_cast<char>(0xC0));
    const __m128i k80 = _mm_set1_epi8(static_cast<char>(0x80));
    const __m128i kE0 = _mm_set1_epi8(static_cast<char>(0xE0));
    const __m128i kF0 = _mm_set1_epi8(static_cast<char>(0xF0));
    const __m128i kF8 = _mm_set1_epi8(static_cast<char>(0xF8));
    while (n - i >= 16) {
        __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        auto high = static_cast<uint32_t>(_mm_movemask_epi8(v));
        if (high == 0) {
            if (carry) return false;
            i += 16;
            continue;
        }
        if (_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_max_epu8(v, kF8), v))) break;
        auto cont =
            static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_and_si128(v, kC0), k80)));
        auto lead2 =
            static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_and_si128(v, kE0), kC0)));
        auto lead3 =
            static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_and_si128(v, kF0), kE0)));
        auto lead4 =
            static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_and_si128(v, kF8), kF0)));
        uint32_t need = carry | (lead2 << 1) | (lead3 << 1) | (lead3 << 2) | (lead4 << 1) |
                        (lead4 << 2) | (lead4 << 3);
        if ((need & 0xFFFF) != cont) return false;
        if (cont) *sawMultiByte = true;
        carry = need >> 16;
        i += 16;
    }
    *at = i;
    // The carried positions are the first ones of what follows.
    *expect = static_cast<int>((carry & 1) + ((carry >> 1) & 1) + ((carry >> 2) & 1));
    return true;
}
#endif

// Scans n bytes starting with `pending` continuation bytes still expected. Returns false at the
// first malformed byte; sets *sawMultiByte when a continuation byte was seen.
bool ScanUtf8(const uint8_t* p, size_t n, int* pending, bool* sawMultiByte) {
    size_t i = 0;
    int expect = *pending;
    size_t bytewiseUntil = 0;
    // Finish a sequence begun in the previous piece.
    while (expect > 0 && i < n) {
        if (!IsContinuation(p[i++])) return false;
        *sawMultiByte = true;
        --expect;
    }
    while (i < n) {
#if defined(__SSE2__)
        if (expect == 0 && n - i >= 16 && i >= bytewiseUntil) {
            size_t before = i;
            if (!ScanBlocks(p, n, &i, &expect, sawMultiByte)) return false;
            // A block with a byte the blocks leave alone is read byte by byte below.
            if (i == before) bytewiseUntil = i + 16;
            while (expect > 0 && i < n) {
                if (!IsContinuation(p[i++])) return false;
                *sawMultiByte = true;
                --expect;
            }
            if (i == n) break;
            if (i != before) continue;
        }
#endif
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
