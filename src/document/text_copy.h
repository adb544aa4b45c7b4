// A copy of a document's text in a file of its own (the copies a project keeps of documents
// that have unsaved changes or no file).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "document/document.h"

namespace norv::document {

// Writes the whole text to `path` in the document's code, with its byte-order mark and line
// ends as a save writes them, so that reading the copy in that code gives the same text back.
// The save's own changes (blanks at line ends, tabs, the end-of-file mark), backups and the
// mirror do not apply, and the document is left as it was (its file, time and modified flag).
// The copy goes to a temporary file first and is renamed to `path` once complete. Returns 0
// or the system error number.
int WriteTextCopy(CElwDoc& doc, const std::string& path, unsigned permissions);

// Copies written together, as WriteTextCopy writes one: each goes whole to its temporary file
// as it is added, and Finish syncs them all (once every one is written, so that the disk takes
// them in one go rather than one after another) before any is renamed to its path. Nothing of
// a batch that failed or was never finished is left: neither its temporary files nor the
// copies it renamed.
class TextCopyBatch {
  public:
    TextCopyBatch() = default;
    TextCopyBatch(const TextCopyBatch&) = delete;
    TextCopyBatch& operator=(const TextCopyBatch&) = delete;
    ~TextCopyBatch();

    // 0 or the system error number (this copy then leaves nothing; the others stay pending).
    int Add(CElwDoc& doc, const std::string& path, unsigned permissions);
    // Every copy synced, closed and renamed: 0, or the first error number (then none is left,
    // and `failed` is given the number of the copy, in the order added, that failed).
    int Finish(size_t* failed = nullptr);

  private:
    struct Pending {
        platform::FileSystem* fs;
        std::string temp, path;
        std::unique_ptr<platform::OutputFile> file;
    };
    void Drop(size_t renamed);

    std::vector<Pending> pending_;
};

}  // namespace norv::document
