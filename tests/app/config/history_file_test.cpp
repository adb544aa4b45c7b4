// The history file: fixed blocks, recent-file records with their file times, round trips.
#include "app/config/history_file.h"

#include <gtest/gtest.h>

#include "platform/fakes/memory_file_system.h"

namespace norv::app {
namespace {

std::string FullFile(const char* end = "\n") {
    std::string out;
    auto line = [&](const std::string& l) { out += l + end; };
    for (int i = 0; i < 32; ++i) line(i == 0 ? "foo\tIW" : i == 1 ? "bar" : "");
    for (int i = 0; i < 32; ++i) line(i == 0 ? "baz\tG" : "");
    for (int i = 0; i < 32; ++i) line("skipped " + std::to_string(i) + "\t\t x");
    for (int i = 0; i < 32; ++i) line(i == 3 ? "text4" : "");
    for (int i = 0; i < 32; ++i) line(i == 0 ? "/home/u/" : "");
    for (int i = 0; i < 100; ++i)
        line(i == 0   ? "/home/u/a.txt\t1:2,3,4,5/100,200/300,400/6,7"
             : i == 1 ? "/home/u/odd\tname.txt\t0:0,0,0,0/4294967295,0/0,0/0,0"
             : i == 2 ? "/home/u/bad.txt\t1:2"
                      : "");
    for (int i = 0; i < 32; ++i) line(i == 31 ? "last" : "");
    return out;
}

TEST(HistoryFile, ReadsTheBlocks) {
    HistoryFile h;
    h.Parse(FullFile());
    EXPECT_EQ(h.find[0], (HistoryEntry{"foo", "IW"}));
    EXPECT_EQ(h.find[1], (HistoryEntry{"bar", ""}));
    EXPECT_EQ(h.replace[0], (HistoryEntry{"baz", "G"}));
    EXPECT_EQ(h.texts[3], "text4");
    EXPECT_EQ(h.folders[0], "/home/u/");
    EXPECT_EQ(h.recent[0].path, "/home/u/a.txt");
    EXPECT_TRUE(h.recent[0].hasNumbers);
    EXPECT_EQ(h.recent[0].LastOpen(), (uint64_t(200) << 32) | 100);
    EXPECT_EQ(h.recent[0].LastUpdate(), (uint64_t(400) << 32) | 300);
    EXPECT_EQ(h.recent[0].lead, (std::array<int, 5>{1, 2, 3, 4, 5}));
    EXPECT_EQ(h.recent[0].tail, (std::array<int, 2>{6, 7}));
    EXPECT_EQ(h.recent[1].path, "/home/u/odd\tname.txt") << "a tab in a path is kept";
    EXPECT_EQ(h.recent[1].openLow, 4294967295u);
    EXPECT_FALSE(h.recent[2].hasNumbers);
    EXPECT_EQ(h.recent[2].path, "/home/u/bad.txt\t1:2");
    EXPECT_TRUE(h.recent[3].Empty());
    EXPECT_EQ(h.lastTexts[31], "last");
}

TEST(HistoryFile, RoundTrips) {
    static const std::string kFiles[] = {
        FullFile(),
        FullFile("\r\n"),
        FullFile() + "extra line\nmore",
        FullFile().substr(0, FullFile().size() - 1),  // no final line end
        FullFile() + "extra\r",                       // a final lone CR
    };
    for (const auto& text : kFiles) {
        HistoryFile h;
        h.Parse(text);
        EXPECT_EQ(h.Format(), text);
    }
}

TEST(HistoryFile, FormerFaults) {
    // A short file ending in a lone CR: the CR read as part of an entry, then became part of a
    // CR LF once the blocks were completed, so the entry changed on the next read.
    HistoryFile first, second;
    first.Parse("a\n\r");
    EXPECT_EQ(first.find[1].text, "");
    second.Parse(first.Format());
    EXPECT_EQ(second.find, first.find);
    EXPECT_EQ(second.Format(), first.Format());
    // An entry that is itself a CR, before the CR that ends the file: once a line end follows
    // it, that line end must not swallow the entry's CR.
    for (const char* text : {"\r\r", "x\r\r"}) {
        HistoryFile a, b;
        a.Parse(text);
        b.Parse(a.Format());
        EXPECT_EQ(b.find, a.find) << text;
        EXPECT_EQ(b.Format(), a.Format()) << text;
    }
}

TEST(HistoryFile, BlocksAreAlwaysWrittenWhole) {
    HistoryFile h;
    h.Parse("one\tI\nsecond line\n");
    std::string out = h.Format();
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 6 * 32 + 100);
    HistoryFile again;
    again.Parse(out);
    EXPECT_EQ(again.find[0], (HistoryEntry{"one", "I"}));
    EXPECT_EQ(again.find[1], (HistoryEntry{"second line", ""}));
}

TEST(HistoryFile, EntriesThatCannotBeStoredNeverShiftTheBlocks) {
    HistoryFile h;
    h.Parse(FullFile());
    h.find[5] = {"multi\nline", "I"};
    h.replace[2] = {"with\ttab", ""};
    h.recent[10].path = "/tmp/new\nline";
    h.recent[10].hasNumbers = true;
    h.recent[11].path = "/tmp/ok.txt";
    h.recent[11].hasNumbers = true;
    h.recent[11].SetLastOpen(0x0123456789ABCDEFull);
    h.recent[11].SetLastUpdate(42);
    h.texts[0] = std::string(3000, 'y');
    h.texts[1] = "ends in CR\r";
    h.texts[2] = "inner\rCR";
    h.find[6] = {"a\rb", ""};
    HistoryFile again;
    again.Parse(h.Format());
    EXPECT_EQ(again.find[5], HistoryEntry{});
    EXPECT_EQ(again.replace[2], (HistoryEntry{"with\ttab", ""}));
    EXPECT_TRUE(again.recent[10].Empty());
    EXPECT_EQ(again.recent[11].LastOpen(), 0x0123456789ABCDEFull);
    EXPECT_EQ(again.recent[11].LastUpdate(), 42u);
    EXPECT_EQ(again.texts[0].size(), 3000u);
    EXPECT_EQ(again.texts[1], "") << "its CR would join the line end";
    EXPECT_EQ(again.texts[2], "inner\rCR");
    EXPECT_EQ(again.find[6], (HistoryEntry{"a\rb", ""}));
    EXPECT_EQ(again.lastTexts[31], "last");
    EXPECT_EQ(again.recent[0], h.recent[0]);
}

TEST(HistoryFile, RememberMovesToTheTop) {
    std::array<HistoryEntry, kHistoryBlockSize> h{};
    for (int i = 0; i < 40; ++i) HistoryFile::Remember(h, {"t" + std::to_string(i), "I"});
    EXPECT_EQ(h[0].text, "t39");
    EXPECT_EQ(h[31].text, "t8") << "the oldest dropped out";
    HistoryFile::Remember(h, {"t20", "IW"});
    EXPECT_EQ(h[0], (HistoryEntry{"t20", "IW"}));
    EXPECT_EQ(h[1].text, "t39");
    EXPECT_EQ(std::count_if(h.begin(), h.end(), [](auto& e) { return e.text == "t20"; }), 1);
    EXPECT_EQ(h[31].text, "t8") << "nothing dropped when an entry moved";
    HistoryFile::Remember(h, {"", "I"});
    EXPECT_EQ(h[0].text, "t20");

    HistoryFile file;
    file.Parse(FullFile());
    RecentFile r;
    r.path = "/home/u/new.txt";
    r.hasNumbers = true;
    file.RememberRecentFile(r);
    EXPECT_EQ(file.recent[0].path, "/home/u/new.txt");
    EXPECT_EQ(file.recent[1].path, "/home/u/a.txt");
    r.path = "/home/u/a.txt";
    r.SetLastOpen(5);
    file.RememberRecentFile(r);
    EXPECT_EQ(file.recent[0].LastOpen(), 5u);
    EXPECT_EQ(file.recent[1].path, "/home/u/new.txt");
    EXPECT_EQ(file.FindRecentFile("/home/u/a.txt"), &file.recent[0]);
    EXPECT_EQ(file.FindRecentFile("/nowhere"), nullptr);
    HistoryFile again;
    again.Parse(file.Format());
    EXPECT_EQ(again.recent, file.recent);
}

TEST(HistoryFile, FolderListDefaultsToTheSettingsFolder) {
    HistoryFile h;
    EXPECT_EQ(h.FolderList("/cfg/"), std::vector<std::string>{"/cfg/"});
    h.folders[3] = "/src/";
    EXPECT_EQ(h.FolderList("/cfg/"), std::vector<std::string>{"/src/"});
}

TEST(HistoryFile, LoadAndSave) {
    platform::MemoryFileSystem fs{platform::FolderRule::kFoldersMustExist};
    fs.folders.insert("/cfg/");
    HistoryFile h;
    EXPECT_EQ(LoadHistoryFile(fs, "/cfg/n.HST", h), 0);
    fs.files["/cfg/n.HST"] = FullFile();
    ASSERT_EQ(LoadHistoryFile(fs, "/cfg/n.HST", h), 0);
    EXPECT_EQ(SaveHistoryFile(fs, "/cfg/n.HST", h), 0);
    EXPECT_EQ(fs.files["/cfg/n.HST"], FullFile());
}

}  // namespace
}  // namespace norv::app
