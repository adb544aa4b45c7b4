// The search state and its two blocks of the history file.
#include "app/find_session.h"

#include <algorithm>

namespace norv::app {

namespace {

void CopyOut(const search::FindHistory& from, std::array<HistoryEntry, kHistoryBlockSize>& to) {
    to.fill(HistoryEntry{});
    std::copy_n(from.entries().begin(), std::min(from.entries().size(), to.size()), to.begin());
}

}  // namespace

void FindSession::KeepIn(platform::FileSystem& fs, std::string path, HistoryFile* programCopy) {
    fs_ = &fs;
    path_ = std::move(path);
    programCopy_ = programCopy;
}

void FindSession::LoadHistories() {
    HistoryFile file;
    const HistoryFile* from = programCopy_;
    if (!from) {
        if (!fs_ || path_.empty() || LoadHistoryFile(*fs_, path_, file) != 0) return;
        from = &file;
    }
    commands_.histories.find.Assign(from->find);
    commands_.histories.replace.Assign(from->replace);
    keptFind_ = commands_.histories.find.entries();
    keptReplace_ = commands_.histories.replace.entries();
}

bool FindSession::RunCommand(editing::CElwView& view, editing::CommandId id) {
    const bool handled = commands_.RunCommand(view, id);
    SaveIfChanged();
    return handled;
}

bool FindSession::Changed() const {
    return commands_.histories.find.entries() != keptFind_ ||
           commands_.histories.replace.entries() != keptReplace_;
}

int FindSession::SaveIfChanged() {
    return Changed() ? SaveHistories() : 0;
}

int FindSession::SaveHistories() {
    if (programCopy_) {
        CopyOut(commands_.histories.find, programCopy_->find);
        CopyOut(commands_.histories.replace, programCopy_->replace);
    }
    if (!fs_ || path_.empty()) return 0;
    // The file's other blocks belong to others: read it again and change only these two, and
    // those only when this run changed them (another instance's newer searches then stay).
    HistoryFile file;
    if (int error = LoadHistoryFile(*fs_, path_, file)) return error;
    if (commands_.histories.find.entries() != keptFind_)
        CopyOut(commands_.histories.find, file.find);
    if (commands_.histories.replace.entries() != keptReplace_)
        CopyOut(commands_.histories.replace, file.replace);
    if (int error = SaveHistoryFile(*fs_, path_, file)) return error;
    keptFind_ = commands_.histories.find.entries();
    keptReplace_ = commands_.histories.replace.entries();
    return 0;
}

}  // namespace norv::app
