// The edit view's speed on the offscreen platform, with a large Shift-JIS file
// (NORV_BENCH_FILE, default /tmp/norv-corpus/large/sjis.lf.txt):
//   OpenToFirstPaint   load the file, build its view and widget, paint the first screen;
//   TextBotAndPaint    jump to the end of the text and paint the last screen, and back;
//   PageAndPaint       one page forward and its paint, in the middle of the file;
//   KeystrokeMiddle    a typed key in the middle of the file: the key event and the repaint;
//   ...WithComments    the same with a comment block that takes part, so the line states are
//                      scanned from the top on the first paint at the end.
// Times are wall-clock milliseconds per iteration (each paint renders the viewport into an
// image, synchronously).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>

#include "app/config/keyword_file.h"
#include "app/config/syntax_rules.h"
#include "document/document.h"
#include "document/line_heap.h"
#include "editing/edit_view.h"
#include "editing/selection.h"
#include "gui/editor/edit_widget.h"
#include "gui/editor/text_bridge.h"
#include "platform/fakes/fake_clipboard.h"
#include "platform/fakes/headless_ui.h"

namespace {

using norv::editing::CommandId;
using Clock = std::chrono::steady_clock;

std::string CorpusPath() {
    const char* p = std::getenv("NORV_BENCH_FILE");
    return p ? p : "/tmp/norv-corpus/large/sjis.lf.txt";
}

// A C-like keyword file whose groups apply to every file, with a block comment.
std::shared_ptr<const norv::view::SyntaxRules> EveryFileRules() {
    norv::app::KeywordFile f(932);
    norv::app::ParseKeywordFile(
        "\x10"
        "Words\t*.*\t2\n"
        " /*\t0\t*/\t1\t0\n"
        " \"\t0\t\"\t1\t0\n"
        "the\t0\nof\t0\nand\t0\n",
        f);
    return std::make_shared<const norv::view::SyntaxRules>(
        norv::app::SyntaxRulesFor(f, "any.txt", 932));
}

struct Screen {
    explicit Screen(bool comments) : shared(norv::document::ProgramLineHeap()) {
        env.ui = &ui;
        env.codePage = 932;
        shared.ui = &ui;
        context.clipboard = &clipboard;
        doc = std::make_unique<norv::document::CElwDoc>(env);
        if (!doc->OpenDocument(CorpusPath())) {
            std::fprintf(stderr, "bench: cannot load %s\n", CorpusPath().c_str());
            std::exit(1);
        }
        norv::view::LayoutOptions layout;
        layout.codePage = doc->CodePage();
        view = std::make_unique<norv::editing::CElwView>(*doc, doc->undo, shared, layout);
        selection = std::make_unique<norv::editing::Selection>(*view, context);
        widget = std::make_unique<norv::qt::EditWidget>(
            *view, norv::qt::ChooseEditorFont(QString(), 12), norv::qt::DisplayOptions{});
        widget->SetSelection(selection.get());
        if (comments) widget->SetSyntaxRules(EveryFileRules());
        widget->resize(1000, 800);
        widget->show();
        widget->Refresh();
        Paint();
    }
    ~Screen() {
        widget.reset();
        selection.reset();
        view.reset();
        doc.reset();
        shared.stack.Clear();
    }
    // The viewport painted into an image, as the window system would have it painted: every
    // paint computes and draws the whole visible text.
    void Paint() {
        if (canvas.size() != widget->viewport()->size())
            canvas = QImage(widget->viewport()->size(), QImage::Format_ARGB32_Premultiplied);
        widget->viewport()->render(&canvas);
    }

    QImage canvas;

    norv::platform::HeadlessUi ui;
    norv::platform::FakeClipboard clipboard;
    norv::editing::ClipboardContext context;
    norv::document::DocumentEnvironment env;
    norv::editing::EditorShared shared;
    std::unique_ptr<norv::document::CElwDoc> doc;
    std::unique_ptr<norv::editing::CElwView> view;
    std::unique_ptr<norv::editing::Selection> selection;
    std::unique_ptr<norv::qt::EditWidget> widget;
};

void Report(benchmark::State& state, Clock::duration total, int64_t n) {
    state.counters["ms"] = std::chrono::duration<double, std::milli>(total).count() / double(n);
}

void BM_OpenToFirstPaint(benchmark::State& state) {
    Clock::duration total{};
    int64_t n = 0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        {
            Screen s(state.range(0) != 0);
            total += Clock::now() - t0;
            state.counters["lines"] = s.doc->lineCount();
        }
        ++n;
    }
    Report(state, total, n);
}

void BM_TextBotAndPaint(benchmark::State& state) {
    Screen s(state.range(0) != 0);
    Clock::duration total{};
    int64_t n = 0;
    for (auto _ : state) {
        // A fresh scan each time when comments take part: as after opening the file.
        if (state.range(0) != 0) s.view->SetStatesValidThrough(0);
        const auto t0 = Clock::now();
        s.widget->RunCommand(CommandId::TextBot);
        s.Paint();
        total += Clock::now() - t0;
        ++n;
        s.widget->RunCommand(CommandId::TextTop);
        s.Paint();
    }
    Report(state, total, n);
}

void BM_PageAndPaint(benchmark::State& state) {
    Screen s(state.range(0) != 0);
    s.view->SetCaret(s.doc->lineCount() / 2, 0);
    s.widget->Refresh();
    s.Paint();
    Clock::duration total{};
    int64_t n = 0;
    bool forward = true;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        // The view's PageUp moves the text up: the next page.
        s.widget->RunCommand(forward ? CommandId::PageUp : CommandId::PageDown);
        s.Paint();
        total += Clock::now() - t0;
        ++n;
        if (n % 50 == 0) forward = !forward;
    }
    Report(state, total, n);
}

void BM_KeystrokeMiddle(benchmark::State& state) {
    Screen s(state.range(0) != 0);
    s.view->SetCaret(s.doc->lineCount() / 2, 0);
    s.widget->setFocus();
    s.widget->Refresh();
    s.Paint();
    Clock::duration total{};
    int64_t n = 0;
    for (auto _ : state) {
        const bool type = n % 2 == 0;  // type a letter, then take it back
        const auto t0 = Clock::now();
        QKeyEvent press(QEvent::KeyPress, type ? Qt::Key_A : Qt::Key_Backspace, Qt::NoModifier,
                        type ? QStringLiteral("a") : QString());
        QApplication::sendEvent(s.widget.get(), &press);
        s.Paint();
        total += Clock::now() - t0;
        ++n;
    }
    Report(state, total, n);
}

BENCHMARK(BM_OpenToFirstPaint)->Arg(0)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TextBotAndPaint)->Arg(0)->Arg(1)->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PageAndPaint)->Arg(0)->Arg(1)->Iterations(200)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_KeystrokeMiddle)->Arg(0)->Arg(1)->Iterations(400)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("NORV_ACP", "932", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
