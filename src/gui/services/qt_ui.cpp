// Message boxes: the style's low four bits choose the buttons, 0x10-0x40 the icon, 0x100 and
// 0x200 the default button; the result is the Windows number of the button pressed. Closing the
// box without a button answers Cancel where there is one, else the only button.
#include "gui/services/qt_ui.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <vector>

#include "gui/editor/text_bridge.h"

namespace norv::qt {
namespace {

struct ButtonSpec {
    const char* label;
    int result;
    QMessageBox::ButtonRole role;
};

std::vector<ButtonSpec> ButtonsOf(unsigned style) {
    using R = QMessageBox::ButtonRole;
    switch (style & platform::mb::kButtonMask) {
        case platform::mb::kOkCancel:
            return {{"OK", platform::kIdOk, R::AcceptRole},
                    {"Cancel", platform::kIdCancel, R::RejectRole}};
        case platform::mb::kAbortRetryIgnore:
            return {{"&Abort", platform::kIdAbort, R::RejectRole},
                    {"&Retry", platform::kIdRetry, R::AcceptRole},
                    {"&Ignore", platform::kIdIgnore, R::AcceptRole}};
        case platform::mb::kYesNoCancel:
            return {{"&Yes", platform::kIdYes, R::YesRole},
                    {"&No", platform::kIdNo, R::NoRole},
                    {"Cancel", platform::kIdCancel, R::RejectRole}};
        case platform::mb::kYesNo:
            return {{"&Yes", platform::kIdYes, R::YesRole}, {"&No", platform::kIdNo, R::NoRole}};
        case platform::mb::kRetryCancel:
            return {{"&Retry", platform::kIdRetry, R::AcceptRole},
                    {"Cancel", platform::kIdCancel, R::RejectRole}};
        default:
            return {{"OK", platform::kIdOk, R::AcceptRole}};
    }
}

QMessageBox::Icon IconOf(unsigned style) {
    switch (style & 0xF0) {
        case platform::mb::kIconError:
            return QMessageBox::Critical;
        case platform::mb::kIconQuestion:
            return QMessageBox::Question;
        case platform::mb::kIconWarning:
            return QMessageBox::Warning;
        case platform::mb::kIconInformation:
            return QMessageBox::Information;
        default:
            return QMessageBox::NoIcon;
    }
}

}  // namespace

int QtUserInterface::MessageBox(std::string_view text, unsigned style) {
    return CaptionedMessageBox(text, {}, style);
}

int QtUserInterface::CaptionedMessageBox(std::string_view text, std::string_view caption,
                                         unsigned style) {
    const QString title =
        caption.empty() ? QApplication::applicationDisplayName() : FromUtf8(caption);
    QMessageBox box(IconOf(style), title, FromUtf8(text), QMessageBox::NoButton, parent_.data());
    std::vector<ButtonSpec> specs = ButtonsOf(style);
    std::vector<QPushButton*> buttons;
    for (const ButtonSpec& s : specs) buttons.push_back(box.addButton(s.label, s.role));
    size_t def = (style & platform::mb::kDefaultButton3)   ? 2
                 : (style & platform::mb::kDefaultButton2) ? 1
                                                           : 0;
    if (def >= buttons.size()) def = 0;
    box.setDefaultButton(buttons[def]);
    // Escape and the close box answer Cancel (or the single button of an OK box).
    size_t escape = specs.size() - 1;
    for (size_t i = 0; i < specs.size(); ++i)
        if (specs[i].result == platform::kIdCancel) escape = i;
    box.setEscapeButton(buttons[escape]);
    if (waitDepth_ > 0) QApplication::setOverrideCursor(Qt::ArrowCursor);
    box.exec();
    if (waitDepth_ > 0) QApplication::restoreOverrideCursor();
    for (size_t i = 0; i < buttons.size(); ++i)
        if (box.clickedButton() == buttons[i]) return specs[i].result;
    return specs[escape].result;
}

void QtUserInterface::SetStatusText(std::string_view text) {
    if (!status_) return;
    status_->setText(text.empty() ? QString::fromLatin1(kIdleText) : FromUtf8(text));
}

void QtUserInterface::Beep() {
    QApplication::beep();
}

void QtUserInterface::BeginWaitCursor() {
    if (waitDepth_++ == 0) QApplication::setOverrideCursor(Qt::WaitCursor);
}

void QtUserInterface::EndWaitCursor() {
    if (waitDepth_ > 0 && --waitDepth_ == 0) QApplication::restoreOverrideCursor();
}

}  // namespace norv::qt
