// The editor's script host on documents without windows: line handles and their walks, stale
// and invented handles, the caret, text and selection built-ins, read-only and UTF-8 documents
// seen from a Shift-JIS script, slot built-ins reaching their commands, and COMMAND.
#include <gtest/gtest.h>

#include "app/scripting/fake_script_editor.h"

namespace norv::app::testing {
namespace {

using document::TextCode;

TEST(ScriptLines, WalksReadsAndCountsLines) {
    FakeScriptEditor ed;
    ed.Open({"one", "two", "three"});
    ed.Run(Main(R"(
h = GETTOPLINE()
WHILE h <> 0
  MSGBOX(STR(GETCOUNT(h)) + ":" + LOADTHISLINE(h))
  h = GETNEXT(h)
WEND
h = GETTHISLINE(3)
MSGBOX(LOADTHISLINE(GETPREV(h)) + "," + STR(GETPREV(GETTOPLINE())) + "," + STR(GETTHISLINE(4)))
MSGBOX(STR(GETCOUNT(0)) + LOADTHISLINE(0))
)"));
    EXPECT_EQ(ed.messages(),
              (std::vector<std::string>{"1:one", "2:two", "3:three", "two,0,0", "1one"}));
}

TEST(ScriptLines, MarksAreSetWalkedAndTested) {
    FakeScriptEditor ed;
    ed.Open({"a", "b", "c", "d"});
    ed.Run(Main(R"(
SETMARK(1, GETTHISLINE(2))
SETMARK(1, GETTHISLINE(4))
h = GETNEXTMARK(GETTOPLINE())
MSGBOX(STR(GETCOUNT(h)) + STR(GETCOUNT(GETNEXTMARK(h))) + STR(GETNEXTMARK(GETTHISLINE(4))))
MSGBOX(STR(GETCOUNT(GETPREVMARK(GETTHISLINE(4)))) + STR(ISMARKED(h)) + STR(ISMARKED(0)))
SETMARK(0, h)
MSGBOX(STR(ISMARKED(h)))
)"));
    EXPECT_EQ(ed.messages(), (std::vector<std::string>{"240", "210", "0"}));
    EXPECT_TRUE(ed.win().doc->bookmarksChanged);
}

TEST(ScriptLines, SaveThisLineSplitsAtEveryLineEndAndReturnsTheLastLine) {
    FakeScriptEditor ed;
    ed.Open({"a", "b", "c"});
    ed.Run(Main(R"(
h = SAVETHISLINE(GETTHISLINE(2), "x" + CHR(13) + CHR(10) + "y" + CHR(13) + "z" + CHR(10) + "w")
MSGBOX(LOADTHISLINE(h) + LOADTHISLINE(GETNEXT(h)) + STR(GETCOUNT(h)))
)"));
    EXPECT_EQ(ed.Lines(ed.win()), (std::vector<std::string>{"a", "x", "y", "z", "w", "c"}));
    EXPECT_EQ(ed.messages(), (std::vector<std::string>{"wc5"}));
    // One undo step takes the whole write back.
    ed.win().view->Execute(editing::CommandId::Undo);
    EXPECT_EQ(ed.Lines(ed.win()), (std::vector<std::string>{"a", "b", "c"}));
}

TEST(ScriptLines, TextPastARecordGoesOnInContinuedLinesSavedWithoutALineEnd) {
    ScratchFolder dir;
    FakeScriptEditor ed;
    ed.Open({"a", "b"});
    ed.Run(Main(R"(
s = SPACE(70000)
h = SAVETHISLINE(GETTOPLINE(), s + "!")
MSGBOX(STR(GETCOUNT(h)))
)"));
    const auto lines = ed.Lines(ed.win());
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].size(), 65534u);
    EXPECT_TRUE(ed.win().doc->lines().first()->flags & document::LF_CONTINUED);
    EXPECT_EQ(ed.messages(), (std::vector<std::string>{"2"}));
    ASSERT_TRUE(ed.SaveActiveAs(dir.path() + "/out.txt"));
    EXPECT_EQ(dir.Read("out.txt"), std::string(70000, ' ') + "!\r\nb");
    // Undo gives the old line back as a line of its own; Redo the long line still whole.
    ed.win().view->Execute(editing::CommandId::Undo);
    EXPECT_EQ(ed.Lines(ed.win()), (std::vector<std::string>{"a", "b"}));
    ASSERT_TRUE(ed.SaveActiveAs(dir.path() + "/undone.txt"));
    EXPECT_EQ(dir.Read("undone.txt"), "a\r\nb");
    ed.win().view->Execute(editing::CommandId::Redo);
    ASSERT_TRUE(ed.SaveActiveAs(dir.path() + "/redone.txt"));
    EXPECT_EQ(dir.Read("redone.txt"), std::string(70000, ' ') + "!\r\nb");
}

// Every handle that names no line of the document now fails the same way, and a write through
// it changes nothing: not a line, not a mark, not the modified flag.
TEST(ScriptLines, StaleAndInventedHandlesFail) {
    const std::string probe = R"(
MSGBOX(LOADTHISLINE(h) + "|" + STR(SAVETHISLINE(h, "new")) + STR(GETNEXT(h)) + STR(GETPREV(h)) + STR(GETCOUNT(h)) + STR(ISMARKED(h)) + STR(GETNEXTMARK(h)))
SETMARK(1, h)
)";
    struct Case {
        const char* what;
        std::string make;  // leaves in h a handle that names nothing
    };
    const Case cases[] = {
        {"invented", "h = 123456789"},
        {"negative", "h = -5"},
        {"deleted line", "h = GETTHISLINE(2)\nGOTOTHERE(2, 1)\nCOMMAND(\"DeleteLine\")"},
        {"deleted and popped back",
         "h = GETTHISLINE(2)\nGOTOTHERE(2, 1)\nCOMMAND(\"DeleteLine\")\nCOMMAND(\"PopLine\")"},
        {"line made then undone",
         "h = SAVETHISLINE(GETTHISLINE(3), \"p\" + CHR(10) + \"q\")\nCOMMAND(\"Undo\")"},
        {"line joined away", "h = GETTHISLINE(3)\nGOTOTHERE(2, 4)\nCOMMAND(\"DeleteChar\")"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakeScriptEditor ed;
        ed.Open({"one", "two", "three", "four"});
        ed.Run(Main(c.make + "\nMSGBOX(STR(h))"));
        ASSERT_EQ(ed.messages().size(), 1u);
        const std::string h = ed.messages()[0];
        const auto before = ed.Lines(ed.win());
        const bool modified = ed.win().doc->modified;
        uint8_t flags = 0;
        for (auto* r = ed.win().doc->lines().first(); r; r = r->next) flags |= r->flags;
        ed.Run(Main("h = " + h + "\n" + probe));
        EXPECT_EQ(ed.messages().back(), "|000000");
        EXPECT_EQ(ed.Lines(ed.win()), before);
        EXPECT_EQ(ed.win().doc->modified, modified);
        uint8_t after = 0;
        for (auto* r = ed.win().doc->lines().first(); r; r = r->next) after |= r->flags;
        EXPECT_EQ(after & document::LF_MARK, flags & document::LF_MARK);
    }
    // A handle kept across a reload of every line (the lines were all replaced).
    FakeScriptEditor ed;
    ed.Open({"one", "two"});
    uint32_t kept = ed.win().doc->lineHandles.HandleOf(ed.win().doc->lines().first());
    EXPECT_NE(ed.win().doc->lineHandles.Find(kept), nullptr);
    ed.win().doc->lines().Reset();
    EXPECT_EQ(ed.win().doc->lineHandles.Find(kept), nullptr);
}

TEST(ScriptLines, AStaleWriteLeavesLinesMarksAndTheModifiedFlag) {
    FakeScriptEditor ed;
    ed.Open({"one", "two", "three"});
    ed.win().doc->lines().first()->flags |= document::LF_MARK;
    ed.Run(
        Main("h = GETTHISLINE(2)\nGOTOTHERE(2, 1)\nCOMMAND(\"DeleteLine\")\nCOMMAND(\"Undo\")\n"
             "MSGBOX(STR(SAVETHISLINE(h, \"x\")))\nSETMARK(1, h)\nSETMARK(0, h)"));
    EXPECT_EQ(ed.messages(), (std::vector<std::string>{"0"}));
    EXPECT_EQ(ed.Lines(ed.win()), (std::vector<std::string>{"one", "two", "three"}));
    EXPECT_TRUE(ed.win().doc->lines().first()->flags & document::LF_MARK);
    EXPECT_FALSE(ed.win().doc->lines().first()->next->flags & document::LF_MARK);
}

TEST(ScriptHost, ViewBuiltinsWithoutAViewLeaveTheResult) {
    FakeScriptEditor ed;
    ed.Run(Main(R"(
n = LEN("abcde")
h = GETTOPLINE()
s = LOADTHISLINE(0)
MSGBOX(STR(h) + STR(GETCOUNT(0)) + STR(SAVETHISLINE(0, "x")) + STR(ISMODIFIED(0)))
INSERTSTRING("x")
DELSELECT()
GOTOTHERE(1, 1)
)"));
    ASSERT_EQ(ed.messages().size(), 1u);
    // Each call pushed the register as the call before left it.
    EXPECT_EQ(ed.messages()[0].substr(0, 1), "5");
}

TEST(ScriptText, CaretCharWordInsertAndSelection) {
    FakeScriptEditor ed;
    ed.Open({"hello world", Sjis("日本語abc")});
    ed.Run(Main(R"(
GOTOTHERE(1, 8)
MSGBOX(GETCURSORWORD() + STR(GETCURRENTCHAR()))
GOTOTHERE(2, 1)
MSGBOX(HEX(GETCURRENTCHAR()) + "," + STR(LEN(GETCURSORWORD())))
GOTOTHERE(1, 12)
MSGBOX(STR(GETCURRENTCHAR()))
INSERTSTRING("!" + CHR(13) + "new")
MSGBOX(STR(ISMODIFIED()))
SETMODIFIED(0)
MSGBOX(STR(ISMODIFIED()))
)"));
    EXPECT_EQ(ed.messages(), (std::vector<std::string>{"world111", "93fa,6", "13", "1", "0"}));
    EXPECT_EQ(ed.Lines(ed.win()),
              (std::vector<std::string>{"hello world!", "new", Sjis("日本語abc")}));

    ed.win().selection->Select(1, 6, 3, 2);
    ed.headless.messages.clear();
    ed.Run(Main("s = GETSELECTED()\nMSGBOX(STR(LEN(s)) + \":\" + s)\nDELSELECT()"));
    // (Message boxes show UTF-8.)
    EXPECT_EQ(ed.messages(), (std::vector<std::string>{"15:world!\r\nnew\r\n日"}));
    EXPECT_EQ(ed.Lines(ed.win()), (std::vector<std::string>{"hello " + Sjis("本語abc")}));
}

TEST(ScriptText, ReadOnlyDocumentsAreNeverChanged) {
    FakeScriptEditor ed;
    ed.Open({"one", "two"});
    ed.win().doc->readOnly = true;
    ed.win().selection->Select(1, 0, 1, 2);
    ed.Run(Main(R"(
MSGBOX(STR(SAVETHISLINE(0, "x")))
INSERTSTRING("y")
INPUTCHAR(65)
DELSELECT()
MSGBOX(STR(REPLACE("o", "0", "N")))
)"));
    EXPECT_EQ(ed.messages().front(), "0");
    EXPECT_EQ(ed.Lines(ed.win()), (std::vector<std::string>{"one", "two"}));
    EXPECT_FALSE(ed.win().doc->modified);
}

// A UTF-8 document seen from a Shift-JIS script: what the code page has is converted both
// ways; a line holding what it lacks reads with "?" and is never written over.
TEST(ScriptText, Utf8DocumentUnderCodePage932) {
    FakeScriptEditor ed;
    ed.Open({"日本語", "caf\xC3\xA9 ok", "plain"}, TextCode::kUtf8);
    ed.Run(Main(R"(
h = GETTOPLINE()
s = LOADTHISLINE(h)
MSGBOX(STR(LEN(s)))
MSGBOX(STR(GETCOUNT(SAVETHISLINE(h, s + "!"))))
h = GETNEXT(h)
MSGBOX(LOADTHISLINE(h))
MSGBOX(STR(SAVETHISLINE(h, "x")))
GOTOTHERE(3, 6)
INSERTSTRING(CHR(&H93FA))
)"));
    EXPECT_EQ(ed.messages()[0], "6");
    EXPECT_EQ(ed.messages()[1], "1");
    EXPECT_EQ(ed.messages()[2], "caf? ok");
    EXPECT_EQ(ed.messages()[3], "0");
    ASSERT_EQ(ed.notices.size(), 1u);
    EXPECT_NE(ed.notices[0].find("Line 2"), std::string::npos);
    EXPECT_EQ(ed.Lines(ed.win()),
              (std::vector<std::string>{"日本語!", "caf\xC3\xA9 ok", "plain日"}));
}

TEST(ScriptText, TypingOrInsertingOverUnseenCharactersIsRefused) {
    FakeScriptEditor ed;
    ed.Open({"x\xC3\xA9y"}, TextCode::kUtf8);
    ed.win().selection->Select(1, 0, 1, 4);
    ed.Run(Main("INSERTSTRING(\"a\")\nINPUTCHAR(66)"));
    EXPECT_EQ(ed.Lines(ed.win()), (std::vector<std::string>{"x\xC3\xA9y"}));
    EXPECT_EQ(ed.notices.size(), 2u);
}

TEST(ScriptCommands, ByNameUnknownAndNotYetBuilt) {
    FakeScriptEditor ed;
    ed.Open({"a", "b", "c"});
    // Every command of the table is carried out: none reports that it is not available.
    ed.Run(Main(R"(
COMMAND("TextBot")
MSGBOX(STR(GETCOUNT(0)))
COMMAND("textbot")
COMMAND("JukeBox")
MSGBOX("goes on")
)"));
    EXPECT_EQ(ed.messages(),
              (std::vector<std::string>{"3", "Function \"textbot\" is not found.", "goes on"}));
    EXPECT_TRUE(ed.notices.empty());
    EXPECT_EQ(ed.commands, (std::vector<std::string>{"TextBot", "JukeBox"}));
}

TEST(ScriptSlots, FindAndReplaceTakeTheScriptsArgumentsOrAsk) {
    FakeScriptEditor ed;
    ed.Open({"foo bar", "bar foo", "baz"});
    ed.Run(Main(R"(
MSGBOX(STR(FINDFOR("bar", "")) + STR(GETCOUNT(0)))
MSGBOX(STR(FINDFOR("nothing", "")))
MSGBOX(STR(FINDBACK("foo", "")))
MSGBOX(STR(REPLACE("foo", "X", "N")))
MSGBOX(STR(FINDFOR("", "")))
MSGBOX(STR(FINDFOR(s, "")))
)"));
    EXPECT_EQ(ed.messages(),
              (std::vector<std::string>{"11", "0", "1", "2 words are replaced", "2", "0", "0"}));
    EXPECT_EQ(ed.findDialogs, 2);
    EXPECT_EQ(ed.Lines(ed.win()), (std::vector<std::string>{"X bar", "bar X", "baz"}));
}

TEST(ScriptSlots, GrepAndOpenHandOverTheirArguments) {
    FakeScriptEditor ed;
    ed.Open({"a"});
    ed.Run(Main(R"(
MSGBOX(STR(GREP("needle", "/tmp", s, "")))
MSGBOX(STR(FILEOPEN("/tmp/x.txt", 7)) + STR(FILEOPEN("", 0)) + STR(SAVEAS("")))
)"));
    ASSERT_EQ(ed.greps.size(), 1u);
    EXPECT_EQ(ed.greps[0].searchString, "needle");
    EXPECT_EQ(ed.greps[0].folder, "/tmp");
    EXPECT_FALSE(ed.greps[0].masks.has_value());
    EXPECT_EQ(ed.greps[0].options, "");
    EXPECT_EQ(ed.messages(), (std::vector<std::string>{"3", "100"}));
    EXPECT_EQ(ed.opened, (std::vector<std::string>{"/tmp/x.txt", ""}));
}

TEST(ScriptSlots, FileCommandsReportWhatHappened) {
    ScratchFolder dir;
    FakeScriptEditor ed;
    ed.Open({"first", "second"});
    ed.win().selection->Select(1, 0, 2, 0);
    const std::string out = dir.path() + "/sel.txt";
    ed.Run(Main("MSGBOX(STR(COPYTOFILE(\"" + out + "\")) + STR(APPENDFILE(\"" + out +
                "\")) + STR(COPYTOFILE(\"" + dir.path() + "/no/such/x\")) + STR(PASTEFROMFILE(\"" +
                dir.path() + "/missing\")))"));
    EXPECT_EQ(ed.messages(), (std::vector<std::string>{"1100"}));
    EXPECT_EQ(dir.Read("sel.txt"), "first\r\nfirst\r\n");
}

}  // namespace
}  // namespace norv::app::testing
