// The group-file reader on any bytes: every entry has "@" in its address, no field holds a
// line end or a tab, and a line is never longer than its bound.
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <string>

#include "mail/address_book.h"

using namespace norv;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (const int cp : {932, 1252}) {
        for (const mail::AddressEntry& e : mail::ParseGroupFile(text, cp)) {
            assert(e.address.find('@') != std::string::npos && "entries hold an at sign");
            assert(e.address.find_first_of("\t\n") == std::string::npos && "one field");
            assert(e.name.find('\n') == std::string::npos && "one line");
            assert(e.address.size() + 1 + e.name.size() <= mail::kMaxGroupLine + 1 &&
                   "bounded lines");
            (void)mail::AddressOfEntryText(mail::EntryText(e));
        }
    }
    return 0;
}
