// The line heap, the record list, the deleted-line ring and the line edit buffer.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <list>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "document/debug_dump.h"
#include "document/line_edit_buffer.h"
#include "document/line_list.h"
#include "document/line_stack.h"
#include "support/recording_sink.h"

namespace norv::document {
namespace {

using norv::testing::RecordingSink;

std::string Content(const LineRecord* r) {
    return std::string(r->text(), r->contentLength());
}

std::vector<std::string> Contents(const LineList& l) {
    std::vector<std::string> out;
    for (const LineRecord* r = l.first(); r; r = r->next) out.push_back(Content(r));
    return out;
}

TEST(LineHeap, CellsAreAlignedAndCarvedFromTheFreshCarvingPoint) {
    LineHeap heap;
    EXPECT_EQ(heap.CarvingDistance(), heap.FreshDistance());
    EXPECT_EQ(heap.FreeWords(), heap.BlockWords() - heap.FreshDistance());
    void* a = heap.Allocate(1);
    void* b = heap.Allocate(100);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(a) % 8, 0u);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(b) % 8, 0u);
    // ceil(n / 2) + 1 words at least, so one spare word beyond the request.
    EXPECT_GE(LineHeap::Capacity(a), 4u);
    EXPECT_GE(LineHeap::Capacity(b), 102u);
    EXPECT_EQ(heap.LiveCells(), 2u);
}

TEST(LineHeap, FreeingTheLastCellOfTheCurrentBlockResetsItsCarvingPoint) {
    LineHeap heap;
    void* a = heap.Allocate(40);
    void* b = heap.Allocate(40);
    EXPECT_NE(heap.CarvingDistance(), heap.FreshDistance());
    EXPECT_EQ(heap.Free(a), 1);
    EXPECT_NE(heap.CarvingDistance(), heap.FreshDistance());  // b still lives
    EXPECT_EQ(heap.Free(b), 1);
    EXPECT_EQ(heap.CarvingDistance(), heap.FreshDistance());
    EXPECT_EQ(heap.BlockCount(), 1u);
}

TEST(LineHeap, EmptiedOlderBlocksGoBackAndTheCurrentOneStays) {
    LineHeap heap(1024);
    std::vector<void*> cells;
    while (heap.BlockCount() < 3) cells.push_back(heap.Allocate(200));
    void* last = cells.back();
    for (void* c : cells) {
        if (c != last) {
            EXPECT_EQ(heap.Free(c), 1);
        }
    }
    EXPECT_EQ(heap.BlockCount(), 1u);
    EXPECT_EQ(heap.Free(last), 1);
    EXPECT_EQ(heap.BlockCount(), 1u);
    EXPECT_EQ(heap.CarvingDistance(), heap.FreshDistance());
}

// Every line rewritten into new cells while the old ones go: whole slabs empty out and are
// taken again for new blocks (a few are kept, the rest go back; the sanitizers see any lost).
TEST(LineHeap, SlabsEmptiedByAnEditOfEveryLineServeTheNewCells) {
    LineHeap heap;
    std::vector<void*> cells;
    for (int i = 0; i < 40000; ++i) {
        cells.push_back(heap.Allocate(100));
        std::memset(cells.back(), i & 0xFF, 100);
    }
    const size_t blocks = heap.BlockCount();
    for (int round = 0; round < 3; ++round) {
        for (size_t i = 0; i < cells.size(); ++i) {
            void* grown = heap.Reallocate(cells[i], 140 + static_cast<size_t>(round) * 40);
            ASSERT_NE(grown, nullptr);
            EXPECT_EQ(static_cast<unsigned char*>(grown)[99], static_cast<unsigned char>(i & 0xFF));
            cells[i] = grown;
        }
        EXPECT_EQ(heap.LiveCells(), cells.size());
    }
    EXPECT_GT(heap.BlockCount(), blocks);
    for (void* c : cells) EXPECT_EQ(heap.Free(c), 1);
    EXPECT_EQ(heap.BlockCount(), 1u);
    EXPECT_EQ(heap.LiveCells(), 0u);
}

// A few emptied slabs stay for the next blocks; memory reserved ahead serves the cells that
// follow without another slab, and what was not used goes back.
TEST(LineHeap, EmptiedAndReservedSlabsServeTheNextCells) {
    LineHeap heap;
    const size_t slab = 2u << 20;
    auto fill = [&](size_t bytes) {
        std::vector<void*> cells;
        for (size_t n = 0; n < bytes; n += 256) cells.push_back(heap.Allocate(240));
        return cells;
    };
    std::vector<void*> cells = fill(8 * slab);
    EXPECT_GE(heap.SlabCount(), 8u);
    for (void* c : cells) EXPECT_EQ(heap.Free(c), 1);
    // The current block's slab and four empty ones.
    EXPECT_EQ(heap.SlabCount(), 5u);
    cells = fill(3 * slab);
    EXPECT_EQ(heap.SlabCount(), 5u);
    for (void* c : cells) EXPECT_EQ(heap.Free(c), 1);

    EXPECT_FALSE(heap.Reserve(slab));  // room enough already
    int added = 0;
    while (heap.Reserve(12 * slab)) ++added;
    EXPECT_GE(added, 7);
    const size_t reserved = heap.SlabCount();
    EXPECT_GE(reserved, 12u);
    cells = fill(5 * slab);
    EXPECT_EQ(heap.SlabCount(), reserved);
    heap.TrimSpares();
    EXPECT_LT(heap.SlabCount(), reserved);  // the unused ones, beyond the four kept
    for (void* c : cells) EXPECT_EQ(heap.Free(c), 1);
    heap.TrimSpares();
    EXPECT_EQ(heap.SlabCount(), 5u);
    EXPECT_EQ(heap.LiveCells(), 0u);

    // Small blocks come from plain allocations and reserve the same way.
    LineHeap small(1024);
    while (small.Reserve(64 * 1024 * 4)) {
    }
    const size_t smallSlabs = small.SlabCount();
    std::vector<void*> few;
    for (int i = 0; i < 800; ++i) few.push_back(small.Allocate(200));
    EXPECT_EQ(small.SlabCount(), smallSlabs);
    for (void* c : few) EXPECT_EQ(small.Free(c), 1);
}

TEST(LineHeap, BadFreesAndExhaustionReportStatusSeven) {
    RecordingSink sink;
    LineHeap heap(1024, 1);
    heap.SetStatusSink(&sink);
    void* a = heap.Allocate(16);
    EXPECT_EQ(heap.Free(a), 1);
    // The cell is free now: freeing it again is refused and reported.
    void* b = heap.Allocate(16);
    EXPECT_EQ(heap.Free(b), 1);
    EXPECT_EQ(heap.Free(b), 0);
    EXPECT_EQ(sink.codes, std::vector<int>{7});
    // One block only: a request that does not fit fails with status 7.
    std::vector<void*> cells;
    while (void* c = heap.Allocate(100)) cells.push_back(c);
    EXPECT_EQ(sink.codes.size(), 2u);
    EXPECT_EQ(sink.codes.back(), 7);
}

TEST(LineHeap, ReallocateKeepsContentsAndGrowsOnlyWhenNeeded) {
    LineHeap heap;
    auto* p = static_cast<char*>(heap.Allocate(10));
    std::memcpy(p, "0123456789", 10);
    EXPECT_EQ(heap.Reallocate(p, 11), p);  // the spare word holds it
    auto* q = static_cast<char*>(heap.Reallocate(p, 500));
    ASSERT_NE(q, nullptr);
    EXPECT_NE(q, p);
    EXPECT_EQ(std::string(q, 10), "0123456789");
    EXPECT_EQ(heap.LiveCells(), 1u);
}

TEST(LineList, NewListHasSentinelAndMeasuringStopsAtTheLineFeedOrTheLimit) {
    LineHeap heap;
    LineList l(heap);
    EXPECT_EQ(l.count(), 0);
    EXPECT_EQ(l.first(), nullptr);
    ASSERT_EQ(l.AppendLineFromText("\n", 0), 1);
    EXPECT_EQ(l.count(), 1);
    EXPECT_EQ(l.first()->length, 1);
    EXPECT_EQ(l.first()->prev, nullptr);
    EXPECT_EQ(MeasureLine("ab\ncd", 0), 3u);
    std::string longText(70000, 'x');
    EXPECT_EQ(MeasureLine(longText.c_str(), 0), 65535u);
    ASSERT_EQ(l.AppendLineFromText(longText.c_str(), 0), 1);
    EXPECT_EQ(l.last()->length, 65535);
    EXPECT_EQ(l.last()->text()[65534], '\n');
    std::string exact(65534, 'y');
    exact.push_back('\n');
    ASSERT_EQ(l.AppendLine(exact.data(), exact.size()), 1);
    EXPECT_EQ(l.last()->length, 65535);
}

TEST(LineList, ResizeMovesTheRecordAndRelinksItsNeighbours) {
    LineHeap heap;
    LineList l(heap);
    for (const char* t : {"a\n", "b\n", "c\n"}) l.AppendLine(t, 2);
    LineRecord* b = l.first()->next;
    LineRecord* moved = nullptr;
    l.onRelocate = [&](LineRecord* from, LineRecord* to) {
        EXPECT_EQ(from, b);
        moved = to;
    };
    LineRecord* nb = l.ResizeLine(b, 300);
    ASSERT_NE(nb, nullptr);
    EXPECT_EQ(moved, nb);
    EXPECT_EQ(l.first()->next, nb);
    EXPECT_EQ(nb->next->prev, nb);
    EXPECT_EQ(nb->length, 300);
    EXPECT_EQ(nb->rows, 0);
    // The first line's record can move too: the sentinel then points at its new address.
    l.onRelocate = nullptr;
    LineRecord* na = l.ResizeLine(l.first(), 400);
    EXPECT_EQ(l.sentinel()->next, na);
    EXPECT_EQ(na->prev, nullptr);
}

// A run of lines put in another order in one pass, against unlinking and relinking them: the
// same order both ways along the links, the tail and the count, every record of the run heard.
// A chain of records linked in one step: into an empty list, at the start, in the middle and
// at the end; the links run both ways and the count follows.
TEST(LineList, AChainOfRecordsIsLinkedInOneStep) {
    LineHeap heap;
    LineList l(heap);
    ASSERT_EQ(l.Reset(), 1);
    auto chain = [&](std::vector<std::string> texts) {
        LineRecord* first = nullptr;
        LineRecord* last = nullptr;
        for (const std::string& t : texts) {
            const std::string line = t + "\n";
            LineRecord* r = l.MakeRecord(line.data(), line.size());
            r->prev = last;
            r->next = nullptr;
            (last ? last->next : first) = r;
            last = r;
        }
        return std::pair(first, last);
    };
    auto check = [&](const std::vector<std::string>& want) {
        EXPECT_EQ(Contents(l), want);
        EXPECT_EQ(l.count(), static_cast<int>(want.size()));
        const LineRecord* prev = nullptr;
        for (const LineRecord* r = l.first(); r; prev = r, r = r->next) EXPECT_EQ(r->prev, prev);
        EXPECT_EQ(l.last(), prev);
    };
    auto [a, b] = chain({"c", "d"});
    ASSERT_EQ(l.InsertChainAfter(a, b, 2, nullptr), 1);
    check({"c", "d"});
    auto [c, d] = chain({"a", "b"});
    ASSERT_EQ(l.InsertChainAfter(c, d, 2, l.sentinel()), 1);
    check({"a", "b", "c", "d"});
    auto [e, f] = chain({"x"});
    ASSERT_EQ(l.InsertChainAfter(e, f, 1, l.LineAt(2)), 1);
    check({"a", "b", "x", "c", "d"});
    auto [g, h] = chain({"y", "z"});
    ASSERT_EQ(l.InsertChainAfter(g, h, 2, l.last()), 1);
    check({"a", "b", "x", "c", "d", "y", "z"});
}

TEST(LineList, ReorderRunRelinksTheRunInPlace) {
    std::mt19937 rng(3);
    for (int round = 0; round < 200; ++round) {
        LineHeap heap;
        LineList l(heap);
        const int n = 1 + static_cast<int>(rng() % 9);
        for (int i = 0; i < n; ++i) {
            const std::string t = std::to_string(i) + "\n";
            l.AppendLine(t.data(), t.size());
        }
        std::vector<LineRecord*> all;
        for (LineRecord* r = l.first(); r; r = r->next) all.push_back(r);
        const size_t from = rng() % all.size();
        const size_t count = 1 + rng() % (all.size() - from);
        std::vector<LineRecord*> run(all.begin() + static_cast<long>(from),
                                     all.begin() + static_cast<long>(from + count));
        std::vector<LineRecord*> placed = run;
        std::shuffle(placed.begin(), placed.end(), rng);
        std::vector<const LineRecord*> heard;
        l.onUnlink = [&](const LineRecord* r) { heard.push_back(r); };
        l.ReorderRun(run, placed);
        EXPECT_EQ(heard.size(), count);
        std::vector<LineRecord*> want = all;
        std::copy(placed.begin(), placed.end(), want.begin() + static_cast<long>(from));
        std::vector<LineRecord*> forward, backward;
        for (LineRecord* r = l.first(); r; r = r->next) forward.push_back(r);
        for (LineRecord* r = l.last(); r; r = r->prev) backward.insert(backward.begin(), r);
        EXPECT_EQ(forward, want) << round;
        EXPECT_EQ(backward, want) << round;
        EXPECT_EQ(l.first()->prev, nullptr);
        EXPECT_EQ(l.sentinel()->next, want.front());
        EXPECT_EQ(l.count(), n);
        l.onUnlink = nullptr;
    }
}

// Freeing every line: by emptying the heap when the list holds all its live cells, else one
// record at a time, never touching another list's records.
TEST(LineList, FreeingAllLinesLeavesOtherListsOfTheHeapAlone) {
    LineHeap heap;
    auto a = std::make_unique<LineList>(heap);
    LineList b(heap);
    for (int i = 0; i < 3000; ++i) {
        a->AppendLine("line of a\n", 10);
        b.AppendLine("line of b\n", 10);
    }
    a.reset();  // b's cells are live too: a goes record by record
    EXPECT_EQ(heap.LiveCells(), static_cast<size_t>(b.count()) + 1);
    int n = 0;
    for (const LineRecord* r = b.first(); r; r = r->next, ++n)
        ASSERT_EQ(std::string(r->text(), r->length), "line of b\n");
    EXPECT_EQ(n, 3000);
    EXPECT_EQ(b.Reset(), 1);  // every live cell is b's: the heap is emptied at once
    EXPECT_EQ(heap.LiveCells(), 1u);
    EXPECT_EQ(b.count(), 0);
    EXPECT_EQ(b.AppendLine("again\n", 6), 1);
    EXPECT_EQ(std::string(b.first()->text(), b.first()->length), "again\n");
}

// Random operations on the list against a std::list of strings.
TEST(LineList, ModelOfRandomOperations) {
    LineHeap heap(4096);
    LineList l(heap);
    std::list<std::string> model;
    std::mt19937 rng(12345);
    auto randomText = [&] {
        std::string s(rng() % 40, 'a');
        for (auto& c : s) c = static_cast<char>('a' + rng() % 26);
        return s;
    };
    auto at = [&](size_t i) {
        LineRecord* r = l.first();
        while (i--) r = r->next;
        return r;
    };
    for (int step = 0; step < 4000; ++step) {
        int op = static_cast<int>(rng() % 6);
        size_t n = model.size();
        if (op == 0 || n == 0) {
            std::string t = randomText();
            ASSERT_EQ(l.AppendLine((t + "\n").c_str(), t.size() + 1), 1);
            model.push_back(t);
        } else if (op == 1) {
            size_t i = rng() % n;
            std::string t = randomText();
            ASSERT_EQ(l.NewLineBefore((t + "\n").c_str(), 0, at(i)), 1);
            model.insert(std::next(model.begin(), static_cast<long>(i)), t);
        } else if (op == 2) {
            size_t i = rng() % n;
            LineRecord* r = at(i);
            ASSERT_EQ(l.UnlinkLine(r), 1);
            l.FreeRecord(r);
            model.erase(std::next(model.begin(), static_cast<long>(i)));
        } else if (op == 3) {
            size_t i = rng() % n;
            std::string t = randomText();
            LineRecord* r = at(i);
            LineRecord* nr = l.ResizeLine(r, t.size() + 1);
            ASSERT_NE(nr, nullptr);
            std::memcpy(nr->text(), (t + "\n").c_str(), t.size() + 1);
            *std::next(model.begin(), static_cast<long>(i)) = t;
        } else if (op == 4) {
            // Move a line: unlink it and insert it after another.
            size_t i = rng() % n, j = rng() % n;
            if (i == j) continue;
            LineRecord* r = at(i);
            LineRecord* after = at(j);
            ASSERT_EQ(l.UnlinkLine(r), 1);
            ASSERT_EQ(l.InsertLineAfter(r, after), 1);
            auto it = std::next(model.begin(), static_cast<long>(i));
            std::string t = *it;
            model.erase(it);
            size_t jj = j > i ? j - 1 : j;
            model.insert(std::next(model.begin(), static_cast<long>(jj + 1)), t);
        } else {
            size_t i = rng() % n;
            std::string t = randomText();
            std::string withLf = t + "\n";
            LineRecord* r = l.MakeRecord(withLf.c_str(), withLf.size());
            ASSERT_EQ(l.InsertLineBefore(r, at(i)), 1);
            model.insert(std::next(model.begin(), static_cast<long>(i)), t);
        }
        ASSERT_EQ(l.count(), static_cast<int>(model.size()));
        if (step % 97 == 0 || step == 3999) {
            ASSERT_EQ(Contents(l), std::vector<std::string>(model.begin(), model.end()));
            // Links are consistent both ways, and the first line has no previous line.
            const LineRecord* prev = nullptr;
            for (const LineRecord* r = l.first(); r; r = r->next) {
                ASSERT_EQ(r->prev, prev);
                ASSERT_EQ(r->text()[r->length - 1], '\n');
                prev = r;
            }
            ASSERT_EQ(l.last(), prev);
        }
    }
    l.FreeAllLines();
    EXPECT_EQ(heap.LiveCells(), 0u);
}

TEST(LineStack, KeepsTheLast128LinesAndPopsInReverse) {
    LineHeap heap;
    LineList l(heap);
    LineStack stack(heap);
    l.AppendLine("end\n", 4);
    for (int i = 0; i < 129; ++i) {
        std::string t = std::to_string(i) + "\n";
        stack.Push(l.MakeRecord(t.c_str(), t.size()));
    }
    // The 129th push freed the first line pushed: 1 sentinel + 1 line + 128 in the ring.
    EXPECT_EQ(heap.LiveCells(), 130u);
    for (int i = 128; i >= 1; --i) {
        ASSERT_EQ(stack.Pop(l, l.first()), 1);
        EXPECT_EQ(Content(l.first()), std::to_string(i));
    }
    EXPECT_EQ(stack.Pop(l, l.first()), 0);  // empty ring: nothing changes
    EXPECT_EQ(l.count(), 129);
}

TEST(LineEditBuffer, EditsInTheGapAndWritesBackWithTheChangedMark) {
    LineHeap heap;
    LineList l(heap);
    l.AppendLine("hello\n", 6);
    l.AppendLine("world\n", 6);
    LineEditBuffer buf;
    buf.Load(l.first(), 5);
    EXPECT_FALSE(buf.dirty());
    ASSERT_TRUE(buf.Insert(", there"));
    buf.MoveCaret(0);
    ASSERT_TRUE(buf.Insert(">"));
    EXPECT_EQ(buf.Text(), ">hello, there\n");
    EXPECT_EQ(buf.DeleteAfter(100), 12u);  // never the line feed
    EXPECT_EQ(buf.Text(), ">\n");
    ASSERT_TRUE(buf.Insert("long enough to move the record somewhere else in the heap"));
    LineRecord* r = buf.WriteBack(l, false);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(l.first(), r);
    EXPECT_EQ(Content(r), ">long enough to move the record somewhere else in the heap");
    EXPECT_TRUE(r->flags & LF_CHANGED);
    // While the undo system replays, the mark is not set.
    r->flags = 0;
    buf.Insert("!");
    r = buf.WriteBack(l, true);
    EXPECT_FALSE(r->flags & LF_CHANGED);
}

TEST(LineEditBuffer, JoiningTakesTheNextLinesFormattingAndLineEnd) {
    LineHeap heap;
    LineList l(heap);
    l.AppendLine("ab\n", 3);
    l.AppendLine("cd\n", 3);
    l.first()->flags = LF_EOL_CR | LF_MARK;
    l.first()->next->flags = LF_EOL_CRLF | LF_FORMATTED;
    LineEditBuffer buf;
    buf.Load(l.first(), 2);
    ASSERT_EQ(buf.JoinNext(l), 1);
    EXPECT_EQ(l.count(), 1);
    LineRecord* r = buf.WriteBack(l, false);
    EXPECT_EQ(Content(r), "abcd");
    EXPECT_EQ(r->flags & (LF_EOL_MASK | LF_FORMATTED | LF_MARK),
              LF_EOL_CRLF | LF_FORMATTED | LF_MARK);
    EXPECT_EQ(buf.caret(), 2u);
    EXPECT_EQ(buf.JoinNext(l), 0);  // no next line
}

TEST(LineEditBuffer, SplittingFollowsTheFlagRules) {
    static const struct {
        size_t caret;
        uint8_t flags;
        uint8_t oldFlags, newFlags;  // flags after the split, LF_CHANGED ignored
    } kCases[] = {
        {2, LF_MARK | LF_EOL_LF, LF_MARK | LF_EOL_LF, 0},
        {2, LF_FORMATTED | LF_EOL_CR, LF_EOL_CR, LF_FORMATTED},
        // At the start of the line the new line takes all flags; the empty old one loses the mark.
        {0, LF_MARK | LF_EOL_CRLF, LF_EOL_CRLF, LF_MARK | LF_EOL_CRLF},
        {0, LF_FORMATTED, 0, LF_FORMATTED},
        // A cut made by the loader stays behind the second half.
        {1, LF_CONTINUED, 0, LF_CONTINUED},
    };
    for (const auto& c : kCases) {
        LineHeap heap;
        LineList l(heap);
        l.AppendLine("abcd\n", 5);
        l.first()->flags = c.flags;
        LineEditBuffer buf;
        buf.Load(l.first(), c.caret);
        LineRecord* nr = buf.Split(l, false);
        ASSERT_NE(nr, nullptr);
        EXPECT_EQ(l.count(), 2);
        EXPECT_EQ(nr->rows, 1);
        EXPECT_GE(LineHeap::Capacity(nr), 128u);
        buf.WriteBack(l, false);
        EXPECT_EQ(Content(l.first()), std::string("abcd").substr(0, c.caret));
        EXPECT_EQ(Content(l.first()->next), std::string("abcd").substr(c.caret));
        EXPECT_EQ(l.first()->flags & ~LF_CHANGED, c.oldFlags) << c.caret << " " << int(c.flags);
        EXPECT_EQ(l.first()->next->flags & ~LF_CHANGED, c.newFlags)
            << c.caret << " " << int(c.flags);
    }
}

}  // namespace
}  // namespace norv::document
