// Replacing whole lines in one step: a program's output put in place of the text, the rows of a
// formatted paragraph, and undoing and redoing them. The lines are spliced into the record list
// (document/line_splice.h) instead of being typed in through the line buffer one at a time.
#include <algorithm>
#include <cstring>

#include "document/line_splice.h"
#include "editing/edit_view.h"

namespace norv::editing {

using document::kIndentedLine;
using document::LF_CHANGED;
using document::LF_CONTINUED;
using document::LineRecord;
using document::UndoKind;
using document::UndoPosition;
using document::UndoRecord;

UndoPosition CElwView::ReplaceLines(int first, int count, std::string_view text, UndoKind kind,
                                    const std::function<void()>& flags) {
    const UndoPosition before = CaretPosition();
    ClaimBuffer();
    ReleaseBuffer();
    GoToLine(first);
    pos_ = 0;
    virtualCol_ = -1;
    first = lineNo_;
    count = std::clamp(count, 1, doc_.lines().count() - first + 1);
    NoteLineEdited();

    // The old lines: their text and flags for the record, their rows for the totals, and the
    // flags the new lines start from, in one walk.
    LineRecord* const old = line_;
    int64_t rowsBefore = 0;
    size_t oldBytes = 0;
    document::FlagJoiner joined;
    LineRecord* oldLast = old;
    for (int i = 0; i < count; ++i) {
        rowsBefore += RowsOf(oldLast);
        oldBytes += oldLast->length;
        joined.Add(oldLast->flags);
        if (i + 1 < count) oldLast = oldLast->next;
    }
    const size_t oldTail = oldLast->contentLength();
    // An empty line for an empty line: nothing is edited.
    if (count == 1 && oldTail == 0 && text.empty()) return CaretPosition();
    const bool recording = !replaying_ && undo_.recording();
    // A step larger than the whole history cannot be kept: its texts are not copied at all.
    const size_t limit = undo_.limitKb();
    const bool fits = limit == 0 || (oldBytes + text.size()) / 1024 <= limit;
    std::string removed;
    std::string flagsBefore;
    if (recording && fits) {
        removed.reserve(oldBytes + text.size() + 2 * (static_cast<size_t>(count) + 16));
        document::AppendRunText(old, count, removed, &flagsBefore);
    }
    const uint8_t carry = joined.Joined();
    const int64_t row = lineRow_;
    // The rows of the new lines are laid out as each is made; the caret goes behind the new
    // text, on the last one's first row.
    int64_t rowsAfter = 0;
    int64_t lastRows = 0;
    const document::SpliceResult made = document::SpliceLines(
        doc_.lines(), old, count, text, carry, layout_.codePage(), !replaying_, [&](LineRecord* q) {
            q->rows = layout_.RowCount(view::LineText(q));
            rowsAfter += q->rows;
            lastRows = q->rows;
        });
    if (!made.first) return before;  // no memory: the heap has said so, nothing changed
    const int64_t lastRow = row + rowsAfter - lastRows;
    totalRows_ += rowsAfter - rowsBefore;
    line_ = made.last;
    lineNo_ = first + made.records - 1;
    lineRow_ = lastRow;
    pos_ = made.last->contentLength();
    if (!replaying_) doc_.SetModified(true);

    document::LineEdit e;
    e.line = first;
    e.column = 0;
    e.removed = {count - 1, oldTail};
    e.inserted = {made.records - 1, made.last->contentLength()};
    e.row = row;
    e.rowsBefore = rowsBefore;
    e.rowsAfter = rowsAfter;
    e.first = made.first;
    saved_.Follow(e);
    if (doc_.views().size() > 1) doc_.NotifyEdit(e, this);
    if (made.marksChanged) doc_.NoteBookmarksChanged();
    if (flags) flags();

    if (recording && !fits) {
        // As a record refused for its size: nothing of the history is left.
        undo_.Clear();
        undo_.ForgetSavePoint();
    } else if (recording) {
        // The record holds the lines as records: a cut long line has a line feed at each cut.
        std::string cut;
        std::string_view inserted = text;
        if (made.records != 1 + static_cast<int>(std::count(text.begin(), text.end(), '\n'))) {
            document::AppendRunText(made.first, made.records, cut, nullptr);
            inserted = cut;
        }
        Commit(kind, before, {first, 0}, std::move(removed), inserted, std::move(flagsBefore));
    } else if (!replaying_) {
        undo_.ForgetSavePoint();
    }
    return CaretPosition();
}

bool CElwView::ReplaceLineText(int line, std::string_view bytes, UndoKind kind) {
    if (doc_.readOnly || bytes.size() >= document::kMaxLineBytes ||
        bytes.find('\n') != std::string_view::npos)
        return false;
    ClaimBuffer();
    ReleaseBuffer();
    GoToLine(line);
    LineRecord* r = line_;
    if (lineNo_ != line || (r->flags & document::LF_CONTINUED) ||
        (r->prev && (r->prev->flags & document::LF_CONTINUED)))
        return false;
    pos_ = 0;
    virtualCol_ = -1;
    if (bytes.empty() && r->contentLength() == 0) return true;  // nothing to delete or insert
    // The undo record's bytes are built on this string: room for all of them (both texts and
    // a flag byte each side) is made at once.
    std::string removed;
    removed.reserve(r->contentLength() + bytes.size() + 2);
    removed.assign(r->text(), r->contentLength());
    const uint8_t flagsBefore = r->flags;
    const int32_t rowsBefore = RowsOf(r);
    const EditStart start = StartEdit();
    r = doc_.lines().ResizeLine(r, bytes.size() + 1);
    if (!r) return false;  // the heap has said so; the line is as it was
    NoteLineEdited();
    line_ = r;
    std::memcpy(r->text(), bytes.data(), bytes.size());
    r->text()[bytes.size()] = '\n';
    r->rows = layout_.RowCount(view::LineText(r));
    totalRows_ += r->rows - rowsBefore;
    pos_ = bytes.size();
    MarkEdited();
    // Told as the deletion and the insertion it stands for, one after the other, so that other
    // views place their carets as those two edits would.
    document::LineEdit deletion;
    deletion.line = line;
    deletion.removed = {0, removed.size()};
    deletion.row = start.row;
    deletion.first = r;
    deletion.rowsBefore = rowsBefore;
    deletion.rowsAfter = 1;  // the emptied line
    document::LineEdit insertion;
    insertion.line = line;
    insertion.inserted = {0, bytes.size()};
    insertion.row = start.row;
    insertion.first = r;
    insertion.rowsBefore = removed.empty() ? rowsBefore : 1;
    insertion.rowsAfter = r->rows;
    const bool others = doc_.views().size() > 1;
    if (!removed.empty()) {
        saved_.Follow(deletion);
        if (others) doc_.NotifyEdit(deletion, this);
    }
    if (!bytes.empty()) {
        saved_.Follow(insertion);
        if (others) doc_.NotifyEdit(insertion, this);
    }
    Commit(kind, {line, 0}, {line, 0}, std::move(removed), bytes,
           std::string(1, static_cast<char>(flagsBefore)));
    return true;
}

void CElwView::ReplaceWholeLines(int first, int last, std::string_view text) {
    if (doc_.readOnly) return;
    std::string cleaned;
    std::string_view clean = text;
    if (!InsertedTextIsClean(text)) {
        cleaned = CleanInsertedText(text, layout_.codePage());
        clean = cleaned;
    }
    CommandScope scope(*this);
    if (selection_) selection_->CancelSelection(*this);
    SetCaret(first, 0);
    ReplaceLines(first, last - first + 1, clean, UndoKind::kReplaceLines);
    AutoFormat();
    goal_ = -1;
    KeepCaretVisible(0, 0);
    CaretMoved();
}

bool CElwView::ReplayLines(const UndoRecord& r, bool back) {
    if (r.at.column != 0) return false;
    switch (r.kind) {
        case UndoKind::kReflow:
        case UndoKind::kReplaceLines:
        case UndoKind::kConvert:
            break;
        default:
            return false;
    }
    const std::string_view now = back ? r.Inserted() : r.Removed();
    const std::string_view then = back ? r.Removed() : r.Inserted();
    // The text now in place must be whole lines: it ends where its last line ends.
    const size_t breaks = static_cast<size_t>(std::count(now.begin(), now.end(), '\n'));
    const size_t tail = now.size() - (breaks ? now.rfind('\n') + 1 : 0);
    const int lines = doc_.lines().count();
    if (r.at.line < 1 || r.at.line + static_cast<int64_t>(breaks) > lines) return false;
    Sync();
    LineRecord* end = RecordFrom(line_, lineNo_, r.at.line + static_cast<int>(breaks));
    if (!end || end->contentLength() != tail) return false;
    ReplaceLines(r.at.line, static_cast<int>(breaks) + 1, then, r.kind);
    return true;
}

// ---- Indent ---------------------------------------------------------------------------------

LineRecord* CElwView::EditLineStart(LineRecord* r, int lineNumber, int64_t row,
                                    std::string_view text, size_t remove) {
    const int32_t oldRows = RowsOf(r);
    const size_t oldLength = r->length;
    if (!text.empty()) {
        LineRecord* q = doc_.lines().ResizeLine(r, oldLength + text.size());
        if (!q) return nullptr;
        r = q;
        std::memmove(r->text() + text.size(), r->text(), oldLength);
        std::memcpy(r->text(), text.data(), text.size());
    } else if (remove > 0) {
        remove = std::min(remove, r->contentLength());
        std::memmove(r->text(), r->text() + remove, oldLength - remove);
        // Smaller: the record stays where it is.
        r = doc_.lines().ResizeLine(r, oldLength - remove);
        if (!r) return nullptr;
    }
    r->rows = layout_.RowCount(view::LineText(r));
    totalRows_ += r->rows - oldRows;
    document::LineEdit e;
    e.line = lineNumber;
    e.column = 0;
    e.removed = {0, remove};
    e.inserted = {0, text.size()};
    e.row = row;
    e.rowsBefore = oldRows;
    e.rowsAfter = r->rows;
    e.first = r;
    saved_.Follow(e);
    if (doc_.views().size() > 1) doc_.NotifyEdit(e, this);
    return r;
}

int CElwView::IndentLines(int first, int last, std::string_view text) {
    ClaimBuffer();
    ReleaseBuffer();
    GoToLine(first);
    pos_ = 0;
    virtualCol_ = -1;
    NoteLineEdited();
    const bool recording = !replaying_ && undo_.recording();
    int added = 0;
    bool changed = false;
    // The record being gathered: its first and last line given the text, one byte a line.
    std::string bytes;
    int recordFirst = 0;
    int recordLast = 0;
    uint8_t firstFlags = 0;
    auto flush = [&] {
        if (recordFirst == 0) return;
        bytes.resize(static_cast<size_t>(recordLast - recordFirst + 1));
        if (recording) {
            if (recordsInCommand_ > 0) undo_.MarkGroup();
            undo_.BeginStep({recordFirst, 0}, firstFlags);
            UndoRecord rec;
            rec.kind = UndoKind::kIndent;
            rec.at = {recordFirst, 0};
            rec.SetContents(std::string(text), bytes, {}, {});
            undo_.RecordStep(std::move(rec));
            undo_.EndStep({recordLast, static_cast<uint32_t>(text.size())});
            ++recordsInCommand_;
        } else if (!replaying_) {
            undo_.ForgetSavePoint();
        }
        bytes.clear();
        recordFirst = 0;
    };
    LineRecord* r = line_;
    int64_t row = lineRow_;
    for (int n = first; r && n <= last; ++n) {
        // A record that continues the one before it is the middle of a line, not its start.
        const bool lineStart = !(r->prev && (r->prev->flags & LF_CONTINUED));
        const uint8_t flags = r->flags;
        const bool put = lineStart && r->contentLength() > 0;
        if (put && r->length + text.size() > document::kMaxLineBytes) {
            // No room left: the whole line is written again and goes on in continued records.
            flush();
            int count = 1;
            std::string line(text);
            for (LineRecord* q = r;; q = q->next, ++count) {
                line.append(q->text(), q->contentLength());
                if (!((q->flags & LF_CONTINUED) && q->next)) break;
            }
            GoToLine(n);
            ReplaceLines(n, count, line, UndoKind::kReflow);
            const int made = lineNo_ - n + 1;
            added += made - count;
            last += made - count;
            n = lineNo_;
            row = lineRow_ + RowsOf(line_);
            r = line_->next;
            changed = true;
            continue;
        }
        if (put) {
            LineRecord* q = EditLineStart(r, n, row, text, 0);
            if (!q) break;  // no memory: the heap has said so
            r = q;
            if (!replaying_) r->flags |= LF_CHANGED;
            changed = true;
            if (recordFirst == 0) {
                recordFirst = n;
                firstFlags = flags;
            }
            recordLast = n;
        }
        if (recordFirst) bytes.push_back(static_cast<char>(flags | (put ? kIndentedLine : 0)));
        row += RowsOf(r);
        r = r->next;
    }
    flush();
    if (changed && !replaying_) doc_.SetModified(true);
    return added;
}

void CElwView::PlayIndent(const UndoRecord& r, bool back, bool restoreChanged) {
    ClaimBuffer();
    ReleaseBuffer();
    GoToLine(r.at.line);
    NoteLineEdited();
    const std::string_view text = r.text();
    const std::string_view lines = r.text2();
    LineRecord* q = line_;
    int64_t row = lineRow_;
    for (size_t i = 0; i < lines.size() && q; ++i) {
        const auto b = static_cast<uint8_t>(lines[i]);
        if (b & kIndentedLine) {
            const int n = r.at.line + static_cast<int>(i);
            LineRecord* e = q;
            if (!back)
                e = EditLineStart(q, n, row, text, 0);
            else if (q->contentLength() >= text.size() &&
                     std::memcmp(q->text(), text.data(), text.size()) == 0)
                e = EditLineStart(q, n, row, {}, text.size());
            if (!e) break;
            q = e;
            auto f = static_cast<uint8_t>(b & ~kIndentedLine);
            if (!back) f |= LF_CHANGED;
            if (!restoreChanged) {
                f |= LF_CHANGED;
                forcedMarks_ = true;
            }
            q->flags = f;
        }
        row += RowsOf(q);
        q = q->next;
    }
}

}  // namespace norv::editing
