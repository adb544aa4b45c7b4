// External programs in the main frame: the Shell command with its dialog and history, the
// launcher (ShellMenu) with its registered programs, and the run itself with the frame's
// windows, selections, the output document, Escape and painting.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/launcher.h"
#include "app/shell_run.h"
#include "editing/edit_view.h"
#include "gui/dialogs/file_dialogs.h"
#include "gui/dialogs/shell_dialog.h"
#include "gui/frame/find_wiring.h"
#include "platform/file_system.h"

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

    // Where Register Program writes the "##Shell" entries (unset: kept for this run only).
    void SetDataFile(platform::FileSystem* fs, std::string path) {
        dataFs_ = fs;
        dataPath_ = std::move(path);
    }
    // The ShellMenu command: the launcher, then the chosen entry's run (recorded for a key
    // macro). True when a program started.
    bool RunLauncher();
    // Launcher entry `n` (0 for "A"), without the dialog (scripts' SHELLMENU, macros). True when
    // a program started.
    bool RunEntry(int n);
    // E&xtract of the Open dialog: the archive among `selected` of a dialog showing `folder`
    // unpacked through the configured archiver, the wait letting only Escape and painting
    // through. Returns the folder the dialog shows next (empty: unchanged).
    std::string ExtractArchive(const std::vector<std::string>& selected, const std::string& folder,
                               const ExtractCalls& calls);
    // Register Program's OK: the entries into the data file and the program's copy; false
    // (after saying why) when the file could not be written.
    bool SaveEntries(const app::ShellEntries& entries);

    const std::vector<ShellHistoryEntry>& history() const { return history_; }

  private:
    DocWindow* WindowOf(const editing::CElwView* view) const;
    app::ShellRunResult RunEntryRecorded(int n, editing::CommandRecorder* recorder);

    MainFrame& frame_;
    platform::UserInterface& ui_;
    int systemCodePage_;
    EscapePoller escape_;
    app::ShellEnvironment env_;
    std::vector<ShellHistoryEntry> history_;
    bool busy_ = false;
    bool headless_ = false;
    platform::FileSystem* dataFs_ = nullptr;
    std::string dataPath_;
    std::function<std::optional<std::string>(std::string_view)> headlessAnswer_;
};

// The Open dialog's E&xtract through `shell` (which outlives the dialog).
inline ArchiveExtractor ArchiveExtractorOf(ShellWiring& shell) {
    return [&shell](const std::vector<std::string>& selected, const std::string& folder,
                    const ExtractCalls& calls) {
        return shell.ExtractArchive(selected, folder, calls);
    };
}

}  // namespace norv::qt
