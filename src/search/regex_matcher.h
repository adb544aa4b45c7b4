// The matcher: runs a deterministic automaton over characters fed one at a time from one
// start position.
//
// From each state it takes the first edge, in ranked order, whose test matches the character,
// and keeps one pending alternative: a later any-character edge of that state that matches the
// character, or else the first later edge that also matches. A match extends while transitions
// exist and is reported at the first character that has none, if the state reached is accepting.
// When a state has no transition and is not accepting, the matcher falls back to the pending
// alternative and reads again, from that alternative's state, the characters fed after the one it
// was taken on; so every reported match is a real match of the pattern, never a path pieced
// together from two branches. When no alternative is left either, the match is the longest accepted
// run seen in this attempt, if any (so "(ab)+" finds "abab" in "ababa").
//
// The matcher keeps the characters of the attempt in a fixed buffer (its capacity is the
// longest attempt, 256 characters by default) and does not allocate while running. Reading
// again is bounded to four times that capacity per attempt; beyond it alternatives are
// dropped, which can only lose a match, never invent one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "search/regex_automaton.h"

namespace norv::search {

enum class FeedResult : int8_t { kNoMatch = -1, kContinue = 0, kMatch = 1 };

class RegexMatcher {
  public:
    // The automaton must outlive the matcher and not be rebuilt while it is used.
    // useAsciiTables: take ASCII transitions from the states' tables (the same answers as the
    // ranked edge scan; off only to check that).
    explicit RegexMatcher(const Automaton& automaton, size_t maxChars = 256,
                          bool useAsciiTables = true);

    // Starts a new attempt.
    void Reset();

    // Feeds the next character (a folded code, or kEndOfText after the last one). On Match the
    // match is MatchLength() characters long, counted from the start of the attempt; it ends
    // before this character or earlier. A feed beyond maxChars characters gives NoMatch; the
    // caller decides how many characters an attempt may read.
    FeedResult Feed(CharCode c);

    size_t MatchLength() const { return matchLength_; }
    size_t FedCount() const { return fed_; }

  private:
    // Runs the characters from history_[from] to the last one fed.
    FeedResult Run(size_t from);
    // Takes the transition of the current state on c (the character at `index`); false when
    // there is none.
    bool Step(CharCode c, size_t index);

    const Automaton& automaton_;
    bool useAsciiTables_;
    std::vector<CharCode> history_;  // the characters of this attempt, fixed capacity
    size_t fed_ = 0;
    int32_t current_ = -1;
    int32_t pendingState_ = -1;
    size_t pendingIndex_ = 0;  // the character the alternative was taken on
    size_t matchLength_ = 0;
    int32_t lastAccept_ = -1;  // the length of the longest accepted run so far, or -1
    size_t replayBudget_ = 0;  // characters that may still be read again in this attempt
    static constexpr size_t kReplayFactor = 4;
};

}  // namespace norv::search
