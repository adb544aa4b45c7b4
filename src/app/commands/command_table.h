// The command table: every command a key, a menu, a user menu, a key macro or a script can name,
// in its fixed order (which also gives the key dialog's groups), with its view or frame
// identifier and its built-in keys. View commands, with their names, come from the editing
// core's list and frame identifiers from frame_command_ids.h; this table only joins them with
// frame names and keys.
//
// The built-in keys are written as key names and turned into codes at compile time.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "app/commands/frame_command_ids.h"
#include "app/commands/key_names.h"
#include "editing/command_ids.h"

namespace norv::app {

struct Command {
    std::string_view name;
    editing::CommandId view;  // 0 when the command goes to the frame
    FrameCommandId frame;     // used when `view` is 0
    KeyCode key1;
    KeyCode key2;

    constexpr bool isView() const { return static_cast<uint16_t>(view) != 0; }
    constexpr uint16_t id() const {
        return isView() ? static_cast<uint16_t>(view) : static_cast<uint16_t>(frame);
    }
};

struct CommandGroup {
    std::string_view title;
    size_t first;  // index of the group's first command
};

inline constexpr size_t kCommandCount = 182;

namespace detail {
constexpr Command Cmd(std::string_view name, editing::CommandId view, FrameCommandId frame,
                      std::string_view key1, std::string_view key2) {
    return Command{name, view, frame, KeyFromName(key1), KeyFromName(key2)};
}
// A view command: its name is the editing core's, so it is written only there. An identifier
// missing from that list has no name, and the table below then fails to compile.
constexpr Command View(editing::CommandId view, std::string_view key1, std::string_view key2) {
    return Cmd(editing::ViewCommandName(view), view, FrameCommandId::None, key1, key2);
}
constexpr bool EveryCommandNamed(const auto& table) {
    for (const Command& c : table)
        if (c.name.empty()) return false;
    return true;
}
}  // namespace detail

// clang-format off
inline constexpr std::array<Command, kCommandCount> kBuiltinCommands = [] {
    using V = editing::CommandId;
    using F = FrameCommandId;
    using detail::Cmd;
    using detail::View;
    return std::array<Command, kCommandCount>{
    // Caret Movement
    View(V::CsrUp, "Up", ""),
    View(V::CsrLeft, "Left", ""),
    View(V::CsrRight, "Right", ""),
    View(V::CsrDown, "Down", ""),
    View(V::WordLeft, "Ctrl+Left", ""),
    View(V::WordRight, "Ctrl+Right", "Ctrl+W"),
    View(V::BegLine, "Home", ""),
    View(V::EndLine, "End", ""),
    View(V::LeftSide, "", ""),
    View(V::RightSide, "", ""),
    // Line Edit
    View(V::BackSpace, "BS", "Ctrl+H"),
    View(V::DeleteChar, "Del", "Ctrl+G"),
    View(V::InputCtrl, "Ctrl+[", ""),
    View(V::InsertTab, "Tab", ""),
    View(V::ChangeCase, "Ctrl+K^L", ""),
    View(V::ChgCaseOne, "Ctrl+L", ""),
    View(V::DeleteAfter, "Ctrl+Del", ""),
    View(V::DeleteTop, "Ctrl+BS", ""),
    View(V::WordBS, "Shift+BS", ""),
    View(V::WordDel, "Shift+Del", ""),
    View(V::RepeatOne, "SAlt+Ins", ""),
    View(V::WordPaste, "Ctrl+Q^I", ""),
    View(V::TimeStamp, "Ctrl+K^T", ""),
    View(V::SplitLine, "Enter", ""),
    View(V::InsertAft, "Shift+Enter", ""),
    View(V::InsertBef, "Ctrl+Enter", ""),
    View(V::DupLine, "Ctrl+I", ""),
    View(V::DeleteLine, "Ctrl+E", ""),
    View(V::PopLine, "Ctrl+U", ""),
    // Edit
    View(V::EditCopy, "Ctrl+C", "Ctrl+Ins"),
    View(V::EditCut, "Ctrl+X", ""),
    View(V::EditCopyAppend, "Ctrl+F8", ""),
    View(V::EditCutAppend, "Ctrl+F7", ""),
    View(V::EditPaste, "Ctrl+V", "Shift+Ins"),
    View(V::Undo, "Ctrl+Z", "Alt+BS"),
    View(V::Redo, "Ctrl+Y", "SAlt+BS"),
    View(V::Repeat, "Ctrl+R", ""),
    View(V::StepDo, "Ctrl+D", ""),
    View(V::SelectBegin, "Ctrl+K^B", ""),
    View(V::SelectEnd, "", ""),
    View(V::BoxBegin, "Ctrl+K^M", ""),
    View(V::BoxPaste, "Ctrl+K^I", ""),
    View(V::EditConvert, "", ""),
    View(V::EditCenter, "", ""),
    View(V::EditLeft, "", ""),
    View(V::EditRight, "", ""),
    View(V::EditSort, "", ""),
    View(V::Indent, "", ""),
    View(V::BackInd, "", ""),
    View(V::AddString, "", ""),
    View(V::SelectAll, "Ctrl+A", ""),
    View(V::CopyToFile, "Ctrl+K^C", ""),
    View(V::PasteFromFile, "Ctrl+K^V", ""),
    View(V::AppendFile, "Ctrl+K^]", ""),
    View(V::ReFormat, "", ""),
    View(V::DeFormat, "", ""),
    View(V::FlushBuf, "", ""),
    View(V::SelectClipBd, "Ctrl+K^G", ""),
    View(V::ModeInsert, "Ins", ""),
    View(V::ModeAutoSplit, "Ctrl+K^J", ""),
    Cmd("LockEdit", V{}, F::LockEdit, "Ctrl+K^\\", ""),
    // Scroll
    View(V::RollUp, "", ""),
    View(V::RollDown, "", ""),
    View(V::NormalRlUp, "", ""),
    View(V::NormalRlDn, "", ""),
    View(V::SRollUp, "", ""),
    View(V::SRollDown, "", ""),
    View(V::AnothRollUp, "Alt+Down", ""),
    View(V::AnothRollDown, "Alt+Up", ""),
    View(V::BothRollUp, "Alt+PgDn", ""),
    View(V::BothRollDown, "Alt+PgUp", ""),
    View(V::PageUp, "PgDn", ""),
    View(V::PageDown, "PgUp", ""),
    View(V::HalfPageUp, "SAlt+PgDn", ""),
    View(V::HalfPageDown, "SAlt+PgUp", ""),
    View(V::RollLeft, "Alt+Left", ""),
    View(V::RollRight, "Alt+Right", ""),
    View(V::SlowRlup, "Ctrl+Down", ""),
    View(V::SlowRldn, "Ctrl+Up", ""),
    View(V::MakeTop, "Ctrl+Q^W", ""),
    View(V::MakeBot, "Ctrl+Q^Z", ""),
    View(V::MakeMid, "Ctrl+Q^D", ""),
    // Jump
    View(V::TextTop, "Ctrl+Q^R", "Ctrl+Home"),
    View(V::TextBot, "Ctrl+Q^C", "Ctrl+End"),
    View(V::JumpLine, "Ctrl+J", ""),
    View(V::PrevPos, "Ctrl+Q^P", ""),
    View(V::ScreenTop, "Ctrl+Q^E", ""),
    View(V::ScreenBot, "Ctrl+Q^X", ""),
    View(V::TagJump, "F10", "Ctrl+Q^J"),
    View(V::BackToTag, "F9", ""),
    View(V::OtherParen, "Ctrl+]", ""),
    View(V::NextChanged, "F8", ""),
    View(V::PrevChanged, "Shift+F8", ""),
    View(V::MarkLine, "Ctrl+M", "Ctrl+Q^K"),
    View(V::MarkCaption, "Ctrl+Q^]", ""),
    View(V::NextMark, "Ctrl+PgDn", "Ctrl+Q^M"),
    View(V::PrevMark, "Ctrl+PgUp", "Ctrl+Q^N"),
    View(V::MarkList, "Ctrl+Q^L", "Shift+F10"),
    View(V::MarkOff, "Ctrl+Q^\\", ""),
    // Search
    View(V::SearchFwd, "Ctrl+F", "Ctrl+Q^F"),
    View(V::SearchBwd, "Ctrl+B", "Ctrl+Q^B"),
    View(V::SearchNext, "F3", "Ctrl+N"),
    View(V::SearchPrev, "Shift+F3", "Ctrl+P"),
    View(V::Replace, "Ctrl+Q^A", ""),
    View(V::ReplAgain, "Ctrl+Q^S", ""),
    View(V::GetWord, "Ctrl+_", ""),
    Cmd("Compare", V{}, F::Compare, "", ""),
    Cmd("Grep", V{}, F::Grep, "Ctrl+Q^G", ""),
    // File
    Cmd("NewFile", V{}, F::NewFile, "", ""),
    Cmd("NewFileType", V{}, F::NewFileType, "", ""),
    Cmd("OpenFile", V{}, F::OpenFile, "Ctrl+K^N", ""),
    Cmd("OpenFolder", V{}, F::OpenFolder, "Ctrl+K^F", ""),
    Cmd("OpenNorv", V{}, F::OpenNorv, "", ""),
    Cmd("OpenMRU", V{}, F::OpenMRU, "Ctrl+K^H", ""),
    Cmd("ReOpen", V{}, F::ReOpen, "Ctrl+K^O", ""),
    Cmd("CloseFile", V{}, F::CloseFile, "Ctrl+K^Q", ""),
    Cmd("SaveFile", V{}, F::SaveFile, "Ctrl+K^S", "Ctrl+S"),
    Cmd("SaveAs", V{}, F::SaveAs, "Ctrl+K^D", ""),
    Cmd("SaveClose", V{}, F::SaveClose, "Ctrl+K^E", ""),
    Cmd("AllSave", V{}, F::AllSave, "Ctrl+K^W", ""),
    Cmd("AllSaveQuit", V{}, F::AllSaveQuit, "Ctrl+K^A", ""),
    Cmd("AppExit", V{}, F::AppExit, "Ctrl+K^X", "Alt+F4"),
    Cmd("Print", V{}, F::Print, "Ctrl+K^P", ""),
    Cmd("PrintPreview", V{}, F::PrintPreview, "Ctrl+K^R", ""),
    Cmd("AllUpdate", V{}, F::AllUpdate, "", ""),
    Cmd("AutoSave", V{}, F::AutoSave, "", ""),
    Cmd("Break", V{}, F::Break, "Ctrl+K^Z", ""),
    // Window
    Cmd("Split", V{}, F::Split, "", ""),
    Cmd("TileTwo", V{}, F::TileTwo, "F4", ""),
    Cmd("TileHorz", V{}, F::TileHorz, "", ""),
    Cmd("TileVert", V{}, F::TileVert, "", ""),
    Cmd("Cascade", V{}, F::Cascade, "F5", ""),
    Cmd("NewWindow", V{}, F::NewWindow, "F6", ""),
    Cmd("NextPane", V{}, F::NextPane, "Shift+Tab", ""),
    Cmd("AnothWin", V{}, F::AnothWin, "Shift+F4", ""),
    Cmd("FileSelect", V{}, F::FileSelect, "F2", ""),
    // Macros and Tools
    Cmd("RecordKey", V{}, F::RecordKey, "Ctrl+O^R", ""),
    Cmd("PlayKey", V{}, F::PlayKey, "Ctrl+O^M", ""),
    Cmd("SaveMacro", V{}, F::SaveMacro, "Ctrl+O^V", ""),
    Cmd("LoadMacro", V{}, F::LoadMacro, "Ctrl+O^L", ""),
    Cmd("TsrMenu", V{}, F::TsrMenu, "ESC", ""),
    Cmd("JukeBox", V{}, F::JukeBox, "Shift+ESC", ""),
    Cmd("RunScript", V{}, F::RunScript, "Ctrl+F5", ""),
    Cmd("LoadProject", V{}, F::LoadProject, "Ctrl+O^P", ""),
    Cmd("CloseProject", V{}, F::CloseProject, "Ctrl+O^C", ""),
    Cmd("SaveProjectAs", V{}, F::SaveProjectAs, "Ctrl+O^W", ""),
    Cmd("SetProperty", V{}, F::SetProperty, "", ""),
    Cmd("Shell", V{}, F::Shell, "Shift+F6", "Ctrl+O^S"),
    Cmd("ShellMenu", V{}, F::ShellMenu, "Shift+F7", "Ctrl+O^X"),
    Cmd("Menu1", V{}, F::Menu1, "RBtn", ""),
    Cmd("Menu2", V{}, F::Menu2, "", ""),
    Cmd("Menu3", V{}, F::Menu3, "", ""),
    Cmd("Menu4", V{}, F::Menu4, "", ""),
    Cmd("Menu5", V{}, F::Menu5, "", ""),
    Cmd("AppHelp", V{}, F::AppHelp, "F1", ""),
    Cmd("Help1", V{}, F::Help1, "", ""),
    Cmd("Help2", V{}, F::Help2, "", ""),
    Cmd("Help3", V{}, F::Help3, "", ""),
    Cmd("Help4", V{}, F::Help4, "", ""),
    Cmd("Help5", V{}, F::Help5, "", ""),
    Cmd("Help6", V{}, F::Help6, "", ""),
    Cmd("Help7", V{}, F::Help7, "", ""),
    Cmd("Help8", V{}, F::Help8, "", ""),
    Cmd("Help9", V{}, F::Help9, "", ""),
    Cmd("Help10", V{}, F::Help10, "", ""),
    Cmd("Addin0", V{}, F::Addin0, "", ""),
    Cmd("Addin1", V{}, F::Addin1, "", ""),
    Cmd("Addin2", V{}, F::Addin2, "", ""),
    Cmd("Addin3", V{}, F::Addin3, "", ""),
    Cmd("Addin4", V{}, F::Addin4, "", ""),
    Cmd("Addin5", V{}, F::Addin5, "", ""),
    Cmd("Addin6", V{}, F::Addin6, "", ""),
    Cmd("Addin7", V{}, F::Addin7, "", ""),
    Cmd("Addin8", V{}, F::Addin8, "", ""),
    Cmd("Addin9", V{}, F::Addin9, "", ""),
    Cmd("AddinA", V{}, F::AddinA, "", ""),
    Cmd("AddinB", V{}, F::AddinB, "", ""),
    Cmd("AddinC", V{}, F::AddinC, "", ""),
    Cmd("AddinD", V{}, F::AddinD, "", ""),
    Cmd("AddinE", V{}, F::AddinE, "", ""),
    Cmd("AddinF", V{}, F::AddinF, "", ""),
    Cmd("Nop", V{}, F::Nop, "", ""),
    };
}();

inline constexpr std::array<CommandGroup, 9> kCommandGroups = {{
    CommandGroup{"Caret Movement", 0},
    CommandGroup{"Line Edit", 10},
    CommandGroup{"Edit", 29},
    CommandGroup{"Scroll", 61},
    CommandGroup{"Jump", 82},
    CommandGroup{"Search", 99},
    CommandGroup{"File", 108},
    CommandGroup{"Window", 127},
    CommandGroup{"Macros and Tools", 136},
}};
// clang-format on

static_assert(kBuiltinCommands.size() == kCommandCount);
static_assert(detail::EveryCommandNamed(kBuiltinCommands),
              "a view command of the table is missing from editing::kViewCommands");

// Index of the command with this name (exact, case-sensitive), or -1.
int CommandIndexByName(std::string_view name);
// Index of the first command whose view or frame identifier is `id`, or -1 (also for 0).
int CommandIndexById(uint16_t id);
// The group a command belongs to.
size_t GroupOf(size_t index);

// Commands that no code of this build carries out: menus show them disabled and keys and
// scripts report them as not available. Every command of the table has its handler now, so the
// list is empty; it stays the one place to name a command whose handler is taken out (a test
// checks that the list and the handlers agree).
inline constexpr std::array<std::string_view, 0> kCommandsHandledLater{};

// Whether the command is in kCommandsHandledLater.
bool IsHandledLater(std::string_view name);

}  // namespace norv::app
