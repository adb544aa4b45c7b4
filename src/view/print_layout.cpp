#include "view/print_layout.h"

#include <algorithm>
#include <cstdio>

#include "platform/code_page.h"

namespace norv::view {

namespace {

// The line-number margin: seven average widths (and seven units more for a proportional font)
// and twelve units.
int NumberMargin(const PrintSettings& s, const PrintDevice& d) {
    if (!s.printLine) return 0;
    return 7 * d.averageWidth + (d.proportional ? 7 : 0) + 12;
}

// One whole UTF-8 character (a stray byte of a broken sequence prints as U+FFFD).
bool IsWholeUtf8(std::string_view s) {
    if (s.empty()) return false;
    const auto b0 = static_cast<unsigned char>(s[0]);
    size_t need = b0 < 0x80             ? 1
                  : (b0 & 0xE0) == 0xC0 ? 2
                  : (b0 & 0xF0) == 0xE0 ? 3
                  : (b0 & 0xF8) == 0xF0 ? 4
                                        : 0;
    if (need == 0 || need != s.size()) return false;
    for (size_t i = 1; i < need; ++i)
        if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) return false;
    return true;
}

}  // namespace

PageGeometry ComputePageGeometry(const PrintSettings& s, const PrintDevice& d) {
    PageGeometry g;
    g.unitsPerMmX = std::max(1, d.widthMm > 0 ? d.pageWidth / d.widthMm : 1);
    g.unitsPerMmY = std::max(1, d.heightMm > 0 ? d.pageHeight / d.heightMm : 1);
    g.marginLeft = std::max(0, s.left) * g.unitsPerMmX;
    g.marginRight = std::max(0, s.right) * g.unitsPerMmX;
    g.marginTop = std::max(0, s.top) * g.unitsPerMmY;
    g.marginBottom = std::max(0, s.bottom) * g.unitsPerMmY;
    g.numberWidth = NumberMargin(s, d);
    g.textColumns = s.packPrint ? 2 : 1;
    const int average = std::max(1, d.averageWidth);

    // Each text column has its own left margin (and line numbers); the right margin is once.
    const int ownMargin = g.marginLeft + g.numberWidth;
    const int usable = d.pageWidth - g.marginRight - ownMargin * g.textColumns;
    g.columnWidth = std::max(0, usable / g.textColumns);
    g.columnSpan = g.columnWidth + ownMargin;
    g.columns = std::max(2, g.columnWidth / average - 2);

    g.rowHeight = std::max(
        1, d.fontHeight + static_cast<int>(static_cast<double>(s.spacing) * d.resolutionScale));
    g.header = !s.header.empty();
    g.footer = !s.footer.empty();
    g.headerTop = g.marginTop;
    g.textTop = g.marginTop + (g.header ? g.rowHeight : 0);
    // The bottom margin less one row, and one more row for the footer.
    const int bottomLimit =
        d.pageHeight - g.marginBottom - g.rowHeight - (g.footer ? g.rowHeight : 0);
    g.rowsPerColumn = std::max(1, (bottomLimit - g.textTop) / g.rowHeight);
    g.footerTop = std::max(g.textTop + g.rowsPerColumn * g.rowHeight,
                           d.pageHeight - g.marginBottom - g.rowHeight);
    return g;
}

int PrintWrapColumn(int printColumns, int viewWrapColumn, bool typeHasNoWrap) {
    if (typeHasNoWrap || printColumns < viewWrapColumn) return printColumns;
    return viewWrapColumn;
}

int AlignedLeft(const PageGeometry& g, int pageWidth, int averageWidth, int align, int width) {
    const int right = pageWidth - g.marginRight;
    switch (align) {
        case 1:
            return g.marginLeft + (right - g.marginLeft - width) / 2;
        case 2:
            return right - averageWidth - width;
        default:
            return g.marginLeft;
    }
}

std::string LineNumberText(const PrintRow& row) {
    if (!row.firstOfLine) return "      :";
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%6d:", static_cast<int>(row.line));
    return buffer;
}

PrintRowBuilder::PrintRowBuilder(const LayoutOptions& layout, int cells)
    : layout_(layout), cells_(std::max(2, cells)) {}

void PrintRowBuilder::RowOffsets(const LineText& t, std::vector<uint32_t>& out) const {
    size_t start = 0;
    out.push_back(0);
    while (auto next = layout_.NextRowStart(t, start)) {
        // A row that starts at the line feed (a full last row without word wrap) prints empty,
        // as the view shows it.
        if (*next <= start) break;  // never stands still
        start = *next;
        out.push_back(static_cast<uint32_t>(start));
    }
}

PrintRow PrintRowBuilder::BuildRow(const LineText& t, uint32_t offset, int32_t line,
                                   bool bold) const {
    PrintRow row;
    row.line = line;
    row.firstOfLine = offset == 0;
    row.bold = bold;
    const size_t end = layout_.RowEnd(t, offset);
    const int codePage = layout_.codePage();
    const bool utf8 = codePage == 65001 || codePage == 65000;
    int column = 0;
    int pendingBlanks = 0;  // blanks written only when something follows them
    auto blank = [&](int n) {
        pendingBlanks += n;
        column += n;
    };
    for (size_t i = offset; i < end && i < t.end();) {
        const size_t len = layout_.CharLen(t, i);
        const uint8_t b = t[i];
        if (b == '\t') {
            const int next = layout_.Advance(t, i, len, column);
            blank(std::max(0, std::min(next, cells_) - column));
            i += len;
            continue;
        }
        if (len == 1 && b < 0x20) {
            blank(1);
            ++i;
            continue;
        }
        const int width = len > 1 ? 2 : 1;
        // A character that cannot stand whole inside W stands past it only as the row's
        // hanging end; the layout puts no other there.
        for (int c = column - pendingBlanks; pendingBlanks > 0; --pendingBlanks, ++c) {
            row.glyphs.push_back(
                {static_cast<uint32_t>(row.text.size()), static_cast<uint16_t>(c), 1});
            row.text.push_back(' ');
        }
        const std::string piece = t.Slice(i, i + len);
        const size_t before = row.text.size();
        if (utf8) {
            if (IsWholeUtf8(piece)) row.text += piece;
        } else {
            platform::AppendMultiByteAsUtf8(codePage, piece, row.text);
        }
        if (row.text.size() == before) row.text += "\xEF\xBF\xBD";  // U+FFFD
        row.glyphs.push_back({static_cast<uint32_t>(before), static_cast<uint16_t>(column),
                              static_cast<uint8_t>(width)});
        column += width;
        i += len;
    }
    row.width = column - pendingBlanks;
    return row;
}

}  // namespace norv::view
