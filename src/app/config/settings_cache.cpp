// The start-up cache with its move-to-end lookup.
#include "app/config/settings_cache.h"

#include <algorithm>

#include "app/config/settings_file.h"

namespace norv::app {

void SettingsCache::Clear() {
    text_.clear();
    owned_.clear();
    sections_.clear();
    entries_.clear();
    comparisons_ = 0;
}

std::string_view SettingsCache::Own(std::string_view text) {
    owned_.emplace_back(text);
    return owned_.back();
}

void SettingsCache::Append(SectionList& s, std::string_view key, std::string_view value) {
    auto i = static_cast<uint32_t>(entries_.size());
    entries_.push_back({key, value, s.tail, kNone});
    if (s.tail != kNone) {
        entries_[s.tail].next = i;
    } else {
        s.head = i;
    }
    s.tail = i;
}

void SettingsCache::Unlink(SectionList& s, uint32_t i) {
    Entry& e = entries_[i];
    if (e.prev != kNone) {
        entries_[e.prev].next = e.next;
    } else {
        s.head = e.next;
    }
    if (e.next != kNone) {
        entries_[e.next].prev = e.prev;
    } else {
        s.tail = e.prev;
    }
    e.prev = e.next = kNone;
}

void SettingsCache::Load(std::string_view fileText) {
    Clear();
    text_.assign(fileText);
    // First pass: every entry of the first occurrence of each section, in file order.
    struct Raw {
        uint32_t section;
        std::string_view key, value;
    };
    std::vector<Raw> raw;
    LineReader reader(text_);
    std::string_view line, a, b;
    bool reading = false;  // inside the first occurrence of a section
    while (reader.Next(line)) {
        int kind = ini_detail::ClassifyLine(line, a, b);
        if (kind == 1) {
            reading = FindSection(a) == nullptr;  // a repeated section is never read
            if (reading) sections_.push_back({a});
        } else if (kind == 2 && reading) {
            raw.push_back({static_cast<uint32_t>(sections_.size() - 1), a, b});
        }
    }
    // A repeated key of a section is dropped (found by sorting positions, not by hashing).
    std::vector<uint32_t> order(raw.size());
    for (uint32_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](uint32_t x, uint32_t y) {
        if (raw[x].section != raw[y].section) return raw[x].section < raw[y].section;
        return raw[x].key < raw[y].key;
    });
    std::vector<bool> repeated(raw.size(), false);
    for (size_t k = 1; k < order.size(); ++k) {
        const Raw& p = raw[order[k - 1]];
        const Raw& q = raw[order[k]];
        if (p.section == q.section && p.key == q.key) repeated[order[k]] = true;
    }
    entries_.reserve(raw.size());
    for (size_t i = 0; i < raw.size(); ++i)
        if (!repeated[i]) Append(sections_[raw[i].section], raw[i].key, raw[i].value);
}

SettingsCache::SectionList* SettingsCache::FindSection(std::string_view name) {
    for (auto& s : sections_)
        if (s.name == name) return &s;
    return nullptr;
}

std::optional<std::string_view> SettingsCache::Find(std::string_view section,
                                                    std::string_view key) {
    SectionList* s = FindSection(section);
    if (!s) return std::nullopt;
    for (uint32_t i = s->head; i != kNone; i = entries_[i].next) {
        ++comparisons_;
        if (entries_[i].key == key) {
            if (i != s->tail) {
                Unlink(*s, i);
                Entry& e = entries_[i];
                e.prev = s->tail;
                entries_[s->tail].next = i;
                s->tail = i;
            }
            return entries_[i].value;
        }
    }
    return std::nullopt;
}

void SettingsCache::Set(std::string_view section, std::string_view key, std::string_view value) {
    SectionList* s = FindSection(section);
    if (!s) {
        sections_.push_back({Own(section)});
        s = &sections_.back();
    }
    for (uint32_t i = s->head; i != kNone; i = entries_[i].next) {
        if (entries_[i].key == key) {
            entries_[i].value = Own(value);
            return;
        }
    }
    Append(*s, Own(key), Own(value));
}

}  // namespace norv::app
