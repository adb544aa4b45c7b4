// Installing and uninstalling in-process on a real disk below a temporary home, with a
// recording user interface, recorded tool calls, and write faults injected into the file layer.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

#include "platform/fakes/headless_ui.h"
#include "setup/installer.h"
#include "setup/uninstaller.h"
#include "setup_test_support.h"
#include "support/faulty_file_system.h"

namespace norv::setup {
namespace {

using norv::testing::ReadFileBytes;
using norv::testing::SetupSandbox;
using norv::testing::StandardInf;
using norv::testing::TreeListing;

class RecordingTools final : public ToolRunner {
  public:
    bool Run(const std::vector<std::string>& argv) override {
        calls.push_back(argv);
        return true;
    }
    void OpenFolder(const std::string& folder) override { opened.push_back(folder); }
    std::vector<std::vector<std::string>> calls;
    std::vector<std::string> opened;
};

class CountingProgress final : public InstallProgress {
  public:
    void Begin(int n) override { steps = n; }
    void Advance() override { ++advanced; }
    void HideWindow() override { hiddenAt = advanced; }
    int steps = -1, advanced = 0, hiddenAt = -1;
};

bool Exists(const std::string& p) {
    return std::filesystem::exists(p);
}

class SetupRun : public ::testing::Test {
  protected:
    void SetUp() override {
        box_.Put("norv", "editor program v1", 0755);
        box_.Put("NorvOrg.INI", "[Settings]\n");
        box_.Put("doc/manual/index.html", "<p>manual</p>");
        box_.Put("setup", "installer program", 0755);
    }
    // `settings` are further lines of the Settings section.
    void WriteInf(const std::string& files, const std::string& settings = "") {
        std::string text = StandardInf(files);
        text.insert(text.find("[Files]"), settings);
        box_.Put("setup.INF", text);
    }
    SetupSession Session(platform::FileSystem& fs, const std::string& folder) {
        SetupSession s(fs, ui_, tools_);
        s.env.home = box_.home;
        s.env.xdgDataHome = box_.data;
        s.env.xdgConfigHome = box_.config;
        s.env.tmpDir = box_.tmp;
        s.programPath = folder + "setup";
        s.infPath = folder + "setup.INF";
        std::string text = ReadFileBytes(s.infPath);
        s.inf = ParseInf(text);
        s.openFolderAtEnd = false;
        return s;
    }
    InstallOutcome InstallWith(platform::FileSystem& fs, const std::string& target) {
        SetupSession s = Session(fs, box_.dist);
        return Install(s, target, progress_);
    }
    // Uninstalls from the installed setup and does what the removal script would.
    UninstallOutcome UninstallFrom(const std::string& folder) {
        SetupSession s = Session(platform::RealFileSystem(), folder);
        SelfRemoval removal;
        UninstallOutcome outcome = Uninstall(s, removal);
        if (outcome == UninstallOutcome::kDone) {
            std::filesystem::remove(removal.program);
            for (const std::string& f : removal.folders) rmdir(f.c_str());
        }
        return outcome;
    }
    std::string LastMessage() const { return ui_.messages.empty() ? "" : ui_.messages.back(); }

    SetupSandbox box_;
    platform::HeadlessUi ui_;
    RecordingTools tools_;
    CountingProgress progress_;
};

const char* const kComplete =
    "Installation is complete!\nYou may want to create a shortcut for this program on your "
    "desktop.\nJust do it yourself please. ;-)\n";

TEST_F(SetupRun, InstallThenUninstallLeavesTheHomeAsItWas) {
    WriteInf("File0=norv\nFile1=NorvOrg.INI\nFile2=doc/manual/index.html\nFile3=missing.txt\n",
             "MimeInfo=doc/manual/index.html\n");
    std::vector<std::string> before = TreeListing(box_.home);
    const std::string t = box_.DefaultTarget();
    mode_t mask = umask(077);
    InstallOutcome outcome = InstallWith(platform::RealFileSystem(), t);
    umask(mask);
    ASSERT_EQ(outcome, InstallOutcome::kDone);
    EXPECT_EQ(LastMessage(), kComplete);  // a missing source is skipped without a message
    EXPECT_EQ(progress_.steps, 6);
    EXPECT_EQ(progress_.advanced, 6);
    EXPECT_EQ(progress_.hiddenAt, 6);  // hidden before the entries are made
    EXPECT_EQ(ReadFileBytes(t + "norv"), "editor program v1");
    EXPECT_EQ(ReadFileBytes(t + "doc/manual/index.html"), "<p>manual</p>");
    EXPECT_TRUE(Exists(t + "setup") && Exists(t + "setup.INF"));
    struct stat st {};
    ASSERT_EQ(stat((t + "norv").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0755u);  // the source's mode, not the umask's
    std::string sendTo = ReadFileBytes(box_.data + "applications/norv.desktop");
    EXPECT_NE(sendTo.find("Name=Edit with Norv\n"), std::string::npos);
    EXPECT_NE(sendTo.find("Exec=" + t + "norv %F\n"), std::string::npos);
    EXPECT_NE(sendTo.find("MimeType=text/plain;\n"), std::string::npos);
    std::string uninstall = ReadFileBytes(box_.data + "applications/Norv-uninstall.desktop");
    EXPECT_NE(uninstall.find("Name=Norv text editor\n"), std::string::npos);
    EXPECT_NE(uninstall.find("Exec=" + t + "setup u\n"), std::string::npos);
    ASSERT_GE(tools_.calls.size(), 2u);
    EXPECT_EQ(tools_.calls[0],
              (std::vector<std::string>{"xdg-mime", "install", "--mode", "user", "--novendor",
                                        t + "doc/manual/index.html"}));

    ASSERT_EQ(UninstallFrom(t), UninstallOutcome::kDone);
    EXPECT_EQ(LastMessage(), "Norv is uninstalled.\nYour own settings are kept.");
    EXPECT_EQ(TreeListing(box_.home), before);
}

TEST_F(SetupRun, ReinstallKeepsSettingsAndKeywordsReplacesTheRest) {
    box_.Put("norv.kwd", "shipped keywords");
    WriteInf("File0=norv\nFile1=NorvOrg.INI\nFile2=norv.kwd\n");
    const std::string t = box_.DefaultTarget();
    ASSERT_EQ(InstallWith(platform::RealFileSystem(), t), InstallOutcome::kDone);
    std::filesystem::remove(t + "NorvOrg.INI");
    box_.root.Write("home/.local/opt/NorvProject/Norv/norv.kwd", "my keywords");
    box_.Put("norv", "editor program v2", 0755);
    box_.Put("NorvOrg.INI", "[Settings]\nNew=1\n");
    ASSERT_EQ(InstallWith(platform::RealFileSystem(), t), InstallOutcome::kDone);
    EXPECT_EQ(ReadFileBytes(t + "norv"), "editor program v2");
    EXPECT_EQ(ReadFileBytes(t + "norv.kwd"), "my keywords");
    EXPECT_EQ(ReadFileBytes(t + "NorvOrg.INI"), "[Settings]\nNew=1\n");  // was missing
    // The user's keywords are not setup's to delete; the folder stays for them.
    ASSERT_EQ(UninstallFrom(t), UninstallOutcome::kDone);
    EXPECT_EQ(ReadFileBytes(t + "norv.kwd"), "my keywords");
    EXPECT_FALSE(Exists(t + "norv"));
    EXPECT_FALSE(Exists(t + "NorvOrg.INI"));
    EXPECT_NE(LastMessage().find("were kept"), std::string::npos);
    EXPECT_NE(LastMessage().find(t + "norv.kwd"), std::string::npos);
}

TEST_F(SetupRun, EmptyKeysMakeNoEntries) {
    box_.Put("setup.INF",
             "[Settings]\nAppTitle=Norv\nVender=NorvProject\nSendTo=\nUninstMessage=\n"
             "[Files]\nFile0=norv\n");
    ASSERT_EQ(InstallWith(platform::RealFileSystem(), box_.DefaultTarget()), InstallOutcome::kDone);
    EXPECT_FALSE(Exists(box_.data + "applications/Norv-uninstall.desktop"));
    EXPECT_FALSE(Exists(box_.data + "applications/norv.desktop"));
    // The default text when the INF has none.
    ASSERT_EQ(UninstallFrom(box_.DefaultTarget()), UninstallOutcome::kDone);
    EXPECT_EQ(LastMessage(), "This program is completely uninstalled.");
}

TEST_F(SetupRun, TargetBlockedByAFileNamesTheFolderAndKeepsTheDialog) {
    WriteInf("File0=norv\n");
    box_.root.Write("home/blocker", "a file");
    std::vector<std::string> before = TreeListing(box_.home);
    EXPECT_EQ(InstallWith(platform::RealFileSystem(), box_.home + "blocker/sub/"),
              InstallOutcome::kFolderFailed);
    EXPECT_EQ(LastMessage(),
              "Cannot create the folder\n\"" + box_.home + "blocker/\"\nNot a directory");
    EXPECT_EQ(TreeListing(box_.home), before);
}

TEST_F(SetupRun, UninstallOutsideTheInstalledFolderDeletesNothing) {
    WriteInf("File0=norv\n");
    ASSERT_EQ(InstallWith(platform::RealFileSystem(), box_.DefaultTarget()), InstallOutcome::kDone);
    std::vector<std::string> home = TreeListing(box_.home);
    std::vector<std::string> dist = TreeListing(box_.dist);
    EXPECT_EQ(UninstallFrom(box_.dist), UninstallOutcome::kNotInstalled);
    EXPECT_EQ(LastMessage(), "This program is not installed in this folder.");
    EXPECT_EQ(TreeListing(box_.home), home);
    EXPECT_EQ(TreeListing(box_.dist), dist);
    // Cancel at the question: nothing either.
    ui_.QueueAnswer(platform::kIdCancel);
    EXPECT_EQ(UninstallFrom(box_.DefaultTarget()), UninstallOutcome::kCancelled);
    EXPECT_EQ(TreeListing(box_.home), home);
}

TEST_F(SetupRun, ChangedAndForeignFilesAndSettingsFoldersAreKept) {
    WriteInf("File0=norv\nFile1=doc/manual/index.html\n");
    const std::string t = box_.DefaultTarget();
    ASSERT_EQ(InstallWith(platform::RealFileSystem(), t), InstallOutcome::kDone);
    box_.root.Write("home/.local/opt/NorvProject/Norv/doc/manual/index.html", "edited");
    box_.root.Write("home/.local/opt/NorvProject/Norv/norv.INI", "[Settings]\nmine=1\n");
    std::filesystem::create_directories(box_.config + "NorvProject/Norv");
    box_.root.Write("home/.config/NorvProject/Norv/keep.me", "x");
    std::filesystem::create_directories(box_.config + "NorvProject/Other");
    ASSERT_EQ(UninstallFrom(t), UninstallOutcome::kDone);
    EXPECT_EQ(ReadFileBytes(t + "doc/manual/index.html"), "edited");
    EXPECT_EQ(ReadFileBytes(t + "norv.INI"), "[Settings]\nmine=1\n");
    EXPECT_FALSE(Exists(t + "norv"));
    EXPECT_TRUE(Exists(box_.config + "NorvProject/Norv/keep.me"));
    std::string m = LastMessage();
    EXPECT_NE(m.find(t + "doc/manual/index.html"), std::string::npos);
    EXPECT_NE(m.find(t + "norv.INI"), std::string::npos);
    // Empty per-user folders go, the vendor folder only when nothing else is left in it.
    std::filesystem::remove(box_.config + "NorvProject/Norv/keep.me");
    std::filesystem::remove(t + "norv.INI");
    std::filesystem::remove(t + "doc/manual/index.html");
    WriteInf("File0=norv\n");
    ASSERT_EQ(InstallWith(platform::RealFileSystem(), t), InstallOutcome::kDone);
    ASSERT_EQ(UninstallFrom(t), UninstallOutcome::kDone);
    EXPECT_FALSE(Exists(box_.config + "NorvProject/Norv"));
    EXPECT_TRUE(Exists(box_.config + "NorvProject/Other"));
}

TEST_F(SetupRun, EveryFailedWriteIsNamedAndUninstallStillCleansUp) {
    WriteInf("File0=norv\nFile1=NorvOrg.INI\nFile2=doc/manual/index.html\n");
    std::vector<std::string> before = TreeListing(box_.home);
    const std::string t = box_.DefaultTarget();
    for (bool sticky : {false, true}) {
        for (int n = 1;; ++n) {
            SCOPED_TRACE(::testing::Message() << "write " << n << (sticky ? " onwards" : ""));
            ui_.messages.clear();
            norv::testing::FaultyFileSystem fs(platform::RealFileSystem());
            fs.failWriteNumber = n;
            fs.sticky = sticky;
            InstallOutcome outcome = InstallWith(fs, t);
            if (fs.writes < n) {  // every write is done: the plain install is reached
                EXPECT_EQ(outcome, InstallOutcome::kDone);
                ASSERT_EQ(UninstallFrom(t), UninstallOutcome::kDone);
                break;
            }
            EXPECT_EQ(outcome, InstallOutcome::kFailures);
            ASSERT_FALSE(ui_.messages.empty());
            std::string m = LastMessage();
            EXPECT_NE(m, kComplete);
            EXPECT_NE(m.find("These files could not be written:\n/"), std::string::npos) << m;
            EXPECT_NE(m.find("No space left on device"), std::string::npos) << m;
            // Without setup or its INF in the target there is nothing to uninstall with: the
            // message named them, and the user repeats the install once the disk has room.
            if (!Exists(t + "setup") || !Exists(t + "setup.INF")) {
                EXPECT_FALSE(Exists(box_.data + "applications/Norv-uninstall.desktop"));
                EXPECT_EQ(InstallWith(platform::RealFileSystem(), t), InstallOutcome::kDone);
            }
            if (Exists(t)) EXPECT_EQ(UninstallFrom(t), UninstallOutcome::kDone);
            EXPECT_EQ(TreeListing(box_.home), before);
            if (::testing::Test::HasFailure()) return;
        }
    }
}

TEST_F(SetupRun, InstallIntoAFullFolderNamesSomeKeptFilesAndCountsTheRest) {
    WriteInf("File0=norv\n");
    const std::string t = box_.home + "full/";
    std::filesystem::create_directories(t);
    for (int i = 0; i < 45; ++i) box_.root.Write("home/full/own" + std::to_string(i), "mine");
    ASSERT_EQ(InstallWith(platform::RealFileSystem(), t), InstallOutcome::kDone);
    ASSERT_EQ(UninstallFrom(t), UninstallOutcome::kDone);
    EXPECT_FALSE(Exists(t + "norv"));
    EXPECT_TRUE(Exists(t + "own44"));
    std::string m = LastMessage();
    EXPECT_EQ(std::count(m.begin(), m.end(), '\n'), 1 + 2 + 30 + 1) << m;
    EXPECT_NE(m.find("\n... and 15 more"), std::string::npos) << m;
}

TEST_F(SetupRun, TargetNamedThroughALinkUninstallsFromTheRealFolder) {
    WriteInf("File0=norv\nFile1=doc/manual/index.html\n");
    std::filesystem::create_directories(box_.home + "real");
    std::filesystem::create_directory_symlink(box_.home + "real", box_.home + "link");
    std::vector<std::string> before = TreeListing(box_.home);
    ASSERT_EQ(InstallWith(platform::RealFileSystem(), box_.home + "link/norv/"),
              InstallOutcome::kDone);
    // Uninstalling runs from the resolved folder, as /proc/self/exe names it.
    ASSERT_EQ(UninstallFrom(box_.home + "real/norv/"), UninstallOutcome::kDone);
    EXPECT_EQ(TreeListing(box_.home), before);
}

TEST_F(SetupRun, FailedExecutableShowsTheDesignedMessage) {
    WriteInf("File0=norv\n");
    norv::testing::FaultyFileSystem fs(platform::RealFileSystem());
    fs.failWriteNumber = 2;  // the first record, then the copy of norv
    EXPECT_EQ(InstallWith(fs, box_.DefaultTarget()), InstallOutcome::kFailures);
    ASSERT_GE(ui_.messages.size(), 2u);
    EXPECT_EQ(ui_.messages[0],
              "Failed to copy files\nPlease make sure the target file is not being used.\n\"" +
                  box_.DefaultTarget() + "norv\" (errcode:28)");
}

}  // namespace
}  // namespace norv::setup
