// The Convert command's conversions of a piece of text (see convert_text.h).
//
// Each conversion is a pass over the piece's bytes, in the designed order, writing a new string;
// a pass that can change nothing is skipped. Passes give what a single walk applying all four
// to each character would: only one width conversion runs at a time, the word rule's letter
// classes are the same before and after a width change, and the tab passes come last and read
// the widths the earlier passes left. Characters are never copied one by one into strings of
// their own: the passes look at the bytes in place and look codes up in tables built once.
#include "editing/convert_text.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <memory>

#include "document/char_model.h"
#include "platform/code_page.h"
#include "platform/width_map.h"

namespace norv::editing {

namespace {

constexpr int kSjis = 932;
constexpr uint16_t kNone = 0xFFFF;

// Code page 932 both ways, and the half-width form of every double-byte code, looked up once
// (the code page's own lookups take a lock each).
struct Tables {
    std::array<char16_t, 0x10000> toWide;
    std::array<uint16_t, 0x10000> fromWide;
    // The half-width form of a code: the byte count (0: none) in bits 0-7, the bytes above.
    std::array<uint32_t, 0x10000> half;

    Tables() {
        for (uint32_t c = 0; c < 0x10000; ++c) {
            toWide[c] = platform::DecodeChar(kSjis, static_cast<uint16_t>(c));
            fromWide[c] = platform::EncodeChar(kSjis, static_cast<char16_t>(c));
            half[c] = 0;
        }
        // Only these lead bytes have half-width forms (see width_map.cpp).
        for (uint32_t lead : {0x81u, 0x82u, 0x83u, 0xEEu, 0xFAu}) {
            for (uint32_t trail = 0; trail < 0x100; ++trail) {
                const auto code = static_cast<uint16_t>(lead << 8 | trail);
                uint8_t h[2] = {0, 0};
                const size_t n = platform::FullToHalfWidth(code, h);
                half[code] =
                    n ? static_cast<uint32_t>(n) | uint32_t{h[0]} << 8 | uint32_t{h[1]} << 16 : 0;
            }
        }
    }
};

const Tables& Table() {
    static const std::unique_ptr<Tables> t = std::make_unique<Tables>();
    return *t;
}

inline uint8_t Byte(const char* p) {
    return static_cast<uint8_t>(*p);
}

void AppendUtf8(std::string& out, uint32_t u) {
    if (u < 0x80) {
        out.push_back(static_cast<char>(u));
    } else if (u < 0x800) {
        const char b[2] = {static_cast<char>(0xC0 | u >> 6), static_cast<char>(0x80 | (u & 0x3F))};
        out.append(b, 2);
    } else {
        const char b[3] = {static_cast<char>(0xE0 | u >> 12),
                           static_cast<char>(0x80 | (u >> 6 & 0x3F)),
                           static_cast<char>(0x80 | (u & 0x3F))};
        out.append(b, 3);
    }
}

// The character model of the piece and the code-page-932 code of each character (single byte
// < 0x100, lead << 8 | trail; kNone: none). A UTF-8 character has a code when it is a
// well-formed sequence of the BMP that code page 932 maps both ways.
class Model {
  public:
    explicit Model(int codePage)
        : codePage_(codePage),
          utf8_(document::IsUtf8CodePage(codePage)),
          widths_(utf8_ || codePage == kSjis),
          t_(widths_ ? &Table() : nullptr) {}

    bool widths() const { return widths_; }
    bool utf8() const { return utf8_; }

    size_t Len(const char* p, const char* end) const {
        return document::CharLength(codePage_, p, end);
    }

    uint16_t Code(const char* p, size_t len) const {
        if (len == 1) {
            const uint8_t b = Byte(p);
            return utf8_ && b >= 0x80 ? kNone : b;
        }
        if (utf8_) return Utf8Code(p, len);
        if (codePage_ != kSjis || len != 2) return kNone;
        return static_cast<uint16_t>(Byte(p) << 8 | Byte(p + 1));
    }

    // Writes the character of a code-page-932 code.
    void Put(std::string& out, uint16_t code) const {
        if (utf8_) {
            AppendUtf8(out, t_->toWide[code]);
        } else if (code < 0x100) {
            out.push_back(static_cast<char>(code));
        } else {
            const char b[2] = {static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
            out.append(b, 2);
        }
    }

    const Tables& tables() const { return *t_; }

  private:
    uint16_t Utf8Code(const char* p, size_t len) const {
        // Only well-formed sequences of the BMP: a lone lead byte or a stray trail byte is no
        // character of any code page, nor is an overlong form.
        uint32_t u;
        if (len == 2) {
            if ((Byte(p + 1) & 0xC0) != 0x80) return kNone;
            u = (Byte(p) & 0x1Fu) << 6 | (Byte(p + 1) & 0x3Fu);
            if (u < 0x80) return kNone;
        } else if (len == 3) {
            if ((Byte(p + 1) & 0xC0) != 0x80 || (Byte(p + 2) & 0xC0) != 0x80) return kNone;
            u = (Byte(p) & 0x0Fu) << 12 | (Byte(p + 1) & 0x3Fu) << 6 | (Byte(p + 2) & 0x3Fu);
            if (u < 0x800) return kNone;
        } else {
            return kNone;
        }
        const uint16_t code = t_->fromWide[u];
        if (code == kNone || t_->toWide[code] != u) return kNone;
        return code;
    }

    int codePage_;
    bool utf8_;
    bool widths_;
    const Tables* t_;
};

bool IsAsciiLetter(uint8_t c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

char Upper(char b) {
    return b >= 'a' && b <= 'z' ? static_cast<char>(b - 32) : b;
}

char Lower(char b) {
    return b >= 'A' && b <= 'Z' ? static_cast<char>(b + 32) : b;
}

std::string WidthDown(const Model& m, std::string_view in, const ConvertChoices& ch) {
    std::string out;
    out.reserve(in.size());
    const char* p = in.data();
    const char* const end = p + in.size();
    const char* copied = p;  // the bytes before this are written
    const Tables& t = m.tables();
    while (p < end) {
        if (Byte(p) < 0x80) {
            ++p;
            continue;
        }
        const size_t len = m.Len(p, end);
        const uint16_t code = len > 1 ? m.Code(p, len) : kNone;
        const uint32_t h = code != kNone && code >= 0x100 ? t.half[code] : 0;
        const size_t n = h & 0xFF;
        bool convert = false;
        if (n) {
            const uint32_t first = h >> 8 & 0xFF;
            if (IsKanaClass(code))
                convert = ch.kana && first >= 0xA1 && first <= 0xDF;  // the ideographic space stays
            else
                convert = ch.alphanumerics;
        }
        if (convert) {
            out.append(copied, p);
            m.Put(out, static_cast<uint16_t>(h >> 8 & 0xFF));
            if (n > 1) m.Put(out, static_cast<uint16_t>(h >> 16 & 0xFF));
            copied = p + len;
        }
        p += len;
    }
    out.append(copied, end);
    return out;
}

// The letters from `from` to `from` + 25 among eight bytes read as a little-endian word: bit 7
// of each such byte. Bytes from 0x80 up are no letters; below it, no byte's sum carries into the
// next, so the bytes are tested together.
uint64_t LettersOf(uint64_t w, char from) {
    constexpr uint64_t kOnes = 0x0101010101010101;
    constexpr uint64_t kHigh = 0x8080808080808080;
    const uint64_t low = w & ~kHigh;
    const uint64_t atLeastFrom = low + kOnes * static_cast<uint64_t>(0x80 - from);
    const uint64_t pastTo = low + kOnes * static_cast<uint64_t>(0x80 - from - 26);
    return atLeastFrom & ~pastTo & ~w & kHigh;
}

// Whether a UTF-8 piece has a letter right after a lead byte that may take it as a trailing byte
// (broken UTF-8): otherwise every letter starts a character. Plain loops the compiler turns into
// vector code.
bool HasLetterAfterLead(const uint8_t* b, size_t size, char from) {
    const uint8_t first = static_cast<uint8_t>(from);
    const auto letter = [first](uint8_t c) { return static_cast<uint8_t>(c - first) < 26; };
    uint8_t bad = 0;
    for (size_t i = 1; i < std::min<size_t>(size, 3); ++i)
        bad |= letter(b[i]) && (b[i - 1] >= 0xC0 || (i >= 2 && b[i - 2] >= 0xE0));
    for (size_t i = 3; i < size; ++i)
        bad |= letter(b[i]) & (b[i - 1] >= 0xC0 | b[i - 2] >= 0xE0 | b[i - 3] >= 0xF0);
    return bad != 0;
}

// UPPER ALL and lower all. Only the letters below 0x80 change, and only where a character starts.
// The letters are found eight bytes at a time; whether one starts a character is settled from
// the character start `q` before it: unless a lead byte in the `window` bytes before it (the
// longest a character's trailing bytes run) reaches over it, the characters from `q` end right
// there, so the walk is needed only where such a byte does (trail bytes of a double-byte code
// page, broken UTF-8). UTF-8 whose letters all start characters is converted in one pass.
void ChangeCaseAll(const Model& m, std::string& s, char from) {
    char* const text = s.data();
    const size_t size = s.size();
    if (m.utf8()) {
        auto* b = reinterpret_cast<uint8_t*>(text);
        if (!HasLetterAfterLead(b, size, from)) {
            const uint8_t first = static_cast<uint8_t>(from);
            for (size_t i = 0; i < size; ++i)
                b[i] ^= static_cast<uint8_t>(static_cast<uint8_t>(b[i] - first) < 26) << 5;
            return;
        }
    }
    const char* const end = text + size;
    const size_t window = m.utf8() ? 3 : 1;
    size_t q = 0;
    const auto reached = [&](size_t i) {
        for (size_t j = i > q + window ? i - window : q; j < i; ++j)
            if (Byte(text + j) >= 0x80 && m.Len(text + j, end) > i - j) return true;
        return false;
    };
    for (size_t base = 0; base < size; base += 8) {
        const size_t n = std::min<size_t>(8, size - base);
        uint64_t w = 0;
        if (std::endian::native == std::endian::little && n == 8) {
            std::memcpy(&w, text + base, 8);
        } else {
            for (size_t k = 0; k < n; ++k) w |= uint64_t{Byte(text + base + k)} << (8 * k);
        }
        uint64_t letters = LettersOf(w, from);
        if (!letters) continue;
        if (n == 8 && !(w & 0x8080808080808080) && q <= base && !reached(base)) {
            // Eight one-byte characters.
            w ^= letters >> 2;
            if (std::endian::native == std::endian::little) {
                std::memcpy(text + base, &w, 8);
            } else {
                for (size_t k = 0; k < 8; ++k) text[base + k] = static_cast<char>(w >> (8 * k));
            }
            q = base + 8;
            continue;
        }
        for (; letters; letters &= letters - 1) {
            const size_t i = base + static_cast<size_t>(std::countr_zero(letters)) / 8;
            if (i < q) continue;  // a trail byte of a character walked over
            if (reached(i)) {
                while (q < i) q += m.Len(text + q, end);
                if (q != i) continue;
            }
            text[i] = static_cast<char>(text[i] ^ 0x20);
            q = i + 1;
        }
    }
}

// Case changes only single-byte ASCII letters: the bytes of a multi-byte character are skipped
// whole, whatever they look like.
void ChangeCase(const Model& m, std::string& s, CaseConversion mode) {
    if (mode == CaseConversion::kUpper) return ChangeCaseAll(m, s, 'a');
    if (mode == CaseConversion::kLower) return ChangeCaseAll(m, s, 'A');
    char* p = s.data();
    char* const end = p + s.size();
    bool afterLetter = false;
    bool first = true;
    while (p < end) {
        const size_t len = Byte(p) < 0x80 ? 1 : m.Len(p, end);
        if (len == 1) {
            const uint8_t b = Byte(p);
            switch (mode) {
                case CaseConversion::kUpper:
                    *p = Upper(*p);
                    break;
                case CaseConversion::kLower:
                    *p = Lower(*p);
                    break;
                case CaseConversion::kUpperLineTop:
                    *p = first ? Upper(*p) : Lower(*p);
                    break;
                case CaseConversion::kUpperWordTop:
                    *p = afterLetter ? Lower(*p) : Upper(*p);
                    afterLetter = IsAsciiLetter(b);
                    break;
                case CaseConversion::kNone:
                    return;
            }
        } else if (mode == CaseConversion::kUpperWordTop) {
            // Among multi-byte characters the full-width letters are letters.
            const uint16_t code = m.Code(p, len);
            afterLetter = code >= 0x825F && code <= 0x829A;
        }
        first = false;
        p += len;
    }
}

std::string WidthUp(const Model& m, std::string_view in, const ConvertChoices& ch) {
    std::string out;
    out.reserve(in.size() * 2);
    const char* p = in.data();
    const char* const end = p + in.size();
    const char* copied = p;  // the bytes before this are written
    while (p < end) {
        const size_t len = Byte(p) < 0x80 ? 1 : m.Len(p, end);
        const uint16_t c = m.Code(p, len);
        uint16_t full = 0;
        size_t take = len;
        if (c >= 0x21 && c <= 0x7E && ch.alphanumerics) {
            int consumed = 1;
            full = platform::HalfToFullWidth(static_cast<uint8_t>(c), -1, &consumed);
        } else if (c >= 0xA1 && c <= 0xDF && ch.kana) {
            int next = -1;
            size_t nextLen = 0;
            if (p + len < end) {
                nextLen = m.Len(p + len, end);
                const uint16_t n = m.Code(p + len, nextLen);
                if (n < 0x100) next = n;
            }
            int consumed = 1;
            full = platform::HalfToFullWidth(static_cast<uint8_t>(c), next, &consumed);
            if (consumed > 1) take += nextLen;
        }
        if (full) {
            out.append(copied, p);
            m.Put(out, full);
            copied = p + take;
        }
        p += take;
    }
    out.append(copied, end);
    return out;
}

std::string TabsToSpaces(const Model& m, std::string_view in, int tab, int col, size_t maxBytes) {
    std::string out;
    out.reserve(in.size() + in.size() / 4);
    const char* p = in.data();
    const char* const end = p + in.size();
    const char* copied = p;  // the bytes before this are written
    while (p < end) {
        if (*p == '\t') {
            const int w = tab - col % tab;
            col += w;
            // What is written so far, the spaces, and the rest of the piece as it stands.
            const size_t written = out.size() + static_cast<size_t>(p - copied);
            const size_t rest = static_cast<size_t>(end - p - 1);
            if (written + static_cast<size_t>(w) + rest < maxBytes) {
                out.append(copied, p);
                out.append(static_cast<size_t>(w), ' ');
                copied = p + 1;
            }
            ++p;
            continue;
        }
        const size_t len = Byte(p) < 0x80 ? 1 : m.Len(p, end);
        col += len > 1 ? 2 : 1;
        p += len;
    }
    out.append(copied, end);
    return out;
}

std::string SpacesToTabs(const Model& m, std::string_view in, int tab, int col) {
    std::string out;
    out.reserve(in.size());
    const char* p = in.data();
    const char* const end = p + in.size();
    while (p < end) {
        if (*p == ' ' && tab > 1) {
            const int stop = col + (tab - col % tab);
            if (stop - col > 1) {
                // The run of blanks from here: spaces up to the stop, or a tab before it.
                const char* q = p;
                int c = col;
                while (q < end && c < stop && (*q == ' ' || *q == '\t')) {
                    const bool isTab = *q == '\t';
                    c += isTab ? tab - c % tab : 1;
                    ++q;
                    if (isTab) break;
                }
                if (c == stop) {
                    out.push_back('\t');
                    col = stop;
                    p = q;
                    continue;
                }
            }
        }
        const size_t len = Byte(p) < 0x80 ? 1 : m.Len(p, end);
        col += document::CharColumns(p, len, col, tab);
        out.append(p, len);
        p += len;
    }
    return out;
}

}  // namespace

bool IsKanaClass(unsigned sjis) {
    switch (sjis) {
        case 0x8140:
        case 0x8141:
        case 0x8142:
        case 0x8145:
        case 0x815B:
        case 0x8175:
        case 0x8176:
            return true;
        default:
            return sjis >= 0x829E && sjis <= 0xFFFF;
    }
}

std::string ConvertPiece(std::string_view text, const ConvertChoices& choices, int codePage,
                         int tabWidth, int startColumn, size_t maxBytes) {
    const Model m(codePage);
    // `s` holds the text once a pass has written it; until then the piece is read in place.
    std::string s;
    std::string_view cur = text;
    if (m.widths() && choices.width == WidthConversion::kToSingleByte &&
        (choices.alphanumerics || choices.kana)) {
        s = WidthDown(m, cur, choices);
        cur = s;
    }
    if (choices.caseConversion != CaseConversion::kNone) {
        if (cur.data() != s.data()) {
            s.assign(cur);
            cur = s;
        }
        ChangeCase(m, s, choices.caseConversion);
    }
    if (m.widths() && choices.width == WidthConversion::kToDoubleByte &&
        (choices.alphanumerics || choices.kana)) {
        s = WidthUp(m, cur, choices);
        cur = s;
    }
    const int tab = tabWidth > 0 ? tabWidth : 1;
    switch (choices.tabs) {
        case TabConversion::kTabToSpace:
            if (!cur.empty() && std::memchr(cur.data(), '\t', cur.size()))
                return TabsToSpaces(m, cur, tab, startColumn, maxBytes);
            break;
        case TabConversion::kSpaceToTab:
            if (tab > 1 && !cur.empty() && std::memchr(cur.data(), ' ', cur.size()))
                return SpacesToTabs(m, cur, tab, startColumn);
            break;
        case TabConversion::kNone:
            break;
    }
    if (cur.data() == s.data()) return s;
    return std::string(cur);
}

}  // namespace norv::editing
