// The mail library's one global state and the operations behind its exported functions.
//
// States: uninitialised -> (Initialize) initialised -> (Authenticate) authenticated ->
// (StartReceiveSession) session open -> (EndReceiveSession) authenticated; Shutdown returns to
// uninitialised from any state. Sending needs the authenticated state and opens its own
// connection. Every receiving operation needs an open session.
//
// Results are 1 or 0 (sizes and numbers where designed); the reason of a failure is the status
// line: the last protocol line, or the library's own text for what the server did not say.
// The password never appears in it. Arguments come from scripts: a null text counts as empty
// unless a rule says otherwise, and nothing is ever written past a buffer's documented size.
#pragma once

#include <memory>
#include <string>

#include "mail/address_book.h"
#include "mail/channel.h"
#include "mail/mail_config.h"
#include "mail/mail_windows.h"
#include "mail/pop3_session.h"
#include "mail/send_form.h"
#include "mail/server_address.h"
#include "mail/transport.h"
#include "platform/file_system.h"

namespace norv::mail {

inline constexpr uint16_t kPop3Port = 110;
inline constexpr uint16_t kSmtpPort = 25;
inline constexpr uint16_t kPop3sPort = 995;
inline constexpr uint16_t kSubmissionPort = 587;
inline constexpr uint16_t kSmtpsPort = 465;
inline constexpr size_t kConfigValueSize = 256;  // GetConfiguration's text buffers
inline constexpr size_t kConfigFlagSize = 2;     // its delete-flag buffer

class MailLibrary final : private StatusLog {
  public:
    struct Services {
        TransportFactory transports;
        platform::FileSystem* files = nullptr;
        int codePage = 932;
        int timeoutMs = 60000;
    };
    MailLibrary(Services services, std::unique_ptr<MailWindows> windows);
    ~MailLibrary() override;

    int Initialize(const char* popServer, const char* smtpServer, int parent);
    int Shutdown();
    int Authenticate(const char* login);
    int StartReceiveSession();
    int EndReceiveSession();
    int ListMail(char* line, char* status);
    int GetMail(int number, char* buffer, int crlf, int remove);
    int GetLastMailNo();
    int DeleteMail(int number);
    int ResetMailBox();
    int SendMail(const char* from, const char* to, const char* cc, const char* bcc,
                 const char* subject, const char* body);
    const char* GetErrorStatus() const { return status_.c_str(); }
    int GetConfiguration(const char* file, char* name, char* address, char* login, char* popServer,
                         char* smtpServer, char* deleteFlag);
    int SetConfiguration(const char* file, int parent);

    // The address book, the send form and the browser.
    const char* GetAddress(const char* base, int parent);
    int OpenSendForm(const char* base, int parent);  // 1 OK, 2 Cancel
    int SetFormValue(const char* field, const char* value);
    const char* GetFormValue(const char* field);
    void OpenURL(const char* url);

    bool initialized() const { return initialized_; }
    bool authenticated() const { return authenticated_; }
    bool sessionOpen() const { return session_ && channel_ && channel_->IsOpen(); }
    MailWindows& windows() { return *windows_; }

  private:
    void ProtocolLine(std::string_view line, bool show) override;
    void Reason(std::string_view text) override;
    void Hold(bool held) override { held_ = held; }
    StatusLog& log() { return *this; }
    int Fail(Status s);
    bool ReceivingReady();
    void CloseSession();
    std::unique_ptr<Transport> Connection(char security) const;

    Services services_;
    std::unique_ptr<MailWindows> windows_;
    bool initialized_ = false;
    bool authenticated_ = false;
    bool statusWindowMade_ = false;
    bool held_ = false;
    ServerAddress pop_, smtp_;
    std::string login_, password_;
    std::string configuredPassword_;
    MailSettings secure_;  // the TLS and SMTP log-in keys of the configuration
    int parent_ = 0;
    std::string status_;
    std::unique_ptr<Channel> channel_;
    std::unique_ptr<Pop3Session> session_;
    SendFormValues form_;
    std::string address_;    // GetAddress's result
    std::string formValue_;  // GetFormValue's result
};

}  // namespace norv::mail
