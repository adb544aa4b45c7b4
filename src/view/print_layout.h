// The arithmetic of printed pages, without any device: how the margins, the font and the
// settings become the print columns, the rows per page and the places of header, footer, line
// numbers and text columns; and how a line becomes fixed-width print rows.
//
// Rows are cut as on screen (the same LineLayout walk, with the print wrap column), so a page
// shows what the view would show at that width. Each row is built as text of W cells: a tab is
// spaces to the next stop (never past W), CR and other bytes below 0x20 are spaces, a two-cell
// character never takes the last cell alone (the layout moves it to the next row); only a
// hanging closing character may stand past W, in the two spare columns the page keeps for it.
// Every page holds at least one row of at least two columns, whatever the margins and font.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "view/line_layout.h"

namespace norv::view {

// The print keys of the settings, as read at the start of a job.
struct PrintSettings {
    std::string header = "&n";  // templates, UTF-8
    std::string footer = "- &p -";
    int headAlign = 2;  // 0 left, 1 centre, 2 right; any other value counts as 0
    int footAlign = 1;
    bool packPrint = false;                           // two text columns on each page
    bool printLine = false;                           // line numbers
    int top = 15, bottom = 15, left = 10, right = 5;  // millimetres
    int spacing = 0;                                  // extra row space in screen pixels
};

// What the front end measured on the device, in device units.
struct PrintDevice {
    int pageWidth = 0, pageHeight = 0;  // the page the painter covers
    int widthMm = 0, heightMm = 0;      // its size in millimetres
    int fontHeight = 0;                 // of the print font
    int averageWidth = 0;               // one half-width cell of the print font
    bool proportional = false;          // the print font is not fixed-pitch
    double resolutionScale = 1.0;       // device resolution / screen resolution
};

struct PageGeometry {
    int unitsPerMmX = 1, unitsPerMmY = 1;
    int marginLeft = 0, marginRight = 0, marginTop = 0, marginBottom = 0;
    int numberWidth = 0;    // the line-number margin before each text column (0 without)
    int columnSpan = 0;     // from one text column's left margin to the next one's
    int columnWidth = 0;    // room of one text column
    int columns = 2;        // W, the print columns of a row
    int rowHeight = 1;      // font height + scaled spacing
    int rowsPerColumn = 1;  // rows of one text column on a page
    int textColumns = 1;    // 2 with PackPrint
    int textTop = 0;        // top of the first row
    int headerTop = 0;      // top of the header row
    int footerTop = 0;      // top of the footer row
    bool header = false, footer = false;

    int RowsPerPage() const { return rowsPerColumn * textColumns; }
    // Left edge of text column c (0 or 1) and of its line numbers.
    int TextLeft(int c) const { return marginLeft + c * columnSpan + numberWidth; }
    int NumberLeft(int c) const { return marginLeft + c * columnSpan; }
};

PageGeometry ComputePageGeometry(const PrintSettings& settings, const PrintDevice& device);

// The wrap column of the job: the print columns when they are fewer than the view's wrap
// column or when the file type does not wrap, else the view's.
int PrintWrapColumn(int printColumns, int viewWrapColumn, bool typeHasNoWrap);

// The horizontal place of a header or footer of `width` units.
int AlignedLeft(const PageGeometry& g, int pageWidth, int averageWidth, int align, int width);

// A character of a printed row: where its UTF-8 bytes begin in the row's text, its column and
// the cells it takes (1 or 2).
struct PrintGlyph {
    uint32_t begin;
    uint16_t column;
    uint8_t cells;
};

// One printed row: its text (UTF-8) and its characters on the grid, so the front end can place
// every character in its cells.
struct PrintRow {
    int32_t line = 0;         // 1-based line number of the printed text
    bool firstOfLine = true;  // carries "%6d:" (else "      :") with line numbers
    bool bold = false;        // the line is bookmarked
    std::string text;         // UTF-8, trailing blanks left out
    std::vector<PrintGlyph> glyphs;
    int width = 0;  // cells used

    // The bytes of glyph i.
    std::string_view GlyphText(size_t i) const {
        size_t end = i + 1 < glyphs.size() ? glyphs[i + 1].begin : text.size();
        return std::string_view(text).substr(glyphs[i].begin, end - glyphs[i].begin);
    }
};

// "%6d:" or "      :".
std::string LineNumberText(const PrintRow& row);

class PrintRowBuilder {
  public:
    // `layout` carries the print wrap column, the tab width, the word-wrap rule, the
    // line-breaking sets and the code page (65001 for the Unicode family); `cells` is W.
    PrintRowBuilder(const LayoutOptions& layout, int cells);

    const LineLayout& layout() const { return layout_; }
    int cells() const { return cells_; }

    // The byte offsets where the rows of a line begin (at least one).
    void RowOffsets(const LineText& t, std::vector<uint32_t>& out) const;
    // The row of `t` that begins at `offset`.
    PrintRow BuildRow(const LineText& t, uint32_t offset, int32_t line, bool bold) const;

  private:
    LineLayout layout_;
    int cells_;
};

}  // namespace norv::view
