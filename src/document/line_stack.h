// The deleted-line ring behind Delete Line and Pop Line, shared by all documents.
//
// 128 slots of records that are no longer linked into any document; pushing into an occupied
// slot frees the record deleted 128 deletions earlier, so only the last 128 lines come back.
#pragma once

#include <array>
#include <cstddef>

#include "document/line_list.h"

namespace norv::document {

class LineStack {
  public:
    static constexpr size_t kSlots = 128;

    explicit LineStack(LineHeap& heap) : heap_(heap) {}
    ~LineStack() { Clear(); }
    LineStack(const LineStack&) = delete;
    LineStack& operator=(const LineStack&) = delete;

    // Takes ownership of an unlinked record.
    void Push(LineRecord* record);
    // Links the most recently pushed record before `before` in `list`; 0 when the ring is empty.
    int Pop(LineList& list, LineRecord* before);
    // The record Pop would return, without taking it (null when empty).
    LineRecord* Peek() const;
    // Frees every record and sets the index back to 0.
    void Clear();
    // Forgets the records without freeing them (the heap was released as a whole).
    void Forget();
    size_t index() const { return index_; }

  private:
    LineHeap& heap_;
    std::array<LineRecord*, kSlots> slots_{};
    size_t index_ = 0;
};

}  // namespace norv::document
