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

std::string PackOrder(const std::vector<uint32_t>& order) {
    std::string out(order.size() * 4, '\0');
    for (size_t i = 0; i < order.size(); ++i)
        for (size_t b = 0; b < 4; ++b)
            out[i * 4 + b] = static_cast<char>(order[i] >> (8 * b) & 0xFF);
    return out;
}

uint32_t OrderAt(const std::string& packed, size_t i) {
    uint32_t v = 0;
    for (size_t b = 0; b < 4; ++b)
        v |= uint32_t(static_cast<uint8_t>(packed[i * 4 + b])) << (8 * b);
    return v;
}

}  // namespace

void CElwView::PermuteLines(int first, const std::string& packed, bool back) {
    const size_t n = packed.size() / 4;
    Sync();
    LineRecord* r = RecordFrom(line_, lineNo_, first);
    std::vector<LineRecord*> records;
    records.reserve(n);
    for (size_t i = 0; i < n && r; ++i, r = r->next) records.push_back(r);
    assert(records.size() == n && "an order record covers lines that exist");
    if (records.size() != n) return;
    std::vector<LineRecord*> placed(n);
    bool marksMoved = false;
    for (size_t i = 0; i < n; ++i) {
        const uint32_t from = OrderAt(packed, i);
        assert(from < n && "an order record holds a permutation");
        if (from >= n) return;
        if (back)
            placed[from] = records[i];
        else
            placed[i] = records[from];
        if (from != i && (records[i]->flags & LF_MARK)) marksMoved = true;
    }
    document::LineList& list = doc_.lines();
    LineRecord* after = records[0]->prev ? records[0]->prev : list.sentinel();
    for (LineRecord* rec : records) list.UnlinkLine(rec);
    for (LineRecord* rec : placed) {
        list.InsertLineAfter(rec, after);
        after = rec;
    }
    // Every view keeps its line numbers; the records under them are others now. The rows move
    // with their records, so only the sums are taken again.
    for (CElwView* v : shared_.views) {
        if (&v->doc_ != &doc_) continue;
        v->line_ = list.LineAt(v->lineNo_);
        v->statesValid_ = std::min(v->statesValid_, first - 1);
        v->SumRows(false);
        const int col = v->virtualCol_;
        v->SetPos(v->pos_);
        v->virtualCol_ = col;
        v->ScrollTo(v->topRow_);
        if (v != this) v->Changed();
    }
    if (marksMoved) doc_.NoteBookmarksChanged();
}

void CElwView::ReorderLines(int first, const std::vector<uint32_t>& order) {
    const size_t n = order.size();
    if (n < 2 || doc_.readOnly) return;
    bool moved = false;
    for (size_t i = 0; i < n && !moved; ++i) moved = order[i] != i;
    if (!moved) return;
    ClaimBuffer();
    Sync();
    const UndoPosition caret = CaretPosition();
    const std::string flagsBefore = FlagsOf(first, n);
    const std::string packed = PackOrder(order);
    PermuteLines(first, packed, false);
    LineRecord* r = RecordFrom(line_, lineNo_, first);
    for (size_t i = 0; i < n && r; ++i, r = r->next)
        if (order[i] != i) r->flags |= LF_CHANGED;
    doc_.SetModified(true);
    if (!undo_.recording()) {
        undo_.ForgetSavePoint();
        return;
    }
    if (recordsInCommand_ > 0) undo_.MarkGroup();
    undo_.BeginStep(caret, static_cast<uint8_t>(flagsBefore[0]));
    UndoRecord rec;
    rec.kind = UndoKind::Order;
    rec.at = {first, 0};
    rec.text = packed;
    rec.flagsBefore = flagsBefore;
    rec.flagsAfter = FlagsOf(first, n);
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
