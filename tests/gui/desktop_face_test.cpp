// The frame's desktop face through the real widgets: the tool bars and their icons, the
// function-key bar's labels, the Window menu's list, the HTML colour, the read-only state, the
// Save As proposal, and the manual and help entries handed to xdg-open.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "app/commands/command_texts.h"
#include "app/commands/tool_bar_table.h"
#include "app/help_files.h"
#include "gui/dialogs/file_dialogs.h"
#include "gui/dialogs/frame_dialogs.h"
#include "gui/editor/text_bridge.h"
#include "gui/frame/bars.h"
#include "gui/frame/doc_window.h"
#include "gui/frame/main_frame.h"
#include "gui/frame/tool_bars.h"
#include "gui/gui_test_support.h"
#include "platform/fakes/headless_ui.h"
#include "support/temp_dir.h"

namespace norv::qt {
namespace {

bool PumpUntil(const std::function<bool()>& done, int ms = 10000) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return done();
}

size_t Index(std::string_view name) {
    return static_cast<size_t>(app::CommandIndexByName(name));
}

// Save As dialogs that note the proposed name and cancel.
struct RecordingDialogs : FileDialogs {
    bool AskOpen(OpenRequest&) override { return false; }
    bool AskSaveAs(document::SaveAsRequest& request) override {
        proposed.push_back(request.name);
        return false;
    }
    std::vector<std::string> proposed;
};

struct Frame {
    Frame() : config(932) {}
    void Use() { frame.UseConfiguration(config, nullptr); }
    platform::HeadlessUi ui;
    RecordingDialogs dialogs;
    app::Configuration config;
    MainFrame frame{&ui, &dialogs};
};

// An icon drawn at this size: the right size, and more than one colour on it.
bool DrawnAt(const QIcon& icon, int size) {
    const QImage image = icon.pixmap(QSize(size, size)).toImage();
    if (image.width() != size || image.height() != size) return false;
    std::set<QRgb> colours;
    int opaque = 0;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const QRgb p = image.pixel(x, y);
            if (qAlpha(p) > 128) ++opaque;
            colours.insert(p);
        }
    return opaque >= size && colours.size() >= 3;
}

// Every button of every bar has a drawn icon at both sizes, and its menu label, never its table
// name, as text and tip; BigButton switches the size of the buttons.
TEST(ToolBars, IconsAndTipsOfEveryButton) {
    Frame f;
    f.Use();
    f.frame.show();
    ToolBars& bars = f.frame.toolBars();
    for (bool big : {false, true}) {
        f.config.settings.Set(app::Key::BigButton, big ? 1 : 0);
        bars.Apply(f.config.settings);
        const int size = big ? ToolBars::kBigIcon : ToolBars::kSmallIcon;
        for (size_t n = 0; n < app::kToolBars.size(); ++n) {
            ASSERT_TRUE(bars.built(n));
            EXPECT_EQ(bars.bar(n)->iconSize(), QSize(size, size));
            const app::ToolBarSpec& spec = app::kToolBars[n];
            for (size_t i = 0; i < spec.buttons.size(); ++i) {
                QAction* a = bars.button(n, i);
                ASSERT_NE(a, nullptr);
                const std::string_view name = spec.buttons[i].command;
                EXPECT_TRUE(DrawnAt(a->icon(), size)) << name << " at " << size;
                const QString label =
                    FromUtf8(app::CommandDescription(app::ToolButtonCommand(spec.buttons[i])));
                EXPECT_TRUE(label.startsWith(a->toolTip())) << name;
                // The text keeps an "&" of the label as it is, not as a mnemonic.
                EXPECT_EQ(QString(a->text()).replace(QStringLiteral("&&"), QStringLiteral("&")),
                          a->toolTip())
                    << name;
                EXPECT_FALSE(a->toolTip().endsWith(QStringLiteral("...")));
            }
        }
        // A shown button's grabbed image holds its icon at the bar's size.
        QWidget* paste = bars.bar(1)->widgetForAction(bars.button(1, 6));
        ASSERT_NE(paste, nullptr);
        QCoreApplication::processEvents();
        EXPECT_GE(paste->grab().width(), size);
        EXPECT_EQ(qobject_cast<QToolButton*>(paste)->iconSize(), QSize(size, size));
    }
    // Labels, not table names.
    EXPECT_EQ(bars.button(1, 9)->toolTip(), QStringLiteral("Clipboard History"));
    EXPECT_EQ(bars.button(1, 0)->toolTip(), QStringLiteral("Undo"));
    EXPECT_EQ(bars.button(0, 11)->toolTip(), QStringLiteral("Save&Close"));
    EXPECT_EQ(bars.button(2, 9)->toolTip(), QStringLiteral("Find in Files"));
    // A button runs its command.
    const int windows = static_cast<int>(f.frame.Windows().size());
    bars.button(0, 0)->trigger();
    EXPECT_EQ(static_cast<int>(f.frame.Windows().size()), windows + 1);
}

// A mask with bits off hides those buttons; a bar switched off is hidden and loads nothing
// until it is shown.
TEST(ToolBars, MasksAndHiddenBars) {
    Frame f;
    f.config.settings.Set(app::Key::BarFile, 0b101);
    f.config.settings.Set(app::Key::ToolBar3, 0);
    f.Use();
    f.frame.show();
    ToolBars& bars = f.frame.toolBars();
    QCoreApplication::processEvents();  // the bar lays its buttons out
    for (size_t i = 0; i < std::size(app::kFileBar); ++i) {
        EXPECT_EQ(bars.button(0, i)->isVisible(), i == 0 || i == 2) << i;
        QWidget* w = bars.bar(0)->widgetForAction(bars.button(0, i));
        EXPECT_EQ(w && w->isVisible(), i == 0 || i == 2) << i;
    }
    // The default masks: the Window bar shows buttons 2 and 6 to 10.
    for (size_t i = 0; i < std::size(app::kWindowBar); ++i)
        EXPECT_EQ(bars.button(4, i)->isVisible(), i == 2 || i >= 6) << i;
    EXPECT_FALSE(bars.bar(2)->isVisible());
    EXPECT_FALSE(bars.built(2));
    EXPECT_TRUE(bars.built(0));
    EXPECT_EQ(bars.button(2, 0), nullptr);
    // Shown through the frame's own bar menu, it fills itself.
    bars.bar(2)->show();
    EXPECT_TRUE(bars.built(2));
    EXPECT_TRUE(bars.button(2, 0)->isVisible());
    EXPECT_FALSE(bars.button(2, 1)->isVisible());
    // A changed mask applies at once.
    f.config.settings.Set(app::Key::BarFile, -1);
    bars.Apply(f.config.settings);
    for (size_t i = 0; i < std::size(app::kFileBar); ++i)
        EXPECT_TRUE(bars.button(0, i)->isVisible());
    // Enabled states follow the frame: Undo needs a window.
    EXPECT_FALSE(bars.button(1, 0)->isEnabled());
    f.frame.NewFile();
    EXPECT_TRUE(bars.button(1, 0)->isEnabled());
}

// A frame that is never shown (a headless run) loads no icons.
TEST(ToolBars, NothingLoadedForAHiddenFrame) {
    Frame f;
    f.Use();
    for (size_t n = 0; n < app::kToolBars.size(); ++n) EXPECT_FALSE(f.frame.toolBars().built(n));
    f.frame.show();
    for (size_t n = 0; n < app::kToolBars.size(); ++n) EXPECT_TRUE(f.frame.toolBars().built(n));
}

TEST(ToolBars, ApplicationIconIsTheProgramsOwn) {
    Frame f;
    const QIcon icon = QApplication::windowIcon();
    EXPECT_TRUE(DrawnAt(icon, 32));
    EXPECT_TRUE(DrawnAt(icon, 64));
}

void PressModifiers(QWidget* target, Qt::KeyboardModifiers mods) {
    // The watcher follows the modifiers of any key event.
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, mods);
    QApplication::sendEvent(target, &press);
}

// The function-key bar's labels for each modifier class: short names, an add-in's script file
// name, a help command's file name, and "F%d" where no command has the key.
TEST(FunctionKeyBar, LabelsOfEachModifierClass) {
    Frame f;
    f.config.settings.Set(app::Key::DispFkey, 1);
    f.config.settings.Set(app::HelpKey(0, app::HelpField::File), "/opt/doc/guide.html");
    f.config.data.addins[0].file = "/home/u/scripts/tidy.nrs";
    f.Use();
    f.frame.keyTable().SetKey(Index("Help1"), 0, app::KeyFromName("F11"));
    f.frame.keyTable().SetKey(Index("Addin0"), 0, app::KeyFromName("SCtrl+F2"));
    f.frame.RefreshKeys();
    f.frame.show();
    DocWindow* w = f.frame.NewFile();
    ASSERT_NE(w, nullptr);
    FunctionKeyBar& bar = f.frame.functionKeyBar();
    auto labels = [&bar] {
        std::vector<std::string> out;
        for (int n = 0; n < 12; ++n) out.push_back(bar.button(n)->text().toStdString());
        return out;
    };
    using L = std::vector<std::string>;
    static const struct {
        Qt::KeyboardModifiers mods;
        L expected;
    } kCases[] = {
        {Qt::NoModifier,
         {"Help", "FileSelect", "FindNext", "TileTwo", "Cascade", "NewWindow", "F7", "NextModified",
          "TagFile", "TagJump", "guide.html", "F12"}},
        {Qt::ShiftModifier,
         {"F1", "F2", "FindPrev", "OtherWin", "F5", "Shell", "ShellMenu", "PrevModified", "F9",
          "ListMarks", "F11", "F12"}},
        {Qt::ControlModifier,
         {"F1", "F2", "F3", "F4", "RunScript", "F6", "CutAppend", "CopyAppend", "F9", "F10", "F11",
          "F12"}},
        {Qt::ControlModifier | Qt::ShiftModifier,
         {"F1", "tidy.nrs", "F3", "F4", "F5", "F6", "F7", "F8", "F9", "F10", "F11", "F12"}},
        {Qt::AltModifier,
         {"F1", "F2", "F3", "Exit", "F5", "F6", "F7", "F8", "F9", "F10", "F11", "F12"}},
        {Qt::AltModifier | Qt::ShiftModifier,
         {"F1", "F2", "F3", "F4", "F5", "F6", "F7", "F8", "F9", "F10", "F11", "F12"}},
    };
    for (const auto& c : kCases) {
        PressModifiers(&w->editor(), c.mods);
        EXPECT_EQ(labels(), c.expected) << c.mods.toInt();
    }
}

// The Window menu lists the windows after its commands: "&1" to "&9", then unnumbered, the
// active one checked; choosing one activates it.
TEST(WindowMenu, ListsNumbersChecksAndActivates) {
    norv::testing::TempDir dir;
    Frame f;
    f.Use();
    f.frame.show();
    QMenu* menu = nullptr;
    for (QAction* a : f.frame.menuBar()->actions())
        if (a->text() == QStringLiteral("&Window")) menu = a->menu();
    ASSERT_NE(menu, nullptr);
    auto listed = [menu] {
        emit menu->aboutToShow();
        std::vector<QAction*> out;
        for (QAction* a : menu->actions())
            if (a->objectName().startsWith(QStringLiteral("window:"))) out.push_back(a);
        return out;
    };
    EXPECT_TRUE(listed().empty());
    std::vector<DocWindow*> windows;
    for (int i = 1; i <= 11; ++i)
        windows.push_back(f.frame.OpenFile(dir.Write("f" + std::to_string(i) + ".txt", "x")));
    std::vector<QAction*> items = listed();
    ASSERT_EQ(items.size(), 11u);
    EXPECT_EQ(items[0]->text(), QStringLiteral("&1 f1.txt"));
    EXPECT_EQ(items[8]->text(), QStringLiteral("&9 f9.txt"));
    EXPECT_EQ(items[9]->text(), QStringLiteral("f10.txt"));
    for (size_t i = 0; i < items.size(); ++i) EXPECT_EQ(items[i]->isChecked(), i == 10) << i;
    // The commands stay before the list.
    EXPECT_EQ(menu->actions().front()->objectName(), QStringLiteral("NewWindow"));
    items[2]->trigger();
    EXPECT_EQ(f.frame.ActiveWindow(), windows[2]);
    items = listed();
    ASSERT_EQ(items.size(), 11u);
    for (size_t i = 0; i < items.size(); ++i) EXPECT_EQ(items[i]->isChecked(), i == 2) << i;
    // A closed window leaves the list; an "&" in a name is shown as it is.
    f.frame.FileClose(*windows[0]);
    ASSERT_TRUE(PumpUntil([&f] { return f.frame.Windows().size() == 10; }));
    f.frame.OpenFile(dir.Write("a&b.txt", "x"));
    items = listed();
    ASSERT_EQ(items.size(), 11u);
    EXPECT_EQ(items[0]->text(), QStringLiteral("&1 f2.txt"));
    EXPECT_EQ(items[10]->text(), QStringLiteral("a&&b.txt"));
}

// Pixels of a grabbed view close to pure red.
int RedPixels(DocWindow& w) {
    w.editor().Refresh();
    const QImage image = w.editor().viewport()->grab().toImage();
    int red = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() > 200 && c.green() < 80 && c.blue() < 80) ++red;
        }
    return red;
}

TEST(HtmlColour, TagsOfHtmlDocumentsOnly) {
    norv::testing::TempDir dir;
    Frame f;
    f.config.settings.Set(app::Key::HTMLColor, "255 000 000");
    f.Use();
    f.frame.resize(800, 600);
    f.frame.show();
    const std::string text = "<html><body>plain words</body></html>\n";
    DocWindow* html = f.frame.OpenFile(dir.Write("page.html", text));
    ASSERT_NE(html, nullptr);
    EXPECT_EQ(html->doc().typeCode, 'H');
    EXPECT_GT(RedPixels(*html), 20);
    DocWindow* plain = f.frame.OpenFile(dir.Write("page.txt", text));
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(RedPixels(*plain), 0);
    // Without tags an HTML document has nothing in the colour.
    DocWindow* words = f.frame.OpenFile(dir.Write("words.htm", "plain words only\n"));
    EXPECT_EQ(RedPixels(*words), 0);
}

QString ReadOnlyShown(MainFrame& frame) {
    auto* label = frame.statusBar()->findChild<QLabel*>(QStringLiteral("readOnlyState"));
    return label ? label->text() : QStringLiteral("(no label)");
}

TEST(StatusBar, ShowsTheReadOnlyState) {
    norv::testing::TempDir dir;
    Frame f;
    f.Use();
    f.frame.show();
    DocWindow* w = f.frame.OpenFile(dir.Write("a.txt", "abc"));
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(ReadOnlyShown(f.frame), QString());
    f.frame.RunCommand(Index("LockEdit"));
    EXPECT_EQ(ReadOnlyShown(f.frame), QStringLiteral("R/O"));
    f.frame.RunCommand(Index("LockEdit"));
    EXPECT_EQ(ReadOnlyShown(f.frame), QString());
    DocWindow* ro =
        f.frame.OpenFile(dir.Write("b.txt", "abc"), document::CodeChoice::kDefault, true);
    ASSERT_NE(ro, nullptr);
    EXPECT_EQ(ReadOnlyShown(f.frame), QStringLiteral("R/O"));
    // It follows the active window.
    f.frame.FileClose(*ro);
    PumpUntil([&f] { return f.frame.Windows().size() == 1; });
    EXPECT_EQ(ReadOnlyShown(f.frame), QString());
}

// Runs `fill` on the next modal dialog.
void WhenDialogShown(std::function<void(QDialog&)> fill) {
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, fill] {
        if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            fill(*d);
        }
    });
    timer->start();
}

// An untitled document proposes its title with its file type's first extension.
TEST(SaveAs, ProposalsForUntitledDocumentsOfSeveralTypes) {
    Frame f;
    f.config.settings.Set(app::Key::DefExt, "*.md;*.*");
    f.config.settings.Set(app::UserExtKey(1), "*.pl;*.pm");
    f.config.settings.Set(app::UserCmtKey(1), "Perl");
    f.Use();
    f.frame.show();
    DocWindow* text = f.frame.NewFile();
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->windowTitle(), QStringLiteral("Untitled.md"));
    EXPECT_FALSE(f.frame.FileSave(*text, true));
    auto newOfType = [&f](const QString& start) {
        WhenDialogShown([start](QDialog& d) {
            auto* list = d.findChild<QListWidget*>(kChoiceListName);
            ASSERT_NE(list, nullptr);
            for (int i = 0; i < list->count(); ++i)
                if (list->item(i)->text().startsWith(start)) list->setCurrentRow(i);
            d.accept();
        });
        return f.frame.NewFileOfType();
    };
    for (const QString& type :
         {QStringLiteral("C source"), QStringLiteral("HTML"), QStringLiteral("Perl")}) {
        DocWindow* w = newOfType(type);
        ASSERT_NE(w, nullptr);
        EXPECT_FALSE(f.frame.FileSave(*w, true));
    }
    EXPECT_EQ(f.dialogs.proposed, (std::vector<std::string>{"Untitled.md", "Untitled.c",
                                                            "Untitled.html", "Untitled.pl"}));
    // The title keeps its extension when it becomes modified.
    testing::TypeKeys(&text->editor(), "a");
    EXPECT_EQ(text->windowTitle(), QStringLiteral("Untitled.md*"));
}

// A recording xdg-open first on PATH: each run writes its arguments, one a line, to a file of
// its own in the folder.
class XdgOpen : public ::testing::Test {
  protected:
    // Writes a file of the test's folder, making its folders.
    std::string Put(const std::string& name, std::string_view bytes) {
        std::filesystem::create_directories(std::filesystem::path(dir.File(name)).parent_path());
        return dir.Write(name, bytes);
    }
    void SetUp() override {
        const std::string script =
            Put("bin/xdg-open",
                "#!/bin/sh\n"
                "out=\"$(dirname \"$0\")/../calls/$$\"\n"
                "printf '%s\\n' \"$#\" \"$@\" > \"$out.tmp\" && mv \"$out.tmp\" \"$out\"\n");
        std::filesystem::permissions(script, std::filesystem::perms::owner_all);
        std::filesystem::create_directories(dir.File("calls"));
        oldPath = std::getenv("PATH") ? std::getenv("PATH") : "";
        setenv("PATH", (dir.File("bin") + ":" + oldPath).c_str(), 1);
        f.Use();
        f.frame.SetProgramFolder(dir.File("prog") + "/");
    }
    void TearDown() override { setenv("PATH", oldPath.c_str(), 1); }

    // The argument lists of the calls made so far.
    std::vector<std::vector<std::string>> Calls() {
        std::vector<std::vector<std::string>> out;
        for (const auto& e : std::filesystem::directory_iterator(dir.File("calls"))) {
            if (e.path().extension() == ".tmp") continue;
            std::ifstream in(e.path());
            std::vector<std::string> lines;
            for (std::string line; std::getline(in, line);) lines.push_back(line);
            if (!lines.empty()) lines.erase(lines.begin());  // the count, checked below
            out.push_back(lines);
        }
        return out;
    }
    bool WaitForCalls(size_t n) {
        return PumpUntil([&] { return Calls().size() >= n; });
    }

    norv::testing::TempDir dir;
    std::string oldPath;
    Frame f;
};

TEST_F(XdgOpen, F1HandsOverTheManualsIndex) {
    Put("prog/manual/index.html", "<html></html>");
    f.frame.RunCommand(Index("AppHelp"));
    ASSERT_TRUE(WaitForCalls(1));
    EXPECT_EQ(Calls()[0], std::vector<std::string>{dir.File("prog/manual/index.html")});
    EXPECT_TRUE(f.ui.messages.empty());
}

TEST_F(XdgOpen, ManualOfAnInstalledProgram) {
    // An installed program finds it in ../share/norv/manual/.
    Put("share/norv/manual/index.html", "<html></html>");
    f.frame.SetProgramFolder(dir.File("bin") + "/");
    EXPECT_TRUE(f.frame.ShowManual());
    ASSERT_TRUE(WaitForCalls(1));
    EXPECT_EQ(Calls()[0], std::vector<std::string>{dir.File("share/norv/manual/index.html")});
}

TEST_F(XdgOpen, MissingManualSaysSo) {
    f.frame.RunCommand(Index("AppHelp"));
    ASSERT_EQ(f.ui.messages.size(), 1u);
    EXPECT_EQ(f.ui.messages[0],
              "The help file " + dir.File("prog/manual/index.html") + " is not found.");
    QCoreApplication::processEvents();
    EXPECT_TRUE(Calls().empty());
}

// A help entry hands over its file as one argument; the word at the caret goes nowhere; a
// missing file says so; an empty entry does nothing.
TEST_F(XdgOpen, HelpEntriesOpenTheirFiles) {
    Put("prog/guide one.html", "<html></html>");
    const std::string elsewhere = Put("docs/ref;x $HOME.txt", "ref");
    f.config.settings.Set(app::HelpKey(0, app::HelpField::File), "guide one.html");
    f.config.settings.Set(app::HelpKey(1, app::HelpField::File), elsewhere);
    f.config.settings.Set(app::HelpKey(2, app::HelpField::File), "missing.html");
    f.frame.show();
    DocWindow* w = f.frame.OpenFile(Put("a.c", "printf(x);"));
    ASSERT_NE(w, nullptr);
    w->view().SetCaret(1, 2);
    f.frame.RunCommand(Index("Help1"));
    ASSERT_TRUE(WaitForCalls(1));
    f.frame.RunCommand(Index("Help2"));
    ASSERT_TRUE(WaitForCalls(2));
    std::set<std::vector<std::string>> calls;
    for (const auto& c : Calls()) calls.insert(c);
    EXPECT_EQ(calls,
              (std::set<std::vector<std::string>>{{dir.File("prog/guide one.html")}, {elsewhere}}));
    EXPECT_TRUE(f.ui.messages.empty());
    f.frame.RunCommand(Index("Help3"));
    ASSERT_EQ(f.ui.messages.size(), 1u);
    EXPECT_EQ(f.ui.messages[0],
              "The help file " + dir.File("prog/missing.html") + " is not found.");
    f.frame.RunCommand(Index("Help4"));  // empty
    EXPECT_EQ(f.ui.messages.size(), 1u);
    QCoreApplication::processEvents();
    EXPECT_EQ(Calls().size(), 2u);
}

// The Tools menu lists the manual and the entries that match the active document, under their
// descriptions or else their file names.
TEST_F(XdgOpen, ToolsMenuListsTheMatchingEntries) {
    using app::HelpField;
    using app::HelpKey;
    auto set = [this](int n, const char* file, const char* cmt, const char* ext) {
        f.config.settings.Set(HelpKey(n, HelpField::File), file);
        f.config.settings.Set(HelpKey(n, HelpField::Cmt), cmt);
        f.config.settings.Set(HelpKey(n, HelpField::Ext), ext);
    };
    set(0, "c.html", "C & library", "*.c;*.h");
    set(1, "/usr/share/doc/all.txt", "", "*.*");
    set(3, "text.html", "Text notes", "*.txt");
    set(9, "tenth.html", "", "*.C");
    set(5, "", "Nothing", "*.*");  // no file: not listed
    f.frame.show();
    QMenu* tools = nullptr;
    for (QAction* a : f.frame.menuBar()->actions())
        if (a->text() == QStringLiteral("&Tools")) tools = a->menu();
    ASSERT_NE(tools, nullptr);
    auto shown = [&] {
        emit tools->aboutToShow();
        std::vector<std::string> out;
        for (QAction* a : tools->actions())
            if (a->isVisible() && a->objectName().startsWith(QStringLiteral("Help")))
                out.push_back(a->objectName().toStdString() + "=" +
                              a->text().section(QLatin1Char('\t'), 0, 0).toStdString());
        return out;
    };
    using V = std::vector<std::string>;
    EXPECT_EQ(shown(), (V{"Help2=all.txt"}));  // no document: only "*.*"
    f.frame.OpenFile(Put("a.c", "x"));
    EXPECT_EQ(shown(), (V{"Help1=C && library", "Help2=all.txt", "Help10=tenth.html"}));
    f.frame.OpenFile(Put("b.txt", "x"));
    EXPECT_EQ(shown(), (V{"Help2=all.txt", "Help4=Text notes"}));
    // The manual's entry is always there.
    bool help = false;
    for (QAction* a : tools->actions())
        help = help || (a->objectName() == QStringLiteral("AppHelp") && a->isVisible());
    EXPECT_TRUE(help);
}

}  // namespace
}  // namespace norv::qt
