// The core's user interface on screen: message boxes with the program's title and the
// Windows-numbered styles and results, the status bar's message text, beeps and the wait cursor.
#pragma once

#include <QPointer>
#include <QWidget>

#include "platform/ui.h"

class QLabel;

namespace norv::qt {

class QtUserInterface : public platform::UserInterface {
  public:
    // `parent` owns the message boxes; `status` shows the message text (either may be null).
    QtUserInterface(QWidget* parent, QLabel* status) : parent_(parent), status_(status) {}

    int MessageBox(std::string_view text, unsigned style) override;
    // The caption is the box's title; an empty one is the program's name.
    int CaptionedMessageBox(std::string_view text, std::string_view caption,
                            unsigned style) override;
    void SetStatusText(std::string_view text) override;
    void Beep() override;
    void BeginWaitCursor() override;
    void EndWaitCursor() override;

    // The status bar's text when no message is shown.
    static constexpr const char* kIdleText = "Ready";

  private:
    QPointer<QWidget> parent_;
    QPointer<QLabel> status_;
    int waitDepth_ = 0;
};

}  // namespace norv::qt
