// External programs in the main frame: the Shell command with its dialog and history, and the
// run itself with the frame's windows, selections, the output document, Escape and painting.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/shell_run.h"
#include "editing/edit_view.h"
#include "gui/dialogs/shell_dialog.h"
#include "gui/frame/find_wiring.h"

namespace norv::qt {

class MainFrame;
class DocWindow;

class ShellWiring {
  public:
    ShellWiring(MainFrame& frame, platform::UserInterface& ui, int systemCodePage);
    ShellWiring(const ShellWiring&) = delete;
    ShellWiring& operator=(const ShellWiring&) = delete;

    // Runs without windows: the dialog is cancelled, and %I's input box takes `answer` (unset:
    // cancelled).
    void UseHeadlessDialogs(
        std::function<std::optional<std::string>(std::string_view)> answer = {}) {
        headless_ = true;
        headlessAnswer_ = std::move(answer);
    }
    // Ctrl+Break noted for a running script: it stops waiting for a program as Escape does.
    std::function<bool()> breakPending;

    // The Shell command: the dialog (its boxes from ShellOption, written back on OK), then the
    // run. True when a program started.
    bool RunShell();
    // A line (system code page) with its options, without a dialog (scripts, macros).
    app::ShellRunResult Run(std::string_view line, const tools::ShellOptions& options,
                            const std::string& folder = {});

    const std::vector<ShellHistoryEntry>& history() const { return history_; }

  private:
    DocWindow* WindowOf(const editing::CElwView* view) const;

    MainFrame& frame_;
    platform::UserInterface& ui_;
    int systemCodePage_;
    EscapePoller escape_;
    app::ShellEnvironment env_;
    std::vector<ShellHistoryEntry> history_;
    bool busy_ = false;
    bool headless_ = false;
    std::function<std::optional<std::string>(std::string_view)> headlessAnswer_;
};

}  // namespace norv::qt
