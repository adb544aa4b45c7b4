// The script host of the editor: the built-ins that work on the active view (lines and their
// handles, the caret, text and selection), the built-ins that hand their arguments to an editor
// command through the parameter slots, commands by name, running other scripts, and the rules
// that hold around all of them:
//
// - a view built-in with no view open leaves the result register as it was;
// - texts cross between the script (the system code page) and a document of the Unicode family
//   (UTF-8 inside) converted at this edge; a write that would put "?" in the place of characters
//   the script could not see is refused, and the status bar names the line;
// - a read-only document is never changed;
// - after the built-ins that change the editor the message pump runs, with the filter of
//   `PumpPasses`.
//
// One host serves every script of the editor (RUN nests on it); the run-context code and the
// nesting depth live here.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/scripting/resident_events.h"
#include "app/scripting/script_editor.h"
#include "app/scripting/script_menus.h"
#include "script/resident_list.h"
#include "script/script_host.h"

namespace norv::document {
class CElwDoc;
struct LineRecord;
}  // namespace norv::document

namespace norv::script {
class Runtime;
enum class RunResult;
}  // namespace norv::script

namespace norv::app {

// The values a script handed to the command it runs, slot k holding argument k: a text, an
// Integer, or nothing (-1 in the slot: the command asks as it would without a script).
struct ScriptSlots {
    std::array<std::optional<std::string>, 5> text;
    std::array<std::optional<int32_t>, 5> value;
    bool active = false;  // a script's built-in is running its command now

    std::optional<std::string> Text(size_t k) const { return k < 5 ? text[k] : std::nullopt; }
    std::optional<int32_t> Int(size_t k) const { return k < 5 ? value[k] : std::nullopt; }
    void Clear() { *this = ScriptSlots(); }
};

// Whether the script's message pump lets a command of the table (its index) through to the
// frame while a script runs: FindNext, FindPrev and AutoSave do; every other command waits.
bool PumpPasses(size_t command);

inline constexpr std::string_view kNotAvailableYet = "This command is not available yet.";
inline constexpr int kMaxRunDepth = 10;

// SHELL: 33 when the program was started, 2 when it (or the file to open) is not there, 5 when
// it may not be run, -1 for no command (script_ui.cpp).
int32_t ShellStart(std::string_view command);

// What one resident's run for an event, or for the resident menu, gave back.
struct ResidentRun {
    bool ran = false;      // false: skipped (its own run is on the stack, or runs nest too deep)
    uint32_t result = 0;   // Main's RETURN value (0 without one, and after a stopped run)
    std::string parmStrA;  // .PARMSTRA as the run left it (the resident menu's caption)
};

class EditorScriptHost : public script::ScriptHost {
  public:
    explicit EditorScriptHost(ScriptEditor& editor);
    ~EditorScriptHost() override;
    EditorScriptHost(const EditorScriptHost&) = delete;
    EditorScriptHost& operator=(const EditorScriptHost&) = delete;

    ScriptEditor& editor() { return editor_; }
    // The slots of the command a built-in is running (commands of other parts read them).
    const ScriptSlots& scriptSlots() const { return slots_; }

    // The run-context code (0 while a script file runs).
    int runContext = 0;
    // The editor state value that NORVSTATE reads: the run-context code when a script starts,
    // then the result of the last Find, Replace, Compare or Grep (1 done, also a search that
    // found; 2 no difference; 4 not found).
    int editorState = 0;
    void SetRunContext(int code) { runContext = editorState = code; }
    // What resident scripts exchange with events and the TSR menu (PARMSTRA carries a caption).
    int32_t parmA = 0, parmB = 0;
    std::string parmStrA, parmStrB;
    // The pop-up menus of NEWMENU.
    ScriptMenuTable& menus() { return menus_; }
    // Scripts running now, one inside the other (RUN).
    int depth = 0;
    int silentLevel = 0;

    // The resident scripts. The hosts of one editor share one list; each object runs on the
    // host it was made on. A host that goes takes its objects off the list.
    std::shared_ptr<script::ResidentList> residents = std::make_shared<script::ResidentList>();
    // Runs `rt`, made from the file of that title, with run-context code `code`; the code and
    // the exchanged values come back as they were. STAYRESIDENT and TERMINATE in the run act
    // on the list under `title`.
    script::RunResult RunObject(const std::shared_ptr<script::Runtime>& rt,
                                const std::string& title, int code);
    // Runs one resident again with `code` and the exchanged values.
    ResidentRun RunResident(const std::shared_ptr<script::Runtime>& rt, int code, int32_t a,
                            std::string_view strA);
    // Runs every resident for an event (resident_events.h); true when one of them returned a
    // value other than 0 (the open or save is cancelled, the key taken).
    bool RaiseEvent(ResidentEvent event, int32_t a = 0, std::string_view strA = {});
    // Whether events are held back now (the editor's silent searches).
    bool EventsSuppressed();

    // ScriptHost
    bool BreakPressed() override;
    void PumpMessages() override;
    void Wait(int32_t ms) override;
    std::optional<std::string> InputBox(std::string_view prompt, std::string_view title,
                                        std::string_view initial) override;
    void Refresh() override;
    void NoSilent() override;
    void ResidentChanged(script::Runtime& rt, bool stay) override;
    bool CallEditorBuiltin(int id, const uint32_t* args, script::Runtime& rt) override;
    uint32_t ReadSysVar(int index, script::Runtime& rt) override;
    void WriteSysVar(int index, uint32_t value, script::Runtime& rt) override;

    // Text between the script's code page and the document's bytes.
    std::string ToDocument(const document::CElwDoc& doc, std::string_view scriptText) const;
    std::string FromDocument(const document::CElwDoc& doc, std::string_view bytes) const;
    // Whether the document's bytes hold characters the script's code page lacks.
    bool Unseen(const document::CElwDoc& doc, std::string_view bytes) const;

  private:
    // Families (script_lines.cpp, script_text.cpp, script_slots.cpp).
    bool CallLineBuiltin(int id, const uint32_t* a, script::Runtime& rt, editing::CElwView& v);
    bool CallTextBuiltin(int id, const uint32_t* a, script::Runtime& rt, editing::CElwView& v);
    bool CallSlotBuiltin(int id, const uint32_t* a, script::Runtime& rt);
    // Dialogs, menus, the status bar, the clipboard, keys, windows and SHELL (script_ui.cpp).
    bool CallUiBuiltin(int id, const uint32_t* a, script::Runtime& rt);
    // System variables that are not settings (script_system_vars.cpp); nothing: 0 or "".
    std::optional<uint32_t> ReadOther(int index, script::Runtime& rt);
    ScriptFrame* frame();
    const Settings& CurrentSettings();
    void Command(const std::string& name);
    void RunScript(const std::string& name, script::Runtime& rt);

    // A handle argument: the caret line for 0, else the line it names (null: none).
    document::LineRecord* LineArg(editing::CElwView& v, uint32_t handle);
    uint32_t HandleOf(editing::CElwView& v, const document::LineRecord* r);
    // The 1-based number of a line of the view's document, found from the caret outwards.
    int LineNumber(editing::CElwView& v, const document::LineRecord* r);
    // SAVETHISLINE: the handle of the last line holding the text, 0 when refused.
    uint32_t SaveLine(editing::CElwView& v, document::LineRecord* r, std::string_view text);
    // INSERTSTRING and INPUTCHAR over a selection: false when refused.
    bool ReplaceSelectionAllowed(editing::CElwView& v);
    void Refused(int line);

    // The runs of this host on the stack, innermost last, with the titles they run under.
    struct RunFrame {
        std::shared_ptr<script::Runtime> rt;
        std::string title;
    };
    std::vector<RunFrame> runStack_;

    ScriptEditor& editor_;
    ScriptSlots slots_;
    bool breakLatched_ = false;
    ScriptMenuTable menus_;
    int32_t tileMode_ = 0;
};

}  // namespace norv::app
