// The two edit primitives of Sort and Convert: reordering whole lines as one Order record (the
// records are relinked, not copied, so a sort of a large text costs four bytes a line of
// history), and replacing a piece of a line as one record.
#include <algorithm>
#include <cassert>

#include "editing/edit_view.h"

namespace norv::editing {

using document::LF_CHANGED;
using document::LF_MARK;
using document::LineRecord;
using document::UndoKind;
using document::UndoPosition;
using document::UndoRecord;

namespace {

// Records are met through a list of pointers, each somewhere else in memory: the loops over
// them fetch the record this many places ahead.
constexpr size_t kAhead = 16;

// The order as four bytes a place, with room behind for the two flag strings of the record.
std::string PackOrder(const std::vector<uint32_t>& order) {
    std::string out;
    out.reserve(order.size() * 6);
    out.resize(order.size() * 4);
    for (size_t i = 0; i < order.size(); ++i)
        for (size_t b = 0; b < 4; ++b)
            out[i * 4 + b] = static_cast<char>(order[i] >> (8 * b) & 0xFF);
    return out;
}

uint32_t OrderAt(std::string_view packed, size_t i) {
    uint32_t v = 0;
    for (size_t b = 0; b < 4; ++b)
        v |= uint32_t(static_cast<uint8_t>(packed[i * 4 + b])) << (8 * b);
    return v;
}

}  // namespace

void CElwView::PermuteLines(int first, std::string_view packed, bool back) {
    Sync();
    std::vector<LineRecord*> records = RecordsFrom(first, packed.size() / 4);
    PermuteRecords(first, records, packed, back);
}

std::vector<LineRecord*> CElwView::RecordsFrom(int first, size_t n) {
    std::vector<LineRecord*> records;
    records.reserve(n);
    LineRecord* r = NearestRecord(first);
    for (size_t i = 0; i < n && r; ++i, r = r->next) records.push_back(r);
    return records;
}

std::vector<LineRecord*> CElwView::PermuteRecords(int first,
                                                  const std::vector<LineRecord*>& records,
                                                  std::string_view packed, bool back) {
    const size_t n = packed.size() / 4;
    assert(records.size() == n && "an order record covers lines that exist");
    if (records.size() != n || n == 0) return {};
    std::vector<LineRecord*> placed(n);
    bool marksMoved = false;
    for (size_t i = 0; i < n; ++i) {
        if (i + kAhead < n) __builtin_prefetch(records[i + kAhead]);
        const uint32_t from = OrderAt(packed, i);
        assert(from < n && "an order record holds a permutation");
        if (from >= n) return {};
        if (back)
            placed[from] = records[i];
        else
            placed[i] = records[from];
        if (from != i && (records[i]->flags & LF_MARK)) marksMoved = true;
    }
    doc_.lines().ReorderRun(records, placed);
    // Every view keeps its line numbers; the records under them are others now. The rows move
    // with their records: the range keeps its rows in all, so the rows before and after it stay
    // where they were, and a caret line inside it is found again from the nearer end.
    const int last = first + static_cast<int>(n) - 1;
    for (CElwView* v : shared_.views) {
        if (&v->doc_ != &doc_) continue;
        if (v->lineNo_ >= first && v->lineNo_ <= last) {
            const auto k = static_cast<size_t>(v->lineNo_ - first);
            int64_t row = v->lineRow_;
            if (k <= n - k) {
                for (size_t i = 0; i < k; ++i) row += v->RowsOf(placed[i]) - v->RowsOf(records[i]);
            } else {
                for (size_t i = k; i < n; ++i) row += v->RowsOf(records[i]) - v->RowsOf(placed[i]);
            }
            v->line_ = placed[k];
            v->lineRow_ = row;
        }
        v->statesValid_ = std::min(v->statesValid_, first - 1);
        const int col = v->virtualCol_;
        v->SetPos(v->pos_);
        v->virtualCol_ = col;
        v->ScrollTo(v->topRow_);
        if (v != this) v->Changed();
    }
    if (marksMoved) doc_.NoteBookmarksChanged();
    return placed;
}

void CElwView::ReorderLines(int first, const std::vector<uint32_t>& order,
                            std::vector<LineRecord*> records) {
    const size_t n = order.size();
    if (n < 2 || doc_.readOnly) return;
    bool moved = false;
    for (size_t i = 0; i < n && !moved; ++i) moved = order[i] != i;
    if (!moved) return;
    ClaimBuffer();
    Sync();
    const UndoPosition caret = CaretPosition();
    // The records are walked once; the flags before and after are read from them.
    if (records.size() != n) records = RecordsFrom(first, n);
    if (records.size() != n) return;
    // A line moves unless it stays at its place (its offset is a fixed point of the order):
    // moved lines are marked changed in the records' own order, and the flags after are worked
    // out from the flags before, so the records are visited out of order only once, to relink.
    for (size_t i = 0; i < n; ++i) {
        assert(order[i] < n && "the order is a permutation");
        if (order[i] >= n) return;
    }
    std::string flagsBefore(n, '\0');
    for (size_t i = 0; i < n; ++i) {
        if (i + kAhead < n) __builtin_prefetch(records[i + kAhead], 1);
        const uint8_t f = records[i]->flags;
        flagsBefore[i] = static_cast<char>(f);
        if (order[i] != i) records[i]->flags = f | LF_CHANGED;
    }
    std::string flagsAfter(n, '\0');
    for (size_t i = 0; i < n; ++i) {
        const uint8_t f = static_cast<uint8_t>(flagsBefore[order[i]]);
        flagsAfter[i] = static_cast<char>(order[i] != i ? f | LF_CHANGED : f);
    }
    std::string packed = PackOrder(order);
    const std::vector<LineRecord*> placed = PermuteRecords(first, records, packed, false);
    if (placed.size() != n) {
        for (size_t i = 0; i < n; ++i) records[i]->flags = static_cast<uint8_t>(flagsBefore[i]);
        return;
    }
    doc_.SetModified(true);
    if (!undo_.recording()) {
        undo_.ForgetSavePoint();
        return;
    }
    if (recordsInCommand_ > 0) undo_.MarkGroup();
    undo_.BeginStep(caret, static_cast<uint8_t>(flagsBefore[0]));
    UndoRecord rec;
    rec.kind = UndoKind::kOrder;
    rec.at = {first, 0};
    rec.SetContents(std::move(packed), {}, flagsBefore, flagsAfter);
    undo_.RecordStep(std::move(rec));
    undo_.EndStep(CaretPosition());
    ++recordsInCommand_;
}

std::string CElwView::ReplaceForward(size_t n, std::string_view bytes, UndoKind kind) {
    const UndoPosition at = CaretPosition();
    std::string fb = FlagsOf(lineNo_, 1);
    std::string removed = RawDelete(n, &fb);
    continueOverflow_ = true;
    std::string inserted = RawInsert(bytes);
    continueOverflow_ = false;
    if (!removed.empty() || !inserted.empty())
        Commit(kind, at, at, removed, inserted, std::move(fb));
    return inserted;
}

}  // namespace norv::editing
