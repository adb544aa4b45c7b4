// One line of a document: a small header and the line's bytes in the same heap cell.
//
// The text always ends in a line feed byte (0x0A) that is not part of the file's text: the line
// end the file had is kept as flag bits, and the last line's line feed is only a terminator.
// A record holds at most 65535 bytes including that line feed.
#pragma once

#include <cstddef>
#include <cstdint>

namespace norv::document {

inline constexpr size_t kMaxLineBytes = 65535;  // including the final line feed

// LineFlags
inline constexpr uint8_t LF_MARK = 0x01;       // bookmark
inline constexpr uint8_t LF_CHANGED = 0x02;    // written since the last save
inline constexpr uint8_t LF_FORMATTED = 0x04;  // line end made by formatting or auto-splitting
inline constexpr uint8_t LF_EOL_MASK = 0x18;   // line end read from the file:
inline constexpr uint8_t LF_EOL_CRLF = 0x18;
inline constexpr uint8_t LF_EOL_CR = 0x08;
inline constexpr uint8_t LF_EOL_LF = 0x10;
// The loader cut an over-long line here: the next record continues the same line of the file
// and no line end is written after this one.
inline constexpr uint8_t LF_CONTINUED = 0x20;
// The line end read as CR LF was CR CR LF in the file (written back as it was).
inline constexpr uint8_t LF_EOL_CRCRLF = 0x40;
// Everything a line carries about how it ended in the file; moves with the line end.
inline constexpr uint8_t LF_EOL_BITS = LF_EOL_MASK | LF_EOL_CRCRLF;

struct LineRecord {
    uint8_t highlight;  // 1-based index of the comment/quote construct open at the line start
    uint8_t flags;      // LineFlags
    uint16_t length;    // text bytes including the final line feed (1..65535)
    int32_t rows;       // display rows when wrapped; 0 = not yet computed (32 bits: a line of
                        // 65535 bytes wrapped at column 1 has more rows than 16 bits hold)
    LineRecord* prev;   // null for the first line
    LineRecord* next;   // null for the last line

    char* text() { return reinterpret_cast<char*>(this + 1); }
    const char* text() const { return reinterpret_cast<const char*>(this + 1); }
    // The bytes before the line feed.
    size_t contentLength() const { return length - 1u; }
    uint8_t eolKind() const { return flags & LF_EOL_MASK; }
};

static_assert(sizeof(LineRecord) == 24, "the header is laid out for 64-bit pointers");
static_assert(alignof(LineRecord) == 8);

}  // namespace norv::document
