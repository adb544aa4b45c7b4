// Look-ups in the settings-key table.
#include "app/config/settings_keys.h"

namespace norv::app {

namespace {
const CodePageDefault* Non932Default(Key key) {
    for (const auto& d : kNon932Defaults)
        if (d.key == key) return &d;
    return nullptr;
}
}  // namespace

int DefaultInt(Key key, int codePage) {
    if (codePage != 932)
        if (const auto* d = Non932Default(key)) return d->intDefault;
    return SpecOf(key).intDefault;
}

std::string_view DefaultText(Key key, int codePage) {
    if (codePage != 932)
        if (const auto* d = Non932Default(key)) return d->textDefault;
    return SpecOf(key).textDefault;
}

std::optional<Key> FindKey(Section section, std::string_view name) {
    for (size_t i = 0; i < kKeyCount; ++i)
        if (kKeySpecs[i].section == section && kKeySpecs[i].name == name) return Key(i);
    return std::nullopt;
}

}  // namespace norv::app
