// The key assignment, its key definition file and the key dialog's duplicate check.
#include "app/commands/key_table.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "app/config/settings.h"
#include "platform/paths.h"

namespace norv::app {

KeyTable::KeyTable() {
    for (size_t i = 0; i < kCommandCount; ++i)
        keys_[i] = {kBuiltinCommands[i].key1, kBuiltinCommands[i].key2};
    SetPrefixes(kBuiltinPrefixes);
}

void KeyTable::SetPrefixes(std::string_view letters) {
    prefixes_.fill(0xFF);
    for (size_t i = 0; i < letters.size() && i < kPrefixSlots; ++i)
        prefixes_[i] = static_cast<uint8_t>(letters[i]);
}

bool KeyTable::IsPrefix(uint8_t key) const {
    return key != 0xFF && std::find(prefixes_.begin(), prefixes_.end(), key) != prefixes_.end();
}

int KeyTable::Find(KeyCode code) const {
    if (!IsAssigned(code)) return -1;
    for (size_t i = 0; i < kCommandCount; ++i)
        if (keys_[i][0] == code || keys_[i][1] == code) return static_cast<int>(i);
    return -1;
}

std::optional<size_t> KeyTable::OtherHolder(KeyCode code, size_t except) const {
    if (!IsAssigned(code)) return std::nullopt;
    for (size_t i = 0; i < kCommandCount; ++i)
        if (i != except && (keys_[i][0] == code || keys_[i][1] == code)) return i;
    return std::nullopt;
}

std::string KeyTable::Format() const {
    std::string out(kTwoStrokeWord);
    out += '\t';
    for (uint8_t p : prefixes_)
        if (p != 0xFF) out += static_cast<char>(p);
    out += "\r\n";
    for (size_t i = 0; i < kCommandCount; ++i) {
        out += kBuiltinCommands[i].name;
        for (KeyCode k : keys_[i]) {
            std::string name = KeyNameOf(k);
            if (name.empty()) continue;
            out += '\t';
            out += name;
        }
        out += "\r\n";
    }
    return out;
}

namespace {

std::vector<std::string_view> Fields(std::string_view line) {
    std::vector<std::string_view> out;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) ++i;
        size_t j = i;
        while (j < line.size() && line[j] != ' ' && line[j] != '\t' && line[j] != '\r') ++j;
        if (j > i) out.push_back(line.substr(i, j - i));
        i = j;
    }
    return out;
}

}  // namespace

void KeyTable::Parse(std::string_view text) {
    size_t start = 0;
    while (start < text.size()) {
        size_t nl = text.find('\n', start);
        size_t end = nl == std::string_view::npos ? text.size() : nl;
        std::string_view line = text.substr(start, std::min(end - start, kKeyFileLineLimit));
        start = end + 1;
        std::vector<std::string_view> f = Fields(line);
        if (f.empty()) continue;
        if (f[0] == kTwoStrokeWord) {
            SetPrefixes(f.size() > 1 ? f[1] : std::string_view{});
            continue;
        }
        int index = CommandIndexByName(f[0]);
        if (index < 0) continue;
        for (size_t slot = 0; slot < 2; ++slot)
            keys_[static_cast<size_t>(index)][slot] =
                f.size() > slot + 1 ? KeyFromName(f[slot + 1]) : kUnassignedKey;
    }
}

bool LoadKeyFile(platform::FileSystem& fs, const std::string& path, KeyTable& table) {
    std::string text;
    if (platform::ReadWholeFile(fs, path, text) != 0) return false;
    table.Parse(text);
    return true;
}

int SaveKeyFile(platform::FileSystem& fs, const std::string& path, const KeyTable& table) {
    return platform::WriteFileAtomically(fs, path, table.Format());
}

namespace {

std::string FileNameOf(const std::string& path) {
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool SameIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

}  // namespace

bool LoadStartUpKeyFile(platform::FileSystem& fs, const std::string& settingsFolder,
                        const Settings& settings, KeyTable& table) {
    const std::string& name = settings.Text(Key::KeyDefinition);
    if (name.empty()) return false;
    std::string path = settingsFolder;
    if (!path.empty() && path.back() != '/') path += '/';
    return LoadKeyFile(fs, path + name, table);
}

bool NoteLoadedKeyFile(Settings& settings, SettingsStore& store, const std::string& path) {
    // The setting holds a name looked for in the settings folder.
    std::string name = FileNameOf(path);
    if (SameIgnoringCase(name, settings.Text(Key::KeyDefinition))) return false;
    return settings.Write(store, Key::KeyDefinition, name);
}

bool NoteLoadedKeyFile(Settings& settings, SettingsStore& store, const std::string& path,
                       platform::FileSystem& fs, const std::string& settingsFolder) {
    const std::string& name = settings.Text(Key::KeyDefinition);
    if (!name.empty()) {
        const std::string named =
            platform::IsRelativePath(name) ? platform::JoinPath(settingsFolder, name) : name;
        if (fs.ResolveLinks(named) == fs.ResolveLinks(path)) return false;
    }
    return settings.Write(store, Key::KeyDefinition, FileNameOf(path));
}

std::optional<size_t> AssignKey(KeyTable& table, size_t command, int slot, KeyCode code,
                                platform::UserInterface& ui) {
    std::optional<size_t> other = table.OtherHolder(code, command);
    std::optional<size_t> removed;
    if (other &&
        ui.MessageBox(kDuplicateKeyText, platform::mb::kYesNo | platform::mb::kIconQuestion) ==
            platform::kIdYes) {
        for (int s = 0; s < 2; ++s)
            if (table.key(*other, s) == code) table.SetKey(*other, s, kUnassignedKey);
        removed = other;
    }
    table.SetKey(command, slot, code);
    return removed;
}

}  // namespace norv::app
