// Running an external program for the user: the Shell and launcher commands and the scripts'
// SHELLCMD and SHELLMENU, after their dialogs.
//
// In order: the command line (system code page) becomes UTF-8 and is expanded (tools/shell);
// a line that cannot be started shows kShellStartFailed. Then:
//   - without capture the program starts and the run is over, unless a %T made it a filter:
//     then its standard output goes to "Norv.TMP" in the private temporary folder, the run
//     waits for its end, and the file's text (converted into the document's code) replaces the
//     selection of the view the run started from, as one undo step; no file, no change;
//   - with capture (E at the caret of the active view, O into the output document) its output,
//     or its error stream for a trailing "2", is read as it arrives, 2048 bytes at a time, and
//     inserted (at the end of the text unless E), painted at most every kShellPaintMs; with E
//     the selection is deleted once the program runs, so a failed start loses nothing. When
//     the program has ended and its output is read, the status bar says kShellEnded.
// Escape (polled, with painting only) stops waiting and reading, never the program: what was
// inserted stays, a filter replaces nothing. A target that is closed or changed by anything
// else during the run gets nothing more, and the status bar says so.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "app/config/data_file.h"
#include "app/output_document.h"
#include "editing/edit_view.h"
#include "editing/selection.h"
#include "platform/process_run.h"
#include "platform/ui.h"
#include "tools/shell/shell_command.h"

namespace norv::app {

inline constexpr std::string_view kShellStartFailed =
    "The command didn't work properly\nPlease check if the command or the file name is correct.";
inline constexpr std::string_view kShellEnded = "The process is normally terminated :-)";
inline constexpr std::string_view kShellTargetChanged =
    "The output stopped: its document was changed or closed.";
inline constexpr int kShellPaintMs = 50;
// The frame command identifiers a recorded run is kept under.
inline constexpr uint16_t kShellCommandId = 58465;
inline constexpr uint16_t kLauncherCommandId = 58466;
inline constexpr size_t kShellReadBytes = 2048;

// Whether a launcher entry has a command to run (its button is enabled).
bool LauncherEntryUsable(const ShellEntry& entry);

struct ShellEnvironment {
    platform::UserInterface* ui = nullptr;
    OutputWindows* windows = nullptr;
    // The active view and its selection (null: none).
    std::function<editing::CElwView*()> activeView;
    std::function<editing::Selection*(editing::CElwView&)> selectionOf;
    // A new document in a window of its own, for E without an active view.
    std::function<editing::CElwView*()> newDocument;
    // Whether a view still exists (the user or a script may close it during the run).
    std::function<bool(editing::CElwView*)> viewAlive;
    // %I: the input box with its prompt; nothing on Cancel.
    std::function<std::optional<std::string>(std::string_view prompt)> ask;
    // Lets painting through; true when Escape was pressed since the last call.
    std::function<bool()> escapePressed;
    std::function<void(editing::CElwView&)> repaint;
    // The launcher's S and A: true when saved (S: also when the current document has no file
    // name); false when a save failed or was cancelled, and then nothing runs.
    std::function<bool()> saveCurrent;
    std::function<bool()> saveAll;
    // Confirmed runs are reported here (the key-macro recorder), null: none.
    editing::CommandRecorder* recorder = nullptr;
    int systemCodePage = 932;
    // The environment of the place-holders (empty: the process's own).
    std::optional<std::vector<std::string>> environment;
};

struct ShellRunResult {
    bool started = false;
    bool stopped = false;  // Escape, or the target went away
    std::optional<int> exitStatus;
};

class ShellRun {
  public:
    explicit ShellRun(ShellEnvironment& env) : env_(env) {}

    // Runs `line` (system code page) with `options` in `folder` (empty: the current one).
    ShellRunResult Run(std::string_view line, const tools::ShellOptions& options,
                       const std::string& folder = {});

    // A confirmed Shell line (the dialog's, a script's or a macro's): reported to the recorder
    // with its option letters, then run.
    ShellRunResult RunLine(std::string_view line, const tools::ShellOptions& options);
    // Launcher entry `n` (0 for "A" to 25 for "Z") of `data`: other numbers and empty entries do
    // nothing. Reported to the recorder with its index; then the entry's S or A save (a failed
    // or cancelled save runs nothing), and its command line in its start-in folder, expanded
    // (empty: the current folder; a folder that does not exist is a start failure).
    ShellRunResult RunEntry(const DataFile& data, int n);

  private:
    // The first %T: the selection (or the whole text, then selected) into "Norv.txt".
    std::optional<std::string> WriteFilterInput(editing::CElwView* view);
    // Reads the program's output into `target` until its end, Escape, or a changed target.
    void Capture(editing::CElwView& target, bool atCaret, OutputDocument* output,
                 platform::RunningProgram& program, ShellRunResult& result);
    // The filter's output replaces the selection of `view` as one undo step.
    void ReplaceSelection(editing::CElwView& view, std::string_view text);

    ShellEnvironment& env_;
    // The heap bytes the lines of the filter's input take: about what its output will need.
    size_t filterInputBytes_ = 0;
};

}  // namespace norv::app
