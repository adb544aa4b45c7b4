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
#pragma once

#include <cstddef>
#include <list>
#include <string>
#include <string_view>
#include <vector>

namespace norv::app {

class SettingsCache {
public:
    void Load(std::string_view fileText);
    void Clear();
    // The value, or nullptr when the section or the key is missing. The pointer stays valid
    // until the cache is changed or cleared.
    const std::string* Find(std::string_view section, std::string_view key);
    // Keeps the cache equal to the file after a write.
    void Set(std::string_view section, std::string_view key, std::string_view value);

    // Key comparisons made by Find so far (for tests and the benchmark).
    size_t Comparisons() const { return comparisons_; }
    size_t EntryCount() const;

private:
    struct Entry {
        std::string key;
        std::string value;
    };
    struct SectionEntries {
        std::string name;
        std::list<Entry> entries;
    };
    SectionEntries* FindSection(std::string_view name);

    std::vector<SectionEntries> sections_;
    size_t comparisons_ = 0;
};

}  // namespace norv::app
