// A MailLibrary over replayed servers, with windows that record what they were asked to show.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "mail/mail_library.h"
#include "mail/replay_transport.h"
#include "platform/fakes/memory_file_system.h"

namespace norv::mail::testing {

struct WindowLog {
    std::vector<std::string> lines;
    bool shown = false;
    int shows = 0;
    bool loginAnswer = false;
    std::string loginGiven, passwordGiven;
    std::string loginTyped, passwordTyped;
    int loginAsked = 0;
    std::vector<std::string> messages;
};

class RecordingWindows final : public MailWindows {
  public:
    explicit RecordingWindows(std::shared_ptr<WindowLog> log) : log_(std::move(log)) {}
    void CreateStatusWindow() override {}
    void DestroyStatusWindow() override {}
    void ShowStatusWindow() override {
        log_->shown = true;
        ++log_->shows;
    }
    void HideStatusWindow() override { log_->shown = false; }
    void AddStatusLine(std::string_view line) override { log_->lines.emplace_back(line); }
    bool AskLogin(std::string* login, std::string* password) override {
        ++log_->loginAsked;
        log_->loginGiven = *login;
        log_->passwordGiven = *password;
        if (!log_->loginAnswer) return false;
        *login = log_->loginTyped;
        *password = log_->passwordTyped;
        return true;
    }
    bool AskConfiguration(MailSettings*) override { return false; }
    bool ChooseAddresses(AddressBook&, std::string*) override { return false; }
    bool EditSendForm(SendFormValues*, AddressBook&) override { return false; }
    void ShowMessage(std::string_view text) override { log_->messages.emplace_back(text); }

  private:
    std::shared_ptr<WindowLog> log_;
};

struct ReplayedLibrary {
    std::shared_ptr<ReplayScript> script = std::make_shared<ReplayScript>();
    std::shared_ptr<WindowLog> windows = std::make_shared<WindowLog>();
    platform::MemoryFileSystem files;
    std::unique_ptr<MailLibrary> library;

    explicit ReplayedLibrary(int codePage = 932) {
        MailLibrary::Services s;
        s.transports = MakeReplayTransportFactory(script);
        s.files = &files;
        s.codePage = codePage;
        s.timeoutMs = 1000;
        library = std::make_unique<MailLibrary>(std::move(s),
                                                std::make_unique<RecordingWindows>(windows));
    }
    void Serve(std::string bytes, NetStatus atEnd = NetStatus::kClosed) {
        script->servers.push_back({std::move(bytes), atEnd});
    }
    // Initialised with loopback addresses (never connected to: the replay answers) and the
    // password "pw" configured.
    void Ready() {
        files.files["/mail.ini"] = "[Mail]\nPass=" + ScramblePassword("pw") + "\n";
        char b[256], f[2];
        library->GetConfiguration("/mail.ini", b, b, b, b, b, f);
        ASSERT_EQ(library->Initialize("127.0.0.1:1", "127.0.0.1:2", 1), 1);
    }
    std::string Sent(size_t connection) const {
        return connection < script->sent.size() ? script->sent[connection] : std::string();
    }
};

// A POP3 server's replies to a log-in.
inline std::string Pop3Login() {
    return "+OK ready\r\n+OK user\r\n+OK pass\r\n";
}

}  // namespace norv::mail::testing
