// The library's windows in a build without the Qt front end: there are none.
#include "mail/qt_mail_windows.h"

namespace norv::mail {

bool HostHasWindows() {
    return false;
}

std::unique_ptr<MailWindows> MakeHostWindows() {
    return std::make_unique<NoWindows>();
}

}  // namespace norv::mail
