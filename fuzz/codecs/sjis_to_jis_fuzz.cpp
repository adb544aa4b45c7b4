// SjisToJis on any bytes: bounded growth, and text without ESC, SO or SI of its own never ends
// in kanji state and always decodes again.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "document/codecs.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view in(reinterpret_cast<const char*>(data), size);
    std::string jis = "x";
    const size_t appended = norv::document::SjisToJis(jis, in);
    // Worst case: a half-width kana and an ASCII byte in turn (ESC $ B, two bytes, ESC ( B, one).
    if (appended != jis.size() - 1 || appended > 5 * size + 3) std::abort();
    const bool plain = std::memchr(data, 0x1B, size) == nullptr &&
                       std::memchr(data, 0x0E, size) == nullptr &&
                       std::memchr(data, 0x0F, size) == nullptr;
    // An ESC of the text itself is copied as it is, so only text without one has a known end
    // state.
    if (plain && size && jis.size() >= 3 && jis[jis.size() - 3] == '\x1B' &&
        jis[jis.size() - 2] == '$')
        std::abort();
    if (plain) {
        std::vector<char> back(appended);
        size_t len = 0;
        if (norv::document::JisToSjis(back.data(), jis.data() + 1, appended, &len) < 0)
            std::abort();
    }
    return 0;
}
