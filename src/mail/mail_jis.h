// Shift-JIS <-> ISO-2022-JP as Japanese mail carries it.
//
// Mail is 7-bit: the encoder writes every double-byte character as a JIS X 0208 pair after
// ESC $ @ and returns with ESC ( J before the next single byte and at the end of the text, so
// each converted line ends in single-byte state. Bytes JIS cannot carry never pass: user-defined
// characters (leads 0xF0-0xF9), IBM extension characters without a NEC-selected code, broken
// pairs and stray high bytes become the geta mark "〓"; half-width katakana become full-width
// (a kana followed by a sound mark becomes the combined character). IBM extension characters
// travel as their NEC-selected codes.
//
// The decoder knows the four designations ESC $ B, ESC $ @ (two-byte) and ESC ( B, ESC ( J
// (single-byte) and drops them; it never makes a text longer.
//
// Both act only on code page 932; on any other code page bytes pass unchanged.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace norv::mail {

// Appends the ISO-2022-JP form of the Shift-JIS `text`; returns true when a double-byte
// character was written.
bool AppendSjisAsIso2022Jp(std::string& out, std::string_view text, int codePage);

// Appends the Shift-JIS form of the ISO-2022-JP `text`.
void AppendIso2022JpAsSjis(std::string& out, std::string_view text, int codePage);

inline constexpr uint16_t kGetaMark = 0x81AC;  // "〓", for what JIS cannot carry

}  // namespace norv::mail
