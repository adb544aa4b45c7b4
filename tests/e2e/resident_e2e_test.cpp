// Resident and start-up scripts in `norv --headless` with a scratch NORVHOME: TsrScript and the
// slots marked to start with the program run before the -A script, the resident hears the
// opens, saves and new documents of that script and cancels those it refuses, and an add-in
// command runs the resident again.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <map>
#include <string>
#include <vector>

#include "e2e/process_runner.h"
#include "support/temp_dir.h"

#if defined(NORV_PATH)

namespace {

using norv::testing::ChildProcess;
using norv::testing::ReadFileBytes;
using norv::testing::TempDir;

class ResidentRun : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* sub : {"home", "run", "cfg", "work"}) mkdir(d.File(sub).c_str(), 0700);
    }
    std::unique_ptr<ChildProcess> Start(const std::vector<std::string>& args) {
        std::vector<std::string> all = {"--headless"};
        all.insert(all.end(), args.begin(), args.end());
        const std::map<std::string, std::string> env = {{"HOME", d.File("home")},
                                                        {"XDG_RUNTIME_DIR", d.File("run")},
                                                        {"XDG_CONFIG_HOME", d.File("home")},
                                                        {"NORVHOME", d.File("cfg")},
                                                        {"QT_QPA_PLATFORM", "offscreen"},
                                                        {"NORV_ACP", "932"},
                                                        {"LOG", d.File("work/log.txt")},
                                                        {"DOC", d.File("work/doc.txt")},
                                                        {"REFUSED", d.File("work/refuse.txt")},
                                                        {"KEEP", d.File("work/keep.txt")},
                                                        {"OUT", d.File("work/out.txt")},
                                                        {"STARTED", d.File("work/started.txt")}};
        return std::make_unique<ChildProcess>(NORV_PATH, all, env, d.File("work"),
                                              d.File("stderr.txt"));
    }
    TempDir d;
};

TEST_F(ResidentRun, StartupScriptsAndEventsSeenInTheFileTheResidentWrites) {
    d.Write("cfg/norv.INI", "[Settings]\nTsrScript=Watch\n");
    // Slot 1 starts with the program; slot 2 is the resident's add-in; slot 3 does not start.
    d.Write("cfg/norv.DAT", "##Script\nHello\tStart\t10\nAgain\tWatch.NRS\t01\nNo\tMissing\t0\n");
    d.Write("cfg/Watch.NRS", R"(DIM h, n
MAIN
IF .NORVSTATE = 0 THEN
  h = FOPEN(ENVIRON("LOG"), "w")
  STAYRESIDENT
END IF
IF .NORVSTATE <> 11 THEN
  IF .NORVSTATE <> 12 THEN n = FPUTS(h, STR(.NORVSTATE) + " " + .PARMSTRA + CHR(10))
END IF
IF .NORVSTATE = 1 THEN RETURN INSTR(.PARMSTRA, "refuse")
IF .NORVSTATE = 4 THEN RETURN INSTR(.PARMSTRA, "keep")
END MAIN
)");
    d.Write("cfg/Start.NRS", R"(DIM h
MAIN
h = FOPEN(ENVIRON("STARTED"), "w")
FCLOSE(h)
END MAIN
)");
    d.Write("work/doc.txt", "text\n");
    d.Write("work/refuse.txt", "no\n");
    const std::string main = d.Write("work/main.nrs", R"(MAIN
DIM n
n = FILEOPEN(ENVIRON("REFUSED"), 0)
MSGBOX("refused " + STR(n))
n = FILEOPEN(ENVIRON("DOC"), 0)
INSERTSTRING("x")
MSGBOX("keep " + STR(SAVEAS(ENVIRON("KEEP"))))
MSGBOX("out " + STR(SAVEAS(ENVIRON("OUT"))))
COMMAND("Addin1")
COMMAND("NewFile")
END MAIN
)");
    auto p = Start({"-A", main});
    EXPECT_EQ(p->Wait(), 0) << ReadFileBytes(d.File("stderr.txt"));
    const std::string errors = ReadFileBytes(d.File("stderr.txt"));
    EXPECT_NE(errors.find("refused 0"), std::string::npos) << errors;
    EXPECT_NE(errors.find("keep 0"), std::string::npos) << errors;
    EXPECT_NE(errors.find("out 1"), std::string::npos) << errors;
    EXPECT_EQ(ReadFileBytes(d.File("work/out.txt")), "xtext\n");
    EXPECT_EQ(ReadFileBytes(d.File("work/keep.txt")), "");
    struct stat st;
    EXPECT_EQ(stat(d.File("work/started.txt").c_str(), &st), 0) << "the flagged slot ran";
    EXPECT_EQ(ReadFileBytes(d.File("work/log.txt")),
              "0 \n1 " + d.File("work/refuse.txt") + "\n1 " + d.File("work/doc.txt") + "\n4 " +
                  d.File("work/keep.txt") + "\n4 " + d.File("work/out.txt") + "\n5 " +
                  d.File("work/out.txt") + "\n13 \n3 \n");
}

}  // namespace

#endif
