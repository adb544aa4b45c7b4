// AnsiToUtf8 and Utf8ToAnsi on any bytes, for the code page chosen by the first byte: bounded
// output; AnsiToUtf8 yields well-formed UTF-8 from a code page and copies UTF-8 as it is.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "document/codecs.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    static const int kCodePages[] = {932, 1252, 65001};
    const int codePage = kCodePages[data[0] % 3];
    const std::string_view in(reinterpret_cast<const char*>(data + 1), size - 1);
    std::string utf8;
    const size_t n = norv::document::AnsiToUtf8(utf8, in, codePage);
    if (n != utf8.size() || n > 3 * in.size()) std::abort();
    if (codePage == 65001) {
        if (utf8 != in) std::abort();  // UTF-8 "ANSI" text is taken as it is
    } else {
        bool ascii = true;
        for (char c : utf8) ascii = ascii && static_cast<uint8_t>(c) < 0x80;
        if (!ascii && !norv::document::IsUtf8Line(utf8.data(), utf8.size())) std::abort();
    }
    std::string ansi;
    const size_t m = norv::document::Utf8ToAnsi(ansi, in, codePage);
    if (m != ansi.size() || m > 2 * in.size()) std::abort();
    return 0;
}
