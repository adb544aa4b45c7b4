// The table of every settings key: its section, its spelling in the settings file, its type and
// its default. Code names a setting by its `Key`, never by a string, so a key's spelling and
// default exist only in settings_key_list.h.
//
// The table's order is the start-up loading order. Families of keys (the ten user profiles, the
// sixteen keyword colours, the ten help entries, the five user menus) lie in the table at fixed
// strides; the functions below turn a family member's number into its `Key`, and the compiler
// checks the strides against the spellings.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <optional>
#include <string_view>

namespace norv::app {

enum class Section : uint8_t { Settings, Options, Others, Colors, Fonts, General, kCount };

inline constexpr std::string_view kSectionNames[] = {"Settings", "Options", "Others",
                                                     "Colors",   "Fonts",   "General"};
static_assert(std::size(kSectionNames) == size_t(Section::kCount));

// Integers are stored in decimal; texts as written; colours as "RRR GGG BBB" in decimal.
enum class ValueType : uint8_t { kInt, kText, kColour };

enum class Key : uint16_t {
#define NORV_SETTING(id, section, name, type, intDefault, textDefault) id,
#include "app/config/settings_key_list.h"
#undef NORV_SETTING
    kCount
};

inline constexpr size_t kKeyCount = size_t(Key::kCount);

struct KeySpec {
    Section section;
    std::string_view name;
    ValueType type;
    int intDefault;                // for Int keys
    std::string_view textDefault;  // for Text and Colour keys
};

inline constexpr KeySpec kKeySpecs[] = {
#define NORV_SETTING(id, section, name, type, intDefault, textDefault) \
    {Section::section, name, ValueType::k##type, intDefault, textDefault},
#include "app/config/settings_key_list.h"
#undef NORV_SETTING
};
static_assert(std::size(kKeySpecs) == kKeyCount);

// The keys before this one are read by the start-up load (and again on reload); the rest are
// read where they are used.
inline constexpr Key kFirstKeyOutsideLoad = Key::InitialDir;

constexpr const KeySpec& SpecOf(Key key) {
    return kKeySpecs[size_t(key)];
}
constexpr std::string_view SectionName(Section s) {
    return kSectionNames[size_t(s)];
}

// Defaults that differ when the system code page is not 932.
struct CodePageDefault {
    Key key;
    int intDefault;
    std::string_view textDefault;
};
// clang-format off
inline constexpr CodePageDefault kNon932Defaults[] = {
    {Key::DefaultColumn, 256, {}},
    {Key::TextFontHeight, 16, {}},
    {Key::TextFont, 0, "MS Sans Serif"},
    {Key::PrintFontHeight, 16, {}},
    {Key::PrintFont, 0, "MS Sans Serif"},
};
// clang-format on

// The default of a key on a system of this code page.
int DefaultInt(Key key, int codePage);
std::string_view DefaultText(Key key, int codePage);

// The key of this section and spelling (exact, case-sensitive comparison), if the table has it.
std::optional<Key> FindKey(Section section, std::string_view name);

// --- Families -------------------------------------------------------------------------------

constexpr Key Offset(Key base, size_t n) {
    return Key(size_t(base) + n);
}

// User profiles 1 to 10: "User%dTAB" and "User%dColumn" come in pairs.
constexpr Key UserTabKey(int n) {
    return Offset(Key::User1TAB, size_t(n - 1) * 2);
}
constexpr Key UserColumnKey(int n) {
    return Offset(Key::User1Column, size_t(n - 1) * 2);
}
// "U%d" options in the order AutoI, NoWordWrap, DSpcI, SoftT, IMEState, NoWrap.
enum class UserOption : uint8_t { AutoI, NoWordWrap, DSpcI, SoftT, IMEState, NoWrap, kCount };
constexpr Key UserOptionKey(int n, UserOption o) {
    return Offset(Key::U1AutoI, size_t(n - 1) * size_t(UserOption::kCount) + size_t(o));
}
// "User%dExt" and "User%dCmt" come in pairs.
constexpr Key UserExtKey(int n) {
    return Offset(Key::User1Ext, size_t(n - 1) * 2);
}
constexpr Key UserCmtKey(int n) {
    return Offset(Key::User1Cmt, size_t(n - 1) * 2);
}

// Keyword group colours "Key0Color" to "KeyFColor".
constexpr Key KeywordColourKey(int group) {
    return Offset(Key::Key0Color, size_t(group));
}

// Help entries 0 to 9 ("Help1" to "Help9", then "Help:"), each with "Cmt" and "Ext".
enum class HelpField : uint8_t { File, Cmt, Ext, kCount };
constexpr Key HelpKey(int entry, HelpField f) {
    return Offset(Key::Help1, size_t(entry) * size_t(HelpField::kCount) + size_t(f));
}

// User menus 0 to 4.
constexpr Key MenuItemKey(int n) {
    return Offset(Key::Menu0Item, size_t(n));
}
constexpr Key MenuAddKey(int n) {
    return Offset(Key::Menu0Add, size_t(n));
}
// Tool bars 1 to 5.
constexpr Key ToolBarKey(int n) {
    return Offset(Key::ToolBar1, size_t(n - 1));
}

static_assert(SpecOf(UserTabKey(10)).name == "User10TAB");
static_assert(SpecOf(UserColumnKey(10)).name == "User10Column");
static_assert(SpecOf(UserOptionKey(10, UserOption::NoWrap)).name == "U10NoWrap");
static_assert(SpecOf(UserOptionKey(7, UserOption::IMEState)).name == "U7IMEState");
static_assert(SpecOf(UserExtKey(10)).name == "User10Ext");
static_assert(SpecOf(UserCmtKey(10)).name == "User10Cmt");
static_assert(SpecOf(KeywordColourKey(15)).name == "KeyFColor");
static_assert(SpecOf(HelpKey(9, HelpField::Ext)).name == "Help:Ext");
static_assert(SpecOf(HelpKey(0, HelpField::File)).name == "Help1");
static_assert(SpecOf(MenuItemKey(4)).name == "Menu4Item");
static_assert(SpecOf(MenuAddKey(4)).name == "Menu4Add");
static_assert(SpecOf(ToolBarKey(5)).name == "ToolBar5");

}  // namespace norv::app
