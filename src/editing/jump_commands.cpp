// JumpLine: the "Jump To" dialog and the move to a line counted in text lines or display rows;
// the end of every long move (the line centred with JumpCenter).
#include <algorithm>

#include "editing/edit_view.h"

namespace norv::editing {

void CElwView::JumpLine() {
    if (!shared_.jumpDialog) return;
    JumpRequest req;
    req.line = lineNo_;
    req.logical = shared_.jumpLogical;
    if (!shared_.jumpDialog(req)) return;
    shared_.jumpLogical = req.logical;
    if (shared_.recorder) shared_.recorder->RecordJump(req.line, req.logical);
    SavePosition();
    JumpTo(req.line, req.logical);
}

void CElwView::JumpTo(int64_t n, bool logical) {
    int lineNumber = 1;
    size_t pos = 0;
    if (logical) {
        lineNumber = static_cast<int>(std::clamp<int64_t>(n, 1, doc_.lineCount()));
    } else {
        // Display row n (from 1) lies in the line whose rows reach it; the caret goes to the
        // start of that row.
        int64_t row = std::max<int64_t>(n, 1) - 1;
        document::LineRecord* r = doc_.lines().first();
        while (r) {
            const int32_t rows = RowsOf(r);
            if (row < rows || !r->next) {
                view::LineText t = TextOf(r);
                pos = layout_.RowStartAt(t, static_cast<int32_t>(std::min<int64_t>(row, rows - 1)));
                break;
            }
            row -= rows;
            r = r->next;
            ++lineNumber;
        }
    }
    SetCaret(lineNumber, pos);
    FinishLongMove();
}

void CElwView::JumpToLine(int lineNumber) {
    SavePosition();
    SetCaret(lineNumber, 0);
    FinishLongMove();
}

void CElwView::FinishLongMove() {
    goal_ = -1;
    if (options_.jumpCenter) ScrollTo(caretRow() - rows_ / 2);
    KeepCaretVisible(0, 0);
    CaretMoved();
}

}  // namespace norv::editing
