// Find and Mark All over a large text loaded into a document and an edit view, the way the
// user runs them: a plain string that does not occur (one search over the whole text), a plain
// string with many hits (Mark All), ignore case, and a regular expression (Mark All).
//
//   find_bench FILE [benchmark options]
//
// FILE: a text with LF line ends, Shift-JIS, or UTF-8 when its name contains "utf8". The
// Mark All cases report the lines they marked as the counter "lines", to be set against
// grep -c on the same file.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>

#include "document/document.h"
#include "document/undo_list.h"
#include "editing/edit_view.h"
#include "platform/code_page.h"
#include "search/find_commands.h"

namespace {

using namespace norv;

struct Loaded {
    Loaded() : shared(heap), doc(Env()), undo(1024) {}
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

Loaded* g_doc = nullptr;

class NoUi : public platform::UserInterface {
  public:
    int MessageBox(std::string_view, unsigned) override { return platform::kIdOk; }
    void SetStatusText(std::string_view) override {}
    void Beep() override {}
};

int MarkedLines() {
    int n = 0;
    for (document::LineRecord* r = g_doc->doc.lines().first(); r; r = r->next) {
        n += (r->flags & document::LF_MARK) ? 1 : 0;
        r->flags &= static_cast<uint8_t>(~document::LF_MARK);
    }
    return n;
}

void RunFind(benchmark::State& state, std::string pattern, std::string options, bool markAll) {
    NoUi ui;
    search::FindEnvironment env;
    env.ui = &ui;
    search::FindCommands commands(env);
    search::FindOptions o;
    search::ParseOptionString(options, &o);
    int lines = 0;
    for (auto _ : state) {
        g_doc->view->SetCaret(1, 0);
        bool found = commands.Find(*g_doc->view, pattern, o, true, markAll);
        benchmark::DoNotOptimize(found);
        state.PauseTiming();
        lines = MarkedLines();
        state.ResumeTiming();
    }
    state.counters["lines"] = lines;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: find_bench FILE [benchmark options]\n");
        return 2;
    }
    platform::SetSystemCodePage(932);
    std::ifstream in(argv[1], std::ios::binary);
    std::string text(std::istreambuf_iterator<char>(in), {});
    if (text.empty()) {
        std::fprintf(stderr, "find_bench: cannot read %s\n", argv[1]);
        return 2;
    }
    static Loaded loaded;
    g_doc = &loaded;
    loaded.doc.NewDocument();
    const bool utf8 = std::string_view(argv[1]).find("utf8") != std::string_view::npos;
    if (utf8) loaded.doc.code = document::TextCode::kUtf8;
    loaded.doc.lines().Reset();
    for (size_t start = 0; start < text.size();) {
        size_t nl = text.find('\n', start);
        if (nl == std::string::npos) nl = text.size();
        loaded.doc.lines().AppendContent(text.data() + start, nl - start, 0);
        start = nl + 1;
    }
    loaded.view = std::make_unique<editing::CElwView>(loaded.doc, loaded.undo, loaded.shared);
    const std::string many = platform::WideToMultiByte(utf8 ? 65001 : 932, u"する");
    benchmark::RegisterBenchmark("plain/absent", RunFind, "zqxjkvw", "", false);
    benchmark::RegisterBenchmark("plain/mark_all", RunFind, many, "", true);
    benchmark::RegisterBenchmark("ignore_case/mark_all", RunFind, "include", "I", true);
    benchmark::RegisterBenchmark("regex/mark_all", RunFind, "colou?r|int[a-z]+_t", "R", true);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
