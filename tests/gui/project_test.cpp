// Projects and the recent files through the real widgets: the project file dialogs and the
// question, the recent-files dialog (columns, sorting, widths kept), and the File menu's entries
// opening their files.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QHeaderView>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTabBar>
#include <QTimer>
#include <QTreeWidget>
#include <functional>
#include <string>

#include "app/config/configuration.h"
#include "app/config/history_file.h"
#include "gui/dialogs/recent_files_dialog.h"
#include "gui/frame/doc_window.h"
#include "gui/frame/main_frame.h"
#include "gui/frame/menus.h"
#include "gui/frame/project_wiring.h"
#include "gui/frame/qt_script_frame.h"
#include "gui/gui_test_support.h"
#include "platform/fakes/headless_ui.h"
#include "platform/file_system.h"
#include "support/temp_dir.h"

namespace norv::qt {
namespace {

using testing::TypeKeys;

QRect RectOfRecord(const app::SnapshotRecord& r) {
    return QRect(r.frame.left, r.frame.top, r.frame.right - r.frame.left,
                 r.frame.bottom - r.frame.top);
}

// Runs `fill` once on the next modal widget that `find` finds.
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

// Answers the next project file dialog with `path` (checking its filter and suffix).
void AnswerProjectDialog(const std::string& path, bool* seen) {
    WhenShown(
        [] {
            auto* d = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            return d && d->objectName() == QLatin1String(QtFileDialogs::kProjectDialogName)
                       ? d
                       : nullptr;
        },
        [path, seen](QWidget& w) {
            auto& d = static_cast<QFileDialog&>(w);
            *seen = d.nameFilters() == QStringList{QStringLiteral("Project Files (*.prf)")} &&
                    d.defaultSuffix() == QStringLiteral("prf");
            d.selectFile(QString::fromStdString(path));
            static_cast<QDialog&>(d).accept();
        });
}

// Windows closed are deleted later: let that happen.
void Settle() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

platform::FileTime MtimeOf(const std::string& path) {
    struct stat st {};
    stat(path.c_str(), &st);
    return platform::FileTimeFromUnix(st.st_mtim.tv_sec, st.st_mtim.tv_nsec);
}

struct Desk {
    Desk() : config(932) {
        mkdir(dir.File("cfg").c_str(), 0700);
        frame.UseConfiguration(config, nullptr);
        wiring = new ProjectWiring(frame, config.settings, nullptr, dir.File("cfg/"),
                                   dir.File("cfg/norv.PRF"), dir.File("cfg/norv.HST"), false);
        wiring->endProgram = [this] { ended = true; };
    }
    platform::HeadlessUi ui;
    app::Configuration config;
    norv::testing::TempDir dir;
    MainFrame frame{&ui};
    ProjectWiring* wiring = nullptr;
    bool ended = false;
};

TEST(ProjectGui, ProjectDialogsAndTheQuestion) {
    Desk d;
    const std::string a = d.dir.Write("a.txt", "alpha\n");
    ASSERT_NE(d.frame.OpenFile(a), nullptr);
    bool seen = false;
    AnswerProjectDialog(d.dir.File("work"), &seen);
    d.frame.RunCommand(size_t(app::CommandIndexByName("SaveProjectAs")));
    EXPECT_TRUE(seen);
    const std::string project = d.dir.File("work.prf");
    EXPECT_EQ(d.wiring->projects().currentProject(), project) << "the suffix is added";
    EXPECT_EQ(platform::RealFileSystem().Stat(project)->size, 316u + 340u);

    // Opening it again: the question first (No), then the dialog; the document comes back.
    TypeKeys(&d.frame.ActiveWindow()->editor(), "x");
    d.ui.QueueAnswer(platform::kIdNo);  // the project
    d.ui.QueueAnswer(platform::kIdNo);  // the changes of a.txt
    seen = false;
    AnswerProjectDialog(project, &seen);
    d.frame.RunCommand(size_t(app::CommandIndexByName("LoadProject")));
    EXPECT_TRUE(seen);
    ASSERT_GE(d.ui.messages.size(), 1u);
    EXPECT_EQ(d.ui.messages[0], "Do you want to save the current project?");
    ASSERT_EQ(d.frame.Windows().size(), 1u);
    EXPECT_EQ(d.frame.Windows()[0]->doc().path, a);
    EXPECT_FALSE(d.frame.Windows()[0]->doc().modified);

    // Break with the project open: the project is written and the program ends.
    TypeKeys(&d.frame.ActiveWindow()->editor(), "y");
    d.frame.RunCommand(size_t(app::CommandIndexByName("Break")));
    Settle();
    EXPECT_TRUE(d.ended);
    EXPECT_TRUE(d.frame.Windows().empty());
    EXPECT_EQ(d.config.settings.Text(app::Key::CurrProj), project);
}

// A project reopened, then Break: every document in the history (the last opened on top, the
// caret each had as Break closed it), the menus brought up to date once all are open.
TEST(ProjectGui, AReopenedProjectAndBreakKeepTheHistoryOfEveryDocument) {
    Desk d;
    std::vector<std::string> files;
    for (int i = 0; i < 6; ++i) {
        files.push_back(d.dir.Write("f" + std::to_string(i) + ".txt", "one\ntwo\nthree\n"));
        ASSERT_NE(d.frame.OpenFile(files.back()), nullptr);
    }
    const std::string project = d.dir.File("six.prf");
    ASSERT_TRUE(d.wiring->projects().WriteSnapshot(project, false));
    for (DocWindow* w : d.frame.Windows()) d.frame.CloseWindows(w->doc());
    Settle();
    CommandMenus& menus = d.frame.menus();
    ASSERT_FALSE(menus.ActionOf("CloseFile")->isEnabled());

    ASSERT_TRUE(d.wiring->projects().OpenProject(project));
    ASSERT_EQ(d.frame.Windows().size(), 6u);
    EXPECT_TRUE(menus.ActionOf("CloseFile")->isEnabled()) << "the menus follow the windows";
    const std::string historyPath = d.dir.File("cfg/norv.HST");
    app::HistoryFile history;
    ASSERT_EQ(app::LoadHistoryFile(platform::RealFileSystem(), historyPath, history), 0);
    for (size_t i = 0; i < files.size(); ++i)
        EXPECT_EQ(history.recent[i].path, files[files.size() - 1 - i]) << i;

    d.frame.Windows()[2]->view().SetCaret(3, 1);
    d.frame.RunCommand(size_t(app::CommandIndexByName("Break")));
    Settle();
    ASSERT_TRUE(d.ended);
    ASSERT_EQ(app::LoadHistoryFile(platform::RealFileSystem(), historyPath, history), 0);
    const app::RecentFile* r = history.FindRecentFile(files[2]);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->lead[0], 3) << "the caret as Break closed the window";
    EXPECT_EQ(r->lead[1], 2);
}

// A restored project: the windows in their order, the same one active with its tab current
// (and the focus when the frame is shown), each caret where it was. Only the active window is
// shown, once, in its own state (maximized), with the frame shown or hidden; the others keep
// theirs until they are reached (normal at its rectangle, minimized), and the snapshot written
// again holds the same records.
TEST(ProjectGui, ARestoredProjectKeepsTheOrderTheStatesAndTheActiveWindow) {
    for (const bool shown : {false, true}) {
        SCOPED_TRACE(shown ? "frame shown" : "frame hidden");
        Desk d;
        if (shown) d.frame.show();
        std::vector<std::string> files;
        for (int i = 0; i < 7; ++i) {
            std::string text;
            for (int line = 0; line < 40; ++line) text += "line " + std::to_string(line) + "\n";
            files.push_back(d.dir.Write("w" + std::to_string(i) + ".txt", text));
            ASSERT_NE(d.frame.OpenFile(files.back()), nullptr);
        }
        auto subOf = [](DocWindow* w) { return MainFrame::SubWindowIfShown(*w); };
        subOf(d.frame.Windows()[1])->showNormal();
        subOf(d.frame.Windows()[1])->setGeometry(10, 20, 300, 200);
        subOf(d.frame.Windows()[5])->showMinimized();
        // Maximized again after it was moved: its record keeps the rectangle it comes back to.
        subOf(d.frame.Windows()[6])->showNormal();
        subOf(d.frame.Windows()[6])->setGeometry(30, 40, 200, 100);
        subOf(d.frame.Windows()[6])->showMaximized();
        d.frame.Windows()[3]->view().SetCaret(30, 0);
        d.frame.ActivateWindow(*d.frame.Windows()[4]);
        ASSERT_TRUE(subOf(d.frame.Windows()[4])->isMaximized());
        const std::string project = d.dir.File("seven.prf");
        ASSERT_TRUE(d.wiring->projects().WriteSnapshot(project, false));
        const auto written = app::ReadSnapshotFile(platform::RealFileSystem(), project, nullptr);
        ASSERT_TRUE(written.has_value());
        ASSERT_EQ(written->active, 4);
        ASSERT_EQ(written->records.size(), 7u);
        // (A shown area gives the maximized state to the window it activates.)
        if (!shown) EXPECT_EQ(written->records[6].frame.showCmd, 3);
        EXPECT_EQ(RectOfRecord(written->records[6]), QRect(30, 40, 200, 100));
        for (DocWindow* w : d.frame.Windows()) d.frame.CloseWindows(w->doc());
        Settle();

        int activations = 0;
        QMdiArea* area = d.frame.findChild<QMdiArea*>();
        ASSERT_NE(area, nullptr);
        const QMetaObject::Connection counting = QObject::connect(
            area, &QMdiArea::subWindowActivated, [&activations](QMdiSubWindow* sub) {
                if (sub) ++activations;
            });
        ASSERT_TRUE(d.wiring->projects().OpenProject(project));
        QObject::disconnect(counting);
        Settle();
        const std::vector<DocWindow*> windows = d.frame.Windows();
        ASSERT_EQ(windows.size(), files.size());
        for (size_t i = 0; i < files.size(); ++i) {
            EXPECT_EQ(windows[i]->doc().path, files[i]) << i;
            EXPECT_EQ(d.frame.tabStrip()->tabText(int(i)),
                      QString::fromStdString(windows[i]->doc().title))
                << i;
            EXPECT_EQ(subOf(windows[i]) != nullptr, i == 4) << "shown only when reached: " << i;
        }
        ASSERT_EQ(d.frame.ActiveWindow(), windows[4]);
        EXPECT_EQ(d.frame.tabStrip()->currentIndex(), 4);
        EXPECT_EQ(activations, 1);
        EXPECT_TRUE(subOf(windows[4])->isMaximized()) << "its state holds after the activation";
        if (shown) EXPECT_TRUE(windows[4]->editor().hasFocus());
        EXPECT_EQ(windows[3]->caretLine(), 30);
        const std::string again = d.dir.File("again.prf");
        ASSERT_TRUE(d.wiring->projects().WriteSnapshot(again, false));
        const auto rewritten = app::ReadSnapshotFile(platform::RealFileSystem(), again, nullptr);
        ASSERT_TRUE(rewritten.has_value());
        EXPECT_EQ(rewritten->active, written->active);
        ASSERT_EQ(rewritten->records.size(), written->records.size());
        for (size_t i = 0; i < written->records.size(); ++i) {
            app::SnapshotRecord r = rewritten->records[i];
            // A shown area gives a window that it maximized on activation a normal rectangle
            // of its own size, which it fits anew to the area as laid out then.
            if (shown && i == 4) {
                r.frame.left = written->records[i].frame.left;
                r.frame.top = written->records[i].frame.top;
                r.frame.right = written->records[i].frame.right;
                r.frame.bottom = written->records[i].frame.bottom;
            }
            EXPECT_EQ(r, written->records[i]) << i;
        }

        // Reached through the tab strip, each window shows in its own state; the caret is
        // where it was.
        emit d.frame.tabStrip()->tabBarClicked(3);
        ASSERT_EQ(d.frame.ActiveWindow(), windows[3]);
        EXPECT_EQ(windows[3]->view().caretLineNumber(), 30);
        if (shown) continue;  // shown, the area maximizes the window it activates
        emit d.frame.tabStrip()->tabBarClicked(5);
        emit d.frame.tabStrip()->tabBarClicked(1);
        EXPECT_TRUE(subOf(windows[5])->isMinimized());
        EXPECT_FALSE(subOf(windows[1])->isMaximized());
        EXPECT_EQ(subOf(windows[1])->geometry(), QRect(10, 20, 300, 200));
        emit d.frame.tabStrip()->tabBarClicked(6);
        ASSERT_TRUE(subOf(windows[6])->isMaximized());
        subOf(windows[6])->showNormal();
        EXPECT_EQ(subOf(windows[6])->geometry(), QRect(30, 40, 200, 100));
    }
}

// What walks the windows sees those of a restored project that are not shown yet as any other:
// the Window menu, the scripts' window list, Save All (without making their views), Next
// Window (which shows the next one), and closing the active window (another one is shown).
TEST(ProjectGui, WindowsNotShownYetAreListedSavedReachedAndClosedAsOthers) {
    Desk d;
    d.frame.show();
    std::vector<std::string> files;
    for (int i = 0; i < 5; ++i) {
        files.push_back(d.dir.Write("d" + std::to_string(i) + ".txt", "text\n"));
        ASSERT_NE(d.frame.OpenFile(files.back()), nullptr);
    }
    TypeKeys(&d.frame.Windows()[2]->editor(), "x");
    d.frame.ActivateWindow(*d.frame.Windows()[1]);
    const std::string project = d.dir.File("five.prf");
    ASSERT_TRUE(d.wiring->projects().WriteSnapshot(project, false));
    d.ui.QueueAnswer(platform::kIdNo);  // the changes of d2.txt: kept by the copy
    ASSERT_TRUE(d.wiring->projects().OpenProject(project));
    Settle();
    std::vector<DocWindow*> windows = d.frame.Windows();
    ASSERT_EQ(windows.size(), 5u);
    ASSERT_EQ(d.frame.ActiveWindow(), windows[1]);
    EXPECT_FALSE(windows[2]->viewMade());
    EXPECT_TRUE(windows[2]->doc().modified);

    QMenu* menu = nullptr;
    for (QAction* a : d.frame.menuBar()->actions())
        if (a->text() == QStringLiteral("&Window")) menu = a->menu();
    ASSERT_NE(menu, nullptr);
    emit menu->aboutToShow();
    std::vector<QAction*> items;
    for (QAction* a : menu->actions())
        if (a->objectName().startsWith(QStringLiteral("window:"))) items.push_back(a);
    ASSERT_EQ(items.size(), 5u);
    for (size_t i = 0; i < items.size(); ++i) {
        EXPECT_EQ(items[i]->text(), QStringLiteral("&%1 d%2.txt%3")
                                        .arg(i + 1)
                                        .arg(i)
                                        .arg(i == 2 ? QStringLiteral("*") : QString()));
        EXPECT_EQ(items[i]->isChecked(), i == 1) << i;
    }
    const std::vector<app::ScriptWindow> listed = d.frame.scriptFrame().Windows();
    ASSERT_EQ(listed.size(), 6u) << "the main window and each document window";
    EXPECT_EQ(listed[3].title, "d2.txt*");

    // A snapshot keeps the changes of a document whose window was never shown in its copy.
    const std::string again = d.dir.File("again.prf");
    ASSERT_TRUE(d.wiring->projects().WriteSnapshot(again, false));
    const auto rewritten = app::ReadSnapshotFile(platform::RealFileSystem(), again, nullptr);
    ASSERT_TRUE(rewritten.has_value());
    ASSERT_EQ(rewritten->records.size(), 5u);
    ASSERT_TRUE(rewritten->records[2].temporaryCopy);
    std::string copied;
    ASSERT_EQ(
        platform::ReadWholeFile(platform::RealFileSystem(), rewritten->records[2].copyPath, copied),
        0);
    EXPECT_EQ(copied, "xtext\n");
    EXPECT_EQ(rewritten->active, 1);
    EXPECT_FALSE(windows[2]->viewMade());

    // Save All writes the document whose window was never shown, from its text as restored.
    ASSERT_TRUE(d.frame.AllSave());
    EXPECT_EQ(platform::RealFileSystem().Stat(files[2])->size, 6u);
    EXPECT_FALSE(windows[2]->doc().modified);
    EXPECT_FALSE(windows[2]->viewMade()) << "saving needs no view";
    EXPECT_EQ(d.frame.tabStrip()->tabText(2), QStringLiteral("d2.txt"));

    // Next Window goes to the next in order and shows it; choosing a listed one shows it too.
    d.frame.RunCommand(size_t(app::CommandIndexByName("NextPane")));
    ASSERT_EQ(d.frame.ActiveWindow(), windows[2]);
    EXPECT_NE(MainFrame::SubWindowIfShown(*windows[2]), nullptr);
    EXPECT_TRUE(windows[2]->editor().hasFocus());
    emit menu->aboutToShow();
    for (QAction* a : menu->actions())
        if (a->objectName() == QStringLiteral("window:5")) a->trigger();
    ASSERT_EQ(d.frame.ActiveWindow(), windows[4]);
    EXPECT_EQ(d.frame.tabStrip()->currentIndex(), 4);

    // Closing every shown window leaves the others, one of them shown and active.
    for (DocWindow* w : {windows[1], windows[2], windows[4]}) d.frame.CloseWindows(w->doc());
    Settle();
    windows = d.frame.Windows();
    ASSERT_EQ(windows.size(), 2u);
    EXPECT_EQ(windows[0]->doc().path, files[0]);
    EXPECT_EQ(windows[1]->doc().path, files[3]);
    ASSERT_EQ(d.frame.tabStrip()->count(), 2);
    DocWindow* active = d.frame.ActiveWindow();
    ASSERT_NE(active, nullptr);
    EXPECT_NE(MainFrame::SubWindowIfShown(*active), nullptr);
    EXPECT_TRUE(d.frame.menus().ActionOf("CloseFile")->isEnabled());
}

TEST(ProjectGui, RecentFilesInTheFileMenuAndTheHistory) {
    Desk d;
    d.config.settings.Set(app::Key::MRUFiles, 2);
    std::vector<std::string> files;
    for (const char* name : {"one.txt", "two.txt", "three.txt"}) {
        files.push_back(d.dir.Write(name, std::string(name) + "\n"));
        ASSERT_NE(d.frame.OpenFile(files.back()), nullptr);
    }
    app::HistoryFile history;
    ASSERT_EQ(app::LoadHistoryFile(platform::RealFileSystem(), d.dir.File("cfg/norv.HST"), history),
              0);
    EXPECT_EQ(history.recent[0].path, files[2]);
    EXPECT_EQ(history.recent[1].path, files[1]);
    EXPECT_EQ(history.recent[2].path, files[0]);
    EXPECT_EQ(history.recent[0].LastUpdate(), MtimeOf(files[2]));
    EXPECT_GE(history.recent[0].LastOpen(), history.recent[1].LastOpen());
    EXPECT_EQ(history.folders[0], d.dir.path() + "/");

    QMenu* file = d.frame.menuBar()->findChild<QMenu*>(QStringLiteral("menu:File"));
    ASSERT_NE(file, nullptr);
    d.wiring->FillRecentMenu();
    std::vector<QAction*> entries;
    QAction* exit = nullptr;
    for (QAction* a : file->actions()) {
        if (a->objectName() == QLatin1String(ProjectWiring::kRecentEntryName)) entries.push_back(a);
        if (a->objectName() == QLatin1String("AppExit")) exit = a;
    }
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0]->text(), "&1 " + QString::fromStdString(files[2]));
    EXPECT_EQ(entries[1]->text(), "&2 " + QString::fromStdString(files[1]));
    EXPECT_LT(file->actions().indexOf(entries[1]), file->actions().indexOf(exit));
    // An entry opens its file.
    d.frame.CloseWindows(d.frame.Windows()[1]->doc());
    Settle();
    ASSERT_EQ(d.frame.Windows().size(), 2u);
    entries[1]->trigger();
    ASSERT_EQ(d.frame.Windows().size(), 3u);
    EXPECT_EQ(d.frame.ActiveWindow()->doc().path, files[1]);
}

TEST(ProjectGui, RecentFilesDialogSortsKeepsWidthsAndOpens) {
    Desk d;
    std::vector<std::string> files;
    for (const char* name : {"b.txt", "a.txt", "c.txt"}) {
        files.push_back(d.dir.Write(name, "x\n"));
        ASSERT_NE(d.frame.OpenFile(files.back()), nullptr);
    }
    for (DocWindow* w : d.frame.Windows()) d.frame.CloseWindows(w->doc());
    Settle();
    d.config.settings.Set(app::Key::MRUHead, std::string_view("111,222,133,144"));
    d.config.settings.Set(app::Key::MRUSort, 9);  // refused: the default, last open
    bool checked = false;
    WhenShown(
        [] { return qobject_cast<RecentFilesDialog*>(QApplication::activeModalWidget()); },
        [&](QWidget& w) {
            auto& dialog = static_cast<RecentFilesDialog&>(w);
            QTreeWidget* list = dialog.list();
            const QStringList headers{list->headerItem()->text(0), list->headerItem()->text(1),
                                      list->headerItem()->text(2), list->headerItem()->text(3)};
            EXPECT_EQ(headers, (QStringList{"File Name", "Folder", "Last Open", "Last Update"}));
            EXPECT_EQ(list->columnWidth(1), 222);
            EXPECT_EQ(dialog.sortColumn(), 2);
            EXPECT_EQ(list->topLevelItem(0)->text(0), "c.txt");
            // A click on the first header sorts by name.
            emit list->header()->sectionClicked(0);
            EXPECT_EQ(list->topLevelItem(0)->text(0), "a.txt");
            EXPECT_EQ(list->topLevelItem(2)->text(0), "c.txt");
            list->setColumnWidth(0, 150);
            list->topLevelItem(0)->setSelected(true);
            list->topLevelItem(1)->setSelected(true);
            checked = true;
            dialog.accept();
        });
    EXPECT_TRUE(d.wiring->ShowRecentFiles());
    EXPECT_TRUE(checked);
    EXPECT_EQ(d.config.settings.Text(app::Key::MRUHead), "150,222,133,144");
    EXPECT_EQ(d.config.settings.Int(app::Key::MRUSort), 0);
    ASSERT_EQ(d.frame.Windows().size(), 2u);
    EXPECT_EQ(d.frame.Windows()[0]->doc().path, files[1]);
    EXPECT_EQ(d.frame.Windows()[1]->doc().path, files[0]);
}

}  // namespace
}  // namespace norv::qt
