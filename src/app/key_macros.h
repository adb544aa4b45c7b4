// The editor's key macro: the recorder every command path reports to, and the four commands
// RecordKey, PlayKey, SaveMacro and LoadMacro, decided here without any window.
//
// Reports arrive in two ways: the edit views and the commands of other parts report through
// the editing core's CommandRecorder interface (this class is the views' recorder), and the
// frame's command path reports each frame command of the table by its index
// (RecordTableCommand). Either way an entry reaches the one recording of script::KeyMacro:
// commands with a built-in of their own as that built-in with the values they took, every
// other command by its table name through COMMAND, a typed character as INPUTCHAR.
//
// What is recorded:
// - only while recording, and not the four macro commands themselves;
// - only commands of the level the recording was started on: a script run that a recorded
//   command starts runs again when that command replays, so its own commands are left out; a
//   recording started inside a run records that run's commands; a resident script's event run
//   records nothing;
// - texts and typed characters in the system code page, as scripts hand them over. A document
//   of the Unicode family can hold characters the code page has no code for; such a character
//   would replay as something else, so meeting one ends the recording, and the status bar says
//   which character it was.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "editing/edit_view.h"
#include "script/key_macro.h"

namespace norv::platform {
class FileSystem;
class UserInterface;
}  // namespace norv::platform

namespace norv::script {
class ScriptHost;
}

namespace norv::app {

class EditorScriptHost;

// The Save and Open dialogs of SaveMacro and LoadMacro: script files, starting in the current
// folder; Save asks before overwriting and adds the suffix, Open takes only a file that exists.
inline constexpr std::string_view kMacroFileFilter = "Norv Script (*.nrs)";
inline constexpr std::string_view kMacroFileSuffix = "nrs";
inline constexpr std::string_view kNotAKeyMacro =
    "You can save only a macro which is recorded as a key macro.";

struct MacroFileRequest {
    bool save = true;
    std::string folder;  // in: where the dialog starts
    std::string path;    // out: the chosen file (UTF-8)
};

// Where the script runs stand when a command reports.
struct ScriptLevel {
    int depth = 0;       // scripts running one inside the other
    int runContext = 0;  // 0, or the event code of a resident script's run
};

enum class PlayOutcome { kPlayed, kNothing, kInterrupted, kFault };

class KeyMacros : public editing::CommandRecorder {
  public:
    explicit KeyMacros(platform::UserInterface& ui) : ui_(ui) {}

    script::KeyMacro& macro() { return macro_; }
    script::MacroState state() const { return macro_.state(); }

    // The script runs around a report (null: no script runs).
    std::function<ScriptLevel()> scriptLevel;
    // The code page of the active document's bytes (null: the system code page).
    std::function<int()> documentCodePage;

    // RecordKey: starts a recording, or ends it and makes the macro. Nothing while playing.
    void RecordKey();
    // PlayKey: runs the macro on a new run-time object of `host`; nothing unless idle.
    PlayOutcome PlayKey(script::ScriptHost& host);
    // SaveMacro: the recorded macro as script text in the file the dialog gives. False when
    // nothing was written completely.
    bool SaveMacro(platform::FileSystem& fs, const std::function<bool(MacroFileRequest&)>& ask);
    // LoadMacro: a script file (compiled as a script run compiles it) becomes the macro,
    // without running. A compile error or an image that is refused keeps the old macro.
    bool LoadMacro(EditorScriptHost& host, const std::function<bool(MacroFileRequest&)>& ask);

    // Menu states: RecordKey is available unless playing and checked while recording; PlayKey
    // is available unless recording and checked while playing.
    bool RecordKeyEnabled() const { return state() != script::MacroState::kPlaying; }
    bool RecordKeyChecked() const { return state() == script::MacroState::kRecording; }
    bool PlayKeyEnabled() const { return state() != script::MacroState::kRecording; }
    bool PlayKeyChecked() const { return state() == script::MacroState::kPlaying; }

    // A command of the table carried out by the frame's path (keys, menus, bars, user menus,
    // the two-stroke menu, scripts). View commands report through the views instead, and the
    // frame commands that take dialog values report those themselves.
    void RecordTableCommand(size_t command);
    // A command that only a menu carries, by its name.
    void RecordHiddenCommand(std::string_view name);

    // CommandRecorder
    void RecordCommand(editing::CommandId id) override;
    void RecordChar(uint16_t code, int repeat) override;
    void RecordTyped(std::string_view ch, int repeat, int codePage) override;
    void RecordSearch(editing::CommandId id, std::string_view searchString,
                      std::string_view replacement, std::string_view options) override;
    void RecordFrameCommand(uint16_t id, const std::vector<std::string>& texts) override;
    void RecordSort(const editing::SortArguments& values) override;
    void RecordConvert(const editing::ConvertArguments& values) override;
    void RecordAddString(std::string_view text, bool atEnd) override;
    void RecordJump(int64_t line, bool logical) override;
    void RecordFileCommand(editing::CommandId id, std::string_view path) override;

  private:
    // Whether a report made now belongs to the recording.
    bool Recording();
    // Text of a document (or of the file system, for paths) in the system code page; nullopt,
    // with the recording ended, when a character has no code there.
    std::optional<std::string> FromDocument(std::string_view bytes);
    std::optional<std::string> FromCodePage(std::string_view bytes, int codePage);
    void EndForCharacter(std::string_view utf8);

    platform::UserInterface& ui_;
    script::KeyMacro macro_;
    int recordDepth_ = 0;
};

}  // namespace norv::app
