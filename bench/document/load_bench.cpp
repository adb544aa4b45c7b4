// Loading large files into a document (the file in the page cache): the time from the open
// to the last line in memory, per file given in NORV_BENCH_FILES (colon-separated).
#include <benchmark/benchmark.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "document/document.h"

namespace {

void BM_OpenDocument(benchmark::State& state, std::string path) {
    norv::document::DocumentEnvironment env;
    env.codePage = 932;
    struct stat st {};
    stat(path.c_str(), &st);
    for (auto _ : state) {
        norv::document::CElwDoc doc(env);
        if (!doc.OpenDocument(path)) state.SkipWithError("cannot open");
        benchmark::DoNotOptimize(doc.lineCount());
        state.PauseTiming();  // closing the document is not part of the load
        doc.lines().FreeAllLines();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * st.st_size);
}

// Saving the loaded document unchanged (in its own code, flushed to disk) to a scratch file.
void BM_SaveDocument(benchmark::State& state, std::string path) {
    norv::document::DocumentEnvironment env;
    env.codePage = 932;
    env.save.trashOutGen = 0;
    norv::document::CElwDoc doc(env);
    if (!doc.OpenDocument(path)) {
        state.SkipWithError("cannot open");
        return;
    }
    const char* scratch = std::getenv("NORV_BENCH_OUT");
    std::string out = scratch ? scratch : "/tmp/norv-bench-save.txt";
    for (auto _ : state) {
        if (!doc.SaveDocument(out)) state.SkipWithError("cannot save");
    }
    std::remove(out.c_str());
    struct stat st {};
    stat(path.c_str(), &st);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * st.st_size);
}

}  // namespace

int main(int argc, char** argv) {
    const char* files = std::getenv("NORV_BENCH_FILES");
    std::string list = files ? files : "";
    size_t start = 0;
    while (start < list.size()) {
        size_t end = list.find(':', start);
        if (end == std::string::npos) end = list.size();
        std::string path = list.substr(start, end - start);
        benchmark::RegisterBenchmark(("OpenDocument/" + path.substr(path.rfind('/') + 1)).c_str(),
                                     BM_OpenDocument, path)
            ->Unit(benchmark::kMillisecond)
            ->MinTime(2.0);
        benchmark::RegisterBenchmark(("SaveDocument/" + path.substr(path.rfind('/') + 1)).c_str(),
                                     BM_SaveDocument, path)
            ->Unit(benchmark::kMillisecond)
            ->MinTime(2.0);
        start = end + 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
