// Integer names of line records (see line_handles.h).
#include "document/line_handles.h"

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

uint32_t LineHandles::HandleOf(const LineRecord* record) {
    if (record == nullptr) return 0;
    auto it = byRecord_.find(record);
    if (it != byRecord_.end()) return it->second;
    uint32_t h = NewHandle();
    while (byHandle_.count(h) != 0) h = NewHandle();
    byRecord_.emplace(record, h);
    byHandle_.emplace(h, const_cast<LineRecord*>(record));
    return h;
}

LineRecord* LineHandles::Find(uint32_t handle) const {
    if (handle == 0) return nullptr;
    auto it = byHandle_.find(handle);
    return it == byHandle_.end() ? nullptr : it->second;
}

void LineHandles::Forget(const LineRecord* record) {
    if (byRecord_.empty()) return;
    auto it = byRecord_.find(record);
    if (it == byRecord_.end()) return;
    byHandle_.erase(it->second);
    byRecord_.erase(it);
}

void LineHandles::Moved(const LineRecord* from, LineRecord* to) {
    if (byRecord_.empty()) return;
    auto it = byRecord_.find(from);
    if (it == byRecord_.end()) return;
    const uint32_t h = it->second;
    byRecord_.erase(it);
    byRecord_[to] = h;
    byHandle_[h] = to;
}

void LineHandles::Clear() {
    byHandle_.clear();
    byRecord_.clear();
}

}  // namespace norv::document
