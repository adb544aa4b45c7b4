// External programs in the main frame: the Shell command with its dialog and history, and the
// run itself with the frame's windows, selections, the output document, Escape and painting.
#pragma once

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

    // Runs without windows: the dialog and %I's input box are cancelled.
    void UseHeadlessDialogs() { headless_ = true; }

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
};

}  // namespace norv::qt
