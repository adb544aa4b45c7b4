// The output lines of find in files: "%s(%lu): %s\n".
//
// The path is the file's path as the walk names it (relative to the start folder, or full),
// in file-system bytes, quoted ("\"%s\"(%lu): %s\n") when it holds a blank or a parenthesis,
// so that a tag jump reads it back whole. The text is the line holding the start of the
// match, without its line end, its zero bytes written as "@", cut at the last whole character
// at or before kGrepTextLimit bytes. Path and text are converted into the code of the output
// document (UTF-8, or a system code page), so what the user reads is what was found.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace norv::search {

inline constexpr size_t kGrepTextLimit = 230;

// Whether a path is written in double quotes.
bool GrepPathNeedsQuotes(std::string_view path);

// One output line with its line feed. `text` is in `textCodePage` (a system code page, or
// UTF-8), the result in `outputCodePage`; file names are UTF-8 bytes.
std::string FormatGrepLine(std::string_view path, uint64_t line, std::string_view text,
                           int textCodePage, int outputCodePage);

// `text` of `fromCodePage` in `toCodePage` (the UTF-8 code pages are one family).
void AppendInCodePage(std::string& out, std::string_view text, int fromCodePage, int toCodePage);

// The longest prefix of `text` (of `codePage`) that is at most `limit` bytes and ends on a
// character boundary.
size_t WholeCharsWithin(std::string_view text, size_t limit, int codePage);

}  // namespace norv::search
