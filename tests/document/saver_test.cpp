// Saving: byte-for-byte round trips in every code, line-end and tab rules, backups, the mirror,
// and failures that must never leave a torn file.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "document/backup.h"
#include "document/debug_dump.h"
#include "document/document.h"
#include "platform/fakes/headless_ui.h"
#include "platform/fakes/memory_file_system.h"
#include "support/recording_sink.h"
#include "support/temp_dir.h"

namespace norv::document {
namespace {

using norv::testing::ReadFileBytes;
using norv::testing::TempDir;

using norv::testing::RecordingSink;

struct Fixture {
    TempDir dir;
    platform::HeadlessUi ui;
    RecordingSink sink;
    DocumentEnvironment env;
    Fixture() {
        env.ui = &ui;
        env.status = &sink;
        env.codePage = 932;
        env.save.trashOutGen = 0;
    }
    // Loads `bytes` from a file and saves the document back over it; returns the new bytes.
    std::string RoundTrip(const std::string& bytes, CodeChoice choice = CodeChoice::kDefault) {
        std::string path = dir.Write("rt.txt", bytes);
        CElwDoc doc(env);
        EXPECT_EQ(doc.OpenDocument(path, choice), 1);
        EXPECT_EQ(doc.SaveDocument(path), 1);
        return ReadFileBytes(path);
    }
};

std::string U16(std::u16string_view s, bool be) {
    std::string out;
    for (char16_t u : s) {
        char hi = static_cast<char>(u >> 8), lo = static_cast<char>(u & 0xFF);
        out += be ? std::string{hi, lo} : std::string{lo, hi};
    }
    return out;
}

TEST(SaveDocument, GivesBackTheBytesThatWereLoaded) {
    static const struct {
        const char* name;
        std::string bytes;
    } kCases[] = {
        {"lf", "a\nb\n"},
        {"crlf no final", "a\r\nb"},
        {"cr", "a\rb\r"},
        {"lf and cr", "a\nb\rc\n"},
        {"cr cr lf", "a\r\r\nb\r\n"},
        {"long line", std::string(70000, 'x') + "\n" + std::string(65534, 'y') + "\nz"},
        {"nul bytes", std::string("a\0b\r\n\0", 6)},
        {"sjis", "\x82\xA0\x82\xA2\r\n\x88\x9F\r\n"},
        {"euc", "\xA4\xA2\xA4\xA4\n\x8E\xB1\n"},
        {"jis", "\x1B$B$\"$$\x1B(B\nabc\n"},
        {"utf8", "\xE3\x81\x82\n\xF0\x9F\x98\x80\n"},
        {"utf8 bom", "\xEF\xBB\xBF\xE3\x81\x82\r\n"},
        {"utf16be final eol", std::string("\xFE\xFF\0A\0\r\0\n", 8)},
        {"utf16le no final eol", "\xFF\xFE" + U16(u"a\r\nb\U0001F600", false)},
        {"utf16le empty lines", "\xFF\xFE" + U16(u"a\n\n\n", false)},
        {"utf16be lone surrogate", "\xFE\xFF" + U16(u"\xD800x\n", true)},
        {"empty", ""},
    };
    for (const auto& c : kCases) {
        Fixture f;
        EXPECT_EQ(EscapeBytes(f.RoundTrip(c.bytes).data(), f.RoundTrip(c.bytes).size()),
                  EscapeBytes(c.bytes.data(), c.bytes.size()))
            << c.name;
    }
}

// Texts of many short lines, written in batches of lines: every line, its own line end and
// the shift state of JIS come back whole, also across the places where one batch ends.
TEST(SaveDocument, ManyShortLinesComeBackWhole) {
    std::string mixed, jis;
    std::u16string wide;
    for (int n = 0; n < 30000; ++n) {
        const std::string number = std::to_string(n);
        mixed += (n % 3 ? "x" + number : "\x82\xA0" + number) + (n % 7 == 0    ? "\n"
                                                                 : n % 11 == 0 ? "\r"
                                                                               : "\r\n");
        jis += n % 2 ? "\x1B$B$\"$$\x1B(B" + number + "\n" : number + "\n";
        wide += u"\x3042" + std::u16string(number.begin(), number.end()) + u"\r\n";
    }
    for (const std::string& bytes : {mixed, jis, "\xFF\xFE" + U16(wide, false)}) {
        Fixture f;
        const std::string got = f.RoundTrip(bytes);
        ASSERT_EQ(got.size(), bytes.size());
        EXPECT_TRUE(got == bytes) << EscapeBytes(got.data(), 64);
    }
}

TEST(SaveDocument, FinalEndOfFileMarkIsDroppedAndAddEofAppendsOne) {
    Fixture f;
    EXPECT_EQ(f.RoundTrip("abc\x1A"), "abc");
    f.env.save.addEof = true;
    EXPECT_EQ(f.RoundTrip("abc\x1A"), "abc\x1A");
    EXPECT_EQ(f.RoundTrip(std::string("\xFF\xFE"
                                      "A\0",
                                      4)),
              std::string("\xFF\xFE"
                          "A\0\x1A",
                          5));
}

TEST(SaveDocument, LinesWithoutRecordedEndsTakeTextMode) {
    Fixture f;
    CElwDoc doc(f.env);
    doc.NewDocument();
    doc.lines().Reset();
    for (const char* t : {"a\n", "b\n", "\n"}) doc.lines().AppendLine(t, 0);
    std::string path = f.dir.File("new.txt");
    ASSERT_EQ(doc.SaveDocument(path), 1);
    EXPECT_EQ(ReadFileBytes(path), "a\r\nb\r\n");
    f.env.save.textMode = 2;
    doc.lines().UnlinkLine(doc.lines().last());
    ASSERT_EQ(doc.SaveDocument(path), 1);
    EXPECT_EQ(ReadFileBytes(path), "a\rb");
    // A document mode overrides every line's own end.
    doc.eolMode = EolMode::kLf;
    doc.lines().first()->flags |= LF_EOL_CRLF;
    ASSERT_EQ(doc.SaveDocument(path), 1);
    EXPECT_EQ(ReadFileBytes(path), "a\nb");
    EXPECT_EQ(doc.lines().first()->flags & LF_CHANGED, 0);
}

TEST(SaveDocument, ConvertsToEveryCode) {
    static const struct {
        TextCode code;
        bool bom;
        std::string bytes;
    } kCases[] = {
        {TextCode::kAnsi, false, "\x82\xA0\xB1\r\nx"},
        {TextCode::kEuc, false, "\xA4\xA2\x8E\xB1\r\nx"},
        {TextCode::kJis, false, "\x1B$B$\"%\"\x1B(B\r\nx"},  // half-width kana become full-width
        {TextCode::kUtf8, true, "\xEF\xBB\xBF\xE3\x81\x82\xEF\xBD\xB1\r\nx"},
        {TextCode::kUcs2Le, true, "\xFF\xFE" + U16(u"\x3042\xFF71\r\nx", false)},
        {TextCode::kUcs2Be, false, U16(u"\x3042\xFF71\r\nx", true)},
    };
    for (const auto& c : kCases) {
        Fixture f;
        std::string path = f.dir.Write("c.txt", "\x82\xA0\xB1\r\nx");
        CElwDoc doc(f.env);
        ASSERT_EQ(doc.OpenDocument(path), 1);
        doc.saveCode = c.code;
        doc.bom = c.bom;
        ASSERT_EQ(doc.SaveDocument(path), 1);
        std::string got = ReadFileBytes(path);
        EXPECT_EQ(EscapeBytes(got.data(), got.size()), EscapeBytes(c.bytes.data(), c.bytes.size()))
            << static_cast<int>(c.code);
    }
}

TEST(SaveDocument, TabModesCountDisplayColumnsOutsideQuotes) {
    static const struct {
        int mode;
        const char* in;
        const char* out;
    } kCases[] = {
        {1, "a\tb\n", "a   b\n"},
        {1, "\x82\xA0\tb\n", "\x82\xA0  b\n"},  // a double-byte character is 2 columns
        {1, "\"a\tb\"\tc\n", "\"a\tb\"  c\n"},  // no conversion inside quotes
        {2, "a       b\n", "a\t\tb\n"},         // runs reaching a stop: one tab each
        {2, "abc d\n", "abc d\n"},              // a lone space before a stop stays
        {2, "a  \tb\n", "a\tb\n"},              // a tab ends the run before the stop
        {2, "'a'     x\n", "'a' \tx\n"},
        {2, "'a    b'\n", "'a    b'\n"},  // inside quotes nothing changes
    };
    for (const auto& c : kCases) {
        Fixture f;
        f.env.save.saveMode = c.mode;
        CElwDoc doc(f.env);
        std::string path = f.dir.Write("t.txt", c.in);
        ASSERT_EQ(doc.OpenDocument(path), 1);
        doc.tabWidth = 4;
        ASSERT_EQ(doc.SaveDocument(path), 1);
        EXPECT_EQ(ReadFileBytes(path), c.out) << c.in;
    }
}

TEST(SaveDocument, DelSpaceShortensTheLinesThemselves) {
    Fixture f;
    f.env.save.delSpace = true;
    std::string path = f.dir.Write("d.txt", "a \t\nb\n  \n");
    CElwDoc doc(f.env);
    ASSERT_EQ(doc.OpenDocument(path), 1);
    ASSERT_EQ(doc.SaveDocument(path), 1);
    EXPECT_EQ(ReadFileBytes(path), "a\nb\n\n");
    EXPECT_EQ(DumpLines(doc.lines()), "1\t10\ta\n2\t10\tb\n3\t10\t\n4\t00\t\n");
}

TEST(Backups, GenerationsShiftAndFoldersWork) {
    EXPECT_EQ(BackupGenerationName("/d/memo.txt", 1), "/d/memo.t01");
    EXPECT_EQ(BackupGenerationName("/d/memo", 2), "/d/memo._02");
    EXPECT_EQ(BackupGenerationName("/d/memo.", 1), "/d/memo._01");
    EXPECT_EQ(BackupGenerationName("/d.x/memo", 1), "/d.x/memo._01");

    Fixture f;
    f.env.save.trashOutGen = 3;
    std::string path = f.dir.Write("memo.txt", "v0");
    CElwDoc doc(f.env);
    ASSERT_EQ(doc.OpenDocument(path), 1);
    for (int v = 1; v <= 3; ++v) {
        doc.lines().first()->text()[1] = static_cast<char>('0' + v);
        ASSERT_EQ(doc.SaveDocument(path), 1);
    }
    EXPECT_EQ(ReadFileBytes(path), "v3");
    EXPECT_EQ(ReadFileBytes(f.dir.File("memo.t01")), "v2");
    EXPECT_EQ(ReadFileBytes(f.dir.File("memo.t02")), "v1");
    EXPECT_FALSE(std::filesystem::exists(f.dir.File("memo.t03")));

    // A relative backup folder is made beside the document and keeps the plain name.
    f.env.save.backUpPath = "old";
    doc.lines().first()->text()[1] = '4';
    ASSERT_EQ(doc.SaveDocument(path), 1);
    doc.lines().first()->text()[1] = '5';
    ASSERT_EQ(doc.SaveDocument(path), 1);
    EXPECT_EQ(ReadFileBytes(f.dir.File("old/memo.txt")), "v4");
    EXPECT_EQ(ReadFileBytes(f.dir.File("old/memo.t01")), "v3");
}

TEST(SaveDocument, ReadOnlyFilesAreRefused) {
    platform::MemoryFileSystem fs;
    fs.files["/r.txt"] = "old";
    fs.readOnly.insert("/r.txt");
    Fixture f;
    f.env.fs = &fs;
    CElwDoc doc(f.env);
    ASSERT_EQ(doc.OpenDocument("/r.txt"), 1);
    EXPECT_EQ(doc.SaveDocument("/r.txt"), 0);
    EXPECT_EQ(f.ui.messages.back(), "This file cannot be saved because of its readonly attribute.");
    EXPECT_EQ(f.sink.codes.back(), 4);
    EXPECT_EQ(fs.files["/r.txt"], "old");
}

// Every write of a save fails in turn: the file holds its old bytes or the whole new text, and
// the lines changed since the last save keep that mark until a save succeeds.
TEST(SaveDocument, AFailedWriteNeverLeavesATornFile) {
    auto changedLines = [](CElwDoc& doc) {
        std::vector<int> out;
        int n = 1;
        for (const LineRecord* r = doc.lines().first(); r; r = r->next, ++n)
            if (r->flags & LF_CHANGED) out.push_back(n);
        return out;
    };
    std::string old = "old text\n";
    std::string text;
    for (int i = 0; i < 20000; ++i) text += "line " + std::to_string(i) + "\n";
    for (int n = 1;; ++n) {
        platform::MemoryFileSystem fs;
        fs.files["/f.txt"] = text;
        Fixture f;
        f.env.fs = &fs;
        f.env.save.trashOutGen = n % 2;
        CElwDoc doc(f.env);
        ASSERT_EQ(doc.OpenDocument("/f.txt"), 1);
        std::vector<int> changed;
        for (int k = 1; k <= 20001; k += 997) {
            doc.lines().LineAt(k)->flags |= LF_CHANGED;
            changed.push_back(k);
        }
        fs.files["/f.txt"] = old;  // what is on disk when the save starts
        fs.writes = 0;
        fs.failWriteNumber = n;
        int r = doc.SaveDocument("/f.txt");
        const std::string& now = fs.files["/f.txt"];
        if (r == 1) {
            EXPECT_EQ(now, text);
            EXPECT_GT(n, 1);
            EXPECT_TRUE(changedLines(doc).empty());
            break;
        }
        EXPECT_EQ(now, old) << "write " << n;
        EXPECT_EQ(changedLines(doc), changed) << "write " << n;
        EXPECT_EQ(f.sink.codes.back(), 7);
        EXPECT_EQ(f.ui.messages.back(),
                  "Failed to write file.\nPlease check if your machine has sufficient disk space.");
        EXPECT_EQ(fs.files.count("/.f.txt.norv-save"), 0u) << "the temporary file is removed";
        ASSERT_LT(n, 100);
    }
}

TEST(SaveDocument, AFailingMirrorNeverFailsTheSave) {
    platform::MemoryFileSystem fs;
    fs.files["/d/f.txt"] = "abc\n";
    Fixture f;
    f.env.fs = &fs;
    f.env.save.mirroring = true;
    f.env.save.mirrorPath = "/m";
    CElwDoc doc(f.env);
    ASSERT_EQ(doc.OpenDocument("/d/f.txt"), 1);
    ASSERT_EQ(doc.SaveDocument("/d/f.txt"), 1);
    EXPECT_EQ(fs.files["/m/f.txt"], "abc\n");
    fs.unopenable.insert("/m/f.txt");
    ASSERT_EQ(doc.SaveDocument("/d/f.txt"), 1);
    EXPECT_EQ(fs.files["/d/f.txt"], "abc\n");
}

}  // namespace
}  // namespace norv::document

#include <sys/mount.h>
#include <unistd.h>

namespace norv::document {
namespace {

// A real full disk: a small tmpfs (needs root; skipped otherwise).
TEST(SaveDocument, AFullDiskLeavesTheOldFile) {
    TempDir dir;
    std::string mnt = dir.File("disk");
    std::filesystem::create_directory(mnt);
    if (geteuid() != 0 || mount("tmpfs", mnt.c_str(), "tmpfs", 0, "size=256k") != 0)
        GTEST_SKIP() << "mounting a tmpfs needs root";
    std::string old(100000, 'o');
    std::string path = mnt + "/f.txt";
    { std::ofstream(path, std::ios::binary) << old; }
    Fixture f;
    CElwDoc doc(f.env);
    ASSERT_EQ(doc.OpenDocument(path), 1);
    std::string big(60000, 'n');
    for (int i = 0; i < 3; ++i) doc.lines().AppendLine((big + "\n").c_str(), big.size() + 1);
    EXPECT_EQ(doc.SaveDocument(path), 0);
    EXPECT_EQ(f.sink.codes.back(), 7);
    EXPECT_TRUE(ReadFileBytes(path) == old);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(mnt), {}), 1);
    umount(mnt.c_str());
}

}  // namespace
}  // namespace norv::document
