// The handle table of a document against a plain model: many lines named, forgotten and moved
// in random order (the table grows and closes the gaps that forgetting leaves), every handle
// finding its line or nothing, and no handle ever naming a second line.
#include "document/line_handles.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <vector>

namespace norv::document {
namespace {

TEST(LineHandles, AgreeWithAModelThroughGrowthForgettingAndMoves) {
    std::vector<LineRecord> cells(30000);  // the records; only their addresses are used
    std::vector<const LineRecord*> linked;
    for (size_t i = 0; i < 3000; ++i) linked.push_back(&cells[i]);
    size_t nextFree = 3000;  // cells not used yet (never one that held a line)

    LineHandles table;
    std::map<const LineRecord*, uint32_t> model;
    std::set<uint32_t> given;            // every handle ever given out
    std::map<uint32_t, bool> forgotten;  // handles whose line left

    uint32_t seed = 7;
    auto next = [&] { return seed = seed * 1664525u + 1013904223u; };
    for (int step = 0; step < 60000; ++step) {
        const uint32_t r = next();
        const size_t k = (r >> 8) % linked.size();
        const LineRecord* rec = linked[k];
        switch (r % 5) {
            case 0:
            case 1: {  // named (again)
                const uint32_t h = table.HandleOf(rec);
                ASSERT_NE(h, 0u);
                auto it = model.find(rec);
                if (it != model.end()) {
                    ASSERT_EQ(h, it->second) << "a line keeps its handle";
                } else {
                    ASSERT_TRUE(given.insert(h).second) << "a handle is given out once";
                    model[rec] = h;
                }
                break;
            }
            case 2: {  // the line leaves the document; another takes its place in the list
                table.Forget(rec);
                if (auto it = model.find(rec); it != model.end()) {
                    forgotten[it->second] = true;
                    model.erase(it);
                }
                if (nextFree < cells.size()) linked[k] = &cells[nextFree++];
                break;
            }
            case 3: {  // the line moves to another cell and keeps its handle
                if (nextFree >= cells.size()) break;
                LineRecord* to = &cells[nextFree++];
                table.Moved(rec, to);
                if (auto it = model.find(rec); it != model.end()) {
                    model[to] = it->second;
                    model.erase(it);
                }
                linked[k] = to;
                break;
            }
            default: {  // a handle out of the blue
                const uint32_t h = (r >> 4) % (given.size() + 50) + 1;
                LineRecord* found = table.Find(h);
                if (found != nullptr) {
                    auto it = model.find(found);
                    ASSERT_NE(it, model.end());
                    ASSERT_EQ(it->second, h);
                }
                break;
            }
        }
    }
    ASSERT_EQ(table.size(), model.size());
    for (const auto& [rec, h] : model) {
        EXPECT_EQ(table.Find(h), rec);
        EXPECT_EQ(table.HandleOf(rec), h);
    }
    for (const auto& [h, gone] : forgotten)
        if (gone) EXPECT_EQ(table.Find(h), nullptr) << h;
    EXPECT_EQ(table.Find(0), nullptr);
    EXPECT_EQ(table.HandleOf(nullptr), 0u);

    table.Clear();
    EXPECT_EQ(table.size(), 0u);
    for (const auto& [rec, h] : model) EXPECT_EQ(table.Find(h), nullptr);
}

// Room made before the first handle, and asked for again once handles are out (then nothing
// changes): records side by side, as a loaded document has them, each found by its handle and
// its handle by it, through forgetting every other one.
TEST(LineHandles, ReservedRoomHoldsRecordsSideBySide) {
    std::vector<LineRecord> cells(20000);
    LineHandles table;
    table.Reserve(cells.size());
    std::vector<uint32_t> handles;
    for (size_t i = 0; i < cells.size(); ++i) {
        handles.push_back(table.HandleOf(&cells[i]));
        if (i == 100) table.Reserve(1);
    }
    for (size_t i = 0; i < cells.size(); i += 2) table.Forget(&cells[i]);
    for (size_t i = 0; i < cells.size(); ++i) {
        EXPECT_EQ(table.Find(handles[i]), i % 2 ? &cells[i] : nullptr) << i;
        if (i % 2) EXPECT_EQ(table.HandleOf(&cells[i]), handles[i]) << i;
    }
    EXPECT_EQ(table.size(), cells.size() / 2);
    EXPECT_EQ(table.Find(0xFFFFFFFFu), nullptr);
}

}  // namespace
}  // namespace norv::document
