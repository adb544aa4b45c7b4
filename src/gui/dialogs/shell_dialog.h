// The Shell dialog ("Ru&n..."): a command line with a drop-down history of earlier lines, each
// with its own options, and the boxes "&Minimized", "via &Command Shell" and "Get C&onsole
// Output" with the choice of "Output Screen" or "Caret Position".
#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "tools/shell/shell_command.h"

class QCheckBox;
class QComboBox;
class QRadioButton;

namespace norv::qt {

// A command line the dialog remembers for this run, with the options it ran with.
struct ShellHistoryEntry {
    QString line;
    tools::ShellOptions options;
};
inline constexpr size_t kShellHistoryEntries = 32;

class ShellDialog : public QDialog {
    Q_OBJECT

  public:
    // `options`: the boxes' start (ShellOption); the history: newest first.
    ShellDialog(QWidget* parent, const tools::ShellOptions& options,
                const std::vector<ShellHistoryEntry>& history);

    QString line() const;
    tools::ShellOptions options() const;

    QComboBox* lineField() const { return line_; }
    QCheckBox* minimized() const { return minimized_; }
    QCheckBox* commandShell() const { return shell_; }
    QCheckBox* capture() const { return capture_; }
    QRadioButton* toOutput() const { return toOutput_; }
    QRadioButton* toCaret() const { return toCaret_; }

  private:
    void Show(const tools::ShellOptions& options);

    const std::vector<ShellHistoryEntry>& history_;
    QComboBox* line_;
    QCheckBox* minimized_;
    QCheckBox* shell_;
    QCheckBox* capture_;
    QRadioButton* toOutput_;
    QRadioButton* toCaret_;
};

// Puts a confirmed line at the front of the history (once; at most kShellHistoryEntries).
void RememberShellLine(std::vector<ShellHistoryEntry>& history, const ShellHistoryEntry& entry);

}  // namespace norv::qt
