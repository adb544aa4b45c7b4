// An editor for the script host without any window: documents in views with their selections,
// the program's search, a clipboard in memory, a headless user interface, and a record of what
// the host asked for (commands, notices, dialogs, files shown at a line).
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/commands/command_table.h"
#include "app/config/settings.h"
#include "app/scripting/editor_script_host.h"
#include "app/scripting/run_script.h"
#include "app/scripting/script_editor.h"
#include "document/codecs.h"
#include "document/document.h"
#include "editing/edit_view.h"
#include "editing/selection.h"
#include "platform/code_page.h"
#include "platform/fakes/fake_clipboard.h"
#include "platform/fakes/headless_ui.h"
#include "platform/file_system.h"
#include "script/compiler.h"
#include "script/interpreter.h"
#include "search/find_commands.h"

namespace norv::app::testing {

class ScratchFolder {
  public:
    ScratchFolder() {
        char tmpl[] = "/tmp/norv-host-XXXXXX";
        path_ = mkdtemp(tmpl);
    }
    ~ScratchFolder() { std::filesystem::remove_all(path_); }
    std::string Write(const std::string& name, const std::string& text) const {
        const std::string p = path_ + "/" + name;
        std::filesystem::create_directories(std::filesystem::path(p).parent_path());
        std::ofstream(p, std::ios::binary) << text;
        return p;
    }
    std::string Read(const std::string& name) const {
        std::ifstream in(path_ + "/" + name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

struct FakeWindow {
    std::unique_ptr<document::CElwDoc> doc;
    std::unique_ptr<editing::CElwView> view;
    std::unique_ptr<editing::Selection> selection;
};

class FakeScriptEditor : public ScriptEditor {
  public:
    FakeScriptEditor() : config(932), shared(heap), find_(findEnv) {
        env.heap = &heap;
        env.ui = &headless;
        env.codePage = platform::SystemCodePage();
        shared.ui = &headless;
        clip.clipboard = &clipboardFake;
        clip.files = &platform::RealFileSystem();
        findEnv.ui = &headless;
        findEnv.systemCodePage = platform::SystemCodePage();
        findEnv.findDialog = [this](search::FindDialogRequest&) {
            ++findDialogs;
            return false;
        };
        findEnv.replaceDialog = [this](search::ReplaceDialogRequest&) {
            ++findDialogs;
            return false;
        };
        shared.extension = &find_;
        shared.findString = &find_;
    }
    ~FakeScriptEditor() override {
        windows.clear();
        shared.stack.Clear();
    }

    // A document of `lines` (bytes in its code) in a new active window.
    FakeWindow& Open(const std::vector<std::string>& lines,
                     document::TextCode code = document::TextCode::kAnsi) {
        auto w = std::make_unique<FakeWindow>();
        w->doc = std::make_unique<document::CElwDoc>(env);
        w->doc->NewDocument();
        w->doc->lines().Reset();
        for (const auto& l : lines) w->doc->lines().AppendContent(l.data(), l.size(), 0);
        w->doc->code = code;
        w->doc->undo.MarkSaved();
        view::LayoutOptions layout;
        layout.codePage = w->doc->CodePage();
        w->view = std::make_unique<editing::CElwView>(*w->doc, w->doc->undo, shared, layout);
        w->view->SetWindowSize(20, 80);
        w->selection = std::make_unique<editing::Selection>(*w->view, clip);
        windows.push_back(std::move(w));
        active = static_cast<int>(windows.size()) - 1;
        return *windows.back();
    }
    FakeWindow& win() { return *windows[static_cast<size_t>(active)]; }
    // The document's lines as they are now.
    std::vector<std::string> Lines(FakeWindow& w) {
        w.view->Sync();
        std::vector<std::string> out;
        for (auto* r = w.doc->lines().first(); r; r = r->next)
            out.emplace_back(r->text(), r->contentLength());
        return out;
    }

    // Compiles and runs a script on the host; the message-box texts it showed come back.
    script::RunResult Run(const std::string& source, const std::string& path = "/tmp/t.NRS") {
        script::CompileResult r = script::CompileSource(platform::RealFileSystem(), path, source);
        EXPECT_TRUE(r.image.has_value()) << (r.error ? std::string(r.error->text()) : "");
        if (!r.image) return script::RunResult::kFault;
        auto rt = script::Runtime::Load(std::move(*r.image), host);
        EXPECT_NE(rt, nullptr);
        if (!rt) return script::RunResult::kFault;
        return rt->Run();
    }
    std::vector<std::string>& messages() { return headless.messages; }

    // ScriptEditor
    platform::UserInterface& ui() override { return headless; }
    platform::FileSystem& fs() override { return platform::RealFileSystem(); }
    const Settings& settings() override { return config; }
    std::string SettingsFolder() override { return settingsFolder; }
    std::string ProgramFolder() override { return programFolder; }
    editing::CElwView* ActiveView() override {
        return active < 0 ? nullptr : windows[static_cast<size_t>(active)]->view.get();
    }
    editing::Selection* ActiveSelection() override {
        return active < 0 ? nullptr : windows[static_cast<size_t>(active)]->selection.get();
    }
    editing::ClipboardContext& clipboard() override { return clip; }
    bool ActivateNextWindow() override {
        if (windows.size() < 2) return false;
        active = (active + 1) % static_cast<int>(windows.size());
        return true;
    }
    void Repaint() override { ++repaints; }
    void ShowCaret(bool) override {}
    void SetSilent(int level) override { silent = level; }
    void RunCommand(size_t command) override {
        commands.push_back(std::string(kBuiltinCommands[command].name));
        if (kBuiltinCommands[command].isView() && ActiveView())
            ActiveView()->Execute(kBuiltinCommands[command].view);
    }
    PressResult PressKey(const KeyStroke& stroke, std::string_view bytes) override {
        pressed += std::string(bytes);
        if (!ActiveView()) return PressResult::kNothing;
        return TypingKeyInput(*ActiveView()).Press(stroke, bytes);
    }
    std::optional<std::string> InputBox(std::string_view, std::string_view,
                                        std::string_view) override {
        if (answers.empty()) return std::nullopt;
        std::string a = answers.front();
        answers.pop_front();
        return a;
    }
    void Notice(std::string_view text) override { notices.emplace_back(text); }
    bool OpenFile(const std::string& path, document::CodeChoice) override {
        opened.push_back(path);
        return !path.empty();
    }
    bool ShowFileLine(const std::string& path, int line) override {
        shownAt.push_back(path + ":" + std::to_string(line));
        return true;
    }
    bool SaveActiveAs(const std::string& path) override {
        if (path.empty() || !ActiveView()) return false;
        ActiveView()->Sync();
        return win().doc->SaveDocument(path) == 1;
    }
    void ShowMarkList() override { ++markLists; }
    search::FindCommands& find() override { return find_; }
    uint64_t Grep(const GrepArguments& a) override {
        greps.push_back(a);
        return 3;
    }
    bool Shell(const std::optional<std::string>& line,
               const std::optional<std::string>& options) override {
        shells.push_back(line.value_or("<dialog>") + "|" + options.value_or("<none>"));
        return line.has_value() && shellStarts;
    }
    bool ShellMenu(int entry) override {
        shells.push_back("menu|" + std::to_string(entry));
        return entry >= 0 && entry < 26 && shellStarts;
    }
    void PumpMessages() override { ++pumps; }
    bool BreakPressed() override { return breakAtPoll != 0 && ++polls >= breakAtPoll; }
    bool EscapePressed() override { return false; }
    void Sleep(int) override {}

    document::LineHeap heap;
    document::DocumentEnvironment env;
    Settings config;
    editing::EditorShared shared;
    platform::HeadlessUi headless;
    platform::FakeClipboard clipboardFake;
    editing::ClipboardContext clip;
    search::FindEnvironment findEnv;
    std::vector<std::unique_ptr<FakeWindow>> windows;
    int active = -1;
    std::string settingsFolder, programFolder;
    std::deque<std::string> answers;
    std::vector<std::string> commands, notices, opened, shownAt;
    std::vector<GrepArguments> greps;
    std::vector<std::string> shells;
    std::string pressed;  // the bytes typed through the key input
    bool shellStarts = true;
    int findDialogs = 0, repaints = 0, silent = 0, markLists = 0, pumps = 0;
    int breakAtPoll = 0, polls = 0;

  private:
    search::FindCommands find_;

  public:
    EditorScriptHost host{*this};
};

// A script whose Main runs `body`, showing results with MSGBOX.
inline std::string Main(const std::string& body, const std::string& decls = "") {
    return decls + "\nMAIN\nDIM h, h2, n, s$, t$\n" + body + "\nEND MAIN\n";
}

inline std::string Sjis(std::string_view utf8) {
    std::string out;
    document::Utf8ToAnsi(out, utf8, 932);
    return out;
}

}  // namespace norv::app::testing
