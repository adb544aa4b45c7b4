// The block heap of line records.
#include "document/line_heap.h"

#include <cstdlib>
#include <cstring>

namespace norv::document {

struct LineHeap::Block {
    uint8_t marker;    // 'X'
    uint8_t reserved;
    uint16_t live;     // live cells
    uint32_t pad;
    Block* prev;
    Block* next;
};
static_assert(sizeof(LineHeap::Block) == 24, "laid out for 64-bit pointers");


namespace {

constexpr uint8_t kMarker = 'X';
// The first cell header stands at byte 28 so that its data starts at byte 32 (8-aligned).
constexpr uint16_t kFirstCellWords = 14;

uint16_t* CellHeader(const void* p) {
    return reinterpret_cast<uint16_t*>(const_cast<char*>(static_cast<const char*>(p)) - 4);
}

}  // namespace

LineHeap::LineHeap(size_t blockBytes, size_t maxBlocks)
    : blockBytes_(blockBytes & ~static_cast<size_t>(7)), maxBlocks_(maxBlocks) {
    if (blockBytes_ > 131064) blockBytes_ = 131064;
    if (blockBytes_ < 64) blockBytes_ = 64;
    Reset();
}

LineHeap::~LineHeap() { ReleaseAll(); }

uint16_t LineHeap::FreshDistance() const { return kFirstCellWords; }

void LineHeap::PostNoMemory() {
    if (sink_) sink_->PostStatus(platform::StatusCode::kNoMemory);
}

LineHeap::Block* LineHeap::NewBlock() {
    if (blockCount_ >= maxBlocks_) return nullptr;
    void* mem = std::malloc(blockBytes_);
    if (!mem) return nullptr;
    auto* b = static_cast<Block*>(mem);
    b->marker = kMarker;
    b->reserved = 0;
    b->live = 0;
    b->pad = 0;
    b->prev = nullptr;
    b->next = nullptr;
    ++blockCount_;
    return b;
}

void LineHeap::ReleaseBlock(Block* b) {
    b->marker = 0;
    std::free(b);
    --blockCount_;
}

void LineHeap::ResetCarving() {
    carveDistance_ = kFirstCellWords;
    freeWords_ = static_cast<uint32_t>(blockBytes_ / 2 - kFirstCellWords);
}

void LineHeap::ReleaseAll() {
    Block* b = head_;
    while (b) {
        Block* next = b->next;
        ReleaseBlock(b);
        b = next;
    }
    head_ = current_ = nullptr;
    carveDistance_ = 0;
    freeWords_ = 0;
}

void LineHeap::Reset() {
    ReleaseAll();
    head_ = current_ = NewBlock();
    if (current_) ResetCarving();
}

void* LineHeap::Allocate(size_t n) {
    // Capacity ceil(n/2) + 1 words; the whole cell (two header words included) is rounded up
    // to a multiple of 4 words so that the next cell's data stays 8-byte aligned.
    size_t w = (n + 1) / 2 + 1;
    size_t cell = (w + 2 + 3) & ~static_cast<size_t>(3);
    w = cell - 2;
    if (w > 0xFFFF || cell > blockBytes_ / 2 - kFirstCellWords) {
        PostNoMemory();
        return nullptr;
    }
    if (!current_ || freeWords_ < cell) {
        Block* b = NewBlock();
        if (!b) {
            PostNoMemory();
            return nullptr;
        }
        if (current_) {
            b->prev = current_;
            b->next = current_->next;
            if (current_->next) current_->next->prev = b;
            current_->next = b;
        } else {
            head_ = b;
        }
        current_ = b;
        ResetCarving();
    }
    auto* base = reinterpret_cast<uint16_t*>(current_);
    uint16_t* header = base + carveDistance_;
    header[0] = carveDistance_;
    header[1] = static_cast<uint16_t>(w);
    carveDistance_ = static_cast<uint16_t>(carveDistance_ + cell);
    freeWords_ -= static_cast<uint32_t>(cell);
    ++current_->live;
    return header + 2;
}

int LineHeap::Free(void* p) {
    if (!p) return 0;
    uint16_t* header = CellHeader(p);
    uint16_t distance = header[0];
    if (distance == 0) {
        PostNoMemory();
        return 0;
    }
    auto* b = reinterpret_cast<Block*>(header - distance);
    if (b->marker != kMarker || b->live == 0) {
        PostNoMemory();
        return 0;
    }
    header[0] = 0;
    if (--b->live > 0) return 1;
    if (b == current_) {
        ResetCarving();
        return 1;
    }
    // An empty block that is not being carved goes back to the system.
    if (b->prev) b->prev->next = b->next;
    else head_ = b->next;
    if (b->next) b->next->prev = b->prev;
    ReleaseBlock(b);
    return 1;
}

void* LineHeap::Reallocate(void* p, size_t n) {
    if (!p) return Allocate(n);
    size_t capWords = CellHeader(p)[1];
    if ((n + 1) / 2 <= capWords) return p;
    void* q = Allocate(n);
    if (!q) return nullptr;
    std::memcpy(q, p, capWords * 2 < n ? capWords * 2 : n);
    Free(p);
    return q;
}

size_t LineHeap::Capacity(const void* p) { return static_cast<size_t>(CellHeader(p)[1]) * 2; }

size_t LineHeap::LiveCells() const {
    size_t n = 0;
    for (Block* b = head_; b; b = b->next) n += b->live;
    return n;
}

LineHeap& ProgramLineHeap() {
    static LineHeap heap;
    return heap;
}

}  // namespace norv::document
