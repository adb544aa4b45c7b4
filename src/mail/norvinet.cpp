// The exported functions: C entry points over the one MailLibrary of the process.
//
// The library object is made on the first call and never destroyed, so no exit-time
// destructor runs after the host's windowing system has gone.
#include "mail/norvinet.h"

#include "mail/mail_library.h"
#include "mail/qt_mail_windows.h"
#include "platform/code_page.h"

namespace {

norv::mail::MailLibrary& Library() {
    static norv::mail::MailLibrary* library = [] {
        norv::mail::MailLibrary::Services services;
        services.transports = norv::mail::MakeSocketTransport;
        services.files = &norv::platform::RealFileSystem();
        services.codePage = norv::platform::SystemCodePage();
        services.timeoutMs = norv::mail::TimeoutMsFromEnvironment();
        return new norv::mail::MailLibrary(std::move(services), norv::mail::MakeHostWindows());
    }();
    return *library;
}

// The code page is the one of the moment the library is loaded.
[[maybe_unused]] const int kLoadCodePage = norv::platform::SystemCodePage();

}  // namespace

extern "C" {

int MailInitialize(const char* popServer, const char* smtpServer, int parent) {
    return Library().Initialize(popServer, smtpServer, parent);
}
int MailShutdown(void) {
    return Library().Shutdown();
}
int MailAuthenticate(const char* login) {
    return Library().Authenticate(login);
}
int StartReceiveSession(void) {
    return Library().StartReceiveSession();
}
int EndReceiveSession(void) {
    return Library().EndReceiveSession();
}
const char* GetErrorStatus(void) {
    return Library().GetErrorStatus();
}
int ListMail(char* line, char* status) {
    return Library().ListMail(line, status);
}
int GetLastMailNo(void) {
    return Library().GetLastMailNo();
}
int GetMail(int number, char* buffer, int crlf, int remove) {
    return Library().GetMail(number, buffer, crlf, remove);
}
int DeleteMail(int number) {
    return Library().DeleteMail(number);
}
int ResetMailBox(void) {
    return Library().ResetMailBox();
}
int SendMail(const char* from, const char* to, const char* cc, const char* bcc, const char* subject,
             const char* body) {
    return Library().SendMail(from, to, cc, bcc, subject, body);
}
int GetConfiguration(const char* file, char* name, char* address, char* login, char* popServer,
                     char* smtpServer, char* deleteFlag) {
    return Library().GetConfiguration(file, name, address, login, popServer, smtpServer,
                                      deleteFlag);
}
int SetConfiguration(const char* file, int parent) {
    return Library().SetConfiguration(file, parent);
}

const char* GetAddress(const char* base, int parent) {
    return Library().GetAddress(base, parent);
}
int OpenSendForm(const char* base, int parent) {
    return Library().OpenSendForm(base, parent);
}
int SetFormValue(const char* field, const char* value) {
    return Library().SetFormValue(field, value);
}
const char* GetFormValue(const char* field) {
    return Library().GetFormValue(field);
}
void NorvOpenURL(const char* url) {
    Library().OpenURL(url);
}

}  // extern "C"
