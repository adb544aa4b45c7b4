// What the editor's script host needs from the editor around it: the active view with its
// selection, the documents' windows, the command table's commands, the file dialogs and file
// operations, the search and find in files, the user interface and the message pump.
//
// The Qt main frame implements it for the windows (and for `--headless` runs, whose frame has no
// window on screen); the tests implement it over documents and views without any window. The
// host decides what a built-in does; this interface only carries the request to whoever owns it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "app/find_in_files.h"
#include "app/key_input.h"
#include "document/text_code.h"

namespace norv::platform {
class UserInterface;
class FileSystem;
}  // namespace norv::platform

namespace norv::editing {
class CElwView;
class Selection;
struct ClipboardContext;
}  // namespace norv::editing

namespace norv::search {
class FindCommands;
}

namespace norv::app {

class Settings;
class ScriptFrame;

class ScriptEditor {
  public:
    virtual ~ScriptEditor() = default;

    virtual platform::UserInterface& ui() = 0;
    virtual platform::FileSystem& fs() = 0;
    // The settings the editor runs with (find options, the scripts folder).
    virtual const Settings& settings() = 0;
    // The folder of the companion files, and the program's own folder.
    virtual std::string SettingsFolder() = 0;
    virtual std::string ProgramFolder() = 0;

    // The active document window's view and the selection of that view; null without one.
    virtual editing::CElwView* ActiveView() = 0;
    virtual editing::Selection* ActiveSelection() = 0;
    virtual editing::ClipboardContext& clipboard() = 0;
    // Makes the next document window active; false when no other one became active.
    virtual bool ActivateNextWindow() = 0;
    // Repaints the active view now.
    virtual void Repaint() = 0;
    // Shows or hides the caret of the active view.
    virtual void ShowCaret(bool shown) = 0;
    // Raises or lowers the level below which the views are not repainted.
    virtual void SetSilent(int level) = 0;

    // Carries out a command of the table (its index) as its menu item does, and returns when
    // it is done.
    virtual void RunCommand(size_t command) = 0;
    // Carries out a command that only a menu carries (a row of kHiddenCommands); false when
    // this editor does not carry it out.
    virtual bool RunHiddenCommand(size_t hidden) {
        (void)hidden;
        return false;
    }
    // A key, or text without a key (`stroke.key` 0), through the program's key input as from
    // the keyboard, into the active view: recorded, split and indented as typing is.
    virtual PressResult PressKey(const KeyStroke& stroke, std::string_view bytes) = 0;
    // The one-line input box; nullopt when cancelled. Texts are UTF-8.
    virtual std::optional<std::string> InputBox(std::string_view prompt, std::string_view title,
                                                std::string_view initial) = 0;
    // A short text for the user that is not a question (the status bar; standard error in a
    // run without windows).
    virtual void Notice(std::string_view text) = 0;

    // Opens a file in a new window as the Open command does; an empty path shows the Open
    // dialog. True when a document was opened.
    virtual bool OpenFile(const std::string& path, document::CodeChoice choice) = 0;
    // Opens (or activates) a file and puts the caret on a line, centred (a script's compile
    // error). False when it could not be opened.
    virtual bool ShowFileLine(const std::string& path, int line) = 0;
    // Saves the active document under `path` (empty: the Save As dialog). True when saved.
    virtual bool SaveActiveAs(const std::string& path) = 0;
    // The bookmark list shown with the focus in its list.
    virtual void ShowMarkList() = 0;

    // The search of the program, and find in files (a missing argument asks through the
    // dialog); the number of output lines.
    virtual search::FindCommands& find() = 0;
    virtual uint64_t Grep(const GrepArguments& arguments) = 0;
    // An external program: the command line (system code page) with its option letters, or
    // without a line the Shell dialog. True when a program started.
    virtual bool Shell(const std::optional<std::string>& line,
                       const std::optional<std::string>& options) = 0;
    // Registered program `entry` (0 for "A" to 25 for "Z"); other numbers and entries without a
    // command line run nothing. True when a program started.
    virtual bool ShellMenu(int entry) = 0;

    // Handles pending input and events once (the script's message pump). The editor leaves
    // through to the frame only the commands `PumpPasses` lets through, and never closes while
    // a script runs.
    virtual void PumpMessages() = 0;
    // True when Ctrl+Break was pressed since the last call.
    virtual bool BreakPressed() = 0;
    // True when Escape was pressed since the last call (it ends a wait).
    virtual bool EscapePressed() = 0;
    // Sleeps up to `ms` milliseconds, or less when input arrives.
    virtual void Sleep(int ms) = 0;

    // A run of the host begins and ends (runs inside runs count too): the front end holds the
    // user's input back from the windows meanwhile, as for every script run.
    virtual void RunBegins() {}
    virtual void RunEnds() {}

    // The frame's side of the user-interface built-ins and system variables (script_frame.h);
    // null: settings are only read, file dialogs take the input box's answers, menus are
    // dismissed and sent keys go nowhere.
    virtual ScriptFrame* scriptFrame() { return nullptr; }
};

}  // namespace norv::app
