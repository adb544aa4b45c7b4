// The shipped templates: every key they set is one the program knows, they read without loss,
// and load, save, load gives the same settings, keywords, menus and tools.
#include <gtest/gtest.h>

#include "app/config/data_file.h"
#include "app/config/keyword_file.h"
#include "app/config/settings.h"
#include "app/config/settings_file.h"
#include "platform/code_page.h"
#include "platform/fakes/memory_file_system.h"

namespace norv::app {
namespace {

std::string ReadTemplate(const char* name) {
    std::string text;
    EXPECT_EQ(platform::ReadWholeFile(platform::RealFileSystem(),
                                      std::string(NORV_SOURCE_DIR) + "/data/" + name, text),
              0)
        << name;
    return text;
}

TEST(ShippedTemplates, SettingsUseKnownKeysAndRoundTrip) {
    std::string ini = ReadTemplate("NorvOrg.INI");
    ForEachIniEntry(ini, [](std::string_view section, std::string_view key, std::string_view) {
        bool known = false;
        for (size_t s = 0; s < size_t(Section::kCount); ++s)
            if (SectionName(Section(s)) == section) known = FindKey(Section(s), key).has_value();
        EXPECT_TRUE(known) << section << "/" << key;
    });
    platform::MemoryFileSystem fs{platform::FolderRule::kFoldersMustExist};
    fs.folders.insert("/cfg/");
    fs.files["/cfg/a.INI"] = ini;
    SettingsStore store(fs, "/cfg/a.INI", 932), copy(fs, "/cfg/b.INI", 932);
    Settings loaded(932);
    loaded.Load(store);
    // Save every value into a new file, load it again: the same settings.
    for (size_t i = 0; i < kKeyCount; ++i) {
        Key key = Key(i);
        if (SpecOf(key).type == ValueType::kInt) {
            ASSERT_EQ(copy.WriteInt(key, loaded.Int(key)), WriteResult::kWritten);
        } else {
            ASSERT_EQ(copy.WriteText(key, loaded.Text(key)), WriteResult::kWritten);
        }
    }
    Settings again(932);
    again.Load(copy);
    EXPECT_EQ(again.Dump(), loaded.Dump());
    EXPECT_NE(loaded.Dump(), Settings(932).Dump()) << "the template changes some defaults";
    EXPECT_EQ(loaded.Text(Key::C_Cmt), "C/C++ source");
    // New documents end their lines in LF (the built-in default stays CR LF for files that
    // were written without the key).
    EXPECT_EQ(loaded.Int(Key::TextMode), 1);
    EXPECT_EQ(Settings(932).Int(Key::TextMode), 0);
    EXPECT_EQ(ProfileOfFile("main.cc", loaded.Profiles(), 932), ProfileId::kCSource);
    EXPECT_EQ(ProfileOfFile("x.nrs", loaded.Profiles(), 932), UserProfile(2));
}

TEST(ShippedTemplates, LineBreakingSets) {
    platform::MemoryFileSystem fs{platform::FolderRule::kFoldersMustExist};
    fs.folders.insert("/cfg/");
    fs.files["/cfg/a.INI"] = ReadTemplate("NorvOrg.INI");
    SettingsStore store(fs, "/cfg/a.INI", 932);
    Settings s(932);
    s.Load(store);
    auto wide = [](const std::string& text) {
        std::u16string w = platform::MultiByteToWide(932, text);
        EXPECT_EQ(w.find(u'\uFFFD'), std::u16string::npos);
        return w;
    };
    std::u16string noStart = wide(s.Text(Key::DBCSBura)), noEnd = wide(s.Text(Key::DBCSOida));
    for (char16_t c : std::u16string(u"、。，．・：；？！ー」』）］｝"))
        EXPECT_NE(noStart.find(c), std::u16string::npos) << int(c);
    for (char16_t c : std::u16string(u"「『（［｛")) EXPECT_NE(noEnd.find(c), std::u16string::npos);
    // The double-byte sets hold double-byte characters only.
    for (const auto& set : {s.Text(Key::DBCSBura), s.Text(Key::DBCSOida)}) {
        ASSERT_EQ(set.size() % 2, 0u);
        for (size_t i = 0; i < set.size(); i += 2)
            EXPECT_TRUE(platform::IsLeadByte(932, static_cast<uint8_t>(set[i])));
    }
    EXPECT_EQ(wide(s.Text(Key::ANKOida)), u"([{\uFF62");
}

TEST(ShippedTemplates, KeywordsRoundTrip) {
    std::string text = ReadTemplate("NorvOrg.KWD");
    KeywordFile f(932), g(932);
    ParseKeywordFile(text, f);
    EXPECT_EQ(f.groups[0].name, "C/C++ keywords");
    EXPECT_TRUE(f.groups[8].caseInsensitive);
    EXPECT_GT(f.keywords.Size(), 150u);
    EXPECT_GE(f.blocks.size(), 5u);
    for (const auto& b : f.blocks) EXPECT_FALSE(f.groups[size_t(b.group)].fileTypes.empty());
    EXPECT_EQ(KeywordGroupsForFile("/s/x.nrs", f), (1u << 8) | (1u << 9) | (1u << 10));
    std::string saved = FormatKeywordFile(f);
    ParseKeywordFile(saved, g);
    EXPECT_EQ(g.groups, f.groups);
    EXPECT_EQ(g.blocks, f.blocks);
    for (int b = 0; b < 256; ++b)
        EXPECT_EQ(g.keywords.Bucket(uint8_t(b)), f.keywords.Bucket(uint8_t(b)));
    EXPECT_EQ(FormatKeywordFile(g), saved);
}

TEST(ShippedTemplates, DataFileRoundTrips) {
    std::string text = ReadTemplate("NorvOrg.DAT");
    DataFile d;
    d.Parse(text);
    EXPECT_EQ(d.Format(), text);
    EXPECT_EQ(d.menus[0][2], (UserMenuItem{false, "Cu&t", "EditCut"}));
    EXPECT_EQ(d.shell[0], (ShellEntry{"make", "make", "", "O"}));
    d.shell[25] = {"last", "true", "", ""};
    DataFile again;
    again.Parse(d.Format());
    EXPECT_EQ(again.shell, d.shell);
    EXPECT_EQ(again.menus, d.menus);
}

}  // namespace
}  // namespace norv::app
