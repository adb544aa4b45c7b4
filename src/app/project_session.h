// Projects and the workspace: the open documents frozen into a snapshot file and brought back.
//
// A project is a snapshot the user names (".prf") and reopens on demand; the workspace is the
// snapshot that Break leaves for the next start, deleted once it was read. Documents with no
// file or with unsaved changes are kept in temporary copies in the settings folder (each under
// a name no other copy uses, mode 0600), written in the document's code with its byte-order
// mark and line ends; the side file records how, and the real path of a modified document.
//
// Nothing is lost on a failure: a snapshot is written only once every copy is on disk, the
// snapshot and its side file go to temporary files that are renamed over the old ones only
// when both are complete, and copies that no snapshot names any more go after the rename. A
// failed write leaves the old snapshot, the documents open and modified, and says why. A file
// is checked whole before any document is closed for it.
//
// The decisions live here; the front end is the `ProjectHost` (windows, dialogs, the end of
// the program).
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "app/config/settings.h"
#include "app/config/settings_store.h"
#include "app/session.h"
#include "app/snapshot.h"
#include "document/document.h"
#include "platform/file_system.h"
#include "platform/ui.h"

namespace norv::app {

inline constexpr std::string_view kSaveProjectQuestion = "Do you want to save the current project?";
inline constexpr std::string_view kProjectFilter = "Project Files (*.prf)";
inline constexpr std::string_view kProjectSuffix = "prf";

// What a record keeps of a document's window and view.
struct DocumentViewState {
    WindowPlacement frame;
    int caretLine = 1;  // 1-based
    int tabWidth = 8;
    int wrapColumn = 80;
    bool autoIndent = false;
    bool dspcIndent = false;
    bool softTab = false;
    bool operator==(const DocumentViewState&) const = default;
};

// The stored settings of a record, a refused value (a tab width outside 1-64, a wrap column
// outside 1-4096, a flag other than 0 or 1) replaced by the profile's.
DocumentViewState StoredViewState(const SnapshotRecord& record, const DocumentViewState& profile);

class ProjectHost {
  public:
    virtual ~ProjectHost() = default;
    // The open documents in window order, each once.
    virtual std::vector<document::CElwDoc*> Documents() = 0;
    virtual DocumentViewState ViewStateOf(document::CElwDoc& doc) = 0;
    // What the document's file-type profile gives (for refused stored values).
    virtual DocumentViewState ProfileStateOf(document::CElwDoc& doc) = 0;
    virtual document::CElwDoc* ActiveDocument() = 0;
    virtual WindowPlacement MainPlacement() = 0;
    // The host ignores an empty placement and one that lies off every screen.
    virtual void RestoreMainPlacement(const WindowPlacement& placement) = 0;
    // Opens a file into a new window (the loader's messages shown); null when it could not.
    // `copy`: a temporary copy, not a file the user opened (no recent-file entry).
    virtual document::CElwDoc* OpenDocument(const std::string& path, document::CodeChoice choice,
                                            bool copy) = 0;
    // A document read from its copy now stands for its file (or is untitled again): its title,
    // type and views follow.
    virtual void Renamed(document::CElwDoc& doc) = 0;
    // The view's settings, the frame's placement, the caret line, then MakeMid.
    virtual void RestoreViewState(document::CElwDoc& doc, const DocumentViewState& state) = 0;
    virtual void ActivateDocument(document::CElwDoc& doc) = 0;
    // The project file dialog (filter kProjectFilter, suffix kProjectSuffix, the current
    // folder); empty when cancelled.
    virtual std::string AskProjectFile(bool forSaving) = 0;
    // Closes every document without asking and ends the program.
    virtual void EndProgram() = 0;
    // The current project changed (titles, menus).
    virtual void ProjectChanged() {}
    // A run of documents closed and opened one after another (a snapshot's reopening) begins,
    // and ends: what each closing and opening updates (the recent files, the menus) can be kept
    // and brought up to date once at the end.
    virtual void BatchBegins() {}
    virtual void BatchEnds() {}
};

class ProjectSession {
  public:
    // `workspace` is the workspace file's path; copies go to `settingsFolder` (with its "/").
    ProjectSession(ProjectHost& host, Session& session, platform::UserInterface& ui,
                   platform::FileSystem& fs, Settings& settings, SettingsStore* store,
                   std::string settingsFolder, std::string workspace);

    const std::string& currentProject() const { return project_; }
    bool ProjectOpen() const { return !project_.empty(); }
    const std::string& workspace() const { return workspace_; }

    // Writes the open documents' snapshot to `target`. A workspace that was not read yet keeps
    // its records (and their copies) ahead of the new ones. False (with a message) when any
    // copy or the snapshot could not be written, or more than 100 documents would go in.
    bool WriteSnapshot(const std::string& target, bool workspace);
    // Opens a project or the workspace: checked first, then every document closes the usual
    // way (false, nothing changed, when the user keeps one), then the records come back.
    bool OpenSnapshot(const std::string& path, bool workspace);

    // The start-up steps: a project named on the command line or by CurrProj, the workspace.
    bool OpenProject(const std::string& path) { return OpenSnapshot(path, false); }
    // False when there is no workspace or it was refused.
    bool RestoreWorkspace();

    // The commands; each returns whether it completed.
    bool LoadProject();
    bool SaveProjectAs();
    bool CloseProject();
    bool Break();
    // Closing step 5 with a project open: the question (SaveProject off) or the saves; the
    // project is forgotten. False when a save failed: the program stays.
    bool CloseOnExit();

    // The copies' names: the settings folder, "NorvCopy", a tag this function gives (random
    // unless a test sets it), a number, ".txt"; never the name of an existing file.
    std::function<std::string()> copyTag;

  private:
    bool SaveProjectNow();
    // Asks about the open project (or saves it without asking); false when the user cancelled
    // or a save failed.
    bool SettleOpenProject();
    std::string NewCopyName(std::vector<std::string>& taken);
    // A copy this program made: in the settings folder, under a copy's name.
    bool IsOwnCopy(const std::string& path) const;
    void ShowError(const std::string& text);
    void WriteCurrProj(const std::string& value);

    ProjectHost& host_;
    Session& session_;
    platform::UserInterface& ui_;
    platform::FileSystem& fs_;
    Settings& settings_;
    SettingsStore* store_;
    std::string folder_;
    std::string workspace_;
    std::string project_;
    unsigned copyCounter_ = 0;
};

// Reads a snapshot and its side file, checked whole; a message text on refusal.
std::optional<Snapshot> ReadSnapshotFile(platform::FileSystem& fs, const std::string& path,
                                         std::string* message);

}  // namespace norv::app
