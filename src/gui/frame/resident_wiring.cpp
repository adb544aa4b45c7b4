// The resident scripts in the main frame: their events at the frame's occasions (opens, saves,
// new documents, closes, keys, typed characters, split lines, activated views), and the
// commands that start kept scripts (the add-in commands, the resident menu, Run Script, the
// script library).
//
// Events run on the frame's script host, whose resident list the application's host shares.
// A run may close windows: whatever the frame held of the active window before an event is
// looked up again afterwards.
#include <QApplication>
#include <QCursor>
#include <QPointer>
#include <QTimer>

#include "app/commands/command_table.h"
#include "app/launcher.h"
#include "app/script_library.h"
#include "editing/command_ids.h"
#include "gui/dialogs/script_library_dialog.h"
#include "gui/editor/text_bridge.h"
#include "gui/frame/doc_window.h"
#include "gui/frame/main_frame.h"
#include "gui/frame/menus.h"
#include "gui/frame/script_wiring.h"
#include "platform/code_page.h"

// Qt's `slots` keyword would take the script host's slots() for its own.
#undef slots
#include "app/scripting/editor_script_host.h"
#include "app/scripting/kept_scripts.h"

namespace norv::qt {

using app::FrameCommandId;
using app::ResidentEvent;

app::EditorScriptHost& MainFrame::residentHost() const {
    return scripts_->host();
}

bool MainFrame::RaiseResidentEvent(ResidentEvent event, int32_t a, std::string_view strA) {
    app::EditorScriptHost& host = scripts_->host();
    if (host.residents->empty()) return false;
    const QPointer<DocWindow> before = ActiveWindow();
    const bool cancelled = host.RaiseEvent(event, a, strA);
    // The key input types into the view that is active now.
    if (before.isNull() || ActiveWindow() != before.data()) {
        DocWindow* w = ActiveWindow();
        dispatcher_.view = w ? &w->sink() : nullptr;
    }
    return cancelled;
}

bool MainFrame::OnOpenEvent(document::CElwDoc&, const std::string& path) {
    return !RaiseResidentEvent(ResidentEvent::kOpen, 0, path);
}

bool MainFrame::OnBeforeSave(document::CElwDoc&, const std::string& target) {
    return !RaiseResidentEvent(ResidentEvent::kBeforeSave, 0, target);
}

void MainFrame::OnAfterSave(document::CElwDoc& doc) {
    const std::string path = doc.path;
    RaiseResidentEvent(ResidentEvent::kAfterSave, 0, path);
}

void MainFrame::PostDocumentClosed() {
    // Raised once the window has gone: a script that closes windows in it finds the editor as
    // the close left it.
    ++pendingCloseEvents_;
    QTimer::singleShot(0, this, [this] {
        if (pendingCloseEvents_ == 0) return;
        --pendingCloseEvents_;
        RaiseResidentEvent(ResidentEvent::kClose);
    });
}

void MainFrame::RaisePendingCloseEvents() {
    while (pendingCloseEvents_ > 0) {
        --pendingCloseEvents_;
        RaiseResidentEvent(ResidentEvent::kClose);
    }
}

void MainFrame::SetUpResidentScripts() {
    dispatcher_.residentKeyEvent = [this](app::KeyCode code) {
        return RaiseResidentEvent(ResidentEvent::kKey, code);
    };
    keyInput_.typedEvent = [this](std::string_view bytes, int repeat) {
        if (scripts_->host().residents->empty()) return;
        DocWindow* w = ActiveWindow();
        const int codePage = w ? w->doc().CodePage() : platform::SystemCodePage();
        const std::vector<uint16_t> codes = app::CharacterCodes(bytes, codePage);
        for (int i = 0; i < repeat; ++i)
            for (uint16_t c : codes) RaiseResidentEvent(ResidentEvent::kChar, c);
    };
    const int splitLine =
        app::CommandIndexById(static_cast<uint16_t>(editing::CommandId::SplitLine));
    dispatcher_.viewCommandRun = [this, splitLine](size_t command) {
        if (static_cast<int>(command) == splitLine) RaiseResidentEvent(ResidentEvent::kSplitLine);
    };

    auto any = [this](FrameCommandId id, std::function<void()> f) {
        frameHandlers_[id] = {[f = std::move(f)](uint8_t) { f(); }, false};
    };
    for (int n = 0; n < app::kAddinSlotCount; ++n)
        any(static_cast<FrameCommandId>(static_cast<int>(FrameCommandId::Addin0) + n),
            [this, n] { RunAddinCommand(n); });
    any(FrameCommandId::TsrMenu, [this] { ShowResidentMenu(); });
    any(FrameCommandId::RunScript, [this] { RunScriptOnEditor(); });
    any(FrameCommandId::JukeBox, [this] { ShowScriptLibrary(); });
}

std::optional<size_t> MainFrame::ChooseScriptEntry(const std::vector<std::string>& entries) {
    std::vector<PopupEntry> popup;
    for (const std::string& e : entries) popup.push_back({false, FromUtf8(e), true});
    // At the caret, or at the mouse when no view shows one.
    const QPoint where = ActiveWindow() ? CaretGlobalPoint() : QCursor::pos();
    const int chosen = ExecPopup(popup, where, this, kScriptMenuName);
    if (chosen < 0) return std::nullopt;
    return static_cast<size_t>(chosen);
}

void MainFrame::RunAddinCommand(int n) {
    if (n < 0 || n >= app::kAddinSlotCount) return;
    // A copy: the run may reload the data file.
    const app::AddinSlot slot = config_->data.addins[static_cast<size_t>(n)];
    app::RunAddin(scripts_->host(), slot);
}

void MainFrame::ShowResidentMenu() {
    app::RunResidentMenu(scripts_->host(), [this](const std::vector<std::string>& entries) {
        return ChooseScriptEntry(entries);
    });
}

void MainFrame::RunScriptOnEditor() {
    app::RunOpenScript(
        scripts_->host(), Documents(),
        [this](document::CElwDoc& doc) { return session_->Save(doc, false); },
        [this](const std::vector<std::string>& entries) { return ChooseScriptEntry(entries); });
}

void MainFrame::ShowScriptLibrary() {
    // Headless runs have nobody to press a letter.
    if (qApp->property("norvHeadless").toBool()) return;
    app::EditorScriptHost& host = scripts_->host();
    const int codePage = platform::SystemCodePage();
    const std::string scriptsFolder =
        app::ScriptsFolder(config_->settings, host.editor().SettingsFolder());
    const std::string programFolder = host.editor().ProgramFolder();
    ScriptLibraryDialog::Calls calls;
    calls.choices = [this, scriptsFolder, programFolder] {
        return app::ScriptChoices(scripts_->host().fs(), scriptsFolder, programFolder);
    };
    calls.save = [this](int page, int index, const app::LibrarySlot& slot) {
        const app::PreferenceFiles& files = preferenceFiles_;
        if (!files.fs || files.dataPath.empty()) {
            // Without a data file the slot is kept for this run only.
            config_->data.library[size_t(page)][size_t(index)] = slot;
            return true;
        }
        if (const int error = app::RegisterLibrarySlot(*files.fs, files.dataPath, page, index, slot,
                                                       config_->data)) {
            ui_->MessageBox(app::DataFileWriteFailedText(files.dataPath, error),
                            platform::mb::kOk | platform::mb::kIconWarning);
            return false;
        }
        return true;
    };
    ScriptLibraryDialog dialog(this, *ui_, config_->data, app::LibraryPage(config_->settings),
                               codePage, std::move(calls));
    const bool accepted = dialog.exec() == QDialog::Accepted;
    app::KeepLibraryPage(config_->settings, store_, dialog.page());
    if (!accepted || !dialog.chosen()) return;
    // A copy: the run may change the data file.
    const app::LibrarySlot slot =
        config_->data.library[size_t(dialog.page())][size_t(*dialog.chosen())];
    if (dialog.mode() == app::LibraryMode::kRun) {
        app::RunLibrarySlot(host, slot);
        return;
    }
    OpenFile(app::LibraryEditPath(host.fs(), slot, scriptsFolder, programFolder));
}

}  // namespace norv::qt
