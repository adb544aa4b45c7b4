// The script library and the script pop-ups through the real widgets: the Script Library's
// pages, buttons and modes (Run runs the slot's script, Edit opens its source, Register writes
// the data file, with the chooser behind the browse button), the resident menu (TsrMenu) and
// Run Script offering their pop-ups and running the entry chosen, and the add-in commands
// named by their slots in the Tools menu and on the function-key bar.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QToolButton>
#include <fstream>
#include <functional>
#include <string>

#include "app/commands/command_table.h"
#include "app/commands/command_texts.h"
#include "app/commands/key_names.h"
#include "app/config/settings_store.h"
#include "app/scripting/run_script.h"
#include "gui/dialogs/script_library_dialog.h"
#include "gui/frame/bars.h"
#include "gui/frame/doc_window.h"
#include "gui/frame/main_frame.h"
#include "gui/frame/menus.h"
#include "gui/gui_test_support.h"
#include "platform/code_page.h"
#include "platform/fakes/headless_ui.h"
#include "platform/file_system.h"
#include "platform/paths.h"
#include "support/temp_dir.h"

namespace norv::qt {
namespace {

using testing::Iconv;
using testing::Key;
using testing::OnModal;

// Closes whatever dialog or pop-up is still open after a few seconds, so that a test whose
// expected window never came (or never went) fails instead of hanging.
class Watchdog {
  public:
    Watchdog() {
        clock_.start();
        timer_.setInterval(50);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (clock_.elapsed() < 4000) return;
            fired_ = true;
            if (QWidget* p = QApplication::activePopupWidget()) p->close();
            if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget())) d->reject();
        });
        timer_.start();
    }
    ~Watchdog() { EXPECT_FALSE(fired_) << "a window was left open"; }

  private:
    QElapsedTimer clock_;
    QTimer timer_;
    bool fired_ = false;
};

// Runs `act` once on the next pop-up menu of that name.
class OnPopup {
  public:
    OnPopup(const char* name, std::function<void(QMenu&)> act) : act_(std::move(act)) {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this, name] {
            auto* m = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (done_ || !m || m->objectName() != QLatin1String(name)) return;
            done_ = true;
            act_(*m);
        });
        timer_.start();
    }
    bool done() const { return done_; }

  private:
    std::function<void(QMenu&)> act_;
    QTimer timer_;
    bool done_ = false;
};

QStringList Texts(QMenu& menu) {
    QStringList out;
    for (QAction* a : menu.actions()) out << a->text();
    return out;
}

// Chooses a pop-up's entry as the keyboard does.
void Choose(QMenu& menu, int entry) {
    menu.setActiveAction(menu.actions().at(entry));
    Key(&menu, Qt::Key_Return);
}

size_t Index(std::string_view name) {
    return static_cast<size_t>(app::CommandIndexByName(name));
}

// A script that stays at its first run, shows "NAME code" on every run, and gives `caption`
// to the resident menu.
std::string Kept(const std::string& name, const std::string& caption) {
    return "MAIN\nIF .NORVSTATE = 0 THEN STAYRESIDENT\nMSGBOX(\"" + name +
           " \" + STR(.NORVSTATE))\nIF .NORVSTATE = 14 THEN .PARMSTRA = \"" + caption +
           "\"\nEND MAIN\n";
}

// The scripts folder is the settings folder (ScriptDir is empty); the program's folder is
// another one.
struct Frame {
    Frame() : store(platform::RealFileSystem(), dir.File("norv.INI"), 932), config(932) {
        platform::SetSystemCodePage(932);
        dataPath = dir.Write("norv.DAT", "");
        frame.UseConfiguration(config, &store);
        app::PreferenceFiles files;
        files.fs = &platform::RealFileSystem();
        files.settingsFolder = dir.path();
        files.dataPath = dataPath;
        frame.SetPreferenceFiles(files);
        frame.show();
    }
    void Data(const std::string& text) {
        dir.Write("norv.DAT", text);
        ASSERT_EQ(app::LoadDataFile(platform::RealFileSystem(), dataPath, config.data), 0);
    }
    std::string ReadData() const {
        std::ifstream in(dataPath, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    std::vector<std::string> Take() {
        std::vector<std::string> m;
        m.swap(ui.messages);
        return m;
    }
    norv::testing::TempDir dir;
    std::string dataPath;
    app::SettingsStore store;
    app::Configuration config;
    platform::HeadlessUi ui;
    MainFrame frame{&ui};
};

// The "##Script" section: no add-ins, then the library's lines from page 1's "A".
std::string LibrarySection(const std::vector<std::string>& library) {
    std::string text = "##Script\n" + std::string(app::kAddinSlotCount, '\n');
    for (const std::string& line : library) text += line + "\n";
    return text;
}

TEST(ScriptLibraryGui, PagesButtonsAndRunMode) {
    Watchdog watchdog;
    Frame f;
    std::vector<std::string> lines = {"Hello\tSays &hello", "Gone.NRS\t \t", "",
                                      "\t" + Iconv("CP932", "説明だけ")};
    lines.resize(2 * app::kLibrarySlotCount);
    lines.back() = "Second";  // page 2's "Z"
    f.Data(LibrarySection(lines));
    f.dir.Write("Hello.NRS", "MAIN\nMSGBOX(\"hello \" + STR(.NORVSTATE))\nEND MAIN\n");
    f.dir.Write("Second.nrs", "MAIN\nMSGBOX(\"second\")\nEND MAIN\n");
    f.config.settings.Set(app::Key::ScriptPage, 1);

    bool checked = false;
    OnModal<ScriptLibraryDialog> library([&](ScriptLibraryDialog& d) {
        EXPECT_EQ(d.windowTitle(), QStringLiteral("Script Library"));
        EXPECT_EQ(d.runMode()->text(), QStringLiteral("Run"));
        EXPECT_EQ(d.registerMode()->text(), QStringLiteral("Register"));
        EXPECT_EQ(d.editMode()->text(), QStringLiteral("Edit"));
        EXPECT_TRUE(d.runMode()->isChecked());
        // It opens at the page kept last: page 2, whose "Z" only is used.
        EXPECT_EQ(d.pageSelector()->count(), 10);
        EXPECT_EQ(d.pageSelector()->currentIndex(), 1);
        EXPECT_EQ(d.button(25)->text(), QStringLiteral("Z  Second"));
        EXPECT_EQ(d.button(0)->text(), QStringLiteral("A"));
        EXPECT_FALSE(d.button(0)->isEnabled());
        d.pageSelector()->setCurrentIndex(0);
        // The comment (an "&" shown as itself), else the file name.
        EXPECT_EQ(d.button(0)->text(), QStringLiteral("A  Says &&hello"));
        EXPECT_EQ(d.button(1)->text(), QStringLiteral("B  Gone.NRS"));
        EXPECT_EQ(d.button(2)->text(), QStringLiteral("C"));
        EXPECT_EQ(d.button(3)->text(), QString::fromUtf8("D  説明だけ"));
        // Run mode: a slot without a file has nothing to run; Edit can open any.
        EXPECT_TRUE(d.button(0)->isEnabled());
        EXPECT_FALSE(d.button(2)->isEnabled());
        EXPECT_FALSE(d.button(3)->isEnabled());
        d.editMode()->setChecked(true);
        EXPECT_TRUE(d.button(2)->isEnabled());
        d.runMode()->setChecked(true);
        // A disabled letter's key does nothing; "a" runs "A".
        Key(&d, Qt::Key_C, Qt::NoModifier, QStringLiteral("c"));
        EXPECT_TRUE(d.isVisible());
        checked = true;
        Key(&d, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    });
    f.frame.RunCommand(Index("JukeBox"));
    ASSERT_TRUE(library.done());
    EXPECT_TRUE(checked);
    EXPECT_EQ(f.Take(), (std::vector<std::string>{"hello 0"}));
    // The page shown last is kept, in the settings file too.
    EXPECT_EQ(f.config.settings.Int(app::Key::ScriptPage), 0);
    app::Settings reread(932);
    reread.Load(f.store);
    EXPECT_EQ(reread.Int(app::Key::ScriptPage), 0);

    // A missing script says so; page 2's "Z" runs from page 2.
    OnModal<ScriptLibraryDialog> missing([](ScriptLibraryDialog& d) { d.button(1)->click(); });
    f.frame.RunCommand(Index("JukeBox"));
    ASSERT_TRUE(missing.done());
    EXPECT_EQ(f.Take(), (std::vector<std::string>{"Cannot read the script Gone.NRS."}));
    OnModal<ScriptLibraryDialog> second([](ScriptLibraryDialog& d) {
        d.pageSelector()->setCurrentIndex(1);
        d.button(25)->click();
    });
    f.frame.RunCommand(Index("JukeBox"));
    ASSERT_TRUE(second.done());
    EXPECT_EQ(f.Take(), (std::vector<std::string>{"second"}));
    EXPECT_EQ(f.config.settings.Int(app::Key::ScriptPage), 1);
    // Cancel runs nothing and keeps the page shown.
    OnModal<ScriptLibraryDialog> cancel([](ScriptLibraryDialog& d) {
        d.pageSelector()->setCurrentIndex(9);
        d.reject();
    });
    f.frame.RunCommand(Index("JukeBox"));
    ASSERT_TRUE(cancel.done());
    EXPECT_TRUE(f.Take().empty());
    EXPECT_EQ(f.config.settings.Int(app::Key::ScriptPage), 9);
}

TEST(ScriptLibraryGui, EditModeOpensTheScriptSource) {
    Watchdog watchdog;
    Frame f;
    f.Data(LibrarySection({"Tidy.NRX\tTidy", "", "New"}));
    f.dir.Write("Tidy.NRS", "MAIN\nEND MAIN\n");
    auto edit = [&](int slot) {
        OnModal<ScriptLibraryDialog> d([slot](ScriptLibraryDialog& d) {
            d.editMode()->setChecked(true);
            d.button(slot)->click();
        });
        f.frame.RunCommand(Index("JukeBox"));
        EXPECT_TRUE(d.done());
        DocWindow* w = f.frame.ActiveWindow();
        return w ? w->doc().path : std::string();
    };
    // The compiled form's source; an empty slot is "Untitled"; a new name a new file.
    EXPECT_EQ(edit(0), f.dir.File("Tidy.NRS"));
    EXPECT_EQ(f.frame.ActiveWindow()->doc().lines().first()->contentLength(), 4u);
    EXPECT_EQ(edit(1), f.dir.File("Untitled.NRS"));
    EXPECT_EQ(edit(2), f.dir.File("New.NRS"));
    EXPECT_EQ(f.frame.DocumentCount(), 3);
    EXPECT_TRUE(f.Take().empty());
}

TEST(ScriptLibraryGui, RegisterWithTheChooserWritesTheDataFile) {
    Watchdog watchdog;
    Frame f;
    const std::string menus =
        "##UserMenu\n#Begin\n&Copy\tEditCopy\n#End\n#Begin\n#End\n#Begin\n#End\n#Begin\n#End\n"
        "#Begin\n#End\n";
    f.Data(menus + LibrarySection({"Old.NRS\tOld one\textra"}) + "##RegDir\n/home/u/\n");
    f.dir.Write("Beta.NRS", "");
    f.dir.Write("alpha.nrs", "");
    f.dir.Write("notes.txt", "");

    bool chooserSeen = false, registerSeen = false;
    OnModal<ScriptChooserDialog> chooser([&](ScriptChooserDialog& c) {
        chooserSeen = true;
        QStringList names;
        for (int i = 0; i < c.list()->count(); ++i) names << c.list()->item(i)->text();
        EXPECT_EQ(names, (QStringList{"Beta", "alpha"}));
        c.list()->setCurrentRow(0);
        c.accept();
    });
    OnModal<RegisterScriptDialog> registering([&](RegisterScriptDialog& r) {
        registerSeen = true;
        EXPECT_TRUE(r.scriptName()->text().isEmpty());
        r.browseButton()->click();
        EXPECT_EQ(r.scriptName()->text(), QStringLiteral("Beta"));
        r.comment()->setText(QString::fromUtf8("ベータ\tversion"));
        r.accept();
    });
    OnModal<ScriptLibraryDialog> library([&](ScriptLibraryDialog& d) {
        d.registerMode()->setChecked(true);
        d.pageSelector()->setCurrentIndex(0);
        d.button(2)->click();
        // Register leaves the dialog open, the button showing the new slot.
        EXPECT_TRUE(d.isVisible());
        EXPECT_EQ(d.button(2)->text(), QString::fromUtf8("C  ベータ version"));
        EXPECT_EQ(d.button(0)->text(), QStringLiteral("A  Old one"));
        d.reject();
    });
    f.frame.RunCommand(Index("JukeBox"));
    ASSERT_TRUE(library.done());
    EXPECT_TRUE(registerSeen);
    EXPECT_TRUE(chooserSeen);
    const app::LibrarySlot expected{"Beta", Iconv("CP932", "ベータ version")};
    EXPECT_EQ(f.config.data.library[0][2], expected);
    // The data file: the new line, every other line as it was.
    EXPECT_EQ(f.ReadData(), menus + "##Script\n" + std::string(app::kAddinSlotCount, '\n') +
                                "Old.NRS\tOld one\textra\n\nBeta\t" + expected.comment +
                                "\n##RegDir\n/home/u/\n");
    EXPECT_TRUE(f.Take().empty());
}

TEST(ScriptLibraryGui, RegisterThatCannotBeWrittenKeepsTheDialogOpen) {
    Watchdog watchdog;
    Frame f;
    f.Data(LibrarySection({}));
    // The data file's folder cannot take the temporary file.
    app::PreferenceFiles files;
    files.fs = &platform::RealFileSystem();
    files.dataPath = f.dir.File("no/such/folder/norv.DAT");
    f.frame.SetPreferenceFiles(files);
    int attempts = 0;
    OnModal<RegisterScriptDialog> registering([&](RegisterScriptDialog& r) {
        r.scriptName()->setText(QStringLiteral("Kept"));
        r.accept();
        ++attempts;
        EXPECT_TRUE(r.isVisible());
        EXPECT_EQ(r.scriptName()->text(), QStringLiteral("Kept"));
        r.reject();
    });
    OnModal<ScriptLibraryDialog> library([&](ScriptLibraryDialog& d) {
        d.registerMode()->setChecked(true);
        d.button(0)->click();
        EXPECT_EQ(d.button(0)->text(), QStringLiteral("A"));
        d.reject();
    });
    f.frame.RunCommand(Index("JukeBox"));
    ASSERT_TRUE(library.done());
    EXPECT_EQ(attempts, 1);
    EXPECT_EQ(f.config.data.library[0][0], app::LibrarySlot{});
    const std::vector<std::string> m = f.Take();
    ASSERT_EQ(m.size(), 1u);
    EXPECT_NE(m[0].find(files.dataPath), std::string::npos);
}

TEST(ScriptPopups, TheResidentMenuRunsTheChosenResident) {
    Watchdog watchdog;
    Frame f;
    f.dir.Write("One.NRS", Kept("one", "First tool"));
    f.dir.Write("Two.NRS", Kept("two", "Second tool"));
    f.dir.Write("Quiet.NRS", Kept("quiet", ""));
    // The window first: its activation is an event of its own.
    ASSERT_NE(f.frame.NewFile(), nullptr);
    QCoreApplication::processEvents();
    for (const char* name : {"One", "Quiet", "Two"})
        app::RunScriptFile(f.frame.residentHost(), name);
    f.Take();
    QStringList shown;
    OnPopup popup(kScriptMenuName, [&](QMenu& m) {
        shown = Texts(m);
        Choose(m, 1);
    });
    f.frame.RunCommand(Index("TsrMenu"));
    ASSERT_TRUE(popup.done());
    EXPECT_EQ(shown, (QStringList{"&1: First tool", "&2: Second tool"}));
    EXPECT_EQ(f.Take(), (std::vector<std::string>{"one 14", "quiet 14", "two 14", "two 13"}));
    // Dismissed: nothing runs again.
    OnPopup dismissed(kScriptMenuName, [](QMenu& m) { m.close(); });
    f.frame.RunCommand(Index("TsrMenu"));
    ASSERT_TRUE(dismissed.done());
    EXPECT_EQ(f.Take(), (std::vector<std::string>{"one 14", "quiet 14", "two 14"}));
}

TEST(ScriptPopups, RunScriptOffersTheOpenScriptsAndRunsTheChosenOne) {
    Watchdog watchdog;
    Frame f;
    ASSERT_NE(f.frame.OpenFile(f.dir.Write("a.NRS", "MAIN\nMSGBOX(\"a\")\nEND MAIN\n")), nullptr);
    ASSERT_NE(f.frame.OpenFile(f.dir.Write("notes.txt", "text")), nullptr);
    ASSERT_NE(f.frame.OpenFile(f.dir.Write("b.nrs", "MAIN\nMSGBOX(\"b\")\nEND MAIN\n")), nullptr);
    QStringList shown;
    OnPopup popup(kScriptMenuName, [&](QMenu& m) {
        shown = Texts(m);
        Choose(m, 1);
    });
    f.frame.RunCommand(Index("RunScript"));
    ASSERT_TRUE(popup.done());
    EXPECT_EQ(shown, (QStringList{"&1: a.NRS", "&2: b.nrs"}));
    EXPECT_EQ(f.Take(), (std::vector<std::string>{"b"}));
}

TEST(AddinNames, ToolsMenuAndFunctionKeyBarShowTheSlots) {
    Frame f;
    f.config.settings.Set(app::Key::DispFkey, 1);
    f.config.data.addins[0] = {Iconv("CP932", "整形 & tidy"), "/home/u/tidy.nrs", "0"};
    f.config.data.addins[1] = {"", Iconv("CP932", "/opt/s/日本.NRS"), "0"};
    f.frame.UseConfiguration(f.config, &f.store);
    f.frame.keyTable().SetKey(Index("Addin1"), 0, app::KeyFromName("F7"));
    f.frame.RefreshKeys();
    CommandMenus& menus = f.frame.menus();
    // The script's name, an "&" in it shown as itself; without a name the command's own label.
    EXPECT_EQ(menus.ActionOf("Addin0")->text(), QString::fromUtf8("整形 && tidy"));
    EXPECT_TRUE(menus.ActionOf("Addin1")->text().startsWith(
        QString::fromUtf8(app::CommandLabel(Index("Addin1")).data())));
    // The bar shows the file's name, without its folder.
    EXPECT_EQ(f.frame.functionKeyBar().button(6)->text(), QString::fromUtf8("日本.NRS"));
}

}  // namespace
}  // namespace norv::qt
