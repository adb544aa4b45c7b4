// The mail library against Dovecot and aiosmtpd on loopback: Japanese mail sent with SendMail
// is stored as any mail program reads it (Python's email package decodes it back), and comes
// back through ListMail and GetMail as the Shift-JIS that was sent, over IPv4 and IPv6.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <iconv.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "mail/mail_library.h"
#include "mail_servers.h"
#include "mail_test_support.h"
#include "platform/file_system.h"
#include "support/temp_dir.h"

namespace norv::mail {
namespace {

using testing::MailServers;

std::string Convert(const char* from, const char* to, std::string_view in) {
    iconv_t cd = iconv_open(to, from);
    std::string out(in.size() * 4 + 16, '\0');
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size(), dstLeft = out.size();
    char* dst = out.data();
    iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    iconv_close(cd);
    out.resize(out.size() - dstLeft);
    return out;
}
std::string Sjis(std::string_view utf8) {
    return Convert("UTF-8", "CP932", utf8);
}

std::string FromHex(const std::string& hex) {
    std::string out;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        out.push_back(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return out;
}

// Subject, sender name, Bcc header and body of a stored message as Python's email reads them.
std::vector<std::string> PythonReading(const std::string& file) {
    const std::string cmd =
        "/usr/bin/python3 '" NORV_SOURCE_DIR "/tests/mail/read_mail.py' '" + file + "'";
    std::vector<std::string> fields;
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return fields;
    char buf[65536];
    while (std::fgets(buf, sizeof buf, p)) {
        std::string l = buf;
        if (!l.empty() && l.back() == '\n') l.pop_back();
        fields.push_back(FromHex(l));
    }
    pclose(p);
    return fields;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class RealServers : public ::testing::TestWithParam<const char*> {
  protected:
    void SetUp() override {
        const MailServers& s = MailServers::Get();
        if (!s.running()) GTEST_SKIP() << s.why();
        host_ = GetParam();
        if (host_ == "::1" && !s.ipv6()) GTEST_SKIP() << "IPv6 loopback (::1) cannot be bound here";
        s.EmptyMailbox();
        const std::string h = host_ == "::1" ? "[::1]" : host_;
        pop_ = h + ":" + std::to_string(s.popPort());
        smtp_ = h + ":" + std::to_string(s.smtpPort());
        settings_ = dir_.Write(
            "mail.ini", "[Mail]\r\nPass=" + ScramblePassword(MailServers::kPassword) + "\r\n");
        MailLibrary::Services services;
        services.transports = MakeSocketTransport;
        services.files = &platform::RealFileSystem();
        services.codePage = 932;
        services.timeoutMs = 10000;
        library_ = std::make_unique<MailLibrary>(
            std::move(services), std::make_unique<testing::RecordingWindows>(windows_));
        char b[256], f[2];
        ASSERT_EQ(library_->GetConfiguration(settings_.c_str(), b, b, b, b, b, f), 1);
        ASSERT_EQ(library_->Initialize(pop_.c_str(), smtp_.c_str(), 1), 1)
            << library_->GetErrorStatus();
        ASSERT_EQ(library_->Authenticate(MailServers::kUser), 1) << library_->GetErrorStatus();
    }

    std::string host_, pop_, smtp_, settings_;
    norv::testing::TempDir dir_;
    std::shared_ptr<testing::WindowLog> windows_ = std::make_shared<testing::WindowLog>();
    std::unique_ptr<MailLibrary> library_;
};

TEST_P(RealServers, JapaneseMailThereAndBack) {
    const std::string subject = "会議の件について（ご確認ください）";
    const std::string fromName = "山田太郎";
    const std::string body =
        "お世話になっております。\r\n来週の会議は、三月十日に変更になりました。\r\n"
        ".で始まる行\r\n\r\nよろしくお願いします。ASCII text 123";
    const std::string from = Sjis(fromName) + " <taro@localhost>";
    ASSERT_EQ(library_->SendMail(from.c_str(), "taro@localhost", "", "hidden@localhost",
                                 Sjis(subject).c_str(), Sjis(body).c_str()),
              1)
        << library_->GetErrorStatus();
    EXPECT_FALSE(windows_->shown);

    // What was stored reads back as the original text in any mail program.
    const MailServers& s = MailServers::Get();
    const auto files = s.StoredFiles();
    ASSERT_EQ(files.size(), 1u);
    const std::string raw = ReadAll(files[0]);
    for (const char c : raw) ASSERT_LT(static_cast<unsigned char>(c), 0x80) << "sent mail is 7-bit";
    EXPECT_EQ(raw.find("hidden"), std::string::npos) << "no Bcc header";
    const auto python = PythonReading(files[0]);
    ASSERT_EQ(python.size(), 4u);
    EXPECT_EQ(python[0], subject);
    EXPECT_EQ(python[1], fromName);
    EXPECT_EQ(python[2], "");
    std::string lfBody = body;
    for (size_t at; (at = lfBody.find("\r\n")) != std::string::npos;) lfBody.replace(at, 2, "\n");
    EXPECT_EQ(python[3], lfBody + "\n");
    const std::string envelope = ReadAll(s.envelopes());
    EXPECT_NE(envelope.find("\"to\": [\"taro@localhost\", \"hidden@localhost\"]"),
              std::string::npos)
        << envelope;

    // And comes back through the POP3 server as the Shift-JIS that was sent.
    ASSERT_EQ(library_->StartReceiveSession(), 1) << library_->GetErrorStatus();
    char line[kListLineSize], status[kListStatusSize];
    const int size = library_->ListMail(line, status);
    ASSERT_GT(size, 0) << library_->GetErrorStatus();
    EXPECT_EQ(std::string(line), "1  " + from + "  " + Sjis(subject));
    EXPECT_EQ(library_->ListMail(line, status), 0);
    std::vector<char> buf(static_cast<size_t>(size) + 1);
    ASSERT_EQ(library_->GetMail(1, buf.data(), 1, 1), 1) << library_->GetErrorStatus();
    const std::string fetched = buf.data();
    EXPECT_NE(fetched.find("\r\nSubject: " + Sjis(subject) + "\r\n"), std::string::npos);
    const size_t bodyAt = fetched.find("\r\n\r\n");
    ASSERT_NE(bodyAt, std::string::npos);
    EXPECT_EQ(fetched.substr(bodyAt + 4), Sjis(body) + "\r\n");
    EXPECT_EQ(library_->GetLastMailNo(), 0) << "Dovecot has no LAST";
    EXPECT_EQ(library_->EndReceiveSession(), 1);
    // The delete flag removed it.
    ASSERT_EQ(library_->StartReceiveSession(), 1);
    EXPECT_EQ(library_->ListMail(line, status), 0);
    EXPECT_EQ(library_->EndReceiveSession(), 1);
    for (const auto& l : windows_->lines) {
        EXPECT_EQ(l.find(MailServers::kPassword), std::string::npos) << l;
        EXPECT_EQ(l.find(Sjis("お世話")), std::string::npos)
            << "no body lines in the status window";
    }
}

TEST_P(RealServers, WrongPasswordShowsTheServersReasonOnly) {
    const std::string wrong =
        dir_.Write("wrong.ini", "[Mail]\r\nPass=" + ScramblePassword("not-the-password") + "\r\n");
    char b[256], f[2];
    ASSERT_EQ(library_->GetConfiguration(wrong.c_str(), b, b, b, b, b, f), 1);
    EXPECT_EQ(library_->Authenticate(MailServers::kUser), 0);
    const std::string status = library_->GetErrorStatus();
    EXPECT_EQ(status.substr(0, 4), "-ERR") << status;
    EXPECT_EQ(status.find("not-the-password"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Loopback, RealServers, ::testing::Values("127.0.0.1", "::1"));

// The shared library itself, as a script's DECLARE loads it: only the designed names are
// exported, and they work without windows in a host without a Qt application.
TEST(SharedLibrary, ExportsTheDesignedNamesAndWorksWithoutWindows) {
    FILE* p = popen(
        "nm -D --defined-only '" NORVINET_PATH "' | awk '$2 == \"T\" {print $3}' | sort", "r");
    ASSERT_TRUE(p);
    std::string names;
    char buf[256];
    while (std::fgets(buf, sizeof buf, p)) names += buf;
    pclose(p);
    EXPECT_EQ(names,
              "DeleteMail\nEndReceiveSession\nGetAddress\nGetConfiguration\nGetErrorStatus\nGetForm"
              "Value\n"
              "GetLastMailNo\nGetMail\nListMail\nMailAuthenticate\nMailInitialize\nMailShutdown\n"
              "NorvOpenURL\nOpenSendForm\nResetMailBox\nSendMail\nSetConfiguration\nSetFormValue\n"
              "StartReceiveSession\n");

    const MailServers& s = MailServers::Get();
    if (!s.running()) GTEST_SKIP() << s.why();
    s.EmptyMailbox();
    void* lib = dlopen(NORVINET_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_TRUE(lib) << dlerror();
    using Init = int (*)(const char*, const char*, int);
    using Text = int (*)(const char*);
    using None = int (*)();
    using Status = const char* (*)();
    using Send =
        int (*)(const char*, const char*, const char*, const char*, const char*, const char*);
    using List = int (*)(char*, char*);
    using Config = int (*)(const char*, char*, char*, char*, char*, char*, char*);
    using SetConfig = int (*)(const char*, int);
    auto sym = [&](const char* n) { return dlsym(lib, n); };
    norv::testing::TempDir dir;
    const std::string ini =
        dir.Write("norv.INI", "[Mail]\nLogin=taro\nPass=" + ScramblePassword("secret") +
                                  "\nPOPServer=127.0.0.1:" + std::to_string(s.popPort()) +
                                  "\nSMTPServer=127.0.0.1:" + std::to_string(s.smtpPort()) + "\n");
    char name[256], address[256], login[256], pop[256], smtp[256], flag[2];
    ASSERT_EQ(reinterpret_cast<Config>(sym("GetConfiguration"))(ini.c_str(), name, address, login,
                                                                pop, smtp, flag),
              1);
    EXPECT_EQ(reinterpret_cast<SetConfig>(sym("SetConfiguration"))(ini.c_str(), 1), 0)
        << "no windows: cancelled";
    ASSERT_EQ(reinterpret_cast<Init>(sym("MailInitialize"))(pop, smtp, 1), 1);
    ASSERT_EQ(reinterpret_cast<Text>(sym("MailAuthenticate"))(login), 1)
        << reinterpret_cast<Status>(sym("GetErrorStatus"))();
    EXPECT_EQ(reinterpret_cast<Text>(sym("MailAuthenticate"))(" "), 0)
        << "the Login dialog counts as cancelled";
    using Form = int (*)(const char*, int);
    using TextOf = const char* (*)(const char*);
    EXPECT_EQ(reinterpret_cast<Form>(sym("OpenSendForm"))(dir.path().c_str(), 1), 2)
        << "the Send Form too";
    EXPECT_STREQ(reinterpret_cast<TextOf>(sym("GetFormValue"))("To"), "");
    ASSERT_EQ(reinterpret_cast<Send>(sym("SendMail"))("taro@localhost", "taro@localhost", nullptr,
                                                      nullptr, nullptr, "\x93\xFA\x96\x7B"),
              1);
    ASSERT_EQ(reinterpret_cast<None>(sym("StartReceiveSession"))(), 1);
    char line[1024], status[256];
    EXPECT_GT(reinterpret_cast<List>(sym("ListMail"))(line, status), 0);
    EXPECT_STREQ(line, "1  taro@localhost  Non-Title");
    EXPECT_EQ(reinterpret_cast<None>(sym("EndReceiveSession"))(), 1);
    EXPECT_EQ(reinterpret_cast<None>(sym("MailShutdown"))(), 1);
    // A loaded library stays loaded until the program ends, as in the editor.
}

}  // namespace
}  // namespace norv::mail
