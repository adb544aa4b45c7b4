// Archives chosen in the Open dialog (NORV_BENCH_NAMES_ZIP and NORV_BENCH_EXTRACT_ZIP, made by
// run_archive_bench.sh): reading and checking every name of a large ZIP against a destination,
// and the whole extraction the dialog runs (names checked, then the configured unzip), into a
// fresh folder each repetition.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/archive_extract.h"
#include "app/config/settings.h"
#include "platform/fakes/headless_ui.h"
#include "tools/archive/archive_names.h"

namespace {

using namespace norv;

std::string Env(const char* name) {
    const char* p = std::getenv(name);
    if (!p || !*p) {
        std::fprintf(stderr, "bench: set %s (run_archive_bench.sh does)\n", name);
        std::exit(1);
    }
    return p;
}

void BM_CheckNames(benchmark::State& state) {
    const std::string zip = Env("NORV_BENCH_NAMES_ZIP");
    size_t entries = 0;
    for (auto _ : state) {
        tools::FileArchiveBytes bytes(zip);
        auto names = tools::ReadZipNames(bytes);
        if (!names || tools::FirstEntryOutside(*names, "/tmp/destination")) {
            state.SkipWithError("the archive's names were refused");
            return;
        }
        entries = names->size();
    }
    state.counters["entries"] = static_cast<double>(entries);
}
BENCHMARK(BM_CheckNames)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_Extract(benchmark::State& state) {
    const std::string zip = Env("NORV_BENCH_EXTRACT_ZIP");
    const std::string out = Env("NORV_BENCH_EXTRACT_TO");
    app::Settings settings(65001);
    platform::HeadlessUi ui;
    app::ExtractEnvironment env;
    env.ui = &ui;
    env.settings = &settings;
    env.systemCodePage = 65001;
    int run = 0;
    std::string destination;
    env.chooseFolder = [&](const std::string&) -> std::optional<std::string> {
        return destination;
    };
    for (auto _ : state) {
        state.PauseTiming();
        destination = out + "/" + std::to_string(run++);
        std::filesystem::create_directories(destination);
        state.ResumeTiming();
        const app::ExtractResult result = app::ExtractArchive(env, {zip}, out);
        if (!result.ran) {
            state.SkipWithError("the archiver did not run");
            return;
        }
    }
}
BENCHMARK(BM_Extract)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
