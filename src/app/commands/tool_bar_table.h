// The five tool bars: File, Edit, Find, Tool and Window. Each is a list of commands in button
// order; bit i of the bar's mask setting shows button i, so each list is as long as its mask's
// default reaches (the bits beyond a list's end are ignored). The menus, the keys and the bars
// share one command vocabulary: a button is a command of the table and nothing else.
//
// Each command also names the freedesktop icon that a desktop theme draws for it, when the icon
// naming rules have one; the program ships its own drawing of every button all the same. A "*"
// beside a button marks the ones that the mask's default shows.
#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <string_view>

#include "app/commands/command_table.h"
#include "app/config/settings_keys.h"

namespace norv::app {

struct ToolButtonSpec {
    std::string_view command;  // a name of the command table
    std::string_view theme;    // freedesktop icon name, or empty
};

struct ToolBarSpec {
    std::string_view title;
    std::string_view objectName;
    Key shown;  // Options ToolBar1 to ToolBar5
    Key mask;   // Others BarFile to BarWindow
    std::span<const ToolButtonSpec> buttons;
};

// clang-format off
inline constexpr ToolButtonSpec kFileBar[] = {
    {"NewFile", "document-new"},          //  0 *
    {"OpenFile", "document-open"},        //  1 *
    {"SaveFile", "document-save"},        //  2 *
    {"NewFileType", ""},                  //  3
    {"OpenFolder", "folder-open"},        //  4
    {"SaveAs", "document-save-as"},       //  5 *
    {"OpenNorv", ""},                     //  6
    {"OpenMRU", "document-open-recent"},  //  7
    {"CloseFile", "window-close"},        //  8 *
    {"ReOpen", "document-revert"},        //  9
    {"AllSave", ""},                      // 10 *
    {"SaveClose", ""},                    // 11 *
    {"AllSaveQuit", ""},                  // 12
    {"Print", "document-print"},          // 13 *
    {"PrintPreview", "document-print-preview"},  // 14
    {"AppExit", "application-exit"},      // 15 *
};

inline constexpr ToolButtonSpec kEditBar[] = {
    {"Undo", "edit-undo"},                //  0 *
    {"Redo", "edit-redo"},                //  1 *
    {"Repeat", ""},                       //  2
    {"StepDo", ""},                       //  3
    {"EditCut", "edit-cut"},              //  4 *
    {"EditCopy", "edit-copy"},            //  5 *
    {"EditPaste", "edit-paste"},          //  6 *
    {"EditCutAppend", ""},                //  7
    {"EditCopyAppend", ""},               //  8
    {"SelectClipBd", ""},                 //  9 *
    {"FlushBuf", ""},                     // 10
    {"SelectAll", "edit-select-all"},     // 11 *
    {"SelectBegin", ""},                  // 12 *
    {"SelectEnd", ""},                    // 13
    {"BoxBegin", ""},                     // 14 *
    {"BoxPaste", ""},                     // 15 *
    {"Indent", "format-indent-more"},     // 16 *
    {"BackInd", "format-indent-less"},    // 17 *
    {"ReFormat", ""},                     // 18 *
    {"DeFormat", ""},                     // 19 *
    {"EditLeft", "format-justify-left"},  // 20
    {"EditCenter", "format-justify-center"},  // 21
    {"EditRight", "format-justify-right"},    // 22
    {"EditSort", ""},                     // 23 *
    {"EditConvert", ""},                  // 24 *
    {"AddString", ""},                    // 25 *
    {"CopyToFile", ""},                   // 26
    {"PasteFromFile", ""},                // 27
    {"AppendFile", ""},                   // 28
    {"ModeInsert", "insert-text"},        // 29 *
    {"ModeAutoSplit", ""},                // 30 *
    {"LockEdit", ""},                     // 31 *
};

inline constexpr ToolButtonSpec kFindBar[] = {
    {"SearchFwd", "edit-find"},           //  0 *
    {"SearchBwd", ""},                    //  1
    {"SearchNext", "go-down"},            //  2 *
    {"SearchPrev", "go-up"},              //  3 *
    {"Replace", "edit-find-replace"},     //  4 *
    {"ReplAgain", ""},                    //  5 *
    {"GetWord", ""},                      //  6 *
    {"WordPaste", ""},                    //  7
    {"Compare", ""},                      //  8
    {"Grep", ""},                         //  9 *
    {"TagJump", "go-jump"},               // 10 *
    {"BackToTag", "go-previous"},         // 11 *
    {"TextTop", "go-top"},                // 12
    {"TextBot", "go-bottom"},             // 13
    {"JumpLine", ""},                     // 14 *
    {"NextMark", ""},                     // 15 *
    {"PrevMark", ""},                     // 16 *
    {"MarkOff", ""},                      // 17
    {"NextChanged", ""},                  // 18
    {"MarkLine", ""},                     // 19 *
};

inline constexpr ToolButtonSpec kToolBar[] = {
    {"RecordKey", "media-record"},        //  0 *
    {"PlayKey", "media-playback-start"},  //  1 *
    {"SaveMacro", ""},                    //  2
    {"LoadMacro", ""},                    //  3
    {"RunScript", "system-run"},          //  4 *
    {"JukeBox", ""},                      //  5 *
    {"TsrMenu", ""},                      //  6 *
    {"LoadProject", ""},                  //  7
    {"CloseProject", ""},                 //  8
    {"Shell", "utilities-terminal"},      //  9 *
    {"ShellMenu", ""},                    // 10 *
    {"Menu1", ""},                        // 11 *
    {"Menu2", ""},                        // 12 *
    {"SetProperty", "preferences-system"},  // 13 *
    {"AppHelp", "help-contents"},         // 14 *
    {"SaveProjectAs", ""},                // 15
    {"Help1", "help-browser"},            // 16 *
};

inline constexpr ToolButtonSpec kWindowBar[] = {
    {"NewWindow", "window-new"},          //  0
    {"Split", ""},                        //  1
    {"TileTwo", ""},                      //  2 *
    {"TileHorz", ""},                     //  3
    {"TileVert", ""},                     //  4
    {"NextPane", ""},                     //  5
    {"Cascade", ""},                      //  6 *
    {"AnothWin", ""},                     //  7 *
    {"FileSelect", ""},                   //  8 *
    {"MarkList", ""},                     //  9 *
    {"AllUpdate", "view-refresh"},        // 10 *
};

inline constexpr std::array<ToolBarSpec, 5> kToolBars = {{
    {"File", "ToolBar1", Key::ToolBar1, Key::BarFile, kFileBar},
    {"Edit", "ToolBar2", Key::ToolBar2, Key::BarEdit, kEditBar},
    {"Find", "ToolBar3", Key::ToolBar3, Key::BarFind, kFindBar},
    {"Tool", "ToolBar4", Key::ToolBar4, Key::BarTool, kToolBar},
    {"Window", "ToolBar5", Key::ToolBar5, Key::BarWindow, kWindowBar},
}};
// clang-format on

namespace detail {
constexpr int ConstIndexOf(std::string_view name) {
    for (size_t i = 0; i < kCommandCount; ++i)
        if (kBuiltinCommands[i].name == name) return static_cast<int>(i);
    return -1;
}
constexpr bool BarsNameCommands() {
    for (const ToolBarSpec& bar : kToolBars)
        for (const ToolButtonSpec& b : bar.buttons)
            if (ConstIndexOf(b.command) < 0) return false;
    return true;
}
// The highest bit set in a mask's default plus one: the buttons it can show.
constexpr size_t MaskWidth(int mask) {
    const auto bits = static_cast<unsigned>(mask);
    size_t n = 0;
    while (n < 32 && (bits >> n) != 0) ++n;
    return n;
}
constexpr bool BarsSizedToMasks() {
    for (const ToolBarSpec& bar : kToolBars)
        if (bar.buttons.size() != MaskWidth(SpecOf(bar.mask).intDefault)) return false;
    return true;
}
}  // namespace detail
static_assert(detail::BarsNameCommands(), "a tool button names no command of the table");
static_assert(detail::BarsSizedToMasks(), "a tool bar is not as long as its mask's default");

// The command index of a button.
constexpr size_t ToolButtonCommand(const ToolButtonSpec& b) {
    return static_cast<size_t>(detail::ConstIndexOf(b.command));
}
// Whether a mask shows button i.
constexpr bool MaskShows(int mask, size_t i) {
    return i < 32 && ((static_cast<unsigned>(mask) >> i) & 1u) != 0;
}

}  // namespace norv::app
