// Folder work of setup: making a folder with every missing parent (and remembering which were
// made, so uninstalling can take them away again), removing a folder only when it is empty,
// and whether two paths name the same folder.
#pragma once

#include <string>
#include <vector>

#include "platform/file_system.h"

namespace norv::setup {

struct FolderFailure {
    std::string prefix;  // the folder that could not be made
    int error = 0;
};

// Makes `folder` ("/a/b/c/") and each missing parent, appending those made to `made` (each
// with its trailing "/"). A prefix that exists as something other than a folder fails with
// ENOTDIR.
bool MakeFolders(platform::FileSystem& fs, const std::string& folder,
                 std::vector<std::string>& made, FolderFailure* failure);

// Removes a folder when it is empty; a folder with anything in it, or missing, stays as it is.
bool RemoveEmptyFolder(const std::string& folder);

bool SameFolder(platform::FileSystem& fs, const std::string& a, const std::string& b);

// The folders in the order to remove them: deepest first, each once.
std::vector<std::string> DeepestFirst(std::vector<std::string> folders);

bool EndsWithNoCase(std::string_view s, std::string_view suffix);

}  // namespace norv::setup
