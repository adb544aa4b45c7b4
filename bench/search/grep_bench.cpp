// Find in files over a folder tree into the output document, as the Grep command runs it once
// its dialog is closed: the walk, the matcher, the output lines and the document they go into.
//
//   grep_bench FOLDER STRING OPTIONS RUNS [OUT]
//
// OPTIONS: the option letters of find in files (U sub folders, R regular expression, I ignore
// case...). Prints "median_ms lines" for RUNS runs; OUT receives the output document's text of
// the last run, one line per hit, to be compared with grep's lines. The system code page is
// 932, as on a Japanese desktop. GREP_DECODE (default 1) is the GrepDecode setting: 1 reads
// each file in its own code, 0 searches every file's bytes as stored.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/config/settings.h"
#include "app/find_in_files.h"
#include "app/output_document.h"
#include "document/document.h"
#include "document/undo_list.h"
#include "editing/edit_view.h"
#include "platform/code_page.h"
#include "platform/file_system.h"
#include "search/grep_options.h"

namespace {

using namespace norv;

// One document with its view, made when the search asks for the output document.
struct OutputEditor {
    OutputEditor() : shared(heap), doc(Env()), undo(1024) { doc.NewDocument(); }
    ~OutputEditor() {
        view.reset();
        shared.stack.Clear();
    }
    document::DocumentEnvironment& Env() {
        env.heap = &heap;
        env.codePage = 932;
        return env;
    }
    document::LineHeap heap;
    document::DocumentEnvironment env;
    editing::EditorShared shared;
    document::CElwDoc doc;
    document::UndoList undo;
    std::unique_ptr<editing::CElwView> view;
};

class Windows : public app::OutputWindows {
  public:
    std::vector<editing::CElwView*> OutputCandidates() override { return {}; }
    void ActivateOutput(editing::CElwView&) override {}
    editing::CElwView* NewOutputDocument() override {
        editor = std::make_unique<OutputEditor>();
        editor->view =
            std::make_unique<editing::CElwView>(editor->doc, editor->undo, editor->shared);
        return editor->view.get();
    }
    std::unique_ptr<OutputEditor> editor;
};

class NoUi : public platform::UserInterface {
  public:
    int MessageBox(std::string_view, unsigned) override { return platform::kIdOk; }
    void SetStatusText(std::string_view) override {}
    void Beep() override {}
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 5) {
        std::fprintf(stderr, "usage: grep_bench FOLDER STRING OPTIONS RUNS [OUT]\n");
        return 2;
    }
    platform::SetSystemCodePage(932);
    const int runs = std::max(1, std::atoi(argv[4]));
    app::Settings settings(932);
    if (const char* decode = std::getenv("GREP_DECODE"))
        settings.Set(app::Key::GrepDecode, std::atoi(decode));
    NoUi ui;
    std::vector<double> ms;
    uint64_t lines = 0;
    std::string text;
    for (int i = 0; i < runs; ++i) {
        Windows windows;
        app::GrepEnvironment env;
        env.fs = &platform::RealFileSystem();
        env.ui = &ui;
        env.settings = &settings;
        env.windows = &windows;
        env.escapePressed = [] { return false; };
        app::FindInFiles grep(env);
        app::GrepDialogRequest request;
        request.searchString = argv[2];
        request.folder = argv[1];
        request.masks = "*";
        request.options = search::ParseGrepOptionString(argv[3]);
        const auto start = std::chrono::steady_clock::now();
        lines = grep.Run(request);
        const auto end = std::chrono::steady_clock::now();
        ms.push_back(std::chrono::duration<double, std::milli>(end - start).count());
        if (i + 1 == runs && argc > 5 && windows.editor) {
            text.clear();
            for (const document::LineRecord* r = windows.editor->doc.lines().first(); r;
                 r = r->next) {
                if (r->contentLength() == 0 && !r->next) break;
                text.append(r->text(), r->contentLength()).push_back('\n');
            }
        }
    }
    if (argc > 5) {
        std::ofstream out(argv[5], std::ios::binary);
        out << text;
    }
    std::sort(ms.begin(), ms.end());
    std::printf("%.0f %llu\n", ms[ms.size() / 2], static_cast<unsigned long long>(lines));
    return 0;
}
