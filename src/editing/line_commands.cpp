// Commands on whole lines and small insertions: DeleteLine and PopLine through the program's
// deleted-line ring, Duplicate, RepeatOne, TimeStamp and PasteFindString.
//
// Lines in the ring may come from a document of the other internal encoding (UTF-8 or the ANSI
// code page); a popped line is converted to this document's encoding before it is inserted, and
// a line that grows beyond the record limit in the conversion continues on further lines.
#include <ctime>

#include "document/char_model.h"
#include "document/codecs.h"
#include "editing/edit_view.h"
#include "editing/escape_sequences.h"

namespace norv::editing {

using document::LF_CHANGED;
using document::LineRecord;
using document::UndoKind;
using document::UndoPosition;

void CElwView::DeleteLine() {
    if (!line_->next) return;
    const int col = caretColumn();
    ClaimBuffer();
    ReleaseBuffer();
    LineRecord* r = line_;
    LineRecord* next = r->next;
    // For the other views: the line and its line feed were removed at its start.
    document::LineEdit edit;
    edit.line = lineNo_;
    edit.removed.breaks = 1;
    edit.row = lineRow_;
    edit.rowsAfter = RowsOf(next);
    edit.rowsBefore = RowsOf(r) + edit.rowsAfter;
    edit.first = next;
    UndoPosition before = CaretPosition();
    UndoPosition at{lineNo_, 0};
    std::string text(r->text(), r->length);
    std::string fb;
    fb.push_back(static_cast<char>(r->flags));
    fb.push_back(static_cast<char>(next->flags));
    totalRows_ -= RowsOf(r);
    doc_.lines().UnlinkLine(r);
    line_ = next;
    r->flags = 0;
    r->rows = 0;
    shared_.stackUtf8[shared_.stack.index()] = document::IsUtf8CodePage(layout_.codePage());
    shared_.stack.Push(r);
    if (!replaying_) doc_.SetModified(true);
    // The caret stays on its screen row, in the same column.
    view::LineText t = CaretText();
    pos_ = layout_.ColumnToPosition(t, 0, col).pos;
    virtualCol_ = -1;
    saved_.Follow(edit);
    doc_.NotifyEdit(edit, this);
    if (fb[0] & document::LF_MARK) doc_.NoteBookmarksChanged();
    Commit(UndoKind::kDeleteLine, before, at, std::move(text), {}, std::move(fb));
}

void CElwView::PopLine() {
    if (!shared_.stack.Peek()) return;
    const size_t slot = (shared_.stack.index() - 1) & (document::LineStack::kSlots - 1);
    const bool fromUtf8 = shared_.stackUtf8[slot];
    ClaimBuffer();
    ReleaseBuffer();
    if (!shared_.stack.Pop(doc_.lines(), line_)) return;
    LineRecord* r = line_->prev;
    std::string content(r->text(), r->contentLength());
    doc_.lines().UnlinkLine(r);
    doc_.lines().FreeRecord(r);

    const bool toUtf8 = document::IsUtf8CodePage(layout_.codePage());
    if (fromUtf8 != toUtf8) {
        std::string converted;
        const int acp = doc_.env().CodePage();
        if (toUtf8)
            document::AnsiToUtf8(converted, content, acp);
        else
            document::Utf8ToAnsi(converted, content, acp);
        content.swap(converted);
    }
    InsertLinesAbove(content);
}

void CElwView::Duplicate() {
    std::string content = CaretText().Content();
    InsertLinesAbove(content);
}

void CElwView::InsertLinesAbove(const std::string& content) {
    pos_ = 0;
    virtualCol_ = -1;
    UndoPosition at = CaretPosition();
    std::string fb = FlagsOf(lineNo_, 1);
    const uint8_t own = line_->flags;
    std::string ins = RawInsert(content + "\n");
    if (ins.empty()) return;
    // RawInsert left the old line's flags on the first new line; they belong to the lower one,
    // which holds the old text. The new lines carry only the changed mark.
    line_->flags = own;
    LineRecord* r = line_->prev;
    for (int n = lineNo_ - 1; r && n >= at.line; --n, r = r->prev) r->flags = LF_CHANGED;
    Commit(UndoKind::kInsertLine, at, at, ins, {}, fb);
    SetCaret(at.line, 0);
}

void CElwView::RepeatChar() {
    view::LineText t = CaretText();
    if (pos_ >= t.end()) return;
    size_t len = layout_.CharLen(t, pos_);
    InsertAtCaret(t.Slice(pos_, pos_ + len), UndoKind::kInsertBlock);
}

void CElwView::TimeStamp() {
    std::tm tm{};
    if (shared_.localTime) {
        tm = shared_.localTime();
    } else {
        std::time_t now = std::time(nullptr);
        localtime_r(&now, &tm);
    }
    const char* format =
        doc_.env().CodePage() == 932 ? "%Y/%m/%d(%a) %H:%M:%S" : "%m/%d/%Y(%a) %H:%M:%S";
    char buf[30];
    size_t n = std::strftime(buf, sizeof buf, format, &tm);
    if (n) InsertText(std::string_view(buf, n));
}

void CElwView::PasteFindString() {
    if (!shared_.findString) return;
    std::string s = shared_.findString->FindString();
    if (s.empty()) return;
    std::string decoded = DecodeEscapes(s, layout_.codePage());
    if (!decoded.empty()) InsertText(decoded);
}

}  // namespace norv::editing
