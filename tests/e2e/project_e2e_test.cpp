// Projects and the workspace as real headless processes with a scratch NORVHOME: Break leaves
// the workspace, a start with options only leaves it as it was, an empty command line brings
// every document back (and removes the workspace and its copies), -W opens a project, and every
// file the checks refuse gives a message and a new document.
#include <gtest/gtest.h>
#include <sys/stat.h>

#if defined(NORV_PROBE_PATH)

#include <filesystem>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "e2e/process_runner.h"
#include "support/temp_dir.h"

namespace {

using norv::testing::ChildProcess;
using norv::testing::ReadFileBytes;
using norv::testing::TempDir;

struct Doc {
    std::string path, title, code, eol, modified, text;
};

std::vector<Doc> ParseDocs(const std::vector<std::string>& lines) {
    std::vector<Doc> docs;
    for (const auto& l : lines) {
        if (l.rfind("DOC\t", 0) != 0) continue;
        std::vector<std::string> f;
        std::stringstream in(l.substr(4));
        for (std::string part; std::getline(in, part, '\t');) f.push_back(part);
        while (f.size() < 9) f.emplace_back();
        docs.push_back({f[0], f[1], f[2], f[3], f[6], f[8]});
    }
    return docs;
}

class ProjectProcess : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* sub : {"home", "run", "cfg", "work"}) mkdir(d.File(sub).c_str(), 0700);
    }
    // A headless probe run: the documents it showed after its command line, and its status.
    std::vector<Doc> Run(const std::vector<std::string>& args,
                         std::map<std::string, std::string> extra = {}, int* status = nullptr) {
        std::map<std::string, std::string> env = {{"HOME", d.File("home")},
                                                  {"XDG_RUNTIME_DIR", d.File("run")},
                                                  {"XDG_CONFIG_HOME", d.File("home")},
                                                  {"NORVHOME", d.File("cfg")},
                                                  {"QT_QPA_PLATFORM", "offscreen"},
                                                  {"NORV_ACP", "932"}};
        for (auto& [k, v] : extra) env[k] = v;
        std::vector<std::string> all{"--headless"};
        all.insert(all.end(), args.begin(), args.end());
        ChildProcess p(NORV_PROBE_PATH, all, env, d.File("work"), d.File("stderr.txt"));
        auto lines = p.ReadUntil("END");
        const std::optional<int> rc = p.Wait();
        EXPECT_TRUE(rc.has_value()) << "the run did not end";
        if (status && rc) *status = *rc;
        return lines ? ParseDocs(*lines) : std::vector<Doc>{};
    }
    std::vector<std::string> Copies() const {
        std::vector<std::string> out;
        for (const auto& e : std::filesystem::directory_iterator(d.File("cfg")))
            if (e.path().filename().string().rfind("NorvCopy", 0) == 0)
                out.push_back(e.path().string());
        return out;
    }
    bool Exists(const std::string& name) const { return std::filesystem::exists(d.File(name)); }
    std::string Errors() const { return ReadFileBytes(d.File("stderr.txt")); }

    TempDir d;
};

TEST_F(ProjectProcess, BreakThenOptionsOnlyThenAnEmptyLineRestoresTheWorkspace) {
    const std::string sjis = d.Write("work/sjis.txt", "\x82\xa0\r\n");
    const std::string utf8 = d.Write("work/utf8.txt", "\xEF\xBB\xBF\xE3\x81\x82\nb\n");
    // Typing goes into the two files and a new untitled document.
    auto before = Run({sjis, utf8}, {{"NORV_PROBE_TYPE", "x"}, {"NORV_PROBE_COMMAND", "Break"}});
    ASSERT_TRUE(Exists("cfg/norv.PRF")) << Errors();
    EXPECT_EQ(ReadFileBytes(sjis), "\x82\xa0\r\n") << "Break saves nothing";
    EXPECT_EQ(Copies().size(), 3u);
    for (const std::string& c : Copies()) {
        struct stat st {};
        ASSERT_EQ(stat(c.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0600u) << c;
    }
    const std::string workspace = ReadFileBytes(d.File("cfg/norv.PRF"));

    // Options only: never the workspace.
    auto other = Run({"-T", ".c"});
    ASSERT_EQ(other.size(), 1u);
    EXPECT_TRUE(other[0].path.empty());
    EXPECT_EQ(ReadFileBytes(d.File("cfg/norv.PRF")), workspace);
    EXPECT_EQ(Copies().size(), 3u);

    auto after = Run({});
    ASSERT_EQ(after.size(), 3u) << Errors();
    EXPECT_EQ(after[0].path, sjis);
    EXPECT_EQ(after[0].code, "Ansi");
    EXPECT_EQ(after[0].text, "x\\x82\\xA0\\n");
    EXPECT_EQ(after[1].path, utf8);
    EXPECT_EQ(after[1].code, "Utf8");
    EXPECT_EQ(after[1].eol, before[1].eol);
    EXPECT_EQ(after[1].text, "x\\xE3\\x81\\x82\\nb\\n");
    EXPECT_TRUE(after[2].path.empty());
    EXPECT_EQ(after[2].text, "x");
    for (const Doc& doc : after) EXPECT_EQ(doc.modified, "1") << doc.path;
    EXPECT_FALSE(Exists("cfg/norv.PRF"));
    EXPECT_TRUE(Copies().empty());
}

TEST_F(ProjectProcess, OptionWOpensAProjectThatStays) {
    const std::string a = d.Write("work/a.txt", "a\n");
    Run({a}, {{"NORV_PROBE_COMMAND", "Break"}});
    ASSERT_TRUE(Exists("cfg/norv.PRF"));
    std::filesystem::rename(d.File("cfg/norv.PRF"), d.File("cfg/proj.prf"));
    auto docs = Run({"-W", "proj"});
    ASSERT_EQ(docs.size(), 1u) << Errors();
    EXPECT_EQ(docs[0].path, a);
    EXPECT_EQ(docs[0].modified, "0");
    EXPECT_TRUE(Exists("cfg/proj.prf"));
}

TEST_F(ProjectProcess, RefusedProjectFilesSayWhyAndGiveANewDocument) {
    d.Write("cfg/short.prf", "too short");
    d.Write("cfg/long.prf", std::string(40000, '\0'));
    std::string badCount(316, '\0');
    badCount[308] = 5;
    d.Write("cfg/count.prf", badCount);
    mkdir(d.File("cfg/folder.prf").c_str(), 0700);
    mkfifo(d.File("cfg/fifo.prf").c_str(), 0600);
    for (const char* name : {"short", "long", "count", "folder", "fifo", "missing"}) {
        SCOPED_TRACE(name);
        std::filesystem::remove(d.File("stderr.txt"));
        int status = -1;
        auto docs = Run({"-W", name}, {}, &status);
        ASSERT_EQ(docs.size(), 1u);
        EXPECT_TRUE(docs[0].path.empty());
        EXPECT_NE(Errors().find(d.File("cfg/") + name + ".prf"), std::string::npos) << Errors();
    }
}

}  // namespace

#endif
