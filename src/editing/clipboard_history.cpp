// The clipboard history ring and the outcome of its dialog.
#include "editing/clipboard_history.h"

namespace norv::editing {

bool ClipboardHistory::Capture(std::string_view text) {
    const auto& newest = slots_[(next_ + kSlots - 1) % kSlots];
    if (newest && *newest == text) return false;
    slots_[next_] = std::string(text);
    next_ = (next_ + 1) % kSlots;
    return true;
}

void ClipboardHistory::DiscardNewest() {
    size_t newest = (next_ + kSlots - 1) % kSlots;
    if (!slots_[newest]) return;
    slots_[newest].reset();
    next_ = newest;
}

std::vector<std::string> ClipboardHistory::Entries() const {
    std::vector<std::string> out;
    for (size_t i = 1; i <= kSlots; ++i) {
        const auto& s = slots_[(next_ + kSlots - i) % kSlots];
        if (!s) break;
        out.push_back(*s);
    }
    return out;
}

void ClipboardHistory::Replace(size_t index, std::string_view text) {
    if (index >= kSlots) return;
    auto& s = slots_[(next_ + kSlots - 1 - index) % kSlots];
    if (s) *s = std::string(text);
}

std::optional<std::string> ApplyHistoryDialog(ClipboardHistory& h, const ClipboardHistoryRequest& r,
                                              HistoryButton b) {
    if (b == HistoryButton::kCancel) return std::nullopt;
    bool chosen = r.chosen >= 0 && static_cast<size_t>(r.chosen) < r.entries.size();
    if (r.edited) {
        if (chosen)
            h.Replace(static_cast<size_t>(r.chosen), r.text);
        else if (!r.text.empty())
            h.Capture(r.text);
    }
    if (b != HistoryButton::kPaste) return std::nullopt;
    if (chosen) return r.edited ? r.text : r.entries[static_cast<size_t>(r.chosen)];
    if (r.edited && !r.text.empty()) return r.text;
    return std::nullopt;
}

}  // namespace norv::editing
