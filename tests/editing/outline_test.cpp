// The outline of the bookmark list: the level rule and the item texts on fixed cases, then the
// level rule and the nesting against references written from the rule's wording on generated
// headings in Shift-JIS and UTF-8.
//
// The level reference reads the line as code points (decoded first) and follows the rule word by
// word; the nesting reference gives each item the nearest item before it with a smaller level.
#include "editing/outline.h"

#include <gtest/gtest.h>

#include <random>

#include "document/codecs.h"
#include "document/line_list.h"
#include "edit_test_support.h"
#include "platform/code_page.h"

namespace norv::editing {
namespace {

using testing::Enc;

constexpr int kUtf8 = platform::kCodePageUtf8Internal;

int CodePageOf(Enc e) {
    return e == Enc::kUtf8 ? kUtf8 : 932;
}

TEST(Outline, LevelsOfTheDesignsExamplesAndMore) {
    static const struct {
        const char* line;
        int tab;
        int level;
    } kCases[] = {
        {"1.2.3 Title", 8, 3}, {"1. Title", 8, 1}, {"A. Intro", 8, 1},
        {"plain word", 8, 0},  {"\t1.1 x", 4, 6},  {"1 Intro", 8, 0},
        {"1.1 Scope", 8, 2},   {"2 Body", 8, 0},   {"   ", 8, 3},  // only indentation: its width
        {"  \t", 4, 4},                                            // a tab goes to the next stop
        {"1.", 8, 1},                                              // a dot at the end
        {"1.2", 8, 1},                             // no blank after the last component
        {"1.2\tx", 8, 2},                          // a tab counts as the blank
        {"12.345.6 x", 8, 3},  {"a.b.c d", 8, 3},  // letters, one each
        {"ab.c d", 8, 0},                          // two letters are no component
        {"§1.2 x", 8, 2},    // the section sign before a component's first digit
        {"§ 1", 8, 0},       // not before a digit: no component
        {"１．２ x", 8, 0},  // full-width dots are no dots
        {"１.２ x", 8, 2},   // double-byte digits
        {"１2.3 x", 8, 2},   // mixed in one run
        {"第1章", 8, 0},       {"", 8, 0},
    };
    for (Enc e : {Enc::kSjis, Enc::kUtf8}) {
        for (const auto& c : kCases) {
            SCOPED_TRACE(std::string(c.line) + " " + testing::EncName(e));
            EXPECT_EQ(HeadingLevel(testing::Encode(e, c.line), CodePageOf(e), c.tab), c.level);
        }
    }
    // On a code page without double-byte characters the byte of the section sign is no sign.
    EXPECT_EQ(HeadingLevel("\xA7"
                           "1.2 x",
                           1252, 8),
              0);
    EXPECT_EQ(HeadingLevel("1.2 x", 1252, 8), 2);
}

TEST(Outline, ItemTextsDropLeadingBlanksAndAreCutAtWholeCharacters) {
    EXPECT_EQ(ItemText(" \t x y", 932), "x y");
    EXPECT_EQ(ItemText(std::string(127, 'a'), 932), std::string(127, 'a'));
    EXPECT_EQ(ItemText(std::string(300, 'a'), 932), std::string(127, 'a') + "...");
    // A double-byte character across the limit goes whole to the cut.
    const std::string sjis = std::string(126, 'a') + testing::Encode(Enc::kSjis, "漢字");
    EXPECT_EQ(ItemText(sjis, 932), std::string(126, 'a') + "...");
    const std::string utf8 = std::string(125, 'a') + "漢字";
    EXPECT_EQ(ItemText(utf8, kUtf8), std::string(125, 'a') + "...");
    // A lead byte before the line's end is a character of its own.
    EXPECT_EQ(ItemText(std::string(200, 'a') + "\x82", 932), std::string(127, 'a') + "...");
    EXPECT_EQ(ItemText("x\x82", 932), "x\x82");
}

// Lines with their marks, as a document holds them.
struct Lines {
    document::LineHeap heap;
    document::LineList list{heap};
    void Add(std::string_view text, bool marked) {
        list.AppendContent(text.data(), text.size(), marked ? document::LF_MARK : 0);
    }
};

TEST(Outline, TheDesignsNestingAndTheMendedDrops) {
    Lines l;
    for (const char* t : {"1 Intro", "1.1 Scope", "2 Body"}) l.Add(t, true);
    std::vector<OutlineItem> items = BuildOutline(l.list.first(), 932, 8);
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].parent, -1);
    EXPECT_EQ(items[1].parent, 0);  // 1.1 Scope under 1 Intro
    EXPECT_EQ(items[2].parent, -1);
    // A level dropping by more than one closes every deeper sub-list; rising by several opens
    // one sub-list.
    EXPECT_EQ(NestLevels({0, 2, 4, 0}), (std::vector<int>{-1, 0, 1, -1}));
    EXPECT_EQ(NestLevels({0, 4, 2, 3}), (std::vector<int>{-1, 0, 0, 2}));
    EXPECT_EQ(NestLevels({2, 3, 1, 2}), (std::vector<int>{-1, 0, -1, 2}));
    EXPECT_EQ(NestLevels({1, 1, 1}), (std::vector<int>{-1, -1, -1}));
}

TEST(Outline, ItemsOfMarkedLinesWithTextFoundAgainByOrdinal) {
    Lines l;
    l.Add("1 Intro", true);
    l.Add("text", false);
    l.Add("", true);  // an empty marked line has no item
    l.Add("  1.1 Scope", true);
    l.Add("more", false);
    l.Add("2 Body", true);
    std::vector<OutlineItem> items = BuildOutline(l.list.first(), 932, 8);
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[1].line, 4);
    EXPECT_EQ(items[1].ordinal, 2u);
    EXPECT_EQ(items[1].text, "1.1 Scope");
    EXPECT_EQ(items[1].level, 4);
    EXPECT_EQ(LineOfMark(l.list.first(), items[1].ordinal), 4);
    EXPECT_EQ(LineOfMark(l.list.first(), 9), 0);
    EXPECT_EQ(SubtreeEnd(items, 0), 2u);
    EXPECT_EQ(SubtreeEnd(items, 1), 2u);
    EXPECT_EQ(SubtreeEnd(items, 2), 3u);
    EXPECT_EQ(MarkedLinesText(l.list.first(), {0, 3}), "1 Intro\r\n2 Body\r\n");
    EXPECT_EQ(LinesText(l.list.first(), 1, 0),
              "1 Intro\r\ntext\r\n\r\n  1.1 Scope\r\nmore\r\n2 Body\r\n");
    EXPECT_EQ(LinesText(l.list.first(), 4, 6), "  1.1 Scope\r\nmore\r\n");
}

// An outline built again into the items of an earlier one (more items, longer texts, other
// nesting) is the outline built afresh; so is one built into fewer items.
TEST(Outline, BuiltAgainInPlaceEqualsBuiltAfresh) {
    Lines small, large;
    for (const char* t : {"1 Intro", "  1.1 Scope", "2 Body"}) small.Add(t, true);
    for (int i = 0; i < 40; ++i)
        large.Add(std::to_string(i % 3) + "." + std::to_string(i) + " " + std::string(200, 'x'),
                  i % 5 != 0);
    const auto same = [](const std::vector<OutlineItem>& a, const std::vector<OutlineItem>& b) {
        ASSERT_EQ(a.size(), b.size());
        for (size_t i = 0; i < a.size(); ++i) {
            EXPECT_EQ(a[i].line, b[i].line) << i;
            EXPECT_EQ(a[i].ordinal, b[i].ordinal) << i;
            EXPECT_EQ(a[i].level, b[i].level) << i;
            EXPECT_EQ(a[i].parent, b[i].parent) << i;
            EXPECT_EQ(a[i].text, b[i].text) << i;
        }
    };
    std::vector<OutlineItem> items;
    BuildOutline(large.list.first(), 932, 8, items);
    same(items, BuildOutline(large.list.first(), 932, 8));
    BuildOutline(small.list.first(), 932, 8, items);
    same(items, BuildOutline(small.list.first(), 932, 8));
    BuildOutline(large.list.first(), 932, 8, items);
    same(items, BuildOutline(large.list.first(), 932, 8));
    Lines none;
    BuildOutline(none.list.first(), 932, 8, items);
    EXPECT_TRUE(items.empty());
}

// ---- references -------------------------------------------------------------------------------

std::u32string Decode(std::string_view utf8) {
    std::u32string out;
    for (size_t i = 0; i < utf8.size();) {
        const auto b = static_cast<uint8_t>(utf8[i]);
        const size_t n = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
        char32_t c = n == 1 ? b : b & (0x3Fu >> (n - 1));
        for (size_t k = 1; k < n; ++k) c = c << 6 | (static_cast<uint8_t>(utf8[i + k]) & 0x3Fu);
        out.push_back(c);
        i += n;
    }
    return out;
}

bool IsDigit(char32_t c) {
    return (c >= U'0' && c <= U'9') || (c >= U'０' && c <= U'９');
}

// The rule as written: indentation, then components joined by dots.
int ReferenceLevel(const std::u32string& s, int tab) {
    size_t i = 0;
    int level = 0;
    for (; i < s.size() && (s[i] == U' ' || s[i] == U'\t'); ++i)
        level = s[i] == U' ' ? level + 1 : (level / tab + 1) * tab;
    bool dot = false;
    for (;;) {
        if (i + 1 < s.size() && s[i] == U'§' && IsDigit(s[i + 1])) ++i;
        if (i < s.size() && IsDigit(s[i])) {
            while (i < s.size() && IsDigit(s[i])) ++i;
        } else if (i < s.size() && s[i] < 0x80 && std::isalpha(static_cast<int>(s[i]))) {
            ++i;
        } else {
            return level;
        }
        if (i < s.size() && s[i] == U'.') {
            ++level;
            dot = true;
            ++i;
            continue;
        }
        if (i < s.size() && dot && (s[i] == U' ' || s[i] == U'\t')) ++level;
        return level;
    }
}

std::vector<int> ReferenceParents(const std::vector<int>& levels) {
    std::vector<int> out;
    for (size_t i = 0; i < levels.size(); ++i) {
        int p = -1;
        for (size_t j = i; j-- > 0;)
            if (levels[j] < levels[i]) {
                p = static_cast<int>(j);
                break;
            }
        out.push_back(p);
    }
    return out;
}

std::string GeneratedHeading(std::mt19937& rng) {
    auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
    static const char* const kIndent[] = {"", "", " ", "  ", "\t", " \t", "\t\t"};
    static const char* const kComponent[] = {"1", "12", "A",  "b",  "１", "２３", "§1",
                                             "§", "ab", "漢", "ー", "",   "9"};
    static const char* const kAfter[] = {".", ".", " ", "\t", "", "x", "．", "、"};
    static const char* const kTail[] = {"", "Title", "見出し", " more", "1.2"};
    std::string s = kIndent[pick(7)];
    for (int k = pick(5); k >= 0; --k) {
        s += kComponent[pick(13)];
        s += kAfter[pick(8)];
    }
    return s + kTail[pick(5)];
}

TEST(Outline, LevelsAndNestingAgreeWithTheReferencesOnGeneratedHeadings) {
    std::mt19937 rng(20240611);
    for (int round = 0; round < 400; ++round) {
        const Enc e = round % 2 ? Enc::kUtf8 : Enc::kSjis;
        const int tab = 1 + round % 8;
        std::vector<std::string> lines;
        std::vector<int> levels;
        for (int i = 0; i < 30; ++i) {
            const std::string h = GeneratedHeading(rng);
            SCOPED_TRACE(h);
            const int level = HeadingLevel(testing::Encode(e, h), CodePageOf(e), tab);
            ASSERT_EQ(level, ReferenceLevel(Decode(h), tab));
            levels.push_back(level);
        }
        ASSERT_EQ(NestLevels(levels), ReferenceParents(levels));
    }
}

}  // namespace
}  // namespace norv::editing
