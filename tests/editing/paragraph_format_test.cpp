// The paragraph rules on plain lines: alignment, indentation, joining and reflowing, in
// Shift-JIS, UTF-8 and ASCII, and model tests of Deformat and Format on random texts.
#include "editing/paragraph_format.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "edit_test_support.h"

namespace norv::editing {
namespace {

using testing::Decode;
using testing::Enc;
using testing::EncName;
using testing::Encode;

constexpr Enc kEncodings[] = {Enc::kAscii, Enc::kSjis, Enc::kUtf8};

view::LayoutOptions Layout(Enc e, int w, int t = 8) {
    view::LayoutOptions o;
    o.wrapColumn = w;
    o.tabWidth = t;
    o.codePage = e == Enc::kUtf8 ? 65001 : 932;
    o.dbcsOida = Encode(Enc::kSjis, "「（");
    o.dbcsBura = Encode(Enc::kSjis, "」）。、");
    return o;
}

ParagraphRules Rules(const view::LineLayout& layout, bool autoIndent = true) {
    ParagraphRules r;
    r.layout = &layout;
    r.autoIndent = autoIndent;
    r.ankTitle = view::CharSet("*-", {});
    r.dbcsTitle = view::CharSet({}, Encode(Enc::kSjis, "・■"));
    return r;
}

std::vector<std::string> Lines(Enc e, const std::string& utf8) {
    std::vector<std::string> out;
    size_t start = 0;
    for (;;) {
        size_t nl = utf8.find('\n', start);
        out.push_back(Encode(e, utf8.substr(start, nl == std::string::npos ? nl : nl - start)));
        if (nl == std::string::npos) return out;
        start = nl + 1;
    }
}

std::string Join(Enc e, const std::vector<std::string>& lines) {
    std::string out;
    for (size_t i = 0; i < lines.size(); ++i) out += (i ? "\n" : "") + Decode(e, lines[i]);
    return out;
}

std::string Rows(Enc e, const FormatOutput& f) {
    std::string out;
    for (size_t i = 0; i < f.rows.size(); ++i)
        out += (i ? "\n" : "") + Decode(e, f.rows[i].text) + (f.rows[i].continued ? "+" : "");
    return out;
}

TEST(ParagraphFormat, AlignsByDisplayWidth) {
    static const struct {
        std::string line;
        Alignment how;
        int w;
        std::string want;
    } kCases[] = {
        // Ten characters, W = 80: (80 - 11) / 2 spaces.
        {"0123456789", Alignment::kCenter, 80, std::string(34, ' ') + "0123456789"},
        {"  \t0123456789", Alignment::kCenter, 80, std::string(34, ' ') + "0123456789"},
        {"0123456789", Alignment::kRight, 80, std::string(69, ' ') + "0123456789"},
        {"   abc", Alignment::kLeft, 80, "abc"},
        // As long as W - 1 or longer: only the blanks go.
        {"  " + std::string(79, 'x'), Alignment::kRight, 80, std::string(79, 'x')},
        {std::string(78, 'x'), Alignment::kRight, 80, " " + std::string(78, 'x')},
        {"", Alignment::kCenter, 80, ""},
        {"   ", Alignment::kRight, 80, ""},
        // Five double-width characters are ten columns however they are encoded.
        {"日本語です", Alignment::kCenter, 80, std::string(34, ' ') + "日本語です"},
        // A tab counts to its stop.
        {"a\tb", Alignment::kRight, 20, std::string(10, ' ') + "a\tb"},
    };
    for (Enc e : kEncodings) {
        view::LineLayout layout(Layout(e, 80));
        for (const auto& c : kCases) {
            if (e == Enc::kAscii && Encode(Enc::kSjis, c.line) != c.line) continue;
            view::LineLayout l(Layout(e, c.w));
            SCOPED_TRACE(std::string(EncName(e)) + ": " + c.line);
            EXPECT_EQ(Decode(e, AlignLine(l, Encode(e, c.line), c.how)), c.want);
        }
    }
}

TEST(ParagraphFormat, UnindentStopsAfterTheFirstTab) {
    view::LineLayout layout(Layout(Enc::kAscii, 80, 4));
    EXPECT_EQ(UnindentLength(layout, "  \tx"), 3u);
    EXPECT_EQ(UnindentLength(layout, "\t  x"), 1u);
    EXPECT_EQ(UnindentLength(layout, "      x"), 4u);
    EXPECT_EQ(UnindentLength(layout, "x  "), 0u);
    EXPECT_EQ(UnindentLength(layout, ""), 0u);
}

TEST(ParagraphFormat, DeformatsSelections) {
    static const struct {
        std::string text;
        std::string want;
    } kCases[] = {
        {"one\ntwo", "one two"},
        {"日本\n語です", "日本語です"},
        {"one\n日本", "one日本"},
        {"one\n   two\n\tthree", "one two three"},
        // Paragraph breaks stay, and so does every run of empty lines.
        {"a\n\nb", "a\n\nb"},
        {"a\n\n\n\nb\nc", "a\n\n\n\nb c"},
        {"\na\nb", "\na b"},
        // The text's own leading blanks stay; those after a break go.
        {"  a\nb\n\n  c", "  a b\n\nc"},
        // A selection ending at a line start keeps that line end.
        {"a\nb\n", "a b\n"},
        {"a\n   \nb", "a  b"},
    };
    for (Enc e : kEncodings) {
        view::LineLayout layout(Layout(e, 80));
        for (const auto& c : kCases) {
            if (e == Enc::kAscii && Encode(Enc::kSjis, c.text) != c.text) continue;
            SCOPED_TRACE(std::string(EncName(e)) + ": " + c.text);
            EXPECT_EQ(Join(e, DeformatLines(layout, Lines(e, c.text))), c.want);
        }
    }
    // A NUL byte is a character like any other.
    view::LineLayout layout(Layout(Enc::kAscii, 80));
    std::vector<std::string> nul = {std::string("a\0b", 3), std::string("\0c", 2)};
    EXPECT_EQ(DeformatLines(layout, nul), std::vector<std::string>{std::string("a\0b \0c", 6)});
}

TEST(ParagraphFormat, JoinsParagraphs) {
    static const struct {
        std::string text;
        std::string want;
    } kCases[] = {
        {"  one\n  two\nthree", "  one two three"},
        {"one \ntwo", "one two"},
        {"日本\n語", "日本語"},
        {"end\n日本", "end日本"},
        {"a\n   \nb", "a b"},
    };
    for (Enc e : kEncodings) {
        view::LineLayout layout(Layout(e, 80));
        for (const auto& c : kCases) {
            if (e == Enc::kAscii && Encode(Enc::kSjis, c.text) != c.text) continue;
            EXPECT_EQ(Decode(e, JoinParagraph(layout, Lines(e, c.text))), c.want) << c.text;
        }
    }
}

TEST(ParagraphFormat, ContinuationIndentation) {
    static const struct {
        std::string line;
        bool autoIndent;
        std::string want;
    } kCases[] = {
        {"plain text", true, ""},
        {"    indented", true, "    "},
        {"\tindented", true, "\t"},
        {"* bullet text", true, "  "},
        {"  - bullet  text", true, "    "},
        {"・項目です", true, "  "},
        {"Term:  the definition", true, "       "},
        {"Term: the  definition", true, ""},
        {"Term\tdefinition", true, "        "},
        {"Term:  the definition", false, ""},
        {"*nobullet", true, ""},
        // Half the width or more: none.
        {std::string(40, ' ') + "x", true, ""},
        {std::string(39, ' ') + "x", true, std::string(39, ' ')},
    };
    for (Enc e : {Enc::kSjis, Enc::kUtf8}) {
        view::LineLayout layout(Layout(e, 80));
        for (const auto& c : kCases) {
            EXPECT_EQ(Decode(e, ContinuationIndent(Rules(layout, c.autoIndent), Encode(e, c.line))),
                      c.want)
                << c.line;
        }
    }
}

TEST(ParagraphFormat, ReflowsToTheWrapWidth) {
    static const struct {
        int w;
        std::string text;
        std::string want;  // rows; "+" marks a row whose line end the formatter made
    } kCases[] = {
        {20, "the quick brown fox jumps over the lazy dog",
         "the quick brown+\nfox jumps over the+\nlazy dog"},
        // Single-byte text stops short of W - 2.
        {20, "the quick\nbrown fox", "the quick brown+\nfox"},
        {20, "the quick\nbrown fo", "the quick brown fo"},
        // A sentence end keeps its blanks, on the row it ends.
        {20, "A sentence.  Another one here", "A sentence.  +\nAnother one here"},
        {16, "word, other, third", "word, other,+\nthird"},
        // Commas and stops hang beyond the margin.
        {12, "abcdefghij,k", "abcdefghij,+\nk"},
        // No break opportunity: the word is cut at the margin.
        {10, "abcdefghijklmnop", "abcdefgh+\nijklmnop"},
        // Paragraphs: empty lines collapse into one, each paragraph indents on its own.
        {20, "one\ntwo\n\n\n  three\nfour", "one two\n\n  three four"},
        {20, "* item text that goes on and on", "* item text that+\n  goes on and on"},
        // Japanese breaks between any two characters, never after an opening bracket and
        // never before a closing one (which hangs).
        {12, "あいうえおかきくけこ", "あいうえおか+\nきくけこ"},
        {12, "あいう「えおかきくけ", "あいう「えお+\nかきくけ"},
        {12, "あいうえお「かきくけ", "あいうえお+\n「かきくけ"},
        {12, "あいうえおか。きく", "あいうえおか。+\nきく"},
        {12, "あいうえおa bcdefgh", "あいうえお+\na bcdefgh"},
        {12, "あいうえa bcdefgh", "あいうえa+\nbcdefgh"},
        {12, "abc あいうえおかきく", "abc あいうえ+\nおかきく"},
    };
    for (Enc e : {Enc::kSjis, Enc::kUtf8}) {
        for (const auto& c : kCases) {
            view::LineLayout layout(Layout(e, c.w));
            SCOPED_TRACE(std::string(EncName(e)) + ": " + c.text);
            FormatOutput f = FormatLines(Rules(layout), Lines(e, c.text), 0, 0);
            EXPECT_EQ(Rows(e, f), c.want);
        }
    }
}

TEST(ParagraphFormat, CaretStaysBehindTheSameCharacter) {
    view::LineLayout layout(Layout(Enc::kAscii, 20));
    // Behind "jumps" and behind the blank after it.
    auto lines = Lines(Enc::kAscii, "the quick brown fox jumps over");
    FormatOutput f = FormatLines(Rules(layout), lines, 0, 25);
    EXPECT_EQ(f.rows[f.caretRow].text.substr(0, f.caretPos), "fox jumps");
    f = FormatLines(Rules(layout), lines, 0, 26);
    EXPECT_EQ(f.rows[f.caretRow].text.substr(0, f.caretPos), "fox jumps ");
    // Behind a blank that went with a break: where the next row's text begins, so that
    // typing goes on apart from the word before.
    f = FormatLines(Rules(layout), lines, 0, 16);
    EXPECT_EQ(f.caretRow, 1u);
    EXPECT_EQ(f.caretPos, 0u);
    // On an empty line: on the empty row.
    f = FormatLines(Rules(layout), Lines(Enc::kAscii, "a\n\n\nb"), 2, 0);
    EXPECT_EQ(f.caretRow, 1u);
}

TEST(ParagraphFormat, EscapeStopsAfterAWholeLine) {
    view::LineLayout layout(Layout(Enc::kAscii, 20));
    std::vector<std::string> lines(10, "word word");
    int polls = 0;
    auto stop = [&] { return ++polls == 2; };
    FormatOutput f = FormatLines(Rules(layout), lines, 0, 0, stop, 3);
    EXPECT_EQ(f.linesUsed, 6u);
    EXPECT_TRUE(f.rows.back().continued);  // the paragraph goes on in the lines left
    size_t used = 0;
    polls = 0;
    auto joined = DeformatLines(layout, lines, stop, &used, 3);
    EXPECT_EQ(used, 6u);
    EXPECT_EQ(joined, std::vector<std::string>{"word word word word word word word word word word "
                                               "word word"});
}

// ---- model tests --------------------------------------------------------------------------

// Words as texts have them: closing characters never start one and opening characters never
// end one, so a break is always possible somewhere in a row.
std::string RandomWord(std::mt19937& rng, bool japanese) {
    static const char* kKana[] = {"あ", "い", "う", "え", "お", "か", "き"};
    static const char* kClose[] = {"」", "。", "、"};
    std::string w;
    int n = 1 + static_cast<int>(rng() % 6);
    if (japanese && rng() % 4 == 0) w += "「";
    for (int i = 0; i < n; ++i)
        w += japanese ? kKana[rng() % std::size(kKana)] : std::string(1, char('a' + rng() % 6));
    if (rng() % 4 == 0) w += japanese ? kClose[rng() % std::size(kClose)] : rng() % 2 ? "," : ".";
    return w;
}

std::vector<std::string> RandomText(std::mt19937& rng, Enc e, bool emptyRuns) {
    std::vector<std::string> lines;
    int n = 1 + static_cast<int>(rng() % 12);
    for (int i = 0; i < n; ++i) {
        if (emptyRuns && rng() % 4 == 0) {
            for (int k = static_cast<int>(rng() % 3); k >= 0; --k) lines.emplace_back();
            continue;
        }
        std::string line(rng() % 3 == 0 ? rng() % 4 : 0, ' ');
        int words = 1 + static_cast<int>(rng() % 8);
        for (int k = 0; k < words; ++k) {
            if (k) line += rng() % 5 == 0 ? "  " : " ";
            line += RandomWord(rng, rng() % 2 == 0);
        }
        lines.push_back(Encode(e, line));
    }
    return lines;
}

std::string NonBlank(const std::vector<std::string>& lines) {
    std::string out;
    for (const auto& l : lines)
        for (char c : l)
            if (c != ' ' && c != '\t') out.push_back(c);
    return out;
}

std::vector<int> EmptyRuns(const std::vector<std::string>& lines) {
    std::vector<int> runs;
    int run = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].empty()) {
            ++run;
        } else if (run) {
            runs.push_back(run);
            run = 0;
        }
    }
    if (run) runs.push_back(run);
    return runs;
}

TEST(ParagraphFormat, DeformatTwiceIsDeformatOnceAndKeepsEmptyRuns) {
    std::mt19937 rng(2207);
    for (Enc e : {Enc::kSjis, Enc::kUtf8}) {
        view::LineLayout layout(Layout(e, 80));
        for (int round = 0; round < 400; ++round) {
            auto text = RandomText(rng, e, true);
            auto once = DeformatLines(layout, text);
            SCOPED_TRACE(Join(e, text));
            EXPECT_EQ(DeformatLines(layout, once), once);
            EXPECT_EQ(EmptyRuns(once), EmptyRuns(text));
            EXPECT_EQ(NonBlank(once), NonBlank(text));
        }
    }
}

TEST(ParagraphFormat, FormatModel) {
    std::mt19937 rng(3303);
    for (Enc e : {Enc::kSjis, Enc::kUtf8}) {
        for (int round = 0; round < 400; ++round) {
            const int w = 24 + static_cast<int>(rng() % 48);
            view::LineLayout layout(Layout(e, w));
            ParagraphRules rules = Rules(layout);
            auto text = RandomText(rng, e, rng() % 2 == 0);
            SCOPED_TRACE(std::to_string(w) + ": " + Join(e, text));
            FormatOutput f = FormatLines(rules, text, 0, 0);
            std::vector<std::string> rows;
            for (const auto& r : f.rows) rows.push_back(r.text);
            // Every character kept, in order.
            EXPECT_EQ(NonBlank(rows), NonBlank(text));
            // Formatting again changes nothing.
            EXPECT_EQ(Rows(e, FormatLines(rules, rows, 0, 0)), Rows(e, f));
            for (size_t i = 0; i < rows.size(); ++i) {
                // Beyond W only what hangs: blanks and closing characters.
                view::LineText t(rows[i], "\n");
                int col = 0;
                size_t lastStart = 0;
                for (size_t q = 0; q < rows[i].size();) {
                    size_t len = layout.CharLen(t, q);
                    int next = layout.Advance(t, q, len, col);
                    uint16_t code = view::CharCode(layout.codePage(), t, q, len);
                    if (next > w)
                        EXPECT_TRUE(rows[i][q] == ' ' || layout.bura().Contains(code))
                            << "row " << i << ": " << Decode(e, rows[i]);
                    col = next;
                    lastStart = q;
                    q += len;
                }
                if (!f.rows[i].continued || rows[i].empty()) continue;
                // Words are short: a break was always possible, so no row ends in an opening
                // bracket and none starts with a closing one.
                size_t last = lastStart;
                EXPECT_FALSE(layout.oida().Contains(
                    view::CharCode(layout.codePage(), t, last, layout.CharLen(t, last))))
                    << Decode(e, rows[i]);
                view::LineText n(rows[i + 1], "\n");
                size_t s = rows[i + 1].find_first_not_of(' ');
                if (s != std::string::npos)
                    EXPECT_FALSE(layout.bura().Contains(
                        view::CharCode(layout.codePage(), n, s, layout.CharLen(n, s))))
                        << Decode(e, rows[i + 1]);
            }
        }
    }
}

}  // namespace
}  // namespace norv::editing
