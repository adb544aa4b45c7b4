// The long bookmark and brace commands on loaded documents (loaded before timing):
//   MarkCaption   every heading of the Shift-JIS corpus document marked (NORV_BENCH_FILE),
//                 the marks cleared again between runs (not timed);
//   OtherParen    from the brace on the first line of NORV_BENCH_BRACES to its partner on the
//                 last line (no other brace between);
//   NextMark,     from the top to the only mark, or the only changed line, on the last line of
//   NextChanged   NORV_BENCH_LINES (2 M lines).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <map>
#include <string>

#include "document/document.h"
#include "editing/edit_view.h"

namespace {

using namespace norv;

std::string PathOf(const char* variable, const char* fallback) {
    const char* p = std::getenv(variable);
    return p ? p : fallback;
}

// Documents, their views and the shared state live until the process ends.
struct Loaded {
    document::DocumentEnvironment env;
    document::CElwDoc doc{env};
    document::UndoList undo{0};
    editing::EditorShared shared{document::ProgramLineHeap()};
    editing::CElwView* view = nullptr;
};

Loaded& Open(const std::string& path) {
    static auto* docs = new std::map<std::string, Loaded*>;
    Loaded*& l = (*docs)[path];
    if (!l) {
        l = new Loaded;
        l->env.codePage = 932;
        if (!l->doc.OpenDocument(path)) {
            std::fprintf(stderr, "bench: cannot load %s\n", path.c_str());
            std::exit(1);
        }
        l->view = new editing::CElwView(l->doc, l->undo, l->shared);
        l->view->SetWindowSize(40, 100);
    }
    return *l;
}

void ClearMarks(document::CElwDoc& doc) {
    for (document::LineRecord* r = doc.lines().first(); r; r = r->next)
        r->flags &= static_cast<uint8_t>(~(document::LF_MARK | document::LF_CHANGED));
}

void BM_MarkCaption(benchmark::State& state) {
    Loaded& l = Open(PathOf("NORV_BENCH_FILE", "/tmp/norv-corpus/large/sjis.lf.txt"));
    for (auto _ : state) {
        state.PauseTiming();
        ClearMarks(l.doc);
        state.ResumeTiming();
        l.view->Execute(editing::CommandId::MarkCaption);
    }
}

void BM_OtherParen(benchmark::State& state) {
    Loaded& l = Open(PathOf("NORV_BENCH_BRACES", "/tmp/norv-bench-braces.txt"));
    for (auto _ : state) {
        l.view->SetCaret(1, 0);
        l.view->Execute(editing::CommandId::OtherParen);
        if (l.view->caretLineNumber() != l.doc.lineCount()) {
            const std::string why = "no partner: the caret is on line " +
                                    std::to_string(l.view->caretLineNumber()) + " of " +
                                    std::to_string(l.doc.lineCount());
            state.SkipWithError(why.c_str());
        }
    }
}

void NextFlagged(benchmark::State& state, uint8_t flag, editing::CommandId id) {
    Loaded& l = Open(PathOf("NORV_BENCH_LINES", "/tmp/norv-bench-2m.txt"));
    ClearMarks(l.doc);
    l.doc.lines().last()->flags |= flag;
    for (auto _ : state) {
        l.view->SetCaret(1, 0);
        l.view->Execute(id);
        if (l.view->caretLineNumber() != l.doc.lineCount()) state.SkipWithError("not found");
    }
    l.doc.lines().last()->flags &= static_cast<uint8_t>(~flag);
}

void BM_NextMark(benchmark::State& state) {
    NextFlagged(state, document::LF_MARK, editing::CommandId::NextMark);
}
void BM_NextChanged(benchmark::State& state) {
    NextFlagged(state, document::LF_CHANGED, editing::CommandId::NextChanged);
}

}  // namespace

BENCHMARK(BM_MarkCaption)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OtherParen)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NextMark)->Iterations(10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NextChanged)->Iterations(10)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
