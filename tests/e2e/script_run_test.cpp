// `norv --headless -A SCRIPT FILE...` as a user runs it: scripts editing and saving documents in
// each of the six codes (the bytes checked with iconv), the command line's answers taken by the
// file dialogs and input boxes in order, the exit statuses, and SIGINT stopping a script in each
// kind of wait and in a long loop.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "e2e/process_runner.h"
#include "support/temp_dir.h"

#if defined(NORV_PATH)

namespace {

using norv::testing::ChildProcess;
using norv::testing::ReadFileBytes;
using norv::testing::TempDir;

class HeadlessRun : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* sub : {"home", "run", "cfg", "work"}) mkdir(d.File(sub).c_str(), 0700);
    }
    std::map<std::string, std::string> Env(const std::map<std::string, std::string>& more = {}) {
        std::map<std::string, std::string> env = {{"HOME", d.File("home")},
                                                  {"XDG_RUNTIME_DIR", d.File("run")},
                                                  {"XDG_CONFIG_HOME", d.File("home")},
                                                  {"NORVHOME", d.File("cfg")},
                                                  {"QT_QPA_PLATFORM", "offscreen"},
                                                  {"NORV_ACP", "932"}};
        for (const auto& [k, v] : more) env[k] = v;
        return env;
    }
    // The script (UTF-8 here) written in the system code page, as scripts are.
    std::string Script(const std::string& name, const std::string& utf8) {
        return d.Write("work/" + name, Iconv(utf8, "UTF-8", "CP932"));
    }
    std::unique_ptr<ChildProcess> Start(const std::vector<std::string>& args,
                                        const std::map<std::string, std::string>& more = {}) {
        std::vector<std::string> all = {"--headless"};
        all.insert(all.end(), args.begin(), args.end());
        return std::make_unique<ChildProcess>(NORV_PATH, all, Env(more), d.File("work"),
                                              d.File("stderr.txt"));
    }
    std::string Errors() { return ReadFileBytes(d.File("stderr.txt")); }
    // Waits until standard error holds `text`.
    bool ErrorsShow(const std::string& text, int timeoutMs = 60000) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (std::chrono::steady_clock::now() < end) {
            if (Errors().find(text) != std::string::npos) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    }
    // `bytes` converted by iconv.
    std::string Iconv(const std::string& bytes, const std::string& from, const std::string& to) {
        const std::string in = d.Write("iconv-in", bytes);
        const std::string out = d.File("iconv-out");
        const std::string cmd = "iconv -f " + from + " -t " + to + " '" + in + "' > '" + out + "'";
        EXPECT_EQ(std::system(cmd.c_str()), 0) << cmd;
        return ReadFileBytes(out);
    }
    TempDir d;
};

// A document of each code is edited through lines, the caret and an insert, then saved under
// another name: the bytes on disk are iconv's of the text the script made.
TEST_F(HeadlessRun, EditsAndSavesDocumentsInEveryCode) {
    const std::string before = "漢字かな\r\nabc テキスト\r\n";
    const std::string after = "新> 漢字かな。\r\nabc テキスト 終\r\n";
    const std::string script = Script("edit.nrs", R"(MAIN
DIM h
h = GETTHISLINE(1)
SAVETHISLINE(h, "> " + LOADTHISLINE(h) + "。")
h = GETTHISLINE(2)
SAVETHISLINE(h, LOADTHISLINE(h) + " 終")
GOTOTHERE(1, 1)
INSERTSTRING("新")
IF SAVEAS(ENVIRON("OUT")) = 1 THEN MSGBOX("saved")
END MAIN
)");
    const struct {
        const char* name;
        const char* iconv;  // the code's name for iconv
        const char* bom;
        const char* option;  // a forced reading code, or ""
    } kCodes[] = {
        {"sjis", "CP932", "", "-KS"},
        {"euc", "EUC-JP", "", "-KE"},
        {"utf8", "UTF-8", "", ""},
        {"ucs2le", "UTF-16LE", "\xFF\xFE", ""},
        {"ucs2be", "UTF-16BE", "\xFE\xFF", ""},
        {"jis", "ISO-2022-JP", "", "-KJ"},
    };
    for (const auto& c : kCodes) {
        SCOPED_TRACE(c.name);
        const std::string in = d.Write(std::string("work/") + c.name + ".txt",
                                       std::string(c.bom) + Iconv(before, "UTF-8", c.iconv));
        const std::string out = d.File(std::string("work/") + c.name + ".out");
        std::vector<std::string> args = {"-A", script};
        if (*c.option) args.push_back(c.option);
        args.push_back(in);
        auto p = Start(args, {{"OUT", out}});
        EXPECT_EQ(p->Wait(), 0) << Errors();
        const std::string saved = ReadFileBytes(out);
        if (std::string(c.name) == "jis") {
            // The escape sequences may be placed otherwise: the text iconv reads back counts.
            EXPECT_EQ(Iconv(saved, c.iconv, "UTF-8"), after);
        } else {
            EXPECT_EQ(saved, std::string(c.bom) + Iconv(after, "UTF-8", c.iconv));
        }
        // The document read was not written.
        EXPECT_EQ(ReadFileBytes(in), std::string(c.bom) + Iconv(before, "UTF-8", c.iconv));
    }
}

// Without files the script works on the untitled document that New makes.
TEST_F(HeadlessRun, WithoutFilesTheScriptWorksOnANewDocument) {
    const std::string out = d.File("work/new.txt");
    const std::string script = Script("new.nrs", R"(MAIN
INSERTSTRING("typed")
MSGBOX(STR(SAVEAS(ENVIRON("OUT"))))
END MAIN
)");
    auto p = Start({"-A", script}, {{"OUT", out}});
    EXPECT_EQ(p->Wait(), 0) << Errors();
    EXPECT_EQ(ReadFileBytes(out), "typed");
}

// Each --answer answers the next file dialog or input box, in order; with none left they are
// cancelled.
TEST_F(HeadlessRun, AnswersGoToTheDialogsInOrderThenTheyAreCancelled) {
    const std::string other = d.Write("work/other.txt", "other text\n");
    const std::string saved = d.File("work/saved.txt");
    const std::string script = Script("ask.nrs", R"(MAIN
MSGBOX("<" + INPUTBOX("first", "t", "") + ">")
IF FILEOPEN("", 0) = 1 THEN MSGBOX("opened " + LOADTHISLINE(GETTOPLINE()))
IF SAVEAS("") = 1 THEN MSGBOX("saved")
MSGBOX("<" + INPUTBOX("second", "t", "default") + ">")
IF SAVEAS("") = 0 THEN MSGBOX("save cancelled")
IF FILEOPEN("", 0) = 0 THEN MSGBOX("open cancelled")
END MAIN
)");
    auto p = Start({"-A", script, "--answer=one two", "--answer=" + other, "--answer=" + saved});
    EXPECT_EQ(p->Wait(), 0) << Errors();
    const std::string err = Errors();
    const std::vector<std::string> order = {"<one two>", "opened other text", "saved",
                                            "<>",        "save cancelled",    "open cancelled"};
    size_t at = 0;
    for (const std::string& s : order) {
        const size_t found = err.find(s, at);
        EXPECT_NE(found, std::string::npos) << s << " in\n" << err;
        if (found != std::string::npos) at = found + s.size();
    }
    EXPECT_EQ(ReadFileBytes(saved), "other text\n");
}

TEST_F(HeadlessRun, ExitStatusTellsHowTheScriptEnded) {
    const struct {
        const char* name;
        const char* source;
        int status;
        const char* shown;  // on standard error
    } kCases[] = {
        {"done", "MAIN\nMSGBOX(\"fine\")\nEND MAIN\n", 0, "fine"},
        {"compile", "MAIN\nDIM x\nx = (1 +\nEND MAIN\n", 1, "Norv Script"},
        {"runtime", "MAIN\nDIM x, y\ny = 0\nx = 1 / y\nMSGBOX(\"not here\")\nEND MAIN\n", 1,
         "Division by zero."},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        std::remove(d.File("stderr.txt").c_str());
        const std::string script = d.Write(std::string("work/") + c.name + ".nrs", c.source);
        auto p = Start({"-A", script});
        EXPECT_EQ(p->Wait(), c.status);
        EXPECT_NE(Errors().find(c.shown), std::string::npos) << Errors();
        EXPECT_EQ(Errors().find("not here"), std::string::npos);
    }
    auto missing = Start({"-A", d.File("work/none.nrs")});
    EXPECT_EQ(missing->Wait(), 1);
    EXPECT_NE(Errors().find("Cannot read the script"), std::string::npos);
}

// SIGINT is Ctrl+Break: it stops the script in a wait, in the pump, while a program's output is
// awaited and in a loop that never calls anything, and the run ends with 130.
TEST_F(HeadlessRun, SigintStopsTheScriptInEveryKindOfWait) {
    const struct {
        const char* name;
        const char* body;
    } kWaits[] = {
        {"wait", "WAIT(60000)"},
        {"doevents", "WHILE 1\nDOEVENTS\nWEND"},
        {"loop", "WHILE 1\nx = x + 1\nWEND"},
        {"program", "SHELLCMD(\"sleep 20\", \"O\")"},
    };
    for (const auto& w : kWaits) {
        SCOPED_TRACE(w.name);
        std::remove(d.File("stderr.txt").c_str());
        const std::string script = d.Write(std::string("work/") + w.name + ".nrs",
                                           std::string("MAIN\nDIM x\nMSGBOX(\"waiting\")\n") +
                                               w.body + "\nMSGBOX(\"after\")\nEND MAIN\n");
        auto p = Start({"-A", script});
        ASSERT_TRUE(ErrorsShow("waiting")) << Errors();
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        const auto sent = std::chrono::steady_clock::now();
        p->Signal(SIGINT);
        EXPECT_EQ(p->Wait(20000), 130) << Errors();
        EXPECT_LT(std::chrono::steady_clock::now() - sent, std::chrono::seconds(10));
        EXPECT_EQ(Errors().find("after"), std::string::npos);
    }
}

// SHELLCMD runs a real program: a filter through %T replaces the text, a program that cannot
// start gives 0 with the message.
TEST_F(HeadlessRun, ShellCommandFiltersTheTextAndReportsAFailedStart) {
    const std::string f = d.Write("work/lines.txt", "b\na\nc\n");
    const std::string out = d.File("work/sorted.txt");
    const std::string script = Script("shell.nrs", R"(MAIN
MSGBOX("run " + STR(SHELLCMD("sort -r %T", "")))
MSGBOX("missing " + STR(SHELLCMD("/nonexistent/program x", "")))
SAVEAS(ENVIRON("OUT"))
END MAIN
)");
    auto p = Start({"-A", script, f}, {{"OUT", out}});
    EXPECT_EQ(p->Wait(), 0) << Errors();
    EXPECT_NE(Errors().find("run 1"), std::string::npos) << Errors();
    EXPECT_NE(Errors().find("missing 0"), std::string::npos) << Errors();
    EXPECT_NE(Errors().find("The command didn't work properly"), std::string::npos);
    EXPECT_EQ(ReadFileBytes(out), "c\nb\na\n");
}

}  // namespace

#endif
