// Replacing runs of records by the lines of a text in one step.
#include "document/line_splice.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "document/line_list.h"
#include "platform/code_page.h"

namespace norv::document {
namespace {

struct Line {
    std::string text;
    uint8_t flags;
    bool operator==(const Line&) const = default;
};

std::vector<Line> Records(const LineList& l) {
    std::vector<Line> out;
    for (const LineRecord* r = l.first(); r; r = r->next)
        out.push_back({std::string(r->text(), r->contentLength()), r->flags});
    return out;
}

// The links run both ways, the count matches and every record ends in its line feed.
void CheckLinks(const LineList& l) {
    int n = 0;
    const LineRecord* prev = nullptr;
    for (const LineRecord* r = l.first(); r; r = r->next, ++n) {
        ASSERT_EQ(r->prev, prev) << "line " << n + 1;
        ASSERT_GE(r->length, 1u);
        ASSERT_EQ(r->text()[r->length - 1], '\n');
        prev = r;
    }
    ASSERT_EQ(n, l.count());
    ASSERT_EQ(l.last(), prev);
}

void Fill(LineList& l, const std::vector<Line>& lines) {
    l.Reset();
    for (const Line& line : lines) l.AppendContent(line.text.data(), line.text.size(), line.flags);
}

TEST(SpliceLines, ReplacesARunInPlaceAndTellsOfEachRecordThatLeaves) {
    LineHeap heap;
    LineList l(heap);
    Fill(l, {{"one", 0}, {"two", 0}, {"three", 0}, {"four", 0}});
    std::vector<const LineRecord*> gone;
    l.onUnlink = [&](const LineRecord* r) { gone.push_back(r); };
    LineRecord* two = l.first()->next;
    LineRecord* three = two->next;
    SpliceResult s = SpliceLines(l, two, 2, "a\nb\nc", 0, 932, true);
    CheckLinks(l);
    ASSERT_EQ(s.records, 3);
    EXPECT_EQ(s.first, l.first()->next);
    EXPECT_EQ(s.last->next, l.last());
    EXPECT_EQ(gone, (std::vector<const LineRecord*>{two, three}));
    EXPECT_EQ(
        Records(l),
        (std::vector<Line>{
            {"one", 0}, {"a", LF_CHANGED}, {"b", LF_CHANGED}, {"c", LF_CHANGED}, {"four", 0}}));
    // The whole text, and a text ending in a line feed (an empty last line).
    s = SpliceLines(l, l.first(), l.count(), "x\n", 0, 932, false);
    CheckLinks(l);
    EXPECT_EQ(Records(l), (std::vector<Line>{{"x", 0}, {"", 0}}));
    s = SpliceLines(l, l.first(), 2, "", 0, 932, false);
    CheckLinks(l);
    EXPECT_EQ(Records(l), (std::vector<Line>{{"", 0}}));
    EXPECT_EQ(l.first()->prev, nullptr);
    EXPECT_EQ(l.sentinel()->next, l.first());
}

TEST(SpliceLines, NewRecordsTakeNoMoreRoomThanTheirText) {
    LineHeap heap;
    LineList l(heap);
    Fill(l, {{"", 0}});
    std::string text;
    for (int i = 0; i < 20000; ++i) text += std::to_string(i) + "\n";
    const size_t before = heap.BlockCount();
    SpliceLines(l, l.first(), 1, text, 0, 932, true);
    EXPECT_EQ(l.count(), 20001);
    // About 40 bytes a line (header, cell words, text): 20000 lines in a few blocks, where
    // records with room to grow would take several times as many.
    EXPECT_LE(heap.BlockCount() - before, 10u);
}

TEST(SpliceLines, FlagsFollowTheJoinedRunToTheLinesOfTheText) {
    LineHeap heap;
    LineList l(heap);
    // The run's mark and changed bits are kept; its line end comes from its last line.
    Fill(l, {{"a", LF_MARK | LF_EOL_CRLF}, {"b", LF_EOL_LF | LF_FORMATTED}});
    EXPECT_EQ(JoinedFlags(l.first(), 2), LF_MARK | LF_EOL_LF | LF_FORMATTED);
    EXPECT_EQ(JoinedFlags(l.first(), 1), LF_MARK | LF_EOL_CRLF);
    SpliceResult s = SpliceLines(l, l.first(), 2, "x\ny\nz", JoinedFlags(l.first(), 2), 932, false);
    EXPECT_TRUE(s.marksChanged);
    // The mark and line end stay on the first line; the formatted end goes on to the last.
    EXPECT_EQ(Records(l),
              (std::vector<Line>{{"x", LF_MARK | LF_EOL_LF}, {"y", 0}, {"z", LF_FORMATTED}}));
    // An empty first line is broken off at its start: the next line takes everything, the
    // empty one keeps its line end but not the mark.
    Fill(l, {{"a", LF_MARK | LF_EOL_CR | LF_CONTINUED}, {"b", 0}});
    SpliceLines(l, l.first(), 1, "\nq", JoinedFlags(l.first(), 1), 932, false);
    EXPECT_EQ(
        Records(l),
        (std::vector<Line>{{"", LF_EOL_CR}, {"q", LF_MARK | LF_EOL_CR | LF_CONTINUED}, {"b", 0}}));
    // One line for one unmarked line: no bookmark notice is due.
    Fill(l, {{"a", LF_MARK}, {"b", 0}});
    EXPECT_FALSE(SpliceLines(l, l.first(), 1, "c", LF_MARK, 932, false).marksChanged);
    EXPECT_TRUE(SpliceLines(l, l.first(), 2, "c", LF_MARK, 932, false).marksChanged);
}

TEST(SpliceLines, LongLinesGoOnInContinuedRecordsCutBetweenCharacters) {
    LineHeap heap;
    LineList l(heap);
    Fill(l, {{"old", LF_EOL_CRLF | LF_FORMATTED}, {"end", 0}});
    // "a" then three-byte characters: no cut may fall inside one.
    std::string longLine = "a";
    while (longLine.size() < 2 * kMaxLineBytes + 100) longLine += "\xE3\x81\x82";
    const std::string text = "short\n" + longLine;
    SpliceResult s = SpliceLines(l, l.first(), 1, text, JoinedFlags(l.first(), 1),
                                 platform::kCodePageUtf8, true);
    CheckLinks(l);
    ASSERT_EQ(s.records, 4);
    std::vector<Line> got = Records(l);
    EXPECT_EQ(got[0], (Line{"short", LF_EOL_CRLF | LF_CHANGED}));
    std::string joined;
    for (size_t i = 1; i <= 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_LE(got[i].text.size(), kMaxLineBytes - 1);
        // Every piece starts on a character: the first with "a", the rest with a lead byte.
        EXPECT_EQ(static_cast<uint8_t>(got[i].text[0]), i == 1 ? 'a' : 0xE3);
        joined += got[i].text;
    }
    EXPECT_EQ(joined, longLine);
    EXPECT_EQ(got[1].flags, LF_CONTINUED | LF_CHANGED);
    EXPECT_EQ(got[2].flags, LF_CONTINUED | LF_CHANGED);
    EXPECT_EQ(got[3].flags, LF_FORMATTED | LF_CHANGED);
    EXPECT_EQ(got[4], (Line{"end", 0}));
}

TEST(SpliceLines, WithoutMemoryNothingChanges) {
    // Blocks of 1024 bytes, at most four of them: the splice of a long text cannot be made.
    LineHeap heap(1024, 4);
    LineList l(heap);
    Fill(l, {{"one", LF_MARK}, {"two", 0}});
    const std::vector<Line> before = Records(l);
    const size_t cells = heap.LiveCells();
    std::string text;
    for (int i = 0; i < 400; ++i) text += "line of some length\n";
    SpliceResult s = SpliceLines(l, l.first(), 2, text, 0, 932, true);
    EXPECT_EQ(s.first, nullptr);
    EXPECT_EQ(s.records, 0);
    CheckLinks(l);
    EXPECT_EQ(Records(l), before);
    EXPECT_EQ(heap.LiveCells(), cells);
}

// Random runs replaced by random texts, and the replacements taken back, against a model.
TEST(SpliceLines, RandomSplicesAndTheirReversalsMatchAModel) {
    std::mt19937 rng(7);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    auto text = [&](int maxLines) {
        std::string s;
        const int n = pick(1, maxLines);
        for (int i = 0; i < n; ++i) {
            if (i) s += '\n';
            const int len = pick(0, 100) < 3 ? pick(65530, 70000) : pick(0, 12);
            for (int k = 0; k < len; ++k) s += static_cast<char>('a' + pick(0, 25));
        }
        return s;
    };
    for (int round = 0; round < 60; ++round) {
        LineHeap heap;
        LineList l(heap);
        std::vector<Line> model;
        for (int i = pick(1, 8); i > 0; --i)
            model.push_back({text(1).substr(0, 40), static_cast<uint8_t>(pick(0, 255) & 0x5B)});
        Fill(l, model);
        for (int step = 0; step < 12; ++step) {
            SCOPED_TRACE(testing::Message() << "round " << round << " step " << step);
            const int first = pick(1, l.count());
            const int count = pick(1, l.count() - first + 1);
            LineRecord* r = l.LineAt(first);
            std::string removed, flags;
            AppendRunText(r, count, removed, &flags);
            const std::string t = text(5);
            const std::vector<Line> before = Records(l);
            std::vector<const LineRecord*> heard;
            SpliceResult s = SpliceLines(l, r, count, t, JoinedFlags(r, count), 932, true,
                                         [&](LineRecord* q) { heard.push_back(q); });
            CheckLinks(l);
            ASSERT_NE(s.first, nullptr);
            // The hook heard of every new record, in order.
            std::vector<const LineRecord*> linked;
            for (const LineRecord* q = s.first; linked.size() < size_t(s.records); q = q->next)
                linked.push_back(q);
            ASSERT_EQ(heard, linked);
            ASSERT_EQ(linked.back(), s.last);
            // The records hold the text: each line whole or cut into continued records.
            std::vector<Line> got = Records(l);
            ASSERT_EQ(got.size() + static_cast<size_t>(count),
                      before.size() + static_cast<size_t>(s.records));
            const size_t at = static_cast<size_t>(first - 1);
            const size_t n = static_cast<size_t>(count);
            const size_t made = static_cast<size_t>(s.records);
            for (size_t i = 0; i < at; ++i) ASSERT_EQ(got[i], before[i]);
            for (size_t i = 0; i + at + n < before.size(); ++i)
                ASSERT_EQ(got[got.size() - 1 - i], before[before.size() - 1 - i]);
            std::string back;
            AppendRunText(s.first, s.records, back, nullptr);
            std::string logical;
            for (size_t i = 0; i < made; ++i) {
                const Line& line = got[at + i];
                ASSERT_LE(line.text.size(), kMaxLineBytes - 1);
                ASSERT_TRUE(line.flags & LF_CHANGED);
                logical += line.text;
                if (i + 1 < made && !(line.flags & LF_CONTINUED)) logical += '\n';
            }
            ASSERT_EQ(logical, t);
            // Taken back: the old records' text and flags, one record each.
            if (step % 3 == 2) {
                SpliceResult u = SpliceLines(l, s.first, s.records, removed, 0, 932, false);
                ASSERT_EQ(u.records, count);
                LineRecord* q = u.first;
                for (size_t i = 0; i < n; ++i, q = q->next) q->flags = uint8_t(flags[i]);
                ASSERT_EQ(Records(l), before);
            }
        }
    }
}

}  // namespace
}  // namespace norv::document
