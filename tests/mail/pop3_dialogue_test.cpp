// The POP3 dialogue against replayed servers: what the library sends, what it makes of
// well-formed and malformed replies, and what it writes into the script's buffers.
#include <algorithm>
#include <climits>
#include <cstring>

#include "mail/buffer_text.h"
#include "mail/pop3_session.h"
#include "mail_test_support.h"

namespace norv::mail {
namespace {

using testing::Pop3Login;
using testing::ReplayedLibrary;

TEST(MailLifecycle, StatesAndTheirFailures) {
    ReplayedLibrary r;
    MailLibrary& m = *r.library;
    EXPECT_EQ(m.MailLibrary::Authenticate("taro"), 0);
    EXPECT_STREQ(m.GetErrorStatus(), "The mail library is not initialized.");
    EXPECT_EQ(m.Shutdown(), 1);
    r.Ready();
    EXPECT_EQ(m.Initialize("", "", 1), 0) << "initialising twice fails";
    EXPECT_EQ(m.StartReceiveSession(), 0);
    EXPECT_STREQ(m.GetErrorStatus(), "No user is logged in.");
    char line[kListLineSize], status[kListStatusSize];
    EXPECT_EQ(m.ListMail(line, status), 0);
    EXPECT_EQ(m.SendMail("a@x.jp", "b@x.jp", "", "", "s", "b"), 0);
    EXPECT_EQ(r.script->connections, 0u);
    EXPECT_EQ(m.Shutdown(), 1);
    EXPECT_EQ(m.Shutdown(), 1);
    EXPECT_EQ(m.Initialize("", "", 1), 1) << "empty names are not resolved";
    EXPECT_EQ(m.Initialize("", "", 1), 0);
    m.Shutdown();
    EXPECT_EQ(m.Initialize("no such host.invalid", "", 1), 0);
    EXPECT_STREQ(m.GetErrorStatus(), "Cannot find the server no such host.invalid.");
    EXPECT_EQ(m.Initialize("[::1", "", 1), 0);
    EXPECT_EQ(m.Initialize("127.0.0.1:99999", "", 1), 0);
    EXPECT_EQ(m.Initialize("[::1]:1110", "192.0.2.1:2525", 1), 1);
}

TEST(MailLifecycle, AuthenticateLogsInAndOutWithoutShowingThePassword) {
    ReplayedLibrary r;
    r.Ready();
    r.Serve(Pop3Login() + "+OK bye\r\n");
    EXPECT_EQ(r.library->Authenticate("taro"), 1);
    EXPECT_EQ(r.Sent(0), "USER taro\r\nPASS pw\r\nQUIT\r\n");
    EXPECT_TRUE(r.library->authenticated());
    for (const auto& l : r.windows->lines) EXPECT_EQ(l.find("pw"), std::string::npos) << l;
    EXPECT_NE(std::find(r.windows->lines.begin(), r.windows->lines.end(), "PASS ****"),
              r.windows->lines.end());
}

TEST(MailLifecycle, RefusedPasswordKeepsTheServersReason) {
    ReplayedLibrary r;
    r.Ready();
    r.Serve("+OK ready\r\n+OK user\r\n-ERR [AUTH] Authentication failed.\r\n+OK Logging out\r\n");
    EXPECT_EQ(r.library->Authenticate("taro"), 0);
    EXPECT_STREQ(r.library->GetErrorStatus(), "-ERR [AUTH] Authentication failed.");
    EXPECT_EQ(r.Sent(0), "USER taro\r\nPASS pw\r\nQUIT\r\n");
    EXPECT_FALSE(r.library->authenticated());
}

TEST(MailLifecycle, LoginArgumentsAndTheLoginDialog) {
    ReplayedLibrary r;
    r.Ready();
    EXPECT_EQ(r.library->Authenticate(nullptr), 0) << "a null login fails";
    EXPECT_EQ(r.windows->loginAsked, 0);
    // A blank login brings up the dialog, pre-filled; Cancel fails without connecting.
    EXPECT_EQ(r.library->Authenticate(" \t"), 0);
    EXPECT_EQ(r.windows->loginAsked, 1);
    EXPECT_EQ(r.windows->loginGiven, " \t");
    EXPECT_EQ(r.windows->passwordGiven, "pw");
    EXPECT_EQ(r.script->connections, 0u);
    // OK logs in with what was typed.
    r.windows->loginAnswer = true;
    r.windows->loginTyped = "hanako";
    r.windows->passwordTyped = "typed";
    r.Serve(Pop3Login() + "+OK bye\r\n");
    EXPECT_EQ(r.library->Authenticate(""), 1);
    EXPECT_EQ(r.Sent(0), "USER hanako\r\nPASS typed\r\nQUIT\r\n");
    // A line break in the login name or password never reaches the server.
    r.windows->loginAnswer = false;
    EXPECT_EQ(r.library->Authenticate("taro\r\nDELE 1"), 0);
    EXPECT_STREQ(r.library->GetErrorStatus(), "A login name or password holds a line break.");
    EXPECT_EQ(r.script->connections, 1u);
}

// A library with an open session on a server that answers with `replies` after log-in.
void OpenSession(ReplayedLibrary& r, std::string replies) {
    r.Ready();
    r.Serve(Pop3Login() + "+OK bye\r\n");
    ASSERT_EQ(r.library->Authenticate("taro"), 1);
    r.Serve(Pop3Login() + std::move(replies));
    ASSERT_EQ(r.library->StartReceiveSession(), 1);
    ASSERT_TRUE(r.windows->shown);
}

TEST(Pop3Dialogue, ListingWithSendersAndSubjects) {
    ReplayedLibrary r;
    OpenSession(
        r,
        "+OK 3 messages\r\n1 120\r\ngarbage\r\n2 99999999999999999999\r\n -1 5\r\n3 200 x\r\n"
        "7 300\r\n.\r\n"
        "+OK\r\nReceived: x\r\nfrom: =?ISO-2022-JP?B?GyRCRnwbKEI=?= <a@x.jp>\r\nFrom: second\r\n"
        "Subject: =?ISO-2022-JP?B?GyRCRnwbKEI=?=\r\n =?ISO-2022-JP?B?GyRCS1wbKEI=?=\r\n"
        "Status: RO\r\nSubject: second\r\n\r\n.\r\n"
        "+OK\r\nSubject: plain\r\n\r\n.\r\n");
    char line[kListLineSize], status[kListStatusSize];
    EXPECT_EQ(r.library->ListMail(line, status), 120);
    EXPECT_STREQ(line, "1  \x93\xFA <a@x.jp>  \x93\xFA\x96\x7B");
    EXPECT_STREQ(status, " RO");
    EXPECT_EQ(r.library->ListMail(line, status), 300);
    EXPECT_STREQ(line, "7   plain");
    EXPECT_STREQ(status, "");
    EXPECT_EQ(r.library->ListMail(line, status), 0);
    EXPECT_EQ(r.Sent(1), "USER taro\r\nPASS pw\r\nLIST\r\nTOP 1 0\r\nTOP 7 0\r\n");
    // Header lines are not shown in the status window.
    for (const auto& l : r.windows->lines) EXPECT_EQ(l.find("Received"), std::string::npos);
}

TEST(Pop3Dialogue, EmptyMailboxAndRefusedListing) {
    ReplayedLibrary r;
    OpenSession(r, "+OK 0 messages\r\n.\r\n-ERR no\r\n");
    char line[kListLineSize], status[kListStatusSize];
    EXPECT_EQ(r.library->ListMail(line, status), 0);
    EXPECT_EQ(r.library->ListMail(line, status), 0);
    EXPECT_STREQ(r.library->GetErrorStatus(), "-ERR no");
    EXPECT_TRUE(r.library->sessionOpen()) << "a failure leaves the session open";
}

TEST(Pop3Dialogue, ListLinesAreCutToTheirBuffers) {
    ReplayedLibrary r;
    // A subject that makes the line exactly 1023 bytes, then one a byte longer whose last
    // character is double-byte.
    // "1", a blank, no sender, a blank and the subject's 1021 bytes.
    const std::string fits(1021, 'x');
    // "2  ", the subject's blank, 1018 bytes and a double-byte character at 1022 and 1023.
    const std::string tooLong = std::string(1018, 'y') + "\x93\xFA";
    OpenSession(r, "+OK\r\n1 10\r\n2 10\r\n.\r\n+OK\r\nSubject:" + fits + "\r\n\r\n.\r\n" +
                       "+OK\r\nSubject: " + tooLong + "\r\nStatus:" + std::string(300, 's') +
                       "\r\n\r\n.\r\n");
    char line[kListLineSize + 16], status[kListStatusSize + 16];
    std::memset(line, 'G', sizeof line);
    std::memset(status, 'G', sizeof status);
    EXPECT_EQ(r.library->ListMail(line, status), 10);
    EXPECT_EQ(std::strlen(line), 1023u) << "a line of 1023 bytes fits whole";
    EXPECT_EQ(line[1022], 'x');
    EXPECT_EQ(r.library->ListMail(line, status), 10);
    EXPECT_EQ(std::strlen(line), 1022u) << "the double-byte character is not cut in half";
    EXPECT_EQ(std::strlen(status), 255u);
    for (size_t i = kListLineSize; i < sizeof line; ++i) EXPECT_EQ(line[i], 'G');
    for (size_t i = kListStatusSize; i < sizeof status; ++i) EXPECT_EQ(status[i], 'G');
}

TEST(Pop3Dialogue, FetchDecodesHeadersAndConvertsTheBody) {
    ReplayedLibrary r;
    const std::string message =
        "Subject: =?ISO-2022-JP?B?GyRCRnwbKEI=?=\r\n\r\n\x1B$B\x46\x7C\x1B(B\r\n..dot\r\n.\r\n";
    OpenSession(r, "+OK\r\n1 1000\r\n.\r\n+OK\r\nSubject: x\r\n\r\n.\r\n+OK\r\n" + message +
                       "+OK\r\n" + message);
    char line[kListLineSize], status[kListStatusSize];
    ASSERT_EQ(r.library->ListMail(line, status), 1000);
    std::vector<char> buf(1001, 'G');
    EXPECT_EQ(r.library->GetMail(1, buf.data(), 0, 0), 1);
    EXPECT_STREQ(buf.data(), "Subject: \x93\xFA\n\n\x93\xFA\n.dot\n");
    EXPECT_EQ(r.library->GetMail(1, buf.data(), 1, 0), 1);
    EXPECT_STREQ(buf.data(), "Subject: \x93\xFA\r\n\r\n\x93\xFA\r\n.dot\r\n");
    EXPECT_EQ(r.Sent(1).substr(r.Sent(1).find("RETR")), "RETR 1\r\nRETR 1\r\n");
    for (const auto& l : r.windows->lines)
        EXPECT_EQ(l.find("dot"), std::string::npos) << "no body lines";
}

TEST(Pop3Dialogue, MessageOfExactlyItsListedSizeAndOneLonger) {
    ReplayedLibrary r;
    // With LF line ends "Subject: ab\n\nxy\n" is 16 bytes: listed as 16 it fits exactly.
    const std::string message = "Subject: ab\r\n\r\nxy\r\n.\r\n";
    OpenSession(r, "+OK\r\n1 16\r\n2 15\r\n.\r\n+OK\r\n" + message + "+OK\r\n" + message +
                       "+OK\r\n" + message + "+OK 2 messages\r\n");
    char line[kListLineSize], status[kListStatusSize];
    ASSERT_EQ(r.library->ListMail(line, status), 16);
    std::vector<char> buf(17 + 8, 'G');
    EXPECT_EQ(r.library->GetMail(1, buf.data(), 0, 0), 1);
    EXPECT_STREQ(buf.data(), "Subject: ab\n\nxy\n");
    // Message 2 is listed one byte shorter: what fits is kept, the rest read and dropped.
    std::fill(buf.begin(), buf.end(), 'G');
    EXPECT_EQ(r.library->GetMail(2, buf.data(), 0, 1), 0);
    EXPECT_STREQ(buf.data(), "Subject: ab\n\nxy");
    EXPECT_EQ(buf[16], 'G');
    EXPECT_STREQ(r.library->GetErrorStatus(),
                 "The message is longer than its listed size; it was cut.");
    // The session is still in step: the next command gets its own reply, and the cut message
    // was not deleted.
    EXPECT_EQ(r.library->ResetMailBox(), 1);
    EXPECT_EQ(r.Sent(1).substr(r.Sent(1).find("TOP")), "TOP 1 0\r\nRETR 1\r\nRETR 2\r\nRSET\r\n");
}

TEST(Pop3Dialogue, UnlistedMessageGetsItsSizeFirstAndDeleteFlag) {
    ReplayedLibrary r;
    OpenSession(r,
                "+OK 4 30\r\n+OK\r\nA: b\r\n\r\n.\r\n-ERR cannot delete\r\n-ERR no such message\r\n"
                "+OK 5 abc\r\n");
    std::vector<char> buf(31);
    EXPECT_EQ(r.library->GetMail(4, buf.data(), 0, 1), 0) << "the refused DELE fails the fetch";
    EXPECT_STREQ(buf.data(), "A: b\n\n") << "although the message was stored";
    EXPECT_STREQ(r.library->GetErrorStatus(), "-ERR cannot delete");
    EXPECT_EQ(r.library->GetMail(9, buf.data(), 0, 0), 0);
    EXPECT_STREQ(r.library->GetErrorStatus(), "-ERR no such message");
    EXPECT_EQ(r.library->GetMail(5, buf.data(), 0, 0), 0);
    EXPECT_STREQ(r.library->GetErrorStatus(), "The server does not list this message.");
    EXPECT_EQ(r.Sent(1).substr(r.Sent(1).find("LIST")),
              "LIST 4\r\nRETR 4\r\nDELE 4\r\nLIST 9\r\nLIST 5\r\n");
}

TEST(Pop3Dialogue, LastDeleteAndReset) {
    ReplayedLibrary r;
    OpenSession(r,
                "+OK 5\r\n-ERR Unknown command: LAST\r\n+OK\r\n+OK 12345678901234\r\n"
                "+OK deleted\r\n-ERR no\r\n-ERR no\r\n+OK\r\n+OK bye\r\n");
    EXPECT_EQ(r.library->GetLastMailNo(), 5);
    EXPECT_EQ(r.library->GetLastMailNo(), 0) << "a negative reply";
    EXPECT_EQ(r.library->GetLastMailNo(), 0) << "no digit";
    EXPECT_EQ(r.library->GetLastMailNo(), INT_MAX);
    EXPECT_EQ(r.library->DeleteMail(3), 1);
    EXPECT_EQ(r.library->DeleteMail(3), 0);
    EXPECT_EQ(r.library->ResetMailBox(), 0) << "a negative reply to RSET fails";
    EXPECT_EQ(r.library->ResetMailBox(), 1);
    EXPECT_EQ(r.library->EndReceiveSession(), 1);
    EXPECT_FALSE(r.windows->shown) << "ending the session hides the status window";
    EXPECT_EQ(r.Sent(1).substr(r.Sent(1).find("LAST")),
              "LAST\r\nLAST\r\nLAST\r\nLAST\r\nDELE 3\r\nDELE 3\r\nRSET\r\nRSET\r\nQUIT\r\n");
    EXPECT_EQ(r.library->EndReceiveSession(), 0);
}

TEST(Pop3Dialogue, StartingASecondSessionLeavesTheFirst) {
    ReplayedLibrary r;
    OpenSession(r, "+OK 7\r\n");
    EXPECT_EQ(r.library->StartReceiveSession(), 0);
    EXPECT_STREQ(r.library->GetErrorStatus(), "A receive session is already open.");
    EXPECT_EQ(r.library->GetLastMailNo(), 7);
}

TEST(Pop3Dialogue, MalformedServersFailCleanly) {
    static const struct {
        std::string server;
        NetStatus atEnd;
        const char* status;
        const char* why;
    } kCases[] = {
        {"", NetStatus::kClosed, "The server closed the connection.", "no greeting"},
        {"+OK ready", NetStatus::kClosed, "The server closed the connection.", "no CR LF"},
        {"+OK ready\n+OK\n", NetStatus::kTimedOut, "The server did not answer in time.",
         "LF only, then silent"},
        {std::string(70000, 'x'), NetStatus::kClosed,
         "The server sent a line longer than 65536 bytes.", "an endless line"},
        {"+OK ready\r\n+OK\r\n", NetStatus::kTimedOut, "The server did not answer in time.",
         "silent after USER"},
    };
    for (const auto& c : kCases) {
        ReplayedLibrary r;
        r.Ready();
        r.Serve(c.server, c.atEnd);
        EXPECT_EQ(r.library->Authenticate("taro"), 0) << c.why;
        EXPECT_STREQ(r.library->GetErrorStatus(), c.status) << c.why;
    }
}

TEST(Pop3Dialogue, ConnectionDroppedInRetr) {
    ReplayedLibrary r;
    OpenSession(r, "+OK 1 100\r\n+OK\r\nSubject: x\r\n\r\nbody line\r\npart");
    std::vector<char> buf(101, 'G');
    EXPECT_EQ(r.library->GetMail(1, buf.data(), 0, 0), 0);
    EXPECT_STREQ(buf.data(), "Subject: x\n\nbody line\n");
    EXPECT_STREQ(r.library->GetErrorStatus(), "The server closed the connection.");
    EXPECT_EQ(r.library->GetLastMailNo(), 0);
    EXPECT_EQ(r.library->EndReceiveSession(), 1);
}

TEST(Pop3Dialogue, ANumberListedTwiceKeepsItsFirstSize) {
    // Former fault: the second size replaced the first, and GetMail wrote up to it into the
    // buffer the script made for the first.
    ReplayedLibrary r;
    OpenSession(
        r, "+OK\r\n1 8\r\n1 500\r\n.\r\n+OK\r\n\r\n.\r\n+OK\r\nSubject: long enough\r\n\r\n.\r\n");
    char line[kListLineSize], status[kListStatusSize];
    EXPECT_EQ(r.library->ListMail(line, status), 8);
    std::vector<char> buf(9 + 8, 'G');
    EXPECT_EQ(r.library->GetMail(1, buf.data(), 0, 0), 0);
    EXPECT_STREQ(buf.data(), "Subject:");
    for (size_t i = 9; i < buf.size(); ++i) EXPECT_EQ(buf[i], 'G');
}

TEST(Pop3Dialogue, HugeListedSizesAreNotTrusted) {
    ReplayedLibrary r;
    // A listed size near the limit must not make the library reserve it; the message is small.
    OpenSession(r, "+OK\r\n1 2147483646\r\n.\r\n+OK\r\n\r\n.\r\n+OK\r\nA: b\r\n\r\n.\r\n");
    char line[kListLineSize], status[kListStatusSize];
    EXPECT_EQ(r.library->ListMail(line, status), 2147483646);
    std::vector<char> buf(64);
    // The script's buffer is smaller than it was told to make it; the message itself fits.
    EXPECT_EQ(r.library->GetMail(1, buf.data(), 0, 0), 1);
    EXPECT_STREQ(buf.data(), "A: b\n\n");
}

}  // namespace
}  // namespace norv::mail
