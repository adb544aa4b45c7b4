// External programs through the real windows: Shift+F6 opens the Shell dialog with its boxes
// from ShellOption, a confirmed line runs and writes the boxes back, the history brings a line
// back with its boxes, output pours into "#Output#" or at the caret, and Escape stops waiting
// for a program that never ends without ending it.
#include <gtest/gtest.h>
#include <signal.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QRadioButton>
#include <QTimer>
#include <chrono>
#include <functional>
#include <string>
#include <thread>

#include "app/config/settings.h"
#include "app/config/settings_store.h"
#include "gui/dialogs/shell_dialog.h"
#include "gui/frame/doc_window.h"
#include "gui/frame/main_frame.h"
#include "gui/frame/shell_wiring.h"
#include "gui/gui_test_support.h"
#include "platform/fakes/headless_ui.h"
#include "platform/paths.h"
#include "support/temp_dir.h"

namespace norv::qt {
namespace {

using testing::DocumentBytes;
using testing::Key;

using OnDialog = testing::OnModal<ShellDialog>;

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
    norv::testing::TempDir dir;
    std::string before;
    app::SettingsStore store;
    app::Configuration config;
    platform::HeadlessUi ui;
    MainFrame frame{&ui};
};

TEST(ShellGui, TheDialogRunsALineAndRemembersIt) {
    Frame f;
    f.config.settings.Set(app::Key::ShellOption, "IC");
    DocWindow* w = f.frame.NewFile();
    OnDialog first([&](ShellDialog& d) {
        bool label = false;
        for (QLabel* l : d.findChildren<QLabel*>()) label |= l->text() == "Command &Line:";
        EXPECT_TRUE(label);
        EXPECT_EQ(d.minimized()->text(), QStringLiteral("&Minimized"));
        EXPECT_EQ(d.commandShell()->text(), QStringLiteral("via &Command Shell"));
        EXPECT_EQ(d.capture()->text(), QStringLiteral("Get C&onsole Output"));
        EXPECT_EQ(d.toOutput()->text(), QStringLiteral("Output Screen"));
        EXPECT_EQ(d.toCaret()->text(), QStringLiteral("Caret Position"));
        // The boxes start from ShellOption.
        EXPECT_TRUE(d.minimized()->isChecked());
        EXPECT_TRUE(d.commandShell()->isChecked());
        EXPECT_FALSE(d.capture()->isChecked());
        EXPECT_FALSE(d.toOutput()->isEnabled());
        d.minimized()->setChecked(false);
        d.capture()->setChecked(true);
        d.toOutput()->setChecked(true);
        d.lineField()->setEditText(QStringLiteral("echo one; echo two"));
        d.accept();
    });
    Key(&w->editor(), Qt::Key_F6, Qt::ShiftModifier);
    ASSERT_TRUE(first.done());
    DocWindow* out = f.Output();
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(DocumentBytes(out->view()), "one\ntwo\n");
    EXPECT_EQ(f.store.ReadText(app::Key::ShellOption), "OC");
    EXPECT_EQ(f.ui.statusTexts.back(), "The process is normally terminated :-)");
    ASSERT_EQ(f.frame.shell().history().size(), 1u);

    // The next time the line is in the history; choosing it sets its boxes.
    OnDialog second([&](ShellDialog& d) {
        d.commandShell()->setChecked(false);
        ASSERT_EQ(d.lineField()->count(), 1);
        EXPECT_EQ(d.lineField()->itemText(0), QStringLiteral("echo one; echo two"));
        d.lineField()->setCurrentIndex(0);
        emit d.lineField()->activated(0);
        EXPECT_TRUE(d.commandShell()->isChecked());
        EXPECT_TRUE(d.toOutput()->isChecked());
        d.reject();
    });
    Key(&out->editor(), Qt::Key_F6, Qt::ShiftModifier);
    EXPECT_TRUE(second.done());
}

TEST(ShellGui, OutputAtTheCaretOfAShiftJisDocument) {
    Frame f;
    DocWindow* w = f.frame.NewFile();
    w->view().InsertText("[]");
    w->view().SetCaret(1, 1);
    app::ShellRunResult r = f.frame.shell().Run("printf '\\346\\227\\245\\346\\234\\254'",
                                                tools::ParseShellOptions("E"));
    EXPECT_TRUE(r.started);
    EXPECT_EQ(DocumentBytes(w->view()), "[\x93\xfa\x96\x7b]");
}

TEST(ShellGui, EscapeStopsWaitingForAProgramThatGoesOn) {
    Frame f;
    DocWindow* w = f.frame.NewFile();
    const std::string mark = f.dir.File("still-running");
    // Timers wait while a run polls: the key comes from another thread, as from the user.
    QWidget* editor = &w->editor();
    std::thread user([editor] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        QCoreApplication::postEvent(
            editor, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    });
    app::ShellRunResult r = f.frame.shell().Run("sh -c 'echo first; sleep 1; : > " + mark + "'",
                                                tools::ParseShellOptions("O"));
    user.join();
    EXPECT_TRUE(r.started);
    EXPECT_TRUE(r.stopped);
    DocWindow* out = f.Output();
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(DocumentBytes(out->view()), "first\n");
    EXPECT_NE(f.ui.statusTexts.empty() ? "" : f.ui.statusTexts.back(),
              "The process is normally terminated :-)");
    for (int i = 0; i < 300 && access(mark.c_str(), F_OK) != 0; ++i) usleep(10000);
    EXPECT_EQ(access(mark.c_str(), F_OK), 0);  // the program was not ended
}

}  // namespace
}  // namespace norv::qt
