// Splitting a command line into words as a POSIX shell splits it, without any expansion:
// blanks, tabs and line ends separate words; '...' keeps everything literally; "..." keeps
// everything except that a backslash before $ ` " \ or a line end escapes it; a backslash
// outside quotes takes the next character literally (before a line end it joins the lines).
// Nothing else is special: no variables, globs, tildes, redirections or separators.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace norv::platform {

// The words, or nothing when a quote is not closed or the text ends in a backslash.
std::optional<std::vector<std::string>> SplitWords(std::string_view text);

}  // namespace norv::platform
