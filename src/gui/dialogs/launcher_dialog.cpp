// The launcher and Register Program.
#include "gui/dialogs/launcher_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "gui/editor/text_bridge.h"

namespace norv::qt {
namespace {

QLineEdit* AddField(QGridLayout* grid, int row, const QString& label, QWidget* parent) {
    auto* text = new QLabel(label, parent);
    auto* field = new QLineEdit(parent);
    field->setMinimumWidth(360);
    text->setBuddy(field);
    grid->addWidget(text, row, 0);
    grid->addWidget(field, row, 1);
    return field;
}

// A title as button text: "&" is shown as itself.
QString ButtonText(char letter, const QString& title) {
    QString shown = title;
    shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
    return title.isEmpty() ? QString(QLatin1Char(letter))
                           : QString(QLatin1Char(letter)) + QStringLiteral("  ") + shown;
}

}  // namespace

// ---- Register Program ----------------------------------------------------------------------

RegisterProgramDialog::RegisterProgramDialog(QWidget* parent, platform::UserInterface& ui,
                                             const app::ShellEntries& entries, int start,
                                             int codePage,
                                             std::function<bool(const app::ShellEntries&)> save)
    : QDialog(parent), ui_(ui), entries_(entries), codePage_(codePage), save_(std::move(save)) {
    setWindowTitle(FromUtf8(app::kRegisterProgramTitle));
    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    auto* buttonLabel = new QLabel(tr("&Button:"), this);
    button_ = new QComboBox(this);
    for (int i = 0; i < app::kShellEntryCount; ++i)
        button_->addItem(QString(QLatin1Char(static_cast<char>('A' + i))));
    buttonLabel->setBuddy(button_);
    grid->addWidget(buttonLabel, 0, 0);
    grid->addWidget(button_, 0, 1, Qt::AlignLeft);
    line_ = AddField(grid, 1, tr("Command &Line:"), this);
    folder_ = AddField(grid, 2, tr("Start &In:"), this);
    comment_ = AddField(grid, 3, tr("Commen&t:"), this);
    layout->addLayout(grid);

    minimized_ = new QCheckBox(tr("&Minimized"), this);
    shell_ = new QCheckBox(tr("via &Command Shell"), this);
    capture_ = new QCheckBox(tr("Get Console &Output into Editor"), this);
    toOutput_ = new QRadioButton(tr("Output Screen"), this);
    toCaret_ = new QRadioButton(tr("Caret Position"), this);
    saveCurrent_ = new QCheckBox(tr("&Save Current File"), this);
    saveAll_ = new QCheckBox(tr("Save &All Files"), this);
    auto* boxes = new QGridLayout;
    boxes->addWidget(minimized_, 0, 0);
    boxes->addWidget(shell_, 1, 0);
    boxes->addWidget(capture_, 2, 0);
    boxes->addWidget(toOutput_, 3, 0);
    boxes->addWidget(toCaret_, 3, 1);
    boxes->addWidget(saveCurrent_, 4, 0);
    boxes->addWidget(saveAll_, 4, 1);
    layout->addLayout(boxes);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &RegisterProgramDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(capture_, &QCheckBox::toggled, this, [this](bool on) {
        toOutput_->setEnabled(on);
        toCaret_->setEnabled(on);
    });
    // With "Save All Files" the current file is saved too: its own box has no say then.
    connect(saveAll_, &QCheckBox::toggled, this,
            [this](bool on) { saveCurrent_->setEnabled(!on); });
    connect(button_, qOverload<int>(&QComboBox::currentIndexChanged), this, [this](int index) {
        if (index == current_) return;
        if (!Keep()) {
            const QSignalBlocker block(button_);
            button_->setCurrentIndex(current_);
            return;
        }
        Show(index);
    });
    current_ = start >= 0 && start < app::kShellEntryCount ? start : 0;
    {
        const QSignalBlocker block(button_);
        button_->setCurrentIndex(current_);
    }
    Show(current_);
    line_->setFocus();
}

void RegisterProgramDialog::Show(int index) {
    current_ = index;
    const app::ProgramFields f = app::FieldsOfEntry(entries_[static_cast<size_t>(index)]);
    line_->setText(BytesToQString(codePage_, f.commandLine));
    folder_->setText(BytesToQString(codePage_, f.folder));
    comment_->setText(BytesToQString(codePage_, f.title));
    minimized_->setChecked(f.options.minimized);
    shell_->setChecked(f.options.commandShell);
    capture_->setChecked(f.options.capture());
    toCaret_->setChecked(f.options.captureAtCaret);
    toOutput_->setChecked(!f.options.captureAtCaret);
    toOutput_->setEnabled(f.options.capture());
    toCaret_->setEnabled(f.options.capture());
    saveAll_->setChecked(f.options.saveAll);
    saveCurrent_->setChecked(f.options.saveCurrent);
    saveCurrent_->setEnabled(!f.options.saveAll);
}

bool RegisterProgramDialog::Keep() {
    app::ProgramFields f;
    const std::pair<QLineEdit*, std::string*> texts[] = {
        {line_, &f.commandLine}, {folder_, &f.folder}, {comment_, &f.title}};
    for (const auto& [field, out] : texts) {
        std::optional<std::string> bytes = QStringToBytes(codePage_, field->text());
        if (!bytes) {
            std::string text(app::kProgramTextUnkept);
            text.replace(text.find("%s"), 2, ToUtf8(field->text()));
            ui_.MessageBox(text, platform::mb::kOk | platform::mb::kIconWarning);
            field->setFocus();
            return false;
        }
        *out = std::move(*bytes);
    }
    f.options.minimized = minimized_->isChecked();
    f.options.commandShell = shell_->isChecked();
    if (capture_->isChecked()) {
        f.options.captureAtCaret = toCaret_->isChecked();
        f.options.captureToOutput = !f.options.captureAtCaret;
    }
    f.options.saveAll = saveAll_->isChecked();
    f.options.saveCurrent = !f.options.saveAll && saveCurrent_->isChecked();
    app::ShellEntry& entry = entries_[static_cast<size_t>(current_)];
    entry = app::EntryOfFields(f, entry);
    return true;
}

void RegisterProgramDialog::accept() {
    if (!Keep()) return;
    if (save_ && !save_(entries_)) return;
    QDialog::accept();
}

// ---- The launcher --------------------------------------------------------------------------

LauncherDialog::LauncherDialog(QWidget* parent, platform::UserInterface& ui,
                               const app::ShellEntries& entries, int codePage,
                               std::function<bool(const app::ShellEntries&)> save)
    : QDialog(parent), ui_(ui), entries_(entries), codePage_(codePage), save_(std::move(save)) {
    setWindowTitle(tr("External Program Menu"));
    auto* layout = new QVBoxLayout(this);
    // Two columns: "A" to "M" and "N" to "Z".
    auto* grid = new QGridLayout;
    constexpr int kRows = app::kShellEntryCount / 2;
    for (int i = 0; i < app::kShellEntryCount; ++i) {
        auto* b = new QPushButton(this);
        b->setAutoDefault(false);
        b->setMinimumWidth(220);
        b->setStyleSheet(QStringLiteral("text-align: left; padding: 2px 6px;"));
        connect(b, &QPushButton::clicked, this, [this, i] { Choose(i); });
        buttons_[static_cast<size_t>(i)] = b;
        grid->addWidget(b, i % kRows, i / kRows);
    }
    layout->addLayout(grid);
    auto* row = new QHBoxLayout;
    register_ = new QPushButton(FromUtf8(app::kRegisterProgramTitle), this);
    register_->setAutoDefault(false);
    auto* close = new QPushButton(tr("Cancel"), this);
    close->setAutoDefault(false);
    row->addWidget(register_);
    row->addStretch();
    row->addWidget(close);
    layout->addLayout(row);
    connect(register_, &QPushButton::clicked, this, &LauncherDialog::RegisterPrograms);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    ShowEntries();
}

void LauncherDialog::ShowEntries() {
    const auto shown = app::LauncherButtons(entries_);
    QPushButton* first = nullptr;
    for (size_t i = 0; i < shown.size(); ++i) {
        QPushButton* b = buttons_[i];
        b->setText(ButtonText(shown[i].letter, BytesToQString(codePage_, shown[i].title)));
        b->setToolTip(BytesToQString(codePage_, entries_[i].commandLine));
        b->setEnabled(shown[i].enabled);
        if (!first && shown[i].enabled) first = b;
    }
    (first ? first : register_)->setFocus();
}

void LauncherDialog::Choose(int index) {
    if (!buttons_[static_cast<size_t>(index)]->isEnabled()) return;
    chosen_ = index;
    accept();
}

void LauncherDialog::keyPressEvent(QKeyEvent* event) {
    const Qt::KeyboardModifiers mods =
        event->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier);
    const QString text = event->text();
    if (mods == Qt::NoModifier && text.size() == 1) {
        if (std::optional<int> index = app::LauncherIndexOfKey(text.at(0).unicode())) {
            // A disabled letter does nothing, as its button does.
            Choose(*index);
            return;
        }
    }
    QDialog::keyPressEvent(event);
}

void LauncherDialog::RegisterPrograms() {
    int start = 0;
    for (size_t i = 0; i < buttons_.size(); ++i)
        if (buttons_[i]->hasFocus()) start = static_cast<int>(i);
    RegisterProgramDialog dialog(this, ui_, entries_, start, codePage_, save_);
    if (dialog.exec() != QDialog::Accepted) return;
    entries_ = dialog.entries();
    ShowEntries();
}

}  // namespace norv::qt
