// Extension matching and the profile-of-a-file rule.
#include "app/config/profiles.h"

#include "app/config/text_lines.h"
#include "platform/code_page.h"
#include "platform/paths.h"

namespace norv::app {

namespace {

size_t CharWidth(std::string_view s, size_t i, int codePage) {
    return platform::IsLeadByte(codePage, static_cast<uint8_t>(s[i])) && i + 1 < s.size() ? 2 : 1;
}

// `pattern` from its first "." on, against `ext` (both upper-cased).
bool MatchPattern(std::string_view pattern, std::string_view ext, int codePage) {
    size_t dot = pattern.find('.');
    pattern = dot == std::string_view::npos ? std::string_view() : pattern.substr(dot);
    size_t p = 0, e = 0;
    for (;;) {
        if (p == pattern.size()) return e == ext.size();
        if (pattern[p] == '*') return true;
        if (e == ext.size()) return false;
        size_t pw = CharWidth(pattern, p, codePage);
        size_t ew = CharWidth(ext, e, codePage);
        if (!(pw == 1 && pattern[p] == '?') && pattern.substr(p, pw) != ext.substr(e, ew))
            return false;
        p += pw;
        e += ew;
    }
}

}  // namespace

std::optional<ProfileId> ProfileOfTypeCode(char code) {
    for (size_t i = 0; i < kProfileCount; ++i)
        if (TypeCodeOf(ProfileId(i)) == code) return ProfileId(i);
    return std::nullopt;
}

bool MatchesExtensionList(std::string_view path, std::string_view list, int codePage) {
    std::string ext = UpperAscii(platform::ExtensionOf(path), codePage);
    std::string upper =
        UpperAscii(CutAtCharBoundary(list, kExtensionListLimit, codePage), codePage);
    if (upper.empty()) return false;
    std::string_view rest(upper);
    for (;;) {
        size_t semi = rest.find(';');
        if (MatchPattern(rest.substr(0, semi), ext, codePage)) return true;
        if (semi == std::string_view::npos) return false;
        rest.remove_prefix(semi + 1);
    }
}

bool ListAppliesToFile(std::string_view path, std::string_view list, int codePage) {
    std::string upper =
        UpperAscii(CutAtCharBoundary(list, kExtensionListLimit, codePage), codePage);
    return upper.find("*.*") != std::string::npos || MatchesExtensionList(path, list, codePage);
}

uint32_t ApplyingLists(std::string_view path, std::span<const std::string> lists, int codePage) {
    uint32_t mask = 0;
    for (size_t i = 0; i < lists.size() && i < 32; ++i)
        if (ListAppliesToFile(path, lists[i], codePage)) mask |= 1u << i;
    return mask;
}

ProfileId ProfileOfFile(std::string_view path, const ProfileTable& profiles, int codePage) {
    for (size_t i = size_t(ProfileId::kCSource); i < kProfileCount; ++i)
        if (MatchesExtensionList(path, profiles[i].extensions, codePage)) return ProfileId(i);
    return ProfileId::kDefault;
}

}  // namespace norv::app
