#include "include_rules.h"

#include <optional>

namespace norv::layering {
namespace {

std::string_view TopFolder(std::string_view path) {
    size_t slash = path.find('/');
    return slash == std::string_view::npos ? std::string_view() : path.substr(0, slash);
}

std::optional<int> RankOf(std::string_view top) {
    for (const Layer& layer : kLayers)
        if (layer.folder == top) return layer.rank;
    return std::nullopt;
}

bool SidewaysAllowed(std::string_view from, std::string_view to) {
    for (const SidewaysInclude& s : kSideways)
        if (s.from == from && s.to == to) return true;
    return false;
}

bool QtAllowed(std::string_view top) {
    for (std::string_view folder : kQtFolders)
        if (folder == top) return true;
    return false;
}

// A Qt header: <QString>, <QtWidgets/QWidget>, <QtCore>...
bool IsQtHeader(std::string_view name) {
    return name.size() >= 2 && name[0] == 'Q' &&
           ((name[1] >= 'A' && name[1] <= 'Z') || name[1] == 't');
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    return s;
}

// The rule broken by an include of `to` (a top folder) from `from`, or "".
std::string BrokenRule(std::string_view from, std::string_view to) {
    if (from == to) return "";
    std::optional<int> fromRank = RankOf(from);
    std::optional<int> toRank = RankOf(to);
    if (!fromRank || !toRank) return "";
    std::string f(from), t(to);
    if (*fromRank == 0) {
        if (to == "platform") return "";
        return f + " stands apart from the editor: it includes only its own files and platform";
    }
    if (*toRank == 0) return t + " stands apart from the editor: no editor file includes it";
    if (*toRank < *fromRank) return "";
    if (*toRank > *fromRank) return f + " is below " + t + ": includes point down the layers only";
    if (SidewaysAllowed(from, to)) return "";
    return f + " and " + t + " share a layer and " + f + " -> " + t +
           " is not a listed sideways include";
}

}  // namespace

std::vector<Violation> CheckIncludes(std::string_view path, std::string_view text) {
    std::vector<Violation> found;
    std::string_view from = TopFolder(path);
    int number = 0;
    bool inComment = false;
    while (!text.empty()) {
        size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        ++number;
        std::string_view s = Trim(line);
        if (inComment) {
            if (s.find("*/") != std::string_view::npos) inComment = false;
            continue;
        }
        if (s.substr(0, 2) == "/*" && s.find("*/") == std::string_view::npos) {
            inComment = true;
            continue;
        }
        if (s.empty() || s[0] != '#') continue;
        s = Trim(s.substr(1));
        if (s.substr(0, 7) != "include") continue;
        s = Trim(s.substr(7));
        if (s.empty()) continue;
        char close = s[0] == '"' ? '"' : s[0] == '<' ? '>' : 0;
        if (!close) continue;
        size_t stop = s.find(close, 1);
        if (stop == std::string_view::npos) continue;
        std::string_view name = s.substr(1, stop - 1);
        if (close == '>') {
            if (IsQtHeader(name) && !QtAllowed(from))
                found.push_back({number, std::string(name),
                                 "Qt headers belong to gui/ (and mail/, setup/) only: " +
                                     std::string(from) + " is core code"});
            continue;
        }
        std::string rule = BrokenRule(from, TopFolder(name));
        if (!rule.empty()) found.push_back({number, std::string(name), rule});
    }
    return found;
}

}  // namespace norv::layering
