// Header and footer texts of printed pages. A template is copied character by character; "&"
// starts a code: "&&" one "&", "&d" the date, "&t" the time, "&f" the full path ("Untitled"
// without one), "&n" the file name ("Untitled"), "&p" the page number, "&w" the title without
// a trailing "*"; "&" before any other character gives nothing. The result is UTF-8 and at most
// kMaxPrintTemplateBytes long, cut before a character that would not fit whole.
#pragma once

#include <ctime>
#include <string>
#include <string_view>

namespace norv::view {

inline constexpr size_t kMaxPrintTemplateBytes = 2048;

struct PrintTemplateFields {
    std::string path;            // UTF-8; empty for an untitled document
    std::string title;           // UTF-8, as the window shows it
    std::tm time{};              // when the job started
    bool japaneseDates = false;  // code page 932: the date year first
};

// `tmpl` is UTF-8.
std::string ExpandPrintTemplate(std::string_view tmpl, const PrintTemplateFields& fields, int page);

// The longest prefix of UTF-8 `text` of at most `limit` bytes that ends on a character boundary.
std::string_view CutUtf8(std::string_view text, size_t limit);

}  // namespace norv::view
