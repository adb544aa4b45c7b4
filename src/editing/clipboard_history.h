// The clipboard history: a ring of the last 32 distinct texts placed on the system clipboard,
// kept by the program while it runs. Entries carry their length, so a text holding a NUL byte
// is kept whole; they hold the clipboard's Unicode text (UTF-8).
//
// The newest entry is the slot before `next`; an empty slot ends the list of entries.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace norv::editing {

class ClipboardHistory {
  public:
    static constexpr size_t kSlots = 32;

    // A change of the system clipboard: the text is stored unless it equals the newest entry.
    // Returns whether it was stored.
    bool Capture(std::string_view text);
    // DiscardStack: removes the newest entry; the next text captured takes its slot.
    void DiscardNewest();
    // The entries, newest first, up to the first empty slot.
    std::vector<std::string> Entries() const;
    // Replaces the entry `index` (0 = newest) of Entries().
    void Replace(size_t index, std::string_view text);
    size_t size() const { return Entries().size(); }

  private:
    std::array<std::optional<std::string>, kSlots> slots_;
    size_t next_ = 0;
};

// The "Clipboard History" dialog. The front end shows `entries` (newest first, each whole) and
// answers which entry was chosen and the edit field's text.
struct ClipboardHistoryRequest {
    std::vector<std::string> entries;
    int chosen = -1;      // index in entries, or -1
    bool edited = false;  // the edit field was changed
    std::string text;     // the edit field
};

enum class HistoryButton { kCancel, kCopy, kPaste };

// Applies the outcome of the dialog: an edited field replaces the chosen entry or, without a
// choice, becomes the newest entry. Returns the text to place on the clipboard for "&Paste".
std::optional<std::string> ApplyHistoryDialog(ClipboardHistory& h, const ClipboardHistoryRequest& r,
                                              HistoryButton b);

}  // namespace norv::editing
