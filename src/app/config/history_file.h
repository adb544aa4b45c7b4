// The history file: what one run of the editor leaves for the next.
//
// Fixed blocks of lines, in this order:
//   32 Find history entries       "text TAB options" (or the text alone), newest first
//   32 Replace history entries    the same
//   32 lines kept as they are
//   32 texts
//   32 folders                    when all are empty, the list is the settings folder alone
//   100 recent-file records       "path TAB %d:%d,%d,%d,%d/%lu,%lu/%lu,%lu/%d,%d"; the two
//                                 %lu pairs are the last opening and the last update, each a
//                                 64-bit file time as low and high halves; unused: empty lines
//   32 texts
// Lines may be of any length; lines after the last block are kept. The blocks are always
// written whole, so that their positions never shift; an entry that cannot be stored on one
// line is written as an empty line instead.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/config/text_lines.h"
#include "platform/file_system.h"
#include "search/find_history.h"

namespace norv::app {

inline constexpr int kHistoryBlockSize = 32;
inline constexpr int kRecentFileCount = 100;

// A Find or Replace history entry: the search's own entry type.
using HistoryEntry = search::FindHistoryEntry;

struct RecentFile {
    std::string path;
    // The record's numbers; only the two times are used here, the others belong to the
    // document and view code that fills them.
    std::array<int, 5> lead{};
    uint32_t openLow = 0, openHigh = 0;
    uint32_t updateLow = 0, updateHigh = 0;
    std::array<int, 2> tail{};
    bool hasNumbers = false;  // false: the line held a path alone (or numbers we cannot read)

    bool operator==(const RecentFile&) const = default;
    bool Empty() const { return path.empty() && !hasNumbers; }
    platform::FileTime LastOpen() const { return (uint64_t(openHigh) << 32) | openLow; }
    platform::FileTime LastUpdate() const { return (uint64_t(updateHigh) << 32) | updateLow; }
    void SetLastOpen(platform::FileTime t);
    void SetLastUpdate(platform::FileTime t);
};

class HistoryFile {
  public:
    std::array<HistoryEntry, kHistoryBlockSize> find;
    std::array<HistoryEntry, kHistoryBlockSize> replace;
    std::array<std::string, kHistoryBlockSize> texts;
    std::array<std::string, kHistoryBlockSize> folders;
    std::array<RecentFile, kRecentFileCount> recent;
    std::array<std::string, kHistoryBlockSize> lastTexts;

    void Parse(std::string_view text);
    std::string Format() const;

    // The folder list as offered: the settings folder alone when every entry is empty.
    std::vector<std::string> FolderList(const std::string& settingsFolder) const;

    // Puts an entry at the top of the Find or Replace history; an older entry with the same
    // text goes, and the oldest drops out when the block is full. Empty texts are ignored.
    static void Remember(std::array<HistoryEntry, kHistoryBlockSize>& history, HistoryEntry entry);
    // The same for the recent files, by exact path.
    void RememberRecentFile(RecentFile record);
    const RecentFile* FindRecentFile(std::string_view path) const;

  private:
    LineEnd end_ = LineEnd::kLf;
    std::array<std::optional<TextLine>, kHistoryBlockSize> findSources_, replaceSources_,
        textSources_, folderSources_, lastTextSources_;
    std::array<TextLine, kHistoryBlockSize> skipped_;
    std::array<std::optional<TextLine>, kRecentFileCount> recentSources_;
    std::vector<TextLine> extra_;
};

int LoadHistoryFile(platform::FileSystem& fs, const std::string& path, HistoryFile& out);
int SaveHistoryFile(platform::FileSystem& fs, const std::string& path, const HistoryFile& file);

// Line formats, for the tests and the fuzz target.
HistoryEntry ParseHistoryEntry(std::string_view line);
std::string FormatHistoryEntry(const HistoryEntry& entry);
RecentFile ParseRecentFile(std::string_view line);
std::string FormatRecentFile(const RecentFile& record);

}  // namespace norv::app
