// The recent files: the history file's 100 records of the files opened or saved under a new
// name, newest first, and its 32 recent folders.
//
// Every change reads the history file again, changes only these two blocks and writes it back,
// so the other blocks (and another instance's newer entries) stay as they are. While a `Hold`
// lasts (many documents opened in a row), the file is read once and the changes are kept in
// memory; as the hold ends they are made once more over what the file holds then, and it is
// written once. A record holds
// the path, the caret line and column (1-based; the first two numbers), this opening's time and
// the file's last-write time (64-bit file times as low and high halves); its other numbers are
// written as they were read (0 for a new record).
//
// Also here, for the recent-files dialog: its columns, the order of each sort column, the
// stored column widths.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/config/history_file.h"
#include "platform/file_system.h"

namespace norv::app {

class RecentFiles {
  public:
    RecentFiles(platform::FileSystem& fs, std::string historyPath, std::string settingsFolder)
        : fs_(fs), path_(std::move(historyPath)), settingsFolder_(std::move(settingsFolder)) {}

    // A file opened or saved under a new name goes to the top with `now` and its last-write
    // time, and its folder to the top of the recent folders. The caret it had (from the record)
    // is kept. 0 or the error number of the history file's write.
    int Note(const std::string& path, platform::FileTime now);
    // The caret of a file as it closes, kept in its record where it is.
    int NoteCaret(const std::string& path, int line, int column);
    // The records as the file holds them now (empty ones left out), newest first.
    std::vector<RecentFile> List() const;
    // The caret a file had when it was last closed (line, column), when its record has one.
    std::optional<std::pair<int, int>> CaretOf(const std::string& path) const;
    // The recent folders (the settings folder alone when there are none).
    std::vector<std::string> Folders() const;

    const std::string& path() const { return path_; }

    // A scope over a run of changes. Holds may nest: the file is written when the outermost
    // ends. A change made while held returns 0 unless the file cannot be read (then it is not
    // kept, as without a hold); a failed write is the result of End.
    class Hold {
      public:
        explicit Hold(RecentFiles& recent);
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;
        // Ends the hold if End was not called (its result is then lost).
        ~Hold();
        // Ends the hold: 0, or the error number of reading or writing the history file when the
        // changes kept since the hold began could not be written.
        int End();

      private:
        RecentFiles* recent_;
    };

  private:
    // A change as it was asked for, made again over the file as it is when the hold ends.
    struct Change {
        std::string path;
        bool caret = false;  // NoteCaret; else Note
        platform::FileTime now = 0, lastWrite = 0;
        int line = 0, column = 0;
    };
    // The file as it is now: the held copy, or read into `scratch` (and held while a hold
    // lasts). 0 or the read's error number.
    int Current(const HistoryFile*& file, HistoryFile& scratch) const;
    // Makes the change on `file`; false when it changed nothing.
    static bool Apply(HistoryFile& file, const Change& change);
    int Make(Change change);
    int Release();

    platform::FileSystem& fs_;
    std::string path_;
    std::string settingsFolder_;
    int holds_ = 0;
    // While held: the file as read at the first use (and changed since), and the changes.
    mutable std::optional<HistoryFile> held_;
    std::vector<Change> changes_;
};

// The dialog's columns ("File Name,Folder,Last Open,Last Update").
inline constexpr std::string_view kRecentColumns = "File Name,Folder,Last Open,Last Update";
inline constexpr int kRecentSortDefault = 2;

// The order of the records for a sort column (0 file name, 1 folder: ascending; 2 last open,
// 3 last update: newest first); ties keep the list's order. An unknown column sorts by 2.
std::vector<size_t> SortRecentFiles(const std::vector<RecentFile>& files, int column);
// The sort column stored in MRUSort (0 to 3; anything else gives the default 2).
int RecentSortColumn(int stored);
// The column widths of MRUHead ("%d,%d,%d,%d"); none when the text is not four positive widths.
std::optional<std::array<int, 4>> ParseRecentWidths(std::string_view text);
std::string FormatRecentWidths(const std::array<int, 4>& widths);
// A file time in local time: "YYYY/MM/DD HH:MM" on code page 932, "MM/DD/YYYY HH:MM" otherwise;
// empty for 0.
std::string FormatRecentTime(platform::FileTime time, int codePage);

}  // namespace norv::app
