// The code-page layer as the codecs rely on it: CP932 as Microsoft maps it (NEC and IBM rows,
// the wave dash as U+FF5E), lone lead bytes, and "?" for characters the code page lacks.
#include "platform/code_page.h"

#include <gtest/gtest.h>

namespace norv::platform {
namespace {

TEST(CodePage, SystemCodePageComesFromTheEnvironment) {
    EXPECT_EQ(SystemCodePage(), 932);
}

TEST(CodePage, Cp932HasTheMicrosoftMappings) {
    // clang-format off
    static const struct {
        uint16_t code;
        char16_t unit;
    } kCases[] = {
        {0x8160, u'\uFF5E'},  // full-width tilde, not the wave dash U+301C
        {0x8740, u'\u2460'},  // NEC row 13: circled digit one
        {0x815F, u'\uFF3C'},  // full-width reverse solidus
        {0x889F, u'\u4E9C'},  // first kanji of level 1
        {0xED40, u'\u7E8A'},  // NEC-selected IBM extension
        {0xFA5C, u'\u7E8A'},  // the same character in the IBM rows
        {0x005C, u'\\'},      // CP932 reads 0x5C as backslash
        {0x00B1, u'\uFF71'},  // half-width katakana
    };
    // clang-format on
    for (const auto& c : kCases) {
        EXPECT_EQ(DecodeChar(932, c.code), c.unit) << std::hex << c.code;
        std::string bytes;
        if (c.code > 0xFF) bytes.push_back(static_cast<char>(c.code >> 8));
        bytes.push_back(static_cast<char>(c.code & 0xFF));
        EXPECT_EQ(MultiByteToWide(932, bytes), std::u16string(1, c.unit)) << std::hex << c.code;
    }
}

TEST(CodePage, EveryMappedDoubleByteCodeRoundTrips) {
    int mapped = 0;
    for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
        if (!IsLeadByte(932, static_cast<uint8_t>(lead))) continue;
        for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
            const auto code = static_cast<uint16_t>((lead << 8) | trail);
            const char16_t u = DecodeChar(932, code);
            if (u == 0xFFFF) continue;
            ++mapped;
            // Duplicates (NEC and IBM forms) encode to one preferred code of the same character.
            const uint16_t back = EncodeChar(932, u);
            ASSERT_NE(back, 0xFFFF) << std::hex << code;
            EXPECT_EQ(DecodeChar(932, back), u) << std::hex << code;
            const std::string bytes{static_cast<char>(lead), static_cast<char>(trail)};
            EXPECT_EQ(WideToMultiByte(932, MultiByteToWide(932, bytes)).size(), 2u);
        }
    }
    // JIS X 0208 (6879) + NEC row 13 (83) + NEC-selected IBM (374) + IBM (388) + user (1880).
    EXPECT_GT(mapped, 7000);
}

TEST(CodePage, LoneAndBrokenLeadBytes) {
    // clang-format off
    static const struct {
        const char* bytes;
        size_t n;
        std::u16string wide;
    } kCases[] = {
        {"\x82", 1, u"\uFFFD"},                  // cut by the end
        {"\x82\n", 2, u"\uFFFD\n"},              // invalid trail stays its own character
        {"a\x82\xA0" "b", 4, u"a\u3042b"},       // the ordinary case
        {"\x00\x82\xA0", 3, std::u16string(u"\0\u3042", 2)},  // NUL is a byte
    };
    // clang-format on
    for (const auto& c : kCases)
        EXPECT_EQ(MultiByteToWide(932, std::string_view(c.bytes, c.n)), c.wide) << c.bytes;
}

TEST(CodePage, UnmappableCharactersBecomeQuestionMarks) {
    // clang-format off
    static const struct {
        std::u16string wide;
        const char* bytes;
        bool lossy;
    } kCases[] = {
        {u"\u3042", "\x82\xA0", false},
        {u"\u00E9", "?", true},          // no Latin-1 letters in CP932
        {u"\U0001F600", "?", true},      // a surrogate pair is one character
        {u"a\xD800" "b", "a?b", true},   // a lone surrogate
    };
    // clang-format on
    for (const auto& c : kCases) {
        bool lossy = false;
        EXPECT_EQ(WideToMultiByte(932, c.wide, &lossy), c.bytes);
        EXPECT_EQ(lossy, c.lossy) << c.bytes;
    }
}

// The ASCII run at the start of a text, with and without stopping at a CR: at every length and
// every place of the first byte that stops it (sixteen or eight bytes are looked at a time), for
// bytes that only look like a CR in part (0x8D, 0x0C, 0x0E) and CRs next to high bytes.
TEST(CodePage, AsciiPrefixStopsAtTheFirstHighByteOrCr) {
    auto expected = [](std::string_view s, bool stopAtCr) {
        size_t i = 0;
        while (i < s.size() && static_cast<uint8_t>(s[i]) < 0x80 && !(stopAtCr && s[i] == '\r'))
            ++i;
        return i;
    };
    const char stops[] = {'\r', '\x80', '\x8D', '\xFF', '\x0C', '\x0E', '\n', '\0'};
    for (size_t length = 0; length <= 40; ++length) {
        for (size_t at = 0; at <= length; ++at) {
            for (char stop : stops) {
                std::string s(length, 'a');
                if (at < length) s[at] = stop;
                if (at + 1 < length) s[at + 1] = '\r';
                if (at + 2 < length) s[at + 2] = '\x82';
                for (bool cr : {false, true})
                    ASSERT_EQ(AsciiPrefix(s, cr), expected(s, cr))
                        << length << " " << at << " " << int(stop) << " " << cr;
            }
        }
    }
    // Every byte value in the middle of a long run.
    for (int b = 0; b < 256; ++b) {
        std::string s(37, 'x');
        s[21] = static_cast<char>(b);
        for (bool cr : {false, true}) ASSERT_EQ(AsciiPrefix(s, cr), expected(s, cr)) << b;
    }
}

}  // namespace
}  // namespace norv::platform
