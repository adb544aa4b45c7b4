// The list of open windows at the end of the Window menu. It is built each time the menu opens:
// the first nine windows carry the mnemonics "&1" to "&9", the others none; the active window
// is checked, and choosing an entry activates its window.
#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPointer>
#include <algorithm>

#include "gui/frame/doc_window.h"
#include "gui/frame/main_frame.h"

namespace norv::qt {

void MainFrame::FillWindowList() {
    for (QAction* a : windowList_) {
        windowMenu_->removeAction(a);
        a->deleteLater();
    }
    windowList_.clear();
    // Every window in opening order, those not shown yet too.
    const std::vector<DocWindow*> windows = Windows();
    if (windows.empty()) return;
    windowList_.push_back(windowMenu_->addSeparator());
    const DocWindow* active = ActiveWindow();
    int number = 0;
    for (DocWindow* w : windows) {
        ++number;
        // An "&" in a file name is shown, not taken as a mnemonic.
        QString text = w->windowTitle().replace(QLatin1Char('&'), QStringLiteral("&&"));
        if (number <= 9) text = QStringLiteral("&%1 ").arg(number) + text;
        QAction* a = windowMenu_->addAction(text);
        a->setObjectName(QStringLiteral("window:%1").arg(number));
        a->setCheckable(true);
        a->setChecked(w == active);
        QPointer<DocWindow> target(w);
        connect(a, &QAction::triggered, this, [this, target] {
            if (!target ||
                std::find(windows_.begin(), windows_.end(), target.data()) == windows_.end())
                return;
            mdi_->setActiveSubWindow(SubWindowOf(*target));
            target->editor().setFocus();
            UpdateMenus();
            UpdateStatus();
        });
        windowList_.push_back(a);
    }
}

}  // namespace norv::qt
