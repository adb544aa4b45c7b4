// Line layout: where rows are cut, how wide they are, and where a column lands.
#include "view/line_layout.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "document/codecs.h"
#include "platform/code_page.h"
#include "support/sjis_text.h"

namespace norv::view {
namespace {

using norv::testing::Sjis;

// The rows of a line as strings (the line feed not shown).
std::vector<std::string> Rows(const LineLayout& layout, const std::string& content) {
    std::string line = content + "\n";
    LineText t(line);
    std::vector<std::string> rows;
    size_t start = 0;
    for (;;) {
        auto next = layout.NextRowStart(t, start);
        rows.push_back(t.Slice(start, next ? *next : t.end()));
        if (!next) break;
        start = *next;
    }
    EXPECT_EQ(static_cast<size_t>(layout.RowCount(t)), rows.size());
    return rows;
}

LayoutOptions Wrap(int w, int tab = 8, bool noWordWrap = false, int cp = 932) {
    LayoutOptions o;
    o.wrapColumn = w;
    o.tabWidth = tab;
    o.noWordWrap = noWordWrap;
    o.codePage = cp;
    return o;
}

TEST(LineLayout, CutsRowsAtTheWrapColumnAndAtBreakOpportunities) {
    const std::string a81(81, 'a');
    std::string blank60 = std::string(59, 'a') + " " + std::string(30, 'b');
    static const struct {
        const char* name;
        LayoutOptions options;
        std::string content;
        std::vector<std::string> rows;
    } kCases[] = {
        {"short line", Wrap(80), "abc", {"abc"}},
        {"empty line", Wrap(80), "", {""}},
        {"81 letters cut after column 80", Wrap(80), a81, {std::string(80, 'a'), "a"}},
        {"word wrap after the blank in column 60",
         Wrap(80),
         blank60,
         {std::string(59, 'a') + " ", std::string(30, 'b')}},
        {"exactly W columns: one row", Wrap(10), "0123456789", {"0123456789"}},
        {"exactly W columns without word wrap: an empty second row",
         Wrap(10, 8, true),
         "0123456789",
         {"0123456789", ""}},
        {"a tab at column 78 reaches 80 and ends the row",
         Wrap(80),
         std::string(78, 'x') + "\ty",
         {std::string(78, 'x') + "\t", "y"}},
        {"a space at the cut hangs in the row", Wrap(5), "abcde fgh", {"abcde ", "fgh"}},
        {"a full stop just after the column hangs", Wrap(5), "abcde.fg", {"abcde.", "fg"}},
        {"two hanging characters go to the next row with the one before",
         Wrap(5),
         "abcde).",
         {"abcd", "e)."}},
        {"an opening bracket starts the next row", Wrap(6), "ab cd(efgh", {"ab cd", "(efgh"}},
        {"a comma is a break opportunity", Wrap(6), "ab,cdefgh", {"ab,", "cdefgh"}},
        {"no word wrap cuts only at the column", Wrap(6, 8, true), "ab cdefgh", {"ab cde", "fgh"}},
        // A zero byte is an ordinary character: the text after it is laid out, not hidden.
        {"a zero byte does not end the line",
         Wrap(4, 8, true),
         std::string("ab\0cdef", 7),
         {std::string("ab\0c", 4), "def"}},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        LineLayout layout(c.options);
        EXPECT_EQ(Rows(layout, c.content), c.rows);
    }
}

TEST(LineLayout, DoubleByteCharactersNeverStartInTheLastColumn) {
    LineLayout layout(Wrap(80));
    // 79 columns of ASCII, then a kanji: it would start in column 79, so it moves down.
    std::string kanji = Sjis("漢");
    std::string line = std::string(79, 'a') + kanji + "b";
    std::vector<std::string> rows = Rows(layout, line);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0], std::string(79, 'a'));
    EXPECT_EQ(rows[1], kanji + "b");
    EXPECT_EQ(layout.RowWidth(LineText(line + "\n"), 0), 79);
}

TEST(LineLayout, JapaneseTextBreaksBetweenAnyTwoCharacters) {
    LineLayout layout(Wrap(6));
    std::vector<std::string> rows = Rows(layout, Sjis("あいうえおか"));
    EXPECT_EQ(rows, (std::vector<std::string>{Sjis("あいう"), Sjis("えおか")}));
    // UTF-8 text: three bytes a character, still two columns.
    LineLayout utf8(Wrap(6, 8, false, 65000));
    EXPECT_EQ(Rows(utf8, "あいうえおか"), (std::vector<std::string>{"あいう", "えおか"}));
}

TEST(LineLayout, EveryRowTakesAtLeastOneCharacter) {
    // Former fault: a wrap column in which a two-column character cannot start made the
    // layout stand still on it.
    for (int w : {1, 2}) {
        SCOPED_TRACE(w);
        LineLayout layout(Wrap(w));
        std::string text = Sjis("漢字") + "ab" + Sjis("か");
        std::vector<std::string> rows = Rows(layout, text);
        EXPECT_GE(rows.size(), 3u);
        std::string joined;
        for (const auto& r : rows) {
            EXPECT_FALSE(r.empty());
            joined += r;
        }
        EXPECT_EQ(joined, text);
    }
    // A full line at column 1 has more rows than 16 bits hold.
    LineLayout one(Wrap(1, 8, true));
    std::string longLine(65534, 'x');
    EXPECT_EQ(one.RowCount(LineText(longLine + "\n")), 65535);
}

TEST(LineLayout, ColumnToPositionStopsBeforeWideCharactersAndTabs) {
    LineLayout layout(Wrap(80, 4));
    std::string line = "a\tb" + Sjis("漢") + "c\n";
    LineText t(line);
    static const struct {
        int column;
        size_t pos;
        int reached;
    } kCases[] = {
        {0, 0, 0}, {1, 1, 1}, {2, 1, 1},   // inside the tab: before it
        {4, 2, 4}, {5, 3, 5}, {6, 3, 5},   // inside the kanji: before it
        {7, 5, 7}, {8, 6, 8}, {50, 6, 8},  // beyond the end: the line end
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.column);
        LineLayout::Position p = layout.ColumnToPosition(t, 0, c.column);
        EXPECT_EQ(p.pos, c.pos);
        EXPECT_EQ(p.column, c.reached);
    }
}

TEST(LineLayout, WrappedRowsKeepTheCaretOnTheirLastCharacter) {
    LineLayout layout(Wrap(4, 8, true));
    std::string line = "abcdefg\n";
    LineText t(line);
    EXPECT_EQ(layout.RowWidth(t, 0), 4);
    EXPECT_EQ(layout.ColumnToPosition(t, 0, 10).pos, 3u);
    EXPECT_EQ(layout.ColumnToPosition(t, 4, 10).pos, 7u);
    LineLayout::Row r = layout.RowOf(t, 4);
    EXPECT_EQ(r.start, 4u);
    EXPECT_EQ(r.index, 1);
    EXPECT_EQ(layout.RowStartAt(t, 1), 4u);
    EXPECT_EQ(layout.ColumnOf(t, 4, 6), 2);
}

TEST(LineLayout, TwoSpansAreOneLine) {
    // The line edit buffer hands the layout the text before and after the gap.
    LineLayout layout(Wrap(4, 8, true));
    std::string whole = "abcdefg\n";
    LineText one(whole);
    LineText two(std::string_view(whole).substr(0, 3), std::string_view(whole).substr(3));
    EXPECT_EQ(layout.RowCount(one), layout.RowCount(two));
    EXPECT_EQ(*layout.NextRowStart(two, 0), 4u);
    EXPECT_EQ(two.Slice(2, 6), "cdef");
}

// Rows far wider than most (a wide wrap column, long words) break where narrow ones do, and
// the tabs of a line are counted across both spans of the edit buffer.
TEST(LineLayout, WideRowsBreakAtTheirBlanksAndTabsCountInBothSpans) {
    for (const int wrap : {100, 127, 128, 129, 300, 1000}) {
        SCOPED_TRACE(wrap);
        const LineLayout layout(Wrap(wrap));
        const std::string first(static_cast<size_t>(wrap) - 10, 'a');
        const std::string second(40, 'b');
        EXPECT_EQ(Rows(layout, first + " " + second),
                  (std::vector<std::string>{first + " ", second}));
        // No break opportunity: cut at the column.
        const std::string solid(static_cast<size_t>(wrap) + 5, 'c');
        EXPECT_EQ(Rows(layout, solid),
                  (std::vector<std::string>{solid.substr(0, size_t(wrap)), "ccccc"}));
        // A double-byte character cannot end the row in its last column: the kanji goes on.
        const std::string kanji = std::string(static_cast<size_t>(wrap) - 1, 'd') + "\x88\x9f";
        EXPECT_EQ(Rows(layout, kanji),
                  (std::vector<std::string>{std::string(size_t(wrap) - 1, 'd'), "\x88\x9f"}));
    }
    // Short of the column in bytes, but the tabs on either side of the gap reach it.
    const LineLayout layout(Wrap(20, 8));
    const std::string whole = "a\tb\tc\td\n";
    for (size_t gap = 0; gap <= whole.size() - 1; ++gap) {
        const LineText two(std::string_view(whole).substr(0, gap),
                           std::string_view(whole).substr(gap));
        EXPECT_EQ(two.Count('\t', two.end()), 3u) << gap;
        EXPECT_FALSE(layout.FitsOneRow(two)) << gap;
        EXPECT_EQ(layout.RowCount(two), 2) << gap;
    }
}

TEST(LineLayout, LeadByteBeforeTheLineFeedIsOneColumn) {
    LineLayout layout(Wrap(80));
    std::string line = "ab\x82\n";
    LineText t(line);
    EXPECT_EQ(layout.CharLen(t, 2), 1u);
    EXPECT_EQ(layout.RowWidth(t, 0), 4);
}

// Short lines take the quick count; it must give what walking the rows gives, at the edge of
// the wrap column too (a line that fills it exactly, tabs that reach it, wide characters).
TEST(LineLayout, RowCountOfShortLinesAgreesWithTheRowWalk) {
    std::mt19937 rng(3);
    const std::string pieces[] = {"a", " ", "\t", "\x88\x9f", "\xb1", "\x81", "\xe3\x81\x82", "("};
    for (int i = 0; i < 20000; ++i) {
        std::string line;
        for (size_t n = rng() % 14; n > 0; --n) line += pieces[rng() % std::size(pieces)];
        const int cp = rng() % 2 ? 932 : platform::kCodePageUtf8Internal;
        const LayoutOptions o =
            Wrap(1 + static_cast<int>(rng() % 20), 1 + static_cast<int>(rng() % 8), rng() % 2, cp);
        const LineLayout layout(o);
        const std::string text = line + "\n";
        const LineText t(text);
        int32_t rows = 1;
        for (size_t start = 0; auto next = layout.NextRowStart(t, start); start = *next) ++rows;
        ASSERT_EQ(layout.RowCount(t), rows) << i;
    }
}

// A line handed over in two parts (the edit buffer's gap anywhere in it): the quick count of
// its tabs, its row count and any slice of it are those of the line in one part.
TEST(LineLayout, ALineInTwoPartsCountsAndSlicesAsOne) {
    std::mt19937 rng(11);
    const std::string pieces[] = {"a", "\t", "\t\t", "\x88\x9f", " "};
    for (int i = 0; i < 3000; ++i) {
        std::string line;
        for (size_t n = rng() % 12; n > 0; --n) line += pieces[rng() % std::size(pieces)];
        const std::string text = line + "\n";
        const LineLayout layout(
            Wrap(1 + static_cast<int>(rng() % 24), 1 + static_cast<int>(rng() % 8), rng() % 2));
        const LineText one(text);
        const size_t gap = rng() % (text.size() + 1);
        const LineText two(std::string_view(text).substr(0, gap),
                           std::string_view(text).substr(gap));
        ASSERT_EQ(layout.FitsOneRow(two), layout.FitsOneRow(one)) << i;
        ASSERT_EQ(layout.RowCount(two), layout.RowCount(one)) << i;
        const size_t from = rng() % (text.size() + 1);
        const size_t to = rng() % (text.size() + 2);
        std::string sliced;
        int parts = 0;
        two.ForSlice(from, to, [&](std::string_view part) {
            EXPECT_FALSE(part.empty());
            sliced.append(part);
            ++parts;
        });
        ASSERT_EQ(sliced, one.Slice(from, to)) << i;
        ASSERT_LE(parts, 2);
    }
}

// The row that holds each position, and that row's start, as walking the rows finds them,
// whether or not the line takes the quick answer for lines that fit one row.
TEST(LineLayout, RowOfAgreesWithTheRowWalkAtEveryPosition) {
    std::mt19937 rng(5);
    const std::string pieces[] = {"a", " ", "\t", "\x88\x9f", "\xb1", "\x81", "\xe3\x81\x82", "("};
    for (int i = 0; i < 5000; ++i) {
        std::string line;
        for (size_t n = rng() % 16; n > 0; --n) line += pieces[rng() % std::size(pieces)];
        const int cp = rng() % 2 ? 932 : platform::kCodePageUtf8Internal;
        const LayoutOptions o =
            Wrap(1 + static_cast<int>(rng() % 20), 1 + static_cast<int>(rng() % 8), rng() % 2, cp);
        const LineLayout layout(o);
        const std::string text = line + "\n";
        const LineText t(text);
        std::vector<size_t> starts = {0};
        for (size_t start = 0; auto next = layout.NextRowStart(t, start); start = *next)
            starts.push_back(*next);
        if (layout.FitsOneRow(t)) ASSERT_EQ(starts.size(), 1u) << i;
        for (size_t pos = 0; pos <= t.end(); ++pos) {
            size_t index = 0;
            while (index + 1 < starts.size() && starts[index + 1] <= pos) ++index;
            const LineLayout::Row r = layout.RowOf(t, pos);
            ASSERT_EQ(r.index, static_cast<int32_t>(index)) << i << " at " << pos;
            ASSERT_EQ(r.start, starts[index]) << i << " at " << pos;
        }
    }
}

TEST(CharSet, HoldsSingleBytesAndShiftJisPairs) {
    CharSet s(")]", Sjis("」、") + "x");
    EXPECT_TRUE(s.Contains(')'));
    EXPECT_FALSE(s.Contains('x'));
    EXPECT_TRUE(s.Contains(0x8176));  // 」
    EXPECT_TRUE(s.Contains(0x8141));  // 、
    EXPECT_FALSE(s.Contains(0x8140));
    // A UTF-8 character is looked up by its Shift-JIS code.
    std::string u = "」\n";
    EXPECT_EQ(CharCode(65000, LineText(u), 0, 3), 0x8176);
}

}  // namespace
}  // namespace norv::view
