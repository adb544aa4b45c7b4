// The spelling check of a large English text (NORV_BENCH_SPELL, made by run_spell_bench.sh)
// with the Debian dictionaries, the dialog answering "I&gnore All": opening the session (both
// dictionaries and the user list) and checking every word, once per repetition. The document is
// loaded before timing.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/spell_check.h"
#include "document/document.h"
#include "editing/edit_view.h"
#include "platform/fakes/memory_file_system.h"

namespace {

using namespace norv;

document::CElwDoc& Text() {
    static auto* env = new document::DocumentEnvironment;
    static document::CElwDoc* doc = nullptr;
    if (!doc) {
        env->codePage = 932;
        const char* p = std::getenv("NORV_BENCH_SPELL");
        doc = new document::CElwDoc(*env);
        if (!p || !doc->OpenDocument(p)) {
            std::fprintf(stderr, "bench: set NORV_BENCH_SPELL to an English text\n");
            std::exit(1);
        }
    }
    return *doc;
}

void BM_CheckIgnoreAll(benchmark::State& state) {
    document::CElwDoc& doc = Text();
    document::UndoList undo(0);
    editing::EditorShared shared(document::ProgramLineHeap());
    editing::CElwView view(doc, undo, shared);
    int64_t stops = 0;
    int64_t words = 0;
    for (auto _ : state) {
        platform::MemoryFileSystem fs;
        auto session = app::OpenSpellSession(true, true, "/s/", fs);
        if (!session) {
            state.SkipWithError("the en_US and en_GB dictionaries are not installed");
            return;
        }
        app::SpellCheckEnvironment env;
        env.dialog = [&](app::SpellingRequest&) {
            ++stops;
            return app::SpellingAnswer::kIgnoreAll;
        };
        words += app::RunSpellCheck(view, nullptr, *session, env).wordsChecked;
    }
    state.counters["words"] = static_cast<double>(words) / static_cast<double>(state.iterations());
    state.counters["stops"] = static_cast<double>(stops) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_CheckIgnoreAll)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
