// UCS-2 <-> UTF-8 (surrogate pairs, lone surrogates, malformed UTF-8), ANSI <-> UTF-8, and the
// UTF-8 test of the loader over lines and over lines cut into pieces.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "codec_test_util.h"

namespace norv::document {
namespace {

using testing::Bytes;

std::string Le(std::u16string_view units) {
    std::string s;
    for (char16_t u : units) {
        s.push_back(static_cast<char>(u & 0xFF));
        s.push_back(static_cast<char>(u >> 8));
    }
    return s;
}

std::string Be(std::u16string_view units) {
    std::string s;
    for (char16_t u : units) {
        s.push_back(static_cast<char>(u >> 8));
        s.push_back(static_cast<char>(u & 0xFF));
    }
    return s;
}

TEST(Ucs2ToUtf8, UnitsAndSurrogates) {
    // clang-format off
    static const struct {
        std::u16string units;
        std::string utf8;
    } kCases[] = {
        {u"Abc\n", "Abc\n"},
        {u"\u00E9\u3042\uFFFF", "\xC3\xA9\xE3\x81\x82\xEF\xBF\xBF"},
        {u"0123456789\u3042", "0123456789\xE3\x81\x82"},
        {u"\U0001F600", "\xF0\x9F\x98\x80"},                    // a pair is one character
        {u"\U0010FFFF", "\xF4\x8F\xBF\xBF"},
        {u"\xD83D" "A", "\xED\xA0\xBD" "A"},                    // lone high surrogate
        {u"\xDE00", "\xED\xB8\x80"},                           // lone low surrogate
        {u"\xDE00\xD83D", "\xED\xB8\x80\xED\xA0\xBD"},         // reversed: two lone ones
        {std::u16string(u"a\0b", 3), Bytes("a\0b")},
    };
    // clang-format on
    for (const auto& c : kCases) {
        std::string le = "#", be = "#";
        const std::string inLe = Le(c.units), inBe = Be(c.units);
        EXPECT_EQ(Ucs2ToUtf8(le, inLe.data(), inLe.size(), false), c.utf8.size());
        EXPECT_EQ(le, "#" + c.utf8);
        EXPECT_EQ(Ucs2ToUtf8(be, inBe.data(), inBe.size(), true), c.utf8.size());
        EXPECT_EQ(be, "#" + c.utf8);
    }
    std::string out;
    EXPECT_EQ(Ucs2ToUtf8(out, "A\0B", 3, false), 1u);  // a final odd byte is left to the caller
    EXPECT_EQ(out, "A");
}

TEST(Utf8ToUcs2, SequencesAndMalformedInput) {
    // clang-format off
    static const struct {
        std::string utf8;
        std::u16string units;
    } kCases[] = {
        {"Abc\n", u"Abc\n"},
        {"\xC3\xA9\xE3\x81\x82", u"\u00E9\u3042"},
        {"\xF0\x9F\x98\x80", u"\U0001F600"},                 // one surrogate pair
        {"\xF4\x8F\xBF\xBF", u"\U0010FFFF"},
        {"\xF4\x90\x80\x80", u"\uFFFD"},                     // above U+10FFFF
        {"\xF7\xBF\xBF\xBF", u"\uFFFD"},
        {"\xF8\x88\x80\x80\x80", u"\uFFFD"},                 // five bytes
        {"\xFC\x84\x80\x80\x80\x80", u"\uFFFD"},             // six bytes
        {"\xED\xA0\xBD", u"\xD83D"},                         // a lone surrogate comes back
        {"\xC1\x81", u"A"},                                  // overlong forms are read
        {"a\x80" "b", u"ab"},                                // stray continuation dropped
        {"a\xFE\xFF" "b", u"ab"},                            // bytes that fit no pattern
        {"\xE3\x81\n", u"\n"},                               // broken: the line feed stays
        {"\xE3\x81\xE3\x81\x82", u"\u3042"},                 // broken by a valid lead byte
        {"a\xE3\x81", u"a"},                                 // cut by the end
        {Bytes("a\0b"), std::u16string(u"a\0b", 3)},
    };
    // clang-format on
    for (const auto& c : kCases) {
        std::u16string out = u"#";
        EXPECT_EQ(Utf8ToUcs2(out, c.utf8), c.units.size()) << c.utf8;
        EXPECT_EQ(out, u"#" + c.units) << c.utf8;
    }
}

TEST(Utf8ToUcs2, UndoesUcs2ToUtf8ForAnyUnits) {
    std::mt19937 rng(7);
    for (int round = 0; round < 200; ++round) {
        std::u16string units;
        const int n = static_cast<int>(rng() % 40);
        for (int k = 0; k < n; ++k) {
            switch (rng() % 4) {
                case 0:
                    units.push_back(static_cast<char16_t>(rng() % 0x80));
                    break;
                case 1:
                    units.push_back(static_cast<char16_t>(rng() % 0x10000));
                    break;
                case 2:
                    units.push_back(static_cast<char16_t>(0xD800 + rng() % 0x800));
                    break;
                default:
                    units.push_back(static_cast<char16_t>(0xD800 + rng() % 0x400));
                    units.push_back(static_cast<char16_t>(0xDC00 + rng() % 0x400));
            }
        }
        // A high surrogate followed by a low one is a pair either way; lone ones stay lone.
        std::string utf8;
        const std::string le = Le(units);
        Ucs2ToUtf8(utf8, le.data(), le.size(), false);
        std::u16string back;
        Utf8ToUcs2(back, utf8);
        ASSERT_EQ(back, units) << round;
    }
}

TEST(AnsiUtf8, ConvertsThroughTheCodePage) {
    // clang-format off
    static const struct {
        std::string ansi;
        std::string utf8;
    } kCases[] = {
        {"abc\\~\n", "abc\\~\n"},
        {"\x82\xA0\x88\x9F", "\xE3\x81\x82\xE4\xBA\x9C"},
        {"\x81\x60\x87\x40\xB1", "\xEF\xBD\x9E\xE2\x91\xA0\xEF\xBD\xB1"},
        {Bytes("a\0b"), Bytes("a\0b")},
    };
    // clang-format on
    for (const auto& c : kCases) {
        std::string utf8 = "#";
        EXPECT_EQ(AnsiToUtf8(utf8, c.ansi, 932), c.utf8.size());
        EXPECT_EQ(utf8, "#" + c.utf8);
        std::string ansi = "#";
        EXPECT_EQ(Utf8ToAnsi(ansi, c.utf8, 932), c.ansi.size());
        EXPECT_EQ(ansi, "#" + c.ansi);
    }
    std::string out;
    Utf8ToAnsi(out, "\xC3\xA9\xF0\x9F\x98\x80x", 932);  // é and 😀 are not in CP932
    EXPECT_EQ(out, "??x");
    out.clear();
    Utf8ToAnsi(out, "\xC3\xA9\xFF", 65001);  // copied as it is
    EXPECT_EQ(out, "\xC3\xA9\xFF");
    out.clear();
    AnsiToUtf8(out, "caf\xE9", 1252);
    EXPECT_EQ(out, "caf\xC3\xA9");
}

TEST(IsUtf8Line, NeedsOneSequenceAndNoMalformedOne) {
    // clang-format off
    static const struct {
        std::string line;
        bool utf8;
    } kCases[] = {
        {"", false},
        {"plain ASCII\n", false},
        {"\xC3\xA9\n", true},
        {"caf\xC3\xA9 0123456789 \xE3\x81\x82\n", true},
        {"\xF0\x9F\x98\x80", true},
        {"\xF8\x88\x80\x80\x80", true},       // five- and six-byte patterns are accepted
        {"\xFC\x84\x80\x80\x80\x80", true},
        {"\xC3\xA9\x80", false},              // continuation where a lead is expected
        {"\xC3" "A", false},
        {"a\xE3\x81", false},                 // cut by the end of the line
        {"\xE3\x81\n", false},
        {"\xFE\x80", false},
        {"\xFF", false},
        {"\x82\xA0\x88\x9F\n", false},        // Shift-JIS
        {"\xB0\xA1\n", false},                // EUC-JP
        {Bytes("\0\xC3\xA9\0"), true},
    };
    // clang-format on
    for (const auto& c : kCases)
        EXPECT_EQ(IsUtf8Line(c.line.data(), c.line.size()), c.utf8) << c.line;
}

TEST(Utf8Scanner, FollowsSequencesAcrossPiecesOfOneLine) {
    struct Piece {
        const char* bytes;
        bool continues;
    };
    // clang-format off
    static const struct {
        std::vector<Piece> pieces;
        bool malformed;
        bool sawMultiByte;
    } kCases[] = {
        {{{"abc\n", false}, {"def\n", false}}, false, false},       // ASCII is neutral
        {{{"abc\n", false}, {"\xC3\xA9\n", false}}, false, true},
        {{{"\xE3\x81", true}, {"\x82\n", false}}, false, true},     // line cut inside a sequence
        {{{"\xE3\x81", false}, {"\x82\n", false}}, true, true},     // a line end inside one
        {{{"\xC3\xA9\n", false}, {"\x82\xA0\n", false}, {"\xC3\xA9", false}}, true, true},
        {{{"\xE3", true}, {"\x81", true}, {"\x82", false}}, false, true},
    };
    // clang-format on
    for (const auto& c : kCases) {
        Utf8Scanner scanner;
        for (const Piece& p : c.pieces) scanner.Feed(p.bytes, std::strlen(p.bytes), p.continues);
        EXPECT_EQ(scanner.malformed(), c.malformed) << c.pieces[0].bytes;
        EXPECT_EQ(scanner.sawMultiByte(), c.sawMultiByte) << c.pieces[0].bytes;
        EXPECT_EQ(scanner.IsUtf8(), !c.malformed && c.sawMultiByte);
    }
}

}  // namespace
}  // namespace norv::document
