// Word character classes with the default and with configured delimiter sets.
#include "editing/word_classes.h"

#include <gtest/gtest.h>

namespace norv::editing {
namespace {

TEST(WordClasses, ClassesWithDefaultDelimiters) {
    const WordClasses classes;
    static const struct {
        uint16_t code;
        WordClass expected;
    } kCases[] = {
        {'a', WordClass::kAnk},           {'_', WordClass::kAnk},
        {'#', WordClass::kAnk},           {'\\', WordClass::kAnk},
        {' ', WordClass::kAnkDelimiter},  {'\t', WordClass::kAnkDelimiter},
        {'\n', WordClass::kAnkDelimiter}, {0x01, WordClass::kAnkDelimiter},
        {',', WordClass::kAnkDelimiter},  {'?', WordClass::kAnkDelimiter},
        {0x7F, WordClass::kHighAnk},      {0xB1, WordClass::kHighAnk},
        {0x8340, WordClass::kKatakana},   {0x8396, WordClass::kKatakana},
        {0x815B, WordClass::kKatakana},   {0x829F, WordClass::kHiragana},
        {0x82A0, WordClass::kHiragana},   {0x833F, WordClass::kHiragana},
        {0x824F, WordClass::kWideAlnum},  {0x829A, WordClass::kWideAlnum},
        {0x889F, WordClass::kKanji},      {0x9FA0, WordClass::kKanji},
        {0xE040, WordClass::kKanji},      {0x8152, WordClass::kKanji},
        {0x815A, WordClass::kKanji},      {0x8140, WordClass::kDbcsDelimiter},
        {0x8141, WordClass::kOtherDbcs},  {0x8397, WordClass::kOtherDbcs},
        {0x8740, WordClass::kOtherDbcs},
    };
    for (const auto& c : kCases) {
        EXPECT_EQ(classes.ClassOf(c.code), c.expected) << std::hex << c.code;
    }
}

TEST(WordClasses, ConfiguredSetsReplaceDefaults) {
    // "、" (0x8141) and "。" (0x8142) as double-byte delimiters; only "#" as single byte.
    const WordClasses classes("#", "\x81\x41 \x81\x42");
    EXPECT_TRUE(classes.IsDelimiter('#'));
    EXPECT_FALSE(classes.IsDelimiter(','));
    EXPECT_TRUE(classes.IsDelimiter(' '));  // bytes up to 0x20 always delimit
    EXPECT_TRUE(classes.IsDelimiter(0x8141));
    EXPECT_TRUE(classes.IsDelimiter(0x8142));
    EXPECT_TRUE(classes.IsDelimiter(0x8140));  // the ideographic space always delimits
    EXPECT_FALSE(classes.IsDelimiter(0x8143));
    EXPECT_EQ(classes.ClassOf(0x8142), WordClass::kDbcsDelimiter);

    const WordClasses empty("", "");  // empty settings mean the defaults
    EXPECT_TRUE(empty.IsDelimiter(','));
    EXPECT_FALSE(empty.IsDelimiter(0x8141));
}

TEST(WordClasses, CharLengthNeverPassesTheEnd) {
    static const struct {
        int codePage;
        std::string text;
        size_t pos;
        size_t expected;
    } kCases[] = {
        {932, "\x82\xa0x", 0, 2},  {932, "a\x82", 1, 1},          {932, "ab", 0, 1},
        {1252, "\x82\xa0", 0, 1},  {65001, "\xe3\x81\x82", 0, 3}, {65000, "\xc3\xa9", 0, 2},
        {65001, "\xe3\x81", 0, 2}, {65001, "\x81", 0, 1},
    };
    for (const auto& c : kCases) {
        EXPECT_EQ(CharLengthAt(c.codePage, c.text, c.pos), c.expected) << c.text;
    }
}

}  // namespace
}  // namespace norv::editing
