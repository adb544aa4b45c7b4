// The names an archive would write, read by our own readers before any archiver runs, and the
// check that every one of them stays inside the destination folder.
//
// ZIP: the end-of-central-directory record (found behind a trailing comment; Zip64 where its
// counts or offsets say so) and the central directory it points to. Names are UTF-8 when flag
// bit 11 is set, else bytes as stored. Entries made on Unix carry their file type in the
// external attributes.
//
// LZH: the chain of headers of levels 0, 1 and 2 from the start of the file, each followed by
// its data, up to a zero byte or the end of the file. A name is its directory extended header
// (0xFF separating its parts) joined to its file name; "\" and 0xFF in either also separate,
// and the parts are joined with "/". The Unix mode extended header (or the Unix extension of a
// level 0 header) carries the file type; a "-lhd-" entry is a folder.
//
// The readers never read outside the archive and stop at the first thing that does not fit:
// then the names "cannot be read" and nothing is extracted.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace norv::tools {

// Random access to an archive's bytes.
class ArchiveBytes {
  public:
    virtual ~ArchiveBytes() = default;
    virtual uint64_t size() const = 0;
    // Exactly `n` bytes at `offset` into `out`; false when they are not all there.
    virtual bool Read(uint64_t offset, size_t n, std::string& out) const = 0;
};

class MemoryArchiveBytes : public ArchiveBytes {
  public:
    explicit MemoryArchiveBytes(std::string_view bytes) : bytes_(bytes) {}
    uint64_t size() const override { return bytes_.size(); }
    bool Read(uint64_t offset, size_t n, std::string& out) const override;

  private:
    std::string_view bytes_;
};

// A file read with pread; size() is 0 and every Read fails when it cannot be opened.
class FileArchiveBytes : public ArchiveBytes {
  public:
    explicit FileArchiveBytes(const std::string& path);
    ~FileArchiveBytes() override;
    FileArchiveBytes(const FileArchiveBytes&) = delete;
    FileArchiveBytes& operator=(const FileArchiveBytes&) = delete;
    bool opened() const { return fd_ >= 0; }
    uint64_t size() const override { return size_; }
    bool Read(uint64_t offset, size_t n, std::string& out) const override;

  private:
    int fd_ = -1;
    uint64_t size_ = 0;
};

enum class ArchiveEntryType : uint8_t {
    kFile,
    kFolder,
    kSpecial,  // a symbolic link, a device, a pipe or a socket
};

struct ArchiveEntry {
    std::string name;  // as the archive stores it (LZH: its parts joined with "/")
    ArchiveEntryType type = ArchiveEntryType::kFile;
    bool operator==(const ArchiveEntry&) const = default;
};

// The entries in the archive's order; nothing when the names cannot be read.
std::optional<std::vector<ArchiveEntry>> ReadZipNames(const ArchiveBytes& archive);
std::optional<std::vector<ArchiveEntry>> ReadLzhNames(const ArchiveBytes& archive);

enum class NameProblem : uint8_t {
    kNone,
    kAbsolute,  // "/" or "\" first, or a drive "X:"
    kParent,    // a ".." part ("/" and "\" both separate)
    kSpecial,   // a link or device entry (or a NUL byte in the name)
};
// What is wrong with one entry on its own.
NameProblem CheckEntryName(const ArchiveEntry& entry);

// The first entry that would write outside `destination` (its own problem, or a part of its
// path that is a symbolic link already in the destination folder); nothing when all stay in.
std::optional<size_t> FirstEntryOutside(const std::vector<ArchiveEntry>& entries,
                                        const std::string& destination);

// A name for a message: UTF-8 as it is, anything else with its bytes escaped (\xNN).
std::string ShownName(std::string_view name);

}  // namespace norv::tools
