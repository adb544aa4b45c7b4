// The install steps.
#include "setup/installer.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "platform/paths.h"
#include "setup/folder_ops.h"
#include "setup/install_record.h"

namespace norv::setup {
namespace {

struct Failure {
    std::string path;
    int error;
};

// The work of one install: the record as it grows and the failures met so far.
class InstallRun {
  public:
    InstallRun(SetupSession& s, std::string target) : s_(s), target_(std::move(target)) {
        recordPath_ = s_.env.RecordPath(s_.inf);
        std::string old;
        if (platform::ReadWholeFile(s_.fs, recordPath_, old) == 0)
            if (std::optional<InstallRecord> previous = ReadRecordText(old);
                previous && previous->target == target_)
                record_ = std::move(*previous);  // files kept from the last install stay known
        record_.target = target_;
    }

    bool MakeTarget() {
        std::vector<std::string> made;
        FolderFailure failure;
        bool ok = MakeFolders(s_.fs, target_, made, &failure);
        for (std::string& f : made) record_.AddFolder(std::move(f));
        if (!ok) {
            s_.ui.MessageBox(FillIn(s_.Text(TextId::kCannotMakeFolder),
                                    {failure.prefix, std::strerror(failure.error)}),
                             platform::mb::kOk | platform::mb::kIconError);
            // What was made of the path goes again; nothing else was written.
            for (const std::string& f : DeepestFirst(record_.folders)) RemoveEmptyFolder(f);
            return false;
        }
        // Every other folder is made now, so that the first record already names them all.
        MakeRecordedFolder(s_.env.RecordFolder(s_.inf));
        if (!s_.inf.uninstMessage.empty() || (!s_.inf.sendTo.empty() && !s_.inf.files.empty()))
            appsOk_ = MakeRecordedFolder(s_.env.ApplicationsFolder());
        std::string source = s_.SourceFolder();
        for (const std::string& name : s_.inf.files)
            if (name.find('/') != std::string::npos && s_.fs.Stat(source + name))
                MakeRecordedFolder(platform::FolderOf(target_ + name));
        SaveRecord();
        return true;
    }

    // Copies one file; `listed` files obey the rule of settings and keyword files.
    void CopyOne(const std::string& source, const std::string& name, bool listed) {
        std::string dest = target_ + name;
        std::optional<platform::FileInfo> info = s_.fs.Stat(source);
        if (!info || !info->isRegular) return;  // a missing source is skipped silently
        if (listed && (EndsWithNoCase(name, ".ini") || EndsWithNoCase(name, ".kwd")) &&
            s_.fs.Stat(dest))
            return;  // the user's settings and keywords are never overwritten
        if (std::optional<platform::FileInfo> folder = s_.fs.Stat(platform::FolderOf(dest));
            !folder || !folder->isDirectory) {
            failures_.push_back({dest, ENOENT});  // its folder could not be made (named above)
            return;
        }
        int error = CopyRecorded(source, dest, info->permissions & 0777);
        if (error && (info->permissions & 0111)) {
            s_.ui.MessageBox(FillIn(s_.Text(TextId::kCopyFailedFormat),
                                    {s_.Text(TextId::kCopyFailed), dest, std::to_string(error)}),
                             platform::mb::kOk | platform::mb::kIconError);
        }
    }

    // Writes a desktop entry; a failure shows the designed message.
    void WriteEntry(const std::string& path, const DesktopEntry& entry) {
        if (WriteRecorded(path, DesktopEntryText(entry), 0644))
            s_.ui.MessageBox(s_.Text(TextId::kSaveFailed),
                             platform::mb::kOk | platform::mb::kIconError);
    }

    void Register() {
        const SetupInf& inf = s_.inf;
        std::string apps = s_.env.ApplicationsFolder();
        bool appsOk = appsOk_;
        if (!appsOk && (!inf.uninstMessage.empty() || (!inf.sendTo.empty() && !inf.files.empty())))
            s_.ui.MessageBox(s_.Text(TextId::kSaveFailed),
                             platform::mb::kOk | platform::mb::kIconError);
        // An uninstall entry is only made for a setup that can run from the target: without
        // itself or its INF there it would end at once.
        bool uninstaller = s_.fs.Stat(target_ + platform::FileNameOf(s_.programPath)) &&
                           s_.fs.Stat(target_ + platform::FileNameOf(s_.infPath));
        if (appsOk && !inf.uninstMessage.empty() && uninstaller) {
            DesktopEntry e;
            e.name = inf.product.empty() ? inf.appTitle : inf.product;
            e.program = target_ + platform::FileNameOf(s_.programPath);
            e.args = s_.env.userByChoice ? "u --user" : "u";
            e.categories = "Settings;";
            WriteEntry(apps + UninstallEntryName(inf), e);
        }
        if (appsOk && !inf.sendTo.empty() && !inf.files.empty()) {
            DesktopEntry e;
            e.name = inf.sendTo;
            e.program = target_ + inf.files.front();
            e.args = "%F";
            e.mimeTypes = "text/plain;" + ExtraTypes();
            e.icon = IconPath();
            e.categories = "Utility;";
            WriteEntry(apps + SendToEntryName(inf), e);
        }
        if (!inf.mimeInfo.empty() && s_.fs.Stat(target_ + inf.mimeInfo)) {
            record_.mimePackage = target_ + inf.mimeInfo;
            SaveRecord();
            s_.tools.Run({"xdg-mime", "install", "--mode", s_.env.systemMode ? "system" : "user",
                          "--novendor", record_.mimePackage});
        }
        if (s_.fs.Stat(apps)) s_.tools.Run({"update-desktop-database", apps});
        SaveRecord();
    }

    void Finish() {
        // Without any record nothing could take the folders away again, and nothing was
        // written into them: they go now.
        if (!recordSaved_)
            for (const std::string& f : DeepestFirst(record_.folders)) RemoveEmptyFolder(f);
        if (s_.openFolderAtEnd) s_.tools.OpenFolder(target_);
        if (failures_.empty()) {
            s_.ui.MessageBox(s_.Text(TextId::kComplete),
                             platform::mb::kOk | platform::mb::kIconInformation);
            return;
        }
        std::string text(s_.Text(TextId::kNotWritten));
        for (size_t i = 0; i < failures_.size() && i < kMaxNamedFiles; ++i)
            text += "\n" + failures_[i].path + ": " + std::strerror(failures_[i].error);
        if (failures_.size() > kMaxNamedFiles)
            text += "\n" + FillIn(s_.Text(TextId::kAndMore),
                                  {std::to_string(failures_.size() - kMaxNamedFiles)});
        s_.ui.MessageBox(text, platform::mb::kOk | platform::mb::kIconWarning);
    }

    bool Failed() const { return !failures_.empty(); }

  private:
    bool MakeRecordedFolder(const std::string& folder) {
        std::vector<std::string> made;
        FolderFailure failure;
        bool ok = MakeFolders(s_.fs, folder, made, &failure);
        for (std::string& f : made) record_.AddFolder(std::move(f));
        if (!ok) failures_.push_back({failure.prefix, failure.error});
        return ok;
    }

    // The record names a file before it takes its name, so a later uninstall knows it whatever
    // happens to this run; a failed write puts the file's earlier entry back.
    int WriteRecorded(const std::string& dest, std::string_view data, unsigned permissions) {
        std::optional<RecordedFile> earlier;
        if (const RecordedFile* f = record_.Find(dest)) earlier = *f;
        record_.Put({dest, data.size(), Sha256Hex(data)});
        int error = SaveRecord();
        if (error == 0) error = ReplaceFile(s_.fs, dest, data, permissions);
        if (error) {
            failures_.push_back({dest, error});
            if (earlier) record_.Put(*earlier);
        }
        return error;
    }

    // A listed file is copied in blocks to a temporary name beside its place, hashed on the
    // way; the record is saved with the new checksum, then the copy is renamed into place.
    int CopyRecorded(const std::string& source, const std::string& dest, unsigned permissions) {
        std::string temp = TempNameOf(dest);
        RecordedFile copied{dest, 0, ""};
        int error = CopyToTemp(source, temp, permissions, copied);
        std::optional<RecordedFile> earlier;
        if (const RecordedFile* f = record_.Find(dest)) earlier = *f;
        if (!error) {
            record_.Put(copied);
            error = SaveRecord();
        }
        if (!error && !s_.fs.Rename(temp, dest)) error = errno ? errno : EIO;
        if (error) {
            s_.fs.Remove(temp);
            failures_.push_back({dest, error});
            if (earlier) record_.Put(*earlier);
        }
        return error;
    }

    int CopyToTemp(const std::string& source, const std::string& temp, unsigned permissions,
                   RecordedFile& copied) {
        int error = 0;
        std::unique_ptr<platform::InputFile> in = s_.fs.OpenRead(source, &error);
        if (!in) return error ? error : EIO;
        s_.fs.Remove(temp);
        std::unique_ptr<platform::OutputFile> out =
            s_.fs.OpenWrite(temp, platform::WriteMode::kCreateNew, permissions, &error);
        if (!out) return error ? error : EIO;
        Sha256Stream hash;
        std::vector<char> block(1u << 20);
        for (;;) {
            long n = in->Read(block.data(), block.size());
            if (n < 0) return in->LastError() ? in->LastError() : EIO;
            if (n == 0) break;
            if (!out->Write(block.data(), static_cast<size_t>(n)))
                return out->LastError() ? out->LastError() : EIO;
            hash.Add(block.data(), static_cast<size_t>(n));
            copied.size += static_cast<uint64_t>(n);
        }
        if (!out->Close()) return out->LastError() ? out->LastError() : EIO;
        // The mode is the source's, whatever the umask took away when the file was made.
        ::chmod(temp.c_str(), static_cast<mode_t>(permissions));
        copied.sha256 = hash.Finish();
        return 0;
    }

    int SaveRecord() {
        int error = ReplaceFile(s_.fs, recordPath_, WriteRecordText(record_), 0644);
        if (!error) recordSaved_ = true;
        if (error && !recordFailed_) {
            recordFailed_ = true;  // named once, however often it fails
            failures_.push_back({recordPath_, error});
        }
        return error;
    }

    std::string ExtraTypes() const {
        std::string out;
        std::string_view types = s_.inf.mimeTypes;
        while (!types.empty()) {
            size_t semi = types.find(';');
            std::string_view t = types.substr(0, semi);
            types = semi == std::string_view::npos ? std::string_view() : types.substr(semi + 1);
            while (!t.empty() && (t.front() == ' ' || t.front() == '\t')) t.remove_prefix(1);
            while (!t.empty() && (t.back() == ' ' || t.back() == '\t')) t.remove_suffix(1);
            if (!t.empty() && t != "text/plain") out += std::string(t) + ";";
        }
        return out;
    }

    // A listed picture named like the first file ("norv" -> "norv.svg" or "norv.png").
    std::string IconPath() const {
        std::string stem = platform::WithoutExtension(platform::FileNameOf(s_.inf.files.front()));
        for (const std::string& f : s_.inf.files) {
            std::string name = platform::FileNameOf(f);
            if ((name == stem + ".svg" || name == stem + ".png") && s_.fs.Stat(target_ + f))
                return target_ + f;
        }
        return "";
    }

    SetupSession& s_;
    std::string target_;
    std::string recordPath_;
    InstallRecord record_;
    std::vector<Failure> failures_;
    bool recordFailed_ = false;
    bool recordSaved_ = false;
    bool appsOk_ = false;
};

}  // namespace

std::string SetupSession::SourceFolder() const {
    return platform::FolderOf(programPath);
}

std::string NormalizeTarget(std::string_view typed) {
    std::string path = platform::FullPath(typed);
    if (path.empty() || path.back() != '/') path.push_back('/');
    return path;
}

std::string TempNameOf(const std::string& path) {
    return platform::FolderOf(path) + "." + platform::FileNameOf(path) + ".setup-new";
}

int ReplaceFile(platform::FileSystem& fs, const std::string& path, std::string_view data,
                unsigned permissions) {
    std::string temp = TempNameOf(path);
    fs.Remove(temp);
    int error = 0;
    auto out = fs.OpenWrite(temp, platform::WriteMode::kCreateNew, permissions, &error);
    if (!out) return error ? error : EIO;
    bool ok = out->Write(data.data(), data.size());
    error = ok ? 0 : out->LastError();
    if (!out->Close() && ok) {
        ok = false;
        error = out->LastError();
    }
    // No sync per file: a rename over the old file has its data flushed first by the file
    // systems Debian installs on, and syncing every file would make installing slower than
    // copying for nothing.
    if (ok && !fs.Rename(temp, path)) {
        ok = false;
        error = errno;
    }
    if (!ok) {
        fs.Remove(temp);
        return error ? error : EIO;
    }
    return 0;
}

InstallOutcome Install(SetupSession& session, std::string target, InstallProgress& progress) {
    if (target.empty() || target.back() != '/') target.push_back('/');
    const SetupInf& inf = session.inf;
    progress.Begin(static_cast<int>(inf.files.size()) + 2);
    InstallRun run(session, target);
    if (!run.MakeTarget()) return InstallOutcome::kFolderFailed;
    std::string source = session.SourceFolder();
    for (const std::string& name : inf.files) {
        run.CopyOne(source + name, name, true);
        progress.Advance();
    }
    run.CopyOne(session.infPath, platform::FileNameOf(session.infPath), false);
    progress.Advance();
    run.CopyOne(session.programPath, platform::FileNameOf(session.programPath), false);
    progress.Advance();
    progress.HideWindow();
    run.Register();
    run.Finish();
    return run.Failed() ? InstallOutcome::kFailures : InstallOutcome::kDone;
}

}  // namespace norv::setup
