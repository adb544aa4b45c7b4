// norvconv as a user runs it: the report line per file, --dump, the reading options, and
// files that cannot be read.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <string>

#include "support/temp_dir.h"

namespace {

using norv::testing::TempDir;

struct RunResult {
    int status;
    std::string out;
};

// Runs norvconv with the arguments (already quoted) and captures standard output; standard
// error goes to `errFile`.
RunResult Norvconv(const std::string& args, const std::string& errFile) {
    std::string cmd = "NORV_ACP=932 " NORVCONV_PATH " " + args + " 2>'" + errFile + "'";
    FILE* p = popen(cmd.c_str(), "r");
    RunResult r{-1, {}};
    if (!p) return r;
    std::array<char, 4096> buf;
    size_t n;
    while ((n = fread(buf.data(), 1, buf.size(), p)) > 0) r.out.append(buf.data(), n);
    int st = pclose(p);
    r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    return r;
}

TEST(Norvconv, ReportsEachFileAndGoesOnPastUnreadableOnes) {
    TempDir d;
    std::string a = d.Write("a.txt", "\x82\xA0\r\n\x82\xA2\r\n");
    std::string b = d.Write("b.txt", "\xEF\xBB\xBF\xE3\x81\x82\n");
    std::string c = d.Write("c.txt", std::string("\xFF\xFE"
                                                 "A\0\n\0",
                                                 6));
    std::string err = d.File("err");
    RunResult r =
        Norvconv("'" + a + "' '" + d.File("missing.txt") + "' '" + b + "' '" + c + "'", err);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out,
              a + "\tAnsi\t0\tCrLf\t3\n" + b + "\tUtf8\t1\tLf\t2\n" + c + "\tUcs2Le\t1\tLf\t1\n");
    EXPECT_EQ(norv::testing::ReadFileBytes(err),
              "norvconv: " + d.File("missing.txt") + ": No such file or directory\n");
}

TEST(Norvconv, ReadingOptionsAndDump) {
    TempDir d;
    std::string e = d.Write("e.txt", "\xA4\xA2\n");
    std::string err = d.File("err");
    EXPECT_EQ(Norvconv("'" + e + "'", err).out, e + "\tEuc\t0\tLf\t2\n");
    EXPECT_EQ(Norvconv("-k S '" + e + "'", err).out, e + "\tAnsi\t0\tLf\t2\n");
    EXPECT_EQ(Norvconv("-c 7 '" + e + "'", err).out, e + "\tUtf8\t0\tLf\t2\n");
    RunResult dump = Norvconv("--dump '" + e + "'", err);
    EXPECT_EQ(dump.status, 0);
    EXPECT_EQ(dump.out, "1\t10\t\\x82\\xA0\n2\t00\t\n");
    EXPECT_EQ(Norvconv("-c 9 '" + e + "'", err).status, 2);
    EXPECT_EQ(Norvconv("'" + d.path() + "'", err).status, 1);  // a folder
}

TEST(Norvconv, ConvertsWithTheEditorsSaver) {
    TempDir d;
    std::string src = d.Write("s.txt", "\x82\xA0\r\n\x82\xA2\r\n");
    std::string err = d.File("err");
    EXPECT_EQ(Norvconv("-t utf8 -e lf -o '" + d.File("u.txt") + "' '" + src + "'", err).status, 0);
    EXPECT_EQ(norv::testing::ReadFileBytes(d.File("u.txt")), "\xE3\x81\x82\n\xE3\x81\x84\n");
    EXPECT_EQ(Norvconv("-t ucs2be -b '" + d.File("u.txt") + "'", err).status, 0);  // in place
    EXPECT_EQ(norv::testing::ReadFileBytes(d.File("u.txt")),
              std::string("\xFE\xFF\x30\x42\0\n\x30\x44\0\n", 10));
    EXPECT_EQ(Norvconv("-t euc '" + src + "'", err).status, 0);
    EXPECT_EQ(norv::testing::ReadFileBytes(src), "\xA4\xA2\r\n\xA4\xA4\r\n");
    EXPECT_EQ(Norvconv("-t euc --backup 1 '" + src + "'", err).status, 0);
    EXPECT_EQ(norv::testing::ReadFileBytes(d.File("s.t01")), "\xA4\xA2\r\n\xA4\xA4\r\n");
    EXPECT_EQ(Norvconv("-t klingon '" + src + "'", err).status, 2);
}

// What norvconv writes as UTF-16 without a mark it reads back as UTF-16 and reports so; a
// forced code (-k, -c) is never overruled.
TEST(Norvconv, ReadsBackUtf16WithoutAMark) {
    TempDir d;
    std::string src = d.Write("s.txt", "\x82\xA0\r\n\x82\xA2\r\n");
    std::string err = d.File("err");
    for (const char* code : {"ucs2le", "ucs2be"}) {
        std::string out = d.File(std::string(code) + ".txt");
        ASSERT_EQ(
            Norvconv(std::string("-t ") + code + " -B -o '" + out + "' '" + src + "'", err).status,
            0);
        const char* name = std::string(code) == "ucs2le" ? "Ucs2Le" : "Ucs2Be";
        EXPECT_EQ(Norvconv("'" + out + "'", err).out, out + "\t" + name + "\t0\tCrLf\t2\n");
        EXPECT_EQ(Norvconv("-k S '" + out + "'", err).out.find("Ucs2"), std::string::npos);
        EXPECT_EQ(Norvconv("-c 2 '" + out + "'", err).out.find("Ucs2"), std::string::npos);
        // Converted back from the guessed code: the Shift-JIS file as it was.
        ASSERT_EQ(Norvconv("-t ansi -o '" + d.File("back.txt") + "' '" + out + "'", err).status, 0);
        EXPECT_EQ(norv::testing::ReadFileBytes(d.File("back.txt")),
                  norv::testing::ReadFileBytes(src));
    }
}

}  // namespace
