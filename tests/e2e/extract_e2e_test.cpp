// E&xtract in a run without windows: an answer "extract:PATH" presses the Open dialog's
// button on PATH, the next answer chooses the destination, and the dialog then takes the
// following answer in the folder it shows; refusals and the archiver's output (with the mode
// switch) go to standard error.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "e2e/process_runner.h"
#include "support/archive_builder.h"
#include "support/temp_dir.h"

#if defined(NORV_PATH)

namespace {

using norv::testing::ChildProcess;
using norv::testing::ReadFileBytes;
using norv::testing::TempDir;

class HeadlessExtract : public ::testing::Test {
  protected:
    void SetUp() override {
        if (std::system("command -v unzip >/dev/null 2>&1") != 0) GTEST_SKIP() << "no unzip";
        for (const char* sub : {"home", "run", "cfg", "work", "dest"})
            mkdir(d.File(sub).c_str(), 0700);
        d.Write("work/docs.zip",
                norv::testing::BuildZip({{"top.txt", "top line\n"}, {"inner/more.txt", "more\n"}}));
        d.Write("work/bad.zip", norv::testing::BuildZip({{"fine.txt", "x"}, {"../up.txt", "x"}}));
        d.Write("work/open.nrs", R"(MAIN
IF FILEOPEN("", 0) = 1 THEN MSGBOX("opened " + LOADTHISLINE(GETTOPLINE()))
IF FILEOPEN("", 0) = 0 THEN MSGBOX("second open cancelled")
END MAIN
)");
    }
    int Run(const std::vector<std::string>& answers) {
        std::vector<std::string> args = {"--headless", "-A", d.File("work/open.nrs")};
        for (const std::string& a : answers) args.push_back("--answer=" + a);
        const std::map<std::string, std::string> env = {{"HOME", d.File("home")},
                                                        {"XDG_RUNTIME_DIR", d.File("run")},
                                                        {"XDG_CONFIG_HOME", d.File("home")},
                                                        {"NORVHOME", d.File("cfg")},
                                                        {"QT_QPA_PLATFORM", "offscreen"},
                                                        {"NORV_ACP", "932"}};
        ChildProcess p(NORV_PATH, args, env, d.File("work"), d.File("stderr.txt"));
        return p.Wait().value_or(-1);
    }
    std::string Errors() { return ReadFileBytes(d.File("stderr.txt")); }
    TempDir d;
};

TEST_F(HeadlessExtract, ExtractsThenOpensFromTheDestination) {
    ASSERT_EQ(Run({"extract:docs.zip", d.File("dest"), "top.txt",
                   // The second Open: a refused archive, then no answer is left.
                   "extract:" + d.File("work/bad.zip"), d.File("dest")}),
              0)
        << Errors();
    EXPECT_EQ(ReadFileBytes(d.File("dest/inner/more.txt")), "more\n");
    const std::string err = Errors();
    EXPECT_NE(err.find("opened top line"), std::string::npos) << err;
    EXPECT_NE(err.find("This archive holds a name outside the chosen folder:\n../up.txt"),
              std::string::npos)
        << err;
    EXPECT_NE(err.find("second open cancelled"), std::string::npos) << err;
    EXPECT_EQ(ReadFileBytes(d.File("dest/fine.txt")), "");
    EXPECT_EQ(ReadFileBytes(d.File("up.txt")), "");
}

TEST_F(HeadlessExtract, CancelledChooserAndTheArchiversOutput) {
    // No answer for the chooser: it is cancelled and nothing runs.
    ASSERT_EQ(Run({"extract:docs.zip"}), 0) << Errors();
    EXPECT_EQ(ReadFileBytes(d.File("work/top.txt")), "");
    EXPECT_NE(Errors().find("second open cancelled"), std::string::npos) << Errors();

    // With the mode switch the archiver's output is printed.
    d.Write("cfg/norv.INI", "[Others]\r\nZIPDOS=1\r\n");
    ASSERT_EQ(Run({"extract:" + d.File("work/docs.zip"), d.File("dest"), "inner/more.txt"}), 0)
        << Errors();
    const std::string err = Errors();
    EXPECT_NE(err.find("Archive:"), std::string::npos) << err;
    EXPECT_NE(err.find("top.txt"), std::string::npos) << err;
    EXPECT_NE(err.find("opened more"), std::string::npos) << err;
}

}  // namespace

#endif
