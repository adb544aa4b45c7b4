// Spell checking in the main frame: the SpellCheck command on the active window, with the
// settings (SpAm, SpBr), the user ignore list in the settings folder, the "Spelling" dialog
// placed beside the word, and Escape.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "app/spell_check.h"
#include "gui/frame/find_wiring.h"
#include "platform/ui.h"

namespace norv::qt {

class MainFrame;
class DocWindow;

class SpellWiring {
  public:
    SpellWiring(MainFrame& frame, platform::UserInterface& ui);
    SpellWiring(const SpellWiring&) = delete;
    SpellWiring& operator=(const SpellWiring&) = delete;

    // Runs without windows: the dialog names the word on standard error and is cancelled.
    void UseHeadlessDialogs() { headless_ = true; }
    // The folder of "BkIgn.tlx" (ending in "/"); until set, the companion files' folder.
    void SetSettingsFolder(std::string folder) { settingsFolder_ = std::move(folder); }
    const std::string& settingsFolder();
    // The dictionaries by name (null: Hunspell's of the system).
    std::function<std::unique_ptr<tools::SpellDictionary>(std::string_view)> dictionaries;

    // The SpellCheck command on the active window; false when it did nothing.
    bool RunSpellCheck();

  private:
    app::SpellingAnswer Ask(DocWindow& w, app::SpellingRequest& request);

    MainFrame& frame_;
    platform::UserInterface& ui_;
    EscapePoller escape_;
    std::string settingsFolder_;
    bool headless_ = false;
    bool busy_ = false;
};

}  // namespace norv::qt
