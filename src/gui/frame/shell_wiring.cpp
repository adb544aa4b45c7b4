// External programs in the main frame.
#include "gui/frame/shell_wiring.h"

#include <QInputDialog>

#include "app/archive_extract.h"
#include "app/config/settings.h"
#include "gui/dialogs/launcher_dialog.h"
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
    // The launcher's S: the current file when it has a name; A: every modified document.
    env_.saveCurrent = [this] {
        DocWindow* w = frame_.ActiveWindow();
        if (!w || w->doc().path.empty()) return true;
        return frame_.FileSave(*w, false);
    };
    env_.saveAll = [this] { return frame_.AllSave(); };
    env_.repaint = [this](editing::CElwView& v) {
        if (DocWindow* w = WindowOf(&v)) {
            w->editor().Refresh();
            w->editor().viewport()->repaint();
        }
    };
}

DocWindow* ShellWiring::WindowOf(const editing::CElwView* view) const {
    for (DocWindow* w : frame_.Windows())
        if (w->madeView() == view) return w;
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

app::ShellRunResult ShellWiring::RunEntryRecorded(int n, editing::CommandRecorder* recorder) {
    if (busy_) {
        ui_.Beep();
        return {};
    }
    busy_ = true;
    env_.windows = &frame_.grep();
    env_.recorder = recorder;
    app::ShellRun run(env_);
    app::ShellRunResult result = run.RunEntry(frame_.configuration().data, n);
    env_.recorder = nullptr;
    busy_ = false;
    return result;
}

bool ShellWiring::RunEntry(int n) {
    return RunEntryRecorded(n, nullptr).started;
}

bool ShellWiring::SaveEntries(const app::ShellEntries& entries) {
    app::DataFile& data = frame_.configuration().data;
    if (!dataFs_ || dataPath_.empty()) {
        data.shell = entries;
        return true;
    }
    if (int error = app::RegisterPrograms(*dataFs_, dataPath_, entries, data)) {
        ui_.MessageBox(app::DataFileWriteFailedText(dataPath_, error),
                       platform::mb::kOk | platform::mb::kIconWarning);
        return false;
    }
    return true;
}

std::string ShellWiring::ExtractArchive(const std::vector<std::string>& selected,
                                        const std::string& folder, const ExtractCalls& calls) {
    if (busy_) {
        ui_.Beep();
        return {};
    }
    busy_ = true;
    app::ExtractEnvironment env;
    env.ui = &ui_;
    env.settings = &frame_.configuration().settings;
    env.systemCodePage = systemCodePage_;
    env.chooseFolder = calls.chooseFolder;
    env.showOutput = calls.showOutput;
    env.escapePressed = env_.escapePressed;
    const app::ExtractResult result = app::ExtractArchive(env, selected, folder);
    busy_ = false;
    return result.destination;
}

bool ShellWiring::RunLauncher() {
    if (headless_ || busy_) return false;
    LauncherDialog dialog(
        &frame_, ui_, frame_.configuration().data.shell, systemCodePage_,
        [this](const app::ShellEntries& entries) { return SaveEntries(entries); });
    if (dialog.exec() != QDialog::Accepted || !dialog.chosen()) return false;
    return RunEntryRecorded(*dialog.chosen(), &frame_.keyMacros()).started;
}

}  // namespace norv::qt
