// Caret commands: characters, rows, line ends, the text's ends. A horizontal move forgets the
// goal column; a vertical move takes it from the caret when it has none and then keeps it, so
// that moving through short lines comes back to the same column.
#include <algorithm>

#include "editing/edit_view.h"

namespace norv::editing {

using document::LineRecord;

bool CElwView::FreeArea() const {
    return options_.freeCursor ||
           (selection_ && selection_->HasSelection(*this) && selection_->IsBox(*this));
}

void CElwView::MoveLeft() {
    view::LineText t = CaretText();
    if (virtualCol_ >= 0 && pos_ == t.end() && FreeArea()) {
        int endCol = layout_.ColumnOf(t, layout_.RowOf(t, pos_).start, pos_);
        virtualCol_ = virtualCol_ - 1 > endCol ? virtualCol_ - 1 : -1;
        return;
    }
    virtualCol_ = -1;
    if (pos_ > 0) {
        pos_ = layout_.PrevChar(t, pos_);
    } else if (lineNo_ > 1) {
        GoToLine(lineNo_ - 1);
        pos_ = CaretText().end();
    }
}

void CElwView::MoveRight() {
    view::LineText t = CaretText();
    if (pos_ < t.end()) {
        virtualCol_ = -1;
        pos_ += layout_.CharLen(t, pos_);
    } else if (FreeArea()) {
        int col = caretColumn();
        if (col + 1 < layout_.wrapColumn()) virtualCol_ = col + 1;
    } else if (line_->next) {
        GoToLine(lineNo_ + 1);
    }
}

bool CElwView::MoveRowUp() {
    view::LineText t = CaretText();
    view::LineLayout::Row row = layout_.RowOf(t, pos_);
    if (row.index > 0) {
        pos_ = layout_.RowStartAt(t, row.index - 1);
    } else if (lineNo_ > 1) {
        GoToLine(lineNo_ - 1);
        pos_ = layout_.RowStartAt(CaretText(), RowsOf(line_) - 1);
    } else {
        return false;
    }
    virtualCol_ = -1;
    return true;
}

bool CElwView::MoveRowDown() {
    view::LineText t = CaretText();
    view::LineLayout::Row row = layout_.RowOf(t, pos_);
    if (auto next = layout_.NextRowStart(t, row.start)) {
        pos_ = *next;
    } else if (line_->next) {
        GoToLine(lineNo_ + 1);
    } else {
        return false;
    }
    virtualCol_ = -1;
    return true;
}

void CElwView::ApplyGoal() {
    view::LineText t = CaretText();
    size_t start = layout_.RowOf(t, pos_).start;
    view::LineLayout::Position p = layout_.ColumnToPosition(t, start, goal_);
    pos_ = p.pos;
    virtualCol_ = -1;
    // Beyond a shorter line's end the caret may keep its column in the free area.
    if (p.pos == t.end() && goal_ > p.column && (options_.eolOverCursor || FreeArea()))
        virtualCol_ = goal_;
}

void CElwView::MoveUp() {
    if (goal_ < 0) goal_ = caretColumn();
    if (MoveRowUp()) ApplyGoal();
    KeepCaretVisible(2, 3);
    CaretMoved();
}

void CElwView::MoveDown() {
    if (goal_ < 0) goal_ = caretColumn();
    if (MoveRowDown()) ApplyGoal();
    KeepCaretVisible(2, 3);
    CaretMoved();
}

void CElwView::TopOfLine() {
    virtualCol_ = -1;
    if (pos_ != 0) {
        pos_ = 0;
        return;
    }
    view::LineText t = CaretText();
    size_t q = 0;
    while (q < t.end() && (t[q] == ' ' || t[q] == '\t')) ++q;
    pos_ = q;
}

void CElwView::EndOfLine() {
    virtualCol_ = -1;
    pos_ = CaretText().end();
}

void CElwView::LeftSide() {
    virtualCol_ = -1;
    pos_ = layout_.RowOf(CaretText(), pos_).start;
}

void CElwView::RightSide() {
    virtualCol_ = -1;
    view::LineText t = CaretText();
    size_t start = layout_.RowOf(t, pos_).start;
    auto next = layout_.NextRowStart(t, start);
    // On a wrapped row the caret stays on the row's last character.
    pos_ = next ? layout_.PrevChar(t, *next, start) : t.end();
}

void CElwView::TextTop() {
    ReleaseBuffer();
    line_ = doc_.lines().first();
    lineNo_ = 1;
    lineRow_ = 0;
    pos_ = 0;
    virtualCol_ = -1;
}

void CElwView::TextBottom() {
    // The row total is kept, so the last line's row is known without walking the text.
    ReleaseBuffer();
    line_ = doc_.lines().last();
    lineNo_ = doc_.lines().count();
    lineRow_ = totalRows_ - RowsOf(line_);
    pos_ = CaretText().end();
    virtualCol_ = -1;
}

void CElwView::KeepCaretVisible(int topMargin, int bottomMargin) {
    // The caret's row in its line is found once, for the row and for the column.
    const view::LineText t = CaretText();
    const view::LineLayout::Row inLine = layout_.RowOf(t, pos_);
    const int64_t row = lineRow_ + inLine.index;
    int half = (rows_ - 1) / 2;
    int tm = std::min(topMargin, half);
    int bm = std::min(bottomMargin, half);
    if (row < topRow_ + tm) topRow_ = std::max<int64_t>(0, row - tm);
    if (row > topRow_ + rows_ - 1 - bm) topRow_ = row - (rows_ - 1 - bm);
    ScrollTo(topRow_);
    const int col = CaretColumnIn(t, inLine);
    if (col < left_) left_ = col;
    if (col >= left_ + columns_) left_ = col - columns_ + 1;
}

}  // namespace norv::editing
