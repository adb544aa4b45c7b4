// The key macro in the main frame: the recorder on the views and the frame's command path, the
// four macro commands, and the menu items that run by a table name of their own.
#include "gui/frame/macro_commands.h"

#include "app/commands/hidden_commands.h"
#include "gui/frame/doc_window.h"
#include "gui/frame/main_frame.h"
#include "gui/frame/mark_bar.h"
#include "gui/frame/qt_script_frame.h"
#include "gui/frame/script_wiring.h"
#include "gui/frame/spell_wiring.h"
#include "platform/code_page.h"
#include "platform/file_system.h"

namespace norv::qt {

using app::FrameCommandId;

void MainFrame::SetUpKeyMacros() {
    keyMacros_ = std::make_unique<app::KeyMacros>(*ui_);
    // The one script host of the frame: scripts, key macros and resident scripts run on it.
    scriptFrame_ = std::make_unique<QtScriptFrame>(*this);
    scripts_ = std::make_unique<ScriptWiring>(*this);
    // Every view and the commands of other parts report to it; frame commands of the table
    // report on their way through the key dispatch, which every menu, bar and popup takes.
    shared_.recorder = keyMacros_.get();
    dispatcher_.frameCommandRun = [this](size_t command) {
        keyMacros_->RecordTableCommand(command);
    };
    keyMacros_->scriptLevel = [this] { return scripts_->Level(); };
    keyMacros_->documentCodePage = [this] {
        DocWindow* w = ActiveWindow();
        return w ? w->doc().CodePage() : platform::SystemCodePage();
    };
}

void MainFrame::PlayKeyMacro() {
    scripts_->RunBegins();
    keyMacros_->PlayKey(scripts_->host());
    scripts_->RunEnds();
    if (DocWindow* w = ActiveWindow()) w->editor().Refresh();
    UpdateMenus();
    UpdateStatus();
}

void MainFrame::RegisterMacroCommands() {
    auto any = [this](FrameCommandId id, std::function<void()> f) {
        frameHandlers_[id] = {[f = std::move(f)](uint8_t) { f(); }, false};
    };
    auto ask = [this](app::MacroFileRequest& r) { return dialogs_->AskScriptFile(r); };
    any(FrameCommandId::RecordKey, [this] {
        keyMacros_->RecordKey();
        UpdateMenus();
    });
    any(FrameCommandId::PlayKey, [this] { PlayKeyMacro(); });
    any(FrameCommandId::SaveMacro,
        [this, ask] { keyMacros_->SaveMacro(platform::RealFileSystem(), ask); });
    any(FrameCommandId::LoadMacro, [this, ask] { keyMacros_->LoadMacro(scripts_->host(), ask); });
}

bool MainFrame::RunHiddenCommand(size_t hidden) {
    if (hidden >= app::kHiddenCommands.size()) return false;
    const std::string_view name = app::kHiddenCommands[hidden].name;
    // What the item does to the active window; the bookmark list's copies need none.
    std::function<void(DocWindow&)> run;
    std::function<void()> copy;
    for (const CodeMenuItem& item : kCodeMenuItems)
        if (item.name == name)
            run = [this, item](DocWindow& d) { SetCharacterCode(d, item.code, item.eucLf); };
    for (const ReturnMenuItem& item : kReturnMenuItems)
        if (item.name == name) run = [this, item](DocWindow& d) { SetReturnCode(d, item.mode); };
    for (const app::AddressCommandName& c : app::kAddressCommands)
        if (AddressCommandTableName(c.id) == name)
            run = [id = c.id](DocWindow& d) { d.editor().RunAddressCommand(id); };
    if (name == "ReadOnlyMode") run = [this](DocWindow& d) { ToggleReadOnly(d); };
    if (name == "CopyAll") copy = [this] { markBar_->CopyAll(); };
    if (name == "CopyVisible") copy = [this] { markBar_->CopyVisible(); };
    if (name == "CopyLevel") copy = [this] { markBar_->CopyLevel(); };
    if (name == "SpellCheck") run = [this](DocWindow&) { spell_->RunSpellCheck(); };
    if (!run && !copy) return false;
    keyMacros_->RecordHiddenCommand(name);
    if (copy) {
        copy();
    } else if (DocWindow* w = ActiveWindow()) {
        run(*w);
    }
    UpdateMenus();
    UpdateStatus();
    return true;
}

}  // namespace norv::qt
