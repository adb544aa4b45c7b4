// Bookmark files as found beside a document: parsing stays inside the bytes, the line numbers
// it returns ascend, and rebuilding keeps them all.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "document/marks_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    auto lines = norv::document::ParseMarkFile(bytes);
    for (size_t i = 1; i < lines.size(); ++i)
        if (lines[i] <= lines[i - 1]) std::abort();
    auto rebuilt = norv::document::BuildMarkFile(bytes, lines);
    auto again = norv::document::ParseMarkFile(rebuilt);
    // The rebuilt file holds every number, however many.
    if (again != lines) std::abort();
    return 0;
}
