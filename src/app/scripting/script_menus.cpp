// Pop-up menus of scripts, with handles that outlive nothing they name (see script_menus.h).
#include "app/scripting/script_menus.h"

#include "platform/code_page.h"

namespace norv::app {

namespace {

constexpr uint32_t HandleOf(uint32_t slot, uint16_t generation) {
    return (uint32_t(generation) << 16) | (slot + 1);
}

}  // namespace

uint32_t ScriptMenuTable::Take(ScriptMenu* menu, uint32_t top) {
    uint32_t slot;
    if (!free_.empty()) {
        slot = free_.back();
        free_.pop_back();
    } else {
        if (slots_.size() >= kMaxMenus) return 0;
        slot = static_cast<uint32_t>(slots_.size());
        slots_.emplace_back();
    }
    Slot& s = slots_[slot];
    // Generation 0 is never used, so that no handle is a small number.
    if (++s.generation == 0) s.generation = 1;
    s.menu = menu;
    s.top = top == UINT32_MAX ? slot : top;
    menu->handle = HandleOf(slot, s.generation);
    return menu->handle;
}

ScriptMenu* ScriptMenuTable::FindMutable(uint32_t handle) const {
    const uint32_t slot = (handle & 0xFFFF) - 1;
    if ((handle & 0xFFFF) == 0 || slot >= slots_.size()) return nullptr;
    const Slot& s = slots_[slot];
    if (s.menu == nullptr || s.generation != (handle >> 16)) return nullptr;
    return s.menu;
}

const ScriptMenu* ScriptMenuTable::Find(uint32_t handle) const {
    return FindMutable(handle);
}

uint32_t ScriptMenuTable::NewMenu() {
    auto menu = std::make_unique<ScriptMenu>();
    const uint32_t handle = Take(menu.get(), UINT32_MAX);
    if (handle == 0) return 0;
    slots_[(handle & 0xFFFF) - 1].owned = std::move(menu);
    return handle;
}

uint32_t ScriptMenuTable::AddItem(uint32_t handle, std::string_view text, int32_t id) {
    ScriptMenu* menu = FindMutable(handle);
    if (menu == nullptr) return 0;
    ScriptMenuItem item;
    item.text = std::string(text);
    if (id == 0) {
        item.kind = ScriptMenuItem::Kind::kSubmenu;
        item.submenu = std::make_unique<ScriptMenu>();
        const uint32_t top = slots_[(handle & 0xFFFF) - 1].top;
        const uint32_t sub = Take(item.submenu.get(), top);
        if (sub == 0) return 0;
        menu = FindMutable(handle);  // the table may have grown
        menu->items.push_back(std::move(item));
        return sub;
    }
    if (id == kMenuSeparator || id == kMenuSeparator16) {
        item.kind = ScriptMenuItem::Kind::kSeparator;
        item.text.clear();
    } else {
        item.id = id;
    }
    menu->items.push_back(std::move(item));
    return 1;
}

namespace {

const ScriptMenuItem* FindItem(const ScriptMenu& menu, int32_t id) {
    for (const ScriptMenuItem& item : menu.items) {
        if (item.kind == ScriptMenuItem::Kind::kCommand && item.id == id) return &item;
        if (item.submenu)
            if (const ScriptMenuItem* found = FindItem(*item.submenu, id)) return found;
    }
    return nullptr;
}

}  // namespace

std::optional<std::string> ScriptMenuTable::ItemText(uint32_t handle, int32_t id) const {
    const ScriptMenu* menu = Find(handle);
    if (menu == nullptr) return std::nullopt;
    const ScriptMenuItem* item = FindItem(*menu, id);
    if (item == nullptr) return std::nullopt;
    return item->text;
}

void ScriptMenuTable::Discard(uint32_t handle) {
    if (FindMutable(handle) == nullptr) return;
    const uint32_t slot = (handle & 0xFFFF) - 1;
    if (slots_[slot].top != slot) return;
    // The submenus' slots first: their menus live in the tree the top slot owns.
    for (uint32_t i = 0; i < slots_.size(); ++i) {
        Slot& s = slots_[i];
        if (s.menu != nullptr && s.top == slot && i != slot) {
            s.menu = nullptr;
            free_.push_back(i);
        }
    }
    slots_[slot].menu = nullptr;
    slots_[slot].owned.reset();
    free_.push_back(slot);
}

size_t ScriptMenuTable::liveMenus() const {
    size_t n = 0;
    for (const Slot& s : slots_)
        if (s.menu != nullptr && s.owned) ++n;
    return n;
}

std::string CutAtCharacter(std::string_view text, size_t limit, int codePage) {
    if (text.size() <= limit) return std::string(text);
    size_t i = 0;
    while (i < text.size()) {
        const size_t len = platform::IsLeadByte(codePage, static_cast<uint8_t>(text[i])) ? 2 : 1;
        if (i + len > limit) break;
        i += len;
    }
    return std::string(text.substr(0, i));
}

}  // namespace norv::app
