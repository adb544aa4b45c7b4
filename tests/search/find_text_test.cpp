// The texts around a search: option strings, the histories, escaping a document's text for
// the search field, and cutting texts to the field's limit.
#include <gtest/gtest.h>

#include <string>

#include "search/find.h"
#include "search/find_history.h"
#include "search/find_options.h"

namespace norv::search {
namespace {

TEST(FindOptions, StringsRoundTripInTheFixedOrder) {
    static const struct {
        const char* in;
        const char* built;
        bool all;
    } kCases[] = {
        {"", "", false},      {"PRETWZIMAG", "GAMIZWTERP", false},
        {"RN", "R", true},    {"ri", "", false},  // letters are capitals
        {"IXYI", "I", false},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.in);
        FindOptions o;
        o.direction = 1;
        EXPECT_EQ(ParseOptionString(c.in, &o), c.all);
        EXPECT_EQ(BuildOptionString(o), c.built);
        EXPECT_EQ(o.direction, 1);
    }
    // Every letter sets its own field.
    for (const OptionLetter& l : kOptionLetters) {
        FindOptions o;
        ParseOptionString(std::string(1, l.letter), &o);
        EXPECT_TRUE(o.*l.field) << l.letter;
        EXPECT_EQ(BuildOptionString(o), std::string(1, l.letter));
    }
}

TEST(FindHistory, MostRecentFirstWithoutDuplicatesAtMost32) {
    FindHistory h;
    for (int i = 0; i < 40; ++i) h.Add("s" + std::to_string(i), i % 2 ? "I" : "");
    ASSERT_EQ(h.entries().size(), kHistoryEntries);
    EXPECT_EQ(h.entries().front().text, "s39");
    EXPECT_EQ(h.entries().back().text, "s8");
    h.Add("s20", "RW");
    EXPECT_EQ(h.entries().size(), kHistoryEntries);
    EXPECT_EQ(h.entries().front(), (FindHistoryEntry{"s20", "RW"}));
    EXPECT_EQ(h.Find("s21")->options, "I");
    h.Add("", "R");
    EXPECT_EQ(h.entries().front().text, "s20");
}

TEST(EscapeForField, Sequences) {
    static const struct {
        std::string text;
        int docCodePage;
        std::string expected;
    } kCases[] = {
        {"a\\b", 932, "a\\\\b"},
        {"a\r\nb", 932, "a\\nb"},
        {"a\rb", 932, "a\\rb"},
        {std::string("\a\b\t\v\f\x1b\x01", 7), 932, "\\a\\b\\t\\v\\f\\e\\x01"},
        {"\x82\xa0\x83\x5c", 932, "\x82\xa0\x83\x5c"},  // a trail byte 0x5C stays
        {"\xc3\xa9", 65001, "\\xc3\\xa9"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.expected);
        EXPECT_EQ(EscapeForField(c.text, c.docCodePage, 932), c.expected);
    }
    // Former fault: on a system of another code page the UTF-8 bytes went into the field
    // unescaped, were read as that code page and converted again, and the word was never found.
    EXPECT_EQ(EscapeForField("\xc3\xa9", 65000, 1252), "\\xc3\\xa9");
    EXPECT_EQ(EscapeForField("\xe9", 1252, 1252), "\xe9");
}

// Former faults: a text cut at 255 bytes could end inside a character or an escape sequence.
TEST(EscapeForField, CutBeforeAWholeCharacterOrSequence) {
    static const struct {
        std::string text;
        size_t expectedSize;
    } kCases[] = {
        {std::string(300, 'a'), 255},
        {std::string(254, 'a') + "\t", 254},  // "\t" would end at 256
        {std::string(253, 'a') + "\t", 255},
        {std::string(254, 'a') + "\x82\xa0", 254},  // a double-byte character
        {std::string(252, 'a') + "\x01", 252},      // "\x01" is four bytes
    };
    for (const auto& c : kCases) {
        EXPECT_EQ(EscapeForField(c.text, 932, 932).size(), c.expectedSize);
    }
    EXPECT_EQ(CutAtCharBoundary(std::string(254, 'a') + "\x82\xa0", 255, 932).size(), 254u);
    EXPECT_EQ(CutAtCharBoundary(std::string(253, 'a') + "\xe3\x81\x82", 255, 65001).size(), 253u);
    EXPECT_EQ(CutAtCharBoundary("abc", 255, 932), "abc");
}

TEST(PlainMatcher, CompiledCodes) {
    static const struct {
        const char* pattern;
        int codePage;
        bool ignoreCase;
        bool ignoreWidth;
        std::vector<CharCode> codes;
    } kCases[] = {
        {"ab", 932, false, false, {'a', 'b'}},
        {"ab", 932, true, false, {'A', 'B'}},
        {"a\\tb\\x41", 932, false, false, {'a', 9, 'b', 'A'}},
        // The trail byte 0x61 of this katakana is not a letter to fold.
        {"\x83\x61", 932, true, false, {0x8361}},
        {"\x82\x60\x82\x61", 932, false, true, {'A', 'B'}},     // full-width AB
        {"\xb6\xde", 932, false, true, {0xB6}},                 // the sound mark is dropped
        {"\xed\x95\x9c?", 65001, false, false, {0xD55C, '?'}},  // code points
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.pattern);
        PlainMatcher m;
        FoldOptions fold{EncodingOfCodePage(c.codePage), c.ignoreCase, c.ignoreWidth};
        m.Compile(c.pattern, c.codePage, fold);
        EXPECT_EQ(m.codes(), c.codes);
    }
}

}  // namespace
}  // namespace norv::search
