// Word-at-a-time byte tests for the ASCII fast paths of the codecs.
//
// A run of ASCII is copied or skipped eight bytes at a time; the tests below are exact (no false
// positives), so a word that fails them is handled byte by byte.
#pragma once

#include <cstdint>
#include <cstring>

namespace norv::document::codec_bits {

inline constexpr uint64_t kOnes = 0x0101010101010101ull;
inline constexpr uint64_t kHighBits = 0x8080808080808080ull;

inline uint64_t Load8(const uint8_t* p) {
    uint64_t x;
    std::memcpy(&x, p, 8);
    return x;
}

inline void Store8(uint8_t* p, uint64_t x) {
    std::memcpy(p, &x, 8);
}

// Nonzero exactly when some byte of x is zero.
constexpr uint64_t ZeroByte(uint64_t x) {
    return (x - kOnes) & ~x & kHighBits;
}

// Nonzero exactly when some byte of x equals b.
constexpr uint64_t HasByte(uint64_t x, uint8_t b) {
    return ZeroByte(x ^ (kOnes * b));
}

}  // namespace norv::document::codec_bits
