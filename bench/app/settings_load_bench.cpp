// Reading every setting of a large settings file: through the start-up cache (one pass over
// the file, then one comparison per key when keys are read in file order), against one plain
// pass over the file (the floor) and against reading each key from the file text (what the
// program would pay without the cache).
//
// The file is made here; with NORV_BENCH_SETTINGS_OUT set the program only writes it there
// (the run script gives the same file to the outside anchor).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "app/config/settings.h"
#include "app/config/settings_cache.h"
#include "app/config/settings_file.h"
#include "platform/fakes/memory_file_system.h"
#include "platform/file_system.h"

using namespace norv::app;

namespace {

// A settings file of 2,000 keys as the program writes it: every key of the table in its
// section, in table order, with its default; then the rest in the bar-layout section.
std::string MakeFile() {
    constexpr size_t kKeys = 2000;
    Settings defaults(932);
    std::string text;
    for (size_t s = 0; s < size_t(Section::kCount); ++s) {
        if (Section(s) == Section::General) continue;
        text.append("[").append(SectionName(Section(s))).append("]\n");
        for (size_t i = 0; i < kKeyCount; ++i) {
            const KeySpec& keySpec = kKeySpecs[i];
            if (keySpec.section != Section(s)) continue;
            text.append(keySpec.name).append("=");
            text.append(keySpec.type == ValueType::kInt ? std::to_string(defaults.Int(Key(i)))
                                                        : defaults.Text(Key(i)));
            text.append("\n");
        }
    }
    text.append("[General]\n");
    for (size_t i = kKeyCount; i < kKeys; ++i)
        text.append("Bar")
            .append(std::to_string(i))
            .append("=")
            .append(std::to_string(i * 7))
            .append("\n");
    return text;
}

const std::string& FileText() {
    static const std::string text = MakeFile();
    return text;
}

std::vector<std::pair<std::string, std::string>> Keys() {
    std::vector<std::pair<std::string, std::string>> keys;
    ForEachIniEntry(FileText(), [&](std::string_view s, std::string_view k, std::string_view) {
        keys.emplace_back(std::string(s), std::string(k));
    });
    return keys;
}

// The floor: one pass over the file, touching every value.
void BM_OnePass(benchmark::State& state) {
    const std::string& text = FileText();
    for (auto _ : state) {
        size_t total = 0;
        ForEachIniEntry(text, [&](std::string_view, std::string_view, std::string_view v) {
            total += v.size();
        });
        benchmark::DoNotOptimize(total);
    }
    state.counters["keys"] = double(Keys().size());
}
BENCHMARK(BM_OnePass);

// Start-up: load the cache, then read every key in file order.
void BM_CachedReadAll(benchmark::State& state) {
    const std::string& text = FileText();
    auto keys = Keys();
    for (auto _ : state) {
        SettingsCache cache;
        cache.Load(text);
        size_t total = 0;
        for (const auto& [s, k] : keys) total += cache.Find(s, k).value_or("").size();
        benchmark::DoNotOptimize(total);
    }
}
BENCHMARK(BM_CachedReadAll);

// The program's own load of every table key through the store and its cache.
void BM_SettingsLoad(benchmark::State& state) {
    norv::platform::MemoryFileSystem fs;
    fs.folders.insert("/c");
    fs.files["/c/n.INI"] = FileText();
    for (auto _ : state) {
        SettingsStore store(fs, "/c/n.INI", 932);
        store.LoadCache();
        Settings settings(932);
        settings.Load(store);
        benchmark::DoNotOptimize(settings.Int(Key::UndoLimit));
    }
}
BENCHMARK(BM_SettingsLoad);

// Without the cache: every read parses the file text again.
void BM_UncachedReadAll(benchmark::State& state) {
    const std::string& text = FileText();
    auto keys = Keys();
    for (auto _ : state) {
        size_t total = 0;
        for (const auto& [s, k] : keys) total += FindIniValue(text, s, k)->size();
        benchmark::DoNotOptimize(total);
    }
}
BENCHMARK(BM_UncachedReadAll)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (const char* out = std::getenv("NORV_BENCH_SETTINGS_OUT"))
        return norv::platform::WriteFileAtomically(norv::platform::RealFileSystem(), out,
                                                   FileText()) == 0
                   ? 0
                   : 1;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
