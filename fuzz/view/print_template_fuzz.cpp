// Header and footer templates from the settings: any bytes expand to at most 2048 bytes, and a
// template of whole UTF-8 characters gives whole UTF-8 characters.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "view/print_template.h"

namespace {

bool WholeUtf8(const std::string& s) {
    for (size_t i = 0; i < s.size();) {
        const auto b = static_cast<unsigned char>(s[i]);
        size_t n = b < 0x80             ? 1
                   : (b & 0xE0) == 0xC0 ? 2
                   : (b & 0xF0) == 0xE0 ? 3
                   : (b & 0xF8) == 0xF0 ? 4
                                        : 0;
        if (n == 0 || i + n > s.size()) return false;
        for (size_t k = 1; k < n; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
        i += n;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    norv::view::PrintTemplateFields fields;
    // The first byte splits the rest into the template and the path.
    const size_t cut = 1 + data[0] % size;
    std::string tmpl(reinterpret_cast<const char*>(data + 1), cut - 1);
    fields.path.assign(reinterpret_cast<const char*>(data + cut), size - cut);
    fields.title = fields.path + "*";
    fields.japaneseDates = (data[0] & 1) != 0;
    for (int page : {1, 99999}) {
        const std::string out = norv::view::ExpandPrintTemplate(tmpl, fields, page);
        if (out.size() > norv::view::kMaxPrintTemplateBytes) std::abort();
        if (WholeUtf8(tmpl) && WholeUtf8(fields.path) && !WholeUtf8(out)) std::abort();
    }
    return 0;
}
