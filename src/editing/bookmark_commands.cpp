// Bookmarks and the moves between marked and changed lines, MarkCaption, the screen's edges and
// the previous position.
//
// A bookmark is a line flag, not an edit: these commands work in read-only documents, leave no
// undo record and never mark the document modified. Every change of a bookmark raises the
// document's bookmark notice, which refreshes the bookmark list and the views. A move that
// finds nothing leaves the caret (and the saved position) where they were.
#include <algorithm>
#include <bitset>
#include <string>
#include <vector>

#include "document/char_model.h"
#include "document/codecs.h"
#include "editing/edit_view.h"

namespace norv::editing {

using document::LF_CHANGED;
using document::LF_MARK;
using document::LineRecord;

namespace {

// The bullets of MarkCaption: a character of ANKTitle followed by a blank, or a character of
// DBCSTitle. Both settings are written in the system code page; for a document in UTF-8 their
// characters are turned into UTF-8 once, so that characters are compared as code points and
// never through the system code page.
class Bullets {
  public:
    Bullets(const EditOptions& o, int codePage, int systemCodePage) : codePage_(codePage) {
        const std::string ank = o.ankTitle.empty() ? kDefaultAnkTitle : o.ankTitle;
        Split(ank, systemCodePage, false, &ank_);
        Split(o.dbcsTitle, systemCodePage, true, &dbcs_);
    }

    // Whether the text (a line without its line feed) begins, after its blanks, with a bullet.
    bool Heads(const char* p, const char* end) const {
        while (p < end && (*p == ' ' || *p == '\t')) ++p;
        if (p == end) return false;
        const size_t len = document::CharLength(codePage_, p, end);
        const std::string_view ch(p, len);
        if (len == 1 && !document::IsUtf8CodePage(codePage_))
            return ankBytes_[static_cast<uint8_t>(*p)] && p + 1 < end &&
                   (p[1] == ' ' || p[1] == '\t');
        if (std::find(dbcs_.begin(), dbcs_.end(), ch) != dbcs_.end()) return true;
        return std::find(ank_.begin(), ank_.end(), ch) != ank_.end() && p + len < end &&
               (p[len] == ' ' || p[len] == '\t');
    }

  private:
    // The characters of `set` that are double-byte (or single-byte) in the system code page, in
    // the document's encoding.
    void Split(const std::string& set, int systemCodePage, bool doubleByte,
               std::vector<std::string>* out) {
        const char* p = set.data();
        const char* end = p + set.size();
        while (p < end) {
            const size_t len = document::CharLength(systemCodePage, p, end);
            const std::string ch(p, len);
            p += len;
            if ((len > 1) != doubleByte) continue;
            if (!document::IsUtf8CodePage(codePage_)) {
                if (len == 1) ankBytes_.set(static_cast<uint8_t>(ch[0]));
                out->push_back(ch);
                continue;
            }
            std::string utf8;
            document::AnsiToUtf8(utf8, ch, systemCodePage);
            if (!utf8.empty()) out->push_back(utf8);
        }
    }

    int codePage_;
    std::bitset<256> ankBytes_;
    std::vector<std::string> ank_;
    std::vector<std::string> dbcs_;
};

}  // namespace

bool CElwView::Bookmarks(CommandId id) {
    switch (id) {
        case CommandId::MarkLine:
            ToggleMark();
            return true;
        case CommandId::MarkOff:
            DeleteMark();
            return true;
        case CommandId::NextMark:
        case CommandId::PrevMark:
            NextFlagged(LF_MARK, id == CommandId::NextMark);
            return true;
        case CommandId::NextChanged:
        case CommandId::PrevChanged:
            NextFlagged(LF_CHANGED, id == CommandId::NextChanged);
            return true;
        case CommandId::MarkCaption:
            MarkCaption();
            return true;
        case CommandId::MarkList:
            if (shared_.markList) shared_.markList(*this);
            return true;
        case CommandId::PrevPos:
            PrevPosition();
            return true;
        case CommandId::ScreenTop:
        case CommandId::ScreenBot:
            ScreenEdge(id == CommandId::ScreenBot);
            return true;
        case CommandId::OtherParen:
            CorrParen();
            return true;
        default:
            return false;
    }
}

void CElwView::NoteBookmarks() {
    doc_.NoteBookmarksChanged();
    doc_.NotifyRepaint(this);
}

void CElwView::ToggleMark() {
    int first = lineNo_;
    int last = lineNo_;
    bool atLineStart = false;
    // A selection that ends at the first byte of a line does not take that line.
    if (selection_ && selection_->LineRange(*this, &first, &last, &atLineStart) && atLineStart)
        --last;
    LineRecord* r = RecordFrom(line_, lineNo_, first);
    for (int n = first; r && n <= last; ++n, r = r->next) r->flags ^= LF_MARK;
    NoteBookmarks();
}

void CElwView::DeleteMark() {
    int first = 1;
    int last = doc_.lineCount();
    bool atLineStart = false;
    if (!selection_ || !selection_->LineRange(*this, &first, &last, &atLineStart)) {
        first = 1;
        last = doc_.lineCount();
    }
    bool changed = false;
    LineRecord* r = RecordFrom(line_, lineNo_, first);
    for (int n = first; r && n <= last; ++n, r = r->next) {
        changed = changed || (r->flags & LF_MARK);
        r->flags &= static_cast<uint8_t>(~LF_MARK);
    }
    if (changed) NoteBookmarks();
}

void CElwView::NextFlagged(uint8_t flag, bool forward) {
    // The rows are added up on the way, so the caret lands without walking the lines again.
    ReleaseBuffer();
    LineRecord* r = line_;
    int n = lineNo_;
    int64_t row = lineRow_;
    for (;;) {
        if (forward) {
            row += RowsOf(r);
            r = r->next;
            ++n;
        } else {
            r = r->prev;
            --n;
            if (r) row -= RowsOf(r);
        }
        if (!r) return;
        if (r->flags & flag) break;
    }
    SavePosition();
    line_ = r;
    lineNo_ = n;
    lineRow_ = row;
    pos_ = 0;
    virtualCol_ = -1;
    FinishLongMove();
}

void CElwView::MarkCaption() {
    Sync();
    const Bullets bullets(options_, layout_.codePage(), doc_.env().CodePage());
    bool changed = false;
    int n = 0;
    for (LineRecord* r = doc_.lines().first(); r; r = r->next) {
        // Escape keeps the marks set so far.
        if (++n % kLinesPerEscapePoll == 0 && Escape()) break;
        if (r->flags & LF_MARK) continue;
        if (bullets.Heads(r->text(), r->text() + r->contentLength())) {
            r->flags |= LF_MARK;
            changed = true;
        }
    }
    if (changed) NoteBookmarks();
}

void CElwView::SavePosition() {
    saved_.displayRow = caretRow();
    saved_.line = lineNo_;
    saved_.column = pos_;
    saved_.caretX = caretColumn();
    saved_.screenRow = caretScreenRow();
    saved_.left = left_;
}

void CElwView::PrevPosition() {
    SavedPosition there = saved_;
    there.Clamp(doc_.lineCount());
    SavePosition();
    SetCaret(there.line, there.column);
    goal_ = -1;
    // The caret comes back to its row and column of the window.
    ScrollTo(caretRow() - there.screenRow);
    ScrollLeftTo(there.left);
    KeepCaretVisible(0, 0);
    CaretMoved();
}

void CElwView::ScreenEdge(bool bottom) {
    const int64_t target =
        bottom ? std::min<int64_t>(topRow_ + rows_ - 1, totalRows_ - 1) : topRow_;
    if (goal_ < 0) goal_ = caretColumn();
    bool moved = false;
    while (caretRow() > target && MoveRowUp()) moved = true;
    while (caretRow() < target && MoveRowDown()) moved = true;
    if (moved) ApplyGoal();
    KeepCaretVisible(0, 0);
    CaretMoved();
}

}  // namespace norv::editing
