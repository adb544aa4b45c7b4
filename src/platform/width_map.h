// The full-width <-> half-width mapping of code page 932: the ASCII range and its full-width
// forms, half-width katakana and their full-width forms (a kana with a sound mark pairs with the
// combined full-width character), and the marks. Other code pages have no such mapping.
#pragma once

#include <cstddef>
#include <cstdint>

namespace norv::platform {

// The half-width form of a full-width Shift-JIS character (code = lead << 8 | trail), written
// to out (one byte, or two for a voiced or semi-voiced kana such as "ガ" -> 0xB6 0xDE).
// Returns the number of bytes written, 0 when the character has no half-width form.
size_t FullToHalfWidth(uint16_t sjis, uint8_t out[2]);

// The full-width Shift-JIS code of the half-width character c (ASCII 0x20-0x7E or katakana
// 0xA1-0xDF). `next` is the following byte or -1: a kana followed by the voiced (0xDE) or
// semi-voiced (0xDF) mark becomes the combined character where one exists, and *consumed is
// then 2 (else 1). Returns 0 when c has no full-width form.
uint16_t HalfToFullWidth(uint8_t c, int next, int* consumed);

}  // namespace norv::platform
