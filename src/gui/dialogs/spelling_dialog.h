// The "Spelling" dialog: the word the engine does not accept, its suggestions and the text to
// change it to, with the six buttons of the check.
#pragma once

#include <QDialog>
#include <QRect>

#include "app/spell_check.h"

class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace norv::qt {

inline constexpr const char* kSpellingWordName = "notInDictionary";
inline constexpr const char* kSpellingChangeToName = "changeTo";
inline constexpr const char* kSpellingSuggestionsName = "suggestions";
// The buttons' object names, in the order of SpellingAnswer (kIgnore to kExit).
inline constexpr const char* kSpellingButtonNames[] = {"ignore", "ignoreAll", "add",
                                                       "change", "changeAll", "exit"};

class SpellingDialog : public QDialog {
    Q_OBJECT

  public:
    // `request` is read now and, when a button is chosen, given the "Change to:" text back.
    SpellingDialog(QWidget* parent, app::SpellingRequest& request);

    // Moves the dialog beside `word` (global coordinates, the row of the selected word) on the
    // screen that holds it: below the word when there is room, else above it, never over it.
    void PlaceBeside(const QRect& word);

    // What was chosen; kClosed unless a button closed the dialog.
    app::SpellingAnswer answer() const { return answer_; }

  private:
    void Choose(app::SpellingAnswer answer);

    app::SpellingRequest& request_;
    QLineEdit* changeTo_ = nullptr;
    QListWidget* suggestions_ = nullptr;
    app::SpellingAnswer answer_ = app::SpellingAnswer::kClosed;
};

// Shows the dialog beside `word` and returns the answer.
app::SpellingAnswer AskSpelling(QWidget* parent, app::SpellingRequest& request, const QRect& word);

}  // namespace norv::qt
