// One document in several windows and in the two panes of a split window, through the real
// widgets: what is typed in one shows in the other, lines deleted under another window's caret,
// undo through any of them, the window titles and tabs, and closing without a needless question.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QTabBar>
#include <string>

#include "gui/frame/doc_window.h"
#include "gui/frame/main_frame.h"
#include "gui/gui_test_support.h"
#include "platform/fakes/headless_ui.h"
#include "support/temp_dir.h"

namespace norv::qt {
namespace {

using editing::CommandId;
using F = app::FrameCommandId;
using testing::DocumentBytes;
using testing::Key;
using testing::TypeKeys;

// A view's caret is a line of its document, and its rows add up to the document's.
void ExpectSound(const editing::CElwView& v) {
    const document::LineList& lines = v.doc().lines();
    EXPECT_EQ(lines.LineAt(v.caretLineNumber()), v.caretLine());
    int64_t rows = 0;
    for (const document::LineRecord* r = lines.first(); r; r = r->next) rows += r->rows;
    EXPECT_EQ(rows, v.totalRows());
    EXPECT_LT(v.topRow(), std::max<int64_t>(1, v.totalRows()));
}

void Settle() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QApplication::processEvents();
}

std::string Lines(int n) {
    std::string s;
    for (int i = 1; i <= n; ++i) s += "line " + std::to_string(i) + (i < n ? "\n" : "");
    return s;
}

TEST(MultiWindow, SplitPanesShowEachOthersTypingAndScrollEachOther) {
    norv::testing::TempDir dir;
    platform::HeadlessUi ui;
    MainFrame frame(&ui);
    frame.resize(700, 600);
    frame.show();
    DocWindow* w = frame.OpenFile(dir.Write("s.txt", Lines(60)));
    ASSERT_NE(w, nullptr);
    frame.RunFrameCommand(F::Split, 0);
    ASSERT_EQ(w->paneCount(), 2);
    EXPECT_NE(&w->paneEditor(0).view(), &w->paneEditor(1).view());
    Settle();

    const QImage before = w->paneEditor(0).grab().toImage();
    w->FocusPane(1);
    EXPECT_EQ(w->activePane(), 1);
    TypeKeys(&w->paneEditor(1), "xy");
    Key(&w->paneEditor(1), Qt::Key_Return);
    Settle();
    editing::CElwView& top = w->paneEditor(0).view();
    EXPECT_EQ(top.LineContent(top.doc().lines().first()), "xy");
    EXPECT_EQ(top.totalRows(), 61);
    EXPECT_NE(w->paneEditor(0).grab().toImage(), before);  // the other pane painted it
    ExpectSound(top);
    ExpectSound(w->view());

    // A picture of the split window for a person to look at.
    frame.grab().save(QStringLiteral(NORV_BINARY_DIR "/split_window.png"));

    // RlupAnother scrolls the other pane.
    w->editor().RunCommand(CommandId::AnothRollUp);
    EXPECT_EQ(top.topRow(), 1);

    // Next Pane goes to the first pane of the next window when this pane is the last.
    DocWindow* other = frame.OpenFile(dir.Write("o.txt", "other"));
    ASSERT_NE(other, nullptr);
    ASSERT_EQ(frame.ActiveWindow(), other);
    frame.RunFrameCommand(F::NextPane, 0);
    EXPECT_EQ(frame.ActiveWindow(), w);
    EXPECT_EQ(w->activePane(), 0);
    frame.RunFrameCommand(F::NextPane, 0);
    EXPECT_EQ(w->activePane(), 1);

    // Split again: the pane in use stays, with its caret.
    frame.RunFrameCommand(F::Split, 0);
    ASSERT_EQ(w->paneCount(), 1);
    EXPECT_EQ(w->view().caretLineNumber(), 2);
    TypeKeys(&w->editor(), "z");
    EXPECT_EQ(DocumentBytes(w->view()).substr(0, 10), "xy\nzline 1");
    frame.RunFrameCommand(F::NextPane, 0);
    EXPECT_EQ(frame.ActiveWindow(), other);
}

TEST(MultiWindow, KeysGoToThePaneTheyReachAndAltDownScrollsTheOtherWindow) {
    norv::testing::TempDir dir;
    platform::HeadlessUi ui;
    MainFrame frame(&ui);
    frame.resize(700, 600);
    frame.show();
    DocWindow* w = frame.OpenFile(dir.Write("k.txt", Lines(40)));
    ASSERT_NE(w, nullptr);
    w->ToggleSplit();
    w->FocusPane(1);
    // A key that reaches the upper pane is that pane's, whatever had the focus before.
    TypeKeys(&w->paneEditor(0), "u");
    EXPECT_EQ(w->activePane(), 0);
    EXPECT_EQ(w->paneEditor(0).view().caretPos(), 1u);
    EXPECT_EQ(w->paneEditor(1).view().caretPos(), 0u);
    // Alt+Down (RlupAnother) in the lower pane scrolls the upper one.
    Key(&w->paneEditor(1), Qt::Key_Down, Qt::AltModifier);
    EXPECT_EQ(w->paneEditor(0).view().topRow(), 1);
    EXPECT_EQ(w->paneEditor(1).view().topRow(), 0);
    // Unsplit: two windows side by side scroll each other instead.
    w->ToggleSplit();
    DocWindow* other = frame.OpenFile(dir.Write("l.txt", Lines(40)));
    ASSERT_NE(other, nullptr);
    Key(&other->editor(), Qt::Key_Down, Qt::AltModifier);
    EXPECT_EQ(w->view().topRow(), 1);
    EXPECT_EQ(other->view().topRow(), 0);
}

TEST(MultiWindow, NewWindowNumbersTheTitlesAndTabs) {
    norv::testing::TempDir dir;
    platform::HeadlessUi ui;
    MainFrame frame(&ui);
    frame.show();
    DocWindow* a = frame.OpenFile(dir.Write("t.txt", "one\ntwo"));
    ASSERT_NE(a, nullptr);
    const QString name = a->windowTitle();
    a->view().SetCaret(2, 1);
    frame.RunFrameCommand(F::NewWindow, 0);
    ASSERT_EQ(frame.Windows().size(), 2u);
    DocWindow* b = frame.Windows()[1];
    EXPECT_EQ(&b->doc(), &a->doc());
    EXPECT_EQ(b->view().caretLineNumber(), 2);  // the new window starts where the old one was
    EXPECT_EQ(a->windowTitle(), name + ":1");
    EXPECT_EQ(b->windowTitle(), name + ":2");
    ASSERT_EQ(frame.tabStrip()->count(), 2);
    EXPECT_EQ(frame.tabStrip()->tabText(0), name + ":1");
    EXPECT_EQ(frame.tabStrip()->tabText(1), name + ":2");
    // A modified mark reaches both titles.
    TypeKeys(&b->editor(), "q");
    EXPECT_TRUE(a->windowTitle().endsWith(QStringLiteral("*:1"))) << a->windowTitle().toStdString();
    // A new document counts once, however many windows show it.
    EXPECT_EQ(frame.DocumentCount(), 1);
    ASSERT_TRUE(a->parentWidget()->close());
    Settle();
    ASSERT_EQ(frame.Windows().size(), 1u);
    EXPECT_FALSE(frame.Windows()[0]->windowTitle().contains(QLatin1Char(':')));
}

TEST(MultiWindow, LinesDeletedUnderTheOtherWindowsCaretAndUndoneThere) {
    norv::testing::TempDir dir;
    platform::HeadlessUi ui;
    MainFrame frame(&ui);
    frame.show();
    const std::string original = Lines(8);
    DocWindow* a = frame.OpenFile(dir.Write("d.txt", original));
    ASSERT_NE(a, nullptr);
    DocWindow* b = frame.NewWindow(*a);
    ASSERT_NE(b, nullptr);
    b->view().SetCaret(4, 3);
    b->view().ScrollTo(3);
    // The first window types on line 3, then deletes lines 3 to 5 (the other caret's line).
    a->view().SetCaret(3, 0);
    TypeKeys(&a->editor(), "new ");
    for (int i = 0; i < 3; ++i) a->editor().RunCommand(CommandId::DeleteLine);
    Settle();
    ExpectSound(b->view());
    EXPECT_EQ(b->view().caretLineNumber(), 3);
    EXPECT_EQ(b->view().LineContent(b->view().caretLine()), "line 6");
    b->editor().grab();  // paints the rows it now holds
    // Undo through the other window, all the way.
    for (int i = 0; i < 10; ++i) b->editor().RunCommand(CommandId::Undo);
    Settle();
    EXPECT_EQ(DocumentBytes(b->view()), original);
    EXPECT_FALSE(a->doc().modified);
    ExpectSound(a->view());
    ExpectSound(b->view());
    // Redo through the first window, and the second follows again.
    for (int i = 0; i < 10; ++i) a->editor().RunCommand(CommandId::Redo);
    ExpectSound(b->view());
    EXPECT_EQ(DocumentBytes(a->view()), "line 1\nline 2\nline 6\nline 7\nline 8");
}

TEST(MultiWindow, ReloadStartsEveryWindowOfTheDocumentAgain) {
    norv::testing::TempDir dir;
    platform::HeadlessUi ui;
    MainFrame frame(&ui);
    frame.show();
    const std::string path = dir.Write("r.txt", Lines(20));
    DocWindow* a = frame.OpenFile(path);
    ASSERT_NE(a, nullptr);
    DocWindow* b = frame.NewWindow(*a);
    a->ToggleSplit();
    b->view().SetCaret(18, 2);
    dir.Write("r.txt", "short");
    frame.Reload(*a);
    Settle();
    for (DocWindow* w : {a, b}) {
        for (int i = 0; i < w->paneCount(); ++i) {
            ExpectSound(w->paneEditor(i).view());
            EXPECT_EQ(w->paneEditor(i).view().caretLineNumber(), 1);
            w->paneEditor(i).grab();
        }
    }
    EXPECT_EQ(DocumentBytes(b->view()), "short");
}

TEST(MultiWindow, ClosingOneOfTwoWindowsOfAModifiedDocumentDoesNotAsk) {
    norv::testing::TempDir dir;
    platform::HeadlessUi ui;
    MainFrame frame(&ui);
    frame.show();
    const std::string path = dir.Write("c.txt", "text");
    DocWindow* a = frame.OpenFile(path);
    ASSERT_NE(a, nullptr);
    DocWindow* b = frame.NewWindow(*a);
    TypeKeys(&a->editor(), "new ");
    ASSERT_TRUE(a->doc().modified);
    // The window's own close box closes the window, not the document.
    EXPECT_TRUE(a->parentWidget()->close());
    Settle();
    EXPECT_TRUE(ui.messages.empty());
    ASSERT_EQ(frame.Windows().size(), 1u);
    EXPECT_TRUE(b->doc().modified);
    EXPECT_EQ(DocumentBytes(b->view()), "new text");
    // The last window asks as always; No leaves the file as it was.
    ui.QueueAnswer(platform::kIdNo);
    EXPECT_TRUE(frame.FileClose(*b));
    Settle();
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].rfind("Save changes to ", 0), 0u);
    EXPECT_EQ(norv::testing::ReadFileBytes(path), "text");
    EXPECT_TRUE(frame.Windows().empty());
}

// Close (CloseFile) closes the document: both of its windows, after one question.
TEST(MultiWindow, CloseFileClosesEveryWindowOfTheDocument) {
    norv::testing::TempDir dir;
    platform::HeadlessUi ui;
    MainFrame frame(&ui);
    frame.show();
    const std::string path = dir.Write("d.txt", "text");
    DocWindow* a = frame.OpenFile(path);
    ASSERT_NE(a, nullptr);
    DocWindow* other = frame.OpenFile(dir.Write("e.txt", "other"));
    ASSERT_NE(other, nullptr);
    DocWindow* b = frame.NewWindow(*a);
    ASSERT_NE(b, nullptr);
    TypeKeys(&b->editor(), "new ");
    ui.QueueAnswer(platform::kIdCancel);
    EXPECT_FALSE(frame.FileClose(*b));
    Settle();
    // Cancel keeps the document, in the window the command came from.
    ASSERT_EQ(ui.messages.size(), 1u);
    ASSERT_EQ(frame.Windows().size(), 2u);
    EXPECT_EQ(DocumentBytes(frame.Windows().back()->view()), "new text");
    ui.QueueAnswer(platform::kIdNo);
    EXPECT_TRUE(frame.FileClose(*frame.Windows().back()));
    Settle();
    EXPECT_EQ(ui.messages.size(), 2u);
    ASSERT_EQ(frame.Windows().size(), 1u);
    EXPECT_EQ(frame.Windows()[0], other);
    EXPECT_EQ(norv::testing::ReadFileBytes(path), "text");
}

}  // namespace
}  // namespace norv::qt
