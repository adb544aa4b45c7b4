// Writing back an edited keyword file: every line that was not edited stays as it was.
#include "app/config/keyword_file_edit.h"

#include <gtest/gtest.h>

#include "platform/fakes/memory_file_system.h"

namespace norv::app {
namespace {

const std::string kOriginal =
    "\x10"
    "C words\t*.c;*.h\t3\r\n"
    "\x11"
    "Strings\t*.*\r\n"
    "\x01"
    "an ignored line\r\n"
    " /*\t0\t*/\t1\t0\r\n"
    "if\t0\r\n"
    "ifdef\t0\r\n"
    "if\t0\r\n"
    "return\t1";

KeywordFile Read(std::string_view text) {
    KeywordFile f(932);
    ParseKeywordFile(text, f);
    return f;
}

TEST(KeywordFileEdit, UneditedLinesStayByteForByte) {
    KeywordFile f = Read(kOriginal);
    EXPECT_EQ(RewriteKeywordFile(kOriginal, f), kOriginal);

    // A new keyword goes after the old lines, in the file's line ends.
    KeywordFile added = f;
    ASSERT_TRUE(added.keywords.Add("while", 0));
    EXPECT_EQ(RewriteKeywordFile(kOriginal, added), kOriginal + "\r\nwhile\t0\r\n");

    // A deleted keyword loses its lines (both copies); nothing else moves.
    KeywordFile removed = f;
    ASSERT_TRUE(removed.keywords.Remove("if", 0));
    std::string expected = kOriginal;
    expected.erase(expected.find("if\t0\r\nifdef"), 6);
    expected.erase(expected.find("if\t0\r\nreturn"), 6);
    EXPECT_EQ(RewriteKeywordFile(kOriginal, removed), expected);

    // A changed group rewrites its own header only, in its place.
    KeywordFile renamed = f;
    renamed.groups[1].name = "Quoted";
    renamed.groups[1].bold = true;
    expected = kOriginal;
    expected.replace(expected.find("Strings\t*.*"), 11, "Quoted\t*.*\t6");
    EXPECT_EQ(RewriteKeywordFile(kOriginal, renamed), expected);

    // A deleted block goes; a new one and a group without a header come after the old lines.
    KeywordFile blocks = f;
    blocks.blocks.clear();
    blocks.blocks.push_back({"\"", "\"", 1, true, false});
    blocks.groups[5].name = "Five";
    expected = kOriginal;
    const std::string block = " /*\t0\t*/\t1\t0\r\n";
    expected.erase(expected.find(block), block.size());
    expected +=
        "\r\n\x15"
        "Five\t\t2\r\n \"\t1\t\"\t1\t0\r\n";
    const std::string rewritten = RewriteKeywordFile(kOriginal, blocks);
    EXPECT_EQ(rewritten, expected);
    const KeywordFile back = Read(rewritten);
    EXPECT_EQ(back.groups, blocks.groups);
    EXPECT_EQ(back.blocks, blocks.blocks);
}

TEST(KeywordFileEdit, ANewFileHoldsWhatWasEditedAndReadsBackTheSame) {
    KeywordFile f(932);
    f.groups[0].name = "Words";
    f.groups[0].fileTypes = "*.txt";
    ASSERT_TRUE(f.keywords.Add("alpha", 0));
    ASSERT_TRUE(f.keywords.Add("alphabet", 0));
    ASSERT_TRUE(f.keywords.Add("alpha", 2));
    platform::MemoryFileSystem fs;
    ASSERT_EQ(SaveEditedKeywordFile(fs, "/n.KWD", f), 0);
    const KeywordFile back = Read(fs.files["/n.KWD"]);
    EXPECT_EQ(back.groups, f.groups);
    EXPECT_EQ(back.keywords.Bucket('a'), f.keywords.Bucket('a'));
    // Saved again unchanged, the file stays the same.
    const std::string once = fs.files["/n.KWD"];
    ASSERT_EQ(SaveEditedKeywordFile(fs, "/n.KWD", back), 0);
    EXPECT_EQ(fs.files["/n.KWD"], once);
}

}  // namespace
}  // namespace norv::app
