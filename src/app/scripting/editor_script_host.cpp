// The editor's script host: dispatch, the pump and waits, and the code-page edge (see
// editor_script_host.h).
#include "app/scripting/editor_script_host.h"

#include <algorithm>
#include <chrono>

#include "app/commands/command_table.h"
#include "document/codecs.h"
#include "document/document.h"
#include "editing/edit_view.h"
#include "platform/code_page.h"
#include "platform/ui.h"
#include "script/interpreter.h"
#include "script/name_tables.h"

namespace norv::app {

using script::BuiltinId;

namespace {

// The built-ins that work on the view: with no view open they leave the result as it was.
bool IsViewBuiltin(int id) {
    return (id >= 35 && id <= 58) || id == 69 || id == 72 || (id >= 83 && id <= 92) || id == 96 ||
           id == 101;
}

constexpr bool IsLineOrTextBuiltin(int id) {
    return id >= 35 && id <= 58;
}

// None of the user-interface built-ins or the host's own sits in that range.
static_assert(!IsLineOrTextBuiltin(BuiltinId("GETOPENFILE")));
static_assert(!IsLineOrTextBuiltin(BuiltinId("NEWMENU")));
static_assert(!IsLineOrTextBuiltin(BuiltinId("ADDMENUITEM")));
static_assert(!IsLineOrTextBuiltin(BuiltinId("GETMENUITEM")));
static_assert(!IsLineOrTextBuiltin(BuiltinId("DOMENU")));
static_assert(!IsLineOrTextBuiltin(BuiltinId("DISCARDMENU")));
static_assert(!IsLineOrTextBuiltin(BuiltinId("SETMESSAGETEXT")));
static_assert(!IsLineOrTextBuiltin(BuiltinId("GETCLIPBOARD")));
static_assert(!IsLineOrTextBuiltin(BuiltinId("SENDKEYS")));
static_assert(!IsLineOrTextBuiltin(BuiltinId("ISKEYPRESSED")));
static_assert(!IsLineOrTextBuiltin(BuiltinId("KEYTOCMD")));
static_assert(!IsLineOrTextBuiltin(BuiltinId("IMECTRL")));
static_assert(!IsLineOrTextBuiltin(BuiltinId("APPACTIVATE")));
static_assert(!IsLineOrTextBuiltin(BuiltinId("SHELL")));
static_assert(!IsLineOrTextBuiltin(BuiltinId("SILENT")));
static_assert(!IsLineOrTextBuiltin(BuiltinId("NOSILENT")));
static_assert(!IsLineOrTextBuiltin(BuiltinId("REFRESH")));
static_assert(!IsLineOrTextBuiltin(BuiltinId("SHOWCURSOR")));

}  // namespace

bool PumpPasses(size_t command) {
    static const int kPassing[] = {
        CommandIndexByName("SearchNext"),
        CommandIndexByName("SearchPrev"),
        CommandIndexByName("AutoSave"),
    };
    for (int c : kPassing)
        if (c >= 0 && static_cast<size_t>(c) == command) return true;
    return false;
}

EditorScriptHost::EditorScriptHost(ScriptEditor& editor)
    : ScriptHost(editor.ui(), editor.fs()), editor_(editor) {}

bool EditorScriptHost::BreakPressed() {
    const bool pressed = breakLatched_ || editor_.BreakPressed();
    breakLatched_ = false;
    return pressed;
}

void EditorScriptHost::PumpMessages() {
    // While the script answers a key event (8) or its companion (9), the keys waiting belong
    // to the view after the script has run: the pump leaves them queued.
    if (runContext == 8 || runContext == 9) return;
    editor_.PumpMessages();
}

void EditorScriptHost::Wait(int32_t ms) {
    // Escape ends only the wait; Ctrl+Break ends the wait and, at the interpreter's next look,
    // the script (the press is kept for it).
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    editor_.EscapePressed();
    for (;;) {
        editor_.PumpMessages();
        if (editor_.BreakPressed()) {
            breakLatched_ = true;
            return;
        }
        if (editor_.EscapePressed()) return;
        const auto now = std::chrono::steady_clock::now();
        if (now >= end) return;
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(end - now).count() + 1;
        editor_.Sleep(static_cast<int>(std::min<int64_t>(left, 20)));
    }
}

std::optional<std::string> EditorScriptHost::InputBox(std::string_view prompt,
                                                      std::string_view title,
                                                      std::string_view initial) {
    return editor_.InputBox(prompt, title, initial);
}

void EditorScriptHost::Refresh() {
    if (silentLevel == 0) editor_.Repaint();
}

void EditorScriptHost::NoSilent() {
    if (silentLevel > 0) editor_.SetSilent(--silentLevel);
}

std::string EditorScriptHost::ToDocument(const document::CElwDoc& doc,
                                         std::string_view scriptText) const {
    if (!document::IsUnicodeFamily(doc.code)) return std::string(scriptText);
    std::string out;
    document::AnsiToUtf8(out, scriptText, platform::SystemCodePage());
    return out;
}

std::string EditorScriptHost::FromDocument(const document::CElwDoc& doc,
                                           std::string_view bytes) const {
    if (!document::IsUnicodeFamily(doc.code)) return std::string(bytes);
    std::string out;
    document::Utf8ToAnsi(out, bytes, platform::SystemCodePage());
    return out;
}

bool EditorScriptHost::Unseen(const document::CElwDoc& doc, std::string_view bytes) const {
    if (!document::IsUnicodeFamily(doc.code)) return false;
    bool ascii = true;
    for (char c : bytes)
        if (static_cast<uint8_t>(c) >= 0x80) ascii = false;
    if (ascii) return false;
    return ToDocument(doc, FromDocument(doc, bytes)) != bytes;
}

void EditorScriptHost::Refused(int line) {
    editor_.Notice("Line " + std::to_string(line) +
                   " holds characters the script's code page cannot show; it was not changed.");
}

bool EditorScriptHost::CallEditorBuiltin(int id, const uint32_t* args, script::Runtime& rt) {
    // The line and text built-ins (ids 35 to 58) are neither slot nor user-interface
    // built-ins: they go straight to the view, the commonest calls of a script that edits.
    if (IsLineOrTextBuiltin(id)) {
        editing::CElwView* v = editor_.ActiveView();
        if (v == nullptr) return true;
        if (CallLineBuiltin(id, args, rt, *v)) return true;
        return CallTextBuiltin(id, args, rt, *v);
    }
    // A typed character (the commonest entry of a recorded key macro) goes straight to the
    // view too: it is no slot or user-interface built-in.
    if (id == BuiltinId("INPUTCHAR")) {
        editing::CElwView* v = editor_.ActiveView();
        if (v == nullptr) return true;
        return CallTextBuiltin(id, args, rt, *v);
    }
    if (CallSlotBuiltin(id, args, rt)) {
        // Searches leave the editor state value: 1 found (or replaced, or lines found in
        // files), 4 not found.
        const auto result = static_cast<int32_t>(rt.result());
        if (id == BuiltinId("FINDFOR") || id == BuiltinId("FINDBACK"))
            editorState = result == 1 ? 1 : 4;
        else if (id == BuiltinId("REPLACE") || id == BuiltinId("GREP"))
            editorState = result > 0 ? 1 : 4;
        return true;
    }
    if (CallUiBuiltin(id, args, rt)) return true;
    switch (id) {
        case BuiltinId("SILENT"):
            editor_.SetSilent(++silentLevel);
            return true;
        case BuiltinId("NOSILENT"):
            NoSilent();
            return true;
        case BuiltinId("REFRESH"):
            editor_.Repaint();
            PumpMessages();
            return true;
        case BuiltinId("SHOWCURSOR"):
            editor_.ShowCaret(args[0] != 0);
            return true;
        default:
            break;
    }
    if (!IsViewBuiltin(id)) return false;
    editing::CElwView* v = editor_.ActiveView();
    if (v == nullptr) return true;
    if (CallLineBuiltin(id, args, rt, *v)) return true;
    return CallTextBuiltin(id, args, rt, *v);
}

}  // namespace norv::app
