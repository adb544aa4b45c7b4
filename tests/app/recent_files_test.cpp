// The recent files of the history file: their order and limit, the two times, the caret, the
// recent folders, the other blocks left as they were, a hold over many openings; the dialog's
// sort orders, stored widths and time texts.
#include "app/recent_files.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <memory>
#include <string>

#include "platform/fakes/memory_file_system.h"

namespace norv::app {
namespace {

constexpr const char* kHistory = "/cfg/norv.HST";

// Counts the history file's reads and its writes (each an atomic replacement).
struct CountingFileSystem : platform::MemoryFileSystem {
    std::unique_ptr<platform::InputFile> OpenRead(const std::string& path, int* error) override {
        if (path == kHistory) ++reads;
        return MemoryFileSystem::OpenRead(path, error);
    }
    bool Rename(const std::string& from, const std::string& to) override {
        if (to == kHistory) ++replaced;
        return MemoryFileSystem::Rename(from, to);
    }
    int reads = 0, replaced = 0;
};

// A history file with entries of its own, and files to open in three folders.
void Prepare(platform::MemoryFileSystem& fs, int files) {
    fs.files[kHistory] = "find me\t\n";
    for (int i = 0; i < files; ++i) {
        const std::string path = "/d" + std::to_string(i % 3) + "/f" + std::to_string(i) + ".txt";
        fs.files[path] = "x";
        fs.times[path] = 9000 + uint64_t(i);
    }
}

// What a project's reopening does for each document: the caret it had, then the opening, and
// for some the caret as it closes.
void OpenMany(RecentFiles& recent, int files) {
    for (int i = 0; i < files; ++i) {
        const std::string path = "/d" + std::to_string(i % 3) + "/f" + std::to_string(i) + ".txt";
        recent.CaretOf(path);
        ASSERT_EQ(recent.Note(path, 100 + uint64_t(i)), 0);
        if (i % 7 == 0) ASSERT_EQ(recent.NoteCaret(path, i + 2, 3), 0);
    }
}

TEST(RecentFiles, NewestFirstAtMostAHundredWithTheirTimes) {
    platform::MemoryFileSystem fs;
    RecentFiles recent(fs, kHistory, "/cfg/");
    for (int i = 0; i < 105; ++i) {
        const std::string path = "/d" + std::to_string(i % 3) + "/f" + std::to_string(i) + ".txt";
        fs.files[path] = "x";
        fs.times[path] = 5000 + uint64_t(i);
        ASSERT_EQ(recent.Note(path, 0x1'0000'0000ull * 7 + uint64_t(i)), 0);
    }
    std::vector<RecentFile> list = recent.List();
    ASSERT_EQ(list.size(), 100u);
    EXPECT_EQ(list[0].path, "/d2/f104.txt");
    EXPECT_EQ(list[99].path, "/d2/f5.txt");
    EXPECT_EQ(list[0].LastUpdate(), fs.Stat("/d2/f104.txt")->lastWrite);
    EXPECT_EQ(list[0].openHigh, 7u) << "the high half of the file time";
    EXPECT_EQ(list[0].openLow, 104u);
    // Opening an older one again moves it up; nothing is listed twice.
    ASSERT_EQ(recent.Note("/d2/f5.txt", 1), 0);
    list = recent.List();
    ASSERT_EQ(list.size(), 100u);
    EXPECT_EQ(list[0].path, "/d2/f5.txt");
    EXPECT_EQ(list[1].path, "/d2/f104.txt");
    // The folders, most recent first, each once.
    std::vector<std::string> folders = recent.Folders();
    EXPECT_EQ(folders, (std::vector<std::string>{"/d2/", "/d1/", "/d0/"}));
}

TEST(RecentFiles, OtherBlocksAndNumbersStayAsTheyWere) {
    platform::MemoryFileSystem fs;
    std::string text;
    for (int i = 0; i < 32; ++i) text += "find" + std::to_string(i) + "\t\r\n";
    for (int i = 0; i < 32; ++i) text += "\r\n";
    for (int i = 0; i < 32; ++i) text += "skipped " + std::to_string(i) + "\r\n";
    for (int i = 0; i < 64; ++i) text += "\r\n";
    text += "/d/old.txt\t3:4,9,8,7/1,2/3,4/5,6\r\n";
    for (int i = 1; i < 100; ++i) text += "\r\n";
    for (int i = 0; i < 32; ++i) text += "last " + std::to_string(i) + "\r\n";
    text += "beyond the blocks";
    fs.files[kHistory] = text;
    RecentFiles recent(fs, kHistory, "/cfg/");
    EXPECT_EQ(recent.Folders(), std::vector<std::string>{"/cfg/"})
        << "none yet: the settings folder";
    fs.files["/d/old.txt"] = "o";
    ASSERT_EQ(recent.Note("/d/old.txt", 99), 0);
    const std::string after = fs.files[kHistory];
    const RecentFile r = recent.List().at(0);
    EXPECT_EQ(r.lead, (std::array<int, 5>{3, 4, 9, 8, 7}));
    EXPECT_EQ(r.tail, (std::array<int, 2>{5, 6}));
    EXPECT_EQ(recent.CaretOf("/d/old.txt"), std::make_pair(3, 4));
    for (const char* kept : {"find7\t\r\n", "skipped 31\r\n", "last 0\r\n", "beyond the blocks"})
        EXPECT_NE(after.find(kept), std::string::npos) << kept;
    // A new record's numbers: caret 1,1, the rest 0.
    fs.files["/e/new.txt"] = "n";
    ASSERT_EQ(recent.Note("/e/new.txt", 5), 0);
    EXPECT_NE(fs.files[kHistory].find("/e/new.txt\t1:1,0,0,0/5,0/"), std::string::npos);
    ASSERT_EQ(recent.NoteCaret("/e/new.txt", 12, 3), 0);
    EXPECT_EQ(recent.CaretOf("/e/new.txt"), std::make_pair(12, 3));
    EXPECT_EQ(recent.List().at(0).path, "/e/new.txt") << "the caret does not reorder";
    // An unreadable history file is never written over.
    fs.unopenable.insert(kHistory);
    EXPECT_NE(recent.Note("/d/old.txt", 7), 0);
}

TEST(RecentFiles, AHoldWritesTheHistoryOnceWithWhatEachChangeWouldHaveWritten) {
    // Without a hold, as a reference: one write per change.
    platform::MemoryFileSystem plain;
    Prepare(plain, 60);
    RecentFiles reference(plain, kHistory, "/cfg/");
    OpenMany(reference, 60);

    CountingFileSystem fs;
    Prepare(fs, 60);
    RecentFiles recent(fs, kHistory, "/cfg/");
    {
        RecentFiles::Hold hold(recent);
        OpenMany(recent, 60);
        EXPECT_EQ(fs.replaced, 0) << "nothing written while held";
        EXPECT_EQ(fs.reads, 1) << "read once, at the first use";
        EXPECT_EQ(fs.files[kHistory], "find me\t\n");
        // What the changes made is seen while held.
        EXPECT_EQ(recent.List().size(), 60u);
        EXPECT_EQ(recent.List()[0].path, "/d2/f59.txt");
        EXPECT_EQ(recent.CaretOf("/d2/f14.txt"), std::make_pair(16, 3));
        EXPECT_EQ(recent.Folders()[0], "/d2/");
        {
            RecentFiles::Hold inner(recent);
            ASSERT_EQ(recent.Note("/d0/f0.txt", 500), 0);
            EXPECT_EQ(inner.End(), 0);
            EXPECT_EQ(fs.replaced, 0) << "the outer hold still lasts";
        }
        EXPECT_EQ(hold.End(), 0);
        EXPECT_EQ(hold.End(), 0) << "ended once";
    }
    EXPECT_EQ(fs.replaced, 1);
    ASSERT_EQ(reference.Note("/d0/f0.txt", 500), 0);
    EXPECT_EQ(fs.files[kHistory], plain.files[kHistory]);

    // After the hold every change writes again.
    ASSERT_EQ(recent.Note("/d1/f1.txt", 600), 0);
    EXPECT_EQ(fs.replaced, 2);
    // A hold with nothing changed (only looked at, a caret that is already there) writes nothing.
    {
        RecentFiles::Hold hold(recent);
        recent.List();
        ASSERT_EQ(recent.NoteCaret("/d2/f14.txt", 16, 3), 0);
        ASSERT_EQ(recent.NoteCaret("/nowhere.txt", 1, 1), 0);
    }
    EXPECT_EQ(fs.replaced, 2);
}

TEST(RecentFiles, AHoldKeepsWhatWasWrittenMeanwhileAndReportsAFailedWrite) {
    CountingFileSystem fs;
    Prepare(fs, 10);
    RecentFiles recent(fs, kHistory, "/cfg/");
    {
        RecentFiles::Hold hold(recent);
        OpenMany(recent, 10);
        // Another instance opens a file and remembers a search meanwhile.
        RecentFiles other(fs, kHistory, "/cfg/");
        fs.files["/o/theirs.txt"] = "t";
        ASSERT_EQ(other.Note("/o/theirs.txt", 50), 0);
        fs.files[kHistory].replace(0, 7, "found it");
        EXPECT_EQ(hold.End(), 0);
    }
    std::vector<RecentFile> list = recent.List();
    ASSERT_EQ(list.size(), 11u);
    EXPECT_EQ(list[0].path, "/d0/f9.txt");
    EXPECT_EQ(list[10].path, "/o/theirs.txt") << "theirs is older than the held openings";
    EXPECT_EQ(fs.files[kHistory].rfind("found it\t", 0), 0u);

    // The final write fails: its error is the hold's result, and the file is as it was.
    std::string before = fs.files[kHistory];
    {
        RecentFiles::Hold hold(recent);
        ASSERT_EQ(recent.Note("/d1/f1.txt", 700), 0);
        fs.writes = 0;
        fs.failWriteNumber = 1;
        EXPECT_EQ(hold.End(), ENOSPC);
        fs.failWriteNumber = 0;
    }
    EXPECT_EQ(fs.files[kHistory], before);
    EXPECT_EQ(recent.List()[0].path, "/d0/f9.txt") << "the failed changes are not kept";
    // The file cannot be read again when the hold ends: it is not written over.
    {
        RecentFiles::Hold hold(recent);
        ASSERT_EQ(recent.Note("/d1/f1.txt", 700), 0);
        fs.unopenable.insert(kHistory);
        EXPECT_EQ(hold.End(), EACCES);
    }
    // Nor when it cannot be read at the first change: that change says so, as without a hold.
    {
        RecentFiles::Hold hold(recent);
        EXPECT_EQ(recent.Note("/d1/f1.txt", 800), EACCES);
        fs.unopenable.clear();
        ASSERT_EQ(recent.Note("/d2/f2.txt", 900), 0);
    }
    EXPECT_EQ(fs.files[kHistory].find("/d1/f1.txt\t1:1,0,0,0/800"), std::string::npos);
    EXPECT_EQ(recent.List()[0].path, "/d2/f2.txt") << "the scope's end wrote the later change";
}

TEST(RecentFiles, SortOrdersWidthsAndTimes) {
    auto file = [](const char* path, uint64_t open, uint64_t update) {
        RecentFile r;
        r.path = path;
        r.hasNumbers = true;
        r.SetLastOpen(open);
        r.SetLastUpdate(update);
        return r;
    };
    const std::vector<RecentFile> files = {file("/b/z.txt", 3, 10), file("/a/y.txt", 1, 30),
                                           file("/c/x.txt", 2, 20)};
    EXPECT_EQ(SortRecentFiles(files, 0), (std::vector<size_t>{2, 1, 0}));
    EXPECT_EQ(SortRecentFiles(files, 1), (std::vector<size_t>{1, 0, 2}));
    EXPECT_EQ(SortRecentFiles(files, 2), (std::vector<size_t>{0, 2, 1}));
    EXPECT_EQ(SortRecentFiles(files, 3), (std::vector<size_t>{1, 2, 0}));
    EXPECT_EQ(SortRecentFiles(files, 7), SortRecentFiles(files, 2));
    EXPECT_EQ(RecentSortColumn(-1), 2);
    EXPECT_EQ(RecentSortColumn(3), 3);

    EXPECT_EQ(ParseRecentWidths("100,200,30,4"), (std::array<int, 4>{100, 200, 30, 4}));
    for (const char* bad : {"", "1,2,3", "1,2,3,4,5", "1,2,x,4", "1,2,0,4", "1,2,3,4 "})
        EXPECT_FALSE(ParseRecentWidths(bad)) << bad;
    EXPECT_EQ(FormatRecentWidths({5, 6, 7, 8}), "5,6,7,8");

    setenv("TZ", "UTC", 1);
    tzset();
    // 2024-03-05 06:07 UTC as a file time.
    const platform::FileTime t = platform::FileTimeFromUnix(1709618820, 0);
    EXPECT_EQ(FormatRecentTime(t, 932), "2024/03/05 06:07");
    EXPECT_EQ(FormatRecentTime(t, 1252), "03/05/2024 06:07");
    EXPECT_EQ(FormatRecentTime(0, 932), "");
}

}  // namespace
}  // namespace norv::app
