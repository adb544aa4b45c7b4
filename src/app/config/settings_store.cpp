// Typed reads and safe writes of the settings file.
#include "app/config/settings_store.h"

#include <cerrno>
#include <cstdio>

#include "app/config/companion_files.h"
#include "app/config/settings_file.h"
#include "app/config/text_lines.h"

namespace norv::app {

namespace {

// One "%3d" conversion: blanks, then at most three characters of an optional sign and digits.
bool ScanField(std::string_view text, size_t& i, int& value) {
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n' ||
                               text[i] == '\r' || text[i] == '\v' || text[i] == '\f'))
        ++i;
    size_t start = i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    int v = 0;
    size_t digits = 0;
    while (i < text.size() && i - start < 3 && text[i] >= '0' && text[i] <= '9') {
        v = v * 10 + (text[i] - '0');
        ++i;
        ++digits;
    }
    if (digits == 0) return false;
    value = negative ? -v : v;
    return true;
}

}  // namespace

ColourValue ParseColour(std::string_view text) {
    int c[3] = {0, 0, 0};
    size_t i = 0;
    for (int& component : c)
        if (!ScanField(text, i, component)) break;
    return static_cast<ColourValue>(c[0]) + 256u * static_cast<ColourValue>(c[1]) +
           65536u * static_cast<ColourValue>(c[2]);
}

std::string FormatColour(ColourValue colour) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%03u %03u %03u", colour & 0xFFu, (colour >> 8) & 0xFFu,
                  (colour >> 16) & 0xFFu);
    return buf;
}

SettingsStore::SettingsStore(platform::FileSystem& fs, std::string path, int codePage)
    : fs_(fs), path_(std::move(path)), codePage_(codePage) {}

int SettingsStore::LoadCache() {
    std::string text;
    int error = platform::ReadWholeFile(fs_, path_, text);
    if (error != 0) text.clear();
    cache_.Load(text);
    cacheLive_ = true;
    return error == ENOENT ? 0 : error;
}

void SettingsStore::ReleaseCache() {
    cache_.Clear();
    cacheLive_ = false;
}

std::optional<std::string> SettingsStore::ReadRaw(std::string_view section, std::string_view key) {
    if (cacheLive_) {
        auto v = cache_.Find(section, key);
        if (!v) return std::nullopt;
        return std::string(*v);
    }
    std::string text;
    if (platform::ReadWholeFile(fs_, path_, text) != 0) return std::nullopt;
    auto v = FindIniValue(text, section, key);
    if (!v) return std::nullopt;
    return std::string(*v);
}

std::optional<std::string> SettingsStore::Lookup(const KeySpec& keySpec) {
    return ReadRaw(SectionName(keySpec.section), keySpec.name);
}

int SettingsStore::ReadInt(Key key) {
    return ReadInt(key, DefaultInt(key, codePage_));
}

int SettingsStore::ReadInt(Key key, int defaultValue) {
    auto v = Lookup(SpecOf(key));
    if (!v || v->empty()) return defaultValue;
    return ParseLeadingInt(*v);
}

std::string SettingsStore::ReadText(Key key) {
    return ReadText(key, DefaultText(key, codePage_));
}

std::string SettingsStore::ReadText(Key key, std::string_view defaultValue) {
    auto v = Lookup(SpecOf(key));
    return v ? std::move(*v) : std::string(defaultValue);
}

ColourValue SettingsStore::ReadColour(Key key) {
    return ParseColour(ReadText(key));
}

WriteResult SettingsStore::WriteRaw(std::string_view section, std::string_view key,
                                    std::string_view value) {
    if (!FitsOnOneLine(value) || !FitsOnOneLine(key) || !FitsOnOneLine(section))
        return WriteResult::kBadValue;
    std::string text;
    int error = platform::ReadWholeFile(fs_, path_, text);
    if (error == ENOENT) {
        text.clear();
    } else if (error != 0) {
        // Writing now would replace every other setting with this one.
        lastError_ = error;
        return WriteResult::kFailed;
    }
    std::string changed = SetIniValue(text, section, key, value);
    if (changed != text) {
        error = WriteConfigFile(fs_, path_, changed);
        if (error != 0) {
            lastError_ = error;
            return WriteResult::kFailed;
        }
    }
    if (cacheLive_) cache_.Set(section, key, value);
    return WriteResult::kWritten;
}

WriteResult SettingsStore::WriteText(Key key, std::string_view value) {
    const KeySpec& keySpec = SpecOf(key);
    return WriteRaw(SectionName(keySpec.section), keySpec.name, value);
}

WriteResult SettingsStore::WriteInt(Key key, int value) {
    return WriteText(key, std::to_string(value));
}

WriteResult SettingsStore::WriteColour(Key key, ColourValue value) {
    return WriteText(key, FormatColour(value));
}

bool WriteIntIfChanged(SettingsStore& store, Key key, int newValue, int& stored) {
    if (newValue == stored) return false;
    if (store.WriteInt(key, newValue) != WriteResult::kWritten) return false;
    stored = newValue;
    return true;
}

bool WriteTextIfChanged(SettingsStore& store, Key key, std::string_view newValue,
                        std::string& stored) {
    if (newValue == stored) return false;
    if (store.WriteText(key, newValue) != WriteResult::kWritten) return false;
    stored = newValue;
    return true;
}

}  // namespace norv::app
