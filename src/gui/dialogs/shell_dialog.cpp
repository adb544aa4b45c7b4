// The Shell dialog.
#include "gui/dialogs/shell_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

namespace norv::qt {

ShellDialog::ShellDialog(QWidget* parent, const tools::ShellOptions& options,
                         const std::vector<ShellHistoryEntry>& history)
    : QDialog(parent), history_(history) {
    setWindowTitle(tr("Run"));
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel(tr("Command &Line:"), this);
    line_ = new QComboBox(this);
    line_->setEditable(true);
    line_->setInsertPolicy(QComboBox::NoInsert);
    line_->setMinimumContentsLength(48);
    for (const ShellHistoryEntry& e : history_) line_->addItem(e.line);
    line_->setCurrentIndex(-1);
    line_->setEditText(QString());
    label->setBuddy(line_);
    layout->addWidget(label);
    layout->addWidget(line_);
    minimized_ = new QCheckBox(tr("&Minimized"), this);
    shell_ = new QCheckBox(tr("via &Command Shell"), this);
    capture_ = new QCheckBox(tr("Get C&onsole Output"), this);
    toOutput_ = new QRadioButton(tr("Output Screen"), this);
    toCaret_ = new QRadioButton(tr("Caret Position"), this);
    auto* boxes = new QGridLayout;
    boxes->addWidget(minimized_, 0, 0);
    boxes->addWidget(shell_, 1, 0);
    boxes->addWidget(capture_, 2, 0);
    boxes->addWidget(toOutput_, 3, 0);
    boxes->addWidget(toCaret_, 3, 1);
    layout->addLayout(boxes);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(capture_, &QCheckBox::toggled, this, [this](bool on) {
        toOutput_->setEnabled(on);
        toCaret_->setEnabled(on);
    });
    // Choosing a line of the history sets the boxes it ran with.
    connect(line_, qOverload<int>(&QComboBox::activated), this, [this](int index) {
        if (index >= 0 && static_cast<size_t>(index) < history_.size())
            Show(history_[static_cast<size_t>(index)].options);
    });
    Show(options);
    line_->setFocus();
}

void ShellDialog::Show(const tools::ShellOptions& options) {
    minimized_->setChecked(options.minimized);
    shell_->setChecked(options.commandShell);
    capture_->setChecked(options.capture());
    toCaret_->setChecked(options.captureAtCaret);
    toOutput_->setChecked(!options.captureAtCaret);
    toOutput_->setEnabled(options.capture());
    toCaret_->setEnabled(options.capture());
}

QString ShellDialog::line() const {
    return line_->currentText();
}

tools::ShellOptions ShellDialog::options() const {
    tools::ShellOptions o;
    o.minimized = minimized_->isChecked();
    o.commandShell = shell_->isChecked();
    if (capture_->isChecked()) {
        o.captureAtCaret = toCaret_->isChecked();
        o.captureToOutput = !o.captureAtCaret;
    }
    return o;
}

void RememberShellLine(std::vector<ShellHistoryEntry>& history, const ShellHistoryEntry& entry) {
    for (auto it = history.begin(); it != history.end(); ++it) {
        if (it->line == entry.line) {
            history.erase(it);
            break;
        }
    }
    history.insert(history.begin(), entry);
    if (history.size() > kShellHistoryEntries) history.resize(kShellHistoryEntries);
}

}  // namespace norv::qt
