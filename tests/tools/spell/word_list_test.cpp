// The user ignore list's file: what reading takes and what it passes over, appending without
// rewriting, and appends that fail.
#include "tools/spell/word_list.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/fakes/memory_file_system.h"
#include "tools/spell/word_scanner.h"

namespace norv::tools {
namespace {

std::vector<std::string> Sorted(const WordList& list) {
    std::vector<std::string> out(list.words.begin(), list.words.end());
    std::sort(out.begin(), out.end());
    return out;
}

TEST(WordList, ReadsWordsAndPassesOverLinesThatAreNotWords) {
    const std::string longLine(kMaxWordBytes + 1, 'a');
    const std::string longest(kMaxWordBytes, 'b');
    static const struct {
        std::string bytes;
        std::vector<std::string> words;
        bool openLine;
        const char* why;
    } kCases[] = {
        {"alpha\nbeta\n", {"alpha", "beta"}, false, "plain LF lines"},
        {"alpha\r\nbeta\r\n", {"alpha", "beta"}, false, "CR LF lines lose the CR"},
        {"\n\n\r\nalpha\n\n", {"alpha"}, false, "blank lines"},
        {"alpha\nbeta", {"alpha", "beta"}, true, "a last line without its end"},
        {longLine + "\n" + longest + "\n", {longest}, false, "a line longer than a word"},
        {"caf\xC3\xA9\nok\n", {"ok"}, false, "bytes beyond ASCII"},
        {std::string("a\0b\nok\n", 7), {"ok"}, false, "a NUL byte"},
        {"two words\n-lead\n'quote\ndon't\nU.S.A.\nwell-known\n",
         {"U.S.A.", "don't", "well-known"},
         false,
         "blanks and a first byte that no word starts with"},
        {"a\rb\nc\n", {"c"}, false, "a CR inside a line"},
        {"", {}, false, "an empty file"},
    };
    for (const auto& c : kCases) {
        WordList list;
        ParseWordList(c.bytes, list);
        EXPECT_EQ(Sorted(list), c.words) << c.why;
        EXPECT_EQ(list.openLine, c.openLine) << c.why;
    }
}

TEST(WordList, ReadingInPiecesJoinsLinesAndSkipsHugeOnes) {
    platform::MemoryFileSystem fs;
    fs.readChunk = 7;
    fs.files["/s/BkIgn.tlx"] =
        "first\r\n" + std::string(200000, 'x') + "\nsecond\n" + std::string(300, 'y') + "\nlast";
    WordList list;
    EXPECT_EQ(ReadWordList(fs, "/s/BkIgn.tlx", list), WordListStatus::kRead);
    EXPECT_EQ(Sorted(list), (std::vector<std::string>{"first", "last", "second"}));
    EXPECT_TRUE(list.openLine);
}

TEST(WordList, AMissingFileIsCreatedEmpty) {
    platform::MemoryFileSystem fs;
    WordList list;
    EXPECT_EQ(ReadWordList(fs, "/s/BkIgn.tlx", list), WordListStatus::kCreated);
    ASSERT_TRUE(fs.files.count("/s/BkIgn.tlx"));
    EXPECT_EQ(fs.files["/s/BkIgn.tlx"], "");
    EXPECT_TRUE(list.words.empty());
}

TEST(WordList, AnUnreadableFileIsReportedAndLeftAlone) {
    platform::MemoryFileSystem fs;
    fs.files["/s/BkIgn.tlx"] = "word\n";
    fs.unopenable.insert("/s/BkIgn.tlx");
    WordList list;
    EXPECT_EQ(ReadWordList(fs, "/s/BkIgn.tlx", list), WordListStatus::kFailed);
    EXPECT_EQ(fs.files["/s/BkIgn.tlx"], "word\n");
}

TEST(WordList, AppendingAddsALineAndNeverRewrites) {
    platform::MemoryFileSystem fs;
    const std::string path = "/s/BkIgn.tlx";
    // The user's own lines stay as they are, a last line without its end is ended first.
    fs.files[path] = "Kept\r\n\n  odd line\nlast";
    WordList list;
    ASSERT_EQ(ReadWordList(fs, path, list), WordListStatus::kRead);
    EXPECT_TRUE(AppendWord(fs, path, "Norv", list));
    EXPECT_TRUE(AppendWord(fs, path, "don't", list));
    EXPECT_EQ(fs.files[path], "Kept\r\n\n  odd line\nlast\nNorv\ndon't\n");
    WordList again;
    ReadWordList(fs, path, again);
    EXPECT_EQ(Sorted(again), (std::vector<std::string>{"Kept", "Norv", "don't", "last"}));
}

TEST(WordList, AFailedAppendLeavesTheNextOneOnALineOfItsOwn) {
    platform::MemoryFileSystem fs;
    const std::string path = "/s/BkIgn.tlx";
    fs.files[path] = "one\n";
    WordList list;
    ReadWordList(fs, path, list);
    fs.failWriteNumber = fs.writes + 1;
    fs.failStickily = false;
    EXPECT_FALSE(AppendWord(fs, path, "two", list));
    EXPECT_EQ(fs.files[path], "one\n");
    // Had part of the line reached the disk, this line break would end it.
    EXPECT_TRUE(AppendWord(fs, path, "three", list));
    EXPECT_EQ(fs.files[path], "one\n\nthree\n");
    fs.unopenable.insert(path);
    EXPECT_FALSE(AppendWord(fs, path, "four", list));
}

}  // namespace
}  // namespace norv::tools
