// The "Address Book" window (with its "Add Address" and "Add Group" windows), the "Send Form"
// window and the library's message box, in Qt Widgets. The callers check for a host with
// windows first.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "mail/address_book.h"
#include "mail/send_form.h"

class QListWidget;

namespace norv::mail {

inline constexpr const char* kAddressBookName = "norvinetAddressBook";
inline constexpr const char* kAddAddressName = "norvinetAddAddress";
inline constexpr const char* kAddGroupName = "norvinetAddGroup";
inline constexpr const char* kSendFormName = "norvinetSendForm";

inline constexpr std::string_view kCannotCreateFile = "Cannot create file.";
inline constexpr std::string_view kDeleteGroupQuestion = "Are you sure to delete this group?";

bool RunAddressBook(AddressBook& book, std::string* joined);
// The entries of a group into the window's list, as they are shown.
void FillEntryList(QListWidget* list, const std::vector<AddressEntry>& entries);
bool RunSendForm(SendFormValues* values, AddressBook& book);
void RunMessage(std::string_view text);

}  // namespace norv::mail
