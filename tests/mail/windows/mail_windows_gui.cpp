// The "Server Status", "Login" and "Configuration" windows through the real widgets: what they
// show, what OK and Cancel do to the settings file and the log-in, and the hosts without
// windows.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <functional>

#include "mail/mail_library.h"
#include "mail/qt_address_windows.h"
#include "mail/qt_mail_windows.h"
#include "mail/replay_transport.h"
#include "mail_servers.h"
#include "mail_test_support.h"
#include "platform/code_page.h"
#include "platform/fakes/memory_file_system.h"
#include "support/temp_dir.h"

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
    auto ticks = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [=] {
        // A wait that found nothing within 3 s gives up (the test has failed by then).
        if (++*ticks > 300) {
            timer->stop();
            timer->deleteLater();
            return;
        }
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

TEST(ConfigurationWindow, TlsChoicesAreWrittenBesideTheSeven) {
    WindowedLibrary w;
    w.files.files["/n.INI"] = kSettings;
    bool seen;
    WhenShown(
        kConfigurationDialogName,
        [](QWidget* d) {
            auto* pop = d->findChild<QComboBox*>("popSecurity");
            auto* smtp = d->findChild<QComboBox*>("smtpSecurity");
            auto* auth = d->findChild<QCheckBox*>("smtpAuth");
            ASSERT_TRUE(pop && smtp && auth);
            EXPECT_EQ(pop->currentIndex(), 0);
            EXPECT_EQ(smtp->itemText(1), "STARTTLS");
            EXPECT_EQ(auth->text(), "Log in to the SMTP server");
            pop->setCurrentIndex(2);
            smtp->setCurrentIndex(1);
            auth->setChecked(true);
            SetField(d, "caFile", "/etc/ca.pem");
            Press(d, QDialogButtonBox::Ok);
        },
        &seen);
    EXPECT_EQ(w.library->SetConfiguration("/n.INI", 1), 1);
    const std::string& text = w.files.files["/n.INI"];
    EXPECT_NE(text.find("DeleteMail=1\r\nPOPSecurity=2\r\nSMTPSecurity=1\r\nSMTPAuth=1\r\nCAFile=/"
                        "etc/ca.pem\r\n"),
              std::string::npos)
        << text;
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

// Runs `act` on the next message box, once it is shown.
void WhenMessageBox(std::function<void(QMessageBox*)> act, bool* seen) {
    *seen = false;
    auto* timer = new QTimer;
    timer->setInterval(10);
    auto ticks = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [=] {
        // A wait that found nothing within 3 s gives up (the test has failed by then).
        if (++*ticks > 300) {
            timer->stop();
            timer->deleteLater();
            return;
        }
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            *seen = true;
            act(box);
        }
    });
    timer->start();
}

QStringList Items(QListWidget* list) {
    QStringList s;
    for (int i = 0; i < list->count(); ++i) s << list->item(i)->text();
    return s;
}

QPushButton* ButtonNamed(QWidget* d, const char* name) {
    auto* b = d->findChild<QPushButton*>(name);
    EXPECT_TRUE(b) << name;
    return b;
}

// An address book with two groups, on disk.
struct BookFolder {
    norv::testing::TempDir dir;
    BookFolder() {
        std::filesystem::create_directory(dir.File("addrbook"));
        dir.Write(
            "addrbook/Usual.adr",
            "taro@localhost\t\x8E\x52\x93\x63\r\nno address\tx\r\nhanako@localhost\tHanako\r\n");
        dir.Write("addrbook/Work.adr", "boss@localhost\tBoss\r\n");
    }
    std::string Base() const { return dir.path(); }  // without its separator
};

std::unique_ptr<MailLibrary> WindowedRealFiles() {
    MailLibrary::Services s;
    s.transports = MakeSocketTransport;
    s.files = &platform::RealFileSystem();
    s.codePage = 932;
    s.timeoutMs = 10000;
    return std::make_unique<MailLibrary>(std::move(s), MakeHostWindows());
}

TEST(AddressBookWindow, EveryActionAndItsFiles) {
    BookFolder book;
    auto library = WindowedRealFiles();
    bool seen = false, addSeen = false, groupSeen = false, confirmSeen = false, refusedSeen = false;
    WhenShown(
        kAddressBookName,
        [&](QWidget* d) {
            EXPECT_EQ(d->windowTitle(), "Address Book");
            auto* group = d->findChild<QComboBox*>("group");
            auto* entries = d->findChild<QListWidget*>("entries");
            auto* chosen = d->findChild<QListWidget*>("chosen");
            ASSERT_TRUE(group && entries && chosen);
            for (const auto& [name, label] :
                 std::vector<std::pair<const char*, const char*>>{{"add", "&Add >>"},
                                                                  {"all", "A&ll >>"},
                                                                  {"del", "<< &Del"},
                                                                  {"reset", "<< &Reset"},
                                                                  {"newAddr", "New A&ddr"},
                                                                  {"newGrp", "New G&rp"}})
                EXPECT_EQ(ButtonNamed(d, name)->text(), label);
            EXPECT_EQ(group->count(), 2);
            EXPECT_EQ(group->itemText(0), "Usual");
            EXPECT_EQ(Items(entries), (QStringList{QString::fromUtf8("taro@localhost (山田)"),
                                                   "hanako@localhost (Hanako)"}));
            entries->setCurrentRow(0);
            ButtonNamed(d, "add")->click();
            ButtonNamed(d, "add")->click();
            EXPECT_EQ(Items(chosen), QStringList{"taro@localhost"}) << "the same address once";
            ButtonNamed(d, "all")->click();
            EXPECT_EQ(Items(chosen), (QStringList{"taro@localhost", "hanako@localhost"}));
            chosen->setCurrentRow(0);
            ButtonNamed(d, "del")->click();
            EXPECT_EQ(Items(chosen), QStringList{"hanako@localhost"});
            ButtonNamed(d, "reset")->click();
            EXPECT_TRUE(Items(chosen).isEmpty());
            // New Addr writes the current group's file.
            group->setCurrentIndex(1);
            EXPECT_EQ(Items(entries), QStringList{"boss@localhost (Boss)"});
            WhenShown(
                kAddAddressName,
                [](QWidget* a) {
                    SetField(a, "address", "new@localhost");
                    SetField(a, "name", QString::fromUtf8("新人"));
                    ButtonNamed(a, "add")->click();
                },
                &addSeen);
            ButtonNamed(d, "newAddr")->click();
            EXPECT_EQ(Items(entries), (QStringList{"boss@localhost (Boss)",
                                                   QString::fromUtf8("new@localhost (新人)")}));
            // New Grp: a refused name, a new group, and deleting it after the confirmation.
            WhenShown(
                kAddGroupName,
                [&](QWidget* g) {
                    SetField(g, "name", "../x");
                    WhenMessageBox(
                        [](QMessageBox* box) {
                            EXPECT_EQ(box->text(), "Cannot create file.");
                            box->accept();
                        },
                        &refusedSeen);
                    ButtonNamed(g, "add")->click();
                    SetField(g, "name", "Club");
                    ButtonNamed(g, "add")->click();
                },
                &groupSeen);
            ButtonNamed(d, "newGrp")->click();
            EXPECT_TRUE(refusedSeen);
            EXPECT_EQ(group->count(), 3);
            EXPECT_TRUE(std::filesystem::exists(book.dir.File("addrbook/Club.adr")));
            WhenShown(
                kAddGroupName,
                [&](QWidget* g) {
                    SetField(g, "name", "Club");
                    WhenMessageBox(
                        [](QMessageBox* box) {
                            EXPECT_EQ(box->windowTitle(), "Confirmation");
                            EXPECT_EQ(box->text(), "Are you sure to delete this group?");
                            box->button(QMessageBox::Yes)->click();
                        },
                        &confirmSeen);
                    ButtonNamed(g, "delete")->click();
                },
                &groupSeen);
            ButtonNamed(d, "newGrp")->click();
            EXPECT_TRUE(confirmSeen);
            EXPECT_FALSE(std::filesystem::exists(book.dir.File("addrbook/Club.adr")));
            EXPECT_EQ(group->count(), 2);
            group->setCurrentIndex(0);
            ButtonNamed(d, "all")->click();
            Press(d, QDialogButtonBox::Ok);
        },
        &seen);
    EXPECT_STREQ(library->GetAddress(book.Base().c_str(), 1), "taro@localhost,hanako@localhost");
    EXPECT_TRUE(seen && addSeen);
    EXPECT_EQ(norv::testing::ReadFileBytes(book.dir.File("addrbook/Work.adr")),
              "boss@localhost\tBoss\r\nnew@localhost\t\x90\x56\x90\x6C\r\n");
    WhenShown(
        kAddressBookName, [](QWidget* d) { Press(d, QDialogButtonBox::Cancel); }, &seen);
    EXPECT_STREQ(library->GetAddress(book.Base().c_str(), 1), "") << "Cancel gives an empty text";
}

// Fills the send form: the subject typed, To picked through its Address Book button (both
// Usual addresses); checks the button's enabling as the focus moves.
void FillSendForm(QWidget* d, const QString& subject) {
    auto* button = ButtonNamed(d, "addressBook");
    EXPECT_EQ(button->text(), "&Address Book");
    QApplication::setActiveWindow(d);
    auto focus = [&](const char* name) {
        QApplication::setActiveWindow(d);
        d->findChild<QLineEdit*>(name)->setFocus();
        QApplication::processEvents();
    };
    focus("subject");
    EXPECT_FALSE(button->isEnabled()) << "not while the focus is in Subject";
    SetField(d, "subject", subject);
    focus("cc");
    EXPECT_TRUE(button->isEnabled());
    bool cancelled = false;
    WhenShown(
        kAddressBookName, [](QWidget* b) { Press(b, QDialogButtonBox::Cancel); }, &cancelled);
    button->click();
    EXPECT_TRUE(cancelled);
    EXPECT_EQ(Field(d, "cc"), "keep@localhost") << "an empty result leaves the field";
    focus("to");
    EXPECT_TRUE(button->isEnabled());
    bool picked = false;
    WhenShown(
        kAddressBookName,
        [](QWidget* b) {
            ButtonNamed(b, "all")->click();
            Press(b, QDialogButtonBox::Ok);
        },
        &picked);
    button->click();
    EXPECT_TRUE(picked);
    EXPECT_EQ(Field(d, "to"), "taro@localhost,hanako@localhost") << "the result replaces the field";
    focus("bcc");
    EXPECT_TRUE(button->isEnabled());
}

TEST(SendFormWindow, FocusButtonOkAndCancel) {
    BookFolder book;
    auto library = WindowedRealFiles();
    library->SetFormValue("To", "old@localhost");
    library->SetFormValue("Cc", "keep@localhost");
    bool seen = false;
    WhenShown(
        kSendFormName,
        [](QWidget* d) {
            EXPECT_EQ(d->windowTitle(), "Send Form");
            EXPECT_EQ(Field(d, "to"), "old@localhost");
            FillSendForm(d, QString::fromUtf8("会議の件"));
            Press(d, QDialogButtonBox::Ok);
        },
        &seen);
    EXPECT_EQ(library->OpenSendForm((book.Base() + "/").c_str(), 1), 1);
    EXPECT_TRUE(seen);
    EXPECT_STREQ(library->GetFormValue("to"), "taro@localhost,hanako@localhost");
    EXPECT_STREQ(library->GetFormValue("Subject"), "\x89\xEF\x8B\x63\x82\xCC\x8C\x8F");
    EXPECT_STREQ(library->GetFormValue("Cc"), "keep@localhost");
    WhenShown(
        kSendFormName,
        [](QWidget* d) {
            SetField(d, "subject", "changed");
            Press(d, QDialogButtonBox::Cancel);
        },
        &seen);
    EXPECT_EQ(library->OpenSendForm(book.Base().c_str(), 1), 2);
    EXPECT_STREQ(library->GetFormValue("Subject"), "") << "Cancel clears all four values";
    EXPECT_STREQ(library->GetFormValue("To"), "");
}

// The whole way: the form filled through its windows, then sent with SendMail to the loopback
// aiosmtpd; the envelope holds exactly the picked recipients and the Subject decodes to the
// form's.
TEST(SendFormWindow, FilledFormIsSent) {
    const testing::MailServers& servers = testing::MailServers::Get();
    if (!servers.running()) GTEST_SKIP() << servers.why();
    servers.EmptyMailbox();
    BookFolder book;
    auto library = WindowedRealFiles();
    const std::string ini = book.dir.Write(
        "m.ini", "[Mail]\nPass=" + ScramblePassword(testing::MailServers::kPassword) + "\n");
    char b[256], f[2];
    library->GetConfiguration(ini.c_str(), b, b, b, b, b, f);
    const std::string pop = "127.0.0.1:" + std::to_string(servers.popPort());
    const std::string smtp = "127.0.0.1:" + std::to_string(servers.smtpPort());
    ASSERT_EQ(library->Initialize(pop.c_str(), smtp.c_str(), 1), 1);
    ASSERT_EQ(library->Authenticate(testing::MailServers::kUser), 1) << library->GetErrorStatus();
    library->SetFormValue("Cc", "keep@localhost");
    bool seen = false;
    WhenShown(
        kSendFormName,
        [](QWidget* d) {
            FillSendForm(d, QString::fromUtf8("送信フォームの件名"));
            SetField(d, "cc", "");
            Press(d, QDialogButtonBox::Ok);
        },
        &seen);
    ASSERT_EQ(library->OpenSendForm(book.Base().c_str(), 1), 1);
    const std::string to = library->GetFormValue("To");
    const std::string subject = library->GetFormValue("Subject");
    ASSERT_EQ(library->SendMail("taro@localhost", to.c_str(), library->GetFormValue("Cc"),
                                library->GetFormValue("Bcc"), subject.c_str(), "\x96\x7B\x95\xB6"),
              1)
        << library->GetErrorStatus();
    std::ifstream env(servers.envelopes());
    std::string line;
    std::getline(env, line);
    EXPECT_NE(line.find("\"to\": [\"taro@localhost\", \"hanako@localhost\"]"), std::string::npos)
        << line;
    const auto files = servers.StoredFiles();
    ASSERT_EQ(files.size(), 1u);
    FILE* p =
        popen(("/usr/bin/python3 '" NORV_SOURCE_DIR "/tests/mail/read_mail.py' '" + files[0] + "'")
                  .c_str(),
              "r");
    ASSERT_TRUE(p);
    char hex[4096] = {};
    ASSERT_TRUE(std::fgets(hex, sizeof hex, p));
    pclose(p);
    std::string decoded;
    for (size_t i = 0; hex[i] && hex[i + 1] && hex[i] != '\n'; i += 2)
        decoded.push_back(static_cast<char>(std::stoi(std::string(hex + i, 2), nullptr, 16)));
    EXPECT_EQ(decoded, "送信フォームの件名");
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
    EXPECT_STREQ(w.library->GetAddress("/b", 1), "");
    EXPECT_EQ(w.library->OpenSendForm("/b", 1), 2);
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
