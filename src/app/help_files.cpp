// The manual's place and the help entries.
#include "app/help_files.h"

#include "app/commands/command_table.h"
#include "app/config/profiles.h"
#include "platform/file_system.h"
#include "platform/paths.h"

namespace norv::app {

std::vector<std::string> ManualCandidates(std::string_view executableFolder) {
    const std::string beside = platform::JoinPath(executableFolder, kManualFolder);
    const std::string shared =
        platform::JoinPath(platform::JoinPath(executableFolder, "../share/norv"), kManualFolder);
    return {platform::JoinPath(beside, kManualEntry),
            platform::FullPath(platform::JoinPath(shared, kManualEntry))};
}

std::string FindManual(platform::FileSystem& fs, std::string_view executableFolder) {
    for (const std::string& path : ManualCandidates(executableFolder)) {
        const std::optional<platform::FileInfo> info = fs.Stat(path);
        if (info && !info->isDirectory) return path;
    }
    return {};
}

std::string HelpEntryPath(const HelpEntry& entry, std::string_view executableFolder) {
    if (entry.file.empty()) return {};
    if (entry.file.find('/') == std::string::npos)
        return platform::JoinPath(executableFolder, entry.file);
    return platform::ExpandHome(entry.file);
}

std::string HelpEntryLabel(const HelpEntry& entry) {
    if (!entry.comment.empty()) return entry.comment;
    return platform::FileNameOf(entry.file);
}

size_t HelpCommand(int entry) {
    static const int first = CommandIndexByName("Help1");
    return static_cast<size_t>(first + entry);
}

int HelpEntryOfCommand(size_t command) {
    const size_t first = HelpCommand(0);
    if (command < first || command >= first + kHelpEntryCount) return -1;
    return static_cast<int>(command - first);
}

std::vector<HelpMenuItem> HelpMenuItems(const Settings& settings, std::string_view documentPath) {
    std::vector<HelpMenuItem> items;
    for (int i = 0; i < kHelpEntryCount; ++i) {
        const HelpEntry e = settings.Help(i);
        if (e.file.empty()) continue;
        if (!ListAppliesToFile(documentPath, e.extensions, settings.CodePage())) continue;
        items.push_back({i, HelpEntryLabel(e)});
    }
    return items;
}

std::string HelpFileMissingText(std::string_view path) {
    return "The help file " + std::string(path) + " is not found.";
}

}  // namespace norv::app
