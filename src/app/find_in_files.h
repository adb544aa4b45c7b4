// The Grep command: the "Find From File" dialog (or a script's arguments), then the search of
// a folder tree into the output document.
//
// In order: the dialog (its string from GetFindWord or the word at the caret, its folder from
// GrepDir, its masks from GrepMask, its options from GrepOption); the start folder made the
// current folder and saved to GrepDir (with a trailing "/"); an empty string beeps and leaves
// the state value 4 without searching; the output document prepared; the wait cursor and
// "Finding ...(ESC key to break)"; the walk, each file named in the status bar and each line
// found appended to the output; then the output unmodified and shown from its top, the status
// bar idle, GrepMask saved, the current folder as before, and the state value 1 when something
// was found, else 4.
//
// While it runs only Escape and painting get through (the environment's poll), so nothing
// edits or closes the output or a searched document under it. The output is painted at most
// once every kGrepPaintMs.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/config/settings.h"
#include "app/config/settings_store.h"
#include "app/output_document.h"
#include "editing/edit_view.h"
#include "platform/file_system.h"
#include "platform/ui.h"
#include "search/find_history.h"
#include "search/grep_options.h"
#include "search/grep_text.h"
#include "search/grep_walk.h"

namespace norv::app {

// The reasons beside the beeps of a find in files that cannot start.
inline constexpr std::string_view kNoFolderText = "No such folder: ";
inline constexpr std::string_view kNothingToFindText = "Nothing to find";

inline constexpr std::string_view kGrepFindingText = "Finding ...(ESC key to break)";
inline constexpr int kGrepPaintMs = 50;
inline constexpr uint16_t kGrepCommandId = 32782;

// The dialog "Find From File"; the front end shows it and returns false when cancelled.
struct GrepDialogRequest {
    std::string searchString;  // system code page, with escape sequences
    std::string folder;        // file-system bytes
    std::string masks;
    search::GrepOptions options;
    const search::FindHistory* history = nullptr;
    bool saveOptions = false;  // "&Save Options"
};

// What a script gives: a missing argument makes the dialog ask, filled with the others.
struct GrepArguments {
    std::optional<std::string> searchString;
    std::optional<std::string> folder;
    std::optional<std::string> masks;
    std::optional<std::string> options;
};

struct GrepEnvironment {
    platform::FileSystem* fs = nullptr;
    platform::UserInterface* ui = nullptr;
    Settings* settings = nullptr;
    SettingsStore* store = nullptr;  // null: settings kept for this run only
    OutputWindows* windows = nullptr;
    std::function<bool(GrepDialogRequest&)> dialog;
    // Lets painting through; true when Escape was pressed since the last call.
    std::function<bool()> escapePressed;
    // Shows the output now.
    std::function<void(editing::CElwView&)> repaint;
    // The documents open in windows (the output's own is left out by the command).
    std::function<std::vector<search::GrepOpenText>()> openTexts;
    // The Find history the dialog offers and the search string joins (null: none).
    search::FindHistory* history = nullptr;
    std::function<void()> historyChanged;
    editing::CommandRecorder* recorder = nullptr;
    int systemCodePage = 932;
    size_t blockBytes = search::kGrepBlockBytes;
};

class FindInFiles {
  public:
    explicit FindInFiles(GrepEnvironment& env) : env_(env) {}

    // The command: the dialog with `presetString` (GetFindWord's string or the word at the
    // caret), then the search. Returns the number of output lines (0 when cancelled).
    uint64_t Command(std::string_view presetString);
    // The script built-in; a missing argument asks through the dialog.
    uint64_t Script(const GrepArguments& arguments, std::string_view presetString);
    // The search with these fields, without a dialog.
    uint64_t Run(const GrepDialogRequest& request);

    // 1 found, 4 nothing found or nothing searched; 0 before the first search.
    int stateValue = 0;
    // Whether the last search was stopped with Escape.
    bool broken = false;

  private:
    GrepDialogRequest DialogDefaults(std::string_view presetString) const;
    bool AskAndRun(GrepDialogRequest& request, uint64_t* lines);
    void Save(Key key, std::string_view value);

    GrepEnvironment& env_;
};

}  // namespace norv::app
