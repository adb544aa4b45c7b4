// User menus built from the data file.
#include "app/commands/user_menus.h"

namespace norv::app {

std::vector<UserMenuEntry> BuildUserMenu(const DataFile& data, int menu, int codePage) {
    std::vector<UserMenuEntry> out;
    if (menu < 0 || menu >= kUserMenuCount) return out;
    for (const UserMenuItem& item : data.menus[static_cast<size_t>(menu)]) {
        UserMenuEntry e;
        if (item.separator) {
            e.separator = true;
            out.push_back(e);
            continue;
        }
        int index = CommandIndexByName(item.command);
        if (index < 0) continue;
        e.caption = std::string(item.ShownCaption(codePage));
        e.command = static_cast<size_t>(index);
        out.push_back(std::move(e));
    }
    return out;
}

std::optional<int> UserMenuOf(FrameCommandId id) {
    constexpr FrameCommandId kMenus[] = {FrameCommandId::Menu1, FrameCommandId::Menu2,
                                         FrameCommandId::Menu3, FrameCommandId::Menu4,
                                         FrameCommandId::Menu5};
    for (int i = 0; i < kUserMenuCount; ++i)
        if (kMenus[i] == id) return i;
    return std::nullopt;
}

PopupPlace UserMenuPlace(uint8_t keyByte, bool viewActive) {
    bool mouse = keyByte == vk::kLButton || keyByte == vk::kRButton || keyByte == vk::kMButton;
    return mouse || !viewActive ? PopupPlace::kMousePointer : PopupPlace::kCaret;
}

}  // namespace norv::app
