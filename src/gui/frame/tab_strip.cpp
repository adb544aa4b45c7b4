// The frame's strip of document tabs.
#include "gui/frame/tab_strip.h"

#include <QEvent>

namespace norv::qt {
namespace {

// Titles come and go (a "*" for every change): the sizes of old ones are let go now and then.
constexpr qsizetype kMostSizes = 1024;

}  // namespace

TabStrip::TabStrip(QWidget* parent) : QTabBar(parent) {}

void TabStrip::HoldSizes() {
    ++holds_;
}

void TabStrip::ReleaseSizes() {
    if (holds_ == 0 || --holds_ > 0) return;
    // Setting a tab's text lays the whole bar out, and the bar's own size is asked anew.
    if (count() > 0) setTabText(0, tabText(0));
    updateGeometry();
}

TabStrip::Key TabStrip::KeyOf(int index, bool minimum) const {
    // What the style sees of a tab besides its text: first, last, only; current; the current
    // one just before or after it.
    const int last = count() - 1, current = currentIndex();
    const int place = (index == 0 ? 1 : 0) | (index == last ? 2 : 0) | (index == current ? 4 : 0) |
                      (index - 1 == current ? 8 : 0) | (index + 1 == current ? 16 : 0) |
                      (minimum ? 32 : 0) | (isTabEnabled(index) ? 64 : 0);
    return {tabText(index), place};
}

QSize TabStrip::tabSizeHint(int index) const {
    // The bar measures a tab's minimum through this with the tab's text shortened meanwhile:
    // those sizes go under the minimum's key.
    if (holds_ > 0) return QSize(1, 1);
    if (measuringMinimum_) return QTabBar::tabSizeHint(index);
    const Key key = KeyOf(index, false);
    if (const auto it = sizes_.constFind(key); it != sizes_.constEnd()) return *it;
    const QSize size = QTabBar::tabSizeHint(index);
    if (sizes_.size() >= kMostSizes) sizes_.clear();
    sizes_.insert(key, size);
    return size;
}

QSize TabStrip::minimumTabSizeHint(int index) const {
    if (holds_ > 0) return QSize(1, 1);
    const Key key = KeyOf(index, true);
    if (const auto it = sizes_.constFind(key); it != sizes_.constEnd()) return *it;
    measuringMinimum_ = true;
    const QSize size = QTabBar::minimumTabSizeHint(index);
    measuringMinimum_ = false;
    if (sizes_.size() >= kMostSizes) sizes_.clear();
    sizes_.insert(key, size);
    return size;
}

void TabStrip::changeEvent(QEvent* event) {
    switch (event->type()) {
        case QEvent::FontChange:
        case QEvent::StyleChange:
        case QEvent::PaletteChange:
        case QEvent::LayoutDirectionChange:
            sizes_.clear();
            break;
        default:
            break;
    }
    QTabBar::changeEvent(event);
}

}  // namespace norv::qt
