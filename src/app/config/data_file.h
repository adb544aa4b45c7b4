// The data file: user menus, external-tool entries, registered scripts and folders.
//
// A text file of sections, each opened by a line "##Name":
//   ##UserMenu  five menus, each "#Begin", one line per item ("caption TAB command-name", or "-"
//               for a separator), "#End". The menus' titles live in the settings file.
//   ##Shell     26 entries: title TAB command line TAB start-in folder TAB option string.
//   ##Script    16 add-in command slots (the commands Addin0 to AddinF): name TAB file TAB
//               flags, where a first flag digit other than "0" starts the script with the
//               program and a second one sets its second flag; then the script library, ten
//               pages of 26 slots: file TAB comment.
//   ##RegDir    16 registered folders, one a line.
// In all fields a single blank stands for an empty text. Lines may be of any length. Anything
// this program does not understand (other lines, other sections, lines beyond the fixed
// blocks) is kept and written back where it was.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/config/text_lines.h"
#include "platform/file_system.h"

namespace norv::app {

inline constexpr int kUserMenuCount = 5;
inline constexpr int kShellEntryCount = 26;
inline constexpr int kAddinSlotCount = 16;
inline constexpr int kLibraryPageCount = 10;
inline constexpr int kLibrarySlotCount = 26;
inline constexpr int kRegisteredFolderCount = 16;
// Menu captions are shown cut to this many bytes.
inline constexpr size_t kMenuCaptionLimit = 80;

struct UserMenuItem {
    bool separator = false;
    std::string caption;
    std::string command;  // a command name of the command table
    bool operator==(const UserMenuItem&) const = default;
    // The caption as shown: at most 80 bytes, never ending inside a double-byte character.
    std::string_view ShownCaption(int codePage) const;
};

struct ShellEntry {
    std::string title, commandLine, folder, options;
    bool operator==(const ShellEntry&) const = default;
};

struct AddinSlot {
    std::string name, file, flags;
    bool operator==(const AddinSlot&) const = default;
    bool StartsWithProgram() const { return !flags.empty() && flags[0] != '0'; }
    bool SecondFlag() const { return flags.size() > 1 && flags[1] != '0'; }
};

struct LibrarySlot {
    std::string file, comment;
    bool operator==(const LibrarySlot&) const = default;
};

class DataFile {
  public:
    std::array<std::vector<UserMenuItem>, kUserMenuCount> menus;
    std::array<ShellEntry, kShellEntryCount> shell;
    std::array<AddinSlot, kAddinSlotCount> addins;
    std::array<std::array<LibrarySlot, kLibrarySlotCount>, kLibraryPageCount> library;
    std::array<std::string, kRegisteredFolderCount> folders;

    void Parse(std::string_view text);
    std::string Format() const;

  private:
    enum class Kind { kUserMenu, kShell, kScript, kRegDir, kCount };
    struct SectionRecord {
        Kind kind;
        TextLine header;
        std::vector<TextLine> extra;  // lines after the section's entries
        size_t linesRead = 0;         // entry lines the file had (fixed sections)
    };
    void ParseSection(SectionRecord& record, const std::vector<TextLine>& lines);
    void FormatSection(const SectionRecord& record, std::vector<TextLine>& out) const;
    bool SectionHasContent(Kind kind) const;

    LineEnd end_ = LineEnd::kLf;
    std::vector<TextLine> preamble_;
    std::vector<SectionRecord> sections_;
    std::array<std::vector<std::optional<TextLine>>, kUserMenuCount> menuSources_;
    std::array<std::optional<TextLine>, kShellEntryCount> shellSources_;
    std::array<std::optional<TextLine>, kAddinSlotCount> addinSources_;
    std::array<std::array<std::optional<TextLine>, kLibrarySlotCount>, kLibraryPageCount>
        librarySources_;
    std::array<std::optional<TextLine>, kRegisteredFolderCount> folderSources_;
};

// A missing file gives empty lists and is no error. Returns 0 or the system error number.
int LoadDataFile(platform::FileSystem& fs, const std::string& path, DataFile& out);
// Written through a temporary file and a rename. Returns 0 or the system error number.
int SaveDataFile(platform::FileSystem& fs, const std::string& path, const DataFile& file);

// Line formats, for the tests and the fuzz target.
UserMenuItem ParseMenuItem(std::string_view line);
ShellEntry ParseShellEntry(std::string_view line);
AddinSlot ParseAddinSlot(std::string_view line);
LibrarySlot ParseLibrarySlot(std::string_view line);

}  // namespace norv::app
