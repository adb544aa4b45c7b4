// The names an archive would write (see archive_names.h).
#include "tools/archive/archive_names.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <unordered_map>

namespace norv::tools {
namespace {

uint16_t U16(std::string_view b, size_t at) {
    return static_cast<uint16_t>(static_cast<uint8_t>(b[at]) | static_cast<uint8_t>(b[at + 1])
                                                                   << 8);
}
uint32_t U32(std::string_view b, size_t at) {
    return static_cast<uint32_t>(U16(b, at)) | static_cast<uint32_t>(U16(b, at + 2)) << 16;
}
uint64_t U64(std::string_view b, size_t at) {
    return static_cast<uint64_t>(U32(b, at)) | static_cast<uint64_t>(U32(b, at + 4)) << 32;
}

// The Unix file type bits of a mode.
ArchiveEntryType TypeOfMode(uint32_t mode, ArchiveEntryType otherwise) {
    switch (mode & 0170000) {
        case 0:
            return otherwise;
        case 0100000:
            return otherwise == ArchiveEntryType::kFolder ? otherwise : ArchiveEntryType::kFile;
        case 0040000:
            return ArchiveEntryType::kFolder;
        default:
            return ArchiveEntryType::kSpecial;
    }
}

// ---- ZIP ----

constexpr uint32_t kEndSignature = 0x06054b50;
constexpr uint32_t kZip64EndSignature = 0x06064b50;
constexpr uint32_t kZip64LocatorSignature = 0x07064b50;
constexpr uint32_t kCentralSignature = 0x02014b50;
constexpr size_t kEndSize = 22;
constexpr size_t kCentralSize = 46;
constexpr size_t kMaxComment = 0xFFFF;

struct ZipDirectory {
    uint64_t entries = 0;
    uint64_t size = 0;
    uint64_t offset = 0;
    uint64_t endAt = 0;  // where the record that described it starts
};

std::optional<ZipDirectory> FindZipDirectory(const ArchiveBytes& a) {
    const uint64_t total = a.size();
    if (total < kEndSize) return std::nullopt;
    const uint64_t tailSize = std::min<uint64_t>(total, kEndSize + kMaxComment);
    std::string tail;
    if (!a.Read(total - tailSize, static_cast<size_t>(tailSize), tail)) return std::nullopt;
    // The last record whose comment reaches exactly to the end of the file; failing that, the
    // last record at all (some writers leave bytes after the comment).
    std::optional<size_t> at, loose;
    for (size_t i = tail.size() - kEndSize + 1; i-- > 0;) {
        if (U32(tail, i) != kEndSignature) continue;
        if (!loose) loose = i;
        if (i + kEndSize + U16(tail, i + 20) == tail.size()) {
            at = i;
            break;
        }
    }
    if (!at) at = loose;
    if (!at) return std::nullopt;
    const size_t e = *at;
    ZipDirectory d;
    d.entries = U16(tail, e + 10);
    d.size = U32(tail, e + 12);
    d.offset = U32(tail, e + 16);
    d.endAt = total - tailSize + e;
    if (d.entries == 0xFFFF || d.size == 0xFFFFFFFF || d.offset == 0xFFFFFFFF ||
        U16(tail, e + 8) == 0xFFFF) {
        // Zip64: the locator stands just before the record.
        std::string locator;
        if (d.endAt >= 20 && a.Read(d.endAt - 20, 20, locator) &&
            U32(locator, 0) == kZip64LocatorSignature) {
            const uint64_t at64 = U64(locator, 8);
            std::string end64;
            if (!a.Read(at64, 56, end64) || U32(end64, 0) != kZip64EndSignature)
                return std::nullopt;
            d.entries = U64(end64, 32);
            d.size = U64(end64, 40);
            d.offset = U64(end64, 48);
            d.endAt = at64;
        }
    }
    if (d.size > d.endAt) return std::nullopt;
    return d;
}

}  // namespace

bool MemoryArchiveBytes::Read(uint64_t offset, size_t n, std::string& out) const {
    if (offset > bytes_.size() || n > bytes_.size() - offset) return false;
    out.assign(bytes_.data() + offset, n);
    return true;
}

FileArchiveBytes::FileArchiveBytes(const std::string& path) {
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) return;
    struct stat st;
    if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd_);
        fd_ = -1;
        return;
    }
    size_ = static_cast<uint64_t>(st.st_size);
}

FileArchiveBytes::~FileArchiveBytes() {
    if (fd_ >= 0) ::close(fd_);
}

bool FileArchiveBytes::Read(uint64_t offset, size_t n, std::string& out) const {
    if (fd_ < 0 || offset > size_ || n > size_ - offset) return false;
    out.resize(n);
    size_t done = 0;
    while (done < n) {
        const ssize_t r =
            ::pread(fd_, out.data() + done, n - done, static_cast<off_t>(offset + done));
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) return false;
        done += static_cast<size_t>(r);
    }
    return true;
}

std::optional<std::vector<ArchiveEntry>> ReadZipNames(const ArchiveBytes& a) {
    std::optional<ZipDirectory> d = FindZipDirectory(a);
    if (!d) return std::nullopt;
    // Each entry takes at least its fixed part: a count the directory cannot hold is a lie.
    if (d->entries > d->size / kCentralSize) return std::nullopt;
    // Where the directory really is: as recorded, or (data put before the archive) just before
    // the record that describes it.
    std::string dir;
    uint64_t start = d->offset;
    if (start > d->endAt || d->size > d->endAt - start ||
        !a.Read(start, static_cast<size_t>(d->size), dir) ||
        (d->entries > 0 && U32(dir, 0) != kCentralSignature)) {
        start = d->endAt - d->size;
        if (!a.Read(start, static_cast<size_t>(d->size), dir)) return std::nullopt;
        if (d->entries > 0 && U32(dir, 0) != kCentralSignature) return std::nullopt;
    }
    std::vector<ArchiveEntry> out;
    out.reserve(static_cast<size_t>(d->entries));
    size_t at = 0;
    for (uint64_t k = 0; k < d->entries; ++k) {
        if (dir.size() - at < kCentralSize || U32(dir, at) != kCentralSignature)
            return std::nullopt;
        const uint8_t madeBy = static_cast<uint8_t>(dir[at + 5]);
        const size_t nameLength = U16(dir, at + 28);
        const size_t extraLength = U16(dir, at + 30);
        const size_t commentLength = U16(dir, at + 32);
        const uint32_t external = U32(dir, at + 38);
        const size_t whole = kCentralSize + nameLength + extraLength + commentLength;
        if (dir.size() - at < whole) return std::nullopt;
        ArchiveEntry e;
        e.name.assign(dir, at + kCentralSize, nameLength);
        const bool folder = (!e.name.empty() && (e.name.back() == '/' || e.name.back() == '\\')) ||
                            (external & 0x10) != 0;
        e.type = folder ? ArchiveEntryType::kFolder : ArchiveEntryType::kFile;
        // Made on Unix (3) or a system that keeps Unix modes the same way (OS X: 19).
        if (madeBy == 3 || madeBy == 19) e.type = TypeOfMode(external >> 16, e.type);
        out.push_back(std::move(e));
        at += whole;
    }
    return out;
}

// ---- LZH ----

namespace {

constexpr size_t kLzhMethodAt = 2;

bool IsLzhMethod(std::string_view m) {
    return m.size() == 5 && m[0] == '-' && m[4] == '-' &&
           ((m[1] == 'l' && (m[2] == 'h' || m[2] == 'z')) || (m[1] == 'p' && m[2] == 'm'));
}

// Separators of LZH names: "/", "\" and 0xFF, written as "/".
std::string LzhPath(std::string_view raw) {
    std::string out(raw);
    for (char& c : out)
        if (c == '\\' || static_cast<uint8_t>(c) == 0xFF) c = '/';
    return out;
}

struct LzhNameParts {
    std::string file;
    std::optional<std::string> directory;
    std::optional<uint32_t> mode;
};

// One extended header `h` (its type, its data, then the size of the next one): what it says
// goes into `parts`; returns the size of the next header.
size_t ReadExtendedHeader(std::string_view h, LzhNameParts& parts) {
    const std::string_view data = h.substr(1, h.size() - 3);
    switch (static_cast<uint8_t>(h[0])) {
        case 0x01:
            parts.file = std::string(data);
            break;
        case 0x02:
            parts.directory = std::string(data);
            break;
        case 0x50:
            if (data.size() >= 2) parts.mode = U16(data, 0);
            break;
        default:
            break;
    }
    return U16(h, h.size() - 2);
}

constexpr int kMaxExtendedHeaders = 4096;

}  // namespace

std::optional<std::vector<ArchiveEntry>> ReadLzhNames(const ArchiveBytes& a) {
    std::vector<ArchiveEntry> out;
    const uint64_t total = a.size();
    uint64_t at = 0;
    std::string head, block, ext;
    for (;;) {
        if (at == total) break;
        if (!a.Read(at, 1, head)) return std::nullopt;
        if (head[0] == 0) break;  // the end mark
        if (!a.Read(at, 22, head)) return std::nullopt;
        const uint8_t level = static_cast<uint8_t>(head[20]);
        const std::string_view method = std::string_view(head).substr(kLzhMethodAt, 5);
        if (!IsLzhMethod(method)) return std::nullopt;
        LzhNameParts parts;
        uint64_t next = 0;
        uint8_t attribute = static_cast<uint8_t>(head[19]);
        if (level == 0 || level == 1) {
            const size_t headerSize = static_cast<uint8_t>(head[0]) + size_t{2};
            if (headerSize < 24 || !a.Read(at, headerSize, block)) return std::nullopt;
            const size_t nameLength = static_cast<uint8_t>(block[21]);
            // Name, CRC (and for level 1 the OS and the first extended header's size).
            const size_t fixedEnd = 22 + nameLength + 2;
            if (fixedEnd > headerSize) return std::nullopt;
            parts.file = block.substr(22, nameLength);
            uint64_t dataSize = U32(block, 7);
            if (level == 0) {
                // The Unix extension: OS "U", its version, the time, then the mode.
                if (headerSize >= fixedEnd + 8 && block[fixedEnd] == 'U')
                    parts.mode = U16(block, fixedEnd + 6);
                next = at + headerSize + dataSize;
            } else {
                if (headerSize < fixedEnd + 3) return std::nullopt;
                size_t extSize = U16(block, headerSize - 2);
                // Level 1 counts its extended headers in the data size.
                uint64_t extAt = at + headerSize;
                int count = 0;
                while (extSize != 0) {
                    if (extSize < 3 || ++count > kMaxExtendedHeaders) return std::nullopt;
                    if (extAt - (at + headerSize) + extSize > dataSize) return std::nullopt;
                    if (!a.Read(extAt, extSize, ext)) return std::nullopt;
                    extAt += extSize;
                    extSize = ReadExtendedHeader(ext, parts);
                }
                next = at + headerSize + dataSize;
            }
        } else if (level == 2) {
            const size_t headerSize = U16(head, 0);
            if (headerSize < 26 || !a.Read(at, headerSize, block)) return std::nullopt;
            size_t extSize = U16(block, 24);
            size_t extAt = 26;
            int count = 0;
            while (extSize != 0) {
                if (extSize < 3 || ++count > kMaxExtendedHeaders) return std::nullopt;
                if (extAt > headerSize || headerSize - extAt < extSize) return std::nullopt;
                const std::string_view h = std::string_view(block).substr(extAt, extSize);
                extAt += extSize;
                extSize = ReadExtendedHeader(h, parts);
            }
            next = at + headerSize + U32(block, 7);
        } else {
            return std::nullopt;
        }
        if (next > total) return std::nullopt;
        ArchiveEntry e;
        std::string name;
        if (parts.directory && !parts.directory->empty()) {
            name = LzhPath(*parts.directory);
            if (name.back() != '/' && !parts.file.empty()) name.push_back('/');
        }
        name += LzhPath(parts.file);
        e.name = std::move(name);
        const bool folder = method == "-lhd-" || (level == 0 && (attribute & 0x10) != 0);
        e.type = folder ? ArchiveEntryType::kFolder : ArchiveEntryType::kFile;
        if (parts.mode) e.type = TypeOfMode(*parts.mode, e.type);
        // A name "link|target" is how LZH stores a symbolic link.
        if (e.name.find('|') != std::string::npos) e.type = ArchiveEntryType::kSpecial;
        out.push_back(std::move(e));
        at = next;
    }
    return out;
}

// ---- Checks ----

namespace {

bool IsSeparator(char c) {
    return c == '/' || c == '\\';
}

// The parts of a name, "/" and "\" both separating; empty parts and "." left out.
std::vector<std::string_view> PartsOf(std::string_view name) {
    std::vector<std::string_view> parts;
    size_t i = 0;
    while (i <= name.size()) {
        size_t j = i;
        while (j < name.size() && !IsSeparator(name[j])) ++j;
        const std::string_view p = name.substr(i, j - i);
        if (!p.empty() && p != ".") parts.push_back(p);
        i = j + 1;
    }
    return parts;
}

}  // namespace

NameProblem CheckEntryName(const ArchiveEntry& entry) {
    const std::string_view n = entry.name;
    if (entry.type == ArchiveEntryType::kSpecial) return NameProblem::kSpecial;
    if (n.find('\0') != std::string_view::npos) return NameProblem::kSpecial;
    if (!n.empty() && IsSeparator(n[0])) return NameProblem::kAbsolute;
    if (n.size() >= 2 && n[1] == ':' &&
        ((n[0] >= 'A' && n[0] <= 'Z') || (n[0] >= 'a' && n[0] <= 'z')))
        return NameProblem::kAbsolute;
    for (std::string_view p : PartsOf(n))
        if (p == "..") return NameProblem::kParent;
    return NameProblem::kNone;
}

std::optional<size_t> FirstEntryOutside(const std::vector<ArchiveEntry>& entries,
                                        const std::string& destination) {
    for (size_t i = 0; i < entries.size(); ++i)
        if (CheckEntryName(entries[i]) != NameProblem::kNone) return i;
    // What the destination already holds: a folder to go through, a link, or nothing (then
    // nothing below it exists either).
    enum class Found : uint8_t { kFolder, kLink, kOther, kMissing };
    std::unordered_map<std::string, Found> seen;
    std::string base = destination;
    if (base.empty() || base.back() != '/') base.push_back('/');
    for (size_t i = 0; i < entries.size(); ++i) {
        std::string path = base;
        for (std::string_view p : PartsOf(entries[i].name)) {
            path.append(p);
            auto it = seen.find(path);
            Found f;
            if (it != seen.end()) {
                f = it->second;
            } else {
                struct stat st;
                if (::lstat(path.c_str(), &st) != 0) {
                    f = Found::kMissing;
                } else if (S_ISLNK(st.st_mode)) {
                    f = Found::kLink;
                } else if (S_ISDIR(st.st_mode)) {
                    f = Found::kFolder;
                } else {
                    f = Found::kOther;
                }
                seen.emplace(path, f);
            }
            if (f == Found::kLink) return i;
            if (f != Found::kFolder) break;
            path.push_back('/');
        }
    }
    return std::nullopt;
}

std::string ShownName(std::string_view name) {
    std::string out;
    size_t i = 0;
    auto escape = [&](uint8_t b) {
        char hex[5];
        std::snprintf(hex, sizeof hex, "\\x%02X", b);
        out += hex;
    };
    while (i < name.size()) {
        const uint8_t b = static_cast<uint8_t>(name[i]);
        size_t n = b < 0x80             ? 1
                   : (b & 0xE0) == 0xC0 ? 2
                   : (b & 0xF0) == 0xE0 ? 3
                   : (b & 0xF8) == 0xF0 ? 4
                                        : 0;
        bool ok = n > 0 && i + n <= name.size();
        uint32_t cp = n == 1 ? b : n == 2 ? b & 0x1F : n == 3 ? b & 0x0F : b & 0x07;
        for (size_t k = 1; ok && k < n; ++k) {
            const uint8_t c = static_cast<uint8_t>(name[i + k]);
            if ((c & 0xC0) != 0x80) ok = false;
            cp = cp << 6 | (c & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
        if (ok && ((n == 2 && cp < 0x80) || (n == 3 && cp < 0x800) || (n == 4 && cp < 0x10000) ||
                   (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF))
            ok = false;
        // Control characters would garble the message.
        if (ok && n == 1 && (b < 0x20 || b == 0x7F)) ok = false;
        if (!ok) {
            escape(b);
            ++i;
            continue;
        }
        out.append(name.substr(i, n));
        i += n;
    }
    return out;
}

}  // namespace norv::tools
