// The walk of the Compare command over two texts given as lines (without line ends), in one
// encoding. Lines that differ are reported for bookmarking: the current text's lines removed
// from the target, the target's lines inserted, and both sides of lines that changed.
//
// The two texts are walked in step. Equal lines (same length, same bytes) advance both; at a
// difference, empty lines are marked and skipped on each side; then each side looks ahead up to
// `range` lines for the place where the other side's lines agree again for `match` non-empty
// lines (empty lines must agree too but do not count), and the nearer place wins (a tie goes to
// the target when its line there is at least as long). A comparison that reaches the end of one
// text only finds nothing; the ends of both at once are a match (the rest is the same).
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

namespace norv::editing {

struct CompareLimits {
    int range = 100;  // CmpRange: how far to look ahead, 10 to 10000
    int match = 3;    // CmpMatch: equal non-empty lines that make a match, 1 to 10
};

struct CompareResult {
    std::vector<uint32_t> current;  // 0-based indices of the marked lines of each text
    std::vector<uint32_t> target;
    bool stopped = false;  // Escape stopped the walk; the marks so far are kept
};

// Polled once every 1000 lines walked: true stops the walk.
CompareResult CompareLines(const std::vector<std::string_view>& current,
                           const std::vector<std::string_view>& target, CompareLimits limits,
                           const std::function<bool()>& escape = {});

}  // namespace norv::editing
