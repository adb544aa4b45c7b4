// A Norv Script run by `norv --headless -A` that loads libnorvinet.so through DECLARE ... Lib
// "norvinet", as a user's script does: it reads its mail settings, sends Japanese mail through
// the loopback aiosmtpd and receives it back from Dovecot, over IPv4, IPv6 and TLS with the
// SMTP log-in. What it receives it writes to a file, byte for byte, for the test to compare.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <map>
#include <string>

#include "e2e/process_runner.h"
#include "mail/mail_config.h"
#include "mail_servers.h"
#include "support/temp_dir.h"

namespace norv::mail {
namespace {

using norv::testing::ChildProcess;
using norv::testing::ReadFileBytes;
using norv::testing::TempDir;
using testing::MailServers;

// Shift-JIS: 山田太郎, 会議の件（確認）, 本文です。 and a second line 二行目.
constexpr const char* kName = "\x8E\x52\x93\x63\x91\xBE\x98\x59";
constexpr const char* kSubject = "\x89\xEF\x8B\x63\x82\xCC\x8C\x8F\x81\x69\x8A\x6D\x94\x46\x81\x6A";
constexpr const char* kBody = "\x96\x7B\x95\xB6\x82\xC5\x82\xB7\x81\x42";
constexpr const char* kLine2 = "\x93\xF1\x8D\x73\x96\xDA";

// Everything a script needs of the library, declared as the README shows; the subject and the
// body come from the script's own text, in the system code page.
std::string MailScript() {
    return std::string(
               "DECLARE FUNCTION GetConfiguration Lib \"norvinet\" (f, n, a, l, p, s, d)\n"
               "DECLARE FUNCTION MailInitialize Lib \"norvinet\" (pop, smtp, wnd)\n"
               "DECLARE FUNCTION MailAuthenticate Lib \"norvinet\" (login)\n"
               "DECLARE FUNCTION StartReceiveSession Lib \"norvinet\" ()\n"
               "DECLARE FUNCTION ListMail Lib \"norvinet\" (line, status)\n"
               "DECLARE FUNCTION GetMail Lib \"norvinet\" (n, buf, crlf, del)\n"
               "DECLARE FUNCTION GetLastMailNo Lib \"norvinet\" ()\n"
               "DECLARE FUNCTION EndReceiveSession Lib \"norvinet\" ()\n"
               "DECLARE FUNCTION SendMail Lib \"norvinet\" (from, to, cc, bcc, subject, body)\n"
               "DECLARE FUNCTION MailShutdown Lib \"norvinet\" ()\n"
               "DECLARE FUNCTION GetErrorStatus$ Lib \"norvinet\" () AS STRING\n"
               "MAIN\n"
               "  DIM n$, a$, l$, p$, s$, d$, line$, st$, buf$, size, f, num, nl$\n"
               "  nl = CHR(10)\n"
               "  n = SPACE(256)\n  a = SPACE(256)\n  l = SPACE(256)\n"
               "  p = SPACE(256)\n  s = SPACE(256)\n  d = SPACE(2)\n"
               "  f = FOPEN(\"out.txt\", \"w\")\n"
               "  IF GetConfiguration(\"mail.ini\", n, a, l, p, s, d) = 0 THEN FPUTS(f, \"no "
               "settings\" + nl)\n"
               "  FPUTS(f, \"settings \" + n + \"|\" + a + \"|\" + l + \"|\" + d + nl)\n"
               "  IF MailInitialize(p, s, 0) = 0 OR MailAuthenticate(l) = 0 THEN\n"
               "    FPUTS(f, \"failed \" + GetErrorStatus() + nl)\n"
               "  ELSE\n"
               "    IF SendMail(n + \" <\" + a + \">\", a, \"\", \"\", \"") +
           kSubject + "\", \"" + kBody + "\" + CHR(13) + CHR(10) + \"" + kLine2 +
           "\") = 0 THEN FPUTS(f, \"not sent \" + GetErrorStatus() + nl)\n"
           "    IF StartReceiveSession() = 0 THEN FPUTS(f, \"no session \" + GetErrorStatus() "
           "+ nl)\n"
           "    line = SPACE(1024)\n    st = SPACE(256)\n"
           "    size = ListMail(line, st)\n"
           "    WHILE size > 0\n"
           "      FPUTS(f, \"listed \" + line + nl)\n"
           "      num = VAL(line)\n"
           "      buf = SPACE(size + 1)\n"
           "      IF GetMail(num, buf, 0, VAL(d)) = 0 THEN FPUTS(f, \"not fetched \" + "
           "GetErrorStatus() + nl)\n"
           "      FPUTS(f, \"message<\" + buf + \">\" + nl)\n"
           "      size = ListMail(line, st)\n"
           "    WEND\n"
           "    FPUTS(f, \"last \" + STR(GetLastMailNo()) + nl)\n"
           "    EndReceiveSession()\n"
           "  END IF\n"
           "  MailShutdown()\n"
           "  FPUTS(f, \"done\" + nl)\n"
           "  FCLOSE(f)\n"
           "END MAIN\n";
}

struct Route {
    const char* name;
    const char* host;  // as the settings name it
    bool tls;
};

class ScriptMail : public ::testing::TestWithParam<Route> {};

TEST_P(ScriptMail, HeadlessScriptSendsAndReceivesJapaneseMail) {
    const MailServers& s = MailServers::Get();
    if (!s.running()) GTEST_SKIP() << s.why();
    const Route r = GetParam();
    if (std::string(r.host) == "[::1]" && !s.ipv6())
        GTEST_SKIP() << "IPv6 loopback (::1) cannot be bound here";
    s.EmptyMailbox();
    TempDir d;
    for (const char* sub : {"home", "run", "cfg", "work"}) mkdir(d.File(sub).c_str(), 0700);
    const std::string host = r.host;
    std::string ini = "[Other]\r\nKept=1\r\n[Mail]\r\nName=" + std::string(kName) +
                      "\r\nAddress=taro@localhost\r\nLogin=" + MailServers::kUser +
                      "\r\nPass=" + ScramblePassword(MailServers::kPassword) +
                      "\r\nDeleteMail=1\r\n";
    if (r.tls) {
        ini += "POPServer=" + host + ":" + std::to_string(s.pop3sPort()) +
               "\r\nSMTPServer=" + host + ":" + std::to_string(s.submissionPort()) +
               "\r\nPOPSecurity=2\r\nSMTPSecurity=1\r\nSMTPAuth=1\r\nCAFile=" + s.caFile() + "\r\n";
    } else {
        ini += "POPServer=" + host + ":" + std::to_string(s.popPort()) + "\r\nSMTPServer=" + host +
               ":" + std::to_string(s.smtpPort()) + "\r\n";
    }
    d.Write("work/mail.ini", ini);
    const std::string script = d.Write("work/mail.nrs", MailScript());
    const std::map<std::string, std::string> env = {{"HOME", d.File("home")},
                                                    {"XDG_RUNTIME_DIR", d.File("run")},
                                                    {"XDG_CONFIG_HOME", d.File("home")},
                                                    {"NORVHOME", d.File("cfg")},
                                                    {"QT_QPA_PLATFORM", "offscreen"},
                                                    {"NORV_ACP", "932"},
                                                    {"NORVINET_TIMEOUT", "20"}};
    ChildProcess p(NORV_PATH, {"--headless", "-A", script}, env, d.File("work"),
                   d.File("stderr.txt"));
    ASSERT_EQ(p.Wait(), 0) << ReadFileBytes(d.File("stderr.txt"));

    const std::string from = std::string(kName) + " <taro@localhost>";
    const std::string out = ReadFileBytes(d.File("work/out.txt"));
    const std::string expected = "settings " + std::string(kName) +
                                 "|taro@localhost|taro|1\n"
                                 "listed 1  " +
                                 from + "  " + kSubject + "\n";
    ASSERT_EQ(out.substr(0, expected.size()), expected) << out;
    // The fetched message: header lines decoded to Shift-JIS, the body converted back, LF line
    // ends as the script asked, the message deleted as the settings asked.
    const size_t begin = out.find("message<");
    const size_t end = out.find(">\nlast 0\ndone\n");
    ASSERT_NE(begin, std::string::npos) << out;
    ASSERT_NE(end, std::string::npos) << out;
    // A newline in front, so that the first header line is found as the others.
    const std::string message = "\n" + out.substr(begin + 8, end - begin - 8);
    EXPECT_NE(message.find("\nSubject: " + std::string(kSubject) + "\n"), std::string::npos)
        << message;
    EXPECT_NE(message.find("\nFrom: " + from + "\n"), std::string::npos) << message;
    EXPECT_EQ(message.substr(message.find("\n\n") + 2), std::string(kBody) + "\n" + kLine2 + "\n");
    EXPECT_EQ(out.find("not "), std::string::npos) << out;
    EXPECT_TRUE(s.StoredFiles().empty()) << "DeleteMail=1 removed it on the server";
    EXPECT_NE(ReadFileBytes(s.envelopes()).find("\"to\": [\"taro@localhost\"]"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Loopback, ScriptMail,
                         ::testing::Values(Route{"IPv4", "127.0.0.1", false},
                                           Route{"IPv6", "[::1]", false},
                                           Route{"TLS", "localhost", true}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace norv::mail
