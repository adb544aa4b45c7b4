// The archivers' command templates: %1 is the archive's path and %2 the destination folder,
// each exactly one argument whatever it holds; a % with any other character (or at the end) is
// dropped together with it.
//
// Run directly, the template (UTF-8) is split into words as a POSIX shell splits them, without
// any expansion, and the values go into their words after the split. Through /bin/sh -c (the
// archiver's mode switch) the template stays as written and each value is quoted for the place
// it stands in, as the command shell option of a command line quotes it.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace norv::tools {

// The argument vector; nothing when a quote is not closed or no word is left.
std::optional<std::vector<std::string>> ExpandArchiverWords(std::string_view command,
                                                            std::string_view archive,
                                                            std::string_view destination);
// The text for /bin/sh -c; nothing when a quote is not closed.
std::optional<std::string> ExpandArchiverShellText(std::string_view command,
                                                   std::string_view archive,
                                                   std::string_view destination);

}  // namespace norv::tools
