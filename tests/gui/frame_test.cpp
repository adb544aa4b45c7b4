// The frame's menus, bars, popups, window commands and dialogs through the real widgets.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDialog>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>
#include <functional>
#include <set>
#include <string>

#include "app/commands/command_texts.h"
#include "app/config/settings_store.h"
#include "gui/dialogs/frame_dialogs.h"
#include "gui/frame/bars.h"
#include "gui/frame/doc_window.h"
#include "gui/frame/main_frame.h"
#include "gui/frame/menus.h"
#include "gui/gui_test_support.h"
#include "platform/fakes/headless_ui.h"
#include "platform/file_system.h"
#include "support/temp_dir.h"

namespace norv::qt {
namespace {

using testing::DocumentBytes;
using testing::Iconv;
using testing::Key;
using testing::TypeKeys;

// Runs the event loop until `done` holds (or two seconds passed).
bool PumpUntil(const std::function<bool()>& done) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < 2000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return done();
}

// Runs `fill` once on the next widget that `find` finds (modal dialogs and popups run their
// own event loops, so this polls from a timer).
void WhenShown(std::function<QWidget*()> find, std::function<void(QWidget&)> fill) {
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, find, fill] {
        if (QWidget* w = find()) {
            timer->stop();
            timer->deleteLater();
            fill(*w);
        }
    });
    timer->start();
}

void WhenDialogShown(std::function<void(QDialog&)> fill) {
    WhenShown(
        [] {
            auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            return d && !qobject_cast<QFileDialog*>(d) ? d : nullptr;
        },
        [fill](QWidget& w) { fill(static_cast<QDialog&>(w)); });
}

void WhenPopupShown(const char* name, std::function<void(QMenu&)> fill) {
    WhenShown(
        [name]() -> QWidget* {
            auto* m = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            return m && m->objectName() == QLatin1String(name) ? m : nullptr;
        },
        [fill](QWidget& w) { fill(static_cast<QMenu&>(w)); });
}

// Chooses a popup's entry as the keyboard does.
void Choose(QMenu& menu, QAction* action) {
    ASSERT_NE(action, nullptr);
    menu.setActiveAction(action);
    Key(&menu, Qt::Key_Return);
}

QAction* EntryStartingWith(QMenu& menu, const QString& start) {
    for (QAction* a : menu.actions())
        if (a->text().startsWith(start)) return a;
    return nullptr;
}

size_t Index(std::string_view name) {
    return static_cast<size_t>(app::CommandIndexByName(name));
}

struct Frame {
    Frame() : config(932) {}
    void Use() { frame.UseConfiguration(config, nullptr); }
    platform::HeadlessUi ui;
    app::Configuration config;
    MainFrame frame{&ui};
};

// Every command but Nop has one menu item; an item is enabled exactly when its command is built
// and has a window to work on; an item runs its command like its key.
TEST(FrameMenus, ItemsFollowTheTableAndRunTheirCommands) {
    norv::testing::TempDir dir;
    Frame f;
    MainFrame& frame = f.frame;
    frame.show();
    CommandMenus& menus = frame.menus();
    for (size_t i = 0; i < app::kCommandCount; ++i) {
        const std::string_view name = app::kBuiltinCommands[i].name;
        if (name == "Nop") continue;
        QAction* a = menus.ActionAt(i);
        ASSERT_NE(a, nullptr) << name;
        // The help entries without a file are not listed (and a hidden action is disabled).
        if (!a->isVisible()) {
            EXPECT_TRUE(name.starts_with("Help")) << name;
            continue;
        }
        EXPECT_EQ(a->isEnabled(), frame.CommandEnabled(i)) << name;
        // Commands of later parts and frame commands the frame does not carry out are off.
        if (app::IsHandledLater(name)) EXPECT_FALSE(a->isEnabled()) << name;
    }
    // The list of commands of later parts and the frame's handlers agree: a frame command has
    // its handler exactly when it is not listed (NorvOpen, AutoSave and the project commands
    // are registered by the application around the frame).
    const std::string_view kByApplication[] = {
        "OpenNorv", "AutoSave", "OpenMRU", "LoadProject", "SaveProjectAs", "CloseProject", "Break"};
    for (size_t i = 0; i < app::kCommandCount; ++i) {
        const app::Command& c = app::kBuiltinCommands[i];
        if (c.isView() || std::ranges::find(kByApplication, c.name) != std::end(kByApplication))
            continue;
        EXPECT_EQ(frame.FrameCommandRegistered(c.frame), !app::IsHandledLater(c.name)) << c.name;
    }
    // Without a window only the commands that need none can run.
    EXPECT_FALSE(menus.ActionOf("Undo")->isEnabled());
    EXPECT_FALSE(menus.ActionOf("TileTwo")->isEnabled());
    EXPECT_TRUE(menus.ActionOf("NewFile")->isEnabled());
    EXPECT_TRUE(menus.ActionOf("SetProperty")->isEnabled());
    // The script library, find in files and compare need no window.
    EXPECT_TRUE(frame.CommandBuilt(Index("JukeBox")));
    EXPECT_TRUE(frame.CommandBuilt(Index("Compare")));
    EXPECT_TRUE(frame.CommandBuilt(Index("Grep")));
    EXPECT_TRUE(menus.ActionOf("JukeBox")->isEnabled());
    // The key from the key table is shown beside the label.
    EXPECT_EQ(menus.ActionOf("OpenFile")->text(), QStringLiteral("&Open...\tCtrl+K^N"));
    EXPECT_EQ(menus.ActionOf("LockEdit")->text(), QStringLiteral("Read&Only Mode\tCtrl+K^\\"));
    QStringList titles;
    for (QAction* a : frame.menuBar()->actions()) titles << a->text();
    EXPECT_EQ(titles, (QStringList{"&File", "&Edit", "&Search", "&Jump", "Character &Code",
                                   "&Return Code", "&Window", "&Tools"}));

    DocWindow* w = frame.OpenFile(dir.Write("a.txt", "abc\ndef"));
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(menus.ActionOf("Undo")->isEnabled());
    EXPECT_TRUE(menus.ActionOf("TileTwo")->isEnabled());
    menus.ActionOf("SelectAll")->trigger();
    EXPECT_TRUE(w->selection().active());
    menus.ActionOf("EditCut")->trigger();
    EXPECT_EQ(DocumentBytes(w->view()), "");
    menus.ActionOf("Undo")->trigger();
    EXPECT_EQ(DocumentBytes(w->view()), "abc\ndef");
    // Read&Only Mode carries its check mark.
    menus.ActionOf("LockEdit")->trigger();
    EXPECT_TRUE(w->doc().readOnly);
    EXPECT_TRUE(menus.ActionOf("LockEdit")->isChecked());
    EXPECT_EQ(w->windowTitle(), QStringLiteral("a.txt<R>"));
    // Automatic formatting is checked in the menu and shown in the status bar.
    auto autoFmtShown = [&] {
        for (QLabel* l : frame.statusBar()->findChildren<QLabel*>())
            if (l->text() == QStringLiteral("AutoFmt")) return true;
        return false;
    };
    EXPECT_FALSE(autoFmtShown());
    menus.ActionOf("ModeAutoSplit")->trigger();
    EXPECT_TRUE(menus.ActionOf("ModeAutoSplit")->isChecked());
    EXPECT_TRUE(autoFmtShown());
}

// After a prefix key the two-stroke menu pops up when no second key comes within TwoDelay;
// with TwoMenu off the prefix just waits.
TEST(FrameMenus, TwoStrokeMenuAfterTheDelay) {
    Frame f;
    f.config.settings.Set(app::Key::TwoDelay, 20);
    f.Use();
    f.frame.show();
    DocWindow* w = f.frame.NewFile();
    ASSERT_NE(w, nullptr);
    TypeKeys(&w->editor(), "abc");

    QStringList texts;
    int separators = 0;
    bool chosen = false;
    WhenPopupShown(kTwoStrokeMenuName, [&](QMenu& menu) {
        for (QAction* a : menu.actions()) {
            if (a->isSeparator())
                ++separators;
            else
                texts << a->text();
        }
        Choose(menu, EntryStartingWith(menu, QStringLiteral("&B: ")));
        chosen = true;
    });
    Key(&w->editor(), Qt::Key_K, Qt::ControlModifier);
    EXPECT_EQ(f.ui.statusTexts.back(), "Ctrl+K^");
    ASSERT_TRUE(PumpUntil([&] { return chosen && !QApplication::activePopupWidget(); }));
    EXPECT_TRUE(texts.contains(QStringLiteral("&B: Begin Selection")));
    EXPECT_TRUE(texts.contains(QStringLiteral("&S: Save")));
    EXPECT_TRUE(texts.contains(QStringLiteral("&L: Change Case of Word")));
    EXPECT_EQ(separators, 2);  // Line Edit, Edit, File
    // The chosen command ran: a selection begins at the caret, and the prefix is gone.
    EXPECT_TRUE(w->selection().active());
    EXPECT_FALSE(f.frame.dispatcher().pendingPrefix());
    EXPECT_EQ(f.ui.statusTexts.back(), "");

    f.config.settings.Set(app::Key::TwoMenu, 0);
    f.Use();
    Key(&w->editor(), Qt::Key_Q, Qt::ControlModifier);
    QElapsedTimer clock;
    clock.start();
    PumpUntil([&] { return clock.elapsed() > 80; });
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    EXPECT_EQ(f.frame.dispatcher().pendingPrefix(), std::optional<uint8_t>('Q'));
    Key(&w->editor(), Qt::Key_R, Qt::ControlModifier);  // Ctrl+Q^R: TextTop
    EXPECT_EQ(w->view().caretPos(), 0u);
}

// The right button opens user menu 1 from the data file at the pointer; its entries run
// their commands.
TEST(FrameMenus, RightButtonOpensUserMenuOne) {
    Frame f;
    f.config.data.menus[0] = {
        {false, Iconv("CP932", "全部選択"), "SelectAll"},
        {true, "", ""},
        {false, "&Jump", "JumpLine"},
        {false, "Nothing here", "NoSuchCommand"},
    };
    f.Use();
    f.frame.show();
    DocWindow* w = f.frame.NewFile();
    ASSERT_NE(w, nullptr);
    TypeKeys(&w->editor(), "hello");

    QStringList texts;
    bool chosen = false;
    WhenPopupShown(kUserMenuName, [&](QMenu& menu) {
        for (QAction* a : menu.actions())
            texts << (a->isSeparator() ? QStringLiteral("-") : a->text());
        Choose(menu, menu.actions().value(0));
        chosen = true;
    });
    QWidget* viewport = w->editor().viewport();
    const QPoint at(20, 20);
    QMouseEvent press(QEvent::MouseButtonPress, at, viewport->mapToGlobal(at), Qt::RightButton,
                      Qt::RightButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &press);
    ASSERT_TRUE(PumpUntil([&] { return chosen && !QApplication::activePopupWidget(); }));
    EXPECT_EQ(texts, (QStringList{QStringLiteral("全部選択"), "-", "&Jump"}));
    EXPECT_TRUE(w->selection().active());

    // A menu without items shows nothing.
    f.frame.ShowUserMenu(1, app::vk::kRButton);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
}

// In a split window the right button works in the pane it was pressed in, and AnothWin moves
// between the two panes.
TEST(FrameMenus, PanesOfASplitWindow) {
    Frame f;
    f.config.data.menus[0] = {{false, "All", "SelectAll"}};
    f.Use();
    f.frame.show();
    DocWindow* w = f.frame.NewFile();
    ASSERT_NE(w, nullptr);
    TypeKeys(&w->editor(), "text");
    f.frame.RunFrameCommand(app::FrameCommandId::Split, 0);
    ASSERT_EQ(w->paneCount(), 2);
    const int first = w->activePane();
    f.frame.RunFrameCommand(app::FrameCommandId::AnothWin, 0);
    EXPECT_NE(w->activePane(), first);
    f.frame.RunFrameCommand(app::FrameCommandId::AnothWin, 0);
    EXPECT_EQ(w->activePane(), first);

    const int other = 1 - first;
    bool chosen = false;
    WhenPopupShown(kUserMenuName, [&](QMenu& menu) {
        Choose(menu, menu.actions().value(0));
        chosen = true;
    });
    QWidget* viewport = w->paneEditor(other).viewport();
    const QPoint at(10, 10);
    QMouseEvent press(QEvent::MouseButtonPress, at, viewport->mapToGlobal(at), Qt::RightButton,
                      Qt::RightButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &press);
    ASSERT_TRUE(PumpUntil([&] { return chosen && !QApplication::activePopupWidget(); }));
    EXPECT_EQ(w->activePane(), other);
    EXPECT_TRUE(w->selection().active());
}

// F2 lists the open documents; the one chosen becomes the active window. TileTwo puts the
// active window and the next one side by side, and AnothWin goes back and forth between them.
TEST(FrameCommands, FileSelectTileTwoAndTheOtherWindow) {
    norv::testing::TempDir dir;
    Frame f;
    MainFrame& frame = f.frame;
    frame.show();
    DocWindow* a = frame.OpenFile(dir.Write("a.txt", "a"));
    DocWindow* b = frame.OpenFile(dir.Write("b.txt", "b"));
    DocWindow* c = frame.OpenFile(dir.Write("c.txt", "c"));
    ASSERT_TRUE(a && b && c);
    ASSERT_EQ(frame.ActiveWindow(), c);

    QStringList listed;
    int current = -1;
    WhenDialogShown([&](QDialog& d) {
        auto* list = d.findChild<QListWidget*>(kChoiceListName);
        ASSERT_NE(list, nullptr);
        for (int i = 0; i < list->count(); ++i)
            listed << list->item(i)->text().section(QLatin1Char(' '), 0, 0);
        current = list->currentRow();
        list->setCurrentRow(0);
        d.accept();
    });
    Key(&c->editor(), Qt::Key_F2);
    EXPECT_EQ(listed, (QStringList{"a.txt", "b.txt", "c.txt"}));
    EXPECT_EQ(current, 2);
    EXPECT_EQ(frame.ActiveWindow(), a);

    // Cancelling keeps the active window.
    WhenDialogShown([](QDialog& d) { d.reject(); });
    frame.FileSelect();
    EXPECT_EQ(frame.ActiveWindow(), a);

    frame.RunFrameCommand(app::FrameCommandId::TileTwo, 0);
    auto* subA = qobject_cast<QMdiSubWindow*>(a->parentWidget());
    auto* subB = qobject_cast<QMdiSubWindow*>(b->parentWidget());
    ASSERT_TRUE(subA && subB);
    EXPECT_EQ(frame.ActiveWindow(), a);
    EXPECT_FALSE(subA->isMaximized());
    EXPECT_EQ(subA->geometry().bottom() + 1, subB->geometry().top());
    EXPECT_EQ(subA->width(), subB->width());
    frame.RunFrameCommand(app::FrameCommandId::AnothWin, 0);
    EXPECT_EQ(frame.ActiveWindow(), b);
    Key(&b->editor(), Qt::Key_F4, Qt::ShiftModifier);  // Shift+F4: AnothWin by its key
    EXPECT_EQ(frame.ActiveWindow(), a);
}

// Ctrl+J asks "Jump To" and moves to the line; Ctrl+D steps through the undo history in a
// dialog that stays open.
TEST(FrameDialogs, JumpToAndStepUndoRedo) {
    Frame f;
    f.frame.show();
    DocWindow* w = f.frame.NewFile();
    ASSERT_NE(w, nullptr);
    EditWidget& e = w->editor();
    for (const char* line : {"one", "two", "three", "four"}) {
        TypeKeys(&e, line);
        Key(&e, Qt::Key_Return);
    }
    TypeKeys(&e, "five");

    QString startText;
    WhenDialogShown([&](QDialog& d) {
        EXPECT_EQ(d.windowTitle(), QStringLiteral("Jump To"));
        auto* line = d.findChild<QLineEdit*>(kJumpLineName);
        auto* logical = d.findChild<QRadioButton*>(kJumpLogicalName);
        ASSERT_TRUE(line && logical);
        startText = line->text();
        EXPECT_EQ(line->maxLength(), 10);
        line->setText(QStringLiteral("2"));
        logical->setChecked(true);
        d.accept();
    });
    Key(&e, Qt::Key_J, Qt::ControlModifier);
    EXPECT_EQ(startText, QStringLiteral("5"));
    EXPECT_EQ(w->view().caretLineNumber(), 2);

    // Undo "five" and the line break (5 steps), then redo the line break, while the dialog
    // stays open.
    bool undoEnabled = false, redoEnabledBefore = true, redoEnabledAfter = false;
    std::string afterUndo;
    WhenDialogShown([&](QDialog& d) {
        EXPECT_EQ(d.windowTitle(), QStringLiteral("Step Undo/Redo"));
        auto* steps = d.findChild<QSpinBox*>(kStepsName);
        auto* undo = d.findChild<QPushButton*>(kUndoButtonName);
        auto* redo = d.findChild<QPushButton*>(kRedoButtonName);
        ASSERT_TRUE(steps && undo && redo);
        undoEnabled = undo->isEnabled();
        redoEnabledBefore = redo->isEnabled();
        steps->setValue(5);
        undo->click();
        afterUndo = DocumentBytes(w->view());
        redoEnabledAfter = redo->isEnabled();
        steps->setValue(1);
        redo->click();
        d.reject();
    });
    Key(&e, Qt::Key_D, Qt::ControlModifier);
    EXPECT_TRUE(undoEnabled);
    EXPECT_FALSE(redoEnabledBefore);
    EXPECT_TRUE(redoEnabledAfter);
    EXPECT_EQ(afterUndo, "one\ntwo\nthree\nfour");
    EXPECT_EQ(DocumentBytes(w->view()), "one\ntwo\nthree\nfour\n");
}

// The clipboard history keeps what other programs and the editor put on the clipboard; the
// dialog's "Paste" pastes the chosen entry without recording it again.
TEST(FrameDialogs, ClipboardHistoryPastesTheChosenEntry) {
    Frame f;
    f.frame.show();
    DocWindow* w = f.frame.NewFile();
    ASSERT_NE(w, nullptr);
    QClipboard* clipboard = QGuiApplication::clipboard();
    for (const char* text : {"one", "two", "two", "three"}) {
        clipboard->setText(QString::fromLatin1(text));
        QCoreApplication::processEvents();
    }
    const std::string longText(3000, 'x');
    clipboard->setText(QString::fromStdString(longText + "END"));
    QCoreApplication::processEvents();
    ASSERT_EQ(f.frame.clipboardHistory().Entries(),
              (std::vector<std::string>{longText + "END", "three", "two", "one"}));

    QStringList listed;
    QString shown;
    WhenDialogShown([&](QDialog& d) {
        EXPECT_EQ(d.windowTitle(), QStringLiteral("Clipboard History"));
        auto* list = d.findChild<QListWidget*>(kHistoryListName);
        auto* text = d.findChild<QPlainTextEdit*>(kHistoryTextName);
        auto* paste = d.findChild<QPushButton*>(kHistoryPasteName);
        ASSERT_TRUE(list && text && paste);
        for (int i = 1; i < list->count(); ++i) listed << list->item(i)->text();
        shown = text->toPlainText();  // the newest entry, whole
        list->setCurrentRow(3);
        paste->click();
    });
    Key(&w->editor(), Qt::Key_K, Qt::ControlModifier);
    Key(&w->editor(), Qt::Key_G, Qt::ControlModifier);  // Ctrl+K^G
    QCoreApplication::processEvents();
    EXPECT_EQ(listed, (QStringList{"three", "two", "one"}));
    EXPECT_EQ(shown.size(), 3003);
    EXPECT_EQ(DocumentBytes(w->view()), "one");
    EXPECT_EQ(clipboard->text(), QStringLiteral("one"));
    EXPECT_EQ(f.frame.clipboardHistory().Entries().front(), longText + "END");

    // The editor's own copy is recorded.
    Key(&w->editor(), Qt::Key_A, Qt::ControlModifier);
    Key(&w->editor(), Qt::Key_C, Qt::ControlModifier);
    QCoreApplication::processEvents();
    ASSERT_EQ(f.frame.clipboardHistory().Entries().front(), "one");
}

// At most 100 documents: the 101st new or opened one is refused with the message.
TEST(FrameCommands, AtMostOneHundredDocuments) {
    norv::testing::TempDir dir;
    Frame f;
    MainFrame& frame = f.frame;
    frame.show();
    const std::string path = dir.Write("more.txt", "x");
    for (int i = 0; i < document::kMaxDocuments; ++i) ASSERT_NE(frame.NewFile(), nullptr) << i;
    EXPECT_TRUE(f.ui.messages.empty());
    EXPECT_EQ(frame.NewFile(), nullptr);
    EXPECT_EQ(frame.OpenFile(path), nullptr);
    EXPECT_EQ(f.ui.messages, (std::vector<std::string>(2, "Cannot read more than 100 files.")));
    EXPECT_EQ(frame.Windows().size(), size_t(document::kMaxDocuments));
}

// New of a file type, the function-key bar following the modifiers, and the preferences
// written to the settings file and applied.
TEST(FrameCommands, NewFileTypeFunctionKeysAndPreferences) {
    norv::testing::TempDir dir;
    Frame f;
    f.config.settings.Set(app::Key::DispFkey, 1);
    const std::string ini = dir.Write("norv.INI", "[Options]\nLineNumber=1\n");
    app::SettingsStore store(platform::RealFileSystem(), ini, 932);
    f.frame.UseConfiguration(f.config, &store);
    MainFrame& frame = f.frame;
    frame.show();

    WhenDialogShown([](QDialog& d) {
        auto* list = d.findChild<QListWidget*>(kChoiceListName);
        ASSERT_NE(list, nullptr);
        ASSERT_TRUE(list->item(1)->text().startsWith(QStringLiteral("C source")));
        list->setCurrentRow(1);
        d.accept();
    });
    DocWindow* w = frame.NewFileOfType();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->doc().typeCode, 'C');
    EXPECT_EQ(w->doc().tabWidth, 4);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Untitled.c"));

    FunctionKeyBar& bar = frame.functionKeyBar();
    EXPECT_TRUE(bar.isVisibleTo(&frame));
    EXPECT_EQ(bar.button(2)->text(), QStringLiteral("FindNext"));
    QKeyEvent shift(QEvent::KeyPress, Qt::Key_Shift, Qt::ShiftModifier);
    QApplication::sendEvent(&w->editor(), &shift);
    EXPECT_EQ(bar.button(2)->text(), QStringLiteral("FindPrev"));
    EXPECT_EQ(bar.button(3)->text(), QStringLiteral("OtherWin"));
    EXPECT_EQ(bar.button(11)->text(), QStringLiteral("F12"));
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Shift, Qt::NoModifier);
    QApplication::sendEvent(&w->editor(), &release);
    EXPECT_EQ(bar.button(2)->text(), QStringLiteral("FindNext"));
    // A button runs the command it shows: F4 tiles the window (only one: it fills the area).
    EXPECT_EQ(bar.button(3)->text(), QStringLiteral("TileTwo"));
    bar.button(3)->click();
    EXPECT_TRUE(qobject_cast<QMdiSubWindow*>(w->parentWidget())->isMaximized());

    WhenDialogShown([](QDialog& d) {
        EXPECT_EQ(d.windowTitle(), QStringLiteral("Preferences"));
        auto* lineNumber = d.findChild<QCheckBox*>(QStringLiteral("LineNumber"));
        auto* delay = d.findChild<QLineEdit*>(QStringLiteral("TwoDelay"));
        auto* fkeys = d.findChild<QCheckBox*>(QStringLiteral("DispFkey"));
        ASSERT_TRUE(lineNumber && delay && fkeys);
        lineNumber->setChecked(false);
        fkeys->setChecked(false);
        delay->setText(QStringLiteral("750"));
        d.accept();
    });
    bool told = false;
    frame.settingsChanged = [&] { told = true; };
    frame.RunFrameCommand(app::FrameCommandId::SetProperty, 0);
    EXPECT_TRUE(told);  // the other running copies are told
    EXPECT_FALSE(w->editor().displayOptions().lineNumber);
    EXPECT_FALSE(bar.isVisibleTo(&frame));
    EXPECT_EQ(frame.dispatcher().options.twoDelay, 750);
    const std::string written = norv::testing::ReadFileBytes(ini);
    EXPECT_NE(written.find("LineNumber=0"), std::string::npos) << written;
    EXPECT_NE(written.find("TwoDelay=750"), std::string::npos) << written;
    EXPECT_EQ(written.find("UndoLimit"), std::string::npos) << written;  // unchanged: not written
}

}  // namespace
}  // namespace norv::qt
