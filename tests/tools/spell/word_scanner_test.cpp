// The words a line gives, in order, under the scanning rules, in code page 932 and in UTF-8.
#include "tools/spell/word_scanner.h"

#include <gtest/gtest.h>

#include "platform/code_page.h"

namespace norv::tools {
namespace {

std::vector<std::string> Words(int codePage, std::string_view line) {
    std::vector<std::string> out;
    size_t pos = 0;
    while (auto w = NextWord(codePage, line, pos, line.size())) {
        out.emplace_back(line.substr(w->start, w->length));
        EXPECT_GT(w->end(), pos);
        pos = w->end();
    }
    return out;
}

using V = std::vector<std::string>;

TEST(WordScanner, ApostropheHyphenAndDotRules) {
    static const struct {
        const char* line;
        V words;
    } kCases[] = {
        {"don't well-known e.g. U.S.A.", {"don't", "well-known", "e.g.", "U.S.A."}},
        {"-abc --x", {"abc", "x"}},
        {"dogs' a- b' c--d e''f", {"dogs", "a", "b", "c", "d", "e", "f"}},
        {"rock'n'roll up-to-date", {"rock'n'roll", "up-to-date"}},
        // A dot after a one-byte start, or after a word byte that follows a dot.
        {"a. I.B.M. x.y ab.cd", {"a.", "I.B.M.", "x.y", "ab", "cd"}},
        {"e.g no.5 3.14 U.S.", {"e.g", "no", "5", "3.14", "U.S."}},
        {"ab..c a..b", {"ab", "c", "a.", "b"}},
        {"x1y2 1st", {"x1y2", "1st"}},
        {"tab\there,comma;semi(paren)", {"tab", "here", "comma", "semi", "paren"}},
    };
    for (const auto& c : kCases) {
        EXPECT_EQ(Words(932, c.line), c.words) << c.line;
        EXPECT_EQ(Words(platform::kCodePageUtf8Internal, c.line), c.words) << c.line;
    }
}

TEST(WordScanner, MultiByteCharactersArePassedOverWhole) {
    // ア is 0x83 0x41 in Shift-JIS: its trail byte is "A". ソ is 0x83 0x5C.
    EXPECT_EQ(Words(932, "x\x83\x41y"), (V{"x", "y"}));
    EXPECT_EQ(Words(932,
                    "\x83\x41\x83\x41"
                    "bc\x83\x5C"),
              (V{"bc"}));
    // A lead byte at the end of the line is a byte of its own.
    EXPECT_EQ(Words(932, "ab\x83"), (V{"ab"}));
    // Code page 1252 has no lead bytes: the byte after 0x83 is a letter there.
    EXPECT_EQ(Words(1252, "x\x83\x41y"), (V{"x", "Ay"}));
    // UTF-8: é and 日本語 are passed over; a stray continuation byte is a byte of its own.
    EXPECT_EQ(Words(platform::kCodePageUtf8Internal,
                    "caf\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC"
                    "abc"),
              (V{"caf", "abc"}));
    EXPECT_EQ(Words(platform::kCodePageUtf8Internal,
                    "a\x80"
                    "b\xF0\x9F\x98\x80"
                    "c"),
              (V{"a", "b", "c"}));
}

TEST(WordScanner, LongWordsComeInPiecesOf256Bytes) {
    const std::string run(600, 'q');
    EXPECT_EQ(Words(932, run), (V{run.substr(0, 256), run.substr(0, 256), run.substr(0, 88)}));
    // The rule for an apostrophe is met by the byte after it even at the limit.
    const std::string edge = std::string(255, 'a') + "'s";
    EXPECT_EQ(Words(932, edge), (V{std::string(255, 'a') + "'", "s"}));
}

TEST(WordScanner, TheScanStopsAtItsLimitButAWordMayReachPastIt) {
    const std::string line = "one two three";
    EXPECT_FALSE(NextWord(932, line, 3, 4)) << "only the blank lies before the limit";
    auto w = NextWord(932, line, 4, 6);
    ASSERT_TRUE(w);
    EXPECT_EQ(line.substr(w->start, w->length), "two");
    EXPECT_FALSE(NextWord(932, line, 0, 0));
    EXPECT_FALSE(NextWord(932, "", 0, 10));
}

}  // namespace
}  // namespace norv::tools
