// Integer names of the line records of one document, as scripts hold them.
//
// A handle is a 32-bit number given out once and never again while the program runs (the
// counter is shared by every document), so a handle kept across a change names the same line or
// nothing: the document's record list tells the table when a record leaves it (unlinked into the
// deleted-line stack or the undo history, freed, or every line replaced by a load), and the
// handle of that record is forgotten at once. A record that moves to a bigger cell keeps its
// handle. A handle of another document, or one never given out, is simply not in the table.
#pragma once

#include <cstddef>
#include <cstdint>
#include <unordered_map>

#include "document/line_record.h"

namespace norv::document {

class LineHandles {
  public:
    // The handle of a linked record of the document (given out on first use); 0 for null.
    uint32_t HandleOf(const LineRecord* record);
    // The record a handle names, or null when it names no line of the document now.
    LineRecord* Find(uint32_t handle) const;

    // The record list's notices.
    void Forget(const LineRecord* record);
    void Moved(const LineRecord* from, LineRecord* to);
    void Clear();

    size_t size() const { return byHandle_.size(); }

  private:
    std::unordered_map<uint32_t, LineRecord*> byHandle_;
    std::unordered_map<const LineRecord*, uint32_t> byRecord_;
};

}  // namespace norv::document
