// The record list of a document: a doubly linked list of line records with a sentinel.
//
// The sentinel (a record holding one line feed) is not a line of the text; its `next` is the
// first line, but the first line's `prev` is null, so every operation that needs the record
// before the first line uses the sentinel. A document always has at least one line once loaded.
// Operations return 1 on success and 0 when the heap has no memory, as the rest of the document
// code expects.
#pragma once

#include <cstddef>
#include <functional>
#include <vector>

#include "document/line_heap.h"
#include "document/line_record.h"

namespace norv::document {

class LineList {
  public:
    explicit LineList(LineHeap& heap);
    ~LineList();
    LineList(const LineList&) = delete;
    LineList& operator=(const LineList&) = delete;

    LineHeap& heap() const { return heap_; }
    LineRecord* sentinel() const { return head_; }
    LineRecord* first() const { return head_ ? head_->next : nullptr; }
    LineRecord* last() const { return tail_ == head_ ? nullptr : tail_; }
    int count() const { return count_; }

    // A new record from text (see MeasureLine for n = 0), not linked; null when out of memory.
    // With `capacity` the cell has room for at least that many text bytes.
    LineRecord* MakeRecord(const char* text, size_t n, size_t capacity = 0);

    // Makes a record of n bytes (ending in a line feed) and links it after the tail.
    int AppendLine(const char* text, size_t n);
    // Appends a line of `n` content bytes (no line feed among them; a line feed is added) with
    // the given flags; the loader's fast path. Longer content is cut at 65534 bytes.
    int AppendContent(const char* content, size_t n, uint8_t flags);
    // As AppendLine; n = 0 measures the text up to and including its first line feed.
    int AppendLineFromText(const char* text, size_t n);
    // Makes a record and links it before `before`.
    int NewLineBefore(const char* text, size_t n, LineRecord* before);
    int InsertLineBefore(LineRecord* record, LineRecord* before);
    int InsertLineAfter(LineRecord* record, LineRecord* after);
    // Links `count` records already chained from `first` to `last` (by their next and prev
    // pointers) after `after` (the sentinel or null: at the start) in one step.
    int InsertChainAfter(LineRecord* first, LineRecord* last, int count, LineRecord* after);
    // Takes a record out of the list without freeing it.
    int UnlinkLine(LineRecord* record);
    // Puts the records of a run of the list (`run`, in their order) in the order of `placed`,
    // a permutation of them: as unlinking them all and linking `placed` where they stood, in one
    // pass (onUnlink hears of each record).
    void ReorderRun(const std::vector<LineRecord*>& run, const std::vector<LineRecord*>& placed);
    // Sets the length to n (display rows 0), moving the record when its cell is too small; the
    // neighbours are relinked and the relocation callback told. Returns the new address or null.
    LineRecord* ResizeLine(LineRecord* record, size_t n);
    // Frees every record, the sentinel included.
    void FreeAllLines();
    // Frees the lines and makes a fresh sentinel (an empty list, count 0).
    int Reset();
    // Frees a record that is not linked.
    void FreeRecord(LineRecord* record) { heap_.Free(record); }

    // Told whenever a record moves, so that views can update their pointers.
    std::function<void(LineRecord* from, LineRecord* to)> onRelocate;
    // Told whenever a record leaves the list (unlinked) and when every record goes at once
    // (FreeAllLines, Reset), so that names given to records can be forgotten.
    std::function<void(const LineRecord* record)> onUnlink;
    std::function<void()> onClear;

    // The 1-based number of a line, and the line of a number (null when out of range). Linear.
    int LineNumberOf(const LineRecord* record) const;
    LineRecord* LineAt(int number) const;

  private:
    LineHeap& heap_;
    LineRecord* head_ = nullptr;
    LineRecord* tail_ = nullptr;
    int count_ = 0;
};

// The length of a line starting at text: with n = 0, up to and including the first line feed,
// stopping once the count passes 65534; the result never exceeds 65535. Text without a line
// feed within that range is cut so that a line feed can be its 65535th byte.
size_t MeasureLine(const char* text, size_t n);

}  // namespace norv::document
