// MIME encoded words: the decoder for received headers, the encoder for sent ones.
#include "mail/mime_header.h"

#include <algorithm>

#include "mail/base64.h"
#include "mail/mail_jis.h"

namespace norv::mail {
namespace {

constexpr std::string_view kIso2022Jp = "ISO-2022-JP";

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 32);
        if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 32);
        if (x != y) return false;
    }
    return true;
}

// The position of the "?" that ends a field starting at `from`, at most `limit` bytes on, or
// npos.
size_t FieldEnd(std::string_view s, size_t from, size_t limit) {
    const size_t q = s.find('?', from);
    if (q == std::string_view::npos || q - from > limit) return std::string_view::npos;
    return q;
}

struct EncodedWord {
    std::string_view charset, encoding, text;
    size_t end = 0;  // just past the closing "?="
};

// Parses the encoded word that starts at s[at] ("=?"); false when it is not well-formed.
bool ParseEncodedWord(std::string_view s, size_t at, EncodedWord& w) {
    const size_t c0 = at + 2;
    const size_t c1 = FieldEnd(s, c0, kMaxCharsetLength);
    if (c1 == std::string_view::npos) return false;
    const size_t e1 = FieldEnd(s, c1 + 1, kMaxEncodingLength);
    if (e1 == std::string_view::npos) return false;
    const size_t t1 = FieldEnd(s, e1 + 1, kMaxEncodedTextLength);
    if (t1 == std::string_view::npos || t1 + 1 >= s.size() || s[t1 + 1] != '=') return false;
    w.charset = s.substr(c0, c1 - c0);
    w.encoding = s.substr(c1 + 1, e1 - c1 - 1);
    w.text = s.substr(e1 + 1, t1 - e1 - 1);
    w.end = t1 + 2;
    return true;
}

}  // namespace

void AppendDecodedHeader(std::string& out, std::string_view line, int codePage) {
    const size_t n = line.size();
    // Where the white space after the last encoded word began in `out` (npos: no such word
    // just before).
    size_t blanksAfterWord = std::string::npos;
    std::string decoded;
    size_t i = 0;
    while (i < n) {
        const char c = line[i];
        EncodedWord w;
        if (c == '=' && i + 1 < n && line[i + 1] == '?' && ParseEncodedWord(line, i, w)) {
            if (blanksAfterWord != std::string::npos) out.resize(blanksAfterWord);
            decoded.clear();
            if (w.encoding == "B")
                AppendBase64Decoded(decoded, w.text);
            else
                decoded.assign(w.text);
            if (EqualsIgnoringAsciiCase(w.charset, kIso2022Jp))
                AppendIso2022JpAsSjis(out, decoded, codePage);
            else
                out.append(decoded);
            blanksAfterWord = out.size();
            i = w.end;
            continue;
        }
        if (c != ' ' && c != '\t') blanksAfterWord = std::string::npos;
        out.push_back(c);
        ++i;
    }
}

std::string DecodeHeader(std::string_view line, int codePage) {
    std::string out;
    AppendDecodedHeader(out, line, codePage);
    return out;
}

void AppendEncodedHeader(std::string& out, std::string_view line, int codePage) {
    std::string jis;
    AppendSjisAsIso2022Jp(jis, line, codePage);
    const std::string_view s = jis;
    size_t i = 0;
    while (i < s.size()) {
        const size_t esc = s.find('\x1B', i);
        if (esc == std::string_view::npos) {
            out.append(s.substr(i));
            break;
        }
        out.append(s.substr(i, esc - i));
        // The run ends with the next designation, which is kept inside the word.
        const size_t next = s.find('\x1B', esc + 1);
        const size_t runEnd =
            next == std::string_view::npos ? s.size() : std::min(s.size(), next + 3);
        out.append("=?ISO-2022-JP?B?");
        AppendBase64(out, s.substr(esc, runEnd - esc));
        out.append("?=");
        i = runEnd;
    }
}

std::string EncodeHeader(std::string_view line, int codePage) {
    std::string out;
    AppendEncodedHeader(out, line, codePage);
    return out;
}

}  // namespace norv::mail
