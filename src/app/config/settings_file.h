// The settings file format: sections and key=value lines in the system code page.
//
// A line beginning with "[" opens a section whose name runs up to the next "]". Any other line
// with an "=" is an entry: the key is the text before the first "=", the value everything after
// it up to the line end. Lines without "=", and lines before the first section, are ignored.
// Section and key names compare exactly. When a section or a key occurs twice, the first one
// counts, for reading and for writing alike.
//
// Changing a value rewrites one line and keeps every other byte of the file (comments, unknown
// keys, line ends), so several programs and several running copies of this one can share it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "app/config/text_lines.h"

namespace norv::app {

// The value of `key` in `section`, or nothing when either is missing.
std::optional<std::string_view> FindIniValue(std::string_view fileText, std::string_view section,
                                             std::string_view key);

// The file text with `key` in `section` set to `value`: the key's line is replaced; a missing
// key is added after the section's last non-empty line; a missing section is added at the end.
// The caller makes sure that none of the three texts holds a line break.
std::string SetIniValue(std::string_view fileText, std::string_view section, std::string_view key,
                        std::string_view value);

// Calls `entry(section, key, value)` for every entry in file order.
template <typename Fn>
void ForEachIniEntry(std::string_view fileText, Fn&& entry);

namespace ini_detail {
// Parses one line: returns 1 for a section line (name in `a`), 2 for an entry (key in `a`,
// value in `b`), 0 otherwise.
int ClassifyLine(std::string_view line, std::string_view& a, std::string_view& b);
}  // namespace ini_detail

template <typename Fn>
void ForEachIniEntry(std::string_view fileText, Fn&& entry) {
    LineReader reader(fileText);
    std::string_view line, a, b, section;
    bool inSection = false;
    while (reader.Next(line)) {
        int kind = ini_detail::ClassifyLine(line, a, b);
        if (kind == 1) {
            section = a;
            inSection = true;
        } else if (kind == 2 && inSection) {
            entry(section, a, b);
        }
    }
}

}  // namespace norv::app
