// An in-memory file system for the configuration tests, with injected faults: the n-th write
// or any read of a chosen file can be made to fail, so a test can check that a failed save
// leaves the old file whole.
#pragma once

#include <cerrno>
#include <cstring>
#include <map>
#include <memory>
#include <set>
#include <string>

#include "platform/file_system.h"
#include "platform/paths.h"

namespace norv::testing {

class MemoryFileSystem final : public platform::FileSystem {
public:
    std::map<std::string, std::string> files;
    std::set<std::string> folders{"/"};
    std::set<std::string> readOnlyFolders;
    std::set<std::string> unreadable;  // OpenRead fails with EACCES
    int failWriteAt = 0;               // the n-th Write call fails with ENOSPC (0: never)
    int writes = 0;
    int renames = 0;

    std::optional<platform::FileInfo> Stat(const std::string& path) override {
        platform::FileInfo info;
        if (auto it = files.find(path); it != files.end()) {
            info.size = it->second.size();
            return info;
        }
        std::string folder = path.empty() || path.back() == '/' ? path : path + "/";
        if (folders.count(folder)) {
            info.isDirectory = true;
            info.readOnly = readOnlyFolders.count(folder) > 0;
            return info;
        }
        return std::nullopt;
    }

    std::unique_ptr<platform::InputFile> OpenRead(const std::string& path, int* error) override {
        if (unreadable.count(path)) {
            if (error) *error = EACCES;
            return nullptr;
        }
        auto it = files.find(path);
        if (it == files.end()) {
            if (error) *error = ENOENT;
            return nullptr;
        }
        return std::make_unique<Input>(it->second);
    }

    std::unique_ptr<platform::OutputFile> OpenWrite(const std::string& path,
                                                    platform::WriteMode mode, unsigned,
                                                    int* error) override {
        if (!folders.count(platform::FolderOf(path)) ||
            readOnlyFolders.count(platform::FolderOf(path))) {
            if (error) *error = folders.count(platform::FolderOf(path)) ? EACCES : ENOENT;
            return nullptr;
        }
        if (mode == platform::WriteMode::kCreateNew && files.count(path)) {
            if (error) *error = EEXIST;
            return nullptr;
        }
        files[path];
        return std::make_unique<Output>(*this, path);
    }

    bool Rename(const std::string& from, const std::string& to) override {
        auto it = files.find(from);
        if (it == files.end()) return false;
        files[to] = it->second;
        files.erase(from);
        ++renames;
        return true;
    }
    bool Remove(const std::string& path) override { return files.erase(path) > 0; }
    bool MakeFolder(const std::string& path) override {
        std::string folder = path.back() == '/' ? path : path + "/";
        if (!folders.count(platform::FolderOf(folder.substr(0, folder.size() - 1))))
            return false;
        folders.insert(folder);
        return true;
    }
    bool IsOnFixedDrive(const std::string&) override { return true; }

private:
    class Input final : public platform::InputFile {
    public:
        explicit Input(std::string data) : data_(std::move(data)) {}
        long Read(void* buf, size_t n) override {
            size_t k = std::min(n, data_.size() - pos_);
            std::memcpy(buf, data_.data() + pos_, k);
            pos_ += k;
            return static_cast<long>(k);
        }
        uint64_t Size() const override { return data_.size(); }
        int LastError() const override { return 0; }

    private:
        std::string data_;
        size_t pos_ = 0;
    };
    class Output final : public platform::OutputFile {
    public:
        Output(MemoryFileSystem& fs, std::string path) : fs_(fs), path_(std::move(path)) {}
        bool Write(const void* buf, size_t n) override {
            if (++fs_.writes == fs_.failWriteAt) {
                error_ = ENOSPC;
                return false;
            }
            fs_.files[path_].append(static_cast<const char*>(buf), n);
            return true;
        }
        bool Truncate() override { return true; }
        bool Sync() override { return true; }
        bool Close() override { return true; }
        int LastError() const override { return error_; }

    private:
        MemoryFileSystem& fs_;
        std::string path_;
        int error_ = 0;
    };
};

}  // namespace norv::testing
