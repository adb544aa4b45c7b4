// The walk of find in files on real folder trees: the order of files, masks, hidden entries,
// sub folders, links that point up the tree, special files, unreadable entries, files open in
// a window, and Escape.
#include "search/grep_walk.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "document/document.h"
#include "document/line_heap.h"
#include "platform/file_system.h"
#include "support/temp_dir.h"

namespace norv::search {
namespace {

// The real file system, with paths that cannot be opened or listed.
class RefusingFs : public platform::FileSystem {
  public:
    platform::FileSystem& real = platform::RealFileSystem();
    std::set<std::string> refused;
    std::optional<platform::FileInfo> Stat(const std::string& p) override { return real.Stat(p); }
    std::unique_ptr<platform::InputFile> OpenRead(const std::string& p, int* e) override {
        if (refused.count(p)) {
            if (e) *e = EACCES;
            return nullptr;
        }
        return real.OpenRead(p, e);
    }
    std::unique_ptr<platform::OutputFile> OpenWrite(const std::string& p, platform::WriteMode m,
                                                    unsigned perm, int* e) override {
        return real.OpenWrite(p, m, perm, e);
    }
    bool Rename(const std::string& a, const std::string& b) override { return real.Rename(a, b); }
    bool Remove(const std::string& p) override { return real.Remove(p); }
    bool MakeFolder(const std::string& p) override { return real.MakeFolder(p); }
    bool IsOnFixedDrive(const std::string& p) override { return real.IsOnFixedDrive(p); }
    std::vector<std::string> ListFolder(const std::string& p) override {
        if (refused.count(p)) return {};
        return real.ListFolder(p);
    }
    bool Link(const std::string& a, const std::string& b) override { return real.Link(a, b); }
    std::string ResolveLinks(const std::string& p) override { return real.ResolveLinks(p); }
};

class Events : public GrepWalkEvents {
  public:
    void Searching(std::string_view path) override { searched.emplace_back(path); }
    bool Found(const GrepHit& hit) override {
        lines.push_back(std::string(hit.path) + "(" + std::to_string(hit.line) +
                        "): " + std::string(hit.text));
        return true;
    }
    bool Poll() override { return ++polls == stopAtPoll; }
    std::vector<std::string> searched;
    std::vector<std::string> lines;
    int polls = 0;
    int stopAtPoll = -1;
};

struct Tree {
    testing::TempDir dir;
    std::string root = dir.path() + "/";
    void File(const std::string& rel, const std::string& bytes) {
        std::filesystem::create_directories(std::filesystem::path(root + rel).parent_path());
        dir.Write(rel, bytes);
    }
    void Folder(const std::string& rel) { std::filesystem::create_directories(root + rel); }
};

GrepWalkResult Walk(platform::FileSystem& fs, const Tree& t, const std::string& pattern,
                    const std::vector<std::string>& masks, const std::string& options,
                    Events& events, std::vector<GrepOpenText> open = {}) {
    GrepMatcher m;
    GrepWalkRequest r;
    r.folder = t.root;
    r.masks = masks;
    r.options = ParseGrepOptionString(options);
    r.open = std::move(open);
    EXPECT_TRUE(m.Compile(pattern, r.options, 932));
    return RunGrepWalk(fs, r, m, 932, events);
}

TEST(GrepWalk, MasksInOrderFilesInNameOrderSubFoldersAfter) {
    Tree t;
    t.File("b.c", "key b\n");
    t.File("a.c", "key a\n");
    t.File("a.h", "key h\n");
    t.File("A.C", "key A\n");
    t.File(".hidden.c", "key hidden\n");
    t.File("sub/x.c", "key x\n");
    t.File("sub/deeper/y.c", "x\nkey y\n");
    t.File("sub2/z.c", "key z\n");
    t.File(".git/w.c", "key w\n");
    t.File("notes.txt", "nothing\n");
    platform::FileSystem& fs = platform::RealFileSystem();
    Events off;
    GrepWalkResult r = Walk(fs, t, "key", {"*.c", "*.h"}, "", off);
    // Without U: this folder only, "*.c" first (in byte order), then "*.h".
    EXPECT_EQ(off.lines, (std::vector<std::string>{"A.C(1): key A", "a.c(1): key a",
                                                   "b.c(1): key b", "a.h(1): key h"}));
    EXPECT_EQ(r.hits, 4u);
    EXPECT_FALSE(r.broken);
    Events on;
    Walk(fs, t, "key", {"*.c"}, "U", on);
    EXPECT_EQ(on.lines, (std::vector<std::string>{"A.C(1): key A", "a.c(1): key a", "b.c(1): key b",
                                                  "sub/x.c(1): key x", "sub/deeper/y.c(2): key y",
                                                  "sub2/z.c(1): key z"}));
    Events full;
    Walk(fs, t, "key y", {"*.c"}, "UP", full);
    EXPECT_EQ(full.lines, (std::vector<std::string>{t.root + "sub/deeper/y.c(2): key y"}));
}

TEST(GrepWalk, AFileTwoMasksMatchIsReportedTwice) {
    Tree t;
    t.File("a.c", "key\n");
    platform::FileSystem& fs = platform::RealFileSystem();
    Events e;
    Walk(fs, t, "key", {"*.c", "a.*"}, "", e);
    EXPECT_EQ(e.lines, (std::vector<std::string>{"a.c(1): key", "a.c(1): key"}));
}

TEST(GrepWalk, LinksUpTheTreeEndAndSpecialFilesAreNotRead) {
    Tree t;
    t.File("a.txt", "key\n");
    t.File("sub/b.txt", "key\n");
    ASSERT_EQ(symlink(t.root.c_str(), (t.root + "sub/up").c_str()), 0);
    ASSERT_EQ(symlink((t.root + "sub").c_str(), (t.root + "side").c_str()), 0);
    ASSERT_EQ(symlink((t.root + "a.txt").c_str(), (t.root + "link.txt").c_str()), 0);
    ASSERT_EQ(symlink((t.root + "gone").c_str(), (t.root + "broken.txt").c_str()), 0);
    ASSERT_EQ(mkfifo((t.root + "pipe.txt").c_str(), 0600), 0);
    platform::FileSystem& fs = platform::RealFileSystem();
    Events e;
    GrepWalkResult r = Walk(fs, t, "key", {"*"}, "U", e);
    // The link to a file is read; "side" reaches "sub" before "sub" itself, which then is
    // walked already; "sub/up" leads back to the start.
    EXPECT_EQ(e.lines, (std::vector<std::string>{"a.txt(1): key", "link.txt(1): key",
                                                 "side/b.txt(1): key"}));
    EXPECT_EQ(r.files, 3u);
}

TEST(GrepWalk, UnreadableFilesAndFoldersArePassedOver) {
    Tree t;
    t.File("a.txt", "key\n");
    t.File("b.txt", "key\n");
    t.File("closed/c.txt", "key\n");
    t.File("open/d.txt", "key\n");
    RefusingFs fs;
    fs.refused = {t.root + "a.txt", t.root + "closed/"};
    Events e;
    GrepWalkResult r = Walk(fs, t, "key", {"*.txt"}, "U", e);
    EXPECT_EQ(e.lines, (std::vector<std::string>{"b.txt(1): key", "open/d.txt(1): key"}));
    EXPECT_EQ(r.files, 2u);
    // A start folder that is not there searches nothing.
    Events none;
    GrepMatcher m;
    ASSERT_TRUE(m.Compile("key", {}, 932));
    GrepWalkRequest req;
    req.folder = t.root + "missing/";
    req.masks = {"*"};
    EXPECT_EQ(RunGrepWalk(fs, req, m, 932, none).hits, 0u);
}

TEST(GrepWalk, AnOpenFileIsSearchedInMemory) {
    Tree t;
    t.File("a.txt", "key on disk\n");
    t.File("b.txt", "key b\n");
    document::LineHeap heap;
    document::DocumentEnvironment env;
    env.heap = &heap;
    env.codePage = 932;
    document::CElwDoc doc(env);
    doc.NewDocument();
    doc.lines().Reset();
    doc.lines().AppendContent("edited", 6, 0);
    doc.lines().AppendContent("key in memory", 13, 0);
    platform::FileSystem& fs = platform::RealFileSystem();
    Events e;
    // Named through a link and another spelling: the same file all the same.
    ASSERT_EQ(symlink((t.root + "a.txt").c_str(), (t.root + "alias").c_str()), 0);
    Walk(fs, t, "key", {"*.txt"}, "", e, {{t.root + "alias", &doc.lines(), 932}});
    EXPECT_EQ(e.lines, (std::vector<std::string>{"a.txt(2): key in memory", "b.txt(1): key b"}));
}

TEST(GrepWalk, EscapeEndsTheWalkKeepingWhatWasFound) {
    Tree t;
    for (int i = 0; i < 50; ++i) t.File("f" + std::to_string(100 + i) + ".txt", "key\n");
    platform::FileSystem& fs = platform::RealFileSystem();
    Events e;
    e.stopAtPoll = 4;  // polled between files
    GrepWalkResult r = Walk(fs, t, "key", {"*.txt"}, "", e);
    EXPECT_TRUE(r.broken);
    EXPECT_EQ(e.lines.size(), 4u);
    // Polled after every hundredth line found, too.
    t.File(
        "many.txt", std::string(350, '\n') + [] {
            std::string s;
            for (int i = 0; i < 250; ++i) s += "key\n";
            return s;
        }());
    Events hits;
    hits.stopAtPoll = 2;  // after the 100th and the 200th line
    Walk(fs, t, "key", {"many.txt"}, "", hits);
    EXPECT_EQ(hits.lines.size(), 200u);
}

TEST(GrepWalk, ManyFilesAndADeepTree) {
    Tree t;
    std::string rel;
    for (int i = 0; i < 100; ++i) rel += "d/";
    t.File(rel + "deep.txt", "key\n");
    for (int i = 0; i < 300; ++i)
        t.File("many/" + std::to_string(i) + ".txt", i % 100 ? "x\n" : "key\n");
    platform::FileSystem& fs = platform::RealFileSystem();
    Events e;
    GrepWalkResult r = Walk(fs, t, "key", {"*.txt"}, "U", e);
    EXPECT_EQ(r.hits, 4u);
    EXPECT_EQ(r.files, 301u);
    EXPECT_EQ(e.lines.front(), rel + "deep.txt(1): key");
}

TEST(GrepWalk, TheEntryLookAgreesWithTheFullOne) {
    // The walk looks at each entry with one call of the system; what it reads of the kind,
    // the identity and the size is what the full look reads.
    testing::TempDir dir;
    const std::string file = dir.Write("f.txt", "12345");
    std::filesystem::create_directory(dir.File("sub"));
    std::filesystem::create_symlink(file, dir.File("link"));
    ASSERT_EQ(::mkfifo(dir.File("fifo").c_str(), 0600), 0);
    platform::FileSystem& fs = platform::RealFileSystem();
    for (const char* name : {"f.txt", "sub", "link", "fifo", "missing"}) {
        const std::optional<platform::FileInfo> full = fs.Stat(dir.File(name));
        const std::optional<platform::FileInfo> entry = fs.StatEntry(dir.File(name));
        ASSERT_EQ(full.has_value(), entry.has_value()) << name;
        if (!full) continue;
        EXPECT_EQ(entry->isDirectory, full->isDirectory) << name;
        EXPECT_EQ(entry->isRegular, full->isRegular) << name;
        EXPECT_EQ(entry->device, full->device) << name;
        EXPECT_EQ(entry->inode, full->inode) << name;
        EXPECT_EQ(entry->size, full->size) << name;
        EXPECT_EQ(entry->lastWrite, full->lastWrite) << name;
    }
}

TEST(GrepWalk, AGigabyteFileIsSearchedInBoundedMemory) {
    // A sparse file of 1 GiB (zero bytes, a line only every 65,534 bytes as the reader cuts
    // it) with a hit at its end: found, and the memory of the process hardly grows.
    Tree t;
    const std::string path = t.root + "big.bin";
    {
        std::FILE* f = std::fopen(path.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        ASSERT_EQ(::ftruncate(::fileno(f), off_t{1} << 30), 0);
        ASSERT_EQ(std::fseek(f, 0, SEEK_END), 0);
        std::fputs("\nkey at the end\n", f);
        std::fclose(f);
    }
    struct rusage before {};
    ::getrusage(RUSAGE_SELF, &before);
    Events e;
    GrepWalkResult r = Walk(platform::RealFileSystem(), t, "key", {"*.bin"}, "", e);
    struct rusage after {};
    ::getrusage(RUSAGE_SELF, &after);
    ASSERT_EQ(r.hits, 1u);
    EXPECT_EQ(e.lines.front(), "big.bin(16386): key at the end");
    EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 64 * 1024);  // KiB
}

}  // namespace
}  // namespace norv::search
