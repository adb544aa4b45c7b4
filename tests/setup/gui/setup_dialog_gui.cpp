// The Setup dialog and the message boxes through the real widgets (offscreen): texts in both
// languages, the target field, Browse with the folder chooser, the progress bar while
// installing, and a target that cannot be made.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <functional>

#include "platform/fakes/headless_ui.h"
#include "setup/installer.h"
#include "setup/setup_app.h"
#include "setup/setup_dialog.h"
#include "setup_test_support.h"

namespace norv::setup {
namespace {

using norv::testing::SetupSandbox;

// Runs `act` on the next modal window once it is up.
// With an `owner`, the wait ends when the owner goes.
template <typename Window, typename Fn>
void WhenModal(Fn act, QObject* owner = nullptr) {
    auto* timer = new QTimer(owner);
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        if (auto* w = qobject_cast<Window*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            act(w);
        }
    });
    timer->start(20);
}

class NoTools final : public ToolRunner {
  public:
    bool Run(const std::vector<std::string>&) override { return true; }
    void OpenFolder(const std::string&) override {}
};

TEST(SetupDialog, TextsInEnglishAndJapanese) {
    SetupDialog en(Language::kEnglish, "/home/u/.local/opt/V/A/",
                   [](const std::string&) { return true; });
    EXPECT_EQ(en.windowTitle(), "Setup");
    EXPECT_EQ(en.introLabel()->text().toStdString(),
              "This program will be installed the following directory.\n\nIf you want to change "
              "the directory, push the \"Browse\" button and specify another directory.");
    EXPECT_EQ(en.targetField()->text(), "/home/u/.local/opt/V/A/");
    EXPECT_EQ(en.browseButton()->text(), "Browse...");
    EXPECT_EQ(en.okButton()->text(), "OK");
    EXPECT_EQ(en.cancelButton()->text(), "Cancel");
    en.show();
    EXPECT_FALSE(en.progressBar()->isVisible());
    SetupDialog ja(Language::kJapanese, "/t/", [](const std::string&) { return true; });
    EXPECT_EQ(ja.windowTitle(), QString::fromUtf8("セットアップ"));
    EXPECT_EQ(ja.cancelButton()->text(), QString::fromUtf8("キャンセル"));
    EXPECT_TRUE(ja.introLabel()->text().startsWith(QString::fromUtf8("このプログラムを")));
}

TEST(SetupDialog, BrowseChoosesAFolderWithItsTrailingSlash) {
    SetupSandbox box;
    std::filesystem::create_directories(box.home + "chosen");
    SetupDialog d(Language::kEnglish, box.home, [](const std::string&) { return true; });
    d.show();
    QString title;
    WhenModal<QFileDialog>([&](QFileDialog* chooser) {
        title = chooser->windowTitle();
        chooser->selectFile(QString::fromStdString(box.home + "chosen"));
        QMetaObject::invokeMethod(chooser, "accept", Qt::QueuedConnection);
    });
    d.browseButton()->click();
    EXPECT_EQ(title, "Change Directory");
    EXPECT_EQ(d.targetField()->text().toStdString(), box.home + "chosen/");
}

// Watches the bar at every step of a real install.
class WatchedProgress final : public InstallProgress {
  public:
    explicit WatchedProgress(SetupDialog& d) : d_(d) {}
    void Begin(int steps) override {
        d_.Begin(steps);
        fieldHidden = !d_.targetField()->isVisible();
        maximum = d_.progressBar()->maximum();
    }
    void Advance() override {
        d_.Advance();
        shown = shown && d_.progressBar()->isVisible();
        values.push_back(d_.progressBar()->value());
    }
    void HideWindow() override { d_.HideWindow(); }
    bool fieldHidden = false, shown = true;
    int maximum = 0;
    std::vector<int> values;

  private:
    SetupDialog& d_;
};

TEST(SetupDialog, OkInstallsWithTheProgressBarThenATargetThatCannotBeMade) {
    SetupSandbox box;
    box.Put("setup.INF", norv::testing::StandardInf("File0=norv\nFile1=readme.txt\n"));
    box.Put("norv", "program", 0755);
    box.Put("readme.txt", "text");
    box.Put("setup", "installer", 0755);
    platform::HeadlessUi ui;
    NoTools tools;
    SetupSession s(platform::RealFileSystem(), ui, tools);
    s.env.home = box.home;
    s.env.xdgDataHome = box.data;
    s.env.xdgConfigHome = box.config;
    s.env.tmpDir = box.tmp;
    s.programPath = box.dist + "setup";
    s.infPath = box.dist + "setup.INF";
    s.inf = ParseInf(norv::testing::ReadFileBytes(s.infPath));
    s.openFolderAtEnd = false;
    std::unique_ptr<WatchedProgress> watch;
    SetupDialog d(Language::kEnglish, box.DefaultTarget(), [&](const std::string& target) {
        return Install(s, target, *watch) != InstallOutcome::kFolderFailed;
    });
    watch = std::make_unique<WatchedProgress>(d);
    d.show();
    d.okButton()->click();
    EXPECT_TRUE(watch->fieldHidden);
    EXPECT_EQ(watch->maximum, 4);
    EXPECT_TRUE(watch->shown);
    EXPECT_EQ(watch->values, (std::vector<int>{1, 2, 3, 4}));
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_TRUE(std::filesystem::exists(box.DefaultTarget() + "readme.txt"));

    // The dialog stays, with the field back, when the target cannot be made.
    box.root.Write("home/file", "x");
    SetupDialog again(Language::kEnglish, box.home + "file/sub/", [&](const std::string& t) {
        WatchedProgress p(again);
        return Install(s, t, p) != InstallOutcome::kFolderFailed;
    });
    again.show();
    again.okButton()->click();
    EXPECT_TRUE(again.isVisible());
    EXPECT_TRUE(again.targetField()->isVisible());
    EXPECT_FALSE(again.progressBar()->isVisible());
    EXPECT_TRUE(again.okButton()->isEnabled());
    EXPECT_NE(ui.messages.back().find("Cannot create the folder"), std::string::npos);
}

// The program's own flow with windows: the dialog comes up on the default target, OK installs,
// the complete message comes last; then "u" asks, uninstalls and says so.
TEST(SetupProgramWindows, InstallAndUninstallThroughTheDialogAndMessages) {
    SetupSandbox box;
    box.Put("setup.INF", norv::testing::StandardInf("File0=norv\n"));
    box.Put("norv", "program", 0755);
    box.Put("setup", "installer", 0755);
    for (auto [k, v] : {std::pair{"HOME", box.home},
                        {"XDG_DATA_HOME", box.data},
                        {"XDG_CONFIG_HOME", box.config},
                        {"TMPDIR", box.tmp},
                        {"PATH", std::string("/nonexistent")},
                        {"LANG", std::string("C")}})
        setenv(k, v.c_str(), 1);
    unsetenv("LC_ALL");
    unsetenv("LC_MESSAGES");
    std::vector<std::string> shown;
    std::function<void()> answerMessages;
    QObject guard;  // goes first: no answer is waited for after the test
    answerMessages = [&] {
        WhenModal<QMessageBox>(
            [&](QMessageBox* m) {
                shown.push_back(m->text().toStdString());
                m->buttons().front()->click();  // OK
                answerMessages();
            },
            &guard);
    };
    std::string field;
    WhenModal<SetupDialog>([&](SetupDialog* d) {
        field = d->targetField()->text().toStdString();
        answerMessages();
        d->okButton()->click();
    });
    std::string program = box.dist + "setup";
    char arg0[] = "setup";
    char user[] = "--user";  // never the machine's /opt and /usr/local/share, also as root
    char* argv[] = {arg0, user, nullptr};
    EXPECT_EQ(RunSetup(2, argv, program), 0);
    EXPECT_EQ(field, box.DefaultTarget());
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.back(), TextOf(TextId::kComplete, Language::kEnglish));
    EXPECT_TRUE(std::filesystem::exists(box.DefaultTarget() + "norv"));

    shown.clear();
    answerMessages();
    char u[] = "u";
    char* uargv[] = {arg0, u, user, nullptr};
    EXPECT_EQ(RunSetup(3, uargv, box.DefaultTarget() + "setup"), 0);
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0], TextOf(TextId::kUninstallQuestion, Language::kEnglish));
    EXPECT_EQ(shown[1], "Norv is uninstalled.\nYour own settings are kept.");
    EXPECT_FALSE(std::filesystem::exists(box.DefaultTarget() + "norv"));
    // The removal script was started for setup itself; give it its few moments.
    for (int i = 0; i < 100 && std::filesystem::exists(box.DefaultTarget()); ++i)
        QThread::msleep(50);
    EXPECT_FALSE(std::filesystem::exists(box.DefaultTarget()));
}

TEST(SetupMessages, QuestionsAndMessagesInBothLanguages) {
    static const struct {
        Language language;
        TextId text;
        unsigned style;
        const char* buttons;  // the texts, "|"-separated, in order
        bool clickCancel;
        int result;
    } kCases[] = {
        {Language::kEnglish, TextId::kUninstallQuestion,
         platform::mb::kOkCancel | platform::mb::kIconQuestion, "OK|Cancel", true,
         platform::kIdCancel},
        {Language::kJapanese, TextId::kUninstallQuestion,
         platform::mb::kOkCancel | platform::mb::kIconQuestion, "OK|キャンセル", false,
         platform::kIdOk},
        {Language::kJapanese, TextId::kComplete, platform::mb::kOk, "OK", false, platform::kIdOk},
        {Language::kEnglish, TextId::kNotInstalledHere, platform::mb::kOk, "OK", false,
         platform::kIdOk},
    };
    for (const auto& c : kCases) {
        QtSetupUi ui(c.language);
        QString title, text, buttons;
        WhenModal<QMessageBox>([&](QMessageBox* box) {
            title = box->windowTitle();
            text = box->text();
            QAbstractButton* press = nullptr;
            for (QAbstractButton* b : box->buttons()) {
                buttons += (buttons.isEmpty() ? "" : "|") + b->text();
                if (box->buttonRole(b) ==
                    (c.clickCancel ? QMessageBox::RejectRole : QMessageBox::AcceptRole))
                    press = b;
            }
            press->click();
        });
        int result = ui.MessageBox(TextOf(c.text, c.language), c.style);
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(title.toStdString(), TextOf(TextId::kDialogTitle, c.language));
        EXPECT_EQ(text.toStdString(), TextOf(c.text, c.language));
        EXPECT_EQ(buttons.toStdString(), c.buttons);
    }
}

}  // namespace
}  // namespace norv::setup

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
