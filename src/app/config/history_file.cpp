// Reading and writing the history file's fixed blocks.
#include "app/config/history_file.h"

#include <cerrno>
#include <cstdio>

#include "app/config/companion_files.h"
#include "app/config/kept_line.h"

namespace norv::app {

namespace {

// Strict number scanning for the recent-file record.
class Scanner {
  public:
    explicit Scanner(std::string_view s) : s_(s) {}
    bool Int(int& out) {
        size_t start = i_;
        bool negative = false;
        if (i_ < s_.size() && (s_[i_] == '-' || s_[i_] == '+')) negative = s_[i_++] == '-';
        int64_t v = 0;
        size_t digits = 0;
        while (i_ < s_.size() && s_[i_] >= '0' && s_[i_] <= '9' && digits < 11) {
            v = v * 10 + (s_[i_++] - '0');
            ++digits;
        }
        if (digits == 0 || (i_ < s_.size() && s_[i_] >= '0' && s_[i_] <= '9')) return Fail(start);
        v = negative ? -v : v;
        if (v < INT32_MIN || v > INT32_MAX) return Fail(start);
        out = static_cast<int>(v);
        return true;
    }
    bool Unsigned(uint32_t& out) {
        size_t start = i_;
        uint64_t v = 0;
        size_t digits = 0;
        while (i_ < s_.size() && s_[i_] >= '0' && s_[i_] <= '9' && digits < 11) {
            v = v * 10 + static_cast<uint64_t>(s_[i_++] - '0');
            ++digits;
        }
        if (digits == 0 || v > UINT32_MAX) return Fail(start);
        out = static_cast<uint32_t>(v);
        return true;
    }
    bool Char(char c) {
        if (i_ < s_.size() && s_[i_] == c) {
            ++i_;
            return true;
        }
        return false;
    }
    bool AtEnd() const { return i_ == s_.size(); }

  private:
    bool Fail(size_t start) {
        i_ = start;
        return false;
    }
    std::string_view s_;
    size_t i_ = 0;
};

bool ParseRecordNumbers(std::string_view s, RecentFile& r) {
    Scanner sc(s);
    return sc.Int(r.lead[0]) && sc.Char(':') && sc.Int(r.lead[1]) && sc.Char(',') &&
           sc.Int(r.lead[2]) && sc.Char(',') && sc.Int(r.lead[3]) && sc.Char(',') &&
           sc.Int(r.lead[4]) && sc.Char('/') && sc.Unsigned(r.openLow) && sc.Char(',') &&
           sc.Unsigned(r.openHigh) && sc.Char('/') && sc.Unsigned(r.updateLow) && sc.Char(',') &&
           sc.Unsigned(r.updateHigh) && sc.Char('/') && sc.Int(r.tail[0]) && sc.Char(',') &&
           sc.Int(r.tail[1]) && sc.AtEnd();
}

// Whether a line reads back as written: it holds no LF, and a CR at its end would be taken as
// part of the line end.
bool Storable(std::string_view line) {
    return line.find('\n') == std::string_view::npos && (line.empty() || line.back() != '\r');
}

std::string ParseText(std::string_view line) {
    return std::string(line);
}
std::string FormatText(const std::string& text) {
    return Storable(text) ? text : "";
}

}  // namespace

void RecentFile::SetLastOpen(platform::FileTime t) {
    openLow = static_cast<uint32_t>(t);
    openHigh = static_cast<uint32_t>(t >> 32);
}

void RecentFile::SetLastUpdate(platform::FileTime t) {
    updateLow = static_cast<uint32_t>(t);
    updateHigh = static_cast<uint32_t>(t >> 32);
}

HistoryEntry ParseHistoryEntry(std::string_view line) {
    // The option letters never hold a tab; the text may.
    size_t tab = line.rfind('\t');
    if (tab == std::string_view::npos) return {std::string(line), {}};
    return {std::string(line.substr(0, tab)), std::string(line.substr(tab + 1))};
}

std::string FormatHistoryEntry(const HistoryEntry& e) {
    std::string line = e.text;
    if (!e.options.empty() || e.text.find('\t') != std::string::npos) {
        line += '\t';
        line += e.options;
    }
    // An entry that would read back as something else is not stored.
    return Storable(line) && ParseHistoryEntry(line) == e ? line : std::string();
}

RecentFile ParseRecentFile(std::string_view line) {
    RecentFile r;
    // The numbers never hold a tab; a path may.
    size_t tab = line.rfind('\t');
    if (tab != std::string_view::npos) {
        RecentFile numbers;
        if (ParseRecordNumbers(line.substr(tab + 1), numbers)) {
            numbers.path = line.substr(0, tab);
            numbers.hasNumbers = true;
            return numbers;
        }
    }
    r.path = line;
    return r;
}

std::string FormatRecentFile(const RecentFile& r) {
    if (!Storable(r.path)) return {};
    // A path alone is written as it is unless it would read back as something else.
    if (!r.hasNumbers) return ParseRecentFile(r.path) == r ? r.path : std::string();
    char buf[160];
    std::snprintf(buf, sizeof buf, "\t%d:%d,%d,%d,%d/%lu,%lu/%lu,%lu/%d,%d", r.lead[0], r.lead[1],
                  r.lead[2], r.lead[3], r.lead[4], static_cast<unsigned long>(r.openLow),
                  static_cast<unsigned long>(r.openHigh), static_cast<unsigned long>(r.updateLow),
                  static_cast<unsigned long>(r.updateHigh), r.tail[0], r.tail[1]);
    return r.path + buf;
}

void HistoryFile::Parse(std::string_view text) {
    *this = HistoryFile();
    end_ = DominantLineEnd(text);
    std::vector<TextLine> lines = SplitLines(text);
    size_t next = 0;
    auto take = [&]() -> std::optional<TextLine> {
        if (next >= lines.size()) return std::nullopt;
        return std::move(lines[next++]);
    };
    for (size_t i = 0; i < kHistoryBlockSize; ++i)
        if ((findSources_[i] = take())) find[i] = ParseHistoryEntry(findSources_[i]->text);
    for (size_t i = 0; i < kHistoryBlockSize; ++i)
        if ((replaceSources_[i] = take())) replace[i] = ParseHistoryEntry(replaceSources_[i]->text);
    for (size_t i = 0; i < kHistoryBlockSize; ++i)
        if (auto line = take()) skipped_[i] = std::move(*line);
    for (size_t i = 0; i < kHistoryBlockSize; ++i)
        if ((textSources_[i] = take())) texts[i] = textSources_[i]->text;
    for (size_t i = 0; i < kHistoryBlockSize; ++i)
        if ((folderSources_[i] = take())) folders[i] = folderSources_[i]->text;
    for (size_t i = 0; i < kRecentFileCount; ++i)
        if ((recentSources_[i] = take())) recent[i] = ParseRecentFile(recentSources_[i]->text);
    for (size_t i = 0; i < kHistoryBlockSize; ++i)
        if ((lastTextSources_[i] = take())) lastTexts[i] = lastTextSources_[i]->text;
    while (auto line = take()) extra_.push_back(std::move(*line));
}

std::string HistoryFile::Format() const {
    std::vector<TextLine> out;
    out.reserve(6 * kHistoryBlockSize + kRecentFileCount + extra_.size());
    for (size_t i = 0; i < kHistoryBlockSize; ++i)
        WriteKept(out, find[i], findSources_[i], end_, ParseHistoryEntry, FormatHistoryEntry);
    for (size_t i = 0; i < kHistoryBlockSize; ++i)
        WriteKept(out, replace[i], replaceSources_[i], end_, ParseHistoryEntry, FormatHistoryEntry);
    for (size_t i = 0; i < kHistoryBlockSize; ++i)
        out.push_back(
            {skipped_[i].text, skipped_[i].end == LineEnd::kLf || skipped_[i].end == LineEnd::kCrLf
                                   ? skipped_[i].end
                                   : end_});
    for (size_t i = 0; i < kHistoryBlockSize; ++i)
        WriteKept(out, texts[i], textSources_[i], end_, ParseText, FormatText);
    for (size_t i = 0; i < kHistoryBlockSize; ++i)
        WriteKept(out, folders[i], folderSources_[i], end_, ParseText, FormatText);
    for (size_t i = 0; i < kRecentFileCount; ++i)
        WriteKept(out, recent[i], recentSources_[i], end_, ParseRecentFile, FormatRecentFile);
    for (size_t i = 0; i < kHistoryBlockSize; ++i)
        WriteKept(out, lastTexts[i], lastTextSources_[i], end_, ParseText, FormatText);
    out.insert(out.end(), extra_.begin(), extra_.end());
    EndLinesButTheLast(out, end_);
    return JoinLines(out);
}

std::vector<std::string> HistoryFile::FolderList(const std::string& settingsFolder) const {
    std::vector<std::string> list;
    for (const auto& f : folders)
        if (!f.empty()) list.push_back(f);
    if (list.empty()) list.push_back(settingsFolder);
    return list;
}

namespace {
// Moves `value` to the front of `list`, dropping an older element that `same` matches, or the
// last element when there is none.
template <typename T, size_t N, typename Same>
void MoveToFront(std::array<T, N>& list, T value, Same same) {
    size_t drop = N - 1;
    for (size_t i = 0; i < N; ++i) {
        if (same(list[i])) {
            drop = i;
            break;
        }
    }
    for (size_t i = drop; i > 0; --i) list[i] = std::move(list[i - 1]);
    list[0] = std::move(value);
}
}  // namespace

void HistoryFile::Remember(std::array<HistoryEntry, kHistoryBlockSize>& history,
                           HistoryEntry entry) {
    if (entry.text.empty()) return;
    std::string text = entry.text;
    MoveToFront(history, std::move(entry), [&](const HistoryEntry& e) { return e.text == text; });
}

void HistoryFile::RememberRecentFile(RecentFile record) {
    if (record.path.empty()) return;
    std::string path = record.path;
    MoveToFront(recent, std::move(record), [&](const RecentFile& r) { return r.path == path; });
}

const RecentFile* HistoryFile::FindRecentFile(std::string_view path) const {
    for (const auto& r : recent)
        if (!r.path.empty() && r.path == path) return &r;
    return nullptr;
}

int LoadHistoryFile(platform::FileSystem& fs, const std::string& path, HistoryFile& out) {
    std::string text;
    int error = platform::ReadWholeFile(fs, path, text);
    if (error != 0) {
        out = HistoryFile();
        return error == ENOENT ? 0 : error;
    }
    out.Parse(text);
    return 0;
}

int SaveHistoryFile(platform::FileSystem& fs, const std::string& path, const HistoryFile& file) {
    return WriteConfigFile(fs, path, file.Format());
}

}  // namespace norv::app
