// The pop-up menus scripts build with NEWMENU and ADDMENUITEM, shown by DOMENU and destroyed by
// DISCARDMENU.
//
// A menu handle is a 32-bit number: the menu's slot in the table and the slot's generation, so
// that a handle of a discarded menu, or a number never given out, names no menu and fails (0,
// "", -1 or nothing). Submenus belong to the menu they were added to and go with it.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace norv::app {

struct ScriptMenu;

struct ScriptMenuItem {
    enum class Kind { kCommand, kSeparator, kSubmenu };
    Kind kind = Kind::kCommand;
    std::string text;  // UTF-8, with "&" marking the access key
    int32_t id = 0;    // Command items
    std::unique_ptr<ScriptMenu> submenu;
};

struct ScriptMenu {
    uint32_t handle = 0;
    std::vector<ScriptMenuItem> items;
};

// The separator ids of ADDMENUITEM.
inline constexpr int32_t kMenuSeparator = -1;
inline constexpr int32_t kMenuSeparator16 = 65535;
// GETMENUITEM's limit, in bytes of the script's text.
inline constexpr size_t kMenuTextLimit = 256;

class ScriptMenuTable {
  public:
    // A new empty menu; 0 when the table is full.
    uint32_t NewMenu();
    // Appends to the menu `handle` (a top menu or one of its submenus): id 0 a submenu (its
    // handle comes back), kMenuSeparator or kMenuSeparator16 a separator (1), any other id a
    // command item (1). 0 when the handle names no menu.
    uint32_t AddItem(uint32_t handle, std::string_view text, int32_t id);
    // The text of the first command item with that id, searched through the submenus; nullopt
    // when the handle names no menu or no item has the id.
    std::optional<std::string> ItemText(uint32_t handle, int32_t id) const;
    // The menu a handle names (a submenu too), or null.
    const ScriptMenu* Find(uint32_t handle) const;
    // Destroys a top menu and its submenus; a submenu's or an unknown handle does nothing.
    void Discard(uint32_t handle);
    size_t liveMenus() const;

    static constexpr size_t kMaxMenus = 4096;

  private:
    struct Slot {
        uint16_t generation = 0;
        ScriptMenu* menu = nullptr;         // in the tree of `top`
        uint32_t top = 0;                   // the slot of its top menu (itself for a top menu)
        std::unique_ptr<ScriptMenu> owned;  // top menus only
    };
    uint32_t Take(ScriptMenu* menu, uint32_t top);
    ScriptMenu* FindMutable(uint32_t handle) const;

    std::vector<Slot> slots_;
    std::vector<uint32_t> free_;
};

// Cuts text to at most `limit` bytes without splitting a double-byte character of the code
// page.
std::string CutAtCharacter(std::string_view text, size_t limit, int codePage);

}  // namespace norv::app
