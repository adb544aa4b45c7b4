// The resident scripts (see resident_list.h).
#include "script/resident_list.h"

#include <algorithm>

namespace norv::script {

std::string ScriptTitle(std::string_view path) {
    const size_t slash = path.find_last_of('/');
    std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const size_t dot = name.find_last_of('.');
    if (dot != std::string_view::npos && dot > 0) name = name.substr(0, dot);
    return std::string(name);
}

bool SameTitle(std::string_view a, std::string_view b) {
    auto fold = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [&](char x, char y) { return fold(x) == fold(y); });
}

void ResidentList::Stay(std::string_view title, const std::shared_ptr<Runtime>& runtime) {
    for (Resident& r : entries_) {
        if (!SameTitle(r.title, title)) continue;
        r.title = std::string(title);
        r.runtime = runtime;
        return;
    }
    // An object that stays under another title (it cannot happen through a run, whose title is
    // fixed) is not listed twice.
    Remove(runtime.get());
    entries_.push_back(Resident{std::string(title), runtime});
}

void ResidentList::Remove(const Runtime* runtime) {
    std::erase_if(entries_, [&](const Resident& r) { return r.runtime.get() == runtime; });
}

std::shared_ptr<Runtime> ResidentList::Find(std::string_view title) const {
    for (const Resident& r : entries_)
        if (SameTitle(r.title, title)) return r.runtime;
    return nullptr;
}

bool ResidentList::Holds(const Runtime* runtime) const {
    return std::any_of(entries_.begin(), entries_.end(),
                       [&](const Resident& r) { return r.runtime.get() == runtime; });
}

}  // namespace norv::script
