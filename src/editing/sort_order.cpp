// Keys and the stable order of a sort (see sort_order.h).
#include "editing/sort_order.h"

#include <algorithm>
#include <cstring>

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

struct SortItem {
    uint64_t prefix;
    uint32_t index;
};

uint64_t PrefixOf(std::string_view k) {
    uint64_t v = 0;
    const size_t n = std::min<size_t>(k.size(), 8);
    for (size_t i = 0; i < n; ++i) v |= uint64_t(static_cast<uint8_t>(k[i])) << (56 - 8 * i);
    return v;
}

// A stable sort of the items by prefix: least significant digit first, eleven bits a pass; a
// pass whose digit is the same for every item is skipped.
void RadixSort(std::vector<SortItem>& items) {
    constexpr int kBits = 11;
    constexpr size_t kBuckets = size_t{1} << kBits;
    constexpr int kPasses = (64 + kBits - 1) / kBits;
    const size_t n = items.size();
    if (n < 2) return;
    std::vector<uint32_t> counts(kBuckets * kPasses, 0);
    for (const SortItem& item : items)
        for (int p = 0; p < kPasses; ++p)
            ++counts[static_cast<size_t>(p) * kBuckets +
                     (item.prefix >> (p * kBits) & (kBuckets - 1))];
    std::vector<SortItem> other(n);
    for (int p = 0; p < kPasses; ++p) {
        uint32_t* count = counts.data() + static_cast<size_t>(p) * kBuckets;
        const uint64_t digit = items[0].prefix >> (p * kBits) & (kBuckets - 1);
        if (count[digit] == n) continue;
        uint32_t sum = 0;
        for (size_t b = 0; b < kBuckets; ++b) {
            const uint32_t c = count[b];
            count[b] = sum;
            sum += c;
        }
        for (const SortItem& item : items)
            other[count[item.prefix >> (p * kBits) & (kBuckets - 1)]++] = item;
        items.swap(other);
    }
}

// The order of two keys whose first eight bytes (zero-padded) are equal: as unsigned bytes, a
// prefix first.
int CompareRest(std::string_view a, std::string_view b) {
    const size_t n = std::min(a.size(), b.size());
    const size_t from = std::min<size_t>(n, 8);
    const int c = n > from ? std::memcmp(a.data() + from, b.data() + from, n - from) : 0;
    if (c != 0) return c;
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
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
    // Whole texts are their own keys; otherwise the keys are cut or folded first.
    const bool ownKeys = options.after || options.ignoreCase;
    std::vector<std::string_view> cut;
    std::vector<std::string> folded;
    if (ownKeys) cut.reserve(n);
    if (options.ignoreCase) folded.reserve(n);
    // Each key with its first eight bytes as a number (big-endian, zero-padded): most
    // comparisons end there, without reading the lines themselves.
    std::vector<SortItem> items;
    items.reserve(n);
    for (size_t i = 0; i < n; ++i) {
        if (escape && i % 4096 == 0 && escape(escapeContext)) return std::nullopt;
        std::string_view k = texts[i];
        if (ownKeys) {
            k = SortKeyOf(k, options);
            if (options.ignoreCase) {
                folded.push_back(FoldCase(k, options.codePage));
                k = folded.back();
            }
            cut.push_back(k);
        }
        items.push_back({PrefixOf(k), static_cast<uint32_t>(i)});
    }
    if (escape && escape(escapeContext)) return std::nullopt;
    const std::vector<std::string_view>& keys = ownKeys ? cut : texts;
    if (options.descending)
        for (SortItem& item : items) item.prefix = ~item.prefix;
    // The items by their prefixes (descending ones inverted); a radix sort is stable, so items
    // of equal prefixes stay in the order of their places.
    RadixSort(items);
    // Runs of equal prefixes are ordered by the rest of their keys, equal keys by their places.
    for (size_t i = 0; i < n;) {
        size_t j = i + 1;
        while (j < n && items[j].prefix == items[i].prefix) ++j;
        if (j - i > 1) {
            const auto from = items.begin() + static_cast<ptrdiff_t>(i);
            const auto to = items.begin() + static_cast<ptrdiff_t>(j);
            if (options.descending) {
                std::sort(from, to, [&](const SortItem& x, const SortItem& y) {
                    const int c = CompareRest(keys[x.index], keys[y.index]);
                    return c != 0 ? c > 0 : x.index < y.index;
                });
            } else {
                std::sort(from, to, [&](const SortItem& x, const SortItem& y) {
                    const int c = CompareRest(keys[x.index], keys[y.index]);
                    return c != 0 ? c < 0 : x.index < y.index;
                });
            }
        }
        i = j;
    }
    std::vector<uint32_t> order;
    order.reserve(n);
    for (const SortItem& item : items) order.push_back(item.index);
    return order;
}

}  // namespace norv::editing
