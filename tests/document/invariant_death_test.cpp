// The stated invariants of the line store and the undo list are checked where they hold: each
// case corrupts one structure the way a stray write would and expects that check's message.
// The checks are assertions, so these cases need a build with them (the sanitizer build).
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "document/line_edit_buffer.h"
#include "document/line_list.h"
#include "document/undo_list.h"

namespace norv::document {
namespace {

#ifdef NDEBUG
#define NORV_NEEDS_ASSERTS() GTEST_SKIP() << "assertions are compiled out"
#else
#define NORV_NEEDS_ASSERTS() GTEST_FLAG_SET(death_test_style, "threadsafe")
#endif

uint16_t* CellHeader(void* p) {
    return static_cast<uint16_t*>(p) - 2;
}

TEST(InvariantDeathTest, LineHeapCellOutsideItsBlock) {
    NORV_NEEDS_ASSERTS();
    // A cell whose distance word was overwritten so that it names the previous block: that
    // block's marker and live count look right, but the cell cannot lie inside it.
    EXPECT_DEATH(
        {
            LineHeap heap(1024);
            std::vector<void*> cells;
            while (heap.BlockCount() < 2) cells.push_back(heap.Allocate(100));
            uint16_t* first = CellHeader(cells.front());
            uint16_t* second = CellHeader(cells.back());
            const uint16_t* block1 = first - first[0];
            const uint16_t* block2 = second - second[0];
            if (block2 - block1 != static_cast<long>(heap.BlockWords())) std::abort();
            second[0] = static_cast<uint16_t>(second[0] + heap.BlockWords());
            heap.Free(cells.back());
        },
        "a live cell lies inside its block");
    // The capacity word overwritten instead.
    EXPECT_DEATH(
        {
            LineHeap heap(1024);
            void* p = heap.Allocate(40);
            CellHeader(p)[1] = 0xFFF0;
            heap.Free(p);
        },
        "a live cell lies inside its block");
}

TEST(InvariantDeathTest, LineHeapFreeThatTheDesignReportsIsNoAssertion) {
    // A cell freed twice and a pointer of no cell are reported (status 7), not asserted.
    LineHeap heap;
    void* p = heap.Allocate(10);
    void* q = heap.Allocate(10);
    EXPECT_EQ(heap.Free(p), 1);
    EXPECT_EQ(heap.Free(p), 0);
    EXPECT_EQ(heap.Free(q), 1);
}

TEST(InvariantDeathTest, LineListBrokenLink) {
    NORV_NEEDS_ASSERTS();
    LineHeap heap;
    // A line whose `prev` names another line: unlinking it would cut the list elsewhere.
    EXPECT_DEATH(
        {
            LineList list(heap);
            for (const char* t : {"a\n", "b\n", "c\n"}) list.AppendLine(t, 2);
            LineRecord* b = list.first()->next;
            b->prev = b->next;
            list.UnlinkLine(b);
        },
        "the line before links to this one");
    // A `next` cut short: fewer lines are linked than the list counts.
    EXPECT_DEATH(
        {
            LineList list(heap);
            for (const char* t : {"a\n", "b\n", "c\n"}) list.AppendLine(t, 2);
            list.first()->next->next = nullptr;
            list.LineAt(3);
        },
        "the list links as many lines as it counts");
    // Inserting after a line whose successor does not link back.
    EXPECT_DEATH(
        {
            LineList list(heap);
            for (const char* t : {"a\n", "b\n", "c\n"}) list.AppendLine(t, 2);
            LineRecord* a = list.first();
            a->next->prev = nullptr;
            list.InsertLineAfter(list.MakeRecord("x\n", 2), a);
        },
        "the next line links back");
}

TEST(InvariantDeathTest, LineEditBufferGap) {
    NORV_NEEDS_ASSERTS();
    LineHeap heap;
    // A record without its line feed, and one whose length was zeroed: either would leave the
    // buffer without the line feed that ends the gap.
    EXPECT_DEATH(
        {
            LineList list(heap);
            list.AppendLine("abc\n", 4);
            list.first()->text()[3] = 'x';
            LineEditBuffer buf;
            buf.Load(list.first(), 1);
        },
        "the line after the gap ends in its line feed");
    EXPECT_DEATH(
        {
            LineList list(heap);
            list.AppendLine("abc\n", 4);
            list.first()->length = 0;
            LineEditBuffer buf;
            buf.Load(list.first(), 0);
        },
        "the line after the gap ends in its line feed");
}

TEST(InvariantDeathTest, UndoListTotal) {
    NORV_NEEDS_ASSERTS();
    // A record's text grown after it was counted: discarding it would take more bytes off the
    // total than it holds.
    EXPECT_DEATH(
        {
            UndoList undo;
            undo.BeginStep({1, 0}, 0);
            UndoRecord r;
            r.kind = UndoKind::kType;
            r.SetContents("ab", {}, {}, {});
            undo.RecordStep(std::move(r));
            undo.EndStep({1, 2});
            const_cast<UndoRecord&>(undo.at(0)).SetText("abcdef");
            struct : UndoTarget {
                void PlayBack(const UndoRecord&, bool) override {}
                void PlayForward(const UndoRecord&, bool) override {}
                void PlayAgain(const UndoRecord&) override {}
                void AfterReplay(bool) override {}
            } target;
            undo.Undo(target);
            undo.BeginStep({1, 0}, 0);  // discards the redo branch
        },
        "the total counts the bytes of every record");
}

}  // namespace
}  // namespace norv::document
