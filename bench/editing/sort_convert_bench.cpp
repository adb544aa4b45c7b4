// Sort, Convert and Compare on the loaded corpus documents. The documents are loaded before
// timing (NORV_BENCH_SJIS, default /tmp/norv-corpus/large/sjis.lf.txt; NORV_BENCH_UTF8,
// default /tmp/norv-corpus/large/utf8.lf.txt); each benchmark runs once per repetition:
//   SortLines, SortAfterSlash  the whole Shift-JIS document sorted through the command (keys,
//                              order, the Order record), then put back with Undo (not timed,
//                              checked);
//   UpperAll                   UPPER ALL of every line of the UTF-8 document;
//   WidthDown, KanaUp          MBCS to SBCS, and SBCS to MBCS of the kana, on the Shift-JIS one;
//   TabToSpace                 Tab to Space (tab width 8) on the Shift-JIS one;
//   CompareSame, CompareEdited the compare walk of the Shift-JIS document with itself, and with
//                              a copy carrying 1000 scattered edits.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <map>
#include <memory>
#include <string>

#include "document/document.h"
#include "editing/compare_walk.h"
#include "editing/convert_text.h"
#include "editing/edit_view.h"
#include "editing/selection.h"

namespace {

using namespace norv;

std::string PathOf(const char* variable, const char* fallback) {
    const char* p = std::getenv(variable);
    return p ? p : fallback;
}

// Documents live until the process ends (the program's line heap may go first otherwise).
document::CElwDoc& Loaded(const std::string& path) {
    static auto* env = new document::DocumentEnvironment;
    env->codePage = 932;
    static std::map<std::string, document::CElwDoc*> docs;
    auto& d = docs[path];
    if (!d) {
        d = new document::CElwDoc(*env);
        if (!d->OpenDocument(path)) {
            std::fprintf(stderr, "bench: cannot load %s\n", path.c_str());
            std::exit(1);
        }
    }
    return *d;
}

document::CElwDoc& Sjis() {
    return Loaded(PathOf("NORV_BENCH_SJIS", "/tmp/norv-corpus/large/sjis.lf.txt"));
}
document::CElwDoc& Utf8() {
    return Loaded(PathOf("NORV_BENCH_UTF8", "/tmp/norv-corpus/large/utf8.lf.txt"));
}

void SortBench(benchmark::State& state, std::string after) {
    document::CElwDoc& doc = Sjis();
    document::UndoList undo(0);
    editing::EditorShared shared(document::ProgramLineHeap());
    editing::CElwView view(doc, undo, shared);
    editing::ClipboardContext ctx;
    editing::Selection sel(view, ctx);
    // The order record of the whole document is larger than the default history: without room
    // for it, Undo could not put the lines back and each run would sort the sorted text.
    undo.SetLimit(0);
    const document::LineRecord* const first = doc.lines().first();
    const document::LineRecord* const last = doc.lines().last();
    for (auto _ : state) {
        sel.Select(1, 0, doc.lineCount(), doc.lines().last()->contentLength());
        shared.scriptSort = editing::SortArguments{0, 0, 0, after};
        view.Execute(editing::CommandId::EditSort);
        state.PauseTiming();
        view.Execute(editing::CommandId::Undo);
        if (doc.lines().first() != first || doc.lines().last() != last) {
            std::fprintf(stderr, "bench: Undo did not put the lines back in their order\n");
            std::exit(1);
        }
        state.ResumeTiming();
    }
}

void BM_SortLines(benchmark::State& state) {
    SortBench(state, "");
}
void BM_SortAfterSlash(benchmark::State& state) {
    SortBench(state, "/");
}

void ConvertBench(benchmark::State& state, document::CElwDoc& doc, editing::ConvertChoices c) {
    const int cp = doc.CodePage();
    size_t bytes = 0;
    for (auto _ : state) {
        bytes = 0;
        for (const document::LineRecord* r = doc.lines().first(); r; r = r->next) {
            std::string out =
                editing::ConvertPiece({r->text(), r->contentLength()}, c, cp, 8, 0, 65533);
            bytes += out.size();
            benchmark::DoNotOptimize(out.data());
        }
    }
    state.counters["bytes"] = static_cast<double>(bytes);
}

void BM_UpperAll(benchmark::State& state) {
    editing::ConvertChoices c;
    c.caseConversion = editing::CaseConversion::kUpper;
    ConvertBench(state, Utf8(), c);
}
void BM_WidthDown(benchmark::State& state) {
    editing::ConvertChoices c;
    c.width = editing::WidthConversion::kToSingleByte;
    ConvertBench(state, Sjis(), c);
}
void BM_KanaUp(benchmark::State& state) {
    editing::ConvertChoices c;
    c.width = editing::WidthConversion::kToDoubleByte;
    c.alphanumerics = false;
    ConvertBench(state, Sjis(), c);
}
void BM_TabToSpace(benchmark::State& state) {
    editing::ConvertChoices c;
    c.tabs = editing::TabConversion::kTabToSpace;
    ConvertBench(state, Sjis(), c);
}

std::vector<std::string_view> LinesOf(document::CElwDoc& doc) {
    std::vector<std::string_view> v;
    for (const document::LineRecord* r = doc.lines().first(); r; r = r->next)
        v.emplace_back(r->text(), r->contentLength());
    return v;
}

void BM_CompareSame(benchmark::State& state) {
    const std::vector<std::string_view> a = LinesOf(Sjis());
    for (auto _ : state) benchmark::DoNotOptimize(editing::CompareLines(a, a, {}).current.size());
}

void BM_CompareEdited(benchmark::State& state) {
    const std::vector<std::string_view> a = LinesOf(Sjis());
    std::vector<std::string_view> b = a;
    static const std::string edited = "an edited line";
    for (size_t i = 1; i <= 1000; ++i) b[i * (b.size() / 1001)] = edited;
    for (auto _ : state) benchmark::DoNotOptimize(editing::CompareLines(a, b, {}).current.size());
}

}  // namespace

BENCHMARK(BM_SortLines)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortAfterSlash)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UpperAll)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WidthDown)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_KanaUp)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TabToSpace)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CompareSame)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CompareEdited)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
