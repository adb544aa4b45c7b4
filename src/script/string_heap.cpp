// The script string heap (see string_heap.h).
#include "script/string_heap.h"

#include <algorithm>
#include <bit>

namespace norv::script {

namespace {
constexpr uint32_t kMinBlock = 16;
constexpr uint32_t kAlign = 8;
}  // namespace

StringHeap::StringHeap(uint32_t limit) : limit_(std::min(limit, kMaxHeapLimit)) {
    limit_ = std::max<uint32_t>(limit_, 64);
    arena_.reserve(limit_);
    arena_.assign(kAlign, 0);  // the first bytes hold the permanent empty string
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
        if (capacity > limit_ - arena_.size()) return 0;
        offset = static_cast<uint32_t>(arena_.size());
        arena_.resize(arena_.size() + capacity, 0);
    }
    const uint32_t address = kHeapBase + offset;
    arena_[offset] = 0;
    live_.emplace(address, Block{capacity, level});
    return address;
}

bool StringHeap::Free(uint32_t address) {
    auto it = live_.find(address);
    if (it == live_.end()) return false;
    const auto cls = static_cast<int>(std::bit_width(it->second.capacity - 1));
    free_[static_cast<size_t>(cls)].push_back(address - kHeapBase);
    live_.erase(it);
    return true;
}

StringHeap::Block* StringHeap::Find(uint32_t address) {
    auto it = live_.find(address);
    return it == live_.end() ? nullptr : &it->second;
}

void StringHeap::Clear() {
    live_.clear();
    for (auto& list : free_) list.clear();
    arena_.assign(kAlign, 0);
}

}  // namespace norv::script
