// File-type profiles: which profile a file gets, extension-list matching, type codes, and the
// profile values loaded from a settings file.
#include "app/config/profiles.h"

#include <gtest/gtest.h>

#include "app/config/settings.h"
#include "app/config/text_lines.h"
#include "platform/fakes/memory_file_system.h"

namespace norv::app {
namespace {

TEST(ExtensionList, Matching) {
    static const struct {
        const char* path;
        const char* list;
        bool matches;
    } kCases[] = {
        {"/src/A.CPP", "*.c;*.cpp;*.h;*.hpp", true},  // case-insensitive
        {"/src/a.cpp", "*.C;*.CPP", true},
        {"/src/a.cppx", "*.c;*.cpp", false},
        {"/src/a.cp", "*.cpp", false},
        {"/src/Makefile", "*.c;*.cpp", false},
        {"/src/Makefile", "Makefile", true},  // a pattern without "." matches no extension
        {"/src/Makefile", "*.mak;make*", true},
        {"/src/x.mak", "make*", false},
        {"/src/a.htm", "*.ht?", true},
        {"/src/a.ht", "*.ht?", false},
        {"/src/a.html", "*.h*", true},
        {"/src/a.txt", "", false},
        {"/src/a.txt", "*.*", true},
        {"/src/noext", "*.*", false},  // "*.*" alone wants a dot
        {"/src/a.txt", " *.doc; *.txt", true},
        {"/src/a.txt", ";;*.txt;", true},
        {"/x.y/noext", "*.y", false},  // the extension comes from the file name only
        {"/src/a.", "*.", true},
        // Only single-byte letters are folded: the trail byte 0x61 of 0x83 0x61 stays.
        {"/src/a.\x83\x61", "*.\x83\x41", false},
        {"/src/a.\x83\x61", "*.\x83\x61", true},
        {"/src/a.\x83\x61", "*.?", true},  // "?" is one double-byte character
    };
    for (const auto& c : kCases)
        EXPECT_EQ(MatchesExtensionList(c.path, c.list, 932), c.matches)
            << c.path << " in " << c.list;
}

TEST(ExtensionList, CutAt256Bytes) {
    std::string list;
    while (list.size() < 250) list += "*.zz;";
    std::string before = list + "*.ab";  // ends at byte 254 or so: matched
    ASSERT_LE(before.size(), 256u);
    EXPECT_TRUE(MatchesExtensionList("f.ab", before, 932));
    std::string beyond = list + "*.q;*.abc";
    ASSERT_GT(beyond.size(), 256u);
    EXPECT_FALSE(MatchesExtensionList("f.abc", beyond, 932));
    // The cut never splits a double-byte character: its lead byte alone is dropped.
    std::string dbcs(255, ';');
    dbcs += "\x83\x61";
    EXPECT_EQ(CutAtCharBoundary(dbcs, 256, 932).size(), 255u);
    EXPECT_EQ(CutAtCharBoundary(dbcs, 256, 1252).size(), 256u);
}

TEST(Profiles, TypeCodes) {
    std::string codes;
    for (size_t i = 0; i < kProfileCount; ++i) {
        codes += TypeCodeOf(ProfileId(i));
        EXPECT_EQ(ProfileOfTypeCode(TypeCodeOf(ProfileId(i))), ProfileId(i));
    }
    EXPECT_EQ(codes, " CH123456789:");
    EXPECT_EQ(ProfileOfTypeCode('X'), std::nullopt);
}

TEST(Profiles, ProfileOfFile) {
    Settings s(932);
    s.Set(Key::User1Ext, "*.cpp;*.mk;Makefile");
    s.Set(UserExtKey(10), "*.md");
    s.Set(Key::DefExt, "*.txt");
    ProfileTable table = s.Profiles();
    static const struct {
        const char* path;
        ProfileId expected;
    } kCases[] = {
        {"/a/A.CPP", ProfileId::kCSource},  // C source comes before User1
        {"/a/index.HTM", ProfileId::kHtml},    {"/a/Makefile", ProfileId::kUser1},
        {"/a/rules.mk", ProfileId::kUser1},    {"/a/README.md", ProfileId::kUser10},
        {"/a/notes.txt", ProfileId::kDefault},  // the Default list is not tested
        {"/a/other", ProfileId::kUser1},  // "Makefile" stands for every name without extension
    };
    for (const auto& c : kCases) EXPECT_EQ(ProfileOfFile(c.path, table, 932), c.expected) << c.path;
    EXPECT_EQ(TypeCodeOf(ProfileOfFile("/a/README.md", table, 932)), ':');
}

TEST(Profiles, LoadedFromTheSettingsFile) {
    platform::MemoryFileSystem fs{platform::FolderRule::kFoldersMustExist};
    fs.folders.insert("/cfg/");
    fs.files["/cfg/n.INI"] =
        "[Settings]\nDefaultTAB=3\nUser2TAB=6\nC_CppColumn=100\n"
        "[Options]\nCAutoI=0\nU2SoftT=1\nHNoWrap=1\n"
        "[Others]\nUser2Ext=*.py\nUser2Cmt=Python\n";
    SettingsStore store(fs, "/cfg/n.INI", 932);
    store.LoadCache();
    Settings s(932);
    s.Load(store);
    Profile def = s.ProfileAt(ProfileId::kDefault), c = s.ProfileAt(ProfileId::kCSource),
            u1 = s.ProfileAt(UserProfile(1)), u2 = s.ProfileAt(UserProfile(2));
    EXPECT_EQ(def.tabWidth, 3);
    EXPECT_EQ(def.wrapColumn, 80);
    EXPECT_TRUE(def.autoIndent);
    EXPECT_EQ(u1.tabWidth, 3) << "a user profile without its own tab width takes DefaultTAB";
    EXPECT_EQ(u2.tabWidth, 6);
    EXPECT_EQ(u1.wrapColumn, 80);
    EXPECT_EQ(c.tabWidth, 4);
    EXPECT_EQ(c.wrapColumn, 100);
    EXPECT_FALSE(c.autoIndent);
    EXPECT_TRUE(c.noWrap) << "C source never wraps";
    EXPECT_TRUE(s.ProfileAt(ProfileId::kHtml).noWrap);
    EXPECT_EQ(c.extensions, "*.c;*.cpp;*.h;*.hpp");
    EXPECT_EQ(c.name, "C source");
    EXPECT_TRUE(u2.softTab);
    EXPECT_EQ(u2.name, "Python");
    EXPECT_EQ(ProfileOfFile("x.py", s.Profiles(), 932), UserProfile(2));
}

}  // namespace
}  // namespace norv::app
