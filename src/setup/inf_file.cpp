// Reading the INF file with the private-profile rules, and the checks of its path values.
#include "setup/inf_file.h"

#include <string>

namespace norv::setup {
namespace {

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

bool IsTypeChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           std::string_view("!#$&^_.+-").find(c) != std::string_view::npos;
}

// "type/subtype" with the characters of RFC 6838 names.
bool IsMediaType(std::string_view t) {
    size_t slash = t.find('/');
    if (slash == std::string_view::npos || slash == 0 || slash + 1 == t.size()) return false;
    for (size_t i = 0; i < t.size(); ++i)
        if (i != slash && !IsTypeChar(t[i])) return false;
    return true;
}

}  // namespace

std::optional<std::string> ProfileString(std::string_view text, std::string_view section,
                                         std::string_view key) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    bool inSection = false;
    bool seenSection = false;
    while (!text.empty()) {
        size_t end = text.find('\n');
        std::string_view line = TrimBlanks(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (!line.empty() && line.front() == '[') {
            if (inSection) return std::nullopt;  // the first section of that name has ended
            size_t close = line.find(']');
            std::string_view name = line.substr(
                1, close == std::string_view::npos ? std::string_view::npos : close - 1);
            if (!seenSection && EqualNoCase(TrimBlanks(name), section))
                inSection = seenSection = true;
            continue;
        }
        if (!inSection || line.empty() || line.front() == ';') continue;
        size_t eq = line.find('=');
        if (eq == std::string_view::npos || !EqualNoCase(TrimBlanks(line.substr(0, eq)), key))
            continue;
        std::string_view value = TrimBlanks(line.substr(eq + 1));
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
        return std::string(value);
    }
    return std::nullopt;
}

SetupInf ParseInf(std::string_view text) {
    SetupInf inf;
    auto get = [&](std::string_view key) {
        return ProfileString(text, kSettingsSection, key).value_or(std::string());
    };
    inf.appTitle = get("AppTitle");
    inf.vender = get("Vender");
    inf.product = get("Product");
    inf.sendTo = get("SendTo");
    inf.uninstMessage = get("UninstMessage");
    inf.mimeTypes = get("MimeTypes");
    inf.mimeInfo = get("MimeInfo");
    for (size_t i = 0; i < kMaxListedFiles; ++i) {
        std::optional<std::string> name =
            ProfileString(text, kFilesSection, "File" + std::to_string(i));
        if (!name || name->empty()) break;
        inf.files.push_back(std::move(*name));
    }
    return inf;
}

bool IsSinglePathPart(std::string_view name) {
    if (name.empty() || name == "." || name == "..") return false;
    for (char c : name)
        if (c == '/' || static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return false;
    return true;
}

bool IsSafeRelativeName(std::string_view name) {
    if (name.empty() || name.front() == '/' || name.back() == '/') return false;
    while (!name.empty()) {
        size_t slash = name.find('/');
        if (!IsSinglePathPart(name.substr(0, slash))) return false;
        name = slash == std::string_view::npos ? std::string_view() : name.substr(slash + 1);
    }
    return true;
}

std::string RefusedKey(const SetupInf& inf) {
    if (!IsSinglePathPart(inf.appTitle)) return "AppTitle";
    if (!IsSinglePathPart(inf.vender)) return "Vender";
    for (size_t i = 0; i < inf.files.size(); ++i)
        if (!IsSafeRelativeName(inf.files[i])) return "File" + std::to_string(i);
    if (!inf.mimeInfo.empty()) {
        bool listed = false;
        for (const std::string& f : inf.files) listed = listed || f == inf.mimeInfo;
        if (!listed) return "MimeInfo";
    }
    std::string_view types = inf.mimeTypes;
    while (!types.empty()) {
        size_t semi = types.find(';');
        std::string_view t = TrimBlanks(types.substr(0, semi));
        types = semi == std::string_view::npos ? std::string_view() : types.substr(semi + 1);
        if (!t.empty() && !IsMediaType(t)) return "MimeTypes";
    }
    // Texts that go into desktop entries stay on one line.
    for (const std::string* s : {&inf.product, &inf.sendTo})
        for (char c : *s)
            if (static_cast<unsigned char>(c) < 0x20)
                return s == &inf.product ? "Product" : "SendTo";
    return "";
}

std::string InfPathOf(std::string_view programPath) {
    size_t slash = programPath.rfind('/');
    size_t start = slash == std::string_view::npos ? 0 : slash + 1;
    size_t dot = programPath.rfind('.');
    std::string_view stem =
        dot == std::string_view::npos || dot < start ? programPath : programPath.substr(0, dot);
    return std::string(stem) + ".INF";
}

}  // namespace norv::setup
