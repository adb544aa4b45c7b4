// Open script files (see file_table.h).
#include "script/file_table.h"

#include <sys/stat.h>

namespace norv::script {

int32_t FileTable::Open(const std::string& path, const std::string& mode) {
    if (path.empty() || !enabled_) return 0;
    // Only ordinary files: opening a pipe would block the editor, a device could feed it
    // without end.
    struct stat st;
    if (stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) return 0;
    const bool write = mode.find_first_of("wW") != std::string::npos &&
                       mode.find_first_of("rR") == std::string::npos;
    for (size_t i = 0; i < files_.size(); ++i) {
        if (files_[i] != nullptr) continue;
        std::FILE* f = std::fopen(path.c_str(), write ? "wb" : "rb");
        if (f == nullptr) return 0;
        files_[i] = f;
        return static_cast<int32_t>(i + 1);
    }
    return 0;
}

void FileTable::Close(int32_t handle) {
    if (handle <= 0 || static_cast<size_t>(handle) > files_.size()) return;
    std::FILE*& f = files_[static_cast<size_t>(handle - 1)];
    if (f != nullptr) std::fclose(f);
    f = nullptr;
}

std::FILE* FileTable::Get(int32_t handle) const {
    if (handle <= 0 || static_cast<size_t>(handle) > files_.size()) return nullptr;
    return files_[static_cast<size_t>(handle - 1)];
}

void FileTable::CloseAll() {
    for (std::FILE*& f : files_) {
        if (f != nullptr) std::fclose(f);
        f = nullptr;
    }
}

}  // namespace norv::script
