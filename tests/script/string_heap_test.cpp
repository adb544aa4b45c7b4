// The string heap: blocks come from the heap region, are reused after release, respect the
// limit, and releasing anything that is not a live block does nothing.
#include "script/string_heap.h"

#include <gtest/gtest.h>

#include <set>

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

}  // namespace
}  // namespace norv::script
