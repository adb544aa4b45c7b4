// The archive name readers on archives written byte by byte (checked against what unzip and
// lha list), the archiver templates, and the check of every name against the destination.
#include "tools/archive/archive_names.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <sstream>

#include "support/archive_builder.h"
#include "support/temp_dir.h"
#include "tools/archive/archiver_command.h"

namespace norv::tools {
namespace {

using norv::testing::BuildLzh;
using norv::testing::BuildZip;
using norv::testing::LzhMember;
using norv::testing::ZipMember;
using norv::testing::ZipOptions;
using T = ArchiveEntryType;

std::vector<std::string> Names(const std::vector<ArchiveEntry>& entries) {
    std::vector<std::string> out;
    for (const ArchiveEntry& e : entries) out.push_back(e.name);
    return out;
}

std::string Shell(const std::string& command) {
    std::string out;
    FILE* p = ::popen(command.c_str(), "r");
    if (!p) return out;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    ::pclose(p);
    return out;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

bool Have(const char* program) {
    return Shell(std::string("command -v ") + program + " 2>/dev/null").size() > 0;
}

// The names `lha l` lists (its last column, after the fixed ones).
std::vector<std::string> LhaListing(const std::string& path) {
    std::vector<std::string> out;
    int rule = 0;
    for (const std::string& line : Lines(Shell("lha l '" + path + "' 2>/dev/null"))) {
        if (line.starts_with("----------")) {
            ++rule;
            continue;
        }
        if (rule == 1 && line.size() > 51) out.push_back(line.substr(51));
    }
    return out;
}

TEST(ZipNames, EveryKindOfEntryAsUnzipListsIt) {
    const std::vector<ZipMember> members = {
        {"plain.txt", "hello\n"},
        {"folder/", "", false, 3, 040755},
        {"folder/nested/deep name.txt", "deep", false, 3, 0100644},
        {"\xE6\x97\xA5\xE6\x9C\xAC/\xE8\xAA\x9E.txt", "utf8", true},
        {"dos\\style.txt", "dos", false, 0, 0, 0x20},
        {"dosdir/", "", false, 0, 0, 0x10},
        {"deflated.bin", "not really deflated", false, 3, 0100644, 0, 8},
    };
    norv::testing::TempDir dir;
    for (const ZipOptions& o :
         {ZipOptions{}, ZipOptions{"a trailing comment PK\x05\x06", false, ""},
          ZipOptions{"", true, ""}, ZipOptions{"", false, "#!/bin/sh\n"}}) {
        const std::string bytes = BuildZip(members, o);
        std::optional<std::vector<ArchiveEntry>> names = ReadZipNames(MemoryArchiveBytes(bytes));
        ASSERT_TRUE(names) << o.comment << o.zip64;
        EXPECT_EQ(Names(*names),
                  (std::vector<std::string>{"plain.txt", "folder/", "folder/nested/deep name.txt",
                                            "\xE6\x97\xA5\xE6\x9C\xAC/\xE8\xAA\x9E.txt",
                                            "dos\\style.txt", "dosdir/", "deflated.bin"}));
        EXPECT_EQ((*names)[1].type, T::kFolder);
        EXPECT_EQ((*names)[2].type, T::kFile);
        EXPECT_EQ((*names)[5].type, T::kFolder);
        if (Have("unzip")) {
            const std::string path = dir.Write("names.zip", bytes);
            std::vector<std::string> listed = Lines(Shell("unzip -Z1 '" + path + "' 2>/dev/null"));
            // unzip shows the DOS entry with its backslash turned into a slash.
            for (std::string& l : listed)
                if (l == "dos/style.txt") l = "dos\\style.txt";
            EXPECT_EQ(listed, Names(*names)) << "comment " << o.comment << " zip64 " << o.zip64;
        }
    }
}

TEST(ZipNames, NamesWithoutTheUtf8FlagStayBytesAndLinksAreSpecial) {
    const std::string sjis = "\x93\xFA\x96\x7B\x8C\xEA.txt";
    const std::string bytes = BuildZip({{sjis, "x"},
                                        {"link", "target", false, 3, 0120777},
                                        {"fifo", "", false, 3, 0010644},
                                        {"dev", "", false, 3, 0020644},
                                        {"dos-link-bits", "", false, 0, 0120777}});
    std::optional<std::vector<ArchiveEntry>> names = ReadZipNames(MemoryArchiveBytes(bytes));
    ASSERT_TRUE(names);
    EXPECT_EQ((*names)[0].name, sjis);
    EXPECT_EQ((*names)[1].type, T::kSpecial);
    EXPECT_EQ((*names)[2].type, T::kSpecial);
    EXPECT_EQ((*names)[3].type, T::kSpecial);
    // A DOS entry's upper attribute bits mean nothing.
    EXPECT_EQ((*names)[4].type, T::kFile);
}

TEST(ZipNames, BrokenArchivesCannotBeRead) {
    const std::string good = BuildZip({{"a.txt", "aaaa"}, {"b.txt", "bbbb"}});
    EXPECT_TRUE(ReadZipNames(MemoryArchiveBytes(good)));
    // No end record at all; a file too short for one.
    EXPECT_FALSE(ReadZipNames(MemoryArchiveBytes("just some text, no archive")));
    EXPECT_FALSE(ReadZipNames(MemoryArchiveBytes("")));
    // The directory cut: the end record claims more than is there.
    const size_t end = good.size() - 22;
    std::string cut = good;
    cut.erase(end - 10, 10);
    EXPECT_FALSE(ReadZipNames(MemoryArchiveBytes(cut)));
    // A count larger than the directory holds.
    std::string counted = good;
    counted[end + 10] = 9;
    counted[end + 8] = 9;
    EXPECT_FALSE(ReadZipNames(MemoryArchiveBytes(counted)));
    // A directory whose entries run past its recorded size.
    std::string sized = good;
    sized[end + 12] = static_cast<char>(sized[end + 12] - 5);
    EXPECT_FALSE(ReadZipNames(MemoryArchiveBytes(sized)));
    // Zip64 whose locator points past the file.
    std::string z64 = BuildZip({{"a", "a"}}, {"", true, ""});
    z64[z64.size() - 22 - 20 + 8] = '\x7F';
    EXPECT_FALSE(ReadZipNames(MemoryArchiveBytes(z64)));
}

TEST(LzhNames, LevelsZeroToTwoAsLhaListsThem) {
    const std::vector<LzhMember> members = {
        {"level0.txt", "", "zero\n", 0},
        {"sub\\level0-dir.txt", "", "zero-dir\n", 0},
        {"level1.txt", "one\xFFtwo\xFF", "one\n", 1},
        {"level2.txt", "", "two\n", 2, 0100644},
        {"deep.txt",
         "a\xFF"
         "b\xFF"
         "c\xFF",
         "deep\n", 2},
        {"", "folder\xFF", "", 2, 040755, true},
        {"unix0.txt", "", "u0\n", 0, 0100600},
    };
    const std::string bytes = BuildLzh(members);
    std::optional<std::vector<ArchiveEntry>> names = ReadLzhNames(MemoryArchiveBytes(bytes));
    ASSERT_TRUE(names);
    EXPECT_EQ(Names(*names),
              (std::vector<std::string>{"level0.txt", "sub/level0-dir.txt", "one/two/level1.txt",
                                        "level2.txt", "a/b/c/deep.txt", "folder/", "unix0.txt"}));
    EXPECT_EQ((*names)[5].type, T::kFolder);
    EXPECT_EQ((*names)[3].type, T::kFile);
    if (Have("lha")) {
        norv::testing::TempDir dir;
        const std::string path = dir.Write("names.lzh", bytes);
        EXPECT_EQ(LhaListing(path), Names(*names));
    }
    // Without the end mark the chain ends with the file.
    std::optional<std::vector<ArchiveEntry>> open =
        ReadLzhNames(MemoryArchiveBytes(BuildLzh(members, false)));
    ASSERT_TRUE(open);
    EXPECT_EQ(open->size(), members.size());
}

TEST(LzhNames, LinksDevicesAndBrokenChains) {
    std::optional<std::vector<ArchiveEntry>> names = ReadLzhNames(MemoryArchiveBytes(BuildLzh(
        {{"link", "", "", 2, 0120777}, {"pipe", "", "", 0, 0010644}, {"name|target", "", "", 1}})));
    ASSERT_TRUE(names);
    for (const ArchiveEntry& e : *names) EXPECT_EQ(e.type, T::kSpecial) << e.name;

    const std::string good = BuildLzh({{"a.txt", "", "aaaa", 2}, {"b.txt", "", "bbbb", 0}});
    EXPECT_TRUE(ReadLzhNames(MemoryArchiveBytes(good)));
    // A data size past the file, a header cut short, a method that is not LZH's.
    for (size_t keep : {good.size() - 3, size_t{20}, size_t{40}}) {
        EXPECT_FALSE(ReadLzhNames(MemoryArchiveBytes(good.substr(0, keep)))) << keep;
    }
    std::string method = good;
    method[3] = 'x';
    EXPECT_FALSE(ReadLzhNames(MemoryArchiveBytes(method)));
    // An extended header whose size runs past its header.
    std::string ext = good;
    ext[24] = '\x70';
    EXPECT_FALSE(ReadLzhNames(MemoryArchiveBytes(ext)));
    EXPECT_FALSE(ReadLzhNames(MemoryArchiveBytes("not an archive at all, long enough")));
}

TEST(ArchiveCheck, NamesThatLeaveTheFolder) {
    auto problem = [](std::string name, T type = T::kFile) {
        return CheckEntryName({std::move(name), type});
    };
    EXPECT_EQ(problem("a/b/c.txt"), NameProblem::kNone);
    EXPECT_EQ(problem("./a/..b/c..d"), NameProblem::kNone);
    EXPECT_EQ(problem("/tmp/x"), NameProblem::kAbsolute);
    EXPECT_EQ(problem("\\tmp\\x"), NameProblem::kAbsolute);
    EXPECT_EQ(problem("C:x"), NameProblem::kAbsolute);
    EXPECT_EQ(problem("c:/x"), NameProblem::kAbsolute);
    EXPECT_EQ(problem("../x"), NameProblem::kParent);
    EXPECT_EQ(problem("a/../../x"), NameProblem::kParent);
    EXPECT_EQ(problem("..\\x"), NameProblem::kParent);
    EXPECT_EQ(problem("a\\..\\x"), NameProblem::kParent);
    EXPECT_EQ(problem("a/.."), NameProblem::kParent);
    EXPECT_EQ(problem("link", T::kSpecial), NameProblem::kSpecial);
    EXPECT_EQ(problem(std::string("ok\0/../x", 8)), NameProblem::kSpecial);
}

TEST(ArchiveCheck, ALinkAlreadyInTheFolderIsNeverWrittenThrough) {
    norv::testing::TempDir dir;
    const std::string dest = dir.File("dest");
    std::filesystem::create_directories(dest + "/real/inner");
    ASSERT_EQ(::symlink("/tmp", (dest + "/escape").c_str()), 0);
    ASSERT_EQ(::symlink("/tmp", (dest + "/real/inner/up").c_str()), 0);
    const std::vector<ArchiveEntry> fine = {{"real/inner/file", T::kFile}, {"new/x", T::kFile}};
    EXPECT_FALSE(FirstEntryOutside(fine, dest));
    EXPECT_EQ(FirstEntryOutside({{"ok", T::kFile}, {"escape/x", T::kFile}}, dest), 1u);
    EXPECT_EQ(FirstEntryOutside({{"real\\inner\\up\\x", T::kFile}}, dest), 0u);
    // The link itself would be replaced or followed: refused too.
    EXPECT_EQ(FirstEntryOutside({{"escape", T::kFile}}, dest), 0u);
    // A link entry followed by a file under it.
    EXPECT_EQ(FirstEntryOutside({{"l", T::kSpecial}, {"l/x", T::kFile}}, dest), 0u);
    EXPECT_EQ(FirstEntryOutside({{"a", T::kFile}, {"../x", T::kFile}}, dest), 1u);
}

TEST(ArchiveCheck, ShownNames) {
    EXPECT_EQ(ShownName("a/\xE6\x97\xA5.txt"), "a/\xE6\x97\xA5.txt");
    EXPECT_EQ(ShownName("\x93\xFA\x96\x7B.txt"), "\\x93\\xFA\\x96{.txt");
    EXPECT_EQ(ShownName(std::string("a\0b\n", 4)), "a\\x00b\\x0A");
    EXPECT_EQ(ShownName("\xC0\xAF"), "\\xC0\\xAF");  // an overlong "/"
}

TEST(ArchiverCommand, ValuesAreOneArgumentEach) {
    const std::string archive = "/home/u/my $(touch x); 'q\" \xE6\x97\xA5.zip";
    const std::string dest = "/tmp/out dir/`id`";
    using V = std::vector<std::string>;
    EXPECT_EQ(ExpandArchiverWords("unzip -o %1 -d %2", archive, dest),
              (V{"unzip", "-o", archive, "-d", dest}));
    EXPECT_EQ(ExpandArchiverWords("lha xw=%2 %1", archive, dest),
              (V{"lha", "xw=" + dest, archive}));
    EXPECT_EQ(ExpandArchiverWords("a \"%1\" '%2' %x%% 100%", archive, dest),
              (V{"a", archive, dest, "100"}));
    EXPECT_EQ(ExpandArchiverWords("a 'b c' d\\ e", archive, dest), (V{"a", "b c", "d e"}));
    EXPECT_FALSE(ExpandArchiverWords("a 'open", archive, dest));
    EXPECT_FALSE(ExpandArchiverWords("%x", archive, dest));
    // Through the shell the values come back byte for byte.
    for (const std::string shell : {"/bin/sh", "/bin/bash"}) {
        for (const std::string tmpl : {"for a in %1 %2; do echo \"$a\"; done",
                                       "for a in \"%1\" '%2'; do echo \"$a\"; done"}) {
            std::optional<std::string> text = ExpandArchiverShellText(tmpl, archive, dest);
            ASSERT_TRUE(text);
            std::string quoted = *text;
            std::string escaped;
            for (char c : quoted) {
                if (c == '\'')
                    escaped += "'\\''";
                else
                    escaped.push_back(c);
            }
            EXPECT_EQ(Shell(shell + " -c '" + escaped + "'"), archive + "\n" + dest + "\n") << tmpl;
        }
    }
}

}  // namespace
}  // namespace norv::tools
