// The commands that start scripts kept by the editor: the add-in commands Addin0 to AddinF, the
// resident scripts' menu (TsrMenu), Run Script (the scripts open in the editor), the scripts
// that start with the program, and the list of the script chooser.
//
// Each decides here and leaves to the front end only the pop-up menu it offers: a chooser that
// shows the entries ("&1: caption" ...) at the caret (at the mouse without a caret) and gives
// back the index chosen, or nothing when the menu was dismissed.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/config/data_file.h"
#include "app/scripting/run_script.h"

namespace norv::document {
class CElwDoc;
}

namespace norv::platform {
class FileSystem;
}

namespace norv::app {

class EditorScriptHost;

using MenuChooser = std::function<std::optional<size_t>(const std::vector<std::string>& entries)>;

inline constexpr std::string_view kNoScriptOnEditor = "No script is on the editor";

// A pop-up entry: "&N: text" with N the position from 1, taken modulo 10.
std::string NumberedEntry(size_t index, std::string_view text);

// The add-in slot (0 to 15) a command of the command table runs, or -1 for other commands.
int AddinSlotOfCommand(size_t command);
// An add-in command where commands are listed: the menus and the two-stroke menu show its
// slot's script name, the function-key bar the name of the slot's file without its folder.
// Empty when the slot has none (the command's own text is shown then). Bytes of the data file.
std::string AddinMenuName(const AddinSlot& slot);
std::string AddinBarName(const AddinSlot& slot);

// The add-in command of a slot: the resident of the slot file's title runs again with code 13;
// without one the file runs by name (code 0). A slot without a file runs nothing (kNotFound).
ScriptOutcome RunAddin(EditorScriptHost& host, const AddinSlot& slot);

// TsrMenu: each resident is asked for its caption (code 14, .PARMSTRA ""); those that leave one
// are the candidates. None: nothing; one: it runs with code 13; several: the chosen one does.
// The number of candidates.
size_t RunResidentMenu(EditorScriptHost& host, const MenuChooser& choose);

// Run Script: the open documents whose file ends in ".NRS" (any case) are the candidates. A
// modified one is saved first through `save` (which raises the save events); a save that fails
// or is cancelled runs nothing. None: the message kNoScriptOnEditor.
struct RunScriptResult {
    size_t candidates = 0;
    bool ran = false;
    ScriptOutcome outcome = ScriptOutcome::kNotFound;
};
RunScriptResult RunOpenScript(EditorScriptHost& host,
                              const std::vector<document::CElwDoc*>& documents,
                              const std::function<bool(document::CElwDoc&)>& save,
                              const MenuChooser& choose);

// The scripts that start with the program, once its window is shown: TsrScript, then every
// slot whose first flag digit is not "0", each run by name with code 0. One that is missing or
// does not compile is reported (a compile error by the compile's own message) and the next one
// runs. The names that were run, in order.
std::vector<std::string> RunStartupScripts(EditorScriptHost& host, const std::string& tsrScript,
                                           const std::array<AddinSlot, kAddinSlotCount>& slots);

// The script chooser's names: those of every "*.NRS" (any case) of the scripts folder without
// the extension, sorted, then those of the program's folder not listed yet (when the folders
// differ).
std::vector<std::string> ScriptChoices(platform::FileSystem& fs, const std::string& scriptsFolder,
                                       const std::string& programFolder);

}  // namespace norv::app
