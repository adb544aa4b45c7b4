// Key macros on an editor without windows: recording from keys, from dialogs and from scripts,
// the saved text of each kind of entry, replay into a document, the recording rule around
// script runs, characters the system code page lacks, the commands' states, and saving and
// loading with the failures that must keep the old macro.
#include "app/key_macros.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <random>

#include "app/commands/edit_view_sink.h"
#include "app/commands/hidden_commands.h"
#include "app/commands/key_dispatch.h"
#include "app/key_input.h"
#include "app/scripting/fake_script_editor.h"
#include "app/shell_run.h"
#include "script/image.h"
#include "script/macro_text.h"

namespace norv::app::testing {
namespace {

using editing::CommandId;

// The fake editor with the program's key path: a key table, its dispatch (every command
// available), the frame's macro commands and a test command, Nop, that runs a script file the
// way a menu's script command does.
class MacroEditor : public FakeScriptEditor, public FrameCommands, public ViewCommandSink {
  public:
    MacroEditor() {
        shared.recorder = &macros;
        dispatcher.view = this;
        dispatcher.ui = &headless;
        dispatcher.available = [](size_t) { return true; };
        dispatcher.frameCommandRun = [this](size_t c) { macros.RecordTableCommand(c); };
        macros.scriptLevel = [this] { return ScriptLevel{host.depth, host.runContext}; };
        macros.documentCodePage = [this] {
            return ActiveView() ? ActiveView()->layout().codePage() : platform::SystemCodePage();
        };
        settingsFolder = dir.path();
    }

    void RunCommand(size_t command) override {
        commands.push_back(std::string(kBuiltinCommands[command].name));
        dispatcher.RunCommand(command);
    }
    bool RunHiddenCommand(size_t hidden) override {
        macros.RecordHiddenCommand(kHiddenCommands[hidden].name);
        hiddenRun.push_back(std::string(kHiddenCommands[hidden].name));
        return true;
    }
    // ViewCommandSink
    void RunViewCommand(CommandId id, int keyRepeat, bool) override {
        if (ActiveView()) ActiveView()->Execute(id, keyRepeat);
    }
    bool BoxSelectionActive() const override { return false; }
    void TypeBytes(std::string_view bytes, int repeat) override {
        for (char c : bytes)
            if (ActiveView()) ActiveView()->TypeByte(static_cast<uint8_t>(c), repeat);
    }
    // FrameCommands
    void RunFrameCommand(FrameCommandId id, uint8_t) override {
        switch (id) {
            case FrameCommandId::RecordKey:
                macros.RecordKey();
                break;
            case FrameCommandId::PlayKey:
                macros.PlayKey(host);
                break;
            case FrameCommandId::SaveMacro:
                macros.SaveMacro(fs(), ask);
                break;
            case FrameCommandId::LoadMacro:
                macros.LoadMacro(host, ask);
                break;
            case FrameCommandId::Nop:
                if (duringNop) duringNop();
                if (!nopScript.empty()) RunScriptFile(host, nopScript);
                break;
            default:
                frame.push_back(
                    std::string(kBuiltinCommands[size_t(CommandIndexById(uint16_t(id)))].name));
        }
    }

    PressResult Press(uint8_t key, bool ctrl = false, std::string bytes = {}, int repeat = 1) {
        return input.Press(KeyStroke{key, ctrl, false, false, repeat}, bytes);
    }
    void Chord(char prefix, char second) {
        Press(static_cast<uint8_t>(prefix), true);
        Press(static_cast<uint8_t>(second));
    }
    void Type(const std::string& text) {
        for (char c : text)
            Press(static_cast<uint8_t>(toupper(static_cast<unsigned char>(c))), false,
                  std::string(1, c));
    }
    void Record(const std::function<void()>& what) {
        Chord('O', 'R');
        what();
        Chord('O', 'R');
    }
    // The macro as saved text, the lines between "Main()" and "End".
    std::string Saved() {
        const script::MacroText t =
            script::MacroToText(macros.macro().image(), platform::SystemCodePage());
        EXPECT_TRUE(t.complete);
        const size_t from = t.text.find("Main()\n") + 7;
        return t.text.substr(from, t.text.size() - from - 4);
    }
    std::string Text() {
        std::string out;
        for (const std::string& l : Lines(win())) out += l + "\n";
        return out;
    }

    ScratchFolder dir;
    KeyMacros macros{headless};
    KeyTable keys;
    KeyDispatcher dispatcher{keys, *this};
    DispatchingKeyInput input{dispatcher};
    std::function<bool(MacroFileRequest&)> ask;
    std::function<void()> duringNop;
    std::string nopScript;
    std::vector<std::string> frame, hiddenRun;
};

TEST(KeyMacros, KeysTypedAndCommandsRecordAndReplay) {
    MacroEditor ed;
    ed.Open({""});
    ed.Record([&] {
        ed.Type("ab");
        ed.Press('X', false, "x", 3);  // a repeated key is that many characters
        ed.Press(vk::kLeft);
        ed.Type("c");
        ed.Chord('K', 'T');  // a two-stroke command: TimeStamp is on Ctrl+K^T
        ed.Press(vk::kHome);
        ed.Chord('Q', 'K');  // MarkLine
    });
    EXPECT_EQ(ed.macros.state(), script::MacroState::kIdle);
    const std::string typed = ed.Text();
    EXPECT_EQ(ed.Saved(),
              "\tInputChar(&H61)\n\tInputChar(&H62)\n\tInputChar(&H78)\n\tInputChar(&H78)\n"
              "\tInputChar(&H78)\n\tCommand(\"CsrLeft\")\n\tInputChar(&H63)\n"
              "\tCommand(\"TimeStamp\")\n\tCommand(\"BegLine\")\n\tCommand(\"MarkLine\")\n");
    // Played into a new document, it leaves the same text (the time stamp aside).
    ed.Open({""});
    ed.Chord('O', 'M');
    EXPECT_EQ(ed.Text().substr(0, 5), "abxxc");
    EXPECT_EQ(ed.Text().back(), typed.back());
    EXPECT_EQ(ed.Text().substr(ed.Text().size() - 2), "x\n");
    EXPECT_TRUE(ed.win().doc->lines().first()->flags & document::LF_MARK);
    // Nothing of the replay was recorded, and the macro commands are not in it.
    EXPECT_EQ(ed.Saved().find("RecordKey"), std::string::npos);
}

// A played macro undoes as the same keys typed do: each character and each command is a step
// of its own, the last first, back to an unmodified document; Redo brings every step back.
TEST(KeyMacros, APlayedMacroUndoesStepByStepAsTyping) {
    MacroEditor ed;
    ed.Open({""});
    ed.Record([&] {
        ed.Type("ab");
        ed.Press(vk::kReturn);
        ed.Type("c");
    });
    ed.Open({""});
    ed.Chord('O', 'M');
    const std::vector<std::string> played = ed.Lines(ed.win());
    EXPECT_EQ(played, (std::vector<std::string>{"ab", "c"}));
    EXPECT_TRUE(ed.win().doc->modified);
    const std::vector<std::vector<std::string>> steps = {{"ab", ""}, {"ab"}, {"a"}, {""}};
    for (const auto& want : steps) {
        ed.Press('Z', true);
        EXPECT_EQ(ed.Lines(ed.win()), want);
    }
    EXPECT_FALSE(ed.win().doc->modified);
    EXPECT_FALSE(ed.win().doc->undo.CanUndo());
    for (int i = 0; i < 4; ++i) ed.Press('Y', true);
    EXPECT_EQ(ed.Lines(ed.win()), played);
    EXPECT_FALSE(ed.win().doc->undo.CanRedo());
}

// What a window shows and holds after keys: the text, the caret, the scroll position, the
// selection, the modified flag and the undo history.
struct WindowState {
    std::vector<std::string> lines;
    int line = 0;
    size_t pos = 0;
    int column = 0, goal = 0, left = 0;
    int64_t top = 0, rows = 0;
    bool selected = false;
    std::string block;
    bool modified = false;
    size_t undoSize = 0, undoCurrent = 0;
    bool operator==(const WindowState&) const = default;
};

void PrintTo(const WindowState& s, std::ostream* os) {
    *os << "caret " << s.line << ":" << s.pos << " col " << s.column << " goal " << s.goal
        << " top " << s.top << " left " << s.left << " rows " << s.rows << " sel " << s.selected
        << " [" << s.block << "] modified " << s.modified << " undo " << s.undoCurrent << "/"
        << s.undoSize << " lines";
    for (const std::string& l : s.lines) *os << " [" << l << "]";
}

WindowState StateOf(MacroEditor& ed, FakeWindow& w) {
    WindowState s;
    s.lines = ed.Lines(w);
    const editing::CElwView& v = *w.view;
    s.line = v.caretLineNumber();
    s.pos = v.caretPos();
    s.column = v.caretColumn();
    s.goal = v.goalColumn();
    s.left = v.leftColumn();
    s.top = v.topRow();
    s.rows = v.totalRows();
    s.selected = w.selection->active();
    if (s.selected) s.block = w.selection->Block();
    s.modified = w.doc->modified;
    s.undoSize = w.doc->undo.size();
    s.undoCurrent = w.doc->undo.current();
    return s;
}

// A window small enough that typing scrolls it both ways, over lines that wrap.
FakeWindow& OpenSmall(MacroEditor& ed) {
    FakeWindow& w = ed.Open({"first line of the text", "", "\tshort",
                             "a much longer line that "
                             "wraps over several rows of the window",
                             "last"});
    view::LayoutOptions layout;
    layout.codePage = w.doc->CodePage();
    layout.wrapColumn = 12;
    layout.tabWidth = 4;
    w.view->SetLayout(layout);
    w.view->SetWindowSize(4, 10);
    return w;
}

// Random keys typed one by one while recording, then the macro played into a second window of
// the same text: the two end alike in every respect, and undo alike step by step.
TEST(KeyMacros, APlayedMacroEndsAsTheKeysTypedOneByOne) {
    for (uint32_t seed = 1; seed <= 24; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        MacroEditor ed;
        FakeWindow& typed = OpenSmall(ed);
        std::mt19937 random(seed);
        auto pick = [&](int n) { return static_cast<int>(random() % static_cast<uint32_t>(n)); };
        auto key = [&](uint8_t k, bool shift = false, bool ctrl = false) {
            ed.input.Press(KeyStroke{k, ctrl, shift, false, 1}, {});
        };
        ed.Record([&] {
            for (int i = 0, n = 40 + pick(160); i < n; ++i) {
                switch (pick(18)) {
                    case 0:
                    case 1:
                    case 2:
                    case 3:
                    case 4: {
                        const char c = static_cast<char>('a' + pick(26));
                        ed.Press(static_cast<uint8_t>(toupper(c)), false, std::string(1, c));
                        break;
                    }
                    case 5:
                        // Blanks pressed one at a time: a key held down types its repeats as
                        // one undo step, which a macro replays as separate characters.
                        for (int r = 1 + pick(3); r > 0; --r) ed.Press(vk::kSpace, false, " ");
                        break;
                    case 6:
                        ed.Press(0, false, "\x8a\xbf");  // a double-byte character
                        break;
                    case 7:
                        key(vk::kReturn);
                        break;
                    case 8:
                        key(vk::kBack);
                        break;
                    case 9:
                        key(vk::kDelete);
                        break;
                    case 10:
                        key(pick(2) ? vk::kLeft : vk::kRight, pick(4) == 0);
                        break;
                    case 11:
                        key(pick(2) ? vk::kUp : vk::kDown, pick(4) == 0);
                        break;
                    case 12:
                        key(pick(2) ? vk::kHome : vk::kEnd);
                        break;
                    case 13:
                        key(pick(2) ? vk::kPrior : vk::kNext);
                        break;
                    case 14:
                        key(vk::kTab);
                        break;
                    case 15:
                        key('Z', false, true);  // Undo
                        break;
                    case 16:
                        key(pick(2) ? vk::kEscape : vk::kRight);
                        break;
                    default:
                        ed.Type("xy");
                        break;
                }
            }
        });
        ASSERT_EQ(ed.macros.state(), script::MacroState::kIdle);
        FakeWindow& played = OpenSmall(ed);
        ed.Chord('O', 'M');
        const WindowState want = StateOf(ed, typed);
        ASSERT_EQ(StateOf(ed, played), want);
        // Undo, step by step, in both windows.
        for (size_t step = 0; step < want.undoCurrent; ++step) {
            for (FakeWindow* w : {&typed, &played}) {
                ed.active = w == &typed ? 0 : 1;
                ed.Press('Z', true);
            }
            ASSERT_EQ(StateOf(ed, played), StateOf(ed, typed)) << "after undo " << step + 1;
        }
    }
}

TEST(KeyMacros, TheAbMacroSavesAsTwoLines) {
    MacroEditor ed;
    ed.Open({""});
    ed.Record([&] { ed.Type("ab"); });
    ed.ask = [&](MacroFileRequest& r) {
        EXPECT_TRUE(r.save);
        r.path = ed.dir.path() + "/ab.nrs";
        return true;
    };
    ed.Chord('O', 'V');
    EXPECT_EQ(ed.dir.Read("ab.nrs"),
              "'--------------------------------------\n"
              "'  Norv Key Macro                      \n"
              "'--------------------------------------\n"
              "Main()\n\tInputChar(&H61)\n\tInputChar(&H62)\nEnd\n");
    // Loaded back, it is the macro and types the same.
    ed.ask = [&](MacroFileRequest& r) {
        EXPECT_FALSE(r.save);
        r.path = ed.dir.path() + "/ab.nrs";
        return true;
    };
    ed.Chord('O', 'L');
    EXPECT_FALSE(ed.macros.macro().IsRecorded());
    ed.Open({"!"});
    ed.Chord('O', 'M');
    EXPECT_EQ(ed.Lines(ed.win()), (std::vector<std::string>{"ab!"}));
    // A loaded script is not a recorded macro: it cannot be saved as one.
    ed.Chord('O', 'V');
    EXPECT_EQ(ed.messages().back(), std::string(kNotAKeyMacro));
}

TEST(KeyMacros, CommandsRecordTheValuesTheirDialogsTook) {
    MacroEditor ed;
    ed.Open({"b2", "a1", "c3", "a1"});
    ed.shared.jumpDialog = [](editing::JumpRequest& r) {
        r.line = 3;
        r.logical = false;
        return true;
    };
    ed.shared.addStringDialog = [](editing::AddStringRequest& r) {
        r.text = "> \"q\"";
        r.atEnd = false;
        return true;
    };
    ed.shared.sortDialog = [](editing::SortRequest& r) {
        r.descending = true;
        r.compareAfter = false;
        r.afterString = "kept in the settings";
        return true;
    };
    ed.shared.convertDialog = [](editing::ConvertRequest& r) {
        r.choices.caseConversion = editing::CaseConversion(1);
        r.choices.alphanumerics = r.choices.kana = false;
        return true;
    };
    ed.clip.askFile = [&](editing::FileCommandRequest& r) {
        r.path = ed.dir.path() + "/sel.txt";
        return true;
    };
    ed.findEnv.findDialog = [](search::FindDialogRequest& r) {
        r.searchString = "a1";
        return true;
    };
    ed.findEnv.replaceDialog = [](search::ReplaceDialogRequest& r) {
        r.searchString = "c3";
        r.replacement = "C3";
        r.all = true;
        return true;
    };
    ed.Record([&] {
        ed.Press('J', true);  // JumpLine
        ed.RunCommand(size_t(CommandIndexById(uint16_t(CommandId::SelectAll))));
        ed.RunCommand(size_t(CommandIndexById(uint16_t(CommandId::EditSort))));
        ed.RunCommand(size_t(CommandIndexById(uint16_t(CommandId::SelectAll))));
        ed.RunCommand(size_t(CommandIndexById(uint16_t(CommandId::EditConvert))));
        ed.RunCommand(size_t(CommandIndexById(uint16_t(CommandId::SelectAll))));
        ed.Chord('K', 'C');  // CopyToFile
        ed.RunCommand(size_t(CommandIndexById(uint16_t(CommandId::AddString))));
        ed.Press('F', true);  // SearchFwd
        ed.Press('B', true);  // SearchBwd
        ed.Chord('Q', 'A');   // Replace
        ed.macros.RecordFrameCommand(kGrepCommandId, {"main", "/src", "*.c", "S"});
        ed.macros.RecordFrameCommand(kShellCommandId, {"make \"all\"", "O"});
        ed.macros.RecordFrameCommand(kLauncherCommandId, {"2"});
        ed.RunHiddenCommand(*HiddenCommandIndex("CodeUtf8"));
    });
    const std::string path = ed.dir.path() + "/sel.txt";
    const std::string options = search::BuildOptionString(ed.find().find.options);
    const std::string replaceOptions = search::BuildOptionString(ed.find().replace.options) + "N";
    EXPECT_EQ(ed.Saved(),
              "\tJumpLine(3, True)\n\tCommand(\"SelectAll\")\n"
              "\tSort(True, False, False, \"\")\n\tCommand(\"SelectAll\")\n"
              "\tConvert(1, 0, 0, -1)\n\tCommand(\"SelectAll\")\n"
              "\tCopyToFile(\"" +
                  path +
                  "\")\n"
                  "\tAddString(\"> \" + Chr(34) + \"q\" + Chr(34), False)\n"
                  "\tFindFor(\"a1\", \"" +
                  options +
                  "\")\n"
                  "\tFindBack(\"a1\", \"" +
                  options +
                  "\")\n"
                  "\tReplace(\"c3\", \"C3\", \"" +
                  replaceOptions +
                  "\")\n"
                  "\tGrep(\"main\", \"/src\", \"*.c\", \"S\")\n"
                  "\tShellCmd(\"make \" + Chr(34) + \"all\" + Chr(34), \"O\")\n"
                  "\tShellMenu(2)\n\tCommand(\"CodeUtf8\")\n");
    // The saved text compiles.
    const script::MacroText t =
        script::MacroToText(ed.macros.macro().image(), platform::SystemCodePage());
    EXPECT_TRUE(script::CompileSource(platform::RealFileSystem(), "/tmp/m.nrs", t.text).image);
}

TEST(KeyMacros, EveryHiddenNameRecordsSavesAndReplays) {
    MacroEditor ed;
    ed.Open({""});
    ed.Record([&] {
        for (size_t i = 0; i < kHiddenCommands.size(); ++i) ed.RunHiddenCommand(i);
    });
    std::string expected;
    std::vector<std::string> names;
    for (const HiddenCommand& c : kHiddenCommands) {
        expected += "\tCommand(\"" + std::string(c.name) + "\")\n";
        names.emplace_back(c.name);
    }
    EXPECT_EQ(ed.Saved(), expected);
    ed.hiddenRun.clear();
    ed.Chord('O', 'M');
    EXPECT_EQ(ed.hiddenRun, names);
    // A hidden command that the editor does not carry out says so.
    FakeScriptEditor plain;
    plain.Run(Main("COMMAND(\"SpellCheck\")"));
    EXPECT_EQ(plain.notices, (std::vector<std::string>{std::string(kNotAvailableYet)}));
}

TEST(KeyMacros, ARecordingStartedInAScriptRecordsItsCommands) {
    MacroEditor ed;
    ed.Open({""});
    ed.dir.Write("rec.nrs", Main("COMMAND(\"RecordKey\")\nINPUTCHAR(&H41)\nCOMMAND(\"CsrLeft\")\n"
                                 "COMMAND(\"RecordKey\")"));
    RunScriptFile(ed.host, "rec");
    EXPECT_EQ(ed.Saved(), "\tInputChar(&H41)\n\tCommand(\"CsrLeft\")\n");
    // Ended by the user after the script: what the user does after the run is recorded too, and
    // a script run started then is not.
    ed.dir.Write("start.nrs", Main("COMMAND(\"RecordKey\")\nINPUTCHAR(&H42)"));
    RunScriptFile(ed.host, "start");
    ed.dir.Write("inner.nrs", Main("INPUTCHAR(&H43)"));
    ed.nopScript = "inner";
    ed.Type("d");
    ed.Press(vk::kF1);  // AppHelp, a frame command
    ed.RunCommand(size_t(CommandIndexByName("Nop")));
    ed.Chord('O', 'R');
    EXPECT_EQ(ed.Saved(),
              "\tInputChar(&H42)\n\tInputChar(&H64)\n\tCommand(\"AppHelp\")\n"
              "\tCommand(\"Nop\")\n");
    EXPECT_EQ(ed.Lines(ed.win()), (std::vector<std::string>{"BdCA"}));
}

TEST(KeyMacros, AScriptStartedByARecordedCommandRunsOnceOnReplay) {
    MacroEditor ed;
    ed.Open({""});
    ed.dir.Write("typez.nrs", Main("INPUTCHAR(&H7A)\nCOMMAND(\"CsrLeft\")"));
    ed.nopScript = "typez";
    ed.Record([&] { ed.RunCommand(size_t(CommandIndexByName("Nop"))); });
    EXPECT_EQ(ed.Saved(), "\tCommand(\"Nop\")\n");
    ed.Open({""});
    ed.Chord('O', 'M');
    EXPECT_EQ(ed.Lines(ed.win()), (std::vector<std::string>{"z"}));
}

TEST(KeyMacros, AnEventRunRecordsNothing) {
    MacroEditor ed;
    ed.Open({""});
    ed.Chord('O', 'R');
    ed.host.runContext = 8;  // a resident script reacting to a key
    ed.Run(Main("INPUTCHAR(&H41)\nCOMMAND(\"CsrLeft\")"));
    ed.host.runContext = 0;
    ed.Type("b");
    ed.Chord('O', 'R');
    EXPECT_EQ(ed.Saved(), "\tInputChar(&H62)\n");
}

TEST(KeyMacros, ACharacterTheCodePageLacksEndsTheRecording) {
    MacroEditor ed;
    ed.Open({""}, document::TextCode::kUtf8);
    ed.Chord('O', 'R');
    ed.Type("a");
    const std::string kanji = "\xE6\xBC\xA2";   // in code page 932
    const std::string hangul = "\xED\x95\x9C";  // not in it
    ed.Press(0, false, kanji);
    ed.Press(0, false, hangul);
    EXPECT_EQ(ed.macros.state(), script::MacroState::kIdle);
    EXPECT_NE(ed.headless.statusTexts.back().find(hangul), std::string::npos);
    ed.Type("b");  // no longer recorded
    EXPECT_EQ(ed.Saved(), "\tInputChar(&H61)\n\tInputChar(&H8abf)\n");
    ed.Open({""}, document::TextCode::kUtf8);
    ed.Chord('O', 'M');
    EXPECT_EQ(ed.Lines(ed.win()), (std::vector<std::string>{"a" + kanji}));
    // A search text of such characters ends it the same way.
    ed.findEnv.findDialog = [&](search::FindDialogRequest& r) {
        r.searchString = hangul;
        return true;
    };
    ed.Chord('O', 'R');
    ed.Press('F', true);
    EXPECT_EQ(ed.macros.state(), script::MacroState::kIdle);
    EXPECT_EQ(ed.Saved(), "");
}

TEST(KeyMacros, StatesAndTheirMenuMarks) {
    MacroEditor ed;
    ed.Open({""});
    struct Marks {
        bool recordEnabled, recordChecked, playEnabled, playChecked;
        bool operator==(const Marks&) const = default;
    };
    auto marks = [&] {
        return Marks{ed.macros.RecordKeyEnabled(), ed.macros.RecordKeyChecked(),
                     ed.macros.PlayKeyEnabled(), ed.macros.PlayKeyChecked()};
    };
    EXPECT_EQ(marks(), (Marks{true, false, true, false}));
    ed.Chord('O', 'R');
    EXPECT_EQ(marks(), (Marks{true, true, false, false}));
    ed.Chord('O', 'M');  // playing while recording does nothing
    EXPECT_EQ(ed.macros.state(), script::MacroState::kRecording);
    ed.RunCommand(size_t(CommandIndexByName("Nop")));
    ed.Chord('O', 'R');
    std::vector<Marks> seen;
    ed.duringNop = [&] {
        seen.push_back(marks());
        ed.Chord('O', 'R');  // recording while playing does nothing
        ed.Chord('O', 'M');  // nor does playing again
    };
    ed.Chord('O', 'M');
    EXPECT_EQ(seen, (std::vector<Marks>{{false, false, true, true}}));
    EXPECT_EQ(marks(), (Marks{true, false, true, false}));
}

TEST(KeyMacros, SavingAndLoadingFailuresKeepWhatWasThere) {
    MacroEditor ed;
    ed.Open({""});
    // Nothing recorded yet.
    ed.Chord('O', 'V');
    EXPECT_EQ(ed.messages().back(), std::string(kNotAKeyMacro));
    ed.Record([&] { ed.Type("k"); });
    const std::string kept = ed.macros.macro().image();
    auto file = [&](const std::string& name) {
        return [&ed, name](MacroFileRequest& r) {
            r.path = ed.dir.path() + "/" + name;
            return true;
        };
    };
    // A script that does not compile: its error is shown, the macro stays.
    ed.dir.Write("bad.nrs", "MAIN\nX = \nEND MAIN\n");
    ed.ask = file("bad.nrs");
    ed.Chord('O', 'L');
    EXPECT_EQ(ed.macros.macro().image(), kept);
    EXPECT_EQ(ed.shownAt.size(), 1u);
    // A damaged compiled script without its source.
    std::string damaged = kept;
    damaged[96] = '\x00';
    ed.dir.Write("dam.nrx", damaged);
    ed.ask = file("dam.nrx");
    ed.Chord('O', 'L');
    EXPECT_EQ(ed.macros.macro().image(), kept);
    // A missing file.
    ed.ask = file("none.nrs");
    ed.Chord('O', 'L');
    EXPECT_EQ(ed.macros.macro().image(), kept);
    // Cancelled dialogs change nothing.
    ed.ask = [](MacroFileRequest&) { return false; };
    ed.Chord('O', 'L');
    ed.Chord('O', 'V');
    EXPECT_EQ(ed.macros.macro().image(), kept);
    // A macro image that cannot be written back as text: the file has the lines up to there.
    std::string broken = kept;
    broken.insert(96, 1, '\x2C');  // DUP before the first entry
    script::WriteLe32(reinterpret_cast<uint8_t*>(broken.data()) + script::kCodeSizeOffset,
                      static_cast<uint32_t>(broken.size()));
    ed.macros.macro().Replace(broken);
    ed.ask = file("broken.nrs");
    const size_t before = ed.messages().size();
    ed.Chord('O', 'V');
    ASSERT_EQ(ed.messages().size(), before + 1);
    EXPECT_EQ(ed.messages().back(), std::string(script::kConversionError));
    EXPECT_EQ(ed.dir.Read("broken.nrs"),
              std::string(script::kMacroTextHead) + std::string(script::kMacroTextEnd));
}

TEST(KeyMacros, AMacroPlaysUntilBreak) {
    MacroEditor ed;
    ed.Open({""});
    ed.dir.Write("loop.nrs", Main("WHILE 1\nn = n + 1\nWEND"));
    ed.ask = [&](MacroFileRequest& r) {
        r.path = ed.dir.path() + "/loop.nrs";
        return true;
    };
    ed.Chord('O', 'L');
    ed.breakAtPoll = 3;
    EXPECT_EQ(ed.macros.PlayKey(ed.host), PlayOutcome::kInterrupted);
    EXPECT_EQ(ed.macros.state(), script::MacroState::kIdle);
}

}  // namespace
}  // namespace norv::app::testing
