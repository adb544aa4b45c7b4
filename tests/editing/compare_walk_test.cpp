// The Compare walk: the designed cases, and on generated pairs (unique lines, edits at least
// CmpMatch lines apart, hunks shorter than CmpRange) the marked lines are exactly the lines that
// diff reports.
#include "editing/compare_walk.h"

#include <gtest/gtest.h>

#include <random>
#include <set>

#include "../support/temp_dir.h"
#include "outside_tool.h"

namespace norv::editing {
namespace {

using Lines = std::vector<std::string>;

CompareResult Walk(const Lines& a, const Lines& b, CompareLimits limits = {}) {
    std::vector<std::string_view> va(a.begin(), a.end()), vb(b.begin(), b.end());
    return CompareLines(va, vb, limits);
}

using Marks = std::vector<uint32_t>;

TEST(CompareWalk, TheDesignsCases) {
    static const struct {
        const char* name;
        Lines current, target;
        Marks inCurrent, inTarget;
    } kCases[] = {
        {"identical", {"a", "b", "c"}, {"a", "b", "c"}, {}, {}},
        {"one line inserted in the copy",
         {"a", "b", "c", "d", "e"},
         {"a", "b", "X", "c", "d", "e"},
         {},
         {2}},
        {"one line removed from the copy",
         {"a", "b", "X", "c", "d", "e"},
         {"a", "b", "c", "d", "e"},
         {2},
         {}},
        {"a changed line",
         {"a", "b", "X", "c", "d", "e"},
         {"a", "b", "Y", "c", "d", "e"},
         {2},
         {2}},
        {"the target runs out", {"a", "b", "c"}, {"a"}, {1, 2}, {}},
        {"the current text runs out", {"a"}, {"a", "b", "c"}, {}, {1, 2}},
        {"empty lines at a difference are marked",
         {"a", "", "x", "q"},
         {"a", "y", "q"},
         {1, 2},
         {1}},
        {"a changed last line", {"a", "b", "c", "x"}, {"a", "b", "c", "y"}, {3}, {3}},
        {"identical tails after a change", {"x", "a"}, {"y", "a"}, {0}, {0}},
        {"empty documents", {}, {}, {}, {}},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        const CompareResult r = Walk(c.current, c.target);
        EXPECT_EQ(r.current, c.inCurrent);
        EXPECT_EQ(r.target, c.inTarget);
        EXPECT_FALSE(r.stopped);
    }
}

TEST(CompareWalk, TheNearerMatchWinsAndATieGoesByLength) {
    // Removed two lines from the target, or inserted three: the nearer place wins.
    const Lines cur = {"p", "q", "r", "s", "t", "u", "v"};
    const Lines tgt = {"x", "y", "z", "r", "s", "t", "u", "v"};
    const CompareResult r = Walk(cur, tgt);
    EXPECT_EQ(r.current, (Marks{0, 1}));
    EXPECT_EQ(r.target, (Marks{0, 1, 2}));
    // A look-ahead farther than CmpRange finds nothing: the lines are marked pairwise, and
    // what remains of the longer text once the other runs out.
    const CompareResult n = Walk({"a", "k", "l", "m"}, {"b", "c", "d", "a", "k", "l", "m"}, {2, 3});
    EXPECT_EQ(n.current, (Marks{0, 1, 2, 3}));
    EXPECT_EQ(n.target, (Marks{0, 1, 2, 3, 4, 5, 6}));
}

TEST(CompareWalk, EscapeStopsAndKeepsTheMarksSoFar) {
    Lines a, b;
    for (int i = 0; i < 5000; ++i) {
        a.push_back("a" + std::to_string(i));
        b.push_back("b" + std::to_string(i));
    }
    int polls = 0;
    std::vector<std::string_view> va(a.begin(), a.end()), vb(b.begin(), b.end());
    const CompareResult r = CompareLines(va, vb, {}, [&] { return ++polls == 2; });
    EXPECT_TRUE(r.stopped);
    EXPECT_EQ(polls, 2);
    EXPECT_GE(r.current.size(), 1000u);
    EXPECT_LT(r.current.size(), 5000u);
}

// Lines that diff marks on each side (0-based).
std::pair<std::set<uint32_t>, std::set<uint32_t>> DiffMarks(const std::string& a,
                                                            const std::string& b) {
    const std::string out = norv::editing::testing::RunTool(
        "diff --unchanged-line-format= --old-line-format='<%dn\n' --new-line-format='>%dn\n' " +
        norv::editing::testing::Quote(a) + " " + norv::editing::testing::Quote(b));
    std::pair<std::set<uint32_t>, std::set<uint32_t>> m;
    size_t at = 0;
    while (at < out.size()) {
        const size_t nl = out.find('\n', at);
        const uint32_t n = static_cast<uint32_t>(std::stoul(out.substr(at + 1, nl - at - 1))) - 1;
        (out[at] == '<' ? m.first : m.second).insert(n);
        at = nl + 1;
    }
    return m;
}

TEST(CompareWalk, MarksExactlyWhatDiffReportsOnGeneratedPairs) {
    norv::testing::TempDir dir;
    std::mt19937 rng(5);
    int unique = 0;
    for (int pair = 0; pair < 200; ++pair) {
        const CompareLimits limits{10 + static_cast<int>(rng() % 40),
                                   1 + static_cast<int>(rng() % 4)};
        Lines cur, tgt;
        const int n = 20 + static_cast<int>(rng() % 200);
        int sinceEdit = limits.match;
        for (int i = 0; i < n; ++i) {
            const std::string line = "line " + std::to_string(unique++);
            if (sinceEdit >= limits.match && rng() % 8 == 0) {
                sinceEdit = 0;
                const int len =
                    1 +
                    static_cast<int>(rng() % static_cast<unsigned>(std::min(5, limits.range - 1)));
                switch (rng() % 3) {
                    case 0:  // inserted in the target
                        for (int k = 0; k < len; ++k)
                            tgt.push_back("new " + std::to_string(unique++));
                        break;
                    case 1:  // removed from the target
                        for (int k = 0; k < len; ++k)
                            cur.push_back("old " + std::to_string(unique++));
                        break;
                    default:  // changed, the same number of lines
                        for (int k = 0; k < len; ++k) {
                            cur.push_back("was " + std::to_string(unique++));
                            tgt.push_back("now " + std::to_string(unique++));
                        }
                }
            }
            cur.push_back(line);
            tgt.push_back(line);
            ++sinceEdit;
        }
        std::string fa, fb;
        for (auto& l : cur) fa += l + "\n";
        for (auto& l : tgt) fb += l + "\n";
        const auto expect = DiffMarks(dir.Write("a", fa), dir.Write("b", fb));
        const CompareResult r = Walk(cur, tgt, limits);
        EXPECT_EQ(std::set<uint32_t>(r.current.begin(), r.current.end()), expect.first) << pair;
        EXPECT_EQ(std::set<uint32_t>(r.target.begin(), r.target.end()), expect.second) << pair;
    }
}

}  // namespace
}  // namespace norv::editing
