// The real setup program, run --headless in a temporary home with its own XDG folders: the
// distribution of the build installed and uninstalled, and the rules of the INF file and of the
// command line, each checked on disk.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "e2e/process_runner.h"
#include "setup_test_support.h"

namespace norv::setup {
namespace {

using norv::testing::ChildProcess;
using norv::testing::ReadFileBytes;
using norv::testing::SetupSandbox;
using norv::testing::StandardInf;
using norv::testing::TreeListing;
namespace fs = std::filesystem;

struct Outcome {
    int status = -2;
    std::string err;
};

bool OnPath(const std::string& tool) {
    return std::system(("command -v " + tool + " >/dev/null 2>&1").c_str()) == 0;
}

class SetupProgram : public ::testing::Test {
  protected:
    Outcome Start(const std::string& program, std::vector<std::string> args,
                  const std::string& lang = "C") {
        std::map<std::string, std::string> env{{"HOME", box_.home},
                                               {"XDG_DATA_HOME", box_.data},
                                               {"XDG_CONFIG_HOME", box_.config},
                                               {"TMPDIR", box_.tmp},
                                               {"LANG", lang},
                                               {"LC_ALL", ""},
                                               {"LC_MESSAGES", ""},
                                               {"ASAN_OPTIONS", "detect_leaks=0"}};
        if (geteuid() == 0) args.push_back("--user");
        args.push_back("--headless");
        std::string errFile = box_.root.File("stderr.txt");
        fs::remove(errFile);
        Outcome r;
        {
            ChildProcess child(program, args, env, box_.root.path(), errFile);
            child.ReadUntil("\x01", 120000);  // to the end of its output
            r.status = child.Wait(120000).value_or(-3);
        }
        r.err = ReadFileBytes(errFile);
        return r;
    }
    // A distribution of its own: the real setup beside an INF of the test and small files.
    std::string OwnDist(const std::string& inf) {
        fs::copy_file(SETUP_PATH, box_.dist + "setup", fs::copy_options::overwrite_existing);
        box_.Put("setup.INF", inf);
        box_.Put("tool", "#!/bin/sh\necho tool\n", 0755);
        box_.Put("readme.txt", "read me");
        return box_.dist + "setup";
    }
    // Waits for the removal script to finish with the program.
    void WaitForRemoval(const std::string& program) {
        for (int i = 0; i < 200 && (fs::exists(program) || !fs::is_empty(box_.tmp)); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    SetupSandbox box_;
};

TEST_F(SetupProgram, TheDistributionInstallsRunsAndUninstallsWithoutTrace) {
    const std::string dist = NORV_BINARY_DIR "/dist/";
    ASSERT_TRUE(fs::exists(dist + "setup.INF")) << "the dist target builds it";
    std::vector<std::string> before = TreeListing(box_.home);
    Outcome r = Start(dist + "setup", {});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("Installation is complete!"), std::string::npos) << r.err;
    const std::string t = box_.DefaultTarget();
    for (const char* f : {"norv", "norvconv", "libnorvinet.so", "NorvOrg.INI", "NorvOrg.KWD",
                          "NorvOrg.DAT", "norv-script.xml", "setup", "setup.INF"})
        EXPECT_TRUE(fs::exists(t + f)) << f;
    const std::string apps = box_.data + "applications/";
    std::string entry = ReadFileBytes(apps + "norv.desktop");
    EXPECT_NE(entry.find("MimeType=text/plain;text/x-norv-script;application/"
                         "x-norv-script-image;\n"),
              std::string::npos)
        << entry;
    if (OnPath("desktop-file-validate")) {
        for (const char* e : {"norv.desktop", "Norv-uninstall.desktop"})
            EXPECT_EQ(std::system(("desktop-file-validate '" + apps + e + "'").c_str()), 0) << e;
    }
    if (OnPath("xdg-mime") && OnPath("update-mime-database"))
        EXPECT_TRUE(fs::exists(box_.data + "mime/packages/norv-script.xml"));
    // The installed editor runs from the target alone.
    std::string version;
    if (FILE* p = popen(("env -i HOME=" + box_.home + " '" + t + "norv' --version").c_str(), "r")) {
        char buf[256];
        while (fgets(buf, sizeof buf, p)) version += buf;
        EXPECT_EQ(pclose(p), 0);
    }
    EXPECT_EQ(version, "norv 0.1.0\n");

    // setup u in the distribution folder deletes nothing.
    std::vector<std::string> distBefore = TreeListing(dist);
    Outcome wrong = Start(dist + "setup", {"u"});
    EXPECT_EQ(wrong.status, 1);
    EXPECT_NE(wrong.err.find("This program is not installed in this folder."), std::string::npos);
    EXPECT_EQ(TreeListing(dist), distBefore);

    Outcome u = Start(t + "setup", {"U"});
    EXPECT_EQ(u.status, 0) << u.err;
    EXPECT_NE(u.err.find("This will uninstall the program.\nIs it OK to continue?\n"),
              std::string::npos);
    EXPECT_NE(u.err.find("Norv is uninstalled.\nYour own settings are kept.\n"), std::string::npos)
        << u.err;
    WaitForRemoval(t + "setup");
    EXPECT_EQ(TreeListing(box_.home), before);
}

TEST_F(SetupProgram, RulesOfTheInfFileAndTheCommandLine) {
    static const struct {
        const char* what;
        const char* inf;  // nullptr: no INF at all
        int status;
        const char* stderrHas;  // "" : nothing at all
    } kCases[] = {
        {"no INF", nullptr, 1, ""},
        {"empty AppTitle", "[Settings]\nAppTitle=\nVender=V\n[Files]\nFile0=tool\n", 1, ""},
        {"Vender with a slash", "[Settings]\nAppTitle=A\nVender=../x\n[Files]\nFile0=tool\n", 1,
         "unusable value for \"Vender\""},
        {"AppTitle as ..", "[Settings]\nAppTitle=..\nVender=V\n[Files]\nFile0=tool\n", 1,
         "unusable value for \"AppTitle\""},
        {"listed file outside",
         "[Settings]\nAppTitle=A\nVender=V\n[Files]\nFile0=tool\nFile1=../../x\n", 1,
         "unusable value for \"File1\""},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.what);
        std::string program = OwnDist(c.inf ? c.inf : "");
        if (!c.inf) fs::remove(box_.dist + "setup.INF");
        std::vector<std::string> before = TreeListing(box_.home);
        Outcome r = Start(program, {});
        EXPECT_EQ(r.status, c.status);
        if (*c.stderrHas)
            EXPECT_NE(r.err.find(c.stderrHas), std::string::npos) << r.err;
        else
            EXPECT_EQ(r.err, "");
        EXPECT_EQ(TreeListing(box_.home), before);
    }
}

TEST_F(SetupProgram, AwkwardTargetGivesValidEntriesAndJapaneseTexts) {
    std::string program = OwnDist(StandardInf("File0=tool\nFile1=readme.txt\n"));
    std::vector<std::string> before = TreeListing(box_.home);
    const std::string t = box_.home + "My Apps/back\\slash $x/";
    Outcome r = Start(program, {"--target", t}, "ja_JP.UTF-8");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("インストールが終わりました。"), std::string::npos) << r.err;
    EXPECT_EQ(ReadFileBytes(t + "readme.txt"), "read me");
    const std::string apps = box_.data + "applications/";
    std::string entry = ReadFileBytes(apps + "tool.desktop");
    EXPECT_NE(entry.find("Exec=\"" + box_.home + "My Apps/back\\\\\\\\slash \\\\$x/tool\" %F"),
              std::string::npos)
        << entry;
    if (OnPath("desktop-file-validate"))
        for (const char* e : {"tool.desktop", "Norv-uninstall.desktop"})
            EXPECT_EQ(std::system(("desktop-file-validate '" + apps + e + "'").c_str()), 0) << e;
    Outcome u = Start(t + "setup", {"u"}, "ja_JP.UTF-8");
    EXPECT_EQ(u.status, 0) << u.err;
    EXPECT_NE(u.err.find("このプログラムをアンインストールします。"), std::string::npos) << u.err;
    WaitForRemoval(t + "setup");
    EXPECT_EQ(TreeListing(box_.home), before);

    // A target below a file: the folder is named with its reason, and nothing is installed.
    box_.root.Write("home/plain", "x");
    Outcome blocked = Start(program, {"--target", box_.home + "plain/sub"});
    EXPECT_EQ(blocked.status, 1);
    EXPECT_NE(blocked.err.find("Cannot create the folder\n\"" + box_.home + "plain/\""),
              std::string::npos)
        << blocked.err;
}

}  // namespace
}  // namespace norv::setup
