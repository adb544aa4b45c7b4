// Random output cut anywhere converts to the same text as the whole output at once.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/code_page.h"
#include "tools/shell/capture_converter.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const int codePage = data[0] & 1 ? 932 : 1252;
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    norv::tools::CaptureConverter whole(codePage);
    const std::string once = whole.Feed(bytes) + whole.Finish();
    norv::tools::CaptureConverter pieces(codePage);
    std::string cut;
    const size_t step = 1 + (data[0] >> 1) % 7;
    for (size_t at = 0; at < bytes.size(); at += step) cut += pieces.Feed(bytes.substr(at, step));
    cut += pieces.Finish();
    if (cut != once) std::abort();
    return 0;
}
