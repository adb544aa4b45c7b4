// The frame's strip of document tabs, one per window: a tab bar that remembers its tabs' sizes.
//
// The bar lays every tab out again each time one is added, asking each for its size, which
// builds the style's whole description of the tab; opening a hundred windows asked ten thousand
// times. A tab's size follows from its text, its place in the row and whether it or a
// neighbour is the current tab, so the sizes are kept under those and forgotten when the font,
// the style or the palette changes. (The bar's shape, elision, icon size and document mode are
// set before any tab is added.)
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

  protected:
    QSize tabSizeHint(int index) const override;
    QSize minimumTabSizeHint(int index) const override;
    void changeEvent(QEvent* event) override;

  private:
    using Key = std::pair<QString, int>;  // the text, and the tab's place as bits
    Key KeyOf(int index, bool minimum) const;

    mutable QHash<Key, QSize> sizes_;
    mutable bool measuringMinimum_ = false;
};

}  // namespace norv::qt
