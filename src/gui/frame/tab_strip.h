// The frame's strip of document tabs, one per window: a tab bar that remembers its tabs' sizes.
//
// The bar lays every tab out again each time one is added, asking each for its size, which
// builds the style's whole description of the tab; opening a hundred windows asked ten thousand
// times. A tab's size follows from its text, its place in the row and whether it or a
// neighbour is the current tab, so the sizes are kept under those and forgotten when the font,
// the style or the palette changes. (The bar's shape, elision, icon size and document mode are
// set before any tab is added.)
//
// Even remembered, a hundred tabs added in a row are laid out a hundred times. While the sizes
// are held (a run of windows opened or closed in one go, with nothing painted meanwhile), every
// tab measures as a point, and the bar is laid out with the real sizes once, as the hold ends.
#pragma once

#include <QHash>
#include <QSize>
#include <QString>
#include <QTabBar>
#include <utility>

namespace norv::qt {

class TabStrip : public QTabBar {
    Q_OBJECT

  public:
    explicit TabStrip(QWidget* parent = nullptr);

    // Holds may nest; the last release lays the bar out.
    void HoldSizes();
    void ReleaseSizes();

  protected:
    QSize tabSizeHint(int index) const override;
    QSize minimumTabSizeHint(int index) const override;
    void changeEvent(QEvent* event) override;

  private:
    using Key = std::pair<QString, int>;  // the text, and the tab's place as bits
    Key KeyOf(int index, bool minimum) const;

    mutable QHash<Key, QSize> sizes_;
    mutable bool measuringMinimum_ = false;
    int holds_ = 0;
};

}  // namespace norv::qt
