// The Find and Replace histories as the search keeps them, and the texts put into the search
// fields: escaping a document's text for the field, and cutting a text to the field's limit
// without splitting a character or an escape sequence.
//
// The application copies the histories to and from its history file; they are plain data here
// so that the search does not depend on the application.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace norv::search {

inline constexpr size_t kHistoryEntries = 32;
// The search and replacement fields hold at most this many bytes.
inline constexpr size_t kFieldLimit = 255;

struct FindHistoryEntry {
    std::string text;
    std::string options;  // the option letters the text was used with
    bool operator==(const FindHistoryEntry&) const = default;
};

// Most recent first, at most kHistoryEntries.
class FindHistory {
  public:
    // Puts the text at the top; an older entry with the same text goes. Empty texts are ignored.
    void Add(std::string_view text, std::string_view options);
    const std::vector<FindHistoryEntry>& entries() const { return entries_; }
    // The options an entry was used with (choosing it restores them), or null.
    const FindHistoryEntry* Find(std::string_view text) const;
    void Clear() { entries_.clear(); }
    // Takes these entries, newest first, as a stored history holds them: empty texts and later
    // duplicates are left out, and at most kHistoryEntries are kept.
    template <typename Range>
    void Assign(const Range& entries) {
        entries_.clear();
        for (const FindHistoryEntry& e : entries) {
            if (entries_.size() == kHistoryEntries) break;
            if (!e.text.empty() && !Find(e.text)) entries_.push_back(e);
        }
    }

  private:
    std::vector<FindHistoryEntry> entries_;
};

struct FindHistories {
    FindHistory find;     // search strings
    FindHistory replace;  // replacement strings
};

// The longest prefix of `text` of at most `limit` bytes that ends on a character boundary of
// `codePage`.
std::string CutAtCharBoundary(std::string_view text, size_t limit, int codePage);

// A document's text as a search string: control bytes, the backslash and (when the document is
// UTF-8 and the system code page is not, or the reverse) bytes from 0x80 become escape
// sequences; a CR right before a LF is dropped. The result is cut at kFieldLimit bytes before a
// whole character or sequence.
std::string EscapeForField(std::string_view text, int documentCodePage, int systemCodePage);

}  // namespace norv::search
