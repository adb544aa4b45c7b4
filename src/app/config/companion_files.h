// Where the per-installation files live, and their first-run copies.
//
// The settings, keyword, data, history and workspace files are named like the program with the
// extensions INI, KWD, DAT, HST and PRF: the program's file name is cut at its last "." (or
// kept whole when it has none) and the extension appended, so /opt/norv/bin/norv has
// norv.INI. They live in the folder named by NORVHOME when that is set; otherwise beside the
// program when the user may write there (a portable install); otherwise in
// $XDG_CONFIG_HOME/norv/ (~/.config/norv/). The system's program folders (/usr/bin and the like)
// are never a portable install, even for root. A missing folder is created on first use.
//
// When the settings, keyword or data file is missing, the shipped template NorvOrg.INI,
// NorvOrg.KWD or NorvOrg.DAT is copied to it, never over an existing file. Templates are looked
// for beside the program, then in ../share/norv/ relative to it.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"

namespace norv::app {

enum class CompanionKind : uint8_t { kSettings, kKeywords, kData, kHistory, kWorkspace, kCount };

inline constexpr std::string_view kCompanionExtensions[] = {"INI", "KWD", "DAT", "HST", "PRF"};
static_assert(std::size(kCompanionExtensions) == size_t(CompanionKind::kCount));
inline constexpr std::string_view kTemplateBaseName = "NorvOrg";

// What the location rule needs from the process, so tests can give other answers.
struct CompanionEnvironment {
    std::string executablePath;
    std::optional<std::string> norvHome;       // NORVHOME
    std::optional<std::string> xdgConfigHome;  // XDG_CONFIG_HOME
    std::string home;                          // HOME

    static CompanionEnvironment FromProcess();
};

enum class TemplateCopy {
    kPresent,     // the file existed
    kCopied,      // it was made from the template
    kNoTemplate,  // neither exists: everything takes its default
    kFailed,      // a template exists but could not be copied
};

class CompanionFiles {
  public:
    // Works out the folder (creating the per-user folder when that is the one chosen).
    static CompanionFiles Locate(platform::FileSystem& fs, const CompanionEnvironment& env);

    // The settings folder, ending in "/".
    const std::string& Folder() const { return folder_; }
    const std::string& ExecutableFolder() const { return executableFolder_; }
    std::string PathOf(CompanionKind kind) const;
    // Candidate paths of a kind's template, in search order (only INI, KWD and DAT have one).
    std::vector<std::string> TemplateCandidates(CompanionKind kind) const;
    // Makes the first-run copy of a missing file.
    TemplateCopy CopyTemplateIfMissing(platform::FileSystem& fs, CompanionKind kind) const;

  private:
    std::string folder_;
    std::string baseName_;  // the program's file name up to its last "."
    std::string executableFolder_;
};

// Replaces a configuration file through a temporary file and a rename, so that a crash leaves
// the old file or the new one. A symbolic link is followed (the link stays, its target is
// replaced) and the file keeps its permissions. Returns 0 or the system error number.
int WriteConfigFile(platform::FileSystem& fs, const std::string& path, std::string_view data);

// The companion name of a program path and extension, in the program's own folder.
std::string CompanionPathBeside(std::string_view executablePath, std::string_view extension);

}  // namespace norv::app
