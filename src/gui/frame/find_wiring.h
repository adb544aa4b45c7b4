// Find and replace in the main frame: the one FindCommands of the program with its environment
// of real windows. The search commands of every view (keys, menus, scripts) reach it through
// the views' command extension; it answers with the Find, Replace and "Replace?" dialogs, the
// document windows in window order, the selection of each window, the Escape key, the status
// bar, and the settings and history file where options and histories are kept.
#pragma once

#include <QElapsedTimer>
#include <QMdiSubWindow>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <memory>
#include <string>
#include <vector>

#include "app/config/history_file.h"
#include "app/config/settings.h"
#include "app/config/settings_store.h"
#include "app/find_session.h"
#include "editing/edit_view.h"
#include "platform/file_system.h"
#include "search/find_commands.h"
#include "search/selection_link.h"

namespace norv::qt {

class MainFrame;
class DocWindow;

// Escape during long work: a poll lets pending events through (painting shows the status text)
// and reports whether Escape was pressed since the last poll. Other input that arrives during
// the poll is dropped, so nothing types into, scrolls or closes a window under a running
// search; timers and sockets wait until it has ended. Polls closer together than kMinIntervalMs
// are answered without looking, so a caller that polls after every match costs little.
class EscapePoller : public QObject {
  public:
    static constexpr int kMinIntervalMs = 40;
    bool Poll();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    bool pressed_ = false;
    QElapsedTimer last_;
};

class FindWiring : public search::OpenWindows, private editing::CommandExtension {
  public:
    FindWiring(MainFrame& frame, editing::EditorShared& shared, platform::UserInterface& ui,
               int systemCodePage);
    ~FindWiring() override;
    FindWiring(const FindWiring&) = delete;
    FindWiring& operator=(const FindWiring&) = delete;

    // Takes JumpCenter, SelectFind and the saved options from `settings`, writes saved options
    // through `store` (null: they are kept for this run only) and keeps the Find and Replace
    // histories in the history file at `historyPath` (empty: not kept). `history`, when given,
    // is the program's copy of that file: the histories are taken from it and it follows their
    // changes. All of them outlive the frame.
    void Configure(app::Settings& settings, app::SettingsStore* store, platform::FileSystem& fs,
                   std::string historyPath, app::HistoryFile* history = nullptr);
    // JumpCenter and SelectFind again (the settings were read again).
    void UseSettings(const app::Settings& settings);
    // Runs without windows: the Find and Replace dialogs are cancelled and the "Replace?"
    // question takes its default button, "&Yes".
    void UseHeadlessDialogs();

    search::FindCommands& commands() { return commands_; }
    search::FindEnvironment& environment() { return env_; }
    // The search state and its histories in the history file.
    app::FindSession& session() { return session_; }

    // Writes the histories to the history file, keeping the file's other blocks. Returns 0 or
    // the system error number (a file that cannot be read is not overwritten).
    int SaveHistories() { return session_.SaveHistories(); }

    // OpenWindows
    std::vector<editing::CElwView*> Views() override;
    void Activate(editing::CElwView& view) override;

  private:
    // CommandExtension
    bool Handles(editing::CommandId id) const override { return commands_.Handles(id); }
    bool RunCommand(editing::CElwView& view, editing::CommandId id) override;

    DocWindow* WindowOf(const editing::CElwView& view) const;
    void SaveOption(std::string_view key, std::string_view letters);

    MainFrame& frame_;
    editing::EditorShared& shared_;
    int systemCodePage_;
    app::FindSession session_;
    search::FindEnvironment& env_ = session_.environment();
    search::FindCommands& commands_ = session_.commands();
    std::unique_ptr<search::SelectionLink> selection_;
    EscapePoller escape_;
    app::Settings* settings_ = nullptr;
    app::SettingsStore* store_ = nullptr;
    int documentCodePage_ = 0;  // of the view the running command started in
    bool busy_ = false;
    DocWindow* activated_ = nullptr;  // a window the search moved to
    QPointer<QMdiSubWindow> activatedLater_;
    QTimer activation_;
};

}  // namespace norv::qt
