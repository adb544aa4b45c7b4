// The manual (AppHelp) and the ten help entries (Help1 to Help10): each opens its file with the
// desktop's handler, xdg-open, given the file as its one argument. The Tools menu shows the
// entries that apply to the active document under their own labels.
#include <QAction>
#include <QMenu>
#include <array>

#include "app/commands/command_texts.h"
#include "app/help_files.h"
#include "app/scripting/kept_scripts.h"
#include "gui/editor/text_bridge.h"
#include "gui/frame/doc_window.h"
#include "gui/frame/main_frame.h"
#include "gui/frame/menus.h"
#include "platform/code_page.h"
#include "platform/paths.h"
#include "platform/process_start.h"

namespace norv::qt {

void MainFrame::SetProgramFolder(std::string folder) {
    programFolder_ = std::move(folder);
}

const std::string& MainFrame::programFolder() const {
    if (programFolder_.empty()) programFolder_ = platform::FolderOf(platform::ExecutablePath());
    return programFolder_;
}

bool MainFrame::ShowHelpFile(const std::string& path) {
    const std::optional<platform::FileInfo> info = env_.Fs().Stat(path);
    if (!info || info->isDirectory) {
        ui_->MessageBox(app::HelpFileMissingText(path),
                        platform::mb::kOk | platform::mb::kIconWarning);
        return false;
    }
    const platform::StartOutcome started = platform::StartDetached({"xdg-open", path});
    if (started.kind == platform::StartOutcome::Kind::kNotStarted) {
        ui_->MessageBox("Cannot start \"xdg-open\" to open " + path + ".",
                        platform::mb::kOk | platform::mb::kIconWarning);
        return false;
    }
    return true;
}

bool MainFrame::ShowManual() {
    std::string path = app::FindManual(env_.Fs(), programFolder());
    // Neither place has it: the message names the first place looked at.
    if (path.empty()) path = app::ManualCandidates(programFolder()).front();
    return ShowHelpFile(path);
}

bool MainFrame::ShowHelpEntry(int entry) {
    const std::string path = app::HelpEntryPath(config_->settings.Help(entry), programFolder());
    if (path.empty()) return false;  // an empty entry does nothing
    return ShowHelpFile(path);
}

QString MainFrame::MenuLabel(size_t command) const {
    // An add-in command goes by its script's name.
    if (const int slot = app::AddinSlotOfCommand(command); slot >= 0) {
        const std::string name = app::AddinMenuName(config_->data.addins[size_t(slot)]);
        if (!name.empty())
            return BytesToQString(platform::SystemCodePage(), name)
                .replace(QLatin1Char('&'), QStringLiteral("&&"));
    }
    const int entry = app::HelpEntryOfCommand(command);
    if (entry >= 0) {
        const app::HelpEntry e = config_->settings.Help(entry);
        if (!e.file.empty()) {
            // The label is the user's text: an "&" in it is shown, not taken as a mnemonic.
            return BytesToQString(config_->settings.CodePage(), app::HelpEntryLabel(e))
                .replace(QLatin1Char('&'), QStringLiteral("&&"));
        }
    }
    return FromUtf8(app::CommandLabel(command));
}

void MainFrame::UpdateHelpItems() {
    DocWindow* w = ActiveWindow();
    const std::string path = w ? w->doc().path : std::string();
    std::array<bool, app::kHelpEntryCount> listed{};
    for (const app::HelpMenuItem& item : app::HelpMenuItems(config_->settings, path))
        listed[static_cast<size_t>(item.entry)] = true;
    for (int i = 0; i < app::kHelpEntryCount; ++i)
        if (QAction* a = menus_->ActionAt(app::HelpCommand(i)))
            a->setVisible(listed[static_cast<size_t>(i)]);
}

}  // namespace norv::qt
