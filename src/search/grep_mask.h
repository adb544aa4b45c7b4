// File masks of find in files: "*.c;*.h" and the like.
//
// A list is split at ";" (blanks around each mask are dropped, empty masks ignored; an empty
// list is "*"). A mask matches a file name without regard to case (ASCII letters), "*" standing
// for any run of bytes and "?" for any one byte. As on the systems the masks come from, a mask
// ending in ".*" also matches a name without an extension ("*.*" matches every name).
//
// Matching is the greedy two-pointer walk that goes back only to the last "*": at most
// name length times mask length steps, never more, whatever the input.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace norv::search {

std::vector<std::string> SplitMasks(std::string_view list);

bool MatchesMask(std::string_view name, std::string_view mask);

}  // namespace norv::search
