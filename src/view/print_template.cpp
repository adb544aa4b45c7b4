#include "view/print_template.h"

#include <cstdio>

namespace norv::view {

std::string_view CutUtf8(std::string_view text, size_t limit) {
    if (text.size() <= limit) return text;
    size_t cut = limit;
    // Step back over continuation bytes to the start of the character that does not fit.
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
    return text.substr(0, cut);
}

namespace {

std::string FileNameOf(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string Formatted(const char* format, const std::tm& time) {
    char buffer[64];
    size_t n = std::strftime(buffer, sizeof buffer, format, &time);
    return std::string(buffer, n);
}

}  // namespace

std::string ExpandPrintTemplate(std::string_view tmpl, const PrintTemplateFields& fields,
                                int page) {
    std::string out;
    for (size_t i = 0; i < tmpl.size(); ++i) {
        if (tmpl[i] != '&') {
            out.push_back(tmpl[i]);
            continue;
        }
        if (++i == tmpl.size()) break;
        switch (tmpl[i]) {
            case '&':
                out.push_back('&');
                break;
            case 'd':
                out += Formatted(fields.japaneseDates ? "%Y/%m/%d" : "%m/%d/%Y", fields.time);
                break;
            case 't':
                out += Formatted("%H:%M:%S", fields.time);
                break;
            case 'f':
                out += fields.path.empty() ? "Untitled" : fields.path;
                break;
            case 'n':
                out += fields.path.empty() ? "Untitled" : FileNameOf(fields.path);
                break;
            case 'p':
                out += std::to_string(page);
                break;
            case 'w': {
                std::string_view title = fields.title;
                if (!title.empty() && title.back() == '*') title.remove_suffix(1);
                out += title;
                break;
            }
            default:
                // Any other code gives nothing; a multi-byte character after "&" goes whole.
                while (i + 1 < tmpl.size() &&
                       (static_cast<unsigned char>(tmpl[i + 1]) & 0xC0) == 0x80)
                    ++i;
                break;
        }
        if (out.size() > kMaxPrintTemplateBytes * 2) break;  // the rest cannot appear
    }
    return std::string(CutUtf8(out, kMaxPrintTemplateBytes));
}

}  // namespace norv::view
