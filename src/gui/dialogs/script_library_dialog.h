// The script library ("Script Library"): a page selector, buttons "A" to "Z" showing each
// slot's comment (else its file name), and the modes Run, Register and Edit. In Run and Edit
// mode a letter (a click, or its key) closes the dialog with that slot chosen; empty slots
// have nothing to run and are disabled in Run mode. In Register mode a letter asks for the
// slot's script name (a browse button lists the scripts) and comment and writes it at once;
// the dialog stays open.
#pragma once

#include <QDialog>
#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/config/data_file.h"
#include "app/script_library.h"
#include "platform/ui.h"

class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace norv::qt {

// The script chooser: the names of the scripts, one to pick.
class ScriptChooserDialog : public QDialog {
    Q_OBJECT

  public:
    ScriptChooserDialog(QWidget* parent, const std::vector<std::string>& names, int codePage);
    // The name picked, once accepted (bytes of the code page).
    std::optional<std::string> chosen() const;
    QListWidget* list() const { return list_; }

  private:
    std::vector<std::string> names_;
    QListWidget* list_;
};

// A slot's script name and comment.
class RegisterScriptDialog : public QDialog {
    Q_OBJECT

  public:
    // `choices` lists the scripts the browse button offers; `save` writes the slot on OK
    // (false: it could not, and said why; the dialog stays open with what was typed). Texts
    // are the bytes of `codePage`; `ui` says what cannot be kept.
    RegisterScriptDialog(QWidget* parent, platform::UserInterface& ui, char letter,
                         const app::LibrarySlot& slot, int codePage,
                         std::function<std::vector<std::string>()> choices,
                         std::function<bool(const app::LibrarySlot&)> save);

    // The slot the fields make, once accepted.
    const app::LibrarySlot& slot() const { return slot_; }
    void accept() override;

    QLineEdit* scriptName() const { return file_; }
    QLineEdit* comment() const { return comment_; }
    QPushButton* browseButton() const { return browse_; }

  private:
    void Browse();

    platform::UserInterface& ui_;
    app::LibrarySlot slot_;
    int codePage_;
    std::function<std::vector<std::string>()> choices_;
    std::function<bool(const app::LibrarySlot&)> save_;
    QLineEdit* file_;
    QLineEdit* comment_;
    QPushButton* browse_;
};

class ScriptLibraryDialog : public QDialog {
    Q_OBJECT

  public:
    struct Calls {
        // Writes slot `index` of `page`; false when it could not be written (it said why).
        std::function<bool(int page, int index, const app::LibrarySlot& slot)> save;
        // The script chooser's names.
        std::function<std::vector<std::string>()> choices;
    };
    ScriptLibraryDialog(QWidget* parent, platform::UserInterface& ui, const app::DataFile& data,
                        int page, int codePage, Calls calls);

    // The page shown (0 to 9), the mode, and the slot chosen once accepted.
    int page() const;
    app::LibraryMode mode() const;
    std::optional<int> chosen() const { return chosen_; }
    const app::DataFile& data() const { return data_; }

    QComboBox* pageSelector() const { return page_; }
    QPushButton* button(int index) const { return buttons_[static_cast<size_t>(index)]; }
    QRadioButton* runMode() const { return run_; }
    QRadioButton* registerMode() const { return register_; }
    QRadioButton* editMode() const { return edit_; }

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void ShowPage();
    void Press(int index);

    platform::UserInterface& ui_;
    app::DataFile data_;
    int codePage_;
    Calls calls_;
    QComboBox* page_;
    std::array<QPushButton*, app::kLibrarySlotCount> buttons_{};
    QRadioButton* run_;
    QRadioButton* register_;
    QRadioButton* edit_;
    std::optional<int> chosen_;
};

}  // namespace norv::qt
