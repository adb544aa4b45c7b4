// The SMTP dialogue of one message: greeting, HELO, MAIL FROM, one RCPT TO per recipient,
// DATA, the encoded header block and body, ".", and QUIT in every case once connected.
//
// A reply is accepted when its first character is the expected digit; a multi-line reply
// ("250-...") is read to its last line, so the dialogue never falls out of step. The header
// block holds From, To, Cc and Subject (each when not empty) as encoded words, the mailer line
// and the Content-Type; Bcc addresses go into RCPT TO only. Body lines are split at CR LF, CR
// or LF, dot-stuffed and converted to ISO-2022-JP.
#pragma once

#include <string>
#include <string_view>

#include "mail/channel.h"

namespace norv::mail {

struct OutgoingMail {
    std::string_view from, to, cc, bcc, subject, body;
};

inline constexpr std::string_view kMailerLine = "X-Mailer: Norv-Mail v1.00";
inline constexpr size_t kMaxReplyLines = 1000;

// Checks the message before anything is sent: no recipient, or an address holding a line
// break, fails with the status text returned in *why.
bool CheckOutgoingMail(const OutgoingMail& mail, Status* why);

// TLS and log-in of the SMTP connection, beyond the designed dialogue. With none of them asked
// for, the dialogue is the designed one byte for byte (HELO); otherwise EHLO, STARTTLS when
// `security` is '1' (the transport encrypts from the first byte for '2'), then AUTH PLAIN, or
// AUTH LOGIN when the server offers only that.
struct SmtpLogin {
    char security = '0';
    bool auth = false;
    std::string user, password;
};

// Sends one message; `hello` is the argument of HELO (the server's name without its port).
bool SendOutgoingMail(Channel& channel, StatusLog& log, const ServerAddress& server,
                      std::string_view hello, const OutgoingMail& mail, int codePage,
                      const SmtpLogin& login = {});

// The header block and body as sent after DATA (up to, not including, the final ".").
std::string FormatMessage(const OutgoingMail& mail, int codePage);

}  // namespace norv::mail
