// The matcher with its single pending alternative (see regex_matcher.h).
#include "search/regex_matcher.h"

#include <algorithm>

namespace norv::search {

RegexMatcher::RegexMatcher(const Automaton& automaton, size_t maxChars, bool useAsciiTables)
    : automaton_(automaton), useAsciiTables_(useAsciiTables), history_(maxChars) {
    Reset();
}

void RegexMatcher::Reset() {
    fed_ = 0;
    current_ = automaton_.Empty() ? -1 : 0;
    pendingState_ = -1;
    matchLength_ = 0;
    replayBudget_ = kReplayFactor * history_.size();
    lastAccept_ = (current_ >= 0 && automaton_.States()[0].accepting) ? 0 : -1;
}

bool RegexMatcher::Step(CharCode c, size_t index) {
    const DfaState& state = automaton_.States()[static_cast<size_t>(current_)];
    if (useAsciiTables_ && c >= 0 && c < 128) {
        // One matching edge means no alternative to keep; none means no transition.
        int16_t next = state.asciiNext[static_cast<size_t>(c)];
        if (next >= 0) {
            current_ = next;
            return true;
        }
        if (next == kNoEdge) return false;
    }
    const std::vector<CharTest>& tests = automaton_.Tests();
    const size_t n = state.edges.size();
    for (size_t i = 0; i < n; ++i) {
        const CharTest& test = tests[static_cast<size_t>(state.edges[i].test)];
        if (!test.Matches(c)) continue;
        // A later edge over c is kept as the alternative also when the edge taken is the
        // any-character one, so that "abc|.d" still finds "abc".
        for (size_t j = i + 1; j < n; ++j) {
            const CharTest& later = tests[static_cast<size_t>(state.edges[j].test)];
            // An edge into the state being entered anyway is no alternative.
            if (state.edges[j].target == state.edges[i].target || !later.Matches(c)) continue;
            // The alternative must itself be a path over c (an any-character edge does not
            // stand in for a line end); a later any-character edge replaces an earlier one.
            if (later.IsAnyChar() || pendingState_ < 0) {
                pendingState_ = state.edges[j].target;
                pendingIndex_ = index;
            }
        }
        current_ = state.edges[i].target;
        return true;
    }
    return false;
}

FeedResult RegexMatcher::Run(size_t from) {
    size_t k = from;
    while (k < fed_) {
        if (current_ < 0) return FeedResult::kNoMatch;
        if (Step(history_[k], k)) {
            ++k;
            if (automaton_.States()[static_cast<size_t>(current_)].accepting) {
                lastAccept_ = std::max(lastAccept_, static_cast<int32_t>(k));
            }
            continue;
        }
        if (automaton_.States()[static_cast<size_t>(current_)].accepting) {
            matchLength_ = k;
            return FeedResult::kMatch;
        }
        // Reading characters again is bounded per attempt, so that patterns whose edges
        // overlap everywhere stay linear in the text; past the bound no alternative is taken.
        if (pendingState_ >= 0) {
            const size_t again = k - (pendingIndex_ + 1);
            if (again > replayBudget_) {
                pendingState_ = -1;
            } else {
                replayBudget_ -= again;
            }
        }
        if (pendingState_ < 0) {
            current_ = -1;
            if (lastAccept_ < 0) return FeedResult::kNoMatch;
            // The run died past an accepting state: the match is the text up to it.
            matchLength_ = static_cast<size_t>(lastAccept_);
            return FeedResult::kMatch;
        }
        // Resume from the alternative, after the character it was taken on.
        current_ = pendingState_;
        k = pendingIndex_ + 1;
        pendingState_ = -1;
    }
    return FeedResult::kContinue;
}

FeedResult RegexMatcher::Feed(CharCode c) {
    if (current_ < 0 || fed_ >= history_.size()) {
        current_ = -1;
        return FeedResult::kNoMatch;
    }
    history_[fed_++] = c;
    return Run(fed_ - 1);
}

}  // namespace norv::search
