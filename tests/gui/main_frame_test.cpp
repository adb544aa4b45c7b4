// The main frame through its real windows and dialogs: typing, saving through the Save As
// dialog with the code list, reopening, and the question asked when a modified window closes.
#include "gui/frame/main_frame.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QImage>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QTabBar>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "gui/dialogs/file_dialogs.h"
#include "gui/frame/doc_window.h"
#include "gui/gui_test_support.h"
#include "platform/fakes/headless_ui.h"
#include "support/temp_dir.h"

namespace norv::qt {
namespace {

using testing::Commit;
using testing::DocumentBytes;
using testing::Iconv;
using testing::Key;
using testing::TypeKeys;

// Runs `fill` on the next file dialog that opens (modal dialogs run their own event loop).
void WhenDialogOpens(std::function<void(QFileDialog&)> fill) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, fill] {
        if (auto* d = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            fill(*d);
        }
    });
    timer->start();
}

void FlushDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST(MainFrame, TypeThenSaveAsEucThroughTheDialogAndReopen) {
    norv::testing::TempDir dir;
    platform::HeadlessUi ui;
    MainFrame frame(&ui);
    frame.show();
    DocWindow* w = frame.OpenFile(dir.Write("in.txt", Iconv("CP932", "最初の行\r\nsecond")));
    ASSERT_NE(w, nullptr);
    QWidget* editor = &w->editor();

    Key(editor, Qt::Key_End);
    TypeKeys(editor, "abc");
    Commit(editor, QStringLiteral("日本語"));
    Key(editor, Qt::Key_Return);
    TypeKeys(editor, "xyz");
    Key(editor, Qt::Key_Backspace);
    const std::string typed = "最初の行abc日本語\nxy\nsecond";
    ASSERT_EQ(DocumentBytes(w->view()), Iconv("CP932", typed));
    EXPECT_TRUE(w->doc().modified);

    // Undo takes something back, redo brings exactly that back.
    Key(editor, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_NE(DocumentBytes(w->view()), Iconv("CP932", typed));
    Key(editor, Qt::Key_Y, Qt::ControlModifier);
    ASSERT_EQ(DocumentBytes(w->view()), Iconv("CP932", typed));

    const std::string out = dir.File("out-euc.txt");
    bool bomEnabledForEuc = true;
    WhenDialogOpens([&](QFileDialog& d) {
        auto* codes = d.findChild<QComboBox*>(QtFileDialogs::kCodeListName);
        auto* bom = d.findChild<QCheckBox*>(QtFileDialogs::kAddBomName);
        ASSERT_TRUE(codes && bom);
        EXPECT_EQ(codes->itemText(2), QStringLiteral("EUC"));
        codes->setCurrentIndex(2);
        bomEnabledForEuc = bom->isEnabled();
        d.selectFile(QString::fromStdString(out));
        static_cast<QDialog&>(d).accept();
    });
    ASSERT_TRUE(frame.FileSave(*w, true));
    EXPECT_FALSE(bomEnabledForEuc);
    EXPECT_EQ(norv::testing::ReadFileBytes(out), Iconv("EUC-JP", typed));
    EXPECT_FALSE(w->doc().modified);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("out-euc.txt"));

    DocWindow* again = frame.OpenFile(out);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->doc().code, document::TextCode::kEuc);
    EXPECT_EQ(DocumentBytes(again->view()), Iconv("CP932", typed));
    EXPECT_TRUE(ui.messages.empty()) << ui.messages.front();
}

TEST(MainFrame, ClosingAModifiedWindowAsksAndAFailedSaveKeepsIt) {
    static const struct {
        const char* name;
        int answer;
        bool folderGone;  // the save fails
        bool closed;
    } kCases[] = {
        {"cancel keeps the window", platform::kIdCancel, false, false},
        {"no discards the changes", platform::kIdNo, false, true},
        {"yes saves and closes", platform::kIdYes, false, true},
        {"yes with a failing save keeps the window and its changes", platform::kIdYes, true, false},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        norv::testing::TempDir dir;
        const std::string folder = dir.File("sub");
        std::filesystem::create_directory(folder);
        const std::string path = folder + "/t.txt";
        { std::ofstream(path) << "text"; }
        platform::HeadlessUi ui;
        MainFrame frame(&ui);
        DocWindow* w = frame.OpenFile(path);
        ASSERT_NE(w, nullptr);
        TypeKeys(&w->editor(), "new ");
        if (c.folderGone) std::filesystem::remove_all(folder);
        ui.QueueAnswer(c.answer);
        const bool closed = frame.FileClose(*w);
        FlushDeletes();
        EXPECT_EQ(closed, c.closed);
        ASSERT_EQ(ui.messages.size(), c.folderGone ? 2u : 1u);
        EXPECT_EQ(ui.messages[0].rfind("Save changes to ", 0), 0u) << ui.messages[0];
        EXPECT_EQ(frame.Windows().size(), c.closed ? 0u : 1u);
        if (!c.closed) EXPECT_TRUE(frame.Windows().front()->doc().modified);
        if (c.answer == platform::kIdYes && !c.folderGone)
            EXPECT_EQ(norv::testing::ReadFileBytes(path), "new text");
        if (c.answer == platform::kIdNo) EXPECT_EQ(norv::testing::ReadFileBytes(path), "text");
    }
}

}  // namespace
}  // namespace norv::qt

namespace norv::qt {
namespace {

TEST(MainFrame, CharacterCodeMenuKeepsTheViewOnTheDocument) {
    using document::TextCode;
    static const struct {
        const char* name;
        const char* text;  // UTF-8, written as Shift-JIS
        TextCode target;
        int changed;         // SetCharacterCode's answer
        int layoutCodePage;  // the view's character rules afterwards
    } kCases[] = {
        {"ASCII text to UTF-8 takes the UTF-8 rules", "plain", TextCode::kUtf8, 1, 65000},
        {"Japanese text cannot cross to Unicode", "日本", TextCode::kUcs2Le, 0, 932},
        {"Shift-JIS to JIS keeps the ANSI rules", "日本", TextCode::kJis, 1, 932},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        norv::testing::TempDir dir;
        platform::HeadlessUi ui;
        ui.QueueAnswer(platform::kIdNo);  // no Kanji code check
        MainFrame frame(&ui);
        DocWindow* w = frame.OpenFile(dir.Write("t.txt", Iconv("CP932", c.text)));
        ASSERT_NE(w, nullptr);
        frame.SetCharacterCode(*w, c.target, false);
        EXPECT_EQ(w->doc().code == c.target, c.changed == 1);
        EXPECT_EQ(w->view().layout().codePage(), c.layoutCodePage);
        TypeKeys(&w->editor(), "x");
        EXPECT_EQ(DocumentBytes(w->view()), "x" + Iconv("CP932", c.text));
    }
}

// Check Kanji Code converting a text that was read with the wrong code replaces the lines under
// an open view: the view must go on editing the new lines, and undo must bring the old ones back.
TEST(MainFrame, KanjiCodeConversionIsOneUndoableEditOfTheView) {
    norv::testing::TempDir dir;
    platform::HeadlessUi ui;
    MainFrame frame(&ui);
    const std::string text = "漢字のテキスト\n二行目です\n";
    const std::string euc = Iconv("EUC-JP", text);
    DocWindow* w = frame.OpenFile(dir.Write("t.txt", euc), document::CodeChoice::kAnsi);
    ASSERT_NE(w, nullptr);
    Key(&w->editor(), Qt::Key_Down);
    ui.QueueAnswer(platform::kIdYes);  // check the Kanji code
    ui.QueueAnswer(platform::kIdYes);  // convert
    frame.SetCharacterCode(*w, document::TextCode::kAnsi, false);
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_NE(ui.messages[1].find("EUC"), std::string::npos) << ui.messages[1];
    EXPECT_EQ(DocumentBytes(w->view()), Iconv("CP932", text));
    TypeKeys(&w->editor(), "z");
    EXPECT_EQ(DocumentBytes(w->view()), "z" + Iconv("CP932", text));
    Key(&w->editor(), Qt::Key_Z, Qt::ControlModifier);
    Key(&w->editor(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(DocumentBytes(w->view()), euc);
}

}  // namespace
}  // namespace norv::qt

namespace norv::qt {
namespace {

// A file changed by another program while its window holds an edited line: reloading replaces
// every record under the view, which must then work on the new ones.
TEST(MainFrame, ChangedOnDiskQuestionReloadsUnderTheView) {
    static const struct {
        const char* name;
        int reload;       // answer to the changed-on-disk question
        int loseChanges;  // answer to the question about the unsaved edit
    } kCases[] = {
        {"reloaded", platform::kIdYes, platform::kIdYes},
        {"edits kept when changes are not to be lost", platform::kIdYes, platform::kIdNo},
        {"not reloaded", platform::kIdNo, platform::kIdYes},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        norv::testing::TempDir dir;
        platform::HeadlessUi ui;
        MainFrame frame(&ui);
        const std::string path = dir.Write("t.txt", "1\nfirst\nsecond");
        DocWindow* w = frame.OpenFile(path);
        ASSERT_NE(w, nullptr);
        TypeKeys(&w->editor(), "x");
        dir.Write("t.txt", "1\nother\nlines and more");
        ui.QueueAnswer(c.reload);
        ui.QueueAnswer(c.loseChanges);
        frame.CheckChangedOnDisk(*w);
        EXPECT_EQ(ui.messages.size(), c.reload == platform::kIdYes ? 2u : 1u);
        // The caret line is edited again after whatever happened.
        Key(&w->editor(), Qt::Key_Home, Qt::ControlModifier);
        TypeKeys(&w->editor(), "x");
        std::string text = DocumentBytes(w->view());
        if (c.reload == platform::kIdYes && c.loseChanges == platform::kIdYes) {
            EXPECT_EQ(text, "x1\nother\nlines and more");
        } else {
            EXPECT_EQ(text, "xx1\nfirst\nsecond");
        }
        // The view's rows match the document.
        EXPECT_EQ(w->view().totalRows(), w->doc().lineCount());
    }
}

}  // namespace
}  // namespace norv::qt

namespace norv::qt {
namespace {

// Pictures of the frame with a document and of the Open dialog with its code list, for people
// to look at (written into the build folder).
TEST(MainFrame, ScreenshotsOfTheFrameAndTheOpenDialog) {
    const QString folder = QStringLiteral(NORV_BINARY_DIR "/gui-screenshots");
    QDir().mkpath(folder);
    norv::testing::TempDir dir;
    platform::HeadlessUi ui;
    MainFrame frame(&ui);
    frame.resize(900, 420);
    frame.show();
    DocWindow* w = frame.OpenFile(
        dir.Write("sample.txt",
                  Iconv("CP932",
                        "吾輩は猫である。名前はまだ無い。\r\nどこで生れたかとんと見当がつかぬ。\r\n"
                        "\tTabbed line, ASCII text.\r\n")));
    ASSERT_NE(w, nullptr);
    Key(&w->editor(), Qt::Key_Right);
    Key(&w->editor(), Qt::Key_Right);
    frame.activateWindow();
    w->editor().setFocus();
    QApplication::processEvents();
    EXPECT_TRUE(frame.grab().save(folder + QStringLiteral("/frame-sjis.png")));

    bool readOnlyBox = false;
    QStringList codes;
    WhenDialogOpens([&](QFileDialog& d) {
        d.resize(760, 460);
        auto* list = d.findChild<QComboBox*>(QtFileDialogs::kCodeListName);
        ASSERT_NE(list, nullptr);
        for (int i = 0; i < list->count(); ++i) codes << list->itemText(i);
        readOnlyBox = d.findChild<QCheckBox*>(QtFileDialogs::kReadOnlyName) != nullptr;
        list->setCurrentIndex(6);
        d.grab().save(folder + QStringLiteral("/open-dialog.png"));
        d.reject();
    });
    EXPECT_FALSE(frame.FileOpen());
    EXPECT_EQ(codes, CodeListLabels(932));
    EXPECT_TRUE(readOnlyBox);
}

}  // namespace
}  // namespace norv::qt

namespace norv::qt {
namespace {

// A new window already has its title when it becomes the active one (what the view-active
// event of the resident scripts and the window list see), with the frame shown or not.
TEST(MainFrame, ANewWindowHasItsTitleWhenItBecomesActive) {
    for (const bool shown : {false, true}) {
        norv::testing::TempDir dir;
        platform::HeadlessUi ui;
        MainFrame frame(&ui);
        if (shown) frame.show();
        QMdiArea* area = frame.findChild<QMdiArea*>();
        ASSERT_NE(area, nullptr);
        QStringList titles;
        QObject::connect(area, &QMdiArea::subWindowActivated, [&titles](QMdiSubWindow* sub) {
            if (sub && sub->widget()) titles << sub->widget()->windowTitle();
        });
        ASSERT_NE(frame.OpenFile(dir.Write("first.txt", "1")), nullptr);
        ASSERT_NE(frame.OpenFile(dir.Write("second.txt", "2")), nullptr);
        EXPECT_EQ(titles, (QStringList{"first.txt", "second.txt"})) << shown;
        EXPECT_EQ(frame.tabStrip()->currentIndex(), 1) << shown;
    }
}

TEST(MainFrame, TabStripFollowsTheWindows) {
    norv::testing::TempDir dir;
    platform::HeadlessUi ui;
    MainFrame frame(&ui);
    frame.show();
    DocWindow* a = frame.OpenFile(dir.Write("a.txt", "aaa"));
    DocWindow* b = frame.OpenFile(dir.Write("b.txt", "bbb"));
    ASSERT_TRUE(a && b);
    QTabBar* tabs = frame.tabStrip();
    ASSERT_EQ(tabs->count(), 2);
    EXPECT_EQ(tabs->tabText(0), QStringLiteral("a.txt"));
    EXPECT_EQ(tabs->tabText(1), QStringLiteral("b.txt"));
    EXPECT_EQ(tabs->currentIndex(), 1);

    TypeKeys(&b->editor(), "x");
    EXPECT_EQ(tabs->tabText(1), QStringLiteral("b.txt*"));

    emit tabs->tabBarClicked(0);
    EXPECT_EQ(frame.ActiveWindow(), a);
    EXPECT_EQ(tabs->currentIndex(), 0);

    ui.QueueAnswer(platform::kIdNo);
    ASSERT_TRUE(frame.FileClose(*b));
    FlushDeletes();
    ASSERT_EQ(tabs->count(), 1);
    EXPECT_EQ(tabs->tabText(0), QStringLiteral("a.txt"));
}

// Setting a tab's text lays the bar out again: a window's title change touches its own tab
// alone, and a window added sets no other tab.
TEST(MainFrame, AWindowsTitleSetsOnlyItsOwnTab) {
    norv::testing::TempDir dir;
    platform::HeadlessUi ui;
    MainFrame frame(&ui);
    frame.show();
    DocWindow* a = frame.OpenFile(dir.Write("a.txt", "aaa"));
    ASSERT_TRUE(a);
    QTabBar* tabs = frame.tabStrip();
    // A text no title gives, which only a setting of the tab's text would replace.
    tabs->setTabText(0, QStringLiteral("untouched"));
    for (const char* name : {"b.txt", "c.txt", "d.txt"})
        ASSERT_TRUE(frame.OpenFile(dir.Write(name, "x")));
    ASSERT_EQ(tabs->count(), 4);
    EXPECT_EQ(tabs->tabText(0), QStringLiteral("untouched"));
    EXPECT_EQ(tabs->tabText(3), QStringLiteral("d.txt")) << "a new tab has its title at once";
    TypeKeys(&frame.Windows()[2]->editor(), "y");
    EXPECT_EQ(tabs->tabText(2), QStringLiteral("c.txt*"));
    EXPECT_EQ(tabs->tabText(0), QStringLiteral("untouched"));
    // Its own title still reaches it.
    TypeKeys(&a->editor(), "z");
    EXPECT_EQ(tabs->tabText(0), QStringLiteral("a.txt*"));
    EXPECT_EQ(tabs->tabText(1), QStringLiteral("b.txt"));
}

}  // namespace
}  // namespace norv::qt

namespace norv::qt {
namespace {

// The closing commands end only after every save they needed has succeeded.
TEST(MainFrame, SavingCommandsCloseOnlyWhatWasSaved) {
    enum class Op { kSaveClose, kAllSave, kAllSaveQuit };
    static const struct {
        const char* name;
        Op op;
        bool secondFails;  // the second document's folder is gone
        bool result;
        size_t windowsLeft;
    } kCases[] = {
        {"save&close saves and closes", Op::kSaveClose, false, true, 1},
        {"all save keeps the windows", Op::kAllSave, false, true, 2},
        {"all save reports a failure but saves the others", Op::kAllSave, true, false, 2},
        {"all save and quit closes everything", Op::kAllSaveQuit, false, true, 0},
        {"all save and quit stays when a save fails", Op::kAllSaveQuit, true, false, 2},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        norv::testing::TempDir dir;
        std::filesystem::create_directory(dir.File("one"));
        std::filesystem::create_directory(dir.File("two"));
        const std::string first = dir.File("one/a.txt"), second = dir.File("two/b.txt");
        { std::ofstream(first) << "a"; }
        { std::ofstream(second) << "b"; }
        platform::HeadlessUi ui;
        MainFrame frame(&ui);
        DocWindow* a = frame.OpenFile(first);
        DocWindow* b = frame.OpenFile(second);
        ASSERT_TRUE(a && b);
        TypeKeys(&a->editor(), "1");
        TypeKeys(&b->editor(), "2");
        if (c.secondFails) std::filesystem::remove_all(dir.File("two"));
        bool result = false;
        switch (c.op) {
            case Op::kSaveClose:
                result = frame.SaveClose(*a);
                break;
            case Op::kAllSave:
                result = frame.AllSave();
                break;
            case Op::kAllSaveQuit:
                result = frame.AllSaveQuit();
                break;
        }
        FlushDeletes();
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(frame.Windows().size(), c.windowsLeft);
        EXPECT_EQ(norv::testing::ReadFileBytes(first), "1a");
        if (!c.secondFails && c.op != Op::kSaveClose)
            EXPECT_EQ(norv::testing::ReadFileBytes(second), "2b");
        for (DocWindow* w : frame.Windows())
            EXPECT_EQ(w->doc().modified,
                      w->doc().path == second && (c.secondFails || c.op == Op::kSaveClose));
    }
}

}  // namespace
}  // namespace norv::qt

namespace norv::qt {
namespace {

bool CellHasColour(const QImage& img, const QRect& r, const QColor& colour) {
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (QColor(img.pixel(x, y)) == colour) return true;
    return false;
}

// Shift extends a selection that is painted, copied to the system clipboard as Unicode, and
// text another program put there is pasted in the document's code.
TEST(MainFrame, ShiftSelectionCopyAndPasteThroughTheSystemClipboard) {
    norv::testing::TempDir dir;
    platform::HeadlessUi ui;
    MainFrame frame(&ui);
    frame.show();
    DocWindow* w = frame.OpenFile(dir.Write("t.txt", Iconv("CP932", "abc日本\r\nxyz")));
    ASSERT_NE(w, nullptr);
    EditWidget& e = w->editor();
    for (int i = 0; i < 4; ++i) Key(&e, Qt::Key_Right, Qt::ShiftModifier);
    ASSERT_TRUE(w->selection().active());

    const QImage img = e.viewport()->grab().toImage();
    const QColor highlight = e.palette().color(QPalette::Highlight);
    EXPECT_TRUE(CellHasColour(img, e.CellRect(0, 0), highlight));
    EXPECT_TRUE(CellHasColour(img, e.CellRect(0, 4), highlight));  // second half of the kanji
    EXPECT_FALSE(CellHasColour(img, e.CellRect(0, 5), highlight));
    EXPECT_FALSE(CellHasColour(img, e.CellRect(1, 0), highlight));

    Key(&e, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("abc日"));

    QGuiApplication::clipboard()->setText(QStringLiteral("貼り付け"));
    Key(&e, Qt::Key_End, Qt::ControlModifier);
    Key(&e, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(DocumentBytes(w->view()), Iconv("CP932", "abc日本\nxyz貼り付け"));

    Key(&e, Qt::Key_Home, Qt::ControlModifier);
    for (int i = 0; i < 3; ++i) Key(&e, Qt::Key_Right, Qt::ShiftModifier);
    Key(&e, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(DocumentBytes(w->view()), Iconv("CP932", "日本\nxyz貼り付け"));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("abc"));
}

}  // namespace
}  // namespace norv::qt

namespace norv::qt {
namespace {

void Mouse(QWidget* viewport, QEvent::Type type, QPoint at, Qt::KeyboardModifiers mods = {}) {
    const Qt::MouseButtons held =
        type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent e(type, QPointF(at), QPointF(viewport->mapToGlobal(at)), Qt::LeftButton, held,
                  mods);
    QApplication::sendEvent(viewport, &e);
}

TEST(MainFrame, MouseClickPlacesTheCaretAndDraggingSelects) {
    static const struct {
        const char* name;
        Qt::KeyboardModifiers mods;
        editing::SelectionKind kind;
    } kCases[] = {
        {"stream", Qt::NoModifier, editing::SelectionKind::kStream},
        {"box with Alt", Qt::AltModifier, editing::SelectionKind::kBox},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        norv::testing::TempDir dir;
        platform::HeadlessUi ui;
        MainFrame frame(&ui);
        frame.show();
        DocWindow* w =
            frame.OpenFile(dir.Write("t.txt", Iconv("CP932", "日本語の文\r\nabcdef\r\nxyz")));
        ASSERT_NE(w, nullptr);
        EditWidget& e = w->editor();
        QWidget* vp = e.viewport();
        // Inside the first half of cell 3 (the second half of the second kanji): the caret
        // stands before the kanji's end, on a character start.
        const QRect from = e.CellRect(0, 2);
        Mouse(vp, QEvent::MouseButtonPress, from.topLeft() + QPoint(1, 2), c.mods);
        EXPECT_EQ(w->view().caretLineNumber(), 1);
        EXPECT_EQ(w->view().caretPos(), 2u);
        const QRect to = e.CellRect(1, 4);
        Mouse(vp, QEvent::MouseMove, to.topLeft() + QPoint(1, 2), c.mods);
        Mouse(vp, QEvent::MouseButtonRelease, to.topLeft() + QPoint(1, 2), c.mods);
        EXPECT_EQ(w->view().caretLineNumber(), 2);
        EXPECT_EQ(w->view().caretPos(), 4u);
        ASSERT_TRUE(w->selection().active());
        EXPECT_EQ(w->selection().kind(), c.kind);
        const editing::SelectionEnd& a = w->selection().start();
        const editing::SelectionEnd& b = w->selection().end();
        EXPECT_EQ(a.line, 1);
        EXPECT_EQ(b.line, 2);
        if (c.kind == editing::SelectionKind::kBox) {
            EXPECT_EQ(a.column, 2);
            EXPECT_EQ(b.column, 4);
            const QString folder = QStringLiteral(NORV_BINARY_DIR "/gui-screenshots");
            QDir().mkpath(folder);
            e.grab().save(folder + QStringLiteral("/box-selection.png"));
            // A copy holds what is painted: the kanji in cells 2-3 and "cd".
            EXPECT_EQ(w->selection().BoxPieces(),
                      (std::vector<std::string>{Iconv("CP932", "本"), "cd"}));
        } else {
            Key(&e, Qt::Key_C, Qt::ControlModifier);
            EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("本語の文\r\nabcd"));
        }
    }
}

}  // namespace
}  // namespace norv::qt

namespace norv::qt {
namespace {

// A box whose edges cut double-byte characters: the one under the left edge is in, the one
// under the right edge is out, on the screen as in the copy.
TEST(MainFrame, BoxEdgesInsideDoubleByteCharactersPaintWhatIsCopied) {
    norv::testing::TempDir dir;
    platform::HeadlessUi ui;
    MainFrame frame(&ui);
    frame.show();
    DocWindow* w = frame.OpenFile(dir.Write("t.txt", Iconv("CP932", "abcdef\r\n日本語\r\nabcdef")));
    ASSERT_NE(w, nullptr);
    w->view().SetCaret(1, 3);
    w->selection().Anchor(editing::SelectionKind::kBox);
    w->view().SetCaret(3, 5);
    w->selection().CaretMoved(w->view());
    w->selection().Normalize();
    EXPECT_EQ(w->selection().BoxPieces(),
              (std::vector<std::string>{"de", Iconv("CP932", "本"), "de"}));
    EditWidget& e = w->editor();
    e.Refresh();
    const QImage img = e.viewport()->grab().toImage();
    const QColor highlight = e.palette().color(QPalette::Highlight);
    auto selectedAt = [&](int row, int column) {
        return QColor(img.pixel(e.CellRect(row, column).topLeft() + QPoint(1, 1))) == highlight;
    };
    EXPECT_TRUE(selectedAt(0, 3));
    EXPECT_FALSE(selectedAt(0, 5));
    EXPECT_FALSE(selectedAt(1, 1));  // 日
    EXPECT_TRUE(selectedAt(1, 2));   // 本, cut by the left edge
    EXPECT_TRUE(selectedAt(1, 3));
    EXPECT_FALSE(selectedAt(1, 4));  // 語, cut by the right edge
}

// Keys go through the key table: a two-stroke key selects, a frame key saves.
TEST(MainFrame, KeysGoThroughTheKeyTable) {
    norv::testing::TempDir dir;
    platform::HeadlessUi ui;
    MainFrame frame(&ui);
    frame.show();
    const std::string path = dir.Write("t.txt", "abcdef");
    DocWindow* w = frame.OpenFile(path);
    ASSERT_NE(w, nullptr);
    EditWidget& e = w->editor();

    Key(&e, Qt::Key_K, Qt::ControlModifier);
    ASSERT_FALSE(ui.statusTexts.empty());
    EXPECT_EQ(ui.statusTexts.back(), "Ctrl+K^");
    Key(&e, Qt::Key_B, Qt::NoModifier, QStringLiteral("b"));
    EXPECT_TRUE(w->selection().active());
    EXPECT_EQ(DocumentBytes(w->view()), "abcdef");  // the second stroke is not typed
    for (int i = 0; i < 3; ++i) Key(&e, Qt::Key_Right);
    Key(&e, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("abc"));

    Key(&e, Qt::Key_End);
    TypeKeys(&e, "g");
    Key(&e, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(norv::testing::ReadFileBytes(path), "abcdefg");
    EXPECT_FALSE(w->doc().modified);
}

}  // namespace
}  // namespace norv::qt
