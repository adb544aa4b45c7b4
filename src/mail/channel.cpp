// The line reader and command writer of a server connection.
#include "mail/channel.h"

#include <cstring>

namespace norv::mail {

std::string StatusWithName(Status s, std::string_view name) {
    std::string text(StatusText(s));
    const size_t at = text.find("%s");
    if (at != std::string::npos) text.replace(at, 2, name);
    return text;
}

Channel::Channel(std::unique_ptr<Transport> transport, StatusLog& log, int timeoutMs)
    : transport_(std::move(transport)), log_(log), timeoutMs_(timeoutMs) {}

Channel::~Channel() {
    Close();
}

bool Channel::Open(const ServerAddress& server) {
    Close();
    if (server.addresses.empty()) {
        log_.Reason(StatusText(Status::kNoServer));
        return false;
    }
    const NetStatus s = transport_->Connect(server, timeoutMs_);
    if (s != NetStatus::kOk && !transport_->LastError().empty()) {
        log_.Reason(transport_->LastError());
        transport_->Close();
        return false;
    }
    if (s != NetStatus::kOk) {
        log_.Reason(s == NetStatus::kTimedOut
                        ? std::string(StatusText(Status::kTimedOut))
                        : StatusWithName(Status::kCannotConnect, server.name));
        return false;
    }
    open_ = true;
    pos_ = len_ = 0;
    return true;
}

bool Channel::StartTls(const std::string& host) {
    // Bytes already read past the reply that asked for TLS would be plain text in the session.
    pos_ = len_ = 0;
    const NetStatus s = transport_->StartTls(host, timeoutMs_);
    if (s == NetStatus::kOk) return true;
    const std::string why = transport_->LastError();
    if (why.empty())
        Failed(s);
    else
        log_.Reason(why);
    return false;
}

void Channel::Close() {
    if (open_) transport_->Close();
    open_ = false;
    pos_ = len_ = 0;
}

void Channel::Failed(NetStatus s) {
    log_.Reason(
        StatusText(s == NetStatus::kTimedOut ? Status::kTimedOut : Status::kConnectionClosed));
}

bool Channel::SendCommand(std::string_view text, std::string_view shown) {
    log_.ProtocolLine(shown.empty() ? text : shown, true);
    if (!open_) {
        Failed(NetStatus::kClosed);
        return false;
    }
    std::string line;
    line.reserve(text.size() + 2);
    line.append(text);
    line.append("\r\n");
    const NetStatus s = transport_->Send(line, timeoutMs_);
    if (s != NetStatus::kOk) {
        Failed(s);
        return false;
    }
    return true;
}

bool Channel::SendRaw(std::string_view bytes) {
    if (!open_) {
        Failed(NetStatus::kClosed);
        return false;
    }
    const NetStatus s = transport_->Send(bytes, timeoutMs_);
    if (s != NetStatus::kOk) {
        Failed(s);
        return false;
    }
    return true;
}

bool Channel::Fill() {
    size_t got = 0;
    const NetStatus s = transport_->Receive(buffer_, sizeof buffer_, &got, timeoutMs_);
    if (s != NetStatus::kOk || got == 0) {
        Failed(s == NetStatus::kOk ? NetStatus::kClosed : s);
        return false;
    }
    pos_ = 0;
    len_ = got;
    return true;
}

bool Channel::ReadLine(std::string& line, bool quiet) {
    line.clear();
    if (!open_) {
        Failed(NetStatus::kClosed);
        return false;
    }
    for (;;) {
        if (pos_ == len_ && !Fill()) return false;
        const char* start = buffer_ + pos_;
        const auto* lf = static_cast<const char*>(std::memchr(start, '\n', len_ - pos_));
        const size_t take = lf ? static_cast<size_t>(lf - start) + 1 : len_ - pos_;
        if (line.size() + take > kMaxLineLength + 2) {
            log_.Reason(StatusText(Status::kLineTooLong));
            return false;
        }
        line.append(start, take);
        pos_ += take;
        if (lf && line.size() >= 2 && line[line.size() - 2] == '\r') {
            line.resize(line.size() - 2);
            log_.ProtocolLine(line, !quiet);
            return true;
        }
    }
}

}  // namespace norv::mail
