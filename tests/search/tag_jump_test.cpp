// Tag jump: the names and numbers read from real formats, the paths they name, and the jump
// itself through a view.
#include "search/tag_jump.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>

#include "editing/edit_test_support.h"
#include "platform/fakes/headless_ui.h"
#include "platform/fakes/memory_file_system.h"
#include "platform/paths.h"
#include "support/sjis_text.h"
#include "support/temp_dir.h"

namespace norv::search {
namespace {

using testing::Sjis;

TEST(TagJump, ReadsNamesAndNumbersFromRealFormats) {
    static const struct {
        std::string line;
        const char* name;  // null: no name (a beep)
        std::optional<uint64_t> number;
    } kCases[] = {
        // Find in files.
        {"sub/a.c(12): int x;", "sub/a.c", 12},
        {"\"my dir/a b.c\"(7): text", "my dir/a b.c", 7},
        {"\"unclosed(3", "unclosed(3", std::nullopt},
        // gcc, other compilers, grep -n.
        {"f.c:12:5: error: expected ';'", "f.c", 12},
        {"f.c(12) : error C2143", "f.c", 12},
        {"src/util.h:120:static int x;", "src/util.h", 120},
        {"./lib/v1.2/io.c:9:x", "./lib/v1.2/io.c", 9},
        {"../up.txt:3", "../up.txt", 3},
        // The design's own lines.
        {"src\\main.c(120): error", "src\\main.c", 120},
        {"main.c: 45", "main.c", 45},
        {"Makefile(3)", "Makefile", 3},
        {"Makefile", nullptr, std::nullopt},
        {"no name here", nullptr, std::nullopt},
        {"", nullptr, std::nullopt},
        // Without a number: the first line; colons around the name go.
        {"readme.txt", "readme.txt", std::nullopt},
        {"::x.c::(4)", "x.c", 4},
        {"(5)", nullptr, std::nullopt},
        // A period after a blank or a slash does not start a name.
        {".profile(2)", ".profile", 2},
        {"/.hidden(2)", "/.hidden", 2},
        // Numbers too long for any text stay readable.
        {"a.c(99999999999999999999999): x", "a.c", UINT64_MAX},
        {"a.c(0)", "a.c", 0},
    };
    for (const auto& c : kCases) {
        std::optional<TagName> t = ParseTagLine(c.line, 932);
        if (!c.name) {
            EXPECT_FALSE(t) << c.line;
            continue;
        }
        ASSERT_TRUE(t) << c.line;
        EXPECT_EQ(t->name, c.name) << c.line;
        EXPECT_EQ(t->line, c.number) << c.line;
    }
}

TEST(TagJump, ReadsDoubleByteNamesByCharacters) {
    // "ポ" ends in the byte of "|", a tag separator, and "表" in a backslash.
    std::optional<TagName> t = ParseTagLine(Sjis("ポ表.txt(3): x"), 932);
    ASSERT_TRUE(t);
    EXPECT_EQ(t->name, Sjis("ポ表.txt"));
    EXPECT_EQ(t->line, 3u);
    t = ParseTagLine("日本語.txt:8:x", 65000);
    ASSERT_TRUE(t);
    EXPECT_EQ(t->name, "日本語.txt");
}

TEST(TagJump, TargetLinesStayInTheText) {
    EXPECT_EQ(TagTargetLine(std::nullopt, 10), 1);
    EXPECT_EQ(TagTargetLine(0, 10), 1);
    EXPECT_EQ(TagTargetLine(4, 10), 4);
    EXPECT_EQ(TagTargetLine(10, 10), 10);
    EXPECT_EQ(TagTargetLine(11, 10), 10);
    EXPECT_EQ(TagTargetLine(UINT64_MAX, 10), 10);
}

TEST(TagJump, PathsAreReadFromTheBaseFolder) {
    platform::MemoryFileSystem fs;
    fs.files["/p/src/main.c"] = "x";
    fs.files["/p/odd\\name.c"] = "x";
    EXPECT_EQ(TagPath(fs, "/p/", "src/main.c"), "/p/src/main.c");
    EXPECT_EQ(TagPath(fs, "/p/", "/abs/x.c"), "/abs/x.c");
    EXPECT_EQ(TagPath(fs, "/p/sub/", "../src/main.c"), "/p/src/main.c");
    // A backslash that names no file is read as a folder separator; one that names a file stays.
    EXPECT_EQ(TagPath(fs, "/p/", "src\\main.c"), "/p/src/main.c");
    EXPECT_EQ(TagPath(fs, "/p/", "odd\\name.c"), "/p/odd\\name.c");
    EXPECT_EQ(TagPath(fs, "/p/", "new\\file.c"), "/p/new\\file.c");
}

// Opens files into views of their own, as the frame would.
class Views : public TagJumpHost {
  public:
    editing::CElwView* OpenOrActivate(const std::string& path) override {
        opened.push_back(path);
        auto it = editors.find(path);
        if (it == editors.end()) return nullptr;
        return it->second->view.get();
    }
    std::map<std::string, std::unique_ptr<editing::testing::Editor>> editors;
    std::vector<std::string> opened;
};

TEST(TagJump, JumpsToTheLineCentred) {
    testing::TempDir dir;
    const std::string base = dir.path() + "/";
    dir.Write("target.c", "x");
    Views views;
    auto target = std::make_unique<editing::testing::Editor>(editing::testing::Enc::kSjis);
    std::string text;
    for (int i = 1; i <= 100; ++i) text += "line " + std::to_string(i) + "\n";
    target->Load(text);
    views.editors[base + "target.c"] = std::move(target);

    editing::testing::Editor output(editing::testing::Enc::kUtf8);
    output.Load("other\ntarget.c(40): line 40|\n\"gone.c\"(1): x\nnothing");
    output.doc.path = base + "#Output#";
    platform::HeadlessUi ui;
    const std::string before = platform::CurrentFolder();
    EXPECT_EQ(RunTagJump(*output.view, platform::RealFileSystem(), ui, views),
              TagJumpStatus::kJumped);
    editing::CElwView& v = *views.editors[base + "target.c"]->view;
    EXPECT_EQ(v.caretLineNumber(), 40);
    EXPECT_EQ(v.caretScreenRow(), v.windowRows() / 2);
    // The base folder became the current folder.
    EXPECT_EQ(platform::CurrentFolder(), base);
    output.view->SetCaret(3, 0);
    EXPECT_EQ(RunTagJump(*output.view, platform::RealFileSystem(), ui, views),
              TagJumpStatus::kNotOpened);
    EXPECT_EQ(views.opened.back(), base + "gone.c");
    output.view->SetCaret(4, 0);
    EXPECT_EQ(RunTagJump(*output.view, platform::RealFileSystem(), ui, views),
              TagJumpStatus::kNoName);
    EXPECT_EQ(ui.beeps, 1);
    platform::ChangeCurrentFolder(before);
}

}  // namespace
}  // namespace norv::search
