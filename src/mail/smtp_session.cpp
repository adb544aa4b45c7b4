// The SMTP dialogue over a Channel, and the message as it goes over the wire.
#include "mail/smtp_session.h"

#include "mail/base64.h"
#include "mail/capabilities.h"
#include "mail/mail_jis.h"
#include "mail/mime_header.h"
#include "mail/recipients.h"

namespace norv::mail {
namespace {

constexpr size_t kSendChunk = 16384;

bool ReadReply(Channel& channel, std::string& line, std::vector<std::string>* all);

bool Accepted(Channel& channel, std::string& line, char digit) {
    return ReadReply(channel, line, nullptr) && !line.empty() && line[0] == digit;
}

bool IsContinuation(std::string_view line) {
    return line.size() >= 4 && line[0] >= '0' && line[0] <= '9' && line[1] >= '0' &&
           line[1] <= '9' && line[2] >= '0' && line[2] <= '9' && line[3] == '-';
}

// Reads a whole reply; `line` gets its last line, `all` (when given) every line.
bool ReadReply(Channel& channel, std::string& line, std::vector<std::string>* all = nullptr) {
    for (size_t k = 0; k < kMaxReplyLines; ++k) {
        if (!channel.ReadLine(line)) return false;
        if (all) all->push_back(line);
        if (!IsContinuation(line)) return true;
    }
    return true;
}

bool Ehlo(Channel& channel, std::string_view hello, std::string& line, EhloOffer* offer) {
    std::vector<std::string> lines;
    if (!channel.SendCommand("EHLO " + std::string(hello)) || !ReadReply(channel, line, &lines))
        return false;
    if (line.empty() || line[0] != '2') return false;
    *offer = ParseEhloReply(lines);
    return true;
}

// The TLS and log-in steps before MAIL FROM.
bool SecureAndLogIn(Channel& channel, StatusLog& log, const ServerAddress& server,
                    std::string_view hello, const SmtpLogin& login, std::string& line) {
    EhloOffer offer;
    if (!Ehlo(channel, hello, line, &offer)) return false;
    if (login.security == '1') {
        if (!offer.startTls) {
            log.Reason(StatusText(Status::kNoStarttls));
            return false;
        }
        if (!channel.SendCommand("STARTTLS") || !Accepted(channel, line, '2')) return false;
        if (!channel.StartTls(server.host) || !Ehlo(channel, hello, line, &offer)) return false;
    }
    if (!channel.Encrypted()) {
        log.Reason(StatusText(login.security == '1' ? Status::kNoStarttls : Status::kAuthNeedsTls));
        return false;
    }
    if (!login.auth) return true;
    bool ok;
    if (offer.authLogin && !offer.authPlain) {
        ok = channel.SendCommand("AUTH LOGIN") && Accepted(channel, line, '3') &&
             channel.SendCommand(EncodeBase64(login.user), "****") &&
             Accepted(channel, line, '3') &&
             channel.SendCommand(EncodeBase64(login.password), "****") &&
             Accepted(channel, line, '2');
    } else {
        std::string plain;
        plain.push_back('\0');
        plain += login.user;
        plain.push_back('\0');
        plain += login.password;
        ok = channel.SendCommand("AUTH PLAIN " + EncodeBase64(plain), "AUTH PLAIN ****") &&
             Accepted(channel, line, '2');
    }
    if (!ok && !line.empty() && (line[0] >= '3' && line[0] <= '5'))
        log.Reason(StatusWithName(Status::kAuthFailed, line));
    return ok;
}

bool HasHighByte(std::string_view s) {
    for (const char c : s)
        if (static_cast<unsigned char>(c) >= 0x80) return true;
    return false;
}

// A subject's CR and LF become blanks, so it stays one header line.
std::string OneLine(std::string_view s) {
    std::string t(s);
    for (char& c : t)
        if (c == '\r' || c == '\n') c = ' ';
    return t;
}

void AppendHeader(std::string& out, std::string_view name, std::string_view value, int codePage) {
    if (value.empty()) return;
    std::string line(name);
    line.append(value);
    AppendEncodedHeader(out, line, codePage);
    out.append("\r\n");
}

}  // namespace

bool CheckOutgoingMail(const OutgoingMail& mail, Status* why) {
    for (const std::string_view a : {mail.from, mail.to, mail.cc, mail.bcc}) {
        if (HoldsLineBreak(a)) {
            *why = Status::kLineBreakInAddress;
            return false;
        }
    }
    if (RecipientList(mail.to, mail.cc, mail.bcc).empty()) {
        *why = Status::kNoRecipient;
        return false;
    }
    return true;
}

std::string FormatMessage(const OutgoingMail& mail, int codePage) {
    std::string out;
    out.reserve(mail.body.size() * 2 + 512);
    AppendHeader(out, "From: ", mail.from, codePage);
    AppendHeader(out, "To: ", mail.to, codePage);
    AppendHeader(out, "Cc: ", mail.cc, codePage);
    AppendHeader(out, "Subject: ", OneLine(mail.subject), codePage);
    out.append(kMailerLine);
    out.append("\r\n");
    if (codePage == 932 && HasHighByte(mail.body))
        out.append("Content-Type: text/plain; charset=ISO-2022-JP\r\n");
    else
        out.append("Content-Type: text/plain\r\n");
    out.append("\r\n");
    const std::string_view body = mail.body;
    size_t i = 0;
    while (i < body.size()) {
        size_t end = body.find_first_of("\r\n", i);
        if (end == std::string_view::npos) end = body.size();
        const std::string_view line = body.substr(i, end - i);
        if (!line.empty() && line[0] == '.') out.push_back('.');
        AppendSjisAsIso2022Jp(out, line, codePage);
        out.append("\r\n");
        // A line end ends the line; only text after it starts another one.
        if (end < body.size())
            end += (body[end] == '\r' && end + 1 < body.size() && body[end + 1] == '\n') ? 2 : 1;
        i = end;
    }
    return out;
}

bool SendOutgoingMail(Channel& channel, StatusLog& log, const ServerAddress& server,
                      std::string_view hello, const OutgoingMail& mail, int codePage,
                      const SmtpLogin& login) {
    std::string line;
    if (!channel.Open(server)) return false;
    if (!ReadReply(channel, line)) {
        channel.Close();
        return false;
    }
    bool sent = false;
    [&] {
        if (login.security == '0' && !login.auth) {
            if (!channel.SendCommand("HELO " + std::string(hello)) || !ReadReply(channel, line))
                return;
        } else if (!SecureAndLogIn(channel, log, server, hello, login, line)) {
            return;
        }
        if (!channel.SendCommand("MAIL FROM: " + std::string(CommandAddress(mail.from))) ||
            !Accepted(channel, line, '2'))
            return;
        for (const std::string& r : RecipientList(mail.to, mail.cc, mail.bcc)) {
            if (!channel.SendCommand("RCPT TO: " + std::string(CommandAddress(r))) ||
                !Accepted(channel, line, '2'))
                return;
        }
        if (!channel.SendCommand("DATA") || !ReadReply(channel, line)) return;
        // Some servers answer DATA with a 2xx line first; the 354 must follow.
        size_t extra = 0;
        while (!line.empty() && line[0] == '2' && extra++ < kMaxReplyLines) {
            if (!ReadReply(channel, line)) return;
        }
        if (line.empty() || line[0] != '3') return;
        // The message and its final "." go out in large writes; only "." is shown.
        std::string message = FormatMessage(mail, codePage);
        message.append(".\r\n");
        for (size_t at = 0; at < message.size(); at += kSendChunk) {
            if (!channel.SendRaw(std::string_view(message).substr(at, kSendChunk))) return;
        }
        channel.ShowSent(".");
        if (!Accepted(channel, line, '2')) return;
        sent = true;
    }();
    if (sent) {
        if (channel.SendCommand("QUIT")) ReadReply(channel, line);
    } else {
        HeldStatus held(log);
        if (channel.IsOpen() && channel.SendCommand("QUIT")) ReadReply(channel, line);
    }
    channel.Close();
    return sent;
}

}  // namespace norv::mail
