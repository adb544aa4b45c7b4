// The program's settings in memory: every key of the table with its value, loaded in the
// table's order at start-up and again when another running copy reports a change.
//
// Code reads a value by its key (`settings.Int(Key::UndoLimit)`) and changes one with Write,
// which writes the settings file only when the value differs (the preference pages change a
// handful of keys out of hundreds). Profiles, help entries and colours that the view needs are
// derived from the values here.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "app/config/profiles.h"
#include "app/config/settings_keys.h"
#include "app/config/settings_store.h"

namespace norv::app {

struct HelpEntry {
    std::string file;        // a name without a folder is taken from the program's folder
    std::string comment;     // its description
    std::string extensions;  // the files it applies to
};
inline constexpr int kHelpEntryCount = 10;

class Settings {
  public:
    // Every key at its default for this code page.
    explicit Settings(int codePage);

    // Reads every key through the store (from its cache when live), in the table's order.
    void Load(SettingsStore& store);

    int CodePage() const { return codePage_; }
    int Int(Key key) const;
    bool Flag(Key key) const { return Int(key) != 0; }
    const std::string& Text(Key key) const;
    ColourValue Colour(Key key) const;

    // Changes a value in memory only (tests, and values that are not saved).
    void Set(Key key, int value);
    void Set(Key key, std::string_view value);
    // Writes the value when it differs from the one held; true when it was written. A failed
    // write keeps the old value.
    bool Write(SettingsStore& store, Key key, int value);
    bool Write(SettingsStore& store, Key key, std::string_view value);
    bool WriteColour(SettingsStore& store, Key key, ColourValue value);

    Profile ProfileAt(ProfileId id) const;
    ProfileTable Profiles() const;
    HelpEntry Help(int entry) const;  // 0 to 9

    // Black text means the system's window-text colour; a white background (of the text or of
    // the line numbers) means the system's window colour.
    bool TextColourIsSystem() const { return Colour(Key::TextColor) == Rgb(0, 0, 0); }
    bool BackColourIsSystem() const { return Colour(Key::BackColor) == Rgb(255, 255, 255); }
    bool LineNumberBackIsSystem() const { return Colour(Key::LBakColor) == Rgb(255, 255, 255); }

    // Every value as "[Section] Key=value", one a line in table order (for failing tests and
    // for comparing two loads).
    std::string Dump() const;

  private:
    struct Value {
        int number = 0;    // integers, and colour values
        std::string text;  // texts, and colour texts
    };
    Value& At(Key key) { return values_[size_t(key)]; }
    const Value& At(Key key) const { return values_[size_t(key)]; }

    int codePage_;
    std::array<Value, kKeyCount> values_;
};

// Whether `key` is a user profile's tab width (its default is the Default profile's tab width
// read from the same file).
bool IsUserTabKey(Key key);

}  // namespace norv::app
