// The main frame as the script host's editor (see frame_script_editor.h).
#include "gui/frame/frame_script_editor.h"

#include <QApplication>
#include <QEventLoop>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMdiArea>
#include <QStatusBar>
#include <QThread>

#include "app/commands/hidden_commands.h"
#include "editing/edit_view.h"
#include "gui/editor/text_bridge.h"
#include "gui/frame/doc_window.h"
#include "gui/frame/find_wiring.h"
#include "gui/frame/grep_wiring.h"
#include "gui/frame/main_frame.h"
#include "gui/frame/shell_wiring.h"
#include "platform/file_system.h"
#include "platform/paths.h"
#include "script/break_signal.h"
#include "tools/shell/shell_command.h"

// Qt's `slots` keyword would take the script host's slots() for its own.
#undef slots
#include "app/key_macros.h"
#include "app/scripting/editor_script_host.h"

namespace norv::qt {

namespace {

// The user's input while a script runs: taken from every window; Ctrl+Break and Escape noted.
class InputHold : public QObject {
  public:
    explicit InputHold(FrameScriptEditor& editor) : editor_(editor) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
            case QEvent::KeyPress: {
                const auto* k = static_cast<QKeyEvent*>(event);
                if ((k->modifiers() & Qt::ControlModifier) &&
                    (k->key() == Qt::Key_Pause || k->key() == Qt::Key_Cancel))
                    editor_.breakPressed = true;
                if (k->key() == Qt::Key_Escape) editor_.escapePressed = true;
                return true;
            }
            case QEvent::KeyRelease:
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonRelease:
            case QEvent::MouseButtonDblClick:
            case QEvent::Wheel:
            case QEvent::Shortcut:
            case QEvent::ShortcutOverride:
                return true;
            default:
                return QObject::eventFilter(watched, event);
        }
    }

  private:
    FrameScriptEditor& editor_;
};

}  // namespace

FrameScriptEditor::FrameScriptEditor(MainFrame& frame, bool headless)
    : frame_(frame),
      headless_(headless),
      filter_(std::make_unique<InputHold>(*this)),
      host_(std::make_unique<app::EditorScriptHost>(*this)) {
    if (headless_) script::InstallBreakSignal();
}

FrameScriptEditor::~FrameScriptEditor() {
    if (runs_ > 0) qApp->removeEventFilter(filter_.get());
}

script::ScriptHost& FrameScriptEditor::scriptHost() {
    return *host_;
}

app::ScriptLevel FrameScriptEditor::Level() const {
    return app::ScriptLevel{host_->depth, host_->runContext};
}

platform::UserInterface& FrameScriptEditor::ui() {
    return frame_.ui();
}

platform::FileSystem& FrameScriptEditor::fs() {
    return platform::RealFileSystem();
}

const app::Settings& FrameScriptEditor::settings() {
    return frame_.configuration().settings;
}

std::string FrameScriptEditor::SettingsFolder() {
    if (const app::SettingsStore* store = frame_.settingsStore())
        return platform::FolderOf(store->Path());
    return platform::CurrentFolder();
}

std::string FrameScriptEditor::ProgramFolder() {
    return frame_.programFolder();
}

editing::CElwView* FrameScriptEditor::ActiveView() {
    DocWindow* w = frame_.ActiveWindow();
    return w ? &w->view() : nullptr;
}

editing::Selection* FrameScriptEditor::ActiveSelection() {
    DocWindow* w = frame_.ActiveWindow();
    return w ? &w->selection() : nullptr;
}

editing::ClipboardContext& FrameScriptEditor::clipboard() {
    return frame_.clipboardContext();
}

bool FrameScriptEditor::ActivateNextWindow() {
    DocWindow* before = frame_.ActiveWindow();
    if (frame_.Windows().size() < 2) return false;
    if (QMdiArea* area = frame_.findChild<QMdiArea*>()) area->activateNextSubWindow();
    return frame_.ActiveWindow() != before;
}

void FrameScriptEditor::Repaint() {
    if (DocWindow* w = frame_.ActiveWindow()) w->editor().Refresh();
}

void FrameScriptEditor::ShowCaret(bool) {}

void FrameScriptEditor::SetSilent(int) {}

void FrameScriptEditor::RunCommand(size_t command) {
    frame_.RunCommand(command);
}

bool FrameScriptEditor::RunHiddenCommand(size_t hidden) {
    return frame_.RunHiddenCommand(hidden);
}

std::optional<std::string> FrameScriptEditor::InputBox(std::string_view prompt,
                                                       std::string_view title,
                                                       std::string_view initial) {
    if (headless_) return std::nullopt;
    bool ok = false;
    const QString text = QInputDialog::getText(&frame_, FromUtf8(title), FromUtf8(prompt),
                                               QLineEdit::Normal, FromUtf8(initial), &ok);
    if (!ok) return std::nullopt;
    return text.toStdString();
}

void FrameScriptEditor::Notice(std::string_view text) {
    frame_.ui().SetStatusText(text);
}

bool FrameScriptEditor::OpenFile(const std::string& path, document::CodeChoice choice) {
    if (path.empty()) return frame_.FileOpen();
    return frame_.OpenFile(path, choice) != nullptr;
}

bool FrameScriptEditor::ShowFileLine(const std::string& path, int line) {
    DocWindow* w = nullptr;
    for (DocWindow* d : frame_.Windows())
        if (d->doc().path == path) w = d;
    if (!w) w = frame_.OpenFile(path);
    if (!w) return false;
    frame_.Activate(w->doc());
    w->view().SetCaret(std::clamp(line, 1, w->doc().lineCount()), 0);
    w->view().Execute(editing::CommandId::MakeMid);
    w->editor().Refresh();
    return true;
}

bool FrameScriptEditor::SaveActiveAs(const std::string& path) {
    DocWindow* w = frame_.ActiveWindow();
    if (!w) return false;
    if (path.empty()) return frame_.FileSave(*w, true);
    w->view().Sync();
    return w->doc().SaveDocument(path) == 1;
}

void FrameScriptEditor::ShowMarkList() {
    frame_.ShowMarkList(true, true);
}

search::FindCommands& FrameScriptEditor::find() {
    return frame_.find().commands();
}

uint64_t FrameScriptEditor::Grep(const app::GrepArguments& arguments) {
    return frame_.grep().RunGrepScript(arguments);
}

bool FrameScriptEditor::Shell(const std::optional<std::string>& line,
                              const std::optional<std::string>& options) {
    if (!line) return frame_.shell().RunShell();
    return frame_.shell().Run(*line, tools::ParseShellOptions(options.value_or(""))).started;
}

bool FrameScriptEditor::ShellMenu(int entry) {
    return frame_.shell().RunEntry(entry);
}

app::PressResult FrameScriptEditor::PressKey(const app::KeyStroke& stroke, std::string_view bytes) {
    DocWindow* w = frame_.ActiveWindow();
    if (w == nullptr) return app::PressResult::Nothing;
    return frame_.PressKey(*w, stroke, bytes);
}

void FrameScriptEditor::PumpMessages() {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

bool FrameScriptEditor::BreakPressed() {
    if (headless_ && script::TakeBreakSignal()) breakPressed = true;
    const bool pressed = breakPressed;
    breakPressed = false;
    return pressed;
}

bool FrameScriptEditor::EscapePressed() {
    const bool pressed = escapePressed;
    escapePressed = false;
    return pressed;
}

void FrameScriptEditor::Sleep(int ms) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, std::max(0, ms));
    if (ms > 0) QThread::msleep(static_cast<unsigned long>(std::min(ms, 50)));
}

void FrameScriptEditor::BeginRun() {
    if (runs_++ == 0) {
        breakPressed = escapePressed = false;
        qApp->installEventFilter(filter_.get());
    }
}

void FrameScriptEditor::EndRun() {
    if (runs_ > 0 && --runs_ == 0) qApp->removeEventFilter(filter_.get());
}

}  // namespace norv::qt
