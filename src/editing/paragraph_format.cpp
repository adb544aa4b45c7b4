// The text side of the paragraph commands (see paragraph_format.h).
#include "editing/paragraph_format.h"

#include <algorithm>
#include <array>

#include "document/char_model.h"

namespace norv::editing {
namespace {

constexpr bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

size_t NonBlanks(std::string_view s) {
    size_t n = 0;
    for (char c : s) n += !IsBlank(c);
    return n;
}

size_t LeadingBlanks(std::string_view s) {
    size_t i = 0;
    while (i < s.size() && IsBlank(s[i])) ++i;
    return i;
}

// A line's characters as the view's character model sees them. A lead byte whose trail bytes
// would run past the end of the text is a character of its own, as before a line feed.
class Chars {
  public:
    Chars(const view::LineLayout& layout, std::string_view s)
        : codePage_(layout.codePage()), s_(s), t_(s, "\n") {}
    size_t size() const { return s_.size(); }
    size_t Len(size_t i) const {
        if (static_cast<uint8_t>(s_[i]) < 0x80) return 1;
        return document::CharLength(codePage_, s_.data() + i, s_.data() + s_.size());
    }
    uint16_t Code(size_t i, size_t len) const {
        if (len == 1) return static_cast<uint8_t>(s_[i]);
        return view::CharCode(codePage_, t_, i, len);
    }
    // The start of the last character, or size() for an empty text.
    size_t Last() const {
        size_t last = s_.size();
        for (size_t i = 0; i < s_.size(); i += Len(i)) last = i;
        return last;
    }

  private:
    int codePage_;
    std::string_view s_;
    view::LineText t_;
};

}  // namespace

int TextWidth(const view::LineLayout& layout, std::string_view text) {
    Chars c(layout, text);
    const int tab = layout.tabWidth();
    int col = 0;
    for (size_t i = 0; i < text.size();) {
        const size_t len = c.Len(i);
        if (len > 1)
            col += 2;
        else if (text[i] == '\t')
            col = (col / tab + 1) * tab;
        else
            col += 1;
        i += len;
    }
    return col;
}

bool IsBulletLine(const ParagraphRules& rules, std::string_view line) {
    size_t i = LeadingBlanks(line);
    if (i >= line.size()) return false;
    Chars c(*rules.layout, line);
    size_t len = c.Len(i);
    uint16_t code = c.Code(i, len);
    return len > 1 ? rules.dbcsTitle.Contains(code) : rules.ankTitle.Contains(code);
}

bool EndsParagraph(const ParagraphRules& rules, std::string_view line) {
    return line.empty() || IsBulletLine(rules, line);
}

std::string AlignLine(const view::LineLayout& layout, std::string_view line, Alignment how) {
    std::string rest(line.substr(LeadingBlanks(line)));
    if (how == Alignment::kLeft) return rest;
    const int w = layout.wrapColumn();
    const int l = TextWidth(layout, rest);
    if (!(1 < l + 1 && l + 1 < w)) return rest;
    const int n = how == Alignment::kCenter ? (w - (l + 1)) / 2 : w - (l + 1);
    return std::string(static_cast<size_t>(n), ' ') + rest;
}

size_t UnindentLength(const view::LineLayout& layout, std::string_view line) {
    const size_t limit = static_cast<size_t>(layout.tabWidth());
    size_t i = 0;
    while (i < line.size() && i < limit && IsBlank(line[i])) {
        if (line[i++] == '\t') break;
    }
    return i;
}

std::vector<std::string> DeformatLines(const view::LineLayout& layout,
                                       const std::vector<std::string_view>& lines,
                                       const std::function<bool()>& stop, size_t* linesUsed,
                                       size_t pollLines) {
    std::vector<std::string> out;
    if (linesUsed) *linesUsed = lines.size();
    if (lines.empty()) return out;
    std::string cur(lines[0]);
    auto lastIsDbcs = [&](std::string_view s) {
        Chars c(layout, s);
        size_t last = c.Last();
        return last < s.size() && c.Len(last) > 1;
    };
    bool lastCopiedDbcs = lastIsDbcs(cur);
    // Nothing written since the last line end that was kept.
    bool afterLineEnd = false;
    for (size_t i = 1; i < lines.size(); ++i) {
        if (stop && pollLines && i % pollLines == 0 && stop()) {
            if (linesUsed) *linesUsed = i;
            break;
        }
        const std::string_view prev = lines[i - 1];
        const std::string_view next = lines[i];
        std::string_view rest = next.substr(LeadingBlanks(next));
        if (prev.empty() || next.empty()) {
            // A line end next to an empty line is a paragraph break and stays.
            out.push_back(std::move(cur));
            cur.clear();
            afterLineEnd = true;
        } else {
            Chars c(layout, rest);
            bool nextDbcs = !rest.empty() && c.Len(0) > 1;
            if (!nextDbcs && !lastCopiedDbcs && !afterLineEnd) cur.push_back(' ');
        }
        if (!rest.empty()) {
            cur.append(rest);
            lastCopiedDbcs = lastIsDbcs(rest);
            afterLineEnd = false;
        }
    }
    out.push_back(std::move(cur));
    return out;
}

std::vector<std::string> DeformatLines(const view::LineLayout& layout,
                                       const std::vector<std::string>& lines,
                                       const std::function<bool()>& stop, size_t* linesUsed,
                                       size_t pollLines) {
    return DeformatLines(layout, std::vector<std::string_view>(lines.begin(), lines.end()), stop,
                         linesUsed, pollLines);
}

std::string JoinParagraph(const view::LineLayout& layout, const std::vector<std::string>& lines) {
    std::string out;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i == 0) {
            out = lines[0];
            continue;
        }
        std::string_view rest = std::string_view(lines[i]).substr(LeadingBlanks(lines[i]));
        if (rest.empty()) continue;
        Chars c(layout, rest);
        if (c.Len(0) == 1 && static_cast<uint8_t>(rest[0]) >= '!' &&
            (out.empty() || out.back() != ' '))
            out.push_back(' ');
        out.append(rest);
    }
    return out;
}

std::string ContinuationIndent(const ParagraphRules& rules, std::string_view line) {
    const view::LineLayout& layout = *rules.layout;
    size_t i = LeadingBlanks(line);
    std::string out(line.substr(0, i));
    int col = TextWidth(layout, out);
    if (rules.autoIndent) {
        // A run of two spaces, or a tab, before any single space: the text after it is where
        // the following rows start.
        Chars c(layout, line);
        size_t b = i;
        while (b < line.size() && !IsBlank(line[b])) b += c.Len(b);
        size_t e = b;
        while (e < line.size() && IsBlank(line[e])) ++e;
        // The run counts when text follows it.
        if (e < line.size() && (line[b] == '\t' || e - b >= 2)) {
            col = TextWidth(layout, line.substr(0, e));
            i = e;
        }
    }
    if (i < line.size()) {
        Chars c(layout, line);
        size_t len = c.Len(i);
        uint16_t code = c.Code(i, len);
        bool bullet = false;
        if (len > 1 && rules.dbcsTitle.Contains(code)) {
            col += 2;
            bullet = true;
        } else if (len == 1 && rules.ankTitle.Contains(code) && i + 1 < line.size() &&
                   IsBlank(line[i + 1])) {
            col += 1;
            bullet = true;
        }
        if (bullet) {
            i += len;
            view::LineText t(line, "\n");
            while (i < line.size() && IsBlank(line[i])) col = layout.Advance(t, i++, 1, col);
        }
    }
    if (col * 2 >= layout.wrapColumn()) return {};
    const int have = TextWidth(layout, out);
    if (col > have) out.append(static_cast<size_t>(col - have), ' ');
    return out;
}

namespace {

struct Char {
    const char* bytes;
    size_t len;
    uint16_t code;
    bool dbcs;
    bool blank;  // space or tab
    bool oida;
    bool bura;
};

// Writes the rows of the formatted text, one character at a time.
class RowWriter {
  public:
    explicit RowWriter(const ParagraphRules& rules)
        : rules_(rules),
          layout_(*rules.layout),
          w_(layout_.wrapColumn()),
          ankMargin_(rules.automatic ? w_ : w_ - 2) {
        for (unsigned b = 0; b < 0x100; ++b)
            single_[b] = static_cast<uint8_t>(
                (layout_.oida().Contains(static_cast<uint16_t>(b)) ? kOida : 0) |
                (layout_.bura().Contains(static_cast<uint16_t>(b)) ? kBura : 0));
    }

    std::vector<FormattedRow>& rows() { return rows_; }

    Char Describe(const Chars& c, const char* base, size_t i) const {
        const size_t len = c.Len(i);
        if (len == 1) {
            // Single bytes, most of the text, from the table.
            const auto b = static_cast<uint8_t>(base[i]);
            return Char{base + i,
                        1,
                        b,
                        false,
                        IsBlank(base[i]),
                        (single_[b] & kOida) != 0,
                        (single_[b] & kBura) != 0};
        }
        uint16_t code = c.Code(i, len);
        Char ch{base + i,
                len,
                code,
                len > 1,
                len == 1 && IsBlank(base[i]),
                layout_.oida().Contains(code),
                layout_.bura().Contains(code)};
        return ch;
    }

    // A paragraph begins with this line: its leading blanks are copied as they are. `head` is
    // the start of the paragraph's text as the rows join it, which sets the indentation.
    void StartParagraph(std::string_view line, std::string_view head) {
        indent_ = ContinuationIndent(rules_, head);
        indentCols_ = TextWidth(layout_, indent_);
        size_t lead = LeadingBlanks(line);
        cur_.assign(line.substr(0, lead));
        col_ = TextWidth(layout_, cur_);
        textStart_ = cur_.size();
        chars_.clear();
        dbcsInRow_ = 0;
        dropBlanks_ = false;
        PutText(line.substr(lead));
    }

    // The line end before `line` inside a paragraph.
    void JoinLine(std::string_view line) {
        std::string_view rest = line.substr(LeadingBlanks(line));
        if (rest.empty()) return;
        Chars c(layout_, rest);
        if (!chars_.empty() && c.Len(0) == 1) {
            const Spot& last = chars_.back();
            if (!last.dbcs && !last.blank) {
                static const char kSpace = ' ';
                Place(Char{&kSpace, 1, ' ', false, true, layout_.oida().Contains(' '),
                           layout_.bura().Contains(' ')});
            }
        }
        PutText(rest);
    }

    void EndParagraph(bool continued) { PushRow(continued); }
    void EmptyRow() { rows_.push_back({std::string(), false}); }

  private:
    struct Spot {
        size_t off;
        uint8_t len;
        bool dbcs, blank, oida, bura, period;
    };

    void PutText(std::string_view s) {
        Chars c(layout_, s);
        for (size_t i = 0; i < s.size();) {
            Char ch = Describe(c, s.data(), i);
            Place(ch);
            i += ch.len;
        }
    }

    bool RowEmpty() const { return chars_.empty(); }

    void Append(const Char& ch) {
        chars_.push_back(Spot{cur_.size(), static_cast<uint8_t>(ch.len), ch.dbcs, ch.blank, ch.oida,
                              ch.bura, ch.len == 1 && ch.bytes[0] == '.'});
        if (ch.dbcs) ++dbcsInRow_;
        if (ch.len == 1)
            cur_.push_back(*ch.bytes);
        else
            cur_.append(ch.bytes, ch.len);
        if (ch.dbcs)
            col_ += 2;
        else if (ch.bytes[0] == '\t')
            col_ = (col_ / layout_.tabWidth() + 1) * layout_.tabWidth();
        else
            col_ += 1;
    }

    void Place(const Char& ch) {
        for (;;) {
            if (dropBlanks_) {
                if (ch.blank) return;
                dropBlanks_ = false;
            }
            if (ch.dbcs) {
                if (col_ < w_ - 3 || (!ch.oida && col_ < w_ - 1) ||
                    (ch.bura && cur_.size() + ch.len <= kMaxLineContent) || RowEmpty()) {
                    Append(ch);
                    return;
                }
                // Opening characters at the end of the row go down with this one.
                size_t k = chars_.size();
                while (k > 0 && chars_[k - 1].oida && !chars_[k - 1].blank) --k;
                if (k > 0 && k < chars_.size())
                    MoveTail(chars_[k].off);
                else
                    NewRow();
                continue;
            }
            // An opening character near the margin starts the next row, as automatic splitting
            // does when it is typed there.
            if (rules_.automatic && ch.oida && col_ >= w_ - 2 && !RowEmpty()) {
                if (!BreakBack()) NewRow();
                Append(ch);
                return;
            }
            // Column W - 2 is the margin of a single-byte character as W - 1 is.
            if (col_ < ankMargin_ || RowEmpty()) {
                Append(ch);
                return;
            }
            if ((ch.blank && ch.bytes[0] == ' ') || ch.bura) {
                Append(ch);  // hangs beyond the margin
                return;
            }
            if (ch.blank) {
                NewRow();
                dropBlanks_ = true;
                return;
            }
            if (!BreakBack()) NewRow();
        }
    }

    void PushRow(bool continued) {
        rows_.push_back({std::move(cur_), continued});
        cur_.clear();
        chars_.clear();
        dbcsInRow_ = 0;
    }

    void NewRow() {
        PushRow(true);
        // Room for a row of single-byte characters, and those hanging beyond the margin.
        cur_.reserve(indent_.size() + 2 * static_cast<size_t>(w_) + 16);
        cur_ = indent_;
        col_ = indentCols_;
        textStart_ = cur_.size();
    }

    // A word reached the margin: the row is broken at its last break opportunity and the
    // partial word moves to a new row. False when the row offers none.
    bool BreakBack() {
        // Break opportunities lie further right the later they come in the row: the last one of
        // each kind is found walking back from the end.
        size_t best = std::string::npos;
        const size_t n = chars_.size();
        for (size_t e = n; e > 0;) {
            while (e > 0 && !chars_[e - 1].blank) --e;
            if (e == 0) break;
            size_t k = e;
            while (k > 0 && chars_[k - 1].blank) --k;
            // The run of blanks [k, e). Never after an opening character nor before a closing
            // one.
            if (k > 0 && !chars_[k - 1].oida && !(e < n && chars_[e].bura)) {
                // A single space between single-byte words goes with the break: joining the
                // rows again puts it back. Every other run stays at the end of the row, so that
                // a sentence end keeps its blanks and formatting again finds the same text.
                bool single = e == k + 1 && cur_[chars_[k].off] == ' ';
                bool keep = !single || chars_[k - 1].period || chars_[k - 1].dbcs ||
                            (e < n && chars_[e].dbcs);
                best = keep ? (e < n ? chars_[e].off : cur_.size()) : chars_[k].off;
                break;
            }
            e = k;
        }
        // Between two characters of which one is double-byte, unless the first pushes to the
        // next row or the second hangs; the incoming character never hangs here.
        for (size_t k = dbcsInRow_ ? n : 0; k >= 1; --k) {
            const Spot& a = chars_[k - 1];
            if (a.blank || a.oida) continue;
            size_t at;
            if (k < n) {
                const Spot& b = chars_[k];
                if (b.blank || b.bura || !(a.dbcs || b.dbcs)) continue;
                at = b.off;
            } else if (a.dbcs) {
                at = cur_.size();
            } else {
                continue;
            }
            best = best == std::string::npos ? at : std::max(best, at);
            break;
        }
        if (best == std::string::npos || best <= textStart_) return false;
        MoveTail(best);
        return true;
    }

    // Breaks the row at byte `at`: what follows goes to a new row, its leading blanks dropped.
    void MoveTail(size_t at) {
        std::string moved = cur_.substr(at);
        cur_.resize(at);
        NewRow();
        std::string_view rest = std::string_view(moved).substr(LeadingBlanks(moved));
        Chars c(layout_, rest);
        for (size_t i = 0; i < rest.size();) {
            Char ch = Describe(c, rest.data(), i);
            Append(ch);
            i += ch.len;
        }
    }

    static constexpr uint8_t kOida = 1, kBura = 2;

    const ParagraphRules& rules_;
    const view::LineLayout& layout_;
    const int w_;
    const int ankMargin_;
    std::array<uint8_t, 0x100> single_{};  // kOida, kBura of each single byte
    std::vector<FormattedRow> rows_;
    std::string indent_;
    int indentCols_ = 0;
    std::string cur_;
    int col_ = 0;
    size_t textStart_ = 0;
    std::vector<Spot> chars_;  // the row's characters after its indentation
    size_t dbcsInRow_ = 0;     // how many of them are double-byte
    bool dropBlanks_ = false;
};

// The start of the paragraph that begins at line `first`, its lines joined as the formatter
// joins them, long enough to hold whatever sets its continuation indentation (which is never
// wider than W/2): formatting the rows again finds the same indentation.
std::string ParagraphHead(const view::LineLayout& layout,
                          const std::vector<std::string_view>& lines, size_t first) {
    std::string head(lines[first]);
    const size_t enough = LeadingBlanks(head) + 8 * static_cast<size_t>(layout.wrapColumn()) + 16;
    for (size_t i = first + 1; i < lines.size() && head.size() < enough; ++i) {
        if (lines[i].empty()) break;
        std::string_view rest = lines[i].substr(LeadingBlanks(lines[i]));
        if (rest.empty()) continue;
        Chars h(layout, head);
        size_t last = h.Last();
        if (last < head.size() && h.Len(last) == 1 && !IsBlank(head[last]) &&
            Chars(layout, rest).Len(0) == 1)
            head.push_back(' ');
        head.append(rest);
    }
    return head;
}

}  // namespace

FormatOutput FormatLines(const ParagraphRules& rules, const std::vector<std::string_view>& lines,
                         size_t caretLine, size_t caretPos, const std::function<bool()>& stop,
                         size_t pollLines) {
    const view::LineLayout& layout = *rules.layout;
    FormatOutput result;
    RowWriter w(rules);
    {
        // About as many rows as the text fills at the margin.
        size_t bytes = 0;
        for (const std::string_view line : lines) bytes += line.size();
        w.rows().reserve(bytes / static_cast<size_t>(std::max(8, layout.wrapColumn() - 2)) +
                         lines.size() / 4 + 1);
    }
    bool inParagraph = false;
    bool inEmptyRun = false;
    size_t caretEmptyRow = std::string::npos;
    size_t used = lines.size();
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i > 0 && stop && pollLines && i % pollLines == 0 && stop()) {
            used = i;
            break;
        }
        const std::string_view line = lines[i];
        if (line.empty()) {
            if (inParagraph) w.EndParagraph(false);
            inParagraph = false;
            if (!inEmptyRun) w.EmptyRow();
            inEmptyRun = true;
            if (i == caretLine) caretEmptyRow = w.rows().size() - 1;
            continue;
        }
        inEmptyRun = false;
        if (!inParagraph) {
            w.StartParagraph(line, ParagraphHead(layout, lines, i));
            inParagraph = true;
        } else {
            w.JoinLine(line);
        }
    }
    if (inParagraph) w.EndParagraph(used < lines.size() && !lines[used].empty());
    result.rows = std::move(w.rows());
    result.linesUsed = used;

    // The caret follows the non-blank bytes before it, then the blanks just before it.
    if (caretEmptyRow != std::string::npos) {
        result.caretRow = caretEmptyRow;
        return result;
    }
    size_t nonBlank = 0, blanks = 0;
    for (size_t i = 0; i < lines.size() && i <= caretLine && i < used; ++i) {
        const std::string_view line = lines[i];
        if (i != caretLine) {
            nonBlank += NonBlanks(line);
            continue;
        }
        size_t end = std::min(caretPos, line.size());
        for (size_t k = 0; k < end; ++k) {
            if (IsBlank(line[k])) {
                ++blanks;
            } else {
                ++nonBlank;
                blanks = 0;
            }
        }
    }
    size_t seen = 0;
    for (size_t r = 0; r < result.rows.size(); ++r) {
        const std::string& t = result.rows[r].text;
        size_t k = 0;
        if (nonBlank > 0) {
            // Rows wholly before the caret's byte are counted, not walked.
            const size_t here = NonBlanks(t);
            if (seen + here < nonBlank) {
                seen += here;
                continue;
            }
        }
        if (nonBlank == 0) {
            size_t lead = LeadingBlanks(t);
            if (lead == t.size() && r + 1 < result.rows.size() && !t.empty()) continue;
            result.caretRow = r;
            result.caretPos = std::min(blanks, lead);
            return result;
        }
        for (; k < t.size(); ++k) {
            if (IsBlank(t[k])) continue;
            if (++seen == nonBlank) {
                size_t q = k + 1;
                size_t b = 0;
                while (q < t.size() && b < blanks && IsBlank(t[q])) ++q, ++b;
                if (b < blanks && q == t.size() && r + 1 < result.rows.size() &&
                    !result.rows[r + 1].text.empty()) {
                    // The blank went with a break: the caret stands where the text after it
                    // begins, so that what is typed next stays apart from the word before.
                    result.caretRow = r + 1;
                    result.caretPos = LeadingBlanks(result.rows[r + 1].text);
                    return result;
                }
                result.caretRow = r;
                result.caretPos = q;
                return result;
            }
        }
    }
    if (!result.rows.empty()) {
        result.caretRow = result.rows.size() - 1;
        result.caretPos = result.rows.back().text.size();
    }
    return result;
}

FormatOutput FormatLines(const ParagraphRules& rules, const std::vector<std::string>& lines,
                         size_t caretLine, size_t caretPos, const std::function<bool()>& stop,
                         size_t pollLines) {
    return FormatLines(rules, std::vector<std::string_view>(lines.begin(), lines.end()), caretLine,
                       caretPos, stop, pollLines);
}

}  // namespace norv::editing
