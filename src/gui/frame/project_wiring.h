// Projects, the workspace and the recent files on the main frame: the frame commands
// LoadProject, SaveProjectAs, CloseProject, Break and OpenMRU, the recent files at the end of
// the File menu, the recent folders in the file dialogs, and the frame's windows as the
// project session's host.
#pragma once

#include <QObject>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "app/config/settings.h"
#include "app/config/settings_store.h"
#include "app/project_session.h"
#include "app/recent_files.h"

class QAction;
class QMenu;

namespace norv::qt {

class MainFrame;
class DocWindow;

// A child of the frame, made once the frame is: it lives as long as the frame.
class ProjectWiring : public QObject, public app::ProjectHost {
    Q_OBJECT

  public:
    // `settingsFolder` holds the copies; `workspace` and `history` are the companion files.
    ProjectWiring(MainFrame& frame, app::Settings& settings, app::SettingsStore* store,
                  const std::string& settingsFolder, const std::string& workspace,
                  const std::string& history, bool headless);
    ~ProjectWiring() override;

    app::ProjectSession& projects() { return *projects_; }
    app::RecentFiles& recent() { return recent_; }

    // Ends the program after Break (unset: the frame is closed).
    std::function<void()> endProgram;

    // Opens recent files as the dialog's OK does (missing ones say so).
    void OpenRecent(const std::vector<std::string>& paths);
    // The recent-files dialog; false when cancelled.
    bool ShowRecentFiles();
    // The entries of the File menu ("&1 path"...), rebuilt as the menu opens.
    void FillRecentMenu();

    // ProjectHost
    std::vector<document::CElwDoc*> Documents() override;
    app::DocumentViewState ViewStateOf(document::CElwDoc& doc) override;
    app::DocumentViewState ProfileStateOf(document::CElwDoc& doc) override;
    document::CElwDoc* ActiveDocument() override;
    app::WindowPlacement MainPlacement() override;
    void RestoreMainPlacement(const app::WindowPlacement& placement) override;
    document::CElwDoc* OpenDocument(const std::string& path, document::CodeChoice choice,
                                    bool copy) override;
    void Renamed(document::CElwDoc& doc) override;
    void RestoreViewState(document::CElwDoc& doc, const app::DocumentViewState& state) override;
    void ActivateDocument(document::CElwDoc& doc) override;
    std::string AskProjectFile(bool forSaving) override;
    void EndProgram() override;
    void ProjectChanged() override;
    void BatchBegins() override;
    void BatchEnds() override;

    static constexpr const char* kRecentEntryName = "recentEntry";

  private:
    DocWindow* WindowOf(document::CElwDoc& doc);
    void NoteOpened(DocWindow& w);
    void NoteRecent(const std::string& path);

    MainFrame& frame_;
    app::Settings& settings_;
    app::SettingsStore* store_;
    bool headless_;
    app::RecentFiles recent_;
    // During a run of documents closed and opened: the history file written once for them all.
    std::optional<app::RecentFiles::Hold> batch_;
    int batchDepth_ = 0;
    std::unique_ptr<app::ProjectSession> projects_;
    bool openingCopy_ = false;
    // The path each open document had when last seen, so a save under a new name is told.
    std::map<const document::CElwDoc*, std::string> known_;
    QMenu* fileMenu_ = nullptr;
    std::vector<QAction*> recentActions_;
};

}  // namespace norv::qt
