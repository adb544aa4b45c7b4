// Brace matching against a short reference that decodes the characters first, on generated
// Shift-JIS and UTF-8 texts full of braces and of characters whose trail bytes look like
// braces (ー 81 5B, ボ 83 7B, マ 83 7D, ゼ 83 5B, ソ 83 5C); and the tag rule's word.
#include "editing/brace_matching.h"

#include <gtest/gtest.h>

#include <random>

#include "document/line_list.h"
#include "edit_test_support.h"
#include "platform/code_page.h"

namespace norv::editing {
namespace {

using testing::Enc;

struct Char {
    int line;
    size_t pos;
    std::string bytes;
};

// The reference: the text as a list of characters (a Shift-JIS lead byte takes the next byte,
// a UTF-8 character its announced bytes), then a plain walk over that list.
std::vector<Char> Characters(const std::vector<std::string>& lines, bool utf8) {
    std::vector<Char> out;
    for (size_t l = 0; l < lines.size(); ++l) {
        const std::string& s = lines[l];
        for (size_t i = 0; i < s.size();) {
            const auto b = static_cast<uint8_t>(s[i]);
            size_t n = 1;
            if (utf8)
                n = b < 0xC0 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
            else if ((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC))
                n = 2;
            if (i + n > s.size()) n = 1;
            out.push_back({static_cast<int>(l) + 1, i, s.substr(i, n)});
            i += n;
        }
    }
    return out;
}

std::optional<TextPlace> Reference(const std::vector<Char>& chars, size_t at) {
    static const std::string kOpen = "({[<", kClose = ")}]>";
    const std::string& c = chars[at].bytes;
    if (c.size() != 1) return std::nullopt;
    size_t k = kOpen.find(c[0]);
    const bool opening = k != std::string::npos;
    if (!opening) k = kClose.find(c[0]);
    if (k == std::string::npos) return std::nullopt;
    const std::string partner(1, opening ? kClose[k] : kOpen[k]);
    int depth = 1;
    for (size_t i = at;;) {
        if (opening ? ++i >= chars.size() : i-- == 0) return std::nullopt;
        if (chars[i].bytes == c) ++depth;
        if (chars[i].bytes == partner && --depth == 0)
            return TextPlace{chars[i].line, chars[i].pos};
    }
}

TEST(BraceMatching, AgreesWithAReferenceThatDecodesCharactersFirst) {
    static const char* const kPieces[] = {"(",  ")",  "{",  "}",  "[", "]", "<",  ">",  "ー",
                                          "ボ", "マ", "ゼ", "ソ", "a", " ", "漢", "〔", "］"};
    std::mt19937 rng(7);
    auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
    int compared = 0;
    for (int round = 0; round < 300; ++round) {
        const Enc e = round % 2 ? Enc::kUtf8 : Enc::kSjis;
        const int cp = e == Enc::kUtf8 ? platform::kCodePageUtf8Internal : 932;
        document::LineHeap heap;
        document::LineList list(heap);
        std::vector<std::string> lines;
        for (int l = pick(6) + 1; l > 0; --l) {
            std::string s;
            for (int i = pick(12); i > 0; --i) s += kPieces[pick(18)];
            lines.push_back(testing::Encode(e, s));
            list.AppendContent(lines.back().data(), lines.back().size(), 0);
        }
        const std::vector<Char> chars = Characters(lines, e == Enc::kUtf8);
        for (size_t i = 0; i < chars.size(); ++i) {
            bool opening = false;
            if (chars[i].bytes.size() != 1 || !BracePartner(chars[i].bytes[0], &opening)) continue;
            SCOPED_TRACE("round " + std::to_string(round) + " char " + std::to_string(i));
            bool stopped = false;
            const auto got = MatchBrace(list.LineAt(chars[i].line), chars[i].line, chars[i].pos, cp,
                                        nullptr, &stopped);
            const auto want = Reference(chars, i);
            ASSERT_EQ(got.has_value(), want.has_value());
            if (got) {
                EXPECT_EQ(got->line, want->line);
                EXPECT_EQ(got->pos, want->pos);
            }
            ++compared;
        }
    }
    EXPECT_GT(compared, 1000);
}

TEST(BraceMatching, ALeadByteBeforeTheLineEndIsACharacterOfItsOwn) {
    document::LineHeap heap;
    document::LineList list(heap);
    const std::string a = "(\x81", b = "\x81)";
    list.AppendContent(a.data(), a.size(), 0);
    list.AppendContent(b.data(), b.size(), 0);
    bool stopped = false;
    // "\x81)" is one character: the ")" is a trail byte and no brace.
    EXPECT_FALSE(MatchBrace(list.first(), 1, 0, 932, nullptr, &stopped));
    const std::string c = ")";
    list.AppendContent(c.data(), c.size(), 0);
    const auto at = MatchBrace(list.first(), 1, 0, 932, nullptr, &stopped);
    ASSERT_TRUE(at);
    EXPECT_EQ(at->line, 3);
}

TEST(BraceMatching, TheTagRulesWord) {
    static const struct {
        const char* line;
        size_t caret;
        const char* text;  // the search; "" none
        bool forward;
    } kCases[] = {
        {"<p>x</p>", 1, "/p", true},         // on the name of a start tag
        {"<div class=a>", 3, "/div", true},  // inside the name
        {"x</p>", 2, "<p", false},           // on the "/" of an end tag: one step right
        {"x</p>", 3, "<p", false},           // on the name of an end tag
        {"< p>", 2, "/p", true},             // blanks between "<" and the name
        {"a p", 2, "", true},                // no "<" or "/" before the word
        {"<>", 1, "", true},                 // no word
        {"<漢>", 1, "", true},               // not letters and digits
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.line);
        const auto t = TagSearchAt(c.line, c.caret, 932);
        ASSERT_EQ(t.has_value(), *c.text != 0);
        if (!t) continue;
        EXPECT_EQ(t->text, c.text);
        EXPECT_EQ(t->forward, c.forward);
    }
    // A trail byte that looks like "/" or a letter is no part of a word: ソ is 83 5C, ゼ 83 5B.
    const std::string sjis = testing::Encode(Enc::kSjis, "<ゼp>");
    const auto t = TagSearchAt(sjis, 3, 932);
    EXPECT_FALSE(t);
}

}  // namespace
}  // namespace norv::editing
