// The address book: a folder "addrbook/" under a base folder, one file "<group>.adr" per group,
// each line an address, a tab, the person's name and a line end (CR LF when written).
//
// The group "Usual" is always listed, first; the others are the names (up to the first ".") of
// the files ending in ".adr" (in any case), except "Usual" (in any case), sorted without regard
// to case. Only lines whose first field holds "@" are entries; a line longer than 255 bytes is
// cut at a character boundary and its tail dropped. A missing folder or file is an empty group.
//
// Every change rewrites the group's file through a temporary file in "addrbook/" and a rename,
// so a failed write leaves the old file. Group names that could leave the folder, or that the
// list would show otherwise, are refused.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"

namespace norv::mail {

inline constexpr std::string_view kUsualGroup = "Usual";
inline constexpr size_t kMaxGroupLine = 255;

struct AddressEntry {
    std::string address;
    std::string name;
};

// "%s (%s)": how an entry is shown.
std::string EntryText(const AddressEntry& e);
// The address of a shown entry: its text up to the first blank.
std::string_view AddressOfEntryText(std::string_view text);

std::vector<AddressEntry> ParseGroupFile(std::string_view text, int codePage);

// False for names that are empty or blank, hold "/", "\", "." or a control byte.
bool IsValidGroupName(std::string_view name);

class AddressBook {
  public:
    AddressBook(platform::FileSystem& fs, std::string_view base, int codePage);

    const std::string& folder() const { return folder_; }
    std::vector<std::string> Groups() const;
    std::vector<AddressEntry> Entries(std::string_view group) const;

    // Each returns false when the file could not be written (or the name is refused).
    bool AddEntry(std::string_view group, const AddressEntry& entry);
    bool DeleteEntry(std::string_view group, std::string_view address);
    bool AddGroup(std::string_view group);
    bool DeleteGroup(std::string_view group);

  private:
    std::string GroupPath(std::string_view group) const;
    bool WriteGroup(std::string_view group, std::string_view text);

    platform::FileSystem& fs_;
    std::string folder_;  // ends with "/"
    int codePage_;
};

// The "To:" list of the Address Book window: addresses in the order chosen, each once.
class ChosenAddresses {
  public:
    // Adds the address of a shown entry unless it is already chosen.
    void Add(std::string_view entryText);
    void Remove(size_t index);
    void Reset() { list_.clear(); }
    const std::vector<std::string>& list() const { return list_; }
    // The chosen addresses joined with ",".
    std::string Joined() const;

  private:
    std::vector<std::string> list_;
};

}  // namespace norv::mail
