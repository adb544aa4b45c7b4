// The editor as a process: the start-up sequence, the command line (at start-up and when another
// start hands its own over), the instances, resident mode with its tray icon, the one-second
// timer with auto-save, the recovery offer, and the steps of closing the main window.
//
// Start-up runs the steps of app::StartupSequence in their fixed order, a headless run the same
// list without the window's steps; this class supplies each step. Steps that belong to
// subsystems built elsewhere (projects and the workspace, resident and registered scripts, the
// bar layout) are hooks, so the order stays in one place.
#pragma once

#include <QObject>
#include <cstdint>
#include <ctime>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/config/companion_files.h"
#include "app/config/configuration.h"
#include "app/config/settings_store.h"
#include "app/startup_steps.h"
#include "document/auto_save.h"
#include "gui/services/instance_channel.h"

class QSystemTrayIcon;
class QTimer;

namespace norv::platform {
class HeadlessUi;
}

namespace norv::qt {

class MainFrame;
class FileDialogs;
class ScriptWiring;
class DocWindow;
class ProjectWiring;

class EditorApp;

// The steps that later subsystems fill. An unset hook is a step that does nothing yet.
struct StartupHooks {
    // Unset hooks of projects and the workspace are filled by the project wiring.
    // Opens a project or snapshot file; false when it could not be opened.
    std::function<bool(EditorApp&, const std::string& path)> openProject;
    // Brings back the workspace of the last Break; false when there is none.
    std::function<bool(EditorApp&)> restoreWorkspace;
    // Whether a project is open (closing then keeps the placement out of the settings).
    std::function<bool(EditorApp&)> projectOpen;
    // Closing with a project open: ask, save and forget it; false when a save failed (the
    // program then stays).
    std::function<bool(EditorApp&)> closeProject;
    // The resident script of TsrScript and the registered scripts that start with the program.
    std::function<void(EditorApp&)> startResidentScripts;
    // The timer event of the resident scripts (every second).
    std::function<void(EditorApp&)> residentTick;
    // The close event of the resident scripts.
    std::function<void(EditorApp&)> residentClose;
    // Saves the layout of the bars (closing, when the window is neither minimised nor hidden).
    std::function<void(EditorApp&)> saveBarLayout;
    // The type new documents of this run take (-T EXT, or ".HTML" for -H).
    std::function<void(EditorApp&, const std::string& extension)> newDocumentType;
    // Runs a script file (the -A option). Unset: the script interpreter runs it on its own.
    std::function<void(EditorApp&, const std::string& path)> runScript;
    // After the files of one command line were handled (start-up or handoff) and the commands
    // it posted have run.
    std::function<void(EditorApp&)> commandLineDone;
    // After another running copy's change was reloaded (settings, keywords, data and key files).
    std::function<void(EditorApp&)> settingsReloaded;
    // Told before each start-up step runs (tests; NORV_STARTUP_TRACE prints them).
    std::function<void(const app::StartupStepInfo&)> stepObserver;
};

struct OpenRequest;

// The arguments of the separate instance that NorvOpen starts on the files of the dialog.
std::vector<std::string> NorvOpenArguments(const OpenRequest& request);

class EditorApp : public QObject {
    Q_OBJECT

  public:
    EditorApp(StartupHooks hooks = {});
    ~EditorApp() override;

    // The whole program: returns the exit status.
    int Run(int argc, char** argv);

    MainFrame* frame() const { return frame_.get(); }
    // Scripts on the frame: RUN, -A and every other request to run a script by name.
    ScriptWiring* scripts() const;
    // Projects, the workspace and the recent files (from the frame's creation on).
    ProjectWiring* projects() const { return projects_; }
    app::Configuration& configuration() { return *config_; }
    app::SettingsStore& store() { return *store_; }
    const app::CompanionFiles& companions() const { return *companions_; }
    document::AutoSaver* autoSaver() const { return autoSaver_.get(); }
    uint16_t instanceValue() const { return instance_; }
    bool headless() const { return headless_; }
    // Set when this process runs as an extra instance.
    bool multipleInstance() const { return multiple_; }
    // Whether the main window counts as visible for another start: a resident window hidden
    // behind the tray (or minimised in its place) does not.
    bool MainWindowVisible() const;
    // The text shown for the operating system (from /etc/os-release).
    const std::string& systemName() const { return systemName_; }

    // Applies a command line handed over by another start.
    void ReceiveHandoff(const std::vector<std::string>& args, const std::string& folder);
    // Tells every other running instance to read the settings again.
    void NotifySettingsChanged();
    // The NorvOpen command: the open dialog, then a separate instance on the chosen files.
    bool OpenInNewInstance();
    // One tick of the one-second timer.
    void Tick();
    // The document of every window (a document in several windows more than once).
    std::vector<document::CElwDoc*> OpenDocuments() const;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    bool StartInstanceProtocol(const std::vector<std::string>& args);
    // The main frame, its bars and services, the instance server and the auto-saver.
    void CreateFrame();
    void LoadSettingsIntoFrame();
    int OfferRecovery();
    // Opens what a command line names; `atStartup` picks the empty-line rules of start-up.
    void ApplyCommandLine(const app::StartupOptions& options, bool emptyLine, bool atStartup);
    // `handedOver`: another start's command line (each file opened raises the ReOpen event).
    void OpenNamedFiles(const app::StartupOptions& options, bool handedOver);
    void OpenWildcard(const app::StartupOptions& options);
    bool OpenProject(const std::string& name);
    bool OpenPendingProject();
    void PostCommands(const app::StartupOptions& options);
    void NotifyCommandLineDone();
    void RunScript(const std::string& path);
    void ShowHiddenWindow();
    // The main window's rectangle from MainRect* (when one was stored).
    void RestorePlacement();
    void HideToTray();
    void SetUpTray();
    // The window's and the hooks' closing steps, for the session that runs them in order.
    void FillClosingSteps();
    // Closing the main window; false when the window stays (cancelled, or hidden in resident
    // mode).
    bool CloseMainWindow(QEvent* event);

    StartupHooks hooks_;
    std::unique_ptr<app::CompanionFiles> companions_;
    std::unique_ptr<app::SettingsStore> store_;
    std::unique_ptr<app::Configuration> config_;
    std::unique_ptr<platform::HeadlessUi> headlessUi_;
    std::unique_ptr<FileDialogs> headlessDialogs_;
    std::unique_ptr<MainFrame> frame_;
    // A run without windows: the command line's answers to its file dialogs and input boxes,
    // and what cancels every other dialog.
    std::deque<std::string> answers_;
    std::unique_ptr<QObject> dialogCanceller_;
    // The exit status the -A script leaves a run without windows (1 error, 130 Ctrl+Break).
    int scriptStatus_ = 0;
    std::unique_ptr<document::AutoSaver> autoSaver_;
    InstanceServer* server_ = nullptr;
    ProjectWiring* projects_ = nullptr;  // owned by the frame
    StartLock startLock_;
    QSystemTrayIcon* tray_ = nullptr;
    QTimer* timer_ = nullptr;
    std::string exePath_;
    std::string systemName_;
    std::string pendingProject_;  // the last -W, reopened by an empty handoff
    uint16_t instance_ = 0;
    bool headless_ = false;
    bool multiple_ = false;
    bool starting_ = false;
    bool residentHidden_ = false;
    bool openFailed_ = false;
    bool ending_ = false;
};

}  // namespace norv::qt
