// JIS <-> Shift-JIS: the escape-sequence state machine, the encoder's replacement of extension
// kanji and widening of half-width kana, the SO/SI escape for bytes JIS cannot carry, and the
// fixed tables behind them.
#include <gtest/gtest.h>

#include <map>

#include "codec_test_util.h"
#include "platform/code_page.h"
#include "platform/sjis_jis_tables.h"
#include "platform/width_map.h"

namespace norv::document {
namespace {

using testing::Bytes;
using testing::RunJisToSjis;
using namespace platform;

TEST(JisToSjis, EscapeSequencesAndShifts) {
    // clang-format off
    static const struct {
        std::string in;
        int result;
        std::string out;
    } kCases[] = {
        {"abc\n", 0, "abc\n"},
        {"\x1B$B\x30\x21\x1B(B\n", 1, "\x88\x9F\n"},          // 亜
        {"\x1B$@\x30\x21\x1B(J", 1, "\x88\x9F"},              // old JIS designation, JIS Roman
        {"\x1B$B\x21\x21\x22\x21\x21\x60\x1B(B", 1, "\x81\x40\x81\x9F\x81\x80"},  // odd/even rows
        {"\x1B$B\x74\x26\x1B(B", 1, "\xEA\xA4"},              // last kanji of level 2
        {"\x1B(I\x31\x5F\x1B(B", 1, "\xB1\xDF"},              // kana designation
        {"\x0E\x31\x0F" "a", 0, "\xB1" "a"},                  // SO/SI shift but do not mark
        {"\x1B(I\x31\n", 1, "\xB1\n"},                       // the line feed stays one
        {"0123456789\x1B$B\x30\x21\x1B(Bxyz0123456789", 1, "0123456789\x88\x9Fxyz0123456789"},
        {"\x82\xA0\x1B$B\x30\x21\x1B(B", 1, "\x82\xA0\x88\x9F"},  // 8-bit bytes copied in ASCII
        {"\x1BXab", 0, "\x1BXab"},                            // unknown escape copied
        {"\x1B$(D", 0, "\x1B$(D"},
        {"a\x1B$", 0, "a\x1B$"},                              // escape cut by the end
        {"a\x1B", 0, "a\x1B"},
        {Bytes("a\0b\0"), 0, Bytes("a\0b\0")},               // NUL is an ordinary byte
        {"", 0, ""},
    };
    // clang-format on
    for (const auto& c : kCases) {
        auto d = RunJisToSjis(c.in);
        EXPECT_EQ(d.result, c.result) << c.in;
        EXPECT_EQ(d.text, c.out) << c.in;
    }
}

TEST(JisToSjis, InvalidPairsFail) {
    // clang-format off
    static const char* const kCases[] = {
        "\x1B$B\x30\x21\n",            // the line feed reached in kanji state
        "\x1B$B\x30\x21",              // the text ends in kanji state
        "\x1B$B\x30",                  // half a pair
        "\x1B$B\x30\x7F\x1B(B",        // cell out of range
        "\x1B$B\x20\x21\x1B(B",
        "\x1B$B\xB0\xA1\x1B(B",        // 8-bit bytes in kanji state
    };
    // clang-format on
    for (const char* in : kCases) EXPECT_EQ(RunJisToSjis(in).result, -1) << in;
}

TEST(SjisToJis, EncodesKanjiKanaAndUnmappableBytes) {
    // clang-format off
    static const struct {
        std::string in;
        std::string out;
    } kCases[] = {
        {"abc\n", "abc\n"},
        {"\x88\x9F", "\x1B$B\x30\x21\x1B(B"},
        {"a\x88\x9F\x88\x9F\nb", "a\x1B$B\x30\x21\x30\x21\x1B(B\nb"},
        {"\xB1", "\x1B$B\x25\x22\x1B(B"},                       // ｱ -> ア
        {"\xB6\xDE\xCA\xDF", "\x1B$B\x25\x2C\x25\x51\x1B(B"},   // ｶﾞﾊﾟ -> ガパ
        {"\xDC\xDE", "\x1B$B\x25\x6F\x21\x2B\x1B(B"},           // ﾜﾞ -> ワ゛
        {"\xFA\x5C", "\x1B$B\x79\x21\x1B(B"},                   // 纊 through the NEC-selected row
        {"\xFA\x40", "\x1B$B\x7C\x71\x1B(B"},                   // ⅰ
        {"\xFA\x54", "\x1B$B\x22\x4C\x1B(B"},                   // ￢ has a JIS X 0208 code
        {"\xFA\x4A", "\x1B$B\x2D\x35\x1B(B"},                   // Ⅰ of the NEC row 13
        {"\xED\x40", "\x1B$B\x79\x21\x1B(B"},
        {"\xF0\x40", "\x0E\x70\x40\x0F"},                       // user-defined: SO .. SI
        {"\x88\x9F\xF0\x40\x88\x9F", "\x1B$B\x30\x21\x0E\x70\x40\x0F\x1B$B\x30\x21\x1B(B"},
        {"\xFD", "\x0E\x7D\x0F"},
        {"\x80", "\x0E\x80\x0F"},                               // 7 bits would be a control
        {"\x88", "\x0E\x88\x0F"},                               // lead byte cut by the end
        {"\x88\n", "\x0E\x88\x0F\n"},                           // lead byte without its trail
        {Bytes("\0\x88\x9F"), Bytes("\0\x1B$B\x30\x21\x1B(B")},
    };
    // clang-format on
    for (const auto& c : kCases) {
        std::string out = "#";
        EXPECT_EQ(SjisToJis(out, c.in), c.out.size()) << c.in;
        EXPECT_EQ(out, "#" + c.out) << c.in;
    }
}

TEST(SjisToJis, DecodesBackToTheSameText) {
    // clang-format off
    static const char* const kCases[] = {
        "plain ASCII line\n",
        "\x93\xFA\x96\x7B\x8C\xEA\x82\xCC\x83\x65\x83\x4C\x83\x58\x83\x67 and ASCII\n",
        "\xB6\xC0\xB6\xC5 \x82\xA0 \xEA\xA4\n",  // half-width kana widen: compare widened
        "\xA0\xFD\xFE\xFF\n",                   // bytes that only SO/SI can carry
    };
    // clang-format on
    for (const char* in : kCases) {
        std::string jis;
        SjisToJis(jis, in);
        auto back = RunJisToSjis(jis);
        ASSERT_NE(back.result, -1) << in;
        std::string expected;
        // Half-width kana come back full-width.
        for (const char* p = in; *p; ++p) {
            auto b = static_cast<uint8_t>(*p);
            if (b >= 0xA1 && b <= 0xDF) {
                int consumed = 0;
                uint16_t full = platform::HalfToFullWidth(b, -1, &consumed);
                expected.push_back(static_cast<char>(full >> 8));
                expected.push_back(static_cast<char>(full & 0xFF));
            } else {
                expected.push_back(*p);
                if (platform::IsLeadByte(932, b) && p[1]) expected.push_back(*++p);
            }
        }
        EXPECT_EQ(back.text, expected) << in;
    }
}

TEST(JisCodeArithmetic, EveryJisPositionRoundTrips) {
    for (unsigned j1 = 0x21; j1 <= 0x7E; ++j1) {
        for (unsigned j2 = 0x21; j2 <= 0x7E; ++j2) {
            const auto jis = static_cast<uint16_t>((j1 << 8) | j2);
            const uint16_t sjis = JisToSjisCode(jis);
            const unsigned lead = sjis >> 8;
            ASSERT_TRUE((lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xEF));
            ASSERT_TRUE(IsSjisTrail(sjis & 0xFFu)) << std::hex << jis;
            ASSERT_EQ(SjisToJisCode(sjis), jis) << std::hex << jis;
        }
    }
    static const uint16_t kBad[] = {0x8100, 0x813F, 0x817F, 0x81FD, 0xF040, 0xFA40, 0x4141, 0xA1A1};
    for (uint16_t bad : kBad) EXPECT_EQ(SjisToJisCode(bad), 0) << std::hex << bad;
}

TEST(ExtensionKanjiTable, PairsTheIbmRowsWithTheNecSelectedRows) {
    const auto table = ExtensionKanjiTable();
    ASSERT_EQ(table.size(), 373u);
    for (size_t i = 1; i < table.size(); ++i) EXPECT_LT(table[i - 1].ibm, table[i].ibm);
    for (const ExtensionPair& p : table) {
        const char16_t u = platform::DecodeChar(932, p.ibm);
        ASSERT_NE(u, 0xFFFF) << std::hex << p.ibm;
        EXPECT_EQ(platform::DecodeChar(932, p.nec), u) << std::hex << p.ibm;
        EXPECT_EQ(LookupExtensionKanji(p.ibm), p.nec);
    }
    // Complete: every IBM character gets the NEC-selected twin, or the code page's own code
    // when that is a standard one (JIS X 0208 or NEC row 13), or nothing.
    std::map<char16_t, uint16_t> necSelected;
    for (unsigned code = 0xED40; code <= 0xEEFC; ++code) {
        char16_t u = platform::DecodeChar(932, static_cast<uint16_t>(code));
        if (u != 0xFFFF) necSelected.emplace(u, static_cast<uint16_t>(code));
    }
    int standard = 0;
    for (unsigned code = 0xFA40; code <= 0xFC4B; ++code) {
        const char16_t u = platform::DecodeChar(932, static_cast<uint16_t>(code));
        if (u == 0xFFFF) continue;
        const uint16_t preferred = platform::EncodeChar(932, u);
        uint16_t expected = 0;
        if (preferred < 0xED00) {
            expected = preferred;
            ++standard;
        } else if (auto it = necSelected.find(u); it != necSelected.end()) {
            expected = it->second;
        }
        EXPECT_EQ(ReplaceExtensionCode(static_cast<uint16_t>(code)), expected) << std::hex << code;
    }
    EXPECT_EQ(standard, 15);
}

TEST(KanaPairTable, AgreesWithTheWidthMap) {
    const auto halves = HalfKanaSequences();
    const auto fulls = FullKanaForSequences();
    ASSERT_EQ(halves.size(), fulls.size());
    size_t paired = 0;
    for (unsigned kana = 0xA1; kana <= 0xDF; ++kana) {
        for (int mark : {0xDE, 0xDF}) {
            int consumed = 0;
            uint16_t full = platform::HalfToFullWidth(static_cast<uint8_t>(kana), mark, &consumed);
            if (consumed != 2) continue;
            ++paired;
            const std::string seq{static_cast<char>(kana), static_cast<char>(mark)};
            size_t k = 0;
            while (k < halves.size() && halves[k] != seq) ++k;
            ASSERT_LT(k, halves.size()) << std::hex << kana;
            EXPECT_EQ(fulls[k], full);
        }
    }
    EXPECT_EQ(paired, halves.size());
}

}  // namespace
}  // namespace norv::document
