// The record list of a document.
#include "document/line_list.h"

#include <cassert>
#include <cstring>

namespace norv::document {

size_t MeasureLine(const char* text, size_t n) {
    if (n != 0) return n;
    const void* lf = std::memchr(text, '\n', kMaxLineBytes);
    if (lf) return static_cast<size_t>(static_cast<const char*>(lf) - text) + 1;
    return kMaxLineBytes;
}

LineList::LineList(LineHeap& heap) : heap_(heap) {
    Reset();
}

LineList::~LineList() {
    FreeAllLines();
}

LineRecord* LineList::MakeRecord(const char* text, size_t n, size_t capacity) {
    // With n = 0 the text runs to its first line feed; the bytes given must end in one, and one
    // is supplied when they do not. Longer text is cut so that the 65535th byte is the line feed.
    size_t len = n == 0 ? MeasureLine(text, 0) : n;
    bool endsInLf = len > 0 && text[len - 1] == '\n';
    size_t bytes = endsInLf ? len : len + 1;
    if (bytes > kMaxLineBytes) bytes = kMaxLineBytes;
    size_t cell = bytes < capacity ? capacity : bytes;
    void* mem = heap_.Allocate(sizeof(LineRecord) + cell);
    if (!mem) return nullptr;
    auto* r = static_cast<LineRecord*>(mem);
    r->highlight = 0;
    r->flags = 0;
    r->length = static_cast<uint16_t>(bytes);
    r->rows = 0;
    r->prev = nullptr;
    r->next = nullptr;
    if (bytes > 1) std::memcpy(r->text(), text, bytes - 1);
    r->text()[bytes - 1] = '\n';
    return r;
}

int LineList::Reset() {
    FreeAllLines();
    head_ = MakeRecord("\n", 1);
    tail_ = head_;
    count_ = 0;
    return head_ ? 1 : 0;
}

void LineList::FreeAllLines() {
    if (onClear && head_) onClear();
    // When every live cell of the heap is one of these records (the sentinel too), the heap is
    // emptied whole instead of cell by cell: a long text then goes without a walk over it.
    if (head_ && heap_.LiveCells() == static_cast<size_t>(count_) + 1) {
        heap_.Reset();
        head_ = tail_ = nullptr;
        count_ = 0;
        return;
    }
    LineRecord* r = head_;
    while (r) {
        LineRecord* next = r->next;
        heap_.Free(r);
        r = next;
    }
    head_ = tail_ = nullptr;
    count_ = 0;
}

int LineList::AppendLine(const char* text, size_t n) {
    if (!head_) return 0;
    LineRecord* r = MakeRecord(text, n);
    if (!r) return 0;
    r->prev = tail_ == head_ ? nullptr : tail_;
    tail_->next = r;
    tail_ = r;
    ++count_;
    return 1;
}

int LineList::AppendContent(const char* content, size_t n, uint8_t flags) {
    if (!head_) return 0;
    if (n > kMaxLineBytes - 1) n = kMaxLineBytes - 1;
    void* mem = heap_.Allocate(sizeof(LineRecord) + n + 1);
    if (!mem) return 0;
    auto* r = static_cast<LineRecord*>(mem);
    r->highlight = 0;
    r->flags = flags;
    r->length = static_cast<uint16_t>(n + 1);
    r->rows = 0;
    r->prev = tail_ == head_ ? nullptr : tail_;
    r->next = nullptr;
    std::memcpy(r->text(), content, n);
    r->text()[n] = '\n';
    tail_->next = r;
    tail_ = r;
    ++count_;
    return 1;
}

int LineList::AppendLineFromText(const char* text, size_t n) {
    return AppendLine(text, n);
}

int LineList::NewLineBefore(const char* text, size_t n, LineRecord* before) {
    LineRecord* r = MakeRecord(text, n);
    if (!r) return 0;
    return InsertLineBefore(r, before);
}

int LineList::InsertLineBefore(LineRecord* record, LineRecord* before) {
    if (!head_ || !record) return 0;
    if (!before) {  // before nothing: at the end
        record->prev = tail_ == head_ ? nullptr : tail_;
        record->next = nullptr;
        tail_->next = record;
        tail_ = record;
        ++count_;
        return 1;
    }
    LineRecord* prev = before->prev;
    assert((prev ? prev->next : head_->next) == before && "the line before links to this one");
    record->prev = prev;
    record->next = before;
    before->prev = record;
    if (prev)
        prev->next = record;
    else
        head_->next = record;
    ++count_;
    return 1;
}

int LineList::InsertLineAfter(LineRecord* record, LineRecord* after) {
    if (!head_ || !record) return 0;
    if (!after || after == head_) {
        return InsertLineBefore(record, head_->next);
    }
    assert((after->next ? after->next->prev == after : tail_ == after) &&
           "the next line links back");
    record->prev = after;
    record->next = after->next;
    if (after->next)
        after->next->prev = record;
    else
        tail_ = record;
    after->next = record;
    ++count_;
    return 1;
}

int LineList::InsertChainAfter(LineRecord* first, LineRecord* last, int count, LineRecord* after) {
    if (!head_ || !first || !last || count <= 0) return 0;
    if (!after) after = head_;
    assert(
        (after->next ? after->next->prev == (after == head_ ? nullptr : after) : tail_ == after) &&
        "the line after links back");
    LineRecord* const next = after->next;
    first->prev = after == head_ ? nullptr : after;
    last->next = next;
    if (next)
        next->prev = last;
    else
        tail_ = last;
    after->next = first;
    count_ += count;
    return 1;
}

int LineList::UnlinkLine(LineRecord* record) {
    if (!head_ || !record || record == head_) return 0;
    if (onUnlink) onUnlink(record);
    LineRecord* prev = record->prev ? record->prev : head_;
    assert(prev->next == record && "the line before links to this one");
    assert((record->next ? record->next->prev == record : tail_ == record) &&
           "the next line links back");
    assert(count_ > 0 && "a linked line is counted");
    prev->next = record->next;
    if (record->next) record->next->prev = record->prev;
    if (tail_ == record) tail_ = prev;
    record->prev = record->next = nullptr;
    --count_;
    return 1;
}

void LineList::ReorderRun(const std::vector<LineRecord*>& run,
                          const std::vector<LineRecord*>& placed) {
    assert(run.size() == placed.size() && "the order is a permutation of the run");
    if (!head_ || run.empty() || run.size() != placed.size()) return;
    LineRecord* const before = run.front()->prev ? run.front()->prev : head_;
    LineRecord* const after = run.back()->next;
    assert(before->next == run.front() && "the run is linked");
    if (onUnlink)
        for (LineRecord* r : run) onUnlink(r);
    LineRecord* prev = before;
    // The records are met out of their order in memory: each is fetched a little ahead.
    constexpr size_t kAhead = 16;
    for (size_t i = 0; i < placed.size(); ++i) {
        if (i + kAhead < placed.size()) __builtin_prefetch(placed[i + kAhead], 1);
        LineRecord* const r = placed[i];
        r->prev = prev == head_ ? nullptr : prev;  // the first line has no line before it
        prev->next = r;
        prev = r;
    }
    prev->next = after;
    if (after)
        after->prev = prev;
    else
        tail_ = prev;
}

LineRecord* LineList::ResizeLine(LineRecord* record, size_t n) {
    if (n < 1) n = 1;
    if (n > kMaxLineBytes) n = kMaxLineBytes;
    void* mem = heap_.Reallocate(record, sizeof(LineRecord) + n);
    if (!mem) return nullptr;
    auto* r = static_cast<LineRecord*>(mem);
    r->length = static_cast<uint16_t>(n);
    r->rows = 0;
    if (r != record) {
        LineRecord* prev = r->prev ? r->prev : head_;
        prev->next = r;
        if (r->next) r->next->prev = r;
        if (tail_ == record) tail_ = r;
        if (onRelocate) onRelocate(record, r);
    }
    return r;
}

int LineList::LineNumberOf(const LineRecord* record) const {
    int n = 1;
    for (const LineRecord* r = first(); r; r = r->next, ++n)
        if (r == record) return n;
    return 0;
}

LineRecord* LineList::LineAt(int number) const {
    if (number < 1 || number > count_) return nullptr;
    LineRecord* r = first();
    for (int i = 1; r && i < number; ++i) r = r->next;
    assert(r && "the list links as many lines as it counts");
    return r;
}

}  // namespace norv::document
