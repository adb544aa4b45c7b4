// Extracting archives with the real archivers: unzip on archives made by zip and by Python's
// zipfile, lha on archives written byte by byte; refused archives write nothing anywhere; the
// mode switch's output; names that would run commands.
#include "app/archive_extract.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

#include "app/config/settings.h"
#include "platform/fakes/headless_ui.h"
#include "platform/paths.h"
#include "support/archive_builder.h"
#include "support/temp_dir.h"

namespace norv::app {
namespace {

namespace fs = std::filesystem;

bool Have(const char* program) {
    return std::system((std::string("command -v ") + program + " >/dev/null 2>&1").c_str()) == 0;
}

// Every file under `root` with its bytes (folders as "/"), links as "->".
std::map<std::string, std::string> Tree(const std::string& root) {
    std::map<std::string, std::string> out;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(root, ec);
         it != fs::recursive_directory_iterator(); it.increment(ec)) {
        const std::string rel = fs::relative(it->path(), root).string();
        if (it->is_symlink()) {
            out[rel] = "->";
        } else if (it->is_directory()) {
            out[rel] = "/";
        } else {
            std::ifstream in(it->path(), std::ios::binary);
            out[rel] = std::string(std::istreambuf_iterator<char>(in), {});
        }
    }
    return out;
}

struct Fixture {
    Fixture() : settings(65001) {
        env.ui = &ui;
        env.settings = &settings;
        env.systemCodePage = 65001;
        env.chooseFolder = [this](const std::string& start) -> std::optional<std::string> {
            startedAt = start;
            return destination;
        };
        env.showOutput = [this](const std::string& text) { shown.push_back(text); };
        before = platform::CurrentFolder();
    }
    ~Fixture() { platform::ChangeCurrentFolder(before); }
    ExtractResult Extract(const std::string& archive) {
        return ExtractArchive(env, {archive}, dir.path());
    }
    testing::TempDir dir;
    Settings settings;
    platform::HeadlessUi ui;
    ExtractEnvironment env;
    std::optional<std::string> destination;
    std::string startedAt;
    std::vector<std::string> shown;
    std::string before;
};

// The files of the tests' archives: odd names, nested folders.
const std::map<std::string, std::string> kFiles = {
    {"plain.txt", "plain\n"},
    {"with blank/and 'quote\".txt", "quotes\n"},
    {"$(touch pwned)/;echo x.txt", "dollar\n"},
    {"\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E/\xE6\x96\x87\xE6\x9B\xB8.txt", "japanese\n"},
    {"a/b/c/deep.bin", std::string("\0\x01\xFF bytes", 9)},
};

void WriteFiles(const std::string& root) {
    for (const auto& [name, data] : kFiles) {
        fs::create_directories(fs::path(root + "/" + name).parent_path());
        std::ofstream(root + "/" + name, std::ios::binary).write(data.data(), long(data.size()));
    }
}

void ExpectExtracted(const std::string& dest) {
    std::map<std::string, std::string> got = Tree(dest);
    for (const auto& [name, data] : kFiles) {
        ASSERT_TRUE(got.count(name)) << name;
        EXPECT_EQ(got[name], data) << name;
    }
}

TEST(ArchiveExtract, UnzipOnArchivesOfZipAndPython) {
    if (!Have("unzip") || !Have("zip") || !Have("python3")) GTEST_SKIP() << "no unzip or zip";
    Fixture f;
    const std::string src = f.dir.File("src");
    WriteFiles(src);
    const std::string byZip = f.dir.File("by zip $(x).zip");
    ASSERT_EQ(std::system(("cd '" + src + "' && zip -qr '" + byZip + "' .").c_str()), 0);
    const std::string byPython = f.dir.File("by 'python'.ZIP");
    const std::string script =
        f.dir.Write("make.py",
                    "import os, sys, zipfile\n"
                    "src, out = sys.argv[1], sys.argv[2]\n"
                    "with zipfile.ZipFile(out, 'w', zipfile.ZIP_DEFLATED) as z:\n"
                    "    for d, _, files in os.walk(src):\n"
                    "        for n in files:\n"
                    "            p = os.path.join(d, n)\n"
                    "            z.write(p, os.path.relpath(p, src))\n");
    ASSERT_EQ(std::system(("python3 '" + script + "' '" + src + "' \"" + byPython + "\"").c_str()),
              0);
    for (const std::string& archive : {byZip, byPython}) {
        const std::string dest = f.dir.File("out " + std::to_string(archive.size()) + " ';$(y)");
        fs::create_directories(dest);
        f.destination = dest;
        ExtractResult r = f.Extract(archive);
        EXPECT_TRUE(r.ran) << archive;
        EXPECT_EQ(f.startedAt, f.dir.path());
        EXPECT_EQ(r.destination, dest);
        EXPECT_EQ(platform::CurrentFolder(), dest + "/");
        ExpectExtracted(dest);
        EXPECT_TRUE(f.ui.messages.empty()) << f.ui.messages[0];
    }
    EXPECT_FALSE(fs::exists(f.dir.File("pwned")));
    EXPECT_FALSE(fs::exists(f.dir.File("x")));
}

TEST(ArchiveExtract, LhaOnArchivesWrittenByteByByte) {
    if (!Have("lha")) GTEST_SKIP() << "no lha";
    Fixture f;
    const std::string archive = f.dir.Write(
        "made by hand.lzh",
        testing::BuildLzh({{"zero.txt", "", "level zero\n", 0},
                           {"one.txt", "dir one\xFF", "level one\n", 1},
                           {"\xE6\x97\xA5.txt", "x\xFFy\xFF", "level two\n", 2, 0100644}}));
    const std::string dest = f.dir.File("lzh out");
    fs::create_directories(dest);
    f.destination = dest;
    ExtractResult r = f.Extract(archive);
    EXPECT_TRUE(r.ran);
    std::map<std::string, std::string> got = Tree(dest);
    EXPECT_EQ(got["zero.txt"], "level zero\n");
    EXPECT_EQ(got["dir one/one.txt"], "level one\n");
    EXPECT_EQ(got["x/y/\xE6\x97\xA5.txt"], "level two\n");
}

TEST(ArchiveExtract, RefusedArchivesWriteNothingAnywhere) {
    Fixture f;
    using testing::ZipMember;
    struct Case {
        std::string file, bytes, message;
    };
    const std::string cutZip = [] {
        std::string z = testing::BuildZip({{"a.txt", "a"}, {"b.txt", "b"}});
        z.erase(z.size() - 22 - 30, 20);  // into the central directory
        return z;
    }();
    const std::string brokenLzh = [] {
        std::string l = testing::BuildLzh({{"a.txt", "", "aaaa", 2}, {"b.txt", "", "bbbb", 2}});
        return l.substr(0, l.size() - 10);
    }();
    const std::vector<Case> cases = {
        {"parent.zip", testing::BuildZip({{"ok.txt", "ok"}, {"../x", "x"}}),
         "This archive holds a name outside the chosen folder:\n../x"},
        {"absolute.zip", testing::BuildZip({{"/tmp/x", "x"}}),
         "This archive holds a name outside the chosen folder:\n/tmp/x"},
        {"back.zip", testing::BuildZip({{"..\\x", "x"}}),
         "This archive holds a name outside the chosen folder:\n..\\x"},
        {"link.zip",
         testing::BuildZip({{"l", "/tmp", false, 3, 0120777}, {"l/x", "x", false, 3, 0100644}}),
         "This archive holds a name outside the chosen folder:\nl"},
        {"cut.zip", cutZip, "The names in this archive cannot be read:\n"},
        {"broken.lzh", brokenLzh, "The names in this archive cannot be read:\n"},
        {"parent.lzh", testing::BuildLzh({{"x", "..\xFF", "x", 2}}),
         "This archive holds a name outside the chosen folder:\n../x"},
    };
    const std::string dest = f.dir.File("dest");
    fs::create_directories(dest);
    f.destination = dest;
    for (const Case& c : cases) {
        const std::string path = f.dir.Write(c.file, c.bytes);
        const auto before = Tree(f.dir.path());
        f.ui.messages.clear();
        ExtractResult r = f.Extract(path);
        EXPECT_FALSE(r.ran) << c.file;
        EXPECT_TRUE(r.destination.empty());
        EXPECT_EQ(Tree(f.dir.path()), before) << c.file;
        ASSERT_EQ(f.ui.messages.size(), 1u) << c.file;
        std::string expected = c.message;
        if (expected.ends_with("\n")) expected += path;
        EXPECT_EQ(f.ui.messages[0], expected);
    }
}

TEST(ArchiveExtract, TheDialogsChoices) {
    Fixture f;
    f.destination = f.dir.path();
    // Two files: the message; another extension: nothing; Cancel in the chooser: nothing runs.
    ExtractArchive(f.env, {"/a.zip", "/b.zip"}, f.dir.path());
    ASSERT_EQ(f.ui.messages.size(), 1u);
    EXPECT_EQ(f.ui.messages[0], kArchiveMultiple);
    EXPECT_FALSE(f.Extract(f.dir.Write("notes.txt", "x")).ran);
    EXPECT_FALSE(f.Extract(f.dir.Write("zip", "x")).ran);
    f.destination.reset();
    f.settings.Set(Key::ZIPX, "sh -c 'touch ran' %1 %2");
    EXPECT_FALSE(f.Extract(f.dir.Write("a.Zip", testing::BuildZip({{"a", "a"}}))).ran);
    EXPECT_FALSE(fs::exists(f.dir.File("ran")));
    EXPECT_EQ(f.ui.messages.size(), 1u);
    // Without %2 no folder is asked for: the archiver runs in the dialog's folder.
    f.settings.Set(Key::ZIPX, "sh -c 'touch ran' %1");
    EXPECT_TRUE(f.Extract(f.dir.File("a.Zip")).ran);
    EXPECT_TRUE(fs::exists(f.dir.File("ran")));
    // A program that cannot start.
    f.settings.Set(Key::ZIPX, "norv-no-such-archiver %1");
    EXPECT_FALSE(f.Extract(f.dir.File("a.Zip")).ran);
    EXPECT_EQ(f.ui.messages.back(),
              "The command didn't work properly\nPlease check if the command or the file name is "
              "correct.");
}

TEST(ArchiveExtract, TheModeSwitchShowsTheFirstWholeCharacters) {
    Fixture f;
    f.destination = f.dir.path();
    f.settings.Set(Key::ZIPDOS, 1);
    // 16383 bytes of "a", then "日" (3 bytes) across the limit, then more.
    f.settings.Set(Key::ZIPX,
                   "head -c 16383 /dev/zero | tr '\\0' a; printf '\\346\\227\\245rest'; "
                   ": %1");
    const std::string archive = f.dir.Write("q'$(touch no).zip", testing::BuildZip({{"a", "a"}}));
    ExtractResult r = f.Extract(archive);
    EXPECT_TRUE(r.ran);
    ASSERT_EQ(f.shown.size(), 1u);
    EXPECT_EQ(f.shown[0], std::string(16383, 'a'));
    EXPECT_FALSE(fs::exists(f.dir.File("no")));
    EXPECT_EQ(CutAtWholeCharacter("ab\xE6\x97\xA5", 4), "ab");
    EXPECT_EQ(CutAtWholeCharacter("ab\xE6\x97\xA5", 5), "ab\xE6\x97\xA5");
    EXPECT_EQ(CutAtWholeCharacter("abc\xE6\x97\xA5", 3), "abc");
    EXPECT_EQ(CutAtWholeCharacter("\x80\x80\x80\x80\x80", 2), "\x80\x80");
}

}  // namespace
}  // namespace norv::app
