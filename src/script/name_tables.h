// The three name tables of the script language: keywords, built-in functions and system
// variables. Each is sorted by name (upper case, compared without regard to case) so that the
// lexer and the compiler find a name by the same halving search; a row's position in the system
// variable table is the index that compiled code passes to the variable read and write calls, so
// inserting a row changes compiled images (and must change the image version stamp).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace norv::script {

// Token codes of the keywords (several names share a code: BOOL, HWND and INTEGER are all the
// Integer type keyword).
enum Keyword : int {
    kKwAnd = 256,
    kKwAs = 257,
    kKwCall = 258,
    kKwCase = 259,
    kKwDeclare = 260,
    kKwDim = 261,
    kKwDo = 262,
    kKwElse = 263,
    kKwEnd = 264,
    kKwExit = 265,
    kKwFor = 266,
    kKwFunction = 267,
    kKwGoto = 268,
    kKwIf = 269,
    kKwInteger = 270,
    kKwMain = 271,
    kKwMod = 272,
    kKwNext = 273,
    kKwNot = 274,
    kKwOr = 275,
    kKwRedim = 276,
    kKwSelect = 277,
    kKwString = 278,
    kKwSub = 279,
    kKwThen = 280,
    kKwType = 281,
    kKwUntil = 282,
    kKwWend = 283,
    kKwWhile = 284,
    kKwXor = 285,
    kKwReturn = 286,
    kKwTo = 287,
    kKwProc = 288,
    kKwLoop = 289,
    kKwStatic = 290,
    kKwConst = 291,
    kKwGlobal = 292,
    kKwStep = 293,
    kKwOption = 294,
};

struct KeywordRow {
    std::string_view name;
    int token;
};

inline constexpr std::array<KeywordRow, 41> kKeywords{{
    {"AND", 256},    {"AS", 257},      {"BOOL", 270},   {"CALL", 258},     {"CASE", 259},
    {"CONST", 291},  {"DECLARE", 260}, {"DIM", 261},    {"DO", 262},       {"ELSE", 263},
    {"END", 264},    {"EXIT", 265},    {"FOR", 266},    {"FUNCTION", 267}, {"GLOBAL", 292},
    {"GOTO", 268},   {"HWND", 270},    {"IF", 269},     {"INTEGER", 270},  {"LOOP", 289},
    {"MAIN", 271},   {"MOD", 272},     {"NEXT", 273},   {"NOT", 274},      {"OPTION", 294},
    {"OR", 275},     {"PROC", 288},    {"REDIM", 276},  {"RETURN", 286},   {"SELECT", 277},
    {"STATIC", 290}, {"STEP", 293},    {"STRING", 278}, {"SUB", 279},      {"THEN", 280},
    {"TO", 287},     {"TYPE", 281},    {"UNTIL", 282},  {"WEND", 283},     {"WHILE", 284},
    {"XOR", 285},
}};

enum class ResultKind : uint16_t { kInteger = 0, kString = 2, kNone = 4 };

struct BuiltinRow {
    std::string_view name;
    int id;
    int argCount;
    ResultKind result;
    // The packed form: argument count in the low 16 bits, result kind in the high 16 bits.
    constexpr uint32_t flags() const { return uint32_t(argCount) | (uint32_t(result) << 16); }
};

inline constexpr std::array<BuiltinRow, 120> kBuiltins{{
    {"ABS", 12, 1, ResultKind::kInteger},
    {"ADDMENUITEM", 304, 3, ResultKind::kInteger},
    {"ADDSTRING", 85, 2, ResultKind::kNone},
    {"ALLOC", 900, 1, ResultKind::kString},
    {"APPACTIVATE", 71, 2, ResultKind::kInteger},
    {"APPENDFILE", 88, 1, ResultKind::kInteger},
    {"ASC", 9, 1, ResultKind::kInteger},
    {"BEEP", 64, 0, ResultKind::kNone},
    {"CHR", 11, 1, ResultKind::kString},
    {"COMMAND", 100, 1, ResultKind::kNone},
    {"CONVERT", 83, 4, ResultKind::kNone},
    {"COPYTOFILE", 86, 1, ResultKind::kInteger},
    {"DATE", 8, 1, ResultKind::kString},
    {"DEFAULT", 905, 0, ResultKind::kNone},
    {"DELSELECT", 53, 0, ResultKind::kNone},
    {"DIR", 13, 1, ResultKind::kString},
    {"DISCARDMENU", 307, 1, ResultKind::kNone},
    {"DOEVENTS", 68, 0, ResultKind::kNone},
    {"DOMENU", 305, 1, ResultKind::kInteger},
    {"ENVIRON", 14, 1, ResultKind::kString},
    {"EOF", 15, 1, ResultKind::kInteger},
    {"EUCTOJIS", 119, 1, ResultKind::kInteger},
    {"EUCTOSJIS", 117, 1, ResultKind::kInteger},
    {"FCLOSE", 24, 1, ResultKind::kNone},
    {"FCOPY", 33, 2, ResultKind::kInteger},
    {"FGETINT", 27, 2, ResultKind::kInteger},
    {"FGETS", 25, 1, ResultKind::kString},
    {"FILEOPEN", 95, 2, ResultKind::kInteger},
    {"FINDBACK", 91, 2, ResultKind::kInteger},
    {"FINDFOR", 90, 2, ResultKind::kInteger},
    {"FKILL", 32, 1, ResultKind::kInteger},
    {"FOPEN", 23, 2, ResultKind::kInteger},
    {"FPUTINT", 28, 3, ResultKind::kInteger},
    {"FPUTS", 26, 2, ResultKind::kInteger},
    {"FSEEK", 29, 3, ResultKind::kInteger},
    {"GETCLIPBOARD", 59, 1, ResultKind::kString},
    {"GETCOUNT", 38, 1, ResultKind::kInteger},
    {"GETCURRENTCHAR", 49, 0, ResultKind::kInteger},
    {"GETCURRENTLINE", 40, 0, ResultKind::kInteger},
    {"GETCURSORWORD", 55, 0, ResultKind::kString},
    {"GETMARKFILE", 37, 0, ResultKind::kString},
    {"GETMENUITEM", 306, 2, ResultKind::kString},
    {"GETNEXT", 43, 1, ResultKind::kInteger},
    {"GETNEXTMARK", 45, 1, ResultKind::kInteger},
    {"GETOPENFILE", 308, 3, ResultKind::kString},
    {"GETPREV", 42, 1, ResultKind::kInteger},
    {"GETPREVMARK", 44, 1, ResultKind::kInteger},
    {"GETSELECTED", 52, 0, ResultKind::kString},
    {"GETTHISLINE", 46, 1, ResultKind::kInteger},
    {"GETTOPLINE", 41, 0, ResultKind::kInteger},
    {"GETTOTHISCOUNT", 39, 0, ResultKind::kInteger},
    {"GOTONEXT", 69, 1, ResultKind::kInteger},
    {"GOTOTHERE", 47, 2, ResultKind::kNone},
    {"GREP", 94, 4, ResultKind::kInteger},
    {"HANTOZEN", 124, 1, ResultKind::kString},
    {"HEX", 10, 1, ResultKind::kString},
    {"IMECTRL", 66, 1, ResultKind::kNone},
    {"INPUTBOX", 302, 3, ResultKind::kString},
    {"INPUTCHAR", 101, 1, ResultKind::kNone},
    {"INSERTSTRING", 54, 1, ResultKind::kNone},
    {"INSTR", 1, 2, ResultKind::kInteger},
    {"INSTRMB", 126, 2, ResultKind::kInteger},
    {"ISKANJI", 115, 1, ResultKind::kInteger},
    {"ISKEYPRESSED", 150, 1, ResultKind::kInteger},
    {"ISMARKED", 50, 1, ResultKind::kInteger},
    {"ISMODIFIED", 35, 1, ResultKind::kInteger},
    {"JISTOEUC", 118, 1, ResultKind::kInteger},
    {"JISTOSJIS", 114, 1, ResultKind::kInteger},
    {"JUMPLINE", 89, 2, ResultKind::kNone},
    {"KEYTOCMD", 103, 2, ResultKind::kString},
    {"LCASE", 22, 1, ResultKind::kString},
    {"LEFT", 3, 2, ResultKind::kString},
    {"LEFTMB", 121, 2, ResultKind::kString},
    {"LEN", 16, 1, ResultKind::kInteger},
    {"LENMB", 120, 1, ResultKind::kInteger},
    {"LOADTHISLINE", 56, 1, ResultKind::kString},
    {"LODB", 111, 2, ResultKind::kInteger},
    {"LTRIM", 19, 1, ResultKind::kString},
    {"MID", 2, 3, ResultKind::kString},
    {"MIDMB", 123, 3, ResultKind::kString},
    {"MSGBOX", 301, 3, ResultKind::kInteger},
    {"NEWMENU", 303, 0, ResultKind::kInteger},
    {"NOSILENT", 62, 0, ResultKind::kNone},
    {"PASTEFROMFILE", 87, 1, ResultKind::kInteger},
    {"REFRESH", 63, 0, ResultKind::kNone},
    {"REPLACE", 92, 3, ResultKind::kInteger},
    {"RGB", 30, 3, ResultKind::kInteger},
    {"RIGHT", 4, 2, ResultKind::kString},
    {"RIGHTMB", 122, 2, ResultKind::kString},
    {"RTRIM", 18, 1, ResultKind::kString},
    {"RUN", 102, 1, ResultKind::kNone},
    {"SAVEAS", 96, 1, ResultKind::kInteger},
    {"SAVETHISLINE", 57, 2, ResultKind::kInteger},
    {"SELECTCANCEL", 58, 0, ResultKind::kNone},
    {"SENDKEYS", 70, 2, ResultKind::kNone},
    {"SETCURSORPOS", 48, 2, ResultKind::kNone},
    {"SETMARK", 51, 2, ResultKind::kNone},
    {"SETMESSAGETEXT", 309, 1, ResultKind::kNone},
    {"SETMODIFIED", 36, 1, ResultKind::kNone},
    {"SHELL", 20, 1, ResultKind::kInteger},
    {"SHELLCMD", 98, 2, ResultKind::kInteger},
    {"SHELLMENU", 99, 1, ResultKind::kInteger},
    {"SHOWCURSOR", 67, 1, ResultKind::kNone},
    {"SHOWMARKLIST", 72, 0, ResultKind::kNone},
    {"SILENT", 61, 0, ResultKind::kNone},
    {"SJISTOEUC", 116, 1, ResultKind::kInteger},
    {"SJISTOJIS", 113, 1, ResultKind::kInteger},
    {"SORT", 84, 4, ResultKind::kNone},
    {"SPACE", 6, 1, ResultKind::kString},
    {"STAYRESIDENT", 903, 0, ResultKind::kNone},
    {"STOB", 112, 3, ResultKind::kNone},
    {"STR", 5, 1, ResultKind::kString},
    {"TERMINATE", 904, 0, ResultKind::kNone},
    {"THROWAWAY", 901, 1, ResultKind::kNone},
    {"TIME", 7, 1, ResultKind::kString},
    {"TRIM", 17, 1, ResultKind::kString},
    {"UCASE", 21, 1, ResultKind::kString},
    {"VAL", 31, 1, ResultKind::kInteger},
    {"WAIT", 65, 1, ResultKind::kNone},
    {"ZENTOHAN", 125, 1, ResultKind::kString},
}};

// Ids that have no name: produced only by the compiler.
inline constexpr int kBuiltinReadSysVar = 311;
inline constexpr int kBuiltinWriteSysVar = 312;
inline constexpr int kBuiltinExternalCall = 902;
inline constexpr int kBuiltinThrowAway = 901;

inline constexpr uint32_t kAssignable = 0x1;
inline constexpr uint32_t kStringKind = 0x20000;

struct SysVarRow {
    std::string_view name;
    uint32_t flags;  // kAssignable, kStringKind
    constexpr bool assignable() const { return (flags & kAssignable) != 0; }
    constexpr bool isString() const { return (flags & kStringKind) != 0; }
};

inline constexpr std::array<SysVarRow, 105> kSysVars{{
    {"ACCCSR", kAssignable},
    {"ADDEOF", kAssignable},
    {"AFTERCSR", kAssignable},
    {"AUTOIND", kAssignable},
    {"AUTOSAVES", kAssignable},
    {"AUTOSPLIT", kAssignable},
    {"BACKPATH", kStringKind},
    {"BAKCOLOR", kAssignable},
    {"BIGBUTTON", kAssignable},
    {"BLKBEG", 0},
    {"BLKBEGC", 0},
    {"BLKBEGL", 0},
    {"BLKDISP", 0},
    {"BLKEND", 0},
    {"BLKENDC", 0},
    {"BLKENDL", 0},
    {"BLKSEL", 0},
    {"BOXCSR", kAssignable},
    {"CALLFILER", kAssignable},
    {"CAPTIONSTR", kStringKind},
    {"CHGCOLOR", kAssignable},
    {"CMODE", kAssignable},
    {"COLS", kAssignable},
    {"COLUMN", 0},
    {"CRCOLOR", kAssignable},
    {"CRDISP", kAssignable},
    {"CSRX", 0},
    {"CSRY", 0},
    {"CTLCOLOR", kAssignable},
    {"DELIMITERS", kStringKind},
    {"DELSPACE", kAssignable},
    {"DISPNUM", kAssignable},
    {"DOCNUM", 0},
    {"DSPCDISP", kAssignable},
    {"DSPCIND", kAssignable},
    {"EOFCOLOR", kAssignable},
    {"EOFDISP", kAssignable},
    {"FILENAME", kStringKind | kAssignable},
    {"FILETITLE", kStringKind},
    {"FILETYPE", kStringKind | kAssignable},
    {"FILLTAB", kAssignable},
    {"FINDOPT", kStringKind | kAssignable},
    {"FINDSEL", kAssignable},
    {"FKEYDISP", kAssignable},
    {"FREECSR", kAssignable},
    {"GREPOPT", kStringKind | kAssignable},
    {"HMAINWND", 0},
    {"HOMEPATH", kStringKind},
    {"HSCROLL", kAssignable},
    {"HWND", 0},
    {"INSERT", kAssignable},
    {"JUMPMID", kAssignable},
    {"KANJICODE", kAssignable},
    {"LBKCOLOR", kAssignable},
    {"LINCOLOR", kAssignable},
    {"LINENO", 0},
    {"LINENOL", 0},
    {"LINEPTR", kAssignable},
    {"LINESPACE", kAssignable},
    {"MARKLISTON", 0},
    {"MAXOPEN", kAssignable},
    {"MIRROR", kAssignable},
    {"MIRRPATH", kStringKind},
    {"MODPATH", kStringKind},
    {"MRKCOLOR", kAssignable},
    {"NORVSTATE", 0},
    {"PARMA", kAssignable},
    {"PARMB", kAssignable},
    {"PARMSTRA", kStringKind | kAssignable},
    {"PARMSTRB", kStringKind | kAssignable},
    {"PATHNAME", kStringKind},
    {"PHYSLINE", kAssignable},
    {"READONLY", kAssignable},
    {"REPLOPT", kStringKind | kAssignable},
    {"RETURNCODE", kAssignable},
    {"RULBKCOLOR", kAssignable},
    {"RULCOLOR", kAssignable},
    {"RULER", kAssignable},
    {"SAVEMARK", kAssignable},
    {"SAVEMODE", kAssignable},
    {"SAVEPLACE", kAssignable},
    {"SHIFT", 0},
    {"SHIFTSEL", kAssignable},
    {"SHOWCHANGE", kAssignable},
    {"SOFTTAB", kAssignable},
    {"SPRPOINT", kAssignable},
    {"STATBAR", kAssignable},
    {"TABCOLOR", kAssignable},
    {"TABDISP", kAssignable},
    {"TABS", kAssignable},
    {"TEXTMODE", kAssignable},
    {"TILEMODE", kAssignable},
    {"TOOLBAR1", kAssignable},
    {"TOOLBAR2", kAssignable},
    {"TOOLBAR3", kAssignable},
    {"TOOLBAR4", kAssignable},
    {"TOOLBAR5", kAssignable},
    {"TOTLINE", 0},
    {"TRASHBIN", kAssignable},
    {"TXTCOLOR", kAssignable},
    {"ULNCOLOR", kAssignable},
    {"UNDERLINE", kAssignable},
    {"UNDORESET", kAssignable},
    {"VARPITCH", 0},
    {"VSCROLL", kAssignable},
}};

// Case-insensitive byte order (ASCII letters folded to upper case): the order of the tables.
constexpr int CompareNoCase(std::string_view a, std::string_view b) {
    const size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        if (x >= 'a' && x <= 'z') x = static_cast<unsigned char>(x - 32);
        if (y >= 'a' && y <= 'z') y = static_cast<unsigned char>(y - 32);
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

template <typename Row, size_t N>
constexpr bool IsSortedByName(const std::array<Row, N>& rows) {
    for (size_t i = 1; i < N; ++i)
        if (CompareNoCase(rows[i - 1].name, rows[i].name) >= 0) return false;
    return true;
}

static_assert(IsSortedByName(kKeywords));
static_assert(IsSortedByName(kBuiltins));
static_assert(IsSortedByName(kSysVars));

// The halving search shared by the three tables: probe (low + high) / 2, move high down on
// less and low up on greater, and give up when a probe repeats. Returns the row index or -1.
template <typename Row, size_t N>
constexpr int FindRow(const std::array<Row, N>& rows, std::string_view name) {
    size_t low = 0, high = N;
    size_t previous = N;  // no probe yet
    for (;;) {
        const size_t mid = (low + high) / 2;
        if (mid == previous || mid >= N) return -1;
        previous = mid;
        const int c = CompareNoCase(name, rows[mid].name);
        if (c == 0) return static_cast<int>(mid);
        if (c < 0)
            high = mid;
        else
            low = mid;
    }
}

// The id of a named built-in, at compile time: `case BuiltinId("MID"):`.
consteval int BuiltinId(std::string_view name) {
    const int row = FindRow(kBuiltins, name);
    return row < 0 ? throw "unknown built-in" : kBuiltins[static_cast<size_t>(row)].id;
}

// The keyword's token code, or 0.
int LookupKeyword(std::string_view name);
// Row index into kBuiltins / kSysVars, or -1.
int LookupBuiltin(std::string_view name);
int LookupSysVar(std::string_view name);
// The row of a built-in id, or nullptr (ids without a name give nullptr).
const BuiltinRow* BuiltinById(int id);

}  // namespace norv::script
