// The preference pages as data: the thirteen pages in the order the dialog shows them, and for
// every settings key the page that sets it, its control, its label and the values it may take.
//
// The table comes from preference_pages.h, so a key's place, label and range are written once;
// the pages build their controls from it and every check of a stored value (the pages, projects,
// the commands that read a range-bound key) asks RangeOf. Checking a value is Qt-free: the pages
// hand over the value as it would be stored (decimal integers, "RRR GGG BBB" colours, texts in
// the system code page) and get back the message to show, which names the field.
#pragma once

#include <climits>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <iterator>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/config/profiles.h"
#include "app/config/settings_keys.h"

namespace norv::app {

// In the order of the dialog's tabs.
enum class PageId : uint8_t {
    COption,
    CAdvanced,
    CDispOpt,
    CExtOpt,
    CFOptDlg,
    CFontColor,
    CKeyDlg,
    CKwdDlg,
    CMenuCust,
    CScript,
    CPrintFmt,
    CEditKey,
    COthers,
    kCount
};
inline constexpr size_t kPageCount = size_t(PageId::kCount);
inline constexpr std::string_view kPageTitles[] = {
    "Options",  "Advanced", "Display", "Tools", "File Types", "Font and Color", "Keys",
    "Keywords", "Menus",    "Scripts", "Print", "Key Edit",   "Others"};
static_assert(std::size(kPageTitles) == kPageCount);
constexpr std::string_view PageTitle(PageId page) {
    return kPageTitles[size_t(page)];
}

enum class Control : uint8_t {
    kCheck,       // 0 or 1
    kNumber,      // a decimal integer within the key's range
    kChoice,      // one of a few named values, Min to Max
    kText,        // one line of text
    kFolder,      // a folder name (empty: none)
    kExtensions,  // an extension list "*.c;*.h" without empty entries
    kColour,      // "RRR GGG BBB"
    kFont,        // an installed font family
};

struct ValueRange {
    int min = INT_MIN;
    int max = INT_MAX;
    constexpr bool Holds(long long v) const { return v >= min && v <= max; }
    constexpr bool Bounded() const { return min != INT_MIN || max != INT_MAX; }
};

struct PageField {
    Key key;
    PageId page;
    Control control;
    std::string_view label;  // with "&" before the mnemonic
    ValueRange range;
};

namespace detail {
constexpr ValueRange FieldRange(Control c, ValueRange given) {
    return c == Control::kCheck ? ValueRange{0, 1} : given;
}
}  // namespace detail

inline constexpr PageField kPageFields[] = {
#define NORV_PAGE(page, id, control, label, ...)        \
    {Key::id, PageId::page, Control::k##control, label, \
     detail::FieldRange(Control::k##control, ValueRange{__VA_ARGS__})},
#define NORV_NO_PAGE(id, ...)
#include "app/config/preference_pages.h"
#undef NORV_PAGE
#undef NORV_NO_PAGE
};

struct UnpagedKey {
    Key key;
    ValueRange range;
};
inline constexpr UnpagedKey kUnpagedKeys[] = {
#define NORV_PAGE(page, id, control, label, ...)
#define NORV_NO_PAGE(id, ...) {Key::id, ValueRange{__VA_ARGS__}},
#include "app/config/preference_pages.h"
#undef NORV_PAGE
#undef NORV_NO_PAGE
};

// The field of a key that has a page, or null.
const PageField* FieldOf(Key key);
// The values a key may hold, whether it has a page or not (unbounded for texts).
ValueRange RangeOf(Key key);
// A stored integer brought into the key's range (for the readers that must not act on a value
// out of range).
int ClampToRange(Key key, int value);

// The fields of a page in table order.
std::vector<const PageField*> FieldsOf(PageId page);
// The profile a key of the File Types page belongs to.
std::optional<ProfileId> ProfileOfKey(Key key);
// The fixed names of the profiles as the File Types page lists them.
std::string_view ProfileTitle(ProfileId id);
// The names of a Choice key's values, from Min on.
std::span<const std::string_view> ChoiceNames(Key key);

// A field's name in messages: its label without "&" and the final ":", with the profile in
// front on the File Types page ("C source: Wrap column").
std::string FieldName(Key key);

// Whether a font family is installed (the front end knows; tests pass their own).
using FontExists = std::function<bool(std::string_view family)>;

// Why `value` (as it would be stored) cannot be stored under `key`: the message to show, or
// nothing when it can. Keys without a page are checked against their range only.
std::optional<std::string> RefusalOf(Key key, std::string_view value, const FontExists& fontExists);

}  // namespace norv::app
