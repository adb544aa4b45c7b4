// Projects and the workspace through a desk of documents on a memory file system: Break and a
// new start, the project commands and their question, the checks before anything closes, the
// 100-document limit, every write of Break failing in turn, and a model of random document
// sets.
#include "app/project_session.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "document/line_heap.h"
#include "document/text_copy.h"
#include "platform/fakes/headless_ui.h"
#include "platform/fakes/memory_file_system.h"

namespace norv::app {
namespace {

using document::CodeChoice;
using document::EolMode;
using document::TextCode;
using platform::kIdCancel;
using platform::kIdNo;
using platform::kIdYes;

constexpr const char* kFolder = "/cfg/";
constexpr const char* kWorkspace = "/cfg/norv.PRF";

// One run of the program: its windows are views on a file system that outlives it.
struct Desk : SessionHost, ProjectHost, document::DocumentHooks {
    explicit Desk(platform::MemoryFileSystem& files) : fs(files), shared(heap) {
        env.hooks = this;
        env.heap = &heap;
        env.fs = &fs;
        env.ui = &ui;
        env.codePage = 932;
        env.save.trashOutGen = 0;
        env.save.saveMarkInfo = false;
        fs.folders.insert("/d/");
        fs.folders.insert(kFolder);
        projects.copyTag = [] { return std::string("T"); };
    }
    ~Desk() override {
        views.clear();
        docs.clear();
        shared.stack.Clear();
    }

    document::CElwDoc& Open(const std::string& path, const std::string& bytes,
                            CodeChoice choice = CodeChoice::kDefault) {
        fs.files[path] = bytes;
        auto doc = std::make_unique<document::CElwDoc>(env);
        EXPECT_EQ(doc->OpenDocument(path, choice), 1);
        return Add(std::move(doc));
    }
    document::CElwDoc& New(TextCode code = TextCode::kAnsi) {
        auto doc = std::make_unique<document::CElwDoc>(env);
        doc->NewDocument();
        doc->title = "Untitled";
        doc->code = code;
        return Add(std::move(doc));
    }
    document::CElwDoc& Add(std::unique_ptr<document::CElwDoc> doc) {
        views.push_back(std::make_unique<editing::CElwView>(*doc, doc->undo, shared));
        views.back()->SetWindowSize(10, 80);
        docs.push_back(std::move(doc));
        active = docs.back().get();
        return *docs.back();
    }
    editing::CElwView& ViewOf(const document::CElwDoc& doc) {
        for (size_t i = 0; i < docs.size(); ++i)
            if (docs[i].get() == &doc) return *views[i];
        throw std::logic_error("no view");
    }
    void Type(document::CElwDoc& doc, const std::string& bytes) {
        for (char c : bytes) ViewOf(doc).TypeByte(static_cast<uint8_t>(c));
    }

    // SessionHost
    std::vector<document::CElwDoc*> Documents() const override {
        std::vector<document::CElwDoc*> out;
        for (auto& d : docs) out.push_back(d.get());
        return out;
    }
    void SyncViews(document::CElwDoc& doc) override { ViewOf(doc).Sync(); }
    void FlushEditBuffer(document::CElwDoc& doc) override {
        for (size_t i = 0; i < docs.size(); ++i)
            if (docs[i].get() == &doc) views[i]->Sync();
    }
    void Saved(document::CElwDoc& doc) override { ViewOf(doc).OnSaved(); }
    void CloseWindows(document::CElwDoc& doc) override {
        for (size_t i = 0; i < docs.size(); ++i) {
            if (docs[i].get() != &doc) continue;
            if (active == &doc) active = nullptr;
            views.erase(views.begin() + static_cast<std::ptrdiff_t>(i));
            docs.erase(docs.begin() + static_cast<std::ptrdiff_t>(i));
            return;
        }
    }
    bool Quit() override { return true; }

    // ProjectHost
    std::vector<document::CElwDoc*> Documents() override {
        return static_cast<const Desk*>(this)->Documents();
    }
    DocumentViewState ViewStateOf(document::CElwDoc& doc) override {
        DocumentViewState s;
        s.caretLine = ViewOf(doc).caretLineNumber();
        s.frame = WindowPlacement{44, 0, 1, -1, -1, -1, -1, 0, 0, 300, 200};
        s.tabWidth = 4;
        return s;
    }
    DocumentViewState ProfileStateOf(document::CElwDoc&) override { return {}; }
    document::CElwDoc* ActiveDocument() override { return active; }
    WindowPlacement MainPlacement() override { return {44, 0, 3, -1, -1, -1, -1, 1, 2, 3, 4}; }
    void RestoreMainPlacement(const WindowPlacement& p) override { placement = p; }
    document::CElwDoc* OpenDocument(const std::string& path, CodeChoice choice, bool) override {
        hostLog.push_back("open");
        auto doc = std::make_unique<document::CElwDoc>(env);
        if (!doc->OpenDocument(path, choice)) return nullptr;
        return &Add(std::move(doc));
    }
    void Renamed(document::CElwDoc& doc) override {
        if (doc.path.empty()) doc.title = "Untitled";
    }
    void RestoreViewState(document::CElwDoc& doc, const DocumentViewState& s) override {
        restored.push_back(s);
        ViewOf(doc).SetCaret(s.caretLine, 0);
    }
    void ActivateDocument(document::CElwDoc& doc) override { active = &doc; }
    std::string AskProjectFile(bool forSaving) override {
        asked.push_back(forSaving);
        return chosen;
    }
    void EndProgram() override {
        ended = true;
        while (!docs.empty()) CloseWindows(*docs.front());
    }
    void BatchBegins() override { hostLog.push_back("begin"); }
    void BatchEnds() override { hostLog.push_back("end"); }

    platform::MemoryFileSystem& fs;
    document::LineHeap heap;
    platform::HeadlessUi ui;
    document::DocumentEnvironment env;
    editing::EditorShared shared;
    std::vector<std::unique_ptr<document::CElwDoc>> docs;
    std::vector<std::unique_ptr<editing::CElwView>> views;
    document::CElwDoc* active = nullptr;
    Settings settings{932};
    Session session{*this, ui};
    ProjectSession projects{*this, session, ui, fs, settings, nullptr, kFolder, kWorkspace};
    WindowPlacement placement;
    std::vector<DocumentViewState> restored;
    std::vector<bool> asked;
    std::string chosen;
    bool ended = false;
    std::vector<std::string> hostLog;
};

// The writes, syncs and renames in the order the disk sees them; the sync of `failSync` fails.
struct JournalFileSystem : platform::MemoryFileSystem {
    struct Output : platform::OutputFile {
        Output(JournalFileSystem& fs, std::string path, std::unique_ptr<platform::OutputFile> inner)
            : fs(fs), path(std::move(path)), inner(std::move(inner)) {}
        bool Write(const void* buf, size_t n) override {
            fs.log.push_back("write " + path);
            return inner->Write(buf, n);
        }
        bool Truncate() override { return inner->Truncate(); }
        bool Sync() override {
            fs.log.push_back("sync " + path);
            if (path != fs.failSync) return inner->Sync();
            error = EIO;
            return false;
        }
        bool Close() override { return inner->Close(); }
        int LastError() const override { return error ? error : inner->LastError(); }
        JournalFileSystem& fs;
        std::string path;
        std::unique_ptr<platform::OutputFile> inner;
        int error = 0;
    };
    std::unique_ptr<platform::OutputFile> OpenWrite(const std::string& path,
                                                    platform::WriteMode mode, unsigned permissions,
                                                    int* error) override {
        auto file = MemoryFileSystem::OpenWrite(path, mode, permissions, error);
        if (!file) return file;
        log.push_back("open " + path);
        return std::make_unique<Output>(*this, path, std::move(file));
    }
    bool Rename(const std::string& from, const std::string& to) override {
        log.push_back("rename " + to);
        return MemoryFileSystem::Rename(from, to);
    }
    std::vector<std::string> log;
    std::string failSync;
};

std::string TextOf(const document::CElwDoc& doc) {
    std::string out;
    for (const document::LineRecord* r = doc.lines().first(); r; r = r->next) {
        out.append(r->text(), r->contentLength());
        if (r->next) out += '|';
    }
    return out;
}

// The bytes a copy of the document is written as (its code, mark and line ends).
std::string BytesOf(document::CElwDoc& doc, platform::MemoryFileSystem& fs) {
    const std::string probe = "/probe/copy";
    EXPECT_EQ(document::WriteTextCopy(doc, probe, 0600), 0);
    std::string bytes = fs.files[probe];
    fs.files.erase(probe);
    return bytes;
}

std::vector<std::string> CopiesIn(const platform::MemoryFileSystem& fs) {
    std::vector<std::string> out;
    for (const auto& [path, bytes] : fs.files)
        if (path.rfind(std::string(kFolder) + "NorvCopy", 0) == 0) out.push_back(path);
    return out;
}

struct Seen {
    std::string path, title, text, bytes;
    TextCode code;
    TextCode saveCode;
    bool bom;
    EolMode eol;
    bool modified;
    bool operator==(const Seen&) const = default;
};

void PrintTo(const Seen& s, std::ostream* out) {
    *out << "{" << s.path << " '" << s.title << "' " << ::testing::PrintToString(s.text) << " "
         << ::testing::PrintToString(s.bytes) << " code " << int(s.code) << " save "
         << int(s.saveCode) << " bom " << s.bom << " eol " << int(s.eol) << " modified "
         << s.modified << "}";
}

std::vector<Seen> SeenOf(Desk& d) {
    std::vector<Seen> out;
    for (auto& v : d.views) v->Sync();
    for (auto& doc : d.docs)
        out.push_back({doc->path, doc->title, TextOf(*doc), BytesOf(*doc, d.fs), doc->code,
                       doc->saveCode, doc->bom, doc->eolMode, doc->modified});
    return out;
}

TEST(Projects, BreakAndANewStartBringEveryDocumentBack) {
    platform::MemoryFileSystem fs;
    std::vector<Seen> before;
    {
        Desk d(fs);
        document::CElwDoc& sjis = d.New();
        d.Type(sjis, "\x82\xa0 sjis");
        document::CElwDoc& euc = d.New(TextCode::kEuc);
        d.Type(euc, "\x82\xa2 euc\n2");
        d.Open("/d/be.txt", std::string("\xFE\xFF\0a\0\r\0\n\0b", 10), CodeChoice::kUnicodeBe);
        document::CElwDoc& utf8 = d.Open("/d/u8.txt", "\xE3\x81\x82\nline\n");
        d.Type(utf8, "x");
        d.active = d.docs[1].get();
        before = SeenOf(d);
        ASSERT_TRUE(d.projects.Break());
        EXPECT_TRUE(d.ended);
        EXPECT_TRUE(d.docs.empty());
        EXPECT_EQ(fs.files["/d/u8.txt"], "\xE3\x81\x82\nline\n") << "Break saves nothing";
        EXPECT_EQ(CopiesIn(fs).size(), 3u);
        EXPECT_EQ(d.settings.Text(Key::CurrProj), "");
    }
    Desk next(fs);
    ASSERT_TRUE(next.projects.RestoreWorkspace());
    EXPECT_EQ(SeenOf(next), before);
    EXPECT_EQ(next.active, next.docs[1].get());
    EXPECT_EQ(next.placement, (WindowPlacement{44, 0, 3, -1, -1, -1, -1, 1, 2, 3, 4}));
    ASSERT_EQ(next.restored.size(), 4u);
    EXPECT_EQ(next.restored[0].tabWidth, 4);
    EXPECT_FALSE(fs.files.count(kWorkspace));
    EXPECT_FALSE(fs.files.count(SideFilePath(kWorkspace)));
    EXPECT_TRUE(CopiesIn(fs).empty());
    // Modified documents ask again before they close; the unmodified file does not.
    EXPECT_EQ(next.docs[2]->path, "/d/be.txt");
    EXPECT_FALSE(next.docs[2]->modified);
    EXPECT_TRUE(next.docs[3]->modified);
    EXPECT_EQ(next.docs[3]->path, "/d/u8.txt");
    EXPECT_FALSE(next.projects.RestoreWorkspace()) << "a workspace is read once";
}

TEST(Projects, ASecondBreakKeepsAnUnreadWorkspace) {
    platform::MemoryFileSystem fs;
    {
        Desk d(fs);
        d.Type(d.New(), "first");
        ASSERT_TRUE(d.projects.Break());
    }
    {
        // A start with options only leaves the workspace alone; its Break comes after it.
        Desk d(fs);
        d.Type(d.New(), "second");
        ASSERT_TRUE(d.projects.Break());
    }
    Desk d(fs);
    ASSERT_TRUE(d.projects.RestoreWorkspace());
    ASSERT_EQ(d.docs.size(), 2u);
    EXPECT_EQ(TextOf(*d.docs[0]), "first");
    EXPECT_EQ(TextOf(*d.docs[1]), "second");
    EXPECT_EQ(d.active, d.docs[1].get());
}

TEST(Projects, MoreThanAHundredDocumentsAreRefusedWithoutLoss) {
    platform::MemoryFileSystem fs;
    Desk d(fs);
    for (int i = 0; i < 101; ++i) d.Type(d.New(), "t");
    const std::string old = "kept";
    fs.files["/d/p.prf"] = old;
    EXPECT_FALSE(d.projects.WriteSnapshot("/d/p.prf", false));
    EXPECT_FALSE(d.projects.Break());
    EXPECT_FALSE(d.ended);
    EXPECT_EQ(d.docs.size(), 101u);
    EXPECT_EQ(fs.files["/d/p.prf"], old);
    EXPECT_FALSE(fs.files.count(kWorkspace));
    EXPECT_TRUE(CopiesIn(fs).empty());
    ASSERT_FALSE(d.ui.messages.empty());
    EXPECT_NE(d.ui.messages.back().find("at most 100 documents"), std::string::npos);
}

TEST(Projects, EachFailingWriteOfBreakLeavesTheOldSnapshotOrTheWholeNewOne) {
    for (int n = 1;; ++n) {
        SCOPED_TRACE(n);
        platform::MemoryFileSystem fs;
        {
            Desk d(fs);
            d.Type(d.New(), "old");
            d.chosen = "/d/p.prf";
            ASSERT_TRUE(d.projects.SaveProjectAs());
        }
        const std::string oldBytes = fs.files["/d/p.prf"];
        const std::string oldSide = fs.files[SideFilePath("/d/p.prf")];
        const std::vector<std::string> oldCopies = CopiesIn(fs);
        Desk d(fs);
        ASSERT_TRUE(d.projects.OpenProject("/d/p.prf"));
        fs.files["/d/p.prf"] = oldBytes;  // the copy was read and deleted: put the old state back
        fs.files[SideFilePath("/d/p.prf")] = oldSide;
        for (const std::string& c : oldCopies) fs.files[c] = "old";
        d.Type(d.New(), "new one");
        d.Type(*d.docs[0], "+");
        fs.writes = 0;
        fs.failWriteNumber = n;
        const bool done = d.projects.Break();
        fs.failWriteNumber = 0;
        const std::optional<Snapshot> now = ReadSnapshotFile(fs, "/d/p.prf", nullptr);
        ASSERT_TRUE(now);
        // Every copy on disk is named by the snapshot on disk, and every copy it names exists.
        std::vector<std::string> named;
        for (const SnapshotRecord& r : now->records)
            if (r.temporaryCopy) {
                named.push_back(r.copyPath);
                EXPECT_TRUE(fs.files.count(r.copyPath)) << r.copyPath;
            }
        for (const std::string& c : CopiesIn(fs))
            EXPECT_NE(std::find(named.begin(), named.end(), c), named.end()) << c;
        if (done) {
            EXPECT_EQ(now->records.size(), 2u);
            EXPECT_TRUE(d.ended);
            break;
        }
        EXPECT_EQ(fs.files["/d/p.prf"], oldBytes);
        EXPECT_EQ(fs.files[SideFilePath("/d/p.prf")], oldSide);
        EXPECT_FALSE(d.ended);
        ASSERT_EQ(d.docs.size(), 2u);
        EXPECT_TRUE(d.docs[0]->modified && d.docs[1]->modified);
        EXPECT_EQ(d.projects.currentProject(), "/d/p.prf");
        ASSERT_FALSE(d.ui.messages.empty());
        ASSERT_LT(n, 50) << "Break never succeeded";
    }
}

TEST(Projects, BreakSyncsTheCopiesTogetherAndOnlyThenWritesTheSnapshot) {
    JournalFileSystem fs;
    Desk d(fs);
    for (int i = 0; i < 4; ++i) d.Type(d.New(), "text " + std::to_string(i));
    // The second copy cannot be synced: nothing is left of any copy, the documents stay.
    fs.failSync = std::string(kFolder) + "NorvCopyT_2.txt.part";
    EXPECT_FALSE(d.projects.Break());
    EXPECT_FALSE(d.ended);
    EXPECT_TRUE(CopiesIn(fs).empty());
    EXPECT_FALSE(fs.files.count(kWorkspace));
    ASSERT_EQ(d.docs.size(), 4u);
    EXPECT_TRUE(d.docs[1]->modified);
    ASSERT_FALSE(d.ui.messages.empty());
    EXPECT_NE(d.ui.messages.back().find("Cannot write a copy of"), std::string::npos);
    EXPECT_NE(d.ui.messages.back().find(std::strerror(EIO)), std::string::npos);

    fs.failSync.clear();
    fs.log.clear();
    ASSERT_TRUE(d.projects.Break());
    auto isCopy = [](const std::string& entry) {
        return entry.find(std::string(kFolder) + "NorvCopy") != std::string::npos;
    };
    std::vector<size_t> writes, syncs, renames;
    size_t firstOther = fs.log.size();
    for (size_t i = 0; i < fs.log.size(); ++i) {
        const std::string& e = fs.log[i];
        if (!isCopy(e)) {
            firstOther = std::min(firstOther, i);
            continue;
        }
        EXPECT_LT(i, firstOther) << "a copy touched once the snapshot is written: " << e;
        if (e.rfind("write ", 0) == 0) writes.push_back(i);
        if (e.rfind("sync ", 0) == 0) syncs.push_back(i);
        if (e.rfind("rename ", 0) == 0) renames.push_back(i);
    }
    ASSERT_EQ(syncs.size(), 4u);
    ASSERT_EQ(renames.size(), 4u);
    ASSERT_FALSE(writes.empty());
    EXPECT_LT(writes.back(), syncs.front()) << "every copy written before the first is synced";
    EXPECT_LT(syncs.back(), renames.front()) << "every copy synced before one takes its name";
    ASSERT_LT(firstOther, fs.log.size());

    Desk next(fs);
    ASSERT_TRUE(next.projects.RestoreWorkspace());
    ASSERT_EQ(next.docs.size(), 4u);
    EXPECT_EQ(TextOf(*next.docs[3]), "text 3");
    EXPECT_EQ(next.hostLog,
              (std::vector<std::string>{"begin", "open", "open", "open", "open", "end"}))
        << "the openings are told as one run";
}

TEST(Projects, LoadProjectAsksAboutTheOpenProject) {
    static const struct {
        const char* name;
        int answer;  // 0: SaveProject on, no question
        bool opened;
        bool saved;
    } kCases[] = {
        {"Yes saves and opens", kIdYes, true, true},
        {"No opens without saving", kIdNo, true, false},
        {"Cancel stops", kIdCancel, false, false},
        {"SaveProject saves without asking", 0, true, true},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        platform::MemoryFileSystem fs;
        {
            Desk d(fs);
            d.Open("/d/other.txt", "other\n");
            d.chosen = "/d/other.prf";
            ASSERT_TRUE(d.projects.SaveProjectAs());
        }
        Desk d(fs);
        document::CElwDoc& a = d.Open("/d/a.txt", "a\n");
        d.chosen = "/d/first.prf";
        ASSERT_TRUE(d.projects.SaveProjectAs());
        d.Type(a, "x");
        d.ui.messages.clear();
        if (c.answer)
            d.ui.QueueAnswer(c.answer);
        else
            d.settings.Set(Key::SaveProject, 1);
        // Closing for the other project asks about a.txt when it was not saved: discard it.
        d.ui.QueueAnswer(kIdNo);
        d.chosen = "/d/other.prf";
        EXPECT_EQ(d.projects.LoadProject(), c.opened);
        const bool asked = !d.ui.messages.empty() && d.ui.messages[0] == kSaveProjectQuestion;
        EXPECT_EQ(asked, c.answer != 0);
        EXPECT_EQ(fs.files["/d/a.txt"], c.saved ? "xa\n" : "a\n");
        EXPECT_EQ(d.projects.currentProject(), c.opened ? "/d/other.prf" : "/d/first.prf");
        ASSERT_EQ(d.docs.size(), 1u);
        EXPECT_EQ(d.docs[0]->path, c.opened ? "/d/other.txt" : "/d/a.txt");
    }
}

TEST(Projects, CloseProjectAndClosingWithAProject) {
    platform::MemoryFileSystem fs;
    Desk d(fs);
    d.Open("/d/a.txt", "a\n");
    EXPECT_FALSE(d.projects.CloseProject()) << "no project open";
    d.chosen = "/d/p.prf";
    ASSERT_TRUE(d.projects.SaveProjectAs());
    d.Type(*d.docs[0], "x");
    // No to the project, then the usual question of the modified document: Cancel keeps both.
    d.ui.QueueAnswer(kIdNo);
    d.ui.QueueAnswer(kIdCancel);
    EXPECT_FALSE(d.projects.CloseProject());
    EXPECT_EQ(d.projects.currentProject(), "/d/p.prf");
    EXPECT_EQ(d.docs.size(), 1u);
    d.ui.QueueAnswer(kIdYes);
    EXPECT_TRUE(d.projects.CloseProject());
    EXPECT_TRUE(d.docs.empty());
    EXPECT_FALSE(d.projects.ProjectOpen());
    EXPECT_EQ(fs.files["/d/a.txt"], "xa\n");

    // Closing the program: the question is Yes/No; with SaveProject on, no question.
    ASSERT_TRUE(d.projects.OpenProject("/d/p.prf"));
    d.Type(*d.docs[0], "y");
    d.ui.messages.clear();
    d.ui.QueueAnswer(kIdYes);
    EXPECT_TRUE(d.projects.CloseOnExit());
    EXPECT_EQ(d.ui.messages, std::vector<std::string>{std::string(kSaveProjectQuestion)});
    EXPECT_EQ(fs.files["/d/a.txt"], "yxa\n");
    EXPECT_FALSE(d.projects.ProjectOpen());
    ASSERT_TRUE(d.projects.OpenProject("/d/p.prf"));
    d.Type(*d.docs[0], "z");
    d.settings.Set(Key::SaveProject, 1);
    d.ui.messages.clear();
    fs.unopenable.insert("/d/.a.txt.norv-save");
    fs.unopenable.insert("/d/a.txt");
    EXPECT_FALSE(d.projects.CloseOnExit()) << "a failed save keeps the program";
    EXPECT_TRUE(d.projects.ProjectOpen());
    fs.unopenable.clear();
    EXPECT_TRUE(d.projects.CloseOnExit());
    EXPECT_EQ(fs.files["/d/a.txt"], "zyxa\n");
}

TEST(Projects, BreakWithAProjectReopensItOnce) {
    platform::MemoryFileSystem fs;
    Desk d(fs);
    d.Open("/d/a.txt", "a\n");
    d.chosen = "/d/p.prf";
    ASSERT_TRUE(d.projects.SaveProjectAs());
    d.Type(*d.docs[0], "x");
    ASSERT_TRUE(d.projects.Break());
    EXPECT_EQ(d.settings.Text(Key::CurrProj), "/d/p.prf");
    EXPECT_FALSE(fs.files.count(kWorkspace));
    Desk next(fs);
    ASSERT_TRUE(next.projects.OpenProject("/d/p.prf"));
    ASSERT_EQ(next.docs.size(), 1u);
    EXPECT_EQ(TextOf(*next.docs[0]), "xa|");
    EXPECT_TRUE(next.docs[0]->modified);
    EXPECT_TRUE(fs.files.count("/d/p.prf")) << "a project file stays";
}

TEST(Projects, AFileThatFailsTheChecksClosesNothing) {
    std::string good;
    {
        platform::MemoryFileSystem fs;
        Desk d(fs);
        d.Open("/d/a.txt", "a\n");
        ASSERT_TRUE(d.projects.WriteSnapshot("/d/p.prf", false));
        good = fs.files["/d/p.prf"];
    }
    auto withInt = [&](size_t at, int32_t v) {
        std::string b = good;
        for (size_t i = 0; i < 4; ++i) b[at + i] = char((uint32_t(v) >> (8 * i)) & 0xFF);
        return b;
    };
    std::string unterminated = good;
    std::fill(unterminated.begin() + 316, unterminated.begin() + 316 + 264, 'x');
    const struct {
        const char* name;
        std::string bytes;
        const char* says;
    } kCases[] = {
        {"short", good.substr(0, 315), "too short"},
        {"long", std::string(34317, '\0'), "too long"},
        {"negative count", withInt(308, -1), "number of documents"},
        {"count beyond the size", withInt(308, 2), "number of documents"},
        {"count above 100", withInt(308, 101), "number of documents"},
        {"active index", withInt(312, 1), "active document"},
        {"unterminated path", unterminated, "no end"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        platform::MemoryFileSystem fs;
        Desk d(fs);
        d.Type(d.Open("/d/b.txt", "b\n"), "x");
        fs.files["/d/bad.prf"] = c.bytes;
        EXPECT_FALSE(d.projects.OpenProject("/d/bad.prf"));
        ASSERT_EQ(d.ui.messages.size(), 1u);
        EXPECT_NE(d.ui.messages[0].find("/d/bad.prf"), std::string::npos);
        EXPECT_NE(d.ui.messages[0].find(c.says), std::string::npos) << d.ui.messages[0];
        EXPECT_EQ(d.docs.size(), 1u);
        EXPECT_FALSE(d.projects.ProjectOpen());
    }
    platform::MemoryFileSystem fs;
    Desk d(fs);
    fs.folders.insert("/d/folder.prf/");
    EXPECT_FALSE(d.projects.OpenProject("/d/folder.prf"));
    EXPECT_FALSE(d.projects.OpenProject("/d/missing.prf"));
    EXPECT_EQ(d.ui.messages.size(), 2u);
}

TEST(Projects, RecordsWithoutTheirFileAreSkippedAndAFileIsNeverTakenForACopy) {
    platform::MemoryFileSystem fs;
    {
        Desk d(fs);
        d.Open("/d/gone.txt", "g\n");
        document::CElwDoc& kept = d.Open("/d/kept.txt", "k\n");
        d.chosen = "/d/p.prf";
        ASSERT_TRUE(d.projects.SaveProjectAs());
        d.Type(kept, "x");
        ASSERT_TRUE(d.projects.WriteSnapshot("/d/p.prf", false));
    }
    fs.files.erase("/d/gone.txt");
    // Without its side file the record of the modified kept.txt names the file itself.
    fs.files.erase(SideFilePath("/d/p.prf"));
    Desk d(fs);
    ASSERT_TRUE(d.projects.OpenProject("/d/p.prf"));
    ASSERT_EQ(d.docs.size(), 1u);
    EXPECT_EQ(d.docs[0]->path, "/d/kept.txt");
    EXPECT_EQ(fs.files["/d/kept.txt"], "k\n") << "the file is neither read as a copy nor deleted";
    ASSERT_EQ(d.ui.messages.size(), 1u);
    EXPECT_NE(d.ui.messages[0].find("/d/gone.txt"), std::string::npos);
}

TEST(Projects, StoredSettingsRefusedTakeTheProfiles) {
    DocumentViewState profile;
    profile.tabWidth = 3;
    profile.wrapColumn = 70;
    profile.autoIndent = true;
    SnapshotRecord r;
    r.caretLine = 0;
    r.tabWidth = 0;
    r.wrapColumn = 10000;
    r.autoIndent = 2;
    r.softTab = 1;
    DocumentViewState s = StoredViewState(r, profile);
    EXPECT_EQ(s.caretLine, 1);
    EXPECT_EQ(s.tabWidth, 3);
    EXPECT_EQ(s.wrapColumn, 70);
    EXPECT_TRUE(s.autoIndent);
    EXPECT_TRUE(s.softTab);
    r.tabWidth = 64;
    r.wrapColumn = 1;
    s = StoredViewState(r, profile);
    EXPECT_EQ(s.tabWidth, 64);
    EXPECT_EQ(s.wrapColumn, 70);  // below the File Types page's range
    r.tabWidth = 65;
    r.wrapColumn = 9999;
    s = StoredViewState(r, profile);
    EXPECT_EQ(s.tabWidth, 3);
    EXPECT_EQ(s.wrapColumn, 9999);
}

// Random sets of documents through Break and a new start, against what each looked like.
TEST(Projects, ModelOfRandomDocumentSets) {
    std::mt19937 rng(2612);
    const struct {
        const char* bytes;
        CodeChoice choice;
    } kFiles[] = {
        {"\x82\xa0\r\nb\r\n", CodeChoice::kAnsi},
        {"\xa4\xa2\nb\n", CodeChoice::kEuc},
        {"\x1b$B$\"\x1b(B\r\n", CodeChoice::kJis},
        {"\xFF\xFE"
         "a\0\r\0\n\0",
         CodeChoice::kUnicode},
        {"\xEF\xBB\xBF\xE3\x81\x82\r", CodeChoice::kUtf8},
        {"a\rb\nc\r\n", CodeChoice::kDefault},
    };
    for (int round = 0; round < 30; ++round) {
        SCOPED_TRACE(round);
        platform::MemoryFileSystem fs;
        std::vector<Seen> model;
        {
            Desk d(fs);
            const int n = 1 + int(rng() % 6);
            for (int i = 0; i < n; ++i) {
                document::CElwDoc* doc;
                if (rng() % 3 == 0) {
                    const TextCode codes[] = {TextCode::kAnsi, TextCode::kEuc, TextCode::kUtf8,
                                              TextCode::kUcs2Be};
                    doc = &d.New(codes[rng() % 4]);
                    doc->bom = rng() % 2;
                } else {
                    const auto& f = kFiles[rng() % std::size(kFiles)];
                    std::string bytes(f.bytes, f.bytes + std::char_traits<char>::length(f.bytes));
                    if (f.choice == CodeChoice::kUnicode) bytes.assign(f.bytes, 8);
                    doc = &d.Open("/d/f" + std::to_string(i) + ".txt", bytes, f.choice);
                }
                // A changed line-end mode is kept with the changes (an unmodified file is read
                // again as it is).
                if (doc->path.empty() || rng() % 2) {
                    d.Type(*doc, "z\nq" + std::to_string(i));
                    if (rng() % 3 == 0) doc->SetReturnCode(EolMode(int(rng() % 4) - 1));
                }
            }
            d.active = d.docs[rng() % d.docs.size()].get();
            model = SeenOf(d);
            ASSERT_TRUE(d.projects.Break());
        }
        Desk next(fs);
        ASSERT_TRUE(next.projects.RestoreWorkspace());
        EXPECT_EQ(SeenOf(next), model);
        EXPECT_TRUE(CopiesIn(fs).empty());
    }
}

}  // namespace
}  // namespace norv::app
