// The "Server Status", "Login" and "Configuration" windows through the real widgets: what they
// show, what OK and Cancel do to the settings file and the log-in, and the hosts without
// windows.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <functional>

#include "mail/mail_library.h"
#include "mail/qt_mail_windows.h"
#include "mail/replay_transport.h"
#include "mail_test_support.h"
#include "platform/code_page.h"
#include "platform/fakes/memory_file_system.h"

namespace norv::mail {
namespace {

QWidget* TopLevel(const char* name) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == name && w->isVisible()) return w;
    return nullptr;
}

QString Field(QWidget* dialog, const char* name) {
    auto* e = dialog->findChild<QLineEdit*>(name);
    return e ? e->text() : QStringLiteral("<missing>");
}

void SetField(QWidget* dialog, const char* name, const QString& text) {
    auto* e = dialog->findChild<QLineEdit*>(name);
    ASSERT_TRUE(e) << name;
    e->setText(text);
}

void Press(QWidget* dialog, QDialogButtonBox::StandardButton which) {
    auto* box = dialog->findChild<QDialogButtonBox*>();
    ASSERT_TRUE(box);
    box->button(which)->click();
}

// Runs `act` on the dialog named `name` once it is shown (the dialogs are modal).
void WhenShown(const char* name, std::function<void(QWidget*)> act, bool* seen) {
    *seen = false;
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [=] {
        if (QWidget* d = TopLevel(name)) {
            timer->stop();
            timer->deleteLater();
            *seen = true;
            act(d);
        }
    });
    timer->start();
}

struct WindowedLibrary {
    std::shared_ptr<ReplayScript> script = std::make_shared<ReplayScript>();
    platform::MemoryFileSystem files;
    std::unique_ptr<MailLibrary> library;
    WindowedLibrary() {
        MailLibrary::Services s;
        s.transports = MakeReplayTransportFactory(script);
        s.files = &files;
        s.codePage = 932;
        s.timeoutMs = 1000;
        library = std::make_unique<MailLibrary>(std::move(s), MakeHostWindows());
    }
};

const std::string kSettings =
    "[Other]\r\nx=1\r\n[Mail]\r\nName=\x8E\x52\x93\x63\r\nAddress=taro@x.jp\r\nLogin="
    "taro\r\nPass=" +
    ScramblePassword("pw") + "\r\nPOPServer=pop.x.jp\r\nSMTPServer=smtp.x.jp\r\nDeleteMail=1\r\n";

TEST(ConfigurationWindow, PrefilledAndOkWritesTheSevenKeys) {
    WindowedLibrary w;
    w.files.files["/n.INI"] = kSettings;
    bool seen;
    WhenShown(
        kConfigurationDialogName,
        [](QWidget* d) {
            EXPECT_EQ(d->windowTitle(), "Configuration");
            EXPECT_EQ(Field(d, "name"), QString::fromUtf8("山田"));
            EXPECT_EQ(Field(d, "address"), "taro@x.jp");
            EXPECT_EQ(Field(d, "login"), "taro");
            EXPECT_EQ(Field(d, "password"), "pw");
            EXPECT_EQ(Field(d, "popServer"), "pop.x.jp");
            EXPECT_EQ(Field(d, "smtpServer"), "smtp.x.jp");
            auto* box = d->findChild<QCheckBox*>("deleteMail");
            ASSERT_TRUE(box);
            EXPECT_EQ(box->text(), "Delete Received Mail in Server");
            EXPECT_TRUE(box->isChecked());
            EXPECT_EQ(d->findChild<QLineEdit*>("password")->echoMode(), QLineEdit::Password);
            SetField(d, "name", QString::fromUtf8("花子"));
            SetField(d, "password", "new secret");
            SetField(d, "smtpServer", "[::1]:2525");
            box->setChecked(false);
            Press(d, QDialogButtonBox::Ok);
        },
        &seen);
    EXPECT_EQ(w.library->SetConfiguration("/n.INI", 1), 1);
    EXPECT_TRUE(seen);
    EXPECT_EQ(w.files.files["/n.INI"],
              "[Other]\r\nx=1\r\n[Mail]\r\nName=\x89\xD4\x8E\x71\r\nAddress=taro@x.jp\r\nLogin="
              "taro\r\nPass=" +
                  ScramblePassword("new secret") +
                  "\r\nPOPServer=pop.x.jp\r\nSMTPServer=[::1]:2525\r\nDeleteMail=0\r\n");
}

TEST(ConfigurationWindow, CancelWritesNothing) {
    WindowedLibrary w;
    w.files.files["/n.INI"] = kSettings;
    bool seen;
    WhenShown(
        kConfigurationDialogName,
        [](QWidget* d) {
            SetField(d, "name", "changed");
            Press(d, QDialogButtonBox::Cancel);
        },
        &seen);
    const int writes = w.files.writes;
    EXPECT_EQ(w.library->SetConfiguration("/n.INI", 1), 0);
    EXPECT_TRUE(seen);
    EXPECT_EQ(w.files.files["/n.INI"], kSettings);
    EXPECT_EQ(w.files.writes, writes);
}

TEST(LoginWindow, CancelFailsAndOkLogsIn) {
    WindowedLibrary w;
    w.files.files["/n.INI"] = kSettings;
    char b[256], f[2];
    w.library->GetConfiguration("/n.INI", b, b, b, b, b, f);
    ASSERT_EQ(w.library->Initialize("127.0.0.1", "127.0.0.1", 1), 1);
    bool seen;
    WhenShown(
        kLoginDialogName,
        [](QWidget* d) {
            EXPECT_EQ(d->windowTitle(), "Login");
            EXPECT_EQ(Field(d, "login"), "  ");
            EXPECT_EQ(Field(d, "password"), "pw");
            Press(d, QDialogButtonBox::Cancel);
        },
        &seen);
    EXPECT_EQ(w.library->Authenticate("  "), 0);
    EXPECT_TRUE(seen);
    EXPECT_EQ(w.script->connections, 0u);

    w.script->servers.push_back({testing::Pop3Login() + "+OK bye\r\n"});
    WhenShown(
        kLoginDialogName,
        [](QWidget* d) {
            SetField(d, "login", "hanako");
            SetField(d, "password", "typed");
            Press(d, QDialogButtonBox::Ok);
        },
        &seen);
    EXPECT_EQ(w.library->Authenticate(""), 1);
    EXPECT_TRUE(seen);
    EXPECT_EQ(w.script->sent[0], "USER hanako\r\nPASS typed\r\nQUIT\r\n");
}

TEST(StatusWindow, ShowsTheDialogueWithoutBodiesOrThePassword) {
    QWidget host;
    host.setWindowTitle("host");
    host.resize(300, 200);
    host.move(100, 80);
    host.show();
    host.activateWindow();
    QApplication::processEvents();

    WindowedLibrary w;
    w.files.files["/n.INI"] = kSettings;
    char b[256], f[2];
    w.library->GetConfiguration("/n.INI", b, b, b, b, b, f);
    ASSERT_EQ(w.library->Initialize("127.0.0.1", "127.0.0.1", 1), 1);
    QWidget* status = nullptr;
    for (QWidget* t : QApplication::topLevelWidgets())
        if (t->objectName() == kStatusWindowName) status = t;
    ASSERT_TRUE(status) << "made hidden at initialisation";
    EXPECT_FALSE(status->isVisible());
    w.script->servers.push_back({testing::Pop3Login() + "+OK bye\r\n"});
    ASSERT_EQ(w.library->Authenticate("taro"), 1);
    w.script->servers.push_back({testing::Pop3Login() +
                                 "+OK\r\n1 100\r\n.\r\n+OK\r\nSubject: hidden header\r\n\r\n.\r\n"
                                 "+OK\r\nSubject: x\r\n\r\nsecret body line\r\n.\r\n+OK\r\n"});
    ASSERT_EQ(w.library->StartReceiveSession(), 1);
    EXPECT_TRUE(status->isVisible());
    EXPECT_EQ(status->windowTitle(), "Server Status");
    EXPECT_EQ(status->pos(), host.mapToGlobal(QPoint(0, 0))) << "at the host's client origin";
    EXPECT_NE(QApplication::activeWindow(), status) << "the host keeps the focus";
    char line[kListLineSize], st[kListStatusSize];
    ASSERT_EQ(w.library->ListMail(line, st), 100);
    std::vector<char> buf(101);
    ASSERT_EQ(w.library->GetMail(1, buf.data(), 0, 0), 1);
    const QString shown = status->findChild<QPlainTextEdit*>()->toPlainText();
    EXPECT_TRUE(shown.contains("USER taro"));
    EXPECT_TRUE(shown.contains("PASS ****"));
    EXPECT_TRUE(shown.contains("RETR 1"));
    EXPECT_FALSE(shown.contains("PASS pw"));
    EXPECT_FALSE(shown.contains("hidden header"));
    EXPECT_FALSE(shown.contains("secret body"));
    EXPECT_EQ(w.library->EndReceiveSession(), 1);
    EXPECT_FALSE(status->isVisible());
    // A send shows it and hides it again, a failed connection included.
    w.script->servers.push_back({"", NetStatus::kClosed, true});
    EXPECT_EQ(w.library->SendMail("a@x.jp", "b@x.jp", "", "", "s", "b"), 0);
    EXPECT_FALSE(status->isVisible());
    w.library->Shutdown();
}

TEST(HeadlessHost, NoWindowsAndDialogsCancelled) {
    qApp->setProperty("norvHeadless", true);
    EXPECT_FALSE(HostHasWindows());
    WindowedLibrary w;
    w.files.files["/n.INI"] = kSettings;
    EXPECT_EQ(w.library->SetConfiguration("/n.INI", 1), 0);
    EXPECT_EQ(w.files.files["/n.INI"], kSettings);
    char b[256], f[2];
    w.library->GetConfiguration("/n.INI", b, b, b, b, b, f);
    ASSERT_EQ(w.library->Initialize("127.0.0.1", "127.0.0.1", 1), 1);
    EXPECT_EQ(w.library->Authenticate(""), 0) << "the Login dialog counts as cancelled";
    w.script->servers.push_back({testing::Pop3Login() + "+OK bye\r\n"});
    ASSERT_EQ(w.library->Authenticate("taro"), 1);
    w.script->servers.push_back({testing::Pop3Login()});
    ASSERT_EQ(w.library->StartReceiveSession(), 1);
    for (QWidget* t : QApplication::topLevelWidgets())
        EXPECT_FALSE(t->isVisible()) << t->objectName().toStdString();
    qApp->setProperty("norvHeadless", QVariant());
}

}  // namespace
}  // namespace norv::mail

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    norv::platform::SetSystemCodePage(932);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
