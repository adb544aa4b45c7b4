// The application's style with shared title-bar icons.
#include "gui/services/shared_icon_style.h"

#include <QApplication>
#include <QStyleFactory>

namespace norv::qt {

SharedIconStyle::SharedIconStyle(const QString& key) : QProxyStyle(key) {}

QIcon SharedIconStyle::standardIcon(StandardPixmap icon, const QStyleOption* option,
                                    const QWidget* widget) const {
    // An option can ask for another state or size: those go to the style every time.
    if (!option)
        for (size_t i = 0; i < std::size(kShared); ++i)
            if (kShared[i] == icon) {
                if (icons_[i].isNull())
                    icons_[i] = QProxyStyle::standardIcon(icon, nullptr, widget);
                return icons_[i];
            }
    return QProxyStyle::standardIcon(icon, option, widget);
}

void ShareTitleBarIcons() {
    QStyle* current = QApplication::style();
    if (!current || qobject_cast<SharedIconStyle*>(current)) return;
    const QString name = current->name();
    if (name.isEmpty() || !QStyleFactory::keys().contains(name, Qt::CaseInsensitive)) return;
    QApplication::setStyle(new SharedIconStyle(name));
}

}  // namespace norv::qt
