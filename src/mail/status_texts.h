// The library's own status texts: what GetErrorStatus reports when the reason for a failure is
// not a line of the server's (a time-out, a lost connection, a refused argument).
#pragma once

#include <cstddef>
#include <string_view>

namespace norv::mail {

enum class Status {
    kTimedOut,
    kConnectionClosed,
    kLineTooLong,
    kCannotConnect,
    kUnknownServer,
    kNoServer,
    kNotInitialized,
    kAlreadyInitialized,
    kNotAuthenticated,
    kNoSession,
    kSessionOpen,
    kNoLogin,
    kLineBreakInLogin,
    kLoginCancelled,
    kNoTo,
    kNoRecipient,
    kLineBreakInAddress,
    kNotListed,
    kMessageTooLong,
    kCannotWriteSettings,
    kNoStls,
    kNoStarttls,
    kAuthNeedsTls,
    kAuthFailed,
    kCount,
};

struct StatusEntry {
    Status id;
    std::string_view text;  // may hold one "%s": the server's name or reply
};

// In the order of Status.
inline constexpr StatusEntry kStatusTexts[] = {
    {Status::kTimedOut, "The server did not answer in time."},
    {Status::kConnectionClosed, "The server closed the connection."},
    {Status::kLineTooLong, "The server sent a line longer than 65536 bytes."},
    {Status::kCannotConnect, "Cannot connect to the server %s."},
    {Status::kUnknownServer, "Cannot find the server %s."},
    {Status::kNoServer, "No server is configured."},
    {Status::kNotInitialized, "The mail library is not initialized."},
    {Status::kAlreadyInitialized, "The mail library is already initialized."},
    {Status::kNotAuthenticated, "No user is logged in."},
    {Status::kNoSession, "No receive session is open."},
    {Status::kSessionOpen, "A receive session is already open."},
    {Status::kNoLogin, "No login name was given."},
    {Status::kLineBreakInLogin, "A login name or password holds a line break."},
    {Status::kLoginCancelled, "The login was cancelled."},
    {Status::kNoTo, "No To address was given."},
    {Status::kNoRecipient, "The message has no recipient."},
    {Status::kLineBreakInAddress, "An address holds a line break."},
    {Status::kNotListed, "The server does not list this message."},
    {Status::kMessageTooLong, "The message is longer than its listed size; it was cut."},
    {Status::kCannotWriteSettings, "Cannot write the settings file."},
    {Status::kNoStls, "TLS: the server does not offer STLS."},
    {Status::kNoStarttls, "TLS: the server does not offer STARTTLS."},
    {Status::kAuthNeedsTls, "TLS: logging in to the SMTP server needs TLS."},
    {Status::kAuthFailed, "Authentication failed: %s"},
};
static_assert(std::size(kStatusTexts) == static_cast<size_t>(Status::kCount));

constexpr std::string_view StatusText(Status s) {
    return kStatusTexts[static_cast<size_t>(s)].text;
}

}  // namespace norv::mail
