// The built-ins between a script and the user: file dialogs, pop-up menus, the status bar, the
// clipboard, keys sent and tested, the input method, the editor's windows and SHELL.
//
// Texts cross from the script's code page to UTF-8 at this edge. Without a frame (see
// script_frame.h) the dialogs fall back on the input box's answers and menus are dismissed.
#include <cctype>
#include <cerrno>
#include <filesystem>

#include "app/commands/command_table.h"
#include "app/commands/key_table.h"
#include "app/scripting/editor_script_host.h"
#include "app/scripting/script_frame.h"
#include "app/scripting/send_keys.h"
#include "document/codecs.h"
#include "document/document.h"
#include "editing/edit_view.h"
#include "editing/selection.h"
#include "platform/clipboard.h"
#include "platform/code_page.h"
#include "platform/process_start.h"
#include "platform/ui.h"
#include "platform/word_split.h"
#include "script/interpreter.h"
#include "script/name_tables.h"

namespace norv::app {

using script::BuiltinId;

namespace {

int32_t S(uint32_t v) {
    return static_cast<int32_t>(v);
}

std::string Utf8Of(std::string_view scriptText) {
    std::string out;
    document::AnsiToUtf8(out, scriptText, platform::SystemCodePage());
    return out;
}

std::string ScriptOf(std::string_view utf8) {
    std::string out;
    document::Utf8ToAnsi(out, utf8, platform::SystemCodePage());
    return out;
}

// Line feeds alone become CR LF; CR LF pairs stay as they are.
std::string WithCrLf(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out.push_back('\r');
        out.push_back(text[i]);
    }
    return out;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// The modifier class of KEYTOCMD's second argument, or nothing for a value that is none.
std::optional<uint8_t> KeyClassOf(int32_t shift) {
    if (shift == 0 || shift == 0xFF) return key_class::kNone;
    if (shift >= 1 && shift <= 31) return static_cast<uint8_t>(shift);  // a two-stroke key
    switch (shift) {
        case key_class::kCtrl:
        case key_class::kShift:
        case key_class::kShiftCtrl:
        case key_class::kAlt:
        case key_class::kShiftAlt:
            return static_cast<uint8_t>(shift);
        default:
            return std::nullopt;
    }
}

bool HasWildcard(std::string_view s) {
    return s.find_first_of("*?") != std::string_view::npos;
}

}  // namespace

// SHELL: a command with a blank is split into words as a POSIX shell splits them, without any
// expansion, and its program started from the current folder (found on PATH); a command
// without one is a file opened with its associated program. 33 when started, 2 when the
// program (or the file) is not there, or the line cannot be split (an open quote), 5 when it
// may not be run; -1 for no command.
int32_t ShellStart(std::string_view command) {
    if (command.empty()) return -1;
    std::vector<std::string> argv;
    if (command.find_first_of(" \t") != std::string_view::npos) {
        std::optional<std::vector<std::string>> words = platform::SplitWords(command);
        if (!words) return 2;
        if (words->empty()) return -1;
        argv = std::move(*words);
    } else {
        std::error_code ec;
        if (!std::filesystem::exists(std::string(command), ec)) return 2;
        argv = {"xdg-open", std::string(command)};
    }
    const platform::StartOutcome o = platform::StartDetached(argv, 0);
    if (o.kind != platform::StartOutcome::Kind::kNotStarted) return 33;
    return o.error == EACCES || o.error == EPERM ? 5 : 2;
}

bool EditorScriptHost::CallUiBuiltin(int id, const uint32_t* a, script::Runtime& rt) {
    auto str = [&](int i) { return rt.ArgString(a[i]); };
    auto ret = [&](std::string_view s) { rt.SetResult(rt.MakeString(s)); };
    ScriptFrame* f = frame();
    switch (id) {
        case BuiltinId("GETOPENFILE"): {
            const std::string pattern = Utf8Of(str(0));
            const bool save = a[2] != 0;
            std::optional<std::string> chosen;
            const std::string filter = HasWildcard(pattern) ? pattern : std::string();
            if (f)
                chosen = f->FileDialog(pattern, filter, save);
            else
                chosen = editor_.InputBox("", save ? "Save As" : "Open", pattern);
            std::string path = chosen.value_or("");
            if (!path.empty() && a[1] == 0) path = path.substr(path.rfind('/') + 1);
            ret(ScriptOf(path));
            return true;
        }
        case BuiltinId("NEWMENU"):
            rt.SetResult(menus_.NewMenu());
            return true;
        case BuiltinId("ADDMENUITEM"):
            rt.SetResult(menus_.AddItem(a[0], Utf8Of(str(1)), S(a[2])));
            return true;
        case BuiltinId("GETMENUITEM"): {
            const std::optional<std::string> text = menus_.ItemText(a[0], S(a[1]));
            ret(CutAtCharacter(ScriptOf(text.value_or("")), kMenuTextLimit,
                               platform::SystemCodePage()));
            return true;
        }
        case BuiltinId("DOMENU"): {
            const ScriptMenu* menu = menus_.Find(a[0]);
            int chosen = -1;
            if (menu != nullptr && f != nullptr) chosen = f->PopupMenu(*menu);
            rt.SetResult(static_cast<uint32_t>(chosen));
            return true;
        }
        case BuiltinId("DISCARDMENU"):
            menus_.Discard(a[0]);
            return true;
        case BuiltinId("SETMESSAGETEXT"):
            editor_.Notice(Utf8Of(str(0)));
            return true;
        case BuiltinId("GETCLIPBOARD"): {
            editing::ClipboardContext& clip = editor_.clipboard();
            if (a[0] == 0) {
                std::optional<std::string> text;
                if (clip.clipboard) text = clip.clipboard->Text();
                ret(WithCrLf(ScriptOf(text.value_or(""))));
                return true;
            }
            // The box buffer: its pieces, each ended by a carriage return alone.
            std::string joined;
            for (const std::string& piece : clip.box.pieces) {
                joined += piece;
                joined.push_back('\r');
            }
            if (clip.box.codePage == platform::kCodePageUtf8 ||
                clip.box.codePage == platform::kCodePageUtf8Internal)
                joined = ScriptOf(joined);
            ret(joined);
            return true;
        }
        case BuiltinId("SENDKEYS"): {
            const std::optional<std::vector<KeyEvent>> events =
                ParseSendKeys(str(0), platform::SystemCodePage());
            if (!events || f == nullptr) return true;
            std::vector<SentKey> keys = StrokesOf(*events);
            if (editing::CElwView* v = editor_.ActiveView())
                for (SentKey& k : keys) k.bytes = ToDocument(v->doc(), k.bytes);
            f->SendKeys(keys, a[1] != 0);
            if (a[1] != 0 && BreakPressed()) rt.Interrupt();
            return true;
        }
        case BuiltinId("ISKEYPRESSED"):
            rt.SetResult(f != nullptr && f->KeyDown(static_cast<uint8_t>(a[0] & 0xFF)) ? 1 : 0);
            return true;
        case BuiltinId("KEYTOCMD"): {
            const std::optional<uint8_t> cls = KeyClassOf(S(a[1]));
            std::string_view name;
            if (cls) {
                uint8_t key = static_cast<uint8_t>(a[0] & 0xFF);
                if (*cls < 32 && key >= 'a' && key <= 'z') key = static_cast<uint8_t>(key - 32);
                static const KeyTable kBuiltinKeys;
                const KeyTable& table = f ? f->keyTable() : kBuiltinKeys;
                const int command = table.Find(static_cast<KeyCode>((*cls << 8) | key));
                if (command >= 0) name = kBuiltinCommands[static_cast<size_t>(command)].name;
            }
            ret(name);
            return true;
        }
        case BuiltinId("IMECTRL"):
            if (f && S(a[0]) >= 0 && S(a[0]) <= 2) f->SetInputMethod(S(a[0]) != 0);
            return true;
        case BuiltinId("APPACTIVATE"): {
            const std::string title = Utf8Of(str(0));
            const std::string cls = str(1);
            std::vector<ScriptWindow> windows;
            if (f)
                windows = f->Windows();
            else
                windows.push_back({kMainWindowValue, "Norv", std::string(kMainWindowClass)});
            uint32_t found = 0;
            for (const ScriptWindow& w : windows) {
                if (!cls.empty() && !EqualNoCase(cls, w.className)) continue;
                if (w.title.compare(0, title.size(), title) != 0) continue;
                if (f == nullptr || f->ActivateWindow(w.value)) found = w.value;
                break;
            }
            rt.SetResult(found);
            PumpMessages();
            return true;
        }
        case BuiltinId("SHELL"):
            rt.SetResult(static_cast<uint32_t>(a[0] == 0 ? -1 : ShellStart(str(0))));
            PumpMessages();
            return true;
        default:
            return false;
    }
}

}  // namespace norv::app
