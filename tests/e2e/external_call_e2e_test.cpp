// Scripts of `norv --headless -A` calling routines of shared libraries: libc and the test
// library by path, and a library found by its short name beside a copy of the program and in
// the ../lib/norv/ folder of the package layout.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <map>
#include <string>

#include "e2e/process_runner.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using norv::testing::ChildProcess;
using norv::testing::ReadFileBytes;
using norv::testing::TempDir;

class HeadlessScript : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* sub : {"home", "run", "cfg", "work", "bin", "lib", "lib/norv"})
            mkdir(d.File(sub).c_str(), 0700);
    }
    // Runs the script with `program` and returns what its message boxes printed.
    std::string Run(const std::string& program, const std::string& source) {
        const std::string script = d.Write("work/s.nrs", source);
        const std::string f = d.Write("work/f.txt", "text\n");
        const std::map<std::string, std::string> env = {{"HOME", d.File("home")},
                                                        {"XDG_RUNTIME_DIR", d.File("run")},
                                                        {"XDG_CONFIG_HOME", d.File("home")},
                                                        {"NORVHOME", d.File("cfg")},
                                                        {"QT_QPA_PLATFORM", "offscreen"},
                                                        {"NORV_ACP", "932"},
                                                        {"NORV_E2E_VALUE", "seen by getenv"}};
        ChildProcess p(program.c_str(), {"--headless", "-A", script, f}, env, d.File("work"),
                       d.File("stderr.txt"));
        EXPECT_EQ(p.Wait(), 0);
        return ReadFileBytes(d.File("stderr.txt"));
    }
    TempDir d;
};

TEST_F(HeadlessScript, CallsLibcAndTheTestLibrary) {
    const std::string lib = NORV_SCRIPT_TESTLIB;
    const std::string out =
        Run(NORV_PATH,
            "DECLARE FUNCTION strlen Lib \"libc.so.6\" (s)\n"
            "DECLARE FUNCTION abs Lib \"libc.so.6\" (v)\n"
            "DECLARE FUNCTION getenv$ Lib \"libc.so.6\" (name)\n"
            "DECLARE FUNCTION snprintf Lib \"libc.so.6\" (buf, n, fmt, ..)\n"
            "DECLARE FUNCTION nt_greeting Lib \"" +
                lib +
                "\" () AS STRING\n"
                "DECLARE FUNCTION nt_sum Lib \"" +
                lib +
                "\" (count, ..)\n"
                "DECLARE FUNCTION Nope Lib \"kernel32\" ()\n"
                "MAIN\nDIM b$\nb = SPACE(20)\n"
                "snprintf(b, 20, \"%d/%s\", abs(-12), getenv(\"NORV_E2E_VALUE\"))\n"
                "MSGBOX(\"<\" + b + \"|\" + STR(strlen(b)) + \">\")\n"
                "MSGBOX(\"<\" + nt_greeting() + \"|\" + STR(nt_sum(3, 4, 5, -6)) + \">\")\n"
                "MSGBOX(\"<\" + STR(Nope()) + \">\")\n"
                "END MAIN\n");
    EXPECT_NE(out.find("<12/seen by getenv|17>"), std::string::npos) << out;
    EXPECT_NE(out.find("<hello from the test library|3>"), std::string::npos) << out;
    EXPECT_NE(out.find("Module 'kernel32' is not found."), std::string::npos) << out;
    EXPECT_NE(out.find("<0>"), std::string::npos) << out;
}

TEST_F(HeadlessScript, FindsLibrariesBesideTheProgramAndInLibNorv) {
    // A copy of the program with its companion files, in the package's bin/ layout.
    const fs::path from = fs::path(NORV_PATH).parent_path();
    for (const auto& e : fs::directory_iterator(from))
        if (e.is_regular_file() && (e.path().filename() == "norv" ||
                                    e.path().filename().string().rfind("NorvOrg", 0) == 0))
            fs::copy_file(e.path(), d.File("bin/" + e.path().filename().string()));
    fs::permissions(d.File("bin/norv"), fs::perms::owner_all, fs::perm_options::add);
    fs::copy_file(NORV_SCRIPT_TESTLIB, d.File("bin/libbeside.so"));
    fs::copy_file(NORV_SCRIPT_TESTLIB2, d.File("lib/norv/libpackaged.so"));
    const std::string out = Run(d.File("bin/norv"),
                                "DECLARE FUNCTION A Lib \"beside\" Alias \"nt_where\" ()\n"
                                "DECLARE FUNCTION B Lib \"packaged\" Alias \"nt_where\" ()\n"
                                "MAIN\nMSGBOX(\"<\" + STR(A()) + STR(B()) + \">\")\nEND MAIN\n");
    EXPECT_NE(out.find("<12>"), std::string::npos) << out;
}

}  // namespace
