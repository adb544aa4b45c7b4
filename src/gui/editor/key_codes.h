// Qt keys as the program's key bytes (Windows virtual-key numbers: letters and digits as their
// upper-case codes, F1 = 0x70, the arrows 0x25 to 0x28...), the form the key table and the key
// dispatch work with.
#pragma once

#include <cstdint>
#include <optional>

namespace norv::qt {

// The key byte of a Qt key (Qt::Key value); none for keys the key table cannot name.
std::optional<uint8_t> VirtualKeyOf(int qtKey);

}  // namespace norv::qt
