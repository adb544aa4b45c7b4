// A copy of a document's text in a file of its own (the copies a project keeps of documents
// that have unsaved changes or no file).
#pragma once

#include <string>

#include "document/document.h"

namespace norv::document {

// Writes the whole text to `path` in the document's code, with its byte-order mark and line
// ends as a save writes them, so that reading the copy in that code gives the same text back.
// The save's own changes (blanks at line ends, tabs, the end-of-file mark), backups and the
// mirror do not apply, and the document is left as it was (its file, time and modified flag).
// The copy goes to a temporary file first and is renamed to `path` once complete. Returns 0
// or the system error number.
int WriteTextCopy(CElwDoc& doc, const std::string& path, unsigned permissions);

}  // namespace norv::document
