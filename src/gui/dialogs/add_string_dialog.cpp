// The "Add String" dialog (see add_string_dialog.h).
#include "gui/dialogs/add_string_dialog.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "gui/editor/text_bridge.h"

namespace norv::qt {

bool AskAddString(QWidget* parent, editing::AddStringRequest& request, const QString& remembered) {
    QDialog d(parent);
    d.setWindowTitle(QStringLiteral("Add String"));
    auto* text = new QLineEdit(&d);
    text->setObjectName(QString::fromLatin1(kAddStringTextName));
    text->setText(request.textGiven ? BytesToQString(request.codePage, request.text) : remembered);
    text->selectAll();
    auto* top = new QRadioButton(QStringLiteral("&Top of Line"), &d);
    top->setObjectName(QString::fromLatin1(kAddStringTopName));
    auto* end = new QRadioButton(QStringLiteral("&End of Line"), &d);
    end->setObjectName(QString::fromLatin1(kAddStringEndName));
    (request.atEnd ? end : top)->setChecked(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &d);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &d, [&] {
        if (!QStringToBytes(request.codePage, text->text())) {
            QApplication::beep();
            return;
        }
        d.accept();
    });
    QObject::connect(buttons, &QDialogButtonBox::rejected, &d, &QDialog::reject);
    auto* places = new QHBoxLayout;
    places->addWidget(top);
    places->addWidget(end);
    auto* column = new QVBoxLayout(&d);
    column->addWidget(text);
    column->addLayout(places);
    column->addWidget(buttons);
    text->setFocus();
    if (d.exec() != QDialog::Accepted) return false;
    std::optional<std::string> bytes = QStringToBytes(request.codePage, text->text());
    if (!bytes) return false;
    request.text = std::move(*bytes);
    request.atEnd = end->isChecked();
    return true;
}

}  // namespace norv::qt
