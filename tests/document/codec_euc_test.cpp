// EUC-JP <-> Shift-JIS, and the Check Kanji Code guess built on the two decoders.
#include <gtest/gtest.h>

#include "codec_test_util.h"

namespace norv::document {
namespace {

using testing::Bytes;
using testing::RunEucToSjis;

TEST(EucToSjis, ConvertsPairsKanaAndSupplementaryCharacters) {
    // clang-format off
    static const struct {
        std::string in;
        int result;
        std::string out;
    } kCases[] = {
        {"abc\n", 0, "abc\n"},
        {"\xB0\xA1\n", 1, "\x88\x9F\n"},                      // 亜
        {"\xA1\xA1\xA2\xA1\xA1\xE0", 1, "\x81\x40\x81\x9F\x81\x80"},
        {"\xF4\xA6", 1, "\xEA\xA4"},                          // 熙
        {"\xAD\xA1", 1, "\x87\x40"},                          // ① (NEC row 13)
        {"\xF9\xA1", 1, "\xED\x40"},                          // NEC-selected IBM row
        {"\x8E\xB1\x8E\xDF", 1, "\xB1\xDF"},                  // half-width kana
        {"\x8F\xB0\xA1" "a", 1, "\x81\x48" "a"},              // JIS X 0212 -> "？"
        {"0123456789abcdef\xB0\xA1xyz", 1, "0123456789abcdef\x88\x9Fxyz"},
        {Bytes("a\0\xB0\xA1\0"), 1, Bytes("a\0\x88\x9F\0")},  // NUL is an ordinary byte
        {"", 0, ""},
    };
    // clang-format on
    for (const auto& c : kCases) {
        auto d = RunEucToSjis(c.in);
        EXPECT_EQ(d.result, c.result) << c.in;
        EXPECT_EQ(d.text, c.out) << c.in;
    }
}

TEST(EucToSjis, InvalidSequencesFail) {
    // clang-format off
    static const char* const kCases[] = {
        "\xB0",              // pair cut by the end
        "\xB0\n",            // the line feed is never half a character
        "\xB0\x41",          // a Shift-JIS trail byte
        "\x88\x9F",          // Shift-JIS text
        "\x82\xA0",
        "\x8E",              // kana byte missing
        "\x8E\x41",
        "\x8E\xE0",          // not a kana byte
        "\x8F",              // supplementary pair missing
        "\x8F\xB0",
        "\x8F\xB0\n",        // the line feed is never skipped
        "\xFF\xA1",
        "\xA0\xA1",
    };
    // clang-format on
    for (const char* in : kCases) EXPECT_EQ(RunEucToSjis(in).result, -1) << in;
}

TEST(SjisToEuc, ConvertsOrFails) {
    // clang-format off
    static const struct {
        std::string in;
        int result;
        std::string out;  // complete output, or the partial output before the failure
    } kCases[] = {
        {"abc\n", 0, "abc\n"},
        {"\x88\x9F\n", 1, "\xB0\xA1\n"},
        {"\xB1\xDF", 0, "\x8E\xB1\x8E\xDF"},  // kana are no double-byte characters
        {"\x87\x40", 1, "\xAD\xA1"},
        {"\xED\x40", 1, "\xF9\xA1"},
        {"0123456789\x88\x9F", 1, "0123456789\xB0\xA1"},
        {Bytes("\0\x88\x9F"), 1, Bytes("\0\xB0\xA1")},
        {"a\xFA\x5C", -1, "a"},               // IBM extension row: no EUC-JP position
        {"a\xF0\x40", -1, "a"},               // user-defined area
        {"\x80", -1, ""},
        {"\xA0", -1, ""},
        {"\xFD", -1, ""},
        {"\x88", -1, ""},                     // lead byte cut by the end
        {"\x88\n", -1, ""},                   // lead byte without a trail byte
        {"\x81\x7F", -1, ""},
    };
    // clang-format on
    for (const auto& c : kCases) {
        std::string out = "#";
        EXPECT_EQ(SjisToEuc(out, c.in), c.result) << c.in;
        EXPECT_EQ(out, "#" + c.out) << c.in;
    }
}

TEST(CheckKanjiCode, GuessesJisThenEuc) {
    // clang-format off
    static const struct {
        std::string text;
        KanjiGuess guess;
        std::string converted;
    } kCases[] = {
        {"\x1B$B\x30\x21\x1B(B\nabc\n\x1B$B\x30\x21\x1B(B", KanjiGuess::kJis,
         "\x88\x9F\nabc\n\x88\x9F"},
        {"\xB0\xA1\nabc\n", KanjiGuess::kEuc, "\x88\x9F\nabc\n"},
        {"\x88\x9F\nabc\n", KanjiGuess::kNone, ""},
        {"abc\n", KanjiGuess::kNone, ""},
        {"\x1B$B\x30\x21\n\x1B(B", KanjiGuess::kNone, ""},  // a line end inside kanji state
    };
    // clang-format on
    for (const auto& c : kCases) {
        std::string converted;
        EXPECT_EQ(CheckKanjiCode(c.text, &converted), c.guess) << c.text;
        EXPECT_EQ(converted, c.converted) << c.text;
    }
}

}  // namespace
}  // namespace norv::document
