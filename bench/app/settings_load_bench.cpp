// Reading every setting of a large settings file: through the start-up cache (one pass over
// the file, then one comparison per key when keys are read in file order), against one plain
// pass over the file (the floor) and against reading each key from the file text (what the
// program would pay without the cache).
//
// The file is the one named by NORV_BENCH_SETTINGS (the run script writes it, 2,000 keys), or
// one made here with the same shape.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "app/settings.h"
#include "app/settings_cache.h"
#include "app/settings_file.h"
#include "platform/file_system.h"
#include "platform/memory_file_system.h"

using namespace norv::app;

namespace {

std::string MakeFile() {
    std::string text;
    const char* sections[] = {"Settings", "Options", "Others", "Colors", "Fonts"};
    for (int s = 0; s < 5; ++s) {
        text += "[" + std::string(sections[s]) + "]\n";
        for (int i = 0; i < 400; ++i)
            text += "Key" + std::to_string(s) + "_" + std::to_string(i) + "=value " +
                    std::to_string(i * 7) + "\n";
    }
    return text;
}

const std::string& FileText() {
    static const std::string text = [] {
        std::string t;
        if (const char* path = std::getenv("NORV_BENCH_SETTINGS"))
            if (norv::platform::ReadWholeFile(norv::platform::RealFileSystem(), path, t) == 0)
                return t;
        return MakeFile();
    }();
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
        for (const auto& [s, k] : keys) total += cache.Find(s, k)->size();
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

BENCHMARK_MAIN();
