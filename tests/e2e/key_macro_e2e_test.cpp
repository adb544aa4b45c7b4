// Key macros in `norv --headless` runs: a script records typed characters and commands, saves
// the macro through the Save dialog (an --answer) and plays it; a second run loads the saved
// file through the Open dialog and plays it into a new document; a recording of a million
// entries saves and replays whole.
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

constexpr const char* kMacroHead =
    "'--------------------------------------\n"
    "'  Norv Key Macro                      \n"
    "'--------------------------------------\n"
    "Main()\n";

class HeadlessMacro : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* sub : {"home", "run", "cfg", "work"}) mkdir(d.File(sub).c_str(), 0700);
    }
    // Runs the script (ASCII) with these answers; the exit status.
    int Run(const std::string& script, const std::vector<std::string>& answers,
            int timeoutMs = 120000) {
        std::vector<std::string> args = {"--headless", "-A", d.Write("work/run.nrs", script)};
        for (const std::string& a : answers) args.push_back("--answer=" + a);
        const std::map<std::string, std::string> env = {{"HOME", d.File("home")},
                                                        {"XDG_RUNTIME_DIR", d.File("run")},
                                                        {"XDG_CONFIG_HOME", d.File("home")},
                                                        {"NORVHOME", d.File("cfg")},
                                                        {"QT_QPA_PLATFORM", "offscreen"},
                                                        {"NORV_ACP", "932"},
                                                        {"OUT", d.File("work/out.txt")}};
        ChildProcess p(NORV_PATH, args, env, d.File("work"), d.File("stderr.txt"));
        return p.Wait(timeoutMs).value_or(-1);
    }
    // The saved document with its line ends as line feeds.
    std::string Out() {
        std::string text;
        for (char c : ReadFileBytes(d.File("work/out.txt")))
            if (c != '\r') text += c;
        return text;
    }
    std::string Errors() { return ReadFileBytes(d.File("stderr.txt")); }
    TempDir d;
};

// Recorded in one run (a relative answer names a file of the current folder and gets the
// suffix), replayed there at once, then loaded and replayed by another run.
TEST_F(HeadlessMacro, RecordsSavesReplaysAndLoadsInAnotherRun) {
    const std::string record = R"(MAIN
COMMAND("RecordKey")
INPUTCHAR(&H61)
INPUTCHAR(&H62)
COMMAND("SplitLine")
INPUTCHAR(&H8ABF)
COMMAND("RecordKey")
COMMAND("SaveMacro")
COMMAND("PlayKey")
SAVEAS(ENVIRON("OUT"))
END MAIN
)";
    ASSERT_EQ(Run(record, {"macro"}), 0) << Errors();
    EXPECT_EQ(ReadFileBytes(d.File("work/macro.nrs")),
              std::string(kMacroHead) +
                  "\tInputChar(&H61)\n\tInputChar(&H62)\n\tCommand(\"SplitLine\")\n"
                  "\tInputChar(&H8abf)\nEnd\n");
    EXPECT_EQ(Out(),
              "ab\n\x8A\xBF"
              "ab\n\x8A\xBF");

    const std::string load = R"(MAIN
COMMAND("LoadMacro")
COMMAND("PlayKey")
COMMAND("PlayKey")
SAVEAS(ENVIRON("OUT"))
END MAIN
)";
    ASSERT_EQ(Run(load, {d.File("work/macro.nrs")}), 0) << Errors();
    EXPECT_EQ(Out(),
              "ab\n\x8A\xBF"
              "ab\n\x8A\xBF");
    // An answer naming no file cancels the Open dialog: there is no macro to play.
    ASSERT_EQ(Run(load, {d.File("work/none.nrs")}), 0) << Errors();
    EXPECT_EQ(Out(), "");
}

// A million entries: 100,000 lines of nine characters, each ended by SplitLine.
TEST_F(HeadlessMacro, AMillionEntriesSaveAndReplayWhole) {
    const std::string record = R"(MAIN
DIM i, j
COMMAND("RecordKey")
FOR i = 0 TO 99999
FOR j = 0 TO 8
INPUTCHAR(&H61 + (i + j) MOD 26)
NEXT
COMMAND("SplitLine")
NEXT
COMMAND("RecordKey")
COMMAND("SaveMacro")
COMMAND("PlayKey")
SAVEAS(ENVIRON("OUT"))
END MAIN
)";
    ASSERT_EQ(Run(record, {"big.nrs"}, 600000), 0) << Errors();
    std::string lines, entries;
    for (int i = 0; i < 100000; ++i) {
        for (int j = 0; j < 9; ++j) {
            const char c = static_cast<char>('a' + (i + j) % 26);
            lines += c;
            char hex[32];
            std::snprintf(hex, sizeof hex, "\tInputChar(&H%x)\n", c);
            entries += hex;
        }
        lines += '\n';
        entries += "\tCommand(\"SplitLine\")\n";
    }
    const std::string saved = ReadFileBytes(d.File("work/big.nrs"));
    EXPECT_EQ(saved.size(), std::string(kMacroHead).size() + entries.size() + 4);
    EXPECT_TRUE(saved == std::string(kMacroHead) + entries + "End\n");
    const std::string out = Out();
    EXPECT_EQ(out.size(), 2 * lines.size());
    EXPECT_TRUE(out == lines + lines);
}

}  // namespace

#endif
