// The script's private heap for strings: one arena in the heap region of the script address
// space, cut into power-of-two blocks that are recycled through free lists. Every live block is
// recorded with its capacity and its owner (a call level's temporary list, or a variable), which
// is both the list of all strings and what makes releasing an address that is not a live block
// (a literal, a stale or forged reference) a harmless no-op.
//
// The arena's memory is reserved up to its limit when the heap is made, so host pointers into
// it stay valid while blocks are allocated.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "script/address_space.h"

namespace norv::script {

inline constexpr int32_t kOwnedByVariable = -1;
inline constexpr int32_t kNotTracked = -2;

class StringHeap {
  public:
    explicit StringHeap(uint32_t limit = kDefaultHeapLimit);

    struct Block {
        uint32_t capacity;
        int32_t level;  // call level of the temporary list holding it, or kOwnedByVariable
    };

    // A block of at least `size` bytes, its first byte set to NUL; 0 when the limit is reached.
    uint32_t Allocate(uint32_t size, int32_t level);
    // Frees a live block; false (and nothing done) for any other address.
    bool Free(uint32_t address);
    Block* Find(uint32_t address);
    // The permanent empty string (never freed, not a block).
    uint32_t empty() const { return kHeapBase; }

    // True when [address, address + n) lies inside the used arena.
    bool Contains(uint32_t address, uint32_t n) const {
        const uint64_t a = uint64_t(address) - kHeapBase;
        return address >= kHeapBase && a + n <= arena_.size();
    }
    uint8_t* At(uint32_t address) { return arena_.data() + (address - kHeapBase); }
    uint32_t used() const { return static_cast<uint32_t>(arena_.size()); }
    size_t liveCount() const { return live_.size(); }
    // Frees every block (the run-time object's end).
    void Clear();

  private:
    std::vector<uint8_t> arena_;
    uint32_t limit_;
    std::unordered_map<uint32_t, Block> live_;
    std::array<std::vector<uint32_t>, 32> free_;
};

}  // namespace norv::script
