// The regular-expression engine seen from the search: which text a pattern finds.
#include "search/regex.h"

#include <gtest/gtest.h>

#include "search/regex_test_support.h"

namespace norv::search {
namespace {

using testing::Bytes;
using testing::FindFirst;

constexpr std::string_view kNone = "<none>";

struct FindCase {
    std::string_view pattern;
    std::string_view text;
    std::string_view expected;  // the matched text, or kNone
    bool ignoreCase = false;
    bool ignoreWidth = false;
    int codePage = 932;
};

void RunCases(const FindCase* begin, const FindCase* end) {
    for (const FindCase* c = begin; c != end; ++c) {
        Regex re;
        RegexOptions options{c->codePage, c->ignoreCase, c->ignoreWidth};
        ASSERT_EQ(re.Compile(Bytes(c->pattern, c->codePage), options), CompileStatus::kOk)
            << c->pattern;
        std::string text = Bytes(c->text, c->codePage);
        std::string expected =
            c->expected == kNone ? std::string(kNone) : Bytes(c->expected, c->codePage);
        for (bool prefilter : {true, false}) {
            auto found = FindFirst(re, text, {}, prefilter);
            EXPECT_EQ(found ? found->text : std::string(kNone), expected)
                << "pattern " << c->pattern << " on " << c->text << " prefilter " << prefilter;
        }
    }
}

TEST(Regex, FindsWhatThePatternDescribes) {
    static const FindCase kCases[] = {
        {"a+b", "xaaab", "aaab"},
        {"ab*c", "ac", "ac"},
        {"ab*c", "xabbbc", "abbbc"},
        {"colou?r", "the color", "color"},
        {"colou?r", "the colour", "colour"},
        {"a|b|c", "xxc", "c"},
        {"a|b|c", "xbx", "b"},
        {"a|b|c", "axx", "a"},
        {"(ab)+", "xababa", "abab"},  // the longest accepted run, not the dead end
        {"ab|abcd", "abcx", "ab"},
        {"abc|.d", "abc", "abc"},             // the any-character edge ranks first here
        {"[a-z]+ing", "tinting", "tinting"},  // 'i' ranks before [a-z]; [a-z] is the fallback
        {".*x", "axbx", "ax"},                // edges into loops rank last
        {"a.c", "abc", "abc"},
        {"a.c", "a\nc", kNone},           // "." never matches the line end
        {".+", "ab\ncd", "ab"},           // so .+ stops at it
        {"[^,]+", "ab\ncd,e", "ab\ncd"},  // a negated set matches it and runs on
        {"b\\nc", "ab\ncd", "b\nc"},      // \n finds text across the line end
        {"[]x]", "a]", "]"},
        {"[]x]", "ax", "x"},
        {"[-a]", "x-", "-"},
        {"[-a]", "xa", "a"},
        {"[a-]", "x-", "-"},
        {"[0-9a-f]+", "zz09afg", "09af"},
        {"[^a-c]", "abcd", "d"},
        {"[^a-c]", "abc", "\n"},  // a negated range matches the line end too
        {"[あ-お]", "xい", "い"},
        {"[あ-お]", "xか", kNone},
        {"[かあ-おき]+", "xきいか", "きいか"},
        {"漢字+", "漢字字字x", "漢字字字"},
        {"\\x41\\x42", "xAB", "AB"},
        {"\\.", "a.b", "."},
        {"\\\\", "a\\b", "\\"},
        {"x\\ソ", "xソ", "xソ"},  // an escaped double-byte character
        {"[ソ]", "ソ", "ソ"},     // its trail byte 0x5C is not a backslash
        {"int[a-z]+_t", "uint_t int32_t intptr_t", "intptr_t"},
        {"colou?r|int[a-z]+_t", "an intmax_t", "intmax_t"},
        {"", "abc", ""},  // the empty pattern matches at once
        {"a*", "bbb", ""},
    };
    RunCases(std::begin(kCases), std::end(kCases));
}

TEST(Regex, FoldsCaseAndWidth) {
    static const FindCase kCases[] = {
        {"[a-z]+", "ABC", "ABC", true},
        {"[a-z]+", "abc", "abc", true},
        {"[a-z]+", "ABC", kNone, false},
        {"a\\nb", "xA\nB", "A\nB", true},  // \n keeps its meaning when upper-cased
        {"\\x61", "A", "A", true},         // an escaped letter folds like the text
        {"\\Q", "q", "q", false},
        {"\\Q", "Q", "Q", true},
        // Only single-byte letters fold: 0x83 0x61 and 0x83 0x41 stay different characters.
        {"\xE3\x83\xA3", "\xE3\x82\xA2", kNone, true},
        {"ＡＢＣ", "xABC", "ABC", false, true},
        {"ABC", "xＡＢＣ", "ＡＢＣ", false, true},
        {"abc", "xＡＢＣ", "ＡＢＣ", true, true},
        {"ガ", "xｶﾞ", "ｶﾞ", false, true},  // the sound mark is dropped from both sides
        {"ｶﾞ", "xカ", "カ", false, true},
        {"ＡＢＣ", "xABC", kNone, false, false},
    };
    RunCases(std::begin(kCases), std::end(kCases));
}

TEST(Regex, Utf8DocumentsMatchByCodePoint) {
    static const FindCase kCases[] = {
        {"한", "x한", "한", false, false, 65001},
        {"[?]", "한", kNone, false, false, 65001},  // "?" is no stand-in for missing characters
        {"\\?", "한?", "?", false, false, 65001},
        {"a.b", "a😀b", "a😀b", false, false, 65001},
        {"😀+", "x😀😀", "😀😀", false, false, 65001},
        {"[가-힣]+", "x한국어y", "한국어", false, false, 65001},
        {"é", "cafe café", "é", false, false, 65001},
        {"\\xc3\\xa9", "café", "é", false, false, 65001},
        {"ＡＢＣ", "xABC", "ABC", false, true, 65001},
        {"[^a]", "é", "é", false, false, 65001},
    };
    RunCases(std::begin(kCases), std::end(kCases));
}

TEST(Regex, FormerFaults) {
    static const FindCase kCases[] = {
        // Falling back to the alternative once stitched "a" of one branch to "xyz" of the other
        // and reported aqxyz; a match must be a real match of the pattern.
        {"[a-z]qr|axyz", "aqxyz", kNone, false},
        {"[a-z]qr|axyz", "aqr", "aqr", false},
        {"[a-z]qr|axyz", "axyz", "axyz", false},
        // A match that needs the line end of the last line is completed by the end of the text.
        {"a\\n", "xa", "a\n"},
        {"b\\n", "b\nb", "b\n"},
    };
    RunCases(std::begin(kCases), std::end(kCases));
}

TEST(Regex, BrokenDoubleByteCharacterEndsTheAttempt) {
    Regex re;
    ASSERT_EQ(re.Compile("ab", {}), CompileStatus::kOk);
    // A lead byte before the line end: the match before it still counts.
    auto m = re.FindInLine("xab\x82\n", 0, nullptr);
    ASSERT_TRUE(m);
    EXPECT_EQ(m->start, 1u);
    EXPECT_EQ(m->length, 2u);
    ASSERT_EQ(re.Compile("b.", {}), CompileStatus::kOk);
    EXPECT_FALSE(re.FindInLine("xab\x82\n", 0, nullptr));
}

TEST(Regex, MatchesOfMoreThan255CharactersAreNeverFound) {
    Regex re;
    ASSERT_EQ(re.Compile("a+", {}), CompileStatus::kOk);
    std::string line(300, 'a');
    line += "\n";
    // From 0 to 44 the run is longer than 255 characters; from 45 it is exactly 255.
    auto m = re.FindInLine(line, 0, nullptr);
    ASSERT_TRUE(m);
    EXPECT_EQ(m->start, 45u);
    EXPECT_EQ(m->length, 255u);
    EXPECT_FALSE(re.MatchAt(line, 44, nullptr));
}

TEST(Regex, ConditionsOfTheSearch) {
    static const struct {
        std::string_view pattern;
        std::string_view line;
        MatchConditions conditions;
        std::string_view expected;  // the match, or kNone
    } kCases[] = {
        {"foo", "foo_bar\n", {false, false, true}, "foo"},
        {"foo", "foobar\n", {false, false, true}, kNone},
        {"foo", "xfoo bar\n", {false, false, true}, kNone},
        {"foo", "x foo\n", {false, false, true}, "foo"},
        // The byte before is the trail byte 0x41 of "ア", not the letter A.
        {"foo",
         "\x83\x41"
         "foo\n",
         {false, false, true},
         "foo"},
        {"foo", "Afoo\n", {false, false, true}, kNone},
        {"b", "ab b\n", {true, false, false}, kNone},
        {"a", "ab b\n", {true, false, false}, "a"},
        {"b", "ab bx\n", {false, true, false}, kNone},
        {"b", "ab b\n", {false, true, false}, "b"},
        {"", "abc\n", {false, true, false}, ""},
    };
    for (const auto& c : kCases) {
        Regex re;
        ASSERT_EQ(re.Compile(c.pattern, {}), CompileStatus::kOk);
        auto m = re.FindInLine(c.line, 0, nullptr, c.conditions);
        std::string got = m ? std::string(c.line.substr(m->start, m->length)) : std::string(kNone);
        EXPECT_EQ(got, c.expected) << c.pattern << " on " << c.line;
    }
}

TEST(Regex, StripsAnchors) {
    static const struct {
        std::string_view pattern;
        std::string_view body;
        bool top;
        bool end;
    } kCases[] = {
        {"^abc$", "abc", true, true},   {"abc", "abc", false, false},
        {"^", "", true, false},         {"$", "", false, true},
        {"a\\$", "a\\$", false, false}, {"a\\\\$", "a\\\\", false, true},
        {"^^a", "^a", true, false},     {"a$$", "a$", false, true},
    };
    for (const auto& c : kCases) {
        StrippedPattern s = StripAnchors(c.pattern, 932);
        EXPECT_EQ(s.body, c.body) << c.pattern;
        EXPECT_EQ(s.topOfLine, c.top) << c.pattern;
        EXPECT_EQ(s.endOfLine, c.end) << c.pattern;
    }
}

TEST(Regex, PatternsBeyondTheBudgetsAreRefused) {
    Regex re;
    EXPECT_EQ(re.Compile(std::string(200, 'a'), {}), CompileStatus::kTooManyNfaStates);
    EXPECT_FALSE(re.IsCompiled());
    EXPECT_FALSE(FindFirst(re, std::string(300, 'a')));
    // Eight positions from the end need 2^8 deterministic states.
    EXPECT_EQ(re.Compile("(a|b)*a(a|b)(a|b)(a|b)(a|b)(a|b)(a|b)(a|b)", {}),
              CompileStatus::kTooManyDfaStates);
    EXPECT_FALSE(FindFirst(re, "abababababab"));
    // A refused pattern leaves nothing behind: the next one works.
    EXPECT_EQ(re.Compile("b", {}), CompileStatus::kOk);
    EXPECT_TRUE(FindFirst(re, "abababababab"));

    EXPECT_EQ(re.Compile(std::string(10000, '('), {}), CompileStatus::kTooComplex);

    // The budgets are parameters: a tiny one is reached by a short pattern.
    RegexCapacity tinyNfa;
    tinyNfa.automaton.nfaStates = 4;
    Regex small(tinyNfa);
    EXPECT_EQ(small.Compile("abc", {}), CompileStatus::kOk);  // 4 states
    EXPECT_EQ(small.Compile("abcd", {}), CompileStatus::kTooManyNfaStates);
    RegexCapacity tinyDfa;
    tinyDfa.automaton.dfaStates = 3;
    Regex smallDfa(tinyDfa);
    EXPECT_EQ(smallDfa.Compile("ab", {}), CompileStatus::kOk);  // 3 states
    EXPECT_EQ(smallDfa.Compile("abc", {}), CompileStatus::kTooManyDfaStates);
}

}  // namespace
}  // namespace norv::search
