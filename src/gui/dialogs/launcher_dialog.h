// The launcher ("External Program Menu"): buttons "A" to "Z" with the titles of the registered
// programs, and "Register Program", which edits them. A letter key, or a click, chooses an
// enabled button; entries without a command line are disabled.
//
// Register Program shows one entry at a time, chosen with "&Button:"; switching letters keeps
// what was typed for the others, and OK hands all 26 to the caller's `save`. A failed save (or
// a text the data file's code page cannot hold) keeps the dialog open with everything typed.
#pragma once

#include <QDialog>
#include <array>
#include <functional>
#include <optional>

#include "app/launcher.h"
#include "platform/ui.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace norv::qt {

class RegisterProgramDialog : public QDialog {
    Q_OBJECT

  public:
    // `save` writes the entries; false when they could not be written (it said why). Texts
    // are the bytes of `codePage`; `ui` says what cannot be kept.
    RegisterProgramDialog(QWidget* parent, platform::UserInterface& ui,
                          const app::ShellEntries& entries, int start, int codePage,
                          std::function<bool(const app::ShellEntries&)> save);

    const app::ShellEntries& entries() const { return entries_; }
    void accept() override;

    QComboBox* buttonField() const { return button_; }
    QLineEdit* commandLine() const { return line_; }
    QLineEdit* startIn() const { return folder_; }
    QLineEdit* comment() const { return comment_; }
    QCheckBox* minimized() const { return minimized_; }
    QCheckBox* commandShell() const { return shell_; }
    QCheckBox* capture() const { return capture_; }
    QRadioButton* toOutput() const { return toOutput_; }
    QRadioButton* toCaret() const { return toCaret_; }
    QCheckBox* saveCurrent() const { return saveCurrent_; }
    QCheckBox* saveAll() const { return saveAll_; }

  private:
    // The fields into entry `current_`; false (after saying so) when a text cannot be kept.
    bool Keep();
    void Show(int index);

    platform::UserInterface& ui_;
    app::ShellEntries entries_;
    int codePage_;
    std::function<bool(const app::ShellEntries&)> save_;
    int current_ = 0;
    QComboBox* button_;
    QLineEdit* line_;
    QLineEdit* folder_;
    QLineEdit* comment_;
    QCheckBox* minimized_;
    QCheckBox* shell_;
    QCheckBox* capture_;
    QRadioButton* toOutput_;
    QRadioButton* toCaret_;
    QCheckBox* saveCurrent_;
    QCheckBox* saveAll_;
};

class LauncherDialog : public QDialog {
    Q_OBJECT

  public:
    LauncherDialog(QWidget* parent, platform::UserInterface& ui, const app::ShellEntries& entries,
                   int codePage, std::function<bool(const app::ShellEntries&)> save);

    // The entry to run (0 for "A"), once the dialog was accepted.
    std::optional<int> chosen() const { return chosen_; }
    const app::ShellEntries& entries() const { return entries_; }

    QPushButton* button(int index) const { return buttons_[static_cast<size_t>(index)]; }
    QPushButton* registerButton() const { return register_; }

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void Choose(int index);
    void ShowEntries();
    void RegisterPrograms();

    platform::UserInterface& ui_;
    app::ShellEntries entries_;
    int codePage_;
    std::function<bool(const app::ShellEntries&)> save_;
    std::array<QPushButton*, app::kShellEntryCount> buttons_{};
    QPushButton* register_;
    std::optional<int> chosen_;
};

}  // namespace norv::qt
