// The CAPA and EHLO reply parsers on any lines (the input split at line feeds).
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "mail/capabilities.h"

using namespace norv;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> lines;
    size_t at = 0;
    while (at <= text.size()) {
        size_t lf = text.find('\n', at);
        if (lf == std::string_view::npos) lf = text.size();
        lines.emplace_back(text.substr(at, lf - at));
        at = lf + 1;
    }
    (void)mail::CapaOffers(lines, "STLS");
    (void)mail::ParseEhloReply(lines);
    return 0;
}
