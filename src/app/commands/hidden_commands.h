// Commands that only a menu carries: the Character Code and Return Code items, Read-Only Mode,
// the address commands, the bookmark list's copy commands and the spelling check. They have
// table names so that key macros record them and scripts run them through COMMAND, but they
// are not part of the key table: no default keys, not in the key dialog, key files or user-menu
// lists (those keep the command table's 182 commands).
//
// Each row's identifier is the command's own where it has one; the menu items without one
// (codes, line ends, read-only) use identifiers from a range no other command takes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace norv::app {

struct HiddenCommand {
    std::string_view name;
    uint16_t id;
};

// clang-format off
inline constexpr std::array<HiddenCommand, 20> kHiddenCommands = {{
    {"CodeAnsi", 33001},
    {"CodeJis", 33002},
    {"CodeEucLf", 33003},
    {"CodeEuc", 33004},
    {"CodeUnicode", 33005},
    {"CodeUnicodeBE", 33006},
    {"CodeUtf8", 33007},
    {"ReturnDefault", 33011},
    {"ReturnCrLf", 33012},
    {"ReturnLf", 33013},
    {"ReturnCr", 33014},
    {"ReadOnlyMode", 33021},
    {"OpenURL", 32815},
    {"CopyURL", 32816},
    {"CutURL", 32817},
    {"SelectURL", 32829},
    {"CopyVisible", 32830},
    {"CopyAll", 32831},
    {"CopyLevel", 32832},
    {"SpellCheck", 32812},
}};
// clang-format on

// The row of a hidden command's name (exact, case-sensitive), or nullopt.
constexpr std::optional<size_t> HiddenCommandIndex(std::string_view name) {
    for (size_t i = 0; i < kHiddenCommands.size(); ++i)
        if (kHiddenCommands[i].name == name) return i;
    return std::nullopt;
}

}  // namespace norv::app
