// The start-up sequence, handoffs between instances, resident mode, the timer and closing.
#include "gui/startup.h"

#include <unistd.h>

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QDropEvent>
#include <QIcon>
#include <QMdiArea>
#include <QMimeData>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <fstream>

#include "app/scripting/kept_scripts.h"
#include "app/startup_steps.h"
#include "editing/edit_view.h"
#include "gui/dialogs/file_dialogs.h"
#include "gui/editor/edit_widget.h"
#include "gui/frame/doc_window.h"
#include "gui/frame/find_wiring.h"
#include "gui/frame/grep_wiring.h"
#include "gui/frame/main_frame.h"
#include "gui/frame/project_wiring.h"
#include "gui/frame/script_wiring.h"
#include "gui/frame/shell_wiring.h"
#include "gui/frame/spell_wiring.h"
#include "platform/code_page.h"
#include "platform/fakes/headless_ui.h"
#include "platform/file_system.h"
#include "platform/paths.h"

namespace norv::qt {
namespace {

using app::Key;

constexpr const char* kVersion = "norv 0.1.0";
constexpr const char* kUsage =
    "usage: norv [OPTION]... [FILE]...\n"
    "Options are \"-\" and one letter, before the files:\n"
    "  -A SCRIPT   run SCRIPT after the files are open\n"
    "  -W PROJECT  open PROJECT (-M or -W asks for a separate instance)\n"
    "  -T EXT      new documents take the type of EXT;  -H  new documents are HTML\n"
    "  -J L[:C]    put the caret at line L, column C\n"
    "  -KS -KE -KJ read the files as Shift-JIS, EUC-JP or JIS\n"
    "  -V          read-only   -P  print preview   -G  find in files   -R  start hidden\n"
    "  --headless  run without a window;  --help  --version\n"
    "A file part with * or ? that names no file shows the Open dialog on that pattern.\n";
constexpr const char* kTrayTip = "Norv Text Editor";
// How long a start waits for another one that is still starting.
constexpr int kStartLockWaitMs = 5000;
// The environment variable that marks a process started as a separate instance.
constexpr const char* kMultiMarker = "MultiNorv";

// File dialogs of a run without windows: each takes the next answer of the command line
// (--answer=TEXT) as the file or folder chosen, and is cancelled when none is left.
class AnsweringDialogs : public FileDialogs {
  public:
    explicit AnsweringDialogs(std::deque<std::string>& answers) : answers_(answers) {}
    // An answer "extract:PATH" selects PATH and presses E&xtract: the destination chooser
    // takes the following answer, and the dialog then takes the next one again, a relative
    // name resolved against the folder it shows now.
    bool AskOpen(OpenRequest& request) override {
        std::string shown = request.folder;
        bool extracted = false;
        for (;;) {
            std::optional<std::string> a = Take();
            if (!a || a->empty()) return false;
            if (request.extract && a->rfind(kExtractAnswer, 0) == 0) {
                ExtractCalls calls;
                calls.chooseFolder = [this](const std::string&) -> std::optional<std::string> {
                    std::optional<std::string> folder = Take();
                    if (!folder || folder->empty()) return std::nullopt;
                    return folder;
                };
                calls.showOutput = [](const std::string& text) {
                    std::fwrite(text.data(), 1, text.size(), stderr);
                    if (!text.empty() && text.back() != '\n') std::fputc('\n', stderr);
                };
                const std::string archive =
                    InFolder(a->substr(std::string_view(kExtractAnswer).size()), shown);
                const std::string next = request.extract({archive}, shown, calls);
                if (!next.empty()) shown = next;
                extracted = true;
                continue;
            }
            request.paths = {extracted ? InFolder(*a, shown) : *a};
            return true;
        }
    }
    bool AskSaveAs(document::SaveAsRequest& request) override {
        std::optional<std::string> a = Take();
        if (!a || a->empty()) return false;
        request.name = *a;
        return true;
    }
    bool AskFolder(std::string& folder) override {
        std::optional<std::string> a = Take();
        if (!a || a->empty()) return false;
        folder = *a;
        return true;
    }
    // A key macro's script file: a relative name is in the folder the dialog starts in; Save
    // adds the suffix to a name without one, Open takes only a file that exists.
    bool AskScriptFile(app::MacroFileRequest& request) override {
        std::optional<std::string> a = Take();
        if (!a || a->empty()) return false;
        std::string path = InFolder(*a, request.folder);
        const size_t slash = path.rfind('/');
        const std::string_view leaf =
            std::string_view(path).substr(slash == std::string::npos ? 0 : slash + 1);
        if (request.save && leaf.find('.') == std::string_view::npos)
            path += "." + std::string(app::kMacroFileSuffix);
        if (!request.save && !platform::RealFileSystem().Stat(path)) return false;
        request.path = path;
        return true;
    }
    std::optional<std::string> Take() {
        if (answers_.empty()) return std::nullopt;
        std::string a = std::move(answers_.front());
        answers_.pop_front();
        return a;
    }

  private:
    static constexpr const char* kExtractAnswer = "extract:";
    // `name` as the dialog showing `folder` (empty: the current folder) takes it.
    static std::string InFolder(const std::string& name, const std::string& folder) {
        if (name.empty() || name.front() == '/') return name;
        std::string base = folder.empty() ? platform::CurrentFolder() : folder;
        if (!base.empty() && base.back() != '/') base += '/';
        return base + name;
    }
    std::deque<std::string>& answers_;
};

// In a run without windows every other dialog is cancelled as soon as it shows, so that no
// command waits for a person who is not there.
class DialogCanceller : public QObject {
  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show)
            if (auto* dialog = qobject_cast<QDialog*>(watched))
                QMetaObject::invokeMethod(dialog, &QDialog::reject, Qt::QueuedConnection);
        return QObject::eventFilter(watched, event);
    }
};

bool HasDisplay() {
    for (const char* v : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* s = std::getenv(v);
        if (s && *s) return true;
    }
    return false;
}

std::string SystemName() {
    std::ifstream in("/etc/os-release");
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("PRETTY_NAME=", 0) != 0) continue;
        std::string v = line.substr(12);
        if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'')) v = v.substr(1, v.size() - 2);
        return v;
    }
    return "Linux";
}

document::CodeChoice ForcedChoice(int forcedCode) {
    switch (forcedCode) {
        case 2:
            return document::CodeChoice::kAnsi;
        case 3:
            return document::CodeChoice::kEuc;
        case 4:
            return document::CodeChoice::kJis;
        default:
            return document::CodeChoice::kDefault;
    }
}

void SetCurrentFolder(const std::string& folder) {
    if (!folder.empty() && chdir(folder.c_str()) != 0) {
        // The folder is gone: relative names then resolve against the old one.
    }
}

// A command line handed over is options and names; an empty one (no one-letter option, no
// name) reopens the project or workspace instead.
bool IsEmptyLine(const std::vector<std::string>& args) {
    for (const auto& a : args)
        if (a != "--" && a.rfind("--", 0) != 0) return false;
    return true;
}

// The caret to a line (1-based) and a display column (0-based) of it; a column inside a tab or
// a double-byte character means that character, one beyond the line's end its end.
void JumpTo(editing::CElwView& v, int line, int column) {
    v.SetCaret(line, 0);
    const view::LineText t = v.TextOf(v.caretLine());
    int col = 0;
    size_t i = 0;
    while (i < t.end()) {
        const size_t len = v.layout().CharLen(t, i);
        const int next = v.layout().Advance(t, i, len, col);
        if (next > column) break;
        col = next;
        i += len;
    }
    v.SetCaret(line, i);
}

bool Exists(const std::string& name) {
    return platform::RealFileSystem().Stat(name).has_value();
}

}  // namespace

std::vector<std::string> NorvOpenArguments(const OpenRequest& request) {
    // Every name is an argument of its own: blanks and quotes in names need no quoting, and a
    // name beginning with "-" is still a name after the "--".
    std::vector<std::string> a;
    if (request.readOnly) a.emplace_back("-V");
    if (request.choice == document::CodeChoice::kAnsi) a.emplace_back("-KS");
    if (request.choice == document::CodeChoice::kEuc) a.emplace_back("-KE");
    if (request.choice == document::CodeChoice::kJis) a.emplace_back("-KJ");
    a.emplace_back("--");
    for (const auto& p : request.paths) a.push_back(p);
    return a;
}

EditorApp::EditorApp(StartupHooks hooks) : hooks_(std::move(hooks)) {}

EditorApp::~EditorApp() = default;

bool EditorApp::MainWindowVisible() const {
    return frame_ && frame_->isVisible() && !residentHidden_ && !headless_;
}

int EditorApp::Run(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    const app::StartupOptions options = app::ParseCommandLine(args, Exists);
    if (options.help) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (options.version) {
        std::puts(kVersion);
        return 0;
    }
    for (const auto& o : options.unknownLongOptions)
        std::fprintf(stderr, "norv: unknown option %s ignored\n", o.c_str());
    headless_ = options.headless;
    answers_.assign(options.answers.begin(), options.answers.end());
    if (headless_) {
        // No window is ever shown: the offscreen platform needs no display.
        qputenv("QT_QPA_PLATFORM", "offscreen");
    } else if (!HasDisplay()) {
        std::fputs(
            "norv: no display (neither DISPLAY nor WAYLAND_DISPLAY is set).\n"
            "Run it under a virtual display (xvfb-run -a norv FILE...) or with --headless.\n",
            stderr);
        return 2;
    }
    QApplication qapp(argc, argv);
    QApplication::setApplicationName(QStringLiteral("norv"));
    QApplication::setQuitOnLastWindowClosed(false);
    // Libraries that scripts load (the mail library) show no windows in a headless run.
    if (headless_) qapp.setProperty("norvHeadless", true);
    exePath_ = platform::ExecutablePath();

    platform::FileSystem& fs = platform::RealFileSystem();
    const int codePage = platform::SystemCodePage();
    app::StartupSequence steps;
    using Step = app::StartupStep;
    steps.Supply(Step::kSettingsFile, [&] {
        // The settings file, its first-run copy and the start-up cache.
        companions_ = std::make_unique<app::CompanionFiles>(
            app::CompanionFiles::Locate(fs, app::CompanionEnvironment::FromProcess()));
        config_ = std::make_unique<app::Configuration>(codePage);
        config_->firstRun =
            !fs.Stat(companions_->PathOf(app::CompanionKind::kSettings)).has_value();
        companions_->CopyTemplateIfMissing(fs, app::CompanionKind::kSettings);
        store_ = std::make_unique<app::SettingsStore>(
            fs, companions_->PathOf(app::CompanionKind::kSettings), codePage);
        store_->LoadCache();
    });
    steps.Supply(Step::kMarkStarting, [&] {
        starting_ = true;
        systemName_ = SystemName();
    });
    steps.SupplyMayEnd(Step::kInstanceProtocol, [&] {
        if (StartInstanceProtocol(args)) return true;
        store_->ReleaseCache();
        return false;
    });
    // The recent-file list's size belongs to the history, which the settings step reads.
    steps.Supply(Step::kLoadSettings, [&] {
        const bool firstRun = config_->firstRun;
        app::LoadConfiguration(fs, *companions_, *store_, *config_);
        config_->firstRun = firstRun;
    });
    steps.Supply(Step::kCreateFrame, [&] { CreateFrame(); });
    steps.Supply(Step::kCommandLine, [&] {
        // The recovery offer of a first instance comes before the command line's files, so a
        // start with a file after a crash still offers it; then the command line.
        const int recovered = multiple_ ? 0 : OfferRecovery();
        if (IsEmptyLine(args)) {
            if (!OpenProject(options.project) && !OpenPendingProject() &&
                !(hooks_.restoreWorkspace && !recovered && hooks_.restoreWorkspace(*this)) &&
                !recovered)
                frame_->NewFile();
        } else {
            ApplyCommandLine(options, false, true);
        }
        NotifyCommandLineDone();
    });
    if (!headless_) {
        steps.Supply(Step::kShowWindow, [&] {
            RestorePlacement();
            if (config_->settings.Int(Key::MainShowCmd) == 3)
                frame_->showMaximized();
            else
                frame_->show();
        });
        // The tool bars keep no layout of their own yet: they show as the settings say.
    }
    steps.Supply(Step::kResidentScripts, [&] {
        SetUpTray();
        if (hooks_.startResidentScripts) {
            hooks_.startResidentScripts(*this);
            return;
        }
        // The untitled document of a command line without files is there for them to see.
        QCoreApplication::sendPostedEvents(frame_.get(), QEvent::MetaCall);
        app::RunStartupScripts(frame_->scripts().host(), config_->settings.Text(Key::TsrScript),
                               config_->data.addins);
    });
    steps.Supply(Step::kReleaseCache, [&] {
        // Start-up is over, and another start may now find this instance.
        store_->ReleaseCache();
        starting_ = false;
    });
    steps.Supply(Step::kStartupScript, [&] {
        if (options.script.empty()) return;
        // The untitled document that a command line without files gets is made first: the
        // script works on it.
        QCoreApplication::sendPostedEvents(frame_.get(), QEvent::MetaCall);
        RunScript(options.script);
    });
    steps.Supply(Step::kResidentOrPosted, [&] {
        // Resident start hidden, or the commands of -P and -G. A start that asks from now on
        // already finds the window hidden.
        if (!headless_ && config_->settings.Flag(Key::Resident) && options.hidden) {
            residentHidden_ = true;
            QTimer::singleShot(0, frame_.get(), [this] { frame_->close(); });
        } else {
            PostCommands(options);
        }
    });
    // The option state is this function's `options`: it goes with the call.
    if (std::getenv("NORV_STARTUP_TRACE"))
        steps.observer = [](const app::StartupStepInfo& info) {
            std::fprintf(stderr, "norv: start-up %d %s\n", info.number, info.name.data());
        };
    if (hooks_.stepObserver) steps.observer = hooks_.stepObserver;
    if (!steps.Run()) return 0;

    // Another start may now find this instance.
    startLock_.Release();
    // The one-second timer.
    timer_ = new QTimer(this);
    connect(timer_, &QTimer::timeout, this, &EditorApp::Tick);
    timer_->start(1000);
    if (headless_) {
        // Everything the command line posted runs first; then the run ends.
        QTimer::singleShot(0, this, [] { QApplication::exit(0); });
    }
    int status = QApplication::exec();
    if (headless_ && scriptStatus_ != 0)
        status = scriptStatus_;
    else if (headless_ && openFailed_)
        status = 1;
    // A normal end leaves no recovery files behind: every document was saved or given up.
    autoSaver_->DeleteRecoveryFiles();
    timer_->stop();
    if (tray_) tray_->hide();
    frame_->removeEventFilter(this);
    // The resident scripts go only now that the process really ends (after the close event).
    frame_->residentHost().residents->Clear();
    frame_.reset();
    delete server_;
    server_ = nullptr;
    delete tray_;
    tray_ = nullptr;
    return status;
}

ScriptWiring* EditorApp::scripts() const {
    return frame_ ? &frame_->scripts() : nullptr;
}

bool EditorApp::StartInstanceProtocol(const std::vector<std::string>& args) {
    if (const char* marker = std::getenv(kMultiMarker); marker && *marker) {
        // Started by NorvOpen: a separate instance whatever runs already.
        unsetenv(kMultiMarker);
        multiple_ = true;
        return true;
    }
    // A run without windows is a job of its own; it neither hands over nor takes handoffs.
    if (headless_) return true;
    // Until this start has its socket, others wait instead of becoming first instances too.
    startLock_.Acquire(kStartLockWaitMs);
    const std::vector<QString> running = RunningInstances();
    if (running.empty()) return true;
    const app::StartupOptions options = app::ParseCommandLine(args, Exists);
    if (store_->ReadInt(Key::MultiInstance) != 0 || options.separateInstance) {
        const std::optional<uint8_t> visible =
            SendInstanceRequest(running.front(), InstanceRequest::kState);
        if (!visible || *visible != 0) {
            multiple_ = true;
            return true;
        }
    }
    if (SendInstanceRequest(running.front(), InstanceRequest::kHandoff, args,
                            platform::CurrentFolder())) {
        startLock_.Release();
        return false;
    }
    // The instance went away meanwhile: this start becomes the instance.
    return true;
}

void EditorApp::CreateFrame() {
    platform::FileSystem& fs = platform::RealFileSystem();
    if (headless_) {
        headlessUi_ = std::make_unique<platform::HeadlessUi>(true);
        headlessDialogs_ = std::make_unique<AnsweringDialogs>(answers_);
        dialogCanceller_ = std::make_unique<DialogCanceller>();
        qApp->installEventFilter(dialogCanceller_.get());
        frame_ = std::make_unique<MainFrame>(headlessUi_.get(), headlessDialogs_.get());
    } else {
        frame_ = std::make_unique<MainFrame>();
    }
    frame_->setAcceptDrops(true);
    frame_->installEventFilter(this);
    FillClosingSteps();
    frame_->HandleFrameCommand(app::FrameCommandId::OpenNorv, [this] { OpenInNewInstance(); });
    frame_->HandleFrameCommand(
        app::FrameCommandId::AutoSave,
        [this] {
            if (autoSaver_) autoSaver_->AutoSaveAll(OpenDocuments());
        },
        true);
    frame_->settingsChanged = [this] { NotifySettingsChanged(); };
    LoadSettingsIntoFrame();
    projects_ = new ProjectWiring(*frame_, config_->settings, store_.get(), companions_->Folder(),
                                  companions_->PathOf(app::CompanionKind::kWorkspace),
                                  companions_->PathOf(app::CompanionKind::kHistory), headless_);
    auto sessionOf = [](EditorApp& a) -> app::ProjectSession& { return a.projects()->projects(); };
    if (!hooks_.openProject)
        hooks_.openProject = [sessionOf](EditorApp& a, const std::string& path) {
            return sessionOf(a).OpenProject(path);
        };
    if (!hooks_.restoreWorkspace)
        hooks_.restoreWorkspace = [sessionOf](EditorApp& a) {
            return sessionOf(a).RestoreWorkspace();
        };
    if (!hooks_.projectOpen)
        hooks_.projectOpen = [sessionOf](EditorApp& a) { return sessionOf(a).ProjectOpen(); };
    if (!hooks_.closeProject)
        hooks_.closeProject = [sessionOf](EditorApp& a) { return sessionOf(a).CloseOnExit(); };
    frame_->find().Configure(config_->settings, store_.get(), fs,
                             companions_->PathOf(app::CompanionKind::kHistory), &config_->history);
    frame_->scripts().SetSettingsFolder(companions_->Folder());
    frame_->shell().SetDataFile(&fs, companions_->PathOf(app::CompanionKind::kData));
    frame_->shell().breakPending = [this] {
        return frame_->scripts().running() && frame_->scripts().BreakPending();
    };
    if (headless_) {
        auto* answering = static_cast<AnsweringDialogs*>(headlessDialogs_.get());
        frame_->find().UseHeadlessDialogs();
        frame_->grep().UseHeadlessDialogs();
        frame_->shell().UseHeadlessDialogs(
            [answering](std::string_view) { return answering->Take(); });
        frame_->scripts().answerInput = [answering](std::string_view, std::string_view,
                                                    std::string_view) { return answering->Take(); };
        frame_->spell().UseHeadlessDialogs();
    }
    frame_->spell().SetSettingsFolder(companions_->Folder());
    instance_ = ChooseInstanceValue(companions_->Folder());
    if (!headless_) {
        server_ = new InstanceServer(this);
        server_->isVisible = [this] { return MainWindowVisible(); };
        server_->handoff = [this](const auto& a, const auto& f) { ReceiveHandoff(a, f); };
        server_->reload = [this] {
            app::ReloadSettings(platform::RealFileSystem(), *companions_, *store_, *config_);
            LoadSettingsIntoFrame();
            frame_->find().UseSettings(config_->settings);
            if (hooks_.settingsReloaded) hooks_.settingsReloaded(*this);
        };
        server_->takeTray = [this] { SetUpTray(); };
        server_->Listen(instance_);
    }
    autoSaver_ = std::make_unique<document::AutoSaver>(frame_->environment(), companions_->Folder(),
                                                       instance_);
}

void EditorApp::LoadSettingsIntoFrame() {
    // The key file that KeyDefinition names replaces the built-in keys of its commands; a
    // reload starts again from the built-in table.
    app::KeyTable keys;
    app::LoadStartUpKeyFile(platform::RealFileSystem(), companions_->Folder(), config_->settings,
                            keys);
    frame_->keyTable() = keys;
    app::PreferenceFiles files;
    files.fs = &platform::RealFileSystem();
    files.settingsFolder = companions_->Folder();
    files.keywordPath = companions_->PathOf(app::CompanionKind::kKeywords);
    files.dataPath = companions_->PathOf(app::CompanionKind::kData);
    frame_->SetPreferenceFiles(std::move(files));
    frame_->UseConfiguration(*config_, store_.get());
    frame_->SetKeywordFile(&config_->keywords);
}

int EditorApp::OfferRecovery() {
    std::vector<std::unique_ptr<document::CElwDoc>> made;
    document::RecoveryHost host;
    host.newDocument = [this, &made]() -> document::CElwDoc* {
        made.push_back(std::make_unique<document::CElwDoc>(frame_->environment()));
        return made.back().get();
    };
    host.isLiveInstance = [](uint16_t value) { return InstanceIsLive(value); };
    const int restored =
        document::RecoverAtStartup(frame_->environment(), companions_->Folder(), host);
    // Only the copies that were read come back; the others stay on disk for the next offer.
    for (auto& doc : made)
        if (doc->modified) frame_->AddDocument(std::move(doc));
    return restored;
}

void EditorApp::ApplyCommandLine(const app::StartupOptions& options, bool emptyLine,
                                 bool atStartup) {
    if (!options.newType.empty() && hooks_.newDocumentType)
        hooks_.newDocumentType(*this, options.newType);
    if (emptyLine) {
        if (!OpenProject(options.project.empty() ? pendingProject_ : options.project) &&
            !OpenPendingProject() && !(hooks_.restoreWorkspace && hooks_.restoreWorkspace(*this)))
            frame_->NewFile();
        return;
    }
    if (!options.wildcard.empty()) {
        OpenWildcard(options);
        return;
    }
    if (!options.project.empty()) OpenProject(options.project);
    OpenNamedFiles(options, !atStartup);
}

void EditorApp::OpenNamedFiles(const app::StartupOptions& options, bool handedOver) {
    document::DocumentEnvironment& env = frame_->environment();
    // The forced code holds only while these files are read.
    const document::LoadSettings saved = env.load;
    const document::CodeChoice choice = ForcedChoice(options.forcedCode);
    if (options.forcedCode == 2) env.load.eucRead = env.load.jisRead = false;
    if (options.forcedCode == 3) env.load.jisRead = false;
    if (options.forcedCode == 4) env.load.eucRead = false;
    bool anyOpened = false;
    for (const std::string& name : options.files) {
        DocWindow* w = frame_->OpenFile(name, choice, options.readOnly);
        if (!w) {
            openFailed_ = true;
            continue;
        }
        anyOpened = true;
        if (options.jump) {
            const int line = options.jumpLine < 0 ? 1 : options.jumpLine + 1;
            JumpTo(w->view(), line, options.jumpColumn < 0 ? 0 : options.jumpColumn);
            w->editor().Refresh();
        }
        // Each file a handed-over command line opens; start-up's own open before any
        // resident exists.
        if (handedOver) frame_->RaiseResidentEvent(app::ResidentEvent::kReOpen);
    }
    env.load = saved;
    // With no document open then (none named, or none could be), the project of CurrProj;
    // else a new document.
    if (((!anyOpened && !options.files.empty()) || frame_->Windows().empty()) &&
        !OpenPendingProject())
        QTimer::singleShot(0, frame_.get(), [this] { frame_->NewFile(); });
}

void EditorApp::OpenWildcard(const app::StartupOptions& options) {
    OpenRequest request;
    const std::string folder = platform::FolderOf(options.wildcard);
    if (!folder.empty()) SetCurrentFolder(folder);
    request.folder = platform::CurrentFolder();
    request.pattern = platform::FileNameOf(options.wildcard);
    request.extract = ArchiveExtractorOf(frame_->shell());
    FileDialogs* dialogs = headless_ ? headlessDialogs_.get() : nullptr;
    QtFileDialogs real(frame_.get(), platform::SystemCodePage());
    if (!dialogs) dialogs = &real;
    if (!dialogs->AskOpen(request)) {
        QTimer::singleShot(0, frame_.get(), [this] { frame_->NewFile(); });
        return;
    }
    for (const std::string& path : request.paths)
        if (!frame_->OpenFile(path, request.choice, request.readOnly || options.readOnly))
            openFailed_ = true;
}

bool EditorApp::OpenProject(const std::string& name) {
    if (name.empty()) return false;
    const std::string path = app::ResolveProjectName(name, companions_->Folder());
    pendingProject_ = path;
    if (!hooks_.openProject) return false;
    return hooks_.openProject(*this, path);
}

bool EditorApp::OpenPendingProject() {
    const std::string name = store_->ReadText(Key::CurrProj);
    if (name.empty()) return false;
    // Reopened once: the key is cleared before the project is opened.
    config_->settings.Set(Key::CurrProj, std::string_view());
    store_->WriteText(Key::CurrProj, "");
    return OpenProject(name);
}

void EditorApp::NotifyCommandLineDone() {
    // Posted, so that what the command line posted (New after a cancelled dialog) is done first.
    if (hooks_.commandLineDone)
        QTimer::singleShot(0, this, [this] { hooks_.commandLineDone(*this); });
}

void EditorApp::PostCommands(const app::StartupOptions& options) {
    if (options.preview)
        QTimer::singleShot(0, frame_.get(), [this] {
            frame_->RunFrameCommand(app::FrameCommandId::PrintPreview, 0);
        });
    if (options.grep)
        QTimer::singleShot(0, frame_.get(),
                           [this] { frame_->RunFrameCommand(app::FrameCommandId::Grep, 0); });
}

void EditorApp::RunScript(const std::string& path) {
    if (hooks_.runScript) {
        hooks_.runScript(*this, path);
        return;
    }
    switch (frame_->scripts().RunFile(path)) {
        case app::ScriptOutcome::kDone:
        case app::ScriptOutcome::kTooDeep:
            break;
        case app::ScriptOutcome::kNotFound:
            frame_->ui().MessageBox("Cannot read the script " + path + ".",
                                    platform::mb::kOk | platform::mb::kIconError);
            scriptStatus_ = 1;
            break;
        case app::ScriptOutcome::kCompileError:
        case app::ScriptOutcome::kFault:
            scriptStatus_ = 1;
            break;
        case app::ScriptOutcome::kInterrupted:
            scriptStatus_ = 130;
            break;
    }
}

void EditorApp::ReceiveHandoff(const std::vector<std::string>& args, const std::string& folderIn) {
    // 1. The sender's folder (or InitialDir) becomes current, so its names mean what they meant.
    std::string folder = folderIn;
    if (folder.empty()) folder = store_->ReadText(Key::InitialDir);
    if (!folder.empty()) SetCurrentFolder(folder);
    // 2. The window comes back, whatever state it was in.
    ShowHiddenWindow();
    // 3. and 4. The command line, or the project or workspace of an empty one.
    const app::StartupOptions options = app::ParseCommandLine(args, Exists);
    ApplyCommandLine(options, IsEmptyLine(args), false);
    NotifyCommandLineDone();
    PostCommands(options);
    if (!options.script.empty()) RunScript(options.script);
}

void EditorApp::ShowHiddenWindow() {
    if (headless_ || !frame_) return;
    const bool wasHidden = residentHidden_ || !frame_->isVisible();
    residentHidden_ = false;
    if (frame_->isMinimized() || wasHidden) {
        const app::Settings& s = config_->settings;
        if (wasHidden) RestorePlacement();
        if (s.Int(Key::MainShowCmd) == 3)
            frame_->showMaximized();
        else
            frame_->showNormal();
    }
    frame_->raise();
    frame_->activateWindow();
}

void EditorApp::RestorePlacement() {
    const app::Settings& s = config_->settings;
    const int left = s.Int(Key::MainRectLeft), top = s.Int(Key::MainRectTop);
    const int right = s.Int(Key::MainRectRight), bottom = s.Int(Key::MainRectBot);
    if (right > left && bottom > top) frame_->setGeometry(left, top, right - left, bottom - top);
}

void EditorApp::SetUpTray() {
    if (headless_ || !config_->settings.Flag(Key::Resident)) return;
    if (!QSystemTrayIcon::isSystemTrayAvailable()) return;
    if (!tray_) {
        tray_ = new QSystemTrayIcon(this);
        QIcon icon = QApplication::windowIcon();
        if (icon.isNull()) icon = QApplication::style()->standardIcon(QStyle::SP_FileIcon);
        tray_->setIcon(icon);
        tray_->setToolTip(QString::fromLatin1(kTrayTip));
        connect(tray_, &QSystemTrayIcon::activated, this,
                [this](QSystemTrayIcon::ActivationReason r) {
                    if (r == QSystemTrayIcon::Trigger || r == QSystemTrayIcon::DoubleClick)
                        ShowHiddenWindow();
                });
    }
    tray_->show();
}

void EditorApp::HideToTray() {
    residentHidden_ = true;
    if (tray_ && tray_->isVisible()) {
        frame_->hide();
    } else {
        // Without a tray there would be no way back to a hidden window.
        frame_->showMinimized();
    }
}

void EditorApp::NotifySettingsChanged() {
    const QString own = server_ ? server_->path() : QString();
    for (const QString& path : RunningInstances())
        if (path != own) SendInstanceRequest(path, InstanceRequest::kReload);
}

bool EditorApp::OpenInNewInstance() {
    OpenRequest request;
    request.folder = platform::CurrentFolder();
    FileDialogs* dialogs = headless_ ? headlessDialogs_.get() : nullptr;
    QtFileDialogs real(frame_.get(), platform::SystemCodePage());
    if (!dialogs) dialogs = &real;
    if (!dialogs->AskOpen(request)) return false;
    QProcess child;
    child.setProgram(QString::fromStdString(exePath_));
    QStringList arguments;
    for (const auto& a : NorvOpenArguments(request)) arguments << QString::fromStdString(a);
    child.setArguments(arguments);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QString::fromLatin1(kMultiMarker), QStringLiteral("1"));
    child.setProcessEnvironment(env);
    return child.startDetached();
}

void EditorApp::Tick() {
    if (hooks_.residentTick) hooks_.residentTick(*this);
    if (frame_) frame_->RaiseResidentEvent(app::ResidentEvent::kTimer);
    if (!frame_ || !frame_->ActiveWindow()) return;
    autoSaver_->Tick(static_cast<int64_t>(std::time(nullptr)),
                     config_->settings.Int(Key::AutoSaveSec), OpenDocuments());
}

std::vector<document::CElwDoc*> EditorApp::OpenDocuments() const {
    std::vector<document::CElwDoc*> docs;
    if (frame_)
        for (DocWindow* w : frame_->Windows()) docs.push_back(&w->doc());
    return docs;
}

bool EditorApp::eventFilter(QObject* watched, QEvent* event) {
    if (frame_ && watched == frame_.get() &&
        (event->type() == QEvent::DragEnter || event->type() == QEvent::Drop)) {
        // Files dropped on the main window are opened.
        auto* drop = static_cast<QDropEvent*>(event);
        if (!drop->mimeData()->hasUrls()) return false;
        drop->acceptProposedAction();
        if (event->type() == QEvent::Drop)
            for (const QUrl& url : drop->mimeData()->urls())
                if (url.isLocalFile()) frame_->OpenFile(url.toLocalFile().toStdString());
        return true;
    }
    if (frame_ && watched == frame_.get() && event->type() == QEvent::WindowStateChange &&
        frame_->isVisible() && !frame_->isMinimized()) {
        // Restored by hand from its minimised stand-in for the tray: visible again.
        residentHidden_ = false;
    }
    if (frame_ && watched == frame_.get() && event->type() == QEvent::Close) {
        if (CloseMainWindow(event)) {
            ending_ = true;
            QTimer::singleShot(0, this, [] { QApplication::exit(0); });
        }
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void EditorApp::FillClosingSteps() {
    app::ClosingSteps& k = frame_->session().closing;
    app::Settings& s = config_->settings;
    const auto hidden = [this] { return residentHidden_ || !frame_->isVisible(); };
    k.storeCurrentFolder = [this, &s] {
        s.Write(*store_, Key::InitialDir, platform::CurrentFolder());
        SetCurrentFolder(companions_->Folder());
    };
    k.saveBarLayout = [this, hidden] {
        if (!frame_->isMinimized() && !hidden() && hooks_.saveBarLayout)
            hooks_.saveBarLayout(*this);
    };
    k.savePlacement = [this, &s, hidden] {
        if (frame_->isMinimized() || hidden() || headless_) return;
        const QRect r = frame_->normalGeometry();
        s.Write(*store_, Key::MainShowCmd, frame_->isMaximized() ? 3 : 1);
        s.Write(*store_, Key::MainRectTop, r.top());
        s.Write(*store_, Key::MainRectBot, r.bottom() + 1);
        s.Write(*store_, Key::MainRectLeft, r.left());
        s.Write(*store_, Key::MainRectRight, r.right() + 1);
    };
    k.storeMarkList = [this, &s] {
        s.Write(*store_, Key::ShowMarkList, frame_->MarkListShown() ? 1 : 0);
    };
    k.storeFindHistories = [this] { frame_->find().session().SaveIfChanged(); };
    k.projectOpen = [this] { return hooks_.projectOpen && hooks_.projectOpen(*this); };
    k.closeProject = [this] { return !hooks_.closeProject || hooks_.closeProject(*this); };
    k.residentCloseEvent = [this] {
        frame_->RaisePendingCloseEvents();
        frame_->RaiseResidentEvent(app::ResidentEvent::kMainClose);
        if (hooks_.residentClose) hooks_.residentClose(*this);
    };
    k.residentMode = [this, &s] { return s.Flag(Key::Resident) && !headless_; };
    k.residentHide = [this] {
        const QString own = server_ ? server_->path() : QString();
        std::vector<QString> others;
        for (const QString& p : RunningInstances())
            if (p != own) others.push_back(p);
        if (others.empty()) return false;
        // Another instance keeps the tray; this one ends.
        SendInstanceRequest(others.front(), InstanceRequest::kTakeTray);
        for (const QString& p : others) SendInstanceRequest(p, InstanceRequest::kReload);
        return true;
    };
}

bool EditorApp::CloseMainWindow(QEvent* event) {
    switch (frame_->session().CloseProgram()) {
        case app::CloseOutcome::kEnded:
            if (tray_) tray_->hide();
            event->accept();
            return true;
        case app::CloseOutcome::kHidden:
            event->ignore();
            HideToTray();
            return false;
        case app::CloseOutcome::kKept:
            break;
    }
    event->ignore();
    return false;
}

}  // namespace norv::qt
