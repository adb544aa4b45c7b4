// The Grep command without windows: the dialog's fields, the folder and settings it leaves,
// the "#Output#" document it writes, the state value, the recorder, Escape.
#include "app/find_in_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/output_document.h"
#include "document/char_model.h"
#include "editing/edit_test_support.h"
#include "platform/fakes/headless_ui.h"
#include "platform/paths.h"
#include "support/sjis_text.h"
#include "support/temp_dir.h"

namespace norv::app {
namespace {

using editing::testing::Editor;
using editing::testing::Enc;

class Ui : public platform::HeadlessUi {
  public:
    void BeginWaitCursor() override { ++waits; }
    void EndWaitCursor() override { --waits; }
    int waits = 0;
};

// Document windows made of core views.
class Windows : public OutputWindows {
  public:
    std::vector<editing::CElwView*> OutputCandidates() override {
        std::vector<editing::CElwView*> out;
        for (auto& e : editors) out.push_back(e->view.get());
        return out;
    }
    void ActivateOutput(editing::CElwView& v) override { active = &v; }
    editing::CElwView* NewOutputDocument() override {
        editors.push_back(std::make_unique<Editor>(Enc::kSjis));
        editors.back()->Load("");
        return editors.back()->view.get();
    }
    std::vector<std::unique_ptr<Editor>> editors;
    editing::CElwView* active = nullptr;
};

class Recorder : public editing::CommandRecorder {
  public:
    void RecordCommand(editing::CommandId) override {}
    void RecordChar(uint16_t, int) override {}
    void RecordFrameCommand(uint16_t command, const std::vector<std::string>& given) override {
        id = command;
        texts = given;
    }
    uint16_t id = 0;
    std::vector<std::string> texts;
};

struct Fixture {
    Fixture() : settings(932) {
        env.fs = &platform::RealFileSystem();
        env.ui = &ui;
        env.settings = &settings;
        env.windows = &windows;
        env.history = &history;
        env.recorder = &recorder;
        env.dialog = [this](GrepDialogRequest& r) {
            asked.push_back(r);
            if (!answer) return false;
            r = *answer;
            return true;
        };
        env.escapePressed = [this] { return ++polls == stopAtPoll; };
        root = dir.path() + "/";
        dir.Write("a.txt", "one\nkey 1\n");
        dir.Write("b.txt", "key 2\n");
        std::filesystem::create_directories(root + "sub");
        dir.Write("sub/c.txt", testing::Sjis("日本 key 3\n"));
    }
    // The output document's text, in UTF-8.
    std::string Output() {
        editing::CElwView* v = windows.editors.front()->view.get();
        v->Sync();
        std::string out;
        for (const document::LineRecord* r = v->doc().lines().first(); r; r = r->next) {
            std::string line(r->text(), r->contentLength());
            if (!document::IsUtf8CodePage(v->doc().CodePage())) {
                std::string u;
                document::AnsiToUtf8(u, line, 932);
                line = u;
            }
            out += line + "\n";
        }
        return out;
    }
    GrepDialogRequest Request(std::string string, std::string options = "U") {
        GrepDialogRequest r;
        r.searchString = std::move(string);
        r.folder = root;
        r.masks = "*.txt";
        r.options = search::ParseGrepOptionString(options);
        return r;
    }

    testing::TempDir dir;
    std::string root;
    Ui ui;
    Settings settings;
    Windows windows;
    search::FindHistory history;
    Recorder recorder;
    GrepEnvironment env;
    FindInFiles grep{env};
    std::vector<GrepDialogRequest> asked;
    std::optional<GrepDialogRequest> answer;
    int polls = 0;
    int stopAtPoll = -1;
};

TEST(FindInFiles, WritesTheOutputDocumentAndLeavesTheSettings) {
    Fixture f;
    const std::string before = platform::CurrentFolder();
    EXPECT_EQ(f.grep.Run(f.Request("key")), 3u);
    EXPECT_EQ(f.Output(), "a.txt(2): key 1\nb.txt(1): key 2\nsub/c.txt(1): 日本 key 3\n\n");
    ASSERT_EQ(f.windows.editors.size(), 1u);
    editing::CElwView& out = *f.windows.editors.front()->view;
    EXPECT_EQ(f.windows.active, &out);
    EXPECT_EQ(out.doc().path, f.root + "#Output#");
    EXPECT_EQ(out.doc().code, document::TextCode::kUtf8);
    EXPECT_FALSE(out.doc().modified);
    EXPECT_FALSE(out.doc().undo.CanUndo());
    EXPECT_EQ(out.caretLineNumber(), 1);
    EXPECT_EQ(out.topRow(), 0);
    EXPECT_EQ(f.grep.stateValue, 1);
    EXPECT_EQ(f.settings.Text(Key::GrepDir), f.root);
    EXPECT_EQ(f.settings.Text(Key::GrepMask), "*.txt");
    EXPECT_EQ(platform::CurrentFolder(), before);
    EXPECT_EQ(f.ui.waits, 0);
    ASSERT_GE(f.ui.statusTexts.size(), 3u);
    EXPECT_EQ(f.ui.statusTexts[0], "Finding ...(ESC key to break)");
    EXPECT_EQ(f.ui.statusTexts[1], "Finding ...(ESC key to break) a.txt");
    EXPECT_EQ(f.ui.statusTexts.back(), "");
    // The string joins the Find history; the recorder hears the four texts.
    ASSERT_EQ(f.history.entries().size(), 1u);
    EXPECT_EQ(f.history.entries()[0].text, "key");
    EXPECT_EQ(f.recorder.id, kGrepCommandId);
    EXPECT_EQ(f.recorder.texts, (std::vector<std::string>{"key", f.root, "*.txt", "U"}));
}

TEST(FindInFiles, TheOutputDocumentIsTakenAgainAndKeepsItsCode) {
    Fixture f;
    f.grep.Run(f.Request("key 1"));
    editing::CElwView& out = *f.windows.editors.front()->view;
    out.doc().code = document::TextCode::kAnsi;  // the user chose ANSI for it
    out.doc().NotifyReplaced();
    EXPECT_EQ(f.grep.Run(f.Request("key 3", "UP")), 1u);
    EXPECT_EQ(f.windows.editors.size(), 1u);
    EXPECT_EQ(out.doc().code, document::TextCode::kAnsi);
    EXPECT_EQ(f.Output(), f.root + "sub/c.txt(1): 日本 key 3\n\n");
    // Nothing found: the output is emptied, the state value 4.
    EXPECT_EQ(f.grep.Run(f.Request("absent")), 0u);
    EXPECT_EQ(f.Output(), "\n");
    EXPECT_EQ(f.grep.stateValue, 4);
}

TEST(FindInFiles, AnEmptyStringBeepsAndSearchesNothing) {
    Fixture f;
    EXPECT_EQ(f.grep.Run(f.Request("")), 0u);
    EXPECT_EQ(f.ui.beeps, 1);
    EXPECT_EQ(f.grep.stateValue, 4);
    EXPECT_TRUE(f.windows.editors.empty());
    EXPECT_EQ(f.settings.Text(Key::GrepDir), f.root);
    // A folder that is not there: a beep, nothing searched, nothing saved.
    GrepDialogRequest r = f.Request("key");
    r.folder = f.root + "missing";
    EXPECT_EQ(f.grep.Run(r), 0u);
    EXPECT_EQ(f.ui.beeps, 2);
    EXPECT_EQ(f.settings.Text(Key::GrepDir), f.root);
}

TEST(FindInFiles, TheDialogStartsFromTheSettingsAndSavesOptions) {
    Fixture f;
    f.settings.Set(Key::GrepDir, "/somewhere/");
    f.settings.Set(Key::GrepMask, "*.c;*.h");
    EXPECT_EQ(f.grep.Command("word"), 0u);  // cancelled
    ASSERT_EQ(f.asked.size(), 1u);
    EXPECT_EQ(f.asked[0].searchString, "word");
    EXPECT_EQ(f.asked[0].folder, "/somewhere/");
    EXPECT_EQ(f.asked[0].masks, "*.c;*.h");
    EXPECT_EQ(search::BuildGrepOptionString(f.asked[0].options), "IR");  // GrepOption "RI"
    EXPECT_EQ(f.asked[0].history, &f.history);
    EXPECT_TRUE(f.windows.editors.empty());
    f.answer = f.Request("key", "IUP");
    f.answer->saveOptions = true;
    EXPECT_EQ(f.grep.Command("word"), 3u);
    EXPECT_EQ(f.settings.Text(Key::GrepOption), "IUP");
}

TEST(FindInFiles, ScriptArgumentsAndMissingOnes) {
    Fixture f;
    const std::string before = platform::CurrentFolder();
    platform::ChangeCurrentFolder(f.root);
    GrepArguments a{"key", "sub", "*.txt", ""};
    EXPECT_EQ(f.grep.Script(a, ""), 1u);  // the relative folder from the current one
    EXPECT_TRUE(f.asked.empty());
    EXPECT_EQ(f.settings.Text(Key::GrepDir), f.root + "sub/");
    // A missing argument asks, the dialog filled with what was given.
    GrepArguments missing{"key", std::nullopt, "*.txt", "I"};
    EXPECT_EQ(f.grep.Script(missing, ""), 0u);
    ASSERT_EQ(f.asked.size(), 1u);
    EXPECT_EQ(f.asked[0].searchString, "key");
    EXPECT_EQ(f.asked[0].folder, f.root + "sub/");
    EXPECT_TRUE(f.asked[0].options.ignoreCase);
    platform::ChangeCurrentFolder(before);
}

TEST(FindInFiles, EscapeKeepsWhatWasFound) {
    Fixture f;
    f.stopAtPoll = 1;  // between the first file and the second
    EXPECT_EQ(f.grep.Run(f.Request("key")), 1u);
    EXPECT_TRUE(f.grep.broken);
    EXPECT_EQ(f.Output(), "a.txt(2): key 1\n\n");
    EXPECT_EQ(f.grep.stateValue, 1);
}

TEST(FindInFiles, OpenDocumentsAreSearchedInMemoryButNotTheOutput) {
    Fixture f;
    Editor open(Enc::kSjis);
    open.Load("key in memory");
    f.env.openTexts = [&] {
        std::vector<search::GrepOpenText> t;
        t.push_back({f.root + "b.txt", &open.doc.lines(), open.doc.CodePage()});
        for (auto& e : f.windows.editors)
            t.push_back({e->doc.path, &e->doc.lines(), e->doc.CodePage()});
        return t;
    };
    f.grep.Run(f.Request("key", ""));
    EXPECT_EQ(f.Output(), "a.txt(2): key 1\nb.txt(1): key in memory\n\n");
    // A file named like the output document is searched on disk, never the output itself.
    f.dir.Write("#Output#", "key on disk\n");
    GrepDialogRequest r = f.Request("key", "");
    r.masks = "#Output#";
    EXPECT_EQ(f.grep.Run(r), 1u);
    EXPECT_EQ(f.Output(), "#Output#(1): key on disk\n\n");
}

}  // namespace
}  // namespace norv::app
