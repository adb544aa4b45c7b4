// Bounded copies into callers' buffers.
#include "mail/buffer_text.h"

#include <cstdint>
#include <cstring>

#include "platform/code_page.h"

namespace norv::mail {

size_t FitLength(std::string_view text, size_t max, int codePage) {
    if (text.size() <= max && codePage != 932) return text.size();
    if (codePage != 932) return max;
    // Walk from the start: a trail byte can look like a lead byte, so boundaries are only
    // known going forwards.
    size_t i = 0;
    while (i < text.size()) {
        const bool lead = platform::IsLeadByte(codePage, static_cast<uint8_t>(text[i]));
        const size_t step = (lead && i + 1 < text.size()) ? 2 : 1;
        if (i + step > max) break;
        i += step;
    }
    return i;
}

bool CopyToBuffer(char* buf, size_t size, std::string_view text, int codePage) {
    if (!buf || size == 0) return text.empty();
    const size_t n = FitLength(text, size - 1, codePage);
    if (n > 0) std::memcpy(buf, text.data(), n);
    buf[n] = '\0';
    return n == text.size();
}

}  // namespace norv::mail
