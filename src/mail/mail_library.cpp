// The global state of the mail library and its operations.
#include "mail/mail_library.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <tuple>

#include "mail/browser_open.h"
#include "mail/buffer_text.h"
#include "mail/recipients.h"
#include "mail/smtp_session.h"
#include "mail/tls_transport.h"

namespace norv::mail {
namespace {

bool IsBlank(std::string_view s) {
    return s.find_first_not_of(" \t") == std::string_view::npos;
}

std::string_view TextOrEmpty(const char* s) {
    return s ? std::string_view(s) : std::string_view();
}

}  // namespace

void PrintMessage(std::string_view text) {
    std::fprintf(stderr, "%.*s\n", static_cast<int>(text.size()), text.data());
}

MailLibrary::MailLibrary(Services services, std::unique_ptr<MailWindows> windows)
    : services_(std::move(services)), windows_(std::move(windows)) {}

MailLibrary::~MailLibrary() {
    Shutdown();
}

void MailLibrary::ProtocolLine(std::string_view line, bool show) {
    if (!held_) status_.assign(line);
    if (show) windows_->AddStatusLine(line);
}

void MailLibrary::Reason(std::string_view text) {
    if (!held_) status_.assign(text);
    windows_->AddStatusLine(text);
}

int MailLibrary::Fail(Status s) {
    Reason(StatusText(s));
    return 0;
}

int MailLibrary::Initialize(const char* popServer, const char* smtpServer, int parent) {
    if (initialized_) return Fail(Status::kAlreadyInitialized);
    ServerAddress pop, smtp;
    const uint16_t popPort = secure_.popSecurity == '2' ? kPop3sPort : kPop3Port;
    const uint16_t smtpPort = secure_.smtpSecurity == '2'   ? kSmtpsPort
                              : secure_.smtpSecurity == '1' ? kSubmissionPort
                                                            : kSmtpPort;
    for (auto [name, port, out] :
         {std::tuple{popServer, popPort, &pop}, std::tuple{smtpServer, smtpPort, &smtp}}) {
        const ResolveStatus r = ResolveServer(TextOrEmpty(name), port, out);
        if (r == ResolveStatus::kBadName || r == ResolveStatus::kNotFound) {
            Reason(StatusWithName(Status::kUnknownServer, TextOrEmpty(name)));
            return 0;
        }
    }
    pop_ = std::move(pop);
    smtp_ = std::move(smtp);
    parent_ = parent;
    if (!statusWindowMade_) {
        windows_->CreateStatusWindow();
        statusWindowMade_ = true;
    }
    initialized_ = true;
    return 1;
}

std::unique_ptr<Transport> MailLibrary::Connection(char security) const {
    if (security != '1' && security != '2') return services_.transports();
    return MakeTlsTransport(services_.transports(), {security == '2', secure_.caFile});
}

void MailLibrary::CloseSession() {
    if (session_) session_->Logout();
    session_.reset();
    channel_.reset();
}

int MailLibrary::Shutdown() {
    if (!initialized_) return 1;
    CloseSession();
    windows_->HideStatusWindow();
    windows_->DestroyStatusWindow();
    statusWindowMade_ = false;
    initialized_ = false;
    authenticated_ = false;
    return 1;
}

int MailLibrary::Authenticate(const char* login) {
    if (!initialized_) return Fail(Status::kNotInitialized);
    if (!login) return Fail(Status::kNoLogin);
    std::string user = login;
    std::string password = configuredPassword_;
    if (IsBlank(user) || IsBlank(password)) {
        if (!windows_->AskLogin(&user, &password)) return Fail(Status::kLoginCancelled);
    }
    if (HoldsLineBreak(user) || HoldsLineBreak(password)) return Fail(Status::kLineBreakInLogin);
    Channel channel(Connection(secure_.popSecurity), log(), services_.timeoutMs);
    Pop3Session pop(channel, log(), services_.codePage);
    if (!pop.Login(pop_, user, password, secure_.popSecurity)) return 0;
    pop.Logout();
    login_ = std::move(user);
    password_ = std::move(password);
    authenticated_ = true;
    return 1;
}

int MailLibrary::StartReceiveSession() {
    if (!initialized_) return Fail(Status::kNotInitialized);
    if (!authenticated_) return Fail(Status::kNotAuthenticated);
    if (sessionOpen()) return Fail(Status::kSessionOpen);
    CloseSession();
    channel_ =
        std::make_unique<Channel>(Connection(secure_.popSecurity), log(), services_.timeoutMs);
    session_ = std::make_unique<Pop3Session>(*channel_, log(), services_.codePage);
    if (!session_->Login(pop_, login_, password_, secure_.popSecurity)) {
        session_.reset();
        channel_.reset();
        return 0;
    }
    windows_->ShowStatusWindow();
    return 1;
}

int MailLibrary::EndReceiveSession() {
    const bool open = sessionOpen();
    CloseSession();
    windows_->HideStatusWindow();
    return open ? 1 : Fail(Status::kNoSession);
}

bool MailLibrary::ReceivingReady() {
    if (!initialized_) return Fail(Status::kNotInitialized);
    if (!authenticated_) return Fail(Status::kNotAuthenticated);
    if (!sessionOpen()) return Fail(Status::kNoSession);
    return true;
}

int MailLibrary::ListMail(char* line, char* status) {
    if (!ReceivingReady() || !line || !status) return 0;
    const long size = session_->ListNext(line, status);
    return size > INT_MAX ? INT_MAX : static_cast<int>(size);
}

int MailLibrary::GetMail(int number, char* buffer, int crlf, int remove) {
    if (!ReceivingReady() || !buffer) return 0;
    return session_->Fetch(number, buffer, crlf != 0, remove != 0) ? 1 : 0;
}

int MailLibrary::GetLastMailNo() {
    if (!ReceivingReady()) return 0;
    return session_->LastNumber();
}

int MailLibrary::DeleteMail(int number) {
    if (!ReceivingReady()) return 0;
    return session_->Delete(number) ? 1 : 0;
}

int MailLibrary::ResetMailBox() {
    if (!ReceivingReady()) return 0;
    return session_->Reset() ? 1 : 0;
}

int MailLibrary::SendMail(const char* from, const char* to, const char* cc, const char* bcc,
                          const char* subject, const char* body) {
    if (!initialized_) return Fail(Status::kNotInitialized);
    if (!authenticated_) return Fail(Status::kNotAuthenticated);
    if (!to) return Fail(Status::kNoTo);
    const OutgoingMail mail{TextOrEmpty(from),
                            to,
                            TextOrEmpty(cc),
                            TextOrEmpty(bcc),
                            subject ? std::string_view(subject) : "Non-Title",
                            TextOrEmpty(body)};
    Status why;
    if (!CheckOutgoingMail(mail, &why)) return Fail(why);
    SmtpLogin login;
    const char sec = secure_.smtpSecurity;
    login.security = (sec == '1' || sec == '2') ? sec : '0';
    login.auth = secure_.smtpAuth == '1';
    if (login.auth && login.security == '0') return Fail(Status::kAuthNeedsTls);
    login.user = secure_.smtpLogin.empty() ? login_ : secure_.smtpLogin;
    login.password = secure_.smtpPassword.empty() ? password_ : secure_.smtpPassword;
    if (HoldsLineBreak(login.user) || HoldsLineBreak(login.password))
        return Fail(Status::kLineBreakInLogin);
    windows_->ShowStatusWindow();
    Channel channel(Connection(login.security), log(), services_.timeoutMs);
    const bool sent =
        SendOutgoingMail(channel, log(), smtp_, smtp_.host, mail, services_.codePage, login);
    windows_->HideStatusWindow();
    return sent ? 1 : 0;
}

int MailLibrary::GetConfiguration(const char* file, char* name, char* address, char* login,
                                  char* popServer, char* smtpServer, char* deleteFlag) {
    if (!file) return 0;
    const MailSettings s = ReadMailSettings(*services_.files, file, services_.codePage);
    const int cp = services_.codePage;
    CopyToBuffer(name, kConfigValueSize, s.name, cp);
    CopyToBuffer(address, kConfigValueSize, s.address, cp);
    CopyToBuffer(login, kConfigValueSize, s.login, cp);
    CopyToBuffer(popServer, kConfigValueSize, s.popServer, cp);
    CopyToBuffer(smtpServer, kConfigValueSize, s.smtpServer, cp);
    const char flag[2] = {s.deleteMail, '\0'};
    CopyToBuffer(deleteFlag, kConfigFlagSize, flag, cp);
    configuredPassword_ = s.password;
    secure_ = s;
    return 1;
}

int MailLibrary::SetConfiguration(const char* file, int /*parent*/) {
    if (!file) return 0;
    MailSettings s = ReadMailSettings(*services_.files, file, services_.codePage);
    if (!windows_->AskConfiguration(&s)) return 0;
    if (WriteMailSettings(*services_.files, file, s, services_.codePage) != 0)
        return Fail(Status::kCannotWriteSettings);
    configuredPassword_ = s.password;
    secure_ = s;
    return 1;
}

const char* MailLibrary::GetAddress(const char* base, int /*parent*/) {
    AddressBook book(*services_.files, TextOrEmpty(base), services_.codePage);
    if (!windows_->ChooseAddresses(book, &address_)) address_.clear();
    return address_.c_str();
}

int MailLibrary::OpenSendForm(const char* base, int /*parent*/) {
    AddressBook book(*services_.files, TextOrEmpty(base), services_.codePage);
    SendFormValues edited = form_;
    if (windows_->EditSendForm(&edited, book)) {
        form_ = std::move(edited);
        return 1;
    }
    form_.Clear();
    return 2;
}

int MailLibrary::SetFormValue(const char* field, const char* value) {
    const auto f = FormFieldNamed(TextOrEmpty(field));
    if (!f) return 0;
    form_[*f] = std::string(TextOrEmpty(value));
    return 1;
}

const char* MailLibrary::GetFormValue(const char* field) {
    const auto f = FormFieldNamed(TextOrEmpty(field));
    formValue_ = f ? form_[*f] : std::string();
    return formValue_.c_str();
}

void MailLibrary::OpenURL(const char* url) {
    const int code = OpenInBrowser(TextOrEmpty(url), std::getenv("BROWSER"));
    if (code != 0) windows_->ShowMessage(BrowserMessage(code));
}

}  // namespace norv::mail
