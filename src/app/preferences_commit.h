// Everything OK of the preferences stores, in one step without widgets: the changed settings
// (checked first; a refusal stores nothing at all), then the key table, the keyword file and the
// data file when their pages changed them. The outcome says what this instance applies again
// and whether the other running copies are told to reload.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "app/commands/key_table.h"
#include "app/config/configuration.h"
#include "app/config/preference_changes.h"

namespace norv::app {

struct PreferenceFiles {
    platform::FileSystem* fs = nullptr;
    std::string settingsFolder;  // where KeyDefinition names the key file
    std::string keywordPath;
    std::string dataPath;
};

struct PreferenceCommit {
    std::vector<PreferenceEdit> edits;
    std::optional<KeyTable> keys;
    std::optional<std::string> loadedKeyFile;
    std::optional<KeywordFile> keywords;
    std::optional<DataFile> data;
};

struct CommitOutcome {
    PreferenceOutcome settings;
    std::vector<std::string> errors;  // messages of files that could not be written
    uint32_t reapply = kReapplyNothing;
    bool tellOthers = false;
};

CommitOutcome CommitPreferences(Configuration& config, SettingsStore* store, KeyTable& keysInForce,
                                const PreferenceCommit& commit, const PreferenceFiles& files,
                                const FontExists& fontExists);

}  // namespace norv::app
