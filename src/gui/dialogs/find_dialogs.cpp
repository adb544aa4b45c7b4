// The Find, Replace and "Replace?" dialogs.
#include "gui/dialogs/find_dialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QInputEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <cstdio>

#include "gui/editor/text_bridge.h"
#include "platform/code_page.h"

namespace norv::qt {

using search::FindOptions;

QString FieldToQString(std::string_view bytes, int systemCodePage) {
    return BytesToQString(systemCodePage, bytes);
}

std::string FieldFromQString(const QString& text, int systemCodePage, int documentCodePage) {
    std::string out;
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype n =
            text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate() ? 2
                                                                                             : 1;
        const QString ch = text.mid(i, n);
        i += n;
        std::string piece;
        if (std::optional<std::string> b = QStringToBytes(systemCodePage, ch)) {
            piece = *b;
        } else {
            std::optional<std::string> b2 = QStringToBytes(documentCodePage, ch);
            if (!b2) b2 = QStringToBytes(platform::kCodePageUtf8, ch);
            if (!b2) continue;  // a lone surrogate
            for (char c : *b2) {
                char seq[8];
                std::snprintf(seq, sizeof seq, "\\x%02x", static_cast<unsigned char>(c));
                piece += seq;
            }
        }
        if (out.size() + piece.size() > search::kFieldLimit) break;
        out += piece;
    }
    return out;
}

QComboBox* HistoryField(QWidget* parent, const search::FindHistory* history,
                        std::string_view current, int systemCodePage) {
    auto* combo = new QComboBox(parent);
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setMaxCount(static_cast<int>(search::kHistoryEntries));
    combo->lineEdit()->setMaxLength(static_cast<int>(search::kFieldLimit));
    combo->setMinimumContentsLength(32);
    if (history)
        for (const search::FindHistoryEntry& e : history->entries())
            combo->addItem(FieldToQString(e.text, systemCodePage));
    combo->setEditText(FieldToQString(current, systemCodePage));
    combo->lineEdit()->selectAll();
    return combo;
}

namespace {

struct BoxText {
    const char* find;
    const char* replace;
    bool FindOptions::*field;
};

// In the dialogs' order.
constexpr BoxText kBoxes[] = {
    {"From Be&ginning of Text", "From Be&ginning of Text", &FindOptions::fromBeginning},
    {"In &All Windows", "In &All Windows", &FindOptions::inAllWindows},
    {"Wra&p around search", "Wra&p around search", &FindOptions::wrapAround},
    {"&Mark Found Line", "&Mark Replaced Line", &FindOptions::markFoundLine},
    {"Match &Word Only", "Match &Word Only", &FindOptions::matchWord},
    {"Match &Top of Line", "Match &Top of String", &FindOptions::matchTopOfLine},
    {"&Ignore Case", "&Ignore Case", &FindOptions::ignoreCase},
    {"Ignore MB&CS", "Ignore M&BCS", &FindOptions::ignoreMbcs},
    {"&Regular Expression", "&Regular Expression", &FindOptions::regularExpression},
};

// Choosing an entry of the Find history puts back the options it was used with.
void RestoreOptionsOnChoice(QComboBox* combo, const search::FindHistory* history,
                            FindOptionBoxes& boxes, const FindOptions& base) {
    if (!history) return;
    QObject::connect(combo, &QComboBox::activated, combo, [=, &boxes](int index) {
        if (index < 0 || static_cast<size_t>(index) >= history->entries().size()) return;
        FindOptions o = boxes.Read(base);
        search::ParseOptionString(history->entries()[static_cast<size_t>(index)].options, &o);
        boxes.Show(o);
    });
}

}  // namespace

FindOptionBoxes::FindOptionBoxes(QWidget* parent, bool replace) : box_(new QWidget(parent)) {
    auto* grid = new QGridLayout(box_);
    grid->setContentsMargins(0, 0, 0, 0);
    int i = 0;
    for (const BoxText& t : kBoxes) {
        auto* b = new QCheckBox(QString::fromLatin1(replace ? t.replace : t.find), box_);
        grid->addWidget(b, i / 2, i % 2);
        items_.push_back(Item{b, t.field});
        ++i;
    }
}

void FindOptionBoxes::Show(const FindOptions& options) {
    for (const Item& it : items_) it.box->setChecked(options.*(it.field));
}

FindOptions FindOptionBoxes::Read(FindOptions base) const {
    for (const Item& it : items_) base.*(it.field) = it.box->isChecked();
    return base;
}

// ---- Find -----------------------------------------------------------------------------------

FindDialog::FindDialog(QWidget* parent, search::FindDialogRequest& request, int systemCodePage,
                       int documentCodePage)
    : QDialog(parent),
      request_(request),
      systemCodePage_(systemCodePage),
      documentCodePage_(documentCodePage),
      field_(HistoryField(this, request.history, request.searchString, systemCodePage)),
      boxes_(this, false) {
    setWindowTitle(QStringLiteral("Find"));
    auto* label = new QLabel(QStringLiteral("Fi&nd what:"), this);
    label->setBuddy(field_);
    boxes_.Show(request.options);
    RestoreOptionsOnChoice(field_, request.history, boxes_, request.options);

    auto* direction = new QGroupBox(QStringLiteral("Direction"), this);
    up_ = new QRadioButton(QStringLiteral("&Up"), direction);
    down_ = new QRadioButton(QStringLiteral("&Down"), direction);
    (request.forward ? down_ : up_)->setChecked(true);
    auto* dirRow = new QHBoxLayout(direction);
    dirRow->addWidget(up_);
    dirRow->addWidget(down_);
    save_ = new QCheckBox(QStringLiteral("&Save Options"), this);

    auto* buttons = new QDialogButtonBox(Qt::Vertical, this);
    QPushButton* find = buttons->addButton(QStringLiteral("&Find"), QDialogButtonBox::ActionRole);
    find->setDefault(true);
    QPushButton* markAll =
        buttons->addButton(QStringLiteral("Mark A&ll"), QDialogButtonBox::ActionRole);
    buttons->addButton(QDialogButtonBox::Cancel);
    connect(find, &QPushButton::clicked, this, [this] {
        markAll_ = false;
        accept();
    });
    connect(markAll, &QPushButton::clicked, this, [this] {
        markAll_ = true;
        accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* left = new QVBoxLayout;
    auto* fieldRow = new QHBoxLayout;
    fieldRow->addWidget(label);
    fieldRow->addWidget(field_, 1);
    left->addLayout(fieldRow);
    left->addWidget(boxes_.widget());
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(direction);
    bottom->addWidget(save_, 0, Qt::AlignBottom);
    left->addLayout(bottom);
    auto* all = new QHBoxLayout(this);
    all->addLayout(left, 1);
    all->addWidget(buttons);
    field_->setFocus();
}

void FindDialog::Store() {
    request_.searchString =
        FieldFromQString(field_->currentText(), systemCodePage_, documentCodePage_);
    request_.options = boxes_.Read(request_.options);
    request_.forward = down_->isChecked();
    request_.options.direction = request_.forward ? 1 : 0;
    request_.markAll = markAll_;
    request_.saveOptions = save_->isChecked();
}

bool RunFindDialog(QWidget* parent, search::FindDialogRequest& request, int systemCodePage,
                   int documentCodePage) {
    FindDialog d(parent, request, systemCodePage, documentCodePage);
    if (d.exec() != QDialog::Accepted) return false;
    d.Store();
    return true;
}

// ---- Replace --------------------------------------------------------------------------------

ReplaceDialog::ReplaceDialog(QWidget* parent, search::ReplaceDialogRequest& request,
                             int systemCodePage, int documentCodePage)
    : QDialog(parent),
      request_(request),
      systemCodePage_(systemCodePage),
      documentCodePage_(documentCodePage),
      field_(HistoryField(this, request.findHistory, request.searchString, systemCodePage)),
      replacement_(HistoryField(this, request.replaceHistory, request.replacement, systemCodePage)),
      boxes_(this, true) {
    setWindowTitle(QStringLiteral("Replace"));
    auto* findLabel = new QLabel(QStringLiteral("Fi&nd what:"), this);
    findLabel->setBuddy(field_);
    auto* replLabel = new QLabel(QStringLiteral("R&eplace with:"), this);
    replLabel->setBuddy(replacement_);
    replacement_->lineEdit()->selectAll();
    boxes_.Show(request.options);
    RestoreOptionsOnChoice(field_, request.findHistory, boxes_, request.options);
    save_ = new QCheckBox(QStringLiteral("Save &Options"), this);

    auto* buttons = new QDialogButtonBox(Qt::Vertical, this);
    QPushButton* ask = buttons->addButton(QStringLiteral("Replace"), QDialogButtonBox::ActionRole);
    ask->setDefault(true);
    QPushButton* all =
        buttons->addButton(QStringLiteral("Replace &All"), QDialogButtonBox::ActionRole);
    buttons->addButton(QDialogButtonBox::Cancel);
    connect(ask, &QPushButton::clicked, this, [this] {
        all_ = false;
        accept();
    });
    connect(all, &QPushButton::clicked, this, [this] {
        all_ = true;
        accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* fields = new QGridLayout;
    fields->addWidget(findLabel, 0, 0);
    fields->addWidget(field_, 0, 1);
    fields->addWidget(replLabel, 1, 0);
    fields->addWidget(replacement_, 1, 1);
    auto* left = new QVBoxLayout;
    left->addLayout(fields);
    left->addWidget(boxes_.widget());
    left->addWidget(save_);
    auto* row = new QHBoxLayout(this);
    row->addLayout(left, 1);
    row->addWidget(buttons);
    field_->setFocus();
}

void ReplaceDialog::Store() {
    request_.searchString =
        FieldFromQString(field_->currentText(), systemCodePage_, documentCodePage_);
    request_.replacement =
        FieldFromQString(replacement_->currentText(), systemCodePage_, documentCodePage_);
    request_.options = boxes_.Read(request_.options);
    request_.options.direction = 1;
    request_.all = all_;
    request_.saveOptions = save_->isChecked();
}

bool RunReplaceDialog(QWidget* parent, search::ReplaceDialogRequest& request, int systemCodePage,
                      int documentCodePage) {
    ReplaceDialog d(parent, request, systemCodePage, documentCodePage);
    if (d.exec() != QDialog::Accepted) return false;
    d.Store();
    return true;
}

// ---- Replace? -------------------------------------------------------------------------------

ReplaceAssureDialog::ReplaceAssureDialog(QWidget* parent) : QDialog(parent) {
    using search::ReplaceAnswer;
    setWindowTitle(QStringLiteral("Replace?"));
    auto* row = new QHBoxLayout(this);
    auto add = [&](const char* text, auto answer) {
        auto* b = new QPushButton(QString::fromLatin1(text), this);
        b->setAutoDefault(false);
        b->installEventFilter(this);
        row->addWidget(b);
        connect(b, &QPushButton::clicked, this, [this, answer] {
            answer_ = answer();
            accept();
        });
        return b;
    };
    QPushButton* yes = add("&Yes", [this] {
        // With Shift held, this match and every further one.
        const bool shift = (shiftSeen_ || (QApplication::keyboardModifiers() & Qt::ShiftModifier));
        return shift ? ReplaceAnswer::kYesToAll : ReplaceAnswer::kYes;
    });
    installEventFilter(this);
    yes->setDefault(true);
    add("Replace &All", [] { return ReplaceAnswer::kReplaceAll; });
    add("&No", [] { return ReplaceAnswer::kNo; });
    add("Cancel", [] { return ReplaceAnswer::kCancel; });
    yes->setFocus();
}

bool ReplaceAssureDialog::eventFilter(QObject* watched, QEvent* event) {
    // The modifiers of the click or key that presses a button; the application's own record of
    // them can lag behind input delivered straight to the widget.
    switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
            shiftSeen_ = static_cast<QInputEvent*>(event)->modifiers() & Qt::ShiftModifier;
            break;
        default:
            break;
    }
    return QDialog::eventFilter(watched, event);
}

search::ReplaceAnswer ReplaceAssureDialog::Ask() {
    answer_ = search::ReplaceAnswer::kCancel;
    shiftSeen_ = false;
    if (exec() != QDialog::Accepted) return search::ReplaceAnswer::kCancel;
    return answer_;
}

}  // namespace norv::qt
