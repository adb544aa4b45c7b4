// A transport that plays a server from bytes given beforehand and records what the client
// sent. The tests and fuzz targets use it to put any server reply, however malformed, under
// the dialogues.
//
// Each connection takes the next entry of `servers`; the bytes come out in pieces of at most
// `chunk` bytes. When a server's bytes are used up, a receive reports the end that entry asks
// for (a closed connection, or a time-out as a silent server gives).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "mail/transport.h"

namespace norv::mail {

struct ReplayServer {
    std::string bytes;
    NetStatus atEnd = NetStatus::kClosed;
    bool refuseConnect = false;
    size_t closeAfterSent = std::string::npos;  // sends fail once the client sent this much
};

struct ReplayScript {
    std::vector<ReplayServer> servers;
    size_t chunk = 1024;
    // What the client sent, one string per connection.
    std::vector<std::string> sent;
    size_t connections = 0;
};

TransportFactory MakeReplayTransportFactory(std::shared_ptr<ReplayScript> script);

}  // namespace norv::mail
