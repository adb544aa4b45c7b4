// The escape-sequence decoder: single sequences and whole texts.
#include "editing/escape_sequences.h"

#include <gtest/gtest.h>

#include <string>

namespace norv::editing {
namespace {

TEST(EscapeSequences, DecodesOneSequence) {
    static const struct {
        std::string text;
        int value;
        size_t length;
    } kCases[] = {
        {"\\a", 7, 2},
        {"\\b", 8, 2},
        {"\\e", 27, 2},
        {"\\f", 12, 2},
        {"\\n", 10, 2},
        {"\\N", 10, 2},
        {"\\r", 13, 2},
        {"\\t", 9, 2},
        {"\\v", 11, 2},
        {"\\0", 0, 2},
        {"\\\\", '\\', 2},
        {"\\Q", 'q', 2},
        {"\\.", '.', 2},
        {"\\x41", 0x41, 4},
        {"\\X4a", 0x4A, 4},
        {"\\xfFz", 0xFF, 4},
        // "\x" without two hexadecimal digits is the letter x; what follows stays text.
        {"\\x", 'x', 2},
        {"\\x4", 'x', 2},
        {"\\xg1", 'x', 2},
        {"\\x1g", 'x', 2},
        // A backslash at the very end stands for 0.
        {"\\", 0, 1},
    };
    for (const auto& c : kCases) {
        DecodedEscape e = DecodeEscape(c.text);
        EXPECT_EQ(e.value, c.value) << c.text;
        EXPECT_EQ(e.length, c.length) << c.text;
    }
}

TEST(EscapeSequences, DecodesWholeTexts) {
    static const struct {
        std::string text;
        int codePage;
        std::string decoded;
    } kCases[] = {
        {"a\\tb\\n", 932, "a\tb\n"},
        {"\\x414", 932, "A4"},
        {"\\x4", 932, "x4"},
        {"ab\\0cd", 932, "ab"},  // \0 ends the text
        {"ab\\x00cd", 932, "ab"},
        {"ab\\", 932, "ab"},
        // A trail byte 0x5C is part of its character, not a backslash.
        {"\x83\x5Cn", 932, "\x83\x5Cn"},
        {"\\\x83\x5Cn", 932, "\x83\x5Cn"},
        // In a single-byte code page the same bytes are three characters.
        {"\x83\x5Cn", 1252, "\x83\n"},
    };
    for (const auto& c : kCases) {
        EXPECT_EQ(DecodeEscapes(c.text, c.codePage), c.decoded) << c.text;
    }
}

}  // namespace
}  // namespace norv::editing
