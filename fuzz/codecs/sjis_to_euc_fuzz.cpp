// SjisToEuc on any bytes: at most two output bytes per input byte, and what it converts
// completely decodes back to the same bytes.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "document/codecs.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view in(reinterpret_cast<const char*>(data), size);
    std::string euc;
    const int result = norv::document::SjisToEuc(euc, in);
    if (euc.size() > 2 * size || result < -1 || result > 1) std::abort();
    if (result >= 0) {
        std::vector<char> back(euc.size());
        size_t len = 0;
        if (norv::document::EucToSjis(back.data(), euc.data(), euc.size(), &len) < 0) std::abort();
        if (std::string_view(back.data(), len) != in) std::abort();
    }
    return 0;
}
