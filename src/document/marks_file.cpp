#include "document/marks_file.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "document/document.h"
#include "platform/paths.h"

namespace norv::document {
namespace {

constexpr uint32_t kMaxCount = 0xFFFF;  // what the 16-bit count field holds

uint16_t Get16(std::string_view b, size_t at) {
    return static_cast<uint16_t>(static_cast<uint8_t>(b[at]) |
                                 (static_cast<uint8_t>(b[at + 1]) << 8));
}
uint32_t Get32(std::string_view b, size_t at) {
    return static_cast<uint32_t>(Get16(b, at)) | (static_cast<uint32_t>(Get16(b, at + 2)) << 16);
}
void Put16(std::string& b, size_t at, uint32_t v) {
    b[at] = static_cast<char>(v & 0xFF);
    b[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}
void Put32(std::string& b, size_t at, uint32_t v) {
    Put16(b, at, v & 0xFFFF);
    Put16(b, at + 2, v >> 16);
}

// Whether the bytes start with a header we can keep: "MK" and a header size of at least 16
// that lies within the file.
bool ValidHeader(std::string_view b) {
    if (b.size() < 16 || b[0] != 'M' || b[1] != 'K') return false;
    size_t header = Get16(b, 2);
    return header >= 16 && header <= b.size();
}

}  // namespace

std::string MarkFileShortName(const std::string& path) {
    std::string ext = platform::ExtensionOf(path);
    if (ext.size() < 2) return platform::WithoutExtension(path) + (ext.empty() ? "" : ext) + ".@";
    std::string base = platform::WithoutExtension(path);
    if (platform::FileNameOf(base).size() < 8 && ext.size() > 3) base.push_back(ext.back());
    return base + ".@" + ext.substr(1, 2);
}

std::string MarkFileName(platform::FileSystem& fs, const std::string& path) {
    std::string shortName = MarkFileShortName(path);
    if (fs.Stat(shortName)) return shortName;
    return path + ".#marks#";
}

std::vector<uint32_t> ParseMarkFile(std::string_view b) {
    std::vector<uint32_t> out;
    if (!ValidHeader(b)) return out;
    size_t header = Get16(b, 2);
    size_t entry = Get16(b, 4) == 4 ? 4 : 2;
    uint32_t prev = 0;
    for (size_t at = header;; at += entry) {
        // The terminator is two bytes whatever the entry size.
        if (at + 2 > b.size()) return {};
        uint32_t v =
            at + entry <= b.size() ? (entry == 4 ? Get32(b, at) : Get16(b, at)) : Get16(b, at);
        if (v <= prev) break;
        if (at + entry > b.size()) return {};
        out.push_back(v);
        prev = v;
    }
    return out;
}

std::string BuildMarkFile(std::string_view oldFile, const std::vector<uint32_t>& lines) {
    std::string header;
    if (ValidHeader(oldFile)) {
        header.assign(oldFile.substr(0, Get16(oldFile, 2)));
    } else {
        header.assign(16, '\0');
        header[0] = 'M';
        header[1] = 'K';
        Put16(header, 2, 16);
        Put16(header, 4, 4);
        Put16(header, 12, 2);
    }
    size_t entry = Get16(header, 4) == 4 ? 4 : 2;
    // A line beyond what 16 bits hold switches the file to 32-bit entries.
    if (entry == 2)
        for (uint32_t v : lines)
            if (v > 0xFFFF) {
                entry = 4;
                Put16(header, 4, 4);
                break;
            }
    std::string out = header;
    out.reserve(header.size() + lines.size() * entry + 2);
    for (uint32_t v : lines) {
        out.append(entry, '\0');
        if (entry == 4)
            Put32(out, out.size() - 4, v);
        else
            Put16(out, out.size() - 2, v);
    }
    out.append(2, '\0');
    Put16(out, 6, static_cast<uint32_t>(std::min<size_t>(lines.size(), kMaxCount)));
    return out;
}

void LoadMarks(CElwDoc& doc) {
    doc.NoteBookmarksChanged();
    if (doc.path.empty()) return;
    platform::FileSystem& fs = doc.env().Fs();
    std::string bytes;
    if (platform::ReadWholeFile(fs, MarkFileName(fs, doc.path), bytes) != 0) return;
    std::vector<uint32_t> marks = ParseMarkFile(bytes);
    size_t k = 0;
    uint32_t n = 1;
    for (LineRecord* r = doc.lines().first(); r && k < marks.size(); r = r->next, ++n) {
        if (n == marks[k]) {
            r->flags |= LF_MARK;
            ++k;
        }
    }
}

bool SaveMarks(CElwDoc& doc, const std::string& path) {
    std::vector<uint32_t> lines;
    uint32_t n = 1;
    for (const LineRecord* r = doc.lines().first(); r; r = r->next, ++n)
        if (r->flags & LF_MARK) lines.push_back(n);
    return SaveMarkLines(doc, path, lines);
}

bool SaveMarkLines(CElwDoc& doc, const std::string& path, const std::vector<uint32_t>& lines) {
    platform::FileSystem& fs = doc.env().Fs();
    std::string name = MarkFileName(fs, path);
    if (lines.empty()) {
        fs.Remove(name);
        return true;
    }
    std::string old;
    if (platform::ReadWholeFile(fs, name, old) != 0) old.clear();
    return platform::WriteFileAtomically(fs, name, BuildMarkFile(old, lines)) == 0;
}

void KeepMarks(CElwDoc& doc) {
    if (doc.path.empty() || !doc.env().save.saveMarkInfo) return;
    SaveMarks(doc, doc.path);
}

}  // namespace norv::document
