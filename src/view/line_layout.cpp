// Line layout (see line_layout.h).
#include "view/line_layout.h"

#include <algorithm>
#include <cstring>

#include "document/char_model.h"
#include "platform/code_page.h"

namespace norv::view {

using document::CharTrailBytes;
using document::IsUtf8CodePage;

size_t LineText::Count(char b, size_t to) const {
    size_t n = 0;
    auto count = [&n, b](const char* p, size_t len) {
        for (const char* end = p + len; p < end; ++n, ++p) {
            p = static_cast<const char*>(std::memchr(p, b, static_cast<size_t>(end - p)));
            if (!p) return;
        }
    };
    count(a_, std::min(to, na_));
    if (to > na_) count(b_, std::min(to, size()) - na_);
    return n;
}

std::string LineText::Slice(size_t from, size_t to) const {
    std::string s;
    if (to > size()) to = size();
    if (from >= to) return s;
    s.reserve(to - from);
    if (from < na_) s.append(a_ + from, std::min(to, na_) - from);
    if (to > na_) {
        size_t f = from > na_ ? from - na_ : 0;
        s.append(b_ + f, to - na_ - f);
    }
    return s;
}

CharSet::CharSet(std::string_view ank, std::string_view dbcs) {
    for (char c : ank) ank_.set(static_cast<uint8_t>(c));
    for (size_t i = 0; i < dbcs.size();) {
        auto lead = static_cast<uint8_t>(dbcs[i]);
        if (platform::IsLeadByte(932, lead) && i + 1 < dbcs.size()) {
            dbcs_.push_back(static_cast<uint16_t>(lead << 8 | static_cast<uint8_t>(dbcs[i + 1])));
            i += 2;
        } else {
            ++i;
        }
    }
    std::sort(dbcs_.begin(), dbcs_.end());
}

bool CharSet::Contains(uint16_t code) const {
    if (code < 0x100) return ank_.test(code);
    return std::binary_search(dbcs_.begin(), dbcs_.end(), code);
}

uint16_t CharCode(int codePage, const LineText& t, size_t i, size_t len) {
    if (len <= 1) return t[i];
    if (!IsUtf8CodePage(codePage)) return static_cast<uint16_t>(t[i] << 8 | t[i + 1]);
    char32_t cp;
    if (len == 2)
        cp = (t[i] & 0x1Fu) << 6 | (t[i + 1] & 0x3Fu);
    else if (len == 3)
        cp = (t[i] & 0x0Fu) << 12 | (t[i + 1] & 0x3Fu) << 6 | (t[i + 2] & 0x3Fu);
    else
        return 0xFFFF;
    if (cp < 0x80) return 0xFFFF;  // an overlong form is no ASCII character
    uint16_t code = platform::EncodeChar(932, static_cast<char16_t>(cp));
    return code < 0x100 && cp >= 0x80 ? 0xFFFF : code;
}

LineLayout::LineLayout(const LayoutOptions& options)
    : options_(options),
      wrap_(std::max(1, options.wrapColumn)),
      tab_(std::max(1, options.tabWidth)),
      oida_(options.ankOida.empty() ? kDefaultAnkOida : std::string_view(options.ankOida),
            options.dbcsOida.empty() ? kDefaultDbcsSet : std::string_view(options.dbcsOida)),
      bura_(options.ankBura.empty() ? kDefaultAnkBura : std::string_view(options.ankBura),
            options.dbcsBura.empty() ? kDefaultDbcsSet : std::string_view(options.dbcsBura)) {}

size_t LineLayout::CharLen(const LineText& t, size_t i) const {
    size_t n = 1 + static_cast<size_t>(CharTrailBytes(options_.codePage, t[i]));
    if (n == 1) return 1;
    // The trailing bytes must all lie before the line feed.
    if (i + n > t.end()) return 1;
    return n;
}

size_t LineLayout::PrevChar(const LineText& t, size_t i, size_t from) const {
    size_t q = from, prev = from;
    while (q < i) {
        prev = q;
        q += CharLen(t, q);
    }
    return prev;
}

int LineLayout::Advance(const LineText& t, size_t i, size_t len, int col) const {
    if (len > 1) return col + 2;
    if (t[i] == '\t') return (col / tab_ + 1) * tab_;
    return col + 1;
}

bool LineLayout::IsBura(const LineText& t, size_t i, size_t len) const {
    return bura_.Contains(CharCode(options_.codePage, t, i, len));
}

bool LineLayout::IsOida(const LineText& t, size_t i, size_t len) const {
    return oida_.Contains(CharCode(options_.codePage, t, i, len));
}

std::optional<size_t> LineLayout::NextRowStart(const LineText& t, size_t rowStart) const {
    const size_t lf = t.end();
    size_t i = rowStart;
    int c = 0;
    size_t cut;
    for (;;) {
        if (i >= lf) return std::nullopt;  // the line ends in this row
        size_t len = CharLen(t, i);
        // A two-column character never starts in the last column, unless it is the row's
        // first character (a row always takes one character).
        if (len > 1 && c >= wrap_ - 1 && i > rowStart) {
            cut = i;
            break;
        }
        c = Advance(t, i, len, c);
        i += len;
        if (c >= wrap_) {
            cut = i;
            break;
        }
    }
    if (cut >= lf) {
        // The row ended exactly at the line feed: without word wrap it starts an empty row.
        if (options_.noWordWrap) return lf;
        return std::nullopt;
    }
    if (!options_.noWordWrap) {
        cut = AdjustCut(t, rowStart, cut);
        if (cut >= lf) return std::nullopt;
    }
    return cut;
}

size_t LineLayout::AdjustCut(const LineText& t, size_t rowStart, size_t cut) const {
    const size_t lf = t.end();
    size_t len = CharLen(t, cut);
    // Hanging: a closing character may stay at the end of the row beyond W, unless the one after
    // it hangs too; then both go to the next row with the character before them.
    if (IsBura(t, cut, len)) {
        size_t after = cut + len;
        if (after < lf && IsBura(t, after, CharLen(t, after))) {
            size_t back = PrevChar(t, cut, rowStart);
            return back > rowStart ? back : cut;
        }
        return after;
    }
    if (t[cut] == ' ') return cut + 1;

    // Walk back to a break opportunity. Candidate positions are character starts, found by
    // walking forward from the row start (a cut never falls inside a character). A row holds
    // at most one character a byte: most rows find room for them on the stack.
    constexpr size_t kInlineStarts = 128;
    size_t inlineStarts[kInlineStarts];
    std::vector<size_t> heapStarts;
    size_t* starts = inlineStarts;
    if (cut - rowStart > kInlineStarts) {
        heapStarts.resize(cut - rowStart);
        starts = heapStarts.data();
    }
    size_t count = 0;
    for (size_t q = rowStart; q < cut; q += CharLen(t, q)) starts[count++] = q;
    const bool firstDbcs = len > 1;
    // starts[count - 1] is the character before the cut; candidate k breaks before starts[k]
    // (k == count stands for the cut itself).
    for (size_t k = count, back = 0; k > 0; --k, ++back) {
        if (firstDbcs && back > 2) break;
        size_t p = k == count ? cut : starts[k];
        if (p <= rowStart) break;
        size_t prev = starts[k - 1];
        size_t prevLen = p - prev;
        // An opening character is pushed to the next row rather than ending this one.
        if (IsOida(t, prev, prevLen)) continue;
        uint8_t pb = t[prev];
        if (prevLen == 1 && (pb == ' ' || pb == '\t' || pb == ',')) return p;
        size_t pLen = CharLen(t, p);
        if (p < lf && IsOida(t, p, pLen)) return p;
        if (firstDbcs && pLen > 1) return p;
    }
    return cut;
}

bool LineLayout::FitsOneRow(const LineText& t) const {
    // No character is wider in columns than in bytes, but a tab, which is at most the tab
    // width: a line whose widest reading stays short of the wrap column never reaches it.
    const size_t lf = t.end();
    if (lf >= static_cast<size_t>(wrap_)) return false;
    // Even all tabs would not reach it: no need to count them.
    if (lf * static_cast<size_t>(tab_) < static_cast<size_t>(wrap_)) return true;
    const size_t tabs = t.Count('\t', lf);
    return lf - tabs + tabs * static_cast<size_t>(tab_) < static_cast<size_t>(wrap_);
}

int32_t LineLayout::RowCount(const LineText& t) const {
    if (FitsOneRow(t)) return 1;
    int32_t rows = 1;
    size_t start = 0;
    while (auto next = NextRowStart(t, start)) {
        start = *next;
        ++rows;
    }
    return rows;
}

size_t LineLayout::RowEnd(const LineText& t, size_t rowStart) const {
    auto next = NextRowStart(t, rowStart);
    return next ? *next : t.end();
}

int LineLayout::RowWidth(const LineText& t, size_t rowStart) const {
    auto next = NextRowStart(t, rowStart);
    size_t end = next ? *next : t.end();
    int c = 0;
    for (size_t i = rowStart; i < end;) {
        size_t len = CharLen(t, i);
        c = Advance(t, i, len, c);
        i += len;
    }
    return next ? c : c + 1;
}

LineLayout::Position LineLayout::ColumnToPosition(const LineText& t, size_t rowStart,
                                                  int column) const {
    auto next = NextRowStart(t, rowStart);
    size_t end = next ? *next : t.end();
    int width = 0;
    for (size_t i = rowStart; i < end;) {
        size_t len = CharLen(t, i);
        width = Advance(t, i, len, width);
        i += len;
    }
    if (!next) ++width;
    int target = std::min(column, width - 1);
    size_t pos = rowStart;
    int c = 0;
    while (c < target && pos < end) {
        size_t len = CharLen(t, pos);
        int nc = Advance(t, pos, len, c);
        if (nc > target && (len > 1 || t[pos] == '\t')) break;
        // The last character of a wrapped row: the caret stays on it, not behind it.
        if (pos + len >= end && next) break;
        c = nc;
        pos += len;
    }
    return {pos, c};
}

int LineLayout::ColumnOf(const LineText& t, size_t rowStart, size_t pos) const {
    int c = 0;
    for (size_t i = rowStart; i < pos;) {
        size_t len = CharLen(t, i);
        c = Advance(t, i, len, c);
        i += len;
    }
    return c;
}

LineLayout::Row LineLayout::RowOf(const LineText& t, size_t pos) const {
    Row r{0, 0};
    if (FitsOneRow(t)) return r;
    while (auto next = NextRowStart(t, r.start)) {
        if (*next > pos) break;
        r.start = *next;
        ++r.index;
    }
    return r;
}

size_t LineLayout::RowStartAt(const LineText& t, int32_t index) const {
    size_t start = 0;
    for (int32_t k = 0; k < index; ++k) {
        auto next = NextRowStart(t, start);
        if (!next) break;
        start = *next;
    }
    return start;
}

}  // namespace norv::view
