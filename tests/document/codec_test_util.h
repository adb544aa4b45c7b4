// Small helpers of the codec tests: running the buffer-based decoders on strings.
#pragma once

#include <string>
#include <string_view>

#include "document/codecs.h"

namespace norv::document::testing {

struct Decoded {
    int result;
    std::string text;
};

inline Decoded RunJisToSjis(std::string_view in) {
    std::string out(in.size(), '\0');
    size_t len = 0;
    int r = JisToSjis(out.data(), in.data(), in.size(), &len);
    out.resize(len);
    return {r, out};
}

inline Decoded RunEucToSjis(std::string_view in) {
    std::string out(in.size(), '\0');
    size_t len = 0;
    int r = EucToSjis(out.data(), in.data(), in.size(), &len);
    out.resize(len);
    return {r, out};
}

// Literal bytes with embedded NULs.
template <size_t N>
std::string Bytes(const char (&s)[N]) {
    return std::string(s, N - 1);
}

}  // namespace norv::document::testing
