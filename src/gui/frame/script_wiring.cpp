// Scripts in the main frame (see script_wiring.h).
#include "gui/frame/script_wiring.h"

#include <unistd.h>

#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QInputDialog>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <cstdio>

#include "app/commands/command_table.h"
#include "app/config/settings_store.h"
#include "editing/command_ids.h"
#include "gui/frame/doc_window.h"
#include "gui/frame/find_wiring.h"
#include "gui/frame/grep_wiring.h"
#include "gui/frame/main_frame.h"
#include "gui/frame/qt_script_frame.h"
#include "gui/frame/shell_wiring.h"
#include "platform/file_system.h"
#include "platform/paths.h"
#include "script/break_signal.h"
#include "tools/shell/shell_command.h"

namespace norv::qt {

namespace {

// Polls for Ctrl+Break closer together than this are answered without looking at the events.
constexpr int kLookIntervalMs = 40;

bool IsInput(QEvent::Type t) {
    switch (t) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::InputMethod:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
            return true;
        default:
            return false;
    }
}

// Whether an object lies inside the modal dialog (or the pop-up) open now: the script opened
// it, and the user answers it.
bool InsideModal(QObject* watched) {
    QWidget* modal = QApplication::activeModalWidget();
    QWidget* popup = QApplication::activePopupWidget();
    // Input reaches a window's platform window first, then its widgets.
    if (auto* window = qobject_cast<QWindow*>(watched))
        return (modal && modal->windowHandle() == window) ||
               (popup && popup->windowHandle() == window);
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget == nullptr) return false;
    QWidget* top = widget->window();
    return (modal && top == modal) || (popup && top == popup);
}

}  // namespace

ScriptWiring::ScriptWiring(MainFrame& frame)
    : frame_(frame),
      headless_(qApp->property("norvHeadless").toBool()),
      sigintBreaks_(headless_ || QGuiApplication::platformName() == QStringLiteral("offscreen")) {
    host_ = std::make_unique<app::EditorScriptHost>(*this);
    if (sigintBreaks_) script::InstallBreakSignal();
}

ScriptWiring::~ScriptWiring() {
    if (running_ > 0) qApp->removeEventFilter(this);
}

app::ScriptLevel ScriptWiring::Level() const {
    return app::ScriptLevel{host_->depth, host_->runContext};
}

std::string ScriptWiring::SettingsFolder() {
    if (!settingsFolder_.empty()) return settingsFolder_;
    if (const app::SettingsStore* store = frame_.settingsStore())
        return platform::FolderOf(store->Path());
    return platform::CurrentFolder();
}

app::ScriptOutcome ScriptWiring::RunFile(const std::string& name) {
    return app::RunScriptFile(*host_, name);
}

void ScriptWiring::RunBegins() {
    if (running_++ == 0) {
        breakNoted_ = escapeNoted_ = false;
        qApp->installEventFilter(this);
    }
}

void ScriptWiring::RunEnds() {
    if (running_ == 0 || --running_ > 0) return;
    qApp->removeEventFilter(this);
    // Whatever the script left silent is shown again.
    if (silent_ > 0) SetSilent(0);
    host_->silentLevel = 0;
    for (DocWindow* w : frame_.Windows()) w->RefreshView();
    // The script asked for the end (Exit, Break, Save All and Exit): the frame closes now that
    // it has ended. A headless run ends with its script anyway.
    if (closeWhenDone_) {
        closeWhenDone_ = false;
        if (!headless_) QTimer::singleShot(0, &frame_, [this] { frame_.close(); });
    }
}

app::ScriptFrame* ScriptWiring::scriptFrame() {
    return &frame_.scriptFrame();
}

bool ScriptWiring::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type t = event->type();
    // ISKEYPRESSED sees the keys that are held back too.
    frame_.scriptFrame().keyState().Note(event);
    if (t == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const bool ctrl = key->modifiers() & Qt::ControlModifier;
        if ((key->key() == Qt::Key_Pause || key->key() == Qt::Key_Cancel) && ctrl) {
            breakNoted_ = true;
            return true;
        }
        if (key->key() == Qt::Key_Escape && !InsideModal(watched)) {
            escapeNoted_ = true;
            return true;
        }
    }
    if (t == QEvent::Close && watched == &frame_) {
        // A running script is not closed from under itself.
        event->ignore();
        return true;
    }
    if (IsInput(t) && !InsideModal(watched)) return true;
    return QObject::eventFilter(watched, event);
}

bool ScriptWiring::BreakPending() {
    if (sigintBreaks_ && script::TakeBreakSignal()) breakNoted_ = true;
    if (!headless_ && (!lastLook_.isValid() || lastLook_.elapsed() >= kLookIntervalMs)) {
        lastLook_.restart();
        QCoreApplication::processEvents();
    }
    return breakNoted_;
}

bool ScriptWiring::BreakPressed() {
    const bool pressed = BreakPending();
    breakNoted_ = false;
    return pressed;
}

bool ScriptWiring::EscapePressed() {
    const bool pressed = escapeNoted_;
    escapeNoted_ = false;
    return pressed;
}

void ScriptWiring::Sleep(int ms) {
    // SIGINT cuts the sleep short.
    if (ms > 0) usleep(static_cast<useconds_t>(ms) * 1000);
}

void ScriptWiring::PumpMessages() {
    ShowChanges();
    QCoreApplication::processEvents();
    lastLook_.restart();
}

void ScriptWiring::ShowChanges() {
    if (silent_ > 0) return;
    if (DocWindow* w = frame_.ActiveWindow()) w->editor().Refresh();
}

platform::UserInterface& ScriptWiring::ui() {
    return frame_.ui();
}

platform::FileSystem& ScriptWiring::fs() {
    return frame_.environment().Fs();
}

const app::Settings& ScriptWiring::settings() {
    return frame_.configuration().settings;
}

std::string ScriptWiring::ProgramFolder() {
    return frame_.programFolder();
}

editing::CElwView* ScriptWiring::ActiveView() {
    DocWindow* w = frame_.ActiveWindow();
    return w ? &w->view() : nullptr;
}

editing::Selection* ScriptWiring::ActiveSelection() {
    DocWindow* w = frame_.ActiveWindow();
    return w ? &w->selection() : nullptr;
}

editing::ClipboardContext& ScriptWiring::clipboard() {
    return frame_.clipboardContext();
}

bool ScriptWiring::ActivateNextWindow() {
    const std::vector<DocWindow*> windows = frame_.Windows();
    DocWindow* active = frame_.ActiveWindow();
    if (windows.size() < 2 || active == nullptr) return false;
    size_t i = 0;
    while (i < windows.size() && windows[i] != active) ++i;
    DocWindow* next = windows[(i + 1) % windows.size()];
    QMdiSubWindow* sub = frame_.SubWindowOf(*next);
    if (sub->mdiArea() == nullptr) return false;
    if (sub->isMinimized()) sub->showNormal();
    sub->mdiArea()->setActiveSubWindow(sub);
    sub->raise();
    next->editor().setFocus();
    return frame_.ActiveWindow() == next;
}

void ScriptWiring::Repaint() {
    if (silent_ > 0) return;
    if (DocWindow* w = frame_.ActiveWindow()) {
        w->editor().Refresh();
        w->editor().viewport()->repaint();
    }
}

void ScriptWiring::ShowCaret(bool shown) {
    if (DocWindow* w = frame_.ActiveWindow()) w->editor().SetCaretHidden(!shown);
}

void ScriptWiring::SetSilent(int level) {
    silent_ = level;
    for (DocWindow* w : frame_.Windows())
        for (int i = 0; i < w->paneCount(); ++i) {
            EditWidget& e = w->paneEditor(i);
            e.viewport()->setUpdatesEnabled(level == 0);
            if (level == 0) e.Refresh();
        }
}

void ScriptWiring::RunCommand(size_t command) {
    if (!frame_.CommandBuilt(command)) {
        Notice(app::kNotAvailableYet);
        return;
    }
    frame_.RunCommand(command);
}

bool ScriptWiring::RunHiddenCommand(size_t hidden) {
    return frame_.RunHiddenCommand(hidden);
}

app::PressResult ScriptWiring::PressKey(const app::KeyStroke& stroke, std::string_view bytes) {
    DocWindow* w = frame_.ActiveWindow();
    if (w == nullptr) return app::PressResult::kNothing;
    return frame_.PressKey(*w, stroke, bytes);
}

std::optional<std::string> ScriptWiring::InputBox(std::string_view prompt, std::string_view title,
                                                  std::string_view initial) {
    if (answerInput) return answerInput(prompt, title, initial);
    bool ok = false;
    const QString text = QInputDialog::getText(
        &frame_, QString::fromUtf8(title.data(), qsizetype(title.size())),
        QString::fromUtf8(prompt.data(), qsizetype(prompt.size())), QLineEdit::Normal,
        QString::fromUtf8(initial.data(), qsizetype(initial.size())), &ok);
    if (!ok) return std::nullopt;
    return text.toStdString();
}

void ScriptWiring::Notice(std::string_view text) {
    if (headless_) {
        std::fprintf(stderr, "%.*s\n", static_cast<int>(text.size()), text.data());
        return;
    }
    frame_.ui().SetStatusText(text);
}

bool ScriptWiring::OpenFile(const std::string& path, document::CodeChoice choice) {
    if (path.empty()) return frame_.FileOpen();
    return frame_.OpenFile(path, choice) != nullptr;
}

bool ScriptWiring::ShowFileLine(const std::string& path, int line) {
    DocWindow* w = nullptr;
    for (DocWindow* open : frame_.Windows())
        if (open->doc().path == path) w = open;
    if (w != nullptr) {
        frame_.Activate(w->doc());
    } else {
        w = frame_.OpenFile(path);
    }
    if (w == nullptr) return false;
    w->view().SetCaret(std::clamp(line, 1, w->doc().lineCount()), 0);
    w->view().Execute(editing::CommandId::MakeMid);
    w->editor().Refresh();
    return true;
}

bool ScriptWiring::SaveActiveAs(const std::string& path) {
    DocWindow* w = frame_.ActiveWindow();
    if (w == nullptr) return false;
    document::CElwDoc& doc = w->doc();
    frame_.SyncViews(doc);
    if (doc.DoSave(path, path.empty()) != 1) return false;
    frame_.Saved(doc);
    return true;
}

void ScriptWiring::ShowMarkList() {
    frame_.ShowMarkList(!frame_.MarkListShown(), true);
}

search::FindCommands& ScriptWiring::find() {
    return frame_.find().commands();
}

uint64_t ScriptWiring::Grep(const app::GrepArguments& arguments) {
    return frame_.grep().RunGrepScript(arguments);
}

bool ScriptWiring::Shell(const std::optional<std::string>& line,
                         const std::optional<std::string>& options) {
    if (!line) return frame_.shell().RunShell();
    const tools::ShellOptions o = tools::ParseShellOptions(options.value_or(std::string()));
    return frame_.shell().Run(*line, o).started;
}

bool ScriptWiring::ShellMenu(int entry) {
    return frame_.shell().RunEntry(entry);
}

}  // namespace norv::qt
