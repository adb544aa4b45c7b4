// Resident scripts on an editor without windows: staying and ending, the walk over the list at
// an event with its codes and values, results that cancel, runs that change the list during a
// walk, events raised from inside a resident's own run, and the document and key occasions.
#include <gtest/gtest.h>

#include "app/key_input.h"
#include "app/scripting/fake_script_editor.h"
#include "app/scripting/resident_events.h"
#include "platform/fakes/memory_file_system.h"
#include "script/resident_list.h"

namespace norv::app::testing {
namespace {

using script::RunResult;

// A resident that logs each run as "NAME code parma parmstra" and returns `result`.
std::string Logger(const std::string& name, const std::string& result = "0",
                   const std::string& more = "") {
    return "DIM runs\nMAIN\nruns = runs + 1\nIF .NORVSTATE = 0 THEN STAYRESIDENT\n"
           "MSGBOX(\"" +
           name + " \" + STR(.NORVSTATE) + \" \" + STR(.PARMA) + \" \" + .PARMSTRA)\n" + more +
           "\nRETURN " + result + "\nEND MAIN\n";
}

struct Residents {
    Residents() {
        ed.settingsFolder = dir.path();
        platform::SetSystemCodePage(932);
    }
    void Write(const std::string& file, const std::string& source) { dir.Write(file, source); }
    ScriptOutcome Start(const std::string& name) { return RunScriptFile(ed.host, name); }
    bool Raise(ResidentEvent e, int32_t a = 0, std::string_view s = {}) {
        return ed.host.RaiseEvent(e, a, s);
    }
    std::vector<std::string> Titles() {
        std::vector<std::string> t;
        for (const auto& r : ed.host.residents->Snapshot()) t.push_back(r.title);
        return t;
    }
    std::vector<std::string> TakeMessages() {
        std::vector<std::string> m;
        m.swap(ed.messages());
        return m;
    }
    ScratchFolder dir;
    FakeScriptEditor ed;
};

TEST(ResidentList, TitlesAreFileNamesInFullComparedWithoutCase) {
    EXPECT_EQ(script::ScriptTitle("/a/b.c/Clock.NRS"), "Clock");
    EXPECT_EQ(script::ScriptTitle("Clock"), "Clock");
    EXPECT_EQ(script::ScriptTitle("/x/.hidden"), ".hidden");
    EXPECT_TRUE(script::SameTitle("clock", "CLOCK"));
    EXPECT_FALSE(script::SameTitle("clock", "clocks"));
    // Non-ASCII bytes compare as they are.
    EXPECT_FALSE(script::SameTitle("\x82\x60", "\x82\x81"));
}

TEST(Residents, StayKeepsGlobalsAndTheListHoldsEachTitleOnce) {
    Residents r;
    r.Write("Count.NRS", Logger("count", "0", "MSGBOX(STR(runs))"));
    ASSERT_EQ(r.Start("Count"), ScriptOutcome::kDone);
    EXPECT_EQ(r.Titles(), (std::vector<std::string>{"Count"}));
    r.Raise(ResidentEvent::kTimer);
    r.Raise(ResidentEvent::kTimer);
    EXPECT_EQ(r.TakeMessages(), (std::vector<std::string>{"count 0 0 ", "1", "count 11 0 ", "2",
                                                          "count 11 0 ", "3"}));
    // Started again (another case of the name): a new object replaces the old one in its place.
    r.Write("Other.NRS", Logger("other"));
    ASSERT_EQ(r.Start("Other"), ScriptOutcome::kDone);
    r.Write("COUNT.NRS", Logger("count"));
    ASSERT_EQ(r.Start("COUNT"), ScriptOutcome::kDone);
    EXPECT_EQ(r.Titles(), (std::vector<std::string>{"COUNT", "Other"}));
    r.TakeMessages();
    r.Raise(ResidentEvent::kNew);
    EXPECT_EQ(r.TakeMessages(), (std::vector<std::string>{"count 3 0 ", "other 3 0 "}));
    // A script that does not stay leaves nothing; one that ends itself leaves.
    r.Write("Once.NRS", "MAIN\nMSGBOX(\"once\")\nEND MAIN\n");
    r.Write("Quit.NRS",
            "MAIN\nIF .NORVSTATE = 0 THEN\nSTAYRESIDENT\nELSE\nTERMINATE\nEND IF\nEND MAIN\n");
    r.Start("Once");
    r.Start("Quit");
    EXPECT_EQ(r.Titles(), (std::vector<std::string>{"COUNT", "Other", "Quit"}));
    r.Raise(ResidentEvent::kNew);
    EXPECT_EQ(r.Titles(), (std::vector<std::string>{"COUNT", "Other"}));
}

TEST(Residents, TwoLongNamesAlikeInTheirFirst64BytesAreTwoResidents) {
    Residents r;
    const std::string stem(70, 'L');
    r.Write(stem + "A.NRS", Logger("a"));
    r.Write(stem + "B.NRS", Logger("b"));
    r.Start(stem + "A");
    r.Start(stem + "B");
    EXPECT_EQ(r.Titles(), (std::vector<std::string>{stem + "A", stem + "B"}));
}

TEST(Residents, EveryResidentHearsAnEventInOrderAndAnyNonZeroResultCancels) {
    const struct {
        const char* first;
        const char* second;
        bool cancelled;
    } kCases[] = {
        {"0", "0", false},
        {"1", "0", true},
        {"0", "-1", true},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(std::string(c.first) + "/" + c.second);
        Residents r;
        r.Write("One.NRS", Logger("one", c.first));
        r.Write("Two.NRS", Logger("two", c.second));
        r.Start("One");
        r.Start("Two");
        r.TakeMessages();
        r.ed.host.SetRunContext(0);
        EXPECT_EQ(r.Raise(ResidentEvent::kOpen, 0, "/tmp/x.txt"), c.cancelled);
        EXPECT_EQ(r.TakeMessages(),
                  (std::vector<std::string>{"one 1 0 /tmp/x.txt", "two 1 0 /tmp/x.txt"}));
        EXPECT_EQ(r.ed.host.runContext, 0);
    }
}

TEST(Residents, CodesAndValuesAreRestoredAroundTheWalk) {
    Residents r;
    r.Write("Set.NRS", Logger("set", "0", ".PARMA = 99\n.PARMSTRA = \"changed\""));
    r.Start("Set");
    r.TakeMessages();
    r.ed.host.SetRunContext(5);
    r.ed.host.editorState = 4;
    r.ed.host.parmA = 3;
    r.ed.host.parmStrA = "outer";
    r.Raise(ResidentEvent::kKey, 0x141);
    EXPECT_EQ(r.TakeMessages(), (std::vector<std::string>{"set 8 321 "}));
    EXPECT_EQ(r.ed.host.runContext, 5);
    EXPECT_EQ(r.ed.host.editorState, 4);
    EXPECT_EQ(r.ed.host.parmA, 3);
    EXPECT_EQ(r.ed.host.parmStrA, "outer");
}

TEST(Residents, RunsThatEndReplaceOrStartResidentsLeaveTheWalkAlone) {
    Residents r;
    // First ends itself; Second starts Third and starts a new Fourth in place of the old one.
    r.Write("First.NRS", Logger("first", "0", "IF .NORVSTATE = 3 THEN TERMINATE"));
    r.Write(
        "Second.NRS",
        Logger("second", "0", "IF .NORVSTATE = 3 THEN\nRUN(\"Third\")\nRUN(\"Fourth\")\nEND IF"));
    r.Write("Third.NRS", Logger("third"));
    r.Write("Fourth.NRS", Logger("fourth", "0", "IF .NORVSTATE = 0 THEN MSGBOX(STR(runs))"));
    r.Start("First");
    r.Start("Second");
    r.Start("Fourth");
    r.TakeMessages();
    r.Raise(ResidentEvent::kNew);
    // The replaced Fourth hears nothing more; the new Fourth and Third hear the next event.
    EXPECT_EQ(r.TakeMessages(), (std::vector<std::string>{"first 3 0 ", "second 3 0 ", "third 0 0 ",
                                                          "fourth 0 0 ", "1"}));
    EXPECT_EQ(r.Titles(), (std::vector<std::string>{"Second", "Fourth", "Third"}));
    r.Raise(ResidentEvent::kClose);
    EXPECT_EQ(r.TakeMessages(),
              (std::vector<std::string>{"second 6 0 ", "fourth 6 0 ", "third 6 0 "}));
}

// An editor whose message pump raises one event, as a key arriving during a script's DOEVENTS.
class PumpingEditor : public FakeScriptEditor {
  public:
    void PumpMessages() override {
        FakeScriptEditor::PumpMessages();
        if (!pumpEvent) return;
        pumpEvent = false;
        pumpCancelled = host.RaiseEvent(ResidentEvent::kKey, 0x41);
    }
    bool pumpEvent = false, pumpCancelled = false;
};

TEST(Residents, AnEventFromAResidentsOwnRunSkipsItAndReachesTheOthers) {
    ScratchFolder dir;
    PumpingEditor ed;
    ed.settingsFolder = dir.path();
    dir.Write("Pump.NRS",
              "DIM runs\nMAIN\nruns = runs + 1\nIF .NORVSTATE = 0 THEN STAYRESIDENT\n"
              "IF .NORVSTATE = 3 THEN\nDOEVENTS\n"
              "MSGBOX(\"after \" + STR(runs) + \" \" + STR(.NORVSTATE))\nEND IF\nEND MAIN\n");
    dir.Write("Take.NRS", Logger("take", "1"));
    ASSERT_EQ(RunScriptFile(ed.host, "Pump"), ScriptOutcome::kDone);
    ASSERT_EQ(RunScriptFile(ed.host, "Take"), ScriptOutcome::kDone);
    ed.messages().clear();
    ed.pumpEvent = true;
    EXPECT_TRUE(ed.host.RaiseEvent(ResidentEvent::kNew));
    // Pump's stack and globals stay its own: it goes on after DOEVENTS with its own code.
    EXPECT_EQ(ed.messages(), (std::vector<std::string>{"take 8 65 ", "after 2 3", "take 3 0 "}));
    EXPECT_TRUE(ed.pumpCancelled);
}

TEST(Residents, ABreakFaultOrLoopStopsOnlyThatRun) {
    Residents r;
    r.Write("Loop.NRS",
            "MAIN\nIF .NORVSTATE = 0 THEN\nSTAYRESIDENT\nRETURN 0\nEND IF\nDO WHILE 1\nLOOP\nEND "
            "MAIN\n");
    r.Write("Bad.NRS",
            "DIM z\nMAIN\nIF .NORVSTATE = 0 THEN\nSTAYRESIDENT\nRETURN 0\nEND IF\n"
            "MSGBOX(STR(1 / z))\nEND MAIN\n");
    r.Write("Fine.NRS", Logger("fine"));
    ASSERT_EQ(r.Start("Loop"), ScriptOutcome::kDone);
    ASSERT_EQ(r.Start("Bad"), ScriptOutcome::kDone);
    ASSERT_EQ(r.Start("Fine"), ScriptOutcome::kDone);
    r.TakeMessages();
    r.ed.breakAtPoll = 2;
    EXPECT_FALSE(r.Raise(ResidentEvent::kTimer));
    const std::vector<std::string> m = r.TakeMessages();
    ASSERT_EQ(m.size(), 2u);
    EXPECT_EQ(m[1], "fine 11 0 ");
    EXPECT_EQ(r.Titles(), (std::vector<std::string>{"Loop", "Bad", "Fine"}));
}

TEST(Residents, NoEventWhileTheEditorsSilentSearchRuns) {
    Residents r;
    r.ed.Open({"x"});
    r.Write("Log.NRS", Logger("log"));
    r.Start("Log");
    r.TakeMessages();
    ++r.ed.shared.residentEventsSuppressed;
    r.Raise(ResidentEvent::kKey, 1);
    --r.ed.shared.residentEventsSuppressed;
    r.Raise(ResidentEvent::kKey, 2);
    EXPECT_EQ(r.TakeMessages(), (std::vector<std::string>{"log 8 2 "}));
}

TEST(Residents, AHostThatGoesTakesItsObjectsOffTheSharedList) {
    Residents r;
    r.Write("Log.NRS", Logger("log"));
    {
        FakeScriptEditor other;
        other.settingsFolder = r.dir.path();
        other.host.residents = r.ed.host.residents;
        RunScriptFile(other.host, "Log");
        EXPECT_EQ(r.Titles().size(), 1u);
        // An event raised through either host runs the object on its own host.
        r.Raise(ResidentEvent::kTimer);
        EXPECT_EQ(other.messages().back(), "log 11 0 ");
    }
    EXPECT_TRUE(r.Titles().empty());
}

TEST(ResidentEvents, CharacterCodesOfTypedText) {
    platform::SetSystemCodePage(932);
    EXPECT_EQ(CharacterCodes("a\x82\xA0"
                             "b",
                             932),
              (std::vector<uint16_t>{0x61, 0x82A0, 0x62}));
    // A UTF-8 document's characters in the system code page; one it lacks gives no code.
    EXPECT_EQ(CharacterCodes("x\xE3\x81\x82\xC3\xA9", platform::kCodePageUtf8),
              (std::vector<uint16_t>{0x78, 0x82A0}));
}

// ---- the occasions in the document and the key input ------------------------------------------

class EventHooks : public document::DocumentHooks {
  public:
    explicit EventHooks(EditorScriptHost& host) : host_(host) {}
    bool OnOpenEvent(document::CElwDoc&, const std::string& path) override {
        return !host_.RaiseEvent(ResidentEvent::kOpen, 0, path);
    }
    bool OnBeforeSave(document::CElwDoc&, const std::string& target) override {
        return !host_.RaiseEvent(ResidentEvent::kBeforeSave, 0, target);
    }
    void OnAfterSave(document::CElwDoc& doc) override {
        host_.RaiseEvent(ResidentEvent::kAfterSave, 0, doc.path);
    }

  private:
    EditorScriptHost& host_;
};

TEST(ResidentEvents, OpensAndSavesAreSeenAndCancelledWithTheirPaths) {
    Residents r;
    // Refuses to open or save names holding "nay".
    r.Write("Guard.NRS", Logger("guard", "INSTR(.PARMSTRA, \"nay\")"));
    ASSERT_EQ(r.Start("Guard"), ScriptOutcome::kDone);
    r.TakeMessages();
    EventHooks hooks(r.ed.host);
    r.ed.env.hooks = &hooks;
    const std::string yes = r.dir.Write("yes.txt", "text\n");
    const std::string no = r.dir.Write("nay.txt", "text\n");
    document::CElwDoc refused(r.ed.env);
    EXPECT_EQ(refused.OpenDocument(no), 0);
    document::CElwDoc doc(r.ed.env);
    ASSERT_EQ(doc.OpenDocument(yes), 1);
    EXPECT_EQ(r.TakeMessages(), (std::vector<std::string>{"guard 1 0 " + no, "guard 1 0 " + yes}));
    doc.SetModified(true);
    EXPECT_EQ(doc.DoSave(r.dir.path() + "/nay2.txt", false), 0);
    EXPECT_TRUE(doc.modified);
    EXPECT_EQ(r.dir.Read("nay2.txt"), "");
    EXPECT_EQ(doc.DoSave("", false), 1);
    EXPECT_EQ(r.TakeMessages(), (std::vector<std::string>{"guard 4 0 " + r.dir.path() + "/nay2.txt",
                                                          "guard 4 0 " + yes, "guard 5 0 " + yes}));
    // Auto-save's copies are no saves of the document: nothing is raised.
    doc.SetModified(true);
    EXPECT_EQ(doc.SaveDocument(r.dir.path() + "/copy.txt"), 1);
    EXPECT_TRUE(r.TakeMessages().empty());
    r.ed.env.hooks = nullptr;
}

}  // namespace
}  // namespace norv::app::testing
