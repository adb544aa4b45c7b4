// The library's windows as its logic sees them: the "Server Status" window, the "Login" and
// "Configuration" dialogs. Texts are in the system code page.
//
// The library runs without windows when its host has none (no Qt application, or the editor's
// headless run): the status window then never shows and every dialog counts as cancelled.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "mail/address_book.h"
#include "mail/mail_config.h"
#include "mail/send_form.h"

namespace norv::mail {

class MailWindows {
  public:
    virtual ~MailWindows() = default;
    virtual void CreateStatusWindow() = 0;
    virtual void DestroyStatusWindow() = 0;
    // Shows the status window near the host's active window without taking the focus.
    virtual void ShowStatusWindow() = 0;
    virtual void HideStatusWindow() = 0;
    virtual void AddStatusLine(std::string_view line) = 0;
    // The "Login" dialog, pre-filled; false on Cancel.
    virtual bool AskLogin(std::string* login, std::string* password) = 0;
    // The "Configuration" dialog, pre-filled; false on Cancel.
    virtual bool AskConfiguration(MailSettings* settings) = 0;
    // The "Address Book" window; OK gives the chosen addresses joined with ",".
    virtual bool ChooseAddresses(AddressBook& book, std::string* joined) = 0;
    // The "Send Form" window, filled from `values`; OK stores the fields into them.
    virtual bool EditSendForm(SendFormValues* values, AddressBook& book) = 0;
    // The library's only message box (the browser's failure).
    virtual void ShowMessage(std::string_view text) = 0;
};

// A message of a host without windows goes to standard error.
void PrintMessage(std::string_view text);

// Windows of a host without any: nothing is shown, every dialog is cancelled.
class NoWindows final : public MailWindows {
  public:
    void CreateStatusWindow() override {}
    void DestroyStatusWindow() override {}
    void ShowStatusWindow() override {}
    void HideStatusWindow() override {}
    void AddStatusLine(std::string_view) override {}
    bool AskLogin(std::string*, std::string*) override { return false; }
    bool AskConfiguration(MailSettings*) override { return false; }
    bool ChooseAddresses(AddressBook&, std::string*) override { return false; }
    bool EditSendForm(SendFormValues*, AddressBook&) override { return false; }
    void ShowMessage(std::string_view text) override { PrintMessage(text); }
};

}  // namespace norv::mail
