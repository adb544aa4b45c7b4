// Text converted by iconv: the outside reference of the code conversions.
#pragma once

#include <iconv.h>

#include <string>

namespace norv::testing {

// `in` converted from one iconv code to another; *ok false when iconv refuses any of it.
inline std::string Iconv(const std::string& in, const char* from, const char* to, bool* ok) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        *ok = false;
        return {};
    }
    std::string out(in.size() * 4 + 16, '\0');
    char* src = const_cast<char*>(in.data());
    size_t left = in.size();
    char* dst = out.data();
    size_t room = out.size();
    size_t r = iconv(cd, &src, &left, &dst, &room);
    iconv(cd, nullptr, nullptr, &dst, &room);
    iconv_close(cd);
    *ok = r != static_cast<size_t>(-1) && left == 0;
    out.resize(out.size() - room);
    return out;
}

}  // namespace norv::testing
