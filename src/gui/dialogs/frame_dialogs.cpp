// The frame's dialogs.
#include "gui/dialogs/frame_dialogs.h"

#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QSpinBox>
#include <QVBoxLayout>
#include <map>

#include "gui/editor/text_bridge.h"

namespace norv::qt {

bool AskJumpTo(QWidget* parent, editing::JumpRequest& request) {
    QDialog d(parent);
    d.setWindowTitle(QStringLiteral("Jump To"));
    auto* line = new QLineEdit(&d);
    line->setObjectName(QString::fromLatin1(kJumpLineName));
    line->setMaxLength(10);
    line->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,10}")), line));
    line->setText(QString::number(request.line));
    line->selectAll();
    auto* physical = new QRadioButton(QStringLiteral("&Physical"), &d);
    physical->setObjectName(QString::fromLatin1(kJumpPhysicalName));
    auto* logical = new QRadioButton(QStringLiteral("&Logical"), &d);
    logical->setObjectName(QString::fromLatin1(kJumpLogicalName));
    (request.logical ? logical : physical)->setChecked(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &d);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &d, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &d, &QDialog::reject);
    auto* form = new QFormLayout;
    auto* label = new QLabel(QStringLiteral("Line No:"), &d);
    label->setBuddy(line);
    form->addRow(label, line);
    auto* kinds = new QHBoxLayout;
    kinds->addWidget(physical);
    kinds->addWidget(logical);
    auto* column = new QVBoxLayout(&d);
    column->addLayout(form);
    column->addLayout(kinds);
    column->addWidget(buttons);
    line->setFocus();
    if (d.exec() != QDialog::Accepted) return false;
    bool ok = false;
    const qlonglong n = line->text().toLongLong(&ok);
    if (!ok) return false;
    request.line = static_cast<int64_t>(n);
    request.logical = logical->isChecked();
    return true;
}

bool RunStepDoDialog(QWidget* parent, editing::StepDoRequest& request,
                     const std::function<void()>& refresh) {
    QDialog d(parent);
    d.setWindowTitle(QStringLiteral("Step Undo/Redo"));
    auto* steps = new QSpinBox(&d);
    steps->setObjectName(QString::fromLatin1(kStepsName));
    steps->setRange(1, 99999);
    steps->setValue(std::max(1, request.steps));
    auto* label = new QLabel(QStringLiteral("&Steps:"), &d);
    label->setBuddy(steps);
    auto* undo = new QPushButton(QStringLiteral("&Undo"), &d);
    undo->setObjectName(QString::fromLatin1(kUndoButtonName));
    auto* redo = new QPushButton(QStringLiteral("&Redo"), &d);
    redo->setObjectName(QString::fromLatin1(kRedoButtonName));
    auto* close = new QPushButton(QStringLiteral("&Close"), &d);
    undo->setAutoDefault(false);
    redo->setAutoDefault(false);
    undo->setEnabled(request.canUndo);
    redo->setEnabled(request.canRedo);
    bool pressedOnce = false;
    auto press = [&](bool isRedo) {
        request.steps = steps->value();
        if (!request.step) {
            // Without a way to step while open, the press closes the dialog and the view steps.
            request.redo = isRedo;
            pressedOnce = true;
            d.accept();
            return;
        }
        bool canUndo = false, canRedo = false;
        request.step(isRedo, request.steps, &canUndo, &canRedo);
        undo->setEnabled(canUndo);
        redo->setEnabled(canRedo);
        if (refresh) refresh();
    };
    QObject::connect(undo, &QPushButton::clicked, &d, [&] { press(false); });
    QObject::connect(redo, &QPushButton::clicked, &d, [&] { press(true); });
    QObject::connect(close, &QPushButton::clicked, &d, &QDialog::reject);
    auto* grid = new QGridLayout(&d);
    grid->addWidget(label, 0, 0);
    grid->addWidget(steps, 0, 1);
    grid->addWidget(undo, 1, 0);
    grid->addWidget(redo, 1, 1);
    grid->addWidget(close, 1, 2);
    d.exec();
    request.steps = steps->value();
    return pressedOnce;
}

namespace {

// How an entry reads in the list: its first line, cut.
QString ListText(const std::string& entry) {
    QString text = FromUtf8(entry);
    const qsizetype eol = text.indexOf(QRegularExpression(QStringLiteral("[\\r\\n]")));
    if (eol >= 0) text = text.left(eol) + QStringLiteral(" ...");
    if (text.size() > 80) text = text.left(80) + QStringLiteral("...");
    return text;
}

}  // namespace

editing::HistoryButton AskClipboardHistory(QWidget* parent,
                                           editing::ClipboardHistoryRequest& request) {
    QDialog d(parent);
    d.setWindowTitle(QStringLiteral("Clipboard History"));
    auto* list = new QListWidget(&d);
    list->setObjectName(QString::fromLatin1(kHistoryListName));
    for (const std::string& e : request.entries) list->addItem(ListText(e));
    auto* text = new QPlainTextEdit(&d);
    text->setObjectName(QString::fromLatin1(kHistoryTextName));
    auto* copy = new QPushButton(QStringLiteral("&Copy"), &d);
    copy->setObjectName(QString::fromLatin1(kHistoryCopyName));
    auto* paste = new QPushButton(QStringLiteral("&Paste"), &d);
    paste->setObjectName(QString::fromLatin1(kHistoryPasteName));
    paste->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), &d);
    bool edited = false;
    // The whole entry is shown and kept; only the user's typing marks it edited.
    QObject::connect(list, &QListWidget::currentRowChanged, &d, [&](int row) {
        const QSignalBlocker quiet(text);
        text->setPlainText(row >= 0 && row < static_cast<int>(request.entries.size())
                               ? FromUtf8(request.entries[static_cast<size_t>(row)])
                               : QString());
        edited = false;
    });
    QObject::connect(text, &QPlainTextEdit::textChanged, &d, [&] { edited = true; });
    editing::HistoryButton result = editing::HistoryButton::kCancel;
    QObject::connect(copy, &QPushButton::clicked, &d, [&] {
        result = editing::HistoryButton::kCopy;
        d.accept();
    });
    QObject::connect(paste, &QPushButton::clicked, &d, [&] {
        result = editing::HistoryButton::kPaste;
        d.accept();
    });
    QObject::connect(list, &QListWidget::itemDoubleClicked, &d, [&] {
        result = editing::HistoryButton::kPaste;
        d.accept();
    });
    QObject::connect(cancel, &QPushButton::clicked, &d, &QDialog::reject);
    if (!request.entries.empty()) list->setCurrentRow(0);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(copy);
    buttons->addWidget(paste);
    buttons->addWidget(cancel);
    auto* column = new QVBoxLayout(&d);
    column->addWidget(list, 1);
    column->addWidget(text, 1);
    column->addLayout(buttons);
    d.resize(520, 420);
    if (d.exec() != QDialog::Accepted) return editing::HistoryButton::kCancel;
    request.chosen = list->currentRow();
    request.edited = edited;
    request.text = ToUtf8(text->toPlainText());
    return result;
}

int AskChoice(QWidget* parent, const QString& title, const QStringList& items, int current) {
    QDialog d(parent);
    d.setWindowTitle(title);
    auto* list = new QListWidget(&d);
    list->setObjectName(QString::fromLatin1(kChoiceListName));
    list->addItems(items);
    if (current >= 0 && current < items.size()) list->setCurrentRow(current);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &d);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &d, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &d, &QDialog::reject);
    QObject::connect(list, &QListWidget::itemActivated, &d, &QDialog::accept);
    auto* column = new QVBoxLayout(&d);
    column->addWidget(list, 1);
    column->addWidget(buttons);
    if (d.exec() != QDialog::Accepted) return -1;
    return list->currentRow();
}

}  // namespace norv::qt
