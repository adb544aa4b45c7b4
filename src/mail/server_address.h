// Server names as scripts give them: a host name, a dotted IPv4 address or an IPv6 address,
// optionally followed by ":port" ("mail.example.jp", "192.0.2.1:1110", "[::1]:1110", "::1").
// An IPv6 address with a port must be bracketed; a name with more than one ":" and no brackets
// is an IPv6 address without a port.
#pragma once

#include <sys/socket.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace norv::mail {

struct SocketAddress {
    sockaddr_storage address{};
    socklen_t length = 0;
};

struct ServerAddress {
    std::string name;  // as given
    std::string host;  // without the port and the brackets
    uint16_t port = 0;
    std::vector<SocketAddress> addresses;  // in the resolver's order; empty: no server
};

struct HostAndPort {
    std::string host;
    uint16_t port = 0;
};

// Splits a server name; nothing when the port is not a number from 1 to 65535 or a bracket is
// not closed. Blanks around the name are ignored.
std::optional<HostAndPort> SplitServerName(std::string_view name, uint16_t defaultPort);

enum class ResolveStatus { kResolved, kEmpty, kBadName, kNotFound };

// Splits and resolves (getaddrinfo, TCP). An empty name is not resolved (kEmpty, no
// addresses).
ResolveStatus ResolveServer(std::string_view name, uint16_t defaultPort, ServerAddress* out);

}  // namespace norv::mail
