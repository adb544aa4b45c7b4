// Typing through the key input: a million typed characters (lines of 60 letters, digits and
// blanks, each ended by Enter) pressed one key at a time into a document without a window,
// every press going through the key table's dispatch before it types.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "app/commands/edit_view_sink.h"
#include "app/key_input.h"
#include "document/document.h"
#include "document/line_heap.h"
#include "editing/selection.h"

namespace {

using namespace norv;

struct NoFrame : app::FrameCommands {
    void RunFrameCommand(app::FrameCommandId, uint8_t) override {}
};

constexpr int kCharacters = 1000000;
constexpr int kLine = 60;

void BM_TypeMillionCharacters(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        document::LineHeap heap;
        document::DocumentEnvironment env;
        env.heap = &heap;
        env.codePage = 932;
        editing::EditorShared shared(heap);
        auto doc = std::make_unique<document::CElwDoc>(env);
        doc->NewDocument();
        auto view = std::make_unique<editing::CElwView>(*doc, doc->undo, shared);
        view->SetWindowSize(40, 100);
        editing::ClipboardContext clip;
        auto selection = std::make_unique<editing::Selection>(*view, clip);
        app::EditViewSink sink(*view, *selection);
        app::KeyTable table;
        NoFrame frame;
        app::KeyDispatcher dispatcher(table, frame);
        dispatcher.view = &sink;
        app::DispatchingKeyInput input(dispatcher);
        state.ResumeTiming();
        char byte[1];
        for (int i = 0; i < kCharacters; ++i) {
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
        view->Sync();
        benchmark::DoNotOptimize(doc->lineCount());
        state.PauseTiming();
        selection.reset();
        view.reset();
        doc.reset();
        shared.stack.Clear();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kCharacters);
}
BENCHMARK(BM_TypeMillionCharacters)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
