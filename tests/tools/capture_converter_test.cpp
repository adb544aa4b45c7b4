// Console output into a document's code: characters, bytes that are not UTF-8, characters cut
// between reads, and the end-of-file mark.
#include "tools/shell/capture_converter.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "platform/code_page.h"

namespace norv::tools {
namespace {

std::string Sjis(std::u16string_view text) {
    return platform::WideToMultiByte(932, text);
}

std::string AtOnce(int codePage, const std::string& bytes) {
    CaptureConverter c(codePage);
    return c.Feed(bytes) + c.Finish();
}

TEST(CaptureConverter, Utf8IntoTheDocumentsCode) {
    static const struct {
        const char* what;
        std::string in;
        std::string out932;
    } kCases[] = {
        {"ASCII", "make: ok\n", "make: ok\n"},
        {"Japanese", "日本語のテキスト\n", Sjis(u"日本語のテキスト\n")},
        {"half-width kana", "ｶﾅ", "\xB6\xC5"},
        {"not in the code page", "€ 😀 é", "? ? ?"},
        {"Shift-JIS written by the program", Sjis(u"漢字"), Sjis(u"漢字")},
        {"overlong and surrogate forms stay bytes", "\xC0\xAF\xED\xA0\x80", "\xC0\xAF\xED\xA0\x80"},
        {"a lone continuation byte", "a\x80z", "a\x80z"},
        {"NUL", std::string("a\0b", 3), std::string("a\0b", 3)},
    };
    for (const auto& c : kCases) {
        EXPECT_EQ(AtOnce(932, c.in), c.out932) << c.what;
        EXPECT_EQ(AtOnce(65001, c.in), c.in) << c.what;  // a UTF-8 document takes the bytes
    }
}

TEST(CaptureConverter, WhereverTheOutputIsCutTheTextIsTheSame) {
    std::mt19937 rng(5);
    const std::string pieces[] = {"a",    "\n",       "日",       "ｶ",        "😀",
                                  "\x80", "\xE6\x97", "\xF0\x9F", "\x82\xA0", "\xFF"};
    for (int round = 0; round < 500; ++round) {
        std::string bytes;
        for (int i = 0, n = static_cast<int>(rng() % 40); i < n; ++i) bytes += pieces[rng() % 10];
        const std::string whole = AtOnce(932, bytes);
        CaptureConverter c(932);
        std::string cut;
        for (size_t at = 0; at < bytes.size();) {
            const size_t n = std::min(bytes.size() - at, size_t{1} + rng() % 5);
            cut += c.Feed(std::string_view(bytes).substr(at, n));
            at += n;
        }
        cut += c.Finish();
        ASSERT_EQ(cut, whole) << round;
    }
}

// Long runs of ASCII between characters and stray bytes, cut anywhere and appended to one text:
// each piece comes out as it should, whatever the length of the run before it.
TEST(CaptureConverter, AsciiRunsOfAnyLengthBetweenCharacters) {
    std::mt19937 rng(7);
    const struct {
        std::string in, out;
    } pieces[] = {{"日", Sjis(u"日")}, {"\x80", "\x80"}, {"😀", "?"}, {"\xE6\x97", "\xE6\x97"}};
    for (int round = 0; round < 300; ++round) {
        std::string bytes, expected;
        for (int i = 0, n = static_cast<int>(rng() % 12); i < n; ++i) {
            const std::string run(rng() % 21, static_cast<char>('a' + rng() % 26));
            const auto& p = pieces[rng() % std::size(pieces)];
            // A cut sequence followed by ASCII stays bytes; by more bytes it might join them.
            bytes += run + p.in + "z";
            expected += run + p.out + "z";
        }
        CaptureConverter c(932);
        std::string cut = "<";
        for (size_t at = 0; at < bytes.size();) {
            const size_t n = std::min(bytes.size() - at, size_t{1} + rng() % 19);
            c.FeedInto(std::string_view(bytes).substr(at, n), cut);
            at += n;
        }
        cut += c.Finish();
        ASSERT_EQ(cut, "<" + expected) << round;
    }
}

TEST(CaptureConverter, TheEndOfFileMarkOfAShortRead) {
    EXPECT_EQ(DropFinalEofMark("abc\x1A", 2048), "abc");
    EXPECT_EQ(DropFinalEofMark("abc\x1A", 4), "abc\x1A");  // a full read keeps it
    EXPECT_EQ(DropFinalEofMark("a\x1A"
                               "b",
                               2048),
              "a\x1A"
              "b");
    EXPECT_EQ(DropFinalEofMark("", 2048), "");
}

}  // namespace
}  // namespace norv::tools
