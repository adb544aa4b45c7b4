// The edit view's state, its bookkeeping of rows and records, the edit primitives, undo
// playback and command dispatch. The commands themselves are in caret_moves.cpp,
// scroll_commands.cpp, line_edits.cpp, word_edits.cpp and line_commands.cpp.
#include "editing/edit_view.h"

#include <algorithm>
#include <cassert>

#include "document/char_model.h"

namespace norv::editing {

using document::LF_CHANGED;
using document::LineRecord;
using document::UndoKind;
using document::UndoPosition;
using document::UndoRecord;

namespace {

// The character model always follows the document's internal encoding.
view::LayoutOptions WithCodePage(view::LayoutOptions o, int codePage) {
    o.codePage = codePage;
    return o;
}

}  // namespace

CElwView::CElwView(document::CElwDoc& doc, document::UndoList& undo, EditorShared& shared,
                   const view::LayoutOptions& layout, const EditOptions& options)
    : doc_(doc),
      undo_(undo),
      shared_(shared),
      layout_(WithCodePage(layout, doc.CodePage())),
      options_(options),
      words_(options.ankDelimiter, options.dbcsDelimiter) {
    if (doc_.lines().count() == 0) doc_.lines().AppendLineFromText("\n", 0);
    line_ = doc_.lines().first();
    shared_.views.push_back(this);
    doc_.AttachView(this);
    undo_.SetLimit(options_.undoLimitKb);
    RecountRows();
}

CElwView::~CElwView() {
    ReleaseBuffer();
    doc_.DetachView(this);
    auto& views = shared_.views;
    views.erase(std::remove(views.begin(), views.end(), this), views.end());
    for (CElwView* v : views)
        if (v->other_ == this) v->other_ = nullptr;
}

void CElwView::LineMoved(LineRecord* from, LineRecord* to) {
    if (line_ == from) line_ = to;
}

void CElwView::Changed() {
    if (onChanged) onChanged();
}

void CElwView::Repaint() {
    Changed();
}

void CElwView::SetLayout(const view::LayoutOptions& layout) {
    const view::LineLayout fresh(WithCodePage(layout, doc_.CodePage()));
    for (CElwView* v : shared_.views)
        if (&v->doc_ == &doc_) v->layout_ = fresh;
    RecountRows();
    ScrollTo(topRow_);  // fewer rows may end above the old top row
    // The rows in the records are new; the other views only add them up again.
    for (CElwView* v : shared_.views) {
        if (&v->doc_ != &doc_ || v == this) continue;
        v->SumRows(false);
        v->ScrollTo(v->topRow_);
        v->Changed();
    }
}

void CElwView::SetWindowSize(int rows, int columns) {
    rows_ = std::max(1, rows);
    columns_ = std::max(1, columns);
    KeepCaretVisible(0, 0);
}

bool CElwView::BufferHolds(const LineRecord* r) const {
    return shared_.bufferOwner == this && shared_.buffer.record() == r;
}

view::LineText CElwView::TextOf(const LineRecord* r) const {
    // The buffer holds the newest text of its line, whichever view is editing it.
    if (shared_.bufferOwner && shared_.buffer.record() == r) return view::LineText(shared_.buffer);
    return view::LineText(r);
}

std::string_view CElwView::ContentOf(const LineRecord* r, std::string& scratch) const {
    if (shared_.bufferOwner && shared_.buffer.record() == r) {
        scratch = LineContent(r);
        return scratch;
    }
    return {r->text(), r->contentLength()};
}

std::string CElwView::LineContent(const LineRecord* r) const {
    return TextOf(r).Content();
}

int32_t CElwView::RowsOf(LineRecord* r) const {
    if (r->rows <= 0) r->rows = layout_.RowCount(TextOf(r));
    return r->rows;
}

void CElwView::RecountRows() {
    statesValid_ = 0;
    SumRows(true);
}

void CElwView::SumRows(bool relayout) {
    totalRows_ = 0;
    lineRow_ = 0;
    int n = 1;
    for (LineRecord* r = doc_.lines().first(); r; r = r->next, ++n) {
        if (relayout) r->rows = 0;
        if (n == lineNo_) lineRow_ = totalRows_;
        totalRows_ += RowsOf(r);
    }
}

void CElwView::ClaimBuffer() {
    if (shared_.bufferOwner && shared_.bufferOwner != this) shared_.bufferOwner->ReleaseBuffer();
}

// ---- other views of the document --------------------------------------------------------------

void CElwView::Announce(const EditStart& start, std::string_view removed,
                        std::string_view inserted) {
    if (removed.empty() && inserted.empty()) return;
    document::LineEdit e;
    e.line = start.line;
    e.column = start.column;
    e.removed = document::TextShape::Of(removed);
    e.inserted = document::TextShape::Of(inserted);
    saved_.Follow(e);
    if (doc_.views().size() < 2) return;
    e.row = start.row;
    e.first = RecordFrom(line_, lineNo_, start.line);
    LineRecord* r = e.first;
    for (int i = 0; i <= e.inserted.breaks && r; ++i, r = r->next) e.rowsAfter += RowsOf(r);
    e.rowsBefore = e.rowsAfter - (totalRows_ - start.total);
    doc_.NotifyEdit(e, this);
}

void CElwView::LinesEdited(const document::LineEdit& e) {
    saved_.Follow(e);
    const int64_t diff = e.rowsAfter - e.rowsBefore;
    totalRows_ += diff;
    if (lineNo_ > e.line + e.removed.breaks) {
        lineNo_ += e.inserted.breaks - e.removed.breaks;
        lineRow_ += diff;
    } else if (e.Touches(lineNo_)) {
        // The caret's record may be gone: it is found again from the edit's first line.
        int l = lineNo_;
        size_t p = pos_;
        e.Map(l, p);
        line_ = RecordFrom(e.first, e.line, l);
        lineNo_ = l;
        lineRow_ = e.row;
        for (LineRecord* q = e.first; q && q != line_; q = q->next) lineRow_ += RowsOf(q);
        const size_t keep = p;
        SetPos(p);
        if (pos_ != keep || e.removed.breaks || e.inserted.breaks) virtualCol_ = -1;
    }
    // The top row stays on the text it showed; inside the edited lines it stays where it can.
    if (topRow_ >= e.row + e.rowsBefore)
        topRow_ += diff;
    else if (topRow_ > e.row)
        topRow_ = std::min(topRow_, e.row + std::max<int64_t>(0, e.rowsAfter - 1));
    ScrollTo(topRow_);
    if (selection_) selection_->LinesEdited(*this, e);
    Changed();
}

void CElwView::LinesRewritten() {
    RecountRows();
    const int col = virtualCol_;
    SetPos(pos_);
    virtualCol_ = col;
    ScrollTo(topRow_);
    Changed();
}

void CElwView::LinesReplaced() {
    // The old records are gone: nothing of them is touched, the buffer is not written back.
    if (shared_.bufferOwner == this) {
        shared_.buffer.Detach();
        shared_.bufferOwner = nullptr;
    }
    if (doc_.lines().count() == 0) doc_.lines().AppendLineFromText("\n", 0);
    layout_ = view::LineLayout(WithCodePage(layout_.options(), doc_.CodePage()));
    line_ = doc_.lines().first();
    lineNo_ = 1;
    pos_ = 0;
    virtualCol_ = -1;
    goal_ = -1;
    topRow_ = 0;
    left_ = 0;
    forcedMarks_ = false;
    saved_.Clamp(doc_.lines().count());
    RecountRows();
    if (selection_) selection_->LinesReplaced(*this);
    Changed();
}

document::LineEditBuffer& CElwView::Buffer() {
    auto& b = shared_.buffer;
    if (shared_.bufferOwner && shared_.bufferOwner != this) shared_.bufferOwner->ReleaseBuffer();
    if (!BufferHolds(line_)) {
        ReleaseBuffer();
        b.Load(line_, pos_);
        shared_.bufferOwner = this;
    }
    b.MoveCaret(pos_);
    return b;
}

void CElwView::ReleaseBuffer() {
    if (shared_.bufferOwner != this) return;
    auto& b = shared_.buffer;
    if (b.loaded()) {
        LineRecord* r = b.record();
        int32_t rows = r->rows;
        // The rows were kept up to date with the buffer; the text written is the same.
        LineRecord* w = b.WriteBack(doc_.lines(), true);
        if (w) w->rows = rows;
    }
    b.Detach();
    shared_.bufferOwner = nullptr;
}

void CElwView::Sync() {
    CElwView* owner = shared_.bufferOwner;
    if (owner && &owner->doc_ == &doc_) owner->ReleaseBuffer();
}

LineRecord* RecordFrom(LineRecord* r, int from, int to) {
    while (r && from < to) r = r->next, ++from;
    while (r && from > to) r = r->prev, --from;
    return r;
}

LineRecord* CElwView::NearestRecord(int lineNumber) const {
    const document::LineList& list = doc_.lines();
    const int fromCaret = std::abs(lineNumber - lineNo_);
    if (lineNumber - 1 < fromCaret) return RecordFrom(list.first(), 1, lineNumber);
    if (list.count() - lineNumber < fromCaret)
        return RecordFrom(list.last(), list.count(), lineNumber);
    return RecordFrom(line_, lineNo_, lineNumber);
}

std::string CElwView::FlagsOf(int lineNumber, size_t count) {
    // The caret line alone (every typed character asks for it twice).
    if (count == 1 && lineNumber == lineNo_) return std::string(1, static_cast<char>(line_->flags));
    std::string f;
    LineRecord* r = NearestRecord(lineNumber);
    for (size_t i = 0; i < count && r; ++i, r = r->next) f.push_back(static_cast<char>(r->flags));
    return f;
}

void CElwView::ApplyFlags(int lineNumber, std::string_view flags, bool restoreChanged) {
    LineRecord* r = NearestRecord(lineNumber);
    bool marks = false;
    for (size_t i = 0; i < flags.size() && r; ++i, r = r->next) {
        auto f = static_cast<uint8_t>(flags[i]);
        if (!restoreChanged) {
            f |= LF_CHANGED;
            forcedMarks_ = true;
        }
        marks = marks || ((r->flags ^ f) & document::LF_MARK);
        r->flags = f;
    }
    if (marks) doc_.NoteBookmarksChanged();
}

void CElwView::GoToLine(int lineNumber) {
    lineNumber = std::clamp(lineNumber, 1, doc_.lines().count());
    if (lineNumber == lineNo_) return;
    ReleaseBuffer();
    // From the first line when that is nearer: its row is 0; from the last one when that is
    // nearer: its row follows from the row total that is kept.
    const int count = doc_.lines().count();
    if (lineNumber < lineNo_ - lineNumber && doc_.lines().first()) {
        line_ = doc_.lines().first();
        lineNo_ = 1;
        lineRow_ = 0;
    } else if (count - lineNumber < lineNumber - lineNo_ && doc_.lines().last()) {
        line_ = doc_.lines().last();
        lineNo_ = count;
        lineRow_ = totalRows_ - RowsOf(line_);
    }
    while (lineNo_ < lineNumber && line_->next) {
        lineRow_ += RowsOf(line_);
        line_ = line_->next;
        ++lineNo_;
    }
    while (lineNo_ > lineNumber && line_->prev) {
        line_ = line_->prev;
        --lineNo_;
        lineRow_ -= RowsOf(line_);
    }
    pos_ = 0;
    virtualCol_ = -1;
}

void CElwView::SetPos(size_t pos) {
    view::LineText t = CaretText();
    if (pos > t.end()) pos = t.end();
    // Never inside a character.
    size_t q = 0;
    while (q < pos) {
        size_t len = layout_.CharLen(t, q);
        if (q + len > pos) break;
        q += len;
    }
    pos_ = q;
    virtualCol_ = -1;
}

void CElwView::SetCaret(int lineNumber, size_t pos) {
    GoToLine(lineNumber);
    SetPos(pos);
}

void CElwView::RelayoutCaretLine() {
    int32_t old = line_->rows;
    int32_t now = layout_.RowCount(CaretText());
    totalRows_ += now - old;
    line_->rows = now;
}

void CElwView::MarkEdited() {
    if (replaying_) return;
    line_->flags |= LF_CHANGED;
    doc_.SetModified(true);
}

int CElwView::caretColumn() const {
    const view::LineText t = CaretText();
    return CaretColumnIn(t, layout_.RowOf(t, pos_));
}

int CElwView::CaretColumnIn(const view::LineText& t, const view::LineLayout::Row& row) const {
    const int col = layout_.ColumnOf(t, row.start, pos_);
    return virtualCol_ > col && pos_ == t.end() ? virtualCol_ : col;
}

int64_t CElwView::caretRow() const {
    return lineRow_ + layout_.RowOf(CaretText(), pos_).index;
}

// ---- raw edits ------------------------------------------------------------------------------

namespace {

// The longest prefix of `s` of at most `room` bytes that ends on a character boundary.
size_t WholeChars(int codePage, std::string_view s, size_t room) {
    // Characters never run past the end of the text: all of it fits, or a prefix is walked.
    if (s.size() <= room) return s.size();
    size_t q = 0;
    while (q < s.size()) {
        size_t len = document::CharLength(codePage, s.data() + q, s.data() + s.size());
        if (q + len > room) break;
        q += len;
    }
    return q;
}

}  // namespace

void CElwView::NoteLineEdited() {
    for (CElwView* v : shared_.views)
        if (&v->doc_ == &doc_) v->statesValid_ = std::min(v->statesValid_, lineNo_ - 1);
}

std::string CElwView::RawInsert(std::string_view bytes) {
    std::string done;
    if (bytes.empty()) return done;
    done.reserve(bytes.size());
    ClaimBuffer();
    NoteLineEdited();
    const EditStart start = StartEdit();
    bool marksMoved = false;
    auto split = [&]() -> bool {
        auto& b = Buffer();
        int32_t oldRows = line_->rows;
        LineRecord* nr = b.Split(doc_.lines(), replaying_);
        if (!nr) return false;
        LineRecord* old = nr->prev ? nr->prev : doc_.lines().first();
        // A marked line split at its start moves its mark down with its text.
        if ((old->flags | nr->flags) & document::LF_MARK) marksMoved = true;
        old->rows = layout_.RowCount(view::LineText(old));
        if (!replaying_) {
            old->flags |= LF_CHANGED;
            nr->flags |= LF_CHANGED;
        }
        line_ = nr;
        nr->rows = layout_.RowCount(CaretText());
        totalRows_ += old->rows + nr->rows - oldRows;
        lineRow_ += old->rows;
        ++lineNo_;
        pos_ = 0;
        done.push_back('\n');
        return true;
    };
    const int cp = layout_.codePage();
    size_t i = 0;
    while (i < bytes.size()) {
        size_t j = bytes.find('\n', i);
        if (j == std::string_view::npos) j = bytes.size();
        std::string_view seg = bytes.substr(i, j - i);
        while (!seg.empty()) {
            auto& b = Buffer();
            size_t take = WholeChars(cp, seg, b.room());
            if (take == 0) {
                // The line is full: the rest goes on a record that continues the same line, so
                // that a save writes no line end between them.
                if (!split()) return done;
                if (continueOverflow_ && line_->prev) {
                    // The same line of the file: no line end between the two records, and the
                    // line's own line end goes on with its end.
                    LineRecord* before = line_->prev;
                    line_->flags |= static_cast<uint8_t>(before->flags & document::LF_EOL_BITS);
                    before->flags = static_cast<uint8_t>((before->flags & ~document::LF_EOL_BITS) |
                                                         document::LF_CONTINUED);
                }
                continue;
            }
            b.Insert(seg.substr(0, take));
            done.append(seg.substr(0, take));
            seg.remove_prefix(take);
            pos_ = b.caret();
        }
        if (j < bytes.size() && !split()) break;
        i = j + 1;
    }
    assert(pos_ == Buffer().caret() && "the caret stands behind the inserted bytes");
    RelayoutCaretLine();
    MarkEdited();
    Announce(start, {}, done);
    if (marksMoved) doc_.NoteBookmarksChanged();
    return done;
}

std::string CElwView::RawDelete(size_t n, std::string* removedFlags) {
    std::string done;
    if (n == 0) return done;
    done.reserve(std::min(n, size_t{1} << 26));
    ClaimBuffer();
    NoteLineEdited();
    const EditStart start = StartEdit();
    bool marksJoined = false;
    auto& b = Buffer();
    while (n > 0) {
        size_t avail = b.After().size() - 1;
        if (avail > 0) {
            size_t take = std::min(n, avail);
            done.append(b.After().substr(0, take));
            b.DeleteAfter(take);
            n -= take;
            continue;
        }
        LineRecord* next = line_->next;
        if (!next) break;
        int32_t nextRows = RowsOf(next);
        uint8_t nextFlags = next->flags;
        if ((nextFlags | line_->flags) & document::LF_MARK) marksJoined = true;
        if (!b.JoinNext(doc_.lines())) break;
        // The joined line's bookmark and changed mark stay with the text.
        line_->flags |= static_cast<uint8_t>(nextFlags & (document::LF_MARK | LF_CHANGED));
        totalRows_ -= nextRows;
        done.push_back('\n');
        if (removedFlags) removedFlags->push_back(static_cast<char>(nextFlags));
        --n;
    }
    RelayoutCaretLine();
    if (!done.empty()) MarkEdited();
    Announce(start, done, {});
    if (marksJoined) doc_.NoteBookmarksChanged();
    return done;
}

void CElwView::Commit(UndoKind kind, UndoPosition before, UndoPosition at, std::string text,
                      std::string_view text2, std::string flagsBefore) {
    if (replaying_) return;
    if (!undo_.recording()) {
        undo_.ForgetSavePoint();
        return;
    }
    if (recordsInCommand_ > 0) undo_.MarkGroup();
    undo_.BeginStep(before, flagsBefore.empty() ? 0 : static_cast<uint8_t>(flagsBefore[0]));
    UndoRecord r;
    r.kind = kind;
    r.at = at;
    const std::string_view inserted = UndoRecord::InsertedOf(kind, text, text2);
    const size_t lines =
        1 + static_cast<size_t>(std::count(inserted.begin(), inserted.end(), '\n'));
    const std::string flagsAfter = FlagsOf(at.line, lines);
    r.SetContents(std::move(text), text2, flagsBefore, flagsAfter);
    undo_.RecordStep(std::move(r));
    undo_.EndStep(CaretPosition());
    ++recordsInCommand_;
}

std::string CElwView::InsertAtCaret(std::string_view bytes, UndoKind kind) {
    UndoPosition at = CaretPosition();
    std::string fb = FlagsOf(lineNo_, 1);
    std::string ins = RawInsert(bytes);
    if (!ins.empty()) Commit(kind, at, at, ins, {}, std::move(fb));
    return ins;
}

std::string CElwView::DeleteForward(size_t n, UndoKind kind) {
    UndoPosition at = CaretPosition();
    std::string fb = FlagsOf(lineNo_, 1);
    std::string del = RawDelete(n, &fb);
    if (!del.empty()) Commit(kind, at, at, del, {}, std::move(fb));
    return del;
}

std::string CElwView::DeleteBackward(size_t n, UndoKind kind) {
    UndoPosition before = CaretPosition();
    size_t total = 0;
    while (n > 0) {
        if (pos_ > 0) {
            size_t k = std::min(n, pos_);
            pos_ -= k;
            n -= k;
            total += k;
        } else if (lineNo_ > 1) {
            GoToLine(lineNo_ - 1);
            pos_ = CaretText().end();
            --n;
            ++total;
        } else {
            break;
        }
    }
    UndoPosition at = CaretPosition();
    std::string fb = FlagsOf(lineNo_, 1);
    std::string del = RawDelete(total, &fb);
    if (!del.empty()) Commit(kind, before, at, del, {}, std::move(fb));
    return del;
}

// ---- undo playback --------------------------------------------------------------------------

void CElwView::PlaceExactly(UndoPosition p) {
    // Recorded positions are byte offsets that were character starts when they were recorded,
    // in the same text that is there now: no snapping.
    GoToLine(p.line);
    pos_ = std::min<size_t>(p.column, CaretText().end());
    virtualCol_ = -1;
}

void CElwView::PlayBack(const UndoRecord& r, bool restoreChanged) {
    replaying_ = true;
    if (r.kind == UndoKind::kIndent) {
        PlayIndent(r, true, restoreChanged);
        PlaceExactly(r.before);
        replaying_ = false;
        return;
    }
    if (r.kind == UndoKind::kOrder) {
        PermuteLines(r.at.line, r.text(), true);
        ApplyFlags(r.at.line, r.flagsBefore(), restoreChanged);
        PlaceExactly(r.before);
        replaying_ = false;
        return;
    }
    PlaceExactly(r.at);
    if (!ReplayLines(r, true)) {
        RawDelete(r.Inserted().size(), nullptr);
        RawInsert(r.Removed());
    }
    ApplyFlags(r.at.line, r.flagsBefore(), restoreChanged);
    PlaceExactly(r.before);
    replaying_ = false;
}

void CElwView::PlayForward(const UndoRecord& r, bool restoreChanged) {
    replaying_ = true;
    if (r.kind == UndoKind::kIndent) {
        PlayIndent(r, false, restoreChanged);
        PlaceExactly(r.after);
        replaying_ = false;
        return;
    }
    if (r.kind == UndoKind::kOrder) {
        PermuteLines(r.at.line, r.text(), false);
        ApplyFlags(r.at.line, r.flagsAfter(), restoreChanged);
        PlaceExactly(r.after);
        replaying_ = false;
        return;
    }
    PlaceExactly(r.at);
    if (!ReplayLines(r, false)) {
        RawDelete(r.Removed().size(), nullptr);
        RawInsert(r.Inserted());
    }
    ApplyFlags(r.at.line, r.flagsAfter(), restoreChanged);
    PlaceExactly(r.after);
    replaying_ = false;
}

void CElwView::PlayAgain(const UndoRecord& r) {
    CommandScope scope(*this);
    switch (r.kind) {
        case UndoKind::kInsertLine: {
            pos_ = 0;
            virtualCol_ = -1;
            InsertAtCaret(r.text(), UndoKind::kInsertLine);
            break;
        }
        case UndoKind::kReplaceLines:
            // The lines a program put in place of others: their text goes in again at the
            // caret, as the output pasted there.
            InsertAtCaret(r.Inserted(), UndoKind::kInsertBlock);
            break;
        case UndoKind::kOverwrite: {
            // Overwrite as many bytes as the record did, within the line.
            UndoPosition at = CaretPosition();
            std::string fb = FlagsOf(lineNo_, 1);
            view::LineText t = CaretText();
            size_t q = pos_;
            while (q < t.end() && q - pos_ < r.text().size()) q += layout_.CharLen(t, q);
            std::string removed = RawDelete(q - pos_, nullptr);
            std::string ins = RawInsert(r.text2());
            Commit(UndoKind::kOverwrite, at, at, removed, ins, fb);
            break;
        }
        default:
            InsertAtCaret(r.Inserted(), r.kind);
            break;
    }
    goal_ = -1;
    KeepCaretVisible(0, 0);
}

void CElwView::AfterReplay(bool atSavePoint) {
    ReleaseBuffer();
    doc_.SetModified(!atSavePoint);
    // Lines marked by playing records older than the save, through any view of the document.
    bool forced = false;
    for (CElwView* v : shared_.views)
        if (&v->doc_ == &doc_) forced = forced || v->forcedMarks_;
    if (atSavePoint && forced) {
        for (LineRecord* r = doc_.lines().first(); r; r = r->next) r->flags &= ~LF_CHANGED;
        for (CElwView* v : shared_.views)
            if (&v->doc_ == &doc_) v->forcedMarks_ = false;
    }
    doc_.NotifyRepaint(this);
    goal_ = -1;
    KeepCaretVisible(0, 0);
    CaretMoved();
}

void CElwView::OnSaved(bool marksCleared) {
    Sync();
    if (!marksCleared)
        for (LineRecord* r = doc_.lines().first(); r; r = r->next) r->flags &= ~LF_CHANGED;
    undo_.MarkSaved(options_.undoReset);
    doc_.SetModified(false);
    for (CElwView* v : shared_.views)
        if (&v->doc_ == &doc_) v->forcedMarks_ = false;
    doc_.NotifyRepaint(this);
}

// ---- rows -----------------------------------------------------------------------------------

void CElwView::ScrollTo(int64_t topRow) {
    topRow_ = std::clamp<int64_t>(topRow, 0, std::max<int64_t>(0, totalRows_ - 1));
}

std::vector<CElwView::Row> CElwView::VisibleRows() {
    std::vector<Row> out;
    // Find the line holding the top row, walking from the caret line.
    LineRecord* r = line_;
    int n = lineNo_;
    int64_t start = lineRow_;
    while (start > topRow_ && r->prev) {
        r = r->prev;
        --n;
        start -= RowsOf(r);
    }
    while (start + RowsOf(r) <= topRow_ && r->next) {
        start += RowsOf(r);
        r = r->next;
        ++n;
    }
    int32_t index = static_cast<int32_t>(topRow_ - start);
    while (r && static_cast<int>(out.size()) < rows_) {
        view::LineText t = TextOf(r);
        size_t s = layout_.RowStartAt(t, index);
        for (;;) {
            size_t e = layout_.RowEnd(t, s);
            out.push_back(Row{r, n, s, e, index, t.Slice(s, e)});
            auto next = layout_.NextRowStart(t, s);
            if (!next || static_cast<int>(out.size()) >= rows_) break;
            s = *next;
            ++index;
        }
        r = r->next;
        ++n;
        index = 0;
    }
    return out;
}

// ---- dispatch -------------------------------------------------------------------------------

namespace {

bool ReportsItsValues(CommandId id) {
    switch (id) {
        case CommandId::EditSort:
        case CommandId::EditConvert:
        case CommandId::AddString:
        case CommandId::JumpLine:
        case CommandId::CopyToFile:
        case CommandId::AppendFile:
        case CommandId::PasteFromFile:
            return true;
        default:
            return false;
    }
}

}  // namespace

bool ChangesText(CommandId id) {
    switch (id) {
        case CommandId::BackSpace:
        case CommandId::DeleteChar:
        case CommandId::InputCtrl:
        case CommandId::InsertTab:
        case CommandId::ChangeCase:
        case CommandId::ChgCaseOne:
        case CommandId::DeleteAfter:
        case CommandId::DeleteTop:
        case CommandId::WordBS:
        case CommandId::WordDel:
        case CommandId::RepeatOne:
        case CommandId::WordPaste:
        case CommandId::TimeStamp:
        case CommandId::SplitLine:
        case CommandId::InsertAft:
        case CommandId::InsertBef:
        case CommandId::DupLine:
        case CommandId::DeleteLine:
        case CommandId::PopLine:
        case CommandId::EditPaste:
        case CommandId::Undo:
        case CommandId::Redo:
        case CommandId::Repeat:
        case CommandId::StepDo:
        case CommandId::BoxPaste:
        case CommandId::EditConvert:
        case CommandId::EditCenter:
        case CommandId::EditLeft:
        case CommandId::EditRight:
        case CommandId::EditSort:
        case CommandId::Indent:
        case CommandId::BackInd:
        case CommandId::AddString:
        case CommandId::PasteFromFile:
        case CommandId::ReFormat:
        case CommandId::DeFormat:
        case CommandId::Replace:
        case CommandId::ReplAgain:
            return true;
        default:
            return false;
    }
}

void CElwView::RefuseReadOnly() {
    if (shared_.ui) shared_.ui->Refuse(kReadOnlyText);
}

void CElwView::TypeUnwritable() {
    shared_.pendingChar.clear();
    if (doc_.readOnly) {
        RefuseReadOnly();
        return;
    }
    if (!shared_.ui) return;
    std::string reason(kUnwritableText);
    reason += document::CodeStatusName(doc_.code, doc_.env().CodePage());
    shared_.ui->Refuse(reason);
}

bool CElwView::Execute(CommandId id, int keyRepeat) {
    // A change to a read-only document does nothing; it says why instead of only beeping.
    if (doc_.readOnly && ChangesText(id)) {
        RefuseReadOnly();
        return true;
    }
    if (shared_.extension && shared_.extension->Handles(id))
        return shared_.extension->RunCommand(*this, id);
    // Commands that take values from a dialog report themselves with the values they take.
    if (shared_.recorder && !ReportsItsValues(id)) shared_.recorder->RecordCommand(id);
    ClaimBuffer();
    CommandScope scope(*this);
    if (selection_ && selection_->BeforeCommand(*this, id)) {
        KeepCaretVisible(0, 0);
        return true;
    }
    switch (id) {
        case CommandId::CsrUp:
            MoveUp();
            return true;
        case CommandId::CsrDown:
            MoveDown();
            return true;
        case CommandId::CsrLeft:
            MoveLeft();
            break;
        case CommandId::CsrRight:
            MoveRight();
            break;
        case CommandId::WordLeft:
            WordLeft();
            break;
        case CommandId::WordRight:
            WordRight();
            break;
        case CommandId::BegLine:
            TopOfLine();
            break;
        case CommandId::EndLine:
            EndOfLine();
            break;
        case CommandId::LeftSide:
            LeftSide();
            break;
        case CommandId::RightSide:
            RightSide();
            break;
        case CommandId::TextTop:
            SavePosition();
            TextTop();
            break;
        case CommandId::TextBot:
            SavePosition();
            TextBottom();
            break;
        case CommandId::ModeInsert:
            shared_.insertMode = !shared_.insertMode;
            return true;
        case CommandId::ModeAutoSplit:
            options_.autoSplit = !options_.autoSplit;
            return true;
        // Undo and redo change the text: not in a read-only document.
        case CommandId::Undo:
            if (!doc_.readOnly) undo_.Undo(*this);
            return true;
        case CommandId::Redo:
            if (!doc_.readOnly) undo_.Redo(*this);
            return true;
        case CommandId::StepDo:
            if (!doc_.readOnly) StepDo();
            return true;
        case CommandId::JumpLine:
            JumpLine();
            return true;
        default:
            if (Scroll(id, keyRepeat) || Bookmarks(id) || Paragraph(id)) return true;
            return Edit(id);
    }
    // The horizontal moves end here.
    goal_ = -1;
    KeepCaretVisible(0, 0);
    CaretMoved();
    return true;
}

void CElwView::CaretMoved() {
    if (selection_) selection_->CaretMoved(*this);
}

void CElwView::StepDo() {
    if (!shared_.stepDoDialog) return;
    StepDoRequest req;
    req.canUndo = undo_.CanUndo();
    req.canRedo = undo_.CanRedo();
    req.steps = shared_.stepDoSteps;
    auto steps = [this](bool redo, int n) {
        for (int i = 0; i < n; ++i)
            if (!(redo ? undo_.Redo(*this) : undo_.Undo(*this))) break;
    };
    req.step = [this, steps](bool redo, int n, bool* canUndo, bool* canRedo) {
        shared_.stepDoSteps = n;
        steps(redo, n);
        if (canUndo) *canUndo = undo_.CanUndo();
        if (canRedo) *canRedo = undo_.CanRedo();
    };
    const bool pressed = shared_.stepDoDialog(req);
    shared_.stepDoSteps = req.steps;
    if (pressed) steps(req.redo, req.steps);
}

}  // namespace norv::editing
