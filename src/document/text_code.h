// Character codes, line-end modes and the code list of the open and save dialogs.
#pragma once

namespace norv::document {

// The character code of a document. Documents of the Unicode family (10 and above) hold UTF-8
// in memory; the others hold text in the system code page.
enum class TextCode : int {
    None = -1,  // "take the code at save time"
    Ansi = 0,
    Euc = 1,
    Jis = 2,
    Ucs2Le = 10,
    Ucs2Be = 11,
    Utf8 = 12,
};

constexpr bool IsUnicodeFamily(TextCode c) {
    return static_cast<int>(c) >= 10;
}

// How lines end when the document is written: Default = each line keeps its own line end.
enum class EolMode : int { Default = -1, CrLf = 0, Lf = 1, Cr = 2 };

// The code list of the open and save dialogs, in order.
enum class CodeChoice : int {
    Unset = -1,
    Default = 1,
    Ansi = 2,
    Euc = 3,
    Jis = 4,
    Unicode = 5,
    UnicodeBe = 6,
    Utf8 = 7,
};

// The names `norvconv` and the tests print: Ansi Euc Jis Ucs2Le Ucs2Be Utf8, and for line ends
// Default CrLf Lf Cr.
const char* TextCodeName(TextCode c);
const char* EolModeName(EolMode m);

// The names the status bar shows: "ShiftJIS" (on code page 932, else "ANSI"), "EUC", "JIS",
// "Unicode", "Unicode(BE)", "UTF8"; empty for None.
const char* CodeStatusName(TextCode c, int systemCodePage);
// The line ends of a document as the status bar shows them: "CRLF", "LF", "CR" for a fixed
// mode; for the Default mode "Mixed" when the file had more than one kind, otherwise the kind
// its new lines get from `textMode` (0 CR LF, 2 CR, else LF).
const char* EolStatusName(EolMode m, bool mixedLineEnds, int textMode);

}  // namespace norv::document
