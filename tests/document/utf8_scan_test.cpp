// The UTF-8 test against a plain reading of its rule, on random bytes (the fast paths for ASCII,
// three-byte runs and 16-byte blocks must give the same answers as the byte-by-byte rule).
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "document/codecs.h"

namespace norv::document {
namespace {

// Lead 110xxxxx..1111110x announces 1..5 continuation bytes 10xxxxxx; anything else fails.
// Returns -1 malformed, else the continuation bytes still owed at the end; *saw is set when a
// continuation byte was met.
int Reference(const std::string& s, int pending, bool* saw) {
    for (char ch : s) {
        auto c = static_cast<unsigned char>(ch);
        if (pending > 0) {
            if ((c & 0xC0) != 0x80) return -1;
            *saw = true;
            --pending;
            continue;
        }
        if (c < 0x80) continue;
        int ones = 0;
        while (ones < 8 && (c & (0x80 >> ones))) ++ones;
        if (ones < 2 || ones > 6) return -1;
        pending = ones - 1;
    }
    return pending;
}

TEST(Utf8Scan, AgreesWithThePlainRuleOnRandomBytes) {
    std::mt19937 rng(99);
    const unsigned char kBytes[] = {'a',  '\n', 0x80, 0x9F, 0xBF, 0xC2, 0xDF, 0xE3, 0xEF,
                                    0xF0, 0xF4, 0xF7, 0xF8, 0xFB, 0xFC, 0xFD, 0xFE, 0xFF};
    for (int round = 0; round < 20000; ++round) {
        std::string s;
        size_t len = rng() % 120;
        // Mostly well-formed text with a few wrong bytes, so both answers occur.
        while (s.size() < len) {
            switch (rng() % 6) {
                case 0:
                    s += "abcdefghijklmnopq";
                    break;
                case 1:
                    s += "\xE3\x81\x82";
                    break;
                case 2:
                    s += "\xC3\xA9";
                    break;
                case 3:
                    s += "\xF0\x9F\x98\x80";
                    break;
                case 4:
                    s += "\xF8\x88\x80\x80\x80";
                    break;
                default:
                    s.push_back(static_cast<char>(kBytes[rng() % sizeof kBytes]));
                    break;
            }
        }
        if (round % 3 == 0) s.resize(len);
        bool saw = false;
        int ref = Reference(s, 0, &saw);
        EXPECT_EQ(IsUtf8Line(s.data(), s.size()), ref == 0 && saw) << round;
        // The same text in two pieces of one line.
        size_t cut = s.empty() ? 0 : rng() % s.size();
        Utf8Scanner scanner;
        scanner.Feed(s.data(), cut, true);
        scanner.Feed(s.data() + cut, s.size() - cut, false);
        EXPECT_EQ(scanner.malformed(), ref != 0) << round;
        if (ref == 0) {
            EXPECT_EQ(scanner.sawMultiByte(), saw) << round;
        }
    }
}

}  // namespace
}  // namespace norv::document
