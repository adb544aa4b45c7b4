// The script's private heap for strings: one arena in the heap region of the script address
// space, cut into power-of-two blocks that are recycled through free lists. Every live block is
// recorded with its capacity and its owner (a call level's temporary list, or a variable), which
// is both the list of all strings and what makes releasing an address that is not a live block
// (a literal, a stale or forged reference) a harmless no-op.
//
// The arena's memory is reserved up to its limit when the heap is made, so host pointers into
// it stay valid while blocks are allocated. Blocks start 8 bytes into the arena on 16-byte
// steps (the permanent empty string comes first, every capacity is a power of two of at least
// 16, and a block is only ever reused whole), so the record of a block is kept in a table with
// one entry per 16 bytes of arena, found from its address without a search. Untouched memory
// of the reservation costs nothing until a block reaches it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
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
        return address >= kHeapBase && a + n <= used_;
    }
    uint8_t* At(uint32_t address) { return arena_.get() + (address - kHeapBase); }
    uint32_t used() const { return used_; }
    size_t liveCount() const { return liveCount_; }
    // Frees every block (the run-time object's end).
    void Clear();

  private:
    struct FreeDeleter {
        void operator()(void* p) const;
    };
    // The record of the block that would start at `address` (null when no block can start
    // there); its capacity is 0 when no live block does.
    Block* Slot(uint32_t address) const;

    std::unique_ptr<uint8_t[], FreeDeleter> arena_;  // limit_ bytes, zeroed
    std::unique_ptr<Block[], FreeDeleter> blocks_;   // one per 16 bytes of arena, zeroed
    uint32_t used_ = 0;
    uint32_t limit_;
    size_t liveCount_ = 0;
    std::array<std::vector<uint32_t>, 32> free_;
};

}  // namespace norv::script
