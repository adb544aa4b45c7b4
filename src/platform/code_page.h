// The system code page and conversions between code pages and UTF-16.
//
// The "system ANSI code page" is a number fixed for the run: NORV_ACP when set, else 932 for a
// Japanese locale, else 1252. Conversions use tables that are filled from iconv the first time a
// code page is used, so the mappings are exactly iconv's (CP932 is Microsoft's Shift-JIS with the
// NEC and IBM extensions) while a conversion costs one table lookup per character.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace norv::platform {

inline constexpr int kCodePageUtf8 = 65001;
inline constexpr int kCodePageUtf8Internal = 65000;  // a view of a Unicode-family document

// The system code page for this run (see above). Later calls return the first answer.
int SystemCodePage();
// Tests and `norvconv` fix the code page before anything asked for it; returns false when the
// code page was already fixed to another value.
bool SetSystemCodePage(int codePage);
// Works out the code page from NORV_ACP and the locale variables without fixing it.
int CodePageFromEnvironment();

// The double-byte lead-byte test: 0x81-0x9F and 0xE0-0xFC for code page 932; other code pages
// used here have no lead bytes.
constexpr bool IsLeadByte(int codePage, uint8_t b) {
    return codePage == 932 && ((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC));
}

// Code-page bytes to UTF-16. A lead byte with a missing or invalid trail byte is converted on
// its own. Bytes that the code page does not map become U+FFFD. NUL bytes are ordinary.
std::u16string MultiByteToWide(int codePage, std::string_view text);
// Appends to `out` (used by the codecs to avoid temporaries).
void AppendMultiByteAsWide(int codePage, std::string_view text, std::u16string& out);

// Code-page bytes straight to UTF-8 (the same mapping as MultiByteToWide, without the UTF-16
// step), appended to `out`.
void AppendMultiByteAsUtf8(int codePage, std::string_view text, std::string& out);

// UTF-16 to code-page bytes. Characters the code page lacks (and lone surrogates) become "?";
// `lossy` is set when that happened.
std::string WideToMultiByte(int codePage, std::u16string_view text, bool* lossy = nullptr);
void AppendWideAsMultiByte(int codePage, std::u16string_view text, std::string& out,
                           bool* lossy = nullptr);

// One character: the UTF-16 unit for a single byte or a double-byte code (lead << 8 | trail),
// or 0xFFFF when unmapped.
char16_t DecodeChar(int codePage, uint16_t code);
// One BMP code point to its code-page code (single byte < 0x100, else lead << 8 | trail), or
// 0xFFFF when the code page lacks it.
uint16_t EncodeChar(int codePage, char16_t unit);

// The length of the run of bytes below 0x80 that `text` starts with (with `stopAtCr`, also
// before the first CR): ASCII reads the same in every code page here, so such a run needs no
// conversion. Sixteen or eight bytes are looked at a time.
size_t AsciiPrefix(std::string_view text, bool stopAtCr = false);

// The iconv name of a code page ("CP932", "CP1252", "UTF-8").
std::string IconvName(int codePage);

}  // namespace norv::platform
