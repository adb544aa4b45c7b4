// Path helpers and file times.
#include "platform/paths.h"

#include <gtest/gtest.h>

#include "platform/file_system.h"
#include "platform/ui.h"

namespace norv::platform {
namespace {

TEST(Paths, FolderFileNameAndExtension) {
    static const struct {
        const char* path;
        const char* folder;
        const char* name;
        const char* ext;
    } kCases[] = {
        {"/a/b/c.txt", "/a/b/", "c.txt", ".txt"},
        {"/a.b/c", "/a.b/", "c", ""},  // the extension comes from the file name only
        {"c.tar.gz", "", "c.tar.gz", ".gz"},
        {"/a/memo.", "/a/", "memo.", "."},
        {"/a/.bashrc", "/a/", ".bashrc", ".bashrc"},
        {"/", "/", "", ""},
        {"dir\\name.txt", "", "dir\\name.txt", ".txt"},  // a backslash is an ordinary character
    };
    for (const auto& c : kCases) {
        EXPECT_EQ(FolderOf(c.path), c.folder) << c.path;
        EXPECT_EQ(FileNameOf(c.path), c.name) << c.path;
        EXPECT_EQ(ExtensionOf(c.path), c.ext) << c.path;
    }
    EXPECT_EQ(WithoutExtension("/x/y.z/memo.txt"), "/x/y.z/memo");
}

TEST(Paths, JoiningRelativeTestAndFullPaths) {
    EXPECT_EQ(JoinPath("/a", "b"), "/a/b");
    EXPECT_EQ(JoinPath("/a/", "/b"), "/a/b");
    EXPECT_EQ(JoinPath("", "b"), "b");
    EXPECT_TRUE(IsRelativePath("a/b"));
    EXPECT_TRUE(IsRelativePath("./a"));
    EXPECT_FALSE(IsRelativePath("/tmp/a.txt"));
    EXPECT_FALSE(IsRelativePath("~/a"));
    EXPECT_EQ(FullPath("/a/./b/../c//d"), "/a/c/d");
    EXPECT_EQ(FullPath("/.."), "/");
    EXPECT_EQ(FullPath("x"), CurrentFolder() + "x");
    EXPECT_EQ(FullPath("/a/b/"), "/a/b/");
}

TEST(FileTimes, CountHundredNanosecondsSince1601) {
    EXPECT_EQ(FileTimeFromUnix(0, 0), 116444736000000000ull);
    EXPECT_EQ(FileTimeFromUnix(1, 500), 116444736010000005ull);
    EXPECT_GT(FileTimeNow(), FileTimeFromUnix(1700000000, 0));
}

TEST(Ui, DefaultButtons) {
    EXPECT_EQ(DefaultButtonOf(mb::kOk), kIdOk);
    EXPECT_EQ(DefaultButtonOf(mb::kYesNo), kIdYes);
    EXPECT_EQ(DefaultButtonOf(mb::kYesNo | mb::kDefaultButton2), kIdNo);
    EXPECT_EQ(DefaultButtonOf(mb::kYesNoCancel | mb::kDefaultButton3), kIdCancel);
    EXPECT_EQ(DefaultButtonOf(mb::kOkCancel | mb::kIconQuestion), kIdOk);
}

}  // namespace
}  // namespace norv::platform
