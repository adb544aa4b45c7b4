// Character codes, line-end modes and the code list of the open and save dialogs.
#pragma once

namespace norv::document {

// The character code of a document. Documents of the Unicode family (10 and above) hold UTF-8
// in memory; the others hold text in the system code page.
enum class TextCode : int {
    kNone = -1,  // "take the code at save time"
    kAnsi = 0,
    kEuc = 1,
    kJis = 2,
    kUcs2Le = 10,
    kUcs2Be = 11,
    kUtf8 = 12,
};

constexpr bool IsUnicodeFamily(TextCode c) {
    return static_cast<int>(c) >= 10;
}

// The two codes stored as 16-bit units.
constexpr bool IsUcs2(TextCode c) {
    return c == TextCode::kUcs2Le || c == TextCode::kUcs2Be;
}

// How lines end when the document is written: Default = each line keeps its own line end.
enum class EolMode : int { kDefault = -1, kCrLf = 0, kLf = 1, kCr = 2 };

// The code list of the open and save dialogs, in order.
enum class CodeChoice : int {
    kUnset = -1,
    kDefault = 1,
    kAnsi = 2,
    kEuc = 3,
    kJis = 4,
    kUnicode = 5,
    kUnicodeBe = 6,
    kUtf8 = 7,
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
