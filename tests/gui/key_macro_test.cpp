// Key macros through the real widgets: keys typed into a view recorded and played into
// another, the Tools menu's marks and enablement in each state, the Save and Load dialogs, and
// the walk over every menu and bar that finds no item without a table name.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <fstream>
#include <iterator>
#include <set>

#include "app/commands/command_table.h"
#include "app/commands/hidden_commands.h"
#include "gui/frame/doc_window.h"
#include "gui/frame/main_frame.h"
#include "gui/frame/menus.h"
#include "gui_test_support.h"
#include "platform/fakes/headless_ui.h"
#include "platform/paths.h"
#include "script/compiler.h"
#include "script/macro_text.h"
#include "support/temp_dir.h"

namespace norv::qt {
namespace {

using testing::Key;
using testing::OnModal;
using testing::TypeKeys;

void Chord(QWidget* w, int prefix, int second) {
    Key(w, prefix, Qt::ControlModifier);
    Key(w, second);
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(KeyMacroWidgets, KeysTypedIntoAViewRecordAndPlayBack) {
    platform::HeadlessUi ui;
    MainFrame frame(&ui);
    frame.resize(600, 400);
    frame.show();
    DocWindow* w = frame.NewFile();
    ASSERT_NE(w, nullptr);
    EditWidget& e = w->editor();
    Chord(&e, Qt::Key_O, Qt::Key_R);
    EXPECT_EQ(frame.keyMacros().state(), script::MacroState::kRecording);
    TypeKeys(&e, "one");
    Key(&e, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    TypeKeys(&e, "two");
    Key(&e, Qt::Key_Home);
    TypeKeys(&e, "<");
    Chord(&e, Qt::Key_O, Qt::Key_R);
    EXPECT_EQ(testing::DocumentBytes(w->view()), "one\n<two");

    DocWindow* other = frame.NewFile();
    ASSERT_NE(other, nullptr);
    Chord(&other->editor(), Qt::Key_O, Qt::Key_M);
    EXPECT_EQ(testing::DocumentBytes(other->view()), "one\n<two");
    EXPECT_EQ(frame.keyMacros().state(), script::MacroState::kIdle);
    const script::MacroText t = script::MacroToText(frame.keyMacros().macro().image(), 932);
    EXPECT_NE(t.text.find("\tCommand(\"SplitLine\")\n"), std::string::npos) << t.text;
    EXPECT_NE(t.text.find("\tCommand(\"BegLine\")\n\tInputChar(&H3c)\n"), std::string::npos);
}

TEST(KeyMacroWidgets, ToolsMenuMarksFollowTheState) {
    platform::HeadlessUi ui;
    MainFrame frame(&ui);
    frame.show();
    DocWindow* w = frame.NewFile();
    ASSERT_NE(w, nullptr);
    CommandMenus& menus = frame.menus();
    QAction* record = menus.ActionOf("RecordKey");
    QAction* play = menus.ActionOf("PlayKey");
    ASSERT_TRUE(record && play);
    struct Marks {
        bool recordEnabled, recordChecked, playEnabled, playChecked;
        bool operator==(const Marks&) const = default;
    };
    auto marks = [&] {
        menus.Update();
        return Marks{record->isEnabled(), record->isChecked(), play->isEnabled(),
                     play->isChecked()};
    };
    EXPECT_EQ(marks(), (Marks{true, false, true, false}));
    EXPECT_TRUE(record->isCheckable());
    record->trigger();
    EXPECT_EQ(marks(), (Marks{true, true, false, false}));
    record->trigger();
    EXPECT_EQ(marks(), (Marks{true, false, true, false}));
    ASSERT_TRUE(frame.keyMacros().macro().BeginPlaying());
    EXPECT_EQ(marks(), (Marks{false, false, true, true}));
    frame.keyMacros().macro().EndPlaying();
    EXPECT_TRUE(menus.ActionOf("SaveMacro")->isEnabled());
    EXPECT_TRUE(menus.ActionOf("LoadMacro")->isEnabled());
}

TEST(KeyMacroWidgets, SaveAndLoadDialogsOfferScripts) {
    norv::testing::TempDir dir;
    const std::string before = platform::CurrentFolder();
    platform::ChangeCurrentFolder(dir.path());
    platform::HeadlessUi ui;
    MainFrame frame(&ui);
    frame.show();
    DocWindow* w = frame.NewFile();
    ASSERT_NE(w, nullptr);
    Chord(&w->editor(), Qt::Key_O, Qt::Key_R);
    TypeKeys(&w->editor(), "ab");
    Chord(&w->editor(), Qt::Key_O, Qt::Key_R);

    auto check = [&](QFileDialog& d, bool save) {
        EXPECT_EQ(d.nameFilters(), QStringList{QStringLiteral("Norv Script (*.nrs)")});
        EXPECT_EQ(d.defaultSuffix(), QStringLiteral("nrs"));
        EXPECT_EQ(d.acceptMode(), save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        EXPECT_EQ(d.fileMode(), save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
        EXPECT_FALSE(d.testOption(QFileDialog::DontConfirmOverwrite));
        EXPECT_EQ(d.directory().absolutePath().toStdString(), dir.path());
    };
    {
        OnModal<QFileDialog> answer([&](QFileDialog& d) {
            check(d, true);
            d.selectFile(QString::fromStdString(dir.File("typed")));
            static_cast<QDialog&>(d).accept();  // QFileDialog::accept is protected
        });
        frame.RunCommand(static_cast<size_t>(app::CommandIndexByName("SaveMacro")));
        EXPECT_TRUE(answer.done());
    }
    // The suffix was added.
    EXPECT_EQ(ReadFile(dir.File("typed.nrs")), std::string(script::kMacroTextHead) +
                                                   "\tInputChar(&H61)\n\tInputChar(&H62)\n" +
                                                   std::string(script::kMacroTextEnd));
    {
        OnModal<QFileDialog> answer([&](QFileDialog& d) {
            check(d, false);
            d.selectFile(QString::fromStdString(dir.File("typed.nrs")));
            static_cast<QDialog&>(d).accept();  // QFileDialog::accept is protected
        });
        frame.RunCommand(static_cast<size_t>(app::CommandIndexByName("LoadMacro")));
        EXPECT_TRUE(answer.done());
    }
    EXPECT_FALSE(frame.keyMacros().macro().IsRecorded());
    DocWindow* other = frame.NewFile();
    frame.RunCommand(static_cast<size_t>(app::CommandIndexByName("PlayKey")));
    EXPECT_EQ(testing::DocumentBytes(other->view()), "ab");
    platform::ChangeCurrentFolder(before);
}

// Every item of every menu and tool bar is a command with a table name, of the command table
// or of the menu-only commands; those record and replay by name.
TEST(KeyMacroWidgets, EveryMenuItemHasATableName) {
    platform::HeadlessUi ui;
    MainFrame frame(&ui);
    frame.show();
    DocWindow* w = frame.NewFile();
    ASSERT_NE(w, nullptr);
    std::vector<QAction*> items;
    std::function<void(QMenu*)> walk = [&](QMenu* m) {
        for (QAction* a : m->actions()) {
            if (a->isSeparator()) continue;
            if (a->menu()) {
                walk(a->menu());
                continue;
            }
            items.push_back(a);
        }
    };
    for (QAction* top : frame.menuBar()->actions())
        if (top->menu()) {
            emit top->menu()->aboutToShow();  // the lists filled when a menu opens
            walk(top->menu());
        }
    for (QToolBar* bar : frame.findChildren<QToolBar*>())
        for (QAction* a : bar->actions())
            if (!a->isSeparator() && !a->objectName().isEmpty()) items.push_back(a);
    for (QObject* o : frame.findChildren<QObject*>())
        if (auto* a = qobject_cast<QAction*>(o); a && a->objectName().startsWith("Copy"))
            items.push_back(a);
    std::set<std::string> hiddenSeen;
    for (QAction* a : items) {
        const std::string name = a->objectName().toStdString();
        if (name.rfind("window:", 0) == 0) continue;  // the open windows, not commands
        const bool table = app::CommandIndexByName(name) >= 0;
        const bool hidden = app::HiddenCommandIndex(name).has_value();
        EXPECT_TRUE(table || hidden) << "\"" << name << "\" " << a->text().toStdString();
        if (hidden) hiddenSeen.insert(name);
    }
    // The menu-only commands that have an item now.
    for (const app::HiddenCommand& c : app::kHiddenCommands)
        if (c.name != "ReadOnlyMode") EXPECT_TRUE(hiddenSeen.count(std::string(c.name))) << c.name;

    // Recorded from their items, they replay into another document by name.
    auto item = [&](const char* name) {
        for (QAction* a : items)
            if (a->objectName() == QLatin1String(name)) return a;
        return static_cast<QAction*>(nullptr);
    };
    frame.RunCommand(static_cast<size_t>(app::CommandIndexByName("RecordKey")));
    item("CodeUtf8")->trigger();
    item("ReturnLf")->trigger();
    frame.RunCommand(static_cast<size_t>(app::CommandIndexByName("RecordKey")));
    const script::MacroText t = script::MacroToText(frame.keyMacros().macro().image(), 932);
    EXPECT_EQ(t.text, std::string(script::kMacroTextHead) +
                          "\tCommand(\"CodeUtf8\")\n\tCommand(\"ReturnLf\")\n" +
                          std::string(script::kMacroTextEnd));
    DocWindow* other = frame.NewFile();
    ASSERT_NE(other->doc().code, document::TextCode::kUtf8);
    frame.RunCommand(static_cast<size_t>(app::CommandIndexByName("PlayKey")));
    EXPECT_EQ(other->doc().code, document::TextCode::kUtf8);
    EXPECT_EQ(other->doc().eolMode, document::EolMode::kLf);
}

}  // namespace
}  // namespace norv::qt
