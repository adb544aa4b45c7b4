// Closing documents and the program, Save All, Save and Close, the 100-document rule and the
// whole-text replacement, through the headless user interface: the questions asked, the
// answers taken, what stays open and what reaches the disk.
#include "app/session.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "document/line_heap.h"
#include "platform/fakes/headless_ui.h"
#include "platform/fakes/memory_file_system.h"

namespace norv::app {
namespace {

using platform::kIdCancel;
using platform::kIdNo;
using platform::kIdYes;

// Documents on a memory file system, each with one view; the host's windows are the views.
struct Desk : SessionHost {
    Desk() : shared(heap) {
        env.heap = &heap;
        env.fs = &fs;
        env.ui = &ui;
        env.codePage = 932;
        env.save.trashOutGen = 0;
        env.save.saveMarkInfo = false;
        fs.folders.insert("/d/");
    }
    ~Desk() override {
        views.clear();
        docs.clear();
        shared.stack.Clear();
    }

    document::CElwDoc& Open(const std::string& name, const std::string& text) {
        const std::string path = "/d/" + name;
        fs.files[path] = text;
        auto doc = std::make_unique<document::CElwDoc>(env);
        EXPECT_EQ(doc->OpenDocument(path), 1);
        return Add(std::move(doc));
    }
    document::CElwDoc& Add(std::unique_ptr<document::CElwDoc> doc) {
        views.push_back(std::make_unique<editing::CElwView>(*doc, doc->undo, shared));
        views.back()->SetWindowSize(10, 80);
        docs.push_back(std::move(doc));
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
    // Every write to the file fails as a full or locked disk would.
    void Break(const std::string& name) {
        fs.unopenable.insert("/d/" + name);
        fs.unopenable.insert("/d/." + name + ".norv-save");
    }
    bool IsOpen(const document::CElwDoc* doc) const {
        return std::any_of(docs.begin(), docs.end(), [doc](auto& d) { return d.get() == doc; });
    }

    std::vector<document::CElwDoc*> Documents() const override {
        std::vector<document::CElwDoc*> out;
        for (auto& d : docs) out.push_back(d.get());
        return out;
    }
    void SyncViews(document::CElwDoc& doc) override { ViewOf(doc).Sync(); }
    void Saved(document::CElwDoc& doc) override { ViewOf(doc).OnSaved(); }
    void CloseWindows(document::CElwDoc& doc) override {
        for (size_t i = 0; i < docs.size(); ++i) {
            if (docs[i].get() != &doc) continue;
            views.erase(views.begin() + static_cast<std::ptrdiff_t>(i));
            docs.erase(docs.begin() + static_cast<std::ptrdiff_t>(i));
            closed.push_back(&doc);
            return;
        }
    }
    bool Quit() override {
        ++quits;
        return session.CloseProgram() != CloseOutcome::kKept;
    }

    document::LineHeap heap;
    platform::MemoryFileSystem fs;
    platform::HeadlessUi ui;
    document::DocumentEnvironment env;
    editing::EditorShared shared;
    std::vector<std::unique_ptr<document::CElwDoc>> docs;
    std::vector<std::unique_ptr<editing::CElwView>> views;
    std::vector<const document::CElwDoc*> closed;
    int quits = 0;
    Session session{*this, ui};
};

constexpr const char* kWriteFailed = "Failed to write file.";

TEST(Session, ClosingAModifiedDocumentAsks) {
    static const struct {
        const char* name;
        int answer;
        bool failingDisk;
        bool closed;
        const char* onDisk;
        std::vector<std::string> messages;
    } kCases[] = {
        {"Yes saves and closes", kIdYes, false, true, "xone\r\n", {"Save changes to /d/a.txt?"}},
        {"No discards", kIdNo, false, true, "one\r\n", {"Save changes to /d/a.txt?"}},
        {"Cancel keeps it", kIdCancel, false, false, "one\r\n", {"Save changes to /d/a.txt?"}},
        {"a failed save keeps it open and modified",
         kIdYes,
         true,
         false,
         "one\r\n",
         {"Save changes to /d/a.txt?", kWriteFailed}},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        Desk d;
        document::CElwDoc& doc = d.Open("a.txt", "one\r\n");
        d.Type(doc, "x");
        if (c.failingDisk) d.Break("a.txt");
        d.ui.QueueAnswer(c.answer);
        EXPECT_EQ(d.session.Close(doc), c.closed);
        EXPECT_EQ(d.IsOpen(&doc), !c.closed);
        if (!c.closed) EXPECT_TRUE(doc.modified);
        EXPECT_EQ(d.fs.files["/d/a.txt"], c.onDisk);
        std::vector<std::string> shown = d.ui.messages;
        if (c.failingDisk) shown.back() = shown.back().substr(0, std::string(kWriteFailed).size());
        EXPECT_EQ(shown, c.messages);
    }
}

TEST(Session, AnUnmodifiedDocumentClosesWithoutAQuestion) {
    Desk d;
    document::CElwDoc& doc = d.Open("a.txt", "one\r\n");
    EXPECT_TRUE(d.session.Close(doc));
    EXPECT_TRUE(d.ui.messages.empty());
    EXPECT_EQ(d.closed.size(), 1u);
}

TEST(Session, UntitledDocumentsAreNamedByTheirTitle) {
    Desk d;
    auto doc = std::make_unique<document::CElwDoc>(d.env);
    doc->NewDocument();
    doc->title = "Untitled*";
    EXPECT_EQ(DocumentName(*doc), "Untitled");
    doc->path = "/d/x.txt";
    EXPECT_EQ(DocumentName(*doc), "/d/x.txt");
}

TEST(Session, SaveAllGoesOnPastAFailure) {
    Desk d;
    document::CElwDoc& a = d.Open("a.txt", "a\r\n");
    document::CElwDoc& b = d.Open("b.txt", "b\r\n");
    document::CElwDoc& c = d.Open("c.txt", "c\r\n");
    d.Open("same.txt", "s\r\n");  // unmodified: left alone
    for (document::CElwDoc* doc : {&a, &b, &c}) d.Type(*doc, "1");
    d.Break("b.txt");
    EXPECT_FALSE(d.session.SaveAll());
    EXPECT_EQ(d.fs.files["/d/a.txt"], "1a\r\n");
    EXPECT_EQ(d.fs.files["/d/b.txt"], "b\r\n");
    EXPECT_EQ(d.fs.files["/d/c.txt"], "1c\r\n");
    EXPECT_EQ(d.fs.files["/d/same.txt"], "s\r\n");
    EXPECT_FALSE(a.modified);
    EXPECT_TRUE(b.modified);
    EXPECT_FALSE(c.modified);
    ASSERT_EQ(d.ui.messages.size(), 1u);
    EXPECT_EQ(d.ui.messages[0].rfind(kWriteFailed, 0), 0u);
    EXPECT_EQ(d.docs.size(), 4u);
}

TEST(Session, SaveAndClose) {
    Desk d;
    document::CElwDoc& a = d.Open("a.txt", "a\r\n");
    document::CElwDoc& b = d.Open("b.txt", "b\r\n");
    document::CElwDoc& clean = d.Open("clean.txt", "c\r\n");
    d.Type(a, "1");
    d.Type(b, "1");
    d.Break("b.txt");
    EXPECT_TRUE(d.session.SaveAndClose(a));
    EXPECT_EQ(d.fs.files["/d/a.txt"], "1a\r\n");
    EXPECT_FALSE(d.IsOpen(&a));
    // A failed save keeps the document open and modified.
    EXPECT_FALSE(d.session.SaveAndClose(b));
    EXPECT_TRUE(d.IsOpen(&b));
    EXPECT_TRUE(b.modified);
    EXPECT_TRUE(d.session.SaveAndClose(clean));
    EXPECT_FALSE(d.IsOpen(&clean));
    EXPECT_EQ(d.ui.messages.size(), 1u);  // only the failure; Save and Close never asks
}

TEST(Session, SaveAllAndQuitStopsOnAFailure) {
    Desk d;
    document::CElwDoc& a = d.Open("a.txt", "a\r\n");
    document::CElwDoc& b = d.Open("b.txt", "b\r\n");
    d.Type(a, "1");
    d.Type(b, "1");
    d.Break("b.txt");
    EXPECT_FALSE(d.session.SaveAllAndQuit());
    EXPECT_EQ(d.quits, 0);
    EXPECT_EQ(d.docs.size(), 2u);
    EXPECT_TRUE(b.modified);
    // Once the disk takes it, everything is saved and the program ends without a question.
    d.fs.unopenable.clear();
    d.ui.messages.clear();
    EXPECT_TRUE(d.session.SaveAllAndQuit());
    EXPECT_EQ(d.quits, 1);
    EXPECT_TRUE(d.docs.empty());
    EXPECT_TRUE(d.ui.messages.empty());
    EXPECT_EQ(d.fs.files["/d/b.txt"], "1b\r\n");
}

TEST(Session, ClosingTheProgramRunsItsStepsInOrder) {
    static const struct {
        const char* name;
        bool project, projectCloses, resident, residentEnds;
        int answer;  // for the one modified document; 0: none modified
        CloseOutcome outcome;
        const char* steps;
    } kCases[] = {
        {"plain", false, true, false, false, 0, CloseOutcome::kEnded, "1 2 3 4 6"},
        {"a project keeps the placement", true, true, false, false, 0, CloseOutcome::kEnded,
         "1 2 4 5 6"},
        {"a project that cannot be saved keeps everything", true, false, false, false, 0,
         CloseOutcome::kKept, "1 2 4 5"},
        {"Cancel keeps the program", false, true, false, false, kIdCancel, CloseOutcome::kKept,
         "1 2 3 4 6"},
        {"resident hides", false, true, true, false, kIdNo, CloseOutcome::kHidden,
         "1 2 3 4 6 7 hide"},
        {"resident ends when another instance runs", false, true, true, true, 0,
         CloseOutcome::kEnded, "1 2 3 4 6 7 hide"},
        {"resident with a document kept", false, true, true, false, kIdCancel, CloseOutcome::kKept,
         "1 2 3 4 6 7"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        Desk d;
        document::CElwDoc& doc = d.Open("a.txt", "a\r\n");
        d.Open("b.txt", "b\r\n");
        if (c.answer) {
            d.Type(doc, "1");
            d.ui.QueueAnswer(c.answer);
        }
        std::string steps;
        auto note = [&steps](const char* s) {
            return [&steps, s] { steps += steps.empty() ? s : std::string(" ") + s; };
        };
        ClosingSteps& k = d.session.closing;
        k.storeCurrentFolder = note("1");
        k.saveBarLayout = note("2");
        k.savePlacement = note("3");
        k.storeMarkList = note("4");
        k.projectOpen = [&] { return c.project; };
        k.closeProject = [&] {
            note("5")();
            return c.projectCloses;
        };
        k.residentCloseEvent = note("6");
        k.residentMode = [&] {
            if (c.resident) note("7")();
            return c.resident;
        };
        k.residentHide = [&] {
            note("hide")();
            return c.residentEnds;
        };
        EXPECT_EQ(d.session.CloseProgram(), c.outcome);
        EXPECT_EQ(steps, c.steps);
        EXPECT_EQ(d.docs.empty(), c.outcome != CloseOutcome::kKept);
    }
}

TEST(Session, TheHundredAndFirstDocumentIsRefused) {
    Desk d;
    for (int i = 0; i < document::kMaxDocuments; ++i) {
        ASSERT_TRUE(d.session.RoomForDocument());
        d.Open("f" + std::to_string(i), "x\r\n");
    }
    d.Type(*d.docs.back(), "y");
    EXPECT_FALSE(d.session.RoomForDocument());
    EXPECT_EQ(d.ui.messages, std::vector<std::string>{"Cannot read more than 100 files."});
    // Nothing open was touched.
    EXPECT_EQ(d.docs.size(), 100u);
    EXPECT_TRUE(d.docs.back()->modified);
    d.session.Close(*d.docs.front());
    EXPECT_TRUE(d.session.RoomForDocument());
}

TEST(Session, ReplacingTheWholeTextIsOneUndoStep) {
    Desk d;
    const std::string old = "first\r\n\x82\xa0\x82\xa2 second\r\nthird";
    document::CElwDoc& doc = d.Open("a.txt", old);
    editing::CElwView& v = d.ViewOf(doc);
    v.options().undoReset = false;  // the history survives the save
    v.SetCaret(2, 3);
    ReplaceWholeText(v, "new\nlines\n");
    EXPECT_EQ(v.caretLineNumber(), 1);
    EXPECT_TRUE(doc.modified);
    EXPECT_TRUE(d.session.Save(doc, false));
    EXPECT_EQ(d.fs.files["/d/a.txt"], "new\r\nlines\r\n");
    v.Execute(editing::CommandId::Undo);
    EXPECT_TRUE(d.session.Save(doc, false));
    EXPECT_EQ(d.fs.files["/d/a.txt"], old);
}

TEST(Session, NotAvailableSaysSoAndBeeps) {
    platform::HeadlessUi ui;
    ReportNotAvailable(&ui);
    ReportNotAvailable(nullptr);
    EXPECT_EQ(ui.statusTexts, std::vector<std::string>{"This command is not available yet."});
    EXPECT_EQ(ui.beeps, 1);
}

}  // namespace
}  // namespace norv::app
