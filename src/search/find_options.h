// The options of a search object and their string form.
//
// Options travel as a string of capital letters, one per option that is on, in any order; the
// builder writes them in the fixed order of kOptionLetters. "N" belongs only to the option
// strings of scripts and key macros (Mark All with Find, no confirmation with Replace) and is
// never stored in the settings.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace norv::search {

struct FindOptions {
    bool regularExpression = false;  // R
    bool fromBeginning = false;      // G
    bool inAllWindows = false;       // A
    bool markFoundLine = false;      // M
    bool matchWord = false;          // W
    bool matchTopOfLine = false;     // T
    bool matchEndOfLine = false;     // E
    bool ignoreCase = false;         // I
    bool ignoreMbcs = false;         // Z
    bool wrapAround = false;         // P
    int direction = -1;              // 1 forward, 0 backward, -1 unset

    bool operator==(const FindOptions&) const = default;
};

struct OptionLetter {
    char letter;
    bool FindOptions::*field;
};

// The builder's order: G A M I Z W T E R P.
inline constexpr std::array<OptionLetter, 10> kOptionLetters{{
    {'G', &FindOptions::fromBeginning},
    {'A', &FindOptions::inAllWindows},
    {'M', &FindOptions::markFoundLine},
    {'I', &FindOptions::ignoreCase},
    {'Z', &FindOptions::ignoreMbcs},
    {'W', &FindOptions::matchWord},
    {'T', &FindOptions::matchTopOfLine},
    {'E', &FindOptions::matchEndOfLine},
    {'R', &FindOptions::regularExpression},
    {'P', &FindOptions::wrapAround},
}};

// The letter of scripts and macros: Mark All (Find) or replace without asking (Replace).
inline constexpr char kAllLetter = 'N';

std::string BuildOptionString(const FindOptions& options);

// Sets every option from the letters present (the others off; the direction is kept). Returns
// whether the string held N. Lower-case letters and unknown characters are ignored.
bool ParseOptionString(std::string_view text, FindOptions* options);

}  // namespace norv::search
