// Arbitrary bytes as a data file: writing what was read and reading it again changes nothing.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/config/data_file.h"

using namespace norv::app;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    DataFile first;
    first.Parse(text);
    std::string saved = first.Format();
    DataFile second;
    second.Parse(saved);
    if (second.menus != first.menus || second.shell != first.shell ||
        second.addins != first.addins || second.library != first.library ||
        second.folders != first.folders)
        std::abort();
    if (second.Format() != saved) std::abort();
    for (const auto& menu : first.menus)
        for (const auto& item : menu) (void)item.ShownCaption(932);
    return 0;
}
