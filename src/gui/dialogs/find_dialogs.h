// The Find, Replace and "Replace?" dialogs.
//
// The search and replacement fields hold text of the system code page, as the histories and the
// settings do. A character that code page lacks is put into the string as "\xHH" escape
// sequences of its bytes in the active document's encoding (UTF-8 when that cannot hold it
// either), so that text of a UTF-8 document can still be searched for.
#pragma once

#include <QDialog>
#include <string>
#include <string_view>

#include "search/find_commands.h"

class QCheckBox;
class QComboBox;
class QRadioButton;

namespace norv::qt {

// A field's bytes (system code page) as shown.
QString FieldToQString(std::string_view bytes, int systemCodePage);
// What the user typed as a field's bytes, at most search::kFieldLimit bytes (a character or its
// escape sequences are never cut).
std::string FieldFromQString(const QString& text, int systemCodePage, int documentCodePage);

// An editable field offering a history (most recent first), holding `current`, selected.
QComboBox* HistoryField(QWidget* parent, const search::FindHistory* history,
                        std::string_view current, int systemCodePage);

// The check boxes shared by the Find and Replace dialogs.
class FindOptionBoxes {
  public:
    // `replace` chooses the Replace dialog's texts.
    FindOptionBoxes(QWidget* parent, bool replace);
    void Show(const search::FindOptions& options);
    // The options with the boxes' states; the direction and E are kept from `base`.
    search::FindOptions Read(search::FindOptions base) const;
    QWidget* widget() const { return box_; }

  private:
    QWidget* box_;
    struct Item {
        QCheckBox* box;
        bool search::FindOptions::*field;
    };
    std::vector<Item> items_;
};

// The Find dialog ("Find"): the string with its history, the options, the direction, "Mark
// A&ll" and "&Save Options".
class FindDialog : public QDialog {
    Q_OBJECT

  public:
    FindDialog(QWidget* parent, search::FindDialogRequest& request, int systemCodePage,
               int documentCodePage);
    // Fills the request from the controls (after accept()).
    void Store();

    QComboBox* field() const { return field_; }

  private:
    search::FindDialogRequest& request_;
    int systemCodePage_;
    int documentCodePage_;
    QComboBox* field_;
    FindOptionBoxes boxes_;
    QRadioButton* up_;
    QRadioButton* down_;
    QCheckBox* save_;
    bool markAll_ = false;
};

// The Replace dialog ("Replace"): the string and the replacement with their histories, the
// options and "Save &Options"; "Replace" asks about every match, "Replace &All" does not.
class ReplaceDialog : public QDialog {
    Q_OBJECT

  public:
    ReplaceDialog(QWidget* parent, search::ReplaceDialogRequest& request, int systemCodePage,
                  int documentCodePage);
    void Store();

    QComboBox* field() const { return field_; }
    QComboBox* replacementField() const { return replacement_; }

  private:
    search::ReplaceDialogRequest& request_;
    int systemCodePage_;
    int documentCodePage_;
    QComboBox* field_;
    QComboBox* replacement_;
    FindOptionBoxes boxes_;
    QCheckBox* save_;
    bool all_ = false;
};

// The "Replace?" question: "&Yes" ("&Yes" with Shift held: this and all further matches),
// "Replace &All", "&No", "Cancel" (also Escape and closing the box).
class ReplaceAssureDialog : public QDialog {
    Q_OBJECT

  public:
    explicit ReplaceAssureDialog(QWidget* parent);
    search::ReplaceAnswer Ask();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    search::ReplaceAnswer answer_ = search::ReplaceAnswer::kCancel;
    bool shiftSeen_ = false;
};

// The dialogs run modally over `parent`; false when cancelled.
bool RunFindDialog(QWidget* parent, search::FindDialogRequest& request, int systemCodePage,
                   int documentCodePage);
bool RunReplaceDialog(QWidget* parent, search::ReplaceDialogRequest& request, int systemCodePage,
                      int documentCodePage);

}  // namespace norv::qt
