// Playing a key macro: 100,000 typed characters and 10,000 commands (lines of ten characters,
// each ended by SplitLine) recorded into the macro image, then played into an empty document
// through the editor's script host, as PlayKey plays it.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "app/commands/command_table.h"
#include "app/config/settings.h"
#include "app/key_macros.h"
#include "app/scripting/editor_script_host.h"
#include "app/scripting/script_editor.h"
#include "document/document.h"
#include "document/line_heap.h"
#include "editing/selection.h"
#include "platform/code_page.h"
#include "platform/fakes/headless_ui.h"
#include "platform/file_system.h"
#include "search/find_commands.h"

namespace {

using namespace norv;

constexpr int kLines = 10000;
constexpr int kLine = 10;

// One document in one view, and nothing else of an editor.
class OneView : public app::ScriptEditor {
  public:
    OneView() : config(932), shared(heap), find_(findEnv) {
        env.heap = &heap;
        env.ui = &ui_;
        env.codePage = 932;
        shared.ui = &ui_;
        findEnv.ui = &ui_;
        doc = std::make_unique<document::CElwDoc>(env);
        doc->NewDocument();
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

  private:
    search::FindCommands find_;
};

void BM_PlayMacro(benchmark::State& state) {
    platform::SetSystemCodePage(932);
    platform::HeadlessUi ui;
    app::KeyMacros macros(ui);
    macros.RecordKey();
    for (int line = 0; line < kLines; ++line) {
        for (int i = 0; i < kLine; ++i)
            macros.RecordChar(static_cast<uint16_t>('a' + (line + i) % 26), 1);
        macros.RecordCommand(editing::CommandId::SplitLine);
    }
    macros.RecordKey();
    for (auto _ : state) {
        state.PauseTiming();
        auto editor = std::make_unique<OneView>();
        app::EditorScriptHost host(*editor);
        state.ResumeTiming();
        macros.PlayKey(host);
        editor->view->Sync();
        benchmark::DoNotOptimize(editor->doc->lineCount());
        if (editor->doc->lineCount() != kLines + 1)
            state.SkipWithError("the text is not all there");
        state.PauseTiming();
        editor.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kLines * (kLine + 1));
}
BENCHMARK(BM_PlayMacro)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
