// External programs in the main frame.
#include "gui/frame/shell_wiring.h"

#include <QInputDialog>

#include "app/config/settings.h"
#include "gui/frame/doc_window.h"
#include "gui/frame/grep_wiring.h"
#include "gui/frame/main_frame.h"
#include "platform/code_page.h"

namespace norv::qt {

ShellWiring::ShellWiring(MainFrame& frame, platform::UserInterface& ui, int systemCodePage)
    : frame_(frame), ui_(ui), systemCodePage_(systemCodePage) {
    env_.ui = &ui_;
    env_.systemCodePage = systemCodePage;
    env_.activeView = [this]() -> editing::CElwView* {
        DocWindow* w = frame_.ActiveWindow();
        return w ? &w->view() : nullptr;
    };
    env_.selectionOf = [this](editing::CElwView& v) -> editing::Selection* {
        DocWindow* w = WindowOf(&v);
        return w ? &w->selection() : nullptr;
    };
    env_.newDocument = [this]() -> editing::CElwView* {
        DocWindow* w = frame_.NewFile();
        return w ? &w->view() : nullptr;
    };
    env_.viewAlive = [this](editing::CElwView* v) { return WindowOf(v) != nullptr; };
    env_.ask = [this](std::string_view prompt) -> std::optional<std::string> {
        if (headless_) return headlessAnswer_ ? headlessAnswer_(prompt) : std::nullopt;
        bool ok = false;
        const QString text = QInputDialog::getText(
            &frame_, QString::fromUtf8(prompt.data(), qsizetype(prompt.size())),
            QString::fromUtf8(prompt.data(), qsizetype(prompt.size())), QLineEdit::Normal,
            QString(), &ok);
        if (!ok) return std::nullopt;
        return text.toStdString();
    };
    env_.escapePressed = [this] { return escape_.Poll() || (breakPending && breakPending()); };
    env_.repaint = [this](editing::CElwView& v) {
        if (DocWindow* w = WindowOf(&v)) {
            w->editor().Refresh();
            w->editor().viewport()->repaint();
        }
    };
}

DocWindow* ShellWiring::WindowOf(const editing::CElwView* view) const {
    for (DocWindow* w : frame_.Windows())
        if (&w->view() == view) return w;
    return nullptr;
}

app::ShellRunResult ShellWiring::Run(std::string_view line, const tools::ShellOptions& options,
                                     const std::string& folder) {
    if (busy_) {
        ui_.Beep();
        return {};
    }
    busy_ = true;
    env_.windows = &frame_.grep();
    app::ShellRun run(env_);
    app::ShellRunResult result = run.Run(line, options, folder);
    busy_ = false;
    return result;
}

bool ShellWiring::RunShell() {
    if (headless_ || busy_) return false;
    app::Settings& settings = frame_.configuration().settings;
    const tools::ShellOptions start =
        tools::ParseShellOptions(settings.Text(app::Key::ShellOption));
    ShellDialog dialog(&frame_, start, history_);
    if (dialog.exec() != QDialog::Accepted) return false;
    const QString line = dialog.line();
    if (line.trimmed().isEmpty()) return false;
    tools::ShellOptions options = dialog.options();
    // I is kept and written back; S and A belong to the launcher.
    const std::string letters = tools::ShellDialogOptionString(options);
    if (app::SettingsStore* store = frame_.settingsStore()) {
        settings.Write(*store, app::Key::ShellOption, letters);
    } else {
        settings.Set(app::Key::ShellOption, letters);
    }
    RememberShellLine(history_, {line, options});
    const std::string bytes = platform::WideToMultiByte(systemCodePage_, line.toStdU16String());
    frame_.keyMacros().RecordFrameCommand(app::kShellCommandId,
                                          {bytes, tools::LauncherOptionString(options)});
    return Run(bytes, options).started;
}

}  // namespace norv::qt
