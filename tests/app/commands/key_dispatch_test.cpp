// Key files, key dispatch, the two-stroke menu, the function-key bar and user menus.
#include "app/commands/key_dispatch.h"

#include <gtest/gtest.h>

#include "app/commands/key_table.h"
#include "app/commands/user_menus.h"
#include "app/config/settings.h"
#include "app/config/settings_store.h"
#include "platform/fakes/headless_ui.h"
#include "platform/fakes/memory_file_system.h"

namespace norv::app {
namespace {

using editing::CommandId;

struct Recorder : ViewCommandSink, FrameCommands, TwoStrokeTimer {
    void RunViewCommand(CommandId id, int, bool shiftSelecting) override {
        log.push_back(std::string(editing::ViewCommandName(id)) + (shiftSelecting ? "+sel" : ""));
    }
    bool BoxSelectionActive() const override { return box; }
    void TypeBytes(std::string_view bytes, int) override {
        log.push_back("type " + std::string(bytes));
    }
    void RunFrameCommand(FrameCommandId id, uint8_t) override {
        log.push_back(std::string(kBuiltinCommands[size_t(CommandIndexById(uint16_t(id)))].name));
    }
    void Start(int ms) override { timerMs = ms; }
    void Stop() override { timerMs = -1; }
    std::vector<std::string> log;
    bool box = false;
    int timerMs = -1;
};

struct Rig {
    Rig() : d(table, rec) {
        d.view = &rec;
        d.ui = &ui;
        d.timer = &rec;
        // Every command counts as built: these tests are about where a key goes.
        d.available = [](size_t) { return true; };
    }
    KeyDispatcher::Outcome Press(uint8_t key, bool ctrl = false, bool shift = false,
                                 bool alt = false, int repeat = 1) {
        return d.KeyDown(KeyStroke{key, ctrl, shift, alt, repeat});
    }
    KeyTable table;
    Recorder rec;
    platform::HeadlessUi ui;
    KeyDispatcher d;
};

TEST(KeyDispatch, StrokesReachTheirCommands) {
    static const struct {
        const char* name;
        uint8_t key;
        bool ctrl, shift, alt;
        bool shiftSelect;
        const char* expect;  // the log, "" for nothing
    } kCases[] = {
        {"plain arrow", vk::kUp, false, false, false, true, "CsrUp"},
        {"shift arrow with ShiftSelect keeps the plain command", vk::kRight, false, true, false,
         true, "CsrRight+sel"},
        {"shift arrow without ShiftSelect", vk::kRight, false, true, false, false, ""},
        {"Shift+Del counts Shift", vk::kDelete, false, true, false, true, "WordDel"},
        {"Ctrl+Left", vk::kLeft, true, false, false, true, "WordLeft"},
        {"Alt+Down", vk::kDown, false, false, true, true, "AnothRollUp"},
        {"Alt ignores Ctrl", vk::kDown, true, false, true, true, "AnothRollUp"},
        {"SAlt+Ins", vk::kInsert, false, true, true, true, "RepeatOne"},
        {"frame command", vk::kF1, false, false, false, true, "AppHelp"},
        {"Shift+F8", vk::kF1 + 7, false, true, false, true, "PrevChanged"},
        {"unassigned", 'M', false, false, false, true, ""},
        {"Ctrl+W second key", 'W', true, false, false, true, "WordRight"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        Rig r;
        r.d.options.shiftSelect = c.shiftSelect;
        r.Press(c.key, c.ctrl, c.shift, c.alt);
        EXPECT_EQ(r.rec.log.empty() ? "" : r.rec.log[0], std::string(c.expect));
    }
}

TEST(KeyDispatch, TwoStrokeKeys) {
    Rig r;
    EXPECT_EQ(r.Press('K', true), KeyDispatcher::Outcome::kPrefixPending);
    EXPECT_EQ(r.ui.statusTexts.back(), "Ctrl+K^");
    EXPECT_EQ(r.rec.timerMs, 500);
    r.Press('B', true);  // Ctrl held or not, the second letter counts
    EXPECT_EQ(r.rec.log, (std::vector<std::string>{"SelectBegin"}));
    EXPECT_EQ(r.rec.timerMs, -1);
    EXPECT_FALSE(r.d.pendingPrefix());
    // A digit after Ctrl+K clears the prefix and goes as itself (unassigned here).
    r.Press('K', true);
    EXPECT_EQ(r.Press('1'), KeyDispatcher::Outcome::kNothing);
    EXPECT_FALSE(r.d.pendingPrefix());
    r.Press(vk::kUp);
    EXPECT_EQ(r.rec.log.back(), "CsrUp");
    // Without TwoMenu no timer starts and the prefix waits for the next key.
    r.d.options.twoMenu = false;
    r.rec.timerMs = -1;
    r.Press('Q', true);
    EXPECT_EQ(r.rec.timerMs, -1);
    EXPECT_TRUE(r.d.pendingPrefix());
    r.Press('F');
    EXPECT_EQ(r.rec.log.back(), "SearchFwd");
}

TEST(KeyDispatch, ScriptsBoxModeRepeatsAndTableOrder) {
    Rig r;
    std::vector<KeyCode> offered;
    r.d.residentKeyEvent = [&](KeyCode k) {
        offered.push_back(k);
        return k == KeyFromName("Ctrl+C");
    };
    EXPECT_EQ(r.Press('C', true), KeyDispatcher::Outcome::kTakenByScript);
    EXPECT_TRUE(r.rec.log.empty());
    r.Press(vk::kDown, false, false, false, 3);
    EXPECT_EQ(r.rec.log, (std::vector<std::string>(3, "CsrDown")));
    r.rec.log.clear();
    r.rec.box = true;
    r.Press(vk::kTab);
    r.Press(vk::kTab, false, true);
    r.Press(vk::kDelete, false, true);
    EXPECT_EQ(r.rec.log, (std::vector<std::string>{"Indent", "BackInd", "EditCut"}));
    // Two commands with the same key: the earlier one wins.
    r.rec.log.clear();
    r.rec.box = false;
    r.table.SetKey(size_t(CommandIndexByName("Nop")), 0, KeyFromName("Up"));
    r.Press(vk::kUp);
    EXPECT_EQ(r.rec.log, (std::vector<std::string>{"CsrUp"}));
    r.table.SetKey(size_t(CommandIndexByName("CsrUp")), 0, kUnassignedKey);
    r.Press(vk::kUp);
    EXPECT_EQ(r.rec.log.back(), "Nop");
}

TEST(KeyDispatch, TwoStrokeMenuAndFunctionKeyBar) {
    Rig r;
    r.Press('O', true);
    auto items = r.d.TakeTwoStrokeMenu();
    EXPECT_FALSE(r.d.pendingPrefix());
    ASSERT_EQ(items.size(), 9u);  // RecordKey ... Shell, ShellMenu under Ctrl+O
    EXPECT_EQ(items[0].text, "&R: RecordKey");
    EXPECT_FALSE(items[0].separatorBefore);
    r.Press('K', true);
    items = r.d.TakeTwoStrokeMenu();
    // Groups are separated: the first "Edit" item after the "Line Edit" ones.
    size_t firstEdit = 0;
    while (GroupOf(items[firstEdit].command) == 1) ++firstEdit;
    EXPECT_TRUE(items[firstEdit].separatorBefore);
    EXPECT_EQ(r.d.ChooseFromMenu(items[0]), KeyDispatcher::Outcome::kView);
    EXPECT_EQ(r.rec.log.back(), "ChangeCase");

    auto plain = FunctionKeyLabels(r.table, key_class::kNone, nullptr);
    EXPECT_EQ(plain[0], "AppHelp");
    EXPECT_EQ(plain[6], "F7");
    auto shifted = FunctionKeyLabels(r.table, key_class::kShift, nullptr);
    EXPECT_EQ(shifted[2], "SearchPrev");
    // An add-in without a short name shows its script's file name.
    r.table.SetKey(size_t(CommandIndexByName("Addin3")), 0, KeyFromName("SCtrl+F2"));
    auto both = FunctionKeyLabels(
        r.table, key_class::kShiftCtrl, [](size_t) { return std::string(); },
        [](size_t i) { return std::string(kBuiltinCommands[i].name) + ".nrx"; });
    EXPECT_EQ(both[1], "Addin3.nrx");
}

TEST(KeyFile, SavedTableLoadsBackTheSame) {
    platform::MemoryFileSystem fs;
    fs.folders.insert("/cfg/");
    fs.folders.insert("/cfg");
    KeyTable original;
    original.SetKey(0, 1, KeyFromName("Ctrl+K^B"));
    ASSERT_EQ(SaveKeyFile(fs, "/cfg/Norv.KEY", original), 0);
    const std::string& text = fs.files["/cfg/Norv.KEY"];
    EXPECT_EQ(text.substr(0, 14), "TwoStroke\tKOQ\r");
    EXPECT_NE(text.find("CsrUp\tUp\tCtrl+K^B\r\n"), std::string::npos);
    KeyTable loaded;
    loaded.SetPrefixes("Z");
    for (size_t i = 0; i < kCommandCount; ++i) loaded.SetKey(i, 0, kUnassignedKey);
    ASSERT_TRUE(LoadKeyFile(fs, "/cfg/Norv.KEY", loaded));
    EXPECT_TRUE(loaded == original);
    EXPECT_FALSE(LoadKeyFile(fs, "/cfg/missing.KEY", loaded));
    EXPECT_TRUE(loaded == original);
}

TEST(KeyFile, LinesReplaceOnlyWhatTheyName) {
    static const struct {
        const char* name;
        const char* text;
        const char* prefixes;
        const char* command;
        const char* key1;
        const char* key2;
    } kCases[] = {
        {"only TwoStroke", "TwoStroke\tKX\r\n", "KX", "CsrUp", "Up", ""},
        {"blanks and tabs", "CsrUp  Ctrl+E\t Ctrl+K^U\n", "KOQ", "CsrUp", "Ctrl+E", "Ctrl+K^U"},
        {"missing key unassigns", "WordRight Ctrl+Right\n", "KOQ", "WordRight", "Ctrl+Right", ""},
        {"unknown command skipped", "Bogus F1\nCsrUp F2", "KOQ", "CsrUp", "F2", ""},
        {"unknown key unassigns", "CsrUp Nothing F3\n", "KOQ", "CsrUp", "", "F3"},
        {"TwoStroke without letters", "TwoStroke\n", "", "CsrUp", "Up", ""},
        {"case matters", "csrup F5\n", "KOQ", "CsrUp", "Up", ""},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        KeyTable t;
        t.Parse(c.text);
        std::string prefixes;
        for (uint8_t p : t.prefixes())
            if (p != 0xFF) prefixes += static_cast<char>(p);
        EXPECT_EQ(prefixes, c.prefixes);
        size_t i = size_t(CommandIndexByName(c.command));
        EXPECT_EQ(KeyNameOf(t.key(i, 0)), c.key1);
        EXPECT_EQ(KeyNameOf(t.key(i, 1)), c.key2);
    }
    // A line longer than 256 bytes is read up to its limit only.
    KeyTable t;
    t.Parse("CsrUp" + std::string(260, ' ') + "F9\n");
    EXPECT_EQ(t.key(0, 0), kUnassignedKey);
}

TEST(KeyFile, LoadedNameBecomesTheSettingAndDuplicatesAreAsked) {
    platform::MemoryFileSystem fs;
    fs.folders.insert("/cfg/");
    fs.folders.insert("/cfg");
    fs.files["/cfg/n.INI"] = "[Settings]\n";
    SettingsStore store(fs, "/cfg/n.INI", 932);
    Settings s(932);
    EXPECT_FALSE(NoteLoadedKeyFile(s, store, "/x/NORV.key"));
    EXPECT_TRUE(NoteLoadedKeyFile(s, store, "/x/Mine.KEY"));
    EXPECT_EQ(s.Text(Key::KeyDefinition), "Mine.KEY");
    KeyTable startUp;
    EXPECT_FALSE(LoadStartUpKeyFile(fs, "/cfg", s, startUp));
    fs.files["/cfg/Mine.KEY"] = "CsrUp F2\n";
    EXPECT_TRUE(LoadStartUpKeyFile(fs, "/cfg", s, startUp));
    EXPECT_EQ(KeyNameOf(startUp.key(0, 0)), "F2");

    KeyTable t;
    platform::HeadlessUi ui;
    size_t nop = size_t(CommandIndexByName("Nop"));
    ui.QueueAnswer(platform::kIdNo);
    EXPECT_FALSE(AssignKey(t, nop, 0, KeyFromName("Up"), ui));
    EXPECT_EQ(ui.messages.back(), std::string(kDuplicateKeyText));
    EXPECT_EQ(t.key(0, 0), KeyFromName("Up"));
    ui.QueueAnswer(platform::kIdYes);
    EXPECT_EQ(AssignKey(t, nop, 1, KeyFromName("Up"), ui), std::optional<size_t>(0));
    EXPECT_EQ(t.key(0, 0), kUnassignedKey);
}

TEST(UserMenus, BuiltFromTheDataFile) {
    DataFile data;
    data.menus[0] = {{false, "&Copy", "EditCopy"},
                     {true, "", ""},
                     {false, "Bad", "NoSuch"},
                     {false, "&Grep", "Grep"}};
    auto m = BuildUserMenu(data, 0, 932);
    ASSERT_EQ(m.size(), 3u);
    EXPECT_EQ(m[0].caption, "&Copy");
    EXPECT_EQ(kBuiltinCommands[m[0].command].name, "EditCopy");
    EXPECT_TRUE(m[1].separator);
    EXPECT_EQ(kBuiltinCommands[m[2].command].name, "Grep");
    EXPECT_TRUE(BuildUserMenu(data, 1, 932).empty());
    EXPECT_EQ(UserMenuOf(FrameCommandId::Menu3), 2);
    EXPECT_EQ(UserMenuPlace(vk::kRButton, true), PopupPlace::kMousePointer);
    EXPECT_EQ(UserMenuPlace('M', true), PopupPlace::kCaret);
    EXPECT_EQ(UserMenuPlace('M', false), PopupPlace::kMousePointer);
}

}  // namespace
}  // namespace norv::app
