// Thompson construction, subset construction and edge ranking (see regex_automaton.h).
#include "search/regex_automaton.h"

#include <algorithm>
#include <cassert>
#include <cstdint>

namespace norv::search {
namespace {

using StateSet = std::bitset<kMaxNfaStateCapacity>;

constexpr int32_t kEmptyTest = -1;  // the test index of an empty move
constexpr int kLoopRank = 1025;
constexpr int kMaxRankSteps = 1024;

struct NfaEdge {
    int32_t test;  // kEmptyTest for an empty move
    int32_t target;
};

// Thompson construction. States 0 and 1 are the start and final state.
class NfaBuilder {
  public:
    NfaBuilder(const PatternTree& tree, std::vector<CharTest>& tests, const AutomatonLimits& limits)
        : tree_(tree), tests_(tests), limits_(limits) {}

    BuildStatus Build(std::vector<std::vector<NfaEdge>>& states) {
        int32_t start = NewState();
        int32_t final = NewState();
        Connect(tree_.root, start, final);
        states = std::move(states_);
        return status_;
    }

  private:
    int32_t NewState() {
        if (states_.size() >= limits_.nfaStates) {
            if (status_ == BuildStatus::kOk) status_ = BuildStatus::kTooManyNfaStates;
            return -1;
        }
        states_.emplace_back();
        return static_cast<int32_t>(states_.size() - 1);
    }

    void AddEdge(int32_t from, int32_t test, int32_t to) {
        if (++edgeCount_ > limits_.nfaEdges) {
            if (status_ == BuildStatus::kOk) status_ = BuildStatus::kTooManyEdges;
            return;
        }
        states_[static_cast<size_t>(from)].push_back(NfaEdge{test, to});
    }

    // Tests are kept once each, so that equal tests have equal indices.
    int32_t InternTest(const CharTest& test) {
        if (test.IsEmptyMove()) return kEmptyTest;
        for (size_t i = 0; i < tests_.size(); ++i) {
            if (tests_[i] == test) return static_cast<int32_t>(i);
        }
        tests_.push_back(test);
        return static_cast<int32_t>(tests_.size() - 1);
    }

    // Edges from s to t that read node n.
    void Connect(int32_t n, int32_t s, int32_t t) {
        if (status_ != BuildStatus::kOk) return;
        if (n == kNoNode) {
            AddEdge(s, kEmptyTest, t);
            return;
        }
        const TreeNode& node = tree_.nodes[static_cast<size_t>(n)];
        switch (node.type) {
            case NodeType::kLeaf:
                AddEdge(s, InternTest(tree_.tests[static_cast<size_t>(node.test)]), t);
                return;
            case NodeType::kConcatenation: {
                int32_t m = NewState();
                if (m < 0) return;
                Connect(node.left, s, m);
                Connect(node.right, m, t);
                return;
            }
            case NodeType::kAlternation:
                Connect(node.left, s, t);
                Connect(node.right, s, t);
                return;
            case NodeType::kClosure: {
                int32_t b = NewState();
                int32_t c = NewState();
                if (b < 0 || c < 0) return;
                AddEdge(s, kEmptyTest, b);
                Connect(node.left, b, c);
                AddEdge(c, kEmptyTest, b);
                AddEdge(b, kEmptyTest, t);
                return;
            }
            case NodeType::kEmpty:
                AddEdge(s, kEmptyTest, t);
                return;
        }
    }

    const PatternTree& tree_;
    std::vector<CharTest>& tests_;
    const AutomatonLimits& limits_;
    std::vector<std::vector<NfaEdge>> states_;
    size_t edgeCount_ = 0;
    BuildStatus status_ = BuildStatus::kOk;
};

void CloseOverEmptyMoves(const std::vector<std::vector<NfaEdge>>& nfa, StateSet& set) {
    std::vector<int32_t> work;
    for (size_t i = 0; i < nfa.size(); ++i) {
        if (set.test(i)) work.push_back(static_cast<int32_t>(i));
    }
    while (!work.empty()) {
        int32_t s = work.back();
        work.pop_back();
        for (const NfaEdge& e : nfa[static_cast<size_t>(s)]) {
            if (e.test == kEmptyTest && !set.test(static_cast<size_t>(e.target))) {
                set.set(static_cast<size_t>(e.target));
                work.push_back(e.target);
            }
        }
    }
}

// The rank of an edge into `target`: the length of the first-edge chain from it to a state
// without edges, or kLoopRank for a chain that loops (a state whose first edge leads back to
// itself, or more than kMaxRankSteps steps).
int RankOf(const std::vector<DfaState>& states, int32_t target) {
    int count = 0;
    int32_t s = target;
    while (true) {
        const std::vector<DfaEdge>& edges = states[static_cast<size_t>(s)].edges;
        if (edges.empty()) return count;
        if (edges.front().target == s) return kLoopRank;
        s = edges.front().target;
        if (++count > kMaxRankSteps) return kLoopRank;
    }
}

}  // namespace

Automaton::Automaton(AutomatonLimits limits) : limits_(limits) {
    assert(limits_.nfaStates <= kMaxNfaStateCapacity && "state sets are 128 bits wide");
    limits_.nfaStates = std::min(limits_.nfaStates, kMaxNfaStateCapacity);
    limits_.dfaStates = std::min<size_t>(limits_.dfaStates, INT16_MAX);  // asciiNext holds int16
}

BuildStatus Automaton::Build(const PatternTree& tree) {
    Clear();

    std::vector<std::vector<NfaEdge>> nfa;
    BuildStatus status = NfaBuilder(tree, tests_, limits_).Build(nfa);
    if (status != BuildStatus::kOk) {
        tests_.clear();
        return status;
    }
    nfaStateCount_ = nfa.size();
    const size_t kFinal = 1;

    std::vector<DfaState> dfa;
    auto addState = [&](const StateSet& set) -> int32_t {
        for (size_t i = 0; i < dfa.size(); ++i) {
            if (dfa[i].members == set) return static_cast<int32_t>(i);
        }
        if (dfa.size() >= limits_.dfaStates) return -1;
        DfaState d;
        d.members = set;
        d.accepting = set.test(kFinal);
        dfa.push_back(std::move(d));
        return static_cast<int32_t>(dfa.size() - 1);
    };

    StateSet start;
    start.set(0);
    CloseOverEmptyMoves(nfa, start);
    addState(start);

    struct Group {
        int32_t test;
        StateSet targets;
    };
    std::vector<Group> groups;  // in order of creation
    // States are numbered in creation order, so "unprocessed" is everything from `next` on.
    for (size_t next = 0; next < dfa.size(); ++next) {
        groups.clear();
        for (size_t m = 0; m < nfa.size(); ++m) {
            if (!dfa[next].members.test(m)) continue;
            for (const NfaEdge& e : nfa[m]) {
                if (e.test == kEmptyTest) continue;
                auto g = std::find_if(groups.begin(), groups.end(),
                                      [&](const Group& x) { return x.test == e.test; });
                if (g == groups.end()) {
                    groups.push_back(Group{e.test, {}});
                    g = groups.end() - 1;
                }
                g->targets.set(static_cast<size_t>(e.target));
            }
        }
        // The newest group is handled first and each edge goes to the front of the list, so
        // the edges end up in the order their groups were formed.
        std::vector<DfaEdge> edges(groups.size());
        for (size_t k = groups.size(); k-- > 0;) {
            StateSet set = groups[k].targets;
            CloseOverEmptyMoves(nfa, set);
            int32_t target = addState(set);
            if (target < 0) {
                tests_.clear();
                return BuildStatus::kTooManyDfaStates;
            }
            edges[k] = DfaEdge{groups[k].test, target};
        }
        dfa[next].edges = std::move(edges);
    }

    // Edge ranking, state by state; a later state's ranks see the earlier states' new order.
    std::vector<std::pair<int, DfaEdge>> ranked;
    for (DfaState& state : dfa) {
        ranked.clear();
        for (const DfaEdge& e : state.edges) ranked.emplace_back(RankOf(dfa, e.target), e);
        std::stable_sort(ranked.begin(), ranked.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        for (size_t i = 0; i < ranked.size(); ++i) state.edges[i] = ranked[i].second;
    }
    for (DfaState& state : dfa) {
        for (CharCode c = 0; c < 128; ++c) {
            int16_t next = kNoEdge;
            for (const DfaEdge& e : state.edges) {
                if (!tests_[static_cast<size_t>(e.test)].Matches(c)) continue;
                next = next == kNoEdge ? static_cast<int16_t>(e.target) : kSeveralEdges;
            }
            state.asciiNext[static_cast<size_t>(c)] = next;
        }
    }
    states_ = std::move(dfa);
    return BuildStatus::kOk;
}

std::string Automaton::Dump(TextEncoding encoding) const {
    std::string out;
    for (size_t i = 0; i < states_.size(); ++i) {
        out += std::to_string(i);
        if (states_[i].accepting) out += "*";
        for (const DfaEdge& e : states_[i].edges) {
            out.append(1, ' ').append(tests_[static_cast<size_t>(e.test)].Describe(encoding));
            out.append("->").append(std::to_string(e.target));
        }
        out += "\n";
    }
    return out;
}

}  // namespace norv::search
