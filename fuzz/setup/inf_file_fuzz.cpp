// The INF reader on any bytes: it never reads outside its input, and whatever it accepts keeps
// every path inside the target (no absolute name, no ".." part, one part for the folders).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "setup/inf_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    norv::setup::SetupInf inf = norv::setup::ParseInf(text);
    if (inf.files.size() > norv::setup::kMaxListedFiles) std::abort();
    if (!norv::setup::RefusedKey(inf).empty()) return 0;
    auto check = [](std::string_view name) {
        if (name.empty() || name.front() == '/') std::abort();
        for (size_t at = 0; at <= name.size();) {
            size_t slash = name.find('/', at);
            std::string_view part = name.substr(
                at, slash == std::string_view::npos ? std::string_view::npos : slash - at);
            if (part.empty() || part == "." || part == "..") std::abort();
            if (slash == std::string_view::npos) break;
            at = slash + 1;
        }
    };
    check(inf.appTitle);
    check(inf.vender);
    if (inf.appTitle.find('/') != std::string::npos || inf.vender.find('/') != std::string::npos)
        std::abort();
    for (const std::string& f : inf.files) check(f);
    return 0;
}
