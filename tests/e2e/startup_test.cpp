// The editor as real processes (offscreen): a second start handing its command line to the first,
// separate instances, the jump and reading-code options at start-up and through a handoff, file
// names that look like options or hold blanks, recovery after a crash, and headless runs.
//
// Each test has its own HOME, runtime folder and settings folder, so its instances never meet
// those of another test or of the user. The first instance is the probe (the editor with a dump
// of its documents after every command line it handles); second starts are the real program.
#include <gtest/gtest.h>
#include <sys/stat.h>

#if defined(NORV_PROBE_PATH)

#include <filesystem>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "e2e/process_runner.h"
#include "support/temp_dir.h"

namespace {

using norv::testing::ChildProcess;
using norv::testing::ReadFileBytes;
using norv::testing::TempDir;

struct Doc {
    std::string path, title, code, eol;
    int line = 0, column = 0;
    bool modified = false, readOnly = false;
    std::string text;  // C escapes
};

std::vector<Doc> ParseDocs(const std::vector<std::string>& lines) {
    std::vector<Doc> docs;
    for (const auto& l : lines) {
        if (l.rfind("DOC\t", 0) != 0) continue;
        std::vector<std::string> f;
        std::stringstream in(l.substr(4));
        std::string part;
        while (std::getline(in, part, '\t')) f.push_back(part);
        while (f.size() < 9) f.emplace_back();
        docs.push_back({f[0], f[1], f[2], f[3], std::stoi(f[4]), std::stoi(f[5]), f[6] == "1",
                        f[7] == "1", f[8]});
    }
    return docs;
}

const Doc* Find(const std::vector<Doc>& docs, const std::string& path) {
    for (const auto& d : docs)
        if (d.path == path) return &d;
    return nullptr;
}

class EditorProcess : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* sub : {"home", "run", "cfg", "work", "work/sub"})
            mkdir(d.File(sub).c_str(), 0700);
    }
    std::string work() const { return d.File("work"); }
    void Settings(const std::string& lines) { d.Write("cfg/norv.INI", "[Settings]\n" + lines); }

    std::map<std::string, std::string> Env() const {
        return {{"HOME", d.File("home")},
                {"XDG_RUNTIME_DIR", d.File("run")},
                {"XDG_CONFIG_HOME", d.File("home")},
                {"NORVHOME", d.File("cfg")},
                {"QT_QPA_PLATFORM", "offscreen"},
                {"NORV_ACP", "932"}};
    }
    std::unique_ptr<ChildProcess> Start(const char* program, const std::vector<std::string>& args,
                                        const std::string& folder,
                                        std::map<std::string, std::string> extra = {}) {
        auto env = Env();
        for (auto& [k, v] : extra) env[k] = v;
        return std::make_unique<ChildProcess>(program, args, env, folder, d.File("stderr.txt"));
    }
    std::unique_ptr<ChildProcess> Probe(const std::vector<std::string>& args,
                                        std::map<std::string, std::string> extra = {}) {
        return Start(NORV_PROBE_PATH, args, work(), std::move(extra));
    }
    // The documents a probe shows after its next command line.
    static std::vector<Doc> Next(ChildProcess& p) {
        auto lines = p.ReadUntil("END");
        EXPECT_TRUE(lines.has_value()) << "the probe printed no document list";
        return lines ? ParseDocs(*lines) : std::vector<Doc>{};
    }
    // A second start of the real program from `folder`; its exit status.
    std::optional<int> Second(const std::vector<std::string>& args, const std::string& folder) {
        auto p = Start(NORV_PATH, args, folder);
        return p->Wait();
    }
    std::string Errors() const { return ReadFileBytes(d.File("stderr.txt")); }

    TempDir d;
};

std::string Lines(int n) {
    std::string s;
    for (int i = 1; i <= n; ++i) s += "line number " + std::to_string(i) + "\n";
    return s;
}

TEST_F(EditorProcess, SecondStartHandsItsCommandLineToTheFirst) {
    Settings("MultiInstance=0\n");
    const std::string c = d.Write("work/c.txt", Lines(20));
    const std::string b = d.Write("work/sub/b.txt", "bee\n");
    const std::string blanks = d.Write("work/sub/my file.txt", Lines(5));
    const std::string quoted = d.Write("work/sub/quoted name.txt", "q\n");
    auto first = Probe({"-J12:5", "c.txt"});
    auto docs = Next(*first);
    ASSERT_EQ(docs.size(), 1u);
    EXPECT_EQ(docs[0].path, c);
    EXPECT_EQ(docs[0].line, 12);
    EXPECT_EQ(docs[0].column, 5);

    // Relative names mean what they meant in the second start's folder; it ends at once.
    EXPECT_EQ(Second({"b.txt"}, d.File("work/sub")), 0);
    docs = Next(*first);
    ASSERT_NE(Find(docs, b), nullptr);
    EXPECT_EQ(Find(docs, b)->text, "bee\\n");

    // The jump option through a handoff, and names with blanks, plain or in double quotes.
    EXPECT_EQ(Second({"-J3:2", "my file.txt", "\"quoted name.txt\""}, d.File("work/sub")), 0);
    docs = Next(*first);
    ASSERT_NE(Find(docs, blanks), nullptr);
    EXPECT_EQ(Find(docs, blanks)->line, 3);
    EXPECT_EQ(Find(docs, blanks)->column, 2);
    ASSERT_NE(Find(docs, quoted), nullptr);
    EXPECT_EQ(Find(docs, quoted)->text, "q\\n");

    // An absolute path is a file, never an option.
    const std::string abs = d.Write("work/a.txt", "absolute\n");
    EXPECT_EQ(Second({abs}, d.File("home")), 0);
    docs = Next(*first);
    ASSERT_NE(Find(docs, abs), nullptr);
    EXPECT_EQ(Find(docs, abs)->text, "absolute\\n");
}

TEST_F(EditorProcess, ReadingCodeOptionsGiveTheSameResultAtStartUpAndThroughAHandoff) {
    Settings("MultiInstance=0\n");
    // EUC-JP bytes of a Japanese word: detected as EUC-JP unless an option forces a code.
    const std::string euc = "\xA4\xA2\xA4\xA4\xA4\xA6\n";
    const struct {
        const char* option;
        const char* code;
    } kCases[] = {{"-KS", "Ansi"}, {"-KE", "Euc"}, {"-KJ", nullptr}};
    std::map<std::string, Doc> atStartUp;
    for (const auto& k : kCases) {
        const std::string f = d.Write(std::string("work/s") + k.option + ".txt", euc);
        auto p = Probe({"--headless", k.option, f});
        auto docs = Next(*p);
        EXPECT_EQ(p->Wait(), 0);
        ASSERT_EQ(docs.size(), 1u) << k.option;
        if (k.code) EXPECT_EQ(docs[0].code, k.code) << k.option;
        atStartUp[k.option] = docs[0];
    }
    const std::string plain = d.Write("work/plain.txt", euc);
    auto first = Probe({plain});
    auto docs = Next(*first);
    ASSERT_EQ(docs.size(), 1u);
    EXPECT_EQ(docs[0].code, "Euc");  // detection, and the forced codes left no trace
    for (const auto& k : kCases) {
        const std::string f = d.Write(std::string("work/h") + k.option + ".txt", euc);
        EXPECT_EQ(Second({k.option, f}, work()), 0);
        docs = Next(*first);
        const Doc* got = Find(docs, f);
        ASSERT_NE(got, nullptr) << k.option;
        EXPECT_EQ(got->code, atStartUp[k.option].code) << k.option;
        EXPECT_EQ(got->text, atStartUp[k.option].text) << k.option;
        EXPECT_EQ(got->eol, atStartUp[k.option].eol) << k.option;
    }
    // A file handed over without an option is detected again.
    const std::string after = d.Write("work/after.txt", euc);
    EXPECT_EQ(Second({after}, work()), 0);
    docs = Next(*first);
    ASSERT_NE(Find(docs, after), nullptr);
    EXPECT_EQ(Find(docs, after)->code, "Euc");
}

TEST_F(EditorProcess, MultiInstanceStartsItsOwnWhileTheFirstIsVisible) {
    Settings("MultiInstance=1\n");
    const std::string a = d.Write("work/a.txt", "a\n");
    const std::string b = d.Write("work/b.txt", "b\n");
    auto first = Probe({a});
    ASSERT_EQ(Next(*first).size(), 1u);
    auto second = Probe({b});
    auto docs = Next(*second);
    ASSERT_EQ(docs.size(), 1u);
    EXPECT_EQ(docs[0].path, b);
    EXPECT_TRUE(second->Running());
}

// OK of the preferences tells the other copies; each reads the settings, the data file and the
// key file again.
TEST_F(EditorProcess, ASettingsChangeIsReloadedByTheOtherRunningCopies) {
    Settings("MultiInstance=1\n");
    const std::string a = d.Write("work/a.txt", "a\n");
    auto first = Probe({a});
    ASSERT_EQ(Next(*first).size(), 1u);
    Settings("MultiInstance=1\nTwoDelay=777\n");
    d.Write("cfg/Norv.KEY", "TwoStroke\tKOQ\nUndo\tCtrl+K^U\tF12\n");
    d.Write("cfg/norv.DAT", "##UserMenu\n#Begin\nTop\tTextTop\n-\n#End\n");
    auto second = Probe({}, {{"NORV_PROBE_TELL", "1"}});
    ASSERT_TRUE(second->ReadUntil("TOLD").has_value());
    const auto reloaded = first->ReadUntil("RELOADED", 10000);
    ASSERT_TRUE(reloaded.has_value()) << Errors();
    ASSERT_FALSE(reloaded->empty());
    EXPECT_EQ(reloaded->back(), "SETTINGS\t777\tCtrl+K^U F12\t2");
}

TEST_F(EditorProcess, MultiInstanceHandsToAHiddenResidentFirstInstance) {
    Settings("MultiInstance=1\nResident=1\n");
    const std::string b = d.Write("work/b.txt", "b\n");
    auto first = Probe({"-R"});
    Next(*first);
    // -M asks for a separate instance too, but a hidden first instance still takes the files.
    EXPECT_EQ(Second({"-M", b}, work()), 0);
    auto docs = Next(*first);
    ASSERT_NE(Find(docs, b), nullptr);
}

TEST_F(EditorProcess, CrashedWorkComesBackModifiedUnderItsNamesAndCodes) {
    Settings("AutoSaveSec=1\n");
    // Shift-JIS with LF line ends.
    const std::string sjis = d.Write("work/sjis.txt", "\x82\xA0\x82\xA2\nsecond\n");
    auto crashed = Probe({sjis}, {{"NORV_PROBE_TYPE", "typed "}});
    auto before = Next(*crashed);
    ASSERT_EQ(before.size(), 2u);
    ASSERT_TRUE(crashed->ReadUntil("AUTOSAVED").has_value());
    crashed->Signal(SIGKILL);
    crashed->Wait();

    // The next start (with a file of its own on the command line) offers recovery; in a run
    // without windows the question takes its default button, Yes.
    const std::string other = d.Write("work/other.txt", "other\n");
    auto next = Probe({"--headless", other});
    auto docs = Next(*next);
    EXPECT_EQ(next->Wait(), 0);
    EXPECT_NE(
        Errors().find("Previous work might have been abnormally terminated.\nDo you recover it?"),
        std::string::npos);
    const Doc* file = Find(docs, sjis);
    ASSERT_NE(file, nullptr);
    EXPECT_TRUE(file->modified);
    EXPECT_EQ(file->code, "Ansi");
    EXPECT_EQ(file->eol, "Lf");
    EXPECT_EQ(file->text, "typed \\x82\\xA0\\x82\\xA2\\nsecond\\n");
    const Doc* untitled = nullptr;
    for (const auto& doc : docs)
        if (doc.path.empty()) untitled = &doc;
    ASSERT_NE(untitled, nullptr);
    EXPECT_TRUE(untitled->modified);
    EXPECT_EQ(untitled->text, "typed ");
    for (const auto& doc : before)
        if (doc.path.empty()) EXPECT_EQ(untitled->title, doc.title);
    ASSERT_NE(Find(docs, other), nullptr);
    // Taken back: the next start has nothing to offer.
    auto third = Probe({"--headless", other});
    EXPECT_EQ(Next(*third).size(), 1u);
    EXPECT_EQ(third->Wait(), 0);
}

TEST_F(EditorProcess, AWildcardShowsTheOpenDialogAndItsCancelMakesANewDocument) {
    d.Write("work/one.txt", "1\n");
    // Dialogs of a run without windows are cancelled: New follows.
    auto p = Probe({"--headless", "*.txt"});
    auto docs = Next(*p);
    EXPECT_EQ(p->Wait(), 0);
    ASSERT_EQ(docs.size(), 1u);
    EXPECT_TRUE(docs[0].path.empty());
    // A file of that very name is opened instead.
    const std::string star = d.Write("work/*.txt", "star\n");
    p = Probe({"--headless", "*.txt"});
    docs = Next(*p);
    EXPECT_EQ(p->Wait(), 0);
    ASSERT_EQ(docs.size(), 1u);
    EXPECT_EQ(docs[0].path, star);
}

TEST_F(EditorProcess, ClosingStoresTheFolderAndThePlacement) {
    Settings("");
    const std::string f = d.Write("work/f.txt", "f\n");
    auto p = Probe({f}, {{"NORV_PROBE_CLOSE", "1"}});
    Next(*p);
    EXPECT_EQ(p->Wait(), 0);
    const std::string ini = ReadFileBytes(d.File("cfg/norv.INI"));
    EXPECT_NE(ini.find("InitialDir=" + work() + "/\n"), std::string::npos) << ini;
    EXPECT_NE(ini.find("MainShowCmd="), std::string::npos) << ini;
    EXPECT_NE(ini.find("MainRectRight="), std::string::npos) << ini;
}

TEST_F(EditorProcess, ResidentCloseHidesTheLastInstanceButEndsAnotherOne) {
    Settings("MultiInstance=1\nResident=1\n");
    // Alone, closing only hides the window: the instance still takes a handoff.
    auto first = Probe({}, {{"NORV_PROBE_CLOSE", "1"}});
    Next(*first);
    ASSERT_TRUE(first->ReadUntil("CLOSED").has_value());
    // A separate instance (as NorvOpen starts one) that closes while the first runs really ends.
    auto second = Probe({}, {{"NORV_PROBE_CLOSE", "1"}, {"MultiNorv", "1"}});
    Next(*second);
    EXPECT_EQ(second->Wait(), 0);
    const std::string b = d.Write("work/b.txt", "b\n");
    EXPECT_EQ(Second({"-M", b}, work()), 0);
    auto docs = Next(*first);
    ASSERT_NE(Find(docs, b), nullptr);
    EXPECT_TRUE(first->Running());
}

TEST_F(EditorProcess, AnEmptyCommandLineTakesThePendingProjectOnce) {
    d.Write("cfg/norv.INI", "[Settings]\n[Others]\nCurrProj=gone.prf\n");
    auto p = Probe({"--headless"});
    auto docs = Next(*p);
    EXPECT_EQ(p->Wait(), 0);
    // The project is not there: a new document instead, and the key is cleared for good.
    ASSERT_EQ(docs.size(), 1u);
    EXPECT_TRUE(docs[0].path.empty());
    EXPECT_EQ(ReadFileBytes(d.File("cfg/norv.INI")).find("gone.prf"), std::string::npos);
}

TEST_F(EditorProcess, ANormalEndLeavesNoRecoveryFilesBehind) {
    // Work that was given up at a normal end must not be offered as crashed work next time.
    const std::string f = d.Write("work/f.txt", "f\n");
    auto p = Probe({"--headless", f}, {{"NORV_PROBE_TYPE", "x"}, {"NORV_PROBE_AUTOSAVE", "1"}});
    ASSERT_TRUE(p->ReadUntil("AUTOSAVED").has_value());
    EXPECT_EQ(p->Wait(), 0);
    for (const auto& e : std::filesystem::directory_iterator(d.File("cfg"))) {
        const std::string name = e.path().filename().string();
        EXPECT_TRUE(name.find(".REC") == std::string::npos &&
                    name.find(".AUT") == std::string::npos &&
                    name.find(".RCI") == std::string::npos)
            << name;
    }
}

TEST_F(EditorProcess, HeadlessRunsEndWithTheCommandLinesWork) {
    const std::string f = d.Write("work/f.txt", "text\n");
    auto ok = Start(NORV_PATH, {"--headless", f}, work());
    EXPECT_EQ(ok->Wait(), 0);
    // A folder cannot be opened: the reason on standard error, status 1.
    auto bad = Start(NORV_PATH, {"--headless", d.File("work/sub")}, work());
    EXPECT_EQ(bad->Wait(), 1);
    EXPECT_NE(Errors().find("could not be accessed"), std::string::npos);
    // A script of -A runs after the files; its message box prints to standard error.
    const std::string script =
        d.Write("work/hello.nrs", "MAIN\n  MSGBOX(\"hello from a script\")\nEND MAIN\n");
    auto run = Start(NORV_PATH, {"--headless", "-A", script, f}, work());
    EXPECT_EQ(run->Wait(), 0);
    EXPECT_NE(Errors().find("hello from a script"), std::string::npos);
    auto version = Start(NORV_PATH, {"--version"}, work());
    EXPECT_EQ(version->Wait(), 0);
}

// The start-up steps a run traced on standard error, in their order.
std::vector<std::string> TracedSteps(const std::string& errors) {
    std::vector<std::string> steps;
    std::stringstream in(errors);
    for (std::string line; std::getline(in, line);)
        if (line.rfind("norv: start-up ", 0) == 0) steps.push_back(line.substr(15));
    return steps;
}

// A headless run and a run with a window go through the one list of start-up steps.
TEST_F(EditorProcess, HeadlessAndWindowRunsTakeTheSameStartUpSteps) {
    const std::string f = d.Write("work/f.txt", "text\n");
    auto headless = Start(NORV_PATH, {"--headless", f}, work(), {{"NORV_STARTUP_TRACE", "1"}});
    EXPECT_EQ(headless->Wait(), 0);
    const std::vector<std::string> headlessSteps = TracedSteps(Errors());
    ASSERT_EQ(headlessSteps.size(), 18u);
    EXPECT_EQ(headlessSteps.front(), "1 SettingsFile");
    EXPECT_EQ(headlessSteps[9], "10 CommandLine");
    EXPECT_EQ(headlessSteps.back(), "14 InputMethod");
    // The probe lists its documents once the whole list has run.
    auto window = Probe({f}, {{"NORV_STARTUP_TRACE", "1"}});
    EXPECT_EQ(Next(*window).size(), 1u);
    std::vector<std::string> all = TracedSteps(Errors());
    ASSERT_EQ(all.size(), 2 * headlessSteps.size());
    EXPECT_EQ(std::vector<std::string>(all.begin() + 18, all.end()), headlessSteps);
}

// -P in a headless run writes the PDF that NORV_PRINT_PDF names, and nothing without it.
TEST_F(EditorProcess, HeadlessPrintPreviewWritesThePdfOfTheEnvironment) {
    std::string text;
    for (int i = 1; i <= 150; ++i) text += "\x93\xfa\x96\x7b line " + std::to_string(i) + "\r\n";
    const std::string f = d.Write("work/p.txt", text);
    const std::string pdf = d.File("work/p.pdf");
    auto run = Start(NORV_PATH, {"--headless", "-P", f}, work(), {{"NORV_PRINT_PDF", pdf}});
    EXPECT_EQ(run->Wait(), 0);
    const std::string bytes = ReadFileBytes(pdf);
    ASSERT_GT(bytes.size(), 1000u);
    EXPECT_EQ(bytes.substr(0, 5), "%PDF-");
    // 150 lines take several pages.
    const size_t count = bytes.find("/Count ");
    ASSERT_NE(count, std::string::npos);
    EXPECT_GE(std::atoi(bytes.c_str() + count + 7), 2);
    std::remove(pdf.c_str());
    auto none = Start(NORV_PATH, {"--headless", "-P", f}, work());
    EXPECT_EQ(none->Wait(), 0);
    EXPECT_TRUE(ReadFileBytes(pdf).empty());
}

}  // namespace

#endif  // NORV_PROBE_PATH

TEST_F(EditorProcess, OptionGShowsFindFromFileAndAHeadlessRunDoesNotWait) {
    auto p = Probe({"-G"}, {{"NORV_PROBE_DIALOG", "1"}});
    auto lines = p->ReadUntil("DIALOG\tFind From File");
    EXPECT_TRUE(lines.has_value()) << "no find-in-files dialog after -G";
    // Without windows the dialog is cancelled and the run ends.
    auto headless = Start(NORV_PATH, {"--headless", "-G"}, work());
    EXPECT_EQ(headless->Wait(), 0);
}
