// Recovery tables and their side files as found in the recovery folder after a crash: parsing
// never reads outside the bytes, and whatever it accepts names files inside the folder only.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "document/auto_save.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    // The first half is the table, the rest the side file.
    size_t cut = size / 2;
    auto entries = norv::document::ParseRecoveryTable(bytes.substr(0, cut));
    if (!entries) return 0;
    norv::document::ApplyRecoveryInfo(bytes.substr(cut), *entries);
    for (const auto& e : *entries)
        if (e.fileName.empty() || e.fileName.find('/') != std::string::npos) std::abort();
    auto again = norv::document::ParseRecoveryTable(norv::document::BuildRecoveryTable(*entries));
    if (!again || again->size() != entries->size()) std::abort();
    return 0;
}
