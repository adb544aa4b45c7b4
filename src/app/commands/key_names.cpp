// Key codes written as names.
#include "app/commands/key_names.h"

namespace norv::app {

std::string KeyNameOf(KeyCode code) {
    if (!IsAssigned(code)) return {};
    const uint8_t cls = ClassOf(code);
    const uint8_t key = KeyByteOf(code);
    if (cls < 32) {
        std::string s = "Ctrl+";
        s += static_cast<char>(key);
        s += '^';
        s += static_cast<char>(cls + 64);
        return s;
    }
    std::string s;
    for (const ClassPrefix& p : kClassPrefixes)
        if (p.keyClass == cls) s = std::string(p.prefix);
    std::string_view name = KeyByteName(key);
    if (name.empty()) {
        // A byte without a table name (a digit, say) is written as its character.
        if (key > 0x20 && key < 0x7F) return s + static_cast<char>(key);
        return {};
    }
    return s + std::string(name);
}

}  // namespace norv::app
