// The start-up cache of the settings file: the whole file parsed once, so that the hundreds of
// reads of the start-up load cost one pass over the file instead of one pass each.
//
// Sections are kept in file order, each a list of its entries in file order. A lookup walks the
// section's list from the front; the entry it finds moves to the end. The load reads keys
// roughly in file order and each once, so the entries not yet read stay at the front and most
// lookups stop at the first comparison.
//
// The cache answers exactly what a read of the file would: only the first occurrence of a
// section and of a key within it is kept (with the move-to-end rule a later duplicate would
// otherwise answer the second read of a key).
//
// Keys and values point into the cache's copy of the file; the lists are linked by index, so
// loading costs a handful of allocations, not several per entry.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace norv::app {

class SettingsCache {
  public:
    void Load(std::string_view fileText);
    void Clear();
    // The value, or nothing when the section or the key is missing. The view stays valid
    // until the cache is loaded again or cleared.
    std::optional<std::string_view> Find(std::string_view section, std::string_view key);
    // Keeps the cache equal to the file after a write.
    void Set(std::string_view section, std::string_view key, std::string_view value);

    // Key comparisons made by Find so far (for tests and the benchmark).
    size_t Comparisons() const { return comparisons_; }
    size_t EntryCount() const { return entries_.size(); }

  private:
    static constexpr uint32_t kNone = UINT32_MAX;
    struct Entry {
        std::string_view key;
        std::string_view value;
        uint32_t prev = kNone;
        uint32_t next = kNone;
    };
    struct SectionList {
        std::string_view name;
        uint32_t head = kNone;
        uint32_t tail = kNone;
    };
    SectionList* FindSection(std::string_view name);
    void Append(SectionList& s, std::string_view key, std::string_view value);
    void Unlink(SectionList& s, uint32_t i);
    std::string_view Own(std::string_view text);

    std::string text_;
    std::deque<std::string> owned_;  // sections, keys and values added by Set
    std::vector<SectionList> sections_;
    std::vector<Entry> entries_;
    size_t comparisons_ = 0;
};

}  // namespace norv::app
