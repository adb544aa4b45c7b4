// The replaying transport.
#include "mail/replay_transport.h"

#include <algorithm>
#include <cstring>

namespace norv::mail {
namespace {

class ReplayTransport final : public Transport {
  public:
    explicit ReplayTransport(std::shared_ptr<ReplayScript> script) : script_(std::move(script)) {}

    NetStatus Connect(const ServerAddress&, int) override {
        if (script_->connections >= script_->servers.size()) return NetStatus::kFailed;
        index_ = script_->connections++;
        script_->sent.resize(script_->connections);
        if (script_->servers[index_].refuseConnect) return NetStatus::kFailed;
        open_ = true;
        pos_ = 0;
        return NetStatus::kOk;
    }

    NetStatus Send(std::string_view bytes, int) override {
        if (!open_) return NetStatus::kClosed;
        std::string& sent = script_->sent[index_];
        const size_t limit = script_->servers[index_].closeAfterSent;
        if (limit != std::string::npos && sent.size() + bytes.size() > limit) {
            sent.append(bytes.substr(0, limit > sent.size() ? limit - sent.size() : 0));
            return NetStatus::kClosed;
        }
        sent.append(bytes);
        return NetStatus::kOk;
    }

    NetStatus Receive(char* buf, size_t capacity, size_t* got, int) override {
        *got = 0;
        if (!open_) return NetStatus::kClosed;
        const ReplayServer& server = script_->servers[index_];
        if (pos_ >= server.bytes.size()) return server.atEnd;
        const size_t n =
            std::min({capacity, std::max<size_t>(script_->chunk, 1), server.bytes.size() - pos_});
        std::memcpy(buf, server.bytes.data() + pos_, n);
        pos_ += n;
        *got = n;
        return NetStatus::kOk;
    }

    void Close() override { open_ = false; }

  private:
    std::shared_ptr<ReplayScript> script_;
    size_t index_ = 0;
    size_t pos_ = 0;
    bool open_ = false;
};

}  // namespace

TransportFactory MakeReplayTransportFactory(std::shared_ptr<ReplayScript> script) {
    return [script] { return std::unique_ptr<Transport>(new ReplayTransport(script)); };
}

}  // namespace norv::mail
