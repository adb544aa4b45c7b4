// How the core asks and tells the user things: message boxes with fixed texts, status-bar
// texts, beeps and the wait cursor. Dialogs are plain request structs declared by the
// subsystem that needs them and answered through a front end. The Qt front end implements this
// with real windows; `HeadlessUi` answers from a queue (tests) or takes default buttons
// (`--headless` runs).
#pragma once

#include <string>
#include <string_view>

namespace norv::platform {

// Message-box styles and results keep the numbers that scripts see.
namespace mb {
inline constexpr unsigned kOk = 0;
inline constexpr unsigned kOkCancel = 1;
inline constexpr unsigned kAbortRetryIgnore = 2;
inline constexpr unsigned kYesNoCancel = 3;
inline constexpr unsigned kYesNo = 4;
inline constexpr unsigned kRetryCancel = 5;
inline constexpr unsigned kButtonMask = 0x0F;
inline constexpr unsigned kIconError = 0x10;
inline constexpr unsigned kIconQuestion = 0x20;
inline constexpr unsigned kIconWarning = 0x30;
inline constexpr unsigned kIconInformation = 0x40;
inline constexpr unsigned kDefaultButton2 = 0x100;
inline constexpr unsigned kDefaultButton3 = 0x200;
}  // namespace mb

enum DialogResult : int {
    kIdOk = 1,
    kIdCancel = 2,
    kIdAbort = 3,
    kIdRetry = 4,
    kIdIgnore = 5,
    kIdYes = 6,
    kIdNo = 7,
};

// The button a message box of this style answers when nobody chooses.
int DefaultButtonOf(unsigned style);

class UserInterface {
  public:
    virtual ~UserInterface() = default;
    // Shows `text` (UTF-8) and returns the button chosen (kIdOk...).
    virtual int MessageBox(std::string_view text, unsigned style) = 0;
    // The same with a caption of its own (scripts' boxes); front ends without captions show
    // the text alone.
    virtual int CaptionedMessageBox(std::string_view text, std::string_view caption,
                                    unsigned style) {
        (void)caption;
        return MessageBox(text, style);
    }
    // Sets the status bar's text; an empty text restores the idle text.
    virtual void SetStatusText(std::string_view text) = 0;
    virtual void Beep() = 0;
    virtual void BeginWaitCursor() {}
    virtual void EndWaitCursor() {}

    // A refusal: the beep, and its reason in the status bar, since many desktops mute the bell.
    // The reason stays until the next key press clears it (`ClearRefusal`).
    void Refuse(std::string_view reason) {
        Beep();
        SetStatusText(reason);
        refusalShown_ = true;
    }
    // Called for every key press: the reason of the last refusal goes (with whatever text took
    // its place since). Without a refusal the status text stays as it is.
    void ClearRefusal() {
        if (!refusalShown_) return;
        refusalShown_ = false;
        SetStatusText({});
    }
    bool refusalShown() const { return refusalShown_; }

  private:
    bool refusalShown_ = false;
};

}  // namespace norv::platform
