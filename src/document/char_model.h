// The character model: how many bytes a character takes and how wide it is on screen.
//
// Text is either in the system code page (a lead byte starts a two-byte character) or in UTF-8
// (code pages 65000 and 65001). A lead byte whose trailing bytes would run into the line feed or
// past the end of the text is a one-byte character, so no walk ever passes a line feed. A line is
// never scanned backwards: a trail byte of a double-byte code page can look like a lead byte.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/code_page.h"

namespace norv::document {

constexpr bool IsUtf8CodePage(int codePage) {
    return codePage == platform::kCodePageUtf8 || codePage == platform::kCodePageUtf8Internal;
}

// Trailing bytes announced by a byte: UTF-8 0xC0-0xDF 1, 0xE0-0xEF 2, 0xF0-0xF4 3 (one 4-byte
// character beyond the BMP), anything else 0; other code pages 1 for a lead byte, else 0.
constexpr int CharTrailBytes(int codePage, uint8_t b) {
    if (IsUtf8CodePage(codePage)) {
        if (b >= 0xC0 && b <= 0xDF) return 1;
        if (b >= 0xE0 && b <= 0xEF) return 2;
        if (b >= 0xF0 && b <= 0xF4) return 3;
        return 0;
    }
    return platform::IsLeadByte(codePage, b) ? 1 : 0;
}

// The length of the character at p, given the end of the text (a line's line feed or the end
// of a buffer): 1 + trailing bytes, or 1 when they do not all lie before `end`.
inline size_t CharLength(int codePage, const char* p, const char* end) {
    size_t n = 1 + static_cast<size_t>(CharTrailBytes(codePage, static_cast<uint8_t>(*p)));
    return n > 1 && p + n > end ? 1 : n;
}

// The start of the character before p, walking forward from lineStart.
const char* PrevCharStart(int codePage, const char* lineStart, const char* p);

// Columns of the character at p that is `len` bytes long, starting at column `col`: a tab
// advances to the next multiple of tabWidth, a multi-byte character takes 2, a byte 1.
inline int CharColumns(const char* p, size_t len, int col, int tabWidth) {
    if (*p == '\t') return tabWidth > 0 ? tabWidth - col % tabWidth : 1;
    return len > 1 ? 2 : 1;
}

// The display column reached after the bytes [p, end).
int ColumnAfter(int codePage, const char* p, const char* end, int tabWidth, int startCol = 0);

}  // namespace norv::document
