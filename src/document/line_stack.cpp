#include "document/line_stack.h"

namespace norv::document {

void LineStack::Push(LineRecord* record) {
    if (slots_[index_]) heap_.Free(slots_[index_]);
    record->prev = record->next = nullptr;
    slots_[index_] = record;
    index_ = (index_ + 1) & (kSlots - 1);
}

LineRecord* LineStack::Peek() const {
    return slots_[(index_ - 1) & (kSlots - 1)];
}

int LineStack::Pop(LineList& list, LineRecord* before) {
    size_t i = (index_ - 1) & (kSlots - 1);
    LineRecord* r = slots_[i];
    if (!r) return 0;
    if (!list.InsertLineBefore(r, before)) return 0;
    slots_[i] = nullptr;
    index_ = i;
    return 1;
}

void LineStack::Clear() {
    for (auto& s : slots_) {
        if (s) heap_.Free(s);
        s = nullptr;
    }
    index_ = 0;
}

void LineStack::Forget() {
    slots_.fill(nullptr);
    index_ = 0;
}

}  // namespace norv::document
