// "Preferences" (`CElwProp`): the thirteen pages in their order, "Options" to "Others". Each
// page is made from the page table; the pages of keys, keywords and menus also edit copies of
// the key table, the keyword file and the data file.
//
// OK collects what the user changed on every page and checks it; a value that cannot be stored
// shows its message, brings its page and control forward and keeps the dialog open, with
// nothing written. The caller stores the result (app::CommitPreferences); Cancel leaves
// everything as it was.
#pragma once

#include <QDialog>
#include <QString>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/commands/key_table.h"
#include "app/config/data_file.h"
#include "app/config/keyword_file.h"
#include "app/config/preference_changes.h"
#include "app/config/settings.h"
#include "gui/dialogs/preference_fields.h"
#include "platform/file_system.h"
#include "platform/ui.h"

class QTabWidget;

namespace norv::qt {

struct PreferenceContext {
    const app::Settings* settings = nullptr;
    int codePage = 932;  // of the settings' texts
    const app::KeyTable* keys = nullptr;
    const app::KeywordFile* keywords = nullptr;
    const app::DataFile* data = nullptr;
    std::string settingsFolder;  // where KeyDefinition is looked for
    platform::FileSystem* fs = nullptr;
    platform::UserInterface* ui = nullptr;  // the duplicate-key question
    // Chooses a key definition file to load (save false) or to save to; empty: cancelled.
    std::function<QString(QWidget* parent, bool save)> chooseKeyFile;
};

struct PreferenceResult {
    std::vector<app::PreferenceEdit> edits;
    std::optional<app::KeyTable> keys;         // when the key pages changed it
    std::optional<std::string> loadedKeyFile;  // the last key file loaded on the Keys page
    std::optional<app::KeywordFile> keywords;  // when the Keywords page changed it
    std::optional<app::DataFile> data;         // when menus or scripts changed
};

class CElwProp : public QDialog {
    Q_OBJECT

  public:
    CElwProp(QWidget* parent, const PreferenceContext& context);
    ~CElwProp() override;

    QTabWidget* tabs() const { return tabs_; }
    PreferencePage* page(app::PageId id) const;
    const PreferenceResult& result() const { return result_; }
    const PreferenceContext& context() const { return context_; }

    // The working copies the key, keyword and menu pages edit.
    app::KeyTable& keys() { return keys_; }
    void NoteKeysChanged() { keysChanged_ = true; }
    void NoteKeyFileLoaded(const std::string& path) { loadedKeyFile_ = path; }

    void done(int r) override;

  private:
    bool Collect();

    PreferenceContext context_;
    QTabWidget* tabs_ = nullptr;
    std::vector<PreferencePage*> pages_;
    app::KeyTable keys_;
    bool keysChanged_ = false;
    std::optional<std::string> loadedKeyFile_;
    PreferenceResult result_;
};

inline constexpr const char* kPreferencesTitle = "Preferences";

// The page makers, one a page class (in their own files).
PreferencePage* MakeFieldPage(app::PageId id, const PreferenceContext& c, QWidget* parent);
PreferencePage* MakeFileTypePage(const PreferenceContext& c, QWidget* parent);
PreferencePage* MakeFontColorPage(const PreferenceContext& c, QWidget* parent);
PreferencePage* MakeKeyPage(CElwProp& dialog, QWidget* parent);
PreferencePage* MakeEditKeyPage(CElwProp& dialog, QWidget* parent);
PreferencePage* MakeKeywordPage(const PreferenceContext& c, QWidget* parent);
PreferencePage* MakeMenuPage(const PreferenceContext& c, QWidget* parent);
PreferencePage* MakeScriptPage(const PreferenceContext& c, QWidget* parent);

// Pages that edit more than settings keys hand their files over through these.
class FilePage : public PreferencePage {
    Q_OBJECT

  public:
    using PreferencePage::PreferencePage;
    virtual void CollectFiles(PreferenceResult& result) const = 0;
};

}  // namespace norv::qt
