// Making and removing the folders of an installation.
#include "setup/folder_ops.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace norv::setup {

bool MakeFolders(platform::FileSystem& fs, const std::string& folder,
                 std::vector<std::string>& made, FolderFailure* failure) {
    std::string path = folder;
    if (path.empty() || path.back() != '/') path.push_back('/');
    for (size_t slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1)) {
        std::string prefix = path.substr(0, slash + 1);
        if (prefix.size() >= 2 && prefix[prefix.size() - 2] == '/') continue;  // "//"
        std::optional<platform::FileInfo> info = fs.Stat(prefix.substr(0, slash));
        if (info && info->isDirectory) continue;
        int error = ENOTDIR;
        if (!info) {
            errno = 0;
            if (fs.MakeFolder(prefix.substr(0, slash))) {
                info = fs.Stat(prefix.substr(0, slash));
                if (info && info->isDirectory) {
                    made.push_back(prefix);
                    continue;
                }
            } else {
                error = errno ? errno : EIO;
            }
        }
        if (failure) *failure = {prefix, error};
        return false;
    }
    return true;
}

bool RemoveEmptyFolder(const std::string& folder) {
    return ::rmdir(folder.c_str()) == 0;
}

bool SameFolder(platform::FileSystem& fs, const std::string& a, const std::string& b) {
    std::optional<platform::FileInfo> x = fs.Stat(a);
    std::optional<platform::FileInfo> y = fs.Stat(b);
    return x && y && x->isDirectory && y->isDirectory && x->device == y->device &&
           x->inode == y->inode;
}

std::vector<std::string> DeepestFirst(std::vector<std::string> folders) {
    for (std::string& f : folders)
        if (f.empty() || f.back() != '/') f.push_back('/');
    std::sort(folders.begin(), folders.end());
    folders.erase(std::unique(folders.begin(), folders.end()), folders.end());
    std::stable_sort(
        folders.begin(), folders.end(), [](const std::string& x, const std::string& y) {
            return std::count(x.begin(), x.end(), '/') > std::count(y.begin(), y.end(), '/');
        });
    return folders;
}

bool EndsWithNoCase(std::string_view s, std::string_view suffix) {
    if (s.size() < suffix.size()) return false;
    s = s.substr(s.size() - suffix.size());
    for (size_t i = 0; i < s.size(); ++i) {
        char c = s[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != suffix[i]) return false;
    }
    return true;
}

}  // namespace norv::setup
