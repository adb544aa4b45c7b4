// The Find and Replace histories of the program: what a search adds, when the history file's
// two blocks are written, and that the file's other blocks come back as they were.
#include "app/find_session.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "editing/edit_test_support.h"
#include "platform/fakes/headless_ui.h"
#include "platform/fakes/memory_file_system.h"

namespace norv::app {
namespace {

using editing::CommandId;
using editing::testing::Editor;
using editing::testing::Enc;
using search::FindHistoryEntry;

constexpr const char* kPath = "/home/norv.HST";

// A history file as an earlier run left it: CR LF line ends, every block used, lines we do not
// read, a line after the last block.
std::string OldHistoryFile() {
    std::string f;
    auto line = [&f](const std::string& s) { f += s + "\r\n"; };
    line("alpha\tIW");
    line("beta");
    line("\xE4\xE5 sjis\tR");
    for (int i = 3; i < 32; ++i) line(i % 5 ? "" : "f" + std::to_string(i) + "\tG");
    line("repl\tI");
    for (int i = 1; i < 32; ++i) line("");
    for (int i = 0; i < 32; ++i) line("kept " + std::to_string(i));
    for (int i = 0; i < 32; ++i) line(i < 2 ? "text" + std::to_string(i) : "");
    line("/home/docs/");
    for (int i = 1; i < 32; ++i) line("");
    line("/home/docs/a.txt\t3:1,0,0,0,0/12345,678/9,10/0,0");
    for (int i = 1; i < 100; ++i) line("");
    for (int i = 0; i < 32; ++i) line("");
    line("trailing line");
    return f;
}

struct Rig {
    Rig() : ed(Enc::kAscii) {
        fs.files[kPath] = OldHistoryFile();
        session.environment().ui = &ui;
        ed.shared.extension = &session.commands();
        ed.Load("one foo two\nFOO three\nfoo");
    }
    // The Find dialog as the user fills it.
    void Answer(const std::string& text, const std::string& options) {
        session.environment().findDialog = [text, options](search::FindDialogRequest& r) {
            r.searchString = text;
            r.options = search::FindOptions{};
            search::CFind f;
            f.SetOptions(options);
            r.options = f.options;
            return true;
        };
    }
    platform::MemoryFileSystem fs;
    platform::HeadlessUi ui;
    Editor ed;
    FindSession session;
};

TEST(FindSession, ASearchJoinsTheHistoryAndIsWrittenAtOnce) {
    Rig r;
    r.session.KeepIn(r.fs, kPath);
    r.session.LoadHistories();
    EXPECT_EQ(r.session.histories().find.entries()[0], (FindHistoryEntry{"alpha", "IW"}));
    EXPECT_EQ(r.session.histories().replace.entries()[0], (FindHistoryEntry{"repl", "I"}));
    r.Answer("foo", "I");
    r.session.RunCommand(*r.ed.view, CommandId::SearchFwd);
    EXPECT_EQ(r.ed.view->caretPos(), 4u);
    EXPECT_EQ(r.session.histories().find.entries()[0], (FindHistoryEntry{"foo", "I"}));
    const std::string& file = r.fs.files[kPath];
    EXPECT_EQ(file.substr(0, 23), "foo\tI\r\nalpha\tIW\r\nbeta\r\n");
    // Using a string again moves it to the top, with the options it was used with now.
    r.Answer("beta", "GA");
    r.session.RunCommand(*r.ed.view, CommandId::SearchFwd);
    EXPECT_EQ(r.fs.files[kPath].substr(0, 26), "beta\tGA\r\nfoo\tI\r\nalpha\tIW\r\n");
    // A repeated search changes nothing and writes nothing.
    const int writes = r.fs.writes;
    r.session.RunCommand(*r.ed.view, CommandId::SearchNext);
    EXPECT_EQ(r.fs.writes, writes);
    EXPECT_EQ(r.session.SaveIfChanged(), 0);
    EXPECT_EQ(r.fs.writes, writes);
}

TEST(FindSession, HistoriesReadBackEqualAndTheOtherBlocksStay) {
    Rig r;
    r.session.KeepIn(r.fs, kPath);
    r.session.LoadHistories();
    for (int i = 0; i < 40; ++i)
        r.session.commands().FindWithOptionString(*r.ed.view, "s" + std::to_string(i),
                                                  i % 2 ? "IZ" : "", true);
    r.session.commands().ReplaceWithOptionString(*r.ed.view, "two", "2", "N");
    ASSERT_EQ(r.session.SaveHistories(), 0);
    FindSession again;
    again.KeepIn(r.fs, kPath);
    again.LoadHistories();
    EXPECT_EQ(again.histories().find.entries(), r.session.histories().find.entries());
    EXPECT_EQ(again.histories().replace.entries(), r.session.histories().replace.entries());
    EXPECT_EQ(again.histories().find.entries().size(), 32u);
    // The blocks after the two histories are byte for byte those of the old file.
    const std::string old = OldHistoryFile();
    const std::string now = r.fs.files[kPath];
    auto after64 = [](const std::string& s) {
        size_t p = 0;
        for (int i = 0; i < 64; ++i) p = s.find("\r\n", p) + 2;
        return s.substr(p);
    };
    EXPECT_EQ(after64(now), after64(old));
}

TEST(FindSession, AnOldFileIsWrittenBackByteForByte) {
    Rig r;
    r.session.KeepIn(r.fs, kPath);
    r.session.LoadHistories();
    // Histories as they were read keep the file's lines, gaps and all.
    ASSERT_EQ(r.session.SaveHistories(), 0);
    EXPECT_EQ(r.fs.files[kPath], OldHistoryFile());
    r.session.commands().FindWithOptionString(*r.ed.view, "beta", "", true);
    ASSERT_EQ(r.session.SaveHistories(), 0);
    EXPECT_EQ(r.fs.files[kPath].substr(0, 27), "beta\r\nalpha\tIW\r\n\xE4\xE5 sjis\tR\r\n");
}

TEST(FindSession, AFileThatCannotBeReadIsNotOverwritten) {
    Rig r;
    r.session.KeepIn(r.fs, kPath);
    r.session.LoadHistories();
    r.Answer("foo", "");
    r.fs.failReadAfter = 10;
    r.session.RunCommand(*r.ed.view, CommandId::SearchFwd);
    EXPECT_EQ(r.fs.files[kPath], OldHistoryFile());
    // Once it reads again, the change still waits to be written.
    r.fs.failReadAfter = 0;
    EXPECT_EQ(r.session.SaveIfChanged(), 0);
    EXPECT_EQ(r.fs.files[kPath].substr(0, 5), "foo\r\n");
}

TEST(FindSession, TheProgramsCopyFollows) {
    Rig r;
    HistoryFile copy;
    copy.find[0] = {"from copy", "R"};
    r.session.KeepIn(r.fs, kPath, &copy);
    r.session.LoadHistories();
    EXPECT_EQ(r.session.histories().find.entries(),
              (std::vector<FindHistoryEntry>{{"from copy", "R"}}));
    r.Answer("foo", "");
    r.session.RunCommand(*r.ed.view, CommandId::SearchFwd);
    EXPECT_EQ(copy.find[0], (FindHistoryEntry{"foo", ""}));
    EXPECT_EQ(copy.find[1], (FindHistoryEntry{"from copy", "R"}));
}

}  // namespace
}  // namespace norv::app
