// The keyword file: line kinds, the bucket order of the keyword table, and round trips.
#include "app/config/keyword_file.h"

#include <gtest/gtest.h>

#include "platform/fakes/memory_file_system.h"

namespace norv::app {
namespace {

std::vector<std::string> BucketTexts(const KeywordFile& f, char first) {
    std::vector<std::string> out;
    for (const auto& e : f.keywords.Bucket(static_cast<uint8_t>(first)))
        out.push_back(e.text + "/" + "0123456789ABCDEF"[e.group]);
    return out;
}

TEST(KeywordTable, BucketOrder) {
    static const struct {
        std::vector<std::pair<const char*, int>> adds;
        std::vector<std::string> expected;
    } kCases[] = {
        {{{"if", 0}, {"ifdef", 0}}, {"ifdef/0", "if/0"}},  // longer before its prefix
        {{{"ifdef", 0}, {"if", 0}}, {"ifdef/0", "if/0"}},
        {{{"int", 0}, {"if", 0}, {"include", 1}}, {"if/0", "include/1", "int/0"}},
        {{{"if", 0}, {"if", 0}}, {"if/0"}},          // same group: kept once
        {{{"if", 0}, {"if", 3}}, {"if/3", "if/0"}},  // another group: in front
        {{{"If", 0}, {"if", 0}, {"IF", 1}},
         {"IF/1", "If/0", "if/0"}},  // one bucket, case-sensitive order
    };
    for (const auto& c : kCases) {
        KeywordFile f(932);
        for (const auto& [text, group] : c.adds) f.keywords.Add(text, group);
        EXPECT_EQ(BucketTexts(f, 'i'), c.expected);
        EXPECT_EQ(BucketTexts(f, 'I'), c.expected);
    }
}

TEST(KeywordTable, DoubleByteCharactersCompareAsUnits) {
    // Bytewise, 0x83 (lead) < 0xB1 (half-width katakana); as units 0x8341 > 0xB1.
    EXPECT_GT(KeywordTable::Compare("\x83\x41", "\xB1", 932), 0);
    EXPECT_LT(KeywordTable::Compare("\x83\x41", "\xB1", 1252), 0);
    KeywordTable t(932);
    EXPECT_FALSE(t.Add("", 0));
    EXPECT_FALSE(t.Add(" x", 0));
    EXPECT_FALSE(t.Add("a\tb", 0));
    EXPECT_FALSE(t.Add("a\nb", 0));
    EXPECT_FALSE(t.Add("ok", 16));
    EXPECT_EQ(t.Size(), 0u);
}

TEST(KeywordFile, LineKinds) {
    KeywordFile f(932);
    ParseKeywordFile(
        "\x10"
        "C keywords\t*.c;*.h\t3\n"
        "\x11"
        "HTML\t*.html\n"  // no switch number: coloured only
        "\x1F"
        "Last\t*.*\t4\r\n"
        "\x05"
        "neg\t*.x\t1\n"  // below 0x10: ignored
        " /*\t0\t*/\t1\t0\n"
        " //\t1\t\t1\t1\n"         // empty end string: ends at the line end
        "   \"\t2\t   \"\t0\t1\n"  // leading blanks removed
        " <!--\t1\t-->\t1\n"       // four fields: ignored
        " x\tG\ty\t1\t1\n"         // bad group digit: ignored
        "while\t0\n"
        "div\tb\n"  // lower-case digit accepted
        "bad\tz\n"  // ignored
        "notab\n"
        "\n",
        f);
    EXPECT_EQ(f.groups[0].name, "C keywords");
    EXPECT_EQ(f.groups[0].fileTypes, "*.c;*.h");
    EXPECT_TRUE(f.groups[0].caseInsensitive);
    EXPECT_TRUE(f.groups[0].colored);
    EXPECT_FALSE(f.groups[0].bold);
    EXPECT_FALSE(f.groups[1].caseInsensitive);
    EXPECT_TRUE(f.groups[1].colored);
    EXPECT_FALSE(f.groups[1].bold);
    EXPECT_TRUE(f.groups[15].bold);
    EXPECT_FALSE(f.groups[15].colored);
    ASSERT_EQ(f.blocks.size(), 3u);
    EXPECT_EQ(f.blocks[0], (CommentBlock{"/*", "*/", 0, true, false}));
    EXPECT_EQ(f.blocks[1], (CommentBlock{"//", "", 1, true, true}));
    EXPECT_EQ(f.blocks[2], (CommentBlock{"\"", "\"", 2, false, true}));
    EXPECT_EQ(BucketTexts(f, 'w'), std::vector<std::string>{"while/0"});
    EXPECT_EQ(BucketTexts(f, 'd'), std::vector<std::string>{"div/B"});
    EXPECT_EQ(f.keywords.Size(), 2u);
    EXPECT_EQ(KeywordGroupsForFile("/x/a.H", f), (1u << 0) | (1u << 15));
    EXPECT_EQ(KeywordGroupsForFile("/x/Makefile", f), 1u << 15);  // "*.*" applies to all
}

TEST(KeywordFile, FormerFaults) {
    // A CR inside a field read back differently after a save (it was written as a blank,
    // then lost as a leading blank): such a CR now reads as the blank it is written as.
    KeywordFile f(932), g(932);
    ParseKeywordFile(
        "\x10"
        "na\rme\t*.c\r\t2\n if\t0\t\r1\t1\t0\n",
        f);
    EXPECT_EQ(f.groups[0].name, "na me");
    ASSERT_EQ(f.blocks.size(), 1u);
    EXPECT_EQ(f.blocks[0].end, "1");
    ParseKeywordFile(FormatKeywordFile(f), g);
    EXPECT_EQ(g.groups, f.groups);
    EXPECT_EQ(g.blocks, f.blocks);
}

TEST(KeywordFile, LongLinesStayWhole) {
    std::string longWord(5000, 'k');
    KeywordFile f(932);
    ParseKeywordFile(longWord + "\t1\nshort\t2\n", f);
    ASSERT_EQ(BucketTexts(f, 'k').size(), 1u);
    EXPECT_EQ(f.keywords.Bucket('k')[0].text, longWord);
    EXPECT_EQ(BucketTexts(f, 's'), std::vector<std::string>{"short/2"});
}

TEST(KeywordFile, RoundTrip) {
    KeywordFile f(932);
    f.groups[0] = {"C", "*.c;*.cpp", true, true, false};
    f.groups[4] = {"Script", "*.nrs", false, false, true};
    f.blocks.push_back({"/*", "*/", 0, true, false});
    f.blocks.push_back({"'", "", 4, true, true});
    for (const char* w : {"if", "ifdef", "int", "\x83\x41\x83\x43", "End", "END"})
        f.keywords.Add(w, 0);
    f.keywords.Add("if", 4);
    std::string text = FormatKeywordFile(f);
    KeywordFile g(932);
    ParseKeywordFile(text, g);
    EXPECT_EQ(g.groups, f.groups);
    EXPECT_EQ(g.blocks, f.blocks);
    for (int b = 0; b < 256; ++b)
        EXPECT_EQ(g.keywords.Bucket(uint8_t(b)), f.keywords.Bucket(uint8_t(b))) << b;
    EXPECT_EQ(FormatKeywordFile(g), text);
    EXPECT_EQ(text.substr(0, 15), std::string("\x10"
                                              "C\t*.c;*.cpp\t3\n"));
    // Former fault: equal texts of two groups swapped places at every save.
    EXPECT_NE(text.find("if\t0\nif\t4\n"), std::string::npos);

    platform::MemoryFileSystem fs{platform::FolderRule::kFoldersMustExist};
    fs.folders.insert("/cfg/");
    ASSERT_EQ(SaveKeywordFile(fs, "/cfg/n.KWD", f), 0);
    KeywordFile h(932);
    ASSERT_EQ(LoadKeywordFile(fs, "/cfg/n.KWD", h), 0);
    EXPECT_EQ(FormatKeywordFile(h), text);
    EXPECT_EQ(LoadKeywordFile(fs, "/cfg/missing.KWD", h), 0);
    EXPECT_EQ(h.keywords.Size(), 0u);
    EXPECT_EQ(h.blocks.size(), 0u);
}

}  // namespace
}  // namespace norv::app
