// The settings file: reading by key, the start-up cache, writes that keep the rest of the file,
// and writes that fail without harming it.
#include "app/config/settings_store.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "app/config/settings_cache.h"
#include "app/config/settings_file.h"
#include "app/config/settings_keys.h"
#include "platform/fakes/memory_file_system.h"

namespace norv::app {
namespace {

constexpr const char* kPath = "/cfg/norv.INI";

struct Fixture {
    platform::MemoryFileSystem fs{platform::FolderRule::kFoldersMustExist};
    SettingsStore store{fs, kPath, 932};
    Fixture() { fs.folders.insert("/cfg/"); }
    explicit Fixture(std::string text) : Fixture() { fs.files[kPath] = std::move(text); }
};

TEST(SettingsKeys, TableIsConsistent) {
    std::set<std::pair<Section, std::string_view>> seen;
    for (size_t i = 0; i < kKeyCount; ++i) {
        const KeySpec& keySpec = kKeySpecs[i];
        EXPECT_TRUE(seen.insert({keySpec.section, keySpec.name}).second) << keySpec.name;
        EXPECT_FALSE(keySpec.name.empty());
        EXPECT_EQ(keySpec.name.find_first_of("=[]\r\n"), std::string_view::npos) << keySpec.name;
        EXPECT_EQ(FindKey(keySpec.section, keySpec.name), Key(i)) << keySpec.name;
        if (keySpec.type == ValueType::kColour) {
            EXPECT_EQ(FormatColour(ParseColour(keySpec.textDefault)), keySpec.textDefault)
                << keySpec.name;
        }
        if (keySpec.type == ValueType::kInt) {
            EXPECT_TRUE(keySpec.textDefault.empty()) << keySpec.name;
        }
    }
    for (const auto& d : kNon932Defaults) EXPECT_LT(size_t(d.key), kKeyCount);
}

TEST(SettingsKeys, FamiliesFollowTheirSpelling) {
    static const char* kOptionNames[] = {"AutoI", "NoWordWrap", "DSpcI",
                                         "SoftT", "IMEState",   "NoWrap"};
    for (int n = 1; n <= 10; ++n) {
        std::string user = "User" + std::to_string(n), u = "U" + std::to_string(n);
        EXPECT_EQ(SpecOf(UserTabKey(n)).name, user + "TAB");
        EXPECT_EQ(SpecOf(UserColumnKey(n)).name, user + "Column");
        EXPECT_EQ(SpecOf(UserExtKey(n)).name, user + "Ext");
        EXPECT_EQ(SpecOf(UserCmtKey(n)).name, user + "Cmt");
        for (int o = 0; o < 6; ++o)
            EXPECT_EQ(SpecOf(UserOptionKey(n, UserOption(o))).name, u + kOptionNames[o]);
    }
    for (int e = 0; e < 10; ++e) {
        std::string name = "Help" + std::string(1, char('1' + e));  // the tenth is "Help:"
        EXPECT_EQ(SpecOf(HelpKey(e, HelpField::File)).name, name);
        EXPECT_EQ(SpecOf(HelpKey(e, HelpField::Cmt)).name, name + "Cmt");
        EXPECT_EQ(SpecOf(HelpKey(e, HelpField::Ext)).name, name + "Ext");
    }
    for (int g = 0; g < 16; ++g)
        EXPECT_EQ(SpecOf(KeywordColourKey(g)).name,
                  std::string("Key") + "0123456789ABCDEF"[g] + "Color");
}

TEST(SettingsKeys, CodePageDefaults) {
    EXPECT_EQ(DefaultInt(Key::DefaultColumn, 932), 80);
    EXPECT_EQ(DefaultInt(Key::DefaultColumn, 1252), 256);
    EXPECT_EQ(DefaultText(Key::TextFont, 1252), "MS Sans Serif");
    EXPECT_EQ(DefaultInt(Key::TextFontHeight, 1252), 16);
    EXPECT_EQ(DefaultText(Key::TextFont, 932), "FixedSys");
    EXPECT_EQ(DefaultInt(Key::BarEdit, 932), int(0xE38FDA73u));
}

TEST(SettingsFile, ReadsIntegersAndTexts) {
    static const struct {
        const char* file;
        Key key;
        int expected;
    } kCases[] = {
        {"[Settings]\nAutoSaveSec=60\n", Key::AutoSaveSec, 60},
        {"[Settings]\nAutoSaveSec=\n", Key::AutoSaveSec, 200},      // empty: default
        {"", Key::AutoSaveSec, 200},                                // missing: default
        {"[Settings]\nAutoSaveSec=12abc\n", Key::AutoSaveSec, 12},  // leading digits
        {"[Settings]\nAutoSaveSec=abc\n", Key::AutoSaveSec, 0},     // not a number
        {"[Settings]\nAutoSaveSec= -5\n", Key::AutoSaveSec, -5},
        {"[Others]\nBarEdit=3817855603\n", Key::BarEdit, int(3817855603u)},
        {"[settings]\nAutoSaveSec=60\n", Key::AutoSaveSec, 200},  // case-sensitive
        {"AutoSaveSec=60\n[Settings]\n", Key::AutoSaveSec, 200},  // before any section
        {"[Settings]\r\nAutoSaveSec=60\r\n", Key::AutoSaveSec, 60},
        {"[Settings]\nAutoSaveSec=1\nAutoSaveSec=2\n", Key::AutoSaveSec, 1},
        {"[Settings]\n[Options]\n[Settings]\nAutoSaveSec=2\n", Key::AutoSaveSec, 200},
        {"[Settings]\nAutoSaveSec =7\n", Key::AutoSaveSec, 200},  // the key is "AutoSaveSec "
    };
    for (const auto& c : kCases) {
        Fixture f(c.file);
        EXPECT_EQ(f.store.ReadInt(c.key), c.expected) << c.file;
        f.store.LoadCache();
        EXPECT_EQ(f.store.ReadInt(c.key), c.expected) << "cached: " << c.file;
        EXPECT_EQ(f.store.ReadInt(c.key), c.expected) << "cached again: " << c.file;
    }
}

TEST(SettingsFile, TextsAreTakenAsWritten) {
    Fixture f("[Settings]\nHeader= &n = x \nFooter=\n");
    EXPECT_EQ(f.store.ReadText(Key::Header), " &n = x ");
    EXPECT_EQ(f.store.ReadText(Key::Footer), "");
    EXPECT_EQ(f.store.ReadText(Key::KeyDefinition), "Norv.KEY");
    std::string longValue(5000, 'x');
    f.fs.files[kPath] = "[Settings]\nHeader=" + longValue + "\nFooter=f\n";
    EXPECT_EQ(f.store.ReadText(Key::Header), longValue);
    EXPECT_EQ(f.store.ReadText(Key::Footer), "f");  // the long line's tail is no line of its own
}

TEST(SettingsFile, Colours) {
    static const struct {
        const char* text;
        ColourValue expected;
    } kCases[] = {
        {"127 000 000", Rgb(127, 0, 0)},
        {"000 000 192", Rgb(0, 0, 192)},
        {"255 255 255", Rgb(255, 255, 255)},
        {"  1   2   3", Rgb(1, 2, 3)},
        {"10 20", Rgb(10, 20, 0)},
        {"", 0},
        {"1234", Rgb(123, 4, 0)},  // three digits at most per number
        {"x 1 2", 0},
    };
    for (const auto& c : kCases) EXPECT_EQ(ParseColour(c.text), c.expected) << c.text;
    EXPECT_EQ(FormatColour(Rgb(7, 80, 255)), "007 080 255");
    Fixture f("[Colors]\nMarkColor=001 002 003\n");
    EXPECT_EQ(f.store.ReadColour(Key::MarkColor), Rgb(1, 2, 3));
    EXPECT_EQ(f.store.ReadColour(Key::URLColor), Rgb(0, 0, 192));
}

TEST(SettingsFile, WritesChangeOneLineAndKeepTheRest) {
    static const struct {
        const char* before;
        const char* section;
        const char* key;
        const char* value;
        const char* after;
    } kCases[] = {
        {"", "Settings", "A", "1", "[Settings]\nA=1\n"},
        {"; c\n[Settings]\nA=1\nB=2\n", "Settings", "A", "9", "; c\n[Settings]\nA=9\nB=2\n"},
        {"[Settings]\nA=1\n\n[Options]\nX=1\n", "Settings", "B", "2",
         "[Settings]\nA=1\nB=2\n\n[Options]\nX=1\n"},
        {"[Settings]\r\nA=1\r\n", "Options", "X", "5", "[Settings]\r\nA=1\r\n[Options]\r\nX=5\r\n"},
        {"[Settings]\nA=1", "Settings", "B", "2", "[Settings]\nA=1\nB=2\n"},
        {"[Settings]\nA=1", "Settings", "A", "", "[Settings]\nA="},
        {"[S]\nA=1\n[S]\nA=2\n", "S", "A", "3", "[S]\nA=3\n[S]\nA=2\n"},
        {"[S]\n", "S", "A", "1", "[S]\nA=1\n"},
        // A CR that ends the file gets its LF; a second line end would put the CR in the value.
        {"[S]\nA=1\r", "S", "B", "2", "[S]\nA=1\r\nB=2\n"},
        {"[T]\r\nA=1\r", "S", "B", "2", "[T]\r\nA=1\r\n[S]\r\nB=2\r\n"},
    };
    for (const auto& c : kCases)
        EXPECT_EQ(SetIniValue(c.before, c.section, c.key, c.value), c.after) << c.before;
}

TEST(SettingsStore, WriteRereadsTheFileFirst) {
    Fixture f("[Settings]\nAutoSaveSec=1\n");
    f.store.LoadCache();
    // Another running copy changes a key after this one read the file.
    f.fs.files[kPath] = "[Settings]\nAutoSaveSec=1\nUndoLimit=7\n";
    EXPECT_EQ(f.store.WriteInt(Key::AutoSaveSec, 30), WriteResult::kWritten);
    EXPECT_EQ(f.fs.files[kPath], "[Settings]\nAutoSaveSec=30\nUndoLimit=7\n");
    EXPECT_EQ(f.store.ReadInt(Key::AutoSaveSec), 30);  // the cache follows the write
    f.store.ReleaseCache();
    EXPECT_EQ(f.store.ReadInt(Key::UndoLimit), 7);
}

TEST(SettingsStore, FailedWritesLeaveTheFileWhole) {
    const std::string original = "[Settings]\nAutoSaveSec=1\nUndoLimit=7\n";
    {
        Fixture f(original);
        f.fs.failWriteNumber = 1;
        EXPECT_EQ(f.store.WriteInt(Key::AutoSaveSec, 30), WriteResult::kFailed);
        EXPECT_EQ(f.store.LastError(), ENOSPC);
        EXPECT_EQ(f.fs.files[kPath], original);
        EXPECT_EQ(f.fs.files.size(), 1u) << "the temporary file is removed";
    }
    {
        Fixture f(original);
        f.fs.unopenable.insert(kPath);
        EXPECT_EQ(f.store.WriteInt(Key::AutoSaveSec, 30), WriteResult::kFailed);
        EXPECT_EQ(f.fs.files[kPath], original) << "an unreadable file is never replaced";
    }
    {
        Fixture f(original);
        EXPECT_EQ(f.store.WriteText(Key::Header, "a\nUndoLimit=0"), WriteResult::kBadValue);
        EXPECT_EQ(f.store.WriteText(Key::Header, "a\rb"), WriteResult::kBadValue);
        EXPECT_EQ(f.fs.files[kPath], original);
    }
}

TEST(SettingsStore, WriteIfChanged) {
    Fixture f;
    int stored = 200;
    EXPECT_FALSE(WriteIntIfChanged(f.store, Key::AutoSaveSec, 200, stored));
    EXPECT_EQ(f.fs.writes, 0);
    EXPECT_TRUE(WriteIntIfChanged(f.store, Key::AutoSaveSec, 60, stored));
    EXPECT_EQ(stored, 60);
    EXPECT_EQ(f.fs.files[kPath], "[Settings]\nAutoSaveSec=60\n");
    std::string text = "I";
    f.fs.failWriteNumber = f.fs.writes + 1;
    EXPECT_FALSE(WriteTextIfChanged(f.store, Key::FindOption, "IW", text));
    EXPECT_EQ(text, "I") << "a failed write keeps the stored value";
    EXPECT_TRUE(WriteTextIfChanged(f.store, Key::FindOption, "IW", text));
    EXPECT_EQ(f.store.ReadText(Key::FindOption), "IW");
}

TEST(SettingsCache, LookupsInFileOrderStopAtTheFront) {
    std::string text = "[Settings]\n";
    for (int i = 0; i < 500; ++i) text += "K" + std::to_string(i) + "=" + std::to_string(i) + "\n";
    SettingsCache cache;
    cache.Load(text);
    for (int i = 0; i < 500; ++i) {
        auto v = cache.Find("Settings", "K" + std::to_string(i));
        ASSERT_TRUE(v.has_value());
        EXPECT_EQ(*v, std::to_string(i));
    }
    EXPECT_EQ(cache.Comparisons(), 500u);
    // Read again: each found entry went to the end, so the order is unchanged and still cheap.
    for (int i = 0; i < 500; ++i) ASSERT_TRUE(cache.Find("Settings", "K" + std::to_string(i)));
    EXPECT_EQ(cache.Comparisons(), 1000u);
    EXPECT_FALSE(cache.Find("Settings", "missing"));
    EXPECT_FALSE(cache.Find("Nowhere", "K1"));
}

}  // namespace
}  // namespace norv::app
