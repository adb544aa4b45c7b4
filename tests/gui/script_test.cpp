// Scripts in the real frame: a compile error opens the script at its line with the "Norv
// Script" box, a script edits the active view and asks through a real input box, Ctrl+Break
// stops a script in a loop or a wait while the frame neither takes typed keys nor closes, and a
// script's own Exit closes the frame as it ends.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QTimer>
#include <string>

#include "app/config/settings_store.h"
#include "gui/frame/doc_window.h"
#include "gui/frame/main_frame.h"
#include "gui/frame/project_wiring.h"
#include "gui/frame/script_wiring.h"
#include "gui/gui_test_support.h"
#include "platform/file_system.h"
#include "support/temp_dir.h"

namespace norv::qt {
namespace {

using testing::DocumentBytes;
using testing::Key;

struct Frame {
    Frame() : store(platform::RealFileSystem(), dir.File("norv.INI"), 932), config(932) {
        frame.UseConfiguration(config, &store);
        scripts.SetSettingsFolder(dir.path());
        frame.show();
    }
    std::string Script(const std::string& name, const std::string& source) {
        return dir.Write(name, source);
    }
    norv::testing::TempDir dir;
    app::SettingsStore store;
    app::Configuration config;
    MainFrame frame;
    ScriptWiring& scripts{frame.scripts()};
};

TEST(ScriptGui, ACompileErrorOpensTheScriptAtItsLine) {
    Frame f;
    const std::string path = f.Script("bad.nrs", "MAIN\nDIM x\nx = (1 +\nEND MAIN\n");
    QString title, text;
    testing::OnModal<QMessageBox> box([&](QMessageBox& b) {
        title = b.windowTitle();
        text = b.text();
        b.accept();
    });
    EXPECT_EQ(f.scripts.RunFile(path), app::ScriptOutcome::kCompileError);
    EXPECT_TRUE(box.done());
    EXPECT_EQ(title, QStringLiteral("Norv Script"));
    EXPECT_FALSE(text.isEmpty());
    DocWindow* w = f.frame.ActiveWindow();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->doc().path, path);
    EXPECT_EQ(w->view().caretLineNumber(), 3);
}

TEST(ScriptGui, AScriptEditsTheActiveViewAndAsksThroughAnInputBox) {
    Frame f;
    DocWindow* w = f.frame.NewFile();
    w->view().InsertText("one\r\ntwo");
    const std::string path = f.Script("edit.nrs", R"(MAIN
DIM s$
s = INPUTBOX("Word:", "Ask", "x")
SAVETHISLINE(GETTHISLINE(2), s + LOADTHISLINE(GETTHISLINE(2)))
GOTOTHERE(1, 4)
INSERTSTRING("!")
END MAIN
)");
    QString shown;
    testing::OnModal<QInputDialog> ask([&](QInputDialog& d) {
        shown = d.labelText() + "|" + d.textValue();
        d.setTextValue(QStringLiteral("new "));
        d.accept();
    });
    EXPECT_EQ(f.scripts.RunFile(path), app::ScriptOutcome::kDone);
    EXPECT_TRUE(ask.done());
    EXPECT_EQ(shown, QStringLiteral("Word:|x"));
    EXPECT_EQ(DocumentBytes(w->view()), "one!\nnew two");
    EXPECT_FALSE(f.scripts.running());
}

// While the script runs, a typed key and a close request do nothing; Ctrl+Break ends it.
TEST(ScriptGui, CtrlBreakStopsALoopAndAWait) {
    for (const char* body : {"WHILE 1\nn = n + 1\nWEND", "WAIT(60000)"}) {
        SCOPED_TRACE(body);
        Frame f;
        DocWindow* w = f.frame.NewFile();
        w->view().InsertText("text");
        const std::string path = f.Script("loop.nrs", std::string("MAIN\nDIM n\n") + body +
                                                          "\nINSERTSTRING(\"after\")\nEND MAIN\n");
        // Once the script runs (compiling it may take long on a loaded machine): a key and a
        // close request, then Ctrl+Break until it stops (a press before its first instruction
        // does not count).
        QTimer ticker;
        int ticks = 0;
        QObject::connect(&ticker, &QTimer::timeout, [&] {
            if (!f.scripts.running()) return;
            if (++ticks == 1) {
                Key(&w->editor(), Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
                f.frame.close();
            } else if (ticks >= 3) {
                Key(&w->editor(), Qt::Key_Pause, Qt::ControlModifier);
            }
        });
        ticker.start(50);
        EXPECT_EQ(f.scripts.RunFile(path), app::ScriptOutcome::kInterrupted);
        EXPECT_EQ(DocumentBytes(w->view()), "text");
        EXPECT_TRUE(f.frame.isVisible());
        EXPECT_FALSE(f.scripts.running());
        // Typing works again once the script has ended.
        Key(&w->editor(), Qt::Key_Y, Qt::NoModifier, QStringLiteral("y"));
        EXPECT_EQ(DocumentBytes(w->view()), "texty");
    }
}

// A script that asks for the end itself (Exit, Break) runs to its end, then the frame closes; a
// user's close request during the run is not one (above).
TEST(ScriptGui, AScriptsOwnExitClosesTheFrameOnceTheScriptHasEnded) {
    for (const char* command : {"AppExit", "Break"}) {
        SCOPED_TRACE(command);
        Frame f;
        // The project commands as the application wires them: Break ends through the frame.
        mkdir(f.dir.File("cfg").c_str(), 0700);
        new ProjectWiring(f.frame, f.config.settings, nullptr, f.dir.File("cfg/"),
                          f.dir.File("cfg/norv.PRF"), f.dir.File("cfg/norv.HST"), false);
        f.frame.NewFile();
        const std::string path = f.Script("end.nrs", std::string("MAIN\nCOMMAND(\"") + command +
                                                         "\")\nMSGBOX(\"still here\")\nEND MAIN\n");
        QString text;
        bool visibleAtTheBox = false;
        testing::OnModal<QMessageBox> box([&](QMessageBox& b) {
            text = b.text();
            visibleAtTheBox = f.frame.isVisible();
            b.accept();
        });
        EXPECT_EQ(f.scripts.RunFile(path), app::ScriptOutcome::kDone);
        EXPECT_EQ(text, QStringLiteral("still here"));
        EXPECT_TRUE(visibleAtTheBox);
        for (int i = 0; i < 20 && f.frame.isVisible(); ++i) QApplication::processEvents();
        EXPECT_FALSE(f.frame.isVisible());
        if (std::string(command) == "Break")
            EXPECT_TRUE(platform::RealFileSystem().Stat(f.dir.File("cfg/norv.PRF")));
    }
}

}  // namespace
}  // namespace norv::qt
