// Address recognition. Everything here looks only at ASCII bytes: a byte of 0x80 or above never
// starts a link and ends the walk over one.
#include "view/link_finder.h"

#include <array>
#include <cstring>

#include "document/char_model.h"

namespace norv::view {
namespace {

constexpr std::array<std::string_view, 8> kSchemes = {
    "http:", "https:", "news:", "nntp:", "mailto:", "file:", "ftp:", "gopher:",
};

bool IsAlnum(uint32_t c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool IsDigit(uint32_t c) {
    return c >= '0' && c <= '9';
}

bool InSet(uint32_t c, const char* set) {
    return c != 0 && c < 0x80 && std::strchr(set, static_cast<int>(c)) != nullptr;
}

size_t UrlLength(std::string_view t) {
    size_t n = 0;
    while (n < t.size()) {
        const auto c = static_cast<uint8_t>(t[n]);
        if (!IsAlnum(c) && !InSet(c, "!#$%&'+,-./:;=?@\\_~")) break;
        ++n;
    }
    while (n > 0 && InSet(static_cast<uint8_t>(t[n - 1]), "',.")) --n;
    return n;
}

size_t MailLength(std::string_view t) {
    bool quoted = false;
    bool at = false;
    size_t n = 0;
    for (; n < t.size(); ++n) {
        if (n >= kMaxMailAddress) return 0;
        const auto c = static_cast<uint8_t>(t[n]);
        if (c == '"') {
            quoted = !quoted;
            continue;
        }
        if (c == '<') break;
        if (c == '@') {
            if (quoted) break;
            if (n > 0) at = true;
            continue;
        }
        if (c == ']' && !(n > 0 && IsDigit(static_cast<uint8_t>(t[n - 1])))) break;
        if (IsAlnum(c) || InSet(c, "#$%+-./=_")) continue;
        if ((c == '[' || c == ']') && at) continue;
        if (at) break;
        if (quoted && c >= 0x20 && c < 0x7F) continue;
        break;
    }
    if (!at) return 0;
    while (n > 0 && t[n - 1] == '.') --n;
    if (n == 0 || t[n - 1] == '@') return 0;
    return n;
}

// The character code before position i as FindLink wants it.
uint32_t CodeOf(std::string_view line, size_t start, size_t len) {
    return len == 1 ? static_cast<uint8_t>(line[start]) : 0x100u;
}

}  // namespace

Link FindLink(std::string_view text, uint32_t previousChar) {
    if (text.empty() || static_cast<uint8_t>(text[0]) >= 0x80) return {};
    for (std::string_view scheme : kSchemes) {
        if (text.substr(0, scheme.size()) == scheme) return {UrlLength(text), true};
    }
    if (IsAlnum(previousChar) || InSet(previousChar, "-.@_")) return {};
    return {MailLength(text), false};
}

std::vector<LinkSpan> FindLinks(std::string_view line, int codePage) {
    std::vector<LinkSpan> links;
    const char* end = line.data() + line.size();
    uint32_t prev = 0;
    size_t i = 0;
    while (i < line.size()) {
        const size_t len = document::CharLength(codePage, line.data() + i, end);
        if (len == 1) {
            const Link l = FindLink(line.substr(i), prev);
            if (l.length > 0) {
                links.push_back({i, l.length, l.isUrl});
                i += l.length;
                prev = static_cast<uint8_t>(line[i - 1]);
                continue;
            }
        }
        prev = CodeOf(line, i, len);
        i += len;
    }
    return links;
}

std::optional<LinkSpan> LinkAt(std::string_view line, size_t pos, int codePage) {
    std::optional<LinkSpan> behind;
    for (const LinkSpan& l : FindLinks(line, codePage)) {
        if (pos >= l.start && pos < l.end()) return l;
        if (pos == l.end()) behind = l;
        if (l.start > pos) break;
    }
    return behind;
}

}  // namespace norv::view
