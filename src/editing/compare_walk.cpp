// The Compare walk (see compare_walk.h).
#include "editing/compare_walk.h"

#include <algorithm>
#include <optional>

namespace norv::editing {

namespace {

using Lines = std::vector<std::string_view>;

// Whether `a` from `i` and `b` from `j` agree for `match` non-empty lines. Reaching the end of
// one text first is no agreement (and ends the look-ahead: `end` is set); both ends at once is.
bool AgreeFrom(const Lines& a, size_t i, const Lines& b, size_t j, int match, bool* end) {
    int counted = 0;
    while (counted < match) {
        const bool aEnd = i >= a.size(), bEnd = j >= b.size();
        if (aEnd && bEnd) return true;
        if (aEnd || bEnd) {
            *end = true;
            return false;
        }
        if (a[i] != b[j]) return false;
        if (!a[i].empty()) ++counted;
        ++i;
        ++j;
    }
    return true;
}

// The first line of `far` from `j`, within `range` lines, from which `near` from `i` agrees;
// its distance from `j`.
std::optional<size_t> LookAhead(const Lines& far, size_t j, const Lines& near, size_t i,
                                CompareLimits limits) {
    for (size_t k = 0; k < static_cast<size_t>(limits.range) && j + k <= far.size(); ++k) {
        bool end = false;
        if (AgreeFrom(near, i, far, j + k, limits.match, &end)) return k;
        if (end) return std::nullopt;
    }
    return std::nullopt;
}

}  // namespace

CompareResult CompareLines(const Lines& cur, const Lines& tgt, CompareLimits limits,
                           const std::function<bool()>& escape) {
    limits.range = std::clamp(limits.range, 1, 1000000);
    limits.match = std::clamp(limits.match, 1, 1000);
    CompareResult out;
    size_t c = 0, t = 0;
    size_t nextPoll = 1000;
    auto markC = [&](size_t i) { out.current.push_back(static_cast<uint32_t>(i)); };
    auto markT = [&](size_t i) { out.target.push_back(static_cast<uint32_t>(i)); };
    while (c < cur.size() || t < tgt.size()) {
        if (escape && std::max(c, t) >= nextPoll) {
            nextPoll = std::max(c, t) + 1000;
            if (escape()) {
                out.stopped = true;
                return out;
            }
        }
        if (c < cur.size() && t < tgt.size() && cur[c] == tgt[t]) {
            ++c;
            ++t;
            continue;
        }
        while (c < cur.size() && cur[c].empty()) markC(c++);
        while (t < tgt.size() && tgt[t].empty()) markT(t++);
        if (c >= cur.size() || t >= tgt.size()) {
            while (c < cur.size()) markC(c++);
            while (t < tgt.size()) markT(t++);
            break;
        }
        // Where the current text's lines from c start again in the target, and the reverse.
        const std::optional<size_t> dT = LookAhead(tgt, t, cur, c, limits);
        const std::optional<size_t> dC = LookAhead(cur, c, tgt, t, limits);
        if (dT &&
            (!dC || *dC > *dT || (*dC == *dT && tgt[t + *dT].size() >= cur[c + *dC].size()))) {
            for (size_t k = 0; k < *dT; ++k) markT(t++);
        } else if (!dT && !dC) {
            markC(c++);
            markT(t++);
        } else {
            for (size_t k = 0; k < *dC; ++k) markC(c++);
        }
    }
    return out;
}

}  // namespace norv::editing
