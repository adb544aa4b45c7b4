// Find in files reading every file in its own code: the code it decides is the one the loader
// gives, the lines it reports are the lines a document of the file holds (at any buffer size,
// with matches across every block edge), files that go wrong half-way are read as the loader
// reads them, and a tree converted by iconv into every code gives grep's hits on the UTF-8
// original.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "document/file_decoder.h"
#include "platform/file_system.h"
#include "search/grep_text.h"
#include "search/grep_walk.h"
#include "support/coded_text.h"
#include "support/sjis_text.h"
#include "support/temp_dir.h"

namespace norv::search {
namespace {

using norv::testing::EncodeText;
using norv::testing::FileCode;
using norv::testing::OpenedFile;

struct Hit {
    std::string path;
    uint64_t line;
    std::string text;  // in UTF-8
    bool operator<(const Hit& o) const {
        return std::tie(path, line, text) < std::tie(o.path, o.line, o.text);
    }
    bool operator==(const Hit& o) const = default;
};

class Collect : public GrepWalkEvents {
  public:
    void Searching(std::string_view) override {}
    bool Found(const GrepHit& h) override {
        std::string text;
        if (document::IsUtf8CodePage(h.textCodePage))
            text = h.text;
        else
            document::AnsiToUtf8(text, h.text, 932);
        hits.push_back({std::string(h.path), h.line, text});
        return true;
    }
    bool Poll() override { return false; }
    std::vector<Hit> hits;
};

// The pattern compiled for both forms, and a walk that reads each file in its own code (or,
// with decode off, as stored).
struct Search {
    Search(const std::string& pattern, const std::string& options, bool prefilter = true) {
        opts = ParseGrepOptionString(options);
        system.usePrefilter = utf8.usePrefilter = prefilter;
        EXPECT_TRUE(system.Compile(pattern, opts, 932));
        EXPECT_TRUE(utf8.Compile(pattern, opts, 65001, 932));
        decoding.systemCodePage = 932;
        decoding.system = &system;
        decoding.utf8 = &utf8;
    }
    std::vector<Hit> Run(const std::string& folder, size_t blockBytes = kGrepBlockBytes,
                         bool decode = true) {
        GrepWalkRequest r;
        r.folder = folder;
        r.masks = {"*"};
        r.options = opts;
        r.options.subFolders = true;
        Collect c;
        RunGrepWalk(platform::RealFileSystem(), r, system, 932, c, blockBytes,
                    decode ? &decoding : nullptr);
        return c.hits;
    }
    GrepOptions opts;
    GrepMatcher system, utf8;
    GrepDecoding decoding;
};

// What the editor shows for `literal` (UTF-8) in each file: the lines of the opened document
// that hold it, with their text.
std::vector<Hit> EditorHits(const std::string& folder, const std::vector<std::string>& names,
                            const std::string& literal) {
    std::vector<Hit> out;
    for (const std::string& name : names) {
        OpenedFile f(folder + name);
        EXPECT_TRUE(f.ok) << name;
        std::string inCode = literal;
        if (!document::IsUnicodeFamily(f.doc->code)) inCode = norv::testing::Sjis(literal);
        const std::vector<std::string> lines = f.Utf8Lines();
        for (uint64_t n : f.LinesHolding(inCode)) out.push_back({name, n, lines[n - 1]});
    }
    return out;
}

std::vector<Hit> Sorted(std::vector<Hit> v) {
    std::sort(v.begin(), v.end());
    return v;
}

// --- The code decided -------------------------------------------------------------------------

// The code the search decides for a file, at a block size.
document::TextCode SearchedCode(const std::string& path, size_t blockBytes) {
    Search s("x", "");
    GrepTextSearch text(blockBytes);
    class None : public GrepLineSink {
      public:
        bool Line(uint64_t, std::string_view) override { return true; }
        bool Poll() override { return false; }
    } none;
    document::TextCode code = document::TextCode::kNone;
    EXPECT_NE(text.SearchFileInItsCode(platform::RealFileSystem(), path, s.decoding, none, &code),
              GrepTextStatus::kUnreadable);
    return code;
}

TEST(GrepCodes, DecidesTheLoadersCodeForEveryFileOfTheCorpus) {
    const char* corpus = std::getenv("NORV_TEST_CORPUS");
    if (!corpus || !std::filesystem::exists(std::string(corpus) + "/small"))
        GTEST_SKIP() << "NORV_TEST_CORPUS is not set";
    int files = 0;
    std::map<document::TextCode, int> codes;
    for (const auto& e : std::filesystem::directory_iterator(std::string(corpus) + "/small")) {
        if (!e.is_regular_file()) continue;
        const std::string path = e.path().string();
        OpenedFile f(path);
        ASSERT_TRUE(f.ok) << path;
        ++codes[f.doc->code];
        EXPECT_EQ(SearchedCode(path, kGrepBlockBytes), f.doc->code) << path;
        EXPECT_EQ(SearchedCode(path, 4096), f.doc->code) << path;
        ++files;
    }
    EXPECT_GT(files, 100);
    EXPECT_GE(codes.size(), 5u);  // the set holds every code
}

TEST(GrepCodes, DecidesOnTheWholeFileWhereItsFirstBlockMisleads) {
    testing::TempDir dir;
    const std::string ascii(3u << 20, 'a');
    std::string lines;
    for (size_t i = 0; i < ascii.size(); i += 80) lines += ascii.substr(i, 79) + "\n";
    const std::string sjisLine = norv::testing::Sjis("日本語の行\n");
    std::string eucLine;
    document::SjisToEuc(eucLine, norv::testing::Sjis("日本語の行"));
    std::string jisLine;
    document::SjisToJis(jisLine, norv::testing::Sjis("日本語の行"));
    std::string utf8Text;
    for (int i = 0; i < 40000; ++i) utf8Text += "日本語のテキスト " + std::to_string(i) + "\n";
    const struct {
        const char* name;
        std::string bytes;
    } kFiles[] = {
        {"ascii-then-sjis", lines + sjisLine},
        {"ascii-then-euc", lines + eucLine + "\n" + eucLine + "\n"},
        {"ascii-then-jis", lines + jisLine + "\n"},
        {"ascii-then-utf8", lines + "日本語\n"},
        {"utf8-then-bad-byte", utf8Text + "\xFF\n"},
        {"utf8-whole", utf8Text},
        {"ascii-only", lines},
        {"utf8-then-euc-lines", utf8Text + eucLine + "\n"},
    };
    for (const auto& f : kFiles) {
        dir.Write(f.name, f.bytes);
        const std::string path = dir.path() + "/" + f.name;
        OpenedFile opened(path);
        ASSERT_TRUE(opened.ok);
        for (size_t block : {size_t{4096}, size_t{1} << 20, size_t{16} << 20})
            EXPECT_EQ(SearchedCode(path, block), opened.doc->code) << f.name << " " << block;
    }
}

// --- Every code, line end and block size -------------------------------------------------------

// Lines of varied length, each ending in a Japanese word and beginning with one, so that a
// pattern that runs over the line end meets every block edge; a character outside the BMP
// in the UTF-8 and UTF-16 files.
std::string EdgeText(bool astral, int lines) {
    std::mt19937 rng(11);
    std::string out;
    for (int i = 0; i < lines; ++i) {
        out += "開始 ";
        const int words = static_cast<int>(rng() % 30);
        for (int w = 0; w < words; ++w) out += rng() % 2 ? "かな " : "abc ";
        if (astral && rng() % 3 == 0) out += "𠮷 ";
        out += std::to_string(i) + " 終了\n";
    }
    return out;
}

TEST(GrepCodes, FindsEveryMatchAcrossBlockEdgesAtEveryBufferSize) {
    testing::TempDir dir;
    const std::string root = dir.path() + "/";
    std::vector<std::string> names;
    for (FileCode code : norv::testing::kEveryFileCode) {
        const bool astral = document::IsUnicodeFamily(norv::testing::LoadedCode(code));
        const std::string name = norv::testing::FileCodeName(code);
        dir.Write(name, EncodeText(code, EdgeText(astral, 2500), "\r\n"));
        names.push_back(name);
    }
    // A pattern over the line end: each line's end and the next one's start.
    Search over(norv::testing::Sjis("終了\\n開始"), "");
    Search word(norv::testing::Sjis("かな abc"), "");
    const std::vector<Hit> expected = Sorted(EditorHits(root, names, "かな abc"));
    ASSERT_GT(expected.size(), 5000u);
    std::vector<Hit> whole;
    for (size_t block : {size_t{4096}, size_t{64} << 10, size_t{64} << 20}) {
        EXPECT_EQ(Sorted(word.Run(root, block)), expected) << block;
        const std::vector<Hit> hits = Sorted(over.Run(root, block));
        // Every line but the last is followed by one that begins the pattern's second half.
        EXPECT_EQ(hits.size(), names.size() * 2499) << block;
        if (whole.empty()) whole = hits;
        EXPECT_EQ(hits, whole) << block;
    }
    // The texts are the document's lines, pairs of surrogates whole.
    for (const Hit& h : whole) {
        ASSERT_EQ(h.text.find("\xED"), std::string::npos) << h.path << " " << h.line;
    }
}

// --- Bad input --------------------------------------------------------------------------------

TEST(GrepCodes, FilesThatGoWrongAreSearchedAsTheLoaderLoadsThem) {
    testing::TempDir dir;
    const std::string root = dir.path() + "/";
    std::string eucHalf;
    document::SjisToEuc(eucHalf, norv::testing::Sjis("日本語 key の後半\n"));
    std::string sjisHalf;
    for (int i = 0; i < 50; ++i) sjisHalf += norv::testing::Sjis("日本語 key の前半\n");
    std::string jis;
    document::SjisToJis(jis, norv::testing::Sjis("日本語 key"));
    std::string utf16 = EncodeText(FileCode::kUcs2LeBom, "日本語 key\n日本語 key\n", "\n");
    // A Shift-JIS lead byte at the end of the first block and at the end of the file.
    std::string lead(4095, 'k');
    lead += "\x93";
    lead += "key\n";
    lead += norv::testing::Sjis("日本語 key\n");
    lead += "\x93";
    const std::map<std::string, std::string> kFiles = {
        {"sjis-then-euc", sjisHalf + eucHalf},
        {"euc-then-sjis", eucHalf + eucHalf + sjisHalf},
        {"euc-one-line-then-sjis", eucHalf + sjisHalf},
        {"truncated-utf16", utf16 + "k"},
        {"truncated-utf16-pair", utf16 + "\x42\xD8"},
        {"jis-escape-cut", jis + "\n" + jis + "\x1B$"},
        {"jis-kanji-unclosed", "\x1B$BF|\nkey\n" + jis + "\n"},
        {"jis-bad-pair", jis + "\n\x1B$B\x01\x02 key\n"},
        {"jis-unknown-escape", "\x1B(Zkey\n" + jis + "\n"},
        {"lead-at-block-edge", lead},
        {"nul-bytes", std::string("key\0key\n", 8) + norv::testing::Sjis("日本語 key\n")},
        {"lone-cr-and-0x1a", "key\rkey\r\nkey\x1A"},
    };
    std::vector<std::string> names;
    for (const auto& [name, bytes] : kFiles) {
        dir.Write(name, bytes);
        names.push_back(name);
    }
    for (const char* literal : {"key", "日本語 key", "語"}) {
        const std::vector<Hit> expected = Sorted(EditorHits(root, names, literal));
        Search s(norv::testing::Sjis(literal), "");
        for (size_t block : {size_t{4096}, size_t{1} << 20})
            EXPECT_EQ(Sorted(s.Run(root, block)), expected) << literal << " " << block;
    }
}

// --- Beside grep ------------------------------------------------------------------------------

std::string Quote(const std::string& s) {
    std::string out = "'";
    for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

using Lines = std::set<std::pair<std::string, uint64_t>>;

Lines RunGrep(const std::string& flags, const std::string& pattern, const std::string& folder) {
    const std::string cmd = "cd " + Quote(folder) + " && LC_ALL=C.UTF-8 grep -rn " + flags +
                            " -e " + Quote(pattern) + " . 2>/dev/null";
    Lines hits;
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

TEST(GrepCodes, ATreeInEveryCodeGivesGrepsHitsOnItsUtf8Original) {
    testing::TempDir dir;
    const std::string utf8 = dir.path() + "/u";
    std::mt19937 rng(7);
    // Words every code holds alike (iconv's EUC-JP and ISO-2022-JP know no vendor characters).
    const std::vector<std::string> words = {"int",    "int32_t", "uint8_t",  "color",   "colour",
                                            "Colour", "INT",     "x",        "return;", "a_b",
                                            "42",     "zq",      "the",      "Int64",   "日本語",
                                            "漢字",   "かな",    "カタカナ", "文字列",  "検索"};
    for (int f = 0; f < 8; ++f) {
        std::string text;
        for (int l = 0; l < 60 + static_cast<int>(rng() % 120); ++l) {
            for (int w = 0; w < static_cast<int>(rng() % 8); ++w)
                text += (w ? " " : "") + words[rng() % words.size()];
            text += "\n";
        }
        std::filesystem::create_directories(utf8 + (f % 2 ? "/sub" : ""));
        dir.Write("u" + std::string(f % 2 ? "/sub" : "") + "/f" + std::to_string(f), text);
    }
    // iconv's conversions, each in a folder of its own.
    const struct {
        const char* folder;
        const char* to;
        const char* mark;
    } kCodes[] = {
        {"sjis", "CP932", ""},
        {"euc", "EUC-JP", ""},
        {"jis", "ISO-2022-JP", ""},
        {"utf8bom", "UTF-8", "\xEF\xBB\xBF"},
        {"utf16le", "UTF-16LE", ""},
        {"utf16be", "UTF-16BE", ""},
        {"ucs2le", "UTF-16LE", "\xFF\xFE"},
        {"ucs2be", "UTF-16BE", "\xFE\xFF"},
    };
    std::vector<std::string> folders = {"u"};
    for (const auto& c : kCodes) {
        for (const auto& e : std::filesystem::recursive_directory_iterator(utf8)) {
            if (!e.is_regular_file()) continue;
            const std::string rel = e.path().string().substr(utf8.size());
            const std::string out = dir.path() + "/" + c.folder + rel;
            std::filesystem::create_directories(std::filesystem::path(out).parent_path());
            {
                std::ofstream mark(out, std::ios::binary);
                mark << c.mark;
            }
            const std::string cmd = std::string("iconv -f UTF-8 -t ") + c.to + " " +
                                    Quote(e.path().string()) + " >> " + Quote(out);
            ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
        }
        folders.push_back(c.folder);
    }
    const struct {
        const char* pattern;
        const char* ours;
        const char* flags;
    } kCases[] = {
        {"int", "", ""},
        {"INT", "I", "-i"},
        {"colou?r|int[a-z]+_t", "R", "-E"},
        {"^return;", "R", "-E"},
        {"日本語", "", ""},
        {"漢字|かな", "R", "-E"},
        {"カタカナ 文字列", "", ""},
        {"[0-9]+ 検索", "R", "-E"},
    };
    for (const auto& c : kCases) {
        const Lines theirs = RunGrep(c.flags, c.pattern, utf8);
        ASSERT_FALSE(theirs.empty()) << c.pattern;
        for (bool prefilter : {true, false}) {
            Search s(norv::testing::Sjis(c.pattern), c.ours, prefilter);
            std::map<std::string, Lines> byFolder;
            for (const Hit& h : s.Run(dir.path() + "/")) {
                const size_t slash = h.path.find('/');
                byFolder[h.path.substr(0, slash)].emplace(h.path.substr(slash + 1), h.line);
            }
            for (const std::string& folder : folders)
                EXPECT_EQ(byFolder[folder], theirs)
                    << c.pattern << " in " << folder << " prefilter " << prefilter;
        }
    }
}

TEST(GrepCodes, WithoutDecodingEveryFileIsSearchedAsStored) {
    testing::TempDir dir;
    const std::string root = dir.path() + "/";
    for (FileCode code : norv::testing::kEveryFileCode)
        dir.Write(norv::testing::FileCodeName(code),
                  EncodeText(code, "one\n日本語 key\nthree\n", "\n"));
    Search s(norv::testing::Sjis("日本語 key"), "");
    std::set<std::string> decoded, stored;
    for (const Hit& h : s.Run(root)) decoded.insert(h.path);
    for (const Hit& h : s.Run(root, kGrepBlockBytes, false)) {
        stored.insert(h.path);
        EXPECT_EQ(h.line, 2u);
    }
    EXPECT_EQ(decoded.size(), std::size(norv::testing::kEveryFileCode));
    // As stored, only the Shift-JIS bytes hold the Shift-JIS pattern.
    EXPECT_EQ(stored, std::set<std::string>{"sjis"});
    Search ascii("key", "");
    std::set<std::string> asciiStored;
    for (const Hit& h : ascii.Run(root, kGrepBlockBytes, false)) asciiStored.insert(h.path);
    EXPECT_EQ(asciiStored, (std::set<std::string>{"sjis", "euc", "jis", "utf8", "utf8bom"}));
}

}  // namespace
}  // namespace norv::search
