// The options of find in files and their string form.
//
// The find-in-files object keeps the search options of Find (ignore case, ignore width, whole
// word, top and end of line, regular expression) and adds two of its own: U searches the sub
// folders, P writes full paths. Its option string is written in the order G A M I Z W T E R U
// P. G, A and M (from the top, all windows, mark found lines) are read and written so that a
// string survives a round trip, but the search never acts on them; E has no check box. Note
// that P means "full path" here, not Find's wrap-around.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace norv::search {

struct GrepOptions {
    bool fromBeginning = false;      // G, ignored
    bool inAllWindows = false;       // A, ignored
    bool markFoundLine = false;      // M, ignored
    bool ignoreCase = false;         // I
    bool ignoreMbcs = false;         // Z
    bool matchWord = false;          // W: the bytes around a match are at most 0x3F
    bool matchTopOfLine = false;     // T: only blanks and tabs before the match
    bool matchEndOfLine = false;     // E
    bool regularExpression = false;  // R
    bool subFolders = false;         // U
    bool fullPath = false;           // P

    bool operator==(const GrepOptions&) const = default;
};

struct GrepOptionLetter {
    char letter;
    bool GrepOptions::*field;
};

inline constexpr std::array<GrepOptionLetter, 11> kGrepOptionLetters{{
    {'G', &GrepOptions::fromBeginning},
    {'A', &GrepOptions::inAllWindows},
    {'M', &GrepOptions::markFoundLine},
    {'I', &GrepOptions::ignoreCase},
    {'Z', &GrepOptions::ignoreMbcs},
    {'W', &GrepOptions::matchWord},
    {'T', &GrepOptions::matchTopOfLine},
    {'E', &GrepOptions::matchEndOfLine},
    {'R', &GrepOptions::regularExpression},
    {'U', &GrepOptions::subFolders},
    {'P', &GrepOptions::fullPath},
}};

std::string BuildGrepOptionString(const GrepOptions& options);
// Every option from the letters present, the others off; lower-case letters and unknown
// characters are ignored.
GrepOptions ParseGrepOptionString(std::string_view text);

}  // namespace norv::search
