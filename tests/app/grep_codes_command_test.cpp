// The Grep command over a tree where one text lies in every code the loader reads, with every
// line end: each output line names the line the editor shows when it opens the file, with that
// line's text, and a tag jump on it lands there. GrepDecode 0 brings back the byte search.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/find_in_files.h"
#include "app/output_document.h"
#include "document/char_model.h"
#include "editing/edit_test_support.h"
#include "platform/fakes/headless_ui.h"
#include "platform/paths.h"
#include "search/tag_jump.h"
#include "support/coded_text.h"
#include "support/sjis_text.h"
#include "support/temp_dir.h"

namespace norv::app {
namespace {

using editing::testing::Editor;
using editing::testing::Enc;
using norv::testing::FileCode;

class Windows : public OutputWindows {
  public:
    std::vector<editing::CElwView*> OutputCandidates() override {
        std::vector<editing::CElwView*> out;
        for (auto& e : editors) out.push_back(e->view.get());
        return out;
    }
    void ActivateOutput(editing::CElwView&) override {}
    editing::CElwView* NewOutputDocument() override {
        editors.push_back(std::make_unique<Editor>(Enc::kSjis));
        editors.back()->Load("");
        return editors.back()->view.get();
    }
    std::vector<std::unique_ptr<Editor>> editors;
};

// Files opened by the jump as the editor opens them.
class Opener : public search::TagJumpHost {
  public:
    editing::CElwView* OpenOrActivate(const std::string& path) override {
        auto& e = opened[path];
        if (!e) {
            e = std::make_unique<Editor>(Enc::kSjis);
            if (e->doc.OpenDocument(path, document::CodeChoice::kDefault) != 1) return nullptr;
            e->view = std::make_unique<editing::CElwView>(e->doc, e->undo, e->shared,
                                                          e->layoutOptions, e->editOptions);
            e->view->SetWindowSize(10, 80);
        }
        return e->view.get();
    }
    std::map<std::string, std::unique_ptr<Editor>> opened;
};

struct Fixture {
    Fixture() : settings(932) {
        env.fs = &platform::RealFileSystem();
        env.ui = &ui;
        env.settings = &settings;
        env.windows = &windows;
        root = dir.path() + "/";
    }
    uint64_t Run(const std::string& utf8Pattern, const std::string& options = "") {
        GrepDialogRequest r;
        r.searchString = norv::testing::Sjis(utf8Pattern);
        r.folder = root;
        r.masks = "*.txt";
        r.options = search::ParseGrepOptionString(options);
        return grep.Run(r);
    }
    editing::CElwView& OutputView() { return *windows.editors.front()->view; }
    // The output's lines in UTF-8.
    std::vector<std::string> Output() {
        editing::CElwView& v = OutputView();
        v.Sync();
        std::vector<std::string> out;
        for (const document::LineRecord* r = v.doc().lines().first(); r; r = r->next) {
            std::string line(r->text(), r->contentLength()), u;
            if (document::IsUtf8CodePage(v.doc().CodePage()))
                u = line;
            else
                document::AnsiToUtf8(u, line, 932);
            if (!u.empty()) out.push_back(u);
        }
        return out;
    }

    testing::TempDir dir;
    std::string root;
    platform::HeadlessUi ui;
    Settings settings;
    Windows windows;
    GrepEnvironment env;
    FindInFiles grep{env};
};

struct Parsed {
    std::string name;
    uint64_t line = 0;
    std::string text;
};

Parsed ParseOutputLine(const std::string& s) {
    Parsed p;
    const size_t open = s.find('(');
    const size_t close = s.find("): ", open);
    p.name = s.substr(0, open);
    p.line = std::stoull(s.substr(open + 1, close - open - 1));
    p.text = s.substr(close + 3);
    return p;
}

// One text with a line too long for one record before its last hits, a blank line, and a last
// line without a line end.
std::string TableText() {
    return "first line\n日本語 key one\n\nplain\n" + std::string(70000, 'x') +
           "\n  日本語 key two  \nlast 日本語 key";
}

TEST(GrepCodesCommand, EveryCodeAndLineEndGivesTheEditorsLinesAndTheJumpLandsThere) {
    Fixture f;
    const struct {
        const char* name;
        const char* bytes;
    } kEols[] = {{"lf", "\n"}, {"crlf", "\r\n"}, {"cr", "\r"}};
    std::map<std::string, FileCode> codes;
    for (FileCode code : norv::testing::kEveryFileCode) {
        for (const auto& eol : kEols) {
            const std::string name =
                std::string(norv::testing::FileCodeName(code)) + "." + eol.name + ".txt";
            f.dir.Write(name, norv::testing::EncodeText(code, TableText(), eol.bytes));
            codes[name] = code;
        }
    }
    EXPECT_EQ(f.Run("日本語 key"), codes.size() * 3);
    const std::vector<std::string> output = f.Output();
    ASSERT_EQ(output.size(), codes.size() * 3);
    std::map<std::string, std::vector<uint64_t>> shown;
    Opener opener;
    for (size_t i = 0; i < output.size(); ++i) {
        const Parsed p = ParseOutputLine(output[i]);
        ASSERT_TRUE(codes.count(p.name)) << output[i];
        shown[p.name].push_back(p.line);
        // The line the editor shows under that number holds the text written.
        const norv::testing::OpenedFile opened(f.root + p.name);
        ASSERT_TRUE(opened.ok);
        EXPECT_EQ(opened.doc->code, norv::testing::LoadedCode(codes[p.name])) << p.name;
        const std::vector<std::string> lines = opened.Utf8Lines();
        ASSERT_LE(p.line, lines.size()) << output[i];
        EXPECT_EQ(lines[p.line - 1], p.text) << output[i];
        // The jump from the output line opens the file on that line.
        f.OutputView().SetCaret(static_cast<int>(i + 1), 0);
        ASSERT_EQ(search::RunTagJump(f.OutputView(), platform::RealFileSystem(), f.ui, opener),
                  search::TagJumpStatus::kJumped)
            << output[i];
        editing::CElwView& target = *opener.opened[f.root + p.name]->view;
        EXPECT_EQ(static_cast<uint64_t>(target.caretLineNumber()), p.line) << output[i];
    }
    // Each file's hits are the lines of its document that hold the text.
    for (const auto& [name, code] : codes) {
        const norv::testing::OpenedFile opened(f.root + name);
        const std::string literal = document::IsUnicodeFamily(opened.doc->code)
                                        ? std::string("日本語 key")
                                        : norv::testing::Sjis("日本語 key");
        EXPECT_EQ(shown[name], opened.LinesHolding(literal)) << name;
    }
    EXPECT_EQ(f.grep.stateValue, 1);
}

TEST(GrepCodesCommand, GrepDecodeZeroSearchesTheBytesAsStored) {
    Fixture f;
    for (FileCode code : norv::testing::kEveryFileCode)
        f.dir.Write(std::string(norv::testing::FileCodeName(code)) + ".txt",
                    norv::testing::EncodeText(code, "one\n日本語 key\n", "\r\n"));
    f.settings.Set(Key::GrepDecode, 0);
    EXPECT_EQ(f.Run("日本語 key"), 1u);
    EXPECT_EQ(f.Output(), std::vector<std::string>{"sjis.txt(2): 日本語 key"});
    // Read at the start of each search.
    f.settings.Set(Key::GrepDecode, 1);
    EXPECT_EQ(f.Run("日本語 key"), std::size(norv::testing::kEveryFileCode));
    EXPECT_EQ(f.Output().size(), std::size(norv::testing::kEveryFileCode));
    // A text the output's code cannot hold is still shown in it: the output here is UTF-8.
    f.dir.Write("utf8-only.txt", "𠮷 key\n");
    EXPECT_EQ(f.Run("key"), std::size(norv::testing::kEveryFileCode) + 1);
    const std::vector<std::string> out = f.Output();
    EXPECT_NE(std::find(out.begin(), out.end(), "utf8-only.txt(1): 𠮷 key"), out.end());
}

}  // namespace
}  // namespace norv::app
