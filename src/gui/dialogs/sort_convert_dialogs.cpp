// The Sort, Convert and Compare dialogs.
#include "gui/dialogs/sort_convert_dialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace norv::qt {

namespace {

QDialogButtonBox* OkCancel(QDialog& d) {
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &d);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &d, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &d, &QDialog::reject);
    return buttons;
}

QComboBox* Choices(QDialog& d, const char* name, std::initializer_list<const char*> items) {
    auto* box = new QComboBox(&d);
    box->setObjectName(QString::fromLatin1(name));
    for (const char* item : items) box->addItem(QString::fromLatin1(item));
    return box;
}

}  // namespace

bool AskSort(QWidget* parent, editing::SortRequest& request) {
    QDialog d(parent);
    d.setWindowTitle(QStringLiteral("Sort"));
    auto* ascendant = new QRadioButton(QStringLiteral("&Ascendant"), &d);
    auto* decendant = new QRadioButton(QStringLiteral("&Decendant"), &d);
    (request.descending ? decendant : ascendant)->setChecked(true);
    auto* after = new QCheckBox(QStringLiteral("Compare After This &String:"), &d);
    after->setChecked(request.compareAfter);
    auto* text = new QLineEdit(QString::fromStdString(request.afterString), &d);
    text->setObjectName(QString::fromLatin1(kSortAfterTextName));
    auto* ignore = new QCheckBox(QStringLiteral("&Ignore Case"), &d);
    ignore->setChecked(request.ignoreCase);
    auto* entire = new QCheckBox(QStringLiteral("&Sort Entire Lines"), &d);
    entire->setChecked(request.boxKey);
    // The box key means something only for a box.
    entire->setEnabled(request.box);
    auto* direction = new QHBoxLayout;
    direction->addWidget(ascendant);
    direction->addWidget(decendant);
    auto* column = new QVBoxLayout(&d);
    column->addLayout(direction);
    column->addWidget(after);
    column->addWidget(text);
    column->addWidget(ignore);
    column->addWidget(entire);
    column->addWidget(OkCancel(d));
    if (d.exec() != QDialog::Accepted) return false;
    request.descending = decendant->isChecked();
    request.compareAfter = after->isChecked();
    request.afterString = text->text().toStdString();
    request.ignoreCase = ignore->isChecked();
    if (request.box) request.boxKey = entire->isChecked();
    return true;
}

bool AskConvert(QWidget* parent, editing::ConvertRequest& request) {
    QDialog d(parent);
    d.setWindowTitle(QStringLiteral("Convert"));
    auto* caseBox = Choices(
        d, kConvertCaseName,
        {"No Conversion", "UPPER ALL", "lower all", "Upper top of line", "Upper Top Of Word"});
    auto* tabs = Choices(d, kConvertTabsName, {"No Conversion", "Tab to Space", "Space to Tab"});
    auto* width = Choices(d, kConvertWidthName, {"No Conversion", "MBCS to SBCS", "SBCS to MBCS"});
    caseBox->setCurrentIndex(static_cast<int>(request.choices.caseConversion));
    tabs->setCurrentIndex(static_cast<int>(request.choices.tabs));
    width->setCurrentIndex(static_cast<int>(request.choices.width));
    auto* alnum = new QCheckBox(QStringLiteral("&Alphanumerics and Symbols"), &d);
    alnum->setObjectName(QString::fromLatin1(kConvertAlphanumericsName));
    alnum->setChecked(request.choices.alphanumerics);
    auto* kana = new QCheckBox(QStringLiteral("&Kana"), &d);
    kana->setObjectName(QString::fromLatin1(kConvertKanaName));
    kana->setChecked(request.choices.kana);
    auto enable = [=](int index) {
        alnum->setEnabled(index != 0);
        kana->setEnabled(index != 0);
    };
    enable(width->currentIndex());
    QObject::connect(width, &QComboBox::currentIndexChanged, &d, enable);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&Case:"), caseBox);
    form->addRow(QStringLiteral("&Tab and Space:"), tabs);
    form->addRow(QStringLiteral("&MBCS:"), width);
    auto* column = new QVBoxLayout(&d);
    column->addLayout(form);
    column->addWidget(alnum);
    column->addWidget(kana);
    column->addWidget(OkCancel(d));
    if (d.exec() != QDialog::Accepted) return false;
    request.choices.caseConversion = static_cast<editing::CaseConversion>(caseBox->currentIndex());
    request.choices.tabs = static_cast<editing::TabConversion>(tabs->currentIndex());
    request.choices.width = static_cast<editing::WidthConversion>(width->currentIndex());
    request.choices.alphanumerics = alnum->isChecked();
    request.choices.kana = kana->isChecked();
    return true;
}

bool AskCompare(QWidget* parent, app::CompareRequest& request) {
    QDialog d(parent);
    d.setWindowTitle(QStringLiteral("Compare"));
    auto* current = new QLabel(QString::fromStdString(request.current), &d);
    auto* target = new QComboBox(&d);
    target->setObjectName(QString::fromLatin1(kCompareTargetName));
    for (const std::string& t : request.targets) target->addItem(QString::fromStdString(t));
    target->setCurrentIndex(std::max(0, std::min(request.target, target->count() - 1)));
    auto* range = new QSpinBox(&d);
    range->setObjectName(QString::fromLatin1(kCompareRangeName));
    range->setRange(10, 10000);
    range->setValue(request.range);
    auto* match = new QSpinBox(&d);
    match->setObjectName(QString::fromLatin1(kCompareMatchName));
    match->setRange(1, 10);
    match->setValue(request.match);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Current File:"), current);
    form->addRow(QStringLiteral("&Target File:"), target);
    form->addRow(QStringLiteral("Search &Range:"), range);
    form->addRow(QStringLiteral("&Match Lines:"), match);
    auto* column = new QVBoxLayout(&d);
    column->addLayout(form);
    column->addWidget(OkCancel(d));
    if (d.exec() != QDialog::Accepted) return false;
    request.target = target->currentIndex();
    request.range = range->value();
    request.match = match->value();
    return true;
}

}  // namespace norv::qt
