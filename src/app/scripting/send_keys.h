// The key strings of SENDKEYS, parsed into the key events they stand for:
//
// - a character gives its key, with Shift pressed around it when the character needs Shift;
// - "+", "^" and "%" hold Shift, Ctrl and Alt for the next key or group;
// - "( ... )" groups keys under one hold;
// - "~" is Enter;
// - "{name}" or "{name n}" is the named key, n times; "{}}" is a right brace. Names without
//   regard to case: RBtn LBtn BS Tab Enter ESC Space PgUp PgDn End Home Left Up Right Down Ins
//   Del F1-F24, the letters A-Z and @ [ \ ] ^ _; any other single character is that character.
//
// A parse error (an unclosed brace or parenthesis, a stray ")", an unknown name, a repeat count
// of 0, a hold with nothing after it, more than kMaxKeyEvents events) gives nothing at all.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/scripting/script_frame.h"

namespace norv::app {

inline constexpr size_t kMaxKeyEvents = 4096;

// One key going down or up; a key going down that types something carries its bytes (in the
// script's code page).
struct KeyEvent {
    uint8_t key = 0;
    bool down = true;
    std::string bytes;
    bool operator==(const KeyEvent&) const = default;
};

// Key bytes of the modifiers as events carry them.
inline constexpr uint8_t kShiftKey = 0x10;
inline constexpr uint8_t kCtrlKey = 0x11;
inline constexpr uint8_t kAltKey = 0x12;

// The events of a key string, or nothing on a parse error. `codePage` tells which bytes start
// a double-byte character (such a character types its two bytes without a key).
std::optional<std::vector<KeyEvent>> ParseSendKeys(std::string_view keys, int codePage);

// The keys as the keyboard would give them: each key going down, with the modifiers held at
// that moment.
std::vector<SentKey> StrokesOf(const std::vector<KeyEvent>& events);

}  // namespace norv::app
