// The edit view's display rules on screen: keyword, comment and address colours read back from
// the painted image, comment states after an edit above, the address commands, smooth
// scrolling, the scroll bars and the input method's text at the caret.
#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QScrollBar>
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
#include "gui/gui_test_support.h"
#include "platform/fakes/fake_clipboard.h"
#include "platform/fakes/headless_ui.h"
#include "support/temp_dir.h"

namespace norv::qt {
namespace {

using document::CodeChoice;
using testing::Iconv;

const QColor kKeyword(255, 0, 0);
const QColor kComment(0, 160, 0);
const QColor kUrl(0, 0, 255);

DisplayOptions Colours() {
    DisplayOptions d;
    d.crDisplay = false;
    d.eofDisplay = false;
    d.colors.keywords[0] = kKeyword;
    d.colors.keywords[2] = kComment;
    d.colors.url = kUrl;
    d.rollTimer = 10;
    return d;
}

// A C file's keyword file: group 0 keywords, group 2 comments.
std::shared_ptr<const view::SyntaxRules> CRules(const std::string& path) {
    app::KeywordFile f(932);
    app::ParseKeywordFile(
        "\x10"
        "C\t*.c\t2\n"
        "\x12"
        "Comments\t*.c\t2\n"
        " /*\t2\t*/\t1\t0\n"
        " //\t2\t\t1\t0\n"
        "int\t0\n"
        "return\t0\n",
        f);
    return std::make_shared<const view::SyntaxRules>(app::SyntaxRulesFor(f, path, 932));
}

struct Viewer {
    Viewer(const std::string& bytes, const std::string& name, DisplayOptions display = Colours())
        : shared(document::ProgramLineHeap()) {
        env.ui = &ui;
        env.codePage = 932;
        shared.ui = &ui;
        context.clipboard = &clipboard;
        doc = std::make_unique<document::CElwDoc>(env);
        EXPECT_EQ(doc->OpenDocument(dir.Write(name, bytes), CodeChoice::kDefault), 1);
        view::LayoutOptions layout;
        layout.codePage = doc->CodePage();
        view = std::make_unique<editing::CElwView>(*doc, doc->undo, shared, layout);
        selection = std::make_unique<editing::Selection>(*view, context);
        widget = std::make_unique<EditWidget>(*view, ChooseEditorFont(QString(), 12), display);
        widget->SetSelection(selection.get());
        widget->SetSyntaxRules(CRules(doc->path));
        widget->resize(720, 360);
        widget->show();
        widget->Refresh();
    }
    ~Viewer() {
        widget.reset();
        selection.reset();
        view.reset();
        shared.stack.Clear();
    }

    QImage Grab() {
        return widget->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }

    norv::testing::TempDir dir;
    platform::HeadlessUi ui;
    platform::FakeClipboard clipboard;
    editing::ClipboardContext context;
    document::DocumentEnvironment env;
    editing::EditorShared shared;
    std::unique_ptr<document::CElwDoc> doc;
    std::unique_ptr<editing::CElwView> view;
    std::unique_ptr<editing::Selection> selection;
    std::unique_ptr<EditWidget> widget;
};

// The colour of the ink in a cell: the pixel farthest from the background.
QColor InkOf(const QImage& img, const QRect& r) {
    const QColor back(img.pixel(r.right(), r.top()));
    QColor ink = back;
    int best = 0;
    for (int y = r.top(); y <= r.bottom(); ++y) {
        for (int x = r.left(); x <= r.right(); ++x) {
            const QColor c(img.pixel(x, y));
            const int d = std::abs(c.red() - back.red()) + std::abs(c.green() - back.green()) +
                          std::abs(c.blue() - back.blue());
            if (d > best) {
                best = d;
                ink = c;
            }
        }
    }
    return ink;
}

// Whether the ink is (nearly) the colour: antialiasing only blends it with the background.
bool Near(const QColor& ink, const QColor& want) {
    return std::abs(ink.red() - want.red()) < 90 && std::abs(ink.green() - want.green()) < 90 &&
           std::abs(ink.blue() - want.blue()) < 90;
}

TEST(EditViewDisplay, KeywordCommentAndUrlColoursAtTheirCells) {
    Viewer v("int a; /* open\r\nstill int */ return\r\nsee http://a.jp/x now\r\nx\r\n", "prog.c");
    v.view->SetCaret(4, 1);
    v.widget->Refresh();
    const QImage img = v.Grab();
    EditWidget& w = *v.widget;
    EXPECT_TRUE(Near(InkOf(img, w.CellRect(0, 0)), kKeyword));   // "int"
    EXPECT_TRUE(Near(InkOf(img, w.CellRect(0, 4)), Qt::black));  // "a"
    EXPECT_TRUE(Near(InkOf(img, w.CellRect(0, 7)), kComment));   // "/*"
    // The block carries into the next line; the keyword inside it takes its colour.
    EXPECT_TRUE(Near(InkOf(img, w.CellRect(1, 0)), kComment));
    EXPECT_TRUE(Near(InkOf(img, w.CellRect(1, 6)), kComment));
    EXPECT_TRUE(Near(InkOf(img, w.CellRect(1, 13)), kKeyword));  // "return" after "*/"
    EXPECT_TRUE(Near(InkOf(img, w.CellRect(2, 4)), kUrl));       // "http://a.jp/x"
    EXPECT_TRUE(Near(InkOf(img, w.CellRect(2, 16)), kUrl));
    // The "//" inside the address opens a line comment: the address keeps its colour and the
    // rest of the line is comment.
    EXPECT_TRUE(Near(InkOf(img, w.CellRect(2, 18)), kComment));  // "now"

    // A text file gets no keyword colours, but addresses still are painted.
    Viewer t("int a;\r\nsee http://a.jp/x\r\n", "notes.txt");
    const QImage timg = t.Grab();
    EXPECT_TRUE(Near(InkOf(timg, t.widget->CellRect(0, 0)), Qt::black));
    EXPECT_TRUE(Near(InkOf(timg, t.widget->CellRect(1, 4)), kUrl));
}

TEST(EditViewDisplay, CommentStatesFollowAnEditAbove) {
    std::string text;
    for (int i = 0; i < 60; ++i) text += "int line\r\n";
    Viewer v("/* a\r\n" + text, "prog.c");
    EditWidget& w = *v.widget;
    // Line 30 is inside the comment opened on line 1.
    v.view->ScrollTo(29);
    v.widget->Refresh();
    EXPECT_TRUE(Near(InkOf(v.Grab(), w.CellRect(0, 0)), kComment));
    // Deleting the opener on line 1 (out of sight) makes line 30 code again.
    v.view->SetCaret(1, 0);
    w.RunCommand(editing::CommandId::DeleteChar);
    w.RunCommand(editing::CommandId::DeleteChar);
    v.view->ScrollTo(29);
    w.Refresh();
    EXPECT_TRUE(Near(InkOf(v.Grab(), w.CellRect(0, 0)), kKeyword));
    // Typing it back in, then undoing, each repaint follows.
    v.view->SetCaret(1, 0);
    w.TypeText(QStringLiteral("/*"));
    v.view->ScrollTo(29);
    w.Refresh();
    EXPECT_TRUE(Near(InkOf(v.Grab(), w.CellRect(0, 0)), kComment));
    w.RunCommand(editing::CommandId::Undo);
    v.view->ScrollTo(29);
    w.Refresh();
    EXPECT_TRUE(Near(InkOf(v.Grab(), w.CellRect(0, 0)), kKeyword));
}

TEST(EditViewDisplay, AddressCommands) {
    Viewer v("mail me@b.jp or see http://a.jp/x.\r\n", "notes.txt");
    EditWidget& w = *v.widget;
    std::vector<std::string> started;
    w.startProgram = [&](const std::vector<std::string>& args) {
        started = args;
        return true;
    };
    // No address at the caret: nothing happens.
    v.view->SetCaret(1, 1);
    EXPECT_FALSE(w.RunAddressCommand(app::AddressCommand::OpenURL));
    EXPECT_TRUE(started.empty());

    v.view->SetCaret(1, 24);
    EXPECT_TRUE(w.RunAddressCommand(app::AddressCommand::SelectURL));
    ASSERT_TRUE(v.selection->active());
    EXPECT_EQ(v.selection->Block(), "http://a.jp/x");

    v.selection->Cancel();
    v.view->SetCaret(1, 7);
    EXPECT_TRUE(w.RunAddressCommand(app::AddressCommand::CopyURL));
    EXPECT_EQ(v.clipboard.content, "me@b.jp");

    EXPECT_TRUE(w.RunAddressCommand(app::AddressCommand::OpenURL));
    EXPECT_EQ(started, (std::vector<std::string>{"xdg-open", "mailto:me@b.jp"}));
    DisplayOptions d = w.displayOptions();
    d.urlProgram = "browser --tab %1";
    w.SetDisplayOptions(d);
    v.view->SetCaret(1, 30);
    EXPECT_TRUE(w.RunAddressCommand(app::AddressCommand::OpenURL));
    EXPECT_EQ(started, (std::vector<std::string>{"browser", "--tab", "http://a.jp/x"}));

    v.selection->Cancel();
    EXPECT_TRUE(w.RunAddressCommand(app::AddressCommand::CutURL));
    EXPECT_EQ(v.clipboard.content, "http://a.jp/x");
    EXPECT_EQ(v.view->LineContent(v.view->caretLine()), "mail me@b.jp or see .");
}

void Wait(int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 5);
}

TEST(EditViewDisplay, SmoothScrollingRunsUntilAKey) {
    std::string text;
    for (int i = 1; i <= 200; ++i) text += "line " + std::to_string(i) + "\r\n";
    Viewer v(text, "notes.txt");
    EditWidget& w = *v.widget;
    w.setFocus();
    EXPECT_TRUE(w.RunCommand(editing::CommandId::SlowRlup));
    EXPECT_TRUE(w.rolling());
    EXPECT_EQ(v.view->topRow(), 1);
    Wait(200);
    const int64_t moved = v.view->topRow();
    EXPECT_GT(moved, 2);
    // Any key stops it; a lone modifier does not.
    testing::Key(&w, Qt::Key_Control, Qt::ControlModifier);
    EXPECT_TRUE(w.rolling());
    testing::Key(&w, Qt::Key_Right);
    EXPECT_FALSE(w.rolling());
    const int64_t stopped = v.view->topRow();
    Wait(60);
    EXPECT_EQ(v.view->topRow(), stopped);
    // Rolling down stops at the top of the text.
    w.RunCommand(editing::CommandId::SlowRldn);
    QElapsedTimer limit;
    limit.start();
    while (w.rolling() && limit.elapsed() < 10000) Wait(10);
    EXPECT_EQ(v.view->topRow(), 0);
    EXPECT_FALSE(w.rolling());
}

TEST(EditViewDisplay, ScrollBarsFollowTheirSettings) {
    DisplayOptions d = Colours();
    d.hScrollBar = true;
    d.vScrollBar = false;
    Viewer v("x\r\n", "notes.txt", d);
    EditWidget& w = *v.widget;
    view::LayoutOptions layout = v.view->layout().options();
    layout.wrapColumn = 200;
    v.view->SetLayout(layout);
    w.Refresh();
    EXPECT_EQ(w.horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(w.verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    QScrollBar* h = w.horizontalScrollBar();
    EXPECT_EQ(h->maximum(), 200 - v.view->windowColumns() + 1);
    h->setValue(30);
    EXPECT_EQ(v.view->leftColumn(), 30);
    // The wheel sideways moves the columns back.
    QWheelEvent wheel(QPointF(50, 50), QPointF(50, 50), QPoint(), QPoint(120, 0), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(w.viewport(), &wheel);
    EXPECT_EQ(v.view->leftColumn(), 27);
    EXPECT_EQ(h->value(), 27);
}

TEST(EditViewDisplay, PreeditStandsAtTheCaret) {
    Viewer v("ab\r\n", "notes.txt");
    EditWidget& w = *v.widget;
    w.setFocus();
    v.view->SetCaret(1, 1);
    w.Refresh();
    const QRect caret = w.CellRect(0, 1).translated(w.viewport()->pos());
    const QWidget& asWidget = w;
    EXPECT_EQ(asWidget.inputMethodQuery(Qt::ImCursorRectangle).toRect().topLeft(), caret.topLeft());
    QList<QInputMethodEvent::Attribute> attrs;
    attrs << QInputMethodEvent::Attribute(QInputMethodEvent::Cursor, 1, 1);
    QInputMethodEvent preedit(QString::fromUtf8("にほん"), attrs);
    QApplication::sendEvent(&w, &preedit);
    // The candidate window goes beside the composing cursor, after the first character.
    const QRect r = asWidget.inputMethodQuery(Qt::ImCursorRectangle).toRect();
    const QFont font = asWidget.inputMethodQuery(Qt::ImFont).value<QFont>();
    EXPECT_EQ(r.top(), caret.top());
    EXPECT_EQ(r.left(),
              caret.left() + QFontMetrics(font).horizontalAdvance(QString::fromUtf8("に")));
    // The composed text is painted at the caret and the document is untouched.
    const QImage img = v.Grab();
    EXPECT_NE(QColor(InkOf(img, w.CellRect(0, 2))), QColor(img.pixel(w.CellRect(0, 30).center())));
    EXPECT_EQ(v.view->LineContent(v.view->caretLine()), "ab");
    QInputMethodEvent commit;
    commit.setCommitString(QString::fromUtf8("日本"));
    QApplication::sendEvent(&w, &commit);
    EXPECT_EQ(v.view->LineContent(v.view->caretLine()), "a" + Iconv("CP932", "日本") + "b");
}

TEST(EditViewDisplay, ScreenshotOfAWrappedJapaneseParagraph) {
    const std::string paragraph =
        "　吾輩は猫である。名前はまだ無い。どこで生れたかとんと見当がつかぬ。何でも薄暗いじめじめ"
        "した所でニャーニャー泣いていた事だけは記憶している。吾輩はここで始めて人間というものを見"
        "た。しかもあとで聞くとそれは書生という人間中で一番獰悪な種族であったそうだ。この書生とい"
        "うのは時々我々を捕えて煮て食うという話である。しかしその当時は何という考もなかったから別"
        "段恐しいとも思わなかった。";
    Viewer v(Iconv("CP932",
                   paragraph + "\r\n\r\n" + "Wrapped at column 60: see http://example.jp/.\r\n"),
             "paragraph.txt", DisplayOptions{});
    view::LayoutOptions layout = v.view->layout().options();
    layout.wrapColumn = 60;
    v.view->SetLayout(layout);
    v.widget->resize(640, 300);
    v.view->SetCaret(3, 0);
    v.widget->Refresh();
    // The paragraph is one line shown in several rows, none wider than the wrap column.
    const int rows = v.view->RowsOf(v.doc->lines().first());
    EXPECT_GE(rows, 6);
    for (const auto& row : v.view->VisibleRows()) {
        if (row.lineNumber != 1) continue;
        EXPECT_LE(v.view->layout().RowWidth(v.view->TextOf(row.line), row.start), 62);
    }
    const QString folder = QStringLiteral(NORV_BINARY_DIR "/gui-screenshots");
    QDir().mkpath(folder);
    ASSERT_TRUE(v.Grab().save(folder + QStringLiteral("/wrapped-paragraph.png")));
}

}  // namespace
}  // namespace norv::qt
