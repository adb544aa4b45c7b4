// Storing what the preferences changed.
#include "app/preferences_commit.h"

#include <cstring>

#include "app/config/keyword_file_edit.h"
#include "platform/paths.h"

namespace norv::app {

namespace {

std::string Failure(const std::string& what, const std::string& path, int error) {
    return "The " + what + " " + path + " could not be written: " + std::strerror(error) + ".";
}

}  // namespace

CommitOutcome CommitPreferences(Configuration& config, SettingsStore* store, KeyTable& keysInForce,
                                const PreferenceCommit& commit, const PreferenceFiles& files,
                                const FontExists& fontExists) {
    CommitOutcome out;
    out.settings = ApplyPreferences(config.settings, store, commit.edits, fontExists);
    if (out.settings.refused) return out;
    out.reapply = out.settings.reapply;
    out.tellOthers = out.settings.TellOthers();
    for (Key k : out.settings.failed)
        out.errors.push_back("The setting " + FieldName(k) + " could not be written to " +
                             (store ? store->Path() : std::string()) + ".");
    Settings& s = config.settings;

    // A key file loaded on the Keys page becomes the one the program loads at start-up.
    if (commit.loadedKeyFile && store && files.fs &&
        NoteLoadedKeyFile(s, *store, *commit.loadedKeyFile, *files.fs, files.settingsFolder)) {
        out.reapply |= ReapplyOf(Key::KeyDefinition);
        out.tellOthers = true;
    }
    if (commit.keys) {
        keysInForce = *commit.keys;
        out.reapply |= kReapplyKeys | kReapplyMenus;
        // Kept in the file KeyDefinition names, which start-up and the other copies read.
        const std::string& name = s.Text(Key::KeyDefinition);
        if (files.fs && !name.empty()) {
            const std::string path = platform::IsRelativePath(name)
                                         ? platform::JoinPath(files.settingsFolder, name)
                                         : name;
            if (const int error = SaveKeyFile(*files.fs, path, keysInForce))
                out.errors.push_back(Failure("key definition file", path, error));
            else
                out.tellOthers = true;
        }
    }
    if (commit.keywords) {
        config.keywords = *commit.keywords;
        out.reapply |= kReapplyViews;
        if (files.fs && !files.keywordPath.empty()) {
            if (const int error =
                    SaveEditedKeywordFile(*files.fs, files.keywordPath, config.keywords))
                out.errors.push_back(Failure("keyword file", files.keywordPath, error));
            else
                out.tellOthers = true;
        }
    }
    if (commit.data) {
        config.data = *commit.data;
        out.reapply |= kReapplyMenus | kReapplyKeys;
        if (files.fs && !files.dataPath.empty()) {
            if (const int error = SaveDataFile(*files.fs, files.dataPath, config.data))
                out.errors.push_back(Failure("data file", files.dataPath, error));
            else
                out.tellOthers = true;
        }
    }
    return out;
}

}  // namespace norv::app
