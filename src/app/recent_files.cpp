// The recent files and folders of the history file.
#include "app/recent_files.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <ctime>
#include <utility>

#include "platform/paths.h"

namespace norv::app {

int RecentFiles::Note(const std::string& path, platform::FileTime now) {
    if (path.empty()) return 0;
    Change change;
    change.path = path;
    change.now = now;
    const auto info = fs_.Stat(path);
    change.lastWrite = info ? info->lastWrite : 0;
    return Make(std::move(change));
}

int RecentFiles::NoteCaret(const std::string& path, int line, int column) {
    Change change;
    change.path = path;
    change.caret = true;
    change.line = line;
    change.column = column;
    return Make(std::move(change));
}

bool RecentFiles::Apply(HistoryFile& file, const Change& change) {
    if (change.caret) {
        for (RecentFile& r : file.recent) {
            if (r.path != change.path || !r.hasNumbers) continue;
            if (r.lead[0] == change.line && r.lead[1] == change.column) return false;
            r.lead[0] = change.line;
            r.lead[1] = change.column;
            return true;
        }
        return false;
    }
    RecentFile record;
    if (const RecentFile* old = file.FindRecentFile(change.path)) record = *old;
    record.path = change.path;
    if (!record.hasNumbers) {
        record = RecentFile{};
        record.path = change.path;
        record.hasNumbers = true;
        record.lead[0] = 1;
        record.lead[1] = 1;
    }
    record.SetLastOpen(change.now);
    record.SetLastUpdate(change.lastWrite);
    file.RememberRecentFile(std::move(record));
    const std::string folder = platform::FolderOf(change.path);
    if (!folder.empty()) {
        auto& list = file.folders;
        size_t drop = list.size() - 1;
        for (size_t i = 0; i < list.size(); ++i)
            if (list[i] == folder || list[i].empty()) {
                drop = i;
                break;
            }
        for (size_t i = drop; i > 0; --i) list[i] = std::move(list[i - 1]);
        list[0] = folder;
    }
    return true;
}

int RecentFiles::Make(Change change) {
    // A history file that cannot be read is not written over: its other blocks would be lost.
    if (holds_ > 0) {
        const HistoryFile* current = nullptr;
        HistoryFile scratch;
        if (int error = Current(current, scratch)) return error;
        if (Apply(*held_, change)) changes_.push_back(std::move(change));
        return 0;
    }
    HistoryFile file;
    if (int error = LoadHistoryFile(fs_, path_, file)) return error;
    if (!Apply(file, change)) return 0;
    return SaveHistoryFile(fs_, path_, file);
}

int RecentFiles::Current(const HistoryFile*& file, HistoryFile& scratch) const {
    if (held_) {
        file = &*held_;
        return 0;
    }
    if (int error = LoadHistoryFile(fs_, path_, scratch)) return error;
    if (holds_ > 0) {
        held_ = std::move(scratch);
        file = &*held_;
    } else {
        file = &scratch;
    }
    return 0;
}

int RecentFiles::Release() {
    if (holds_ == 0 || --holds_ > 0) return 0;
    const std::vector<Change> changes = std::move(changes_);
    changes_.clear();
    held_.reset();
    if (changes.empty()) return 0;
    // Made again over the file as it is now: what another instance wrote meanwhile stays.
    HistoryFile file;
    if (int error = LoadHistoryFile(fs_, path_, file)) return error;
    bool changed = false;
    for (const Change& change : changes) changed = Apply(file, change) || changed;
    return changed ? SaveHistoryFile(fs_, path_, file) : 0;
}

RecentFiles::Hold::Hold(RecentFiles& recent) : recent_(&recent) {
    ++recent.holds_;
}

RecentFiles::Hold::~Hold() {
    End();
}

int RecentFiles::Hold::End() {
    RecentFiles* recent = std::exchange(recent_, nullptr);
    return recent ? recent->Release() : 0;
}

std::vector<RecentFile> RecentFiles::List() const {
    const HistoryFile* file = nullptr;
    HistoryFile scratch;
    std::vector<RecentFile> out;
    if (Current(file, scratch) != 0) return out;
    for (const RecentFile& r : file->recent)
        if (!r.path.empty()) out.push_back(r);
    return out;
}

std::optional<std::pair<int, int>> RecentFiles::CaretOf(const std::string& path) const {
    const HistoryFile* file = nullptr;
    HistoryFile scratch;
    if (Current(file, scratch) != 0) return std::nullopt;
    const RecentFile* r = file->FindRecentFile(path);
    if (!r || !r->hasNumbers || r->lead[0] < 1) return std::nullopt;
    return std::make_pair(r->lead[0], std::max(1, r->lead[1]));
}

std::vector<std::string> RecentFiles::Folders() const {
    const HistoryFile* file = nullptr;
    HistoryFile scratch;
    if (Current(file, scratch) != 0) return HistoryFile().FolderList(settingsFolder_);
    return file->FolderList(settingsFolder_);
}

int RecentSortColumn(int stored) {
    return stored >= 0 && stored <= 3 ? stored : kRecentSortDefault;
}

std::vector<size_t> SortRecentFiles(const std::vector<RecentFile>& files, int column) {
    column = RecentSortColumn(column);
    std::vector<size_t> order(files.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    auto key = [&](size_t i) {
        return column == 0 ? platform::FileNameOf(files[i].path)
                           : platform::FolderOf(files[i].path);
    };
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        switch (column) {
            case 0:
            case 1:
                return key(a) < key(b);
            case 3:
                return files[a].LastUpdate() > files[b].LastUpdate();
            default:
                return files[a].LastOpen() > files[b].LastOpen();
        }
    });
    return order;
}

std::optional<std::array<int, 4>> ParseRecentWidths(std::string_view text) {
    std::array<int, 4> w{};
    size_t at = 0;
    for (size_t i = 0; i < 4; ++i) {
        if (i > 0) {
            if (at >= text.size() || text[at] != ',') return std::nullopt;
            ++at;
        }
        const char* begin = text.data() + at;
        const char* end = text.data() + text.size();
        auto [p, ec] = std::from_chars(begin, end, w[i]);
        if (ec != std::errc() || w[i] <= 0 || w[i] > 10000) return std::nullopt;
        at += size_t(p - begin);
    }
    if (at != text.size()) return std::nullopt;
    return w;
}

std::string FormatRecentWidths(const std::array<int, 4>& w) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%d,%d,%d,%d", w[0], w[1], w[2], w[3]);
    return buf;
}

std::string FormatRecentTime(platform::FileTime time, int codePage) {
    if (time == 0) return {};
    // 100-nanosecond units since 1601 to seconds since 1970.
    constexpr int64_t kEpochDifference = 11644473600;
    const std::time_t t = static_cast<std::time_t>(int64_t(time / 10000000) - kEpochDifference);
    std::tm local{};
    if (!localtime_r(&t, &local)) return {};
    char buf[32];
    std::strftime(buf, sizeof buf, codePage == 932 ? "%Y/%m/%d %H:%M" : "%m/%d/%Y %H:%M", &local);
    return buf;
}

}  // namespace norv::app
