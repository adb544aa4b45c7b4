// Running external programs without windows: capture into the output document and at the
// caret, filters, start failures, names that must not run anything, the error stream, Escape.
#include "app/shell_run.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "editing/edit_test_support.h"
#include "platform/fakes/headless_ui.h"
#include "platform/paths.h"
#include "support/temp_dir.h"

namespace norv::app {
namespace {

using editing::testing::Editor;
using editing::testing::Enc;

class Windows : public OutputWindows {
  public:
    std::vector<editing::CElwView*> OutputCandidates() override {
        std::vector<editing::CElwView*> out;
        for (auto& e : editors) out.push_back(e->view.get());
        return out;
    }
    void ActivateOutput(editing::CElwView&) override {}
    editing::CElwView* NewOutputDocument() override {
        editors.push_back(std::make_unique<Editor>(Enc::kUtf8));
        editors.back()->Load("");
        return editors.back()->view.get();
    }
    std::vector<std::unique_ptr<Editor>> editors;
};

struct Fixture {
    explicit Fixture(Enc enc = Enc::kSjis, std::string_view text = "b\na\n") : editor(enc) {
        editor.Load(text);
        selection = std::make_unique<editing::Selection>(*editor.view, clipboard);
        env.ui = &ui;
        env.windows = &windows;
        env.activeView = [this] { return editor.view.get(); };
        env.selectionOf = [this](editing::CElwView& v) -> editing::Selection* {
            return &v == editor.view.get() ? selection.get() : nullptr;
        };
        env.escapePressed = [this] { return ++polls == stopAtPoll; };
        env.environment = std::vector<std::string>{"PATH=/usr/bin:/bin"};
    }
    ~Fixture() { selection.reset(); }
    ShellRunResult Run(std::string_view line, std::string_view options) {
        ShellRun run(env);
        return run.Run(line, tools::ParseShellOptions(options));
    }
    // The output document's text in UTF-8.
    std::string Output() {
        return windows.editors.empty() ? "<none>" : windows.editors[0]->Marked();
    }

    Editor editor;
    editing::ClipboardContext clipboard;
    std::unique_ptr<editing::Selection> selection;
    platform::HeadlessUi ui;
    Windows windows;
    ShellEnvironment env;
    int polls = 0;
    int stopAtPoll = -1;
};

TEST(ShellRun, CaptureIntoTheOutputDocumentTwiceReusesIt) {
    Fixture f;
    ShellRunResult r = f.Run("printf 'one\\r\\ntwo\\n'", "O");
    EXPECT_TRUE(r.started);
    EXPECT_EQ(r.exitStatus, 0);
    EXPECT_EQ(f.Output(), "|one\ntwo\n");
    EXPECT_EQ(f.ui.statusTexts.back(), kShellEnded);
    f.Run("echo again", "O");
    ASSERT_EQ(f.windows.editors.size(), 1u);
    EXPECT_EQ(f.Output(), "|again\n");
    EXPECT_EQ(f.editor.Marked(), "|b\na\n");  // the active document is not touched
}

// Output read in pieces that end inside a line goes on at the end of the output document's
// text, in order: pieces apart in time, and a long output over many reads.
TEST(ShellRun, OutputInPiecesThatEndInsideLinesKeepsItsOrder) {
    Fixture f;
    f.Run("sh -c 'printf 12; sleep 0.2; printf \"34\\n56\"; sleep 0.2; printf 78'", "O");
    EXPECT_EQ(f.Output(), "|1234\n5678");
    std::string seq;
    for (int i = 1; i <= 20000; ++i) seq += std::to_string(i) + "\n";
    f.Run("seq 1 20000", "O");
    EXPECT_EQ(f.Output(), "|" + seq);
}

TEST(ShellRun, CaptureAtTheCaretConvertsIntoTheDocumentsCode) {
    Fixture f(Enc::kSjis, "x[sel]y\n");
    f.selection->Select(1, 1, 1, 6);
    // Over 2048 bytes of Japanese UTF-8, so characters are cut between reads.
    std::string expected;
    for (int i = 0; i < 400; ++i) expected += "日本語";
    ShellRunResult r = f.Run(
        "printf '" +
            [&] {
                std::string sjis;
                for (int i = 0; i < 400; ++i)
                    sjis += "\\346\\227\\245\\346\\234\\254\\350\\252\\236";
                return sjis;
            }() +
            "'",
        "E");
    EXPECT_TRUE(r.started);
    EXPECT_EQ(f.editor.Marked(), "x" + expected + "|y\n");
    // One undo brings the selection's text back.
    f.editor.view->Execute(editing::CommandId::Undo);
    EXPECT_EQ(f.editor.Marked(), "x|[sel]y\n");
}

TEST(ShellRun, AFilterReplacesTheSelectionOrTheWholeText) {
    Fixture f(Enc::kSjis, "pear\napple\nfig\n");
    ShellRunResult r = f.Run("sort %T", "");
    EXPECT_TRUE(r.started);
    EXPECT_EQ(f.editor.Marked(), "apple\nfig\npear\n|");
    // Repeat puts the output in again at the caret, as for a paste; Undo takes that back alone.
    f.editor.view->Execute(editing::CommandId::Repeat);
    EXPECT_EQ(f.editor.Marked(), "apple\nfig\npear\napple\nfig\npear\n|");
    f.editor.view->Execute(editing::CommandId::Undo);
    EXPECT_EQ(f.editor.Marked(), "apple\nfig\npear\n|");
    Fixture g(Enc::kUtf8, "日本\nabc\n");
    g.selection->Select(2, 0, 2, 3);
    g.Run("tr a-z A-Z < %T", "C");
    EXPECT_EQ(g.editor.Marked(), "日本\nABC|\n");
    // A filter through E: the output replaced the selection %T took.
    Fixture h(Enc::kSjis, "abc\n");
    h.selection->Select(1, 0, 1, 3);
    h.Run("tr a-z A-Z %T", "EC");  // tr reads no file: standard input is empty
    EXPECT_EQ(h.editor.Marked(), "|\n");
}

// The filter's input is the selection as the user sees it: from inside its first line to inside
// its last, in UTF-8, with a line just typed into (still in the line buffer), whichever end
// the caret is at.
TEST(ShellRun, TheFiltersInputIsTheSelectionAsShown) {
    for (bool caretAtEnd : {true, false}) {
        SCOPED_TRACE(caretAtEnd ? "caret at the end" : "caret at the start");
        Fixture f(Enc::kSjis, "一二三\nabc\n日本語\nlast\n");
        f.editor.view->SetCaret(2, 2);
        f.editor.view->InsertText("X");
        if (caretAtEnd)
            f.selection->Select(1, 2, 3, 4);
        else
            f.selection->Select(3, 4, 1, 2);
        EXPECT_TRUE(f.Run("cat %T", "O").started);
        EXPECT_EQ(f.Output(), "|二三\nabXc\n日本");
    }
    // A filter that prints nothing empties the selection (its output file is there, empty).
    Fixture e(Enc::kSjis, "一\nb\n");
    e.selection->Select(1, 0, 1, 2);
    EXPECT_TRUE(e.Run("true %T", "").started);
    EXPECT_EQ(e.editor.Marked(), "|\nb\n");
}

// A filter's output comes in the document's code with its CR LF and CR line ends read as line
// ends, wherever the first CR or the first byte beyond ASCII stands.
TEST(ShellRun, AFiltersOutputIsConvertedAndItsLineEndsRead) {
    static const struct {
        Enc enc;
        const char* printed;  // printf's format
        const char* marked;
    } kCases[] = {
        {Enc::kSjis, "ab\\r\\ncd\\rx", "ab\ncd\nx|"},
        {Enc::kSjis, "ab\\346\\227\\245\\r\\ny", "ab日\ny|"},
        {Enc::kSjis, "\\346\\227\\245ab\\ny", "日ab\ny|"},
        {Enc::kUtf8, "\\346\\227\\245\\r\\nz\\r", "日\nz\n|"},
        {Enc::kSjis, "plain\\n", "plain\n|"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.printed);
        Fixture f(c.enc, "old\n");
        EXPECT_TRUE(f.Run(std::string("sh -c 'printf \"") + c.printed + "\"' %T", "").started);
        EXPECT_EQ(f.editor.Marked(), c.marked);
    }
}

TEST(ShellRun, AStartFailureSaysSoAndLosesNothing) {
    Fixture f(Enc::kSjis, "keep me\n");
    f.selection->Select(1, 0, 1, 4);
    ShellRunResult r = f.Run("norv-no-such-program %F", "E");
    EXPECT_FALSE(r.started);
    ASSERT_EQ(f.ui.messages.size(), 1u);
    EXPECT_EQ(f.ui.messages[0], kShellStartFailed);
    EXPECT_EQ(f.editor.Marked(), "keep| me\n");
    f.Run("echo 'unclosed", "O");
    EXPECT_EQ(f.ui.messages.size(), 2u);
}

TEST(ShellRun, NamesAndTextsRunNothing) {
    testing::TempDir dir;
    const std::string mark = dir.File("x");
    for (const char* options : {"O", "OC"}) {
        Fixture f;
        f.editor.doc.path = dir.path() + "/$(touch " + mark + ");touch " + mark + ";'\".txt";
        f.env.ask = [&](std::string_view) {
            return std::optional<std::string>("`touch " + mark + "` $(touch " + mark + ")");
        };
        ShellRunResult r = f.Run("printf '%%s|' %F %I \"%N\"", options);
        EXPECT_TRUE(r.started);
        EXPECT_FALSE(std::filesystem::exists(mark)) << options;
        EXPECT_NE(f.Output().find("$(touch"), std::string::npos) << f.Output();
    }
}

TEST(ShellRun, TheTrailingTwoCapturesTheErrorStream) {
    Fixture f;
    f.Run("sh -c 'echo out; echo err >&2' 2", "O");
    EXPECT_EQ(f.Output(), "|err\n");
    f.Run("sh -c 'echo out; echo err >&2' 2", "OC");
    EXPECT_EQ(f.Output(), "|err\n");
}

TEST(ShellRun, EscapeStopsWaitingNotTheProgram) {
    Fixture f;
    testing::TempDir dir;
    const std::string mark = dir.File("done");
    f.stopAtPoll = 3;
    ShellRunResult r = f.Run("sh -c 'echo hi; sleep 0.5; : > " + mark + "; echo never shown'", "O");
    EXPECT_TRUE(r.started);
    EXPECT_TRUE(r.stopped);
    EXPECT_EQ(f.Output(), "|hi\n");
    EXPECT_TRUE(f.ui.statusTexts.empty() || f.ui.statusTexts.back() != kShellEnded);
    for (int i = 0; i < 300 && !std::filesystem::exists(mark); ++i) usleep(10000);
    EXPECT_TRUE(std::filesystem::exists(mark));  // it ran to its end
}

// Large filters and captures: a filter's input of many blocks written and read back whole (in
// a Shift-JIS document, with Japanese text), a box written with LF line ends, output of more
// than a megabyte into the output document, and output at the caret in parts, in order.
TEST(ShellRun, LargeFiltersAndCapturesComeBackWhole) {
    std::string text;
    for (int i = 0; i < 60000; ++i) text += (i % 3 ? "行" : "line") + std::to_string(i) + "\n";
    Fixture f(Enc::kSjis, text);
    EXPECT_TRUE(f.Run("cat %T", "").started);
    EXPECT_EQ(f.editor.Marked(), text + "|");
    f.editor.view->Execute(editing::CommandId::Undo);
    EXPECT_EQ(f.editor.Marked(), "|" + text);

    // A box: each piece a line of its own.
    Fixture b(Enc::kSjis, "xb1\nxa2\nxc3\n");
    b.selection->SelectBox(1, 1, 3, 2);
    EXPECT_TRUE(b.Run("sh -c 'tr \"\\r\\n\" RN < \"$0\"' %T", "O").started);
    EXPECT_EQ(b.Output(), "|bNaNcN");

    std::string seq;
    for (int i = 1; i <= 300000; ++i) seq += std::to_string(i) + "\n";
    Fixture o;
    o.Run("seq 1 300000", "O");
    EXPECT_EQ(o.Output(), "|" + seq);
    // At the caret in two parts apart in time, undone as one step (within the undo limit).
    seq.clear();
    for (int i = 1; i <= 100000; ++i) seq += std::to_string(i) + "\n";
    Fixture e(Enc::kSjis, "[]");
    e.editor.view->SetCaret(1, 1);
    e.Run("sh -c 'seq 1 50000; sleep 0.2; seq 50001 100000'", "E");
    EXPECT_EQ(e.editor.Marked(), "[" + seq + "|]");
    e.editor.view->Execute(editing::CommandId::Undo);
    EXPECT_EQ(e.editor.Marked(), "[|]");
}

// Anything that changes the target while the output pours in (a user typing into it) ends the
// insertion: what came before stays, with what was typed, and the status bar says why.
TEST(ShellRun, TypingIntoTheTargetStopsTheOutput) {
    Fixture f;
    bool typed = false;
    f.env.escapePressed = [&] {
        if (!typed && f.Output().find("one") != std::string::npos) {
            editing::CElwView& out = *f.windows.editors[0]->view;
            out.SetCaret(1, 0);
            out.InsertText("X");
            typed = true;
        }
        return false;
    };
    ShellRunResult r = f.Run("sh -c 'echo one; sleep 0.3; echo two'", "O");
    EXPECT_TRUE(r.started);
    EXPECT_TRUE(r.stopped);
    EXPECT_TRUE(typed);
    EXPECT_EQ(f.Output(), "X|one\n");
    ASSERT_FALSE(f.ui.statusTexts.empty());
    EXPECT_EQ(f.ui.statusTexts.back(), kShellTargetChanged);
}

// Escape while a filter runs: nothing is replaced, the program goes on.
TEST(ShellRun, EscapeDuringAFilterReplacesNothing) {
    Fixture f(Enc::kSjis, "b\na\n");
    testing::TempDir dir;
    const std::string mark = dir.File("done");
    f.stopAtPoll = 2;
    ShellRunResult r = f.Run("sh -c 'sleep 0.3; sort \"$0\"; : > " + mark + "' %T", "");
    EXPECT_TRUE(r.started);
    EXPECT_TRUE(r.stopped);
    EXPECT_EQ(f.editor.Marked(), "b\na\n|");  // selected whole, nothing replaced
    for (int i = 0; i < 300 && !std::filesystem::exists(mark); ++i) usleep(10000);
    EXPECT_TRUE(std::filesystem::exists(mark));
}

struct Recorded : editing::CommandRecorder {
    void RecordCommand(editing::CommandId) override {}
    void RecordChar(uint16_t, int) override {}
    void RecordFrameCommand(uint16_t id, const std::vector<std::string>& texts) override {
        std::string line = std::to_string(id);
        for (const std::string& t : texts) line += "|" + t;
        lines.push_back(line);
    }
    std::vector<std::string> lines;
};

TEST(ShellRun, LauncherEntriesSaveFirstAndRunInTheirFolder) {
    testing::TempDir dir;
    std::filesystem::create_directories(dir.File("sub dir"));
    Fixture f;
    f.editor.doc.path = dir.File("sub dir") + "/main.c";
    Recorded recorded;
    f.env.recorder = &recorded;
    int saves = 0, allSaves = 0;
    bool saveWorks = true;
    f.env.saveCurrent = [&] { return ++saves, saveWorks; };
    f.env.saveAll = [&] { return ++allSaves, saveWorks; };
    DataFile data;
    data.shell[0] = {"here", "pwd", "%D", "OS"};
    data.shell[1] = {"missing", "pwd", dir.File("no such folder"), "O"};
    data.shell[2] = {"title only", " ", "", "O"};
    data.shell[25] = {"all", "pwd", "", "OAS"};
    ShellRun run(f.env);
    EXPECT_TRUE(run.RunEntry(data, 0).started);
    EXPECT_EQ(f.Output(), "|" + dir.File("sub dir") + "\n");
    EXPECT_EQ(saves, 1);
    // A folder that does not exist is a start failure.
    EXPECT_FALSE(run.RunEntry(data, 1).started);
    ASSERT_EQ(f.ui.messages.size(), 1u);
    EXPECT_EQ(f.ui.messages[0], kShellStartFailed);
    // Empty entries and numbers outside A to Z do nothing, not even a message.
    for (int n : {2, 3, -1, 26}) EXPECT_FALSE(run.RunEntry(data, n).started) << n;
    EXPECT_EQ(f.ui.messages.size(), 1u);
    // With A, S is not looked at; a failed save runs nothing.
    EXPECT_TRUE(run.RunEntry(data, 25).started);
    EXPECT_EQ(allSaves, 1);
    EXPECT_EQ(saves, 1);
    saveWorks = false;
    const std::string before = f.Output();
    EXPECT_FALSE(run.RunEntry(data, 0).started);
    EXPECT_FALSE(run.RunEntry(data, 25).started);
    EXPECT_EQ(f.Output(), before);
    EXPECT_EQ(f.ui.messages.size(), 1u);
    // Confirmed runs are recorded with their line and options, or their index.
    EXPECT_TRUE(run.RunLine("true", tools::ParseShellOptions("CI")).started);
    ASSERT_GE(recorded.lines.size(), 3u);
    EXPECT_EQ(recorded.lines[0], "58466|0");
    EXPECT_EQ(recorded.lines.back(), "58465|true|IC");
}

}  // namespace
}  // namespace norv::app
