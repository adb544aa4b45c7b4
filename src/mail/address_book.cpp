// Group files of the address book.
#include "mail/address_book.h"

#include <algorithm>

#include "mail/buffer_text.h"

namespace norv::mail {
namespace {

constexpr size_t kMaxGroupFile = 16u << 20;
constexpr std::string_view kExtension = ".adr";

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return Lower(x) == Lower(y); });
}

bool LessIgnoringCase(const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char x, char y) { return Lower(x) < Lower(y); });
}

bool HasAdrExtension(std::string_view file) {
    return file.size() > kExtension.size() &&
           EqualsIgnoringCase(file.substr(file.size() - kExtension.size()), kExtension);
}

// The lines of a group file: LF or CR LF ends, at most kMaxGroupLine bytes each.
template <typename Fn>
void ForEachLine(std::string_view text, int codePage, Fn&& fn) {
    size_t at = 0;
    while (at < text.size()) {
        size_t lf = text.find('\n', at);
        const size_t next = lf == std::string_view::npos ? text.size() : lf + 1;
        if (lf == std::string_view::npos) lf = text.size();
        std::string_view line = text.substr(at, lf - at);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        line = line.substr(0, FitLength(line, kMaxGroupLine, codePage));
        fn(line, text.substr(at, next - at));
        at = next;
    }
}

std::string_view FirstField(std::string_view line) {
    return line.substr(0, line.find('\t'));
}

}  // namespace

std::string EntryText(const AddressEntry& e) {
    return e.address + " (" + e.name + ")";
}

std::string_view AddressOfEntryText(std::string_view text) {
    return text.substr(0, text.find(' '));
}

std::vector<AddressEntry> ParseGroupFile(std::string_view text, int codePage) {
    std::vector<AddressEntry> entries;
    ForEachLine(text, codePage, [&](std::string_view line, std::string_view) {
        const std::string_view first = FirstField(line);
        if (first.find('@') == std::string_view::npos) return;
        AddressEntry e;
        e.address = std::string(first);
        if (first.size() < line.size()) e.name = std::string(line.substr(first.size() + 1));
        entries.push_back(std::move(e));
    });
    return entries;
}

bool IsValidGroupName(std::string_view name) {
    if (name.find_first_not_of(" \t") == std::string_view::npos) return false;
    for (const char c : name) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20 || b == 0x7F || c == '/' || c == '\\' || c == '.') return false;
    }
    return true;
}

AddressBook::AddressBook(platform::FileSystem& fs, std::string_view base, int codePage)
    : fs_(fs), codePage_(codePage) {
    folder_ = std::string(base);
    if (!folder_.empty() && folder_.back() != '/') folder_.push_back('/');
    folder_ += "addrbook/";
}

std::vector<std::string> AddressBook::Groups() const {
    std::vector<std::string> others;
    for (const std::string& file : fs_.ListFolder(folder_)) {
        if (!HasAdrExtension(file)) continue;
        std::string name = file.substr(0, file.find('.'));
        if (name.empty() || EqualsIgnoringCase(name, kUsualGroup)) continue;
        if (std::find(others.begin(), others.end(), name) == others.end()) others.push_back(name);
    }
    std::sort(others.begin(), others.end(), LessIgnoringCase);
    others.insert(others.begin(), std::string(kUsualGroup));
    return others;
}

std::string AddressBook::GroupPath(std::string_view group) const {
    // The file of the group as it is spelled on disk ("Work.ADR", "usual.adr"), else a new one.
    const bool usual = EqualsIgnoringCase(group, kUsualGroup);
    std::string exact = std::string(group) + std::string(kExtension);
    std::string found;
    for (const std::string& file : fs_.ListFolder(folder_)) {
        if (file == exact) return folder_ + file;
        if (!HasAdrExtension(file) || file.size() != exact.size()) continue;
        const std::string_view stem = std::string_view(file).substr(0, group.size());
        if (found.empty() && (usual ? EqualsIgnoringCase(stem, group) : stem == group))
            found = file;
    }
    return folder_ + (found.empty() ? exact : found);
}

std::vector<AddressEntry> AddressBook::Entries(std::string_view group) const {
    std::string text;
    const std::string path = GroupPath(group);
    const auto info = fs_.Stat(path);
    if (!info || info->isDirectory || info->size > kMaxGroupFile ||
        platform::ReadWholeFile(fs_, path, text) != 0)
        return {};
    return ParseGroupFile(text, codePage_);
}

bool AddressBook::WriteGroup(std::string_view group, std::string_view text) {
    const std::string dir = folder_.substr(0, folder_.size() - 1);
    if (!fs_.Stat(dir)) fs_.MakeFolder(dir);
    return platform::WriteFileAtomically(fs_, GroupPath(group), text) == 0;
}

bool AddressBook::AddEntry(std::string_view group, const AddressEntry& entry) {
    if (!EqualsIgnoringCase(group, kUsualGroup) && !IsValidGroupName(group)) return false;
    for (const std::string_view s : {std::string_view(entry.address), std::string_view(entry.name)})
        if (s.find_first_of("\t\r\n") != std::string_view::npos) return false;
    std::string text;
    const std::string path = GroupPath(group);
    if (fs_.Stat(path) && platform::ReadWholeFile(fs_, path, text) != 0) return false;
    if (!text.empty() && text.back() != '\n') text += "\r\n";
    text += entry.address + "\t" + entry.name + "\r\n";
    return WriteGroup(group, text);
}

bool AddressBook::DeleteEntry(std::string_view group, std::string_view address) {
    std::string text;
    const std::string path = GroupPath(group);
    if (!fs_.Stat(path)) return true;
    if (platform::ReadWholeFile(fs_, path, text) != 0) return false;
    std::string kept;
    ForEachLine(text, codePage_, [&](std::string_view line, std::string_view raw) {
        if (FirstField(line) != address) kept.append(raw);
    });
    return WriteGroup(group, kept);
}

bool AddressBook::AddGroup(std::string_view group) {
    if (!IsValidGroupName(group)) return false;
    if (fs_.Stat(GroupPath(group))) return true;
    return WriteGroup(group, "");
}

bool AddressBook::DeleteGroup(std::string_view group) {
    const std::string path = GroupPath(group);
    return !fs_.Stat(path) || fs_.Remove(path);
}

void ChosenAddresses::Add(std::string_view entryText) {
    const std::string address(AddressOfEntryText(entryText));
    if (address.empty()) return;
    if (std::find(list_.begin(), list_.end(), address) == list_.end()) list_.push_back(address);
}

void ChosenAddresses::Remove(size_t index) {
    if (index < list_.size()) list_.erase(list_.begin() + static_cast<long>(index));
}

std::string ChosenAddresses::Joined() const {
    std::string s;
    for (const auto& a : list_) {
        if (!s.empty()) s.push_back(',');
        s += a;
    }
    return s;
}

}  // namespace norv::mail
