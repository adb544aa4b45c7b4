// The files a script has open through FOPEN: small Integer handles (1 and up) to open files,
// 0 meaning none. Every file built-in accepts any handle and does nothing for one that is not
// open. The table closes what is left open when the script's run-time object ends.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace norv::script {

class FileTable {
  public:
    explicit FileTable(size_t capacity = 64) : files_(capacity, nullptr) {}
    ~FileTable() { CloseAll(); }
    FileTable(const FileTable&) = delete;
    FileTable& operator=(const FileTable&) = delete;

    // Opens `path`: for writing (created or truncated) when the mode has "w" and no "r",
    // otherwise for reading. Returns the handle, or 0.
    int32_t Open(const std::string& path, const std::string& mode);
    void Close(int32_t handle);
    // The open file of a handle, or nullptr.
    std::FILE* Get(int32_t handle) const;
    void CloseAll();
    // With access off every Open fails.
    void SetEnabled(bool on) { enabled_ = on; }

  private:
    bool enabled_ = true;
    std::vector<std::FILE*> files_;
};

}  // namespace norv::script
