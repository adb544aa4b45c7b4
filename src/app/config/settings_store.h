// The settings store: reads and writes integers, texts and colours of the settings file by key.
//
// While the start-up cache is live, reads are answered from it; otherwise each read reads the
// file. Every write goes to the file at once: the file is read again just before the change (so
// that two running copies of the program do not undo each other's changes) and written through
// a temporary file and a rename (so that a crash never leaves half a settings file). A write
// also updates the cache, so a key written during start-up reads back its new value.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "app/config/settings_cache.h"
#include "app/config/settings_keys.h"
#include "platform/file_system.h"

namespace norv::app {

// A colour value: red + 256 * green + 65536 * blue.
using ColourValue = uint32_t;

// "%3d %3d %3d" as a C library would scan it: missing components are 0.
ColourValue ParseColour(std::string_view text);
// "%03d %03d %03d".
std::string FormatColour(ColourValue colour);
constexpr ColourValue Rgb(unsigned r, unsigned g, unsigned b) {
    return r + 256u * g + 65536u * b;
}

enum class WriteResult {
    kWritten,
    kBadValue,  // a line break in the value (it would break the file's line structure)
    kFailed,    // the file could not be read or written; it is left as it was
};

class SettingsStore {
  public:
    SettingsStore(platform::FileSystem& fs, std::string path, int codePage);

    const std::string& Path() const { return path_; }
    int CodePage() const { return codePage_; }

    // Reads the whole file into the cache. A missing file gives an empty cache (every read
    // takes its default). Returns 0 or the system error number.
    int LoadCache();
    void ReleaseCache();
    bool HasCache() const { return cacheLive_; }
    const SettingsCache& Cache() const { return cache_; }

    // Typed reads with the table's default, or with the caller's default.
    int ReadInt(Key key);
    int ReadInt(Key key, int defaultValue);
    std::string ReadText(Key key);
    std::string ReadText(Key key, std::string_view defaultValue);
    ColourValue ReadColour(Key key);
    // Any section and key, for the parts of the file outside the table (the bar layout).
    std::optional<std::string> ReadRaw(std::string_view section, std::string_view key);

    WriteResult WriteInt(Key key, int value);
    WriteResult WriteText(Key key, std::string_view value);
    WriteResult WriteColour(Key key, ColourValue value);
    WriteResult WriteRaw(std::string_view section, std::string_view key, std::string_view value);
    // The system error number of the last failed write.
    int LastError() const { return lastError_; }

  private:
    std::optional<std::string> Lookup(const KeySpec& keySpec);

    platform::FileSystem& fs_;
    std::string path_;
    int codePage_;
    SettingsCache cache_;
    bool cacheLive_ = false;
    int lastError_ = 0;
};

// Writes `newValue` and updates `stored` only when they differ; true when it wrote. A failed
// write leaves `stored` as it was.
bool WriteIntIfChanged(SettingsStore& store, Key key, int newValue, int& stored);
bool WriteTextIfChanged(SettingsStore& store, Key key, std::string_view newValue,
                        std::string& stored);

}  // namespace norv::app
