// Extracting a ZIP or LZH archive chosen in the Open dialog through the configured archiver.
//
// In order:
//   1. more than one file selected: kArchiveMultiple; the extension (its last four characters,
//      without regard to case) picks ".ZIP" (ZIPX, switch ZIPDOS) or ".LZH" (LHAX, LZHDOS);
//      anything else does nothing;
//   2. when the template holds "%2" the destination folder is chosen, starting at the dialog's
//      folder (Cancel stops here); without it the destination is the dialog's folder;
//   3. the archive's names are read by our own readers: names that cannot be read, or one
//      that would write outside the destination (absolute, "..", a link or device entry, or
//      through a link already in the folder), refuse the whole archive before anything runs;
//   4. the template runs, %1 and %2 one argument each: directly with the editor's streams, or
//      with the switch through /bin/sh -c with its output in the private temporary folder,
//      whose first kArchiverShownBytes (whole characters) are shown in "Archiver Output";
//      the wait lets painting and Escape through only (Escape stops waiting, not the program);
//   5. the destination becomes the current folder, which the dialog then shows.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui.h"

namespace norv::app {

class Settings;

inline constexpr std::string_view kArchiveMultiple = "You cannot choose multiple files.";
inline constexpr std::string_view kArchiveNameOutside =
    "This archive holds a name outside the chosen folder:\n%s";
inline constexpr std::string_view kArchiveNamesUnreadable =
    "The names in this archive cannot be read:\n%s";
inline constexpr std::string_view kArchiverOutputTitle = "Archiver Output";
inline constexpr size_t kArchiverShownBytes = 16384;

enum class ArchiveKind { kNone, kZip, kLzh };
ArchiveKind ArchiveKindOf(std::string_view path);

struct ExtractEnvironment {
    platform::UserInterface* ui = nullptr;
    const Settings* settings = nullptr;
    int systemCodePage = 932;
    // The destination chooser, starting at a folder; nothing when cancelled.
    std::function<std::optional<std::string>(const std::string& start)> chooseFolder;
    // The read-only "Archiver Output" window with the archiver's text (UTF-8).
    std::function<void(const std::string& text)> showOutput;
    // Lets painting through; true when Escape was pressed since the last call.
    std::function<bool()> escapePressed;
};

struct ExtractResult {
    bool ran = false;         // an archiver started
    bool stopped = false;     // Escape ended the wait
    std::string destination;  // the folder the dialog shows now (empty: unchanged)
};

// The selected files (full paths) of a dialog showing `folder`.
ExtractResult ExtractArchive(ExtractEnvironment& env, const std::vector<std::string>& selected,
                             const std::string& folder);

// The first `limit` bytes of `text`, shortened to end after a whole UTF-8 character.
std::string_view CutAtWholeCharacter(std::string_view text, size_t limit);

}  // namespace norv::app
