// A recorded key macro written back as script text, and the script expression of a text.
//
// The writer walks the image's code from the end of the header: each PUSHI value is collected,
// POP is skipped, and each CALLB of a built-in of kMacroForms writes one line from the values
// collected for it; HALT (or the end of the code) ends the text with "End". Anything else, a
// call with the wrong number of values, or a text value that is not the address of a
// NUL-terminated text inside the image's data segment stops the conversion there: the text then
// holds the lines before it and "End", and the result says it failed. Every read is checked
// against the image, so any bytes at all can be handed over.
//
// Texts are written so that the script compiles and gives back the same bytes: printable runs
// between quotes, at most kTokenTextMax bytes each, a double quote, a byte below 0x20 and 0x7F as
// Chr(n), the pieces joined with " + ". A double-byte character of the code page is never cut
// between two pieces.
#pragma once

#include <string>
#include <string_view>

namespace norv::script {

inline constexpr std::string_view kMacroTextHead =
    "'--------------------------------------\n"
    "'  Norv Key Macro                      \n"
    "'--------------------------------------\n"
    "Main()\n";
inline constexpr std::string_view kMacroTextEnd = "End\n";
inline constexpr std::string_view kConversionError = "Conversion Error!!";

struct MacroText {
    std::string text;
    bool complete = true;  // false: "Conversion Error!!"
};

MacroText MacroToText(std::string_view image, int codePage);

// The script expression that evaluates to `bytes` (a text of the code page).
std::string ScriptTextExpression(std::string_view bytes, int codePage);

}  // namespace norv::script
