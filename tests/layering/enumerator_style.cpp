// A small scanner for enum definitions: it blanks comments and string literals (keeping line
// breaks, so line numbers hold), finds `enum [class|struct] [Name] [: type] {`, and reads the
// names at the start of each comma-separated item up to the closing brace.
#include "enumerator_style.h"

#include <algorithm>
#include <cctype>

namespace norv::layering {
namespace {

bool IsIdent(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

// Comments and literals become blanks; line ends stay.
std::string Blanked(std::string_view text) {
    std::string out(text);
    size_t i = 0;
    while (i < out.size()) {
        if (out.compare(i, 2, "//") == 0) {
            while (i < out.size() && out[i] != '\n') out[i++] = ' ';
        } else if (out.compare(i, 2, "/*") == 0) {
            size_t end = out.find("*/", i + 2);
            end = end == std::string::npos ? out.size() : end + 2;
            for (; i < end; ++i)
                if (out[i] != '\n') out[i] = ' ';
        } else if (out[i] == '"' || out[i] == '\'') {
            const char quote = out[i++];
            while (i < out.size() && out[i] != quote && out[i] != '\n') {
                if (out[i] == '\\' && i + 1 < out.size()) out[i++] = ' ';
                out[i++] = ' ';
            }
            ++i;
        } else {
            ++i;
        }
    }
    return out;
}

bool InStyle(std::string_view name) {
    return name.size() >= 2 && name[0] == 'k' &&
           (std::isupper(static_cast<unsigned char>(name[1])) ||
            std::isdigit(static_cast<unsigned char>(name[1])));
}

size_t SkipBlanks(const std::string& s, size_t i) {
    while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i]))) ++i;
    return i;
}

std::string Word(const std::string& s, size_t& i) {
    size_t start = i;
    while (i < s.size() && IsIdent(s[i])) ++i;
    return s.substr(start, i - start);
}

}  // namespace

std::vector<OffStyle> EnumeratorsOutOfStyle(std::string_view text) {
    const std::string s = Blanked(text);
    std::vector<OffStyle> found;
    size_t at = 0;
    while ((at = s.find("enum", at)) != std::string::npos) {
        size_t i = at + 4;
        const bool word = (at == 0 || !IsIdent(s[at - 1])) && i < s.size() && !IsIdent(s[i]);
        at = i;
        if (!word) continue;
        i = SkipBlanks(s, i);
        size_t w = i;
        std::string name = Word(s, w);
        if (name == "class" || name == "struct") {
            i = SkipBlanks(s, w);
            w = i;
            name = Word(s, w);
        }
        i = SkipBlanks(s, w);
        if (i < s.size() && s[i] == ':') {  // the underlying type
            while (i < s.size() && s[i] != '{' && s[i] != ';') ++i;
        }
        if (i >= s.size() || s[i] != '{') continue;  // a declaration or an elaborated name
        if (std::find(std::begin(kTableNamedEnums), std::end(kTableNamedEnums), name) !=
            std::end(kTableNamedEnums))
            continue;
        // Each item: its first word, if the item starts with one (a macro call stands alone).
        bool itemStart = true;
        int depth = 0;
        for (++i; i < s.size(); ++i) {
            const char c = s[i];
            if (c == '}' && depth == 0) break;
            if (c == '(' || c == '{') ++depth;
            if (c == ')' || c == '}') --depth;
            if (c == ',' && depth == 0) {
                itemStart = true;
                continue;
            }
            if (c == '#') {  // a preprocessor line inside the list
                while (i < s.size() && s[i] != '\n') ++i;
                continue;
            }
            if (std::isspace(static_cast<unsigned char>(c)) || !itemStart) continue;
            itemStart = false;
            size_t e = i;
            std::string enumerator = Word(s, e);
            if (enumerator.empty()) continue;
            const size_t after = SkipBlanks(s, e);
            const bool macro = after < s.size() && s[after] == '(';
            if (!macro && !InStyle(enumerator)) {
                const int line =
                    1 + static_cast<int>(std::count(
                            s.begin(), s.begin() + static_cast<std::ptrdiff_t>(i), '\n'));
                found.push_back({line, name, enumerator});
            }
            i = e - 1;
        }
        at = i;
    }
    return found;
}

}  // namespace norv::layering
