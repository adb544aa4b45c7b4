// Field names of the send form.
#include "mail/send_form.h"

namespace norv::mail {

std::optional<FormField> FormFieldNamed(std::string_view name) {
    for (size_t i = 0; i < kFormFieldNames.size(); ++i) {
        const std::string_view f = kFormFieldNames[i];
        if (f.size() != name.size()) continue;
        bool same = true;
        for (size_t k = 0; k < f.size() && same; ++k) {
            char c = name[k];
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
            char d = f[k];
            if (d >= 'a' && d <= 'z') d = static_cast<char>(d - 32);
            same = c == d;
        }
        if (same) return static_cast<FormField>(i);
    }
    return std::nullopt;
}

}  // namespace norv::mail
