// "Keywords" (`CKwdDlg`), "Menus" (`CMenuCust`) and "Scripts" (`CScript`): the pages that edit
// the keyword file and the data file. Each works on a copy and hands it over on OK only when
// something in it changed.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/commands/command_table.h"
#include "gui/dialogs/preference_dialog.h"
#include "gui/editor/text_bridge.h"

namespace norv::qt {

namespace {

QPushButton* Button(const QString& text, const char* name, QWidget* parent) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
}

template <typename W>
W* Named(W* w, const char* name) {
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

class KeywordPage : public FilePage {
  public:
    KeywordPage(const PreferenceContext& c, QWidget* parent)
        : FilePage(app::PageId::CKwdDlg, *c.settings, c.codePage, parent),
          codePage_(c.codePage),
          edited_(c.keywords ? *c.keywords : app::KeywordFile(c.codePage)) {
        auto* row = new QHBoxLayout(this);
        groups_ = Named(new QListWidget(this), "groups");
        row->addWidget(groups_);
        auto* right = new QVBoxLayout;
        auto* head = new QGridLayout;
        name_ = Named(new QLineEdit(this), "groupName");
        types_ = Named(new QLineEdit(this), "fileTypes");
        auto* nameLabel = new QLabel(QStringLiteral("&Name:"), this);
        nameLabel->setBuddy(name_);
        auto* typesLabel = new QLabel(QStringLiteral("&File types:"), this);
        typesLabel->setBuddy(types_);
        head->addWidget(nameLabel, 0, 0);
        head->addWidget(name_, 0, 1, 1, 3);
        head->addWidget(typesLabel, 1, 0);
        head->addWidget(types_, 1, 1, 1, 3);
        caseInsensitive_ =
            Named(new QCheckBox(QStringLiteral("Case &Insensitive"), this), "caseInsensitive");
        colored_ = Named(new QCheckBox(QStringLiteral("&C&olored"), this), "colored");
        bold_ = Named(new QCheckBox(QStringLiteral("&Bold"), this), "bold");
        head->addWidget(caseInsensitive_, 2, 1);
        head->addWidget(colored_, 2, 2);
        head->addWidget(bold_, 2, 3);
        right->addLayout(head);
        auto* words = new QGroupBox(QStringLiteral("Keywords"), this);
        auto* wordGrid = new QGridLayout(words);
        keywords_ = Named(new QListWidget(words), "keywords");
        keyword_ = Named(new QLineEdit(words), "keyword");
        wordGrid->addWidget(keywords_, 0, 0, 1, 3);
        wordGrid->addWidget(keyword_, 1, 0);
        auto* addWord = Button(QStringLiteral("&Add"), "addKeyword", words);
        auto* deleteWord = Button(QStringLiteral("&Delete"), "deleteKeyword", words);
        wordGrid->addWidget(addWord, 1, 1);
        wordGrid->addWidget(deleteWord, 1, 2);
        right->addWidget(words, 1);
        auto* blockBox = new QGroupBox(QStringLiteral("Comment blocks"), this);
        auto* blockGrid = new QGridLayout(blockBox);
        blocks_ = Named(new QTreeWidget(blockBox), "blocks");
        blocks_->setRootIsDecorated(false);
        blocks_->setHeaderLabels({QStringLiteral("Begin"), QStringLiteral("End"),
                                  QStringLiteral("Colored"), QStringLiteral("Bold")});
        blockGrid->addWidget(blocks_, 0, 0, 1, 4);
        blockBegin_ = Named(new QLineEdit(blockBox), "blockBegin");
        blockEnd_ = Named(new QLineEdit(blockBox), "blockEnd");
        blockBegin_->setPlaceholderText(QStringLiteral("Begin"));
        blockEnd_->setPlaceholderText(QStringLiteral("End (empty: line end)"));
        blockColored_ = Named(new QCheckBox(QStringLiteral("Co&lored"), blockBox), "blockColored");
        blockColored_->setChecked(true);
        blockBold_ = Named(new QCheckBox(QStringLiteral("Bo&ld"), blockBox), "blockBold");
        blockGrid->addWidget(blockBegin_, 1, 0);
        blockGrid->addWidget(blockEnd_, 1, 1);
        blockGrid->addWidget(blockColored_, 1, 2);
        blockGrid->addWidget(blockBold_, 1, 3);
        auto* addBlock = Button(QStringLiteral("Add &block"), "addBlock", blockBox);
        auto* deleteBlock = Button(QStringLiteral("D&elete block"), "deleteBlock", blockBox);
        blockGrid->addWidget(addBlock, 2, 2);
        blockGrid->addWidget(deleteBlock, 2, 3);
        right->addWidget(blockBox, 1);
        row->addLayout(right, 1);

        for (int g = 0; g < app::kKeywordGroupCount; ++g) groups_->addItem(GroupTitle(g));
        connect(groups_, &QListWidget::currentRowChanged, this, [this] { ShowGroup(); });
        connect(name_, &QLineEdit::textEdited, this, [this] { StoreGroup(); });
        connect(types_, &QLineEdit::textEdited, this, [this] { StoreGroup(); });
        for (QCheckBox* b : {caseInsensitive_, colored_, bold_})
            connect(b, &QCheckBox::clicked, this, [this] { StoreGroup(); });
        connect(addWord, &QPushButton::clicked, this, [this] { AddKeyword(); });
        connect(deleteWord, &QPushButton::clicked, this, [this] { DeleteKeyword(); });
        connect(addBlock, &QPushButton::clicked, this, [this] { AddBlock(); });
        connect(deleteBlock, &QPushButton::clicked, this, [this] { DeleteBlock(); });
        groups_->setCurrentRow(0);
    }

    void CollectFiles(PreferenceResult& result) const override {
        if (changed_) result.keywords = edited_;
    }

  private:
    int Group() const { return std::max(0, groups_->currentRow()); }
    QString GroupTitle(int g) const {
        const std::string& n = edited_.groups[size_t(g)].name;
        return QStringLiteral("%1: ").arg(g + 1) +
               (n.empty() ? QStringLiteral("(Group %1)").arg(g + 1) : Show(n));
    }
    QString Show(const std::string& bytes) const { return BytesToQString(codePage_, bytes); }
    std::optional<std::string> Bytes(const QString& s) {
        std::optional<std::string> b = QStringToBytes(codePage_, s);
        if (!b)
            QMessageBox::warning(this, QString::fromLatin1(kPreferencesTitle),
                                 QStringLiteral("\"%1\" holds characters the keyword file cannot "
                                                "hold.")
                                     .arg(s));
        return b;
    }

    void ShowGroup() {
        const int g = Group();
        const app::KeywordGroup& group = edited_.groups[size_t(g)];
        name_->setText(Show(group.name));
        types_->setText(Show(group.fileTypes));
        caseInsensitive_->setChecked(group.caseInsensitive);
        colored_->setChecked(group.colored);
        bold_->setChecked(group.bold);
        keywords_->clear();
        for (int b = 0; b < 256; ++b) {
            if (b >= 'a' && b <= 'z') continue;
            for (const auto& e : edited_.keywords.Bucket(static_cast<uint8_t>(b)))
                if (e.group == g) keywords_->addItem(Show(e.text));
        }
        blocks_->clear();
        for (size_t i = 0; i < edited_.blocks.size(); ++i) {
            const app::CommentBlock& blk = edited_.blocks[i];
            if (blk.group != g) continue;
            auto* item = new QTreeWidgetItem(blocks_);
            item->setText(0, Show(blk.begin));
            item->setText(1, Show(blk.end));
            item->setText(2, blk.colored ? QStringLiteral("1") : QStringLiteral("0"));
            item->setText(3, blk.bold ? QStringLiteral("1") : QStringLiteral("0"));
            item->setData(0, Qt::UserRole, static_cast<int>(i));
        }
    }
    void StoreGroup() {
        const int g = Group();
        app::KeywordGroup group = edited_.groups[size_t(g)];
        auto n = Bytes(name_->text());
        auto t = Bytes(types_->text());
        if (!n || !t) return;
        group.name = *n;
        group.fileTypes = *t;
        group.caseInsensitive = caseInsensitive_->isChecked();
        group.colored = colored_->isChecked();
        group.bold = bold_->isChecked();
        if (group == edited_.groups[size_t(g)]) return;
        edited_.groups[size_t(g)] = group;
        changed_ = true;
        groups_->item(g)->setText(GroupTitle(g));
    }
    void AddKeyword() {
        auto text = Bytes(keyword_->text().trimmed());
        if (!text || text->empty()) return;
        if (!edited_.keywords.Add(*text, Group())) {
            QApplication::beep();
            return;
        }
        changed_ = true;
        keyword_->clear();
        ShowGroup();
    }
    void DeleteKeyword() {
        QListWidgetItem* item = keywords_->currentItem();
        if (!item) return;
        auto text = Bytes(item->text());
        if (text && edited_.keywords.Remove(*text, Group())) changed_ = true;
        ShowGroup();
    }
    void AddBlock() {
        auto begin = Bytes(blockBegin_->text().trimmed());
        auto end = Bytes(blockEnd_->text().trimmed());
        if (!begin || !end || begin->empty()) return;
        app::CommentBlock b;
        b.begin = *begin;
        b.end = *end;
        b.group = Group();
        b.colored = blockColored_->isChecked();
        b.bold = blockBold_->isChecked();
        edited_.blocks.push_back(b);
        changed_ = true;
        blockBegin_->clear();
        blockEnd_->clear();
        ShowGroup();
    }
    void DeleteBlock() {
        QTreeWidgetItem* item = blocks_->currentItem();
        if (!item) return;
        const int i = item->data(0, Qt::UserRole).toInt();
        edited_.blocks.erase(edited_.blocks.begin() + i);
        changed_ = true;
        ShowGroup();
    }

    int codePage_;
    app::KeywordFile edited_;
    bool changed_ = false;
    QListWidget* groups_;
    QLineEdit *name_, *types_;
    QCheckBox *caseInsensitive_, *colored_, *bold_;
    QListWidget* keywords_;
    QLineEdit* keyword_;
    QTreeWidget* blocks_;
    QLineEdit *blockBegin_, *blockEnd_;
    QCheckBox *blockColored_, *blockBold_;
};

class MenuPage : public FilePage {
  public:
    MenuPage(const PreferenceContext& c, QWidget* parent)
        : FilePage(app::PageId::CMenuCust, *c.settings, c.codePage, parent),
          codePage_(c.codePage),
          data_(c.data ? *c.data : app::DataFile()) {
        auto* column = new QVBoxLayout(this);
        // The titles in one column, each with its flag beside it.
        auto* grid = new QGridLayout;
        for (int n = 0; n < app::kUserMenuCount; ++n) {
            QWidget* title = fields_.Make(*app::FieldOf(app::MenuItemKey(n)), this);
            QWidget* flag = fields_.Make(*app::FieldOf(app::MenuAddKey(n)), this);
            auto* label = new QLabel(FieldSet::LabelText(*app::FieldOf(app::MenuItemKey(n))), this);
            label->setBuddy(title);
            grid->addWidget(label, n, 0);
            grid->addWidget(title, n, 1);
            grid->addWidget(flag, n, 2);
        }
        column->addLayout(grid);
        auto* top = new QHBoxLayout;
        auto* menuLabel = new QLabel(QStringLiteral("&Menu:"), this);
        menu_ = Named(new QComboBox(this), "menu");
        for (int n = 1; n <= app::kUserMenuCount; ++n)
            menu_->addItem(QStringLiteral("Menu %1").arg(n));
        menuLabel->setBuddy(menu_);
        top->addWidget(menuLabel);
        top->addWidget(menu_, 1);
        column->addLayout(top);
        auto* body = new QGridLayout;
        items_ = Named(new QListWidget(this), "items");
        body->addWidget(items_, 0, 0, 6, 1);
        caption_ = Named(new QLineEdit(this), "caption");
        caption_->setPlaceholderText(QStringLiteral("Caption"));
        command_ = Named(new QComboBox(this), "commandName");
        for (const app::Command& cmd : app::kBuiltinCommands) command_->addItem(FromUtf8(cmd.name));
        body->addWidget(caption_, 0, 1, 1, 2);
        body->addWidget(command_, 1, 1, 1, 2);
        auto* add = Button(QStringLiteral("&Add"), "addItem", this);
        auto* separator = Button(QStringLiteral("S&eparator"), "addSeparator", this);
        auto* remove = Button(QStringLiteral("&Delete"), "deleteItem", this);
        auto* up = Button(QStringLiteral("&Up"), "itemUp", this);
        auto* down = Button(QStringLiteral("Do&wn"), "itemDown", this);
        body->addWidget(add, 2, 1);
        body->addWidget(separator, 2, 2);
        body->addWidget(remove, 3, 1);
        body->addWidget(up, 4, 1);
        body->addWidget(down, 4, 2);
        column->addLayout(body, 1);
        connect(menu_, &QComboBox::currentIndexChanged, this, [this] { ShowItems(); });
        connect(add, &QPushButton::clicked, this, [this] { AddItem(false); });
        connect(separator, &QPushButton::clicked, this, [this] { AddItem(true); });
        connect(remove, &QPushButton::clicked, this, [this] {
            auto& items = Items();
            const int row = items_->currentRow();
            if (row < 0 || row >= static_cast<int>(items.size())) return;
            items.erase(items.begin() + row);
            changed_ = true;
            ShowItems();
        });
        connect(up, &QPushButton::clicked, this, [this] { Move(-1); });
        connect(down, &QPushButton::clicked, this, [this] { Move(1); });
        ShowItems();
    }

    void CollectFiles(PreferenceResult& result) const override {
        if (!changed_) return;
        if (!result.data) result.data = data_;
        result.data->menus = data_.menus;
    }

  private:
    std::vector<app::UserMenuItem>& Items() {
        return data_.menus[size_t(std::max(0, menu_->currentIndex()))];
    }
    void ShowItems() {
        items_->clear();
        for (const app::UserMenuItem& i : Items())
            items_->addItem(i.separator ? QStringLiteral("-")
                                        : BytesToQString(codePage_, i.caption) +
                                              QStringLiteral("\t") + FromUtf8(i.command));
    }
    void AddItem(bool separator) {
        app::UserMenuItem item;
        item.separator = separator;
        if (!separator) {
            std::optional<std::string> caption = QStringToBytes(codePage_, caption_->text());
            // A tab would end the caption inside the data file's line.
            if (!caption || caption->empty() || caption->find('\t') != std::string::npos) {
                QApplication::beep();
                return;
            }
            item.caption = *caption;
            item.command = ToUtf8(command_->currentText());
        }
        auto& items = Items();
        const int row = items_->currentRow();
        const size_t at = row >= 0 ? size_t(row) + 1 : items.size();
        items.insert(items.begin() + static_cast<std::ptrdiff_t>(at), item);
        changed_ = true;
        caption_->clear();
        ShowItems();
        items_->setCurrentRow(static_cast<int>(at));
    }
    void Move(int by) {
        auto& items = Items();
        const int row = items_->currentRow();
        const int to = row + by;
        if (row < 0 || to < 0 || to >= static_cast<int>(items.size())) return;
        std::swap(items[size_t(row)], items[size_t(to)]);
        changed_ = true;
        ShowItems();
        items_->setCurrentRow(to);
    }

    int codePage_;
    app::DataFile data_;
    bool changed_ = false;
    QComboBox* menu_;
    QListWidget* items_;
    QLineEdit* caption_;
    QComboBox* command_;
};

class ScriptPage : public FilePage {
  public:
    ScriptPage(const PreferenceContext& c, QWidget* parent)
        : FilePage(app::PageId::CScript, *c.settings, c.codePage, parent),
          codePage_(c.codePage),
          data_(c.data ? *c.data : app::DataFile()) {
        auto* column = new QVBoxLayout(this);
        auto* grid = new QGridLayout;
        fields_.LayOut(app::FieldsOf(id_), this, grid, 1, 1);
        column->addLayout(grid);
        auto* box = new QGroupBox(QStringLiteral("Add-in commands"), this);
        auto* slotGrid = new QGridLayout(box);
        for (int n = 0; n < app::kAddinSlotCount; ++n) {
            const app::AddinSlot& s = data_.addins[size_t(n)];
            auto* label = new QLabel(QStringLiteral("Addin Script %1").arg(n + 1), box);
            auto* file = new QLineEdit(BytesToQString(codePage_, s.file), box);
            file->setObjectName(QStringLiteral("addin%1").arg(n + 1));
            label->setBuddy(file);
            auto* start = new QCheckBox(QStringLiteral("Start with the program"), box);
            start->setObjectName(QStringLiteral("addinStart%1").arg(n + 1));
            start->setChecked(s.StartsWithProgram());
            const int r = n % 8, c2 = (n / 8) * 3;
            slotGrid->addWidget(label, r, c2);
            slotGrid->addWidget(file, r, c2 + 1);
            slotGrid->addWidget(start, r, c2 + 2);
            files_.push_back(file);
            starts_.push_back(start);
        }
        column->addWidget(box);
        column->addStretch(1);
    }

    void Collect(std::vector<app::PreferenceEdit>& edits,
                 std::optional<app::PreferenceRefusal>& refusal) const override {
        FilePage::Collect(edits, refusal);
        for (size_t n = 0; n < files_.size() && !refusal; ++n) {
            const QString text = files_[n]->text();
            if (!QStringToBytes(codePage_, text) || text.contains(QLatin1Char('\t')))
                refusal = app::PreferenceRefusal{
                    app::Key::ScriptDir, "Addin Script " + std::to_string(n + 1) +
                                             ": the name holds characters that cannot be stored."};
        }
    }

    void CollectFiles(PreferenceResult& result) const override {
        std::array<app::AddinSlot, app::kAddinSlotCount> addins = data_.addins;
        for (int n = 0; n < app::kAddinSlotCount; ++n) {
            app::AddinSlot& s = addins[size_t(n)];
            s.file = QStringToBytes(codePage_, files_[size_t(n)]->text()).value_or(s.file);
            const bool start = starts_[size_t(n)]->isChecked();
            if (start != s.StartsWithProgram()) {
                // The first flag digit; a second one is kept.
                if (s.flags.empty()) s.flags = "0";
                s.flags[0] = start ? '1' : '0';
            }
        }
        if (addins == data_.addins) return;
        if (!result.data) result.data = data_;
        result.data->addins = addins;
    }

  private:
    int codePage_;
    app::DataFile data_;
    std::vector<QLineEdit*> files_;
    std::vector<QCheckBox*> starts_;
};

}  // namespace

PreferencePage* MakeKeywordPage(const PreferenceContext& c, QWidget* parent) {
    return new KeywordPage(c, parent);
}
PreferencePage* MakeMenuPage(const PreferenceContext& c, QWidget* parent) {
    return new MenuPage(c, parent);
}
PreferencePage* MakeScriptPage(const PreferenceContext& c, QWidget* parent) {
    return new ScriptPage(c, parent);
}

}  // namespace norv::qt
