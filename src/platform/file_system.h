// The file layer: every read, write, rename and delete of the program goes through a
// `FileSystem`, so tests can inject faults (the n-th write fails, a file cannot be opened) and
// check that the old file or the complete new one is left, never a torn one.
//
// Files are read with read() into memory, never mapped: a mapped file that another program
// truncates would crash the editor. Times are Windows-style 64-bit counts of 100 ns since 1601
// so that stored files keep their layout.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace norv::platform {

using FileTime = uint64_t;  // 100 ns units since 1601-01-01 UTC

FileTime FileTimeFromUnix(int64_t seconds, int64_t nanoseconds);
FileTime FileTimeNow();

struct FileInfo {
    bool isDirectory = false;
    uint64_t size = 0;
    FileTime lastWrite = 0;
    bool readOnly = false;        // the user may not write it (or its file system is read-only)
    bool hidden = false;          // its name begins with "."
    unsigned permissions = 0644;  // the mode bits (rwx for user, group, others)
    bool isLink = false;          // the path itself is a symbolic link
    // Not a folder, FIFO, device or socket (what a link points to counts).
    bool isRegular = false;
    // Which file it is: two paths name the same file when both numbers are equal.
    uint64_t device = 0;
    uint64_t inode = 0;
};

// A file open for reading, read front to back in blocks.
class InputFile {
  public:
    virtual ~InputFile() = default;
    // Reads up to n bytes; returns the count (0 at the end) or -1 with errno in `error`.
    virtual long Read(void* buf, size_t n) = 0;
    // The size when the file was opened.
    virtual uint64_t Size() const = 0;
    virtual int LastError() const = 0;
};

// A file open for writing.
class OutputFile {
  public:
    virtual ~OutputFile() = default;
    // Writes all n bytes or fails; returns false with the reason in LastError().
    virtual bool Write(const void* buf, size_t n) = 0;
    // Cuts the file at the current write position (an old longer file is truncated).
    virtual bool Truncate() = 0;
    // Flushes the file's data to the disk.
    virtual bool Sync() = 0;
    // Closes the file; false when the close reported an error (data may be lost).
    virtual bool Close() = 0;
    virtual int LastError() const = 0;
};

enum class WriteMode {
    kCreateOrOverwrite,  // an existing file is opened and overwritten in place, else created
    kCreateNew,          // fails when the file exists
    kAppend,             // every write goes to the end of the file, which is created if missing
};

class FileSystem {
  public:
    virtual ~FileSystem() = default;
    virtual std::optional<FileInfo> Stat(const std::string& path) = 0;
    // As Stat, leaving out what takes further calls of the system (readOnly, isLink keep their
    // defaults): for walks over many files, which need the kind, size and identity only.
    virtual std::optional<FileInfo> StatEntry(const std::string& path) { return Stat(path); }
    // Opens for reading; nullptr with the system error number in *error.
    virtual std::unique_ptr<InputFile> OpenRead(const std::string& path, int* error) = 0;
    virtual std::unique_ptr<OutputFile> OpenWrite(const std::string& path, WriteMode mode,
                                                  unsigned permissions, int* error) = 0;
    virtual bool Rename(const std::string& from, const std::string& to) = 0;
    virtual bool Remove(const std::string& path) = 0;
    virtual bool MakeFolder(const std::string& path) = 0;
    // True when the file lies on a fixed local drive (not a network or removable one).
    virtual bool IsOnFixedDrive(const std::string& path) = 0;
    // The names (not paths) of the entries of a folder; empty when it cannot be read.
    virtual std::vector<std::string> ListFolder(const std::string& folder) = 0;
    // A second name for an existing file (a hard link); false when the file system cannot.
    virtual bool Link(const std::string& from, const std::string& to) = 0;
    // The path with symbolic links resolved (the path itself when it does not exist).
    virtual std::string ResolveLinks(const std::string& path) = 0;
};

// The real file system of the machine.
FileSystem& RealFileSystem();

// Reads a whole file into `out`; returns 0 or the system error number.
int ReadWholeFile(FileSystem& fs, const std::string& path, std::string& out);

// Copies a file (bytes and permissions); returns 0 or the system error number.
int CopyFile(FileSystem& fs, const std::string& from, const std::string& to);

// Writes `data` to `path` through a temporary file in the same folder and a rename, so that a
// crash leaves the old file or the new one. Returns 0 or the system error number.
int WriteFileAtomically(FileSystem& fs, const std::string& path, std::string_view data,
                        unsigned permissions = 0644);

}  // namespace norv::platform
