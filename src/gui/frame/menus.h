// The menus built from the command table. Every item is a command of the table: it shows the
// command's label and its first key from the key table, runs through the frame as a key would,
// and is disabled while the command is not built in this program or has nothing to work on.
//
// Also here: the two-stroke timer on a QTimer, and popups of commands (the two-stroke menu and
// the user menus).
#pragma once

#include <QObject>
#include <QPoint>
#include <QString>
#include <QTimer>
#include <array>
#include <functional>
#include <initializer_list>
#include <string_view>
#include <vector>

#include "app/commands/command_table.h"
#include "app/commands/key_dispatch.h"

class QAction;
class QMenu;
class QMenuBar;
class QWidget;

namespace norv::qt {

class MainFrame;

class CommandMenus : public QObject {
    Q_OBJECT

  public:
    CommandMenus(MainFrame& frame, QMenuBar* bar);

    // Adds a menu to the bar. Its layout lists command names in order; "-" is a separator,
    // ">Title" opens a submenu and "<" closes it.
    QMenu* AddMenu(const QString& title, std::initializer_list<const char*> layout);
    // The action of a command (null when no menu holds it).
    QAction* ActionAt(size_t command) const { return actions_[command]; }
    QAction* ActionOf(std::string_view name) const;

    // Enabled states, check marks and key texts as they are now.
    void Update();

    // The object names of the top-level menus (tests find them by these).
    static constexpr const char* kMenuNamePrefix = "menu:";

  private:
    QAction* ActionFor(size_t command);

    MainFrame& frame_;
    QMenuBar* bar_;
    std::array<QAction*, app::kCommandCount> actions_{};
};

// The two-stroke timer: fires once, `TwoDelay` milliseconds after the prefix key.
class TwoStrokeTimer : public QObject, public app::TwoStrokeTimer {
    Q_OBJECT

  public:
    explicit TwoStrokeTimer(std::function<void()> expired);
    void Start(int milliseconds) override;
    void Stop() override;
    bool active() const { return timer_.isActive(); }

  private:
    QTimer timer_;
};

// An entry of a command popup.
struct PopupEntry {
    bool separator = false;
    QString text;
    bool enabled = true;
};

// Shows a popup menu at a global point and waits for the choice: the index of the chosen
// entry, or -1. The menu's object name is `name`.
int ExecPopup(const std::vector<PopupEntry>& entries, QPoint where, QWidget* parent,
              const char* name);

inline constexpr const char* kTwoStrokeMenuName = "twoStrokeMenu";
// The pop-up of the resident menu and Run Script.
inline constexpr const char* kScriptMenuName = "scriptMenu";
inline constexpr const char* kUserMenuName = "userMenu";

}  // namespace norv::qt
