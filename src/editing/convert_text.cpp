// The Convert command's conversions of a piece of text (see convert_text.h).
//
// Each conversion is a pass over the piece, in the designed order. Passes give what a single
// walk applying all four to each character would: only one width conversion runs at a time, the
// word rule's letter classes are the same before and after a width change, and the tab passes
// come last and read the widths the earlier passes left.
#include "editing/convert_text.h"

#include <cstdint>
#include <vector>

#include "document/char_model.h"
#include "platform/code_page.h"
#include "platform/width_map.h"

namespace norv::editing {

namespace {

constexpr int kSjis = 932;

// A character of the piece: its bytes and, for the width and case classes, its code in code
// page 932 (single byte < 0x100, lead << 8 | trail; 0xFFFF: none).
struct Char {
    std::string bytes;
    uint16_t sjis = 0xFFFF;
};

uint32_t DecodeUtf8(std::string_view s) {
    const auto b = [&](size_t i) { return static_cast<uint32_t>(static_cast<uint8_t>(s[i])); };
    switch (s.size()) {
        case 1:
            return b(0);
        case 2:
            return (b(0) & 0x1F) << 6 | (b(1) & 0x3F);
        case 3:
            return (b(0) & 0x0F) << 12 | (b(1) & 0x3F) << 6 | (b(2) & 0x3F);
        default:
            return (b(0) & 0x07) << 18 | (b(1) & 0x3F) << 12 | (b(2) & 0x3F) << 6 | (b(3) & 0x3F);
    }
}

std::string EncodeUtf8(uint32_t u) {
    std::string s;
    if (u < 0x80) {
        s.push_back(static_cast<char>(u));
    } else if (u < 0x800) {
        s.push_back(static_cast<char>(0xC0 | u >> 6));
        s.push_back(static_cast<char>(0x80 | (u & 0x3F)));
    } else {
        s.push_back(static_cast<char>(0xE0 | u >> 12));
        s.push_back(static_cast<char>(0x80 | (u >> 6 & 0x3F)));
        s.push_back(static_cast<char>(0x80 | (u & 0x3F)));
    }
    return s;
}

// The code-page-932 code of a UTF-8 character, when code page 932 maps it both ways.
uint16_t SjisOfUtf8(std::string_view bytes) {
    if (bytes.size() == 1)
        return static_cast<uint8_t>(bytes[0]) < 0x80 ? static_cast<uint8_t>(bytes[0]) : 0xFFFF;
    // Only well-formed sequences of the BMP: a lone lead byte or a stray trail byte is no
    // character of any code page.
    if (bytes.size() > 3) return 0xFFFF;
    for (size_t i = 1; i < bytes.size(); ++i)
        if ((static_cast<uint8_t>(bytes[i]) & 0xC0) != 0x80) return 0xFFFF;
    const uint32_t u = DecodeUtf8(bytes);
    if (u < 0x80 || EncodeUtf8(u) != bytes) return 0xFFFF;
    const uint16_t code = platform::EncodeChar(kSjis, static_cast<char16_t>(u));
    if (code == 0xFFFF || platform::DecodeChar(kSjis, code) != u) return 0xFFFF;
    return code;
}

class Piece {
  public:
    Piece(std::string_view text, int codePage) : codePage_(codePage) {
        utf8_ = document::IsUtf8CodePage(codePage);
        widths_ = utf8_ || codePage == kSjis;
        const char* const end = text.data() + text.size();
        size_t i = 0;
        while (i < text.size()) {
            const size_t len = document::CharLength(codePage, text.data() + i, end);
            Char c;
            c.bytes.assign(text.data() + i, len);
            c.sjis = CodeOf(c.bytes);
            chars_.push_back(std::move(c));
            i += len;
        }
    }

    std::vector<Char>& chars() { return chars_; }
    bool widths() const { return widths_; }

    uint16_t CodeOf(std::string_view bytes) const {
        if (utf8_) return SjisOfUtf8(bytes);
        if (bytes.size() == 1) return static_cast<uint8_t>(bytes[0]);
        if (codePage_ != kSjis || bytes.size() != 2) return 0xFFFF;
        return static_cast<uint16_t>(static_cast<uint8_t>(bytes[0]) << 8 |
                                     static_cast<uint8_t>(bytes[1]));
    }

    // A character made from a code-page-932 code.
    Char Make(uint16_t code) const {
        Char c;
        c.sjis = code;
        if (utf8_) {
            const char16_t u = platform::DecodeChar(kSjis, code);
            c.bytes = EncodeUtf8(u);
        } else if (code < 0x100) {
            c.bytes.push_back(static_cast<char>(code));
        } else {
            c.bytes.push_back(static_cast<char>(code >> 8));
            c.bytes.push_back(static_cast<char>(code & 0xFF));
        }
        return c;
    }

    std::string Join() const {
        std::string out;
        for (const Char& c : chars_) out += c.bytes;
        return out;
    }

  private:
    int codePage_;
    bool utf8_ = false;
    bool widths_ = false;
    std::vector<Char> chars_;
};

bool IsAsciiLetter(uint16_t c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// A letter for the word rule: a single-byte ASCII letter, or a double-byte code from 0x825F to
// 0x829A (the full-width letters).
bool IsWordLetter(const Char& c) {
    if (c.bytes.size() == 1) return IsAsciiLetter(static_cast<uint8_t>(c.bytes[0]));
    return c.sjis >= 0x825F && c.sjis <= 0x829A;
}

void SetCase(Char& c, bool upper) {
    if (c.bytes.size() != 1) return;
    char& b = c.bytes[0];
    if (upper && b >= 'a' && b <= 'z') b = static_cast<char>(b - 32);
    if (!upper && b >= 'A' && b <= 'Z') b = static_cast<char>(b + 32);
    c.sjis = static_cast<uint8_t>(b);
}

void WidthDown(Piece& p, const ConvertChoices& ch) {
    std::vector<Char> out;
    out.reserve(p.chars().size());
    for (Char& c : p.chars()) {
        if (c.sjis == 0xFFFF || c.sjis < 0x100) {
            out.push_back(std::move(c));
            continue;
        }
        uint8_t half[2];
        const size_t n = platform::FullToHalfWidth(c.sjis, half);
        const bool kanaHalf = n > 0 && half[0] >= 0xA1 && half[0] <= 0xDF;
        bool convert;
        if (IsKanaClass(c.sjis))
            convert = ch.kana && kanaHalf;  // the ideographic space has no kana entry: it stays
        else
            convert = ch.alphanumerics && n > 0;
        if (!convert) {
            out.push_back(std::move(c));
            continue;
        }
        for (size_t i = 0; i < n; ++i) out.push_back(p.Make(half[i]));
    }
    p.chars() = std::move(out);
}

void WidthUp(Piece& p, const ConvertChoices& ch) {
    std::vector<Char> out;
    auto& in = p.chars();
    out.reserve(in.size());
    for (size_t i = 0; i < in.size(); ++i) {
        const uint16_t c = in[i].sjis;
        if (c >= 0x21 && c <= 0x7E && ch.alphanumerics) {
            int consumed = 1;
            const uint16_t full = platform::HalfToFullWidth(static_cast<uint8_t>(c), -1, &consumed);
            if (full) {
                out.push_back(p.Make(full));
                continue;
            }
        } else if (c >= 0xA1 && c <= 0xDF && ch.kana) {
            const int next = i + 1 < in.size() && in[i + 1].sjis < 0x100 ? in[i + 1].sjis : -1;
            int consumed = 1;
            const uint16_t full =
                platform::HalfToFullWidth(static_cast<uint8_t>(c), next, &consumed);
            if (full) {
                out.push_back(p.Make(full));
                i += static_cast<size_t>(consumed - 1);
                continue;
            }
        }
        out.push_back(std::move(in[i]));
    }
    in = std::move(out);
}

void ChangeCase(Piece& p, CaseConversion mode) {
    bool afterLetter = false;
    bool first = true;
    for (Char& c : p.chars()) {
        switch (mode) {
            case CaseConversion::Upper:
                SetCase(c, true);
                break;
            case CaseConversion::Lower:
                SetCase(c, false);
                break;
            case CaseConversion::UpperLineTop:
                SetCase(c, first);
                break;
            case CaseConversion::UpperWordTop: {
                const bool letter = IsWordLetter(c);
                SetCase(c, !afterLetter);
                afterLetter = letter;
                break;
            }
            case CaseConversion::None:
                return;
        }
        first = false;
    }
}

int Columns(const Char& c, int col, int tab) {
    return document::CharColumns(c.bytes.data(), c.bytes.size(), col, tab);
}

std::string TabsToSpaces(Piece& p, int tab, int col, size_t maxBytes) {
    std::string out;
    const std::string tail = p.Join();
    size_t rest = tail.size();
    for (const Char& c : p.chars()) {
        rest -= c.bytes.size();
        const int w = Columns(c, col, tab);
        col += w;
        if (c.bytes == "\t" && out.size() + static_cast<size_t>(w) + rest < maxBytes) {
            out.append(static_cast<size_t>(w), ' ');
            continue;
        }
        out += c.bytes;
    }
    return out;
}

std::string SpacesToTabs(Piece& p, int tab, int col) {
    std::string out;
    const auto& in = p.chars();
    size_t i = 0;
    while (i < in.size()) {
        if (in[i].bytes == " " && tab > 1) {
            const int stop = col + (tab - col % tab);
            if (stop - col > 1) {
                // The run of blanks from here: spaces up to the stop, or a tab before it.
                size_t j = i;
                int c = col;
                while (j < in.size() && c < stop && (in[j].bytes == " " || in[j].bytes == "\t")) {
                    c += Columns(in[j], c, tab);
                    ++j;
                    if (in[j - 1].bytes == "\t") break;
                }
                if (c == stop) {
                    out.push_back('\t');
                    col = stop;
                    i = j;
                    continue;
                }
            }
        }
        col += Columns(in[i], col, tab);
        out += in[i].bytes;
        ++i;
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
    Piece p(text, codePage);
    if (p.widths() && choices.width == WidthConversion::ToSingleByte) WidthDown(p, choices);
    if (choices.caseConversion != CaseConversion::None) ChangeCase(p, choices.caseConversion);
    if (p.widths() && choices.width == WidthConversion::ToDoubleByte) WidthUp(p, choices);
    const int tab = tabWidth > 0 ? tabWidth : 1;
    switch (choices.tabs) {
        case TabConversion::TabToSpace:
            return TabsToSpaces(p, tab, startColumn, maxBytes);
        case TabConversion::SpaceToTab:
            return SpacesToTabs(p, tab, startColumn);
        case TabConversion::None:
            break;
    }
    return p.Join();
}

}  // namespace norv::editing
