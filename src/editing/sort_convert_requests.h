// The dialogs of Sort and Convert as plain requests, and the values a script hands over
// instead of the dialog.
#pragma once

#include <optional>
#include <string>

#include "editing/convert_text.h"

namespace norv::editing {

// The "Sort" dialog. The settings fill it before it is shown and take it back after.
struct SortRequest {
    bool descending = false;    // "&Ascendant" / "&Decendant"
    bool ignoreCase = false;    // "&Ignore Case" (SortIgnore)
    bool boxKey = false;        // "&Sort Entire Lines" (SortBoxKey): a box is the key of its lines
    bool compareAfter = false;  // "Compare After This &String:" (SortAfter)
    std::string afterString;    // (SortString)
    bool box = false;           // in: the selection is a box (the box key applies)
};

// The "Convert" dialog: it opens with all three at "No Conversion" and both boxes on.
struct ConvertRequest {
    ConvertChoices choices;
};

// SORT(direction, ignore case, box key, compare-after text) from a script: -1 is a value not
// given (the dialog then asks, filled with what was given); an empty text is compare-after off.
struct SortArguments {
    int direction = -1;
    int ignoreCase = -1;
    int boxKey = -1;
    std::optional<std::string> after;
};

// CONVERT(case 0-4, tabs 0-2, width 0-2, scope): scope 0 alphanumerics, 1 kana, 2 both; -1 with
// the other three given is neither.
struct ConvertArguments {
    int caseConversion = -1;
    int tabs = -1;
    int width = -1;
    int scope = -1;
};

}  // namespace norv::editing
