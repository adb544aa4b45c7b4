// Find in files on one text: which lines are reported, under which numbers, with which options;
// the option strings, the masks and the output lines. Line numbers are checked against the
// document the loader makes of the same bytes, so a tag jump lands on the line shown.
#include "search/grep_scan.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "document/document.h"
#include "document/line_heap.h"
#include "platform/fakes/memory_file_system.h"
#include "search/grep_mask.h"
#include "search/grep_options.h"
#include "search/grep_output.h"
#include "search/grep_text.h"
#include "support/sjis_text.h"

namespace norv::search {
namespace {

using testing::Sjis;

struct Hit {
    uint64_t line;
    std::string text;
    bool operator==(const Hit&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Hit& h) {
    return os << h.line << ":" << h.text;
}

class Collect : public GrepLineSink {
  public:
    bool Line(uint64_t number, std::string_view text) override {
        hits.push_back(Hit{number, std::string(text)});
        return hits.size() < stopAfter;
    }
    bool Poll() override {
        ++polls;
        return polls == stopAtPoll;
    }
    std::vector<Hit> hits;
    size_t stopAfter = SIZE_MAX;
    int polls = 0;
    int stopAtPoll = -1;
};

struct Search {
    std::string pattern;
    std::string options;  // option letters
    int codePage = 932;
    size_t blockBytes = kGrepBlockBytes;
    bool prefilter = true;
};

std::vector<Hit> Grep(const std::string& bytes, const Search& s) {
    platform::MemoryFileSystem fs;
    fs.files["/t/f"] = bytes;
    GrepMatcher m;
    m.usePrefilter = s.prefilter;
    if (!m.Compile(s.pattern, ParseGrepOptionString(s.options), s.codePage)) return {};
    GrepTextSearch text(s.blockBytes);
    Collect sink;
    EXPECT_EQ(text.SearchFile(fs, "/t/f", m, sink), GrepTextStatus::kDone);
    return sink.hits;
}

// The lines of the document the loader makes of `bytes`.
std::vector<std::string> LoadedLines(const std::string& bytes) {
    document::LineHeap heap;
    platform::MemoryFileSystem fs;
    fs.files["/t/f"] = bytes;
    document::DocumentEnvironment env;
    env.heap = &heap;
    env.fs = &fs;
    env.codePage = 932;
    env.readBlockBytes = 4096;
    env.load.eucRead = env.load.jisRead = env.load.utf8Read = false;
    document::CElwDoc doc(env);
    EXPECT_EQ(doc.OpenDocument("/t/f"), 1);
    std::vector<std::string> lines;
    for (const document::LineRecord* r = doc.lines().first(); r; r = r->next)
        lines.emplace_back(r->text(), r->contentLength());
    return lines;
}

// Every hit is the loaded document's line of that number.
void ExpectEditorLines(const std::string& bytes, const std::vector<Hit>& hits) {
    const std::vector<std::string> lines = LoadedLines(bytes);
    for (const Hit& h : hits) {
        ASSERT_GE(h.line, 1u);
        ASSERT_LE(h.line, lines.size()) << h;
        EXPECT_EQ(lines[h.line - 1], h.text) << h;
    }
}

TEST(GrepOptions, WrittenInTheirOrderAndReadFromAnyOrder) {
    GrepOptions o = ParseGrepOptionString("PUREZITWMAG");
    EXPECT_EQ(BuildGrepOptionString(o), "GAMIZWTERUP");
    EXPECT_EQ(BuildGrepOptionString(ParseGrepOptionString("ri")), "");
    GrepOptions d = ParseGrepOptionString("RI");
    EXPECT_TRUE(d.regularExpression && d.ignoreCase && !d.subFolders && !d.fullPath);
    // P is the full path here, never wrap-around.
    EXPECT_TRUE(ParseGrepOptionString("P").fullPath);
}

TEST(GrepMasks, MatchWithoutRegardToCase) {
    static const struct {
        const char* name;
        const char* mask;
        bool match;
    } kCases[] = {
        {"main.c", "*.c", true},
        {"MAIN.C", "*.c", true},
        {"main.cpp", "*.c", false},
        {"main.c", "*.C", true},
        {"a.h", "?.h", true},
        {"ab.h", "?.h", false},
        {"Makefile", "*", true},
        {"Makefile", "*.*", true},
        {"x.tar.gz", "*.gz", true},
        {"readme", "readme.*", true},
        {"readme.t", "read*.t", true},
        {"abc", "a*b*c*d", false},
        {"aaaaaaaaab", "*a*a*b", true},
        {"", "*", true},
        {"ab", "", false},
    };
    for (const auto& c : kCases)
        EXPECT_EQ(MatchesMask(c.name, c.mask), c.match) << c.name << " " << c.mask;
    EXPECT_EQ(SplitMasks(" *.c ; *.h;;"), (std::vector<std::string>{"*.c", "*.h"}));
    EXPECT_EQ(SplitMasks(""), (std::vector<std::string>{"*"}));
}

TEST(GrepText, EveryLineEndStyleNumbersLinesAsTheEditor) {
    static const struct {
        const char* what;
        std::string bytes;
        std::vector<Hit> hits;
    } kCases[] = {
        {"LF", "a\nkey 1\nb\nkey 2\n", {{2, "key 1"}, {4, "key 2"}}},
        {"CR LF", "a\r\nkey 1\r\nb\r\nkey 2", {{2, "key 1"}, {4, "key 2"}}},
        {"CR", "a\rkey 1\rb\rkey 2\r", {{2, "key 1"}, {4, "key 2"}}},
        {"CR CR LF is one end", "a\r\r\nkey 1\r\n", {{2, "key 1"}}},
        {"mixed", "key\n\rkey\r\nkey\r", {{1, "key"}, {3, "key"}, {4, "key"}}},
        {"a final 0x1A goes", "x\nkey\x1A", {{2, "key"}}},
        {"an inner 0x1A stays", "key\x1A\nz", {{1, "key\x1A"}}},
        {"empty lines", "\n\n\nkey", {{4, "key"}}},
    };
    for (const auto& c : kCases) {
        std::vector<Hit> hits = Grep(c.bytes, {"key", ""});
        EXPECT_EQ(hits, c.hits) << c.what;
        ExpectEditorLines(c.bytes, hits);
    }
}

TEST(GrepText, ALineLongerThanTheLimitCountsTwice) {
    // The loader cuts after 65,534 bytes; the rest is the next line.
    std::string bytes = "first\n" + std::string(65534, 'x') + "tail key\nafter key\n";
    std::vector<Hit> hits = Grep(bytes, {"key", ""});
    ASSERT_EQ(hits.size(), 2u);
    EXPECT_EQ(hits[0], (Hit{3, "tail key"}));
    EXPECT_EQ(hits[1], (Hit{4, "after key"}));
    ExpectEditorLines(bytes, hits);
    // A match that the cut splits is not found, as in the editor, whose lines it splits too.
    std::string split = std::string(65532, 'y') + "key\n";
    EXPECT_TRUE(Grep(split, {"key", ""}).empty());
    EXPECT_EQ(Grep(split, {"ke\\ny", ""}).size(), 1u);
}

TEST(GrepText, LinesNearTheLimitWithEveryLineEndAsTheEditorCutsThem) {
    // Whole lines are taken many at a time unless one of them is one the loader cuts; either
    // way the lines are the loaded document's, also for lines one byte either side of the limit.
    for (const char* end : {"\n", "\r\n", "\r", "\r\r\n"}) {
        std::string bytes;
        for (size_t length : {65532u, 65533u, 65534u, 65535u, 70000u, 10u}) {
            bytes += "key " + std::string(length - 4, 'x') + end;
            bytes += std::string(length - 3, 'y') + "key" + end + "key\r\r\rkey\r\n";
        }
        const std::vector<Hit> hits = Grep(bytes, {"key", ""});
        std::vector<Hit> expected;
        const std::vector<std::string> lines = LoadedLines(bytes);
        for (size_t i = 0; i < lines.size(); ++i)
            if (lines[i].find("key") != std::string::npos) expected.push_back({i + 1, lines[i]});
        EXPECT_EQ(hits, expected) << "line end " << static_cast<int>(end[0]) << "/"
                                  << std::strlen(end);
    }
}

TEST(GrepText, OneOutputLinePerLineAndLinesEndingInTheMatch) {
    EXPECT_EQ(Grep("key key key\nno\n", {"key", ""}), (std::vector<Hit>{{1, "key key key"}}));
    // A pattern running over a line end reports the line where it starts.
    EXPECT_EQ(Grep("abc\ndef\n", {"c\\nd", ""}), (std::vector<Hit>{{1, "abc"}}));
    EXPECT_EQ(Grep("abc\r\ndef\r\n", {"c\\nd", ""}), (std::vector<Hit>{{1, "abc"}}));
    EXPECT_EQ(Grep("abc\ndef\n", {"c\\nd", "R"}), (std::vector<Hit>{{1, "abc"}}));
    // The last line without a line end is searched to its end.
    EXPECT_EQ(Grep("x\nabc", {"abc", "E"}), (std::vector<Hit>{{2, "abc"}}));
}

TEST(GrepText, TheOptionsAsTheUserSeesThem) {
    const std::string text =
        "foo\n"          // 1
        "foobar\n"       // 2
        "foo_bar\n"      // 3
        "1foo2\n"        // 4
        "  \tfoo end\n"  // 5
        "x foo\n"        // 6
        "FOO\n"          // 7
        "barfoo\n";      // 8
    static const struct {
        const char* pattern;
        const char* options;
        std::vector<uint64_t> lines;
    } kCases[] = {
        {"foo", "", {1, 2, 3, 4, 5, 6, 8}},
        {"foo", "I", {1, 2, 3, 4, 5, 6, 7, 8}},
        // Word: the bytes around must be at most 0x3F, so digits are boundaries and "_" is not.
        {"foo", "W", {1, 4, 5, 6}},
        // Top of line: only blanks and tabs before.
        {"foo", "T", {1, 2, 3, 5}},
        {"^foo", "R", {1, 2, 3, 5}},
        // End of line.
        {"foo", "E", {1, 6, 8}},
        {"foo$", "R", {1, 6, 8}},
        {"fo+", "RI", {1, 2, 3, 4, 5, 6, 7, 8}},
        {"^[a-z]+$", "R", {1, 2, 8}},
        {"o_b|1f", "R", {3, 4}},
        {"foo", "WTE", {1}},
    };
    for (const auto& c : kCases) {
        for (bool prefilter : {true, false}) {
            std::vector<uint64_t> lines;
            for (const Hit& h : Grep(text, {c.pattern, c.options, 932, kGrepBlockBytes, prefilter}))
                lines.push_back(h.line);
            EXPECT_EQ(lines, c.lines)
                << c.pattern << " " << c.options << " prefilter " << prefilter;
        }
    }
}

TEST(GrepText, JapaneseTextIsReadByCharacters) {
    // "ポ" is 0x83 0x7C: its trail byte is "|", and "表" (0x95 0x5C) ends in a backslash. A match
    // must begin on a character.
    const std::string text = Sjis("ポ|表示\n") + "|x\n" + Sjis("全角ＡＢＣ\n") + Sjis("ｱｲｳ\n");
    EXPECT_EQ(Grep(text, {"|", ""}).size(), 2u);
    EXPECT_EQ(Grep(text, {"|x", ""}), (std::vector<Hit>{{2, "|x"}}));
    EXPECT_EQ(Grep(text, {"\\\\", ""}).size(), 0u);
    EXPECT_EQ(Grep(text, {Sjis("表示"), ""}).size(), 1u);
    // Ignore MBCS: full-width and half-width alike, in the table prefilter's path too.
    for (bool prefilter : {true, false}) {
        EXPECT_EQ(Grep(text, {"abc", "IZ", 932, kGrepBlockBytes, prefilter}).size(), 1u);
        EXPECT_EQ(Grep(text, {Sjis("アイウ"), "Z", 932, kGrepBlockBytes, prefilter}).size(), 1u);
    }
}

TEST(GrepText, BlocksGiveTheSameLinesWhateverTheirSize) {
    // Matches across every kind of block edge: long and short lines, patterns over line ends.
    std::mt19937 rng(7);
    std::string text;
    for (int i = 0; i < 3000; ++i) {
        const int kind = static_cast<int>(rng() % 6);
        if (kind == 0)
            text += "key\n";
        else if (kind == 1)
            text += std::string(rng() % 5000, 'a') + "ke\n";
        else if (kind == 2)
            text += "y tail\r\n";
        else if (kind == 3)
            text += Sjis("日本語キー") + "\n";
        else
            text += std::string(rng() % 80, 'b') + "\n";
    }
    for (const char* pattern : {"key", "e\\ny", "ke\\ny t"}) {
        for (const char* options : {"", "R", "I"}) {
            const std::vector<Hit> whole = Grep(text, {pattern, options, 932, text.size() * 2});
            EXPECT_EQ(Grep(text, {pattern, options, 932, 4096}), whole) << pattern << options;
            EXPECT_EQ(Grep(text, {pattern, options, 932, 100000}), whole) << pattern << options;
            EXPECT_FALSE(whole.empty());
        }
    }
    ExpectEditorLines(text, Grep(text, {"key", "", 932, 4096}));
}

TEST(GrepText, PrefilterNeverChangesTheLines) {
    // Random texts over a small alphabet with line ends of every kind and double-byte
    // characters, random patterns: the same lines with and without the prefilter.
    std::mt19937 rng(11);
    const std::vector<std::string> pieces = {"a",  "b", "A",        "\n",       "\r\n", "\r", " ",
                                             "\t", "1", Sjis("あ"), Sjis("ａ"), "\x83", "_",  "|"};
    const std::vector<std::string> patterns = {"a",     "ab",   "A",   "a\\nb", Sjis("あ"), "1a",
                                               "[ab]+", "a|b1", "a.b", "[^a]b", "\\x83"};
    const std::vector<std::string> optionSets = {"", "I", "W", "T", "E", "Z", "IZ", "WT"};
    for (int round = 0; round < 300; ++round) {
        std::string text;
        const int n = 1 + static_cast<int>(rng() % 60);
        for (int i = 0; i < n; ++i) text += pieces[rng() % pieces.size()];
        const std::string& pattern = patterns[rng() % patterns.size()];
        std::string options = optionSets[rng() % optionSets.size()];
        if (rng() % 2) options += "R";
        const std::vector<Hit> with = Grep(text, {pattern, options, 932, 4096, true});
        const std::vector<Hit> without = Grep(text, {pattern, options, 932, 4096, false});
        ASSERT_EQ(with, without) << "pattern " << pattern << " options " << options;
        ExpectEditorLines(text, with);
    }
}

TEST(GrepText, EscapeIsAskedEveryThousandLinesAndStops) {
    platform::MemoryFileSystem fs;
    std::string text;
    for (int i = 0; i < 100000; ++i) text += "key\n";
    fs.files["/t/f"] = text;
    GrepMatcher m;
    ASSERT_TRUE(m.Compile("key", {}, 932));
    GrepTextSearch search(4096);
    Collect sink;
    sink.stopAtPoll = 2;
    EXPECT_EQ(search.SearchFile(fs, "/t/f", m, sink), GrepTextStatus::kStopped);
    EXPECT_EQ(sink.polls, 2);
    // What was read before the stop is not searched afterwards: at most the lines of the
    // regions read before it can have been reported.
    EXPECT_LE(sink.hits.size(), 2 * kGrepRegionBytes / 4);
    // A file of fewer lines is never asked.
    fs.files["/t/short"] = "key\nkey\n";
    Collect few;
    few.stopAtPoll = 1;
    EXPECT_EQ(search.SearchFile(fs, "/t/short", m, few), GrepTextStatus::kDone);
    EXPECT_EQ(few.polls, 0);
    EXPECT_EQ(search.SearchFile(fs, "/t/missing", m, sink), GrepTextStatus::kUnreadable);
}

TEST(GrepText, NothingToFindForAnEmptyString) {
    GrepMatcher m;
    EXPECT_FALSE(m.Compile("", {}, 932));
    EXPECT_FALSE(m.Compile("", ParseGrepOptionString("R"), 932));
    // "^" alone is not empty: every line.
    EXPECT_EQ(Grep("a\nb", {"^", "R"}).size(), 2u);
}

TEST(GrepOutput, TheLineForms) {
    static const struct {
        const char* path;
        uint64_t line;
        std::string text;
        int textCp;
        int outCp;
        std::string out;
    } kCases[] = {
        {"a.c", 12, "int x;", 932, 65000, "a.c(12): int x;\n"},
        {"sub/a b.c", 7, "x", 932, 65000, "\"sub/a b.c\"(7): x\n"},
        {"f(1).c", 1, "x", 932, 65000, "\"f(1).c\"(1): x\n"},
        {"/abs/a.c", 4000000000ULL, "x", 932, 65000, "/abs/a.c(4000000000): x\n"},
        {"z.bin", 1, std::string("a\0b", 3), 932, 65000, "z.bin(1): a@b\n"},
        // Shift-JIS text into a UTF-8 output document, and a UTF-8 path into a Shift-JIS one.
        {"j.txt", 2, Sjis("日本語"), 932, 65000, "j.txt(2): 日本語\n"},
        {"日本.txt", 3, Sjis("語"), 932, 932, Sjis("日本.txt") + "(3): " + Sjis("語") + "\n"},
    };
    for (const auto& c : kCases)
        EXPECT_EQ(FormatGrepLine(c.path, c.line, c.text, c.textCp, c.outCp), c.out) << c.path;
}

TEST(GrepOutput, LongLinesAreCutAtAWholeCharacter) {
    std::string ascii(300, 'a');
    std::string out = FormatGrepLine("a", 1, ascii, 932, 65000);
    EXPECT_EQ(out, "a(1): " + std::string(230, 'a') + "\n");
    // 115 double-byte characters are 230 bytes of Shift-JIS but 345 of UTF-8: the cut falls
    // before the character that would pass 230 bytes.
    std::string kanji;
    for (int i = 0; i < 120; ++i) kanji += Sjis("漢");
    out = FormatGrepLine("a", 1, "x" + kanji, 932, 932);
    EXPECT_EQ(out.size(), std::string("a(1): ").size() + 229 + 1);
    out = FormatGrepLine("a", 1, kanji, 932, 65000);
    EXPECT_EQ(out.size(), std::string("a(1): ").size() + 228 + 1);  // 76 characters of 3 bytes
}

}  // namespace
}  // namespace norv::search
