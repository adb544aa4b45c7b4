// The Find and Replace histories and the texts of the search fields.
#include "search/find_history.h"

#include <algorithm>
#include <cstdio>

#include "document/char_model.h"

namespace norv::search {

void FindHistory::Add(std::string_view text, std::string_view options) {
    if (text.empty()) return;
    auto same = std::find_if(entries_.begin(), entries_.end(),
                             [&](const FindHistoryEntry& e) { return e.text == text; });
    if (same != entries_.end()) entries_.erase(same);
    entries_.insert(entries_.begin(), FindHistoryEntry{std::string(text), std::string(options)});
    if (entries_.size() > kHistoryEntries) entries_.resize(kHistoryEntries);
}

const FindHistoryEntry* FindHistory::Find(std::string_view text) const {
    for (const FindHistoryEntry& e : entries_)
        if (e.text == text) return &e;
    return nullptr;
}

std::string CutAtCharBoundary(std::string_view text, size_t limit, int codePage) {
    if (text.size() <= limit) return std::string(text);
    size_t i = 0;
    const char* end = text.data() + text.size();
    while (i < text.size()) {
        size_t n = document::CharLength(codePage, text.data() + i, end);
        if (i + n > limit) break;
        i += n;
    }
    return std::string(text.substr(0, i));
}

std::string EscapeForField(std::string_view text, int documentCodePage, int systemCodePage) {
    // The field holds text of the system code page: bytes of a document of the other internal
    // encoding (UTF-8 against a code page, or the reverse) pass through it only as escapes.
    const bool escapeHigh =
        document::IsUtf8CodePage(documentCodePage) != document::IsUtf8CodePage(systemCodePage);
    std::string out;
    const char* end = text.data() + text.size();
    for (size_t i = 0; i < text.size();) {
        const auto b = static_cast<uint8_t>(text[i]);
        std::string piece;
        size_t n = 1;
        switch (b) {
            case 7:
                piece = "\\a";
                break;
            case 8:
                piece = "\\b";
                break;
            case 9:
                piece = "\\t";
                break;
            case 10:
                piece = "\\n";
                break;
            case 11:
                piece = "\\v";
                break;
            case 12:
                piece = "\\f";
                break;
            case 13:
                if (i + 1 < text.size() && text[i + 1] == '\n')
                    piece.clear();
                else
                    piece = "\\r";
                break;
            case 27:
                piece = "\\e";
                break;
            case '\\':
                piece = "\\\\";
                break;
            default:
                if (b < 32 || (b >= 0x80 && escapeHigh)) {
                    char hex[8];
                    std::snprintf(hex, sizeof hex, "\\x%02x", b);
                    piece = hex;
                } else {
                    n = document::CharLength(documentCodePage, text.data() + i, end);
                    piece.assign(text.data() + i, n);
                }
        }
        // Whole sequences and characters only: the field never ends inside one.
        if (out.size() + piece.size() > kFieldLimit) break;
        out += piece;
        i += n;
    }
    return out;
}

}  // namespace norv::search
