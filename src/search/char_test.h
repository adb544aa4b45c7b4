// Character tests: the labels of the leaves of a pattern's tree and of the automata's edges.
//
// A test is one character (or any character but the line end, or the empty move), a set, or a
// range, each of the last two possibly negated. Negated tests match the line end, so that a
// pattern such as [^,]+ runs on into the next line. Two tests are equal when kind and contents
// are equal; the subset construction groups edges by this equality.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "search/char_reader.h"

namespace norv::search {

inline constexpr CharCode kAnyChar = -2;    // any character except the line end
inline constexpr CharCode kEmptyMove = -1;  // an epsilon edge; matches no character
inline constexpr CharCode kEndOfText = -3;  // fed after the last line; matches no test

enum class TestKind : uint8_t {
    kChar = 0,
    kSet = 1,
    kNegatedSet = 2,
    kRange = 3,
    kNegatedRange = 4
};

struct CodeInterval {
    CharCode low;
    CharCode high;
    bool operator==(const CodeInterval&) const = default;
};

struct CharTest {
    TestKind kind = TestKind::kChar;
    CharCode code = kEmptyMove;         // kind Char
    std::vector<CodeInterval> members;  // kinds Set and NegatedSet, in the order read
    CharCode low = 0;                   // kinds Range and NegatedRange
    CharCode high = 0;

    static CharTest OneChar(CharCode c) { return CharTest{TestKind::kChar, c, {}, 0, 0}; }
    bool IsEmptyMove() const { return kind == TestKind::kChar && code == kEmptyMove; }
    bool IsAnyChar() const { return kind == TestKind::kChar && code == kAnyChar; }

    bool Matches(CharCode c) const {
        if (c == kEndOfText) return false;
        switch (kind) {
            case TestKind::kChar:
                return code == kAnyChar ? c != kLineEnd : c == code;
            case TestKind::kSet:
                return InMembers(c);
            case TestKind::kNegatedSet:
                return !InMembers(c);
            case TestKind::kRange:
                return c >= low && c <= high;
            case TestKind::kNegatedRange:
                return c < low || c > high;
        }
        return false;
    }

    bool operator==(const CharTest&) const = default;

    // Whether the test may match some code in [lo, hi]: never false when it does (negated
    // sets answer true), so a prefilter built from it never passes over a match.
    bool MayMatchIn(CharCode lo, CharCode hi) const {
        switch (kind) {
            case TestKind::kChar:
                return code == kAnyChar || (code >= lo && code <= hi);
            case TestKind::kSet:
                for (const CodeInterval& m : members) {
                    if (m.low <= hi && m.high >= lo) return true;
                }
                return false;
            case TestKind::kNegatedSet:
                return true;
            case TestKind::kRange:
                return low <= hi && high >= lo && low <= high;
            case TestKind::kNegatedRange:
                return lo < low || hi > high;
        }
        return true;
    }

    // A readable form for dumps: 'a', any, eps, [set], [^set], {low-high}, {^low-high}.
    std::string Describe(TextEncoding encoding) const;

  private:
    bool InMembers(CharCode c) const {
        for (const CodeInterval& m : members) {
            if (c >= m.low && c <= m.high) return true;
        }
        return false;
    }
};

// The test of a class "[...]": `text` is what stands between the brackets. Escapes are
// decoded; every code passes through `fold` (codes it drops are left out of a set).
//   - a leading "^" negates;
//   - exactly one character, "-" and one character make a range of the two codes;
//   - otherwise a set: characters in turn, "c-d" adding c+1 to d after c, a leading or
//     trailing "-" a member.
CharTest ClassTextToTest(std::string_view text, const FoldOptions& fold);

// One character of a pattern at text[pos], escapes decoded (pos < text.size()). In the UTF-8
// code pages consecutive "\xHH" escapes that spell a well-formed sequence give its code point.
struct PatternChar {
    CharCode code = 0;
    size_t length = 1;
    bool escaped = false;
};
PatternChar ReadPatternChar(TextEncoding encoding, std::string_view text, size_t pos);

}  // namespace norv::search
