// OK of the preferences: the settings, the key table, the keyword and data files stored
// together, and nothing at all when a value is refused.
#include "app/preferences_commit.h"

#include <gtest/gtest.h>

#include "app/commands/key_names.h"
#include "platform/fakes/memory_file_system.h"

namespace norv::app {
namespace {

const std::string kEmptyMenus = "#Begin\n#End\n#Begin\n#End\n#Begin\n#End\n#Begin\n#End\n";

struct Desk {
    platform::MemoryFileSystem fs{platform::FolderRule::kFoldersMustExist};
    SettingsStore store{fs, "/cfg/n.INI", 932};
    Configuration config{932};
    KeyTable keys;
    PreferenceFiles files;
    Desk() {
        fs.folders.insert("/cfg/");
        fs.folders.insert("/other/");
        fs.files["/cfg/n.INI"] = "[Settings]\n";
        fs.files["/cfg/n.KWD"] =
            "\x10"
            "Words\t*.txt\t2\nalpha\t0\n";
        fs.files["/cfg/n.DAT"] = "##UserMenu\n#Begin\n#End\n" + kEmptyMenus + "##Shell\n";
        files = {&fs, "/cfg/", "/cfg/n.KWD", "/cfg/n.DAT"};
        LoadKeywordFile(fs, files.keywordPath, config.keywords);
        LoadDataFile(fs, files.dataPath, config.data);
    }
    CommitOutcome Commit(const PreferenceCommit& c) {
        return CommitPreferences(config, &store, keys, c, files, {});
    }
};

TEST(PreferencesCommit, KeysKeywordsAndMenusAreStoredWithTheSettings) {
    Desk d;
    PreferenceCommit c;
    c.edits = {{Key::UndoLimit, "64"}};
    KeyTable edited;
    edited.SetKey(size_t(CommandIndexByName("Undo")), 1, KeyFromName("Ctrl+K^U"));
    c.keys = edited;
    c.keywords = d.config.keywords;
    ASSERT_TRUE(c.keywords->keywords.Add("beta", 0));
    c.data = d.config.data;
    c.data->menus[0].push_back({false, "Top", "TextTop"});
    const CommitOutcome out = d.Commit(c);
    EXPECT_TRUE(out.errors.empty());
    EXPECT_TRUE(out.tellOthers);
    EXPECT_TRUE(out.reapply & kReapplyKeys);
    EXPECT_TRUE(out.reapply & kReapplyMenus);
    EXPECT_EQ(d.keys, edited);
    EXPECT_EQ(d.fs.files["/cfg/Norv.KEY"], edited.Format());
    EXPECT_EQ(d.fs.files["/cfg/n.KWD"],
              "\x10"
              "Words\t*.txt\t2\nalpha\t0\nbeta\t0\n");
    EXPECT_EQ(d.fs.files["/cfg/n.DAT"],
              "##UserMenu\n#Begin\nTop\tTextTop\n#End\n" + kEmptyMenus + "##Shell\n");
    EXPECT_EQ(d.fs.files["/cfg/n.INI"], "[Settings]\nUndoLimit=64\n");
}

TEST(PreferencesCommit, ARefusedValueStoresNothingAtAll) {
    Desk d;
    PreferenceCommit c;
    c.edits = {{Key::UndoLimit, "64"}, {Key::C_CppColumn, "100000"}};
    c.keys = KeyTable();
    c.keys->SetPrefixes("KQ");
    c.data = d.config.data;
    c.data->menus[1].push_back({true, "", ""});
    const auto before = d.fs.files;
    const CommitOutcome out = d.Commit(c);
    ASSERT_TRUE(out.settings.refused);
    EXPECT_EQ(out.settings.refused->message,
              "C source: Wrap column: the value must be from 2 to 9999.");
    EXPECT_FALSE(out.tellOthers);
    EXPECT_EQ(d.fs.files, before);
    EXPECT_EQ(d.keys, KeyTable());
}

TEST(PreferencesCommit, ALoadedKeyFileNamesKeyDefinitionOnlyWhenItIsAnotherFile) {
    Desk d;
    PreferenceCommit c;
    c.loadedKeyFile = "/cfg/Norv.KEY";
    EXPECT_FALSE(d.Commit(c).tellOthers);
    EXPECT_EQ(d.config.settings.Text(Key::KeyDefinition), "Norv.KEY");
    // Names are compared exactly: another case is another file.
    c.loadedKeyFile = "/other/norv.key";
    EXPECT_TRUE(d.Commit(c).tellOthers);
    EXPECT_EQ(d.config.settings.Text(Key::KeyDefinition), "norv.key");
    EXPECT_EQ(d.fs.files["/cfg/n.INI"], "[Settings]\nKeyDefinition=norv.key\n");
}

TEST(PreferencesCommit, AFileThatCannotBeWrittenIsReported) {
    Desk d;
    d.fs.failWriteNumber = 1;
    PreferenceCommit c;
    c.data = d.config.data;
    c.data->menus[0].push_back({false, "Top", "TextTop"});
    const CommitOutcome out = d.Commit(c);
    ASSERT_EQ(out.errors.size(), 1u);
    EXPECT_NE(out.errors[0].find("The data file /cfg/n.DAT could not be written"),
              std::string::npos);
    EXPECT_EQ(d.fs.files["/cfg/n.DAT"], "##UserMenu\n#Begin\n#End\n" + kEmptyMenus + "##Shell\n");
}

}  // namespace
}  // namespace norv::app
