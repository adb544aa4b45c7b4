// The send form's four values (To, Subject, Cc, Bcc), kept between calls; field names match
// without regard to case. A field never set reads as an empty text.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace norv::mail {

enum class FormField { kTo, kSubject, kCc, kBcc, kCount };

inline constexpr std::array<std::string_view, static_cast<size_t>(FormField::kCount)>
    kFormFieldNames = {"To", "Subject", "Cc", "Bcc"};

std::optional<FormField> FormFieldNamed(std::string_view name);

struct SendFormValues {
    std::array<std::string, static_cast<size_t>(FormField::kCount)> values;
    std::string& operator[](FormField f) { return values[static_cast<size_t>(f)]; }
    const std::string& operator[](FormField f) const { return values[static_cast<size_t>(f)]; }
    void Clear() { values = {}; }
};

}  // namespace norv::mail
