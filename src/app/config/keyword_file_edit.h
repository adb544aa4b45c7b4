// Writing back a keyword file that the Keywords page edited, so that what was not edited stays
// byte for byte as it was: every line of the file as read is kept unless the record it holds was
// deleted or (for a group header) changed; changed headers are written in their old place, and
// new groups, comment blocks and keywords follow the old lines in their own order.
#pragma once

#include <string>
#include <string_view>

#include "app/config/keyword_file.h"
#include "platform/file_system.h"

namespace norv::app {

// The text of `original` (a keyword file) changed to hold exactly what `edited` holds.
std::string RewriteKeywordFile(std::string_view original, const KeywordFile& edited);

// Reads the file at `path` as it is now, rewrites it and writes it through a temporary file.
// A missing file is written whole. Returns 0 or the system error number.
int SaveEditedKeywordFile(platform::FileSystem& fs, const std::string& path,
                          const KeywordFile& edited);

}  // namespace norv::app
