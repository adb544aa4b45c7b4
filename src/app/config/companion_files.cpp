// The location rule of the companion files and their first-run copies.
#include "app/config/companion_files.h"

#include <cstdlib>

#include "platform/paths.h"

namespace norv::app {

namespace {

std::string WithSlash(std::string folder) {
    if (folder.empty() || folder.back() != '/') folder.push_back('/');
    return folder;
}

std::string BaseName(std::string_view executablePath) {
    std::string name = platform::FileNameOf(executablePath);
    size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

// Creates a folder and the missing folders above it.
bool MakeFolders(platform::FileSystem& fs, const std::string& folder) {
    if (auto info = fs.Stat(folder)) return info->isDirectory;
    std::string parent = platform::FolderOf(folder.substr(0, folder.size() - 1));
    if (!parent.empty() && parent != folder && !MakeFolders(fs, parent)) return false;
    return fs.MakeFolder(folder.substr(0, folder.size() - 1));
}

// The system's program folders are never a portable install, even for root, who may write
// there: a packaged program keeps its settings per user.
bool IsSystemProgramFolder(std::string_view folder) {
    for (std::string_view f : {"/usr/bin/", "/bin/", "/usr/sbin/", "/sbin/", "/usr/local/bin/"})
        if (folder == f) return true;
    return false;
}

std::optional<std::string> Env(const char* name) {
    const char* v = std::getenv(name);
    if (!v || !*v) return std::nullopt;
    return std::string(v);
}

}  // namespace

CompanionEnvironment CompanionEnvironment::FromProcess() {
    CompanionEnvironment env;
    env.executablePath = platform::ExecutablePath();
    env.norvHome = Env("NORVHOME");
    env.xdgConfigHome = Env("XDG_CONFIG_HOME");
    env.home = Env("HOME").value_or("/");
    return env;
}

int WriteConfigFile(platform::FileSystem& fs, const std::string& path, std::string_view data) {
    std::string target = fs.ResolveLinks(path);
    unsigned permissions = 0644;
    if (auto info = fs.Stat(target)) permissions = info->permissions & 07777u;
    return platform::WriteFileAtomically(fs, target, data, permissions);
}

std::string CompanionPathBeside(std::string_view executablePath, std::string_view extension) {
    return platform::FolderOf(executablePath) + BaseName(executablePath) + "." +
           std::string(extension);
}

CompanionFiles CompanionFiles::Locate(platform::FileSystem& fs, const CompanionEnvironment& env) {
    CompanionFiles files;
    files.baseName_ = BaseName(env.executablePath);
    files.executableFolder_ = platform::FolderOf(env.executablePath);
    if (env.norvHome && !env.norvHome->empty()) {
        files.folder_ = WithSlash(platform::ExpandHome(*env.norvHome));
        MakeFolders(fs, files.folder_);
        return files;
    }
    auto info = fs.Stat(files.executableFolder_);
    if (!files.executableFolder_.empty() && info && info->isDirectory && !info->readOnly &&
        !IsSystemProgramFolder(files.executableFolder_)) {
        files.folder_ = files.executableFolder_;
        return files;
    }
    // XDG_CONFIG_HOME counts only when it is an absolute path.
    std::string base =
        env.xdgConfigHome && !env.xdgConfigHome->empty() && env.xdgConfigHome->front() == '/'
            ? *env.xdgConfigHome
            : platform::JoinPath(env.home, ".config");
    files.folder_ = WithSlash(platform::JoinPath(base, "norv"));
    MakeFolders(fs, files.folder_);
    return files;
}

std::string CompanionFiles::PathOf(CompanionKind kind) const {
    return folder_ + baseName_ + "." + std::string(kCompanionExtensions[size_t(kind)]);
}

std::vector<std::string> CompanionFiles::TemplateCandidates(CompanionKind kind) const {
    if (kind != CompanionKind::kSettings && kind != CompanionKind::kKeywords &&
        kind != CompanionKind::kData)
        return {};
    std::string name =
        std::string(kTemplateBaseName) + "." + std::string(kCompanionExtensions[size_t(kind)]);
    return {executableFolder_ + name,
            platform::FullPath(executableFolder_ + "../share/norv/" + name)};
}

TemplateCopy CompanionFiles::CopyTemplateIfMissing(platform::FileSystem& fs,
                                                   CompanionKind kind) const {
    std::string target = PathOf(kind);
    if (fs.Stat(target)) return TemplateCopy::kPresent;
    for (const auto& candidate : TemplateCandidates(kind)) {
        std::string data;
        if (platform::ReadWholeFile(fs, candidate, data) != 0) continue;
        // A copy made by another starting instance in the meantime is kept.
        if (fs.Stat(target)) return TemplateCopy::kPresent;
        return WriteConfigFile(fs, target, data) == 0 ? TemplateCopy::kCopied
                                                      : TemplateCopy::kFailed;
    }
    return TemplateCopy::kNoTemplate;
}

}  // namespace norv::app
