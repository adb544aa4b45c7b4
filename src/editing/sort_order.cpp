// Keys and the stable order of a sort (see sort_order.h).
#include "editing/sort_order.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "document/char_model.h"

namespace norv::editing {

namespace {

// The first occurrence of `what` in `text` that starts on a character: in a double-byte code
// page a match may begin on a trail byte, which is not an occurrence.
size_t FindAtCharacter(std::string_view text, std::string_view what, int codePage) {
    if (what.empty()) return 0;
    const char* const end = text.data() + text.size();
    // A character can take at most this many bytes after its first.
    const size_t longest = document::IsUtf8CodePage(codePage) ? 3 : 1;
    size_t boundary = 0;  // a character start at or before every position looked at
    size_t from = 0;
    for (;;) {
        const size_t hit = text.find(what, from);
        if (hit == std::string_view::npos) return hit;
        if (hit < boundary) {  // inside the character walked over last time
            from = hit + 1;
            continue;
        }
        // Unless a byte shortly before the hit starts a character reaching over it, the
        // characters from `boundary` end right at the hit: no walk is needed.
        bool reached = false;
        for (size_t j = hit > boundary + longest ? hit - longest : boundary; j < hit && !reached;
             ++j)
            reached = document::CharLength(codePage, text.data() + j, end) > hit - j;
        if (!reached) return hit;
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

// Eight bytes of a key from `at` as a number (big-endian, zero-padded).
uint64_t ChunkOf(std::string_view k, size_t at) {
    uint64_t v = 0;
    if (at >= k.size()) return v;
    const size_t n = std::min<size_t>(k.size() - at, 8);
    for (size_t i = 0; i < n; ++i) v |= uint64_t(static_cast<uint8_t>(k[at + i])) << (56 - 8 * i);
    return v;
}

// A stable sort of n items by their chunks: least significant digit first, eleven bits a pass;
// a pass whose digit is the same for every item is skipped. `other` has room for n items.
void RadixSort(SortItem* items, size_t n, SortItem* other) {
    constexpr int kBits = 11;
    constexpr size_t kBuckets = size_t{1} << kBits;
    constexpr int kPasses = (64 + kBits - 1) / kBits;
    if (n < 2) return;
    std::vector<uint32_t> counts(kBuckets * kPasses, 0);
    for (size_t i = 0; i < n; ++i)
        for (int p = 0; p < kPasses; ++p)
            ++counts[static_cast<size_t>(p) * kBuckets +
                     (items[i].prefix >> (p * kBits) & (kBuckets - 1))];
    SortItem* from = items;
    SortItem* to = other;
    for (int p = 0; p < kPasses; ++p) {
        uint32_t* count = counts.data() + static_cast<size_t>(p) * kBuckets;
        const uint64_t digit = from[0].prefix >> (p * kBits) & (kBuckets - 1);
        if (count[digit] == n) continue;
        uint32_t sum = 0;
        for (size_t b = 0; b < kBuckets; ++b) {
            const uint32_t c = count[b];
            count[b] = sum;
            sum += c;
        }
        for (size_t i = 0; i < n; ++i)
            to[count[from[i].prefix >> (p * kBits) & (kBuckets - 1)]++] = from[i];
        std::swap(from, to);
    }
    if (from != items) std::copy(from, from + n, items);
}

// The order of two keys whose first `at` bytes (zero-padded) are equal: as unsigned bytes, a
// prefix first.
int CompareFrom(std::string_view a, std::string_view b, size_t at) {
    const size_t n = std::min(a.size(), b.size());
    const size_t from = std::min(n, at);
    const int c = n > from ? std::memcmp(a.data() + from, b.data() + from, n - from) : 0;
    if (c != 0) return c;
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

// Sorts items whose keys agree (zero-padded) before byte `at`: by the eight bytes from there,
// and the runs that agree on those too by what follows. Small runs, runs whose keys all end
// before `at`, and runs still together after 64 bytes are sorted by comparing the keys; equal
// keys keep their places.
void SortFrom(SortItem* items, size_t n, SortItem* other, const std::vector<std::string_view>& keys,
              bool descending, size_t at) {
    constexpr size_t kSmall = 256;
    constexpr size_t kDeepest = 64;  // past this, runs are long equal lines: compared whole
    bool longer = false;
    for (size_t i = 0; i < n && !longer; ++i) longer = keys[items[i].index].size() > at;
    for (size_t i = 0; i < n; ++i) {
        // The keys lie in the lines, wherever those are: each is fetched a little ahead.
        if (i + 16 < n) __builtin_prefetch(keys[items[i + 16].index].data() + at);
        const uint64_t chunk = ChunkOf(keys[items[i].index], at);
        items[i].prefix = descending ? ~chunk : chunk;
    }
    if (n <= kSmall || !longer || at >= kDeepest) {
        // By the eight bytes from `at` first: the keys themselves are read only for the rest.
        const auto less = [&](const SortItem& x, const SortItem& y) {
            if (x.prefix != y.prefix) return x.prefix < y.prefix;
            const int c = CompareFrom(keys[x.index], keys[y.index], at + 8);
            if (c != 0) return descending ? c > 0 : c < 0;
            return x.index < y.index;
        };
        // Equal keys (empty ones, repeated lines) are in order already.
        if (!std::is_sorted(items, items + n, less)) std::sort(items, items + n, less);
        return;
    }
    // A radix sort is stable: items of equal chunks stay in the order of their places.
    RadixSort(items, n, other);
    for (size_t i = 0; i < n;) {
        size_t j = i + 1;
        while (j < n && items[j].prefix == items[i].prefix) ++j;
        if (j - i > 1) SortFrom(items + i, j - i, other, keys, descending, at + 8);
        i = j;
    }
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
    // The keys are sorted eight bytes at a time, as numbers (see SortFrom): most keys are
    // placed without comparing the lines themselves.
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
        items.push_back({0, static_cast<uint32_t>(i)});
    }
    if (escape && escape(escapeContext)) return std::nullopt;
    const std::vector<std::string_view>& keys = ownKeys ? cut : texts;
    // Scratch room for the radix passes, written before it is read.
    const std::unique_ptr<SortItem[]> other(new SortItem[n]);
    SortFrom(items.data(), n, other.get(), keys, options.descending, 0);
    std::vector<uint32_t> order;
    order.reserve(n);
    for (const SortItem& item : items) order.push_back(item.index);
    return order;
}

}  // namespace norv::editing
