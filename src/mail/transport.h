// The byte stream under the POP3 and SMTP dialogues: connect, send, receive, close, each
// bounded by a time-out, so that a dead server fails a call instead of freezing the editor.
//
// The dialogues see only this interface: the tests and fuzz targets replay a server's bytes
// through it, and an encrypting stream can sit under the same dialogues.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "mail/server_address.h"

namespace norv::mail {

enum class NetStatus { kOk, kTimedOut, kClosed, kFailed };

class Transport {
  public:
    virtual ~Transport() = default;
    // Tries each address of the server in turn until one accepts within the time-out.
    virtual NetStatus Connect(const ServerAddress& server, int timeoutMs) = 0;
    // Sends all bytes.
    virtual NetStatus Send(std::string_view bytes, int timeoutMs) = 0;
    // Receives between 1 and `capacity` bytes into `buf`.
    virtual NetStatus Receive(char* buf, size_t capacity, size_t* got, int timeoutMs) = 0;
    virtual void Close() = 0;
    // Starts TLS on the open connection, checking the certificate against `host`; only an
    // encrypting transport can. On failure LastError() says why, in the status line's words.
    virtual NetStatus StartTls(const std::string& /*host*/, int /*timeoutMs*/) {
        return NetStatus::kFailed;
    }
    virtual std::string LastError() const { return {}; }
    virtual bool Encrypted() const { return false; }
};

using TransportFactory = std::function<std::unique_ptr<Transport>()>;

// POSIX sockets (non-blocking, waits through poll; never raises SIGPIPE).
std::unique_ptr<Transport> MakeSocketTransport();

// The time-out of every wait: NORVINET_TIMEOUT seconds when set to a positive number, else 60.
int TimeoutMsFromEnvironment();

}  // namespace norv::mail
