// Writing typed records back to the line they came from.
//
// The data and history files hold fixed blocks of lines whose meaning this program only partly
// uses. Each typed entry remembers the line it was read from; when the entry still equals what
// that line says, the line is written back exactly as it was (spacing, unused fields, line
// end), otherwise the entry is formatted anew. So a file comes back byte for byte unless the
// program changed something in it.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/config/text_lines.h"

namespace norv::app {

// Replaces tabs and line breaks, which would split a record, by blanks.
inline std::string OneField(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c == '\t' || c == '\r' || c == '\n') c = ' ';
    return out;
}
// A single blank stands for an empty field: the field is written so, and read back as empty.
inline std::string FieldOrBlank(std::string_view text) {
    return text.empty() ? std::string(" ") : OneField(text);
}
inline std::string_view BlankAsEmpty(std::string_view field) {
    return field == " " ? std::string_view() : field;
}

template <typename T, typename Parse, typename Format>
void WriteKept(std::vector<TextLine>& out, const T& value, const std::optional<TextLine>& source,
               LineEnd end, Parse parse, Format format) {
    if (source && parse(source->text) == value) {
        out.push_back(*source);
    } else {
        out.push_back({format(value), source ? source->end : end});
    }
}

}  // namespace norv::app
