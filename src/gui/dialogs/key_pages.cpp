// "Keys" (`CKeyDlg`) and "Key Edit" (`CEditKey`): the commands by group with both keys, key
// definition files loaded and saved, and a pressed key assigned to a slot. Both pages work on
// the dialog's copy of the key table; OK puts it in force.
#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <cstring>

#include "app/commands/command_table.h"
#include "app/commands/key_names.h"
#include "gui/dialogs/preference_dialog.h"
#include "gui/editor/key_codes.h"
#include "gui/editor/text_bridge.h"

namespace norv::qt {

namespace {

QString KeyText(app::KeyCode code) {
    return QString::fromStdString(app::KeyNameOf(code));
}

class KeyPage : public PreferencePage {
  public:
    KeyPage(CElwProp& dialog, QWidget* parent)
        : PreferencePage(app::PageId::CKeyDlg, *dialog.context().settings,
                         dialog.context().codePage, parent),
          dialog_(dialog) {
        auto* column = new QVBoxLayout(this);
        auto* top = new QHBoxLayout;
        auto* label = new QLabel(QStringLiteral("&Group:"), this);
        groups_ = new QComboBox(this);
        groups_->setObjectName(QStringLiteral("group"));
        for (const app::CommandGroup& g : app::kCommandGroups) groups_->addItem(FromUtf8(g.title));
        label->setBuddy(groups_);
        top->addWidget(label);
        top->addWidget(groups_, 1);
        column->addLayout(top);
        commands_ = new QTreeWidget(this);
        commands_->setObjectName(QStringLiteral("commands"));
        commands_->setRootIsDecorated(false);
        commands_->setHeaderLabels(
            {QStringLiteral("Command"), QStringLiteral("Key 1"), QStringLiteral("Key 2")});
        commands_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
        column->addWidget(commands_, 1);
        auto* grid = new QGridLayout;
        fields_.LayOut(app::FieldsOf(id_), this, grid, 1, 1);
        column->addLayout(grid);
        auto* buttons = new QHBoxLayout;
        auto* load = new QPushButton(QStringLiteral("&Load..."), this);
        load->setObjectName(QStringLiteral("load"));
        auto* save = new QPushButton(QStringLiteral("&Save..."), this);
        save->setObjectName(QStringLiteral("save"));
        for (QPushButton* b : {load, save}) b->setAutoDefault(false);
        buttons->addStretch(1);
        buttons->addWidget(load);
        buttons->addWidget(save);
        column->addLayout(buttons);
        connect(groups_, &QComboBox::currentIndexChanged, this, [this] { Fill(); });
        connect(load, &QPushButton::clicked, this, [this] { Load(); });
        connect(save, &QPushButton::clicked, this, [this] { Save(); });
        Fill();
    }

  protected:
    void showEvent(QShowEvent* e) override {
        Fill();  // the Key Edit page may have changed keys
        PreferencePage::showEvent(e);
    }

  private:
    void Fill() {
        const int g = std::max(0, groups_->currentIndex());
        const size_t first = app::kCommandGroups[size_t(g)].first;
        const size_t end = size_t(g) + 1 < app::kCommandGroups.size()
                               ? app::kCommandGroups[size_t(g) + 1].first
                               : app::kCommandCount;
        commands_->clear();
        const app::KeyTable& keys = dialog_.keys();
        for (size_t i = first; i < end; ++i) {
            auto* item = new QTreeWidgetItem(commands_);
            item->setText(0, FromUtf8(app::kBuiltinCommands[i].name));
            item->setText(1, KeyText(keys.key(i, 0)));
            item->setText(2, KeyText(keys.key(i, 1)));
            item->setData(0, Qt::UserRole, static_cast<int>(i));
        }
    }

    void Load() {
        const PreferenceContext& c = dialog_.context();
        if (!c.chooseKeyFile || !c.fs) return;
        const QString path = c.chooseKeyFile(this, false);
        if (path.isEmpty()) return;
        if (!app::LoadKeyFile(*c.fs, ToUtf8(path), dialog_.keys())) {
            QMessageBox::warning(
                this, QString::fromLatin1(kPreferencesTitle),
                QStringLiteral("The key definition file %1 could not be read.").arg(path));
            return;
        }
        dialog_.NoteKeysChanged();
        dialog_.NoteKeyFileLoaded(ToUtf8(path));
        Fill();
    }

    void Save() {
        const PreferenceContext& c = dialog_.context();
        if (!c.chooseKeyFile || !c.fs) return;
        const QString path = c.chooseKeyFile(this, true);
        if (path.isEmpty()) return;
        if (const int error = app::SaveKeyFile(*c.fs, ToUtf8(path), dialog_.keys()))
            QMessageBox::warning(
                this, QString::fromLatin1(kPreferencesTitle),
                QStringLiteral("The key definition file %1 could not be written: %2.")
                    .arg(path, QString::fromLocal8Bit(std::strerror(error))));
    }

    CElwProp& dialog_;
    QComboBox* groups_ = nullptr;
    QTreeWidget* commands_ = nullptr;
};

// Takes the next key pressed (with its modifier class), or a prefix letter and the letter after
// it as a two-stroke key.
class KeyCapture : public QLineEdit {
  public:
    KeyCapture(const app::KeyTable& keys, QWidget* parent) : QLineEdit(parent), keys_(keys) {
        setObjectName(QStringLiteral("keyCapture"));
        setReadOnly(true);
        setPlaceholderText(QStringLiteral("Press a key"));
    }
    app::KeyCode code() const { return code_; }
    void Clear() {
        code_ = app::kUnassignedKey;
        pending_ = 0;
        clear();
    }

  protected:
    bool event(QEvent* e) override {
        // Tab and Shift+Tab are keys to assign here, not focus moves.
        // Keys with Alt or Ctrl are not shortcuts or mnemonics while this field has them.
        if (e->type() == QEvent::ShortcutOverride) {
            e->accept();
            return true;
        }
        if (e->type() == QEvent::KeyPress) {
            keyPressEvent(static_cast<QKeyEvent*>(e));
            return true;
        }
        return QLineEdit::event(e);
    }
    void keyPressEvent(QKeyEvent* e) override {
        const std::optional<uint8_t> key = VirtualKeyOf(e->key());
        if (!key) return;  // a modifier alone, or a key without a name
        const Qt::KeyboardModifiers m = e->modifiers();
        const bool ctrl = m & Qt::ControlModifier, shift = m & Qt::ShiftModifier,
                   alt = m & Qt::AltModifier;
        if (pending_) {
            if (*key >= 65 && *key <= 95) {
                code_ = app::MakeKey(static_cast<uint8_t>(*key - 64), pending_);
                pending_ = 0;
                setText(KeyText(code_));
                return;
            }
            pending_ = 0;
        }
        uint8_t cls = app::key_class::kNone;
        if (alt)
            cls = shift ? app::key_class::kShiftAlt : app::key_class::kAlt;
        else if (ctrl)
            cls = shift ? app::key_class::kShiftCtrl : app::key_class::kCtrl;
        else if (shift)
            cls = app::key_class::kShift;
        if (cls == app::key_class::kCtrl && keys_.IsPrefix(*key)) {
            pending_ = *key;
            code_ = app::kUnassignedKey;
            setText(QStringLiteral("Ctrl+%1^").arg(QChar(*key)));
            return;
        }
        code_ = app::MakeKey(cls, *key);
        setText(KeyText(code_));
    }

  private:
    const app::KeyTable& keys_;
    app::KeyCode code_ = app::kUnassignedKey;
    uint8_t pending_ = 0;
};

// Answers the duplicate question when the dialog has no interface of the program's.
int AskDuplicate(QWidget* parent) {
    return QMessageBox::question(parent, QString::fromLatin1(kPreferencesTitle),
                                 FromUtf8(app::kDuplicateKeyText),
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes
               ? platform::kIdYes
               : platform::kIdNo;
}

class BoxAnswers : public platform::UserInterface {
  public:
    explicit BoxAnswers(QWidget* parent) : parent_(parent) {}
    int MessageBox(std::string_view, unsigned) override { return AskDuplicate(parent_); }
    void SetStatusText(std::string_view) override {}
    void Beep() override { QApplication::beep(); }

  private:
    QWidget* parent_;
};

class EditKeyPage : public PreferencePage {
  public:
    EditKeyPage(CElwProp& dialog, QWidget* parent)
        : PreferencePage(app::PageId::CEditKey, *dialog.context().settings,
                         dialog.context().codePage, parent),
          dialog_(dialog) {
        auto* grid = new QGridLayout(this);
        auto* commandLabel = new QLabel(QStringLiteral("&Command:"), this);
        command_ = new QComboBox(this);
        command_->setObjectName(QStringLiteral("command"));
        for (const app::Command& c : app::kBuiltinCommands) command_->addItem(FromUtf8(c.name));
        commandLabel->setBuddy(command_);
        grid->addWidget(commandLabel, 0, 0);
        grid->addWidget(command_, 0, 1, 1, 2);
        current_ = new QLabel(this);
        current_->setObjectName(QStringLiteral("currentKeys"));
        grid->addWidget(current_, 1, 1, 1, 2);
        slot1_ = new QRadioButton(QStringLiteral("Key &1"), this);
        slot1_->setObjectName(QStringLiteral("slot1"));
        slot2_ = new QRadioButton(QStringLiteral("Key &2"), this);
        slot2_->setObjectName(QStringLiteral("slot2"));
        slot1_->setChecked(true);
        grid->addWidget(slot1_, 2, 1);
        grid->addWidget(slot2_, 2, 2);
        auto* keyLabel = new QLabel(QStringLiteral("&New key:"), this);
        capture_ = new KeyCapture(dialog_.keys(), this);
        keyLabel->setBuddy(capture_);
        grid->addWidget(keyLabel, 3, 0);
        grid->addWidget(capture_, 3, 1, 1, 2);
        auto* assign = new QPushButton(QStringLiteral("&Assign"), this);
        assign->setObjectName(QStringLiteral("assign"));
        auto* remove = new QPushButton(QStringLiteral("&Remove"), this);
        remove->setObjectName(QStringLiteral("remove"));
        for (QPushButton* b : {assign, remove}) b->setAutoDefault(false);
        grid->addWidget(assign, 4, 1);
        grid->addWidget(remove, 4, 2);
        auto* prefixLabel = new QLabel(QStringLiteral("&Two-stroke prefixes:"), this);
        prefixes_ = new QLineEdit(this);
        prefixes_->setObjectName(QStringLiteral("TwoStroke"));
        prefixes_->setMaxLength(int(app::kPrefixSlots));
        prefixes_->setValidator(new QRegularExpressionValidator(
            QRegularExpression(QStringLiteral("[@A-Z\\[\\\\\\]^_]{0,10}")), prefixes_));
        prefixLabel->setBuddy(prefixes_);
        grid->addWidget(prefixLabel, 5, 0);
        grid->addWidget(prefixes_, 5, 1, 1, 2);
        grid->setRowStretch(6, 1);
        ShowPrefixes();
        connect(command_, &QComboBox::currentIndexChanged, this, [this] { ShowKeys(); });
        connect(assign, &QPushButton::clicked, this, [this] { Assign(); });
        connect(remove, &QPushButton::clicked, this, [this] {
            dialog_.keys().SetKey(Command(), Slot(), app::kUnassignedKey);
            dialog_.NoteKeysChanged();
            ShowKeys();
        });
        connect(prefixes_, &QLineEdit::textEdited, this, [this](const QString& text) {
            dialog_.keys().SetPrefixes(text.toLatin1().toStdString());
            dialog_.NoteKeysChanged();
        });
        ShowKeys();
    }

  protected:
    void showEvent(QShowEvent* e) override {
        ShowPrefixes();  // a key file loaded on the Keys page may have new ones
        ShowKeys();
        PreferencePage::showEvent(e);
    }

  private:
    size_t Command() const { return static_cast<size_t>(std::max(0, command_->currentIndex())); }
    int Slot() const { return slot2_->isChecked() ? 1 : 0; }

    void ShowPrefixes() {
        QString letters;
        for (uint8_t p : dialog_.keys().prefixes())
            if (p != 0xFF) letters += QChar(p);
        prefixes_->setText(letters);
    }
    void ShowKeys() {
        const app::KeyTable& keys = dialog_.keys();
        QString k1 = KeyText(keys.key(Command(), 0)), k2 = KeyText(keys.key(Command(), 1));
        current_->setText(QStringLiteral("Key 1: %1    Key 2: %2")
                              .arg(k1.isEmpty() ? QStringLiteral("-") : k1,
                                   k2.isEmpty() ? QStringLiteral("-") : k2));
    }
    void Assign() {
        const app::KeyCode code = capture_->code();
        if (!app::IsAssigned(code)) return;
        BoxAnswers fallback(this);
        platform::UserInterface& ui = dialog_.context().ui ? *dialog_.context().ui : fallback;
        app::AssignKey(dialog_.keys(), Command(), Slot(), code, ui);
        dialog_.NoteKeysChanged();
        capture_->Clear();
        ShowKeys();
    }

    CElwProp& dialog_;
    QComboBox* command_ = nullptr;
    QLabel* current_ = nullptr;
    QRadioButton* slot1_ = nullptr;
    QRadioButton* slot2_ = nullptr;
    KeyCapture* capture_ = nullptr;
    QLineEdit* prefixes_ = nullptr;
};

}  // namespace

PreferencePage* MakeKeyPage(CElwProp& dialog, QWidget* parent) {
    return new KeyPage(dialog, parent);
}
PreferencePage* MakeEditKeyPage(CElwProp& dialog, QWidget* parent) {
    return new EditKeyPage(dialog, parent);
}

}  // namespace norv::qt
