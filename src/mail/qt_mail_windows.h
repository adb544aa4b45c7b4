// The library's windows in Qt Widgets, on the host's QApplication.
//
// Every call first looks at the host: without a QApplication (a command-line host) or in the
// editor's headless run (its application object carries the property "norvHeadless") the
// library has no windows: nothing is shown and the dialogs count as cancelled.
#pragma once

#include <memory>

#include "mail/mail_windows.h"

namespace norv::mail {

// The object names of the windows and their fields, for the tests that drive them.
inline constexpr const char* kStatusWindowName = "norvinetServerStatus";
inline constexpr const char* kLoginDialogName = "norvinetLogin";
inline constexpr const char* kConfigurationDialogName = "norvinetConfiguration";

std::unique_ptr<MailWindows> MakeHostWindows();

// True when the host can show windows.
bool HostHasWindows();

}  // namespace norv::mail
