// Keyword matching, comment-block states carried from line to line, and the styles of a line.
#include "view/syntax.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "document/codecs.h"
#include "document/line_heap.h"
#include "document/line_list.h"
#include "support/sjis_text.h"

namespace norv::view {
namespace {

using norv::testing::Sjis;

// Group 0: C keywords (colored), group 1: bold case-insensitive words, group 2: comments and
// strings, group 3: a group that does not apply.
SyntaxRules CRules() {
    SyntaxRules r;
    r.groups[0] = {true, false, true, false};
    r.groups[1] = {true, true, true, true};
    r.groups[2] = {true, false, true, false};
    r.groups[3] = {false, false, true, false};
    auto add = [&](std::string text, uint8_t g) {
        r.buckets[static_cast<uint8_t>(std::toupper(static_cast<unsigned char>(text[0])))]
            .push_back({std::move(text), g});
    };
    add("ifdef", 0);  // longer keywords before their prefixes
    add("if", 0);
    add("int", 0);
    add("#include", 0);
    add("select", 1);
    add("x++", 0);
    add("!=", 0);
    add(Sjis("漢字"), 0);
    add("never", 3);
    r.blocks = {
        {"/*", "*/", 2, true, false},  // 1
        {"//", "", 2, true, false},    // 2
        {"\"", "\"", 2, true, false},  // 3
        {"/", "/", 3, true, false},    // 4: group 3 does not apply
        {"Rem ", "", 2, false, true},  // 5: not coloured, bold
    };
    r.Prepare();
    return r;
}

KeywordMatch At(const SyntaxRules& r, std::string_view text, size_t pos, uint32_t before = 0) {
    return MatchKeyword(r, text, pos, before, 932);
}

TEST(Keywords, MatchAtAPosition) {
    const SyntaxRules r = CRules();
    static const struct {
        const char* text;
        size_t pos;
        uint32_t before;
        size_t length;
    } kCases[] = {
        {"ifdef X", 0, 0, 5},  // the longest keyword of the bucket first
        {"if (a)", 0, 0, 2},
        {"iffy", 0, 0, 0},      // followed by a letter
        {"diff", 1, 'd', 0},    // preceded by a letter
        {"SELECT *", 0, 0, 6},  // case-insensitive group
        {"INT a", 0, 0, 0},     // case-sensitive group
        {"#include <a>", 0, 0, 8},
        {"a#include", 1, 'a', 8},  // begins with a non-alphanumeric byte
        {"ax++;", 1, 'a', 0},      // ends in "+" but begins with a letter after a letter
        {"x++y", 0, ' ', 3},       // last byte not alphanumeric, nothing before
        {" x++a", 1, ' ', 3},      // ...and a letter after it
        {"_x++a", 1, '_', 0},      // but not with "_" before it
        {"a!=b", 1, 'a', 2},
        {"never", 0, 0, 0},  // its group does not apply
        {"", 0, 0, 0},
    };
    for (const auto& c : kCases)
        EXPECT_EQ(At(r, c.text, c.pos, c.before).length, c.length) << c.text;
    // A double-byte keyword matches between letters.
    const std::string kanji = "a" + Sjis("漢字") + "b";
    const KeywordMatch m = At(r, kanji, 1, 'a');
    EXPECT_EQ(m.length, 4u);
    EXPECT_EQ(m.group, 0);
}

TEST(Keywords, CaseFoldingLeavesDoubleByteCharactersAlone) {
    SyntaxRules r;
    r.groups[0] = {true, true, true, false};
    // "\x83\x41" and "\x83\x61" are two different katakana; folding the trail byte would make
    // the one match the other.
    r.buckets[0x83].push_back({"\x83\x41", 0});
    r.Prepare();
    EXPECT_EQ(At(r, "\x83\x41", 0).length, 2u);
    EXPECT_EQ(At(r, "\x83\x61", 0).length, 0u);
}

std::vector<uint8_t> States(const SyntaxRules& r, const std::vector<std::string>& lines) {
    std::vector<uint8_t> out{0};
    for (const std::string& l : lines) {
        const std::string t = l + "\n";
        out.push_back(NextLineState(r, LineText(t), out.back(), 932));
    }
    return out;
}

TEST(CommentBlocks, StatesCarriedFromLineToLine) {
    const SyntaxRules r = CRules();
    // Each line with the state the next one starts in.
    EXPECT_EQ(States(r, {"a /* open", "still", "close */ b", "c"}),
              (std::vector<uint8_t>{0, 1, 1, 0, 0}));
    EXPECT_EQ(States(r, {"// to the end /*", "x"}), (std::vector<uint8_t>{0, 0, 0}));
    // A quote pair never carries to the next line.
    EXPECT_EQ(States(r, {"s = \"open", "x"}), (std::vector<uint8_t>{0, 0, 0}));
    // "/*/" stays open: the end is looked for only after the beginning string.
    EXPECT_EQ(States(r, {"/*/", "*/"}), (std::vector<uint8_t>{0, 1, 0}));
    // The longest beginning string wins: "//" over the non-applying "/".
    EXPECT_EQ(States(r, {"x / y", "a/b"}), (std::vector<uint8_t>{0, 0, 0}));
    // Inside a block nothing opens; a string inside a comment is no string.
    EXPECT_EQ(States(r, {"/* \" */ x", "y"}), (std::vector<uint8_t>{0, 0, 0}));
    // A double-byte character ending in a backslash is passed over whole.
    EXPECT_EQ(States(r, {Sjis("ソ") + "/*x", "y"}), (std::vector<uint8_t>{0, 1, 1}));
}

TEST(CommentBlocks, NothingScannedWithoutTakingPartBlocks) {
    SyntaxRules r = CRules();
    for (auto& g : r.groups) g.applies = false;
    r.Prepare();
    EXPECT_FALSE(r.ScansBlocks());
    EXPECT_EQ(States(r, {"/* x", "y"}), (std::vector<uint8_t>{0, 0, 0}));
}

std::string Marks(const std::vector<CharStyle>& s) {
    std::string out;
    for (const CharStyle& c : s)
        out += c.link ? 'U' : c.group < 0 ? (c.bold ? 'b' : '.') : static_cast<char>('0' + c.group);
    return out;
}

std::string Styled(const SyntaxRules& r, const std::string& text, uint8_t state = 0) {
    const std::string t = text + "\n";
    return Marks(StyleLine(r, LineText(t), state, 932, true));
}

TEST(LineStyles, KeywordsBlocksAndLinks) {
    const SyntaxRules r = CRules();
    EXPECT_EQ(Styled(r, "if (x) int y;"), "00.....000...");
    // Keywords inside a coloured comment take the comment's colour.
    EXPECT_EQ(Styled(r, "a /* if */ int"), "..22222222.000");
    // A line starting inside a block.
    EXPECT_EQ(Styled(r, "if */ if", 1), "22222.00");
    // A link inside a comment keeps the URL colour.
    EXPECT_EQ(Styled(r, "// http://a.jp"), "222UUUUUUUUUUU");
    // A block that is not coloured makes its text bold and leaves keywords their colour.
    EXPECT_EQ(Styled(r, "x Rem if"), "..bbbb00");
    // A block beginning with a letter opens at the start of a word only.
    EXPECT_EQ(Styled(r, "TRem if"), ".....00");
    // Bold keywords of a bold group.
    const std::string t = "select\n";
    const auto styles = StyleLine(r, LineText(t), 0, 932, false);
    EXPECT_TRUE(styles[0].bold);
    EXPECT_EQ(styles[0].group, 1);
}

// The tags of an HTML line take the HTML colour ('h'), to the next ">" or to the line's end;
// keywords, comment blocks and addresses keep theirs.
TEST(LineStyles, HtmlMarkup) {
    const SyntaxRules r = CRules();
    auto marked = [&r](const std::string& text, uint8_t state = 0) {
        const std::string t = text + "\n";
        std::vector<CharStyle> styles = StyleLine(r, LineText(t), state, 932, true);
        MarkMarkup(styles, text);
        std::string out = Marks(styles);
        for (size_t i = 0; i < styles.size(); ++i)
            if (styles[i].markup) out[i] = 'h';
        return out;
    };
    EXPECT_EQ(marked("a <b>x</b> c"), "..hhh.hhhh..");
    EXPECT_EQ(marked("<a href=x"), "hhhhhhhhh");
    EXPECT_EQ(marked("x > y"), ".....");
    EXPECT_EQ(marked("<if x>"), "h00hhh");
    EXPECT_EQ(marked("<a mailto:x@y.jp>"), "hhhUUUUUUUUUUUUUh");
    // A comment opened inside a tag runs on in its own colour.
    EXPECT_EQ(marked("<a http://a.jp>"), "hhhUUUUUUUUUUU2");
    EXPECT_EQ(marked("<x /* if */>"), "hhh22222222h");
    // A double-byte character inside a tag is drawn in it too.
    EXPECT_EQ(marked("<" + Sjis("ナ") + ">"), "hhhh");
}

TEST(LineStyles, KeywordAfterADoubleByteCharacter) {
    const SyntaxRules r = CRules();
    // "\x83\x69" (katakana) ends in the byte of "i": the keyword after it still matches, and
    // no keyword starts inside it.
    EXPECT_EQ(Styled(r,
                     "\x83\x69"
                     "f x"),
              ".....");
    EXPECT_EQ(Styled(r, Sjis("ナ") + "if x"), "..00..");
}

TEST(LineStates, RecomputedFromTheLastRightLine) {
    document::LineHeap heap;
    document::LineList list(heap);
    for (const char* l : {"a", "/* b", "c", "d */", "e", "f"}) list.AppendLine(l, std::strlen(l));
    const SyntaxRules r = CRules();
    auto textOf = [](const document::LineRecord* rec) { return LineText(rec); };
    auto states = [&] {
        std::vector<int> s;
        for (auto* rec = list.first(); rec; rec = rec->next) s.push_back(rec->highlight);
        return s;
    };
    UpdateLineStates(r, 932, list.LineAt(6), 6, 0, textOf);
    EXPECT_EQ(states(), (std::vector<int>{0, 0, 1, 1, 0, 0}));
    // Line 2 loses its comment opener; from line 2 on everything is scanned again.
    document::LineRecord* two = list.LineAt(2);
    std::memcpy(two->text(), "// b", 4);
    UpdateLineStates(r, 932, list.LineAt(5), 5, 2, textOf);
    EXPECT_EQ(states(), (std::vector<int>{0, 0, 0, 0, 0, 0}));
    // Nothing below the target is touched, and a target already right scans nothing.
    list.LineAt(6)->highlight = 9;
    UpdateLineStates(r, 932, list.LineAt(3), 3, 5, textOf);
    EXPECT_EQ(list.LineAt(6)->highlight, 9);
}

}  // namespace
}  // namespace norv::view
