// The command table: every command a key, a menu, a user menu, a key macro or a script can name,
// in its fixed order (which also gives the key dialog's groups), with its view or frame
// identifier and its built-in keys. View identifiers come from the editing core's list and
// frame identifiers from frame_command_ids.h; this table only joins them with names and keys.
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
}  // namespace detail

// clang-format off
inline constexpr std::array<Command, kCommandCount> kBuiltinCommands = [] {
    using V = editing::CommandId;
    using F = FrameCommandId;
    using detail::Cmd;
    return std::array<Command, kCommandCount>{
    // Caret Movement
    Cmd("CsrUp", V::CsrUp, F::None, "Up", ""),
    Cmd("CsrLeft", V::CsrLeft, F::None, "Left", ""),
    Cmd("CsrRight", V::CsrRight, F::None, "Right", ""),
    Cmd("CsrDown", V::CsrDown, F::None, "Down", ""),
    Cmd("WordLeft", V::WordLeft, F::None, "Ctrl+Left", ""),
    Cmd("WordRight", V::WordRight, F::None, "Ctrl+Right", "Ctrl+W"),
    Cmd("BegLine", V::BegLine, F::None, "Home", ""),
    Cmd("EndLine", V::EndLine, F::None, "End", ""),
    Cmd("LeftSide", V::LeftSide, F::None, "", ""),
    Cmd("RightSide", V::RightSide, F::None, "", ""),
    // Line Edit
    Cmd("BackSpace", V::BackSpace, F::None, "BS", "Ctrl+H"),
    Cmd("DeleteChar", V::DeleteChar, F::None, "Del", "Ctrl+G"),
    Cmd("InputCtrl", V::InputCtrl, F::None, "Ctrl+[", ""),
    Cmd("InsertTab", V::InsertTab, F::None, "Tab", ""),
    Cmd("ChangeCase", V::ChangeCase, F::None, "Ctrl+K^L", ""),
    Cmd("ChgCaseOne", V::ChgCaseOne, F::None, "Ctrl+L", ""),
    Cmd("DeleteAfter", V::DeleteAfter, F::None, "Ctrl+Del", ""),
    Cmd("DeleteTop", V::DeleteTop, F::None, "Ctrl+BS", ""),
    Cmd("WordBS", V::WordBS, F::None, "Shift+BS", ""),
    Cmd("WordDel", V::WordDel, F::None, "Shift+Del", ""),
    Cmd("RepeatOne", V::RepeatOne, F::None, "SAlt+Ins", ""),
    Cmd("WordPaste", V::WordPaste, F::None, "Ctrl+Q^I", ""),
    Cmd("TimeStamp", V::TimeStamp, F::None, "Ctrl+K^T", ""),
    Cmd("SplitLine", V::SplitLine, F::None, "Enter", ""),
    Cmd("InsertAft", V::InsertAft, F::None, "Shift+Enter", ""),
    Cmd("InsertBef", V::InsertBef, F::None, "Ctrl+Enter", ""),
    Cmd("DupLine", V::DupLine, F::None, "Ctrl+I", ""),
    Cmd("DeleteLine", V::DeleteLine, F::None, "Ctrl+E", ""),
    Cmd("PopLine", V::PopLine, F::None, "Ctrl+U", ""),
    // Edit
    Cmd("EditCopy", V::EditCopy, F::None, "Ctrl+C", "Ctrl+Ins"),
    Cmd("EditCut", V::EditCut, F::None, "Ctrl+X", ""),
    Cmd("EditCopyAppend", V::EditCopyAppend, F::None, "Ctrl+F8", ""),
    Cmd("EditCutAppend", V::EditCutAppend, F::None, "Ctrl+F7", ""),
    Cmd("EditPaste", V::EditPaste, F::None, "Ctrl+V", "Shift+Ins"),
    Cmd("Undo", V::Undo, F::None, "Ctrl+Z", "Alt+BS"),
    Cmd("Redo", V::Redo, F::None, "Ctrl+Y", "SAlt+BS"),
    Cmd("Repeat", V::Repeat, F::None, "Ctrl+R", ""),
    Cmd("StepDo", V::StepDo, F::None, "Ctrl+D", ""),
    Cmd("SelectBegin", V::SelectBegin, F::None, "Ctrl+K^B", ""),
    Cmd("SelectEnd", V::SelectEnd, F::None, "", ""),
    Cmd("BoxBegin", V::BoxBegin, F::None, "Ctrl+K^M", ""),
    Cmd("BoxPaste", V::BoxPaste, F::None, "Ctrl+K^I", ""),
    Cmd("EditConvert", V::EditConvert, F::None, "", ""),
    Cmd("EditCenter", V::EditCenter, F::None, "", ""),
    Cmd("EditLeft", V::EditLeft, F::None, "", ""),
    Cmd("EditRight", V::EditRight, F::None, "", ""),
    Cmd("EditSort", V::EditSort, F::None, "", ""),
    Cmd("Indent", V::Indent, F::None, "", ""),
    Cmd("BackInd", V::BackInd, F::None, "", ""),
    Cmd("AddString", V::AddString, F::None, "", ""),
    Cmd("SelectAll", V::SelectAll, F::None, "Ctrl+A", ""),
    Cmd("CopyToFile", V::CopyToFile, F::None, "Ctrl+K^C", ""),
    Cmd("PasteFromFile", V::PasteFromFile, F::None, "Ctrl+K^V", ""),
    Cmd("AppendFile", V::AppendFile, F::None, "Ctrl+K^]", ""),
    Cmd("ReFormat", V::ReFormat, F::None, "", ""),
    Cmd("DeFormat", V::DeFormat, F::None, "", ""),
    Cmd("FlushBuf", V::FlushBuf, F::None, "", ""),
    Cmd("SelectClipBd", V::SelectClipBd, F::None, "Ctrl+K^G", ""),
    Cmd("ModeInsert", V::ModeInsert, F::None, "Ins", ""),
    Cmd("ModeAutoSplit", V::ModeAutoSplit, F::None, "Ctrl+K^J", ""),
    Cmd("LockEdit", V{}, F::LockEdit, "Ctrl+K^\\", ""),
    // Scroll
    Cmd("RollUp", V::RollUp, F::None, "", ""),
    Cmd("RollDown", V::RollDown, F::None, "", ""),
    Cmd("NormalRlUp", V::NormalRlUp, F::None, "", ""),
    Cmd("NormalRlDn", V::NormalRlDn, F::None, "", ""),
    Cmd("SRollUp", V::SRollUp, F::None, "", ""),
    Cmd("SRollDown", V::SRollDown, F::None, "", ""),
    Cmd("AnothRollUp", V::AnothRollUp, F::None, "Alt+Down", ""),
    Cmd("AnothRollDown", V::AnothRollDown, F::None, "Alt+Up", ""),
    Cmd("BothRollUp", V::BothRollUp, F::None, "Alt+PgDn", ""),
    Cmd("BothRollDown", V::BothRollDown, F::None, "Alt+PgUp", ""),
    Cmd("PageUp", V::PageUp, F::None, "PgDn", ""),
    Cmd("PageDown", V::PageDown, F::None, "PgUp", ""),
    Cmd("HalfPageUp", V::HalfPageUp, F::None, "SAlt+PgDn", ""),
    Cmd("HalfPageDown", V::HalfPageDown, F::None, "SAlt+PgUp", ""),
    Cmd("RollLeft", V::RollLeft, F::None, "Alt+Left", ""),
    Cmd("RollRight", V::RollRight, F::None, "Alt+Right", ""),
    Cmd("SlowRlup", V::SlowRlup, F::None, "Ctrl+Down", ""),
    Cmd("SlowRldn", V::SlowRldn, F::None, "Ctrl+Up", ""),
    Cmd("MakeTop", V::MakeTop, F::None, "Ctrl+Q^W", ""),
    Cmd("MakeBot", V::MakeBot, F::None, "Ctrl+Q^Z", ""),
    Cmd("MakeMid", V::MakeMid, F::None, "Ctrl+Q^D", ""),
    // Jump
    Cmd("TextTop", V::TextTop, F::None, "Ctrl+Q^R", "Ctrl+Home"),
    Cmd("TextBot", V::TextBot, F::None, "Ctrl+Q^C", "Ctrl+End"),
    Cmd("JumpLine", V::JumpLine, F::None, "Ctrl+J", ""),
    Cmd("PrevPos", V::PrevPos, F::None, "Ctrl+Q^P", ""),
    Cmd("ScreenTop", V::ScreenTop, F::None, "Ctrl+Q^E", ""),
    Cmd("ScreenBot", V::ScreenBot, F::None, "Ctrl+Q^X", ""),
    Cmd("TagJump", V::TagJump, F::None, "F10", "Ctrl+Q^J"),
    Cmd("BackToTag", V::BackToTag, F::None, "F9", ""),
    Cmd("OtherParen", V::OtherParen, F::None, "Ctrl+]", ""),
    Cmd("NextChanged", V::NextChanged, F::None, "F8", ""),
    Cmd("PrevChanged", V::PrevChanged, F::None, "Shift+F8", ""),
    Cmd("MarkLine", V::MarkLine, F::None, "Ctrl+M", "Ctrl+Q^K"),
    Cmd("MarkCaption", V::MarkCaption, F::None, "Ctrl+Q^]", ""),
    Cmd("NextMark", V::NextMark, F::None, "Ctrl+PgDn", "Ctrl+Q^M"),
    Cmd("PrevMark", V::PrevMark, F::None, "Ctrl+PgUp", "Ctrl+Q^N"),
    Cmd("MarkList", V::MarkList, F::None, "Ctrl+Q^L", "Shift+F10"),
    Cmd("MarkOff", V::MarkOff, F::None, "Ctrl+Q^\\", ""),
    // Search
    Cmd("SearchFwd", V::SearchFwd, F::None, "Ctrl+F", "Ctrl+Q^F"),
    Cmd("SearchBwd", V::SearchBwd, F::None, "Ctrl+B", "Ctrl+Q^B"),
    Cmd("SearchNext", V::SearchNext, F::None, "F3", "Ctrl+N"),
    Cmd("SearchPrev", V::SearchPrev, F::None, "Shift+F3", "Ctrl+P"),
    Cmd("Replace", V::Replace, F::None, "Ctrl+Q^A", ""),
    Cmd("ReplAgain", V::ReplAgain, F::None, "Ctrl+Q^S", ""),
    Cmd("GetWord", V::GetWord, F::None, "Ctrl+_", ""),
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

// Index of the command with this name (exact, case-sensitive), or -1.
int CommandIndexByName(std::string_view name);
// Index of the first command whose view or frame identifier is `id`, or -1 (also for 0).
int CommandIndexById(uint16_t id);
// The group a command belongs to.
size_t GroupOf(size_t index);

// Commands that no code of this build carries out yet: their handlers come with later parts of
// the program (paragraph, sort and convert; compare,
// printing, projects, macros and scripts, external tools and add-ins). This is the one
// list of them: menus show these commands disabled and keys report them as not available, and
// the work that builds one removes its name here (a test checks that the list and the handlers
// agree).
inline constexpr std::string_view kCommandsHandledLater[] = {
    // View commands
    "EditCenter",
    "EditLeft",
    "EditRight",
    "Indent",
    "BackInd",
    "AddString",
    "ReFormat",
    "DeFormat",
    // Frame commands
    "OpenMRU",
    "Break",
    "RecordKey",
    "PlayKey",
    "SaveMacro",
    "LoadMacro",
    "TsrMenu",
    "JukeBox",
    "RunScript",
    "LoadProject",
    "CloseProject",
    "SaveProjectAs",
    "ShellMenu",
    "Addin0",
    "Addin1",
    "Addin2",
    "Addin3",
    "Addin4",
    "Addin5",
    "Addin6",
    "Addin7",
    "Addin8",
    "Addin9",
    "AddinA",
    "AddinB",
    "AddinC",
    "AddinD",
    "AddinE",
    "AddinF",
};

// Whether the command is in kCommandsHandledLater.
bool IsHandledLater(std::string_view name);

}  // namespace norv::app
