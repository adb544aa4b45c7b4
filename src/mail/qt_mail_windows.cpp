// The "Server Status" window and the "Login" and "Configuration" dialogs.
//
// The status window is a tool window that never takes the focus: it shows the dialogue with
// the server while the script goes on working in the editor. Texts cross into Qt through the
// system code page.
#include "mail/qt_mail_windows.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QVBoxLayout>

#include "mail/qt_address_windows.h"
#include "mail/qt_text.h"

namespace norv::mail {
namespace {

constexpr int kStatusLinesKept = 500;

QLineEdit* AddField(QFormLayout* form, const char* label, const char* name, std::string_view value,
                    bool secret = false) {
    auto* edit = new QLineEdit(ToQt(value));
    edit->setObjectName(name);
    if (secret) edit->setEchoMode(QLineEdit::Password);
    form->addRow(QObject::tr(label), edit);
    return edit;
}

// A choice of "0", "1", "2" shown by name.
QComboBox* AddChoice(QFormLayout* form, const char* label, const char* name,
                     std::initializer_list<const char*> items, char value) {
    auto* box = new QComboBox;
    box->setObjectName(name);
    for (const char* item : items) box->addItem(QString::fromLatin1(item));
    const int index = value - '0';
    box->setCurrentIndex(index >= 0 && index < box->count() ? index : 0);
    form->addRow(QObject::tr(label), box);
    return box;
}

QDialogButtonBox* AddButtons(QDialog* dialog, QVBoxLayout* layout) {
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    layout->addWidget(buttons);
    return buttons;
}

class QtMailWindows final : public MailWindows {
  public:
    ~QtMailWindows() override { DestroyStatusWindow(); }

    void CreateStatusWindow() override {
        if (status_ || !HostHasWindows()) return;
        status_ = new QWidget(nullptr, Qt::Tool | Qt::WindowDoesNotAcceptFocus);
        status_->setObjectName(kStatusWindowName);
        status_->setWindowTitle(QStringLiteral("Server Status"));
        status_->setAttribute(Qt::WA_ShowWithoutActivating);
        auto* layout = new QVBoxLayout(status_);
        layout->setContentsMargins(2, 2, 2, 2);
        text_ = new QPlainTextEdit;
        text_->setReadOnly(true);
        text_->setFocusPolicy(Qt::NoFocus);
        text_->setMaximumBlockCount(kStatusLinesKept);
        text_->setLineWrapMode(QPlainTextEdit::NoWrap);
        layout->addWidget(text_);
        status_->resize(420, 120);
    }

    void DestroyStatusWindow() override {
        delete status_.data();
        status_ = nullptr;
        text_ = nullptr;
    }

    void ShowStatusWindow() override {
        if (!status_ || !HostHasWindows()) return;
        // At the client origin of the host's active window, which keeps the focus.
        QWidget* host = QApplication::activeWindow();
        if (host && host != status_.data()) status_->move(host->mapToGlobal(QPoint(0, 0)));
        status_->show();
        status_->repaint();
    }

    void HideStatusWindow() override {
        if (status_) status_->hide();
    }

    void AddStatusLine(std::string_view line) override {
        if (!text_) return;
        text_->appendPlainText(ToQt(line));
        // The caller blocks on the network: paint now, without running the event loop (which
        // could start other work of the host in the middle of a dialogue).
        if (status_->isVisible()) text_->viewport()->repaint();
    }

    bool AskLogin(std::string* login, std::string* password) override {
        if (!HostHasWindows()) return false;
        QDialog dialog(QApplication::activeWindow());
        dialog.setObjectName(kLoginDialogName);
        dialog.setWindowTitle(QStringLiteral("Login"));
        auto* layout = new QVBoxLayout(&dialog);
        auto* form = new QFormLayout;
        layout->addLayout(form);
        QLineEdit* user = AddField(form, "Login Name:", "login", *login);
        QLineEdit* pass = AddField(form, "Password:", "password", *password, true);
        AddButtons(&dialog, layout);
        if (dialog.exec() != QDialog::Accepted) return false;
        *login = FromQt(user->text(), kMaxValueLength);
        *password = FromQt(pass->text(), kMaxPasswordLength);
        return true;
    }

    bool AskConfiguration(MailSettings* s) override {
        if (!HostHasWindows()) return false;
        QDialog dialog(QApplication::activeWindow());
        dialog.setObjectName(kConfigurationDialogName);
        dialog.setWindowTitle(QStringLiteral("Configuration"));
        auto* layout = new QVBoxLayout(&dialog);
        auto* form = new QFormLayout;
        layout->addLayout(form);
        QLineEdit* name = AddField(form, "Name:", "name", s->name);
        QLineEdit* address = AddField(form, "Mail Address:", "address", s->address);
        QLineEdit* login = AddField(form, "Login Name:", "login", s->login);
        QLineEdit* password = AddField(form, "Password:", "password", s->password, true);
        QLineEdit* pop = AddField(form, "POP3 Server:", "popServer", s->popServer);
        QLineEdit* smtp = AddField(form, "SMTP Server:", "smtpServer", s->smtpServer);
        auto* remove = new QCheckBox(QStringLiteral("Delete Received Mail in Server"));
        remove->setObjectName("deleteMail");
        remove->setChecked(s->deleteMail == '1');
        layout->addWidget(remove);
        // TLS and the SMTP log-in, beyond the designed fields.
        auto* secure = new QFormLayout;
        layout->addLayout(secure);
        QComboBox* popSecurity = AddChoice(secure, "POP3 Security:", "popSecurity",
                                           {"None", "STLS", "TLS"}, s->popSecurity);
        QComboBox* smtpSecurity = AddChoice(secure, "SMTP Security:", "smtpSecurity",
                                            {"None", "STARTTLS", "TLS"}, s->smtpSecurity);
        auto* auth = new QCheckBox(QStringLiteral("Log in to the SMTP server"));
        auth->setObjectName("smtpAuth");
        auth->setChecked(s->smtpAuth == '1');
        secure->addRow(auth);
        QLineEdit* smtpLogin = AddField(secure, "SMTP Login Name:", "smtpLogin", s->smtpLogin);
        QLineEdit* smtpPassword =
            AddField(secure, "SMTP Password:", "smtpPassword", s->smtpPassword, true);
        QLineEdit* caFile = AddField(secure, "Certificate File:", "caFile", s->caFile);
        AddButtons(&dialog, layout);
        if (dialog.exec() != QDialog::Accepted) return false;
        s->name = FromQt(name->text(), kMaxValueLength);
        s->address = FromQt(address->text(), kMaxValueLength);
        s->login = FromQt(login->text(), kMaxValueLength);
        s->password = FromQt(password->text(), kMaxPasswordLength);
        s->popServer = FromQt(pop->text(), kMaxValueLength);
        s->smtpServer = FromQt(smtp->text(), kMaxValueLength);
        s->deleteMail = remove->isChecked() ? '1' : '0';
        s->popSecurity = static_cast<char>('0' + popSecurity->currentIndex());
        s->smtpSecurity = static_cast<char>('0' + smtpSecurity->currentIndex());
        s->smtpAuth = auth->isChecked() ? '1' : '0';
        s->smtpLogin = FromQt(smtpLogin->text(), kMaxValueLength);
        s->smtpPassword = FromQt(smtpPassword->text(), kMaxPasswordLength);
        s->caFile = FromQt(caFile->text(), kMaxValueLength);
        return true;
    }

    bool ChooseAddresses(AddressBook& book, std::string* joined) override {
        return HostHasWindows() && RunAddressBook(book, joined);
    }

    bool EditSendForm(SendFormValues* values, AddressBook& book) override {
        return HostHasWindows() && RunSendForm(values, book);
    }

    void ShowMessage(std::string_view text) override {
        if (HostHasWindows())
            RunMessage(text);
        else
            PrintMessage(text);
    }

  private:
    QPointer<QWidget> status_;
    QPointer<QPlainTextEdit> text_;
};

}  // namespace

bool HostHasWindows() {
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    return app && !app->property("norvHeadless").toBool();
}

std::unique_ptr<MailWindows> MakeHostWindows() {
    return std::make_unique<QtMailWindows>();
}

}  // namespace norv::mail
