// The launcher's entries: which buttons run something, which keys choose them, what Register
// Program's fields make of an entry, and writing "##Shell" without touching the rest of the
// data file, also when another copy of the program changed it meanwhile or the write fails.
#include "app/launcher.h"

#include <gtest/gtest.h>

#include "platform/fakes/memory_file_system.h"

namespace norv::app {
namespace {

TEST(Launcher, ButtonsShowTitlesAndRunOnlyEntriesWithACommand) {
    ShellEntries entries;
    entries[0] = {"Make", "make -k", "", "O"};
    entries[1] = {"Only a title", "", "", ""};
    entries[2] = {"", " \t ", "/tmp", "E"};  // blanks are no command
    entries[25] = {"", "ls", "", ""};
    const auto buttons = LauncherButtons(entries);
    EXPECT_EQ(buttons[0].letter, 'A');
    EXPECT_EQ(buttons[25].letter, 'Z');
    EXPECT_EQ(buttons[0].title, "Make");
    EXPECT_TRUE(buttons[0].enabled);
    EXPECT_EQ(buttons[1].title, "Only a title");
    EXPECT_FALSE(buttons[1].enabled);
    EXPECT_FALSE(buttons[2].enabled);
    EXPECT_FALSE(buttons[3].enabled);
    EXPECT_TRUE(buttons[25].enabled);
    EXPECT_EQ(buttons[25].title, "");
}

TEST(Launcher, LetterKeysInEitherCaseAndNothingElse) {
    EXPECT_EQ(LauncherIndexOfKey(U'A'), 0);
    EXPECT_EQ(LauncherIndexOfKey(U'a'), 0);
    EXPECT_EQ(LauncherIndexOfKey(U'z'), 25);
    EXPECT_EQ(LauncherIndexOfKey(U'Q'), 16);
    for (char32_t c : {U'@', U'[', U'`', U'{', U'0', U' ', U'\u00e9', U'\uff21'})
        EXPECT_FALSE(LauncherIndexOfKey(c).has_value()) << static_cast<uint32_t>(c);
}

TEST(Launcher, FieldsMakeEntriesThatKeepTheirLine) {
    // Unchanged fields give back the entry as stored, letters this program ignores included.
    const ShellEntry stored{"Build", "make", "~/src", "XOCZ"};
    ProgramFields f = FieldsOfEntry(stored);
    EXPECT_TRUE(f.options.captureToOutput);
    EXPECT_TRUE(f.options.commandShell);
    EXPECT_EQ(EntryOfFields(f, stored), stored);

    // Changed options are written in the launcher's order, A without S.
    f.options.minimized = true;
    f.options.saveCurrent = true;
    f.options.saveAll = true;
    EXPECT_EQ(EntryOfFields(f, stored), (ShellEntry{"Build", "make", "~/src", "IOCA"}));
    f.options = tools::ParseShellOptions("ES");
    EXPECT_EQ(EntryOfFields(f, stored).options, "ES");

    // A tab or a line break would split the entry's line: they become blanks.
    ProgramFields typed{"a\tb", "sort\r\n%T", "/x\ty", {}};
    EXPECT_EQ(EntryOfFields(typed, {}), (ShellEntry{"a b", "sort  %T", "/x y", ""}));
}

constexpr const char* kPath = "/cfg/norv.DAT";

std::string DataText(const std::vector<std::string>& shellLines) {
    std::string s = "; kept as it is\r\n##UserMenu\r\n#Begin\r\n&Copy\tEditCopy\r\n#End\r\n";
    for (int menu = 1; menu < kUserMenuCount; ++menu) s += "#Begin\r\n#End\r\n";
    s += "##Shell\r\n";
    for (const std::string& l : shellLines) s += l + "\r\n";
    s += "##RegDir\r\n/home/u/\r\n##Other\r\nunknown line\r\n";
    return s;
}

TEST(Launcher, RegisteringWritesOnlyTheShellEntries) {
    platform::MemoryFileSystem fs{platform::FolderRule::kFoldersMustExist};
    fs.folders.insert("/cfg/");
    fs.files[kPath] = DataText({"Old\tls\t \tO", "Second\techo 2\t/tmp\tE"});
    DataFile program;
    ASSERT_EQ(LoadDataFile(fs, kPath, program), 0);

    // Another running copy changed the menus on disk after this one read the file.
    std::string changed = fs.files[kPath];
    changed.replace(changed.find("&Copy"), 5, "&Cut");
    fs.files[kPath] = changed;

    ShellEntries entries = program.shell;
    entries[1] = {"Lister", "ls -l %D", "", "OS"};
    entries[3] = {"Sort", "sort %T", "", "E"};
    ASSERT_EQ(RegisterPrograms(fs, kPath, entries, program), 0);
    EXPECT_EQ(program.shell, entries);

    std::string expected = changed;
    expected.replace(expected.find("Second\techo 2\t/tmp\tE"), 20, "Lister\tls -l %D\t \tOS");
    expected.insert(expected.find("##RegDir"), "\r\nSort\tsort %T\t \tE\r\n");
    EXPECT_EQ(fs.files[kPath], expected);

    // Read back, the entries are what was registered.
    DataFile again;
    ASSERT_EQ(LoadDataFile(fs, kPath, again), 0);
    EXPECT_EQ(again.shell, entries);
    EXPECT_EQ(again.menus[0][0].caption, "&Cut");
}

TEST(Launcher, RegisteringIntoAMissingFileMakesIt) {
    platform::MemoryFileSystem fs{platform::FolderRule::kFoldersMustExist};
    fs.folders.insert("/cfg/");
    DataFile program;
    ShellEntries entries;
    entries[0] = {"Run", "make", "", ""};
    ASSERT_EQ(RegisterPrograms(fs, kPath, entries, program), 0);
    EXPECT_EQ(fs.files[kPath], "##Shell\nRun\tmake\t \t \n");
}

TEST(Launcher, AFailedWriteChangesNeitherTheFileNorTheProgram) {
    platform::MemoryFileSystem fs{platform::FolderRule::kFoldersMustExist};
    fs.folders.insert("/cfg/");
    const std::string before = DataText({"Old\tls\t \tO"});
    fs.files[kPath] = before;
    DataFile program;
    ASSERT_EQ(LoadDataFile(fs, kPath, program), 0);
    ShellEntries entries = program.shell;
    entries[0].commandLine = "ls -la";
    fs.failWriteNumber = fs.writes + 1;
    const int error = RegisterPrograms(fs, kPath, entries, program);
    EXPECT_NE(error, 0);
    EXPECT_EQ(fs.files[kPath], before);
    EXPECT_EQ(program.shell[0].commandLine, "ls");

    // An unreadable file is not overwritten with what this copy remembers.
    fs.failWriteNumber = 0;
    fs.unopenable.insert(kPath);
    EXPECT_EQ(RegisterPrograms(fs, kPath, entries, program), EACCES);
    fs.unopenable.clear();
    EXPECT_EQ(fs.files[kPath], before);

    // The message names the file and the reason, whatever the path holds.
    EXPECT_EQ(DataFileWriteFailedText("/a%sb/n.DAT", ENOSPC),
              "Cannot write the data file /a%sb/n.DAT:\nNo space left on device");
}

}  // namespace
}  // namespace norv::app
