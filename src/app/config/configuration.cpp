// The start-up load of the companion files and the reload of the settings.
#include "app/config/configuration.h"

namespace norv::app {

namespace {

void LoadSettingsAndKeywords(platform::FileSystem& fs, const CompanionFiles& files,
                             SettingsStore& store, Configuration& config, LoadErrors& errors) {
    errors.keywords = LoadKeywordFile(fs, files.PathOf(CompanionKind::kKeywords), config.keywords);
    bool ownCache = !store.HasCache();
    if (ownCache) errors.settings = store.LoadCache();
    config.settings.Load(store);
    if (ownCache) store.ReleaseCache();
}

}  // namespace

LoadErrors LoadConfiguration(platform::FileSystem& fs, const CompanionFiles& files,
                             SettingsStore& store, Configuration& config) {
    LoadErrors errors;
    config.firstRun = !fs.Stat(files.PathOf(CompanionKind::kSettings)).has_value();
    // A cache opened before the copy was made holds nothing yet.
    if (files.CopyTemplateIfMissing(fs, CompanionKind::kSettings) == TemplateCopy::kCopied &&
        store.HasCache())
        store.LoadCache();
    files.CopyTemplateIfMissing(fs, CompanionKind::kKeywords);
    LoadSettingsAndKeywords(fs, files, store, config, errors);
    files.CopyTemplateIfMissing(fs, CompanionKind::kData);
    errors.data = LoadDataFile(fs, files.PathOf(CompanionKind::kData), config.data);
    errors.history = LoadHistoryFile(fs, files.PathOf(CompanionKind::kHistory), config.history);
    return errors;
}

LoadErrors ReloadSettings(platform::FileSystem& fs, const CompanionFiles& files,
                          SettingsStore& store, Configuration& config) {
    LoadErrors errors;
    LoadSettingsAndKeywords(fs, files, store, config, errors);
    // User menus and add-in scripts are edited by the preferences too.
    errors.data = LoadDataFile(fs, files.PathOf(CompanionKind::kData), config.data);
    return errors;
}

FileProfile ProfileForFile(std::string_view path, const Settings& settings) {
    FileProfile result;
    result.id = ProfileOfFile(path, settings.Profiles(), settings.CodePage());
    result.typeCode = TypeCodeOf(result.id);
    result.profile = settings.ProfileAt(result.id);
    return result;
}

uint32_t HelpEntriesForFile(std::string_view path, const Settings& settings) {
    uint32_t mask = 0;
    for (int i = 0; i < kHelpEntryCount; ++i)
        if (ListAppliesToFile(path, settings.Help(i).extensions, settings.CodePage()))
            mask |= 1u << i;
    return mask;
}

}  // namespace norv::app
