// EucToSjis on any bytes: never writes past the input's length; a line it accepts without JIS
// X 0212 characters encodes back to the same bytes.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "document/codecs.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto* in = reinterpret_cast<const char*>(data);
    std::vector<char> out(size);
    size_t len = 0;
    const int result = norv::document::EucToSjis(out.data(), in, size, &len);
    if (len > size || result < -1 || result > 1) std::abort();
    if (result >= 0 && std::memchr(data, 0x8F, size) == nullptr) {
        std::string back;
        if (norv::document::SjisToEuc(back, std::string_view(out.data(), len)) < 0) std::abort();
        if (back != std::string_view(in, size)) std::abort();
    }
    return 0;
}
