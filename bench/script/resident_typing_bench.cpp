// Typing into a large document with a resident script listening: 100,000 keys (lines of 60
// letters, digits and blanks, each ended by Enter) pressed one at a time into the middle of the
// document of NORV_BENCH_FILE, through the key input as the frame wires it: every press raises
// the key event (8) and every typed character the character event (9) on the editor's script
// host. /0 runs without a resident (the events cost nothing then), /1 with one that counts both.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

#include "app/commands/command_table.h"
#include "app/commands/edit_view_sink.h"
#include "app/config/settings.h"
#include "app/key_input.h"
#include "app/scripting/editor_script_host.h"
#include "app/scripting/resident_events.h"
#include "app/scripting/run_script.h"
#include "app/scripting/script_editor.h"
#include "document/document.h"
#include "document/line_heap.h"
#include "editing/selection.h"
#include "platform/code_page.h"
#include "platform/fakes/headless_ui.h"
#include "platform/file_system.h"
#include "script/resident_list.h"
#include "search/find_commands.h"

namespace {

using namespace norv;

constexpr int kKeys = 100000;
constexpr int kLine = 60;

// Counts keys and characters; on the timer event shows the counts.
constexpr const char* kCounter =
    "DIM keys, chars\n"
    "MAIN\n"
    "  IF .NORVSTATE = 0 THEN STAYRESIDENT\n"
    "  IF .NORVSTATE = 8 THEN keys = keys + 1\n"
    "  IF .NORVSTATE = 9 THEN chars = chars + 1\n"
    "  IF .NORVSTATE = 11 THEN MSGBOX(STR(keys) + \" \" + STR(chars))\n"
    "END MAIN\n";

struct NoFrame : app::FrameCommands {
    void RunFrameCommand(app::FrameCommandId, uint8_t) override {}
};

// One loaded document in one view, and nothing else of an editor.
class OneView : public app::ScriptEditor {
  public:
    explicit OneView(const std::string& path) : config(932), shared(heap), find_(findEnv) {
        env.heap = &heap;
        env.ui = &ui_;
        env.codePage = 932;
        shared.ui = &ui_;
        findEnv.ui = &ui_;
        doc = std::make_unique<document::CElwDoc>(env);
        loaded = doc->OpenDocument(path);
        view = std::make_unique<editing::CElwView>(*doc, doc->undo, shared);
        view->SetWindowSize(40, 100);
        selection = std::make_unique<editing::Selection>(*view, clip);
    }
    ~OneView() override {
        selection.reset();
        view.reset();
        doc.reset();
        shared.stack.Clear();
    }
    platform::UserInterface& ui() override { return ui_; }
    platform::FileSystem& fs() override { return platform::RealFileSystem(); }
    const app::Settings& settings() override { return config; }
    std::string SettingsFolder() override { return "/tmp"; }
    std::string ProgramFolder() override { return "/tmp"; }
    editing::CElwView* ActiveView() override { return view.get(); }
    editing::Selection* ActiveSelection() override { return selection.get(); }
    editing::ClipboardContext& clipboard() override { return clip; }
    bool ActivateNextWindow() override { return false; }
    void Repaint() override {}
    void ShowCaret(bool) override {}
    void SetSilent(int) override {}
    void RunCommand(size_t command) override {
        if (app::kBuiltinCommands[command].isView())
            view->Execute(app::kBuiltinCommands[command].view);
    }
    std::optional<std::string> InputBox(std::string_view, std::string_view,
                                        std::string_view) override {
        return std::nullopt;
    }
    void Notice(std::string_view) override {}
    bool OpenFile(const std::string&, document::CodeChoice) override { return false; }
    bool ShowFileLine(const std::string&, int) override { return false; }
    bool SaveActiveAs(const std::string&) override { return false; }
    void ShowMarkList() override {}
    search::FindCommands& find() override { return find_; }
    uint64_t Grep(const app::GrepArguments&) override { return 0; }
    bool Shell(const std::optional<std::string>&, const std::optional<std::string>&) override {
        return false;
    }
    bool ShellMenu(int) override { return false; }
    app::PressResult PressKey(const app::KeyStroke& stroke, std::string_view bytes) override {
        return app::TypingKeyInput(*view).Press(stroke, bytes);
    }
    void PumpMessages() override {}
    bool BreakPressed() override { return false; }
    bool EscapePressed() override { return false; }
    void Sleep(int) override {}

    platform::HeadlessUi ui_;
    document::LineHeap heap;
    document::DocumentEnvironment env;
    app::Settings config;
    editing::EditorShared shared;
    editing::ClipboardContext clip;
    search::FindEnvironment findEnv;
    std::unique_ptr<document::CElwDoc> doc;
    std::unique_ptr<editing::CElwView> view;
    std::unique_ptr<editing::Selection> selection;
    bool loaded = false;

  private:
    search::FindCommands find_;
};

std::string CorpusFile() {
    const char* file = std::getenv("NORV_BENCH_FILE");
    return file ? file : "/tmp/norv-corpus/large/utf8.lf.txt";
}

void BM_TypeWithResident(benchmark::State& state) {
    platform::SetSystemCodePage(932);
    const bool resident = state.range(0) != 0;
    const std::string script = "/tmp/norv-bench-counter.NRS";
    std::ofstream(script, std::ios::binary) << kCounter;
    for (auto _ : state) {
        state.PauseTiming();
        auto editor = std::make_unique<OneView>(CorpusFile());
        if (!editor->loaded) {
            state.SkipWithError("the corpus document cannot be opened");
            break;
        }
        const int lines = editor->doc->lineCount();
        editor->view->SetCaret(lines / 2, 0);
        app::EditorScriptHost host(*editor);
        if (resident && app::RunScriptFile(host, script) != app::ScriptOutcome::kDone) {
            state.SkipWithError("the resident did not start");
            break;
        }
        app::EditViewSink sink(*editor->view, *editor->selection);
        app::KeyTable table;
        NoFrame frame;
        app::KeyDispatcher dispatcher(table, frame);
        dispatcher.view = &sink;
        app::DispatchingKeyInput input(dispatcher);
        // As the frame wires them.
        dispatcher.residentKeyEvent = [&host](app::KeyCode code) {
            if (host.residents->empty()) return false;
            return host.RaiseEvent(app::ResidentEvent::kKey, code);
        };
        const int splitLine =
            app::CommandIndexById(static_cast<uint16_t>(editing::CommandId::SplitLine));
        dispatcher.viewCommandRun = [&host, splitLine](size_t command) {
            if (static_cast<int>(command) == splitLine && !host.residents->empty())
                host.RaiseEvent(app::ResidentEvent::kSplitLine);
        };
        input.typedEvent = [&host](std::string_view bytes, int repeat) {
            if (host.residents->empty()) return;
            const std::vector<uint16_t> codes = app::CharacterCodes(bytes, 932);
            for (int i = 0; i < repeat; ++i)
                for (uint16_t c : codes) host.RaiseEvent(app::ResidentEvent::kChar, c);
        };
        state.ResumeTiming();

        char byte[1];
        for (int i = 0; i < kKeys; ++i) {
            app::KeyStroke s;
            if (i % (kLine + 1) == kLine) {
                s.key = app::vk::kReturn;
                input.Press(s, "\r");
                continue;
            }
            const int k = i % 37;
            byte[0] = k < 26 ? char('a' + k) : k < 36 ? char('0' + k - 26) : ' ';
            s.key = k < 26 ? uint8_t('A' + k) : k < 36 ? uint8_t(byte[0]) : app::vk::kSpace;
            input.Press(s, std::string_view(byte, 1));
        }
        editor->view->Sync();

        state.PauseTiming();
        const int newLines = kKeys / (kLine + 1);
        if (editor->doc->lineCount() != lines + newLines)
            state.SkipWithError("the typed text is not all there");
        if (resident) {
            host.RaiseEvent(app::ResidentEvent::kTimer);
            const std::string expected =
                std::to_string(kKeys) + " " + std::to_string(kKeys - newLines);
            if (editor->ui_.messages.empty() || editor->ui_.messages.back() != expected) {
                std::fprintf(
                    stderr, "counted: %s, expected %s\n",
                    editor->ui_.messages.empty() ? "nothing" : editor->ui_.messages.back().c_str(),
                    expected.c_str());
                state.SkipWithError("the resident did not hear every key and character");
            }
        }
        host.residents->Clear();
        editor.reset();
        state.ResumeTiming();
    }
    std::remove(script.c_str());
    state.SetItemsProcessed(state.iterations() * kKeys);
}
BENCHMARK(BM_TypeWithResident)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
