// The line edit buffer: the line under the caret, copied out of its record while it is edited.
//
// 65535 bytes. The bytes before the caret stand at the start of the buffer, the bytes from the
// caret through the line feed at its end (the line feed is always the last byte), and typing and
// deleting work in the gap between them. The record is only rewritten by WriteBack, when the
// caret leaves the line or the document is read.
#pragma once

#include <cassert>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "document/line_list.h"

namespace norv::document {

class LineEditBuffer {
  public:
    static constexpr size_t kSize = kMaxLineBytes;

    LineEditBuffer() : buf_(kSize) {}

    // Copies `record` in with the caret at byte `caret` (clamped to the text before the line
    // feed). The buffer is clean afterwards.
    void Load(LineRecord* record, size_t caret);
    // Forgets the record without writing back.
    void Detach() {
        record_ = nullptr;
        dirty_ = false;
    }

    LineRecord* record() const { return record_; }
    bool loaded() const { return record_ != nullptr; }
    bool dirty() const { return dirty_; }
    void MarkDirty() { dirty_ = true; }

    size_t caret() const { return before_; }
    // Bytes of the line including its line feed.
    size_t length() const { return before_ + after_; }
    size_t contentLength() const { return length() - 1; }
    size_t room() const { return kSize - length(); }
    // The line's bytes: [0, caret) and [caret, length) including the line feed.
    std::string_view Before() const { return {buf_.data(), before_}; }
    std::string_view After() const { return {buf_.data() + kSize - after_, after_}; }
    // The whole line as one string (for display and tests).
    std::string Text() const;
    // The byte at offset i of the line.
    char At(size_t i) const { return i < before_ ? buf_[i] : buf_[kSize - after_ + (i - before_)]; }

    // Moves the caret to byte offset `pos` (0..contentLength()).
    void MoveCaret(size_t pos);
    // Inserts bytes at the caret (the caret moves behind them); false when they do not fit.
    bool Insert(std::string_view bytes);
    // Deletes n bytes before / after the caret (never the line feed).
    size_t DeleteBefore(size_t n);
    size_t DeleteAfter(size_t n);

    // Joins the next record onto this line in place of the line feed, when it fits; the next
    // record is unlinked and freed and the line takes its LF_FORMATTED bit and line-end kind.
    // Returns 1 when joined, 0 when there is no next line or it does not fit.
    int JoinNext(LineList& list);

    // Writes a changed buffer back into its record (resized and relocated when needed); sets
    // LF_CHANGED unless `replaying`. Returns the record's address, or null when out of memory.
    // Writing back a clean buffer returns the record unchanged.
    LineRecord* WriteBack(LineList& list, bool replaying);

    // Splits the line at the caret: the part before is written back with a line feed, a new
    // record (room for 128 bytes, display rows 1) after it becomes the buffer's line, and the
    // bytes after the caret stay in the buffer. Returns the new record or null.
    LineRecord* Split(LineList& list, bool replaying);

  private:
    // The gap lies between the caret and the part after it, which ends in the line feed.
    void CheckGap() const {
        assert(after_ >= 1 && before_ + after_ <= kSize && buf_[kSize - 1] == '\n' &&
               "the line after the gap ends in its line feed");
    }

    std::vector<char> buf_;
    size_t before_ = 0;
    size_t after_ = 1;
    LineRecord* record_ = nullptr;
    bool dirty_ = false;
};

}  // namespace norv::document
