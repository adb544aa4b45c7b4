// JisToSjis on any bytes: never writes past the input's length, and text without ESC, SO or SI
// comes out unchanged.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "document/codecs.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto* in = reinterpret_cast<const char*>(data);
    std::vector<char> out(size);  // exactly the promised room: ASan sees any overrun
    size_t len = 0;
    const int result = norv::document::JisToSjis(out.data(), in, size, &len);
    if (len > size || result < -1 || result > 1) std::abort();
    const bool plain = std::memchr(data, 0x1B, size) == nullptr &&
                       std::memchr(data, 0x0E, size) == nullptr &&
                       std::memchr(data, 0x0F, size) == nullptr;
    if (plain && (result != 0 || len != size || (size && std::memcmp(out.data(), in, size) != 0)))
        std::abort();
    return 0;
}
