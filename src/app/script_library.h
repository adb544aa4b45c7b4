// The script library: ten pages of 26 lettered slots (A to Z), each a script file and a
// comment, kept in the "##Script" section of the data file after the add-in slots. The dialog
// shows one page at a time (the page is remembered in Others ScriptPage) and works in one of
// three modes: Run runs a slot's script by name, Register changes a slot, Edit opens a slot's
// script source in the editor.
//
// Everything the dialog decides is here; the front end shows the buttons and asks for the
// fields.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "app/config/data_file.h"
#include "app/scripting/run_script.h"

namespace norv::platform {
class FileSystem;
}

namespace norv::app {

class EditorScriptHost;
class Settings;
class SettingsStore;

inline constexpr std::string_view kScriptLibraryTitle = "Script Library";
inline constexpr std::string_view kUntitledScript = "Untitled";

enum class LibraryMode { kRun, kRegister, kEdit };

// The page shown: Others ScriptPage, 0 to 9 (a value out of range gives the first page).
int LibraryPage(const Settings& settings);
// Keeps the page shown last in Others ScriptPage (written only when it changed; null `store`:
// for this run only).
void KeepLibraryPage(Settings& settings, SettingsStore* store, int page);

struct LibraryButton {
    char letter = 'A';
    std::string text;   // the comment, else the file name; empty for an empty slot
    bool empty = true;  // no file: nothing to run
};
// The 26 buttons of a page (a page out of range shows empty buttons).
std::array<LibraryButton, kLibrarySlotCount> LibraryButtons(const DataFile& data, int page);

// The slot the Register dialog's fields make: tabs and line breaks, which would split the
// slot's line, become blanks; a file name loses its surrounding blanks, and a comment of blanks
// only is no comment. When the fields say what `previous` says, `previous` comes back.
LibrarySlot SlotOfFields(std::string_view file, std::string_view comment,
                         const LibrarySlot& previous);

// Register: writes `slot` as slot `index` of `page` into the data file at `path` (read again
// first, so whatever else it holds stays as it is there) and, once written, into
// `programCopy`. Returns 0, or the system error number of the failed read or write (then
// neither the file nor `programCopy` changed).
int RegisterLibrarySlot(platform::FileSystem& fs, const std::string& path, int page, int index,
                        const LibrarySlot& slot, DataFile& programCopy);

// Edit: the file a slot's script source is edited in. An empty slot is "Untitled"; a name
// without extension gets ".NRS" and a ".NRX" one becomes its ".NRS"; a name without folder is
// taken from the scripts folder when it is there, else from the program's folder when it is
// there, else from the scripts folder (a new file).
std::string LibraryEditPath(platform::FileSystem& fs, const LibrarySlot& slot,
                            const std::string& scriptsFolder, const std::string& programFolder);

// Run: the slot's script runs by name, as every script started by name does. An empty slot
// runs nothing (kNotFound, without a message); a file that cannot be read is reported.
ScriptOutcome RunLibrarySlot(EditorScriptHost& host, const LibrarySlot& slot);

}  // namespace norv::app
