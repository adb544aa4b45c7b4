// The install record: what setup made, so that uninstalling removes exactly that and keeps the
// rest. It lives in "<data>/<Vender>/<AppTitle>/install.rec" (the data folder of the mode) and
// names the target folder, every folder setup created, every file it wrote (anywhere: in the
// target and its desktop entries) with size and SHA-256, and the registered MIME package.
//
// The text is one item per line, fields split by tabs; a backslash, tab or line feed inside a
// field is written as "\\", "\t" or "\n". The first line is the format's name and version. A
// reader takes what it understands and skips every other line: the file may have been cut short
// or edited, and must never make uninstalling delete anything it does not name.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"

namespace norv::setup {

inline constexpr std::string_view kRecordFileName = "install.rec";
inline constexpr std::string_view kRecordHeader = "NorvSetupRecord\t1";
// A record is a few hundred lines; a larger file is not one of ours.
inline constexpr size_t kMaxRecordBytes = 4u << 20;

struct RecordedFile {
    std::string path;  // absolute
    uint64_t size = 0;
    std::string sha256;  // 64 lower-case hex digits
};

struct InstallRecord {
    std::string target;                // absolute, ending in "/"
    std::vector<std::string> folders;  // made by setup, in the order made
    std::vector<RecordedFile> files;
    std::string mimePackage;  // the installed path of the registered package, or ""

    // The entry of `path`, or nullptr.
    const RecordedFile* Find(std::string_view path) const;
    // Adds or replaces the entry of `file.path`.
    void Put(RecordedFile file);
    void AddFolder(std::string folder);
};

std::string WriteRecordText(const InstallRecord& record);
// Nothing when the text is not a record (no header, no absolute target).
std::optional<InstallRecord> ReadRecordText(std::string_view text);

// The size and SHA-256 of a file, or nothing when it cannot be read.
std::optional<RecordedFile> HashFile(platform::FileSystem& fs, const std::string& path);

// The SHA-256 of `data` as lower-case hex ("" if the hash could not be made, which matches no
// recorded file).
std::string Sha256Hex(std::string_view data);

// Hashes a file as it is read in blocks, so a large program never sits whole in memory.
class Sha256Stream {
  public:
    Sha256Stream();
    ~Sha256Stream();
    Sha256Stream(const Sha256Stream&) = delete;
    Sha256Stream& operator=(const Sha256Stream&) = delete;
    void Add(const void* data, size_t n);
    // The digest of everything added, as lower-case hex ("" when hashing is not available).
    std::string Finish();

  private:
    void* state_ = nullptr;
};

}  // namespace norv::setup
