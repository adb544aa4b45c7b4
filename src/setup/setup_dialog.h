// The install dialog: the designed text, the target field with "Browse...", OK and Cancel, and
// the progress bar that takes the field's place while installing.
#pragma once

#include <QDialog>
#include <functional>
#include <string>

#include "setup/setup_session.h"

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace norv::setup {

class SetupDialog : public QDialog, public InstallProgress {
    Q_OBJECT
  public:
    // `install` runs the install for a target; it returns false when the dialog must stay open
    // (the target could not be made).
    SetupDialog(Language language, const std::string& target,
                std::function<bool(const std::string&)> install, QWidget* parent = nullptr);

    QLineEdit* targetField() const { return field_; }
    QPushButton* browseButton() const { return browse_; }
    QPushButton* okButton() const { return ok_; }
    QPushButton* cancelButton() const { return cancel_; }
    QProgressBar* progressBar() const { return bar_; }
    QLabel* introLabel() const { return intro_; }

    void Begin(int steps) override;
    void Advance() override;
    void HideWindow() override;

  public slots:
    void accept() override;
    // Opens the folder chooser on the current target.
    void browse();

  private:
    Language language_;
    std::function<bool(const std::string&)> install_;
    QLabel* intro_;
    QLineEdit* field_;
    QPushButton* browse_;
    QPushButton* ok_;
    QPushButton* cancel_;
    QProgressBar* bar_;
};

// Message boxes with the texts and buttons of the user's language.
class QtSetupUi final : public platform::UserInterface {
  public:
    explicit QtSetupUi(Language language) : language_(language) {}
    int MessageBox(std::string_view text, unsigned style) override;
    void SetStatusText(std::string_view) override {}
    void Beep() override {}

  private:
    Language language_;
};

}  // namespace norv::setup
