// The writer of a save: a 64 KB buffer flushed to the target and, when there is one, to the
// mirror copy, so that the mirror ends up byte-identical to the saved file.
//
// The target is a temporary file beside the real one that the caller renames over it once the
// writer has closed without error, so a failure never leaves a torn file. A failing mirror is
// dropped for the rest of the save and never fails it.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace norv::document {

class TextFileWriter {
  public:
    explicit TextFileWriter(platform::FileSystem& fs) : fs_(fs) { buf_.reserve(kBufferBytes + 8); }

    // 0 or the system error number.
    int Open(const std::string& path, platform::WriteMode mode, unsigned permissions);
    // False when the mirror cannot be opened (the save goes on without it).
    bool OpenMirror(const std::string& path);
    bool hasMirror() const { return mirror_ != nullptr; }
    // Set when a mirror write failed (the mirror was dropped).
    bool mirrorFailed() const { return mirrorFailed_; }

    bool Write(const char* p, size_t n);
    bool Write(const std::string& s) { return Write(s.data(), s.size()); }
    // Writes what is pending, cuts both files at the written length, syncs and closes them.
    bool Close();
    // Writes what is pending and cuts the file at the written length, and hands it over open
    // and not yet synced (to be synced with others); null on failure, with error() set.
    std::unique_ptr<platform::OutputFile> CloseUnsynced();
    int error() const { return error_; }

  private:
    static constexpr size_t kBufferBytes = 65535;
    bool Flush();
    // Writes n bytes to the target and the mirror.
    bool Put(const char* p, size_t n);

    platform::FileSystem& fs_;
    std::unique_ptr<platform::OutputFile> target_;
    std::unique_ptr<platform::OutputFile> mirror_;
    std::vector<char> buf_;
    bool mirrorFailed_ = false;
    int error_ = 0;
};

}  // namespace norv::document
