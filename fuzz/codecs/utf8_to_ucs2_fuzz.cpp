// Utf8ToUcs2 on any bytes: at most one unit per byte, and its result is a fixed point of
// encoding and decoding again.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "document/codecs.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view in(reinterpret_cast<const char*>(data), size);
    std::u16string units;
    const size_t n = norv::document::Utf8ToUcs2(units, in);
    if (n != units.size() || n > size) std::abort();
    std::string utf8;
    norv::document::Ucs2ToUtf8(utf8, reinterpret_cast<const char*>(units.data()), 2 * n, false);
    std::u16string again;
    norv::document::Utf8ToUcs2(again, utf8);
    if (again != units) std::abort();
    return 0;
}
