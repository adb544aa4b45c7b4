// The bookmark list through the real widgets: the outline of a document's marks in the dock's
// tree, its copy commands, going to an item, the document selector, the settings it writes,
// and documents that change or close under it.
#include "gui/frame/mark_bar.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QMouseEvent>
#include <QTreeWidget>
#include <fstream>
#include <sstream>

#include "app/config/configuration.h"
#include "app/config/settings_store.h"
#include "gui/frame/doc_window.h"
#include "gui/frame/find_wiring.h"
#include "gui/frame/main_frame.h"
#include "gui/gui_test_support.h"
#include "platform/fakes/headless_ui.h"
#include "platform/file_system.h"
#include "support/temp_dir.h"

namespace norv::qt {
namespace {

using editing::CommandId;
using testing::Iconv;
using testing::Key;

std::string Sjis(std::string_view utf8) {
    return Iconv("CP932", utf8);
}

struct Frame {
    explicit Frame(std::string_view ini = "") : config(932) {
        path = dir.Write("norv.INI", ini);
        store = std::make_unique<app::SettingsStore>(platform::RealFileSystem(), path, 932);
        config.settings.Load(*store);
        frame.UseConfiguration(config, store.get());
        frame.show();
        QApplication::processEvents();
    }
    DocWindow* Open(std::string_view name, std::string_view bytes) {
        DocWindow* w = frame.OpenFile(dir.Write(name, bytes));
        EXPECT_NE(w, nullptr);
        QApplication::processEvents();
        return w;
    }
    std::string Ini() {
        std::ifstream in(path);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    CMarkTree* tree() { return frame.markBar().tree(); }
    norv::testing::TempDir dir;
    std::string path;
    app::Configuration config;
    std::unique_ptr<app::SettingsStore> store;
    platform::HeadlessUi ui;
    MainFrame frame{&ui};
};

// The tree as text: one line per item, indented two blanks a level.
std::string Shape(QTreeWidget* tree) {
    std::string out;
    std::function<void(QTreeWidgetItem*, int)> walk = [&](QTreeWidgetItem* item, int depth) {
        out +=
            std::string(static_cast<size_t>(depth) * 2, ' ') + item->text(0).toStdString() + "\n";
        for (int i = 0; i < item->childCount(); ++i) walk(item->child(i), depth + 1);
    };
    for (int i = 0; i < tree->topLevelItemCount(); ++i) walk(tree->topLevelItem(i), 0);
    return out;
}

QTreeWidgetItem* Find(QTreeWidget* tree, const QString& text) {
    const QList<QTreeWidgetItem*> found =
        tree->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
    return found.isEmpty() ? nullptr : found.first();
}

void Click(QTreeWidget* tree, QTreeWidgetItem* item) {
    tree->scrollToItem(item);
    const QPoint at = tree->visualItemRect(item).center();
    QMouseEvent press(QEvent::MouseButtonPress, at, tree->viewport()->mapToGlobal(at),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(tree->viewport(), &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, tree->viewport()->mapToGlobal(at),
                        Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(tree->viewport(), &release);
}

const char* const kBullets =
    "* 1 Intro\r\n"
    "text\r\n"
    "  * 1.1 Scope\r\n"
    "    * 1.1.1 Detail\r\n"
    "more\r\n"
    "* 2 本文\r\n"
    "  * 2.1 部分\r\n"
    "end\r\n";

TEST(MarkBar, MarkCaptionAndMarkListShowTheOutline) {
    Frame f;
    DocWindow* w = f.Open("doc.txt", Sjis(kBullets));
    EXPECT_FALSE(f.frame.MarkListShown());
    Key(&w->editor(), Qt::Key_F10, Qt::ShiftModifier);  // MarkList
    EXPECT_TRUE(f.frame.MarkListShown());
    EXPECT_NE(f.Ini().find("ShowMarkList=1"), std::string::npos);
    w->editor().RunCommand(CommandId::MarkCaption);
    QApplication::processEvents();
    EXPECT_EQ(Shape(f.tree()),
              "doc.txt\n"
              "  * 1 Intro\n"
              "    * 1.1 Scope\n"
              "      * 1.1.1 Detail\n"
              "  * 2 本文\n"
              "    * 2.1 部分\n");
    EXPECT_TRUE(f.tree()->topLevelItem(0)->isExpanded());
    EXPECT_TRUE(f.frame.configuration().settings.Flag(app::Key::ShowMarkList));

    // Numbered lines marked by hand nest by their numbering (1 Intro, 1.1 Scope, 2 Body).
    DocWindow* n = f.Open("num.txt", "1 Intro\r\nx\r\n1.1 Scope\r\n2 Body\r\n");
    for (int line : {1, 3, 4}) {
        n->view().SetCaret(line, 0);
        n->editor().RunCommand(CommandId::MarkLine);
    }
    QApplication::processEvents();
    EXPECT_EQ(Shape(f.tree()), "num.txt\n  1 Intro\n    1.1 Scope\n  2 Body\n");

    // MarkList again hides the bar, and the settings say so at once.
    Key(&n->editor(), Qt::Key_F10, Qt::ShiftModifier);
    EXPECT_FALSE(f.frame.MarkListShown());
    EXPECT_NE(f.Ini().find("ShowMarkList=0"), std::string::npos);
}

TEST(MarkBar, CopyCommandsGoingToAnItemAndTheSelector) {
    Frame f("[Settings]\nShowMarkList=1\n");
    EXPECT_TRUE(f.frame.MarkListShown());  // brought back from the settings
    DocWindow* a = f.Open("a.txt", Sjis(kBullets));
    a->editor().RunCommand(CommandId::MarkCaption);
    QApplication::processEvents();
    CMarkBar& bar = f.frame.markBar();

    ASSERT_TRUE(bar.CopyAll());
    const QString all = QString::fromStdString(
        "* 1 Intro\r\n  * 1.1 Scope\r\n    * 1.1.1 Detail\r\n* 2 本文\r\n  * 2.1 部分\r\n");
    EXPECT_EQ(QGuiApplication::clipboard()->text(), all);
    // A collapsed item hides its subtree from Copy Visible.
    Find(f.tree(), QStringLiteral("* 1.1 Scope"))->setExpanded(true);
    Find(f.tree(), QStringLiteral("* 1 Intro"))->setExpanded(true);
    Find(f.tree(), QStringLiteral("* 2 本文"))->setExpanded(true);
    ASSERT_TRUE(bar.CopyVisible());
    EXPECT_EQ(QGuiApplication::clipboard()->text(), all);
    Find(f.tree(), QStringLiteral("* 1 Intro"))->setExpanded(false);
    ASSERT_TRUE(bar.CopyVisible());
    EXPECT_EQ(QGuiApplication::clipboard()->text(),
              QString::fromStdString("* 1 Intro\r\n* 2 本文\r\n  * 2.1 部分\r\n"));
    // Copy Level: the root copies the whole text, an item its section.
    f.tree()->setCurrentItem(f.tree()->topLevelItem(0));
    ASSERT_TRUE(bar.CopyLevel());
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QString::fromStdString(kBullets));
    f.tree()->setCurrentItem(Find(f.tree(), QStringLiteral("* 1.1 Scope")));
    ASSERT_TRUE(bar.CopyLevel());
    EXPECT_EQ(QGuiApplication::clipboard()->text(),
              QString::fromStdString("  * 1.1 Scope\r\n    * 1.1.1 Detail\r\nmore\r\n"));

    // Clicking an item moves the caret to its line and saves the position.
    a->view().SetCaret(8, 1);
    Click(f.tree(), Find(f.tree(), QStringLiteral("* 2 本文")));
    EXPECT_EQ(a->view().caretLineNumber(), 6);
    EXPECT_EQ(a->view().caretPos(), 0u);
    EXPECT_EQ(a->view().savedPosition().line, 8);

    // The selector lists every document and activates the one chosen.
    DocWindow* b = f.Open("b.txt", "one\r\n");
    DocWindow* untitled = f.frame.NewFile();
    QApplication::processEvents();
    QComboBox* selector = bar.selector();
    ASSERT_EQ(selector->count(), 3);
    EXPECT_EQ(selector->itemText(0).toStdString(), "a.txt (" + f.dir.File("a.txt") + ")");
    EXPECT_EQ(selector->itemText(1).toStdString(), "b.txt (" + f.dir.File("b.txt") + ")");
    EXPECT_FALSE(selector->itemText(2).contains(QLatin1Char('*')));
    EXPECT_EQ(f.frame.ActiveWindow(), untitled);
    selector->setFocus();
    Key(selector, Qt::Key_Up);
    QApplication::processEvents();
    EXPECT_EQ(f.frame.ActiveWindow(), b);
    EXPECT_EQ(Shape(f.tree()), "b.txt\n");
    Key(selector, Qt::Key_Up);
    QApplication::processEvents();
    EXPECT_EQ(f.frame.ActiveWindow(), a);
    EXPECT_EQ(f.tree()->topLevelItem(0)->childCount(), 2);
}

TEST(MarkBar, ResizingWritesTheWidthAndMarkAllShowsAtOnce) {
    Frame f("[Settings]\nShowMarkList=1\nMarkBarWidth=180\n");
    DocWindow* w = f.Open("t.txt", "x one\r\ny\r\nx two\r\n");
    CMarkBar& bar = f.frame.markBar();
    f.frame.resizeDocks({&bar}, {260}, Qt::Horizontal);
    QApplication::processEvents();
    EXPECT_EQ(f.frame.configuration().settings.Int(app::Key::MarkBarWidth), bar.width());
    EXPECT_NE(f.Ini().find("MarkBarWidth=" + std::to_string(bar.width())), std::string::npos);
    EXPECT_NE(bar.width(), 180);

    search::FindOptions o;
    f.frame.find().commands().Find(w->view(), "x", o, true, true);
    QApplication::processEvents();
    EXPECT_EQ(Shape(f.tree()), "t.txt\n  x one\n  x two\n");
}

TEST(MarkBar, EditsReloadsAndClosingNeverLeaveAnItemOnAGoneLine) {
    Frame f("[Settings]\nShowMarkList=1\n");
    DocWindow* w = f.Open("t.txt", "* a\r\n* b\r\n* c\r\n");
    w->editor().RunCommand(CommandId::MarkCaption);
    QApplication::processEvents();
    QTreeWidgetItem* c = Find(f.tree(), QStringLiteral("* c"));
    ASSERT_NE(c, nullptr);
    // Deleting a marked line rebuilds the tree after the command.
    w->view().SetCaret(2, 0);
    w->editor().RunCommand(CommandId::DeleteLine);
    QApplication::processEvents();
    EXPECT_EQ(Shape(f.tree()), "t.txt*\n  * a\n  * c\n");
    c = Find(f.tree(), QStringLiteral("* c"));
    Click(f.tree(), c);
    EXPECT_EQ(w->view().caretLineNumber(), 2);
    // Undo brings the line back, and its item.
    w->editor().RunCommand(CommandId::Undo);
    QApplication::processEvents();
    EXPECT_EQ(Shape(f.tree()), "t.txt\n  * a\n  * b\n  * c\n");
    // The item of a line deleted before the tree was built again finds nothing and does
    // nothing.
    c = Find(f.tree(), QStringLiteral("* c"));
    w->view().SetCaret(3, 0);
    w->view().Execute(CommandId::DeleteLine);
    w->view().Execute(CommandId::DeleteLine);
    f.frame.markBar().GoToItem(c);
    EXPECT_EQ(w->view().caretLineNumber(), 3);
    QApplication::processEvents();
    EXPECT_EQ(Shape(f.tree()), "t.txt*\n  * a\n  * b\n");
    // Closing the shown document empties the tree.
    w->doc().SetModified(false);
    f.frame.FileClose(*w);
    QApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(f.tree()->topLevelItemCount(), 0);
    EXPECT_FALSE(f.frame.markBar().CopyAll());
    EXPECT_FALSE(f.frame.markBar().CopyLevel());
}

}  // namespace
}  // namespace norv::qt
