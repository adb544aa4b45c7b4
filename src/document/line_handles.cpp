// Integer names of line records (see line_handles.h).
#include "document/line_handles.h"

#include <algorithm>
#include <bit>
#include <new>

namespace norv::document {

namespace {

// Handles stay positive 32-bit numbers, so a script can test them like any Integer. After 2^31
// handles the count starts again at 1: a handle that old has long been forgotten by then.
uint32_t gNextHandle = 1;

uint32_t NewHandle() {
    const uint32_t h = gNextHandle;
    gNextHandle = gNextHandle >= 0x7FFFFFFFu ? 1u : gNextHandle + 1u;
    return h;
}

}  // namespace

namespace {

uint64_t Key(const LineRecord* record) {
    return reinterpret_cast<uintptr_t>(record);
}

}  // namespace

uint32_t LineHandles::HandleOf(const LineRecord* record) {
    if (record == nullptr) return 0;
    // One probe finds the record's handle or the slot a new one goes into.
    uint64_t& slot = byRecord_.Slot(Key(record));
    if (slot != 0) return static_cast<uint32_t>(slot);
    uint32_t h = NewHandle();
    while (byHandle_.Get(h) != nullptr) h = NewHandle();
    slot = h;
    byHandle_.Set(h, const_cast<LineRecord*>(record));
    return h;
}

LineRecord* LineHandles::Find(uint32_t handle) const {
    return byHandle_.Get(handle);
}

void LineHandles::Forget(const LineRecord* record) {
    if (byRecord_.size() == 0 || record == nullptr) return;
    const uint64_t h = byRecord_.Get(Key(record));
    if (h == 0) return;
    byHandle_.Erase(static_cast<uint32_t>(h));
    byRecord_.Erase(Key(record));
}

void LineHandles::Moved(const LineRecord* from, LineRecord* to) {
    if (byRecord_.size() == 0 || from == nullptr) return;
    const uint64_t h = byRecord_.Get(Key(from));
    if (h == 0) return;
    byRecord_.Erase(Key(from));
    if (to == nullptr) {
        byHandle_.Erase(static_cast<uint32_t>(h));
        return;
    }
    byRecord_.Set(Key(to), h);
    byHandle_.Set(static_cast<uint32_t>(h), to);
}

void LineHandles::Reserve(size_t lines) {
    byRecord_.Reserve(lines);
}

void LineHandles::Clear() {
    byHandle_.Clear();
    byRecord_.Clear();
}

// ---- handle -> record

LineRecord* LineHandles::Pages::Get(uint32_t handle) const {
    const size_t page = handle >> kPageBits;
    if (handle == 0 || page >= pages_.size() || !pages_[page]) return nullptr;
    return pages_[page]->records[handle & ((1u << kPageBits) - 1)];
}

void LineHandles::Pages::Set(uint32_t handle, LineRecord* record) {
    if (handle == 0 || record == nullptr) return;
    const size_t page = handle >> kPageBits;
    if (page >= pages_.size()) pages_.resize(page + 1);
    if (!pages_[page]) pages_[page] = std::make_unique<Page>();
    LineRecord*& slot = pages_[page]->records[handle & ((1u << kPageBits) - 1)];
    if (slot == nullptr) {
        ++pages_[page]->used;
        ++size_;
    }
    slot = record;
}

void LineHandles::Pages::Erase(uint32_t handle) {
    const size_t page = handle >> kPageBits;
    if (handle == 0 || page >= pages_.size() || !pages_[page]) return;
    LineRecord*& slot = pages_[page]->records[handle & ((1u << kPageBits) - 1)];
    if (slot == nullptr) return;
    slot = nullptr;
    --size_;
    if (--pages_[page]->used == 0) pages_[page].reset();
}

void LineHandles::Pages::Clear() {
    std::vector<std::unique_ptr<Page>>().swap(pages_);
    size_ = 0;
}

// ---- record -> handle

size_t LineHandles::Map::Home(uint64_t key) const {
    // The keys are addresses of records. The 4 KB page of an address picks a place at random
    // (Fibonacci hashing: the high bits of the product), and the records of one page, at least
    // 32 bytes apart, lie side by side from there: a walk through the document in memory order
    // meets the slots in order instead of one cache line, and one page of the table, per line.
    if (slots_.empty()) return 0;
    const size_t page = static_cast<size_t>(((key >> 12) * 0x9E3779B97F4A7C15ull) >> shift_);
    return (page + static_cast<size_t>((key >> 5) & 127)) & (slots_.size() - 1);
}

size_t LineHandles::Map::IndexOf(uint64_t key) const {
    if (key == 0 || slots_.empty()) return slots_.size();
    const size_t mask = slots_.size() - 1;
    for (size_t i = Home(key);; i = (i + 1) & mask) {
        if (slots_[i].key == key) return i;
        if (slots_[i].key == 0) return slots_.size();
    }
}

uint64_t LineHandles::Map::Get(uint64_t key) const {
    const size_t i = IndexOf(key);
    return i < slots_.size() ? slots_[i].value : 0;
}

void LineHandles::Map::Set(uint64_t key, uint64_t value) {
    if (key == 0) return;
    if ((size_ + 1) * 2 > slots_.size()) Grow();
    const size_t mask = slots_.size() - 1;
    size_t i = Home(key);
    while (slots_[i].key != 0 && slots_[i].key != key) i = (i + 1) & mask;
    if (slots_[i].key == 0) ++size_;
    slots_[i] = Entry{key, value};
}

uint64_t& LineHandles::Map::Slot(uint64_t key) {
    if ((size_ + 1) * 2 > slots_.size()) Grow();
    const size_t mask = slots_.size() - 1;
    size_t i = Home(key);
    while (slots_[i].key != 0 && slots_[i].key != key) i = (i + 1) & mask;
    if (slots_[i].key == 0) {
        ++size_;
        slots_[i] = Entry{key, 0};
    }
    return slots_[i].value;
}

bool LineHandles::Map::Erase(uint64_t key) {
    size_t i = IndexOf(key);
    if (i == slots_.size()) return false;
    const size_t mask = slots_.size() - 1;
    // Every entry after the hole that may not stay where it is moves back into it.
    for (size_t j = (i + 1) & mask; slots_[j].key != 0; j = (j + 1) & mask) {
        const size_t home = Home(slots_[j].key);
        const bool stays = i <= j ? (home > i && home <= j) : (home > i || home <= j);
        if (stays) continue;
        slots_[i] = slots_[j];
        i = j;
    }
    slots_[i] = Entry{0, 0};
    --size_;
    return true;
}

LineHandles::Map::Slots::Slots(size_t n) {
    if (n == 0) return;
    entries.reset(static_cast<Entry*>(std::calloc(n, sizeof(Entry))));
    if (!entries) throw std::bad_alloc();
    count = n;
}

void LineHandles::Map::Grow() {
    Slots old = std::move(slots_);
    const size_t n = old.empty() ? 16 : old.size() * 2;
    slots_ = Slots(n);
    shift_ = 64 - std::countr_zero(n);
    size_ = 0;
    for (size_t i = 0; i < old.size(); ++i)
        if (old[i].key != 0) Set(old[i].key, old[i].value);
}

void LineHandles::Map::Reserve(size_t n) {
    if (size_ != 0 || n > (size_t{1} << 40)) return;
    // Under half full with n keys, as Set keeps it.
    const size_t slots = std::bit_ceil(std::max<size_t>(16, (n + 1) * 2));
    if (slots <= slots_.size()) return;
    slots_ = Slots(slots);
    shift_ = 64 - std::countr_zero(slots);
}

void LineHandles::Map::Clear() {
    slots_ = Slots();
    size_ = 0;
    shift_ = 64;
}

}  // namespace norv::document
