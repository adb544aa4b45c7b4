// The script's dialogs, menus, status bar, clipboard, keys, windows and SHELL on an editor
// without windows.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "app/scripting/fake_script_frame.h"
#include "app/scripting/send_keys.h"

namespace norv::app::testing {
namespace {

TEST(ScriptMessageBox, CaptionStyleAndResult) {
    FramedScriptEditor ed;
    ed.headless.QueueAnswer(platform::kIdNo);
    ed.Run(Main(R"(
n = MSGBOX("Save?", "", 4 + 32 + 256)
MSGBOX(STR(n), "Mine", 0)
n = MSGBOX("Retry?", "Job", 5)
MSGBOX(STR(n), "", 0)
n = MSGBOX("Which?", "", 3 + 512)
MSGBOX(STR(n), "", 0)
)"));
    EXPECT_EQ(ed.messages(),
              (std::vector<std::string>{"Save?", "7", "Retry?", "4", "Which?", "2"}));
    EXPECT_EQ(ed.headless.captions,
              (std::vector<std::string>{"Norv", "Mine", "Job", "Norv", "Norv", "Norv"}));
    EXPECT_EQ(ed.headless.styles[0], 4u + 32u + 256u);
}

TEST(ScriptFileDialog, OpenSaveFullPathNameAndCancel) {
    FramedScriptEditor ed;
    ed.fileAnswers = {"/data/a.txt", "/data/b.txt", "/data/c.c"};
    ed.Run(Main(R"(
MSGBOX(GETOPENFILE("*.txt", 1, 0))
MSGBOX(GETOPENFILE("memo.txt", 0, 1))
MSGBOX(GETOPENFILE("", 1, 0))
MSGBOX("[" + GETOPENFILE("*.c", 1, 0) + "]")
)"));
    EXPECT_EQ(ed.messages(), (std::vector<std::string>{"/data/a.txt", "b.txt", "/data/c.c", "[]"}));
    EXPECT_EQ(ed.dialogs, (std::vector<std::string>{"open:*.txt|*.txt", "save:memo.txt|", "open:|",
                                                    "open:*.c|*.c"}));
}

TEST(ScriptFileDialog, WithoutAFrameTheAnswersOfTheInputBoxServe) {
    FakeScriptEditor ed;
    ed.answers = {"/in/first.txt", "second"};
    ed.Run(Main(R"(
MSGBOX(GETOPENFILE("*.txt", 0, 0) + "|" + INPUTBOX("Name", "", "x") + "|" + GETOPENFILE("", 1, 1))
)"));
    EXPECT_EQ(ed.messages(), (std::vector<std::string>{"first.txt|second|"}));
}

TEST(ScriptMenus, HandlesNameOnlyMenusThatExist) {
    ScriptMenuTable t;
    const uint32_t m = t.NewMenu();
    ASSERT_NE(m, 0u);
    EXPECT_EQ(t.AddItem(m, "&Open", 10), 1u);
    EXPECT_EQ(t.AddItem(m, "", kMenuSeparator), 1u);
    EXPECT_EQ(t.AddItem(m, "", kMenuSeparator16), 1u);
    const uint32_t sub = t.AddItem(m, "More", 0);
    ASSERT_NE(sub, 0u);
    EXPECT_EQ(t.AddItem(sub, "Deep", 20), 1u);
    EXPECT_EQ(t.ItemText(m, 20), "Deep");  // found through the submenu
    EXPECT_EQ(t.ItemText(sub, 10), std::nullopt);
    ASSERT_EQ(t.Find(m)->items.size(), 4u);
    EXPECT_EQ(t.Find(m)->items[1].kind, ScriptMenuItem::Kind::kSeparator);
    // A submenu cannot be discarded on its own; its top menu takes it along.
    t.Discard(sub);
    EXPECT_NE(t.Find(sub), nullptr);
    t.Discard(m);
    EXPECT_EQ(t.Find(m), nullptr);
    EXPECT_EQ(t.Find(sub), nullptr);
    EXPECT_EQ(t.AddItem(m, "x", 1), 0u);
    EXPECT_EQ(t.AddItem(sub, "x", 1), 0u);
    EXPECT_EQ(t.ItemText(m, 10), std::nullopt);
    // The slot is used again under a new generation: the old handle still names nothing.
    const uint32_t again = t.NewMenu();
    EXPECT_NE(again, m);
    EXPECT_EQ(t.Find(m), nullptr);
    for (uint32_t invented : {0u, 1u, 2u, 0xFFFFFFFFu, again + 1})
        EXPECT_EQ(t.Find(invented), nullptr) << invented;
    EXPECT_EQ(t.liveMenus(), 1u);
}

TEST(ScriptMenus, ItemTextsAreCutAtAWholeCharacter) {
    EXPECT_EQ(CutAtCharacter("abc", 256, 932), "abc");
    const std::string kana = Sjis("あ");
    std::string text = std::string(255, 'a') + kana;
    EXPECT_EQ(CutAtCharacter(text, 256, 932), std::string(255, 'a'));
    EXPECT_EQ(CutAtCharacter(text, 256, 1252).size(), 256u);
}

TEST(ScriptMenus, DoMenuReturnsTheChoiceOrMinusOneAndStaleHandlesFail) {
    FramedScriptEditor ed;
    ed.chooseFromMenu = [](const ScriptMenu& menu) {
        // The submenu's item.
        return menu.items.size() == 3 ? menu.items[2].submenu->items[0].id : -1;
    };
    ed.Run(Main(R"(
h = NEWMENU()
n = ADDMENUITEM(h, "&First", 1)
n = ADDMENUITEM(h, "-", -1)
h2 = ADDMENUITEM(h, "&More", 0)
n = ADDMENUITEM(h2, "&Deep", 42)
MSGBOX(STR(DOMENU(h)) + GETMENUITEM(h, 42) + GETMENUITEM(h, 1) + "[" + GETMENUITEM(h, 9) + "]")
DISCARDMENU(h)
MSGBOX(STR(DOMENU(h)) + STR(ADDMENUITEM(h, "x", 5)) + "[" + GETMENUITEM(h, 1) + "]" + STR(DOMENU(12345)))
)"));
    EXPECT_EQ(ed.messages(), (std::vector<std::string>{"42&Deep&First[]", "-10[]-1"}));
    ASSERT_EQ(ed.shownMenus.size(), 1u);  // a discarded menu is never shown
}

TEST(ScriptMenus, WithoutAFrameMenusAreDismissed) {
    FakeScriptEditor ed;
    ed.Run(Main("h = NEWMENU()\nn = ADDMENUITEM(h, \"a\", 1)\nMSGBOX(STR(DOMENU(h)))"));
    EXPECT_EQ(ed.messages(), (std::vector<std::string>{"-1"}));
}

TEST(ScriptStatusAndClipboard, MessageTextClipboardAndBoxBuffer) {
    FramedScriptEditor ed;
    ed.Open({"x"});
    ed.clipboardFake.SetText("one\ntwo\r\nthree ☃");
    ed.clip.box.pieces = {"ab", Sjis("日本")};
    ed.clip.box.codePage = 932;
    ed.Run(Main(R"(
SETMESSAGETEXT("Working")
s = GETCLIPBOARD(0)
MSGBOX(STR(LEN(s)) + ":" + s)
MSGBOX(GETCLIPBOARD(1))
)"));
    EXPECT_EQ(ed.notices, (std::vector<std::string>{"Working"}));
    EXPECT_EQ(ed.messages()[0], "17:one\r\ntwo\r\nthree ?");
    // (Message texts come back in UTF-8.)
    EXPECT_EQ(ed.messages()[1], "ab\r日本\r");
    ed.clip.box.pieces.clear();
    ed.clipboardFake.content.reset();
    ed.Run(Main("MSGBOX(\"[\" + GETCLIPBOARD(0) + GETCLIPBOARD(1) + \"]\")"));
    EXPECT_EQ(ed.messages().back(), "[]");
}

// Key strings and the events they give: D down, U up, S/C/A the modifiers.
std::string Events(std::string_view keys) {
    const auto events = ParseSendKeys(keys, 932);
    if (!events) return "error";
    std::string out;
    for (const KeyEvent& e : *events) {
        if (!out.empty()) out += ' ';
        switch (e.key) {
            case kShiftKey:
                out += "S";
                break;
            case kCtrlKey:
                out += "C";
                break;
            case kAltKey:
                out += "A";
                break;
            default: {
                char hex[8];
                std::snprintf(hex, sizeof hex, "%02X", e.key);
                out += hex;
            }
        }
        out += e.down ? (e.bytes.empty() ? "v" : "v" + e.bytes) : "^";
    }
    return out;
}

TEST(SendKeysParser, KeyStringsAndTheirEvents) {
    static const struct {
        std::string_view keys, events;
    } kCases[] = {
        {"ab", "41va 41^ 42vb 42^"},
        {"A", "Sv 41vA 41^ S^"},
        {"+a", "Sv 41vA 41^ S^"},
        {"+A", "Sv 41vA 41^ S^"},  // Shift held already
        {"++a", "Sv 41vA 41^ S^"},
        {"+1+;+{a}+{a 2}", "Sv 31v! 31^ S^ Sv BAv: BA^ S^ Sv 41vA 41^ S^ Sv 41vA 41^ 41vA 41^ S^"},
        {"+(a1 )", "Sv 41vA 41^ 31v! 31^ 20v  20^ S^"},
        {"^c", "Cv 43vc 43^ C^"},
        {"%{F4}", "Av 73v 73^ A^"},
        {"+(ab)c", "Sv 41vA 41^ 42vB 42^ S^ 43vc 43^"},
        {"^+{Left}", "Cv Sv 25v 25^ S^ C^"},
        {"~", "0Dv 0D^"},
        {"{Enter}{enter}{ENTER}", "0Dv 0D^ 0Dv 0D^ 0Dv 0D^"},
        {"{F5 3}", "74v 74^ 74v 74^ 74v 74^"},
        {"{}}", "Sv DDv} DD^ S^"},
        {"{{}", "Sv DBv{ DB^ S^"},
        {"{+}{%}{~}", "Sv BBv+ BB^ S^ Sv 35v% 35^ S^ Sv C0v~ C0^ S^"},
        {"{a}{@}{^}", "41va 41^ 40v@ 40^ 5Ev^ 5E^"},
        {"{Space}{BS}{Tab}{ESC}{Del}{Ins}{PgUp}{PgDn}{Home}{End}",
         "20v  20^ 08v 08^ 09v 09^ 1Bv 1B^ 2Ev 2E^ 2Dv 2D^ 21v 21^ 22v 22^ 24v 24^ 23v 23^"},
        {"{F24}{LBtn}{RBtn}{Up}{Down}{Right}", "87v 87^ 01v 01^ 02v 02^ 26v 26^ 28v 28^ 27v 27^"},
        {"1!", "31v1 31^ Sv 31v! 31^ S^"},
        {"", ""},
    };
    for (const auto& c : kCases) EXPECT_EQ(Events(c.keys), c.events) << c.keys;
    // A double-byte character types its two bytes without a key.
    const auto kana = ParseSendKeys(Sjis("あ"), 932);
    ASSERT_TRUE(kana);
    ASSERT_EQ(kana->size(), 2u);
    EXPECT_EQ((*kana)[0].bytes, Sjis("あ"));
}

TEST(SendKeysParser, ParseErrorsSendNothing) {
    for (std::string_view bad : {"{Foo}", "{F5", "{F0}", "{F25}", "{F5 0}", "{F5 x}", "{}", "(ab",
                                 "ab)", "+", "a^", "{F1 4097}", "{a 2049}"})
        EXPECT_EQ(Events(bad), "error") << bad;
    // Exactly 4096 events is allowed; one key more is not.
    EXPECT_NE(Events("{a 2048}"), "error");
    EXPECT_EQ(Events("{a 2048}b"), "error");
}

TEST(SendKeys, TypeIntoTheViewAndRunCommandsByTheirKeys) {
    FramedScriptEditor ed;
    FakeWindow& w = ed.Open({"tail"});
    ed.Run(Main(R"(
SENDKEYS("Ab 1{END}!", 1)
SENDKEYS("{Foo}zzz", 1)
)"));
    EXPECT_EQ(ed.Lines(w), (std::vector<std::string>{"Ab 1tail!"}));
    EXPECT_TRUE(ed.waited);
    // Home goes to the start of the line with the built-in keys.
    ed.Run(Main("SENDKEYS(\"{HOME}x\", 0)"));
    EXPECT_EQ(ed.Lines(w), (std::vector<std::string>{"xAb 1tail!"}));
    EXPECT_FALSE(ed.waited);
    // Former fault: a Shift hold typed the unshifted character ("+c" gave "c").
    ed.Run(Main("SENDKEYS(\"{END}+c+(d2)e\", 1)"));
    EXPECT_EQ(ed.Lines(w), (std::vector<std::string>{"xAb 1tail!CD@e"}));
}

TEST(SendKeys, TextForAUtf8DocumentIsConverted) {
    FramedScriptEditor ed;
    FakeWindow& w = ed.Open({""}, document::TextCode::kUtf8);
    ed.Run(Main("SENDKEYS(\"" + Sjis("日本") + "a\", 1)"));
    EXPECT_EQ(ed.Lines(w), (std::vector<std::string>{"日本a"}));
}

TEST(ScriptKeys, KeyStateInputMethodAndCommandNames) {
    FramedScriptEditor ed;
    ed.Open({"x"});
    ed.keysDown = {0x41, 0x10};
    ed.Run(Main(R"(
MSGBOX(STR(ISKEYPRESSED(65)) + STR(ISKEYPRESSED(16)) + STR(ISKEYPRESSED(66)))
IMECTRL(1)
IMECTRL(0)
IMECTRL(2)
IMECTRL(3)
IMECTRL(-1)
)"));
    EXPECT_EQ(ed.messages(), (std::vector<std::string>{"110"}));
    EXPECT_EQ(ed.inputMethod, (std::vector<bool>{true, false, true}));

    // Each class of KEYTOCMD against the built-in keys: the first command holding the code.
    KeyTable table;
    auto nameOf = [&](KeyCode code) {
        const int c = table.Find(code);
        return c < 0 ? std::string() : std::string(kBuiltinCommands[size_t(c)].name);
    };
    ed.messages().clear();
    static const struct {
        int key, shift;
        KeyCode code;
    } kCases[] = {
        {0x24, 0, 0xFF24},    {0x24, 0xFF, 0xFF24},    {0x24, 0x20, 0x2024},
        {0x25, 0x40, 0x4025}, {0x25, 0x60, 0x6025},    {0x73, 0xFE, 0xFE73},
        {0x2D, 0xFD, 0xFD2D}, {'Q', 'F' - 64, 0x0651}, {'k', 'B' - 64, 0x024B},
    };
    std::string body;
    for (const auto& c : kCases)
        body += "MSGBOX(\"[\" + KEYTOCMD(" + std::to_string(c.key) + ", " +
                std::to_string(c.shift) + ") + \"]\")\n";
    body += "MSGBOX(\"[\" + KEYTOCMD(65, 7) + \"]\")\n";
    ed.Run(Main(body));
    ASSERT_EQ(ed.messages().size(), std::size(kCases) + 1);
    for (size_t i = 0; i < std::size(kCases); ++i)
        EXPECT_EQ(ed.messages()[i], "[" + nameOf(kCases[i].code) + "]") << i;
    EXPECT_EQ(ed.messages()[0], "[BegLine]");
    EXPECT_EQ(ed.messages().back(), "[]");
}

TEST(ScriptWindows, AppActivateFindsTheEditorsOwnWindowsOnly) {
    FramedScriptEditor ed;
    FakeWindow& a = ed.Open({"a"});
    a.doc->path = "/t/alpha.txt";
    a.doc->UpdateTitle();
    FakeWindow& b = ed.Open({"b"});
    b.doc->path = "/t/beta.txt";
    b.doc->UpdateTitle();
    ed.Run(Main(R"(
MSGBOX(STR(.HWND) + STR(APPACTIVATE("alpha", "")) + STR(.HWND))
MSGBOX(STR(APPACTIVATE("", "NorvMainWindowClass")) + STR(APPACTIVATE("beta", "NorvMainWindowClass")))
MSGBOX(STR(APPACTIVATE("gamma", "")) + STR(APPACTIVATE("beta", "")) + STR(.HWND) + STR(.DOCNUM))
)"));
    EXPECT_EQ(ed.messages(), (std::vector<std::string>{"322", "10", "0332"}));
}

std::string WaitForFile(const std::string& path) {
    for (int i = 0; i < 200; ++i) {
        std::ifstream in(path, std::ios::binary);
        std::string s((std::istreambuf_iterator<char>(in)), {});
        if (!s.empty() && s.back() == '\n') return s;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return {};
}

// A shell script that writes its arguments, one a line, to $OUT.
std::string ArgPrinter(const ScratchFolder& dir) {
    const std::string p =
        dir.Write("args.sh",
                  "#!/bin/sh\nfor a in \"$@\"; do printf '[%s]' \"$a\"; done > \"$OUT.tmp\"\necho "
                  ">> \"$OUT.tmp\"\nmv \"$OUT.tmp\" \"$OUT\"\n");
    chmod(p.c_str(), 0755);
    return p;
}

// What a real shell makes of a command line (no expansion characters in it).
std::string ThroughShell(const std::string& shell, const std::string& line,
                         const std::string& out) {
    std::filesystem::remove(out);
    const std::string cmd = "OUT='" + out + "' " + shell + " -c '" + line + "'";
    EXPECT_EQ(std::system(cmd.c_str()), 0) << cmd;
    return WaitForFile(out);
}

TEST(Shell, WordsAsDashAndBashSplitThemAndNoShellSyntax) {
    ScratchFolder dir;
    const std::string printer = ArgPrinter(dir);
    const std::string out = dir.path() + "/out";
    setenv("OUT", out.c_str(), 1);
    // Lines without quotes of the kind the outer -c '...' uses.
    static const char* kLines[] = {
        "P a b",    "P  \"a b\"   c",  "P a\\ b \"c\\\"d\"", "P \"x\\\\y\" z\\\\w",
        "P \"\" e", "P \"tab\there\"",
    };
    for (const char* l : kLines) {
        std::string line = l;
        line.replace(0, 1, printer);
        std::string expected;
        for (const char* shell : {"dash", "bash"}) {
            const std::string got = ThroughShell(shell, line, out);
            if (expected.empty()) expected = got;
            EXPECT_EQ(got, expected) << shell << ": " << line;
        }
        std::filesystem::remove(out);
        EXPECT_EQ(ShellStart(line), 33) << line;
        EXPECT_EQ(WaitForFile(out), expected) << line;
    }
    // Shell syntax reaches the program as text.
    std::filesystem::remove(out);
    EXPECT_EQ(ShellStart(printer + " a;b | c > d $HOME `x` *"), 33);
    EXPECT_EQ(WaitForFile(out), "[a;b][|][c][>][d][$HOME][`x`][*]\n");
    EXPECT_FALSE(std::filesystem::exists(dir.path() + "/d"));
    unsetenv("OUT");
}

TEST(Shell, ResultsAndNoZombie) {
    EXPECT_EQ(ShellStart(""), -1);
    EXPECT_EQ(ShellStart("no-such-program-here x"), 2);
    EXPECT_EQ(ShellStart("/no/such/file.txt"), 2);
    EXPECT_EQ(ShellStart("printf 'open"), 2);
    ASSERT_EQ(ShellStart("true now"), 33);
    // The started program was reaped: no child of ours is left, running or ended.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);

    FakeScriptEditor ed;
    ed.Run(
        Main("MSGBOX(STR(SHELL(\"\")) + STR(SHELL(\"no-such-program-here x\")) + "
             "STR(SHELL(\"true x\")))"));
    EXPECT_EQ(ed.messages(), (std::vector<std::string>{"-1233"}));
}

}  // namespace
}  // namespace norv::app::testing
