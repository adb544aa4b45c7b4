// The in-memory file system of the platform layer, with folders as the configuration tests
// need them: a folder is named with its trailing "/", writing needs an existing folder, and a
// folder can be read-only (a program folder the user may not write).
#pragma once

#include <cerrno>
#include <set>
#include <string>

#include "platform/memory_file_system.h"
#include "platform/paths.h"

namespace norv::testing {

class MemoryFileSystem : public platform::MemoryFileSystem {
  public:
    std::set<std::string> readOnlyFolders;

    MemoryFileSystem() {
        folders.insert("/");
        failStickily = false;  // a failed write is followed by working ones
    }

    std::optional<platform::FileInfo> Stat(const std::string& path) override {
        std::string folder = path.empty() || path.back() == '/' ? path : path + "/";
        if (folders.count(folder)) {
            platform::FileInfo info;
            info.isDirectory = true;
            info.readOnly = readOnlyFolders.count(folder) > 0;
            return info;
        }
        return platform::MemoryFileSystem::Stat(path);
    }

    std::unique_ptr<platform::OutputFile> OpenWrite(const std::string& path,
                                                    platform::WriteMode mode, unsigned modeBits,
                                                    int* error) override {
        std::string folder = platform::FolderOf(path);
        if (!folders.count(folder) || readOnlyFolders.count(folder)) {
            if (error) *error = folders.count(folder) ? EACCES : ENOENT;
            return nullptr;
        }
        return platform::MemoryFileSystem::OpenWrite(path, mode, modeBits, error);
    }

    bool MakeFolder(const std::string& path) override {
        std::string folder = path.back() == '/' ? path : path + "/";
        if (!folders.count(platform::FolderOf(folder.substr(0, folder.size() - 1)))) return false;
        folders.insert(folder);
        return true;
    }
};

}  // namespace norv::testing
