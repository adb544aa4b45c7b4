// Splitting and resolving server names.
#include "mail/server_address.h"

#include <netdb.h>

#include <cstring>

namespace norv::mail {
namespace {

std::string_view Trim(std::string_view s) {
    const size_t a = s.find_first_not_of(" \t");
    if (a == std::string_view::npos) return {};
    const size_t b = s.find_last_not_of(" \t");
    return s.substr(a, b - a + 1);
}

std::optional<uint16_t> ParsePort(std::string_view s) {
    if (s.empty() || s.size() > 5) return std::nullopt;
    unsigned v = 0;
    for (const char c : s) {
        if (c < '0' || c > '9') return std::nullopt;
        v = v * 10 + static_cast<unsigned>(c - '0');
    }
    if (v == 0 || v > 65535) return std::nullopt;
    return static_cast<uint16_t>(v);
}

}  // namespace

std::optional<HostAndPort> SplitServerName(std::string_view name, uint16_t defaultPort) {
    name = Trim(name);
    HostAndPort hp;
    hp.port = defaultPort;
    if (!name.empty() && name[0] == '[') {
        const size_t close = name.find(']');
        if (close == std::string_view::npos) return std::nullopt;
        hp.host = std::string(name.substr(1, close - 1));
        const std::string_view rest = name.substr(close + 1);
        if (!rest.empty()) {
            if (rest[0] != ':') return std::nullopt;
            const auto port = ParsePort(rest.substr(1));
            if (!port) return std::nullopt;
            hp.port = *port;
        }
        return hp;
    }
    const size_t colon = name.find(':');
    if (colon != std::string_view::npos && name.find(':', colon + 1) == std::string_view::npos) {
        const auto port = ParsePort(name.substr(colon + 1));
        if (!port) return std::nullopt;
        hp.port = *port;
        hp.host = std::string(name.substr(0, colon));
        return hp;
    }
    hp.host = std::string(name);
    return hp;
}

ResolveStatus ResolveServer(std::string_view name, uint16_t defaultPort, ServerAddress* out) {
    out->name = std::string(name);
    out->host.clear();
    out->port = defaultPort;
    out->addresses.clear();
    const auto hp = SplitServerName(name, defaultPort);
    if (!hp) return ResolveStatus::kBadName;
    out->host = hp->host;
    out->port = hp->port;
    if (hp->host.empty())
        return Trim(name).empty() ? ResolveStatus::kEmpty : ResolveStatus::kBadName;
    if (hp->host.find('\0') != std::string::npos) return ResolveStatus::kBadName;
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV | AI_ADDRCONFIG;
    addrinfo* found = nullptr;
    const std::string service = std::to_string(hp->port);
    int rc = getaddrinfo(hp->host.c_str(), service.c_str(), &hints, &found);
    if (rc != 0) {
        // Without a configured address of a family (a loopback-only machine, say),
        // AI_ADDRCONFIG hides even literal addresses; ask once more without it.
        hints.ai_flags = AI_NUMERICSERV;
        rc = getaddrinfo(hp->host.c_str(), service.c_str(), &hints, &found);
    }
    if (rc != 0) return ResolveStatus::kNotFound;
    for (const addrinfo* a = found; a; a = a->ai_next) {
        if (a->ai_addrlen > sizeof(sockaddr_storage)) continue;
        SocketAddress sa;
        std::memcpy(&sa.address, a->ai_addr, a->ai_addrlen);
        sa.length = a->ai_addrlen;
        out->addresses.push_back(sa);
    }
    freeaddrinfo(found);
    return out->addresses.empty() ? ResolveStatus::kNotFound : ResolveStatus::kResolved;
}

}  // namespace norv::mail
