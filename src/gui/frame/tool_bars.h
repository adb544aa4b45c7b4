// The five tool bars of the frame, built from the bar table: one button per command in the
// table's order, shown when its bit of the bar's mask is set, with the command's menu label as
// text and tip and an icon from the desktop's theme or the program's own. A bar is filled the
// first time it is shown on screen, so a hidden bar (or a frame that is never shown, as in a
// headless run) costs no icon loading.
#pragma once

#include <QObject>
#include <array>
#include <functional>
#include <optional>
#include <vector>

#include "app/commands/tool_bar_table.h"

class QAction;
class QIcon;
class QMainWindow;
class QToolBar;

namespace norv::app {
class Settings;
}

namespace norv::qt {

// The icon of a command's button: the theme's icon of that name when the desktop has one, else
// the program's own drawing.
QIcon ToolButtonIcon(const app::ToolButtonSpec& button);
// The text and tip of a command's button: its menu label without the mnemonic and without a
// trailing "...".
QString ToolButtonText(size_t command);

class ToolBars : public QObject {
    Q_OBJECT

  public:
    struct Hooks {
        std::function<void(size_t command)> run;
        std::function<bool(size_t command)> enabled;
        std::function<std::optional<bool>(size_t command)> checked;
    };
    ToolBars(QMainWindow& frame, Hooks hooks);

    // Shows the bars that ToolBar1 to ToolBar5 turn on, their buttons as the masks say, at the
    // size BigButton picks.
    void Apply(const app::Settings& settings);
    // Enabled states and check marks as they are now (built bars only).
    void Update();

    QToolBar* bar(size_t n) const { return bars_[n].bar; }
    // The action of button i of bar n; null until the bar was shown once.
    QAction* button(size_t n, size_t i) const;
    bool built(size_t n) const { return !bars_[n].actions.empty(); }
    int iconSize() const { return iconSize_; }

    static constexpr int kSmallIcon = 16;
    static constexpr int kBigIcon = 32;

  private:
    struct Bar {
        QToolBar* bar = nullptr;
        std::vector<QAction*> actions;  // one per button of the table
        int mask = 0;
    };
    void Build(size_t n);
    void ApplyMask(size_t n);

    Hooks hooks_;
    std::array<Bar, app::kToolBars.size()> bars_{};
    int iconSize_ = kSmallIcon;
};

}  // namespace norv::qt
