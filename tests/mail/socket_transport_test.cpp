// The socket transport against scripted servers on loopback: time-outs, dropped connections,
// addresses tried in turn, and no SIGPIPE when a server goes away during a send.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <thread>

#include "mail_test_support.h"

namespace norv::mail {
namespace {

// A server on 127.0.0.1 that accepts one connection and runs `script` on it in a thread.
class ScriptedServer {
  public:
    explicit ScriptedServer(std::function<void(int)> script) {
        listen_ = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(listen_, reinterpret_cast<sockaddr*>(&a), sizeof a);
        socklen_t len = sizeof a;
        getsockname(listen_, reinterpret_cast<sockaddr*>(&a), &len);
        port_ = ntohs(a.sin_port);
        listen(listen_, 4);
        thread_ = std::thread([this, script = std::move(script)] {
            pollfd p{listen_, POLLIN, 0};
            if (poll(&p, 1, 10000) <= 0) return;
            const int fd = accept(listen_, nullptr, nullptr);
            if (fd < 0) return;
            script(fd);
            close(fd);
        });
    }
    ~ScriptedServer() {
        shutdown(listen_, SHUT_RDWR);
        thread_.join();
        close(listen_);
    }
    std::string name() const { return "127.0.0.1:" + std::to_string(port_); }

  private:
    int listen_ = -1;
    uint16_t port_ = 0;
    std::thread thread_;
};

void Say(int fd, std::string_view text) {
    send(fd, text.data(), text.size(), MSG_NOSIGNAL);
}

// Reads until the client closes or `ms` pass.
void DrainUntilClosed(int fd, int ms) {
    char buf[4096];
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < end) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 50) > 0 && recv(fd, buf, sizeof buf, 0) <= 0) return;
    }
}

struct SocketLibrary {
    std::shared_ptr<testing::WindowLog> windows = std::make_shared<testing::WindowLog>();
    platform::MemoryFileSystem files;
    std::unique_ptr<MailLibrary> library;
    explicit SocketLibrary(int timeoutMs) {
        MailLibrary::Services s;
        s.transports = MakeSocketTransport;
        s.files = &files;
        s.codePage = 932;
        s.timeoutMs = timeoutMs;
        library = std::make_unique<MailLibrary>(
            std::move(s), std::make_unique<testing::RecordingWindows>(windows));
        files.files["/m.ini"] = "[Mail]\nPass=" + ScramblePassword("pw") + "\n";
        char b[256], f[2];
        library->GetConfiguration("/m.ini", b, b, b, b, b, f);
    }
};

TEST(SocketTransport, TimeOutComesFromTheEnvironment) {
    unsetenv("NORVINET_TIMEOUT");
    EXPECT_EQ(TimeoutMsFromEnvironment(), 60000);
    setenv("NORVINET_TIMEOUT", "2", 1);
    EXPECT_EQ(TimeoutMsFromEnvironment(), 2000);
    setenv("NORVINET_TIMEOUT", "-3", 1);
    EXPECT_EQ(TimeoutMsFromEnvironment(), 60000);
    setenv("NORVINET_TIMEOUT", "2x", 1);
    EXPECT_EQ(TimeoutMsFromEnvironment(), 60000);
    unsetenv("NORVINET_TIMEOUT");
}

TEST(SocketTransport, ASilentServerFailsWithinTheTimeOut) {
    setenv("NORVINET_TIMEOUT", "2", 1);
    SocketLibrary m(TimeoutMsFromEnvironment());
    unsetenv("NORVINET_TIMEOUT");
    ScriptedServer pop([](int fd) { DrainUntilClosed(fd, 8000); });
    ScriptedServer smtp([](int fd) { DrainUntilClosed(fd, 8000); });
    ASSERT_EQ(m.library->Initialize(pop.name().c_str(), smtp.name().c_str(), 1), 1);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(m.library->Authenticate("taro"), 0);
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_STREQ(m.library->GetErrorStatus(), "The server did not answer in time.");
    EXPECT_LT(took, std::chrono::seconds(5));
    EXPECT_GE(took, std::chrono::milliseconds(1900));
}

TEST(SocketTransport, ASilentSmtpServerFailsAndHidesTheStatusWindow) {
    SocketLibrary m(1000);
    ScriptedServer pop([](int fd) {
        Say(fd, testing::Pop3Login() + "+OK bye\r\n");
        DrainUntilClosed(fd, 3000);
    });
    ScriptedServer smtp([](int fd) {
        Say(fd, "220 hi\r\n");
        DrainUntilClosed(fd, 5000);
    });
    ASSERT_EQ(m.library->Initialize(pop.name().c_str(), smtp.name().c_str(), 1), 1);
    ASSERT_EQ(m.library->Authenticate("taro"), 1);
    EXPECT_EQ(m.library->SendMail("a@x.jp", "b@x.jp", "", "", "s", "b"), 0);
    EXPECT_STREQ(m.library->GetErrorStatus(), "The server did not answer in time.");
    EXPECT_FALSE(m.windows->shown);
}

TEST(SocketTransport, AServerThatGoesAwayDuringDataRaisesNoSignal) {
    SocketLibrary m(3000);
    ScriptedServer pop([](int fd) {
        Say(fd, testing::Pop3Login() + "+OK bye\r\n");
        DrainUntilClosed(fd, 3000);
    });
    ScriptedServer smtp([](int fd) {
        // Answers each command as it comes; after DATA's 354 it is gone before the body
        // arrives, so the client's sends meet a reset connection.
        Say(fd, "220 hi\r\n");
        std::string got;
        char buf[4096];
        for (const char* reply : {"250 hi\r\n", "250 ok\r\n", "250 ok\r\n", "354 go\r\n"}) {
            size_t lines = 0;
            while ((lines = static_cast<size_t>(std::count(got.begin(), got.end(), '\n'))) == 0) {
                const ssize_t n = recv(fd, buf, sizeof buf, 0);
                if (n <= 0) return;
                got.append(buf, static_cast<size_t>(n));
            }
            got.erase(0, got.find('\n') + 1);
            Say(fd, reply);
        }
        linger l{1, 0};
        setsockopt(fd, SOL_SOCKET, SO_LINGER, &l, sizeof l);
    });
    ASSERT_EQ(m.library->Initialize(pop.name().c_str(), smtp.name().c_str(), 1), 1);
    ASSERT_EQ(m.library->Authenticate("taro"), 1);
    const std::string body(4 << 20, 'x');
    EXPECT_EQ(m.library->SendMail("a@x.jp", "b@x.jp", "", "", "s", body.c_str()), 0);
    EXPECT_STREQ(m.library->GetErrorStatus(), "The server closed the connection.");
}

TEST(SocketTransport, EachAddressIsTriedInTurn) {
    ScriptedServer server([](int fd) { Say(fd, "+OK hi\r\n"); });
    ServerAddress a;
    ASSERT_EQ(ResolveServer(server.name(), 110, &a), ResolveStatus::kResolved);
    // An address where nobody listens comes first.
    ServerAddress dead;
    ASSERT_EQ(ResolveServer("127.0.0.1:1", 110, &dead), ResolveStatus::kResolved);
    a.addresses.insert(a.addresses.begin(), dead.addresses.front());
    auto t = MakeSocketTransport();
    ASSERT_EQ(t->Connect(a, 2000), NetStatus::kOk);
    char buf[16];
    size_t got = 0;
    ASSERT_EQ(t->Receive(buf, sizeof buf, &got, 2000), NetStatus::kOk);
    EXPECT_EQ(std::string(buf, got), "+OK hi\r\n");
    EXPECT_EQ(t->Connect(dead, 2000), NetStatus::kFailed);
}

TEST(ServerNames, PortsBracketsAndFamilies) {
    static const struct {
        std::string_view name;
        bool ok;
        std::string_view host;
        uint16_t port;
    } kCases[] = {
        {"mail.example.jp", true, "mail.example.jp", 110},
        {" 192.0.2.1:1110 ", true, "192.0.2.1", 1110},
        {"[::1]:1110", true, "::1", 1110},
        {"[::1]", true, "::1", 110},
        {"::1", true, "::1", 110},
        {"fe80::1:2", true, "fe80::1:2", 110},
        {"host:0", false, "", 0},
        {"host:65536", false, "", 0},
        {"host:", false, "", 0},
        {"[::1", false, "", 0},
        {"[::1]x", false, "", 0},
    };
    for (const auto& c : kCases) {
        const auto hp = SplitServerName(c.name, 110);
        ASSERT_EQ(hp.has_value(), c.ok) << c.name;
        if (!hp) continue;
        EXPECT_EQ(hp->host, c.host) << c.name;
        EXPECT_EQ(hp->port, c.port) << c.name;
    }
    ServerAddress a;
    EXPECT_EQ(ResolveServer("", 25, &a), ResolveStatus::kEmpty);
    EXPECT_TRUE(a.addresses.empty());
    EXPECT_EQ(ResolveServer("[::1]:2525", 25, &a), ResolveStatus::kResolved);
    EXPECT_EQ(a.addresses.front().address.ss_family, AF_INET6);
    EXPECT_EQ(a.host, "::1");
}

}  // namespace
}  // namespace norv::mail
