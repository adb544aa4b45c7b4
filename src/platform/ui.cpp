// Shared pieces of the user-interface interface.
#include "platform/ui.h"

namespace norv::platform {

int DefaultButtonOf(unsigned style) {
    unsigned buttons = style & mb::kButtonMask;
    int first, second, third;
    switch (buttons) {
        case mb::kOkCancel:
            first = kIdOk;
            second = kIdCancel;
            third = kIdCancel;
            break;
        case mb::kAbortRetryIgnore:
            first = kIdAbort;
            second = kIdRetry;
            third = kIdIgnore;
            break;
        case mb::kYesNoCancel:
            first = kIdYes;
            second = kIdNo;
            third = kIdCancel;
            break;
        case mb::kYesNo:
            first = kIdYes;
            second = kIdNo;
            third = kIdNo;
            break;
        case mb::kRetryCancel:
            first = kIdRetry;
            second = kIdCancel;
            third = kIdCancel;
            break;
        default:
            return kIdOk;
    }
    if (style & mb::kDefaultButton3) return third;
    if (style & mb::kDefaultButton2) return second;
    return first;
}

}  // namespace norv::platform
