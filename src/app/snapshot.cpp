// Reading and writing snapshots and their side files.
#include "app/snapshot.h"

#include <cstring>

namespace norv::app {

namespace {

constexpr size_t kPlacementBytes = 44;
constexpr size_t kFolderOffset = 44;
constexpr size_t kCountOffset = 308;
constexpr size_t kActiveOffset = 312;
constexpr size_t kRecordPlacement = 264;
constexpr size_t kRecordInts = 308;  // caret line, type code, copy flag and the five settings
constexpr std::string_view kSideHeader = "NorvSnapshotSide 1";

int32_t ReadInt(std::string_view b, size_t at) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<uint8_t>(b[at + size_t(i)]);
    return static_cast<int32_t>(v);
}

void WriteInt(std::string& b, size_t at, int32_t value) {
    const auto v = static_cast<uint32_t>(value);
    for (size_t i = 0; i < 4; ++i) b[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

std::array<int32_t*, 11> Fields(WindowPlacement& p) {
    return {&p.length, &p.flags, &p.showCmd, &p.minX,  &p.minY,  &p.maxX,
            &p.maxY,   &p.left,  &p.top,     &p.right, &p.bottom};
}

WindowPlacement ReadPlacement(std::string_view b, size_t at) {
    WindowPlacement p;
    size_t i = 0;
    for (int32_t* f : Fields(p)) *f = ReadInt(b, at + 4 * i++);
    return p;
}

void WritePlacement(std::string& b, size_t at, WindowPlacement p) {
    size_t i = 0;
    for (int32_t* f : Fields(p)) WriteInt(b, at + 4 * i++, *f);
}

// The zero-terminated string of a field; none when the field holds no zero.
std::optional<std::string> ReadString(std::string_view b, size_t at, size_t size) {
    const std::string_view field = b.substr(at, size);
    const size_t end = field.find('\0');
    if (end == std::string_view::npos) return std::nullopt;
    return std::string(field.substr(0, end));
}

// Writes a string that fits (with its terminator); a longer one leaves the field empty.
bool WriteString(std::string& b, size_t at, size_t size, const std::string& s) {
    if (s.size() >= size || s.find('\0') != std::string::npos) return false;
    std::memcpy(b.data() + at, s.data(), s.size());
    return true;
}

bool Fits(const std::string& s, size_t size) {
    return s.size() < size && s.find('\0') == std::string::npos;
}

// What the record's path field holds: an untitled document's copy, else the document's path.
const std::string& FieldPathOf(const SnapshotRecord& r) {
    return r.path.empty() && r.temporaryCopy ? r.copyPath : r.path;
}

std::string Escape(std::string_view s) {
    std::string out;
    for (char c : s) {
        switch (c) {
            case '%':
                out += "%25";
                break;
            case '\t':
                out += "%09";
                break;
            case '\r':
                out += "%0D";
                break;
            case '\n':
                out += "%0A";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string Unescape(std::string_view s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '%' && i + 2 < s.size()) {
            const std::string_view hex = s.substr(i + 1, 2);
            const char c = hex == "25"   ? '%'
                           : hex == "09" ? '\t'
                           : hex == "0D" ? '\r'
                           : hex == "0A" ? '\n'
                                         : '\0';
            if (c != '\0') {
                out += c;
                i += 2;
                continue;
            }
        }
        out += s[i];
    }
    return out;
}

std::vector<std::string_view> SplitTabs(std::string_view line) {
    std::vector<std::string_view> out;
    size_t start = 0;
    for (;;) {
        const size_t tab = line.find('\t', start);
        out.push_back(line.substr(start, tab == std::string_view::npos ? tab : tab - start));
        if (tab == std::string_view::npos) return out;
        start = tab + 1;
    }
}

std::optional<int> ToInt(std::string_view s) {
    if (s.empty() || s.size() > 10) return std::nullopt;
    bool negative = s[0] == '-';
    if (negative) s.remove_prefix(1);
    if (s.empty()) return std::nullopt;
    long v = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return std::nullopt;
        v = v * 10 + (c - '0');
    }
    if (v > 0x7FFFFFFF) return std::nullopt;
    return static_cast<int>(negative ? -v : v);
}

bool NeedsLine(const SnapshotRecord& r) {
    return r.copyFormat || (r.temporaryCopy && !r.path.empty()) ||
           !Fits(FieldPathOf(r), kSnapshotPathField) || !Fits(r.path, kSnapshotPathField);
}

}  // namespace

std::string SnapshotErrorText(SnapshotError error, std::string_view path) {
    std::string why;
    switch (error) {
        case SnapshotError::kNone:
            return {};
        case SnapshotError::kTooSmall:
            why = "it is too short";
            break;
        case SnapshotError::kTooLarge:
            why = "it is too long";
            break;
        case SnapshotError::kBadCount:
            why = "its number of documents is wrong";
            break;
        case SnapshotError::kBadActive:
            why = "its active document is wrong";
            break;
        case SnapshotError::kUnterminated:
            why = "a name in it has no end";
            break;
        case SnapshotError::kTooManyRecords:
            return "A project holds at most 100 documents; nothing was written to " +
                   std::string(path) + ".";
    }
    return std::string(path) + " is not a project file (" + why + ").";
}

std::optional<Snapshot> ParseSnapshot(std::string_view b, SnapshotError* error) {
    auto fail = [error](SnapshotError e) -> std::optional<Snapshot> {
        if (error) *error = e;
        return std::nullopt;
    };
    if (error) *error = SnapshotError::kNone;
    if (b.size() < kSnapshotHeaderBytes) return fail(SnapshotError::kTooSmall);
    if (b.size() > kSnapshotMaxBytes) return fail(SnapshotError::kTooLarge);
    const int32_t count = ReadInt(b, kCountOffset);
    if (count < 0 || count > kSnapshotMaxRecords ||
        kSnapshotHeaderBytes + size_t(count) * kSnapshotRecordBytes > b.size())
        return fail(SnapshotError::kBadCount);
    const int32_t active = ReadInt(b, kActiveOffset);
    if (count == 0 ? active != 0 : (active < 0 || active >= count))
        return fail(SnapshotError::kBadActive);
    Snapshot s;
    s.frame = ReadPlacement(b, 0);
    std::optional<std::string> folder = ReadString(b, kFolderOffset, kSnapshotFolderField);
    if (!folder) return fail(SnapshotError::kUnterminated);
    s.folder = std::move(*folder);
    s.active = active;
    for (int32_t i = 0; i < count; ++i) {
        const size_t at = kSnapshotHeaderBytes + size_t(i) * kSnapshotRecordBytes;
        SnapshotRecord r;
        std::optional<std::string> path = ReadString(b, at, kSnapshotPathField);
        if (!path) return fail(SnapshotError::kUnterminated);
        r.frame = ReadPlacement(b, at + kRecordPlacement);
        const size_t n = at + kRecordInts;
        r.caretLine = ReadInt(b, n);
        r.typeCode = ReadInt(b, n + 4);
        r.temporaryCopy = ReadInt(b, n + 8);
        r.tabWidth = ReadInt(b, n + 12);
        r.wrapColumn = ReadInt(b, n + 16);
        r.autoIndent = ReadInt(b, n + 20);
        r.dspcIndent = ReadInt(b, n + 24);
        r.softTab = ReadInt(b, n + 28);
        // Without a side file a copy's record names the copy, and the document is untitled.
        if (r.temporaryCopy)
            r.copyPath = std::move(*path);
        else
            r.path = std::move(*path);
        s.records.push_back(std::move(r));
    }
    static_assert(kRecordInts + 32 == kSnapshotRecordBytes);
    static_assert(kRecordPlacement + kPlacementBytes == kRecordInts);
    static_assert(kFolderOffset + kSnapshotFolderField + 4 == kCountOffset);
    return s;
}

std::optional<std::string> FormatSnapshot(const Snapshot& s, SnapshotError* error) {
    if (error) *error = SnapshotError::kNone;
    if (s.records.size() > size_t(kSnapshotMaxRecords)) {
        if (error) *error = SnapshotError::kTooManyRecords;
        return std::nullopt;
    }
    std::string b(kSnapshotHeaderBytes + s.records.size() * kSnapshotRecordBytes, '\0');
    WritePlacement(b, 0, s.frame);
    WriteString(b, kFolderOffset, kSnapshotFolderField, s.folder);
    WriteInt(b, kCountOffset, static_cast<int32_t>(s.records.size()));
    WriteInt(b, kActiveOffset, s.active);
    for (size_t i = 0; i < s.records.size(); ++i) {
        const SnapshotRecord& r = s.records[i];
        const size_t at = kSnapshotHeaderBytes + i * kSnapshotRecordBytes;
        WriteString(b, at, kSnapshotPathField, FieldPathOf(r));
        WritePlacement(b, at + kRecordPlacement, r.frame);
        const size_t n = at + kRecordInts;
        WriteInt(b, n, r.caretLine);
        WriteInt(b, n + 4, r.typeCode);
        WriteInt(b, n + 8, r.temporaryCopy);
        WriteInt(b, n + 12, r.tabWidth);
        WriteInt(b, n + 16, r.wrapColumn);
        WriteInt(b, n + 20, r.autoIndent);
        WriteInt(b, n + 24, r.dspcIndent);
        WriteInt(b, n + 28, r.softTab);
    }
    return b;
}

bool NeedsSideFile(const Snapshot& s) {
    if (!Fits(s.folder, kSnapshotFolderField)) return true;
    for (const SnapshotRecord& r : s.records)
        if (NeedsLine(r)) return true;
    return false;
}

std::string FormatSideFile(const Snapshot& s) {
    std::string out(kSideHeader);
    out += '\n';
    if (!Fits(s.folder, kSnapshotFolderField)) out += "folder\t" + Escape(s.folder) + "\n";
    for (size_t i = 0; i < s.records.size(); ++i) {
        const SnapshotRecord& r = s.records[i];
        if (!NeedsLine(r)) continue;
        out += "record\t" + std::to_string(i);
        if (r.copyFormat) {
            const CopyFormat& f = *r.copyFormat;
            out += "\t" + std::to_string(f.code) + "\t" + std::to_string(f.saveCode) + "\t" +
                   (f.bom ? "1" : "0") + "\t" + std::to_string(f.eolMode);
        } else {
            out += "\t-\t-\t-\t-";
        }
        out += "\t" + Escape(r.temporaryCopy ? r.copyPath : std::string()) + "\t" + Escape(r.path);
        out += "\n";
    }
    return out;
}

bool ApplySideFile(std::string_view text, Snapshot& s) {
    size_t start = 0;
    bool first = true;
    while (start < text.size()) {
        size_t nl = text.find('\n', start);
        if (nl == std::string_view::npos) nl = text.size();
        std::string_view line = text.substr(start, nl - start);
        start = nl + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (first) {
            if (line != kSideHeader) return false;
            first = false;
            continue;
        }
        const std::vector<std::string_view> f = SplitTabs(line);
        if (f[0] == "folder" && f.size() == 2) {
            s.folder = Unescape(f[1]);
            continue;
        }
        if (f[0] != "record" || f.size() != 8) continue;
        const std::optional<int> index = ToInt(f[1]);
        if (!index || *index < 0 || size_t(*index) >= s.records.size()) continue;
        SnapshotRecord& r = s.records[size_t(*index)];
        const std::optional<int> code = ToInt(f[2]), save = ToInt(f[3]), bom = ToInt(f[4]),
                                 eol = ToInt(f[5]);
        if (code && save && bom && eol) r.copyFormat = CopyFormat{*code, *save, *bom != 0, *eol};
        // The side file has both paths whole: the copy's, and the document's (empty: untitled).
        const std::string copy = Unescape(f[6]), path = Unescape(f[7]);
        if (r.temporaryCopy) {
            r.copyPath = copy;
            r.path = path;
            continue;
        }
        if (!path.empty()) r.path = path;
    }
    return !first;
}

namespace {

std::string HashText(std::string_view bytes) {
    uint64_t h = 14695981039346656037ull;
    for (char c : bytes) {
        h ^= static_cast<uint8_t>(c);
        h *= 1099511628211ull;
    }
    static const char* kHex = "0123456789abcdef";
    std::string out(16, '0');
    for (int i = 15; i >= 0; --i, h >>= 4) out[size_t(i)] = kHex[h & 0xF];
    return out;
}

}  // namespace

std::string FormatSideFile(const Snapshot& s, std::string_view snapshotBytes) {
    std::string text = FormatSideFile(s);
    text.insert(kSideHeader.size() + 1, "check\t" + HashText(snapshotBytes) + "\n");
    return text;
}

bool ApplySideFile(std::string_view text, Snapshot& s, std::string_view snapshotBytes) {
    const std::string line = "\ncheck\t";
    const size_t at = text.find(line);
    if (at != std::string_view::npos) {
        const std::string_view hash = text.substr(at + line.size(), 16);
        if (hash != HashText(snapshotBytes)) return false;
    }
    return ApplySideFile(text, s);
}

std::string SideFilePath(const std::string& snapshotPath) {
    return snapshotPath + ".side";
}

}  // namespace norv::app
