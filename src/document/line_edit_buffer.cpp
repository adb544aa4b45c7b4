#include "document/line_edit_buffer.h"

#include <cstring>

namespace norv::document {

void LineEditBuffer::Load(LineRecord* record, size_t caret) {
    assert(record->length >= 1 && record->text()[record->length - 1] == '\n' &&
           "the line after the gap ends in its line feed");
    record_ = record;
    dirty_ = false;
    size_t content = record->contentLength();
    if (caret > content) caret = content;
    before_ = caret;
    after_ = record->length - caret;
    std::memcpy(buf_.data(), record->text(), before_);
    std::memcpy(buf_.data() + kSize - after_, record->text() + before_, after_);
    CheckGap();
}

std::string LineEditBuffer::Text() const {
    std::string s(Before());
    s.append(After());
    return s;
}

void LineEditBuffer::MoveCaret(size_t pos) {
    if (pos > contentLength()) pos = contentLength();
    if (pos < before_) {
        size_t n = before_ - pos;
        std::memmove(buf_.data() + kSize - after_ - n, buf_.data() + pos, n);
        before_ = pos;
        after_ += n;
    } else if (pos > before_) {
        size_t n = pos - before_;
        std::memmove(buf_.data() + before_, buf_.data() + kSize - after_, n);
        before_ = pos;
        after_ -= n;
    }
    CheckGap();
}

bool LineEditBuffer::Insert(std::string_view bytes) {
    if (bytes.size() > room()) return false;
    std::memcpy(buf_.data() + before_, bytes.data(), bytes.size());
    before_ += bytes.size();
    dirty_ = true;
    CheckGap();
    return true;
}

size_t LineEditBuffer::DeleteBefore(size_t n) {
    if (n > before_) n = before_;
    before_ -= n;
    if (n) dirty_ = true;
    return n;
}

size_t LineEditBuffer::DeleteAfter(size_t n) {
    if (n > after_ - 1) n = after_ - 1;
    after_ -= n;
    if (n) dirty_ = true;
    return n;
}

int LineEditBuffer::JoinNext(LineList& list) {
    if (!record_ || !record_->next) return 0;
    LineRecord* next = record_->next;
    // The next line with its line feed takes the place of this line's line feed.
    if (before_ + (after_ - 1) + next->length > kSize) return 0;
    size_t newAfter = after_ - 1 + next->length;
    char* tail = buf_.data() + kSize - newAfter;
    std::memmove(tail, buf_.data() + kSize - after_, after_ - 1);
    std::memcpy(tail + (after_ - 1), next->text(), next->length);
    after_ = newAfter;
    CheckGap();
    uint8_t keep = static_cast<uint8_t>(LF_FORMATTED | LF_EOL_BITS | LF_CONTINUED);
    record_->flags = static_cast<uint8_t>((record_->flags & ~keep) | (next->flags & keep));
    list.UnlinkLine(next);
    list.FreeRecord(next);
    dirty_ = true;
    return 1;
}

LineRecord* LineEditBuffer::WriteBack(LineList& list, bool replaying) {
    if (!record_) return nullptr;
    if (!dirty_) return record_;
    CheckGap();
    size_t n = length();
    LineRecord* r = record_;
    if (n != r->length) {
        r = list.ResizeLine(r, n);
        if (!r) return nullptr;
        record_ = r;
    }
    std::memcpy(r->text(), buf_.data(), before_);
    std::memcpy(r->text() + before_, buf_.data() + kSize - after_, after_);
    r->rows = 0;
    if (!replaying) r->flags |= LF_CHANGED;
    dirty_ = false;
    return r;
}

LineRecord* LineEditBuffer::Split(LineList& list, bool replaying) {
    if (!record_) return nullptr;
    LineRecord* nr = list.MakeRecord("\n", 1, 128);
    if (!nr) return nullptr;
    // The part before the caret becomes the old line (with a line feed of its own).
    size_t keepAfter = after_;
    const bool atStart = before_ == 0;
    after_ = 1;
    // With after_ = 1 the write-back sees the part before the caret and the final line feed,
    // which the bytes after the caret end in; the buffer itself is not changed.
    dirty_ = true;
    LineRecord* old = WriteBack(list, replaying);
    if (!old) {
        list.FreeRecord(nr);
        after_ = keepAfter;
        return nullptr;
    }
    nr->rows = 1;
    if (atStart) {
        nr->flags = old->flags;
        old->flags &= static_cast<uint8_t>(~LF_MARK);
    } else if (old->flags & LF_FORMATTED) {
        nr->flags |= LF_FORMATTED;
    }
    // A cut made by the loader now lies behind the second half.
    if (old->flags & LF_CONTINUED) nr->flags |= LF_CONTINUED;
    old->flags &= static_cast<uint8_t>(~(LF_FORMATTED | LF_CONTINUED));
    list.InsertLineAfter(nr, old);
    record_ = nr;
    before_ = 0;
    after_ = keepAfter;
    dirty_ = true;
    return nr;
}

}  // namespace norv::document
