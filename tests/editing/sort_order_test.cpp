// The order of a sort: against `LC_ALL=C sort -s` (with -r, and -f on ASCII text) on generated
// line sets, against a short reference for compare-after and ignore case in Shift-JIS text
// whose trail bytes look like letters, and the designed cases (with the changed prefix rule).
#include "editing/sort_order.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "../support/temp_dir.h"
#include "outside_tool.h"

namespace norv::editing {
namespace {

std::vector<std::string> Apply(const std::vector<std::string>& lines,
                               const std::vector<uint32_t>& order) {
    std::vector<std::string> out;
    for (uint32_t i : order) out.push_back(lines[i]);
    return out;
}

std::vector<std::string> Sorted(const std::vector<std::string>& lines, SortOrderOptions o) {
    std::vector<std::string_view> v(lines.begin(), lines.end());
    return Apply(lines, *SortOrder(v, o));
}

TEST(SortOrder, AgreesWithStableCSortOnGeneratedLines) {
    norv::testing::TempDir dir;
    std::mt19937 rng(23);
    const std::string alphabet = "aAbB0 ~\x7f\x80\xe9\xff";
    for (int set = 0; set < 150; ++set) {
        std::vector<std::string> lines(1 + rng() % 60);
        for (auto& l : lines) {
            const size_t len = rng() % 6;
            for (size_t i = 0; i < len; ++i) l += alphabet[rng() % alphabet.size()];
        }
        std::string file;
        for (auto& l : lines) file += l + "\n";
        const std::string path = dir.Write("in.txt", file);
        for (int variant = 0; variant < 3; ++variant) {
            SortOrderOptions o;
            o.codePage = 1252;
            o.descending = variant == 1;
            o.ignoreCase = variant == 2;
            std::vector<std::string> input = lines;
            if (o.ignoreCase) {
                // sort -f folds by the locale; on ASCII text that is exactly the rule here.
                for (auto& l : input)
                    l.erase(std::remove_if(l.begin(), l.end(),
                                           [](char c) { return static_cast<uint8_t>(c) >= 0x80; }),
                            l.end());
                std::string ascii;
                for (auto& l : input) ascii += l + "\n";
                dir.Write("in.txt", ascii);
            }
            const char* flags = variant == 0 ? "-s" : variant == 1 ? "-s -r" : "-s -f";
            const std::string expect = norv::editing::testing::RunTool(
                std::string("LC_ALL=C sort ") + flags + " " + norv::editing::testing::Quote(path));
            std::string got;
            for (auto& l : Sorted(input, o)) got += l + "\n";
            ASSERT_EQ(got, expect) << "set " << set << " " << flags;
            if (o.ignoreCase) dir.Write("in.txt", file);
        }
    }
}

// Keys longer than the part compared as a number, with long common starts, NUL and 0xFF bytes
// around the eighth byte and many equal keys: the order is that of a stable sort by unsigned
// bytes, a prefix first, both ways.
TEST(SortOrder, LongKeysAndEqualKeysAgreeWithAStableSort) {
    std::mt19937 rng(29);
    const std::string alphabet("\0a\xff", 3);
    for (int set = 0; set < 120; ++set) {
        // Large sets, so that runs of equal starts are sorted eight bytes at a time, deeper
        // than the first eight.
        const std::string stem(rng() % 40, 'k');
        std::vector<std::string> lines(1 + rng() % (set % 2 ? 3000 : 200));
        for (auto& l : lines) {
            l = stem.substr(0, rng() % (stem.size() + 1));
            for (size_t n = rng() % 4; n > 0; --n) l += alphabet[rng() % alphabet.size()];
        }
        for (bool descending : {false, true}) {
            SortOrderOptions o;
            o.codePage = 932;
            o.descending = descending;
            // Places, not texts: equal keys must keep their order.
            std::vector<uint32_t> expect(lines.size());
            for (uint32_t i = 0; i < expect.size(); ++i) expect[i] = i;
            std::stable_sort(expect.begin(), expect.end(), [&](uint32_t a, uint32_t b) {
                return descending ? lines[b] < lines[a] : lines[a] < lines[b];
            });
            std::vector<std::string_view> v(lines.begin(), lines.end());
            ASSERT_EQ(*SortOrder(v, o), expect) << "set " << set << (descending ? " down" : " up");
        }
    }
}

// The reference: keys cut by a character-wise search, folded character by character, compared
// by std::string's ordering (unsigned bytes, prefix first), insertion-sorted stably.
std::vector<std::string> Reference(const std::vector<std::string>& lines, const std::string* after,
                                   bool ignoreCase, bool descending) {
    auto chars = [](const std::string& s) {
        std::vector<std::string> c;
        for (size_t i = 0; i < s.size();) {
            const auto b = static_cast<uint8_t>(s[i]);
            const size_t n =
                ((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC)) && i + 1 < s.size() ? 2 : 1;
            c.push_back(s.substr(i, n));
            i += n;
        }
        return c;
    };
    auto key = [&](const std::string& s) {
        std::vector<std::string> c = chars(s);
        size_t from = 0;
        if (after) {
            std::vector<std::string> a = chars(*after);
            from = std::string::npos;
            for (size_t i = 0; i + a.size() <= c.size(); ++i)
                if (std::equal(a.begin(), a.end(), c.begin() + static_cast<long>(i))) {
                    from = i + a.size();
                    break;
                }
            if (from == std::string::npos) return std::string();
        }
        std::string k;
        for (size_t i = from; i < c.size(); ++i) {
            std::string ch = c[i];
            if (ignoreCase && ch.size() == 1 && ch[0] >= 'a' && ch[0] <= 'z') ch[0] -= 32;
            k += ch;
        }
        return k;
    };
    std::vector<std::string> out;
    std::vector<std::string> keys;
    for (const std::string& l : lines) {
        const std::string k = key(l);
        size_t at = out.size();
        while (at > 0 && (descending ? keys[at - 1] < k : k < keys[at - 1])) --at;
        out.insert(out.begin() + static_cast<long>(at), l);
        keys.insert(keys.begin() + static_cast<long>(at), k);
    }
    return out;
}

TEST(SortOrder, CompareAfterAndIgnoreCaseReadCharactersNotBytes) {
    // 0x83 0x61 is a double-byte character whose trail byte is 'a'; 0x82 0x3D has '=' as trail.
    const std::vector<std::string> pieces = {"a",        "A",        "b",        "=",
                                             "\x83\x61", "\x82\x3d", "\x83\x41", "\x81\x81"};
    std::mt19937 rng(7);
    const std::string afters[] = {"=", "a", "\x82\x3d"};
    for (int set = 0; set < 2000; ++set) {
        std::vector<std::string> lines(1 + rng() % 12);
        for (auto& l : lines)
            for (size_t i = rng() % 5; i > 0; --i) l += pieces[rng() % pieces.size()];
        SortOrderOptions o;
        o.codePage = 932;
        o.ignoreCase = rng() % 2;
        o.descending = rng() % 2;
        const std::string* after = rng() % 2 ? &afters[rng() % 3] : nullptr;
        o.after = after;
        ASSERT_EQ(Sorted(lines, o), Reference(lines, after, o.ignoreCase, o.descending)) << set;
    }
}

TEST(SortOrder, TheDesignsCasesAndThePrefixRule) {
    SortOrderOptions o;
    o.codePage = 932;
    using V = std::vector<std::string>;
    EXPECT_EQ(Sorted(V{"b", "a", "ab"}, o), (V{"a", "ab", "b"}));
    // A key that is a prefix of another comes first (the old rule kept ab before a).
    EXPECT_EQ(Sorted(V{"ab", "a"}, o), (V{"a", "ab"}));
    const std::string eq = "=";
    o.after = &eq;
    EXPECT_EQ(Sorted(V{"x=3", "y=1", "z"}, o), (V{"z", "y=1", "x=3"}));
    o.after = nullptr;
    // Equal keys keep their order both ways; descending reverses only the comparison.
    o.ignoreCase = true;
    EXPECT_EQ(Sorted(V{"b1", "B", "a", "b", "A"}, o), (V{"a", "A", "B", "b", "b1"}));
    o.descending = true;
    EXPECT_EQ(Sorted(V{"b1", "B", "a", "b", "A"}, o), (V{"b1", "B", "b", "a", "A"}));
    // NUL is an ordinary byte, and bytes compare unsigned.
    o = {};
    EXPECT_EQ(Sorted(V{std::string("a\0c", 3), std::string("a\0b", 3), "\xff", "a"}, o),
              (V{"a", std::string("a\0b", 3), std::string("a\0c", 3), "\xff"}));
}

TEST(SortOrder, EscapeStopsBeforeAnyOrderIsGiven) {
    std::vector<std::string_view> v(10000, "x");
    int polls = 0;
    auto escape = [](void* c) { return ++*static_cast<int*>(c) > 1; };
    EXPECT_FALSE(SortOrder(v, {}, escape, &polls).has_value());
}

}  // namespace
}  // namespace norv::editing
