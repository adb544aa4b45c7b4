// The paragraph commands on whole documents: Deformat and Format of a selection of English
// text, and Indent of every line. The document is the file named by NORV_BENCH_FILE (a Shift-JIS
// or ASCII text); run.sh times the outside tools on the same file in the same run.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "document/document.h"
#include "document/undo_list.h"
#include "editing/edit_view.h"
#include "editing/selection.h"
#include "platform/fakes/fake_clipboard.h"

using namespace norv;

namespace {

const std::string& FileText() {
    static const std::string text = [] {
        const char* path = std::getenv("NORV_BENCH_FILE");
        std::ifstream in(path ? path : "", std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }();
    return text;
}

struct Session {
    Session() : shared(heap), env(Env(heap)), doc(env), undo(1) {
        doc.NewDocument();
        doc.lines().Reset();
        const std::string& text = FileText();
        size_t start = 0;
        while (start < text.size()) {
            size_t nl = text.find('\n', start);
            if (nl == std::string::npos) nl = text.size();
            doc.lines().AppendContent(text.data() + start, nl - start, 0);
            start = nl + 1;
        }
        view::LayoutOptions layout;
        layout.wrapColumn = 80;
        view = std::make_unique<editing::CElwView>(doc, undo, shared, layout);
        ctx.clipboard = &clip;
        sel = std::make_unique<editing::Selection>(*view, ctx);
    }
    ~Session() {
        sel.reset();
        view.reset();
    }
    static document::DocumentEnvironment Env(document::LineHeap& heap) {
        document::DocumentEnvironment env;
        env.heap = &heap;
        env.codePage = 932;
        return env;
    }
    void SelectAll() {
        const int last = doc.lines().count();
        sel->Select(1, 0, last, doc.lines().LineAt(last)->contentLength());
    }

    document::LineHeap heap;
    editing::EditorShared shared;
    document::DocumentEnvironment env;
    document::CElwDoc doc;
    document::UndoList undo;
    std::unique_ptr<editing::CElwView> view;
    platform::FakeClipboard clip;
    editing::ClipboardContext ctx;
    std::unique_ptr<editing::Selection> sel;
};

void Run(benchmark::State& state, editing::CommandId id) {
    if (FileText().empty()) {
        state.SkipWithError("NORV_BENCH_FILE names no readable file");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        auto s = std::make_unique<Session>();
        s->SelectAll();
        state.ResumeTiming();
        s->view->Execute(id);
        s->view->Sync();
        state.PauseTiming();
        s.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(FileText().size()));
}

void BM_Deformat(benchmark::State& state) {
    Run(state, editing::CommandId::DeFormat);
}
void BM_Format(benchmark::State& state) {
    Run(state, editing::CommandId::ReFormat);
}
void BM_Indent(benchmark::State& state) {
    Run(state, editing::CommandId::Indent);
}

}  // namespace

BENCHMARK(BM_Deformat)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Format)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Indent)->Unit(benchmark::kMillisecond)->Iterations(3);

BENCHMARK_MAIN();
