// Scripts running the editor's commands with their own values instead of the dialogs: Add
// String, Sort, Convert, external programs, the bookmark list, and commands by name; a value
// left out makes the command ask after all.
#include <gtest/gtest.h>

#include "app/scripting/fake_script_editor.h"

namespace norv::app::testing {
namespace {

using document::TextCode;

TEST(ScriptCommandSlots, AddStringTakesTheTextAndThePlace) {
    FakeScriptEditor ed;
    int asked = 0;
    ed.shared.addStringDialog = [&](editing::AddStringRequest& r) {
        ++asked;
        EXPECT_FALSE(r.textGiven);
        r.text = "?";
        return true;
    };
    ed.Open({"one", "two", "three"});
    ed.win().selection->Select(1, 0, 3, 0);
    // The text's escapes are the command's: "\t" is a tab.
    ed.Run(Main(R"(
ADDSTRING("\t> ", 0)
ADDSTRING("!", 7)
SELECTCANCEL()
ADDSTRING("not without a selection", 0)
)"));
    ed.win().selection->Select(3, 0, 3, 2);
    ed.Run(Main("ADDSTRING(s, 1)"));
    EXPECT_EQ(ed.Lines(ed.win()), (std::vector<std::string>{"\t> one!", "\t> two!", "three?"}));
    EXPECT_EQ(asked, 1);
}

TEST(ScriptCommandSlots, AddStringInAUtf8AndAReadOnlyDocument) {
    FakeScriptEditor ed;
    ed.Open({"行"}, TextCode::kUtf8);
    ed.win().selection->Select(1, 0, 1, 3);
    ed.Run(Main("ADDSTRING(\"" + Sjis("前") + "\", 0)"));
    EXPECT_EQ(ed.Lines(ed.win()), (std::vector<std::string>{"前行"}));
    ed.Open({"fixed"});
    ed.win().doc->readOnly = true;
    ed.win().selection->Select(1, 0, 1, 3);
    ed.Run(Main("ADDSTRING(\"x\", 0)"));
    EXPECT_EQ(ed.Lines(ed.win()), (std::vector<std::string>{"fixed"}));
}

TEST(ScriptCommandSlots, SortTakesDirectionCaseKeyAndTheTextToCompareAfter) {
    const struct {
        const char* call;
        std::vector<std::string> lines;
    } kCases[] = {
        {"SORT(0, 1, 0, \"\")", {"a=3", "b=1", "C=2"}},
        {"SORT(1, 0, 0, \"\")", {"b=1", "a=3", "C=2"}},
        {"SORT(0, 0, 0, \"=\")", {"b=1", "C=2", "a=3"}},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.call);
        FakeScriptEditor ed;
        int asked = 0;
        ed.shared.sortDialog = [&](editing::SortRequest&) { return ++asked, false; };
        ed.Open({"b=1", "C=2", "a=3"});
        ed.win().selection->Select(1, 0, 3, 3);
        ed.Run(Main(c.call));
        EXPECT_EQ(ed.Lines(ed.win()), c.lines);
        EXPECT_EQ(asked, 0);
    }
    // A value left out (-1, or a null text) asks; the dialog was cancelled here.
    FakeScriptEditor ed;
    int asked = 0;
    ed.shared.sortDialog = [&](editing::SortRequest& r) {
        ++asked;
        EXPECT_TRUE(r.descending);  // what was given fills the dialog
        return false;
    };
    ed.Open({"b", "a"});
    ed.win().selection->Select(1, 0, 2, 1);
    ed.Run(Main("SORT(1, 0, 0, s)\nSORT(1, -1, 0, \"\")"));
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(ed.Lines(ed.win()), (std::vector<std::string>{"b", "a"}));
    // The values are the script's for one command only: a later Sort by hand asks.
    EXPECT_FALSE(ed.shared.scriptSort.has_value());
}

TEST(ScriptCommandSlots, ConvertTakesCaseTabsWidthAndScope) {
    FakeScriptEditor ed;
    int asked = 0;
    ed.shared.convertDialog = [&](editing::ConvertRequest&) { return ++asked, false; };
    ed.Open({"ab cd", "ef"});
    ed.win().selection->Select(1, 0, 2, 2);
    ed.Run(Main("CONVERT(1, 0, 0, 2)"));
    EXPECT_EQ(ed.Lines(ed.win()), (std::vector<std::string>{"AB CD", "EF"}));
    ed.Run(Main("CONVERT(2, 0, 2, 0)"));
    EXPECT_EQ(ed.Lines(ed.win()), (std::vector<std::string>{Sjis("ａｂ ｃｄ"), Sjis("ｅｆ")}));
    EXPECT_EQ(asked, 0);
    ed.Run(Main("CONVERT(-1, 0, 0, 0)"));
    EXPECT_EQ(asked, 1);
    EXPECT_FALSE(ed.shared.scriptConvert.has_value());
}

TEST(ScriptCommandSlots, ShellCommandHandsOverLineAndOptions) {
    FakeScriptEditor ed;
    ed.Open({"a"});
    ed.Run(Main(R"(
MSGBOX(STR(SHELLCMD("sort %T", "E")))
MSGBOX(STR(SHELLCMD("", "O")))
MSGBOX(STR(SHELLCMD("ls", s)))
)"));
    EXPECT_EQ(ed.shells, (std::vector<std::string>{"sort %T|E", "<dialog>|O", "ls|<none>"}));
    EXPECT_EQ(ed.messages(), (std::vector<std::string>{"1", "0", "1"}));
    ed.shellStarts = false;
    ed.Run(Main("MSGBOX(STR(SHELLCMD(\"nothing\", \"\")))"));
    EXPECT_EQ(ed.messages().back(), "0");
}

TEST(ScriptCommandSlots, ShellMenuRunsItsEntryWithoutTheLauncher) {
    FakeScriptEditor ed;
    // A registered program needs no document.
    ed.Run(Main("MSGBOX(STR(SHELLMENU(0)))"));
    ed.Open({"a"});
    ed.Run(Main("MSGBOX(STR(SHELLMENU(25)))\nMSGBOX(STR(SHELLMENU(26)))"));
    EXPECT_EQ(ed.shells, (std::vector<std::string>{"menu|0", "menu|25", "menu|26"}));
    EXPECT_EQ(ed.messages(), (std::vector<std::string>{"1", "1", "0"}));
    // The launcher's dialog never opens for a script.
    EXPECT_TRUE(ed.commands.empty());
    ed.shellStarts = false;
    ed.Run(Main("MSGBOX(STR(SHELLMENU(3)))"));
    EXPECT_EQ(ed.messages().back(), "0");
}

TEST(ScriptCommandSlots, MarkListAndCommandsByName) {
    FakeScriptEditor ed;
    ed.Open({"a", "b"});
    ed.Run(
        Main("SHOWMARKLIST()\nCOMMAND(\"MarkLine\")\nCOMMAND(\"JukeBox\")\n"
             "MSGBOX(STR(ISMARKED(0)))"));
    EXPECT_EQ(ed.markLists, 1);
    EXPECT_EQ(ed.commands, (std::vector<std::string>{"MarkLine", "JukeBox"}));
    EXPECT_TRUE(ed.notices.empty());
    EXPECT_EQ(ed.messages(), (std::vector<std::string>{"1"}));
}

// A typed character goes through the program's key input, as a key would, in the document's
// code.
TEST(ScriptCommandSlots, InputCharTypesThroughTheKeyInput) {
    FakeScriptEditor ed;
    ed.Open({"ab"}, TextCode::kUtf8);
    ed.Run(Main("GOTOTHERE(1, 2)\nINPUTCHAR(&H93FA)\nINPUTCHAR(33)"));
    EXPECT_EQ(ed.pressed, "日!");
    EXPECT_EQ(ed.Lines(ed.win()), (std::vector<std::string>{"a日!b"}));
}

// Ctrl+Break during a command the script runs ends the script there.
TEST(ScriptCommandSlots, BreakDuringACommandEndsTheScript) {
    FakeScriptEditor ed;
    ed.Open({"a"});
    ed.breakAtPoll = 2;  // the first poll is the run's own, the second follows the command
    EXPECT_EQ(ed.Run(Main("SHELLCMD(\"x\", \"\")\nMSGBOX(\"after\")")),
              script::RunResult::kInterrupted);
    EXPECT_TRUE(ed.messages().empty());
}

}  // namespace
}  // namespace norv::app::testing
