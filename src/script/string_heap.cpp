// The script string heap (see string_heap.h).
#include "script/string_heap.h"

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cstring>
#include <new>

namespace norv::script {

namespace {
constexpr uint32_t kMinBlock = 16;
constexpr uint32_t kAlign = 8;
constexpr uint32_t kStep = 16;  // the distance between possible block starts
}  // namespace

void StringHeap::FreeDeleter::operator()(void* p) const {
    std::free(p);
}

StringHeap::StringHeap(uint32_t limit) : limit_(std::min(limit, kMaxHeapLimit)) {
    limit_ = std::max<uint32_t>(limit_, 64);
    // calloc gives pages that are zero without touching them, so the reservation costs only
    // what the script uses.
    arena_.reset(static_cast<uint8_t*>(std::calloc(limit_, 1)));
    blocks_.reset(static_cast<Block*>(std::calloc(limit_ / kStep + 1, sizeof(Block))));
    if (!arena_ || !blocks_) throw std::bad_alloc();
    used_ = kAlign;  // the first bytes hold the permanent empty string
}

StringHeap::Block* StringHeap::Slot(uint32_t address) const {
    const uint64_t offset = uint64_t(address) - kHeapBase;
    if (address < kHeapBase + kAlign || offset >= used_ || (offset - kAlign) % kStep != 0)
        return nullptr;
    return &blocks_[(offset - kAlign) / kStep];
}

uint32_t StringHeap::Allocate(uint32_t size, int32_t level) {
    if (size > (1u << 31)) return 0;
    const uint32_t want = std::max(size, kMinBlock);
    const auto cls = static_cast<int>(std::bit_width(want - 1));  // capacity 1 << cls >= want
    const uint32_t capacity = 1u << cls;
    uint32_t offset;
    if (!free_[static_cast<size_t>(cls)].empty()) {
        offset = free_[static_cast<size_t>(cls)].back();
        free_[static_cast<size_t>(cls)].pop_back();
    } else {
        if (capacity > limit_ - used_) return 0;
        offset = used_;
        used_ += capacity;
    }
    const uint32_t address = kHeapBase + offset;
    arena_[offset] = 0;
    *Slot(address) = Block{capacity, level};
    ++liveCount_;
    return address;
}

bool StringHeap::Free(uint32_t address) {
    Block* b = Slot(address);
    if (b == nullptr || b->capacity == 0) return false;
    const auto cls = static_cast<int>(std::bit_width(b->capacity - 1));
    free_[static_cast<size_t>(cls)].push_back(address - kHeapBase);
    *b = Block{0, 0};
    --liveCount_;
    return true;
}

StringHeap::Block* StringHeap::Find(uint32_t address) {
    Block* b = Slot(address);
    return b != nullptr && b->capacity != 0 ? b : nullptr;
}

void StringHeap::Clear() {
    // Blocks handed out after this read as fresh ones do.
    std::memset(arena_.get(), 0, used_);
    std::memset(blocks_.get(), 0, sizeof(Block) * ((used_ - kAlign) / kStep + 1));
    for (auto& list : free_) list.clear();
    used_ = kAlign;
    liveCount_ = 0;
}

}  // namespace norv::script
