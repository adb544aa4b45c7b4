// Shift-JIS test text written as UTF-8 in the source.
#pragma once

#include <string>
#include <string_view>

#include "document/codecs.h"

namespace norv::testing {

inline std::string Sjis(std::string_view utf8) {
    std::string out;
    document::Utf8ToAnsi(out, utf8, 932);
    return out;
}

}  // namespace norv::testing
