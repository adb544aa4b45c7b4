// The conversions of the Convert command on one piece of a line: width down (full-width to
// half-width), letter case, width up (half-width to full-width), then tabs and spaces, each
// character in that order.
//
// The width classes are those of code page 932. Text in code page 932 is converted directly;
// UTF-8 text by code point through the same tables, a character counting only when code page
// 932 has it both ways (characters without a Shift-JIS code, such as Korean or emoji, stay as
// they are). Other code pages have no width forms. Case changes only the ASCII letters of
// single-byte characters. Tabs and spaces go by display column (a multi-byte character two
// wide, a tab to the next multiple of the tab width), so neither tab conversion changes how
// the line looks.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace norv::editing {

enum class CaseConversion {
    kNone = 0,
    kUpper = 1,
    kLower = 2,
    kUpperLineTop = 3,
    kUpperWordTop = 4
};
enum class TabConversion { kNone = 0, kTabToSpace = 1, kSpaceToTab = 2 };
enum class WidthConversion { kNone = 0, kToSingleByte = 1, kToDoubleByte = 2 };

struct ConvertChoices {
    CaseConversion caseConversion = CaseConversion::kNone;
    TabConversion tabs = TabConversion::kNone;
    WidthConversion width = WidthConversion::kNone;
    bool alphanumerics = true;  // width conversion of letters, digits and symbols
    bool kana = true;           // width conversion of kana and their marks
    bool Nothing() const {
        return caseConversion == CaseConversion::kNone && tabs == TabConversion::kNone &&
               width == WidthConversion::kNone;
    }
};

// Converts `text` (one line's piece, no line feed) in the character model `codePage`. The piece
// starts at display column `startColumn` of its line, with tab width `tabWidth`. Tab to Space
// stops expanding tabs once the piece would reach `maxBytes` bytes (the rest stay tabs).
std::string ConvertPiece(std::string_view text, const ConvertChoices& choices, int codePage,
                         int tabWidth, int startColumn, size_t maxBytes);

// The kana class of the width conversions in code page 932: the marks 0x8140-0x8142, 0x8145,
// 0x815B, 0x8175, 0x8176 and every code from 0x829E on.
bool IsKanaClass(unsigned sjis);

}  // namespace norv::editing
