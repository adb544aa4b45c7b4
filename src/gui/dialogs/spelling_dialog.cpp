// The "Spelling" dialog (see spelling_dialog.h).
#include "gui/dialogs/spelling_dialog.h"

#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>

#include "gui/editor/text_bridge.h"

namespace norv::qt {

using app::SpellingAnswer;

SpellingDialog::SpellingDialog(QWidget* parent, app::SpellingRequest& request)
    : QDialog(parent), request_(request) {
    request.FillSuggestions();
    setWindowTitle(QStringLiteral("Spelling"));
    auto* word = new QLineEdit(this);
    word->setObjectName(QString::fromLatin1(kSpellingWordName));
    word->setText(BytesToQString(request.codePage, request.word));
    word->setReadOnly(true);
    changeTo_ = new QLineEdit(this);
    changeTo_->setObjectName(QString::fromLatin1(kSpellingChangeToName));
    changeTo_->setText(BytesToQString(request.codePage, request.changeTo));
    suggestions_ = new QListWidget(this);
    suggestions_->setObjectName(QString::fromLatin1(kSpellingSuggestionsName));
    for (const std::string& s : request.suggestions)
        suggestions_->addItem(BytesToQString(request.codePage, s));
    if (suggestions_->count() > 0) suggestions_->setCurrentRow(0);
    // Choosing a suggestion copies it; a double click changes to it at once.
    connect(suggestions_, &QListWidget::currentTextChanged, this, [this](const QString& text) {
        if (!text.isEmpty()) changeTo_->setText(text);
    });
    connect(suggestions_, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        changeTo_->setText(item->text());
        Choose(SpellingAnswer::kChange);
    });

    auto* notIn = new QLabel(QStringLiteral("Not in dictionary:"), this);
    notIn->setBuddy(word);
    auto* change = new QLabel(QStringLiteral("Change to:"), this);
    change->setBuddy(changeTo_);
    auto* list = new QLabel(QStringLiteral("Suggestions:"), this);
    list->setBuddy(suggestions_);
    auto* fields = new QVBoxLayout;
    fields->addWidget(notIn);
    fields->addWidget(word);
    fields->addWidget(change);
    fields->addWidget(changeTo_);
    fields->addWidget(list);
    fields->addWidget(suggestions_, 1);

    static const struct {
        const char* text;
        SpellingAnswer answer;
    } kButtons[] = {
        {"&Ignore", SpellingAnswer::kIgnore},
        {"I&gnore All", SpellingAnswer::kIgnoreAll},
        {"&Add", SpellingAnswer::kAdd},
        {"&Change", SpellingAnswer::kChange},
        {"C&hange All", SpellingAnswer::kChangeAll},
        {"E&xit Spelling Check", SpellingAnswer::kExit},
    };
    auto* buttons = new QVBoxLayout;
    for (size_t i = 0; i < std::size(kButtons); ++i) {
        auto* b = new QPushButton(QString::fromLatin1(kButtons[i].text), this);
        b->setObjectName(QString::fromLatin1(kSpellingButtonNames[i]));
        b->setAutoDefault(false);
        if (i == 0) b->setDefault(true);
        const SpellingAnswer a = kButtons[i].answer;
        connect(b, &QPushButton::clicked, this, [this, a] { Choose(a); });
        buttons->addWidget(b);
    }
    buttons->addStretch(1);
    auto* row = new QHBoxLayout(this);
    row->addLayout(fields, 1);
    row->addLayout(buttons);
    changeTo_->setFocus();
    changeTo_->selectAll();
}

void SpellingDialog::Choose(SpellingAnswer answer) {
    if (answer == SpellingAnswer::kChange || answer == SpellingAnswer::kChangeAll) {
        std::optional<std::string> bytes = QStringToBytes(request_.codePage, changeTo_->text());
        if (!bytes) {
            // The document's code cannot hold the text: the dialog stays.
            QApplication::beep();
            return;
        }
        request_.changeTo = std::move(*bytes);
    }
    answer_ = answer;
    accept();
}

void SpellingDialog::PlaceBeside(const QRect& word) {
    adjustSize();
    QScreen* screen = QGuiApplication::screenAt(word.center());
    if (!screen) screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1 << 14, 1 << 14);
    const QSize size = frameGeometry().size();
    const int gap = 4;
    int x =
        std::clamp(word.left(), area.left(), std::max(area.left(), area.right() - size.width()));
    int y = word.bottom() + gap;
    if (y + size.height() > area.bottom()) {
        if (word.top() - gap - size.height() >= area.top()) {
            y = word.top() - gap - size.height();
        } else {
            // No room above or below: beside the word, on the side with more room.
            y = std::clamp(word.top(), area.top(),
                           std::max(area.top(), area.bottom() - size.height()));
            x = area.right() - word.right() >= word.left() - area.left()
                    ? word.right() + gap
                    : word.left() - gap - size.width();
        }
    }
    move(x, y);
}

SpellingAnswer AskSpelling(QWidget* parent, app::SpellingRequest& request, const QRect& word) {
    SpellingDialog d(parent, request);
    d.PlaceBeside(word);
    d.exec();
    return d.answer();
}

}  // namespace norv::qt
