// The Convert conversions of a piece of text: the designed cases, width conversion against
// uconv on every code of code page 932 and its code point, Tab to Space against `expand`, and a
// model check that neither tab conversion changes how a line looks.
#include "editing/convert_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <random>
#include <set>

#include "../support/temp_dir.h"
#include "document/char_model.h"
#include "document/codecs.h"
#include "outside_tool.h"
#include "platform/code_page.h"
#include "platform/width_map.h"

namespace norv::editing {
namespace {

constexpr int kUtf8 = platform::kCodePageUtf8Internal;

std::string Sjis(std::string_view utf8) {
    std::string out;
    document::Utf8ToAnsi(out, utf8, 932);
    return out;
}

std::string Utf8(std::string_view sjis) {
    std::string out;
    document::AnsiToUtf8(out, sjis, 932);
    return out;
}

ConvertChoices Case(CaseConversion c) {
    ConvertChoices ch;
    ch.caseConversion = c;
    return ch;
}

ConvertChoices Width(WidthConversion w, bool alnum = true, bool kana = true) {
    ConvertChoices ch;
    ch.width = w;
    ch.alphanumerics = alnum;
    ch.kana = kana;
    return ch;
}

ConvertChoices Tabs(TabConversion t) {
    ConvertChoices ch;
    ch.tabs = t;
    return ch;
}

TEST(ConvertText, CasesInShiftJisAndUtf8) {
    using C = CaseConversion;
    using W = WidthConversion;
    static const struct {
        const char* name;
        ConvertChoices choices;
        const char* in;  // UTF-8 source, converted to Shift-JIS for the second run
        const char* out;
        bool sjisToo;
    } kCases[] = {
        {"upper all", Case(C::kUpper), "abc xyZ", "ABC XYZ", true},
        {"lower all", Case(C::kLower), "ABC xyZ", "abc xyz", true},
        {"upper top of line", Case(C::kUpperLineTop), "hELLO wORLD", "Hello world", true},
        {"upper top of word", Case(C::kUpperWordTop), "hello world-wide", "Hello World-Wide", true},
        {"word after digits and kanji", Case(C::kUpperWordTop), "1abc漢def ａbc", "1Abc漢Def ａbc",
         true},
        // ア is 0x83 0x41 and ヂ 0x83 0x61: trail bytes that look like letters stay.
        {"trail bytes are no letters", Case(C::kLower), "アヂA", "アヂa", true},
        {"full-width letters keep their case", Case(C::kUpper), "ａｂ", "ａｂ", true},
        {"width down", Width(W::kToSingleByte), "ＡＢ１　ガパア、ー", "AB1　ｶﾞﾊﾟｱ､ｰ", true},
        {"width down alphanumerics only", Width(W::kToSingleByte, true, false), "Ａガ", "Aガ",
         true},
        {"width down kana only", Width(W::kToSingleByte, false, true), "Ａガ", "Ａｶﾞ", true},
        {"hiragana have no half width", Width(W::kToSingleByte), "ひらがな", "ひらがな", true},
        {"width up", Width(W::kToDoubleByte), "Ab1 ｶﾞﾊﾟｱ･ｰ", "Ａｂ１ ガパア・ー", true},
        {"width up a lone sound mark", Width(W::kToDoubleByte), "ﾞｱﾟ", "゛ア゜", true},
        {"width up kana only", Width(W::kToDoubleByte, false, true), "aｱ", "aア", true},
        {"Korean and emoji stay", Width(W::kToSingleByte), "한Ａ😀", "한A😀", false},
        {"Korean and emoji stay up", Width(W::kToDoubleByte), "한a😀", "한ａ😀", false},
        {"width down then case",
         [] {
             ConvertChoices c = Width(W::kToSingleByte);
             c.caseConversion = C::kLower;
             return c;
         }(),
         "ＡＢＣ", "abc", true},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ConvertPiece(c.in, c.choices, kUtf8, 8, 0, 65533), c.out) << "UTF-8";
        if (c.sjisToo)
            EXPECT_EQ(Utf8(ConvertPiece(Sjis(c.in), c.choices, 932, 8, 0, 65533)), c.out)
                << "Shift-JIS";
    }
    // Other code pages have no width forms.
    EXPECT_EQ(ConvertPiece("Ab\xb1", Width(W::kToDoubleByte), 1252, 8, 0, 65533), "Ab\xb1");
    // NUL is an ordinary byte.
    EXPECT_EQ(ConvertPiece(std::string("a\0b", 3), Case(C::kUpper), 932, 8, 0, 65533),
              std::string("A\0B", 3));
}

TEST(ConvertText, TabsAndSpacesByDisplayColumn) {
    using T = TabConversion;
    static const struct {
        const char* in;
        T tabs;
        int tab;
        int column;
        const char* out;
    } kCases[] = {
        {"        x", T::kSpaceToTab, 4, 0, "\t\tx"},
        {"   x", T::kSpaceToTab, 4, 1, "\tx"},    // a piece starting at column 1
        {"a   b", T::kSpaceToTab, 4, 0, "a\tb"},  // the run reaches the stop
        {"ab  c", T::kSpaceToTab, 4, 0, "ab\tc"},
        {"a  b", T::kSpaceToTab, 4, 0, "a  b"},    // the run stops short of the stop
        {"abc d", T::kSpaceToTab, 4, 0, "abc d"},  // a single space before a stop stays
        {"a  \tb", T::kSpaceToTab, 4, 0, "a\tb"},  // a tab before the stop ends the run
        {"漢  x", T::kSpaceToTab, 4, 0, "漢\tx"},  // a double-byte character is two wide
        {"\tx\ty", T::kTabToSpace, 4, 0, "    x   y"},
        {"漢\tx", T::kTabToSpace, 4, 0, "漢  x"},
        {"a\tb", T::kTabToSpace, 4, 2, "a b"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.in);
        ConvertChoices ch = Tabs(c.tabs);
        EXPECT_EQ(ConvertPiece(c.in, ch, kUtf8, c.tab, c.column, 65533), c.out);
        EXPECT_EQ(Utf8(ConvertPiece(Sjis(c.in), ch, 932, c.tab, c.column, 65533)), c.out);
    }
    // Tab to Space stops short of the limit: the remaining tabs stay tabs.
    EXPECT_EQ(ConvertPiece("\t\t\t", Tabs(T::kTabToSpace), 932, 4, 0, 10), "        \t");
}

// A plain model of the conversions: the piece cut into characters, each with its code, and
// every conversion a walk over them. The conversions proper work on the bytes in place; both
// must give the same text for any bytes.
namespace model {

struct Char {
    std::string bytes;
    uint16_t sjis = 0xFFFF;
};

uint16_t CodeOf(const std::string& b, int cp) {
    const auto u8 = [&](size_t i) { return static_cast<uint32_t>(static_cast<uint8_t>(b[i])); };
    if (document::IsUtf8CodePage(cp)) {
        if (b.size() == 1) return u8(0) < 0x80 ? static_cast<uint16_t>(u8(0)) : 0xFFFF;
        if (b.size() > 3) return 0xFFFF;
        for (size_t i = 1; i < b.size(); ++i)
            if ((u8(i) & 0xC0) != 0x80) return 0xFFFF;
        const uint32_t u = b.size() == 2
                               ? (u8(0) & 0x1F) << 6 | (u8(1) & 0x3F)
                               : (u8(0) & 0x0F) << 12 | (u8(1) & 0x3F) << 6 | (u8(2) & 0x3F);
        if (u < (b.size() == 2 ? 0x80u : 0x800u)) return 0xFFFF;
        const uint16_t code = platform::EncodeChar(932, static_cast<char16_t>(u));
        if (code == 0xFFFF || platform::DecodeChar(932, code) != u) return 0xFFFF;
        return code;
    }
    if (b.size() == 1) return static_cast<uint8_t>(b[0]);
    if (cp != 932 || b.size() != 2) return 0xFFFF;
    return static_cast<uint16_t>(u8(0) << 8 | u8(1));
}

Char Make(uint16_t code, int cp) {
    Char c;
    c.sjis = code;
    if (document::IsUtf8CodePage(cp)) {
        const uint32_t u = platform::DecodeChar(932, code);
        if (u < 0x80)
            c.bytes = {static_cast<char>(u)};
        else if (u < 0x800)
            c.bytes = {static_cast<char>(0xC0 | u >> 6), static_cast<char>(0x80 | (u & 0x3F))};
        else
            c.bytes = {static_cast<char>(0xE0 | u >> 12), static_cast<char>(0x80 | (u >> 6 & 0x3F)),
                       static_cast<char>(0x80 | (u & 0x3F))};
    } else if (code < 0x100) {
        c.bytes.push_back(static_cast<char>(code));
    } else {
        c.bytes = {static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
    }
    return c;
}

void SetCase(Char& c, bool upper) {
    if (c.bytes.size() != 1) return;
    char& b = c.bytes[0];
    if (upper && b >= 'a' && b <= 'z')
        b = static_cast<char>(b - 32), c.sjis = static_cast<uint8_t>(b);
    if (!upper && b >= 'A' && b <= 'Z')
        b = static_cast<char>(b + 32), c.sjis = static_cast<uint8_t>(b);
}

std::string Convert(std::string_view text, const ConvertChoices& ch, int cp, int tab, int col,
                    size_t maxBytes) {
    std::vector<Char> in;
    for (size_t i = 0; i < text.size();) {
        const size_t len = document::CharLength(cp, text.data() + i, text.data() + text.size());
        Char c;
        c.bytes.assign(text.substr(i, len));
        c.sjis = CodeOf(c.bytes, cp);
        in.push_back(c);
        i += len;
    }
    const bool widths = document::IsUtf8CodePage(cp) || cp == 932;
    if (widths && ch.width == WidthConversion::kToSingleByte) {
        std::vector<Char> out;
        for (const Char& c : in) {
            uint8_t half[2];
            const size_t n =
                c.sjis == 0xFFFF || c.sjis < 0x100 ? 0 : platform::FullToHalfWidth(c.sjis, half);
            const bool convert =
                n && (IsKanaClass(c.sjis) ? ch.kana && half[0] >= 0xA1 && half[0] <= 0xDF
                                          : ch.alphanumerics);
            if (!convert) {
                out.push_back(c);
                continue;
            }
            for (size_t k = 0; k < n; ++k) out.push_back(Make(half[k], cp));
        }
        in = out;
    }
    bool afterLetter = false, first = true;
    for (Char& c : in) {
        const bool letter = c.bytes.size() == 1
                                ? std::isalpha(static_cast<unsigned char>(c.bytes[0])) &&
                                      static_cast<uint8_t>(c.bytes[0]) < 0x80
                                : c.sjis >= 0x825F && c.sjis <= 0x829A;
        switch (ch.caseConversion) {
            case CaseConversion::kUpper:
                SetCase(c, true);
                break;
            case CaseConversion::kLower:
                SetCase(c, false);
                break;
            case CaseConversion::kUpperLineTop:
                SetCase(c, first);
                break;
            case CaseConversion::kUpperWordTop:
                SetCase(c, !afterLetter);
                break;
            case CaseConversion::kNone:
                break;
        }
        afterLetter = letter;
        first = false;
    }
    if (widths && ch.width == WidthConversion::kToDoubleByte) {
        std::vector<Char> out;
        for (size_t i = 0; i < in.size(); ++i) {
            const uint16_t c = in[i].sjis;
            int consumed = 1;
            if (c >= 0x21 && c <= 0x7E && ch.alphanumerics) {
                out.push_back(
                    Make(platform::HalfToFullWidth(static_cast<uint8_t>(c), -1, &consumed), cp));
                continue;
            }
            if (c >= 0xA1 && c <= 0xDF && ch.kana) {
                const int next = i + 1 < in.size() && in[i + 1].sjis < 0x100 ? in[i + 1].sjis : -1;
                out.push_back(
                    Make(platform::HalfToFullWidth(static_cast<uint8_t>(c), next, &consumed), cp));
                i += static_cast<size_t>(consumed - 1);
                continue;
            }
            out.push_back(in[i]);
        }
        in = out;
    }
    tab = std::max(tab, 1);
    std::string out;
    size_t rest = 0;
    for (const Char& c : in) rest += c.bytes.size();
    for (size_t i = 0; i < in.size(); ++i) {
        const Char& c = in[i];
        rest -= c.bytes.size();
        const int w = document::CharColumns(c.bytes.data(), c.bytes.size(), col, tab);
        if (ch.tabs == TabConversion::kTabToSpace && c.bytes == "\t" &&
            out.size() + static_cast<size_t>(w) + rest < maxBytes) {
            out.append(static_cast<size_t>(w), ' ');
        } else if (ch.tabs == TabConversion::kSpaceToTab && c.bytes == " " && tab > 1 &&
                   tab - col % tab > 1) {
            const int stop = col + (tab - col % tab);
            size_t j = i;
            int at = col;
            while (j < in.size() && at < stop && (in[j].bytes == " " || in[j].bytes == "\t")) {
                at += document::CharColumns(in[j].bytes.data(), 1, at, tab);
                if (in[j++].bytes == "\t") break;
            }
            if (at == stop) {
                out.push_back('\t');
                col = stop;
                i = j - 1;
                continue;
            }
            out += c.bytes;
        } else {
            out += c.bytes;
        }
        col += w;
    }
    return out;
}

}  // namespace model

TEST(ConvertText, AgreesWithThePlainModelOnAnyBytes) {
    std::mt19937 rng(23);
    // Pieces that meet every class: ASCII letters and blanks (runs long enough to be converted
    // a word at a time), full-width letters and kana in both encodings, half-width kana and sound
    // marks, lone lead and trail bytes, NUL.
    const std::string pieces[] = {"a",
                                  "Z",
                                  "`az{",  // the bytes around both letter ranges, in runs
                                  "@AZ[",
                                  "AbCdEfGhIj",
                                  " ",
                                  " ",
                                  "\t",
                                  "1",
                                  "-",
                                  std::string(1, '\0'),
                                  "\x82\x60",
                                  "\x82\x81",
                                  "\x83\x4b",
                                  "\x81\x40",
                                  "\x88\x9f",
                                  "\xb6",
                                  "\xde",
                                  "\xdf",
                                  "\x81",
                                  "\xa1",
                                  "\xef\xbc\xa1",
                                  "\xef\xbd\xb6",
                                  "\xef\xbe\x9e",
                                  "\xe3\x82\xac",
                                  "\xe3\x80\x80",
                                  "\xed\x95\x9c",
                                  "\xf0\x9f\x98\x80",
                                  "\xc3",
                                  "\xc3\xa9",
                                  "\xe0\x80\xaf"};
    for (int i = 0; i < 20000; ++i) {
        std::string text;
        for (size_t n = rng() % 24; n > 0; --n) text += pieces[rng() % std::size(pieces)];
        ConvertChoices ch;
        ch.caseConversion = static_cast<CaseConversion>(rng() % 5);
        ch.tabs = static_cast<TabConversion>(rng() % 3);
        ch.width = static_cast<WidthConversion>(rng() % 3);
        ch.alphanumerics = rng() % 4 != 0;
        ch.kana = rng() % 4 != 0;
        const int cps[] = {932, kUtf8, 1252};
        const int cp = cps[rng() % 3];
        const int tab = static_cast<int>(rng() % 9);
        const int col = static_cast<int>(rng() % 12);
        const size_t maxBytes = rng() % 2 ? 65533 : rng() % 40;
        ASSERT_EQ(ConvertPiece(text, ch, cp, tab, col, maxBytes),
                  model::Convert(text, ch, cp, tab, col, maxBytes))
            << i << " code page " << cp;
    }
}

TEST(ConvertText, UpperAllLeavesTheTrailBytesOfBrokenCharactersAlone) {
    // A lead byte takes the bytes after it as its character's, letters or not, unless the
    // character would run past the end; everything else that is a letter changes.
    const struct {
        int cp;
        std::string in, upper;
    } cases[] = {
        {kUtf8, "abcdefghij\xc3klmnopqr", "ABCDEFGHIJ\xc3kLMNOPQR"},
        {kUtf8, "ab\xe3xyz", "AB\xe3xyZ"},
        {kUtf8,
         "\xf0"
         "abcdefgh",
         "\xf0"
         "abcDEFGH"},
        {kUtf8,
         "\xc3\xc3"
         "abcdefgh",
         "\xc3\xc3"
         "ABCDEFGH"},  // the second lead is a trail byte
        {kUtf8,
         "xyz\xe3"
         "a",
         "XYZ\xe3"
         "A"},  // runs past the end: one byte
        {kUtf8,
         "\xe3\x81\x82"
         "abcdefgh\xe3\x81\x82ijklmnop",
         "\xe3\x81\x82"
         "ABCDEFGH\xe3\x81\x82IJKLMNOP"},
        {932, "abcdefgh\x88\x61ijklmnop\x82\x60q", "ABCDEFGH\x88\x61IJKLMNOP\x82\x60Q"},
        {932,
         "\x81\x81"
         "abcdefghijk",
         "\x81\x81"
         "ABCDEFGHIJK"},
        {932,
         "\x81"
         "abcdefghijk",
         "\x81"
         "aBCDEFGHIJK"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ConvertPiece(c.in, Case(CaseConversion::kUpper), c.cp, 8, 0, 65533), c.upper)
            << c.in;
        EXPECT_EQ(ConvertPiece(c.upper, Case(CaseConversion::kLower), c.cp, 8, 0, 65533), c.in)
            << c.upper;
    }
}

TEST(ConvertText, AStrayByteInUtf8IsNoKanaWhateverTheCase) {
    // 0xB6 alone is no UTF-8 character: the case conversions pass it by, and width up does not
    // read it as the half-width kana it would be in Shift-JIS.
    ConvertChoices ch = Width(WidthConversion::kToDoubleByte);
    for (CaseConversion c :
         {CaseConversion::kNone, CaseConversion::kUpper, CaseConversion::kUpperWordTop}) {
        ch.caseConversion = c;
        EXPECT_EQ(ConvertPiece("\xb6", ch, kUtf8, 8, 0, 65533), "\xb6");
        // Nor is it a sound mark for the kana before it.
        EXPECT_EQ(ConvertPiece("\xef\xbd\xb6\xde", ch, kUtf8, 8, 0, 65533), "\xe3\x82\xab\xde");
    }
}

// The columns each character of a line starts at, and the characters: what the line shows.
std::vector<std::pair<int, std::string>> Display(std::string_view s, int tab) {
    std::vector<std::pair<int, std::string>> out;
    int col = 0;
    for (size_t i = 0; i < s.size();) {
        const size_t n = document::CharLength(932, s.data() + i, s.data() + s.size());
        const int w = document::CharColumns(s.data() + i, n, col, tab);
        if (s[i] != ' ' && s[i] != '\t') out.emplace_back(col, std::string(s.substr(i, n)));
        col += w;
        i += n;
    }
    out.emplace_back(col, "");
    return out;
}

TEST(ConvertText, TabConversionsKeepTheDisplayAndAgreeWithExpand) {
    norv::testing::TempDir dir;
    std::mt19937 rng(11);
    const std::string pieces[] = {" ", " ", " ", "\t", "a", "\x88\x9f", "\xb1"};
    std::string file, expanded;
    for (int i = 0; i < 3000; ++i) {
        std::string line;
        for (size_t n = rng() % 20; n > 0; --n) line += pieces[rng() % std::size(pieces)];
        const int tab = 1 + static_cast<int>(rng() % 8);
        const int column = static_cast<int>(rng() % 10);
        for (TabConversion t : {TabConversion::kTabToSpace, TabConversion::kSpaceToTab}) {
            const std::string out = ConvertPiece(line, Tabs(t), 932, tab, column, 65533);
            // Shown at the piece's column: a prefix of that many columns stands before it.
            const std::string prefix(static_cast<size_t>(column), 'p');
            ASSERT_EQ(Display(prefix + out, tab), Display(prefix + line, tab))
                << i << " tab " << tab;
        }
        // expand(1) counts a double-byte character by its bytes: only single-byte lines there.
        if (line.find('\x88') == std::string::npos && tab == 4) {
            file += line + "\n";
            expanded +=
                ConvertPiece(line, Tabs(TabConversion::kTabToSpace), 932, 4, 0, 65533) + "\n";
        }
    }
    const std::string path = dir.Write("tabs.txt", file);
    EXPECT_EQ(norv::editing::testing::RunTool("LC_ALL=C expand -t 4 " +
                                              norv::editing::testing::Quote(path)),
              expanded);
}

// Every double-byte code of code page 932 that has a code point, in UTF-8, one a line.
std::vector<std::string> EveryDoubleByteCharacter() {
    std::vector<std::string> out;
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        if (!platform::IsLeadByte(932, static_cast<uint8_t>(lead))) continue;
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            if (trail == 0x7F) continue;
            const char16_t u = platform::DecodeChar(932, static_cast<uint16_t>(lead << 8 | trail));
            if (u == 0xFFFF || u == 0xFFFD) continue;
            // Codes that are not the code point's own code (duplicates of the NEC and IBM rows)
            // are the same character.
            if (platform::EncodeChar(932, u) != (lead << 8 | trail)) continue;
            out.push_back(Utf8(std::string{static_cast<char>(lead), static_cast<char>(trail)}));
        }
    }
    return out;
}

TEST(ConvertText, WidthConversionAgreesWithUconv) {
    norv::testing::TempDir dir;
    const std::vector<std::string> chars = EveryDoubleByteCharacter();
    ASSERT_GT(chars.size(), 7000u);
    std::string file;
    for (const auto& c : chars) file += c + "\n";
    const std::string path = dir.Write("full.txt", file);
    const std::string uconv = norv::editing::testing::RunTool(
        "uconv -f utf-8 -t utf-8 -x Fullwidth-Halfwidth " + norv::editing::testing::Quote(path));
    // Where code page 932 and the Unicode transform part: the ideographic space stays (it is in
    // the kana class without an entry), and so do ＂ and ＇, whose codes 0xFA57 and 0xFA56 lie in
    // the kana class; signs whose half-width forms code page 932 lacks stay; ￥ and ￣ narrow to
    // the bytes 0x5C and 0x7E, which code page 932 reads as \ and ~; the sound marks ゛ and ゜,
    // outside the kana class, narrow to ﾞ and ﾟ as code page 932 pairs them.
    const std::set<std::string> exceptions = {"　", "＂", "＇", "￠", "￡", "￢", "￤", "￥", "￣",
                                              "○",  "■",  "→",  "←",  "↑",  "↓",  "│",  "゛", "゜"};
    size_t line = 0, at = 0, differ = 0;
    for (const auto& c : chars) {
        const size_t nl = uconv.find('\n', at);
        ASSERT_NE(nl, std::string::npos);
        const std::string expect = uconv.substr(at, nl - at);
        at = nl + 1;
        ++line;
        const std::string got =
            ConvertPiece(c, Width(WidthConversion::kToSingleByte), kUtf8, 8, 0, 65533);
        const std::string gotSjis =
            Utf8(ConvertPiece(Sjis(c), Width(WidthConversion::kToSingleByte), 932, 8, 0, 65533));
        EXPECT_EQ(got, gotSjis) << c;
        if (exceptions.count(c)) {
            EXPECT_NE(got, expect) << c << " is listed as an exception but agrees";
            ++differ;
            continue;
        }
        EXPECT_EQ(got, expect) << c;
    }
    EXPECT_GT(differ, 0u);

    // Up: every single-byte character and every kana with a sound mark.
    std::vector<std::string> halves;
    for (int b = 0x21; b <= 0x7E; ++b) halves.push_back(std::string(1, static_cast<char>(b)));
    for (int b = 0xA1; b <= 0xDF; ++b) {
        halves.push_back(std::string(1, static_cast<char>(b)));
        halves.push_back(std::string{static_cast<char>(b), '\xde'});
        halves.push_back(std::string{static_cast<char>(b), '\xdf'});
    }
    std::string hfile, ours;
    for (const auto& h : halves) {
        hfile += Utf8(h) + "\n";
        const std::string got =
            Utf8(ConvertPiece(h, Width(WidthConversion::kToDoubleByte), 932, 8, 0, 65533));
        EXPECT_EQ(ConvertPiece(Utf8(h), Width(WidthConversion::kToDoubleByte), kUtf8, 8, 0, 65533),
                  got);
        ours += got + "\n";
    }
    const auto run = [&](const std::string& name, const std::string& text, const char* transform) {
        return norv::editing::testing::RunTool(
            std::string("uconv -f utf-8 -t utf-8 -x '") + transform + "' " +
            norv::editing::testing::Quote(dir.Write(name, text)));
    };
    // The transform leaves a sound mark combining; code page 932 combines the pairs it has and
    // writes the others' marks as the spacing ゛ and ゜. Both are compared decomposed, with the
    // spacing marks read as the combining ones.
    auto marks = [](std::string s) {
        for (auto [spacing, combining] : {std::pair{"゛", "\u3099"}, std::pair{"゜", "\u309A"}})
            for (size_t at = s.find(spacing); at != std::string::npos; at = s.find(spacing, at))
                s.replace(at, 3, combining);
        return s;
    };
    const std::string expect =
        marks(run("wide.txt", run("half.txt", hfile, "Halfwidth-Fullwidth"), "NFD"));
    const std::string got = marks(run("ours.txt", ours, "NFD"));
    // Code page 932 reads 0x5C and 0x7E as \ and ~ and widens them to ＼ and ～, where the
    // transform gives ＼ and ～ too: no exception is needed there.
    size_t ea = 0, ga = 0;
    for (const auto& h : halves) {
        const size_t en = expect.find('\n', ea), gn = got.find('\n', ga);
        ASSERT_NE(en, std::string::npos);
        ASSERT_NE(gn, std::string::npos);
        EXPECT_EQ(got.substr(ga, gn - ga), expect.substr(ea, en - ea)) << Utf8(h);
        ea = en + 1;
        ga = gn + 1;
    }
}

}  // namespace
}  // namespace norv::editing
