// Find in files beside grep on trees both read alike (LF-only text without links or zero
// bytes, ignore case on ASCII letters only, regular expressions whose syntax both read the
// same): the same (file, line) pairs, with the prefilter and without it. Under code page 1252
// ASCII and UTF-8 files are searched as stored and compared with LC_ALL=C grep; under 932 the
// Shift-JIS conversion of a UTF-8 tree is searched and compared with LC_ALL=C.UTF-8 grep on the
// UTF-8 tree.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "document/codecs.h"
#include "platform/file_system.h"
#include "search/grep_walk.h"
#include "support/temp_dir.h"

namespace norv::search {
namespace {

using Hits = std::set<std::pair<std::string, uint64_t>>;

class Collect : public GrepWalkEvents {
  public:
    void Searching(std::string_view) override {}
    bool Found(const GrepHit& h) override {
        hits.emplace(std::string(h.path), h.line);
        return true;
    }
    bool Poll() override { return false; }
    Hits hits;
};

std::string Quote(const std::string& s) {
    std::string out = "'";
    for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

// grep -rn's lines as (path relative to the folder, line).
Hits RunGrep(const std::string& locale, const std::string& flags, const std::string& pattern,
             const std::string& folder) {
    const std::string cmd = "cd " + Quote(folder) + " && LC_ALL=" + locale + " grep -rn " + flags +
                            " -e " + Quote(pattern) + " . 2>/dev/null";
    Hits hits;
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return hits;
    char buf[8192];
    std::string line;
    while (fgets(buf, sizeof buf, p)) {
        line += buf;
        if (line.back() != '\n') continue;
        const size_t a = line.find(':');
        const size_t b = line.find(':', a + 1);
        if (a != std::string::npos && b != std::string::npos)
            hits.emplace(line.substr(2, a - 2), std::stoull(line.substr(a + 1, b - a - 1)));
        line.clear();
    }
    pclose(p);
    return hits;
}

Hits RunOurs(const std::string& folder, const std::string& pattern, const std::string& options,
             int codePage, bool prefilter) {
    GrepMatcher m;
    m.usePrefilter = prefilter;
    GrepWalkRequest r;
    r.folder = folder + "/";
    r.masks = {"*"};
    r.options = ParseGrepOptionString(options + "U");
    EXPECT_TRUE(m.Compile(pattern, r.options, codePage)) << pattern;
    Collect c;
    RunGrepWalk(platform::RealFileSystem(), r, m, codePage, c, 8192);
    return c.hits;
}

// A tree of UTF-8 text: lines of words, some of them Japanese, no line begins with a blank
// (grep's "^" and the editor's top of line then read alike).
void MakeTree(const std::string& root, bool japanese) {
    std::mt19937 rng(5);
    const std::vector<std::string> ascii = {
        "int",      "int32_t",   "uint8_t",  "color", "colour", "Colour", "INT",
        "x",        "return;",   "{",        "}",     "a_b",    "42",     "zq",
        "#include", "<stdio.h>", "intmax_t", "colr",  "the",    "Int64"};
    const std::vector<std::string> ja = {"日本語", "漢字", "かな", "カタカナ", "文字列", "検索"};
    for (int f = 0; f < 12; ++f) {
        std::string text;
        const int lines = 40 + static_cast<int>(rng() % 200);
        for (int l = 0; l < lines; ++l) {
            const int words = static_cast<int>(rng() % 9);
            for (int w = 0; w < words; ++w) {
                if (w > 0) text += rng() % 4 ? " " : "\t";
                if (japanese && rng() % 3 == 0)
                    text += ja[rng() % ja.size()];
                else
                    text += ascii[rng() % ascii.size()];
            }
            text += "\n";
        }
        const std::string dir = root + (f % 3 == 0 ? "" : "/sub" + std::to_string(f % 3));
        std::filesystem::create_directories(dir);
        FILE* out = std::fopen((dir + "/f" + std::to_string(f) + ".txt").c_str(), "wb");
        std::fwrite(text.data(), 1, text.size(), out);
        std::fclose(out);
    }
}

struct Case {
    const char* pattern;
    const char* ours;   // our option letters (R, I, E...)
    const char* flags;  // grep's
};

constexpr Case kAsciiCases[] = {
    {"int", "", ""},
    {"colour", "", ""},
    {"zq 42", "", ""},
    {"INT", "I", "-i"},
    {"colou?r", "R", "-E"},
    {"int[a-z]+_t", "R", "-E"},
    {"colou?r|int[a-z]+_t", "R", "-E"},
    {"^#include", "R", "-E"},
    {"n;$", "R", "-E"},
    {"[0-9]+ [a-z]*", "R", "-E"},
    {"(a_b|zq)+ x", "R", "-E"},
    {"c[aeiou]l+o*u?r", "RI", "-Ei"},
    {"日本語", "", ""},
    {"漢字|かな", "R", "-E"},
};

TEST(GrepDifferential, AsciiAndUtf8AsStoredBesideGrepUnderCodePage1252) {
    testing::TempDir dir;
    MakeTree(dir.path() + "/t", true);
    for (const Case& c : kAsciiCases) {
        const Hits theirs = RunGrep("C", c.flags, c.pattern, dir.path() + "/t");
        ASSERT_FALSE(theirs.empty()) << c.pattern;
        for (bool prefilter : {true, false})
            EXPECT_EQ(RunOurs(dir.path() + "/t", c.pattern, c.ours, 1252, prefilter), theirs)
                << c.pattern << " prefilter " << prefilter;
    }
}

TEST(GrepDifferential, ShiftJisBesideGrepOnTheUtf8TreeUnderCodePage932) {
    testing::TempDir dir;
    const std::string utf8 = dir.path() + "/u";
    MakeTree(utf8, true);
    // The Shift-JIS tree is iconv's conversion of the UTF-8 one.
    const std::string sjis = dir.path() + "/s";
    for (const auto& e : std::filesystem::recursive_directory_iterator(utf8)) {
        if (!e.is_regular_file()) continue;
        const std::string rel = e.path().string().substr(utf8.size());
        std::filesystem::create_directories(std::filesystem::path(sjis + rel).parent_path());
        const std::string cmd =
            "iconv -f UTF-8 -t CP932 " + Quote(e.path().string()) + " > " + Quote(sjis + rel);
        ASSERT_EQ(std::system(cmd.c_str()), 0);
    }
    for (const Case& c : kAsciiCases) {
        std::string pattern;
        document::Utf8ToAnsi(pattern, c.pattern, 932);
        const Hits theirs = RunGrep("C.UTF-8", c.flags, c.pattern, utf8);
        ASSERT_FALSE(theirs.empty()) << c.pattern;
        for (bool prefilter : {true, false})
            EXPECT_EQ(RunOurs(sjis, pattern, c.ours, 932, prefilter), theirs)
                << c.pattern << " prefilter " << prefilter;
    }
}

}  // namespace
}  // namespace norv::search
