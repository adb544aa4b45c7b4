// Character lengths and display widths in Shift-JIS and UTF-8 text.
#include "document/char_model.h"

#include <gtest/gtest.h>

#include <string>

namespace norv::document {
namespace {

// Splits a text into characters by CharLength.
std::vector<size_t> Lengths(int cp, const std::string& s) {
    std::vector<size_t> out;
    const char* p = s.data();
    const char* end = p + s.size();
    while (p < end) {
        size_t n = CharLength(cp, p, end);
        out.push_back(n);
        p += n;
    }
    return out;
}

TEST(CharModel, CharacterLengths) {
    static const struct {
        int cp;
        const char* text;
        std::vector<size_t> lengths;
    } kCases[] = {
        {932, "a\x82\xA0z", {1, 2, 1}},
        {932, "\xB1\x82", {1, 1}},  // half-width kana; a lead byte at the end
        {932, "a\x81", {1, 1}},     // a lead byte at the end of the text
        {65001,
         "\xE3\x81\x82"
         "a",
         {3, 1}},
        {65000, "\xC3\xA9\xE3\x81", {2, 1, 1}},  // a 3-byte lead cut by the end
        {65001, "\xF0\x9F\x98\x80!", {4, 1}},    // beyond the BMP: one character
        {65001, "\xF8\x80", {1, 1}},             // no such lead
        {1252, "\x82\xA0", {1, 1}},              // no lead bytes in this code page
    };
    for (const auto& c : kCases) EXPECT_EQ(Lengths(c.cp, c.text), c.lengths) << c.text;
}

TEST(CharModel, LinesAreNeverWalkedPastTheLineFeed) {
    std::string line = "ab\xE3\n";
    const char* lf = line.data() + 3;
    EXPECT_EQ(CharLength(65001, line.data() + 2, lf), 1u);
    EXPECT_EQ(ColumnAfter(65001, line.data(), lf, 8), 3);
}

TEST(CharModel, PreviousCharacterIsFoundWalkingForward) {
    // 0x82 0x5C: the trail byte is a backslash, and 0x95 0x5C 0x81 ... looks like a lead byte.
    std::string s =
        "\x95\x5C\x82\x5C"
        "a";
    const char* b = s.data();
    EXPECT_EQ(PrevCharStart(932, b, b + 4), b + 2);
    EXPECT_EQ(PrevCharStart(932, b, b + 5), b + 4);
    EXPECT_EQ(PrevCharStart(932, b, b + 2), b);
    EXPECT_EQ(PrevCharStart(932, b, b), b);
}

TEST(CharModel, DisplayColumns) {
    static const struct {
        int cp;
        const char* text;
        int tab;
        int cols;
    } kCases[] = {
        {932, "a\tb", 4, 5},
        {932, "\x82\xA0\t", 8, 8},
        {65001, "\xC3\xA9", 4, 2},  // every multi-byte character is two columns
        {65001, "\xF0\x9F\x98\x80", 4, 2},
        {932, "\xB1", 4, 1},  // half-width kana: one column
        {932, "ab\t\t", 3, 6},
    };
    for (const auto& c : kCases) {
        std::string s = c.text;
        EXPECT_EQ(ColumnAfter(c.cp, s.data(), s.data() + s.size(), c.tab), c.cols) << c.text;
    }
}

}  // namespace
}  // namespace norv::document
