// Parsing CAPA and EHLO replies.
#include "mail/capabilities.h"

namespace norv::mail {
namespace {

bool SameWord(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 32);
        if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 32);
        if (x != y) return false;
    }
    return true;
}

// The blank-separated words of a text.
std::vector<std::string_view> Words(std::string_view s) {
    std::vector<std::string_view> words;
    size_t i = 0;
    while (i < s.size()) {
        while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
        const size_t start = i;
        while (i < s.size() && s[i] != ' ' && s[i] != '\t') ++i;
        if (i > start) words.push_back(s.substr(start, i - start));
    }
    return words;
}

}  // namespace

bool CapaOffers(const std::vector<std::string>& lines, std::string_view name) {
    for (const auto& l : lines) {
        const auto w = Words(l);
        if (!w.empty() && SameWord(w[0], name)) return true;
    }
    return false;
}

EhloOffer ParseEhloReply(const std::vector<std::string>& lines) {
    EhloOffer o;
    for (const auto& l : lines) {
        if (l.size() < 4) continue;
        const auto w = Words(std::string_view(l).substr(4));
        if (w.empty()) continue;
        if (SameWord(w[0], "STARTTLS")) o.startTls = true;
        if (SameWord(w[0], "AUTH")) {
            for (size_t i = 1; i < w.size(); ++i) {
                if (SameWord(w[i], "PLAIN")) o.authPlain = true;
                if (SameWord(w[i], "LOGIN")) o.authLogin = true;
            }
        }
    }
    return o;
}

}  // namespace norv::mail
