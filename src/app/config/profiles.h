// File-type profiles: the thirteen sets of tab width, wrap column and editing options, and the
// rule that gives a file its profile from its extension.
//
// The profiles are, in this order: Default, C source, HTML, User1 to User10. A document keeps
// its profile as a one-character type code: blank, "C", "H", then "1" to "9" and ":" (the
// character 48 + n for User n). A file gets the first of C source, HTML, User1 ... User10 whose
// extension list matches its name, else Default; the Default list is never tested (it is the
// filter of the file dialogs). The rule is a pure function of the name and the lists, so the
// loader can call it for any path.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "app/config/settings_keys.h"

namespace norv::app {

enum class ProfileId : uint8_t {
    kDefault,
    kCSource,
    kHtml,
    kUser1,
    kUser2,
    kUser3,
    kUser4,
    kUser5,
    kUser6,
    kUser7,
    kUser8,
    kUser9,
    kUser10,
    kCount
};
inline constexpr size_t kProfileCount = size_t(ProfileId::kCount);
constexpr ProfileId UserProfile(int n) {
    return ProfileId(size_t(ProfileId::kUser1) + size_t(n - 1));
}

struct Profile {
    int tabWidth = 8;
    int wrapColumn = 80;
    bool autoIndent = false;
    bool noWordWrap = false;
    bool noWrap = false;
    bool doubleWidthSpaceIndent = false;
    bool softTab = false;
    int imeState = 0;
    std::string extensions;  // "*.c;*.cpp;..."
    std::string name;        // shown in the file-type lists
};

using ProfileTable = std::array<Profile, kProfileCount>;

// The settings keys of one profile. C source has no no-wrap key: it never wraps.
struct ProfileKeys {
    Key tab, column, autoIndent, noWordWrap, noWrap, dspcIndent, softTab, imeState, ext, cmt;
};
inline constexpr Key kNoKey = Key::kCount;

constexpr ProfileKeys UserProfileKeys(int n) {
    return {UserTabKey(n),
            UserColumnKey(n),
            UserOptionKey(n, UserOption::AutoI),
            UserOptionKey(n, UserOption::NoWordWrap),
            UserOptionKey(n, UserOption::NoWrap),
            UserOptionKey(n, UserOption::DSpcI),
            UserOptionKey(n, UserOption::SoftT),
            UserOptionKey(n, UserOption::IMEState),
            UserExtKey(n),
            UserCmtKey(n)};
}

inline constexpr std::array<ProfileKeys, kProfileCount> kProfileKeys = {{
    {Key::DefaultTAB, Key::DefaultColumn, Key::AutoInd, Key::NoWordWrap, Key::NoWrap, Key::DSpcInd,
     Key::SoftTAB, Key::IMEState, Key::DefExt, Key::DefCmt},
    {Key::C_CppTAB, Key::C_CppColumn, Key::CAutoI, Key::CNoWordWrap, kNoKey, Key::CDSpcI,
     Key::CSoftT, Key::CIMEState, Key::C_Ext, Key::C_Cmt},
    {Key::HTMLTAB, Key::HTMLColumn, Key::HAutoI, Key::HNoWordWrap, Key::HNoWrap, Key::HDSpcI,
     Key::HSoftT, Key::HIMEState, Key::HTML_Ext, Key::HTML_Cmt},
    UserProfileKeys(1),
    UserProfileKeys(2),
    UserProfileKeys(3),
    UserProfileKeys(4),
    UserProfileKeys(5),
    UserProfileKeys(6),
    UserProfileKeys(7),
    UserProfileKeys(8),
    UserProfileKeys(9),
    UserProfileKeys(10),
}};

// " ", "C", "H", "1" ... "9", ":".
constexpr char TypeCodeOf(ProfileId id) {
    switch (id) {
        case ProfileId::kDefault:
            return ' ';
        case ProfileId::kCSource:
            return 'C';
        case ProfileId::kHtml:
            return 'H';
        default:
            return static_cast<char>('0' + (int(id) - int(ProfileId::kUser1) + 1));
    }
}
std::optional<ProfileId> ProfileOfTypeCode(char code);

// Extension lists are cut at this many bytes before they are matched.
inline constexpr size_t kExtensionListLimit = 256;

// Whether the extension of `path` matches one pattern of `list` ("*.c;*.h"): both upper-cased,
// the list cut at 256 bytes; each pattern is compared from its first "." on, "?" matching one
// character and "*" whatever follows. A pattern without "." matches a name without extension.
bool MatchesExtensionList(std::string_view path, std::string_view list, int codePage);
// Keyword groups and help entries also apply when their list holds "*.*".
bool ListAppliesToFile(std::string_view path, std::string_view list, int codePage);
// Bit i set when lists[i] applies to the file (at most 32 lists).
uint32_t ApplyingLists(std::string_view path, std::span<const std::string> lists, int codePage);

// The profile a file gets.
ProfileId ProfileOfFile(std::string_view path, const ProfileTable& profiles, int codePage);

}  // namespace norv::app
