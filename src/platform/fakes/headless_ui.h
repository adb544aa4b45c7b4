// A user interface without windows: for tests (answers queued in advance, everything shown is
// recorded) and for `--headless` runs (texts go to standard error, message boxes take their
// default button).
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "platform/ui.h"

namespace norv::platform {

class HeadlessUi : public UserInterface {
  public:
    // With `echo`, message texts are printed to standard error.
    explicit HeadlessUi(bool echo = false) : echo_(echo) {}

    int MessageBox(std::string_view text, unsigned style) override;
    // The text is recorded in `messages` and the caption beside it in `captions`; printed as
    // "caption: text" with echo.
    int CaptionedMessageBox(std::string_view text, std::string_view caption,
                            unsigned style) override;
    void SetStatusText(std::string_view text) override;
    void Beep() override { ++beeps; }

    // The answer of the next message box (queued answers are taken in order; when none is
    // queued the default button is taken).
    void QueueAnswer(int result) { answers_.push_back(result); }

    std::vector<std::string> messages;  // every message-box text, in order
    std::vector<std::string> captions;  // the caption of each ("" for boxes without one)
    std::vector<unsigned> styles;       // the style of each
    std::vector<std::string> statusTexts;
    int beeps = 0;

  private:
    bool echo_;
    std::deque<int> answers_;
};

}  // namespace norv::platform
