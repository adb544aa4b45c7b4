// The rows of a printed line, on random bytes as a Shift-JIS or UTF-8 line at a random width
// from 2 to 300: the rows always advance, every character of the line is printed exactly once
// (tabs and control bytes as blanks), and no row is wider than W but for one hanging character.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "view/print_layout.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3) return 0;
    const int cells = 2 + (data[0] | (data[1] & 1) << 8) % 299;
    norv::view::LayoutOptions options;
    options.codePage = (data[1] & 2) ? 65001 : 932;
    options.noWordWrap = (data[1] & 4) != 0;
    options.tabWidth = 1 + (data[1] >> 3) % 16;
    options.wrapColumn = (data[1] & 0x80) ? cells : 2 + data[2] % (cells - 1);
    std::string line;
    for (size_t i = 3; i < size; ++i)
        if (data[i] != '\n') line.push_back(static_cast<char>(data[i]));
    line.push_back('\n');
    const norv::view::LineText text(line);
    const norv::view::PrintRowBuilder builder(options, cells);

    std::vector<uint32_t> offsets;
    builder.RowOffsets(text, offsets);
    if (offsets.empty() || offsets[0] != 0) std::abort();
    size_t printed = 0;  // characters other than tabs and control bytes
    for (size_t r = 0; r < offsets.size(); ++r) {
        if (r > 0 && offsets[r] <= offsets[r - 1]) std::abort();  // always progress
        const norv::view::PrintRow row = builder.BuildRow(text, offsets[r], 1, false);
        for (size_t g = 0; g < row.glyphs.size(); ++g) {
            const norv::view::PrintGlyph& glyph = row.glyphs[g];
            const bool last = g + 1 == row.glyphs.size();
            if (glyph.column + glyph.cells > cells && !last) std::abort();
            if (glyph.column > cells + 1) std::abort();
            if (row.GlyphText(g) != " ") ++printed;
        }
    }
    // Count the line's characters by the same character model.
    size_t characters = 0;
    const norv::view::LineLayout& layout = builder.layout();
    for (size_t i = 0; i < text.end();) {
        const size_t len = layout.CharLen(text, i);
        if (len == 0) std::abort();
        const uint8_t b = text[i];
        if (!(len == 1 && (b < 0x20 || b == ' '))) ++characters;
        i += len;
    }
    if (printed != characters) std::abort();
    return 0;
}
