// Readable dumps of a document's lines, for tests, debugging and `norvconv --dump`.
#pragma once

#include <string>

#include "document/line_list.h"

namespace norv::document {

// One line per record: "NUMBER<TAB>FLAGS(hex)<TAB>bytes", bytes outside printable ASCII (and
// the backslash) written as \xHH; the final line feed is not shown.
std::string DumpLines(const LineList& lines);

// The bytes of one record without its line feed, escaped as above.
std::string EscapeBytes(const char* p, size_t n);

}  // namespace norv::document
