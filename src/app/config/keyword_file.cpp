// Reading and writing the keyword file, and the bucket order of the keyword table.
#include "app/config/keyword_file.h"

#include <cerrno>
#include <cstdio>

#include "app/config/companion_files.h"
#include "app/config/profiles.h"
#include "app/config/text_lines.h"
#include "platform/code_page.h"

namespace norv::app {

namespace {

// A stray CR inside a field cannot be written back (it would read as part of a line end), so
// it reads as a blank, which is what writing it would give.
std::string Clean(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c == '\r') c = ' ';
    return out;
}

std::string TrimLeadingBlanks(std::string_view raw) {
    std::string s = Clean(raw);
    size_t i = s.find_first_not_of(' ');
    return i == std::string::npos ? std::string() : s.substr(i);
}

// A text written into one field of a line: tabs and line breaks would split the record.
std::string Field(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c == '\t' || c == '\r' || c == '\n') c = ' ';
    return out;
}

uint8_t BucketIndex(uint8_t b) {
    return b >= 'a' && b <= 'z' ? uint8_t(b - 'a' + 'A') : b;
}

void ParseCommentBlock(std::string_view line, KeywordFile& out) {
    auto f = SplitTabs(line.substr(1));
    if (f.size() < 5 || f[1].empty()) return;
    int group = HexDigitValue(f[1][0]);
    if (group < 0) return;
    CommentBlock block;
    block.begin = TrimLeadingBlanks(f[0]);
    if (block.begin.empty()) return;  // would open a block at every position
    block.end = TrimLeadingBlanks(f[2]);
    block.group = group;
    block.colored = ParseLeadingInt(f[3]) != 0;
    block.bold = ParseLeadingInt(f[4]) != 0;
    out.blocks.push_back(std::move(block));
}

void ParseGroupHeader(std::string_view line, KeywordFile& out) {
    auto first = static_cast<uint8_t>(line[0]);
    size_t tab = line.find('\t');
    if (first < 0x10 || tab == std::string_view::npos) return;
    KeywordGroup& g = out.groups[first - 0x10];
    g.name = Clean(line.substr(1, tab - 1));
    std::string_view rest = line.substr(tab + 1);
    size_t tab2 = rest.find('\t');
    g.fileTypes = Clean(rest.substr(0, tab2));
    std::string_view switches =
        tab2 == std::string_view::npos ? std::string_view() : rest.substr(tab2 + 1);
    switches = switches.substr(0, switches.find('\t'));
    if (switches.empty()) {
        g.SetSwitches(2);
    } else {
        g.SetSwitches(ParseLeadingInt(switches));
    }
}

void ParseKeyword(std::string_view line, KeywordFile& out) {
    size_t tab = line.find('\t');
    if (tab == std::string_view::npos || tab + 1 >= line.size()) return;
    int group = HexDigitValue(line[tab + 1]);
    if (group < 0) return;
    out.keywords.Add(line.substr(0, tab), group);
}

}  // namespace

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

void KeywordGroup::SetSwitches(int bits) {
    caseInsensitive = (bits & 1) != 0;
    colored = (bits & 2) != 0;
    bold = (bits & 4) != 0;
}

int KeywordTable::Compare(std::string_view a, std::string_view b, int codePage) {
    size_t n = std::min(a.size(), b.size());
    size_t i = 0;
    while (i < n) {
        auto unit = [&](std::string_view s, size_t& width) {
            auto lead = static_cast<uint8_t>(s[i]);
            if (platform::IsLeadByte(codePage, lead) && i + 1 < s.size()) {
                width = 2;
                return (unsigned(lead) << 8) | static_cast<uint8_t>(s[i + 1]);
            }
            width = 1;
            return unsigned(lead);
        };
        size_t wa = 1, wb = 1;
        unsigned ua = unit(a, wa), ub = unit(b, wb);
        if (ua != ub) return ua < ub ? -1 : 1;
        i += wa;
    }
    if (a.size() == b.size()) return 0;
    return a.size() > b.size() ? -1 : 1;  // the longer of a keyword and its prefix comes first
}

bool KeywordTable::Add(std::string_view text, int group) {
    if (text.empty() || static_cast<uint8_t>(text[0]) <= 0x20 ||
        text.find_first_of("\t\r\n") != std::string_view::npos || group < 0 ||
        group >= kKeywordGroupCount)
        return false;
    auto& bucket = buckets_[BucketIndex(static_cast<uint8_t>(text[0]))];
    size_t pos = 0;
    while (pos < bucket.size() && Compare(bucket[pos].text, text, codePage_) < 0) ++pos;
    for (size_t i = pos; i < bucket.size() && bucket[i].text == text; ++i)
        if (bucket[i].group == group) return false;
    bucket.insert(bucket.begin() + static_cast<std::ptrdiff_t>(pos),
                  Entry{std::string(text), static_cast<uint8_t>(group)});
    return true;
}

bool KeywordTable::Remove(std::string_view text, int group) {
    if (text.empty()) return false;
    auto& bucket = buckets_[BucketIndex(static_cast<uint8_t>(text[0]))];
    for (auto it = bucket.begin(); it != bucket.end(); ++it)
        if (it->text == text && it->group == group) {
            bucket.erase(it);
            return true;
        }
    return false;
}

bool KeywordTable::Contains(std::string_view text, int group) const {
    if (text.empty()) return false;
    for (const Entry& e : Bucket(static_cast<uint8_t>(text[0])))
        if (e.text == text && e.group == group) return true;
    return false;
}

void KeywordTable::Clear() {
    for (auto& b : buckets_) b.clear();
}

const std::vector<KeywordTable::Entry>& KeywordTable::Bucket(uint8_t firstByte) const {
    return buckets_[BucketIndex(firstByte)];
}

size_t KeywordTable::Size() const {
    size_t n = 0;
    for (const auto& b : buckets_) n += b.size();
    return n;
}

void KeywordFile::Clear() {
    groups = {};
    keywords.Clear();
    blocks.clear();
}

void ParseKeywordFile(std::string_view text, KeywordFile& out) {
    out.Clear();
    LineReader reader(text);
    std::string_view line;
    while (reader.Next(line)) {
        if (line.empty()) continue;
        auto first = static_cast<uint8_t>(line[0]);
        if (first == 0x20) {
            ParseCommentBlock(line, out);
        } else if (first < 0x20) {
            ParseGroupHeader(line, out);
        } else {
            ParseKeyword(line, out);
        }
    }
}

std::string FormatKeywordFile(const KeywordFile& file) {
    std::string out;
    char num[32];
    for (int g = 0; g < kKeywordGroupCount; ++g) {
        const KeywordGroup& group = file.groups[size_t(g)];
        out.push_back(static_cast<char>(0x10 + g));
        out.append(Field(group.name)).append("\t").append(Field(group.fileTypes)).append("\t");
        std::snprintf(num, sizeof num, "%d\n", group.Switches());
        out += num;
    }
    for (const auto& b : file.blocks) {
        out.push_back(' ');
        out.append(Field(b.begin)).append("\t");
        out.push_back("0123456789ABCDEF"[b.group & 15]);
        out.append("\t").append(Field(b.end));
        std::snprintf(num, sizeof num, "\t%d\t%d\n", b.colored ? 1 : 0, b.bold ? 1 : 0);
        out += num;
    }
    for (int i = 0; i < 256; ++i) {
        const auto& bucket = file.keywords.Bucket(static_cast<uint8_t>(i));
        if (i >= 'a' && i <= 'z') continue;  // the same bucket as its upper-case letter
        // Reading puts a text that is already there in front of it, so a run of equal texts
        // is written last entry first; the file then reads back in the same order.
        for (size_t run = 0; run < bucket.size();) {
            size_t runEnd = run + 1;
            while (runEnd < bucket.size() && bucket[runEnd].text == bucket[run].text) ++runEnd;
            for (size_t k = runEnd; k-- > run;) {
                out.append(bucket[k].text).append("\t");
                out.push_back("0123456789ABCDEF"[bucket[k].group & 15]);
                out.push_back('\n');
            }
            run = runEnd;
        }
    }
    return out;
}

int LoadKeywordFile(platform::FileSystem& fs, const std::string& path, KeywordFile& out) {
    std::string text;
    int error = platform::ReadWholeFile(fs, path, text);
    if (error != 0) {
        out.Clear();
        return error == ENOENT ? 0 : error;
    }
    ParseKeywordFile(text, out);
    return 0;
}

int SaveKeywordFile(platform::FileSystem& fs, const std::string& path, const KeywordFile& file) {
    return WriteConfigFile(fs, path, FormatKeywordFile(file));
}

uint16_t KeywordGroupsForFile(std::string_view path, const KeywordFile& file) {
    uint16_t mask = 0;
    for (int g = 0; g < kKeywordGroupCount; ++g)
        if (ListAppliesToFile(path, file.groups[size_t(g)].fileTypes, file.keywords.CodePage()))
            mask = static_cast<uint16_t>(mask | (1u << g));
    return mask;
}

}  // namespace norv::app
