// Generated scripts on the editor's script host without windows: the input's bytes choose a
// sequence of calls of the line, caret, text, selection and slot built-ins with arguments that
// scripts get wrong (invented and stale handles, columns and lines out of range, huge sizes,
// texts with CR, LF and NUL, null strings), run under an instruction budget on documents in
// Shift-JIS, UTF-8, EUC-JP and a read-only one. Every file the editor writes or reads lives in
// memory, so no input can touch real files.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/commands/command_table.h"
#include "app/config/settings.h"
#include "app/scripting/editor_script_host.h"
#include "app/scripting/script_editor.h"
#include "document/document.h"
#include "editing/edit_view.h"
#include "editing/selection.h"
#include "platform/code_page.h"
#include "platform/fakes/fake_clipboard.h"
#include "platform/fakes/headless_ui.h"
#include "platform/fakes/memory_file_system.h"
#include "script/compiler.h"
#include "script/interpreter.h"
#include "search/find_commands.h"

namespace {

using namespace norv;

struct Window {
    std::unique_ptr<document::CElwDoc> doc;
    std::unique_ptr<editing::CElwView> view;
    std::unique_ptr<editing::Selection> selection;
};

class FuzzEditor : public app::ScriptEditor {
  public:
    FuzzEditor() : config(932), shared(heap), find_(findEnv) {
        env.heap = &heap;
        env.fs = &files;
        env.ui = &ui_;
        env.codePage = 932;
        shared.ui = &ui_;
        clip.clipboard = &clipboardFake;
        clip.files = &files;
        findEnv.ui = &ui_;
        findEnv.systemCodePage = 932;
        shared.extension = &find_;
        shared.findString = &find_;
    }
    ~FuzzEditor() override {
        windows.clear();
        shared.stack.Clear();
    }

    void Open(const std::vector<std::string>& lines, document::TextCode code, bool readOnly) {
        auto w = std::make_unique<Window>();
        w->doc = std::make_unique<document::CElwDoc>(env);
        w->doc->NewDocument();
        w->doc->lines().Reset();
        for (const auto& l : lines) w->doc->lines().AppendContent(l.data(), l.size(), 0);
        w->doc->code = code;
        w->doc->readOnly = readOnly;
        w->doc->undo.MarkSaved();
        view::LayoutOptions layout;
        layout.codePage = w->doc->CodePage();
        w->view = std::make_unique<editing::CElwView>(*w->doc, w->doc->undo, shared, layout);
        w->view->SetWindowSize(10, 40);
        w->selection = std::make_unique<editing::Selection>(*w->view, clip);
        windows.push_back(std::move(w));
        active = windows.size() - 1;
    }

    platform::UserInterface& ui() override { return ui_; }
    platform::FileSystem& fs() override { return files; }
    const app::Settings& settings() override { return config; }
    std::string SettingsFolder() override { return "/cfg"; }
    std::string ProgramFolder() override { return "/bin"; }
    editing::CElwView* ActiveView() override {
        return windows.empty() ? nullptr : windows[active]->view.get();
    }
    editing::Selection* ActiveSelection() override {
        return windows.empty() ? nullptr : windows[active]->selection.get();
    }
    editing::ClipboardContext& clipboard() override { return clip; }
    bool ActivateNextWindow() override {
        if (windows.size() < 2) return false;
        active = (active + 1) % windows.size();
        return true;
    }
    void Repaint() override {}
    void ShowCaret(bool) override {}
    void SetSilent(int) override {}
    void RunCommand(size_t command) override {
        const auto& c = app::kBuiltinCommands[command];
        if (c.isView() && ActiveView()) ActiveView()->Execute(c.view);
    }
    app::PressResult PressKey(const app::KeyStroke& stroke, std::string_view bytes) override {
        if (!ActiveView()) return app::PressResult::kNothing;
        return app::TypingKeyInput(*ActiveView()).Press(stroke, bytes);
    }
    std::optional<std::string> InputBox(std::string_view, std::string_view,
                                        std::string_view) override {
        return std::nullopt;
    }
    void Notice(std::string_view) override {}
    bool OpenFile(const std::string& path, document::CodeChoice) override {
        return !path.empty() && files.Stat(path).has_value();
    }
    bool ShowFileLine(const std::string&, int) override { return false; }
    bool SaveActiveAs(const std::string& path) override {
        if (path.empty() || !ActiveView()) return false;
        ActiveView()->Sync();
        return windows[active]->doc->SaveDocument(path) == 1;
    }
    void ShowMarkList() override {}
    search::FindCommands& find() override { return find_; }
    uint64_t Grep(const app::GrepArguments&) override { return 0; }
    bool Shell(const std::optional<std::string>&, const std::optional<std::string>&) override {
        return false;
    }
    bool ShellMenu(int) override { return false; }
    void PumpMessages() override {}
    bool BreakPressed() override { return false; }
    bool EscapePressed() override { return false; }
    void Sleep(int) override {}

    platform::MemoryFileSystem files;
    document::LineHeap heap;
    document::DocumentEnvironment env;
    app::Settings config;
    editing::EditorShared shared;
    platform::HeadlessUi ui_;
    platform::FakeClipboard clipboardFake;
    editing::ClipboardContext clip;
    search::FindEnvironment findEnv;
    std::vector<std::unique_ptr<Window>> windows;
    size_t active = 0;

  private:
    search::FindCommands find_;
};

// The input as a stream of choices; past its end every choice is 0.
class Choices {
  public:
    Choices(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool more() const { return at_ < size_; }
    unsigned Next(unsigned n) { return n == 0 ? 0 : (at_ < size_ ? data_[at_++] : 0u) % n; }

  private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

// What an argument of a built-in may be.
enum Arg : char { kHandle = 'h', kInt = 'i', kText = 's', kOptions = 'o', kPath = 'p' };

struct Builtin {
    const char* name;
    const char* args;
    bool result;
};

// clang-format off
constexpr Builtin kCalls[] = {
    {"GETTOPLINE", "", true},        {"GETCURRENTLINE", "", true},   {"GETNEXT", "h", true},
    {"GETPREV", "h", true},          {"GETTHISLINE", "i", true},     {"GETCOUNT", "h", true},
    {"GETNEXTMARK", "h", true},      {"GETPREVMARK", "h", true},     {"ISMARKED", "h", true},
    {"SETMARK", "ih", false},        {"LOADTHISLINE", "h", true},    {"SAVETHISLINE", "hs", true},
    {"GETTOTHISCOUNT", "", true},    {"GOTOTHERE", "ii", false},     {"JUMPLINE", "ii", false},
    {"SETCURSORPOS", "ii", false},   {"GETCURRENTCHAR", "", true},   {"GETCURSORWORD", "", true},
    {"INSERTSTRING", "s", false},    {"INPUTCHAR", "i", false},      {"GETSELECTED", "", true},
    {"DELSELECT", "", false},        {"SELECTCANCEL", "", false},    {"ISMODIFIED", "i", true},
    {"SETMODIFIED", "i", false},     {"GETMARKFILE", "", true},      {"SHOWMARKLIST", "", false},
    {"SHOWCURSOR", "i", false},      {"REFRESH", "", false},         {"SILENT", "", false},
    {"NOSILENT", "", false},         {"FINDFOR", "so", true},        {"FINDBACK", "so", true},
    {"REPLACE", "sso", true},        {"ADDSTRING", "si", false},     {"SORT", "iiis", false},
    {"CONVERT", "iiii", false},      {"COPYTOFILE", "p", true},      {"PASTEFROMFILE", "p", true},
    {"APPENDFILE", "p", true},       {"SAVEAS", "p", true},          {"GOTONEXT", "i", true},
    {"SHELLCMD", "ss", true},        {"GREP", "ssss", true},         {"COMMAND", "s", false},
};
// clang-format on

constexpr const char* kCommandNames[] = {"Undo",    "Redo",    "DeleteLine", "PopLine", "SelectAll",
                                         "TextTop", "TextBot", "Copy",       "Paste",   "Cut"};

std::string Quoted(const std::string& bytes) {
    // CHR() for what a literal cannot hold; the rest as it is.
    std::string out = "\"";
    for (char c : bytes) {
        const auto b = static_cast<uint8_t>(c);
        if (b == '"' || b < 0x20)
            out += "\" + CHR(" + std::to_string(b) + ") + \"";
        else
            out += c;
    }
    return out + "\"";
}

std::string TextArg(Choices& in) {
    static const char* const kPieces[] = {
        "a", "xyz", "\x82\xA0", "\x93\xFA\x96\x7B", "\r", "\n", "\r\n", "\t",
        " ", "\\n", "\x81",     "\xA4\xA2",         "."};
    switch (in.Next(8)) {
        case 0:
            return "s";  // never assigned: a null string
        case 1:
            return "\"\"";
        case 2:
            return "SPACE(" + std::to_string(in.Next(4) * 40000 + in.Next(100)) + ")";
        case 3:
            return "LOADTHISLINE(h)";
        case 4:
            return "CHR(0)";
        default: {
            std::string t;
            for (unsigned n = in.Next(6) + 1; n > 0; --n) t += kPieces[in.Next(std::size(kPieces))];
            return Quoted(t);
        }
    }
}

std::string IntArg(Choices& in) {
    static const char* const kInts[] = {
        "0",     "1",     "2",           "3",     "-1",         "7",           "100",
        "65535", "65536", "-2147483647", "33440", "&H7FFFFFFF", "GETCOUNT(0)", "n"};
    return kInts[in.Next(std::size(kInts))];
}

std::string HandleArg(Choices& in) {
    switch (in.Next(6)) {
        case 0:
            return "0";
        case 1:
        case 2:
            return "h";
        case 3:
            return "h2";
        case 4:
            return std::to_string(in.Next(256) * 65536 + in.Next(256));
        default:
            return "-1";
    }
}

std::string PathArg(Choices& in) {
    static const char* const kPaths[] = {"\"/w/a.txt\"",     "\"/w/b.txt\"", "\"\"", "s",
                                         "\"/w/missing/x\"", "\"/w\""};
    return kPaths[in.Next(std::size(kPaths))];
}

std::string Generate(Choices& in) {
    std::string body = "MAIN\nDIM h, h2, n, s$, t$\nh = GETTOPLINE()\n";
    for (int statements = 0; statements < 40 && in.more(); ++statements) {
        const Builtin& b = kCalls[in.Next(std::size(kCalls))];
        std::string call = b.name;
        call += "(";
        for (const char* k = b.args; *k; ++k) {
            if (k != b.args) call += ", ";
            if (std::string_view(b.name) == "COMMAND") {
                call += std::string("\"") + kCommandNames[in.Next(std::size(kCommandNames))] + "\"";
                continue;
            }
            switch (*k) {
                case kHandle:
                    call += HandleArg(in);
                    break;
                case kInt:
                    call += IntArg(in);
                    break;
                case kText:
                    call += TextArg(in);
                    break;
                case kOptions: {
                    static const char* const kOpts[] = {"\"\"", "\"N\"", "\"IW\"", "\"R\"", "s"};
                    call += kOpts[in.Next(std::size(kOpts))];
                    break;
                }
                case kPath:
                    call += PathArg(in);
                    break;
            }
        }
        call += ")";
        if (!b.result) {
            body += call + "\n";
            continue;
        }
        // Results feed later calls: handles, numbers and texts.
        static const char* const kTargets[] = {"h", "h2", "n", "t"};
        const char* target = kTargets[in.Next(std::size(kTargets))];
        const bool text = std::string_view(b.name) == "LOADTHISLINE" ||
                          std::string_view(b.name) == "GETCURSORWORD" ||
                          std::string_view(b.name) == "GETSELECTED" ||
                          std::string_view(b.name) == "GETMARKFILE";
        body += std::string(text                              ? "t"
                            : target == std::string_view("t") ? "n"
                                                              : target) +
                " = " + call + "\n";
        if (in.Next(4) == 0) body += "h = GETNEXT(h)\n";
    }
    return body + "END MAIN\n";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    platform::SetSystemCodePage(932);
    Choices in(data, size);
    const std::string source = Generate(in);
    FuzzEditor ed;
    ed.files.folders.insert("/w");
    ed.files.files["/w/a.txt"] = "pasted\r\ntext\r\n";
    ed.Open({"first line", "\x93\xFA\x96\x7B\x8C\xEA", "", "last"}, document::TextCode::kAnsi,
            false);
    ed.Open({"\xE6\x97\xA5\xE6\x9C\xAC", "caf\xC3\xA9", "ascii"}, document::TextCode::kUtf8, false);
    ed.Open({"\xA4\xA2", "euc"}, document::TextCode::kEuc, false);
    ed.Open({"read only"}, document::TextCode::kAnsi, true);
    ed.active = in.Next(4);
    app::EditorScriptHost host(ed);
    script::CompileResult r = script::CompileSource(ed.files, "/w/gen.NRS", source);
    if (!r.image) __builtin_trap();  // the generator writes only valid scripts
    script::RuntimeLimits limits;
    limits.heapLimit = 4u << 20;
    limits.instructionBudget = 200000;
    limits.fileAccess = false;
    if (auto rt = script::Runtime::Load(std::move(*r.image), host, limits)) rt->Run();
    for (auto& w : ed.windows) w->view->Sync();
    return 0;
}
