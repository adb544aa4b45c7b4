#include "document/backup.h"

#include <cstdio>

#include "platform/paths.h"

namespace norv::document {

std::string BackupGenerationName(const std::string& base, int generation) {
    std::string name = base;
    size_t slash = name.rfind('/');
    size_t start = slash == std::string::npos ? 0 : slash + 1;
    size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot < start)
        name += "._";
    else if (dot + 1 == name.size())
        name += "_";
    else
        name.resize(dot + 2);
    char num[16];
    std::snprintf(num, sizeof num, "%02d", generation);
    return name + num;
}

std::string ResolveSideFolder(platform::FileSystem& fs, const std::string& setting,
                              const std::string& documentPath, bool create) {
    std::string folder = setting;
    bool relative = folder.rfind("./", 0) == 0 || folder.rfind("../", 0) == 0 ||
                    platform::IsRelativePath(folder);
    if (relative) {
        folder = platform::JoinPath(platform::FolderOf(documentPath), folder);
        if (create) {
            std::string made = folder;
            while (made.size() > 1 && made.back() == '/') made.pop_back();
            fs.MakeFolder(made);
        }
    } else {
        folder = platform::ExpandHome(folder);
    }
    if (folder.empty() || folder.back() != '/') folder.push_back('/');
    return folder;
}

namespace {

// Moves `source` to generation `gen`, first shifting what stands there.
void Shift(platform::FileSystem& fs, const std::string& base, const std::string& source, int gen,
           int generations, bool keepSource) {
    std::string name = BackupGenerationName(base, gen);
    if (fs.Stat(name)) {
        if (gen < generations - 1 && gen < 100)
            Shift(fs, base, name, gen + 1, generations, false);
        else
            fs.Remove(name);
    }
    if (keepSource) {
        // The document stays where it is until the new text replaces it: a second name (or a
        // copy) keeps the old version, so a failed save loses nothing.
        if (!fs.Link(source, name)) platform::CopyFile(fs, source, name);
    } else {
        fs.Rename(source, name);
    }
}

}  // namespace

void MakeBackup(platform::FileSystem& fs, const std::string& documentPath, int generations,
                const std::string& folder, bool relCreate) {
    if (generations <= 0) return;
    if (folder.empty()) {
        Shift(fs, documentPath, documentPath, 1, generations, true);
        return;
    }
    std::string dir = ResolveSideFolder(fs, folder, documentPath, relCreate);
    std::string base = dir + platform::FileNameOf(documentPath);
    if (fs.Stat(base)) Shift(fs, base, base, 1, generations, false);
    platform::CopyFile(fs, documentPath, base);
}

}  // namespace norv::document
