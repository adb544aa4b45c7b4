// Smooth scrolling: the text moves one row at a time, sliding a pixel or two per tick, one row
// every RollTimer milliseconds, until a key is pressed or the end of the text is reached.
// Each row is stepped in the core first (so the caret and the rows are always right), and the
// rows are then drawn slightly away from their new places, sliding into them.
#include <QTimer>
#include <algorithm>

#include "gui/editor/edit_widget.h"

namespace norv::qt {

bool EditWidget::RunFrontEndCommand(editing::CommandId id) {
    if (id != editing::CommandId::SlowRlup && id != editing::CommandId::SlowRldn) return false;
    if (paused_) return true;
    StartRoll(id == editing::CommandId::SlowRlup);
    return true;
}

bool EditWidget::rolling() const {
    return rollDirection_ != 0;
}

void EditWidget::StartRoll(bool up) {
    StopRoll();  // starting one direction stops the other
    UpdateWindowSize();
    if (!RollStep(up)) {
        Refresh();
        return;
    }
    rollDirection_ = up ? 1 : -1;
    rollOffset_ = cellHeight_;
    rollClock_.start();
    rollSteps_ = 0;
    const int pixelsPerTick = options_.rollTimer <= 50 ? 2 : 1;
    const int ticksPerRow = std::max(1, (cellHeight_ + pixelsPerTick - 1) / pixelsPerTick);
    rollTimer_->start(std::max(1, options_.rollTimer / ticksPerRow));
    Refresh();
}

bool EditWidget::RollStep(bool up) {
    // The row leaving at the top is kept as it looked, so that it slides out instead of
    // leaving a gap while the rows below slide up.
    rollLeaving_ = QPixmap();
    if (up) {
        const int offset = rollOffset_;
        rollOffset_ = 0;
        rollLeaving_ = viewport()->grab(QRect(0, textTop(), viewport()->width(), cellHeight_));
        rollOffset_ = offset;
    }
    return view_->SlowScrollStep(up);
}

void EditWidget::StopRoll() {
    if (!rollTimer_) return;
    rollTimer_->stop();
    if (rollDirection_ != 0 || rollOffset_ != 0) viewport()->update();
    rollDirection_ = 0;
    rollOffset_ = 0;
    rollLeaving_ = QPixmap();
}

// The offset follows the clock, not the ticks, so a slow paint makes the steps coarser but
// never the scrolling slower: one row every RollTimer milliseconds.
void EditWidget::RollTick() {
    if (paused_ || rollDirection_ == 0) {
        StopRoll();
        return;
    }
    const int period = std::max(1, options_.rollTimer);
    const qint64 elapsed = rollClock_.elapsed();
    bool stepped = false;
    while (rollSteps_ < elapsed / period) {
        if (!RollStep(rollDirection_ > 0)) {
            StopRoll();
            Refresh();
            return;
        }
        ++rollSteps_;
        stepped = true;
    }
    const int pixelsPerTick = options_.rollTimer <= 50 ? 2 : 1;
    const int left = static_cast<int>(cellHeight_ - elapsed % period * cellHeight_ / period);
    rollOffset_ = std::max(0, left / pixelsPerTick * pixelsPerTick);
    if (stepped)
        Refresh();
    else
        viewport()->update();
}

}  // namespace norv::qt
