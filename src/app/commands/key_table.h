// The key assignment in force: two keys for each command of the command table and the prefix
// letters of two-stroke keys. It starts as the built-in table; a key definition file replaces
// the keys of the commands it names, and the key dialog edits single keys.
//
// Key definition file: text lines of at most 256 bytes, fields separated by tabs or blanks.
// "TwoStroke" and the prefix letters; otherwise a command name and up to two key names (a
// missing key unassigns that slot). Unknown command names are skipped.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "app/commands/command_table.h"
#include "platform/file_system.h"
#include "platform/ui.h"

namespace norv::app {

class Settings;
class SettingsStore;

inline constexpr size_t kPrefixSlots = 10;
inline constexpr std::string_view kBuiltinPrefixes = "KOQ";
inline constexpr std::string_view kTwoStrokeWord = "TwoStroke";
inline constexpr size_t kKeyFileLineLimit = 256;

class KeyTable {
  public:
    KeyTable();

    KeyCode key(size_t command, int slot) const {
        return keys_[command][static_cast<size_t>(slot)];
    }
    void SetKey(size_t command, int slot, KeyCode code) {
        keys_[command][static_cast<size_t>(slot)] = code;
    }
    // The prefix letters; empty slots hold 0xFF.
    const std::array<uint8_t, kPrefixSlots>& prefixes() const { return prefixes_; }
    void SetPrefixes(std::string_view letters);
    bool IsPrefix(uint8_t key) const;

    // The first command in table order that holds the key, or -1.
    int Find(KeyCode code) const;
    // Another command (not `except`) holding the key, for the key dialog's duplicate check.
    std::optional<size_t> OtherHolder(KeyCode code, size_t except) const;

    // The key definition file's text, and reading one (over the current assignment).
    std::string Format() const;
    void Parse(std::string_view text);

    bool operator==(const KeyTable&) const = default;

  private:
    std::array<std::array<KeyCode, 2>, kCommandCount> keys_{};
    std::array<uint8_t, kPrefixSlots> prefixes_{};
};

// Loads a key definition file over `table`; a file that cannot be read leaves it unchanged and
// returns false.
bool LoadKeyFile(platform::FileSystem& fs, const std::string& path, KeyTable& table);
// Writes the table; returns 0 or the system error number.
int SaveKeyFile(platform::FileSystem& fs, const std::string& path, const KeyTable& table);
// At start-up, after the settings: the file named by KeyDefinition in the settings folder
// replaces the built-in keys of the commands it names. False when there is no such file.
bool LoadStartUpKeyFile(platform::FileSystem& fs, const std::string& settingsFolder,
                        const Settings& settings, KeyTable& table);
// After loading `path`: when its name differs (ignoring case) from KeyDefinition, the setting
// takes it. Returns whether it changed.
bool NoteLoadedKeyFile(Settings& settings, SettingsStore& store, const std::string& path);
// The same for the key dialog, where file names keep their case: the file KeyDefinition names
// (in the settings folder) and the loaded file are compared as the files they reach, links
// resolved, and exactly; only a different file gives KeyDefinition its name.
bool NoteLoadedKeyFile(Settings& settings, SettingsStore& store, const std::string& path,
                       platform::FileSystem& fs, const std::string& settingsFolder);

// The key dialog assigns `code` to a command's slot. When another command holds the key, the
// user is asked whether to delete it there; "No" leaves both assigned. Returns the command
// whose key was deleted, if any.
inline constexpr std::string_view kDuplicateKeyText =
    "Duplicate key assign was found.\nDo you want to delete it?";
std::optional<size_t> AssignKey(KeyTable& table, size_t command, int slot, KeyCode code,
                                platform::UserInterface& ui);

}  // namespace norv::app
