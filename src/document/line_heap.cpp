// The block heap of line records.
#include "document/line_heap.h"

#include <sys/mman.h>

#include <cassert>
#include <cstdlib>
#include <cstring>
#include <new>

namespace norv::document {

struct LineHeap::Block {
    uint8_t marker;  // 'X'
    uint8_t reserved;
    uint16_t live;  // live cells
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

LineHeap::~LineHeap() {
    ReleaseAll();
    FreeSpareSlabs();
}

uint16_t LineHeap::FreshDistance() const {
    return kFirstCellWords;
}

void LineHeap::PostNoMemory() {
    if (sink_) sink_->PostStatus(platform::StatusCode::kNoMemory);
}

// A slab: a header, then up to 64 blocks side by side.
struct LineHeap::Slab {
    char* base;  // the memory (the header stands elsewhere)
    size_t bytes;
    unsigned blocks;    // blocks in this slab
    uint64_t freeMask;  // bit i: block i is not in use
};

namespace {

constexpr size_t kSlabBytes = 2u << 20;
constexpr size_t kMaxBlocksPerSlab = 64;
constexpr size_t kSpareSlabs = 4;

uint64_t AllBlocks(unsigned blocks) {
    return blocks == 64 ? ~0ull : (1ull << blocks) - 1;
}

}  // namespace

void LineHeap::FreeSpareSlabs() {
    for (Slab* slab : slabs_) {
        std::free(slab->base);
        delete slab;
    }
    slabs_.clear();
    spareSlabs_ = 0;
    slabHint_ = 0;
}

LineHeap::Slab* LineHeap::NewSlab() {
    size_t perSlab = kSlabBytes / blockBytes_;
    if (perSlab < 1) perSlab = 1;
    if (perSlab > kMaxBlocksPerSlab) perSlab = kMaxBlocksPerSlab;
    size_t bytes = perSlab * blockBytes_;
    void* mem = nullptr;
    if (bytes * 2 >= kSlabBytes) {
        bytes = (bytes + kSlabBytes - 1) & ~(kSlabBytes - 1);
        mem = std::aligned_alloc(kSlabBytes, bytes);
#ifndef MADV_POPULATE_WRITE
#define MADV_POPULATE_WRITE 23
#endif
        // Huge pages where the system has them, faulted in with one call rather than one
        // exception per page.
        if (mem) {
            madvise(mem, bytes, MADV_HUGEPAGE);
            madvise(mem, bytes, MADV_POPULATE_WRITE);
        }
    } else {
        mem = std::malloc(bytes);
    }
    if (!mem) return nullptr;
    auto* slab =
        new (std::nothrow) Slab{static_cast<char*>(mem), bytes, static_cast<unsigned>(perSlab),
                                AllBlocks(static_cast<unsigned>(perSlab))};
    if (!slab) {
        std::free(mem);
        return nullptr;
    }
    slabs_.push_back(slab);
    ++spareSlabs_;
    return slab;
}

bool LineHeap::Reserve(size_t bytes) {
    size_t freeBlocks = 0;
    for (const Slab* slab : slabs_)
        freeBlocks += static_cast<size_t>(__builtin_popcountll(slab->freeMask));
    if (freeBlocks * blockBytes_ >= bytes) return false;
    return NewSlab() != nullptr;
}

void LineHeap::TrimSpares() {
    for (size_t k = slabs_.size(); k-- > 0 && spareSlabs_ > kSpareSlabs;) {
        Slab* slab = slabs_[k];
        if (slab->freeMask != AllBlocks(slab->blocks)) continue;
        std::free(slab->base);
        delete slab;
        slabs_.erase(slabs_.begin() + static_cast<long>(k));
        --spareSlabs_;
    }
    slabHint_ = 0;
}

LineHeap::Block* LineHeap::NewBlock() {
    if (blockCount_ >= maxBlocks_) return nullptr;
    Slab* slab = nullptr;
    for (size_t k = 0; k < slabs_.size() && !slab; ++k) {
        size_t i = (slabHint_ + k) % slabs_.size();
        if (slabs_[i]->freeMask) {
            slab = slabs_[i];
            slabHint_ = i;
        }
    }
    if (!slab) {
        slab = NewSlab();
        if (!slab) return nullptr;
        slabHint_ = slabs_.size() - 1;
    }
    if (slab->freeMask == AllBlocks(slab->blocks)) --spareSlabs_;
    unsigned i = static_cast<unsigned>(__builtin_ctzll(slab->freeMask));
    slab->freeMask &= ~(1ull << i);
    auto* b = reinterpret_cast<Block*>(slab->base + i * blockBytes_);
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
    --blockCount_;
    auto* p = reinterpret_cast<char*>(b);
    for (size_t k = 0; k < slabs_.size(); ++k) {
        Slab* slab = slabs_[k];
        if (p < slab->base || p >= slab->base + slab->blocks * blockBytes_) continue;
        size_t i = static_cast<size_t>(p - slab->base) / blockBytes_;
        slab->freeMask |= 1ull << i;
        if (slab->freeMask == AllBlocks(slab->blocks) && spareSlabs_ < kSpareSlabs) {
            ++spareSlabs_;
            slabHint_ = k;
        } else if (slab->freeMask == AllBlocks(slab->blocks)) {
            std::free(slab->base);
            delete slab;
            slabs_.erase(slabs_.begin() + static_cast<long>(k));
            slabHint_ = 0;
        } else {
            slabHint_ = k;
        }
        return;
    }
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
    assert(uint32_t{carveDistance_} + freeWords_ == blockBytes_ / 2 &&
           "the carving point and the free words add up to the block");
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
    assert(distance >= kFirstCellWords && distance + 2u + header[1] <= blockBytes_ / 2 &&
           (distance - kFirstCellWords) % 4 == 0 && "a live cell lies inside its block");
    assert((b != current_ || distance < carveDistance_) &&
           "a cell of the current block lies before its carving point");
    header[0] = 0;
    if (--b->live > 0) return 1;
    if (b == current_) {
        ResetCarving();
        return 1;
    }
    // An empty block that is not being carved goes back to the system.
    if (b->prev)
        b->prev->next = b->next;
    else
        head_ = b->next;
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

size_t LineHeap::Capacity(const void* p) {
    return static_cast<size_t>(CellHeader(p)[1]) * 2;
}

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
