// The settings in memory: loading every key, code-page defaults, help entries, colours, and
// writing only what changed.
#include "app/config/settings.h"

#include <gtest/gtest.h>

#include "platform/fakes/memory_file_system.h"

namespace norv::app {
namespace {

struct Loaded {
    platform::MemoryFileSystem fs{platform::FolderRule::kFoldersMustExist};
    SettingsStore store;
    Settings settings;
    Loaded(std::string text, int codePage) : store(fs, "/cfg/n.INI", codePage), settings(codePage) {
        fs.folders.insert("/cfg/");
        fs.files["/cfg/n.INI"] = std::move(text);
        store.LoadCache();
        settings.Load(store);
        store.ReleaseCache();
    }
};

TEST(Settings, DefaultsDependOnTheCodePage) {
    Loaded ja("", 932), en("", 1252);
    EXPECT_EQ(ja.settings.Int(Key::DefaultColumn), 80);
    EXPECT_EQ(en.settings.Int(Key::DefaultColumn), 256);
    EXPECT_EQ(ja.settings.Text(Key::TextFont), "FixedSys");
    EXPECT_EQ(ja.settings.Int(Key::TextFontHeight), 18);
    EXPECT_EQ(en.settings.Text(Key::TextFont), "MS Sans Serif");
    EXPECT_EQ(en.settings.Int(Key::TextFontHeight), 16);
    EXPECT_EQ(ja.settings.Text(Key::PrintFont),
              "\x82\x6c\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4e");
    EXPECT_EQ(en.settings.Int(Key::PrintFontHeight), 16);
    EXPECT_EQ(ja.settings.Int(Key::UndoLimit), 1024);
    EXPECT_EQ(ja.settings.Text(Key::GrepOption), "RI");
    EXPECT_EQ(ja.settings.Int(Key::CmpMatch), 3);
    EXPECT_EQ(ja.settings.Int(Key::FileCX), -1);
}

TEST(Settings, LoadsEveryKindOfValue) {
    Loaded l(
        "[Settings]\nUndoLimit=64\nHeader=&f\n"
        "[Others]\nHelp:=tenth.html\nHelp:Cmt=Tenth\nHelp:Ext=*.x\nHelp1=first\nHelp10=wrong\n"
        "[Colors]\nTextColor=000 000 000\nBackColor=250 250 250\nKey3Color=001 002 003\n"
        "[Fonts]\nTextFont=Noto Sans Mono CJK JP\n",
        932);
    const Settings& s = l.settings;
    EXPECT_EQ(s.Int(Key::UndoLimit), 64);
    EXPECT_EQ(s.Text(Key::Header), "&f");
    EXPECT_EQ(s.Help(9).file, "tenth.html");
    EXPECT_EQ(s.Help(9).comment, "Tenth");
    EXPECT_EQ(s.Help(9).extensions, "*.x");
    EXPECT_EQ(s.Help(0).file, "first");
    EXPECT_TRUE(s.TextColourIsSystem()) << "black text is the system's text colour";
    EXPECT_FALSE(s.BackColourIsSystem());
    EXPECT_TRUE(s.LineNumberBackIsSystem() == false);  // LBakColor defaults to grey
    EXPECT_EQ(s.Colour(KeywordColourKey(3)), Rgb(1, 2, 3));
    EXPECT_EQ(s.Colour(KeywordColourKey(4)), Rgb(0, 0, 192));
    EXPECT_EQ(s.Text(Key::TextFont), "Noto Sans Mono CJK JP");
}

TEST(Settings, OneCachedPassReadsEverything) {
    // A file holding every key in table order: the load finds each at the front of its
    // section, so the whole load costs about one comparison per key.
    std::string text;
    Settings defaults(932);
    for (size_t s = 0; s < size_t(Section::kCount); ++s) {
        text += "[" + std::string(SectionName(Section(s))) + "]\n";
        for (size_t i = 0; i < kKeyCount; ++i) {
            const KeySpec& keySpec = kKeySpecs[i];
            if (keySpec.section != Section(s)) continue;
            text += std::string(keySpec.name) + "=";
            text += keySpec.type == ValueType::kInt ? std::to_string(defaults.Int(Key(i)))
                                                    : defaults.Text(Key(i));
            text += "\n";
        }
    }
    platform::MemoryFileSystem fs{platform::FolderRule::kFoldersMustExist};
    fs.folders.insert("/cfg/");
    fs.files["/cfg/n.INI"] = text;
    SettingsStore store(fs, "/cfg/n.INI", 932);
    store.LoadCache();
    Settings s(932);
    s.Load(store);
    EXPECT_EQ(store.Cache().Comparisons(), kKeyCount);
}

TEST(Settings, WriteOnlyWhatChanged) {
    Loaded l("[Settings]\nUndoLimit=64\n", 932);
    int writesBefore = l.fs.writes;
    EXPECT_FALSE(l.settings.Write(l.store, Key::UndoLimit, 64));
    EXPECT_EQ(l.fs.writes, writesBefore);
    EXPECT_TRUE(l.settings.Write(l.store, Key::UndoLimit, 32));
    EXPECT_TRUE(l.settings.Write(l.store, Key::CurrProj, "/p/x.prf"));
    EXPECT_TRUE(l.settings.WriteColour(l.store, Key::MarkColor, Rgb(1, 2, 3)));
    EXPECT_FALSE(l.settings.WriteColour(l.store, Key::MarkColor, Rgb(1, 2, 3)));
    EXPECT_EQ(
        l.fs.files["/cfg/n.INI"],
        "[Settings]\nUndoLimit=32\n[Others]\nCurrProj=/p/x.prf\n[Colors]\nMarkColor=001 002 003\n");
    // Reload reads the same keys again.
    Settings again(932);
    again.Load(l.store);
    EXPECT_EQ(again.Int(Key::UndoLimit), 32);
    EXPECT_EQ(again.Text(Key::CurrProj), "/p/x.prf");
    EXPECT_EQ(again.Colour(Key::MarkColor), Rgb(1, 2, 3));
}

}  // namespace
}  // namespace norv::app
