// Encoded header words, base64, recipient lists, the password scrambling and the "Mail"
// section of the settings file.
#include <cstdio>
#include <random>

#include "mail/base64.h"
#include "mail/buffer_text.h"
#include "mail/capabilities.h"
#include "mail/mail_config.h"
#include "mail/mime_header.h"
#include "mail/recipients.h"
#include "mail/smtp_session.h"

namespace norv::mail {
namespace {

// Python's base64 of each input, one line each (the system python3, as the servers' tests use).
std::vector<std::string> PythonBase64(const std::vector<std::string>& inputs) {
    std::string hex;
    for (const auto& in : inputs) {
        for (const char ch : in) {
            const auto c = static_cast<unsigned char>(ch);
            char h[3];
            std::snprintf(h, sizeof h, "%02x", c);
            hex += h;
        }
        hex += ' ';
    }
    const std::string cmd =
        "/usr/bin/python3 -c 'import base64,sys\nfor h in sys.argv[1:]: "
        "print(base64.b64encode(bytes.fromhex(h)).decode())' " +
        hex;
    std::vector<std::string> lines;
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return lines;
    char buf[4096];
    while (std::fgets(buf, sizeof buf, p)) {
        std::string l = buf;
        if (!l.empty() && l.back() == '\n') l.pop_back();
        lines.push_back(l);
    }
    pclose(p);
    return lines;
}

TEST(Base64, AgreesWithPythonAndDecodesBack) {
    std::mt19937 rng(35);
    std::vector<std::string> inputs;
    for (size_t n = 1; n <= 40; ++n) {
        std::string s(n, '\0');
        for (char& c : s) c = static_cast<char>(rng());
        inputs.push_back(s);
    }
    const auto python = PythonBase64(inputs);
    if (python.size() != inputs.size()) GTEST_SKIP() << "the system python3 did not run";
    for (size_t i = 0; i < inputs.size(); ++i) {
        EXPECT_EQ(EncodeBase64(inputs[i]), python[i]) << i;
        EXPECT_EQ(DecodeBase64(python[i]), inputs[i]) << i;
    }
    EXPECT_EQ(EncodeBase64(""), "");
    // Line breaks and blanks inside are skipped; decoding stops at "=".
    EXPECT_EQ(DecodeBase64("aGVs\r\nbG8=IGdhcmJhZ2U="), "hello");
    EXPECT_EQ(DecodeBase64("!!!"), "");
}

TEST(MimeHeader, DecodesEncodedWords) {
    static const struct {
        std::string_view in, out;
        const char* why;
    } kCases[] = {
        {" =?ISO-2022-JP?B?GyRCRnxLXDhsGyhC?=", " \x93\xFA\x96\x7B\x8C\xEA",
         "a word with its leading blank"},
        {"=?iso-2022-jp?B?GyRCRnxLXDhsGyhC?=", "\x93\xFA\x96\x7B\x8C\xEA", "charset in any case"},
        {"=?ISO-2022-JP?b?GyRCRnxLXDhsGyhC?=", "GyRCRnxLXDhsGyhC", "encoding b is not B"},
        {"=?ISO-2022-JP?Q?abc?=", "abc", "Q leaves the text"},
        {"=?UTF-8?B?5pel5pys?=", "\xE6\x97\xA5\xE6\x9C\xAC", "other charsets are copied"},
        {"=?ISO-2022-JP?B?GyRCRnwbKEI=?= =?ISO-2022-JP?B?GyRCS1wbKEI=?=", "\x93\xFA\x96\x7B",
         "blanks between adjacent words dropped"},
        {"=?ISO-2022-JP?B?GyRCRnwbKEI=?= x =?ISO-2022-JP?B?GyRCS1wbKEI=?=", "\x93\xFA x \x96\x7B",
         "blanks around text kept"},
        {"Re: 50% =?off", "Re: 50% =?off", "a subject that merely holds =?"},
        {"a =?ISO-2022-JP?B?GyRCRnwbKEI=", "a =?ISO-2022-JP?B?GyRCRnwbKEI=",
         "word cut by the line end"},
        {"=?ISO-2022-JP?B?abc?x", "=?ISO-2022-JP?B?abc?x", "text not followed by ="},
        {"=?ISO-2022-JP?B?GyRCRnwbKEI=?=?=", "\x93\xFA?=", "a word, then text"},
    };
    for (const auto& c : kCases) EXPECT_EQ(DecodeHeader(c.in, 932), c.out) << c.why;
}

TEST(MimeHeader, FieldLimitsOfEncodedWords) {
    const std::string charset40(40, 'C'), charset41(41, 'C');
    EXPECT_EQ(DecodeHeader("=?" + charset40 + "?B?YQ==?=", 932), "a");
    const std::string long41 = "=?" + charset41 + "?B?YQ==?=";
    EXPECT_EQ(DecodeHeader(long41, 932), long41);
    EXPECT_EQ(DecodeHeader("=?X?BBBBBBBBBB?YQ==?=", 932), "YQ==");  // ten letters: not "B"
    const std::string long11 = "=?X?BBBBBBBBBBB?YQ==?=";
    EXPECT_EQ(DecodeHeader(long11, 932), long11);
    const std::string text4096 = std::string(4092, 'A') + "YQ==";
    EXPECT_EQ(DecodeHeader("=?X?B?" + text4096 + "?=", 932).size(), 4092u / 4 * 3 + 1);
    const std::string long4097 = "=?X?B?A" + text4096 + "?=";
    EXPECT_EQ(DecodeHeader(long4097, 932), long4097);
}

TEST(MimeHeader, EncodesEachDoubleByteRunAsOneWord) {
    // "Subject: Re: 日本 and 語" -> ASCII, a word, ASCII, a word.
    const std::string line = "Subject: Re: \x93\xFA\x96\x7B and \x8C\xEA";
    const std::string encoded = EncodeHeader(line, 932);
    EXPECT_EQ(encoded, "Subject: Re: =?ISO-2022-JP?B?" + EncodeBase64("\x1B$@\x46\x7CK\\\x1B(J") +
                           "?= and =?ISO-2022-JP?B?" + EncodeBase64("\x1B$@\x38\x6C\x1B(J") + "?=");
    EXPECT_EQ(DecodeHeader(encoded, 932), line);
    EXPECT_EQ(EncodeHeader("Subject: plain", 932), "Subject: plain");
}

TEST(Recipients, SplitCutAndOrdered) {
    EXPECT_EQ(RecipientList("a@x.jp, b@y.jp (Bob)", "c@z.jp", "d@w.jp"),
              (std::vector<std::string>{"a@x.jp", " b@y.jp ", "c@z.jp", "d@w.jp"}));
    EXPECT_EQ(RecipientList("a@x.jp,, ,(nobody)", "", ""), (std::vector<std::string>{"a@x.jp"}));
    EXPECT_TRUE(RecipientList("", " ", "(x)").empty());
    EXPECT_EQ(CommandAddress("Taro <taro@x.jp>"), "<taro@x.jp>");
    EXPECT_EQ(CommandAddress("taro@x.jp"), "taro@x.jp");
}

TEST(OutgoingMail, RefusedBeforeAnythingIsSent) {
    Status why{};
    EXPECT_FALSE(CheckOutgoingMail({"me@x.jp", "", "", "", "s", "b"}, &why));
    EXPECT_EQ(why, Status::kNoRecipient);
    for (const OutgoingMail& m :
         {OutgoingMail{"me@x.jp\r\nRCPT TO: <e@v.il>", "a@x.jp", "", "", "", ""},
          OutgoingMail{"me@x.jp", "a@x.jp\n", "", "", "", ""},
          OutgoingMail{"me@x.jp", "a@x.jp", "b@x.jp\r", "", "", ""},
          OutgoingMail{"me@x.jp", "a@x.jp", "", "c@x.jp\nData", "", ""}}) {
        EXPECT_FALSE(CheckOutgoingMail(m, &why));
        EXPECT_EQ(why, Status::kLineBreakInAddress);
    }
}

TEST(OutgoingMail, MessageAsSent) {
    const std::string body = "line1\r\n.\r\n..two\rthree\n\x93\xFA\x96\x7B\r\n";
    const std::string m =
        FormatMessage({"Me <me@x.jp>", "a@x.jp", "", "hidden@x.jp", "two\r\nlines", body}, 932);
    EXPECT_EQ(m,
              "From: Me <me@x.jp>\r\nTo: a@x.jp\r\nSubject: two  lines\r\n"
              "X-Mailer: Norv-Mail v1.00\r\nContent-Type: text/plain; charset=ISO-2022-JP\r\n\r\n"
              "line1\r\n..\r\n...two\r\nthree\r\n\x1B$@\x46\x7CK\\\x1B(J\r\n");
    EXPECT_EQ(m.find("hidden"), std::string::npos) << "Bcc goes into RCPT TO only";
    const std::string ascii = FormatMessage({"", "a@x.jp", "c@x.jp", "", "", "x"}, 932);
    EXPECT_EQ(ascii,
              "To: a@x.jp\r\nCc: c@x.jp\r\nX-Mailer: Norv-Mail v1.00\r\n"
              "Content-Type: text/plain\r\n\r\nx\r\n");
    // On other code pages the bytes go unchanged, as plain text.
    const std::string western = FormatMessage({"", "a@x.jp", "", "", "", "caf\xE9"}, 1252);
    EXPECT_NE(western.find("Content-Type: text/plain\r\n\r\ncaf\xE9\r\n"), std::string::npos);
}

TEST(BufferText, CutsAtCharacterBoundaries) {
    char buf[4];
    EXPECT_FALSE(CopyToBuffer(buf, sizeof buf, "ab\x93\xFA", 932));
    EXPECT_STREQ(buf, "ab");  // the double-byte character does not fit whole
    EXPECT_TRUE(CopyToBuffer(buf, sizeof buf, "a\x93\xFA", 932));
    EXPECT_STREQ(buf, "a\x93\xFA");
    EXPECT_FALSE(CopyToBuffer(buf, sizeof buf, "ab\x93\xFA", 1252));
    EXPECT_EQ(std::string(buf), "ab\x93");
    EXPECT_EQ(FitLength("\x81\x40\x81", 3, 932), 3u);  // a lone lead byte at the end is a character
}

TEST(MailConfig, ScramblingAsStored) {
    // "secret" -> base64 "c2VjcmV0" -> base64 "YzJWamNtVjA=" -> each byte XOR 2.
    EXPECT_EQ(ScramblePassword("secret"), "[xHUcoLvThC?");
    EXPECT_EQ(UnscramblePassword("[xHUcoLvThC?"), "secret");
    for (const std::string& p :
         std::vector<std::string>{"", "a", "ab", "abc", "p@ss w0rd!", "\x93\xFA\x96\x7B",
                                  std::string(kMaxPasswordLength, 'x')}) {
        EXPECT_EQ(UnscramblePassword(ScramblePassword(p)), p);
        EXPECT_LE(ScramblePassword(p).size(), kMaxValueLength);
    }
}

TEST(MailConfig, ReadsTheSectionAsTheSettingsFilesAreRead) {
    const std::string text =
        "[Settings]\r\nName=not this\r\n[mail]\r\n name = Taro \r\nADDRESS=\"taro@x.jp\"\r\n"
        "Login=taro\r\nPass=[xHUcoLvThC?\r\nPOPServer=[::1]:1110\r\nDeleteMail=1yes\r\n";
    const MailSettings s = ParseMailSettings(text, 932);
    EXPECT_EQ(s.name, "Taro");
    EXPECT_EQ(s.address, "taro@x.jp");
    EXPECT_EQ(s.login, "taro");
    EXPECT_EQ(s.password, "secret");
    EXPECT_EQ(s.popServer, "[::1]:1110");
    EXPECT_EQ(s.smtpServer, "");
    EXPECT_EQ(s.deleteMail, '1');
    EXPECT_EQ(ParseMailSettings("", 932).deleteMail, '0');
    // A value is at most 255 bytes, cut at a character boundary.
    const std::string longName = "[Mail]\nName=a" + std::string(300, '\x82') + "\n";
    EXPECT_EQ(ParseMailSettings(longName, 932).name.size(), 255u);
}

TEST(MailConfig, WritingKeepsEverythingElse) {
    MailSettings s;
    s.name = "Taro";
    s.address = "taro@x.jp";
    s.login = "taro";
    s.password = "secret";
    s.popServer = "pop.x.jp";
    s.smtpServer = "smtp.x.jp:587";
    s.deleteMail = '1';
    static const struct {
        std::string_view before, after;
        const char* why;
    } kCases[] = {
        {"",
         "[Mail]\nName=Taro\nAddress=taro@x.jp\nLogin=taro\nPass=[xHUcoLvThC?\nPOPServer=pop.x.jp\n"
         "SMTPServer=smtp.x.jp:587\nDeleteMail=1\n",
         "a new file"},
        {"[A]\r\nk=v\r\n\r\n[Mail]\r\nname=old\r\nOther=kept\r\nName=second\r\n\r\n[B]\r\nx=1",
         "[A]\r\nk=v\r\n\r\n[Mail]\r\nName=Taro\r\nOther=kept\r\nAddress=taro@x.jp\r\nLogin="
         "taro\r\n"
         "Pass=[xHUcoLvThC?\r\nPOPServer=pop.x.jp\r\nSMTPServer=smtp.x.jp:587\r\nDeleteMail="
         "1\r\n\r\n[B]\r\nx=1",
         "other sections and keys kept, missing keys at the section's end, line ends kept"},
        {"; comment\n[Other]\nName=x",
         "; comment\n[Other]\nName=x\n[Mail]\nName=Taro\nAddress=taro@x.jp\n"
         "Login=taro\nPass=[xHUcoLvThC?\nPOPServer=pop.x.jp\nSMTPServer=smtp.x.jp:587\nDeleteMail="
         "1\n",
         "a missing section at the end"},
    };
    for (const auto& c : kCases) EXPECT_EQ(UpdateMailSettings(c.before, s, 932), c.after) << c.why;
    // Written settings read back as they were.
    const MailSettings r = ParseMailSettings(UpdateMailSettings(kCases[1].before, s, 932), 932);
    EXPECT_EQ(r.password, "secret");
    EXPECT_EQ(r.smtpServer, "smtp.x.jp:587");
    EXPECT_EQ(r.deleteMail, '1');
    // A value cannot add a line.
    s.name = "Taro\r\nLogin=evil";
    EXPECT_EQ(ParseMailSettings(UpdateMailSettings("", s, 932), 932).login, "taro");
}

TEST(MailConfig, TlsKeysBesideTheDesignedSeven) {
    // A file without them reads as before, and a plain configuration is written as before.
    const MailSettings plain = ParseMailSettings("[Mail]\nLogin=taro\n", 932);
    EXPECT_EQ(plain.popSecurity, '0');
    EXPECT_EQ(plain.smtpSecurity, '0');
    EXPECT_EQ(plain.smtpAuth, '0');
    EXPECT_EQ(UpdateMailSettings("", plain, 932).find("Security"), std::string::npos);
    MailSettings s = plain;
    s.popSecurity = '2';
    s.smtpSecurity = '1';
    s.smtpAuth = '1';
    s.smtpLogin = "submit";
    s.smtpPassword = "smtp secret";
    s.caFile = "/etc/company-ca.pem";
    const std::string written = UpdateMailSettings("", s, 932);
    EXPECT_NE(
        written.find("POPSecurity=2\nSMTPSecurity=1\nSMTPAuth=1\nSMTPLogin=submit\nSMTPPass=" +
                     ScramblePassword("smtp secret") + "\nCAFile=/etc/company-ca.pem\n"),
        std::string::npos)
        << written;
    const MailSettings r = ParseMailSettings(written, 932);
    EXPECT_EQ(r.smtpPassword, "smtp secret");
    EXPECT_EQ(r.caFile, "/etc/company-ca.pem");
    EXPECT_EQ(r.popSecurity, '2');
}

TEST(Capabilities, CapaAndEhloReplies) {
    EXPECT_TRUE(CapaOffers({"TOP", "stls", "USER"}, "STLS"));
    EXPECT_FALSE(CapaOffers({"TOP", "STLSX", " "}, "STLS"));
    const EhloOffer a = ParseEhloReply({"250-mail.example", "250-starttls", "250 AUTH LOGIN"});
    EXPECT_TRUE(a.startTls);
    EXPECT_TRUE(a.authLogin);
    EXPECT_FALSE(a.authPlain);
    const EhloOffer b =
        ParseEhloReply({"250-x", "250-AUTH=PLAIN", "250 AUTH CRAM-MD5 PLAIN", "25"});
    EXPECT_FALSE(b.startTls);
    EXPECT_TRUE(b.authPlain);
}

}  // namespace
}  // namespace norv::mail
