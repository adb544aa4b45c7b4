// The install dialog and the message boxes of setup.
#include "setup/setup_dialog.h"

#include <QApplication>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "setup/installer.h"

namespace norv::setup {
namespace {

QString Q(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

}  // namespace

SetupDialog::SetupDialog(Language language, const std::string& target,
                         std::function<bool(const std::string&)> install, QWidget* parent)
    : QDialog(parent), language_(language), install_(std::move(install)) {
    setWindowTitle(Q(TextOf(TextId::kDialogTitle, language)));
    intro_ = new QLabel(Q(TextOf(TextId::kIntro, language)), this);
    intro_->setWordWrap(true);
    field_ = new QLineEdit(Q(target), this);
    field_->setMinimumWidth(360);
    bar_ = new QProgressBar(this);
    bar_->setVisible(false);
    browse_ = new QPushButton(Q(TextOf(TextId::kBrowse, language)), this);
    ok_ = new QPushButton(Q(TextOf(TextId::kOk, language)), this);
    ok_->setDefault(true);
    cancel_ = new QPushButton(Q(TextOf(TextId::kCancel, language)), this);
    connect(browse_, &QPushButton::clicked, this, &SetupDialog::browse);
    connect(ok_, &QPushButton::clicked, this, &SetupDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &SetupDialog::reject);

    auto* targetRow = new QHBoxLayout;
    targetRow->addWidget(field_, 1);
    targetRow->addWidget(bar_, 1);
    targetRow->addWidget(browse_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro_);
    layout->addLayout(targetRow);
    layout->addLayout(buttons);
}

void SetupDialog::Begin(int steps) {
    field_->setVisible(false);
    browse_->setEnabled(false);
    ok_->setEnabled(false);
    cancel_->setEnabled(false);
    bar_->setRange(0, steps);
    bar_->setValue(0);
    bar_->setVisible(true);
    QApplication::processEvents();
}

void SetupDialog::Advance() {
    bar_->setValue(bar_->value() + 1);
    QApplication::processEvents();
}

void SetupDialog::HideWindow() {
    hide();
}

void SetupDialog::accept() {
    std::string target = NormalizeTarget(field_->text().toStdString());
    if (install_(target)) {
        QDialog::accept();
        return;
    }
    // The target could not be made: the user may choose another one.
    bar_->setVisible(false);
    field_->setVisible(true);
    browse_->setEnabled(true);
    ok_->setEnabled(true);
    cancel_->setEnabled(true);
    if (!isVisible()) show();
}

void SetupDialog::browse() {
    QFileDialog chooser(this, Q(TextOf(TextId::kChangeDirectory, language_)), field_->text());
    chooser.setFileMode(QFileDialog::Directory);
    chooser.setOption(QFileDialog::ShowDirsOnly, true);
    if (chooser.exec() != QDialog::Accepted || chooser.selectedFiles().isEmpty()) return;
    QString folder = chooser.selectedFiles().front();
    if (!folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
    field_->setText(folder);
}

int QtSetupUi::MessageBox(std::string_view text, unsigned style) {
    using namespace platform;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    switch (style & 0xF0) {
        case mb::kIconError:
            icon = QMessageBox::Critical;
            break;
        case mb::kIconQuestion:
            icon = QMessageBox::Question;
            break;
        case mb::kIconWarning:
            icon = QMessageBox::Warning;
            break;
        case mb::kIconInformation:
            icon = QMessageBox::Information;
            break;
        default:
            break;
    }
    QMessageBox box(icon, Q(TextOf(TextId::kDialogTitle, language_)), Q(text));
    QPushButton* ok = box.addButton(Q(TextOf(TextId::kOk, language_)), QMessageBox::AcceptRole);
    QPushButton* cancel = nullptr;
    if ((style & mb::kButtonMask) == mb::kOkCancel)
        cancel = box.addButton(Q(TextOf(TextId::kCancel, language_)), QMessageBox::RejectRole);
    box.setDefaultButton(ok);
    if (cancel) box.setEscapeButton(cancel);
    box.exec();
    return box.clickedButton() == ok || !cancel ? kIdOk : kIdCancel;
}

}  // namespace norv::setup
