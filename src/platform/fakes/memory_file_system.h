// A file system in memory, for tests and fuzzing: files are byte strings, and faults can be
// injected (the n-th write fails as if the disk were full, opening a path fails, reads fail
// after some bytes), so that every path through the file layer can be tested.
//
// Folders are loose by default (any path can be written). With `FolderRule::kFoldersMustExist`
// they behave as the configuration code meets them on a real disk: a folder is named with or
// without its trailing "/", writing needs an existing folder, a folder can be read-only (a
// program folder the user may not write), making a folder needs its parent, and a failed write
// is followed by working ones.
#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>

#include "platform/file_system.h"

namespace norv::platform {

enum class FolderRule { kLoose, kFoldersMustExist };

class MemoryFileSystem : public FileSystem {
  public:
    explicit MemoryFileSystem(FolderRule rule = FolderRule::kLoose);

    std::optional<FileInfo> Stat(const std::string& path) override;
    std::unique_ptr<InputFile> OpenRead(const std::string& path, int* error) override;
    std::unique_ptr<OutputFile> OpenWrite(const std::string& path, WriteMode mode,
                                          unsigned permissions, int* error) override;
    bool Rename(const std::string& from, const std::string& to) override;
    bool Remove(const std::string& path) override;
    bool MakeFolder(const std::string& path) override;
    bool IsOnFixedDrive(const std::string&) override { return true; }
    bool Link(const std::string& from, const std::string& to) override;
    std::vector<std::string> ListFolder(const std::string& folder) override;
    std::string ResolveLinks(const std::string& path) override { return path; }

    // The files, by full path.
    std::map<std::string, std::string> files;
    std::set<std::string> folders;
    // Folders (with their trailing "/") the user may not write; kFoldersMustExist only.
    std::set<std::string> readOnlyFolders;
    std::set<std::string> readOnly;
    std::map<std::string, FileTime> times;
    std::map<std::string, unsigned> permissions;

    // Faults: the write with this 1-based number (counted over all files) fails with ENOSPC,
    // and so does every later one while `failStickily`; 0 = none.
    int failWriteNumber = 0;
    bool failStickily = true;
    int writes = 0;
    // Opening these paths fails with EACCES.
    std::set<std::string> unopenable;
    // Reads fail with EIO once this many bytes have been read from one file (0 = never).
    size_t failReadAfter = 0;
    // Reads hand out at most this many bytes per call (to exercise partial reads).
    size_t readChunk = 0;

    bool ShouldFailWrite();

  private:
    FolderRule rule_;
};

}  // namespace norv::platform
