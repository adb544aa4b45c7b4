// Line layout: where a line is cut into display rows, and how a display column maps to a byte.
//
// Everything is counted in cells of a fixed-pitch grid: a tab advances to the next multiple of
// the tab width (counted from the start of its row), every multi-byte character takes two cells,
// every other byte one. A row ends when it reaches the wrap column W; unless word wrap is off the
// cut is then moved to a break opportunity (blanks, commas, the Japanese line-breaking sets).
// Every row takes at least one character, so no wrap column can make the layout stand still.
// The same walk works on a record's text and on the line edit buffer (two spans around a gap).
#pragma once

#include <bitset>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "document/line_edit_buffer.h"
#include "document/line_record.h"

namespace norv::view {

// The text of one line, in one or two spans; the last byte is the line feed.
class LineText {
  public:
    LineText() = default;
    explicit LineText(const document::LineRecord* r) : a_(r->text()), na_(r->length) {}
    explicit LineText(const document::LineEditBuffer& b)
        : a_(b.Before().data()),
          na_(b.Before().size()),
          b_(b.After().data()),
          nb_(b.After().size()) {}
    LineText(std::string_view a, std::string_view b = {})
        : a_(a.data()), na_(a.size()), b_(b.data()), nb_(b.size()) {}

    size_t size() const { return na_ + nb_; }
    // Offset of the line feed (the end of the line's content).
    size_t end() const { return size() - 1; }
    uint8_t operator[](size_t i) const {
        return static_cast<uint8_t>(i < na_ ? a_[i] : b_[i - na_]);
    }
    // The bytes [from, to) as one string.
    std::string Slice(size_t from, size_t to) const;
    // How many of the bytes [0, to) are `b`.
    size_t Count(char b, size_t to) const;
    // The bytes [from, to) as they lie, in at most two pieces (none when empty).
    template <typename Take>
    void ForSlice(size_t from, size_t to, Take&& take) const {
        if (to > size()) to = size();
        if (from >= to) return;
        if (from < na_) take(std::string_view(a_ + from, std::min(to, na_) - from));
        if (to > na_) {
            const size_t f = from > na_ ? from - na_ : 0;
            take(std::string_view(b_ + f, to - na_ - f));
        }
    }
    std::string Content() const { return Slice(0, end()); }

  private:
    const char* a_ = nullptr;
    size_t na_ = 0;
    const char* b_ = nullptr;
    size_t nb_ = 0;
};

// The single-byte and double-byte defaults of the line-breaking sets. The double-byte sets hold
// only a space by default, which no double-byte character matches: they are empty.
inline constexpr std::string_view kDefaultAnkOida = "([{";
inline constexpr std::string_view kDefaultAnkBura = ")]},.";
inline constexpr std::string_view kDefaultDbcsSet = " ";

struct LayoutOptions {
    int wrapColumn = 80;      // W, at least 1
    int tabWidth = 8;         // T
    bool noWordWrap = false;  // cut only at the column, no line-breaking sets
    int codePage = 932;       // the character model (65000/65001: UTF-8)
    // Line-breaking sets as Shift-JIS text; empty means the default.
    std::string ankOida;  // pushed to the next row instead of ending a row
    std::string ankBura;  // may hang beyond the wrap column
    std::string dbcsOida;
    std::string dbcsBura;
};

// A set of characters: single bytes and double-byte codes (lead << 8 | trail, Shift-JIS).
class CharSet {
  public:
    CharSet() = default;
    // Single bytes of `ank` and double-byte characters of `dbcs` (its single bytes ignored).
    CharSet(std::string_view ank, std::string_view dbcs);
    bool Contains(uint16_t code) const;

  private:
    std::bitset<256> ank_;
    std::vector<uint16_t> dbcs_;
};

// The code of the character of `len` bytes at offset i, as the character sets and word classes
// see it: a single byte is itself; a Shift-JIS pair is lead << 8 | trail; a UTF-8 character is
// turned into its Shift-JIS code (0xFFFF when code page 932 lacks it).
uint16_t CharCode(int codePage, const LineText& t, size_t i, size_t len);

class LineLayout {
  public:
    explicit LineLayout(const LayoutOptions& options = {});

    const LayoutOptions& options() const { return options_; }
    int wrapColumn() const { return wrap_; }
    int tabWidth() const { return tab_; }
    int codePage() const { return options_.codePage; }
    const CharSet& oida() const { return oida_; }
    const CharSet& bura() const { return bura_; }

    // The length of the character at i (never running past the line feed).
    size_t CharLen(const LineText& t, size_t i) const;
    // The start of the character before i (walking forward from `from`, a known character start).
    size_t PrevChar(const LineText& t, size_t i, size_t from = 0) const;
    // The column after the character at i of length len, standing at column col.
    int Advance(const LineText& t, size_t i, size_t len, int col) const;

    // The start of the row after the one starting at rowStart, or none when the line ends in it.
    std::optional<size_t> NextRowStart(const LineText& t, size_t rowStart) const;
    // 1 + the number of successful NextRowStart steps from the line start.
    int32_t RowCount(const LineText& t) const;
    // True when the line is one row whatever its characters are (it is too short to reach the
    // wrap column); false says nothing.
    bool FitsOneRow(const LineText& t) const;
    // The column reached at the end of the row. A row that ends at the line feed counts the
    // line feed's cell, so the caret can stand behind the last character.
    int RowWidth(const LineText& t, size_t rowStart) const;
    // The end of the row starting at rowStart: the next row's start or the line feed.
    size_t RowEnd(const LineText& t, size_t rowStart) const;

    struct Position {
        size_t pos;
        int column;
    };
    // The byte position in the row for a target column, and the column reached there.
    Position ColumnToPosition(const LineText& t, size_t rowStart, int column) const;
    // The column of byte position pos, counted from the start of its row.
    int ColumnOf(const LineText& t, size_t rowStart, size_t pos) const;

    // The row holding byte position pos (a position on a row boundary belongs to the later row):
    // its start and its index in the line.
    struct Row {
        size_t start;
        int32_t index;
    };
    Row RowOf(const LineText& t, size_t pos) const;
    // The start of row `index` of the line (the last row when there are fewer).
    size_t RowStartAt(const LineText& t, int32_t index) const;

  private:
    bool IsBura(const LineText& t, size_t i, size_t len) const;
    bool IsOida(const LineText& t, size_t i, size_t len) const;
    size_t AdjustCut(const LineText& t, size_t rowStart, size_t cut) const;

    LayoutOptions options_;
    int wrap_;
    int tab_;
    CharSet oida_;
    CharSet bura_;
};

}  // namespace norv::view
