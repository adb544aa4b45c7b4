// IsUtf8Line and Utf8Scanner agree: the lines of the input (cut at line feeds, and fed to the
// scanner in pieces cut where the first byte says) are malformed for the scanner exactly when a
// line with 8-bit bytes fails IsUtf8Line.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "document/codecs.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const size_t cut = data[0] % 7 + 1;  // the scanner gets pieces of this many bytes
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    norv::document::Utf8Scanner scanner;
    bool anyFails = false;
    bool anyEightBit = false;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view line = text.substr(start, end - start);
        bool eightBit = false;
        for (char c : line) eightBit = eightBit || static_cast<uint8_t>(c) >= 0x80;
        if (eightBit) {
            anyEightBit = true;
            if (!norv::document::IsUtf8Line(line.data(), line.size())) anyFails = true;
        } else if (norv::document::IsUtf8Line(line.data(), line.size())) {
            std::abort();  // ASCII alone is no evidence
        }
        for (size_t p = 0; p < line.size() || p == 0; p += cut) {
            const size_t n = std::min(cut, line.size() - p);
            scanner.Feed(line.data() + p, n, p + n < line.size());
            if (line.empty()) break;
        }
        start = end + 1;
    }
    if (scanner.malformed() != anyFails) std::abort();
    if (!anyFails && scanner.sawMultiByte() != anyEightBit) std::abort();
    return 0;
}
