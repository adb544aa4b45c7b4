// The scripts' user-interface built-ins in the real frame, through the real widgets: message
// boxes of every style, input boxes, the Open and Save dialogs, pop-up menus, the status bar,
// keys sent into a view and the key state, the input method, settings and document state
// written through system variables, and the window values.
//
// Every dialog and pop-up a script opens is answered by a driver that hands each one, as it
// shows, to the next handler; a watchdog closes whatever stays open for seconds and fails the
// test, so that no test waits forever.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <deque>
#include <filesystem>
#include <functional>
#include <string>

#include "app/commands/command_table.h"
#include "app/config/settings_store.h"
#include "gui/frame/doc_window.h"
#include "gui/frame/main_frame.h"
#include "gui/frame/script_wiring.h"
#include "gui/gui_test_support.h"
#include "platform/file_system.h"
#include "support/temp_dir.h"

// Qt's `slots` keyword would take the script host's slots() for its own.
#undef slots
#include "app/scripting/editor_script_host.h"

namespace norv::qt {
namespace {

using testing::DocumentBytes;
using testing::Key;
using testing::TypeKeys;

constexpr int kWatchdogMs = 4000;

// Hands each dialog or pop-up that shows to the next handler, in order.
class Driver {
  public:
    using Handler = std::function<void(QWidget&)>;
    explicit Driver(std::vector<Handler> handlers = {})
        : handlers_(handlers.begin(), handlers.end()) {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] { Tick(); });
        timer_.start();
    }
    size_t handled() const { return handled_; }
    bool timedOut() const { return timedOut_; }

  private:
    void Tick() {
        QWidget* w = QApplication::activePopupWidget();
        if (w == nullptr) w = QApplication::activeModalWidget();
        if (w == nullptr) return;
        if (w != current_.data()) {
            current_ = w;
            since_.start();
            if (handlers_.empty()) return;
            Handler h = std::move(handlers_.front());
            handlers_.pop_front();
            ++handled_;
            h(*w);
            return;
        }
        if (since_.elapsed() < kWatchdogMs) return;
        ADD_FAILURE() << "left open: " << w->metaObject()->className() << " "
                      << w->objectName().toStdString();
        timedOut_ = true;
        since_.start();
        if (auto* d = qobject_cast<QDialog*>(w))
            d->reject();
        else
            w->close();
    }

    QTimer timer_;
    std::deque<Handler> handlers_;
    QPointer<QWidget> current_;
    QElapsedTimer since_;
    size_t handled_ = 0;
    bool timedOut_ = false;
};

template <typename W>
Driver::Handler As(std::function<void(W&)> f) {
    return [f = std::move(f)](QWidget& w) {
        auto* typed = qobject_cast<W*>(&w);
        if (typed == nullptr) {
            auto* box = qobject_cast<QMessageBox*>(&w);
            ADD_FAILURE() << "unexpected " << w.metaObject()->className() << " "
                          << (box ? box->text().toStdString() : std::string());
            if (auto* d = qobject_cast<QDialog*>(&w))
                d->reject();
            else
                w.close();
            return;
        }
        f(*typed);
    };
}

QPushButton* ButtonTexted(QMessageBox& box, const QString& text) {
    for (QAbstractButton* b : box.buttons())
        if (b->text() == text) return qobject_cast<QPushButton*>(b);
    return nullptr;
}

struct Frame {
    Frame() : store(platform::RealFileSystem(), dir.File("norv.INI"), 932), config(932) {
        frame.UseConfiguration(config, &store);
        frame.scripts().SetSettingsFolder(dir.path());
        frame.resize(700, 500);
        frame.show();
        frame.activateWindow();
        QApplication::processEvents();
    }
    // Runs a script whose Main is `body`; what it leaves in .PARMSTRB comes back.
    std::string Run(const std::string& body,
                    app::ScriptOutcome expected = app::ScriptOutcome::kDone) {
        host().parmStrB.clear();
        const std::string path = dir.Write("t.nrs", "MAIN\nDIM h, h2, n\n" + body + "\nEND MAIN\n");
        EXPECT_EQ(frame.scripts().RunFile(path), expected) << body;
        return host().parmStrB;
    }
    app::EditorScriptHost& host() { return frame.scripts().host(); }
    QAction* Item(const char* name) {
        for (QAction* a : frame.findChildren<QAction*>())
            if (a->objectName() == QLatin1String(name)) return a;
        return nullptr;
    }
    QString StatusLabel(const char* name) {
        auto* l = frame.findChild<QLabel*>(QLatin1String(name));
        return l ? l->text() : QStringLiteral("(none)");
    }

    norv::testing::TempDir dir;
    app::SettingsStore store;
    app::Configuration config;
    MainFrame frame;
};

TEST(ScriptUiGui, MessageBoxesOfEveryStyleAndEveryResult) {
    static const struct {
        unsigned style;
        const char* caption;
        std::vector<std::pair<QString, int>> buttons;  // text, result
        QMessageBox::Icon icon;
        int defaultButton;
    } kStyles[] = {
        {0, "", {{"OK", 1}}, QMessageBox::NoIcon, 0},
        {1 + 0x10, "Mine", {{"OK", 1}, {"Cancel", 2}}, QMessageBox::Critical, 0},
        {2 + 0x20 + 0x100,
         "",
         {{"&Abort", 3}, {"&Retry", 4}, {"&Ignore", 5}},
         QMessageBox::Question,
         1},
        {3 + 0x30 + 0x200,
         "Job",
         {{"&Yes", 6}, {"&No", 7}, {"Cancel", 2}},
         QMessageBox::Warning,
         2},
        {4 + 0x40, "", {{"&Yes", 6}, {"&No", 7}}, QMessageBox::Information, 0},
        {5 + 0x100, "", {{"&Retry", 4}, {"Cancel", 2}}, QMessageBox::NoIcon, 1},
    };
    Frame f;
    std::vector<Driver::Handler> handlers;
    std::string body, expected;
    for (const auto& s : kStyles)
        for (const auto& button : s.buttons) {
            const QString text = button.first;
            const int result = button.second;
            body += ".PARMSTRB = .PARMSTRB + STR(MSGBOX(\"Go on?\", \"" + std::string(s.caption) +
                    "\", " + std::to_string(s.style) + ")) + \",\"\n";
            expected += std::to_string(result) + ",";
            const QString caption = *s.caption ? QString::fromLatin1(s.caption) : "Norv";
            handlers.push_back(As<QMessageBox>([&s, text, caption](QMessageBox& box) {
                EXPECT_EQ(box.windowTitle(), caption) << s.style;
                EXPECT_EQ(box.text(), QStringLiteral("Go on?"));
                EXPECT_EQ(box.icon(), s.icon) << s.style;
                EXPECT_EQ(box.buttons().size(), static_cast<qsizetype>(s.buttons.size()));
                ASSERT_NE(box.defaultButton(), nullptr);
                EXPECT_EQ(box.defaultButton()->text(),
                          s.buttons[static_cast<size_t>(s.defaultButton)].first)
                    << s.style;
                QPushButton* b = ButtonTexted(box, text);
                ASSERT_NE(b, nullptr) << text.toStdString();
                b->click();
            }));
        }
    Driver driver(std::move(handlers));
    EXPECT_EQ(f.Run(body), expected);
    EXPECT_FALSE(driver.timedOut());
}

// Also a former fault: on the offscreen platform the input box was cancelled without showing.
TEST(ScriptUiGui, InputBoxOkTakesTypedTextAndCancelGivesNothing) {
    Frame f;
    QString shown;
    Driver driver({As<QInputDialog>([&](QInputDialog& d) {
                       shown = d.windowTitle() + "|" + d.labelText() + "|" + d.textValue();
                       auto* edit = d.findChild<QLineEdit*>();
                       ASSERT_NE(edit, nullptr);
                       edit->clear();
                       TypeKeys(edit, "typed");
                       d.accept();
                   }),
                   As<QInputDialog>([](QInputDialog& d) { d.reject(); })});
    EXPECT_EQ(f.Run(".PARMSTRB = INPUTBOX(\"Word:\", \"Ask\", \"x\") + \"|\" + "
                    "INPUTBOX(\"Again:\", \"\", \"y\") + \"|\""),
              "typed||");
    EXPECT_EQ(shown, QStringLiteral("Ask|Word:|x"));
    EXPECT_EQ(driver.handled(), 2u);
}

TEST(ScriptUiGui, OpenAndSaveDialogsGiveTheFullPathOrTheName) {
    Frame f;
    const std::string a = f.dir.Write("a.txt", "a");
    f.dir.Write("b.c", "b");
    const std::string memo = f.dir.File("memo.txt");
    auto open = [](const std::string& file, const QString& filter) {
        return As<QFileDialog>([file, filter](QFileDialog& d) {
            EXPECT_EQ(d.acceptMode(), QFileDialog::AcceptOpen);
            EXPECT_EQ(d.selectedNameFilter(), filter);
            d.selectFile(QString::fromStdString(file));
            static_cast<QDialog&>(d).accept();
        });
    };
    Driver driver({open(a, "*.txt"), open(a, "*.txt *.c"), As<QFileDialog>([&](QFileDialog& d) {
                       EXPECT_EQ(d.acceptMode(), QFileDialog::AcceptSave);
                       d.selectFile(QString::fromStdString(memo));
                       static_cast<QDialog&>(d).accept();
                   }),
                   As<QFileDialog>([](QFileDialog& d) { d.reject(); })});
    const std::string folder = f.dir.path() + "/";
    const std::string out =
        f.Run(".PARMSTRB = GETOPENFILE(\"" + folder + "*.txt\", 1, 0) + \"|\" + GETOPENFILE(\"" +
              folder + "*.txt;*.c\", 0, 0) + \"|\" + GETOPENFILE(\"" + folder +
              "memo.txt\", 1, 1) + \"|\" + GETOPENFILE(\"*.txt\", 1, 0) + \"|\"");
    EXPECT_EQ(out, a + "|a.txt|" + memo + "||");
    EXPECT_EQ(driver.handled(), 4u);
}

// The file dialogs of the frame answer with a folder: no file name comes back.
TEST(ScriptUiGui, AFolderIsNeverTakenAsAFileName) {
    struct FolderDialogs : FileDialogs {
        std::string folder;
        bool AskOpen(OpenRequest& r) override {
            r.paths = {folder};
            return true;
        }
        bool AskSaveAs(document::SaveAsRequest& r) override {
            r.name = folder;
            return true;
        }
    } dialogs;
    norv::testing::TempDir dir;
    dialogs.folder = dir.path();
    MainFrame frame(nullptr, &dialogs);
    const std::string path = dir.Write(
        "t.nrs",
        "MAIN\n.PARMSTRB = \"[\" + GETOPENFILE(\"\", 1, 0) + GETOPENFILE(\"x\", 1, 1) + \"]\"\n"
        "END MAIN\n");
    EXPECT_EQ(frame.scripts().RunFile(path), app::ScriptOutcome::kDone);
    EXPECT_EQ(frame.scripts().host().parmStrB, "[]");
}

TEST(ScriptUiGui, PopupMenusWithASubmenuASeparatorAndEscape) {
    Frame f;
    f.frame.NewFile();
    QStringList shown;
    auto texts = [&](QMenu& m) {
        QString s;
        for (QAction* a : m.actions()) s += a->isSeparator() ? "-" : a->text() + ";";
        shown << s;
    };
    auto choose = [](QMenu& m, const QString& text, int key) {
        for (QAction* a : m.actions())
            if (a->text() == text) {
                m.setActiveAction(a);
                Key(&m, key);
                return;
            }
        ADD_FAILURE() << "no item " << text.toStdString();
        m.close();
    };
    Driver driver({As<QMenu>([&](QMenu& m) {
                       EXPECT_EQ(m.objectName(), QStringLiteral("scriptMenu"));
                       texts(m);
                       choose(m, "&Last", Qt::Key_Return);
                   }),
                   As<QMenu>([&](QMenu& m) { choose(m, "&More", Qt::Key_Right); }),
                   As<QMenu>([&](QMenu& sub) {
                       texts(sub);
                       choose(sub, "&Deep", Qt::Key_Return);
                   }),
                   As<QMenu>([](QMenu& m) { Key(&m, Qt::Key_Escape); })});
    EXPECT_EQ(f.Run(R"(h = NEWMENU()
n = ADDMENUITEM(h, "&First", 1)
n = ADDMENUITEM(h, "-", -1)
h2 = ADDMENUITEM(h, "&More", 0)
n = ADDMENUITEM(h2, "&Deep", 42)
n = ADDMENUITEM(h, "&Last", 7)
.PARMSTRB = STR(DOMENU(h)) + "," + STR(DOMENU(h)) + "," + STR(DOMENU(h)))"),
              "7,42,-1");
    EXPECT_EQ(shown, (QStringList{"&First;-&More;&Last;", "&Deep;"}));
    EXPECT_EQ(driver.handled(), 4u);
}

TEST(ScriptUiGui, WithoutWindowsAPopupMenuIsDismissedUnseen) {
    Frame f;
    Driver driver;
    qApp->setProperty("norvHeadless", true);
    const std::string out = f.Run(
        "h = NEWMENU()\nn = ADDMENUITEM(h, \"a\", 1)\n"
        ".PARMSTRB = STR(DOMENU(h))");
    qApp->setProperty("norvHeadless", QVariant());
    EXPECT_EQ(out, "-1");
    EXPECT_EQ(driver.handled(), 0u);
}

TEST(ScriptUiGui, MessageTextGoesToTheStatusBar) {
    Frame f;
    // "Working" and a Japanese word in the script's code page (Shift-JIS).
    f.Run("SETMESSAGETEXT(\"Working \x93\xfa\x96\x7b\")");
    EXPECT_EQ(f.frame.messageLabel()->text(), QStringLiteral("Working 日本"));
}

TEST(ScriptUiGui, SentKeysTypeAndRunCommandsInTheFocusedView) {
    Frame f;
    DocWindow* w = f.frame.NewFile();
    // Typing with Shift holds, a line split, and Ctrl+Q Ctrl+R (TextTop) by its keys.
    f.Run("SENDKEYS(\"ab+c{ENTER}x+(y1)^q^r>\", 1)");
    EXPECT_EQ(DocumentBytes(w->view()), ">abC\nxY!");
    EXPECT_EQ(w->view().caretLineNumber(), 1);
    // Without waiting the keys are handled by the message loop after the script goes on.
    EXPECT_EQ(f.Run("SENDKEYS(\"{END}z\", 0)\n.PARMSTRB = LOADTHISLINE(0)"), ">abC");
    QApplication::processEvents();
    EXPECT_EQ(DocumentBytes(w->view()), ">abCz\nxY!");
    // Keys sent while no document window is open go nowhere.
    f.frame.CloseWindows(w->doc());
    QApplication::processEvents();
    f.Run("SENDKEYS(\"abc\", 1)");
    EXPECT_EQ(f.frame.ActiveWindow(), nullptr);
}

TEST(ScriptUiGui, KeyStateDuringAndAfterASyntheticPress) {
    Frame f;
    DocWindow* w = f.frame.NewFile();
    ASSERT_NE(QGuiApplication::focusWindow(), nullptr);
    EditWidget* e = &w->editor();
    QKeyEvent pressA(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    QApplication::sendEvent(e, &pressA);
    // Pressed before the script; during its wait (once it has read the keys) A is released
    // and B pressed: the input the script holds back is still noted.
    QTimer ticker;
    bool changed = false;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        if (changed || !f.frame.scripts().running() || f.host().parmStrB.size() != 2) return;
        changed = true;
        QKeyEvent releaseA(QEvent::KeyRelease, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
        QApplication::sendEvent(e, &releaseA);
        QKeyEvent pressB(QEvent::KeyPress, Qt::Key_B, Qt::NoModifier, QStringLiteral("b"));
        QApplication::sendEvent(e, &pressB);
    });
    ticker.start(10);
    EXPECT_EQ(f.Run(".PARMSTRB = STR(ISKEYPRESSED(65)) + STR(ISKEYPRESSED(66))\nWAIT(2000)\n"
                    ".PARMSTRB = .PARMSTRB + STR(ISKEYPRESSED(65)) + STR(ISKEYPRESSED(66))"),
              "1001");
    // The held-back B typed nothing.
    EXPECT_EQ(DocumentBytes(w->view()), "a");
    QKeyEvent releaseB(QEvent::KeyRelease, Qt::Key_B, Qt::NoModifier, QStringLiteral("b"));
    QApplication::sendEvent(e, &releaseB);
    EXPECT_EQ(f.Run(".PARMSTRB = STR(ISKEYPRESSED(66))"), "0");
}

TEST(ScriptUiGui, KeyToCommandForEachModifierClass) {
    Frame f;
    const app::KeyTable& table = f.frame.keyTable();
    static const struct {
        int key, shift;
        app::KeyCode code;
    } kCases[] = {
        {0x24, 0, 0xFF24},    {0x24, 0xFF, 0xFF24},    {0x24, 0x20, 0x2024},
        {0x25, 0x40, 0x4025}, {0x25, 0x60, 0x6025},    {0x73, 0xFE, 0xFE73},
        {0x2D, 0xFD, 0xFD2D}, {'Q', 'R' - 64, 0x1251}, {'q', 'R' - 64, 0x1251},
    };
    std::string body, expected;
    for (const auto& c : kCases) {
        body += ".PARMSTRB = .PARMSTRB + KEYTOCMD(" + std::to_string(c.key) + ", " +
                std::to_string(c.shift) + ") + \",\"\n";
        const int command = table.Find(c.code);
        expected += (command < 0 ? std::string()
                                 : std::string(app::kBuiltinCommands[size_t(command)].name)) +
                    ",";
    }
    body += ".PARMSTRB = .PARMSTRB + \"[\" + KEYTOCMD(65, 7) + \"]\"";
    EXPECT_EQ(f.Run(body), expected + "[]");
    EXPECT_EQ(expected.substr(0, expected.find(',')), "BegLine");
    EXPECT_NE(expected.find("TextTop"), std::string::npos);  // Ctrl+Q R
}

TEST(ScriptUiGui, InputMethodOfTheViewSwitchesOffAndOn) {
    Frame f;
    DocWindow* w = f.frame.NewFile();
    QWidget& e = w->editor();
    auto enabled = [&] { return e.inputMethodQuery(Qt::ImEnabled).toBool(); };
    EXPECT_TRUE(enabled());
    f.Run("IMECTRL(0)");
    EXPECT_FALSE(enabled());
    EXPECT_FALSE(e.testAttribute(Qt::WA_InputMethodEnabled));
    f.Run("IMECTRL(3)\nIMECTRL(-1)");  // other values do nothing
    EXPECT_FALSE(enabled());
    f.Run("IMECTRL(2)");
    EXPECT_TRUE(enabled());
    EXPECT_TRUE(e.testAttribute(Qt::WA_InputMethodEnabled));
}

// A setting written by a script reaches the settings file and applies what it affects, and
// only that: a script's tab width and the insert mode stay (former fault: every write applied
// all settings again, so the view's own layout and the typing mode were reset).
TEST(ScriptUiGui, ASettingWriteAppliesOnlyWhatItAffects) {
    Frame f;
    DocWindow* w = f.frame.NewFile();
    ASSERT_TRUE(f.frame.statusBar()->isVisible());
    f.Run(".TABS = 4\n.INSERT = 0\n.TXTCOLOR = RGB(1, 2, 3)");
    EXPECT_EQ(w->editor().displayOptions().colors.text, QColor(1, 2, 3));
    EXPECT_EQ(f.store.ReadText(app::Key::TextColor), "001 002 003");
    EXPECT_EQ(w->view().layout().options().tabWidth, 4);
    EXPECT_EQ(f.Run(".PARMSTRB = STR(.INSERT) + STR(.TABS)"), "04");
    f.Run(".STATBAR = 0");
    EXPECT_FALSE(f.frame.statusBar()->isVisible());
    EXPECT_EQ(f.store.ReadText(app::Key::StatBar), "0");
    f.Run(".STATBAR = 1");
    EXPECT_TRUE(f.frame.statusBar()->isVisible());
    // An editing option of the views: the view takes it.
    const bool before = w->view().options().freeCursor;
    f.Run(".FREECSR = " + std::to_string(before ? 0 : 1));
    EXPECT_NE(w->view().options().freeCursor, before);
    EXPECT_EQ(w->view().layout().options().tabWidth, 4);
}

TEST(ScriptUiGui, DocumentStateShowsInTheMenusAndTheStatusBar) {
    Frame f;
    f.frame.NewFile();
    f.Run(".RETURNCODE = 1");
    ASSERT_NE(f.Item("ReturnLf"), nullptr);
    EXPECT_TRUE(f.Item("ReturnLf")->isChecked());
    EXPECT_EQ(f.StatusLabel("lineEndState"), QStringLiteral("LF"));
    f.Run(".READONLY = 1");
    EXPECT_EQ(f.StatusLabel("readOnlyState"), QStringLiteral("R/O"));
    f.Run(".READONLY = 0\n.KANJICODE = 12");
    EXPECT_EQ(f.StatusLabel("readOnlyState"), QString());
    ASSERT_NE(f.Item("CodeUtf8"), nullptr);
    EXPECT_TRUE(f.Item("CodeUtf8")->isChecked());
    EXPECT_TRUE(f.StatusLabel("codeState").endsWith(QStringLiteral("UTF8")))
        << f.StatusLabel("codeState").toStdString();
}

TEST(ScriptUiGui, WindowValuesAreStableAndActivateTheirWindows) {
    Frame f;
    const std::string one = f.dir.Write("one.txt", "1"), two = f.dir.Write("two.txt", "2");
    DocWindow* a = f.frame.OpenFile(one);
    DocWindow* b = f.frame.OpenFile(two);
    ASSERT_TRUE(a && b);
    EXPECT_EQ(f.Run(".PARMSTRB = STR(.HMAINWND) + STR(.HWND) + STR(.DOCNUM)"), "132");
    EXPECT_EQ(f.Run(".PARMSTRB = STR(APPACTIVATE(\"one\", \"\")) + STR(.HWND)"), "22");
    EXPECT_EQ(f.frame.ActiveWindow(), a);
    EXPECT_EQ(f.Run(".PARMSTRB = STR(APPACTIVATE(\"\", \"NorvMainWindowClass\"))"), "1");
    // A closed window's number is never given again.
    f.frame.CloseWindows(a->doc());
    QApplication::processEvents();
    f.frame.NewFile();
    EXPECT_EQ(f.Run(".PARMSTRB = STR(.HWND) + STR(APPACTIVATE(\"two\", \"\")) + STR(.HWND)"),
              "433");
}

// Former fault: while a key macro played, keys typed into a box it opened were held back with
// every other input.
TEST(ScriptUiGui, ABoxAKeyMacroOpensTakesTheKeysTypedIntoIt) {
    Frame f;
    DocWindow* w = f.frame.NewFile();
    const std::string macro = f.dir.Write(
        "ask.nrs",
        "MAIN\nDIM s$\ns = INPUTBOX(\"Word:\", \"Ask\", \"\")\nINSERTSTRING(s)\nEND MAIN\n");
    Driver driver({As<QFileDialog>([&](QFileDialog& d) {
                       d.selectFile(QString::fromStdString(macro));
                       static_cast<QDialog&>(d).accept();
                   }),
                   As<QInputDialog>([](QInputDialog& d) {
                       auto* edit = d.findChild<QLineEdit*>();
                       ASSERT_NE(edit, nullptr);
                       TypeKeys(edit, "typed");
                       d.accept();
                   })});
    f.frame.RunCommand(static_cast<size_t>(app::CommandIndexByName("LoadMacro")));
    f.frame.RunCommand(static_cast<size_t>(app::CommandIndexByName("PlayKey")));
    EXPECT_EQ(driver.handled(), 2u);
    EXPECT_EQ(DocumentBytes(w->view()), "typed");
    // Outside the box the macro's run still held the keys back; now they type again.
    TypeKeys(&w->editor(), "!");
    EXPECT_EQ(DocumentBytes(w->view()), "typed!");
}

}  // namespace
}  // namespace norv::qt
