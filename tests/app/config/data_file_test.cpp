// The data file: typed lists, byte-for-byte round trips, and what happens to changed entries.
#include "app/config/data_file.h"

#include <gtest/gtest.h>

#include "platform/fakes/memory_file_system.h"

namespace norv::app {
namespace {

std::string SampleFile(const char* end = "\n") {
    std::vector<std::string> lines = {"##UserMenu"};
    for (int m = 0; m < 5; ++m) {
        lines.push_back("#Begin");
        if (m == 0) {
            lines.push_back("&Copy\tEditCopy");
            lines.push_back("-");
            lines.push_back("&Paste\tEditPaste");
        }
        lines.push_back("#End");
    }
    lines.push_back("##Shell");
    for (int i = 0; i < 26; ++i)
        lines.push_back(i == 0 ? "make\tmake -k\t \tCO" : i == 1 ? "ls\tls -l" : "");
    lines.push_back("##Script");
    for (int i = 0; i < 16; ++i) lines.push_back(i == 2 ? "Sorter\tsort.nrs\t10" : "");
    for (int i = 0; i < 260; ++i) lines.push_back(i == 27 ? "page2b.nrs\tSecond page, B" : " \t ");
    lines.push_back("##RegDir");
    for (int i = 0; i < 16; ++i) lines.push_back(i == 0 ? "/home/u/src/" : "");
    std::string out;
    for (const auto& l : lines) out += l + end;
    return out;
}

TEST(DataFile, ReadsTypedLists) {
    DataFile d;
    d.Parse(SampleFile());
    ASSERT_EQ(d.menus[0].size(), 3u);
    EXPECT_EQ(d.menus[0][0], (UserMenuItem{false, "&Copy", "EditCopy"}));
    EXPECT_TRUE(d.menus[0][1].separator);
    EXPECT_TRUE(d.menus[1].empty());
    EXPECT_EQ(d.shell[0], (ShellEntry{"make", "make -k", "", "CO"}));
    EXPECT_EQ(d.shell[1], (ShellEntry{"ls", "ls -l", "", ""}));
    EXPECT_EQ(d.addins[2], (AddinSlot{"Sorter", "sort.nrs", "10"}));
    EXPECT_TRUE(d.addins[2].StartsWithProgram());
    EXPECT_FALSE(d.addins[2].SecondFlag());
    EXPECT_EQ(d.library[1][1], (LibrarySlot{"page2b.nrs", "Second page, B"}));
    EXPECT_EQ(d.library[0][0], LibrarySlot{});
    EXPECT_EQ(d.folders[0], "/home/u/src/");
}

TEST(DataFile, UnchangedFilesComeBackByteForByte) {
    static const std::string kFiles[] = {
        SampleFile(),
        SampleFile("\r\n"),
        "",
        "junk before\n##Shell\na\tb\n",                // short block, preamble
        "##RegDir\n" + std::string(20, '\n') + "x\n",  // lines after the block
        "##Shell\n##Foo\nbar\n##Shell\nagain",         // unknown and repeated sections
        "##UserMenu\n#Begin\nA\tB\nno end",            // a menu without #End... kept
        "##Script\n" + std::string(4000, 'x') + "\tf\t1\n",
    };
    for (const auto& text : kFiles) {
        DataFile d;
        d.Parse(text);
        std::string out = d.Format();
        if (text == "##UserMenu\n#Begin\nA\tB\nno end") {
            // The unfinished menu is closed; its items stay.
            DataFile again;
            again.Parse(out);
            EXPECT_EQ(again.menus, d.menus);
            continue;
        }
        EXPECT_EQ(out, text);
    }
}

TEST(DataFile, ChangedEntriesAreFormattedInPlace) {
    DataFile d;
    d.Parse(SampleFile("\r\n"));
    d.shell[1].folder = "/tmp";
    d.library[9][25] = {"last.nrs", ""};
    d.menus[4].push_back({false, "Tab\tbed", "Nop"});
    d.folders[15] = "a\nb";
    std::string out = d.Format();
    DataFile again;
    again.Parse(out);
    EXPECT_EQ(again.shell[1], (ShellEntry{"ls", "ls -l", "/tmp", ""}));
    EXPECT_NE(out.find("ls\tls -l\t/tmp\t \r\n"), std::string::npos);
    EXPECT_EQ(again.library[9][25], (LibrarySlot{"last.nrs", ""}));
    EXPECT_NE(out.find("last.nrs\t \r\n"), std::string::npos);
    EXPECT_EQ(again.menus[4], (std::vector<UserMenuItem>{{false, "Tab bed", "Nop"}}));
    EXPECT_EQ(again.folders[15], "a b") << "a line break never splits the block";
    EXPECT_EQ(again.addins, d.addins);
    EXPECT_EQ(again.menus[0], d.menus[0]);
}

TEST(DataFile, NewSectionsAreAdded) {
    DataFile d;
    d.Parse("");
    d.addins[0] = {"Grep", "grep.nrs", "01"};
    d.folders[0] = "/x/";
    EXPECT_EQ(d.Format(), "##Script\nGrep\tgrep.nrs\t01\n##RegDir\n/x/\n");
    EXPECT_TRUE(d.addins[0].SecondFlag());
}

TEST(DataFile, MenuCaptionShownAt80Bytes) {
    UserMenuItem item{false, std::string(79, 'a') + "\x83\x41" + "tail", "Nop"};
    EXPECT_EQ(item.ShownCaption(932), std::string(79, 'a'));
    EXPECT_EQ(item.ShownCaption(1252).size(), 80u);
}

TEST(DataFile, LoadAndSave) {
    platform::MemoryFileSystem fs{platform::FolderRule::kFoldersMustExist};
    fs.folders.insert("/cfg/");
    DataFile d;
    EXPECT_EQ(LoadDataFile(fs, "/cfg/n.DAT", d), 0);  // missing: empty lists
    fs.files["/cfg/n.DAT"] = SampleFile();
    ASSERT_EQ(LoadDataFile(fs, "/cfg/n.DAT", d), 0);
    fs.failWriteNumber = fs.writes + 1;
    EXPECT_NE(SaveDataFile(fs, "/cfg/n.DAT", d), 0);
    EXPECT_EQ(fs.files["/cfg/n.DAT"], SampleFile());
    EXPECT_EQ(SaveDataFile(fs, "/cfg/n.DAT", d), 0);
    EXPECT_EQ(fs.files["/cfg/n.DAT"], SampleFile());
}

}  // namespace
}  // namespace norv::app
