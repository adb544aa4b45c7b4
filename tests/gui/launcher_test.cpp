// The launcher through the real windows: Shift+F7 shows the registered programs' titles on
// "A" to "Z", entries without a command are disabled and their letters do nothing, a letter
// key runs its entry; Register Program edits the entries, keeps what was typed for one letter
// while another is shown, refuses text the data file cannot hold, and writes "##Shell" into
// the data file, which reads back the same; a run recorded in a key macro replays.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <fstream>
#include <sstream>
#include <string>

#include "app/commands/command_table.h"
#include "app/config/settings.h"
#include "app/config/settings_store.h"
#include "gui/dialogs/launcher_dialog.h"
#include "gui/frame/doc_window.h"
#include "gui/frame/main_frame.h"
#include "gui/frame/shell_wiring.h"
#include "gui/gui_test_support.h"
#include "platform/fakes/headless_ui.h"
#include "platform/paths.h"
#include "script/macro_text.h"
#include "support/temp_dir.h"

namespace norv::qt {
namespace {

using testing::Key;

struct Frame {
    Frame() : store(platform::RealFileSystem(), dir.File("norv.INI"), 932), config(932) {
        frame.UseConfiguration(config, &store);
        frame.show();
        before = platform::CurrentFolder();
        platform::ChangeCurrentFolder(dir.path());
    }
    ~Frame() { platform::ChangeCurrentFolder(before); }
    DocWindow* Output() {
        for (DocWindow* w : frame.Windows())
            if (platform::FileNameOf(w->doc().path) == "#Output#") return w;
        return nullptr;
    }
    void Run(const char* command) {
        frame.RunCommand(static_cast<size_t>(app::CommandIndexByName(command)));
    }
    bool WaitForFile(const std::string& path) {
        for (int i = 0; i < 300; ++i) {
            if (access(path.c_str(), F_OK) == 0) return true;
            usleep(10000);
        }
        return false;
    }
    norv::testing::TempDir dir;
    std::string before;
    app::SettingsStore store;
    app::Configuration config;
    platform::HeadlessUi ui;
    MainFrame frame{&ui};
};

// A key as the user types it: to the widget with the focus, which passes on what it ignores.
void Type(QWidget& dialog, int key, const QString& text) {
    QWidget* target = QApplication::focusWidget();
    if (!target || target->window() != &dialog) target = &dialog;
    Key(target, key, Qt::NoModifier, text);
}

TEST(LauncherGui, TitlesDisabledEntriesAndALetterKey) {
    Frame f;
    app::ShellEntries& shell = f.config.data.shell;
    shell[0] = {"Mark \x93\xfa", "sh -c ': > launched-a'", "", ""};  // a Shift-JIS title
    shell[1] = {"No command", "", "", ""};
    shell[4] = {"", "sh -c ': > launched-e'", "", ""};
    DocWindow* w = f.frame.NewFile();
    bool checked = false;
    testing::OnModal<LauncherDialog> launcher([&](LauncherDialog& d) {
        EXPECT_EQ(d.button(0)->text(), QString::fromUtf8("A  Mark 日"));
        EXPECT_TRUE(d.button(0)->isEnabled());
        EXPECT_EQ(d.button(1)->text(), QStringLiteral("B  No command"));
        EXPECT_FALSE(d.button(1)->isEnabled());
        EXPECT_EQ(d.button(2)->text(), QStringLiteral("C"));
        EXPECT_FALSE(d.button(2)->isEnabled());
        EXPECT_EQ(d.button(4)->text(), QStringLiteral("E"));
        EXPECT_TRUE(d.button(4)->isEnabled());
        EXPECT_EQ(d.button(25)->text(), QStringLiteral("Z"));
        EXPECT_EQ(d.registerButton()->text(), QStringLiteral("Register Program"));
        // The letter of a disabled entry, and a key that is no letter, leave the dialog open.
        Type(d, Qt::Key_B, QStringLiteral("b"));
        Type(d, Qt::Key_1, QStringLiteral("1"));
        EXPECT_TRUE(d.isVisible());
        EXPECT_FALSE(d.chosen().has_value());
        checked = true;
        Type(d, Qt::Key_E, QStringLiteral("e"));
    });
    Key(&w->editor(), Qt::Key_F7, Qt::ShiftModifier);
    ASSERT_TRUE(launcher.done());
    EXPECT_TRUE(checked);
    EXPECT_TRUE(f.WaitForFile(f.dir.File("launched-e")));
    EXPECT_NE(access(f.dir.File("launched-a").c_str(), F_OK), 0);
    EXPECT_TRUE(f.ui.messages.empty());
}

// A launcher run recorded in a key macro is kept as its entry and replays without the dialog:
// the program runs again and its output is captured again.
TEST(LauncherGui, ARunRecordedInAKeyMacroReplays) {
    Frame f;
    f.config.data.shell[2] = {"Count", "sh -c 'echo run >> runs; cat runs'", "", "O"};
    DocWindow* w = f.frame.NewFile();
    f.Run("RecordKey");
    testing::OnModal<LauncherDialog> launcher(
        [&](LauncherDialog& d) { Type(d, Qt::Key_C, QStringLiteral("c")); });
    Key(&w->editor(), Qt::Key_F7, Qt::ShiftModifier);
    ASSERT_TRUE(launcher.done());
    f.Run("RecordKey");
    const script::MacroText t = script::MacroToText(f.frame.keyMacros().macro().image(), 932);
    EXPECT_NE(t.text.find("\tShellMenu(2)\n"), std::string::npos) << t.text;
    DocWindow* out = f.Output();
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(testing::DocumentBytes(out->view()), "run\n");

    // A dialog shown by the replay would be closed here and counted.
    testing::OnModal<LauncherDialog> shownAgain([](LauncherDialog& d) { d.reject(); });
    f.Run("PlayKey");
    EXPECT_FALSE(shownAgain.done());
    std::ifstream runs(f.dir.File("runs"));
    std::stringstream ran;
    ran << runs.rdbuf();
    EXPECT_EQ(ran.str(), "run\nrun\n");
    out = f.Output();
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(testing::DocumentBytes(out->view()), "run\nrun\n");
    EXPECT_EQ(f.ui.statusTexts.back(), "The process is normally terminated :-)");
}

TEST(LauncherGui, RegisterProgramWritesTheDataFile) {
    Frame f;
    const std::string menus =
        "##UserMenu\n#Begin\n&Copy\tEditCopy\n#End\n#Begin\n#End\n#Begin\n#End\n#Begin\n#End\n"
        "#Begin\n#End\n";
    const std::string path =
        f.dir.Write("norv.DAT", menus + "##Shell\nOld\tls\t \tOX\n##RegDir\n/home/u/\n");
    ASSERT_EQ(app::LoadDataFile(platform::RealFileSystem(), path, f.config.data), 0);
    f.frame.shell().SetDataFile(&platform::RealFileSystem(), path);

    testing::OnModal<RegisterProgramDialog> registering([&](RegisterProgramDialog& d) {
        for (const char* text : {"&Button:", "Command &Line:", "Start &In:", "Commen&t:"}) {
            bool found = false;
            for (QLabel* l : d.findChildren<QLabel*>()) found |= l->text() == text;
            EXPECT_TRUE(found) << text;
        }
        EXPECT_EQ(d.minimized()->text(), QStringLiteral("&Minimized"));
        EXPECT_EQ(d.commandShell()->text(), QStringLiteral("via &Command Shell"));
        EXPECT_EQ(d.capture()->text(), QStringLiteral("Get Console &Output into Editor"));
        EXPECT_EQ(d.toOutput()->text(), QStringLiteral("Output Screen"));
        EXPECT_EQ(d.toCaret()->text(), QStringLiteral("Caret Position"));
        EXPECT_EQ(d.saveCurrent()->text(), QStringLiteral("&Save Current File"));
        EXPECT_EQ(d.saveAll()->text(), QStringLiteral("Save &All Files"));
        // It starts at the entry of the focused button, "A".
        EXPECT_EQ(d.buttonField()->currentText(), QStringLiteral("A"));
        EXPECT_EQ(d.commandLine()->text(), QStringLiteral("ls"));
        EXPECT_TRUE(d.capture()->isChecked());
        EXPECT_TRUE(d.toOutput()->isChecked());

        d.buttonField()->setCurrentIndex(2);
        d.commandLine()->setText(QString::fromUtf8("grep 日本 %F"));
        d.startIn()->setText(QStringLiteral("%D"));
        d.comment()->setText(QStringLiteral("Find"));
        d.capture()->setChecked(true);
        d.toCaret()->setChecked(true);
        d.saveAll()->setChecked(true);
        EXPECT_FALSE(d.saveCurrent()->isEnabled());
        // Another letter and back: what was typed for "C" is still there.
        d.buttonField()->setCurrentIndex(3);
        EXPECT_TRUE(d.commandLine()->text().isEmpty());
        EXPECT_FALSE(d.capture()->isChecked());
        d.buttonField()->setCurrentIndex(2);
        EXPECT_EQ(d.commandLine()->text(), QString::fromUtf8("grep 日本 %F"));
        EXPECT_TRUE(d.toCaret()->isChecked());
        EXPECT_TRUE(d.saveAll()->isChecked());

        // A character Shift-JIS cannot hold is refused, and the dialog stays with the text.
        d.comment()->setText(QString::fromUtf8("Find \u00e9"));
        d.accept();
        EXPECT_TRUE(d.isVisible());
        ASSERT_EQ(f.ui.messages.size(), 1u);
        EXPECT_EQ(f.ui.messages[0],
                  "This text has characters the data file cannot hold:\nFind \xC3\xA9");
        EXPECT_EQ(d.comment()->text(), QString::fromUtf8("Find \u00e9"));
        d.comment()->setText(QStringLiteral("Find"));
        d.accept();
    });
    bool shown = false;
    testing::OnModal<LauncherDialog> launcher([&](LauncherDialog& d) {
        d.registerButton()->click();
        // Back in the launcher, which shows the new entry.
        EXPECT_TRUE(registering.done());
        EXPECT_EQ(d.button(2)->text(), QStringLiteral("C  Find"));
        EXPECT_TRUE(d.button(2)->isEnabled());
        shown = true;
        d.reject();
    });
    f.frame.shell().RunLauncher();
    ASSERT_TRUE(launcher.done());
    EXPECT_TRUE(shown);

    // The entry as the data file holds it (Shift-JIS), beside everything else unchanged.
    std::string text;
    ASSERT_EQ(platform::ReadWholeFile(platform::RealFileSystem(), path, text), 0);
    EXPECT_EQ(text, menus +
                        "##Shell\nOld\tls\t \tOX\n\nFind\tgrep \x93\xfa\x96\x7b %F\t%D\tEA\n"
                        "##RegDir\n/home/u/\n");
    app::DataFile again;
    ASSERT_EQ(app::LoadDataFile(platform::RealFileSystem(), path, again), 0);
    EXPECT_EQ(again.shell, f.config.data.shell);
    EXPECT_EQ(again.shell[2].options, "EA");
}

TEST(LauncherGui, AFailedWriteKeepsTheDialogAndWhatWasTyped) {
    Frame f;
    // The data file's folder does not exist: the write fails.
    const std::string path = f.dir.File("missing/norv.DAT");
    f.frame.shell().SetDataFile(&platform::RealFileSystem(), path);
    testing::OnModal<RegisterProgramDialog> registering([&](RegisterProgramDialog& d) {
        d.commandLine()->setText(QStringLiteral("make"));
        d.accept();
        EXPECT_TRUE(d.isVisible());
        ASSERT_EQ(f.ui.messages.size(), 1u);
        EXPECT_EQ(f.ui.messages[0].rfind("Cannot write the data file " + path + ":\n", 0), 0u)
            << f.ui.messages[0];
        EXPECT_EQ(d.commandLine()->text(), QStringLiteral("make"));
        d.reject();
    });
    testing::OnModal<LauncherDialog> launcher([&](LauncherDialog& d) {
        d.registerButton()->click();
        EXPECT_FALSE(d.button(0)->isEnabled());
        d.reject();
    });
    f.frame.shell().RunLauncher();
    EXPECT_TRUE(registering.done());
    EXPECT_TRUE(f.config.data.shell[0].commandLine.empty());
}

}  // namespace
}  // namespace norv::qt
