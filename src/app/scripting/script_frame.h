// What the script's user-interface built-ins and system variables need from the editor's frame:
// writing settings as the preferences do, telling the windows that a document changed, the file
// dialog, pop-up menus, the editor's own key input and key state, the input method, and the
// windows that scripts name by number.
//
// The Qt frame implements it over its windows; an editor without windows (tests, `--headless`)
// implements what it has. When the editor gives no frame at all the host falls back on
// `ScriptEditor` alone: settings are read but not written, file dialogs take the next answer of
// the input box, menus are dismissed and keys go nowhere.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/commands/key_dispatch.h"
#include "app/config/settings_keys.h"

namespace norv::app {

class Settings;
class SettingsStore;
class KeyInput;
struct ScriptMenu;

// A window as scripts see it: 1 the main window, document windows numbered from 2, each number
// kept for the window's life and never given to another.
struct ScriptWindow {
    uint32_t value = 0;
    std::string title;      // UTF-8
    std::string className;  // "NorvMainWindowClass" for the main window
};

inline constexpr std::string_view kMainWindowClass = "NorvMainWindowClass";
inline constexpr std::string_view kDocWindowClass = "NorvDocWindowClass";
inline constexpr uint32_t kMainWindowValue = 1;

// One key a script sends: the stroke as the keyboard would give it and the bytes it types in
// the system code page (empty for keys that type nothing).
struct SentKey {
    KeyStroke stroke;
    std::string bytes;
};

class ScriptFrame {
  public:
    virtual ~ScriptFrame() = default;

    // Settings. A write goes to the settings file when the value changed and is then applied as
    // the preferences' OK applies it (bars, views, menus, loading and saving). An Int key takes
    // the number, a Colour key the colour value (red + 256 green + 65536 blue). False when
    // nothing was written.
    virtual const Settings& settings() = 0;
    virtual bool WriteSetting(Key key, int value) = 0;
    virtual bool WriteSetting(Key key, std::string_view value) = 0;

    // The active document's state was changed by a script (its code, line ends, read-only mode,
    // path, type or layout): its windows, titles, menu checks and the status bar show it again.
    virtual void DocumentChanged() = 0;

    // The Open (or Save) dialog with an initial name and a filter ("*.txt;*.c" style, empty:
    // every file); the chosen path, nullopt when cancelled. Texts are UTF-8.
    virtual std::optional<std::string> FileDialog(std::string_view initialName,
                                                  std::string_view filter, bool save) = 0;
    // Shows the menu as a pop-up at the caret of the active view (at the mouse pointer without
    // one) and returns the id of the item chosen, or -1 when it was dismissed.
    virtual int PopupMenu(const ScriptMenu& menu) = 0;

    // Keys sent by a script: they go to the editor's own focused view as typed keys do. With
    // `wait`, they are all handled before this returns; otherwise they may be queued.
    virtual void SendKeys(const std::vector<SentKey>& keys, bool wait) = 0;
    // Whether the key (a key byte) is down now while the editor has the focus.
    virtual bool KeyDown(uint8_t key) = 0;
    // The active view's input method on or off.
    virtual void SetInputMethod(bool on) = 0;
    // The key assignment in force.
    virtual const KeyTable& keyTable() = 0;

    // The main window and the document windows, the main window first.
    virtual std::vector<ScriptWindow> Windows() = 0;
    // The active document window's value, 0 without one.
    virtual uint32_t ActiveWindowValue() = 0;
    // Activates a window of the list; false when there is no such window.
    virtual bool ActivateWindow(uint32_t value) = 0;
    virtual int DocumentCount() = 0;
    virtual bool MarkListShown() = 0;
    // Whether the text font is a proportional one.
    virtual bool VariablePitch() = 0;
};

// A setting written for a script as the preference pages write it: an Int key its number, a
// Colour key its colour, a Text key its text (never one with a line break); only when the value
// changed; without a store it is kept for this run only. True when the value changed.
bool WriteSettingValue(Settings& settings, SettingsStore* store, Key key, int value);
bool WriteSettingValue(Settings& settings, SettingsStore* store, Key key, std::string_view value);

}  // namespace norv::app
