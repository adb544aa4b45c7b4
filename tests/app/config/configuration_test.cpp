// Where the companion files live, their first-run copies, and the whole start-up load.
#include "app/config/configuration.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/fakes/memory_file_system.h"
#include "platform/paths.h"

namespace norv::app {
namespace {

TEST(CompanionFiles, Location) {
    static const struct {
        const char* exe;
        const char* norvHome;
        const char* xdg;
        bool exeFolderWritable;
        const char* settingsPath;
    } kCases[] = {
        {"/opt/norv/bin/norv", nullptr, nullptr, true, "/opt/norv/bin/norv.INI"},
        {"/opt/norv/bin/norv.bin", nullptr, nullptr, true, "/opt/norv/bin/norv.INI"},
        {"/opt/no.rv/bin/norv", nullptr, nullptr, true, "/opt/no.rv/bin/norv.INI"},
        {"/opt/norv/bin/norv", "/data/cfg", nullptr, true, "/data/cfg/norv.INI"},
        {"/opt/norv/bin/norv", "/data/cfg/", nullptr, false, "/data/cfg/norv.INI"},
        {"/usr/bin/norv", nullptr, nullptr, false, "/home/u/.config/norv/norv.INI"},
        {"/usr/bin/norv", nullptr, "/xdg", false, "/xdg/norv/norv.INI"},
        {"/usr/bin/norv", nullptr, "relative", false, "/home/u/.config/norv/norv.INI"},
        // A packaged program run by root, who may write /usr/bin, still keeps settings per user.
        {"/usr/bin/norv", nullptr, nullptr, true, "/home/u/.config/norv/norv.INI"},
    };
    for (const auto& c : kCases) {
        platform::MemoryFileSystem fs{platform::FolderRule::kFoldersMustExist};
        fs.folders.insert("/home/");
        fs.folders.insert("/home/u/");
        fs.folders.insert("/xdg/");
        std::string exeFolder = platform::FolderOf(c.exe);
        fs.folders.insert(exeFolder);
        if (!c.exeFolderWritable) fs.readOnlyFolders.insert(exeFolder);
        CompanionEnvironment env{c.exe, {}, {}, "/home/u"};
        if (c.norvHome) env.norvHome = c.norvHome;
        if (c.xdg) env.xdgConfigHome = c.xdg;
        CompanionFiles files = CompanionFiles::Locate(fs, env);
        EXPECT_EQ(files.PathOf(CompanionKind::kSettings), c.settingsPath) << c.exe;
        EXPECT_EQ(files.Folder(), platform::FolderOf(c.settingsPath));
        EXPECT_TRUE(fs.Stat(files.Folder()).has_value()) << "the folder exists: " << c.exe;
    }
    EXPECT_EQ(CompanionPathBeside("/a/norv", "HST"), "/a/norv.HST");
}

struct Install {
    platform::MemoryFileSystem fs{platform::FolderRule::kFoldersMustExist};
    CompanionFiles files;
    Install() {
        fs.folders.insert("/home/");
        fs.folders.insert("/home/u/");
        fs.folders.insert("/opt/");
        fs.folders.insert("/opt/norv/");
        fs.folders.insert("/opt/norv/bin/");
        fs.folders.insert("/opt/norv/share/");
        fs.folders.insert("/opt/norv/share/norv/");
        fs.readOnlyFolders.insert("/opt/norv/bin/");
        files = CompanionFiles::Locate(fs, {"/opt/norv/bin/norv", {}, {}, "/home/u"});
    }
};

TEST(CompanionFiles, FirstRunCopies) {
    Install in;
    in.fs.files["/opt/norv/share/norv/NorvOrg.INI"] = "[Settings]\nUndoLimit=5\n";
    in.fs.files["/opt/norv/bin/NorvOrg.KWD"] = "while\t0\n";
    EXPECT_EQ(in.files.CopyTemplateIfMissing(in.fs, CompanionKind::kSettings),
              TemplateCopy::kCopied);
    EXPECT_EQ(in.fs.files["/home/u/.config/norv/norv.INI"], "[Settings]\nUndoLimit=5\n");
    in.fs.files["/home/u/.config/norv/norv.INI"] = "mine";
    EXPECT_EQ(in.files.CopyTemplateIfMissing(in.fs, CompanionKind::kSettings),
              TemplateCopy::kPresent);
    EXPECT_EQ(in.fs.files["/home/u/.config/norv/norv.INI"], "mine") << "never overwritten";
    EXPECT_EQ(in.files.CopyTemplateIfMissing(in.fs, CompanionKind::kKeywords),
              TemplateCopy::kCopied);
    EXPECT_EQ(in.files.CopyTemplateIfMissing(in.fs, CompanionKind::kData),
              TemplateCopy::kNoTemplate);
    EXPECT_EQ(in.files.CopyTemplateIfMissing(in.fs, CompanionKind::kHistory),
              TemplateCopy::kNoTemplate);
}

TEST(Configuration, StartUpLoadsEverything) {
    Install in;
    in.fs.files["/opt/norv/bin/NorvOrg.INI"] =
        "[Settings]\nUndoLimit=5\n[Others]\nUser1Ext=*.md\nHelp2=man.html\nHelp2Ext=*.c\n";
    in.fs.files["/opt/norv/bin/NorvOrg.KWD"] =
        "\x10"
        "C\t*.c\t2\nwhile\t0\n";
    in.fs.files["/opt/norv/bin/NorvOrg.DAT"] = "##RegDir\n/src/\n";
    SettingsStore store(in.fs, in.files.PathOf(CompanionKind::kSettings), 932);
    store.LoadCache();  // start-up opens the cache before anything exists
    Configuration config(932);
    LoadErrors errors = LoadConfiguration(in.fs, in.files, store, config);
    store.ReleaseCache();
    EXPECT_EQ(errors.settings + errors.keywords + errors.data + errors.history, 0);
    EXPECT_TRUE(config.firstRun);
    EXPECT_EQ(config.settings.Int(Key::UndoLimit), 5);
    EXPECT_EQ(config.keywords.keywords.Size(), 1u);
    EXPECT_EQ(config.data.folders[0], "/src/");
    FileProfile p = ProfileForFile("/w/README.MD", config.settings);
    EXPECT_EQ(p.id, UserProfile(1));
    EXPECT_EQ(p.typeCode, '1');
    EXPECT_EQ(p.profile.tabWidth, 8);
    EXPECT_EQ(HelpEntriesForFile("/w/a.c", config.settings), 1u << 1);

    // Another running copy changes the settings; reload reads them again.
    in.fs.files[in.files.PathOf(CompanionKind::kSettings)] = "[Settings]\nUndoLimit=9\n";
    ReloadSettings(in.fs, in.files, store, config);
    EXPECT_EQ(config.settings.Int(Key::UndoLimit), 9);
    EXPECT_EQ(config.settings.Text(Key::User1Ext), "");
    EXPECT_FALSE(store.HasCache());

    Configuration second(932);
    LoadConfiguration(in.fs, in.files, store, second);
    EXPECT_FALSE(second.firstRun);
}

TEST(Configuration, NothingAnywhereGivesDefaults) {
    Install in;
    SettingsStore store(in.fs, in.files.PathOf(CompanionKind::kSettings), 1252);
    Configuration config(1252);
    LoadConfiguration(in.fs, in.files, store, config);
    EXPECT_EQ(config.settings.Int(Key::DefaultColumn), 256);
    EXPECT_EQ(config.settings.Text(Key::TextFont), "MS Sans Serif");
    EXPECT_EQ(config.keywords.keywords.Size(), 0u);
    EXPECT_TRUE(config.data.menus[0].empty());
}

TEST(CompanionFiles, WritesFollowLinksAndKeepPermissions) {
    char tmpl[] = "/tmp/norv-app-test-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    std::string dir = tmpl;
    std::string real = dir + "/real.INI", link = dir + "/norv.INI";
    auto& fs = platform::RealFileSystem();
    ASSERT_EQ(platform::WriteFileAtomically(fs, real, "[Settings]\nA=1\n", 0600), 0);
    ASSERT_EQ(::chmod(real.c_str(), 0600), 0);
    ASSERT_EQ(::symlink("real.INI", link.c_str()), 0);
    SettingsStore store(fs, link, 932);
    EXPECT_EQ(store.WriteInt(Key::UndoLimit, 3), WriteResult::kWritten);
    struct stat st {};
    ASSERT_EQ(::lstat(link.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode)) << "the link is kept";
    ASSERT_EQ(::stat(real.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u) << "the permissions are kept";
    std::string text;
    ASSERT_EQ(platform::ReadWholeFile(fs, real, text), 0);
    EXPECT_EQ(text, "[Settings]\nA=1\nUndoLimit=3\n");
    ::unlink(link.c_str());
    ::unlink(real.c_str());
    ::rmdir(dir.c_str());
}

}  // namespace
}  // namespace norv::app
