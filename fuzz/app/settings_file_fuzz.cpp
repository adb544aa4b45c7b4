// Arbitrary bytes as a settings file: the start-up cache must answer exactly what a read of
// the file answers, every key must load, and a written value must read back.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/config/settings.h"
#include "app/config/settings_cache.h"
#include "app/config/settings_file.h"
#include "platform/fakes/memory_file_system.h"

using namespace norv::app;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);

    // Cache and file agree on every key the file holds (repeated sections and keys included),
    // also when a key is read twice.
    SettingsCache cache;
    cache.Load(text);
    for (int pass = 0; pass < 2; ++pass) {
        ForEachIniEntry(text,
                        [&](std::string_view section, std::string_view key, std::string_view) {
                            auto fromFile = FindIniValue(text, section, key);
                            auto fromCache = cache.Find(section, key);
                            if (fromFile.has_value() != fromCache.has_value()) std::abort();
                            if (fromFile && *fromFile != *fromCache) std::abort();
                        });
    }

    norv::platform::MemoryFileSystem fs;
    fs.folders.insert("/c");
    fs.files["/c/n.INI"] = text;
    SettingsStore store(fs, "/c/n.INI", 932);
    store.LoadCache();
    Settings settings(932);
    settings.Load(store);
    store.ReleaseCache();
    (void)settings.Profiles();

    // A value written into any file reads back, and the other entries keep their values.
    if (text.size() < 4096) {
        std::string changed = SetIniValue(text, "Settings", "UndoLimit", "77");
        auto v = FindIniValue(changed, "Settings", "UndoLimit");
        if (!v || *v != "77") std::abort();
        ForEachIniEntry(text,
                        [&](std::string_view section, std::string_view key, std::string_view) {
                            if (section == "Settings" && key == "UndoLimit") return;
                            auto before = FindIniValue(text, section, key);
                            auto after = FindIniValue(changed, section, key);
                            if (before.has_value() != after.has_value()) std::abort();
                            if (before && *after != *before) std::abort();
                        });
    }
    return 0;
}
