// Fixed tables and code arithmetic shared by the Japanese codecs.
//
// JIS X 0208 positions (row and cell, each byte 0x21-0x7E) and Shift-JIS pairs are related by
// the published arithmetic; it extends past row 84 to the NEC-selected IBM extension rows
// (Shift-JIS leads 0xED-0xEE), which is how those characters travel in JIS and EUC-JP. The IBM
// extension codes (leads 0xFA-0xFC) have no JIS position, so the JIS encoder first replaces them
// by the NEC-selected code of the same character through the extension table.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace norv::platform {

// JIS row/cell bytes (0x21-0x7E each) to the Shift-JIS code (lead << 8 | trail).
constexpr uint16_t JisBytesToSjis(unsigned j1, unsigned j2) {
    unsigned s1 = ((j1 + 1) >> 1) + (j1 < 0x5F ? 0x70u : 0xB0u);
    unsigned s2 = j2 + ((j1 & 1) ? (j2 >= 0x60 ? 0x20u : 0x1Fu) : 0x7Eu);
    return static_cast<uint16_t>((s1 << 8) | s2);
}

// Shift-JIS lead and trail to the JIS code (j1 << 8 | j2), or 0 when the pair is no JIS
// position: lead outside 0x81-0x9F / 0xE0-0xEF, trail outside 0x40-0x7E / 0x80-0xFC.
constexpr uint16_t SjisBytesToJis(unsigned s1, unsigned s2) {
    if (!((s1 >= 0x81 && s1 <= 0x9F) || (s1 >= 0xE0 && s1 <= 0xEF))) return 0;
    if (s2 < 0x40 || s2 == 0x7F || s2 > 0xFC) return 0;
    unsigned j1 = (s1 - (s1 <= 0x9F ? 0x70u : 0xB0u)) << 1;
    unsigned j2;
    if (s2 >= 0x9F) {
        j2 = s2 - 0x7E;
    } else {
        j1 -= 1;
        j2 = s2 - (s2 >= 0x80 ? 0x20u : 0x1Fu);
    }
    return static_cast<uint16_t>((j1 << 8) | j2);
}

// The Shift-JIS pair of every JIS position as the two bytes in memory order, indexed by
// (j1 - 0x21) * 94 + (j2 - 0x21): the decoders' inner loops store it with one two-byte copy.
struct SjisPairTable {
    uint8_t bytes[94 * 94][2];
};
inline constexpr SjisPairTable kSjisPairs = [] {
    SjisPairTable t{};
    for (unsigned j1 = 0x21; j1 <= 0x7E; ++j1) {
        for (unsigned j2 = 0x21; j2 <= 0x7E; ++j2) {
            const uint16_t s = JisBytesToSjis(j1, j2);
            const unsigned k = (j1 - 0x21) * 94 + (j2 - 0x21);
            t.bytes[k][0] = static_cast<uint8_t>(s >> 8);
            t.bytes[k][1] = static_cast<uint8_t>(s & 0xFF);
        }
    }
    return t;
}();

// Shift-JIS trail-byte test (0x40-0x7E, 0x80-0xFC).
constexpr bool IsSjisTrail(unsigned b) {
    return b >= 0x40 && b <= 0xFC && b != 0x7F;
}

struct ExtensionPair {
    uint16_t ibm;  // 0xFA40-0xFC4B
    uint16_t nec;  // 0xED40-0xEEFC
};

// The 373 pairs, ascending by IBM code.
std::span<const ExtensionPair> ExtensionKanjiTable();
// The NEC-selected code of an IBM extension character, or 0 when the table has none.
uint16_t LookupExtensionKanji(uint16_t ibm);
// The code that replaces an IBM extension code on the way to JIS: the NEC-selected code from
// the table above, else the standard code of the same character for the fifteen characters of
// the IBM rows that JIS X 0208 or the NEC row 13 holds; 0 when there is none.
uint16_t ReplaceExtensionCode(uint16_t ibm);

// Half-width kana followed by a sound mark, and the combined full-width character of each:
// two parallel tables (element i of one pairs with element i of the other).
std::span<const std::string_view> HalfKanaSequences();
std::span<const uint16_t> FullKanaForSequences();

}  // namespace norv::platform
