// Replacing a run of records by the lines of a text (see line_splice.h).
#include "document/line_splice.h"

#include <cassert>
#include <cstring>

#include "document/char_model.h"

namespace norv::document {
namespace {

constexpr uint8_t kMoving = LF_FORMATTED | LF_CONTINUED;

// The longest prefix of `s` of at most `room` bytes that ends on a character boundary.
size_t WholeChars(int codePage, std::string_view s, size_t room) {
    if (s.size() <= room) return s.size();
    size_t q = 0;
    while (q < s.size()) {
        const size_t len = CharLength(codePage, s.data() + q, s.data() + s.size());
        if (q + len > room) break;
        q += len;
    }
    return q;
}

// A record of `content` and its line feed, not linked; null when out of memory.
LineRecord* NewRecord(LineHeap& heap, std::string_view content, uint8_t flags) {
    assert(content.size() < kMaxLineBytes && "a record holds its content and a line feed");
    void* mem = heap.Allocate(sizeof(LineRecord) + content.size() + 1);
    if (!mem) return nullptr;
    auto* r = static_cast<LineRecord*>(mem);
    r->highlight = 0;
    r->flags = flags;
    r->length = static_cast<uint16_t>(content.size() + 1);
    r->rows = 0;
    r->prev = nullptr;
    r->next = nullptr;
    if (!content.empty()) std::memcpy(r->text(), content.data(), content.size());
    r->text()[content.size()] = '\n';
    return r;
}

}  // namespace

uint8_t JoinedFlags(const LineRecord* first, int count) {
    if (!first || count <= 0) return 0;
    FlagJoiner joiner;
    const LineRecord* r = first;
    for (int i = 0; i < count && r; ++i, r = r->next) joiner.Add(r->flags);
    return joiner.Joined();
}

void AppendRunText(const LineRecord* first, int count, std::string& out, std::string* flags) {
    const LineRecord* r = first;
    for (int i = 0; i < count && r; ++i, r = r->next) {
        if (i) out.push_back('\n');
        out.append(r->text(), r->contentLength());
        if (flags) flags->push_back(static_cast<char>(r->flags));
    }
}

SpliceResult SpliceLines(LineList& list, LineRecord* first, int count, std::string_view text,
                         uint8_t carry, int codePage, bool changed,
                         const std::function<void(LineRecord*)>& onMade) {
    SpliceResult result;
    if (!first || count <= 0 || !list.sentinel()) return result;
    LineHeap& heap = list.heap();
    const uint8_t changedBit = changed ? LF_CHANGED : 0;

    // The new records, chained to each other but not yet to the list.
    LineRecord* head = nullptr;
    LineRecord* tail = nullptr;
    int made = 0;
    bool failed = false;
    auto add = [&](std::string_view content, uint8_t flags) {
        LineRecord* r = NewRecord(heap, content, static_cast<uint8_t>(flags | changedBit));
        if (!r) {
            failed = true;
            return;
        }
        r->prev = tail;
        if (tail)
            tail->next = r;
        else
            head = r;
        tail = r;
        ++made;
        if (onMade) onMade(r);
    };

    uint8_t cur = carry;  // the flags of the record being filled
    size_t i = 0;
    for (;;) {
        size_t j = text.find('\n', i);
        const bool lastLine = j == std::string_view::npos;
        if (lastLine) j = text.size();
        std::string_view line = text.substr(i, j - i);
        // Cut where a record is full: the record before continues into the next one, which
        // takes the line end over.
        while (line.size() > kMaxLineBytes - 1 && !failed) {
            const size_t take = WholeChars(codePage, line, kMaxLineBytes - 1);
            add(line.substr(0, take),
                static_cast<uint8_t>((cur & ~(kMoving | LF_EOL_BITS)) | LF_CONTINUED));
            cur = static_cast<uint8_t>(cur & (kMoving | LF_EOL_BITS));
            line.remove_prefix(take);
        }
        if (failed) break;
        if (lastLine) {
            add(line, cur);
            break;
        }
        if (line.empty()) {
            // Broken off at its start: the line below takes everything, this one keeps its end.
            add(line, static_cast<uint8_t>(cur & ~(LF_MARK | kMoving)));
        } else {
            add(line, static_cast<uint8_t>(cur & ~kMoving));
            cur = static_cast<uint8_t>(cur & kMoving);
        }
        if (failed) break;
        i = j + 1;
    }
    if (failed) {
        for (LineRecord* r = head; r;) {
            LineRecord* next = r->next;
            heap.Free(r);
            r = next;
        }
        return result;
    }

    // The new run goes in after the record before the old one; the old records leave one by
    // one (the list tells whoever names them), telling whether a mark goes or moves.
    LineRecord* before = first->prev ? first->prev : list.sentinel();
    bool oldMarks = false;
    LineRecord* r = first;
    for (int k = 0; k < count; ++k) {
        assert(r && "the run lies in the list");
        LineRecord* next = r->next;
        oldMarks = oldMarks || (r->flags & LF_MARK);
        list.UnlinkLine(r);
        heap.Free(r);
        r = next;
    }
    result.marksChanged = (count > 1 && oldMarks) || (made > 1 && (carry & LF_MARK));
    // Linked as one chain, without another walk over the new records.
    list.InsertChainAfter(head, tail, made, before);
    result.first = head;
    result.last = tail;
    result.records = made;
    return result;
}

}  // namespace norv::document
