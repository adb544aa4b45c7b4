// The undo history (see undo_list.h).
#include "document/undo_list.h"

#include <cassert>
#include <cstdint>
#include <cstdio>

#include "document/debug_dump.h"

namespace norv::document {

void UndoRecord::SetContents(std::string&& text, std::string_view text2,
                             std::string_view flagsBefore, std::string_view flagsAfter) {
    assert(text.size() <= UINT32_MAX - text2.size() - flagsBefore.size() - flagsAfter.size() &&
           "a record's bytes fit its lengths");
    textLen_ = static_cast<uint32_t>(text.size());
    text2Len_ = static_cast<uint32_t>(text2.size());
    flagsLen_ = static_cast<uint32_t>(flagsBefore.size());
    const size_t total = text.size() + text2.size() + flagsBefore.size() + flagsAfter.size();
    // The parts may lie in this record's own buffer (SetText): build the new one aside.
    std::string bytes = std::move(text);
    bytes.reserve(total);
    bytes.append(text2).append(flagsBefore).append(flagsAfter);
    bytes_ = std::move(bytes);
}

std::string_view UndoRecord::Removed() const {
    switch (kind) {
        case UndoKind::kOverwrite:
        case UndoKind::kFlipCase:
        case UndoKind::kFlipCaseSelection:
        case UndoKind::kConvert:
        case UndoKind::kReflow:
        case UndoKind::kReplaceLines:
        case UndoKind::kDeleteAfter:
        case UndoKind::kDeleteSelection:
        case UndoKind::kDeleteLine:
        case UndoKind::kDeleteBefore:
            return text();
        default:
            return {};
    }
}

std::string_view UndoRecord::InsertedOf(UndoKind kind, std::string_view text,
                                        std::string_view text2) {
    switch (kind) {
        case UndoKind::kOverwrite:
        case UndoKind::kFlipCase:
        case UndoKind::kFlipCaseSelection:
        case UndoKind::kConvert:
        case UndoKind::kReflow:
        case UndoKind::kReplaceLines:
            return text2;
        case UndoKind::kType:
        case UndoKind::kInsertBlock:
        case UndoKind::kSplit:
        case UndoKind::kInsertLine:
            return text;
        default:
            return {};
    }
}

void UndoList::BeginStep(UndoPosition caret, uint8_t lineFlags) {
    if (!recording()) return;
    // A new edit discards the redo branch, and with it the save point if it lay there.
    while (records_.size() > current_) {
        const UndoRecord& r = records_.back();
        if (r.serial == savedSerial_) savedSerial_ = -1;
        assert(total_ >= r.Size() && "the total counts the bytes of every record");
        total_ -= r.Size();
        records_.pop_back();
    }
    pending_ = UndoRecord{};
    pending_.before = caret;
    pending_.lineFlags = lineFlags;
    pendingOpen_ = true;
}

void UndoList::RecordStep(UndoRecord&& step) {
    if (!recording() || !pendingOpen_) return;
    UndoPosition before = pending_.before;
    uint8_t flags = pending_.lineFlags;
    pending_ = std::move(step);
    pending_.before = before;
    pending_.lineFlags = flags;
}

void UndoList::EndStep(UndoPosition caret) {
    if (!recording() || !pendingOpen_) return;
    pendingOpen_ = false;
    if (pending_.kind == UndoKind::kNone) return;
    const size_t size = pending_.Size();
    if (limitKb_ && size / 1024 > limitKb_) {
        // One step larger than the whole history: nothing of it can be kept.
        Clear();
        ForgetSavePoint();
        pendingGroup_ = false;
        return;
    }
    pending_.after = caret;
    pending_.group = pendingGroup_;
    pendingGroup_ = false;
    pending_.serial = nextSerial_++;
    total_ += size;
    records_.push_back(std::move(pending_));
    pending_ = UndoRecord{};
    current_ = records_.size();
    while (limitKb_ && total_ / 1024 > limitKb_ && records_.size() > 1) DropOldest();
}

void UndoList::DropOldest() {
    const UndoRecord& r = records_.front();
    // The state before the oldest record leaves the history with it.
    if (savedSerial_ == baseSerial_) savedSerial_ = -1;
    baseSerial_ = r.serial;
    assert(total_ >= r.Size() && "the total counts the bytes of every record");
    total_ -= r.Size();
    records_.pop_front();
    if (current_ > 0) --current_;
    truncated_ = true;
}

int UndoList::Undo(UndoTarget& target) {
    assert(current_ <= records_.size() && "the head lies within the history");
    if (current_ == 0) return 0;
    replaying_ = true;
    for (;;) {
        const UndoRecord& r = records_[--current_];
        target.PlayBack(r, r.serial > savedSerial_);
        if (!r.group || current_ == 0) break;
    }
    replaying_ = false;
    target.AfterReplay(AtSavePoint());
    return 1;
}

int UndoList::Redo(UndoTarget& target) {
    assert(current_ <= records_.size() && "the head lies within the history");
    if (current_ >= records_.size()) return 0;
    replaying_ = true;
    do {
        const UndoRecord& r = records_[current_++];
        target.PlayForward(r, r.serial > savedSerial_);
    } while (current_ < records_.size() && records_[current_].group);
    replaying_ = false;
    target.AfterReplay(AtSavePoint());
    return 1;
}

int UndoList::RepeatLast(UndoTarget& target) {
    for (size_t i = current_; i > 0; --i) {
        const UndoRecord& r = records_[i - 1];
        if (IsInsertKind(r.kind)) {
            // The record may be dropped or discarded by the step it starts; play a copy.
            UndoRecord copy = r;
            target.PlayAgain(copy);
            return 1;
        }
    }
    return 0;
}

void UndoList::Clear() {
    const bool saved = AtSavePoint();
    records_.clear();
    current_ = 0;
    total_ = 0;
    truncated_ = false;
    pendingOpen_ = false;
    baseSerial_ = nextSerial_++;
    savedSerial_ = saved ? baseSerial_ : -1;
}

void UndoList::MarkSaved(bool reset) {
    if (reset) Clear();
    savedSerial_ = StateSerial();
}

std::string UndoList::Dump() const {
    std::string out;
    char buf[160];
    for (size_t i = 0; i < records_.size(); ++i) {
        const UndoRecord& r = records_[i];
        std::snprintf(buf, sizeof buf, "%s%zu kind=%d%s at=%d:%u before=%d:%u after=%d:%u ",
                      i == current_ ? "> " : "  ", i, static_cast<int>(r.kind),
                      r.group ? " group" : "", r.at.line, r.at.column, r.before.line,
                      r.before.column, r.after.line, r.after.column);
        out += buf;
        out += "text=\"" + EscapeBytes(r.text().data(), r.text().size()) + "\"";
        if (!r.text2().empty())
            out += " text2=\"" + EscapeBytes(r.text2().data(), r.text2().size()) + "\"";
        out += '\n';
    }
    if (current_ == records_.size()) out += ">\n";
    return out;
}

}  // namespace norv::document
