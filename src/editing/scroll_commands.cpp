// Scroll commands. Their names describe the text's movement: "up" brings later lines into
// view. Amounts are display rows; every command stops without change at the ends of the text.
#include <algorithm>

#include "editing/edit_view.h"

namespace norv::editing {

bool CElwView::ScrollText(int64_t rows) {
    int64_t top = std::clamp<int64_t>(topRow_ + rows, 0, std::max<int64_t>(0, totalRows_ - 1));
    if (top == topRow_) return false;
    topRow_ = top;
    return true;
}

// The text moves up n rows; the caret keeps its text line, unless it would leave the window
// at the top, where it moves on with the window.
void CElwView::RollUpKeep(int n) {
    for (int i = 0; i < n; ++i) {
        if (!ScrollText(1)) break;
        if (caretRow() < topRow_) {
            if (goal_ < 0) goal_ = caretColumn();
            if (MoveRowDown()) ApplyGoal();
        }
    }
}

// The text moves down n rows; the caret keeps its text line unless that brings it within
// three rows of the bottom.
void CElwView::RollDownKeep(int n) {
    for (int i = 0; i < n; ++i) {
        if (!ScrollText(-1)) break;
        int margin = std::min(3, (rows_ - 1) / 2);
        if (caretRow() > topRow_ + rows_ - 1 - margin) {
            if (goal_ < 0) goal_ = caretColumn();
            if (MoveRowUp()) ApplyGoal();
        }
    }
}

// The text moves n rows (positive: up) and the caret keeps its screen row.
void CElwView::RollWithCaret(int n) {
    if (goal_ < 0) goal_ = caretColumn();
    int step = n > 0 ? 1 : -1;
    bool moved = false;
    for (int i = 0; i != n; i += step) {
        if (!ScrollText(step)) {
            // At the top of the text the caret moves up instead.
            if (step < 0 && !moved && MoveRowUp()) ApplyGoal();
            break;
        }
        moved = true;
        if (step > 0 ? MoveRowDown() : MoveRowUp()) ApplyGoal();
    }
}

int CElwView::maxLeftColumn() const {
    return std::max(0, layout_.wrapColumn() - columns_ + 1);
}

void CElwView::ScrollLeftTo(int column) {
    left_ = std::clamp(column, 0, maxLeftColumn());
}

bool CElwView::SlowScrollStep(bool up) {
    int64_t before = topRow_;
    RollWithCaret(up ? 1 : -1);
    CaretMoved();
    return topRow_ != before;
}

bool CElwView::Scroll(CommandId id, int keyRepeat) {
    const int rows = rows_;
    const int accel = keyRepeat >= 3 ? 2 : 1;
    const bool fast = options_.accelerate && keyRepeat > options_.accelRepeat;
    switch (id) {
        case CommandId::RollUp:
            RollUpKeep(accel);
            break;
        case CommandId::RollDown:
            RollDownKeep(accel);
            break;
        case CommandId::NormalRlUp:
        case CommandId::SlowRlup:
            RollWithCaret(1);
            break;
        case CommandId::NormalRlDn:
        case CommandId::SlowRldn:
            RollWithCaret(-1);
            break;
        case CommandId::SRollUp:
            if (fast && options_.accelMode == 1)
                RollWithCaret(4);
            else
                for (int i = 0; i < (fast ? 2 : 1); ++i) RollWithCaret(2);
            break;
        case CommandId::SRollDown:
            if (fast && options_.accelMode == 1)
                RollWithCaret(-4);
            else
                for (int i = 0; i < (fast ? 2 : 1); ++i) RollWithCaret(-2);
            break;
        case CommandId::AnothRollUp:
            if (other_) other_->RollWithCaret(1), other_->Changed();
            return true;
        case CommandId::AnothRollDown:
            if (other_) other_->RollWithCaret(-1), other_->Changed();
            return true;
        case CommandId::BothRollUp:
            if (other_) other_->RollWithCaret(1), other_->Changed();
            RollWithCaret(1);
            break;
        case CommandId::BothRollDown:
            if (other_) other_->RollWithCaret(-1), other_->Changed();
            RollWithCaret(-1);
            break;
        case CommandId::HalfPageUp:
            RollWithCaret(std::max(1, (rows - 1) / 2));
            break;
        case CommandId::HalfPageDown:
            RollWithCaret(-std::max(1, (rows - 1) / 2));
            break;
        case CommandId::PageUp:
            RollWithCaret(std::max(1, rows - 1));
            break;
        case CommandId::PageDown:
            RollWithCaret(-std::max(1, rows - 1));
            break;
        case CommandId::RollLeft:
            if (left_ > 0) --left_;
            return true;
        case CommandId::RollRight:
            if (left_ + columns_ <= layout_.wrapColumn()) ++left_;
            return true;
        case CommandId::MakeTop:
            ScrollTo(caretRow());
            return true;
        case CommandId::MakeBot:
            ScrollTo(caretRow() - (rows - 1));
            return true;
        case CommandId::MakeMid:
            ScrollTo(caretRow() - rows / 2);
            return true;
        default:
            return false;
    }
    CaretMoved();
    return true;
}

}  // namespace norv::editing
