// The Find and Replace objects of the program and their histories across runs.
//
// One session holds the program's search state (the Find and Replace objects, the replacement
// and the two histories). The histories live in the history file's first two blocks of 32
// lines (text and option string); the file's other blocks belong to others and are written
// back as read. The histories are written whenever a search command or find in files changed
// them, and once more when the program closes, so that two running instances lose at most the
// other's latest search; a history file that cannot be read is never overwritten.
#pragma once

#include <string>
#include <vector>

#include "app/config/history_file.h"
#include "editing/edit_view.h"
#include "platform/file_system.h"
#include "search/find_commands.h"

namespace norv::app {

class FindSession {
  public:
    FindSession() = default;
    FindSession(const FindSession&) = delete;
    FindSession& operator=(const FindSession&) = delete;

    search::FindEnvironment& environment() { return env_; }
    search::FindCommands& commands() { return commands_; }
    const search::FindHistories& histories() const { return commands_.histories; }

    // Keeps the histories in the history file at `path` on `fs` (empty: not kept). `programCopy`,
    // when given, is the program's copy of that file (it outlives the session): the histories
    // are read from it and it follows their changes.
    void KeepIn(platform::FileSystem& fs, std::string path, HistoryFile* programCopy = nullptr);
    // Reads the histories from the program's copy, else from the file.
    void LoadHistories();

    // Runs a search command of a view; the histories are written when it changed them.
    bool RunCommand(editing::CElwView& view, editing::CommandId id);
    // Writes the histories now. Returns 0 or the system error number.
    int SaveHistories();
    // Writes them when they changed since they were last read or written (find in files after
    // its search, the program when it closes).
    int SaveIfChanged();

  private:
    bool Changed() const;

    search::FindEnvironment env_;
    search::FindCommands commands_{env_};
    platform::FileSystem* fs_ = nullptr;
    std::string path_;
    HistoryFile* programCopy_ = nullptr;
    std::vector<HistoryEntry> keptFind_, keptReplace_;  // as last read or written
};

}  // namespace norv::app
