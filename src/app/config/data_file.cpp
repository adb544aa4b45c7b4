// Reading the data file into typed lists and writing it back around what was kept.
#include "app/config/data_file.h"

#include <cerrno>

#include "app/config/companion_files.h"
#include "app/config/kept_line.h"

namespace norv::app {

namespace {

constexpr std::string_view kHeaders[] = {"##UserMenu", "##Shell", "##Script", "##RegDir"};
constexpr size_t kScriptLines = kAddinSlotCount + kLibraryPageCount * kLibrarySlotCount;

std::string_view TrimRight(std::string_view s) {
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

int HeaderKind(std::string_view line) {
    line = TrimRight(line);
    for (size_t i = 0; i < std::size(kHeaders); ++i)
        if (line == kHeaders[i]) return int(i);
    return -1;
}

std::string_view FieldAt(const std::vector<std::string_view>& f, size_t i) {
    return i < f.size() ? BlankAsEmpty(f[i]) : std::string_view();
}

std::string FormatMenuItem(const UserMenuItem& item) {
    if (item.separator) return "-";
    return OneField(item.caption) + "\t" + OneField(item.command);
}

std::string FormatShellEntry(const ShellEntry& e) {
    if (e == ShellEntry{}) return {};
    return FieldOrBlank(e.title) + "\t" + FieldOrBlank(e.commandLine) + "\t" +
           FieldOrBlank(e.folder) + "\t" + FieldOrBlank(e.options);
}

std::string FormatAddinSlot(const AddinSlot& s) {
    if (s == AddinSlot{}) return {};
    return FieldOrBlank(s.name) + "\t" + FieldOrBlank(s.file) + "\t" + FieldOrBlank(s.flags);
}

std::string FormatLibrarySlot(const LibrarySlot& s) {
    if (s == LibrarySlot{}) return {};
    return FieldOrBlank(s.file) + "\t" + FieldOrBlank(s.comment);
}

std::string ParseFolder(std::string_view line) {
    return std::string(BlankAsEmpty(line));
}
std::string FormatFolder(const std::string& folder) {
    return OneField(folder);
}

bool EndsBlock(std::string_view line, bool& ended) {
    if (!ended && line.substr(0, 2) == "##") ended = true;
    return ended;
}

}  // namespace

std::string_view UserMenuItem::ShownCaption(int codePage) const {
    return CutAtCharBoundary(caption, kMenuCaptionLimit, codePage);
}

UserMenuItem ParseMenuItem(std::string_view line) {
    UserMenuItem item;
    if (line == "-") {
        item.separator = true;
        return item;
    }
    size_t tab = line.find('\t');
    item.caption = line.substr(0, tab);
    if (tab != std::string_view::npos) item.command = line.substr(tab + 1);
    return item;
}

ShellEntry ParseShellEntry(std::string_view line) {
    auto f = SplitTabs(line);
    return {std::string(FieldAt(f, 0)), std::string(FieldAt(f, 1)), std::string(FieldAt(f, 2)),
            std::string(FieldAt(f, 3))};
}

AddinSlot ParseAddinSlot(std::string_view line) {
    auto f = SplitTabs(line);
    return {std::string(FieldAt(f, 0)), std::string(FieldAt(f, 1)), std::string(FieldAt(f, 2))};
}

LibrarySlot ParseLibrarySlot(std::string_view line) {
    auto f = SplitTabs(line);
    return {std::string(FieldAt(f, 0)), std::string(FieldAt(f, 1))};
}

void DataFile::Parse(std::string_view text) {
    *this = DataFile();
    end_ = DominantLineEnd(text);
    std::vector<TextLine> lines = SplitLines(text);
    bool seen[size_t(Kind::kCount)] = {};
    std::vector<std::vector<TextLine>> contents;
    for (auto& line : lines) {
        int kind = HeaderKind(line.text);
        if (kind >= 0 && !seen[kind]) {
            seen[kind] = true;
            sections_.push_back({Kind(kind), std::move(line), {}, 0});
            contents.emplace_back();
        } else if (sections_.empty()) {
            preamble_.push_back(std::move(line));
        } else {
            contents.back().push_back(std::move(line));
        }
    }
    for (size_t i = 0; i < sections_.size(); ++i) ParseSection(sections_[i], contents[i]);
}

void DataFile::ParseSection(SectionRecord& record, const std::vector<TextLine>& lines) {
    // A fixed block that is shorter than its count ends at the next line that opens a section,
    // one this program does not know: that section is kept as it is, not read as entries.
    bool ended = false;
    switch (record.kind) {
        case Kind::kUserMenu: {
            size_t menu = 0;
            bool inside = false;
            for (const auto& line : lines) {
                std::string_view t = TrimRight(line.text);
                if (!inside) {
                    if (t == "#Begin" && menu < kUserMenuCount) {
                        inside = true;
                    } else {
                        record.extra.push_back(line);
                    }
                } else if (t == "#End") {
                    inside = false;
                    ++menu;
                } else {
                    menus[menu].push_back(ParseMenuItem(line.text));
                    menuSources_[menu].push_back(line);
                }
            }
            break;
        }
        case Kind::kShell:
            for (const auto& line : lines) {
                size_t i = record.linesRead;
                if (i >= kShellEntryCount || EndsBlock(line.text, ended)) {
                    record.extra.push_back(line);
                    continue;
                }
                shell[i] = ParseShellEntry(line.text);
                shellSources_[i] = line;
                ++record.linesRead;
            }
            break;
        case Kind::kScript:
            for (const auto& line : lines) {
                size_t i = record.linesRead;
                if (i >= kScriptLines || EndsBlock(line.text, ended)) {
                    record.extra.push_back(line);
                    continue;
                }
                if (i < kAddinSlotCount) {
                    addins[i] = ParseAddinSlot(line.text);
                    addinSources_[i] = line;
                } else {
                    size_t k = i - kAddinSlotCount;
                    library[k / kLibrarySlotCount][k % kLibrarySlotCount] =
                        ParseLibrarySlot(line.text);
                    librarySources_[k / kLibrarySlotCount][k % kLibrarySlotCount] = line;
                }
                ++record.linesRead;
            }
            break;
        case Kind::kRegDir:
            for (const auto& line : lines) {
                size_t i = record.linesRead;
                if (i >= kRegisteredFolderCount || EndsBlock(line.text, ended)) {
                    record.extra.push_back(line);
                    continue;
                }
                folders[i] = ParseFolder(line.text);
                folderSources_[i] = line;
                ++record.linesRead;
            }
            break;
        case Kind::kCount:
            break;
    }
}

bool DataFile::SectionHasContent(Kind kind) const {
    switch (kind) {
        case Kind::kUserMenu:
            for (const auto& m : menus)
                if (!m.empty()) return true;
            return false;
        case Kind::kShell:
            for (const auto& e : shell)
                if (e != ShellEntry{}) return true;
            return false;
        case Kind::kScript:
            for (const auto& a : addins)
                if (a != AddinSlot{}) return true;
            for (const auto& page : library)
                for (const auto& s : page)
                    if (s != LibrarySlot{}) return true;
            return false;
        case Kind::kRegDir:
            for (const auto& f : folders)
                if (!f.empty()) return true;
            return false;
        case Kind::kCount:
            break;
    }
    return false;
}

void DataFile::FormatSection(const SectionRecord& record, std::vector<TextLine>& out) const {
    // A fixed block is written up to its last line the file had or its last used entry, so a
    // short block of an older file stays as short as it was.
    auto written = [&](size_t total, auto isEmpty) {
        size_t n = record.linesRead;
        for (size_t i = total; i > n; --i)
            if (!isEmpty(i - 1)) return i;
        return n;
    };
    switch (record.kind) {
        case Kind::kUserMenu:
            for (size_t m = 0; m < kUserMenuCount; ++m) {
                out.push_back({"#Begin", end_});
                for (size_t i = 0; i < menus[m].size(); ++i) {
                    std::optional<TextLine> source;
                    if (i < menuSources_[m].size()) source = menuSources_[m][i];
                    WriteKept(out, menus[m][i], source, end_, ParseMenuItem, FormatMenuItem);
                }
                out.push_back({"#End", end_});
            }
            break;
        case Kind::kShell: {
            size_t n =
                written(kShellEntryCount, [&](size_t i) { return shell[i] == ShellEntry{}; });
            for (size_t i = 0; i < n; ++i)
                WriteKept(out, shell[i], shellSources_[i], end_, ParseShellEntry, FormatShellEntry);
            break;
        }
        case Kind::kScript: {
            auto slot = [&](size_t k) -> const LibrarySlot& {
                return library[k / kLibrarySlotCount][k % kLibrarySlotCount];
            };
            size_t n = written(kScriptLines, [&](size_t i) {
                return i < kAddinSlotCount ? addins[i] == AddinSlot{}
                                           : slot(i - kAddinSlotCount) == LibrarySlot{};
            });
            for (size_t i = 0; i < n; ++i) {
                if (i < kAddinSlotCount) {
                    WriteKept(out, addins[i], addinSources_[i], end_, ParseAddinSlot,
                              FormatAddinSlot);
                } else {
                    size_t k = i - kAddinSlotCount;
                    WriteKept(out, slot(k),
                              librarySources_[k / kLibrarySlotCount][k % kLibrarySlotCount], end_,
                              ParseLibrarySlot, FormatLibrarySlot);
                }
            }
            break;
        }
        case Kind::kRegDir: {
            size_t n =
                written(kRegisteredFolderCount, [&](size_t i) { return folders[i].empty(); });
            for (size_t i = 0; i < n; ++i)
                WriteKept(out, folders[i], folderSources_[i], end_, ParseFolder, FormatFolder);
            break;
        }
        case Kind::kCount:
            break;
    }
}

std::string DataFile::Format() const {
    std::vector<TextLine> out = preamble_;
    bool present[size_t(Kind::kCount)] = {};
    for (const auto& record : sections_) {
        present[size_t(record.kind)] = true;
        out.push_back(record.header);
        FormatSection(record, out);
        out.insert(out.end(), record.extra.begin(), record.extra.end());
    }
    for (size_t k = 0; k < size_t(Kind::kCount); ++k) {
        if (present[k] || !SectionHasContent(Kind(k))) continue;
        SectionRecord fresh{Kind(k), {std::string(kHeaders[k]), end_}, {}, 0};
        out.push_back(fresh.header);
        FormatSection(fresh, out);
    }
    // A last line without a line end gets one when something follows it.
    EndLinesButTheLast(out, end_);
    return JoinLines(out);
}

int LoadDataFile(platform::FileSystem& fs, const std::string& path, DataFile& out) {
    std::string text;
    int error = platform::ReadWholeFile(fs, path, text);
    if (error != 0) {
        out = DataFile();
        return error == ENOENT ? 0 : error;
    }
    out.Parse(text);
    return 0;
}

int SaveDataFile(platform::FileSystem& fs, const std::string& path, const DataFile& file) {
    return WriteConfigFile(fs, path, file.Format());
}

}  // namespace norv::app
