// The commands that start kept scripts: add-in commands on resident and other scripts, the
// resident menu with its captions, Run Script over the open documents, the scripts that start
// with the program, and the script chooser's list.
#include "app/scripting/kept_scripts.h"

#include <gtest/gtest.h>

#include "app/config/data_file.h"
#include "app/scripting/fake_script_editor.h"

namespace norv::app::testing {
namespace {

// Logs "NAME code" and stays; at code 14 leaves `caption` in .PARMSTRA.
std::string Kept(const std::string& name, const std::string& caption = "") {
    return "MAIN\nIF .NORVSTATE = 0 THEN STAYRESIDENT\nMSGBOX(\"" + name +
           " \" + STR(.NORVSTATE))\nIF .NORVSTATE = 14 THEN .PARMSTRA = \"" + caption +
           "\"\nEND MAIN\n";
}

struct Kit {
    Kit() {
        platform::SetSystemCodePage(932);
        ed.settingsFolder = dir.path();
    }
    std::vector<std::string> Take() {
        std::vector<std::string> m;
        m.swap(ed.messages());
        return m;
    }
    ScratchFolder dir;
    FakeScriptEditor ed;
};

TEST(AddinCommands, ARresidentRunsAgainOtherwiseTheFileRuns) {
    Kit k;
    k.dir.Write("Tool.NRS", Kept("tool"));
    k.dir.Write("Plain.nrs", "MAIN\nMSGBOX(\"plain \" + STR(.NORVSTATE))\nEND MAIN\n");
    const AddinSlot tool{"Tool script", "Tool", "10"};
    EXPECT_EQ(RunAddin(k.ed.host, tool), ScriptOutcome::kDone);  // not resident yet: it starts
    EXPECT_EQ(RunAddin(k.ed.host, AddinSlot{"", "tool.NRS", "0"}), ScriptOutcome::kDone);
    EXPECT_EQ(RunAddin(k.ed.host, AddinSlot{"", "Plain", ""}), ScriptOutcome::kDone);
    EXPECT_EQ(RunAddin(k.ed.host, AddinSlot{"", "Missing", ""}), ScriptOutcome::kNotFound);
    EXPECT_EQ(RunAddin(k.ed.host, AddinSlot{"empty", "", "1"}), ScriptOutcome::kNotFound);
    EXPECT_EQ(k.Take(), (std::vector<std::string>{"tool 0", "tool 13", "plain 0",
                                                  "Cannot read the script Missing."}));
}

TEST(AddinCommands, OddScriptLinesAndBothFlagDigitsAreWrittenBackAsRead) {
    std::string text = "##Script\n";
    const char* kSlots[] = {"a\tA.NRS\t11", "b\tB\t0",     "c\tC.nrx\t01x",
                            "\t\t",         "only a name", "d\t/abs/D.NRS\t2\textra"};
    for (const char* s : kSlots) text += std::string(s) + "\n";
    DataFile f;
    f.Parse(text);
    EXPECT_TRUE(f.addins[0].StartsWithProgram());
    EXPECT_TRUE(f.addins[0].SecondFlag());
    EXPECT_FALSE(f.addins[1].StartsWithProgram());
    EXPECT_FALSE(f.addins[2].StartsWithProgram());
    EXPECT_TRUE(f.addins[2].SecondFlag());
    const std::string out = f.Format();
    for (const char* s : kSlots) EXPECT_NE(out.find(std::string(s) + "\n"), std::string::npos) << s;
}

TEST(ResidentMenu, NoneOneAndTwelveCandidates) {
    Kit k;
    int asked = 0;
    std::vector<std::string> shown;
    std::optional<size_t> answer;
    const MenuChooser choose = [&](const std::vector<std::string>& entries) {
        ++asked;
        shown = entries;
        return answer;
    };
    // Residents without a caption are no candidates.
    k.dir.Write("Silent.NRS", Kept("silent"));
    RunScriptFile(k.ed.host, "Silent");
    k.Take();
    EXPECT_EQ(RunResidentMenu(k.ed.host, choose), 0u);
    EXPECT_EQ(k.Take(), (std::vector<std::string>{"silent 14"}));
    // One: it runs at once with code 13.
    k.dir.Write("Clock.NRS", Kept("clock", "Clock"));
    RunScriptFile(k.ed.host, "Clock");
    k.Take();
    EXPECT_EQ(RunResidentMenu(k.ed.host, choose), 1u);
    EXPECT_EQ(k.Take(), (std::vector<std::string>{"silent 14", "clock 14", "clock 13"}));
    EXPECT_EQ(asked, 0);
    // Twelve: numbered 1 to 9, 0, 1, 2; the chosen one runs, a dismissed menu runs nothing.
    for (int i = 2; i <= 12; ++i) {
        const std::string n = "S" + std::to_string(i);
        k.dir.Write(n + ".NRS", Kept(n, "cap " + n));
        RunScriptFile(k.ed.host, n);
    }
    k.Take();
    answer = 10;
    EXPECT_EQ(RunResidentMenu(k.ed.host, choose), 12u);
    ASSERT_EQ(shown.size(), 12u);
    EXPECT_EQ(shown[0], "&1: Clock");
    EXPECT_EQ(shown[9], "&0: cap S10");
    EXPECT_EQ(shown[11], "&2: cap S12");
    EXPECT_EQ(k.Take().back(), "S11 13");
    answer.reset();
    RunResidentMenu(k.ed.host, choose);
    EXPECT_EQ(k.Take().back(), "S12 14");
}

TEST(RunScriptCommand, NoneOneOrSeveralScriptsWithModifiedOnesSavedFirst) {
    Kit k;
    const std::string a =
        k.dir.Write("a.NRS", "MAIN\nMSGBOX(\"a \" + STR(.NORVSTATE))\nEND MAIN\n");
    const std::string b = k.dir.Write("b.nrs", "MAIN\nMSGBOX(\"b\")\nEND MAIN\n");
    const std::string t = k.dir.Write("t.txt", "text\n");
    auto doc = [&](const std::string& path) {
        auto d = std::make_unique<document::CElwDoc>(k.ed.env);
        EXPECT_EQ(d->OpenDocument(path), 1);
        return d;
    };
    auto da = doc(a), db = doc(b), dt = doc(t);
    std::vector<std::string> shown;
    std::optional<size_t> answer;
    const MenuChooser choose = [&](const std::vector<std::string>& e) {
        shown = e;
        return answer;
    };
    int saves = 0;
    bool saveWorks = true;
    const auto save = [&](document::CElwDoc& d) {
        ++saves;
        return saveWorks && d.DoSave("", false) == 1;
    };
    RunOpenScript(k.ed.host, {dt.get()}, save, choose);
    EXPECT_EQ(k.Take(), (std::vector<std::string>{std::string(kNoScriptOnEditor)}));
    EXPECT_TRUE(RunOpenScript(k.ed.host, {dt.get(), db.get()}, save, choose).ran);
    EXPECT_EQ(k.Take(), (std::vector<std::string>{"b"}));
    answer = 0;
    EXPECT_EQ(RunOpenScript(k.ed.host, {da.get(), dt.get(), db.get()}, save, choose).candidates,
              2u);
    EXPECT_EQ(shown, (std::vector<std::string>{"&1: a.NRS", "&2: b.nrs"}));
    EXPECT_EQ(k.Take(), (std::vector<std::string>{"a 0"}));
    EXPECT_EQ(saves, 0);
    // A modified script is saved first and runs as saved; a failed save runs nothing.
    da->SetModified(true);
    saveWorks = false;
    EXPECT_FALSE(RunOpenScript(k.ed.host, {da.get()}, save, choose).ran);
    EXPECT_TRUE(k.Take().empty());
    saveWorks = true;
    EXPECT_TRUE(RunOpenScript(k.ed.host, {da.get()}, save, choose).ran);
    EXPECT_EQ(saves, 2);
    EXPECT_FALSE(da->modified);
    // Dismissed menu: nothing.
    answer.reset();
    EXPECT_FALSE(RunOpenScript(k.ed.host, {da.get(), db.get()}, save, choose).ran);
}

TEST(StartupScripts, TsrScriptThenFlaggedSlotsGoingOnPastMissingOnes) {
    Kit k;
    k.dir.Write("Tsr.NRS", Kept("tsr"));
    k.dir.Write("One.NRS", "MAIN\nMSGBOX(\"one\")\nEND MAIN\n");
    k.dir.Write("Broken.NRS", "MAIN\nMSGBOX(\nEND MAIN\n");
    std::array<AddinSlot, kAddinSlotCount> slots{};
    slots[0] = {"n", "Skipped", "0"};
    slots[1] = {"n", "Gone", "1"};
    slots[3] = {"n", "Broken", "11"};
    slots[5] = {"n", "One", "9"};
    slots[6] = {"n", "", "1"};
    EXPECT_EQ(RunStartupScripts(k.ed.host, "Tsr", slots),
              (std::vector<std::string>{"Tsr", "Gone", "Broken", "One"}));
    const std::vector<std::string> m = k.Take();
    ASSERT_EQ(m.size(), 4u);
    EXPECT_EQ(m[0], "tsr 0");
    EXPECT_EQ(m[1], "Cannot read the script Gone.");
    EXPECT_EQ(m[3], "one");
    EXPECT_EQ(k.ed.host.residents->size(), 1u);
}

TEST(ScriptChooser, NamesOfBothFoldersInAnyCaseOfTheExtension) {
    ScratchFolder scripts, program;
    scripts.Write("b.NRS", "");
    scripts.Write("a.nrs", "");
    scripts.Write("c.NrS", "");
    scripts.Write("not.txt", "");
    scripts.Write("dir.NRS/inside.NRS", "");
    program.Write("a.NRS", "");
    program.Write("z.NRS", "");
    program.Write("b.NRS", "");
    platform::FileSystem& fs = platform::RealFileSystem();
    EXPECT_EQ(ScriptChoices(fs, scripts.path(), program.path()),
              (std::vector<std::string>{"a", "b", "c", "z"}));
    EXPECT_EQ(ScriptChoices(fs, program.path(), program.path()),
              (std::vector<std::string>{"a", "b", "z"}));
    // An empty ScriptDir means the settings folder, for the chooser as for running.
    Settings s(932);
    EXPECT_EQ(ScriptsFolder(s, scripts.path()), scripts.path());
}

}  // namespace
}  // namespace norv::app::testing
