#include "document/debug_dump.h"

#include <cstdio>

namespace norv::document {

std::string EscapeBytes(const char* p, size_t n) {
    std::string out;
    out.reserve(n);
    for (size_t i = 0; i < n; ++i) {
        auto c = static_cast<unsigned char>(p[i]);
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            out.push_back(static_cast<char>(c));
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        }
    }
    return out;
}

std::string DumpLines(const LineList& lines) {
    std::string out;
    int n = 1;
    for (const LineRecord* r = lines.first(); r; r = r->next, ++n) {
        char head[32];
        std::snprintf(head, sizeof head, "%d\t%02X\t", n, r->flags);
        out += head;
        out += EscapeBytes(r->text(), r->contentLength());
        out.push_back('\n');
    }
    return out;
}

}  // namespace norv::document
