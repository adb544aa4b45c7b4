// The GnuTLS session over an inner transport.
//
// GnuTLS reads and writes through the push and pull functions below, which call the inner
// transport with the time-out; a time-out or a closed connection there ends the TLS call with
// an error, and the status the dialogue sees is the inner one. The certificate is verified by
// hand after the handshake, so a wrong name and an untrusted certificate are told apart.
#include "mail/tls_transport.h"

#include <arpa/inet.h>
#include <errno.h>
#include <gnutls/gnutls.h>
#include <gnutls/x509.h>
#include <sys/stat.h>

#include <atomic>
#include <cstring>
#include <map>
#include <mutex>
#include <type_traits>

namespace norv::mail {
namespace {

constexpr const char* kPriorities = "NORMAL:-VERS-ALL:+VERS-TLS1.3:+VERS-TLS1.2";

bool IsIpAddress(const std::string& host) {
    unsigned char buf[16];
    return inet_pton(AF_INET, host.c_str(), buf) == 1 ||
           inet_pton(AF_INET6, host.c_str(), buf) == 1;
}

// The trusted authorities, read once: loading the system's store costs tens of milliseconds,
// which every message sent would otherwise pay. Kept while the further authorities' file has the
// same name, size and time; sessions still running keep the one they started with.
using Credentials = std::shared_ptr<std::remove_pointer_t<gnutls_certificate_credentials_t>>;

struct CredentialsKey {
    std::string caFile;
    off_t size = -1;
    long long mtimeNs = -1;
    bool operator==(const CredentialsKey&) const = default;
};

CredentialsKey KeyOf(const std::string& caFile) {
    CredentialsKey key{caFile};
    struct stat st {};
    if (!caFile.empty() && stat(caFile.c_str(), &st) == 0) {
        key.size = st.st_size;
        key.mtimeNs = static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
    }
    return key;
}

// The credentials for these authorities, or null with `error` set.
Credentials TrustedAuthorities(const std::string& caFile, std::string* error) {
    struct Cache {
        CredentialsKey key;
        Credentials credentials;
    };
    // Never destroyed, like the library's state: no clean-up runs after GnuTLS's own.
    static Cache* cache = new Cache;
    const CredentialsKey key = KeyOf(caFile);
    if (cache->credentials && cache->key == key) return cache->credentials;
    gnutls_certificate_credentials_t raw = nullptr;
    if (gnutls_certificate_allocate_credentials(&raw) < 0) {
        *error = "no credentials";
        return nullptr;
    }
    Credentials made(raw, gnutls_certificate_free_credentials);
    gnutls_certificate_set_x509_system_trust(raw);
    if (!caFile.empty() &&
        gnutls_certificate_set_x509_trust_file(raw, caFile.c_str(), GNUTLS_X509_FMT_PEM) < 0) {
        *error = "TLS: the certificate file " + caFile + " cannot be read.";
        return nullptr;
    }
    cache->key = key;
    cache->credentials = made;
    return made;
}

// Sessions to resume, one per server: the name the certificate was checked against, the port
// and the authorities that checked it. A resumed handshake skips the certificate exchange and
// the server's signature, which otherwise every message sent (a connection each) pays for. A
// session is offered once: the handshake that uses it brings the next (TLS 1.3 tickets are
// single-use). A server that does not take the offer gives a full handshake, checked as always.
struct SavedSessions {
    std::mutex mutex;
    std::map<std::string, std::string> byServer;
    std::atomic<unsigned> full{0}, offered{0}, resumed{0};
};

SavedSessions& Sessions() {
    static SavedSessions* sessions = new SavedSessions;  // see the credentials' cache
    return *sessions;
}

constexpr size_t kMaxSavedSessions = 32;

std::string SessionKey(const std::string& host, uint16_t port, const CredentialsKey& ca) {
    return host + '\n' + std::to_string(port) + '\n' + ca.caFile + '\n' + std::to_string(ca.size) +
           '\n' + std::to_string(ca.mtimeNs);
}

std::string TakeSession(const std::string& key) {
    SavedSessions& s = Sessions();
    std::lock_guard<std::mutex> lock(s.mutex);
    auto it = s.byServer.find(key);
    if (it == s.byServer.end()) return {};
    std::string data = std::move(it->second);
    s.byServer.erase(it);
    return data;
}

void SaveSession(const std::string& key, std::string data) {
    SavedSessions& s = Sessions();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (s.byServer.size() >= kMaxSavedSessions && !s.byServer.count(key)) s.byServer.clear();
    s.byServer[key] = std::move(data);
}

class TlsTransport final : public Transport {
  public:
    TlsTransport(std::unique_ptr<Transport> inner, TlsOptions options)
        : inner_(std::move(inner)), options_(std::move(options)) {}
    ~TlsTransport() override { Close(); }

    NetStatus Connect(const ServerAddress& server, int timeoutMs) override {
        Close();
        timeoutMs_ = timeoutMs;
        port_ = server.port;
        const NetStatus s = inner_->Connect(server, timeoutMs);
        if (s != NetStatus::kOk || !options_.implicit) return s;
        return StartTls(server.host, timeoutMs);
    }

    NetStatus StartTls(const std::string& host, int timeoutMs) override {
        timeoutMs_ = timeoutMs;
        innerStatus_ = NetStatus::kOk;
        error_.clear();
        std::string why;
        creds_ = TrustedAuthorities(options_.caFile, &why);
        if (!creds_) return Fail(why);
        if (gnutls_init(&session_, GNUTLS_CLIENT) < 0) return Fail("no session");
        const char* bad = nullptr;
        gnutls_priority_set_direct(session_, kPriorities, &bad);
        gnutls_credentials_set(session_, GNUTLS_CRD_CERTIFICATE, creds_.get());
        if (!IsIpAddress(host))
            gnutls_server_name_set(session_, GNUTLS_NAME_DNS, host.data(), host.size());
        gnutls_transport_set_ptr(session_, this);
        gnutls_transport_set_push_function(session_, Push);
        gnutls_transport_set_pull_function(session_, Pull);
        gnutls_transport_set_pull_timeout_function(session_, PullTimeout);
        gnutls_handshake_set_timeout(session_, 0);
        sessionKey_ = SessionKey(host, port_, KeyOf(options_.caFile));
        const std::string saved = TakeSession(sessionKey_);
        const bool offered =
            !saved.empty() && gnutls_session_set_data(session_, saved.data(), saved.size()) == 0;
        int rc;
        do {
            rc = gnutls_handshake(session_);
        } while (rc < 0 && gnutls_error_is_fatal(rc) == 0);
        if (rc < 0) {
            if (innerStatus_ == NetStatus::kTimedOut)
                return Fail("TLS: the handshake failed: the server did not answer in time");
            return Fail(std::string("TLS: the handshake failed: ") + gnutls_strerror(rc));
        }
        if (!Verify(host)) return NetStatus::kFailed;
        resumed_ = gnutls_session_is_resumed(session_) != 0;
        SavedSessions& counts = Sessions();
        ++(resumed_ ? counts.resumed : counts.full);
        if (offered) ++counts.offered;
        encrypted_ = true;
        return NetStatus::kOk;
    }

    NetStatus Send(std::string_view bytes, int timeoutMs) override {
        if (!encrypted_) return inner_->Send(bytes, timeoutMs);
        timeoutMs_ = timeoutMs;
        while (!bytes.empty()) {
            const ssize_t n = gnutls_record_send(session_, bytes.data(), bytes.size());
            if (n == GNUTLS_E_AGAIN || n == GNUTLS_E_INTERRUPTED) continue;
            if (n < 0) return Broken();
            bytes.remove_prefix(static_cast<size_t>(n));
        }
        return NetStatus::kOk;
    }

    NetStatus Receive(char* buf, size_t capacity, size_t* got, int timeoutMs) override {
        *got = 0;
        if (!encrypted_) return inner_->Receive(buf, capacity, got, timeoutMs);
        timeoutMs_ = timeoutMs;
        for (;;) {
            const ssize_t n = gnutls_record_recv(session_, buf, capacity);
            if (n > 0) {
                *got = static_cast<size_t>(n);
                return NetStatus::kOk;
            }
            if (n == 0) return NetStatus::kClosed;
            if (n == GNUTLS_E_AGAIN || n == GNUTLS_E_INTERRUPTED) continue;
            return Broken();
        }
    }

    void Close() override {
        if (session_) {
            if (encrypted_) {
                KeepSession();
                timeoutMs_ = 2000;
                gnutls_bye(session_, GNUTLS_SHUT_WR);
            }
            gnutls_deinit(session_);
            session_ = nullptr;
        }
        creds_.reset();
        encrypted_ = false;
        resumed_ = false;
        inner_->Close();
    }

    std::string LastError() const override { return error_; }
    bool Encrypted() const override { return encrypted_; }

  private:
    // Keeps the session of a checked connection for the next one to the same server. Under TLS
    // 1.3 the server sends its ticket after the handshake, read with the dialogue's replies; a
    // session without one cannot be resumed and is not kept.
    void KeepSession() {
        if (gnutls_protocol_get_version(session_) == GNUTLS_TLS1_3 &&
            !(gnutls_session_get_flags(session_) & GNUTLS_SFLAGS_SESSION_TICKET))
            return;
        gnutls_datum_t data{};
        if (gnutls_session_get_data2(session_, &data) < 0) return;
        if (data.data && data.size > 0)
            SaveSession(sessionKey_,
                        std::string(reinterpret_cast<const char*>(data.data), data.size));
        gnutls_free(data.data);
    }

    NetStatus Fail(std::string why) {
        error_ = std::move(why);
        if (session_) {
            gnutls_deinit(session_);
            session_ = nullptr;
        }
        return NetStatus::kFailed;
    }

    NetStatus Broken() {
        return innerStatus_ == NetStatus::kOk ? NetStatus::kClosed : innerStatus_;
    }

    std::string PeerSubject() {
        unsigned count = 0;
        const gnutls_datum_t* certs = gnutls_certificate_get_peers(session_, &count);
        if (!certs || count == 0) return "no certificate";
        gnutls_x509_crt_t crt;
        std::string subject = "?";
        if (gnutls_x509_crt_init(&crt) == 0) {
            gnutls_datum_t dn{};
            if (gnutls_x509_crt_import(crt, &certs[0], GNUTLS_X509_FMT_DER) == 0 &&
                gnutls_x509_crt_get_dn2(crt, &dn) == 0) {
                subject.assign(reinterpret_cast<const char*>(dn.data), dn.size);
                gnutls_free(dn.data);
            }
            gnutls_x509_crt_deinit(crt);
        }
        return subject;
    }

    bool Verify(const std::string& host) {
        unsigned status = 0;
        if (gnutls_certificate_verify_peers3(session_, host.c_str(), &status) < 0) {
            Fail("TLS: the server's certificate is not trusted (it cannot be checked): " +
                 PeerSubject());
            return false;
        }
        if (status == 0) return true;
        const std::string subject = PeerSubject();
        if (status == static_cast<unsigned>(GNUTLS_CERT_INVALID | GNUTLS_CERT_UNEXPECTED_OWNER)) {
            Fail("TLS: the server's certificate does not match the name " + host + ": " + subject);
            return false;
        }
        gnutls_datum_t text{};
        std::string reason = "invalid";
        if (gnutls_certificate_verification_status_print(
                status & ~static_cast<unsigned>(GNUTLS_CERT_UNEXPECTED_OWNER), GNUTLS_CRT_X509,
                &text, 0) == 0) {
            reason.assign(reinterpret_cast<const char*>(text.data), text.size);
            gnutls_free(text.data);
            while (!reason.empty() && (reason.back() == ' ' || reason.back() == '.'))
                reason.pop_back();
        }
        Fail("TLS: the server's certificate is not trusted (" + reason + "): " + subject);
        return false;
    }

    static ssize_t Push(gnutls_transport_ptr_t p, const void* data, size_t n) {
        auto* self = static_cast<TlsTransport*>(p);
        const NetStatus s = self->inner_->Send(std::string_view(static_cast<const char*>(data), n),
                                               self->timeoutMs_);
        if (s != NetStatus::kOk) {
            self->innerStatus_ = s;
            gnutls_transport_set_errno(self->session_,
                                       s == NetStatus::kTimedOut ? ETIMEDOUT : ECONNRESET);
            return -1;
        }
        return static_cast<ssize_t>(n);
    }

    static ssize_t Pull(gnutls_transport_ptr_t p, void* data, size_t n) {
        auto* self = static_cast<TlsTransport*>(p);
        size_t got = 0;
        const NetStatus s =
            self->inner_->Receive(static_cast<char*>(data), n, &got, self->timeoutMs_);
        if (s == NetStatus::kClosed) {
            self->innerStatus_ = s;
            return 0;
        }
        if (s != NetStatus::kOk) {
            self->innerStatus_ = s;
            gnutls_transport_set_errno(self->session_,
                                       s == NetStatus::kTimedOut ? ETIMEDOUT : ECONNRESET);
            return -1;
        }
        return static_cast<ssize_t>(got);
    }

    // The inner transport waits with the time-out itself.
    static int PullTimeout(gnutls_transport_ptr_t, unsigned) { return 1; }

    std::unique_ptr<Transport> inner_;
    TlsOptions options_;
    gnutls_session_t session_ = nullptr;
    Credentials creds_;
    bool encrypted_ = false;
    bool resumed_ = false;
    uint16_t port_ = 0;
    std::string sessionKey_;
    int timeoutMs_ = 60000;
    NetStatus innerStatus_ = NetStatus::kOk;
    std::string error_;
};

}  // namespace

std::unique_ptr<Transport> MakeTlsTransport(std::unique_ptr<Transport> inner, TlsOptions options) {
    return std::make_unique<TlsTransport>(std::move(inner), std::move(options));
}

TlsHandshakes TlsHandshakeCounts() {
    const SavedSessions& s = Sessions();
    return {s.full.load(), s.offered.load(), s.resumed.load()};
}

void ForgetTlsSessions() {
    SavedSessions& s = Sessions();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.byServer.clear();
}

}  // namespace norv::mail
