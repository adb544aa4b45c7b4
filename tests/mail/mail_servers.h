// Real mail servers on loopback for the tests: Dovecot's POP3 server and an aiosmtpd sink that
// stores each message into the Dovecot user's Maildir, both on an unprivileged port of their
// own, on 127.0.0.1 and (where it can be bound) ::1.
//
// The servers are started once per test program (Get()) and stopped, killed and waited for,
// when the program ends, a failing one included. They need root (Dovecot drops to its own users
// and reads the mail as "nobody"); without it, or without the packages, Get() says why and the
// tests skip.
#pragma once

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace norv::mail::testing {

inline bool CanBind(int family, uint16_t port) {
    const int fd = socket(family, SOCK_STREAM, 0);
    if (fd < 0) return false;
    int one = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    bool ok;
    if (family == AF_INET6) {
        sockaddr_in6 a{};
        a.sin6_family = AF_INET6;
        a.sin6_port = htons(port);
        a.sin6_addr = in6addr_loopback;
        ok = bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    } else {
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(port);
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ok = bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    }
    close(fd);
    return ok;
}

inline bool Accepts(const char* host, uint16_t port) {
    const bool v6 = std::string(host).find(':') != std::string::npos;
    const int fd = socket(v6 ? AF_INET6 : AF_INET, SOCK_STREAM, 0);
    if (fd < 0) return false;
    int rc;
    if (v6) {
        sockaddr_in6 a{};
        a.sin6_family = AF_INET6;
        a.sin6_port = htons(port);
        inet_pton(AF_INET6, host, &a.sin6_addr);
        rc = connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    } else {
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(port);
        inet_pton(AF_INET, host, &a.sin_addr);
        rc = connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    }
    close(fd);
    return rc == 0;
}

// A free port on the loopback addresses of both families (where ::1 exists).
inline uint16_t FreePort(bool ipv6, uint16_t after) {
    for (uint16_t p = static_cast<uint16_t>(after + 1 + getpid() % 500); p < 60000;
         p = static_cast<uint16_t>(p + 7)) {
        if (CanBind(AF_INET, p) && (!ipv6 || CanBind(AF_INET6, p))) return p;
    }
    return 0;
}

inline pid_t Spawn(const std::vector<std::string>& argv, const std::string& log) {
    const pid_t pid = fork();
    if (pid == 0) {
        const int fd = open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        if (fd >= 0) {
            dup2(fd, 1);
            dup2(fd, 2);
        }
        setpgid(0, 0);
        // A test program that dies does not leave its servers behind.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        std::vector<char*> args;
        for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execv(args[0], args.data());
        _exit(127);
    }
    return pid;
}

inline void Stop(pid_t pid) {
    if (pid <= 0) return;
    kill(pid, SIGTERM);
    for (int i = 0; i < 100; ++i) {
        if (waitpid(pid, nullptr, WNOHANG) == pid) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    kill(-pid, SIGKILL);
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

class MailServers {
  public:
    static MailServers& Get() {
        static MailServers servers;
        return servers;
    }

    bool running() const { return why_.empty(); }
    const std::string& why() const { return why_; }
    bool ipv6() const { return ipv6_; }
    uint16_t popPort() const { return popPort_; }
    uint16_t smtpPort() const { return smtpPort_; }
    const std::string& maildir() const { return maildir_; }
    const std::string& folder() const { return dir_; }
    std::string envelopes() const { return dir_ + "/envelopes.log"; }
    // TLS: the test authority (CAFile), the POP3S port (the plain port offers STLS), the
    // submission port (STARTTLS and AUTH required) and the SMTPS port; and TLS servers whose
    // certificates are wrong: from another authority, for another name, expired.
    std::string caFile() const { return dir_ + "/ca.pem"; }
    uint16_t pop3sPort() const { return pop3sPort_; }
    // Dovecot's plain listener on 127.0.0.2: reached from 127.0.0.1, the connection is not a
    // local one to Dovecot, which then refuses log-ins until STLS has secured it.
    uint16_t stlsPort() const { return stlsPort_; }
    static constexpr const char* kStlsHost = "127.0.0.2";
    uint16_t submissionPort() const { return submissionPort_; }
    uint16_t smtpsPort() const { return smtpsPort_; }
    uint16_t otherAuthorityPort() const { return probePorts_[0]; }
    uint16_t otherNamePort() const { return probePorts_[1]; }
    uint16_t expiredPort() const { return probePorts_[2]; }
    // A TLS server with the right certificate that never resumes a session it issued.
    uint16_t forgetfulPort() const { return probePorts_[3]; }
    std::string dovecotLog() const { return dir_ + "/dovecot.log"; }
    // The SMTP sink's line per AUTH command: its port and whether TLS was on ("tls"/"plain").
    std::string smtpAuthLog() const { return dir_ + "/smtp-auth.log"; }
    static constexpr const char* kUser = "taro";
    static constexpr const char* kPassword = "secret";

    // Removes every stored message.
    void EmptyMailbox() const {
        std::error_code ec;
        for (const char* sub : {"/new", "/cur", "/tmp"})
            for (const auto& e : std::filesystem::directory_iterator(maildir_ + sub, ec))
                std::filesystem::remove(e.path(), ec);
        std::filesystem::remove(envelopes(), ec);
    }

    // The messages as stored, oldest first.
    std::vector<std::string> StoredFiles() const {
        std::vector<std::string> files;
        std::error_code ec;
        for (const char* sub : {"/new", "/cur"})
            for (const auto& e : std::filesystem::directory_iterator(maildir_ + sub, ec))
                files.push_back(e.path().string());
        std::sort(files.begin(), files.end(), [](const std::string& a, const std::string& b) {
            return std::filesystem::path(a).filename() < std::filesystem::path(b).filename();
        });
        return files;
    }

    ~MailServers() {
        Stop(smtp_);
        Stop(dovecot_);
        std::error_code ec;
        if (!dir_.empty() && !std::getenv("NORV_KEEP_MAIL_SERVERS"))
            std::filesystem::remove_all(dir_, ec);
    }

  private:
    MailServers() {
        if (geteuid() != 0) {
            why_ = "the mail servers need root (Dovecot reads the mail as nobody)";
            return;
        }
        if (access("/usr/sbin/dovecot", X_OK) != 0 || access("/usr/bin/python3", X_OK) != 0 ||
            std::system("/usr/bin/python3 -c 'import aiosmtpd' 2>/dev/null") != 0) {
            why_ = "dovecot-pop3d and python3-aiosmtpd are not installed";
            return;
        }
        std::string tmpl = std::string(std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp") +
                           "/norv-mail-servers-XXXXXX";
        if (!mkdtemp(tmpl.data())) {
            why_ = "no temporary folder";
            return;
        }
        dir_ = tmpl;
        chmod(dir_.c_str(), 0755);
        ipv6_ = CanBind(AF_INET6, 0);
        popPort_ = FreePort(ipv6_, 20000);
        smtpPort_ = FreePort(ipv6_, popPort_);
        maildir_ = dir_ + "/mail/" + kUser + "/Maildir";
        for (const char* sub : {"/new", "/cur", "/tmp"})
            std::filesystem::create_directories(maildir_ + sub);
        std::system(("chown -R nobody:nogroup '" + dir_ + "/mail'").c_str());
        std::filesystem::create_directories(dir_ + "/run");
        std::filesystem::create_directories(dir_ + "/state");
        std::ofstream(dir_ + "/passwd") << kUser << ":{PLAIN}" << kPassword << "::::::\n";
        pop3sPort_ = FreePort(false, smtpPort_);
        stlsPort_ = FreePort(false, pop3sPort_);
        submissionPort_ = FreePort(false, stlsPort_);
        smtpsPort_ = FreePort(false, submissionPort_);
        uint16_t last = smtpsPort_;
        for (uint16_t& p : probePorts_) last = p = FreePort(false, last);
        if (!MakeCertificates()) {
            why_ = "openssl could not make the test certificates";
            return;
        }
        std::ofstream conf(dir_ + "/dovecot.conf");
        conf << "protocols = pop3\nlisten = 127.0.0.1" << (ipv6_ ? ", ::1" : "") << "\n"
             << "base_dir = " << dir_ << "/run\nstate_dir = " << dir_ << "/state\n"
             << "log_path = " << dir_ << "/dovecot.log\n"
             << "ssl = required\nssl_cert = <" << dir_ << "/server.pem\nssl_key = <" << dir_
             << "/server.key\n"
             << "ssl_min_protocol = TLSv1.2\ndisable_plaintext_auth = no\nauth_failure_delay = 0\n"
             << "default_internal_user = dovecot\ndefault_login_user = dovenull\n"
             << "mail_location = maildir:" << dir_ << "/mail/%u/Maildir\n"
             << "pop3_uidl_format = %08Xu%08Xv\n"
             << "passdb {\n  driver = passwd-file\n  args = scheme=PLAIN username_format=%u "
             << dir_ << "/passwd\n}\n"
             << "userdb {\n  driver = static\n  args = uid=nobody gid=nogroup home=" << dir_
             << "/mail/%u\n}\n"
             // One log-in process for every connection, so that its session tickets resume.
             << "service pop3-login {\n  chroot =\n  service_count = 0\n"
             << "  inet_listener pop3 {\n    port = " << popPort_
             << "\n  }\n  inet_listener pop3s {\n    address = 127.0.0.1\n    port = " << pop3sPort_
             << "\n    ssl = yes\n  }\n  inet_listener pop3stls {\n    address = " << kStlsHost
             << "\n    port = " << stlsPort_
             << "\n  }\n}\nservice imap-login {\n  chroot =\n}\nservice anvil {\n  "
                "chroot =\n}\n";
        conf.close();
        dovecot_ =
            Spawn({"/usr/sbin/dovecot", "-F", "-c", dir_ + "/dovecot.conf"}, dir_ + "/dovecot.out");
        std::vector<std::string> sink{"/usr/bin/python3",
                                      std::string(NORV_SOURCE_DIR) + "/tests/mail/smtp_sink.py",
                                      std::to_string(smtpPort_),
                                      maildir_,
                                      envelopes(),
                                      "127.0.0.1"};
        if (ipv6_) sink.push_back("::1");
        for (const std::string& a :
             {std::string("--tls"), dir_ + "/server.pem", dir_ + "/server.key",
              std::to_string(submissionPort_), std::to_string(smtpsPort_), smtpAuthLog()})
            sink.push_back(a);
        const char* probes[] = {"other-ca", "other-name", "expired", "server"};
        for (size_t i = 0; i < 4; ++i) {
            for (const std::string& a :
                 {std::string(i == 3 ? "--forgetful" : "--probe"), std::to_string(probePorts_[i]),
                  dir_ + "/" + probes[i] + ".pem", dir_ + "/" + probes[i] + ".key"})
                sink.push_back(a);
        }
        smtp_ = Spawn(sink, dir_ + "/smtp.out");
        for (int i = 0; i < 200; ++i) {
            if (Accepts("127.0.0.1", popPort_) && Accepts("127.0.0.1", smtpPort_) &&
                Accepts("127.0.0.1", pop3sPort_) && Accepts(kStlsHost, stlsPort_) &&
                Accepts("127.0.0.1", submissionPort_) && Accepts("127.0.0.1", smtpsPort_) &&
                Accepts("127.0.0.1", probePorts_[2]) && Accepts("127.0.0.1", probePorts_[3]) &&
                (!ipv6_ || (Accepts("::1", popPort_) && Accepts("::1", smtpPort_))))
                return;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        why_ = "the servers did not start (see " + dir_ + ")";
    }

    // The test authority, the servers' certificate (localhost, 127.0.0.1, 127.0.0.2) and the wrong
    // ones, with openssl req and openssl x509.
    bool MakeCertificates() {
        const std::string d = dir_;
        std::ofstream(d + "/san") << "subjectAltName=DNS:localhost,IP:127.0.0.1,IP:127.0.0.2\n";
        std::ofstream(d + "/other-san") << "subjectAltName=DNS:other.example\n";
        const std::string ssl = "openssl ";
        auto req = [&](const std::string& name, const std::string& cn) {
            return ssl + "req -newkey rsa:2048 -nodes -keyout '" + d + "/" + name + ".key' -out '" +
                   d + "/" + name + ".csr' -subj '/CN=" + cn + "' 2>/dev/null";
        };
        auto sign = [&](const std::string& name, const std::string& ca, const std::string& san,
                        int days) {
            return ssl + "x509 -req -in '" + d + "/" + name + ".csr' -CA '" + d + "/" + ca +
                   ".pem' -CAkey '" + d + "/" + ca + ".key' -CAcreateserial -out '" + d + "/" +
                   name + ".pem' -days " + std::to_string(days) + " -extfile '" + d + "/" + san +
                   "' 2>/dev/null";
        };
        const std::string cmds[] = {
            ssl + "req -x509 -newkey rsa:2048 -nodes -keyout '" + d + "/ca.key' -out '" + d +
                "/ca.pem' -days 30 -subj '/CN=Norv Test CA' 2>/dev/null",
            ssl + "req -x509 -newkey rsa:2048 -nodes -keyout '" + d + "/ca2.key' -out '" + d +
                "/ca2.pem' -days 30 -subj '/CN=Another CA' 2>/dev/null",
            req("server", "localhost"),
            sign("server", "ca", "san", 30),
            req("other-ca", "localhost"),
            sign("other-ca", "ca2", "san", 30),
            req("other-name", "other.example"),
            sign("other-name", "ca", "other-san", 30),
            req("expired", "localhost"),
            sign("expired", "ca", "san", -1),
        };
        for (const auto& c : cmds)
            if (std::system(c.c_str()) != 0) return false;
        std::system(("chmod 644 '" + d + "'/*.key").c_str());
        return true;
    }

    std::string why_;
    std::string dir_, maildir_;
    bool ipv6_ = false;
    uint16_t popPort_ = 0, smtpPort_ = 0, pop3sPort_ = 0, stlsPort_ = 0, submissionPort_ = 0,
             smtpsPort_ = 0;
    uint16_t probePorts_[4] = {};
    pid_t dovecot_ = -1, smtp_ = -1;
};

}  // namespace norv::mail::testing
