// The launcher's entries and their registration (see launcher.h).
#include "app/launcher.h"

#include <cstring>

#include "app/config/kept_line.h"
#include "app/shell_run.h"

namespace norv::app {

std::array<LauncherButton, kShellEntryCount> LauncherButtons(const ShellEntries& entries) {
    std::array<LauncherButton, kShellEntryCount> buttons;
    for (size_t i = 0; i < buttons.size(); ++i) {
        buttons[i].letter = static_cast<char>('A' + i);
        buttons[i].title = entries[i].title;
        buttons[i].enabled = LauncherEntryUsable(entries[i]);
    }
    return buttons;
}

std::optional<int> LauncherIndexOfKey(char32_t typed) {
    if (typed >= U'A' && typed <= U'Z') return static_cast<int>(typed - U'A');
    if (typed >= U'a' && typed <= U'z') return static_cast<int>(typed - U'a');
    return std::nullopt;
}

ProgramFields FieldsOfEntry(const ShellEntry& entry) {
    return {entry.title, entry.commandLine, entry.folder, tools::ParseShellOptions(entry.options)};
}

ShellEntry EntryOfFields(const ProgramFields& fields, const ShellEntry& previous) {
    ShellEntry entry{OneField(fields.title), OneField(fields.commandLine), OneField(fields.folder),
                     tools::LauncherOptionString(fields.options)};
    const ProgramFields before = FieldsOfEntry(previous);
    if (entry.title == before.title && entry.commandLine == before.commandLine &&
        entry.folder == before.folder && fields.options == before.options)
        return previous;
    return entry;
}

int RegisterPrograms(platform::FileSystem& fs, const std::string& path, const ShellEntries& entries,
                     DataFile& programCopy) {
    DataFile onDisk;
    if (int error = LoadDataFile(fs, path, onDisk)) return error;
    onDisk.shell = entries;
    if (int error = SaveDataFile(fs, path, onDisk)) return error;
    programCopy.shell = entries;
    return 0;
}

std::string DataFileWriteFailedText(const std::string& path, int error) {
    // Filled left to right in one pass: a path may itself hold "%s".
    const std::string_view format = kDataFileWriteFailed;
    const size_t first = format.find("%s");
    const size_t second = format.find("%s", first + 2);
    std::string text(format.substr(0, first));
    text += path;
    text += format.substr(first + 2, second - first - 2);
    text += error ? std::strerror(error) : "unknown error";
    text += format.substr(second + 2);
    return text;
}

}  // namespace norv::app
