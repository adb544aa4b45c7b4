// The uninstall steps and the self-removal.
#include "setup/uninstaller.h"

#include <stdlib.h>

#include <algorithm>

#include "platform/paths.h"
#include "platform/process_start.h"
#include "setup/folder_ops.h"
#include "setup/install_record.h"
#include "setup/installer.h"

namespace norv::setup {
namespace {

// Bounds of the walk for files left in the install folder.
constexpr int kMaxDepth = 32;
constexpr size_t kMaxLeftovers = 10000;

bool IsInside(std::string_view path, std::string_view folder) {
    return path.size() > folder.size() && path.substr(0, folder.size()) == folder;
}

// The file matches what setup wrote.
bool Unchanged(platform::FileSystem& fs, const RecordedFile& f) {
    std::optional<platform::FileInfo> info = fs.Stat(f.path);
    if (!info || !info->isRegular || info->size != f.size) return false;
    std::optional<RecordedFile> now = HashFile(fs, f.path);
    return now && now->size == f.size && !now->sha256.empty() && now->sha256 == f.sha256;
}

void CollectLeftovers(platform::FileSystem& fs, const std::string& folder, int depth,
                      const std::string& program, std::vector<std::string>& out) {
    if (depth > kMaxDepth) return;
    for (const std::string& name : fs.ListFolder(folder)) {
        if (out.size() >= kMaxLeftovers) return;
        std::string path = folder + name;
        std::optional<platform::FileInfo> info = fs.Stat(path);
        if (info && info->isDirectory && !info->isLink)
            CollectLeftovers(fs, path + "/", depth + 1, program, out);
        else if (path != program)
            out.push_back(path);
    }
}

std::string ShownMessage(const SetupSession& s) {
    std::string text = s.inf.uninstMessage.empty()
                           ? std::string(s.Text(TextId::kUninstalledDefault))
                           : s.inf.uninstMessage;
    for (char& c : text)
        if (c == '\\') c = '\n';
    return text;
}

}  // namespace

UninstallOutcome Uninstall(SetupSession& s, SelfRemoval& removal) {
    using namespace platform;
    if (s.ui.MessageBox(s.Text(TextId::kUninstallQuestion), mb::kOkCancel | mb::kIconQuestion) !=
        kIdOk)
        return UninstallOutcome::kCancelled;
    std::string recordPath = s.env.RecordPath(s.inf);
    std::string text;
    std::optional<InstallRecord> record;
    if (ReadWholeFile(s.fs, recordPath, text) == 0) record = ReadRecordText(text);
    const std::string here = s.SourceFolder();
    if (!record || !SameFolder(s.fs, record->target, here)) {
        s.ui.MessageBox(s.Text(TextId::kNotInstalledHere), mb::kOk | mb::kIconWarning);
        return UninstallOutcome::kNotInstalled;
    }
    // From here on every path is taken below the folder setup runs from, which is the target.
    const std::string apps = s.env.ApplicationsFolder();
    const std::string program = here + FileNameOf(s.programPath);
    if (!record->mimePackage.empty() && IsInside(record->mimePackage, record->target))
        s.tools.Run({"xdg-mime", "uninstall", "--mode", s.env.systemMode ? "system" : "user",
                     record->mimePackage});

    std::vector<std::string> kept;
    for (const RecordedFile& f : record->files) {
        std::string path = f.path;
        if (IsInside(path, record->target))
            path = here + path.substr(record->target.size());
        else if (!IsInside(path, apps) || path.find("/../") != std::string::npos)
            continue;  // not a place setup writes to
        if (path == program || !s.fs.Stat(path)) continue;
        RecordedFile local = f;
        local.path = path;
        if (Unchanged(s.fs, local))
            s.fs.Remove(path);
        else
            kept.push_back(path);
    }
    for (const std::string& name : s.inf.files)
        if (EndsWithNoCase(name, ".hlp")) s.fs.Remove(here + WithoutExtension(name) + ".gid");
    CollectLeftovers(s.fs, here, 0, program, kept);

    s.fs.Remove(recordPath);
    std::vector<std::string> folders;
    for (const std::string& f : record->folders)  // the target may have been named by a link
        folders.push_back(f.rfind(record->target, 0) == 0 ? here + f.substr(record->target.size())
                                                          : f);
    folders.push_back(s.env.RecordFolder(s.inf));
    folders.push_back(s.env.DataFolder() + s.inf.vender + "/");
    std::string config = s.env.ConfigFolder() + s.inf.vender + "/";
    folders.push_back(config + s.inf.appTitle + "/");
    folders.push_back(config);
    folders.push_back(here);
    if (SameFolder(s.fs, here, s.env.DefaultTarget(s.inf)))
        folders.push_back(FolderOf(here.substr(0, here.size() - 1)));  // the <Vender> folder
    s.tools.Run({"update-desktop-database", apps});
    // A folder of entries that setup made and that now holds only the tool's cache goes too.
    if (std::find(folders.begin(), folders.end(), apps) != folders.end()) {
        std::vector<std::string> names = s.fs.ListFolder(apps);
        if (names.size() == 1 && names.front() == "mimeinfo.cache")
            s.fs.Remove(apps + "mimeinfo.cache");
    }
    folders = DeepestFirst(std::move(folders));
    for (const std::string& f : folders)
        if (!IsInside(program, f)) RemoveEmptyFolder(f);

    std::string message = ShownMessage(s);
    if (!kept.empty()) {
        message += "\n\n" + std::string(s.Text(TextId::kKept));
        for (size_t i = 0; i < kept.size() && i < kMaxNamedFiles; ++i) message += "\n" + kept[i];
        if (kept.size() > kMaxNamedFiles)
            message += "\n" + FillIn(s.Text(TextId::kAndMore),
                                     {std::to_string(kept.size() - kMaxNamedFiles)});
    }
    s.ui.MessageBox(message, mb::kOk | mb::kIconInformation);
    removal.program = program;
    removal.folders.clear();
    for (const std::string& f : folders)
        if (IsInside(program, f)) removal.folders.push_back(f);
    return UninstallOutcome::kDone;
}

bool StartSelfRemoval(platform::FileSystem& fs, const std::string& tmpDir,
                      const SelfRemoval& removal) {
    std::string folder = tmpDir;
    if (folder.empty() || folder.back() != '/') folder.push_back('/');
    folder += "norv-setup-XXXXXX";
    if (!mkdtemp(folder.data())) return false;
    std::string script = folder + "/DelUS.sh";
    if (ReplaceFile(fs, script, kDelUsScript, 0700) != 0) {
        RemoveEmptyFolder(folder);
        return false;
    }
    std::vector<std::string> argv{"/bin/sh", script, removal.program};
    argv.insert(argv.end(), removal.folders.begin(), removal.folders.end());
    platform::StartOutcome started = platform::StartDetached(argv);
    if (started.kind == platform::StartOutcome::Kind::kNotStarted) {
        fs.Remove(script);
        RemoveEmptyFolder(folder);
        return false;
    }
    return true;
}

}  // namespace norv::setup
