// The automata of a regular expression: a Thompson construction turns the pattern's tree into
// a nondeterministic automaton, and a subset construction turns that into the deterministic
// automaton the matcher runs.
//
// Edges of a deterministic state are grouped by test equality, not split into disjoint
// character classes, so two edges of one state may both match a character (say 'i' and
// [A-Z]). The edges are therefore ranked: edges whose first-edge chain reaches a state without
// edges come first (shorter chains first), edges that lead into loops last; the matcher takes
// the first matching edge and keeps one alternative.
//
// Both automata have fixed budgets (128 and 100 states by default); a pattern that needs more
// is refused, never allowed to overrun.
#pragma once

#include <array>
#include <bitset>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "search/regex_parser.h"

namespace norv::search {

inline constexpr size_t kMaxNfaStateCapacity = 128;  // the width of a state set

struct AutomatonLimits {
    size_t nfaStates = 128;  // at most kMaxNfaStateCapacity
    size_t dfaStates = 100;
    size_t nfaEdges = 1 << 16;  // a bound on the work of patterns with huge alternations
};

enum class BuildStatus : uint8_t { kOk, kTooManyNfaStates, kTooManyDfaStates, kTooManyEdges };

struct DfaEdge {
    int32_t test;    // index into Automaton::tests
    int32_t target;  // deterministic state
};

inline constexpr int16_t kNoEdge = -1;
inline constexpr int16_t kSeveralEdges = -2;

struct DfaState {
    std::bitset<kMaxNfaStateCapacity> members;
    bool accepting = false;
    std::vector<DfaEdge> edges;  // ranked
    // For each ASCII code: the target of the only edge that matches it, kNoEdge, or
    // kSeveralEdges when the ranked scan (and its alternative) must decide.
    std::array<int16_t, 128> asciiNext{};
};

class Automaton {
  public:
    explicit Automaton(AutomatonLimits limits = {});

    // Builds both automata from a tree; on failure the automaton is empty.
    BuildStatus Build(const PatternTree& tree);

    void Clear() {
        tests_.clear();
        states_.clear();
        nfaStateCount_ = 0;
    }
    bool Empty() const { return states_.empty(); }
    const std::vector<DfaState>& States() const { return states_; }
    const std::vector<CharTest>& Tests() const { return tests_; }
    size_t NfaStateCount() const { return nfaStateCount_; }

    // One line per state: "0* a->1 [b-d]->2" (a star marks accepting states).
    std::string Dump(TextEncoding encoding) const;

  private:
    AutomatonLimits limits_;
    std::vector<CharTest> tests_;  // distinct tests; edges refer to them by index
    std::vector<DfaState> states_;
    size_t nfaStateCount_ = 0;
};

}  // namespace norv::search
