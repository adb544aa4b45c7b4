// The start-up cache with its move-to-end lookup.
#include "app/settings_cache.h"

#include <unordered_set>

#include "app/settings_file.h"

namespace norv::app {

void SettingsCache::Clear() {
    sections_.clear();
    comparisons_ = 0;
}

void SettingsCache::Load(std::string_view fileText) {
    Clear();
    std::vector<std::unordered_set<std::string_view>> seen;
    size_t current = 0;
    bool reading = false;  // inside the first occurrence of a section
    LineReader reader(fileText);
    std::string_view line, a, b;
    while (reader.Next(line)) {
        int kind = ini_detail::ClassifyLine(line, a, b);
        if (kind == 1) {
            reading = FindSection(a) == nullptr;  // a repeated section is never read
            if (reading) {
                sections_.push_back({std::string(a), {}});
                seen.emplace_back();
                current = sections_.size() - 1;
            }
        } else if (kind == 2 && reading && seen[current].insert(a).second) {
            sections_[current].entries.push_back({std::string(a), std::string(b)});
        }
    }
}

SettingsCache::SectionEntries* SettingsCache::FindSection(std::string_view name) {
    for (auto& s : sections_)
        if (s.name == name) return &s;
    return nullptr;
}

const std::string* SettingsCache::Find(std::string_view section, std::string_view key) {
    SectionEntries* s = FindSection(section);
    if (!s) return nullptr;
    for (auto it = s->entries.begin(); it != s->entries.end(); ++it) {
        ++comparisons_;
        if (it->key == key) {
            s->entries.splice(s->entries.end(), s->entries, it);
            return &s->entries.back().value;
        }
    }
    return nullptr;
}

void SettingsCache::Set(std::string_view section, std::string_view key, std::string_view value) {
    SectionEntries* s = FindSection(section);
    if (!s) {
        sections_.push_back({std::string(section), {}});
        s = &sections_.back();
    }
    for (auto& e : s->entries) {
        if (e.key == key) {
            e.value = value;
            return;
        }
    }
    s->entries.push_back({std::string(key), std::string(value)});
}

size_t SettingsCache::EntryCount() const {
    size_t n = 0;
    for (const auto& s : sections_) n += s.entries.size();
    return n;
}

}  // namespace norv::app
