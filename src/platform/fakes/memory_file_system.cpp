#include "platform/fakes/memory_file_system.h"

#include <cerrno>
#include <cstring>
#include <functional>

#include "platform/paths.h"

namespace norv::platform {
namespace {

class MemoryInput final : public InputFile {
  public:
    MemoryInput(std::string data, size_t failAfter, size_t chunk)
        : data_(std::move(data)), failAfter_(failAfter), chunk_(chunk) {}
    long Read(void* buf, size_t n) override {
        if (failAfter_ && pos_ >= failAfter_) {
            error_ = EIO;
            return -1;
        }
        size_t left = data_.size() - pos_;
        if (n > left) n = left;
        if (chunk_ && n > chunk_) n = chunk_;
        if (failAfter_ && pos_ + n > failAfter_) n = failAfter_ - pos_;
        std::memcpy(buf, data_.data() + pos_, n);
        pos_ += n;
        return static_cast<long>(n);
    }
    uint64_t Size() const override { return data_.size(); }
    int LastError() const override { return error_; }

  private:
    std::string data_;
    size_t pos_ = 0;
    size_t failAfter_;
    size_t chunk_;
    int error_ = 0;
};

class MemoryOutput final : public OutputFile {
  public:
    MemoryOutput(MemoryFileSystem& fs, std::string path, size_t pos = 0)
        : fs_(fs), path_(std::move(path)), pos_(pos) {}
    bool Write(const void* buf, size_t n) override {
        if (fs_.ShouldFailWrite()) {
            error_ = ENOSPC;
            return false;
        }
        std::string& f = fs_.files[path_];
        if (pos_ + n > f.size()) f.resize(pos_ + n);
        std::memcpy(f.data() + pos_, buf, n);
        pos_ += n;
        return true;
    }
    bool Truncate() override {
        fs_.files[path_].resize(pos_);
        return true;
    }
    bool Sync() override { return true; }
    bool Close() override { return true; }
    int LastError() const override { return error_; }

  private:
    MemoryFileSystem& fs_;
    std::string path_;
    size_t pos_ = 0;
    int error_ = 0;
};

}  // namespace

MemoryFileSystem::MemoryFileSystem(FolderRule rule) : rule_(rule) {
    if (rule_ == FolderRule::kFoldersMustExist) {
        folders.insert("/");
        failStickily = false;
    }
}

bool MemoryFileSystem::ShouldFailWrite() {
    ++writes;
    if (failWriteNumber == 0) return false;
    return failStickily ? writes >= failWriteNumber : writes == failWriteNumber;
}

std::optional<FileInfo> MemoryFileSystem::Stat(const std::string& path) {
    FileInfo info;
    if (rule_ == FolderRule::kFoldersMustExist) {
        std::string folder = path.empty() || path.back() == '/' ? path : path + "/";
        if (folders.count(folder)) {
            info.isDirectory = true;
            info.readOnly = readOnlyFolders.count(folder) > 0;
            return info;
        }
    }
    if (folders.count(path)) {
        info.isDirectory = true;
        info.inode = std::hash<std::string>{}(path);
        return info;
    }
    auto it = files.find(path);
    if (it == files.end()) {
        errno = ENOENT;
        return std::nullopt;
    }
    info.size = it->second.size();
    info.isRegular = true;
    info.inode = std::hash<std::string>{}(path);
    auto t = times.find(path);
    info.lastWrite = t == times.end() ? 0 : t->second;
    info.readOnly = readOnly.count(path) > 0;
    auto perm = permissions.find(path);
    if (perm != permissions.end()) info.permissions = perm->second;
    std::string name = FileNameOf(path);
    info.hidden = !name.empty() && name[0] == '.';
    return info;
}

std::unique_ptr<InputFile> MemoryFileSystem::OpenRead(const std::string& path, int* error) {
    if (unopenable.count(path)) {
        if (error) *error = EACCES;
        return nullptr;
    }
    if (folders.count(path)) {
        if (error) *error = EISDIR;
        return nullptr;
    }
    auto it = files.find(path);
    if (it == files.end()) {
        if (error) *error = ENOENT;
        return nullptr;
    }
    return std::make_unique<MemoryInput>(it->second, failReadAfter, readChunk);
}

std::unique_ptr<OutputFile> MemoryFileSystem::OpenWrite(const std::string& path, WriteMode mode,
                                                        unsigned, int* error) {
    if (rule_ == FolderRule::kFoldersMustExist) {
        std::string folder = FolderOf(path);
        if (!folders.count(folder) || readOnlyFolders.count(folder)) {
            if (error) *error = folders.count(folder) ? EACCES : ENOENT;
            return nullptr;
        }
    }
    if (unopenable.count(path) || readOnly.count(path)) {
        if (error) *error = EACCES;
        return nullptr;
    }
    if (mode == WriteMode::kCreateNew && files.count(path)) {
        if (error) *error = EEXIST;
        return nullptr;
    }
    const size_t at = mode == WriteMode::kAppend ? files[path].size() : 0;
    files.emplace(path, std::string());
    return std::make_unique<MemoryOutput>(*this, path, at);
}

bool MemoryFileSystem::Rename(const std::string& from, const std::string& to) {
    auto it = files.find(from);
    if (it == files.end()) return false;
    files[to] = std::move(it->second);
    files.erase(from);
    return true;
}

bool MemoryFileSystem::Link(const std::string& from, const std::string& to) {
    auto it = files.find(from);
    if (it == files.end() || files.count(to)) return false;
    files[to] = it->second;  // a copy stands in for a second name
    return true;
}

std::vector<std::string> MemoryFileSystem::ListFolder(const std::string& folder) {
    std::string prefix = folder;
    if (prefix.empty() || prefix.back() != '/') prefix.push_back('/');
    std::vector<std::string> names;
    for (const auto& [path, bytes] : files)
        if (path.size() > prefix.size() && path.compare(0, prefix.size(), prefix) == 0 &&
            path.find('/', prefix.size()) == std::string::npos)
            names.push_back(path.substr(prefix.size()));
    return names;
}

bool MemoryFileSystem::Remove(const std::string& path) {
    return files.erase(path) > 0;
}

bool MemoryFileSystem::MakeFolder(const std::string& path) {
    if (rule_ == FolderRule::kFoldersMustExist) {
        std::string folder = path.back() == '/' ? path : path + "/";
        if (!folders.count(FolderOf(folder.substr(0, folder.size() - 1)))) return false;
        folders.insert(folder);
        return true;
    }
    folders.insert(path);
    return true;
}

}  // namespace norv::platform
