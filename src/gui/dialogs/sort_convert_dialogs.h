// The dialogs of Sort, Convert and Compare. Each is modal; fields carry object names so that
// tests can fill them.
#pragma once

#include "app/compare_command.h"
#include "editing/sort_convert_requests.h"

class QWidget;

namespace norv::qt {

// "Sort": "&Ascendant" / "&Decendant", "Compare After This &String:" with its text,
// "&Ignore Case" and, for a box, "&Sort Entire Lines". False when cancelled.
bool AskSort(QWidget* parent, editing::SortRequest& request);
inline constexpr const char* kSortAfterTextName = "afterString";

// "Convert": the Case, Tab and Space, and MBCS choices, and the two boxes of the MBCS
// conversion ("&Alphanumerics and Symbols", "&Kana"), enabled only while one is chosen.
bool AskConvert(QWidget* parent, editing::ConvertRequest& request);
inline constexpr const char* kConvertCaseName = "case";
inline constexpr const char* kConvertTabsName = "tabs";
inline constexpr const char* kConvertWidthName = "mbcs";
inline constexpr const char* kConvertAlphanumericsName = "alphanumerics";
inline constexpr const char* kConvertKanaName = "kana";

// "Compare": the current file, the target among the other open documents, "Search &Range:"
// (10 to 10000 lines) and "&Match Lines:" (1 to 10).
bool AskCompare(QWidget* parent, app::CompareRequest& request);
inline constexpr const char* kCompareTargetName = "target";
inline constexpr const char* kCompareRangeName = "range";
inline constexpr const char* kCompareMatchName = "match";

}  // namespace norv::qt
