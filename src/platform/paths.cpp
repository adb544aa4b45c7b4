// Path helpers over plain strings; only FullPath, the current folder and ExecutablePath ask the
// system.
#include "platform/paths.h"

#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace norv::platform {

std::string FolderOf(std::string_view path) {
    size_t slash = path.rfind('/');
    if (slash == std::string_view::npos) return {};
    return std::string(path.substr(0, slash + 1));
}

std::string FileNameOf(std::string_view path) {
    size_t slash = path.rfind('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string ExtensionOf(std::string_view path) {
    size_t slash = path.rfind('/');
    size_t start = slash == std::string_view::npos ? 0 : slash + 1;
    size_t dot = path.rfind('.');
    if (dot == std::string_view::npos || dot < start) return {};
    return std::string(path.substr(dot));
}

std::string WithoutExtension(std::string_view path) {
    return std::string(path.substr(0, path.size() - ExtensionOf(path).size()));
}

std::string JoinPath(std::string_view folder, std::string_view name) {
    if (folder.empty()) return std::string(name);
    std::string out(folder);
    bool folderSlash = out.back() == '/';
    bool nameSlash = !name.empty() && name.front() == '/';
    if (folderSlash && nameSlash)
        name.remove_prefix(1);
    else if (!folderSlash && !nameSlash)
        out.push_back('/');
    out.append(name);
    return out;
}

bool IsRelativePath(std::string_view path) {
    if (!path.empty() && path.front() == '/') return false;
    if (path == "~" || path.substr(0, 2) == "~/") return false;
    return true;
}

std::string ExpandHome(std::string_view path) {
    if (path != "~" && path.substr(0, 2) != "~/") return std::string(path);
    const char* home = std::getenv("HOME");
    std::string out = home ? home : "/";
    out.append(path.substr(1));
    return out;
}

std::string CurrentFolder() {
    std::vector<char> buf(4096);
    while (getcwd(buf.data(), buf.size()) == nullptr) {
        if (buf.size() > (1u << 20)) return "/";
        buf.resize(buf.size() * 2);
    }
    std::string out(buf.data());
    if (out.empty() || out.back() != '/') out.push_back('/');
    return out;
}

bool ChangeCurrentFolder(const std::string& folder) {
    return !folder.empty() && chdir(folder.c_str()) == 0;
}

std::string FullPath(std::string_view path) {
    std::string p = ExpandHome(path);
    if (IsRelativePath(p)) p = CurrentFolder() + p;
    std::vector<std::string_view> parts;
    std::string_view rest(p);
    while (!rest.empty()) {
        size_t slash = rest.find('/');
        std::string_view part = rest.substr(0, slash);
        rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
            continue;
        }
        parts.push_back(part);
    }
    std::string out;
    for (auto part : parts) {
        out.push_back('/');
        out.append(part);
    }
    if (out.empty())
        out.assign(1, '/');
    else if (p.back() == '/')
        out.push_back('/');
    return out;
}

std::string ExecutablePath() {
    std::vector<char> buf(4096);
    ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size() - 1);
    if (n <= 0) return {};
    return std::string(buf.data(), static_cast<size_t>(n));
}

}  // namespace norv::platform
