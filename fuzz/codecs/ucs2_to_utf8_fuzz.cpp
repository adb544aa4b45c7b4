// Ucs2ToUtf8 on any bytes, both byte orders: at most three bytes per unit, and Utf8ToUcs2 gives
// back exactly the units (surrogate pairs joined and split again, lone surrogates kept).
#include <cstdint>
#include <cstdlib>
#include <string>

#include "document/codecs.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto* in = reinterpret_cast<const char*>(data);
    for (bool swap : {false, true}) {
        std::string utf8;
        const size_t n = norv::document::Ucs2ToUtf8(utf8, in, size, swap);
        if (n != utf8.size() || n > 3 * (size / 2)) std::abort();
        std::u16string units;
        norv::document::Utf8ToUcs2(units, utf8);
        if (units.size() != size / 2) std::abort();
        for (size_t k = 0; k < units.size(); ++k) {
            const auto hi = static_cast<char16_t>(data[2 * k + (swap ? 0 : 1)]);
            const auto lo = static_cast<char16_t>(data[2 * k + (swap ? 1 : 0)]);
            if (units[k] != static_cast<char16_t>((hi << 8) | lo)) std::abort();
        }
    }
    return 0;
}
