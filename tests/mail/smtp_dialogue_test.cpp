// The SMTP dialogue against replayed servers.
#include "mail/base64.h"
#include "mail_test_support.h"

namespace norv::mail {
namespace {

using testing::Pop3Login;
using testing::ReplayedLibrary;

void Authenticated(ReplayedLibrary& r, const char* smtp = "127.0.0.2:2525") {
    r.files.files["/mail.ini"] = "[Mail]\nPass=" + ScramblePassword("pw") + "\n";
    char b[256], f[2];
    r.library->GetConfiguration("/mail.ini", b, b, b, b, b, f);
    // The address is never connected to: the replay answers for it.
    ASSERT_EQ(r.library->Initialize("127.0.0.1", smtp, 1), 1) << r.library->GetErrorStatus();
    r.Serve(Pop3Login() + "+OK bye\r\n");
    ASSERT_EQ(r.library->Authenticate("taro"), 1);
}

TEST(SmtpDialogue, OneMessageToEveryRecipient) {
    ReplayedLibrary r;
    Authenticated(r, "127.0.0.1:2525");
    r.Serve(
        "220-smtp.example ESMTP\r\n220 ready\r\n250 hello\r\n250 ok\r\n250 ok\r\n250 ok\r\n250 "
        "ok\r\n250 ok\r\n"
        "354 go\r\n250-queued\r\n250 as 1\r\n221 bye\r\n");
    const std::string subject = "Re: \x93\xFA\x96\x7B";
    EXPECT_EQ(r.library->SendMail("Taro <taro@x.jp>", "a@x.jp, b@x.jp (Bob)", "c@x.jp", "d@x.jp",
                                  subject.c_str(), "hello\r\n.\r\n"),
              1);
    EXPECT_EQ(r.Sent(1),
              "HELO 127.0.0.1\r\nMAIL FROM: <taro@x.jp>\r\nRCPT TO: a@x.jp\r\nRCPT TO:  b@x.jp \r\n"
              "RCPT TO: c@x.jp\r\nRCPT TO: d@x.jp\r\nDATA\r\n"
              "From: Taro <taro@x.jp>\r\nTo: a@x.jp, b@x.jp (Bob)\r\nCc: c@x.jp\r\nSubject: Re: "
              "=?ISO-2022-JP?B?" +
                  EncodeBase64("\x1B$@\x46\x7CK\\\x1B(J") +
                  "?=\r\nX-Mailer: Norv-Mail v1.00\r\nContent-Type: "
                  "text/plain\r\n\r\nhello\r\n..\r\n.\r\n"
                  "QUIT\r\n");
    EXPECT_FALSE(r.windows->shown) << "the status window is hidden after a send";
    EXPECT_EQ(r.windows->shows, 1);
    for (const auto& l : r.windows->lines) EXPECT_NE(l, "hello") << "no body lines in the window";
}

TEST(SmtpDialogue, RefusalsEndTheTransactionWithQuit) {
    static const struct {
        std::string server;
        std::string sentTail;  // what the client sent from MAIL FROM on
        const char* status;
        const char* why;
    } kCases[] = {
        {"220 hi\r\n250 hi\r\n550 no sender\r\n221 bye\r\n", "MAIL FROM: me@x.jp\r\nQUIT\r\n",
         "550 no sender", "refused MAIL FROM"},
        {"220 hi\r\n250 hi\r\n250 ok\r\n550 5.1.1 no such user\r\n221 bye\r\n",
         "MAIL FROM: me@x.jp\r\nRCPT TO: a@x.jp\r\nQUIT\r\n", "550 5.1.1 no such user",
         "refused RCPT"},
        {"220 hi\r\n250 hi\r\n250 ok\r\n250 ok\r\n554 no data\r\n221 bye\r\n",
         "MAIL FROM: me@x.jp\r\nRCPT TO: a@x.jp\r\nDATA\r\nQUIT\r\n", "554 no data",
         "refused DATA"},
        {"220 hi\r\n250 hi\r\n250 ok\r\n250 ok\r\n250 wait\r\n250 wait more\r\n451 no\r\n221 "
         "bye\r\n",
         "MAIL FROM: me@x.jp\r\nRCPT TO: a@x.jp\r\nDATA\r\nQUIT\r\n", "451 no",
         "2xx lines, then no 354"},
        {"220 hi\r\n250 hi\r\n250 ok\r\n250 ok\r\n354 go\r\n", "",
         "The server closed the connection.", "dropped after DATA"},
        {"220 hi\r\n250 hi\r\n250 ok\r\n250 ok\r\n354 go\r\n552 too big\r\n221 bye\r\n", "",
         "552 too big", "refused message"},
    };
    for (const auto& c : kCases) {
        ReplayedLibrary r;
        Authenticated(r);
        r.Serve(c.server);
        EXPECT_EQ(r.library->SendMail("me@x.jp", "a@x.jp", nullptr, nullptr, "s", "body"), 0)
            << c.why;
        EXPECT_STREQ(r.library->GetErrorStatus(), c.status) << c.why;
        const std::string sent = r.Sent(1);
        if (!c.sentTail.empty()) EXPECT_EQ(sent.substr(sent.find("MAIL")), c.sentTail) << c.why;
        EXPECT_FALSE(r.windows->shown) << c.why;
    }
}

TEST(SmtpDialogue, TwoXxBeforeThe354AreRead) {
    ReplayedLibrary r;
    Authenticated(r);
    r.Serve(
        "220 hi\r\n250 hi\r\n250 ok\r\n250 ok\r\n250 first\r\n250-second\r\n250 third\r\n354 go\r\n"
        "250 queued\r\n221 bye\r\n");
    EXPECT_EQ(r.library->SendMail("me@x.jp", "a@x.jp", "", "", nullptr, "b"), 1);
    EXPECT_NE(r.Sent(1).find("Subject: Non-Title\r\n"), std::string::npos) << "a null subject";
}

TEST(SmtpDialogue, NothingIsSentForABadMessage) {
    ReplayedLibrary r;
    Authenticated(r);
    EXPECT_EQ(r.library->SendMail("me@x.jp", nullptr, "c@x.jp", "", "s", "b"), 0);
    EXPECT_STREQ(r.library->GetErrorStatus(), "No To address was given.");
    EXPECT_EQ(r.library->SendMail("me@x.jp", " , ", "(none)", "", "s", "b"), 0);
    EXPECT_STREQ(r.library->GetErrorStatus(), "The message has no recipient.");
    EXPECT_EQ(r.library->SendMail("me@x.jp", "a@x.jp\r\nRCPT TO: <x@evil>", "", "", "s", "b"), 0);
    EXPECT_STREQ(r.library->GetErrorStatus(), "An address holds a line break.");
    EXPECT_EQ(r.script->connections, 1u) << "only the log-in connected";
}

TEST(SmtpDialogue, NoGreetingOrNoServer) {
    ReplayedLibrary r;
    Authenticated(r);
    r.Serve("");
    EXPECT_EQ(r.library->SendMail("me@x.jp", "a@x.jp", "", "", "s", "b"), 0);
    EXPECT_STREQ(r.library->GetErrorStatus(), "The server closed the connection.");
    EXPECT_FALSE(r.windows->shown);
    r.script->servers.push_back({"", NetStatus::kClosed, true});
    EXPECT_EQ(r.library->SendMail("me@x.jp", "a@x.jp", "", "", "s", "b"), 0);
    EXPECT_STREQ(r.library->GetErrorStatus(), "Cannot connect to the server 127.0.0.2:2525.");
    EXPECT_FALSE(r.windows->shown) << "a failed connection hides the status window too";

    ReplayedLibrary noSmtp;
    noSmtp.files.files["/mail.ini"] = "[Mail]\nPass=" + ScramblePassword("pw") + "\n";
    char b[256], f[2];
    noSmtp.library->GetConfiguration("/mail.ini", b, b, b, b, b, f);
    ASSERT_EQ(noSmtp.library->Initialize("127.0.0.1", nullptr, 1), 1);
    noSmtp.Serve(Pop3Login() + "+OK bye\r\n");
    ASSERT_EQ(noSmtp.library->Authenticate("taro"), 1);
    EXPECT_EQ(noSmtp.library->SendMail("me@x.jp", "a@x.jp", "", "", "s", "b"), 0);
    EXPECT_STREQ(noSmtp.library->GetErrorStatus(), "No server is configured.");
}

}  // namespace
}  // namespace norv::mail
