// System variables on a fixed document and settings: every one read with and without a view,
// writes seen through their owners (the settings file, the view's layout, the document's code
// and line ends on the next save, its path), and the editor state value around searches.
#include <gtest/gtest.h>

#include "app/scripting/fake_script_frame.h"
#include "script/name_tables.h"

namespace norv::app::testing {
namespace {

using document::TextCode;

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A script that shows every system variable as "NAME=value".
std::string EveryVariable() {
    std::string body;
    for (const auto& row : script::kSysVars) {
        const std::string name(row.name);
        body += "MSGBOX(\"" + name + "=\" + " +
                (row.isString() ? "." + name : "STR(." + name + ")") + ")\n";
    }
    return Main(body);
}

std::map<std::string, std::string> Values(const std::vector<std::string>& messages) {
    std::map<std::string, std::string> out;
    for (const std::string& m : messages) {
        const size_t eq = m.find('=');
        out[m.substr(0, eq)] = m.substr(eq + 1);
    }
    return out;
}

TEST(SystemVariables, WithoutAViewViewAndDocumentValuesReadNothing) {
    FramedScriptEditor ed;
    ed.Run(EveryVariable());
    ASSERT_EQ(ed.messages().size(), script::kSysVars.size());
    const auto v = Values(ed.messages());
    for (const char* name :
         {"LINENO", "TOTLINE", "COLUMN", "CSRX", "CSRY", "TABS", "COLS", "KANJICODE", "RETURNCODE",
          "READONLY", "BLKSEL", "LINEPTR", "HWND", "DOCNUM", "INSERT", "AUTOIND"})
        EXPECT_EQ(v.at(name), "0") << name;
    for (const char* name : {"FILENAME", "FILETITLE", "PATHNAME", "FILETYPE", "CAPTIONSTR"})
        EXPECT_EQ(v.at(name), "") << name;
    // Settings and the main window do not need a view.
    EXPECT_EQ(v.at("HMAINWND"), "1");
    EXPECT_EQ(v.at("AUTOSAVES"), "200");
    EXPECT_EQ(v.at("TRASHBIN"), "3");
    EXPECT_EQ(v.at("SPRPOINT"), "73");
    EXPECT_EQ(v.at("FINDOPT"), "I");
    EXPECT_EQ(v.at("GREPOPT"), "RI");
    EXPECT_EQ(v.at("MRKCOLOR"), "127");  // "127 000 000"
    EXPECT_EQ(v.at("TABCOLOR"), std::to_string(192 + 256 * 192 + 65536 * 192));
    EXPECT_EQ(v.at("NORVSTATE"), "0");

    // Writes that need a view do nothing without one.
    ed.Run(Main(".TABS = 4\n.KANJICODE = 12\n.FILENAME = \"/tmp/x.txt\"\nMSGBOX(STR(.TABS))"));
    EXPECT_EQ(ed.messages().back(), "0");
}

TEST(SystemVariables, ViewAndDocumentValuesOfAFixedDocument) {
    FramedScriptEditor ed;
    ed.settingsFolder = "/home/u/.config/norv";
    ed.programFolder = "/opt/norv/bin";
    FakeWindow& w = ed.Open({"first", "second line", "x\tyz"});
    w.doc->path = "/data/notes/memo.txt";
    w.doc->UpdateTitle();
    w.doc->eolMode = document::EolMode::kLf;
    w.view->SetCaret(3, 2);
    ed.Run(EveryVariable());
    const auto v = Values(ed.messages());
    EXPECT_EQ(v.at("LINENO"), "3");
    EXPECT_EQ(v.at("LINENOL"), "3");
    EXPECT_EQ(v.at("PHYSLINE"), "3");
    EXPECT_EQ(v.at("TOTLINE"), "3");
    EXPECT_EQ(v.at("COLUMN"), "3");  // the byte after the tab, 1-based as GOTOTHERE takes it
    EXPECT_EQ(v.at("CSRX"), "8");    // display column of that byte, from 0
    EXPECT_EQ(v.at("CSRY"), "2");
    EXPECT_EQ(v.at("TABS"), "8");
    EXPECT_EQ(v.at("RETURNCODE"), "1");
    EXPECT_EQ(v.at("KANJICODE"), "0");
    EXPECT_EQ(v.at("READONLY"), "0");
    EXPECT_EQ(v.at("FILENAME"), "/data/notes/memo.txt");
    EXPECT_EQ(v.at("FILETITLE"), "memo.txt");
    EXPECT_EQ(v.at("PATHNAME"), "/data/notes/");
    EXPECT_EQ(v.at("CAPTIONSTR"), w.doc->title);
    EXPECT_EQ(v.at("FILETYPE"), " ");
    EXPECT_EQ(v.at("HOMEPATH"), "/home/u/.config/norv/");
    EXPECT_EQ(v.at("MODPATH"), "/opt/norv/bin/");
    EXPECT_EQ(v.at("HWND"), "2");
    EXPECT_EQ(v.at("DOCNUM"), "1");
    EXPECT_EQ(v.at("BLKSEL"), "0");
    EXPECT_EQ(v.at("INSERT"), "1");
    EXPECT_NE(v.at("LINEPTR"), "0");
}

TEST(SystemVariables, SelectionValuesNameItsEndsInOrder) {
    FramedScriptEditor ed;
    FakeWindow& w = ed.Open({"alpha", "beta", "gamma"});
    w.selection->Select(3, 2, 1, 1);  // made backwards: the caret is at the first end
    ed.Run(Main(R"(
MSGBOX(STR(.BLKSEL) + STR(.BLKDISP) + ":" + STR(.BLKBEGL) + "," + STR(.BLKBEGC) + "-" + STR(.BLKENDL) + "," + STR(.BLKENDC))
MSGBOX(LOADTHISLINE(.BLKBEG) + "/" + LOADTHISLINE(.BLKEND))
)"));
    EXPECT_EQ(ed.messages(), (std::vector<std::string>{"11:1,2-3,3", "alpha/gamma"}));
}

TEST(SystemVariables, SettingWritesReachTheSettingsFileAndTheEditor) {
    FramedScriptEditor ed;
    ed.Open({"a"});
    ed.Run(Main(R"(
.TEXTMODE = 1
.AUTOSAVES = 60
.TXTCOLOR = RGB(1, 2, 3)
.FINDOPT = "IW"
.SHOWCHANGE = 0
MSGBOX(STR(.TEXTMODE) + "," + STR(.AUTOSAVES) + "," + STR(.TXTCOLOR) + "," + .FINDOPT)
.TEXTMODE = 1
)"));
    EXPECT_EQ(ed.messages().back(), "1,60," + std::to_string(1 + 2 * 256 + 3 * 65536) + ",IW");
    const std::string ini = ReadAll(ed.store.Path());
    for (const char* line :
         {"TextMode=1", "AutoSaveSec=60", "TextColor=001 002 003", "FindOption=IW", "ShowChange=0"})
        EXPECT_NE(ini.find(line), std::string::npos) << line << "\n" << ini;
    // The second TEXTMODE write changed nothing, so nothing was written or applied again.
    EXPECT_EQ(ed.settingsApplied, 5);
    EXPECT_EQ(ed.config.Int(Key::TextMode), 1);
}

TEST(SystemVariables, TabsAndColumnsLayTheViewOutAgain) {
    FramedScriptEditor ed;
    FakeWindow& w = ed.Open({"\tx", std::string(30, 'a')});
    w.view->SetCaret(1, 1);
    ed.Run(Main(R"(
MSGBOX(STR(.CSRX))
.TABS = 4
MSGBOX(STR(.CSRX) + "," + STR(.TABS))
.COLS = 10
MSGBOX(STR(.COLS))
.TABS = 0
.COLS = -3
MSGBOX(STR(.TABS) + "," + STR(.COLS))
)"));
    EXPECT_EQ(ed.messages(), (std::vector<std::string>{"8", "4,4", "10", "4,10"}));
    EXPECT_EQ(w.doc->tabWidth, 4);
    EXPECT_EQ(w.view->layout().options().wrapColumn, 10);
    // The 30 characters now take three rows.
    EXPECT_EQ(w.view->totalRows(), 1 + 3);
    EXPECT_GE(ed.documentChanges, 2);
}

TEST(SystemVariables, LineEndsAndCodeAreWhatTheNextSaveWrites) {
    FramedScriptEditor ed;
    FakeWindow& w = ed.Open({"one", Sjis("二")});
    ed.Run(Main(R"(
.RETURNCODE = 1
.KANJICODE = 1
MSGBOX(STR(.RETURNCODE) + "," + STR(.KANJICODE))
.RETURNCODE = 7
.KANJICODE = 5
MSGBOX(STR(.RETURNCODE) + "," + STR(.KANJICODE))
)"));
    EXPECT_EQ(ed.messages(), (std::vector<std::string>{"1,1", "1,1"}));
    // No Check Kanji Code question stopped the script.
    EXPECT_EQ(w.doc->code, TextCode::kEuc);
    ASSERT_TRUE(ed.SaveActiveAs(ed.scratch.path() + "/out.txt"));
    EXPECT_EQ(ed.scratch.Read("out.txt"), "one\n\xC6\xF3");

    // To the Unicode family the menu's ASCII test refuses, with its message.
    ed.messages().clear();
    ed.Run(Main(".KANJICODE = 12\nMSGBOX(STR(.KANJICODE))"));
    ASSERT_EQ(ed.messages().size(), 2u);
    EXPECT_EQ(ed.messages().back(), "1");
}

TEST(SystemVariables, ReadOnlyModeStopsTheScriptsEdits) {
    FramedScriptEditor ed;
    FakeWindow& w = ed.Open({"text"});
    ed.Run(Main(R"(
.READONLY = 1
INSERTSTRING("x")
MSGBOX(STR(.READONLY) + LOADTHISLINE(0))
.READONLY = 0
INSERTSTRING("y")
MSGBOX(STR(.READONLY) + LOADTHISLINE(0))
)"));
    EXPECT_EQ(ed.messages(), (std::vector<std::string>{"1text", "0ytext"}));
    EXPECT_FALSE(w.doc->readOnly);
}

TEST(SystemVariables, FileNameChangesOnlyThePathAndTitle) {
    FramedScriptEditor ed;
    FakeWindow& w = ed.Open({"kept"});
    const std::string target = ed.scratch.path() + "/renamed.txt";
    ed.Run(Main(".FILENAME = \"" + target + "\"\nMSGBOX(.FILETITLE)\n.FILENAME = \"" +
                ed.scratch.path() + "\"\n.FILENAME = \"\"\nMSGBOX(.FILENAME)"));
    EXPECT_EQ(ed.messages(), (std::vector<std::string>{"renamed.txt", target}));
    EXPECT_EQ(w.doc->path, target);
    EXPECT_NE(w.doc->title.find("renamed.txt"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(target));  // no file operation
    ASSERT_EQ(ed.notices.size(), 2u);               // a folder and an empty name are refused
    ASSERT_TRUE(ed.SaveActiveAs(w.doc->path));
    EXPECT_EQ(ReadAll(target), "kept");
}

TEST(SystemVariables, FileTypeGivesTheDocumentThatProfile) {
    FramedScriptEditor ed;
    FakeWindow& w = ed.Open({"int x;"});
    ed.Run(
        Main(".FILETYPE = \"C\"\nMSGBOX(.FILETYPE + STR(.TABS))\n.FILETYPE = \"Q\"\n"
             "MSGBOX(.FILETYPE)"));
    EXPECT_EQ(ed.messages(), (std::vector<std::string>{"C4", "C"}));
    EXPECT_EQ(w.doc->typeCode, 'C');
    EXPECT_TRUE(w.view->options().cFile);
}

TEST(SystemVariables, CaretValuesMoveTheCaret) {
    FramedScriptEditor ed;
    ed.Open({"a", "bb", "ccc", "dddd"});
    ed.Run(Main(R"(
h = GETTHISLINE(3)
.LINEPTR = h
n = .LINEPTR
MSGBOX(STR(.LINENO) + STR(GETCOUNT(n)))
.PHYSLINE = 2
MSGBOX(STR(.LINENO))
.LINEPTR = 123456
MSGBOX(STR(.LINENO))
)"));
    EXPECT_EQ(ed.messages(), (std::vector<std::string>{"33", "2", "2"}));
}

TEST(SystemVariables, ParametersAndTheEditorStateValue) {
    FramedScriptEditor ed;
    ed.Open({"find me", "here"});
    ed.host.parmStrA = "caption";
    ed.Run(Main(R"(
MSGBOX(STR(.NORVSTATE) + .PARMSTRA)
.PARMA = 7
.PARMSTRB = "b"
n = FINDFOR("here", "")
MSGBOX(STR(.NORVSTATE))
n = FINDFOR("absent", "")
MSGBOX(STR(.NORVSTATE))
GOTOTHERE(1, 1)
n = REPLACE("here", "there", "N")
MSGBOX(STR(n) + STR(.NORVSTATE) + STR(.PARMA) + .PARMSTRB)
)"));
    EXPECT_EQ(ed.messages(),
              (std::vector<std::string>{"0caption", "1", "4", "1 words are replaced", "117b"}));
    EXPECT_EQ(ed.host.parmA, 7);
    // A script's start sets the value to its run-context code.
    ed.messages().clear();
    ed.host.SetRunContext(14);
    ed.Run(Main("MSGBOX(STR(.NORVSTATE))"));
    EXPECT_EQ(ed.messages().back(), "14");
}

}  // namespace
}  // namespace norv::app::testing
