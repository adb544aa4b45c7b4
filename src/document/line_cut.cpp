// Cutting over-long lines between characters, in the file's code and in the document's.
#include "document/line_cut.h"

#include <cstring>
#include <string>

#include "platform/code_page.h"

namespace norv::document {
namespace {

constexpr size_t kMaxContent = kMaxLineBytes - 1;

// Bytes of the UTF-8 sequence a lead byte announces (1 for a byte that is no lead).
constexpr size_t Utf8Length(uint8_t b) {
    if (b >= 0xC0 && b <= 0xDF) return 2;
    if (b >= 0xE0 && b <= 0xEF) return 3;
    if (b >= 0xF0 && b <= 0xF7) return 4;
    return 1;
}

constexpr bool IsContinuation(uint8_t b) {
    return (b & 0xC0) == 0x80;
}

constexpr bool IsJisByte(uint8_t b) {
    return b >= 0x21 && b <= 0x7E;
}

constexpr bool IsEucByte(uint8_t b) {
    return b >= 0xA1 && b <= 0xFE;
}

// UTF-8 is self-synchronising: only the sequence that reaches over the limit matters.
size_t Utf8Cut(const uint8_t* p, size_t n, size_t limit) {
    if (limit >= n) return n;
    if (!IsContinuation(p[limit])) return limit;
    for (size_t back = 1; back <= 3 && back < limit; ++back) {
        uint8_t b = p[limit - back];
        if (IsContinuation(b)) continue;
        // A lead whose sequence reaches past the limit moves whole into the next piece.
        if (Utf8Length(b) > back) return limit - back;
        break;
    }
    return limit;
}

size_t SjisCut(const uint8_t* p, size_t n, size_t limit, int codePage) {
    if (limit >= n) return n;
    size_t i = 0;
    while (i < limit) {
        size_t len = platform::IsLeadByte(codePage, p[i]) && i + 1 < n ? 2 : 1;
        if (i + len > limit) break;
        i += len;
    }
    return i;
}

size_t EucLength(const uint8_t* p, size_t i, size_t n) {
    uint8_t b = p[i];
    size_t len = 1;
    if (b == 0x8E)
        len = 2;
    else if (b == 0x8F)
        len = 3;
    else if (IsEucByte(b))
        len = 2;
    return i + len <= n ? len : n - i;
}

size_t EucCut(const uint8_t* p, size_t n, size_t limit) {
    if (limit >= n) return n;
    size_t i = 0;
    while (i < limit) {
        size_t len = EucLength(p, i, n);
        if (i + len > limit) break;
        i += len;
    }
    return i;
}

// One unit of JIS text at p[i]: an escape sequence the decoder knows, SO or SI, a kanji pair
// in kanji state, or one byte. *next gets the state after it.
size_t JisUnit(const uint8_t* p, size_t i, size_t n, JisShift state, JisShift* next) {
    *next = state;
    uint8_t b = p[i];
    if (b == 0x1B && i + 2 < n) {
        uint8_t c1 = p[i + 1], c2 = p[i + 2];
        if (c1 == '$' && (c2 == 'B' || c2 == '@')) {
            *next = JisShift::kKanji;
            return 3;
        }
        if (c1 == '(' && (c2 == 'B' || c2 == 'J')) {
            *next = JisShift::kAscii;
            return 3;
        }
        if (c1 == '(' && c2 == 'I') {
            *next = JisShift::kKana;
            return 3;
        }
        return 1;
    }
    if (b == 0x0E) {
        *next = JisShift::kKana;
        return 1;
    }
    if (b == 0x0F) {
        *next = JisShift::kAscii;
        return 1;
    }
    if (state == JisShift::kKanji && i + 1 < n && IsJisByte(b) && IsJisByte(p[i + 1])) return 2;
    return 1;
}

size_t JisCut(const uint8_t* p, size_t n, size_t limit, JisShift* shift) {
    JisShift state = shift ? *shift : JisShift::kAscii;
    if (limit > n) limit = n;
    size_t i = 0;
    while (i < limit) {
        JisShift next;
        size_t len = JisUnit(p, i, n, state, &next);
        if (i + len > limit) break;
        i += len;
        state = next;
    }
    if (shift) *shift = state;
    return i;
}

}  // namespace

size_t CharCut(CutCode code, int codePage, const char* text, size_t n, size_t limit,
               JisShift* shift) {
    if (limit > n) limit = n;
    if (limit == 0) return 0;
    const auto* p = reinterpret_cast<const uint8_t*>(text);
    size_t cut = limit;
    switch (code) {
        case CutCode::kBytes:
            break;
        case CutCode::kUtf8:
            cut = Utf8Cut(p, n, limit);
            break;
        case CutCode::kSjis:
            cut = SjisCut(p, n, limit, codePage);
            break;
        case CutCode::kEuc:
            cut = EucCut(p, n, limit);
            break;
        case CutCode::kJis:
            return JisCut(p, n, limit, shift);
    }
    // A character is at most four bytes: a piece never comes out empty.
    return cut > 0 ? cut : limit;
}

bool ReadsAs(CutCode code, const char* text, size_t n) {
    const auto* p = reinterpret_cast<const uint8_t*>(text);
    size_t i = 0;
    switch (code) {
        case CutCode::kUtf8:
            while (i < n) {
                uint8_t b = p[i];
                if (b < 0x80) {
                    ++i;
                    continue;
                }
                size_t len = Utf8Length(b);
                if (len == 1) return false;
                for (size_t k = 1; k < len; ++k) {
                    if (i + k >= n) return true;  // cut by the end
                    if (!IsContinuation(p[i + k])) return false;
                }
                i += len;
            }
            return true;
        case CutCode::kEuc:
            while (i < n) {
                uint8_t b = p[i];
                if (b < 0x80) {
                    ++i;
                    continue;
                }
                size_t len = b == 0x8E ? 2 : b == 0x8F ? 3 : IsEucByte(b) ? 2 : 0;
                if (len == 0) return false;
                for (size_t k = 1; k < len; ++k) {
                    if (i + k >= n) return true;
                    uint8_t t = p[i + k];
                    if (b == 0x8E ? (t < 0xA1 || t > 0xDF) : !IsEucByte(t)) return false;
                }
                i += len;
            }
            return true;
        default:
            return true;
    }
}

int RecutContinuedLines(LineList& lines, CutCode code, int codePage) {
    if (code == CutCode::kBytes) return 1;
    std::string carry;  // the start of a character that the previous record cut
    std::string joined;
    for (LineRecord* r = lines.first(); r; r = r->next) {
        const bool continued = (r->flags & LF_CONTINUED) && r->next;
        if (carry.empty() && !continued) continue;
        joined.assign(carry);
        const size_t own = joined.size();
        joined.append(r->text(), r->contentLength());
        size_t end = joined.size();
        // The first bytes of the next piece show whether the last character goes on there.
        if (continued)
            joined.append(r->next->text(), std::min<size_t>(3, r->next->contentLength()));
        size_t keep = end;
        if (continued || end > kMaxContent)
            keep = CharCut(code, codePage, joined.data(), joined.size(),
                           end < kMaxContent ? end : kMaxContent);
        if (own == 0 && keep == end) continue;  // already whole
        carry.assign(joined, keep, end - keep);
        LineRecord* nr = lines.ResizeLine(r, keep + 1);
        if (!nr) return 0;
        std::memcpy(nr->text(), joined.data(), keep);
        nr->text()[keep] = '\n';
        r = nr;
        if (!carry.empty() && !continued) {
            // The last piece overflowed: the rest becomes a piece of its own.
            LineRecord* rest = lines.MakeRecord(carry.data(), carry.size());
            if (!rest) return 0;
            rest->text()[carry.size()] = '\n';
            rest->flags = static_cast<uint8_t>(r->flags & (LF_EOL_BITS | LF_CHANGED));
            r->flags = static_cast<uint8_t>((r->flags & ~LF_EOL_BITS) | LF_CONTINUED);
            lines.InsertLineAfter(rest, r);
            carry.clear();
            r = rest;
        }
    }
    return 1;
}

}  // namespace norv::document
