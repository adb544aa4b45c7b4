// Writing and opening snapshots, and the project commands.
#include "app/project_session.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <random>

#include "app/config/preference_table.h"
#include "app/config/profiles.h"
#include "document/file_decoder.h"
#include "document/text_copy.h"
#include "platform/paths.h"

namespace norv::app {
namespace {

constexpr unsigned kPrivate = 0600;
constexpr const char* kCopyPrefix = "NorvCopy";

bool KnownCode(int code) {
    using document::TextCode;
    for (TextCode c : {TextCode::kAnsi, TextCode::kEuc, TextCode::kJis, TextCode::kUcs2Le,
                       TextCode::kUcs2Be, TextCode::kUtf8})
        if (static_cast<int>(c) == code) return true;
    return false;
}

int32_t TypeCodeOfDocument(const document::CElwDoc& doc) {
    return doc.typeCode == ' ' ? 0 : static_cast<unsigned char>(doc.typeCode);
}

// Writes `data` to `temp` whole and synced; 0 or the system error number.
int WriteTemporary(platform::FileSystem& fs, const std::string& temp, std::string_view data) {
    fs.Remove(temp);
    int error = 0;
    std::unique_ptr<platform::OutputFile> out =
        fs.OpenWrite(temp, platform::WriteMode::kCreateNew, kPrivate, &error);
    if (!out) return error ? error : EIO;
    bool ok = out->Write(data.data(), data.size()) && out->Sync();
    if (!ok) error = out->LastError();
    ok = out->Close() && ok;
    if (ok) return 0;
    if (!error) error = out->LastError();
    fs.Remove(temp);
    return error ? error : EIO;
}

std::string ErrorText(int error) {
    return error ? std::string(std::strerror(error)) : std::string("unknown error");
}

}  // namespace

DocumentViewState StoredViewState(const SnapshotRecord& r, const DocumentViewState& profile) {
    DocumentViewState s = profile;
    s.frame = r.frame;
    s.caretLine = r.caretLine >= 1 ? r.caretLine : 1;
    // The same ranges as the File Types page stores.
    if (RangeOf(Key::DefaultTAB).Holds(r.tabWidth)) s.tabWidth = r.tabWidth;
    if (RangeOf(Key::DefaultColumn).Holds(r.wrapColumn)) s.wrapColumn = r.wrapColumn;
    auto flag = [](int32_t v, bool& out) {
        if (v == 0 || v == 1) out = v == 1;
    };
    flag(r.autoIndent, s.autoIndent);
    flag(r.dspcIndent, s.dspcIndent);
    flag(r.softTab, s.softTab);
    return s;
}

std::optional<Snapshot> ReadSnapshotFile(platform::FileSystem& fs, const std::string& path,
                                         std::string* message) {
    auto refuse = [&](const std::string& text) -> std::optional<Snapshot> {
        if (message) *message = text;
        return std::nullopt;
    };
    const std::optional<platform::FileInfo> info = fs.Stat(path);
    if (!info) return refuse("Cannot find the project file " + path + ".");
    if (!info->isRegular)
        return refuse(path + " is not a project file (it is not a regular file).");
    // The size is looked at before a byte is read: a huge file is refused, not loaded.
    if (info->size < kSnapshotHeaderBytes)
        return refuse(SnapshotErrorText(SnapshotError::kTooSmall, path));
    if (info->size > kSnapshotMaxBytes)
        return refuse(SnapshotErrorText(SnapshotError::kTooLarge, path));
    std::string bytes;
    if (int error = platform::ReadWholeFile(fs, path, bytes))
        return refuse("Cannot read the project file " + path + ": " + ErrorText(error) + ".");
    SnapshotError why = SnapshotError::kNone;
    std::optional<Snapshot> s = ParseSnapshot(bytes, &why);
    if (!s) return refuse(SnapshotErrorText(why, path));
    std::string side;
    const std::string sidePath = SideFilePath(path);
    if (const auto sideInfo = fs.Stat(sidePath); sideInfo && sideInfo->isRegular &&
                                                 sideInfo->size <= 4u << 20 &&
                                                 platform::ReadWholeFile(fs, sidePath, side) == 0)
        ApplySideFile(side, *s, bytes);
    return s;
}

ProjectSession::ProjectSession(ProjectHost& host, Session& session, platform::UserInterface& ui,
                               platform::FileSystem& fs, Settings& settings, SettingsStore* store,
                               std::string settingsFolder, std::string workspace)
    : host_(host),
      session_(session),
      ui_(ui),
      fs_(fs),
      settings_(settings),
      store_(store),
      folder_(std::move(settingsFolder)),
      workspace_(std::move(workspace)) {
    if (!folder_.empty() && folder_.back() != '/') folder_ += '/';
}

void ProjectSession::ShowError(const std::string& text) {
    ui_.MessageBox(text, platform::mb::kOk | platform::mb::kIconError);
}

void ProjectSession::WriteCurrProj(const std::string& value) {
    if (store_)
        settings_.Write(*store_, Key::CurrProj, value);
    else
        settings_.Set(Key::CurrProj, value);
}

bool ProjectSession::IsOwnCopy(const std::string& path) const {
    return platform::FolderOf(path) == folder_ &&
           platform::FileNameOf(path).rfind(kCopyPrefix, 0) == 0;
}

std::string ProjectSession::NewCopyName(std::vector<std::string>& taken) {
    if (!copyTag) {
        std::random_device rd;
        const unsigned seed = rd() ^ static_cast<unsigned>(getpid());
        copyTag = [tag = std::to_string(seed % 1000000000u)] { return tag; };
    }
    for (;;) {
        const std::string name =
            folder_ + kCopyPrefix + copyTag() + "_" + std::to_string(++copyCounter_) + ".txt";
        if (std::find(taken.begin(), taken.end(), name) != taken.end()) continue;
        if (fs_.Stat(name) || fs_.Stat(name + ".part")) continue;
        taken.push_back(name);
        return name;
    }
}

bool ProjectSession::WriteSnapshot(const std::string& target, bool workspace) {
    // What the file holds now: a workspace nobody read keeps its records; the copies of the
    // old snapshot that the new one does not name go once it is replaced.
    std::optional<Snapshot> old;
    if (fs_.Stat(target)) old = ReadSnapshotFile(fs_, target, nullptr);
    Snapshot s;
    if (workspace && old) s.records = old->records;
    const size_t kept = s.records.size();
    const std::vector<document::CElwDoc*> docs = host_.Documents();
    if (kept + docs.size() > size_t(kSnapshotMaxRecords)) {
        ShowError(SnapshotErrorText(SnapshotError::kTooManyRecords, target));
        return false;
    }
    std::vector<std::string> made;
    auto drop = [&] {
        for (const std::string& m : made) fs_.Remove(m);
    };
    // The copies are synced together once all are written, and before the snapshot is.
    document::TextCopyBatch copies;
    std::vector<std::string> copyNames;
    document::CElwDoc* active = host_.ActiveDocument();
    s.active = 0;
    for (document::CElwDoc* doc : docs) {
        const DocumentViewState v = host_.ViewStateOf(*doc);
        SnapshotRecord r;
        r.path = doc->path;
        r.frame = v.frame;
        r.caretLine = v.caretLine;
        r.typeCode = TypeCodeOfDocument(*doc);
        r.tabWidth = v.tabWidth;
        r.wrapColumn = v.wrapColumn;
        r.autoIndent = v.autoIndent;
        r.dspcIndent = v.dspcIndent;
        r.softTab = v.softTab;
        if (doc->path.empty() || doc->modified) {
            std::vector<std::string> taken = made;
            if (old)
                for (const SnapshotRecord& o : old->records) taken.push_back(o.copyPath);
            r.temporaryCopy = 1;
            r.copyPath = NewCopyName(taken);
            if (int error = copies.Add(*doc, r.copyPath, kPrivate)) {
                drop();
                ShowError("Cannot write a copy of " + DocumentName(*doc) + " to " + r.copyPath +
                          ": " + ErrorText(error) + ".\nNothing was written to " + target + ".");
                return false;
            }
            made.push_back(r.copyPath);
            copyNames.push_back(DocumentName(*doc));
            r.copyFormat = CopyFormat{static_cast<int>(doc->code), static_cast<int>(doc->saveCode),
                                      doc->bom, static_cast<int>(doc->eolMode)};
        }
        if (doc == active) s.active = static_cast<int32_t>(s.records.size());
        s.records.push_back(std::move(r));
    }
    s.frame = host_.MainPlacement();
    s.folder = platform::CurrentFolder();
    SnapshotError why = SnapshotError::kNone;
    const std::optional<std::string> bytes = FormatSnapshot(s, &why);
    if (!bytes) {
        drop();
        ShowError(SnapshotErrorText(why, target));
        return false;
    }
    size_t failed = 0;
    if (int error = copies.Finish(&failed)) {
        drop();
        ShowError("Cannot write a copy of " + copyNames.at(failed) + " to " + made.at(failed) +
                  ": " + ErrorText(error) + ".\nNothing was written to " + target + ".");
        return false;
    }
    // Both files whole on disk before either replaces its old one.
    const std::string sidePath = SideFilePath(target);
    const std::string temp = target + ".part", sideTemp = sidePath + ".part";
    const bool side = NeedsSideFile(s);
    int error = 0;
    if (side) error = WriteTemporary(fs_, sideTemp, FormatSideFile(s, *bytes));
    if (!error) error = WriteTemporary(fs_, temp, *bytes);
    if (!error && side && !fs_.Rename(sideTemp, sidePath)) error = errno ? errno : EIO;
    if (!error && !fs_.Rename(temp, target)) error = errno ? errno : EIO;
    if (error) {
        fs_.Remove(temp);
        fs_.Remove(sideTemp);
        drop();
        ShowError("Cannot write the project file " + target + ": " + ErrorText(error) +
                  ".\nThe documents stay open as they are.");
        return false;
    }
    if (!side) fs_.Remove(sidePath);
    if (old)
        for (const SnapshotRecord& o : old->records) {
            if (!o.temporaryCopy || o.copyPath.empty()) continue;
            const bool named = std::any_of(s.records.begin(), s.records.end(), [&](const auto& r) {
                return r.temporaryCopy && r.copyPath == o.copyPath;
            });
            if (!named) fs_.Remove(o.copyPath);
        }
    return true;
}

bool ProjectSession::OpenSnapshot(const std::string& path, bool workspace) {
    std::string message;
    const std::optional<Snapshot> s = ReadSnapshotFile(fs_, path, &message);
    if (!s) {
        ShowError(message);
        return false;
    }
    struct Batch {
        ProjectHost& host;
        explicit Batch(ProjectHost& h) : host(h) { host.BatchBegins(); }
        ~Batch() { host.BatchEnds(); }
    } batch(host_);
    if (!session_.CloseAll()) return false;
    if (!workspace) {
        project_ = path;
        host_.ProjectChanged();
    }
    host_.RestoreMainPlacement(s->frame);
    if (!s->folder.empty()) {
        const auto info = fs_.Stat(s->folder);
        if (info && info->isDirectory) platform::ChangeCurrentFolder(s->folder);
    }
    document::CElwDoc* active = nullptr;
    for (size_t i = 0; i < s->records.size(); ++i) {
        document::CElwDoc* doc = nullptr;
        SnapshotRecord r = s->records[i];
        // Without its side file a record of a modified file names the file itself: that is
        // opened as the file, and only a copy of ours is ever read as one and deleted.
        if (r.temporaryCopy && r.path.empty() && !r.copyFormat && !IsOwnCopy(r.copyPath)) {
            r.path = r.copyPath;
            r.temporaryCopy = 0;
        }
        const bool copy = r.temporaryCopy && !r.copyPath.empty() && fs_.Stat(r.copyPath);
        if (copy) {
            const bool exact = r.copyFormat && KnownCode(r.copyFormat->code);
            const document::CodeChoice choice =
                exact ? document::ChoiceForCode(static_cast<document::TextCode>(r.copyFormat->code))
                      : document::CodeChoice::kDefault;
            doc = host_.OpenDocument(r.copyPath, choice, true);
            if (doc) {
                if (exact) {
                    const CopyFormat& f = *r.copyFormat;
                    // A text with nothing but ASCII reads as the plain code; the recorded one
                    // of the same family (the same bytes in memory) is given back.
                    const auto code = static_cast<document::TextCode>(f.code);
                    if (document::IsUnicodeFamily(code) == document::IsUnicodeFamily(doc->code))
                        doc->code = code;
                    if (f.saveCode == -1 || KnownCode(f.saveCode))
                        doc->saveCode = static_cast<document::TextCode>(f.saveCode);
                    doc->bom = f.bom;
                    if (f.eolMode >= -1 && f.eolMode <= 2) {
                        const auto mode = static_cast<document::EolMode>(f.eolMode);
                        if (mode != doc->eolMode) doc->eolModeFromFile = false;
                        doc->eolMode = mode;
                    }
                }
                // The document stands for its own file again (or is untitled), modified.
                doc->path = r.path;
                doc->fileTime = 0;
                doc->fileSize = 0;
                if (!r.path.empty())
                    if (const auto info = fs_.Stat(r.path)) {
                        doc->fileTime = info->lastWrite;
                        doc->fileSize = info->size;
                    }
                doc->title.clear();
                doc->readOnly = false;
                host_.Renamed(*doc);
                doc->modified = true;
                doc->UpdateTitle();
                fs_.Remove(r.copyPath);
            }
        } else if (!r.path.empty() && fs_.Stat(r.path)) {
            doc = host_.OpenDocument(r.path, document::CodeChoice::kDefault, false);
        } else {
            const std::string name = r.path.empty() ? r.copyPath : r.path;
            ui_.MessageBox(name.empty()
                               ? "A document of " + path + " has no file; it was left out."
                               : name + " cannot be found; it was left out of " + path + ".",
                           platform::mb::kOk | platform::mb::kIconWarning);
        }
        if (!doc) continue;
        if (r.typeCode == 0 || (r.typeCode > 0 && r.typeCode < 256 &&
                                ProfileOfTypeCode(static_cast<char>(r.typeCode))))
            doc->typeCode = r.typeCode == 0 ? ' ' : static_cast<char>(r.typeCode);
        DocumentViewState state = StoredViewState(r, host_.ProfileStateOf(*doc));
        state.caretLine = std::clamp(state.caretLine, 1, std::max(1, doc->lineCount()));
        host_.RestoreViewState(*doc, state);
        if (int32_t(i) == s->active) active = doc;
    }
    if (active) host_.ActivateDocument(*active);
    if (workspace) {
        fs_.Remove(path);
        fs_.Remove(SideFilePath(path));
    }
    return true;
}

bool ProjectSession::RestoreWorkspace() {
    if (workspace_.empty() || !fs_.Stat(workspace_)) return false;
    return OpenSnapshot(workspace_, true);
}

bool ProjectSession::SaveProjectNow() {
    if (!session_.SaveAll()) return false;
    return WriteSnapshot(project_, false);
}

bool ProjectSession::SettleOpenProject() {
    if (!ProjectOpen()) return true;
    if (settings_.Flag(Key::SaveProject)) return SaveProjectNow();
    const int answer = ui_.MessageBox(kSaveProjectQuestion,
                                      platform::mb::kYesNoCancel | platform::mb::kIconQuestion);
    if (answer == platform::kIdCancel) return false;
    if (answer == platform::kIdYes) return SaveProjectNow();
    return true;
}

bool ProjectSession::LoadProject() {
    if (!SettleOpenProject()) return false;
    const std::string path = host_.AskProjectFile(false);
    if (path.empty()) return false;
    return OpenSnapshot(path, false);
}

bool ProjectSession::SaveProjectAs() {
    const std::string path = host_.AskProjectFile(true);
    if (path.empty()) return false;
    // A document whose save fails or whose Save As is cancelled is kept by its copy.
    session_.SaveAll();
    if (!WriteSnapshot(path, false)) return false;
    project_ = path;
    host_.ProjectChanged();
    return true;
}

bool ProjectSession::CloseProject() {
    if (!ProjectOpen()) {
        ui_.Beep();
        return false;
    }
    if (!SettleOpenProject()) return false;
    if (!session_.CloseAll()) return false;
    project_.clear();
    host_.ProjectChanged();
    return true;
}

bool ProjectSession::Break() {
    const bool workspace = !ProjectOpen();
    if (!WriteSnapshot(workspace ? workspace_ : project_, workspace)) return false;
    WriteCurrProj(project_);
    project_.clear();
    host_.ProjectChanged();
    host_.EndProgram();
    return true;
}

bool ProjectSession::CloseOnExit() {
    if (!ProjectOpen()) return true;
    if (settings_.Flag(Key::SaveProject)) {
        if (!SaveProjectNow()) return false;
    } else {
        const int answer = ui_.MessageBox(kSaveProjectQuestion,
                                          platform::mb::kYesNo | platform::mb::kIconQuestion);
        if (answer == platform::kIdYes && !SaveProjectNow()) return false;
    }
    project_.clear();
    host_.ProjectChanged();
    return true;
}

}  // namespace norv::app
