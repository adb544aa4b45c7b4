// The launcher of registered programs: the 26 entries of the data file's "##Shell" section, one
// per button letter "A" to "Z", and "Register Program", which edits them.
//
// A button shows its entry's title and is enabled only when the entry has a command line; the
// letter key of an enabled button runs its entry. Register Program edits a working copy of all
// 26 entries; only its OK writes them. The write reads the data file again first and replaces
// only the "##Shell" entries, so whatever else the file holds (menus, scripts, folders, lines
// this program does not understand, changes another running copy made) stays as it is on disk.
// Entries whose fields did not change keep their stored option string, including letters this
// program ignores.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "app/config/data_file.h"
#include "platform/file_system.h"
#include "tools/shell/shell_command.h"

namespace norv::app {

using ShellEntries = std::array<ShellEntry, kShellEntryCount>;

inline constexpr std::string_view kRegisterProgramTitle = "Register Program";
inline constexpr std::string_view kDataFileWriteFailed = "Cannot write the data file %s:\n%s";
inline constexpr std::string_view kProgramTextUnkept =
    "This text has characters the data file cannot hold:\n%s";

struct LauncherButton {
    char letter = 'A';
    std::string title;  // the entry's title (system code page)
    bool enabled = false;
};

std::array<LauncherButton, kShellEntryCount> LauncherButtons(const ShellEntries& entries);

// The entry a typed character runs: "A" to "Z" (either case) give 0 to 25; others nothing.
std::optional<int> LauncherIndexOfKey(char32_t typed);

// The fields of Register Program for one entry.
struct ProgramFields {
    std::string title;        // "Commen&t:"
    std::string commandLine;  // "Command &Line:"
    std::string folder;       // "Start &In:"
    tools::ShellOptions options;
    bool operator==(const ProgramFields&) const = default;
};

ProgramFields FieldsOfEntry(const ShellEntry& entry);
// The entry the fields make. Tabs and line breaks, which would split the entry's line, become
// blanks. When the fields say what `previous` says, `previous` comes back unchanged.
ShellEntry EntryOfFields(const ProgramFields& fields, const ShellEntry& previous);

// Writes `entries` as the "##Shell" section of the data file at `path` (see above) and, once
// written, into `programCopy`. Returns 0, or the system error number of the failed read or
// write (then neither the file nor `programCopy` changed).
int RegisterPrograms(platform::FileSystem& fs, const std::string& path, const ShellEntries& entries,
                     DataFile& programCopy);

// The message of a failed write.
std::string DataFileWriteFailedText(const std::string& path, int error);

}  // namespace norv::app
