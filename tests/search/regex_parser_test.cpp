// How patterns, malformed ones included, are read: the tree of each, and the automaton of a few.
#include "search/regex_parser.h"

#include <gtest/gtest.h>

#include "search/regex_automaton.h"

namespace norv::search {
namespace {

TEST(RegexParser, ReadsEveryPatternSomehow) {
    static const struct {
        std::string_view pattern;
        std::string_view tree;
    } kCases[] = {
        {"a+b", "cat(cat('a',star('a')),'b')"},
        {"colou?r", "cat(cat(cat(cat(cat('c','o'),'l'),'o'),alt('u',())),'r')"},
        {"a|b|c", "alt(alt('a','b'),'c')"},
        {"", "()"},
        // Leading operators are skipped, in the pattern and in a group.
        {"*a", "'a'"},
        {"+?*a", "'a'"},
        {"(*a)", "'a'"},
        {"a(?)b", "cat(cat('a',()),'b')"},
        // A run of "*" and "+" is one operator; a second operator applies to nothing.
        {"a**b", "cat(star('a'),'b')"},
        {"a*+b", "cat(star('a'),'b')"},
        {"a?*", "cat(alt('a',()),star(()))"},
        {"a|*b", "alt('a',cat(star(()),'b'))"},
        // "?" after another operator ends the concatenation, and the rest is ignored.
        {"a*?b", "star('a')"},
        {"a??", "alt('a',())"},
        // A stray ")" ends the pattern; an unclosed "(" is closed by the end.
        {"a)b", "'a'"},
        {")", "()"},
        {"(ab", "cat('a','b')"},
        {"(a|b", "alt('a','b')"},
        {"a|", "alt('a',())"},
        {"|a", "alt((),'a')"},
        // Classes: "]" first is a member, "-" first or last is a member, three characters
        // around "-" are a range, an unclosed class runs to the end.
        {"[]x]", "[]x]"},
        {"[-a]", "[-a]"},
        {"[a-]", "[a-]"},
        {"[a-c]", "{a-c}"},
        {"[^a-c]", "{^a-c}"},
        {"[a-c-e]", "[ab-cd-e]"},
        {"[c-a]", "{c-a}"},
        {"[xc-a]", "[xc]"},
        {"[\\n\\x41]", "[\\x{A}A]"},
        {"[abc", "[abc]"},
        {"[", "[]"},
        {"[^]", "[^]"},
        {"[]", "[]]"},
        // Escapes: a backslash at the end, and \0, stand for the code 0.
        {"a\\", "cat('a','\\x{0}')"},
        {"\\0", "'\\x{0}'"},
        {"\\.\\*", "cat('.','*')"},
    };
    for (const auto& c : kCases) {
        std::optional<PatternTree> tree = ParsePattern(c.pattern, FoldOptions{});
        ASSERT_TRUE(tree) << c.pattern;
        EXPECT_EQ(tree->Dump(TextEncoding::kShiftJis), c.tree) << c.pattern;
    }
}

TEST(RegexParser, FoldsCodesAsTheTextWillBe) {
    static const struct {
        std::string_view pattern;
        bool ignoreCase;
        bool ignoreWidth;
        std::string_view tree;
    } kCases[] = {
        {"[a-z]x", true, false, "cat({A-Z},'X')"},
        {"\\x61\\n", true, false, "cat('A','\\x{A}')"},
        // Full-width A and the full-width kana GA (its sound mark dropped) narrow.
        {"\x82\x60\x83\x4B", false, true, "cat('A','\xB6')"},
        // A lone half-width sound mark disappears from the pattern.
        {"a\xDE", false, true, "cat('a',())"},
    };
    for (const auto& c : kCases) {
        FoldOptions fold{TextEncoding::kShiftJis, c.ignoreCase, c.ignoreWidth};
        std::optional<PatternTree> tree = ParsePattern(c.pattern, fold);
        ASSERT_TRUE(tree) << c.pattern;
        EXPECT_EQ(tree->Dump(TextEncoding::kShiftJis), c.tree) << c.pattern;
    }
}

TEST(RegexAutomaton, RanksEdgesThatFinishBeforeLoops) {
    static const struct {
        std::string_view pattern;
        std::string_view dump;
    } kCases[] = {
        {"[a-z]+ing", "0 {a-z}->1\n1 'i'->3 {a-z}->2\n2 'i'->3 {a-z}->2\n3 'n'->4\n4 'g'->5\n5*\n"},
        {".*x", "0 'x'->2 any->1\n1 'x'->2 any->1\n2*\n"},
        {"abc|.d", "0 any->1 'a'->2\n1 'd'->3\n2 'b'->4\n3*\n4 'c'->3\n"},
        {"a|b|c", "0 'a'->1 'b'->1 'c'->1\n1*\n"},
        {"", "0*\n"},
    };
    for (const auto& c : kCases) {
        std::optional<PatternTree> tree = ParsePattern(c.pattern, FoldOptions{});
        ASSERT_TRUE(tree);
        Automaton a;
        ASSERT_EQ(a.Build(*tree), BuildStatus::kOk);
        EXPECT_EQ(a.Dump(TextEncoding::kShiftJis), c.dump) << c.pattern;
    }
}

}  // namespace
}  // namespace norv::search
