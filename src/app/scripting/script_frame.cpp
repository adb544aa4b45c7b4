// Settings written for a script as the preference pages write them (see script_frame.h).
#include "app/scripting/script_frame.h"

#include "app/config/settings.h"
#include "app/config/settings_store.h"

namespace norv::app {

bool WriteSettingValue(Settings& settings, SettingsStore* store, Key key, int value) {
    const bool colour = SpecOf(key).type == ValueType::kColour;
    if (SpecOf(key).type == ValueType::kText) return false;
    if (store == nullptr) {
        if (colour ? settings.Colour(key) == ColourValue(value) : settings.Int(key) == value)
            return false;
        if (colour)
            settings.Set(key, FormatColour(static_cast<ColourValue>(value)));
        else
            settings.Set(key, value);
        return true;
    }
    return colour ? settings.WriteColour(*store, key, static_cast<ColourValue>(value))
                  : settings.Write(*store, key, value);
}

bool WriteSettingValue(Settings& settings, SettingsStore* store, Key key, std::string_view value) {
    if (SpecOf(key).type != ValueType::kText) return false;
    // A line break would break the settings file's line structure.
    if (value.find_first_of("\r\n") != std::string_view::npos) return false;
    if (store == nullptr) {
        if (settings.Text(key) == value) return false;
        settings.Set(key, value);
        return true;
    }
    return settings.Write(*store, key, value);
}

}  // namespace norv::app
