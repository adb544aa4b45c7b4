// The built-ins that run an editor command with the script's arguments instead of its dialog,
// COMMAND and RUN.
//
// Argument k goes into parameter slot k. A null String (left out, or never assigned) leaves its
// slot at -1, and so does an empty first argument of FILEOPEN, SAVEAS, SHELLCMD, FINDFOR,
// FINDBACK and REPLACE: the command then asks through its dialog after all. Commands whose code
// is not built yet say so and leave the result alone.
#include <cstdio>

#include "app/commands/command_table.h"
#include "app/commands/hidden_commands.h"
#include "app/config/settings.h"
#include "app/scripting/editor_script_host.h"
#include "app/scripting/run_script.h"
#include "document/codecs.h"
#include "document/document.h"
#include "editing/edit_view.h"
#include "editing/selection.h"
#include "platform/code_page.h"
#include "platform/ui.h"
#include "script/interpreter.h"
#include "script/name_tables.h"
#include "search/find_commands.h"

namespace norv::app {

using script::BuiltinId;

namespace {

struct SlotBuiltin {
    int id;
    int texts;                 // leading text arguments (the rest are Integers)
    bool emptyFirstAsks;       // an empty first argument leaves slot 1 at -1
    std::string_view command;  // the command it runs (its table name)
};

// clang-format off
constexpr SlotBuiltin kSlotBuiltins[] = {
    {BuiltinId("FINDFOR"), 2, true, "SearchFwd"},
    {BuiltinId("FINDBACK"), 2, true, "SearchBwd"},
    {BuiltinId("REPLACE"), 3, true, "Replace"},
    {BuiltinId("GREP"), 4, false, "Grep"},
    {BuiltinId("ADDSTRING"), 1, false, "AddString"},
    {BuiltinId("SORT"), 0, false, "EditSort"},
    {BuiltinId("CONVERT"), 0, false, "EditConvert"},
    {BuiltinId("COPYTOFILE"), 1, false, "CopyToFile"},
    {BuiltinId("PASTEFROMFILE"), 1, false, "PasteFromFile"},
    {BuiltinId("APPENDFILE"), 1, false, "AppendFile"},
    {BuiltinId("FILEOPEN"), 1, true, "OpenFile"},
    {BuiltinId("SAVEAS"), 1, true, "SaveAs"},
    {BuiltinId("SHELLCMD"), 2, true, "Shell"},
    {BuiltinId("SHELLMENU"), 0, false, "ShellMenu"},
};
// clang-format on

// The host sends ids 35 to 58 (lines and text) straight to the view, past this table.
static_assert([] {
    for (const SlotBuiltin& b : kSlotBuiltins)
        if (b.id >= 35 && b.id <= 58) return false;
    return true;
}());

const SlotBuiltin* SlotBuiltinOf(int id) {
    for (const SlotBuiltin& b : kSlotBuiltins)
        if (b.id == id) return &b;
    return nullptr;
}

// SORT's fourth argument is its after-text (a text among Integers).
bool IsTextArgument(const SlotBuiltin& b, size_t k) {
    if (b.id == BuiltinId("SORT")) return k == 3;
    return k < static_cast<size_t>(b.texts);
}

std::string PathFromScript(std::string_view text) {
    // File names are the file system's bytes (UTF-8); a script writes them in its code page.
    std::string out;
    document::AnsiToUtf8(out, text, platform::SystemCodePage());
    return out;
}

}  // namespace

bool EditorScriptHost::CallSlotBuiltin(int id, const uint32_t* a, script::Runtime& rt) {
    if (id == BuiltinId("COMMAND")) {
        Command(rt.ArgString(a[0]));
        if (BreakPressed()) rt.Interrupt();
        return true;
    }
    if (id == BuiltinId("RUN")) {
        RunScript(rt.ArgString(a[0]), rt);
        return true;
    }
    const SlotBuiltin* b = SlotBuiltinOf(id);
    if (b == nullptr) return false;
    const int n = script::BuiltinById(id)->argCount;
    editing::CElwView* v = editor_.ActiveView();
    // FILEOPEN and a registered program work without a view; every other one needs one.
    if (v == nullptr && id != BuiltinId("FILEOPEN") && id != BuiltinId("SHELLMENU")) return true;

    // The one accessor of the slots: what a command reads instead of its dialog.
    slots_.Clear();
    std::array<int32_t, 5>& raw = rt.parameterSlots();
    for (size_t k = 0; k < static_cast<size_t>(n); ++k) {
        if (IsTextArgument(*b, k)) {
            if (a[k] == 0) continue;
            std::string text = rt.ArgString(a[k]);
            if (k == 0 && b->emptyFirstAsks && text.empty()) continue;
            raw[k] = static_cast<int32_t>(a[k]);
            slots_.text[k] = std::move(text);
        } else {
            raw[k] = static_cast<int32_t>(a[k]);
            slots_.value[k] = static_cast<int32_t>(a[k]);
        }
    }
    slots_.active = true;
    struct Done {
        ScriptSlots& s;
        ~Done() { s.Clear(); }
    } done{slots_};

    const int command = CommandIndexByName(b->command);
    if (command < 0 || IsHandledLater(b->command)) {
        editor_.Notice(kNotAvailableYet);
        return true;
    }
    const Settings& settings = editor_.settings();
    search::FindCommands& find = editor_.find();
    auto docText = [&](size_t k) { return ToDocument(v->doc(), slots_.text[k].value_or("")); };
    switch (id) {
        case BuiltinId("FINDFOR"):
        case BuiltinId("FINDBACK"): {
            const bool forward = id == BuiltinId("FINDFOR");
            bool found;
            if (!slots_.text[0]) {
                found = find.FindCommand(*v, forward);
            } else {
                std::string options = slots_.text[1].value_or("");
                if (options.empty()) options = settings.Text(Key::FindOption);
                found = find.FindWithOptionString(*v, docText(0), options, forward);
            }
            rt.SetResult(found ? 1 : 0);
            break;
        }
        case BuiltinId("REPLACE"): {
            int count;
            if (!slots_.text[0]) {
                count = find.ReplaceCommand(*v);
            } else {
                std::string options = slots_.text[2].value_or("");
                if (options.empty()) options = settings.Text(Key::ReplOption);
                count = find.ReplaceWithOptionString(*v, docText(0), docText(1), options);
            }
            rt.SetResult(static_cast<uint32_t>(count));
            break;
        }
        case BuiltinId("GREP"): {
            GrepArguments g;
            g.searchString = slots_.text[0];
            if (slots_.text[1]) g.folder = PathFromScript(*slots_.text[1]);
            g.masks = slots_.text[2];
            g.options = slots_.text[3];
            rt.SetResult(static_cast<uint32_t>(editor_.Grep(g)));
            break;
        }
        case BuiltinId("COPYTOFILE"):
        case BuiltinId("PASTEFROMFILE"):
        case BuiltinId("APPENDFILE"): {
            editing::ClipboardContext& ctx = editor_.clipboard();
            if (slots_.text[0] && !slots_.text[0]->empty())
                ctx.scriptFileName = PathFromScript(*slots_.text[0]);
            ctx.fileCommandDone = false;
            const auto cmd = kBuiltinCommands[static_cast<size_t>(command)].view;
            v->Execute(cmd);
            ctx.scriptFileName.reset();
            rt.SetResult(ctx.fileCommandDone ? 1 : 0);
            break;
        }
        case BuiltinId("FILEOPEN"): {
            const int32_t c = slots_.value[1].value_or(0);
            const auto choice = c >= 1 && c <= 7 ? static_cast<document::CodeChoice>(c)
                                                 : document::CodeChoice::kDefault;
            const std::string path = slots_.text[0] ? PathFromScript(*slots_.text[0]) : "";
            rt.SetResult(editor_.OpenFile(path, choice) ? 1 : 0);
            break;
        }
        case BuiltinId("ADDSTRING"): {
            std::optional<std::string> text;
            if (slots_.text[0]) text = docText(0);
            v->AddString(std::move(text), slots_.value[1].value_or(0) != 0);
            break;
        }
        case BuiltinId("SORT"): {
            editing::SortArguments s;
            s.direction = slots_.value[0].value_or(-1);
            s.ignoreCase = slots_.value[1].value_or(-1);
            s.boxKey = slots_.value[2].value_or(-1);
            if (slots_.text[3]) s.after = docText(3);
            v->shared().scriptSort = std::move(s);
            editor_.RunCommand(static_cast<size_t>(command));
            v->shared().scriptSort.reset();
            break;
        }
        case BuiltinId("CONVERT"): {
            editing::ConvertArguments c;
            c.caseConversion = slots_.value[0].value_or(-1);
            c.tabs = slots_.value[1].value_or(-1);
            c.width = slots_.value[2].value_or(-1);
            c.scope = slots_.value[3].value_or(-1);
            v->shared().scriptConvert = c;
            editor_.RunCommand(static_cast<size_t>(command));
            v->shared().scriptConvert.reset();
            break;
        }
        case BuiltinId("SHELLCMD"):
            rt.SetResult(editor_.Shell(slots_.text[0], slots_.text[1]) ? 1 : 0);
            break;
        case BuiltinId("SHELLMENU"):
            rt.SetResult(editor_.ShellMenu(slots_.value[0].value_or(-1)) ? 1 : 0);
            break;
        case BuiltinId("SAVEAS"): {
            const std::string path = slots_.text[0] ? PathFromScript(*slots_.text[0]) : "";
            rt.SetResult(editor_.SaveActiveAs(path) ? 1 : 0);
            break;
        }
        default:
            // Commands of other parts read the slots through scriptSlots() while they run.
            editor_.RunCommand(static_cast<size_t>(command));
            break;
    }
    PumpMessages();
    // Ctrl+Break during the command (a program waited for, the pump) ends the script now.
    if (BreakPressed()) rt.Interrupt();
    return true;
}

void EditorScriptHost::Command(const std::string& name) {
    const int command = CommandIndexByName(name);
    if (const std::optional<size_t> hidden = HiddenCommandIndex(name); command < 0 && hidden) {
        if (editor_.RunHiddenCommand(*hidden))
            PumpMessages();
        else
            editor_.Notice(kNotAvailableYet);
        return;
    }
    if (command < 0) {
        char text[512];
        std::snprintf(text, sizeof text, "Function \"%s\" is not found.", name.c_str());
        std::string shown;
        document::AnsiToUtf8(shown, text, platform::SystemCodePage());
        ui().MessageBox(shown, platform::mb::kOk | platform::mb::kIconWarning);
        return;
    }
    if (IsHandledLater(name)) {
        editor_.Notice(kNotAvailableYet);
        return;
    }
    editor_.RunCommand(static_cast<size_t>(command));
    PumpMessages();
}

void EditorScriptHost::RunScript(const std::string& name, script::Runtime& rt) {
    std::string path;
    document::AnsiToUtf8(path, name, platform::SystemCodePage());
    if (RunScriptFile(*this, path) == ScriptOutcome::kInterrupted) rt.Interrupt();
    PumpMessages();
}

}  // namespace norv::app
