// Replacing a run of records by the lines of a text in one step.
//
// Editing a line at a time copies each line through the edit buffer, splits it off into a record
// with room to grow and lays it out; for a program's output or a reformatted selection of a
// million lines that work is most of the cost. A splice makes every new record at its exact size
// straight from the text, links the whole run in place of the old records at once, and leaves
// the old ones to the caller's undo record.
//
// The flags of the new records follow what joining the old run into one line and breaking it at
// each line feed of the text would give (that is how the same text typed in ends up): the run's
// flags (JoinedFlags) go to the first line; its mark stays there; the line end it formatted or
// continued, and a cut the loader made behind it, go on to the last line; an empty line broken
// off at its start hands all of its flags on, keeping its line end. A line longer than a record
// holds goes on in records that continue it (LF_CONTINUED), cut between whole characters, with
// its line end and formatting flag on its last record.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "document/line_list.h"

namespace norv::document {

// The flags of `count` records from `first` joined into one line: the first one's, its line end,
// formatting and continuation taken from the last one, and the mark and changed bits of any.
uint8_t JoinedFlags(const LineRecord* first, int count);
// The same, one record at a time, for a walk over the run that does more.
class FlagJoiner {
  public:
    void Add(uint8_t flags) {
        constexpr uint8_t keep = LF_FORMATTED | LF_EOL_BITS | LF_CONTINUED;
        if (first_) {
            flags_ = flags;
            first_ = false;
        }
        any_ |= flags;
        flags_ = static_cast<uint8_t>((flags_ & ~keep) | (flags & keep));
    }
    uint8_t Joined() const {
        return static_cast<uint8_t>(flags_ | (any_ & (LF_MARK | LF_CHANGED)));
    }

  private:
    bool first_ = true;
    uint8_t flags_ = 0;
    uint8_t any_ = 0;
};

// The contents of `count` records from `first` with a line feed between each two (as an undo
// record holds them), appended to `out`; the flags of each record, one byte each, to `flags`
// when it is not null.
void AppendRunText(const LineRecord* first, int count, std::string& out, std::string* flags);

struct SpliceResult {
    LineRecord* first = nullptr;  // the first new record; null when nothing was changed
    LineRecord* last = nullptr;   // the last new record
    int records = 0;              // new records made
    bool marksChanged = false;    // a bookmark left a line or moved to another one
};

// Replaces the `count` records from `first` (at least one, all linked in `list`) by the lines
// of `text` (separated by line feeds: "" is one empty line, "a\n" two lines). `carry` is the
// flags the new lines start from (JoinedFlags of the old run, or any flags for text that is
// not a replacement); with `changed` every new record carries LF_CHANGED. Long lines are cut at
// character boundaries of `codePage`. The old records are unlinked (onUnlink hears of each) and
// freed. When the heap has no memory, nothing changes and the result is empty. `onMade` hears
// of each new record, in order, as soon as its text and flags are in (while it is fresh in the
// cache), before it is linked; on a failure those records are freed again.
SpliceResult SpliceLines(LineList& list, LineRecord* first, int count, std::string_view text,
                         uint8_t carry, int codePage, bool changed,
                         const std::function<void(LineRecord*)>& onMade = {});

}  // namespace norv::document
