// Running a script file by name: the one path behind RUN, the -A option, the script library,
// add-in commands and the Run Script command.
//
// The name gets ".NRS" when it has no extension; ".NRX" (in any case) asks for the compiled
// form. A name without a folder is looked for in the scripts folder, then in the program's
// folder. A compiled form is used when its source is older and its version stamp is this
// compiler's; otherwise the source is compiled and, for a ".NRX" request, the image written back.
// A compile error runs nothing and writes nothing: the file where it was found (an include too)
// is opened at its line, centred, and the error shown in a "Norv Script" box.
#pragma once

#include <optional>
#include <string>

namespace norv::platform {
class FileSystem;
}

namespace norv::app {

class EditorScriptHost;
class Settings;

// The scripts folder: the Others ScriptDir setting, or the settings folder when it is empty.
// Resident scripts and the script chooser use the same one.
std::string ScriptsFolder(const Settings& settings, const std::string& settingsFolder);

// The file of that name in `folder` (the name as it is when `folder` is empty), trying the
// extension in upper and in lower case when the file system has only one of those: extensions
// are matched without regard to case. The exact name when none exists.
std::string ScriptInFolder(platform::FileSystem& fs, const std::string& folder,
                           const std::string& name);

struct ScriptFile {
    std::string path;       // the file to read: the source, or the compiled form
    bool compiled = false;  // a ".NRX" request
    std::string source;     // for a ".NRX" request, its source beside it
};

// Where a script name leads (the file may not exist).
ScriptFile LocateScript(platform::FileSystem& fs, const std::string& name,
                        const std::string& scriptsFolder, const std::string& programFolder);

enum class ScriptOutcome {
    kDone,          // ran to its end (or stayed resident)
    kNotFound,      // neither the file nor its source could be read
    kCompileError,  // reported; nothing ran
    kFault,         // a run-time error (shown by the interpreter)
    kInterrupted,   // Ctrl+Break
    kTooDeep,       // RUN nested more than ten levels: nothing happens
};

// The image a script name leads to, as a run would take it (the compiled form, or a compile
// whose error is reported as a run reports it); nullopt with the reason in *outcome. `path`,
// when given, receives the file the name leads to.
std::optional<std::string> ScriptImageFor(EditorScriptHost& host, const std::string& name,
                                          ScriptOutcome* outcome, std::string* path = nullptr);

// Runs the script of that name on the editor's host with run-context code 0, restoring the
// previous code afterwards. A script that stays resident is kept under its file's title.
ScriptOutcome RunScriptFile(EditorScriptHost& host, const std::string& name);

}  // namespace norv::app
