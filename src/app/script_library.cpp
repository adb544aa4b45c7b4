// The script library's pages, slots and modes (see script_library.h).
#include "app/script_library.h"

#include <strings.h>

#include "app/config/kept_line.h"
#include "app/config/settings.h"
#include "app/scripting/editor_script_host.h"
#include "platform/file_system.h"
#include "platform/paths.h"
#include "platform/ui.h"

namespace norv::app {

namespace {

bool IsFile(platform::FileSystem& fs, const std::string& path) {
    auto info = fs.Stat(path);
    return info && !info->isDirectory;
}

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

}  // namespace

int LibraryPage(const Settings& settings) {
    const int page = settings.Int(Key::ScriptPage);
    return page >= 0 && page < kLibraryPageCount ? page : 0;
}

void KeepLibraryPage(Settings& settings, SettingsStore* store, int page) {
    if (page < 0 || page >= kLibraryPageCount) return;
    if (store)
        settings.Write(*store, Key::ScriptPage, page);
    else
        settings.Set(Key::ScriptPage, page);
}

std::array<LibraryButton, kLibrarySlotCount> LibraryButtons(const DataFile& data, int page) {
    std::array<LibraryButton, kLibrarySlotCount> buttons;
    for (size_t i = 0; i < buttons.size(); ++i) {
        LibraryButton& b = buttons[i];
        b.letter = static_cast<char>('A' + i);
        if (page < 0 || page >= kLibraryPageCount) continue;
        const LibrarySlot& slot = data.library[static_cast<size_t>(page)][i];
        b.empty = slot.file.empty();
        b.text = slot.comment.empty() ? slot.file : slot.comment;
    }
    return buttons;
}

LibrarySlot SlotOfFields(std::string_view file, std::string_view comment,
                         const LibrarySlot& previous) {
    LibrarySlot slot{OneField(file), OneField(comment)};
    slot.file = std::string(TrimBlanks(slot.file));
    if (TrimBlanks(slot.comment).empty()) slot.comment.clear();
    return slot == previous ? previous : slot;
}

int RegisterLibrarySlot(platform::FileSystem& fs, const std::string& path, int page, int index,
                        const LibrarySlot& slot, DataFile& programCopy) {
    if (page < 0 || page >= kLibraryPageCount || index < 0 || index >= kLibrarySlotCount)
        return EINVAL;
    DataFile onDisk;
    if (int error = LoadDataFile(fs, path, onDisk)) return error;
    onDisk.library[static_cast<size_t>(page)][static_cast<size_t>(index)] = slot;
    if (int error = SaveDataFile(fs, path, onDisk)) return error;
    programCopy.library[static_cast<size_t>(page)][static_cast<size_t>(index)] = slot;
    return 0;
}

std::string LibraryEditPath(platform::FileSystem& fs, const LibrarySlot& slot,
                            const std::string& scriptsFolder, const std::string& programFolder) {
    std::string name = slot.file.empty() ? std::string(kUntitledScript) : slot.file;
    const std::string ext = platform::ExtensionOf(platform::FileNameOf(name));
    if (ext.empty())
        name += ".NRS";
    else if (strcasecmp(ext.c_str(), ".nrx") == 0)
        // The source beside the compiled form, in the case the extension was written in.
        name.back() = name.back() == 'X' ? 'S' : 's';
    if (name.find('/') != std::string::npos || name.rfind("~/", 0) == 0)
        return platform::ExpandHome(name);
    const std::string inScripts = ScriptInFolder(fs, scriptsFolder, name);
    if (IsFile(fs, inScripts) || programFolder.empty()) return inScripts;
    const std::string inProgram = ScriptInFolder(fs, programFolder, name);
    return IsFile(fs, inProgram) ? inProgram : inScripts;
}

ScriptOutcome RunLibrarySlot(EditorScriptHost& host, const LibrarySlot& slot) {
    if (slot.file.empty()) return ScriptOutcome::kNotFound;
    const ScriptOutcome outcome = RunScriptFile(host, slot.file);
    // A compile error and a run-time error have shown their own message.
    if (outcome == ScriptOutcome::kNotFound)
        host.ui().MessageBox("Cannot read the script " + slot.file + ".",
                             platform::mb::kOk | platform::mb::kIconError);
    return outcome;
}

}  // namespace norv::app
