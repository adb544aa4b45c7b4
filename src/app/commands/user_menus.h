// The five user menus of the data file as popup menus: each item's caption and the command it
// names in the command table, separators for "-" items. Items whose command name is not in the
// table are left out (a menu entry that could do nothing).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/commands/command_table.h"
#include "app/config/data_file.h"

namespace norv::app {

struct UserMenuEntry {
    bool separator = false;
    std::string caption;  // as shown (cut to the caption limit)
    size_t command = 0;   // index in the command table
};

// The popup of user menu `menu` (0 to 4); empty when the menu has no items (nothing is shown).
std::vector<UserMenuEntry> BuildUserMenu(const DataFile& data, int menu, int codePage);

// The menu number of the commands Menu1 to Menu5, or none.
std::optional<int> UserMenuOf(FrameCommandId id);

enum class PopupPlace { kMousePointer, kCaret };
// Where a user menu opens: at the mouse pointer when a mouse button triggered it or no view is
// active, else at the caret.
PopupPlace UserMenuPlace(uint8_t keyByte, bool viewActive);

}  // namespace norv::app
