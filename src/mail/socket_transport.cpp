// The transport over POSIX sockets.
//
// The socket stays non-blocking from creation on; every wait is a poll() with the remaining
// time, so connect, send and receive each give up after the time-out. Sends use MSG_NOSIGNAL:
// a server that closed its end makes a send fail, never kills the host process.
#include <errno.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>

#include "mail/transport.h"

namespace norv::mail {
namespace {

using Clock = std::chrono::steady_clock;

int MsLeft(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// Waits for `events` on fd until the deadline; 1 ready, 0 timed out, -1 error.
int WaitFor(int fd, short events, Clock::time_point deadline) {
    for (;;) {
        pollfd p{fd, events, 0};
        const int rc = poll(&p, 1, MsLeft(deadline));
        if (rc > 0) return 1;
        if (rc == 0) return 0;
        if (errno != EINTR) return -1;
    }
}

class SocketTransport final : public Transport {
  public:
    ~SocketTransport() override { Close(); }

    NetStatus Connect(const ServerAddress& server, int timeoutMs) override {
        Close();
        NetStatus last = NetStatus::kFailed;
        for (const SocketAddress& a : server.addresses) {
            const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
            const int fd =
                socket(a.address.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
            if (fd < 0) continue;
            int rc = connect(fd, reinterpret_cast<const sockaddr*>(&a.address), a.length);
            if (rc != 0 && errno == EINPROGRESS) {
                const int w = WaitFor(fd, POLLOUT, deadline);
                if (w == 1) {
                    int err = 0;
                    socklen_t len = sizeof err;
                    rc = (getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len) == 0 && err == 0) ? 0
                                                                                             : -1;
                } else {
                    rc = -1;
                    if (w == 0) last = NetStatus::kTimedOut;
                }
            }
            if (rc == 0) {
                // Commands are short lines, each waited for: send them at once.
                int one = 1;
                setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
                fd_ = fd;
                return NetStatus::kOk;
            }
            close(fd);
        }
        return last;
    }

    NetStatus Send(std::string_view bytes, int timeoutMs) override {
        if (fd_ < 0) return NetStatus::kClosed;
        const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        while (!bytes.empty()) {
            const ssize_t n = send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
            if (n > 0) {
                bytes.remove_prefix(static_cast<size_t>(n));
                continue;
            }
            if (n < 0 && errno == EINTR) continue;
            if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
                const int w = WaitFor(fd_, POLLOUT, deadline);
                if (w == 1) continue;
                return w == 0 ? NetStatus::kTimedOut : NetStatus::kFailed;
            }
            return (errno == EPIPE || errno == ECONNRESET) ? NetStatus::kClosed
                                                           : NetStatus::kFailed;
        }
        return NetStatus::kOk;
    }

    NetStatus Receive(char* buf, size_t capacity, size_t* got, int timeoutMs) override {
        *got = 0;
        if (fd_ < 0) return NetStatus::kClosed;
        const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            const ssize_t n = recv(fd_, buf, capacity, 0);
            if (n > 0) {
                *got = static_cast<size_t>(n);
                return NetStatus::kOk;
            }
            if (n == 0) return NetStatus::kClosed;
            if (errno == EINTR) continue;
            if (errno == EAGAIN || errno == EWOULDBLOCK) {
                const int w = WaitFor(fd_, POLLIN, deadline);
                if (w == 1) continue;
                return w == 0 ? NetStatus::kTimedOut : NetStatus::kFailed;
            }
            return errno == ECONNRESET ? NetStatus::kClosed : NetStatus::kFailed;
        }
    }

    void Close() override {
        if (fd_ >= 0) close(fd_);
        fd_ = -1;
    }

  private:
    int fd_ = -1;
};

}  // namespace

std::unique_ptr<Transport> MakeSocketTransport() {
    return std::make_unique<SocketTransport>();
}

int TimeoutMsFromEnvironment() {
    constexpr int kDefaultSeconds = 60;
    constexpr long kMaxSeconds = 24 * 3600;
    const char* s = std::getenv("NORVINET_TIMEOUT");
    if (s && *s) {
        char* end = nullptr;
        const long v = std::strtol(s, &end, 10);
        if (end && *end == '\0' && v > 0) return static_cast<int>(std::min(v, kMaxSeconds) * 1000);
    }
    return kDefaultSeconds * 1000;
}

}  // namespace norv::mail
