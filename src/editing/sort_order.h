// The order of a sort: the keys of lines or box pieces and a stable order of them.
//
// Keys compare as unsigned bytes; a key that is a prefix of another comes first, so the empty key
// comes first of all; equal keys keep the order they had. Ignoring case folds only the ASCII
// letters of single-byte characters (a trail byte that looks like a letter is never folded).
// Descending reverses the comparison only, so equal keys still keep their order. Texts carry
// their lengths: a NUL byte is an ordinary byte.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace norv::editing {

struct SortOrderOptions {
    bool descending = false;
    bool ignoreCase = false;
    // Compare after this string: the key is what follows its first occurrence (found at a
    // character start), or empty without one. Null: the whole text is the key.
    const std::string* after = nullptr;
    int codePage = 0;  // the character model of the texts
};

// The key of `text` under the compare-after rule.
std::string_view SortKeyOf(std::string_view text, const SortOrderOptions& options);

// The text with the ASCII letters of its single-byte characters upper-cased.
std::string FoldCase(std::string_view text, int codePage);

// The stable order of the texts: result[i] is the index of the text that goes to place i. Polls
// `escape` now and then (may be null); returns nullopt when it answered true.
std::optional<std::vector<uint32_t>> SortOrder(const std::vector<std::string_view>& texts,
                                               const SortOrderOptions& options,
                                               bool (*escape)(void*) = nullptr,
                                               void* escapeContext = nullptr);

}  // namespace norv::editing
