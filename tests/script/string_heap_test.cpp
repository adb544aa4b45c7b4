// The string heap: blocks come from the heap region, are reused after release, respect the
// limit, and releasing anything that is not a live block does nothing.
#include "script/string_heap.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <utility>

#include "script/address_space.h"

namespace norv::script {
namespace {

TEST(ScriptStringHeap, BlocksAreDisjointAndInsideTheRegion) {
    StringHeap heap(1u << 16);
    std::set<uint32_t> seen;
    for (uint32_t size : {1u, 15u, 16u, 17u, 100u, 1000u, 3u}) {
        const uint32_t a = heap.Allocate(size, 0);
        ASSERT_NE(a, 0u) << size;
        ASSERT_NE(heap.Find(a), nullptr);
        EXPECT_GE(heap.Find(a)->capacity, size);
        EXPECT_TRUE(heap.Contains(a, heap.Find(a)->capacity));
        EXPECT_EQ(*heap.At(a), 0) << "a new block reads as the empty string";
        for (uint32_t other : seen) {
            const uint32_t oc = heap.Find(other)->capacity;
            EXPECT_TRUE(a + heap.Find(a)->capacity <= other || other + oc <= a);
        }
        seen.insert(a);
    }
    EXPECT_EQ(heap.liveCount(), seen.size());
}

TEST(ScriptStringHeap, ReleasedBlocksAreReusedAndForeignAddressesIgnored) {
    StringHeap heap(1u << 16);
    const uint32_t a = heap.Allocate(20, 0);
    const uint32_t used = heap.used();
    EXPECT_FALSE(heap.Free(a + 1));
    EXPECT_FALSE(heap.Free(heap.empty()));
    EXPECT_FALSE(heap.Free(kDataBase));
    EXPECT_FALSE(heap.Free(0));
    EXPECT_TRUE(heap.Free(a));
    EXPECT_FALSE(heap.Free(a)) << "a second release does nothing";
    EXPECT_EQ(heap.Allocate(30, 1), a) << "same size class";
    EXPECT_EQ(heap.used(), used);
}

TEST(ScriptStringHeap, LimitIsKept) {
    StringHeap heap(4096);
    EXPECT_EQ(heap.Allocate(5000, 0), 0u);
    uint32_t n = 0;
    while (heap.Allocate(100, 0) != 0) ++n;
    EXPECT_GT(n, 0u);
    EXPECT_LE(heap.used(), 4096u);
    EXPECT_EQ(heap.Allocate(0x90000000u, 0), 0u);
}

TEST(ScriptStringHeap, OnlyBlockStartsAreBlocksAndClearStartsAfresh) {
    StringHeap heap(1u << 20);
    const uint32_t big = heap.Allocate(1000, 0);  // 1024 bytes
    const uint32_t small = heap.Allocate(10, 0);
    ASSERT_NE(big, 0u);
    ASSERT_NE(small, 0u);
    // Inside a block, even where another block could start, is not a block.
    for (uint32_t off = 8; off < 1024; off += 8) EXPECT_EQ(heap.Find(big + off), nullptr) << off;
    EXPECT_FALSE(heap.Free(big + 16));
    EXPECT_EQ(heap.Find(heap.empty()), nullptr);
    EXPECT_EQ(heap.Find(big + (1u << 20)), nullptr) << "past the used arena";
    heap.Find(small)->level = kOwnedByVariable;
    EXPECT_EQ(heap.Find(small)->level, kOwnedByVariable);
    EXPECT_EQ(heap.Find(small)->capacity, 16u);
    std::memset(heap.At(big), 'x', 1024);
    EXPECT_EQ(heap.liveCount(), 2u);

    heap.Clear();
    EXPECT_EQ(heap.liveCount(), 0u);
    EXPECT_EQ(heap.Find(big), nullptr);
    EXPECT_EQ(heap.Find(small), nullptr);
    const uint32_t again = heap.Allocate(1000, 0);
    EXPECT_EQ(again, big) << "the arena is used from its start again";
    for (uint32_t i = 0; i < 1024; ++i) ASSERT_EQ(heap.At(again)[i], 0) << i;
    EXPECT_EQ(heap.Find(small), nullptr) << "not given out again yet";
}

TEST(ScriptStringHeap, ManyBlocksOfMixedSizesKeepTheirRecords) {
    StringHeap heap(64u << 20);
    std::vector<std::pair<uint32_t, uint32_t>> live;  // address, size asked
    uint32_t seed = 1;
    for (int i = 0; i < 20000; ++i) {
        seed = seed * 1103515245u + 12345u;
        const uint32_t size = 1 + (seed >> 16) % 300;
        if (!live.empty() && (seed & 3) == 0) {
            const size_t k = (seed >> 8) % live.size();
            ASSERT_TRUE(heap.Free(live[k].first));
            live[k] = live.back();
            live.pop_back();
            continue;
        }
        const uint32_t a = heap.Allocate(size, i);
        ASSERT_NE(a, 0u);
        live.emplace_back(a, size);
    }
    EXPECT_EQ(heap.liveCount(), live.size());
    for (const auto& [a, size] : live) {
        const StringHeap::Block* b = heap.Find(a);
        ASSERT_NE(b, nullptr);
        EXPECT_GE(b->capacity, size);
        EXPECT_EQ(b->capacity & (b->capacity - 1), 0u);
    }
}

}  // namespace
}  // namespace norv::script
