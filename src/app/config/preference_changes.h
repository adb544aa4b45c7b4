// What pressing OK in the preferences does, without the widgets: every value the pages changed
// is checked first (one refused value and nothing is written), then each is written with
// write-if-changed, and the caller learns which keys were written, which writes failed and what
// this instance must apply again (fonts, views, bars, menus, keys).
//
// The pages hand over only the values whose control the user changed, each in the form it is
// stored in; a value equal to the one held is not written.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "app/config/preference_table.h"
#include "app/config/settings.h"
#include "app/config/settings_store.h"

namespace norv::app {

struct PreferenceEdit {
    Key key;
    std::string value;  // decimal, "RRR GGG BBB" or text in the system code page
};

// What this instance applies again after OK.
enum Reapply : uint32_t {
    kReapplyNothing = 0,
    kReapplyFonts = 1u << 0,  // the text font: every view's metrics and layout
    kReapplyViews = 1u << 1,  // editing and display options, colours: every view
    kReapplyBars = 1u << 2,   // status bar, tool bars, function-key bar
    kReapplyMenus = 1u << 3,  // user menus, help entries, recent files
    kReapplyKeys = 1u << 4,   // the key table and the two-stroke options
    kReapplyPrint = 1u << 5,  // the print layout
};
// What a change of this key needs (nothing for keys that are only read where they are used,
// and for those whose value has no effect beyond being kept).
uint32_t ReapplyOf(Key key);

struct PreferenceRefusal {
    Key key;
    std::string message;
};

// The first edit whose value cannot be stored.
std::optional<PreferenceRefusal> CheckPreferences(std::span<const PreferenceEdit> edits,
                                                  const FontExists& fontExists);

struct PreferenceOutcome {
    std::optional<PreferenceRefusal> refused;  // then nothing was written
    std::vector<Key> written;                  // changed and stored (or set, without a store)
    std::vector<Key> failed;                   // the settings file refused the write
    uint32_t reapply = kReapplyNothing;
    // Other running copies reload when anything reached the settings file.
    bool TellOthers() const { return !written.empty(); }
};

// Checks every edit, then writes the changed values. Without a store the values change in
// memory only.
PreferenceOutcome ApplyPreferences(Settings& settings, SettingsStore* store,
                                   std::span<const PreferenceEdit> edits,
                                   const FontExists& fontExists);

}  // namespace norv::app
