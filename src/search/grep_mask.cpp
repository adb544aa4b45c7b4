// Wildcard masks of find in files.
#include "search/grep_mask.h"

namespace norv::search {
namespace {

char Fold(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 0x20) : c;
}

bool Blank(char c) {
    return c == ' ' || c == '\t';
}

bool MatchWildcard(std::string_view name, std::string_view mask) {
    size_t n = 0, m = 0;
    size_t starMask = std::string_view::npos;  // the mask position after the last "*"
    size_t starName = 0;                       // the name position that "*" took up to
    while (n < name.size()) {
        if (m < mask.size() && mask[m] == '*') {
            starMask = ++m;
            starName = n;
        } else if (m < mask.size() && (mask[m] == '?' || Fold(mask[m]) == Fold(name[n]))) {
            ++m;
            ++n;
        } else if (starMask != std::string_view::npos) {
            m = starMask;
            n = ++starName;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == '*') ++m;
    return m == mask.size();
}

}  // namespace

std::vector<std::string> SplitMasks(std::string_view list) {
    std::vector<std::string> out;
    size_t start = 0;
    while (start <= list.size()) {
        size_t end = list.find(';', start);
        if (end == std::string_view::npos) end = list.size();
        std::string_view mask = list.substr(start, end - start);
        while (!mask.empty() && Blank(mask.front())) mask.remove_prefix(1);
        while (!mask.empty() && Blank(mask.back())) mask.remove_suffix(1);
        if (!mask.empty()) out.emplace_back(mask);
        start = end + 1;
    }
    if (out.empty()) out.emplace_back("*");
    return out;
}

bool MatchesMask(std::string_view name, std::string_view mask) {
    if (MatchWildcard(name, mask)) return true;
    // "name.*" also takes "name": the extension may be missing altogether.
    if (mask.size() >= 2 && mask.substr(mask.size() - 2) == ".*" &&
        name.find('.') == std::string_view::npos)
        return MatchWildcard(name, mask.substr(0, mask.size() - 2));
    return false;
}

}  // namespace norv::search
