// The script library, its Register dialog and the script chooser.
#include "gui/dialogs/script_library_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/launcher.h"
#include "gui/editor/text_bridge.h"

namespace norv::qt {

// ---- The script chooser ---------------------------------------------------------------------

ScriptChooserDialog::ScriptChooserDialog(QWidget* parent, const std::vector<std::string>& names,
                                         int codePage)
    : QDialog(parent), names_(names) {
    setWindowTitle(tr("Scripts"));
    auto* layout = new QVBoxLayout(this);
    list_ = new QListWidget(this);
    for (const std::string& name : names_) list_->addItem(BytesToQString(codePage, name));
    if (!names_.empty()) list_->setCurrentRow(0);
    list_->setMinimumWidth(260);
    layout->addWidget(list_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(list_, &QListWidget::itemActivated, this, &QDialog::accept);
    buttons->button(QDialogButtonBox::Ok)->setEnabled(!names_.empty());
}

std::optional<std::string> ScriptChooserDialog::chosen() const {
    const int row = list_->currentRow();
    if (result() != Accepted || row < 0 || row >= static_cast<int>(names_.size()))
        return std::nullopt;
    return names_[static_cast<size_t>(row)];
}

// ---- Register --------------------------------------------------------------------------------

RegisterScriptDialog::RegisterScriptDialog(QWidget* parent, platform::UserInterface& ui,
                                           char letter, const app::LibrarySlot& slot, int codePage,
                                           std::function<std::vector<std::string>()> choices,
                                           std::function<bool(const app::LibrarySlot&)> save)
    : QDialog(parent),
      ui_(ui),
      slot_(slot),
      codePage_(codePage),
      choices_(std::move(choices)),
      save_(std::move(save)) {
    setWindowTitle(tr("Register") + QStringLiteral(" - ") + QString(QLatin1Char(letter)));
    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    auto* fileLabel = new QLabel(tr("&Script name:"), this);
    file_ = new QLineEdit(BytesToQString(codePage_, slot.file), this);
    file_->setMinimumWidth(320);
    fileLabel->setBuddy(file_);
    browse_ = new QPushButton(tr("&Browse..."), this);
    browse_->setAutoDefault(false);
    auto* commentLabel = new QLabel(tr("&Comment:"), this);
    comment_ = new QLineEdit(BytesToQString(codePage_, slot.comment), this);
    commentLabel->setBuddy(comment_);
    grid->addWidget(fileLabel, 0, 0);
    grid->addWidget(file_, 0, 1);
    grid->addWidget(browse_, 0, 2);
    grid->addWidget(commentLabel, 1, 0);
    grid->addWidget(comment_, 1, 1, 1, 2);
    layout->addLayout(grid);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &RegisterScriptDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(browse_, &QPushButton::clicked, this, &RegisterScriptDialog::Browse);
    file_->setFocus();
}

void RegisterScriptDialog::Browse() {
    ScriptChooserDialog chooser(this, choices_ ? choices_() : std::vector<std::string>(),
                                codePage_);
    if (chooser.exec() != QDialog::Accepted) return;
    if (std::optional<std::string> name = chooser.chosen())
        file_->setText(BytesToQString(codePage_, *name));
}

void RegisterScriptDialog::accept() {
    std::string texts[2];
    QLineEdit* fields[2] = {file_, comment_};
    for (int i = 0; i < 2; ++i) {
        std::optional<std::string> bytes = QStringToBytes(codePage_, fields[i]->text());
        if (!bytes) {
            std::string text(app::kProgramTextUnkept);
            text.replace(text.find("%s"), 2, ToUtf8(fields[i]->text()));
            ui_.MessageBox(text, platform::mb::kOk | platform::mb::kIconWarning);
            fields[i]->setFocus();
            return;
        }
        texts[i] = std::move(*bytes);
    }
    const app::LibrarySlot slot = app::SlotOfFields(texts[0], texts[1], slot_);
    if (slot != slot_ && save_ && !save_(slot)) return;
    slot_ = slot;
    QDialog::accept();
}

// ---- The library -----------------------------------------------------------------------------

namespace {

QString ButtonText(char letter, const QString& text) {
    QString shown = text;
    // The user's text: an "&" in it is shown, not taken as a mnemonic.
    shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
    return text.isEmpty() ? QString(QLatin1Char(letter))
                          : QString(QLatin1Char(letter)) + QStringLiteral("  ") + shown;
}

}  // namespace

ScriptLibraryDialog::ScriptLibraryDialog(QWidget* parent, platform::UserInterface& ui,
                                         const app::DataFile& data, int page, int codePage,
                                         Calls calls)
    : QDialog(parent), ui_(ui), data_(data), codePage_(codePage), calls_(std::move(calls)) {
    setWindowTitle(FromUtf8(app::kScriptLibraryTitle));
    auto* layout = new QVBoxLayout(this);

    auto* top = new QHBoxLayout;
    auto* pageLabel = new QLabel(tr("&Page:"), this);
    page_ = new QComboBox(this);
    for (int i = 0; i < app::kLibraryPageCount; ++i) page_->addItem(QString::number(i + 1));
    pageLabel->setBuddy(page_);
    top->addWidget(pageLabel);
    top->addWidget(page_);
    top->addSpacing(24);
    run_ = new QRadioButton(tr("Run"), this);
    register_ = new QRadioButton(tr("Register"), this);
    edit_ = new QRadioButton(tr("Edit"), this);
    for (QRadioButton* r : {run_, register_, edit_}) top->addWidget(r);
    top->addStretch();
    layout->addLayout(top);
    run_->setChecked(true);

    // Two columns: "A" to "M" and "N" to "Z".
    auto* grid = new QGridLayout;
    constexpr int kRows = app::kLibrarySlotCount / 2;
    for (int i = 0; i < app::kLibrarySlotCount; ++i) {
        auto* b = new QPushButton(this);
        b->setAutoDefault(false);
        b->setMinimumWidth(220);
        b->setStyleSheet(QStringLiteral("text-align: left; padding: 2px 6px;"));
        connect(b, &QPushButton::clicked, this, [this, i] { Press(i); });
        buttons_[static_cast<size_t>(i)] = b;
        grid->addWidget(b, i % kRows, i / kRows);
    }
    layout->addLayout(grid);
    auto* row = new QHBoxLayout;
    auto* close = new QPushButton(tr("Cancel"), this);
    close->setAutoDefault(false);
    row->addStretch();
    row->addWidget(close);
    layout->addLayout(row);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    page_->setCurrentIndex(page >= 0 && page < app::kLibraryPageCount ? page : 0);
    connect(page_, qOverload<int>(&QComboBox::currentIndexChanged), this,
            [this](int) { ShowPage(); });
    for (QRadioButton* r : {run_, register_, edit_})
        connect(r, &QRadioButton::toggled, this, [this](bool on) {
            if (on) ShowPage();
        });
    ShowPage();
    // Letter keys reach the dialog from its buttons (the page selector would take them).
    QPushButton* first = nullptr;
    for (QPushButton* b : buttons_)
        if (!first && b->isEnabled()) first = b;
    (first ? static_cast<QWidget*>(first) : close)->setFocus();
}

int ScriptLibraryDialog::page() const {
    return page_->currentIndex() < 0 ? 0 : page_->currentIndex();
}

app::LibraryMode ScriptLibraryDialog::mode() const {
    if (register_->isChecked()) return app::LibraryMode::kRegister;
    if (edit_->isChecked()) return app::LibraryMode::kEdit;
    return app::LibraryMode::kRun;
}

void ScriptLibraryDialog::ShowPage() {
    const auto shown = app::LibraryButtons(data_, page());
    const bool running = mode() == app::LibraryMode::kRun;
    for (size_t i = 0; i < shown.size(); ++i) {
        QPushButton* b = buttons_[i];
        b->setText(ButtonText(shown[i].letter, BytesToQString(codePage_, shown[i].text)));
        b->setToolTip(BytesToQString(codePage_, data_.library[size_t(page())][i].file));
        b->setEnabled(!running || !shown[i].empty);
    }
}

void ScriptLibraryDialog::Press(int index) {
    if (index < 0 || index >= app::kLibrarySlotCount) return;
    if (!buttons_[static_cast<size_t>(index)]->isEnabled()) return;
    if (mode() != app::LibraryMode::kRegister) {
        chosen_ = index;
        accept();
        return;
    }
    const int p = page();
    app::LibrarySlot& slot = data_.library[static_cast<size_t>(p)][static_cast<size_t>(index)];
    RegisterScriptDialog dialog(this, ui_, static_cast<char>('A' + index), slot, codePage_,
                                calls_.choices, [this, p, index](const app::LibrarySlot& s) {
                                    return !calls_.save || calls_.save(p, index, s);
                                });
    if (dialog.exec() != QDialog::Accepted) return;
    slot = dialog.slot();
    ShowPage();
}

void ScriptLibraryDialog::keyPressEvent(QKeyEvent* event) {
    const Qt::KeyboardModifiers mods =
        event->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier);
    const QString text = event->text();
    if (mods == Qt::NoModifier && text.size() == 1) {
        if (std::optional<int> index = app::LauncherIndexOfKey(text.at(0).unicode())) {
            Press(*index);
            return;
        }
    }
    QDialog::keyPressEvent(event);
}

}  // namespace norv::qt
