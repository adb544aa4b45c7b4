// The block heap that every line record of every document comes from.
//
// Blocks of 128000 bytes are carved front to back; a cell is never reused until its whole block
// is empty, so allocation is a bump of the carving point and memory goes back block by block.
// Block header (64-bit layout): marker "X", a reserved byte, the live-cell count, padding, the
// previous and next block. Blocks are taken from 2 MB slabs that the system backs with huge pages
// where it can (a 100 MB file then costs a few dozen page faults instead of tens of thousands); a
// slab goes back to the system when its last block does, but for a few kept for the next blocks
// (an edit of every line frees old slabs while it fills new ones: memory already faulted in). Cell:
// two 16-bit words (distance from the block start in words, 0 once freed; capacity in words), then
// the data, which is 8-byte aligned.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/status.h"

namespace norv::document {

class LineHeap {
  public:
    static constexpr size_t kDefaultBlockBytes = 128000;

    // `blockBytes` is the size of one block (at most 131070, so distances fit 16 bits);
    // `maxBlocks` limits how many blocks may be live at once (tests use it to run out of memory).
    explicit LineHeap(size_t blockBytes = kDefaultBlockBytes, size_t maxBlocks = SIZE_MAX);
    ~LineHeap();
    LineHeap(const LineHeap&) = delete;
    LineHeap& operator=(const LineHeap&) = delete;

    // Where status 7 (out of memory, bad free) is reported; may be null.
    void SetStatusSink(platform::StatusSink* sink) { sink_ = sink; }

    // A cell of at least n bytes, or null (status 7 posted) when no memory is left.
    void* Allocate(size_t n);
    // Returns 1, or 0 (status 7) when p is not a live cell of this heap.
    int Free(void* p);
    // p itself when its capacity suffices, else a new cell with the old contents (old freed).
    void* Reallocate(void* p, size_t n);
    // Memory for cells of about `bytes` more, taken ahead (faulted in while there is time,
    // before an edit that fills it): adds one empty slab when the free blocks fall short and
    // returns true, so that a caller can take it a slab at a time between other work; false
    // once there is room enough or no more memory. Unused slabs stay until TrimSpares.
    bool Reserve(size_t bytes);
    // Gives back the empty slabs beyond the few that are kept.
    void TrimSpares();
    // Gives every block back; Reset() then starts a fresh first block.
    void ReleaseAll();
    void Reset();

    // The data capacity of a live cell in bytes.
    static size_t Capacity(const void* p);
    size_t BlockCount() const { return blockCount_; }
    // The slabs held, those in use and the empty ones kept or reserved (for tests).
    size_t SlabCount() const { return slabs_.size(); }
    size_t LiveCells() const;
    // Distance and free words at the carving point of the current block (for tests).
    uint16_t CarvingDistance() const { return carveDistance_; }
    uint32_t FreeWords() const { return freeWords_; }
    uint16_t FreshDistance() const;
    size_t BlockWords() const { return blockBytes_ / 2; }

  public:
    struct Block;

  private:
    struct Slab;
    Block* NewBlock();
    // A slab with every block free (counted as spare), added to the list; null without memory.
    Slab* NewSlab();
    void ReleaseBlock(Block* b);
    // Gives back the slabs kept with no block in use (every slab, once no block is).
    void FreeSpareSlabs();
    void ResetCarving();
    void PostNoMemory();

    size_t blockBytes_;
    size_t maxBlocks_;
    platform::StatusSink* sink_ = nullptr;
    std::vector<Slab*> slabs_;  // the memory blocks are carved from
    size_t slabHint_ = 0;       // a slab that may have a free block
    Block* head_ = nullptr;
    Block* current_ = nullptr;
    size_t blockCount_ = 0;
    size_t spareSlabs_ = 0;  // slabs with no block in use, kept
    uint16_t carveDistance_ = 0;
    uint32_t freeWords_ = 0;
};

// The heap shared by all documents of the program.
LineHeap& ProgramLineHeap();

}  // namespace norv::document
