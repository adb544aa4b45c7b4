// Loading the settings in table order and deriving profiles and help entries from them.
#include "app/config/settings.h"

#include <cassert>

namespace norv::app {

bool IsUserTabKey(Key key) {
    for (int n = 1; n <= 10; ++n)
        if (key == UserTabKey(n)) return true;
    return false;
}

Settings::Settings(int codePage) : codePage_(codePage) {
    for (size_t i = 0; i < kKeyCount; ++i) {
        Key key = Key(i);
        Value& v = At(key);
        switch (SpecOf(key).type) {
            case ValueType::kInt:
                v.number = DefaultInt(key, codePage);
                break;
            case ValueType::kText:
                v.text = DefaultText(key, codePage);
                break;
            case ValueType::kColour:
                v.text = DefaultText(key, codePage);
                v.number = static_cast<int>(ParseColour(v.text));
                break;
        }
    }
}

void Settings::Load(SettingsStore& store) {
    for (size_t i = 0; i < kKeyCount; ++i) {
        Key key = Key(i);
        Value& v = At(key);
        switch (SpecOf(key).type) {
            case ValueType::kInt:
                v.number = IsUserTabKey(key) ? store.ReadInt(key, Int(Key::DefaultTAB))
                                             : store.ReadInt(key, DefaultInt(key, codePage_));
                break;
            case ValueType::kText:
                v.text = store.ReadText(key, DefaultText(key, codePage_));
                break;
            case ValueType::kColour:
                v.text = store.ReadText(key, DefaultText(key, codePage_));
                v.number = static_cast<int>(ParseColour(v.text));
                break;
        }
    }
}

int Settings::Int(Key key) const {
    assert(SpecOf(key).type != ValueType::kText && "a text key read as an integer");
    return At(key).number;
}

const std::string& Settings::Text(Key key) const {
    assert(SpecOf(key).type != ValueType::kInt && "an integer key read as a text");
    return At(key).text;
}

ColourValue Settings::Colour(Key key) const {
    assert(SpecOf(key).type == ValueType::kColour && "not a colour key");
    return static_cast<ColourValue>(At(key).number);
}

void Settings::Set(Key key, int value) {
    assert(SpecOf(key).type == ValueType::kInt && "not an integer key");
    At(key).number = value;
}

void Settings::Set(Key key, std::string_view value) {
    Value& v = At(key);
    v.text = value;
    if (SpecOf(key).type == ValueType::kColour) v.number = static_cast<int>(ParseColour(value));
}

bool Settings::Write(SettingsStore& store, Key key, int value) {
    assert(SpecOf(key).type == ValueType::kInt && "not an integer key");
    return WriteIntIfChanged(store, key, value, At(key).number);
}

bool Settings::Write(SettingsStore& store, Key key, std::string_view value) {
    assert(SpecOf(key).type == ValueType::kText && "not a text key");
    return WriteTextIfChanged(store, key, value, At(key).text);
}

bool Settings::WriteColour(SettingsStore& store, Key key, ColourValue value) {
    assert(SpecOf(key).type == ValueType::kColour && "not a colour key");
    std::string text = FormatColour(value);
    if (!WriteTextIfChanged(store, key, text, At(key).text)) return false;
    At(key).number = static_cast<int>(value);
    return true;
}

Profile Settings::ProfileAt(ProfileId id) const {
    const ProfileKeys& k = kProfileKeys[size_t(id)];
    Profile p;
    p.tabWidth = Int(k.tab);
    p.wrapColumn = Int(k.column);
    p.autoIndent = Flag(k.autoIndent);
    p.noWordWrap = Flag(k.noWordWrap);
    p.noWrap = k.noWrap == kNoKey ? true : Flag(k.noWrap);
    p.doubleWidthSpaceIndent = Flag(k.dspcIndent);
    p.softTab = Flag(k.softTab);
    p.imeState = Int(k.imeState);
    p.extensions = Text(k.ext);
    p.name = Text(k.cmt);
    return p;
}

ProfileTable Settings::Profiles() const {
    ProfileTable table;
    for (size_t i = 0; i < kProfileCount; ++i) table[i] = ProfileAt(ProfileId(i));
    return table;
}

std::string Settings::Dump() const {
    std::string out;
    for (size_t i = 0; i < kKeyCount; ++i) {
        const KeySpec& keySpec = kKeySpecs[i];
        out.append("[").append(SectionName(keySpec.section)).append("] ");
        out.append(keySpec.name).append("=");
        out.append(keySpec.type == ValueType::kInt ? std::to_string(values_[i].number)
                                                   : values_[i].text);
        out.append("\n");
    }
    return out;
}

HelpEntry Settings::Help(int entry) const {
    return {Text(HelpKey(entry, HelpField::File)), Text(HelpKey(entry, HelpField::Cmt)),
            Text(HelpKey(entry, HelpField::Ext))};
}

}  // namespace norv::app
