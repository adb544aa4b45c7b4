// Keys and the stable order of a sort (see sort_order.h).
#include "editing/sort_order.h"

#include <algorithm>
#include <cstring>
#include <numeric>

#include "document/char_model.h"

namespace norv::editing {

namespace {

// The first occurrence of `what` in `text` that starts on a character: in a double-byte code
// page a match may begin on a trail byte, which is not an occurrence.
size_t FindAtCharacter(std::string_view text, std::string_view what, int codePage) {
    if (what.empty()) return 0;
    const char* const end = text.data() + text.size();
    size_t boundary = 0;  // a character start at or before every position looked at
    size_t from = 0;
    for (;;) {
        const size_t hit = text.find(what, from);
        if (hit == std::string_view::npos) return hit;
        while (boundary < hit)
            boundary += document::CharLength(codePage, text.data() + boundary, end);
        if (boundary == hit) return hit;
        from = hit + 1;
    }
}

bool Less(std::string_view a, std::string_view b) {
    const size_t n = std::min(a.size(), b.size());
    const int c = n ? std::memcmp(a.data(), b.data(), n) : 0;
    if (c != 0) return c < 0;
    return a.size() < b.size();
}

}  // namespace

std::string_view SortKeyOf(std::string_view text, const SortOrderOptions& options) {
    if (!options.after) return text;
    const size_t at = FindAtCharacter(text, *options.after, options.codePage);
    if (at == std::string_view::npos) return {};
    return text.substr(at + options.after->size());
}

std::string FoldCase(std::string_view text, int codePage) {
    std::string out(text);
    const char* const end = text.data() + text.size();
    size_t i = 0;
    while (i < text.size()) {
        const size_t len = document::CharLength(codePage, text.data() + i, end);
        if (len == 1 && out[i] >= 'a' && out[i] <= 'z') out[i] = static_cast<char>(out[i] - 32);
        i += len;
    }
    return out;
}

std::optional<std::vector<uint32_t>> SortOrder(const std::vector<std::string_view>& texts,
                                               const SortOrderOptions& options,
                                               bool (*escape)(void*), void* escapeContext) {
    const size_t n = texts.size();
    std::vector<std::string_view> keys(n);
    std::vector<std::string> folded;
    if (options.ignoreCase) folded.resize(n);
    for (size_t i = 0; i < n; ++i) {
        if (escape && i % 4096 == 0 && escape(escapeContext)) return std::nullopt;
        std::string_view k = SortKeyOf(texts[i], options);
        if (options.ignoreCase) {
            folded[i] = FoldCase(k, options.codePage);
            k = folded[i];
        }
        keys[i] = k;
    }
    std::vector<uint32_t> order(n);
    std::iota(order.begin(), order.end(), 0u);
    if (escape && escape(escapeContext)) return std::nullopt;
    if (options.descending) {
        std::stable_sort(order.begin(), order.end(),
                         [&](uint32_t a, uint32_t b) { return Less(keys[b], keys[a]); });
    } else {
        std::stable_sort(order.begin(), order.end(),
                         [&](uint32_t a, uint32_t b) { return Less(keys[a], keys[b]); });
    }
    return order;
}

}  // namespace norv::editing
