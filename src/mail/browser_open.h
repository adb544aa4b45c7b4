// Showing a web address in the user's browser: each command of $BROWSER in turn (":"-separated,
// split into words as a shell splits them, without expansion; a word "%s" becomes the URL, else
// the URL is the last argument), then "xdg-open URL". Every program starts detached with an
// argument list, never a shell, and is reaped. The URL is one argument, byte for byte; one that
// begins with "-" is refused (EINVAL), so it never passes for an option.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace norv::mail {

inline constexpr std::string_view kBrowserMessage = "Web Browser is not available.(%d)";
inline constexpr std::string_view kDesktopOpener = "xdg-open";
// How long xdg-open is waited for, to report its failure.
inline constexpr int kOpenerWaitMs = 3000;

// The argument lists of the $BROWSER commands for the URL (malformed commands left out).
std::vector<std::vector<std::string>> BrowserCommands(std::string_view browserVariable,
                                                      std::string_view url);

// 0 when a program took the URL, else the errno of the last failed start or xdg-open's exit
// status.
int OpenInBrowser(std::string_view url, const char* browserVariable,
                  int openerWaitMs = kOpenerWaitMs);

std::string BrowserMessage(int code);

}  // namespace norv::mail
