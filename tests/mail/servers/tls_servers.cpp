// Mail over TLS against the loopback servers: Dovecot's POP3S and STLS, aiosmtpd's submission
// port (STARTTLS and AUTH required) and its TLS port, all with the test's own authority given
// through CAFile; and the refusals, each a clean failure with its message and nothing sent.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>

#include "mail/mail_library.h"
#include "mail/tls_transport.h"
#include "mail_servers.h"
#include "mail_test_support.h"
#include "platform/file_system.h"
#include "support/temp_dir.h"

namespace norv::mail {
namespace {

using testing::MailServers;

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class TlsServers : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!MailServers::Get().running()) GTEST_SKIP() << MailServers::Get().why();
        MailServers::Get().EmptyMailbox();
    }

    // A library configured with these extra keys, initialised and logged in over POP3.
    std::unique_ptr<MailLibrary> Library(const std::string& keys, uint16_t popPort,
                                         uint16_t smtpPort, bool authenticate = true,
                                         const std::string& popHost = "localhost",
                                         std::string caFile = "") {
        if (caFile.empty()) caFile = MailServers::Get().caFile();
        const std::string ini =
            dir_.Write("m.ini", "[Mail]\nPass=" + ScramblePassword(MailServers::kPassword) +
                                    "\nCAFile=" + caFile + "\n" + keys);
        MailLibrary::Services services;
        services.transports = MakeSocketTransport;
        services.files = &platform::RealFileSystem();
        services.codePage = 932;
        services.timeoutMs = 10000;
        auto m = std::make_unique<MailLibrary>(
            std::move(services), std::make_unique<testing::RecordingWindows>(windows_));
        char b[256], f[2];
        EXPECT_EQ(m->GetConfiguration(ini.c_str(), b, b, b, b, b, f), 1);
        const std::string pop = popHost + ":" + std::to_string(popPort);
        const std::string smtp = "127.0.0.1:" + std::to_string(smtpPort);
        EXPECT_EQ(m->Initialize(pop.c_str(), smtp.c_str(), 1), 1) << m->GetErrorStatus();
        if (authenticate) EXPECT_EQ(m->Authenticate(MailServers::kUser), 1) << m->GetErrorStatus();
        return m;
    }

    norv::testing::TempDir dir_;
    std::shared_ptr<testing::WindowLog> windows_ = std::make_shared<testing::WindowLog>();
};

TEST_F(TlsServers, SendOverEachSmtpModeAndReceiveOverEachPop3Mode) {
    const MailServers& s = MailServers::Get();
    const std::string subject = "\x89\xEF\x8B\x63\x82\xCC\x8C\x8F";  // 会議の件
    const size_t dovecotFrom = Slurp(s.dovecotLog()).size();
    const size_t authFrom = Slurp(s.smtpAuthLog()).size();
    // Submission with STARTTLS and AUTH (the POP3 user and password), over POP3S.
    auto submit =
        Library("POPSecurity=2\nSMTPSecurity=1\nSMTPAuth=1\n", s.pop3sPort(), s.submissionPort());
    ASSERT_EQ(submit->SendMail("taro@localhost", "taro@localhost", "", "", subject.c_str(),
                               "\x96\x7B\x95\xB6"),
              1)
        << submit->GetErrorStatus();
    // TLS from the first byte, AUTH with the SMTP keys of their own, over STLS to the listener
    // where Dovecot refuses log-ins in plain text.
    auto smtps = Library("POPSecurity=1\nSMTPSecurity=2\nSMTPAuth=1\nSMTPLogin=taro\nSMTPPass=" +
                             ScramblePassword("secret") + "\n",
                         s.stlsPort(), s.smtpsPort(), true, MailServers::kStlsHost);
    ASSERT_EQ(smtps->SendMail("taro@localhost", "taro@localhost", "", "", subject.c_str(),
                              "\x96\x7B\x95\xB6"),
              1)
        << smtps->GetErrorStatus();
    EXPECT_EQ(s.StoredFiles().size(), 2u);
    for (MailLibrary* m : {submit.get(), smtps.get()}) {
        ASSERT_EQ(m->StartReceiveSession(), 1) << m->GetErrorStatus();
        char line[kListLineSize], status[kListStatusSize];
        int size = 0, n = 0;
        while ((size = m->ListMail(line, status)) > 0) {
            EXPECT_EQ(std::string(line).substr(std::string(line).size() - subject.size()), subject);
            std::vector<char> buf(static_cast<size_t>(size) + 1);
            ASSERT_EQ(m->GetMail(std::atoi(line), buf.data(), 0, 0), 1) << m->GetErrorStatus();
            EXPECT_NE(std::string(buf.data()).find("\n\n\x96\x7B\x95\xB6\n"), std::string::npos);
            ++n;
        }
        EXPECT_EQ(n, 2);
        EXPECT_EQ(m->EndReceiveSession(), 1);
    }
    for (const auto& l : windows_->lines) {
        EXPECT_EQ(l.find("secret"), std::string::npos) << l;
        EXPECT_EQ(l.find("AUTH PLAIN A"), std::string::npos) << l;
    }
    // The servers' own logs: every log-in came over TLS.
    const std::string auths = Slurp(s.smtpAuthLog()).substr(authFrom);
    EXPECT_NE(auths.find(std::to_string(s.submissionPort()) + " tls\n"), std::string::npos)
        << auths;
    EXPECT_NE(auths.find(std::to_string(s.smtpsPort()) + " tls\n"), std::string::npos) << auths;
    EXPECT_EQ(auths.find("plain"), std::string::npos) << auths;
    std::istringstream dovecot(Slurp(s.dovecotLog()).substr(dovecotFrom));
    int remote = 0;
    for (std::string l; std::getline(dovecot, l);) {
        EXPECT_EQ(l.find("disallowed plaintext"), std::string::npos) << l;
        if (l.find("Login: ") == std::string::npos) continue;
        if (l.find("lip=" + std::string(MailServers::kStlsHost)) == std::string::npos) continue;
        EXPECT_NE(l.find(", TLS"), std::string::npos) << l;
        ++remote;
    }
    EXPECT_GE(remote, 2) << "log-in and session over STLS";
}

// Dovecot refuses a log-in in plain text on the listener that the STLS test uses, so that test
// could only pass encrypted; the refusal is the server's reply, the password not in it.
TEST_F(TlsServers, PlainLoginRefusedWhereTheServerRequiresTls) {
    const MailServers& s = MailServers::Get();
    auto m = Library("", s.stlsPort(), s.smtpPort(), false, MailServers::kStlsHost);
    EXPECT_EQ(m->Authenticate(MailServers::kUser), 0);
    const std::string status = m->GetErrorStatus();
    EXPECT_EQ(status.substr(0, 4), "-ERR") << status;
    EXPECT_EQ(status.find(MailServers::kPassword), std::string::npos) << status;
}

TEST_F(TlsServers, CertificateRefusals) {
    const MailServers& s = MailServers::Get();
    static const struct {
        uint16_t (MailServers::*port)() const;
        const char* start;
        const char* why;
    } kCases[] = {
        {&MailServers::otherAuthorityPort, "TLS: the server's certificate is not trusted (",
         "another authority"},
        {&MailServers::otherNamePort,
         "TLS: the server's certificate does not match the name localhost: ", "another name"},
        {&MailServers::expiredPort, "TLS: the server's certificate is not trusted (", "expired"},
        {&MailServers::popPort, "TLS: the handshake failed: ", "a plain-text server"},
    };
    for (const auto& c : kCases) {
        auto m = Library("POPSecurity=2\n", (s.*c.port)(), s.smtpPort(), false);
        EXPECT_EQ(m->Authenticate(MailServers::kUser), 0) << c.why;
        const std::string status = m->GetErrorStatus();
        EXPECT_EQ(status.substr(0, std::strlen(c.start)), c.start) << c.why << ": " << status;
        if (std::string(c.why) == "expired")
            EXPECT_NE(status.find("expired"), std::string::npos) << status;
        // The library can start the next session.
        EXPECT_EQ(m->Authenticate(MailServers::kUser), 0);
    }
}

TEST_F(TlsServers, SmtpRefusalsSendNothing) {
    const MailServers& s = MailServers::Get();
    auto noTls = Library("SMTPAuth=1\n", s.popPort(), s.smtpPort());
    EXPECT_EQ(noTls->SendMail("taro@localhost", "taro@localhost", "", "", "s", "b"), 0);
    EXPECT_STREQ(noTls->GetErrorStatus(), "TLS: logging in to the SMTP server needs TLS.");
    auto plain = Library("SMTPSecurity=1\n", s.popPort(), s.smtpPort());
    EXPECT_EQ(plain->SendMail("taro@localhost", "taro@localhost", "", "", "s", "b"), 0);
    EXPECT_STREQ(plain->GetErrorStatus(), "TLS: the server does not offer STARTTLS.");
    auto wrong =
        Library("SMTPSecurity=1\nSMTPAuth=1\nSMTPPass=" + ScramblePassword("wrong-password") + "\n",
                s.popPort(), s.submissionPort());
    EXPECT_EQ(wrong->SendMail("taro@localhost", "taro@localhost", "", "", "s", "b"), 0);
    const std::string status = wrong->GetErrorStatus();
    EXPECT_EQ(status.substr(0, 26), "Authentication failed: 535") << status;
    EXPECT_EQ(status.find("wrong-password"), std::string::npos);
    EXPECT_TRUE(s.StoredFiles().empty());
    EXPECT_TRUE(Slurp(s.envelopes()).empty());
}

// The authorities are read once for many sessions, and again when their file changes.
TEST_F(TlsServers, ACertificateFileChangedBetweenSessionsIsReadAgain) {
    const MailServers& s = MailServers::Get();
    const std::string ca = dir_.Write("ca.pem", Slurp(s.caFile()));
    auto m = Library("POPSecurity=2\n", s.pop3sPort(), s.smtpPort(), false, "localhost", ca);
    EXPECT_EQ(m->Authenticate(MailServers::kUser), 1) << m->GetErrorStatus();
    dir_.Write("ca.pem", Slurp(s.folder() + "/ca2.pem"));
    EXPECT_EQ(m->Authenticate(MailServers::kUser), 0);
    EXPECT_EQ(
        std::string(m->GetErrorStatus()).rfind("TLS: the server's certificate is not trusted", 0),
        0u)
        << m->GetErrorStatus();
    dir_.Write("ca.pem", Slurp(s.caFile()));
    EXPECT_EQ(m->Authenticate(MailServers::kUser), 1) << m->GetErrorStatus();
    std::remove(ca.c_str());
    EXPECT_EQ(m->Authenticate(MailServers::kUser), 0);
    EXPECT_STREQ(m->GetErrorStatus(),
                 ("TLS: the certificate file " + ca + " cannot be read.").c_str());
}

// The second connection to a server resumes the first one's session, over POP3S and over
// STARTTLS, and still logs in and sends; a server that refuses the offered session gets a full
// handshake; a session is offered only to the name and port it was checked for.
TEST_F(TlsServers, TheNextConnectionResumesTheSessionOrHasAFullHandshake) {
    const MailServers& s = MailServers::Get();
    ForgetTlsSessions();
    const auto since = [](const TlsHandshakes& a) {
        const TlsHandshakes b = TlsHandshakeCounts();
        return TlsHandshakes{b.full - a.full, b.offered - a.offered, b.resumed - a.resumed};
    };
    const auto expect = [](const TlsHandshakes& got, unsigned full, unsigned offered,
                           unsigned resumed, const char* why) {
        EXPECT_EQ(got.full, full) << why;
        EXPECT_EQ(got.offered, offered) << why;
        EXPECT_EQ(got.resumed, resumed) << why;
    };

    TlsHandshakes at = TlsHandshakeCounts();
    auto pop3s = Library("POPSecurity=2\n", s.pop3sPort(), s.smtpPort(), false);
    ASSERT_EQ(pop3s->Authenticate(MailServers::kUser), 1) << pop3s->GetErrorStatus();
    ASSERT_EQ(pop3s->StartReceiveSession(), 1) << pop3s->GetErrorStatus();
    EXPECT_EQ(pop3s->EndReceiveSession(), 1);
    expect(since(at), 1, 1, 1, "POP3S: a log-in, then a session");

    at = TlsHandshakeCounts();
    auto byAddress = Library("POPSecurity=2\n", s.pop3sPort(), s.smtpPort(), false, "127.0.0.1");
    ASSERT_EQ(byAddress->Authenticate(MailServers::kUser), 1) << byAddress->GetErrorStatus();
    expect(since(at), 1, 0, 0, "another name for the same server");

    at = TlsHandshakeCounts();
    const std::string subject = "\x89\xEF\x8B\x63";  // 会議
    auto submit = Library("SMTPSecurity=1\nSMTPAuth=1\n", s.popPort(), s.submissionPort());
    for (int i = 0; i < 3; ++i)
        ASSERT_EQ(submit->SendMail("taro@localhost", "taro@localhost", "", "", subject.c_str(),
                                   "\x96\x7B\x95\xB6"),
                  1)
            << submit->GetErrorStatus();
    expect(since(at), 1, 2, 2, "STARTTLS: three messages");
    EXPECT_EQ(s.StoredFiles().size(), 3u);

    at = TlsHandshakeCounts();
    auto forgetful = Library("POPSecurity=2\n", s.forgetfulPort(), s.smtpPort(), false);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(forgetful->Authenticate(MailServers::kUser), 1) << forgetful->GetErrorStatus();
    expect(since(at), 3, 2, 0, "a server that never resumes");
}

// Servers that fail before or during the upgrade, replayed.
TEST(TlsDialogue, UpgradeRefusedOrDropped) {
    static const struct {
        std::string keys;
        std::string server;
        const char* status;
        bool smtp;
        const char* why;
    } kCases[] = {
        {"SMTPSecurity=1\n",
         "220 hi\r\n250-x\r\n250 STARTTLS\r\n454 4.7.0 TLS not available\r\n221 bye\r\n",
         "454 4.7.0 TLS not available", true, "STARTTLS answered with an error"},
        {"SMTPSecurity=1\n", "220 hi\r\n250-x\r\n250 STARTTLS\r\n220 go ahead\r\n",
         "TLS: the handshake failed: ", true, "dropped during the handshake"},
        {"POPSecurity=1\n", "+OK hi\r\n+OK\r\nUSER\r\nUIDL\r\n.\r\n+OK bye\r\n",
         "TLS: the server does not offer STLS.", false, "CAPA without STLS"},
        {"POPSecurity=1\n", "+OK hi\r\n-ERR no CAPA\r\n+OK bye\r\n",
         "TLS: the server does not offer STLS.", false, "no CAPA"},
    };
    for (const auto& c : kCases) {
        testing::ReplayedLibrary r;
        r.files.files["/m.ini"] = "[Mail]\nPass=" + ScramblePassword("pw") + "\n" + c.keys;
        char b[256], f[2];
        r.library->GetConfiguration("/m.ini", b, b, b, b, b, f);
        ASSERT_EQ(r.library->Initialize("127.0.0.1:1", "127.0.0.1:2", 1), 1);
        if (c.smtp) {
            r.Serve(testing::Pop3Login() + "+OK bye\r\n");
            ASSERT_EQ(r.library->Authenticate("taro"), 1);
            r.Serve(c.server);
            EXPECT_EQ(r.library->SendMail("a@x.jp", "b@x.jp", "", "", "s", "b"), 0) << c.why;
            EXPECT_EQ(r.Sent(1).find("MAIL FROM"), std::string::npos) << c.why;
        } else {
            r.Serve(c.server);
            EXPECT_EQ(r.library->Authenticate("taro"), 0) << c.why;
            EXPECT_EQ(r.Sent(0).find("PASS"), std::string::npos)
                << "PASS is never sent in plain text";
        }
        const std::string status = r.library->GetErrorStatus();
        EXPECT_EQ(status.substr(0, std::strlen(c.status)), c.status) << c.why << ": " << status;
    }
}

}  // namespace
}  // namespace norv::mail
