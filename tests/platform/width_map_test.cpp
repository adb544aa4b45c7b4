// The code page 932 width mapping: ASCII and half-width katakana widen to the characters CP932
// gives their full-width forms and narrow back; kana with sound marks pair with the combined
// characters.
#include "platform/width_map.h"

#include <gtest/gtest.h>

#include "platform/code_page.h"

namespace norv::platform {
namespace {

TEST(WidthMap, AsciiWidensToTheFullWidthFormsAndBack) {
    for (unsigned c = 0x20; c <= 0x7E; ++c) {
        int consumed = 0;
        const uint16_t full = HalfToFullWidth(static_cast<uint8_t>(c), -1, &consumed);
        EXPECT_EQ(consumed, 1);
        const char16_t expected = c == 0x20 ? u'\u3000' : static_cast<char16_t>(0xFF01 + c - 0x21);
        EXPECT_EQ(DecodeChar(932, full), expected) << char(c);
        uint8_t half[2] = {};
        ASSERT_EQ(FullToHalfWidth(full, half), 1u) << char(c);
        EXPECT_EQ(half[0], c);
    }
}

TEST(WidthMap, KatakanaWidenToFullWidthKatakanaAndBack) {
    for (unsigned c = 0xA1; c <= 0xDF; ++c) {
        int consumed = 0;
        const uint16_t full = HalfToFullWidth(static_cast<uint8_t>(c), -1, &consumed);
        const char16_t u = DecodeChar(932, full);
        EXPECT_TRUE(u >= 0x3000 && u <= 0x30FF) << std::hex << c;  // CJK punctuation, kana
        uint8_t half[2] = {};
        ASSERT_EQ(FullToHalfWidth(full, half), 1u) << std::hex << c;
        EXPECT_EQ(half[0], c);
    }
}

TEST(WidthMap, SoundMarksPairWhereACombinedCharacterExists) {
    // clang-format off
    static const struct {
        uint8_t kana;
        int next;
        uint16_t full;
        int consumed;
    } kCases[] = {
        {0xB6, 0xDE, 0x834B, 2},  // ｶﾞ -> ガ
        {0xB3, 0xDE, 0x8394, 2},  // ｳﾞ -> ヴ
        {0xCA, 0xDF, 0x8370, 2},  // ﾊﾟ -> パ
        {0xCE, 0xDE, 0x837B, 2},  // ﾎﾞ -> ボ
        {0xB6, 0xDF, 0x834A, 1},  // ｶﾟ: no combined character, カ alone
        {0xDC, 0xDE, 0x838F, 1},  // ﾜﾞ: ヷ is not in CP932
        {0xB1, 0xDE, 0x8341, 1},  // ｱﾞ
        {0xB6, 0x41, 0x834A, 1},
        {0xDE, -1, 0x814A, 1},    // a mark alone -> ゛
    };
    // clang-format on
    for (const auto& c : kCases) {
        int consumed = 0;
        EXPECT_EQ(HalfToFullWidth(c.kana, c.next, &consumed), c.full) << std::hex << int(c.kana);
        EXPECT_EQ(consumed, c.consumed) << std::hex << int(c.kana);
        if (c.consumed == 2) {
            uint8_t half[2] = {};
            ASSERT_EQ(FullToHalfWidth(c.full, half), 2u);
            EXPECT_EQ(half[0], c.kana);
            EXPECT_EQ(half[1], c.next);
        }
    }
}

TEST(WidthMap, CharactersWithoutTheOtherWidth) {
    int consumed = 0;
    EXPECT_EQ(HalfToFullWidth(0x1F, -1, &consumed), 0);
    EXPECT_EQ(HalfToFullWidth(0x7F, -1, &consumed), 0);
    EXPECT_EQ(HalfToFullWidth(0xA0, -1, &consumed), 0);
    EXPECT_EQ(HalfToFullWidth(0xE0, -1, &consumed), 0);
    uint8_t half[2] = {};
    EXPECT_EQ(FullToHalfWidth(0x889F, half), 0u);  // 亜
    EXPECT_EQ(FullToHalfWidth(0x8740, half), 0u);  // ①
    // One way: ￥ and ￣ narrow to the bytes CP932 writes for U+00A5 and U+203E.
    ASSERT_EQ(FullToHalfWidth(0x818F, half), 1u);
    EXPECT_EQ(half[0], 0x5C);
    ASSERT_EQ(FullToHalfWidth(0x8150, half), 1u);
    EXPECT_EQ(half[0], 0x7E);
    ASSERT_EQ(FullToHalfWidth(0xEEFC, half), 1u);  // ＂ of the NEC-selected rows
    EXPECT_EQ(half[0], '"');
}

}  // namespace
}  // namespace norv::platform
