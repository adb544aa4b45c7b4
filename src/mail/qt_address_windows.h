// The "Address Book" window (with its "Add Address" and "Add Group" windows), the "Send Form"
// window and the library's message box, in Qt Widgets. The callers check for a host with
// windows first.
#pragma once

#include <string>
#include <string_view>

#include "mail/address_book.h"
#include "mail/send_form.h"

namespace norv::mail {

inline constexpr const char* kAddressBookName = "norvinetAddressBook";
inline constexpr const char* kAddAddressName = "norvinetAddAddress";
inline constexpr const char* kAddGroupName = "norvinetAddGroup";
inline constexpr const char* kSendFormName = "norvinetSendForm";

inline constexpr std::string_view kCannotCreateFile = "Cannot create file.";
inline constexpr std::string_view kDeleteGroupQuestion = "Are you sure to delete this group?";

bool RunAddressBook(AddressBook& book, std::string* joined);
bool RunSendForm(SendFormValues* values, AddressBook& book);
void RunMessage(std::string_view text);

}  // namespace norv::mail
