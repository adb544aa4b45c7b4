// The limit on open documents and its message, shared by the loader and the application's
// session (which refuses an open before anything is read).
#pragma once

#include <string_view>

namespace norv::document {

// Shown when one more document would pass kMaxDocuments.
inline constexpr std::string_view kTooManyFilesText = "Cannot read more than 100 files.";

}  // namespace norv::document
