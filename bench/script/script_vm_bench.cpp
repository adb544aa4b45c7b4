// The interpreter's speed on the loop benchmark (sum_for.NRS, sum_while.NRS beside this file):
// compiles once, then times whole runs. run_script_bench.sh runs this beside Lua and Python
// on the same work and prints the ratios.
#include <benchmark/benchmark.h>

#include <string>

#include "platform/code_page.h"
#include "platform/fakes/headless_ui.h"
#include "platform/file_system.h"
#include "script/compiler.h"
#include "script/interpreter.h"
#include "script/script_host.h"

namespace {

using namespace norv;

void RunScript(benchmark::State& state, const char* file) {
    platform::SetSystemCodePage(932);
    const std::string path = std::string(NORV_BENCH_DIR) + "/" + file;
    script::CompileResult r = script::CompileFile(platform::RealFileSystem(), path);
    if (!r.image) {
        state.SkipWithError("compile failed");
        return;
    }
    platform::HeadlessUi ui;
    script::ScriptHost host(ui, platform::RealFileSystem());
    for (auto _ : state) {
        auto rt = script::Runtime::Load(*r.image, host);
        benchmark::DoNotOptimize(rt->Run());
    }
    if (ui.messages.empty() || ui.messages.back() != "-2004260032 10000")
        state.SkipWithError("wrong result");
}

void BM_SumFor(benchmark::State& state) {
    RunScript(state, "sum_for.NRS");
}
void BM_SumWhile(benchmark::State& state) {
    RunScript(state, "sum_while.NRS");
}

BENCHMARK(BM_SumFor)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_SumWhile)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

BENCHMARK_MAIN();
