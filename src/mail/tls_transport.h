// TLS under the mail dialogues (GnuTLS): a Transport that encrypts another Transport, so the
// time-outs, the replayed servers of the tests and the dialogues stay as they are.
//
// TLS 1.2 and 1.3 only; the system's trust store plus an optional PEM file of further
// authorities; the certificate is checked against the configured server name without its port
// (an IP address against the certificate's IP entries); SNI is sent for names. The session
// starts at connect (implicit TLS) or later on the dialogue's request (STLS, STARTTLS), and
// ends with a close-notify. The session of a checked connection is kept for the run, and the
// next connection to the same server offers it (resumption), falling back to a full handshake.
#pragma once

#include <memory>
#include <string>

#include "mail/transport.h"

namespace norv::mail {

struct TlsOptions {
    bool implicit = false;  // TLS from the first byte
    std::string caFile;     // further trusted authorities (PEM), or empty
};

std::unique_ptr<Transport> MakeTlsTransport(std::unique_ptr<Transport> inner, TlsOptions options);

// The checked handshakes of the run: full ones, those that offered a saved session, and those
// the server resumed (a refused offer is a full handshake).
struct TlsHandshakes {
    unsigned full = 0;
    unsigned offered = 0;
    unsigned resumed = 0;
};
TlsHandshakes TlsHandshakeCounts();

// Drops the saved sessions: the next connection to each server has a full handshake.
void ForgetTlsSessions();

}  // namespace norv::mail
