// The recent files and folders of the history file.
#include "app/recent_files.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <ctime>

#include "platform/paths.h"

namespace norv::app {

int RecentFiles::Note(const std::string& path, platform::FileTime now) {
    if (path.empty()) return 0;
    HistoryFile file;
    // A history file that cannot be read is not written over: its other blocks would be lost.
    if (int error = LoadHistoryFile(fs_, path_, file)) return error;
    RecentFile record;
    if (const RecentFile* old = file.FindRecentFile(path)) record = *old;
    record.path = path;
    if (!record.hasNumbers) {
        record = RecentFile{};
        record.path = path;
        record.hasNumbers = true;
        record.lead[0] = 1;
        record.lead[1] = 1;
    }
    record.SetLastOpen(now);
    const auto info = fs_.Stat(path);
    record.SetLastUpdate(info ? info->lastWrite : 0);
    file.RememberRecentFile(std::move(record));
    const std::string folder = platform::FolderOf(path);
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
    return SaveHistoryFile(fs_, path_, file);
}

int RecentFiles::NoteCaret(const std::string& path, int line, int column) {
    HistoryFile file;
    if (int error = LoadHistoryFile(fs_, path_, file)) return error;
    for (RecentFile& r : file.recent) {
        if (r.path != path || !r.hasNumbers) continue;
        if (r.lead[0] == line && r.lead[1] == column) return 0;
        r.lead[0] = line;
        r.lead[1] = column;
        return SaveHistoryFile(fs_, path_, file);
    }
    return 0;
}

std::vector<RecentFile> RecentFiles::List() const {
    HistoryFile file;
    std::vector<RecentFile> out;
    if (LoadHistoryFile(fs_, path_, file) != 0) return out;
    for (const RecentFile& r : file.recent)
        if (!r.path.empty()) out.push_back(r);
    return out;
}

std::optional<std::pair<int, int>> RecentFiles::CaretOf(const std::string& path) const {
    HistoryFile file;
    if (LoadHistoryFile(fs_, path_, file) != 0) return std::nullopt;
    const RecentFile* r = file.FindRecentFile(path);
    if (!r || !r->hasNumbers || r->lead[0] < 1) return std::nullopt;
    return std::make_pair(r->lead[0], std::max(1, r->lead[1]));
}

std::vector<std::string> RecentFiles::Folders() const {
    HistoryFile file;
    LoadHistoryFile(fs_, path_, file);
    return file.FolderList(settingsFolder_);
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
