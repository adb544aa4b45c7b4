// The application's style with the standard icons of window title bars made once and shared.
//
// Every document window is an MDI sub-window, and each one asks the style for the icons of its
// system menu and title bar as it is made; the style draws or loads them anew each time (a
// hundred windows of a project: four hundred images read). The icons depend on nothing but the
// style, so the first of each is kept and handed out again. Everything else is the style's own.
#pragma once

#include <QIcon>
#include <QProxyStyle>
#include <array>

namespace norv::qt {

class SharedIconStyle : public QProxyStyle {
    Q_OBJECT

  public:
    // The style named `key` (QStyleFactory) with its title-bar icons shared.
    explicit SharedIconStyle(const QString& key);

    QIcon standardIcon(StandardPixmap icon, const QStyleOption* option = nullptr,
                       const QWidget* widget = nullptr) const override;

  private:
    static constexpr StandardPixmap kShared[] = {
        SP_TitleBarMenuButton,    SP_TitleBarMinButton,        SP_TitleBarMaxButton,
        SP_TitleBarCloseButton,   SP_TitleBarNormalButton,     SP_TitleBarShadeButton,
        SP_TitleBarUnshadeButton, SP_TitleBarContextHelpButton};
    mutable std::array<QIcon, std::size(kShared)> icons_;
};

// Makes the application's style share its title-bar icons (once; a style that the style
// factory cannot make again is left as it is).
void ShareTitleBarIcons();

}  // namespace norv::qt
