// Editing in large documents: typing, Enter, BackSpace and Undo must cost work proportional
// to the line, not to the document, and jumping to the end of the text and back must not walk
// it. Documents of 1 K, 100 K and 2 M lines are made from the lines of the large Shift-JIS
// corpus (NORV_BENCH_FILE, default /tmp/norv-corpus/large/sjis.lf.txt): the whole file is
// loaded with OpenDocument and lines are taken from it, cycling, up to the size wanted.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <map>
#include <memory>
#include <string>

#include "document/document.h"
#include "document/undo_list.h"
#include "editing/edit_view.h"

namespace {

using norv::editing::CElwView;
using norv::editing::CommandId;

std::string CorpusPath() {
    const char* p = std::getenv("NORV_BENCH_FILE");
    return p ? p : "/tmp/norv-corpus/large/sjis.lf.txt";
}

struct Session {
    norv::document::DocumentEnvironment env;
    norv::document::CElwDoc doc{env};
    norv::document::UndoList undo;
    norv::editing::EditorShared shared{norv::document::ProgramLineHeap()};
    std::unique_ptr<CElwView> view;
};

// The documents live until the process ends (the program's line heap, a static, may be gone
// before static destructors of this file would run).
norv::document::CElwDoc& Corpus() {
    static auto* env = new norv::document::DocumentEnvironment;
    static auto* corpus = new norv::document::CElwDoc(*env);
    static bool loaded = false;
    norv::document::CElwDoc& doc = *corpus;
    if (!loaded) {
        env->codePage = 932;
        if (!doc.OpenDocument(CorpusPath())) {
            std::fprintf(stderr, "bench: cannot load %s\n", CorpusPath().c_str());
            std::exit(1);
        }
        loaded = true;
    }
    return doc;
}

Session& SessionOf(int lines) {
    static auto* sessions = new std::map<int, std::unique_ptr<Session>>;
    auto& s = (*sessions)[lines];
    if (s) return *s;
    s = std::make_unique<Session>();
    s->env.codePage = 932;
    auto& list = s->doc.lines();
    list.Reset();
    const norv::document::LineRecord* src = Corpus().lines().first();
    // The line edited is the same in every size: the corpus's line 500, put in the middle.
    const norv::document::LineRecord* edited = Corpus().lines().LineAt(500);
    for (int i = 1; i <= lines; ++i) {
        if (!src) src = Corpus().lines().first();
        const norv::document::LineRecord* r = i == lines / 2 ? edited : src;
        list.AppendContent(r->text(), r->contentLength(), r->flags);
        src = src->next;
    }
    // A small history keeps the records of millions of iterations in bounds.
    norv::editing::EditOptions options;
    options.undoLimitKb = 64;
    s->view = std::make_unique<CElwView>(s->doc, s->undo, s->shared, norv::view::LayoutOptions{},
                                         options);
    s->view->SetWindowSize(40, 100);
    // The caret in the middle of the text, in the middle of its line.
    s->view->SetCaret(lines / 2, 20);
    return *s;
}

// Makes the other sessions give the program's line buffer back before timing.
Session& Use(int lines) {
    Session& s = SessionOf(lines);
    s.view->SetCaret(s.view->caretLineNumber(), 20);
    return s;
}

void BM_TypeAndUndo(benchmark::State& state) {
    Session& s = Use(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        s.view->TypeByte('x');
        s.view->Execute(CommandId::Undo);
    }
    state.SetLabel("type a character, then Undo");
}

void BM_TypeAndBackSpace(benchmark::State& state) {
    Session& s = Use(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        s.view->TypeByte('x');
        s.view->Execute(CommandId::BackSpace);
    }
    s.undo.Clear();
    state.SetLabel("type a character, then BackSpace");
}

void BM_EnterAndBackSpace(benchmark::State& state) {
    Session& s = Use(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        s.view->Execute(CommandId::SplitLine);
        s.view->Execute(CommandId::BackSpace);
    }
    s.undo.Clear();
    state.SetLabel("Enter, then BackSpace (split and join)");
}

void BM_EnterAndUndo(benchmark::State& state) {
    Session& s = Use(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        s.view->Execute(CommandId::SplitLine);
        s.view->Execute(CommandId::Undo);
    }
    state.SetLabel("Enter, then Undo");
}

void BM_EndOfTextAndBack(benchmark::State& state) {
    Session& s = Use(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        s.view->Execute(CommandId::TextBot);
        s.view->Execute(CommandId::TextTop);
        benchmark::DoNotOptimize(s.view->caretLine());
    }
    state.SetLabel("to the end of the text and back (G gg)");
}

#define SIZES Arg(1000)->Arg(100000)->Arg(2000000)
BENCHMARK(BM_TypeAndUndo)->SIZES;
BENCHMARK(BM_TypeAndBackSpace)->SIZES;
BENCHMARK(BM_EnterAndBackSpace)->SIZES;
BENCHMARK(BM_EnterAndUndo)->SIZES;
BENCHMARK(BM_EndOfTextAndBack)->SIZES;

}  // namespace

BENCHMARK_MAIN();
