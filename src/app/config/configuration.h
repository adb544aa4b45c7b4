// Everything the editor reads at start-up from its companion files, loaded in a fixed
// order: the keyword file, every settings key (profiles, editing options, colours, print
// layout, external programs, fonts), then the data and history files. Reload (when another
// running copy changed the settings) reads the keyword file and the same keys again.
//
// The start-up cache belongs to the caller: start-up opens it before the settings are loaded
// and releases it when start-up ends. A reload without a live cache makes one for itself, so
// it too costs one pass over the settings file.
#pragma once

#include <cstdint>
#include <string_view>

#include "app/config/companion_files.h"
#include "app/config/data_file.h"
#include "app/config/history_file.h"
#include "app/config/keyword_file.h"
#include "app/config/profiles.h"
#include "app/config/settings.h"
#include "app/config/settings_store.h"

namespace norv::app {

struct Configuration {
    explicit Configuration(int codePage) : settings(codePage), keywords(codePage) {}
    Settings settings;
    KeywordFile keywords;
    DataFile data;
    HistoryFile history;
    bool firstRun = false;  // the settings file did not exist at start-up
};

// System error numbers of the files that could not be read (0: read, or missing).
struct LoadErrors {
    int settings = 0;
    int keywords = 0;
    int data = 0;
    int history = 0;
};

// Start-up: makes the first-run copies of missing files, then loads everything.
LoadErrors LoadConfiguration(platform::FileSystem& fs, const CompanionFiles& files,
                             SettingsStore& store, Configuration& config);
// Reload: the keyword file, every settings key and the data file again.
LoadErrors ReloadSettings(platform::FileSystem& fs, const CompanionFiles& files,
                          SettingsStore& store, Configuration& config);

// The profile a document of this path gets, with its type code and values.
struct FileProfile {
    ProfileId id = ProfileId::kDefault;
    char typeCode = ' ';
    Profile profile;
};
FileProfile ProfileForFile(std::string_view path, const Settings& settings);
// Bit i set when help entry i (0 to 9) applies to the file.
uint32_t HelpEntriesForFile(std::string_view path, const Settings& settings);

}  // namespace norv::app
