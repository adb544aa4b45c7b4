// The manual and the ten help entries: where their files are, which entries the Tools menu
// offers for a document, and under which label.
//
// The manual is looked for as the settings templates are: "manual/index.html" beside the
// program, then "../share/norv/manual/index.html" relative to it. A help entry's file without a
// folder ("notes.html") is taken from the program's folder. The front end hands the file to the
// desktop's handler; there is no keyword search in a help file here, so the word at the caret
// plays no part.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "app/config/settings.h"

namespace norv::platform {
class FileSystem;
}

namespace norv::app {

inline constexpr std::string_view kManualFolder = "manual";
inline constexpr std::string_view kManualEntry = "index.html";

// The candidate paths of the manual's entry page, in search order.
std::vector<std::string> ManualCandidates(std::string_view executableFolder);
// The first candidate that exists; empty when there is none.
std::string FindManual(platform::FileSystem& fs, std::string_view executableFolder);

// The file of a help entry: empty for an empty entry; a name without "/" from the program's
// folder; "~/" expanded.
std::string HelpEntryPath(const HelpEntry& entry, std::string_view executableFolder);
// The entry's label in the Tools menu: its description, else its file's name.
std::string HelpEntryLabel(const HelpEntry& entry);

// The help command of entry n (0 to 9): the table index of Help1 to Help10.
size_t HelpCommand(int entry);
// Entry n of a help command of the table, or -1 for any other command.
int HelpEntryOfCommand(size_t command);

struct HelpMenuItem {
    int entry;          // 0 to 9
    std::string label;  // in the settings' code page
};
// The entries the Tools menu lists for a document (its path; empty for an untitled one): those
// with a file whose extension list matches the document or holds "*.*", in entry order.
std::vector<HelpMenuItem> HelpMenuItems(const Settings& settings, std::string_view documentPath);

// The message for a help file that does not exist.
std::string HelpFileMissingText(std::string_view path);

}  // namespace norv::app
