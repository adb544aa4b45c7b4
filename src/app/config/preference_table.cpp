// Look-ups in the page table and the checks of a value before it is stored.
#include "app/config/preference_table.h"

#include <algorithm>
#include <array>
#include <charconv>

#include "app/config/profiles.h"

namespace norv::app {

namespace {

// The fields by key, built once: the table is in page order, not in key order.
const std::array<const PageField*, kKeyCount>& FieldIndex() {
    static const std::array<const PageField*, kKeyCount> index = [] {
        std::array<const PageField*, kKeyCount> a{};
        for (const PageField& f : kPageFields) a[size_t(f.key)] = &f;
        return a;
    }();
    return index;
}

constexpr std::string_view kProfileTitles[] = {"Default", "C source", "HTML",  "User1", "User2",
                                               "User3",   "User4",    "User5", "User6", "User7",
                                               "User8",   "User9",    "User10"};
static_assert(std::size(kProfileTitles) == kProfileCount);

constexpr std::string_view kAccelerationNames[] = {"Two steps of two rows",
                                                   "Four rows in one step"};
constexpr std::string_view kAlignNames[] = {"Left", "Centre", "Right"};
constexpr std::string_view kLineEndNames[] = {"CR LF", "LF", "CR"};
constexpr std::string_view kSaveModeNames[] = {"Keep tabs and spaces", "Tabs to spaces",
                                               "Spaces to tabs"};

std::string Quoted(std::string_view s) {
    std::string out = "\"";
    out.append(s);
    out += '"';
    return out;
}

std::optional<std::string> RefuseNumber(Key key, std::string_view value, ValueRange range) {
    long long v = 0;
    const char* end = value.data() + value.size();
    const auto [ptr, ec] = std::from_chars(value.data(), end, v);
    if (value.empty() || ec != std::errc() || ptr != end)
        return FieldName(key) + ": enter a whole number.";
    if (!range.Holds(v)) {
        if (range.min == 0 && range.max == 1) return FieldName(key) + ": the value must be 0 or 1.";
        return FieldName(key) + ": the value must be from " + std::to_string(range.min) + " to " +
               std::to_string(range.max) + ".";
    }
    return std::nullopt;
}

// An empty entry would match every file without an extension, and patterns past the cut
// are never compared.
std::optional<std::string> RefuseExtensions(Key key, std::string_view value) {
    if (value.size() > kExtensionListLimit)
        return FieldName(key) + ": the list is longer than " + std::to_string(kExtensionListLimit) +
               " bytes.";
    if (value.empty()) return std::nullopt;
    size_t start = 0;
    for (;;) {
        const size_t semi = value.find(';', start);
        std::string_view entry = value.substr(start, semi - start);
        while (!entry.empty() && (entry.front() == ' ' || entry.front() == '\t'))
            entry.remove_prefix(1);
        while (!entry.empty() && (entry.back() == ' ' || entry.back() == '\t'))
            entry.remove_suffix(1);
        if (entry.empty()) return FieldName(key) + ": an entry of the list is empty.";
        if (semi == std::string_view::npos) return std::nullopt;
        start = semi + 1;
    }
}

std::optional<std::string> RefuseColour(Key key, std::string_view value) {
    // Three numbers of 0 to 255 separated by single blanks.
    size_t pos = 0;
    for (int i = 0; i < 3; ++i) {
        if (i > 0) {
            if (pos >= value.size() || value[pos] != ' ') break;
            ++pos;
        }
        int v = -1;
        const auto [ptr, ec] = std::from_chars(value.data() + pos, value.data() + value.size(), v);
        if (ec != std::errc() || v < 0 || v > 255) break;
        pos = static_cast<size_t>(ptr - value.data());
        if (i == 2 && pos == value.size()) return std::nullopt;
    }
    return FieldName(key) + ": " + Quoted(value) + " is not a colour.";
}

}  // namespace

const PageField* FieldOf(Key key) {
    return size_t(key) < kKeyCount ? FieldIndex()[size_t(key)] : nullptr;
}

ValueRange RangeOf(Key key) {
    if (const PageField* f = FieldOf(key)) return f->range;
    for (const UnpagedKey& u : kUnpagedKeys)
        if (u.key == key) return u.range;
    return {};
}

int ClampToRange(Key key, int value) {
    const ValueRange r = RangeOf(key);
    return std::clamp(value, r.min, r.max);
}

std::vector<const PageField*> FieldsOf(PageId page) {
    std::vector<const PageField*> out;
    for (const PageField& f : kPageFields)
        if (f.page == page) out.push_back(&f);
    return out;
}

std::optional<ProfileId> ProfileOfKey(Key key) {
    for (size_t i = 0; i < kProfileCount; ++i) {
        const ProfileKeys& k = kProfileKeys[i];
        for (Key member : {k.tab, k.column, k.autoIndent, k.noWordWrap, k.noWrap, k.dspcIndent,
                           k.softTab, k.imeState, k.ext, k.cmt})
            if (member == key) return ProfileId(i);
    }
    return std::nullopt;
}

std::string_view ProfileTitle(ProfileId id) {
    return kProfileTitles[size_t(id)];
}

std::span<const std::string_view> ChoiceNames(Key key) {
    switch (key) {
        case Key::AccMode:
            return kAccelerationNames;
        case Key::HeadAlign:
        case Key::FootAlign:
            return kAlignNames;
        case Key::TextMode:
            return kLineEndNames;
        case Key::SaveMode:
            return kSaveModeNames;
        default:
            return {};
    }
}

std::string FieldName(Key key) {
    const PageField* f = FieldOf(key);
    std::string name;
    if (!f) {
        name = std::string(SpecOf(key).name);
    } else {
        for (size_t i = 0; i < f->label.size(); ++i) {
            if (f->label[i] == '&' && i + 1 < f->label.size() && f->label[i + 1] != '&') continue;
            name += f->label[i];
        }
        if (!name.empty() && name.back() == ':') name.pop_back();
    }
    if (f && f->page == PageId::CFOptDlg)
        if (const auto profile = ProfileOfKey(key))
            name = std::string(ProfileTitle(*profile)) + ": " + name;
    return name;
}

std::optional<std::string> RefusalOf(Key key, std::string_view value,
                                     const FontExists& fontExists) {
    const ValueType type = SpecOf(key).type;
    const PageField* f = FieldOf(key);
    if (type == ValueType::kInt) return RefuseNumber(key, value, RangeOf(key));
    // A line break would end the key's line in the settings file.
    if (value.find_first_of("\r\n") != std::string_view::npos)
        return FieldName(key) + ": the text cannot hold a line break.";
    if (type == ValueType::kColour) return RefuseColour(key, value);
    if (!f) return std::nullopt;
    switch (f->control) {
        case Control::kExtensions:
            return RefuseExtensions(key, value);
        case Control::kFont:
            if (value.empty() || (fontExists && !fontExists(value)))
                return FieldName(key) + ": the font " + Quoted(value) + " is not installed.";
            return std::nullopt;
        default:
            return std::nullopt;
    }
}

}  // namespace norv::app
