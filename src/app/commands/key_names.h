// Key codes and their names. A key code is 16 bits: the modifier class in the high byte and the
// key byte (the platform's virtual-key code; letters and digits are their upper-case characters)
// in the low byte. A class below 32 marks a two-stroke key: the low byte is the prefix letter
// (pressed with Ctrl) and the class is the second letter's code minus 64. A low byte of 0xFF
// means unassigned.
//
// Names read and write the same way: "Up", "Ctrl+Left", "SAlt+Ins", "Ctrl+K^B". Both directions
// are constexpr, so the built-in command table is written with key names.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace norv::app {

using KeyCode = uint16_t;
inline constexpr KeyCode kUnassignedKey = 0xFFFF;

namespace key_class {
inline constexpr uint8_t kNone = 0xFF;
inline constexpr uint8_t kCtrl = 0x20;
inline constexpr uint8_t kShift = 0x40;
inline constexpr uint8_t kShiftCtrl = 0x60;
inline constexpr uint8_t kAlt = 0xFE;
inline constexpr uint8_t kShiftAlt = 0xFD;
}  // namespace key_class

// Key bytes with a name of more than one character.
namespace vk {
inline constexpr uint8_t kLButton = 0x01;
inline constexpr uint8_t kRButton = 0x02;
inline constexpr uint8_t kMButton = 0x04;
inline constexpr uint8_t kBack = 0x08;
inline constexpr uint8_t kTab = 0x09;
inline constexpr uint8_t kReturn = 0x0D;
inline constexpr uint8_t kEscape = 0x1B;
inline constexpr uint8_t kSpace = 0x20;
inline constexpr uint8_t kPrior = 0x21;
inline constexpr uint8_t kNext = 0x22;
inline constexpr uint8_t kEnd = 0x23;
inline constexpr uint8_t kHome = 0x24;
inline constexpr uint8_t kLeft = 0x25;
inline constexpr uint8_t kUp = 0x26;
inline constexpr uint8_t kRight = 0x27;
inline constexpr uint8_t kDown = 0x28;
inline constexpr uint8_t kInsert = 0x2D;
inline constexpr uint8_t kDelete = 0x2E;
inline constexpr uint8_t kF1 = 0x70;
inline constexpr uint8_t kF12 = 0x7B;
inline constexpr uint8_t kF24 = 0x87;
}  // namespace vk

struct KeyName {
    uint8_t code;
    std::string_view name;
};

namespace detail {
constexpr std::array<KeyName, 73> MakeKeyNames() {
    constexpr std::string_view kChars = "@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_";
    constexpr std::string_view kFs[] = {"F1",  "F2",  "F3",  "F4",  "F5",  "F6",  "F7",  "F8",
                                        "F9",  "F10", "F11", "F12", "F13", "F14", "F15", "F16",
                                        "F17", "F18", "F19", "F20", "F21", "F22", "F23", "F24"};
    std::array<KeyName, 73> t{};
    size_t n = 0;
    t[n++] = {vk::kRButton, "RBtn"};
    t[n++] = {vk::kLButton, "LBtn"};
    for (size_t i = 0; i < kChars.size(); ++i)
        t[n++] = {static_cast<uint8_t>(0x40 + i), kChars.substr(i, 1)};
    t[n++] = {vk::kBack, "BS"};
    t[n++] = {vk::kTab, "Tab"};
    t[n++] = {vk::kReturn, "Enter"};
    t[n++] = {vk::kEscape, "ESC"};
    t[n++] = {vk::kSpace, "Space"};
    t[n++] = {vk::kPrior, "PgUp"};
    t[n++] = {vk::kNext, "PgDn"};
    t[n++] = {vk::kEnd, "End"};
    t[n++] = {vk::kHome, "Home"};
    t[n++] = {vk::kLeft, "Left"};
    t[n++] = {vk::kUp, "Up"};
    t[n++] = {vk::kRight, "Right"};
    t[n++] = {vk::kDown, "Down"};
    t[n++] = {vk::kInsert, "Ins"};
    t[n++] = {vk::kDelete, "Del"};
    for (size_t i = 0; i < 24; ++i) t[n++] = {static_cast<uint8_t>(vk::kF1 + i), kFs[i]};
    return t;
}
}  // namespace detail

// The key-name table, in its designed order.
inline constexpr std::array<KeyName, 73> kKeyNames = detail::MakeKeyNames();

struct ClassPrefix {
    uint8_t keyClass;
    std::string_view prefix;
};
inline constexpr std::array<ClassPrefix, 5> kClassPrefixes = {{
    {key_class::kCtrl, "Ctrl+"},
    {key_class::kShift, "Shift+"},
    {key_class::kShiftCtrl, "SCtrl+"},
    {key_class::kShiftAlt, "SAlt+"},
    {key_class::kAlt, "Alt+"},
}};

constexpr KeyCode MakeKey(uint8_t keyClass, uint8_t key) {
    return static_cast<KeyCode>(keyClass << 8 | key);
}
constexpr uint8_t ClassOf(KeyCode k) {
    return static_cast<uint8_t>(k >> 8);
}
constexpr uint8_t KeyByteOf(KeyCode k) {
    return static_cast<uint8_t>(k & 0xFF);
}
constexpr bool IsAssigned(KeyCode k) {
    return KeyByteOf(k) != 0xFF;
}
constexpr bool IsTwoStroke(KeyCode k) {
    return IsAssigned(k) && ClassOf(k) < 32;
}

// A key name to its code; an empty name is unassigned (kUnassignedKey). An unknown key keeps its
// class with the low byte 0xFF (unassigned as well).
constexpr KeyCode KeyFromName(std::string_view name) {
    if (name.empty()) return kUnassignedKey;
    uint8_t keyClass = key_class::kNone;
    std::string_view rest = name;
    if (name.find('+') != std::string_view::npos) {
        for (const ClassPrefix& p : kClassPrefixes) {
            if (name.substr(0, p.prefix.size()) == p.prefix) {
                keyClass = p.keyClass;
                rest = name.substr(p.prefix.size());
                break;
            }
        }
    }
    if (rest.size() == 3 && rest[1] == '^') {
        auto second = static_cast<uint8_t>(rest[2]);
        if (second < 64 || second >= 64 + 32) return kUnassignedKey;
        return MakeKey(static_cast<uint8_t>(second - 64), static_cast<uint8_t>(rest[0]));
    }
    if (rest.size() == 1) return MakeKey(keyClass, static_cast<uint8_t>(rest[0]));
    for (const KeyName& k : kKeyNames)
        if (k.name == rest) return MakeKey(keyClass, k.code);
    return MakeKey(keyClass, 0xFF);
}

// The name of a key code; empty for an unassigned key.
std::string KeyNameOf(KeyCode code);

// The table name of a key byte ("" when it has none).
constexpr std::string_view KeyByteName(uint8_t key) {
    for (const KeyName& k : kKeyNames)
        if (k.code == key) return k.name;
    return {};
}

}  // namespace norv::app
