// The block queue of the undo history, against std::deque doing the same.
#include "document/record_queue.h"

#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <random>
#include <string>

#include "document/undo_list.h"

namespace norv::document {
namespace {

// Counts live objects, so that every record made is also destroyed exactly once.
struct Counted {
    static inline int live = 0;
    std::string text;
    explicit Counted(std::string t) : text(std::move(t)) { ++live; }
    Counted(Counted&& o) noexcept : text(std::move(o.text)) { ++live; }
    ~Counted() { --live; }
};

template <size_t N>
void ExpectSame(const RecordQueue<Counted, N>& q, const std::deque<std::string>& model) {
    ASSERT_EQ(q.size(), model.size());
    ASSERT_EQ(q.empty(), model.empty());
    for (size_t i = 0; i < model.size(); ++i) ASSERT_EQ(q[i].text, model[i]) << "at " << i;
    if (!model.empty()) {
        EXPECT_EQ(q.front().text, model.front());
        EXPECT_EQ(q.back().text, model.back());
    }
}

// Seeded random appends, removals at the back and drops at the front, with the undo history's
// pattern (long runs of appends, runs of removals, the front dropped as the total grows) and
// block edges met often by a small block.
template <size_t N>
void RandomAgainstDeque(unsigned seed, int steps) {
    SCOPED_TRACE("seed " + std::to_string(seed) + ", block " + std::to_string(N));
    std::mt19937 rng(seed);
    {
        RecordQueue<Counted, N> q;
        std::deque<std::string> model;
        int next = 0;
        for (int step = 0; step < steps; ++step) {
            const unsigned op = rng() % 16;
            const unsigned run = 1 + rng() % (3 * N);
            if (op < 8) {
                for (unsigned k = 0; k < run; ++k) {
                    // Texts longer than any short-string buffer too, to catch a bad move.
                    std::string t = std::to_string(next++);
                    if (rng() % 4 == 0) t.append(40, 'x');
                    model.push_back(t);
                    q.push_back(Counted(t));
                }
            } else if (op < 12) {
                for (unsigned k = 0; k < run && !model.empty(); ++k) {
                    model.pop_back();
                    q.pop_back();
                }
            } else if (op < 15) {
                for (unsigned k = 0; k < run && !model.empty(); ++k) {
                    model.pop_front();
                    q.pop_front();
                }
            } else {
                model.clear();
                q.clear();
            }
            ExpectSame(q, model);
            ASSERT_EQ(Counted::live, static_cast<int>(model.size()));
            if (::testing::Test::HasFatalFailure()) return;
        }
        // Changed through the index, as the history's tests change a record.
        if (!model.empty()) {
            q[model.size() / 2].text = "changed";
            model[model.size() / 2] = "changed";
            ExpectSame(q, model);
        }
    }
    EXPECT_EQ(Counted::live, 0) << "the queue's destructor frees what it holds";
}

TEST(RecordQueueTest, RandomOperationsMatchDeque) {
    for (unsigned seed = 1; seed <= 20; ++seed) {
        RandomAgainstDeque<1>(seed, 300);
        RandomAgainstDeque<4>(seed, 300);
        RandomAgainstDeque<256>(seed, 60);
    }
}

TEST(RecordQueueTest, BlockEdges) {
    RecordQueue<Counted, 4> q;
    // An oscillation across a block edge (an edit undone and redone there).
    for (int i = 0; i < 4; ++i) q.push_back(Counted(std::to_string(i)));
    for (int i = 0; i < 10; ++i) {
        q.push_back(Counted("e"));
        EXPECT_EQ(q.back().text, "e");
        q.pop_back();
        EXPECT_EQ(q.back().text, "3");
    }
    // The front dropped a whole block at a time while the back grows: the order holds over
    // many block-table compactions.
    std::deque<std::string> model = {"0", "1", "2", "3"};
    for (int i = 4; i < 400; ++i) {
        q.push_back(Counted(std::to_string(i)));
        model.push_back(std::to_string(i));
        if (i % 2 == 0) {
            q.pop_front();
            model.pop_front();
        }
    }
    ExpectSame(q, model);
    // Emptied from the front to nothing, then used again.
    while (!model.empty()) {
        q.pop_front();
        model.pop_front();
    }
    ExpectSame(q, model);
    q.push_back(Counted("again"));
    EXPECT_EQ(q.front().text, "again");
    EXPECT_EQ(q.size(), 1u);
}

TEST(RecordQueueTest, MoveOnlyRecords) {
    RecordQueue<std::unique_ptr<int>, 8> q;
    for (int i = 0; i < 100; ++i) q.push_back(std::make_unique<int>(i));
    for (int i = 0; i < 30; ++i) q.pop_front();
    for (int i = 0; i < 20; ++i) q.pop_back();
    ASSERT_EQ(q.size(), 50u);
    for (size_t i = 0; i < q.size(); ++i) EXPECT_EQ(*q[i], static_cast<int>(30 + i));
}

// A record keeps its four byte strings in one buffer: each comes back apart, whatever the
// lengths, and replacing the text keeps the others.
TEST(UndoRecordTest, PartsComeBackApart) {
    UndoRecord r;
    r.kind = UndoKind::kOverwrite;
    EXPECT_TRUE(r.text().empty() && r.text2().empty() && r.flagsAfter().empty());
    const std::string longText(5000, 'a');
    r.SetContents(std::string(longText), "put", std::string_view("\x01\x00", 2), "\x02\x03\x04");
    EXPECT_EQ(r.text(), longText);
    EXPECT_EQ(r.text2(), "put");
    EXPECT_EQ(r.flagsBefore(), std::string_view("\x01\x00", 2));
    EXPECT_EQ(r.flagsAfter(), "\x02\x03\x04");
    EXPECT_EQ(r.Removed(), longText);
    EXPECT_EQ(r.Inserted(), "put");
    EXPECT_EQ(r.Size(), longText.size() + 3);
    r.SetText("xy");
    EXPECT_EQ(r.text(), "xy");
    EXPECT_EQ(r.text2(), "put");
    EXPECT_EQ(r.flagsBefore(), std::string_view("\x01\x00", 2));
    EXPECT_EQ(r.flagsAfter(), "\x02\x03\x04");
    // A typed character with its line flags, and a copy of it.
    UndoRecord t;
    t.kind = UndoKind::kType;
    t.SetContents("k", {}, "\x01", "\x81");
    const UndoRecord copy = t;
    EXPECT_EQ(copy.Inserted(), "k");
    EXPECT_EQ(copy.Removed(), "");
    EXPECT_EQ(copy.flagsBefore(), "\x01");
    EXPECT_EQ(copy.flagsAfter(), "\x81");
}

}  // namespace
}  // namespace norv::document
