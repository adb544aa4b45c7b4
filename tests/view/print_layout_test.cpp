// Printed pages without a device: header and footer templates, the page arithmetic from
// margins and font, and the fixed-width rows.
#include "view/print_layout.h"

#include <gtest/gtest.h>

#include "view/print_template.h"

namespace norv::view {
namespace {

PrintTemplateFields Fields(std::string path, std::string title = "a.txt") {
    PrintTemplateFields f;
    f.path = std::move(path);
    f.title = std::move(title);
    f.time.tm_year = 2026 - 1900;
    f.time.tm_mon = 11;
    f.time.tm_mday = 8;
    f.time.tm_hour = 7;
    f.time.tm_min = 5;
    f.time.tm_sec = 9;
    f.time.tm_wday = 2;
    return f;
}

TEST(PrintTemplate, CodesExpandAsTheirTable) {
    static const struct {
        const char* tmpl;
        const char* path;
        const char* title;
        bool japanese;
        int page;
        const char* want;
    } kCases[] = {
        {"- &p -", "/d/a.txt", "a.txt", false, 3, "- 3 -"},
        {"&&p", "/d/a.txt", "a.txt", false, 3, "&p"},
        {"[&x]", "/d/a.txt", "a.txt", false, 3, "[]"},
        {"&f|&n", "", "Untitled", false, 1, "Untitled|Untitled"},
        {"&f|&n", "/home/u/\xE6\x97\xA5\xE6\x9C\xAC.txt", "x", false, 1,
         "/home/u/\xE6\x97\xA5\xE6\x9C\xAC.txt|\xE6\x97\xA5\xE6\x9C\xAC.txt"},
        {"&w", "/d/a.txt", "a.txt*", false, 1, "a.txt"},
        {"&w", "/d/a.txt", "a.txt <R>", false, 1, "a.txt <R>"},
        {"&d &t", "/d/a.txt", "a", false, 1, "12/08/2026 07:05:09"},
        {"&d &t", "/d/a.txt", "a", true, 1, "2026/12/08 07:05:09"},
        {"&\xE6\x97\xA5x", "/d/a.txt", "a", false, 1, "x"},  // "&" and a whole character
        {"end&", "/d/a.txt", "a", false, 1, "end"},
        {"&p&p&p", "", "", false, 12, "121212"},
    };
    for (const auto& c : kCases) {
        PrintTemplateFields f = Fields(c.path, c.title);
        f.japaneseDates = c.japanese;
        EXPECT_EQ(ExpandPrintTemplate(c.tmpl, f, c.page), c.want) << c.tmpl;
    }
}

TEST(PrintTemplate, LongResultsAreCutAtAWholeCharacter) {
    // 700 three-byte characters: 2100 bytes; the cut falls inside the 683rd.
    std::string tmpl;
    for (int i = 0; i < 700; ++i) tmpl += "\xE3\x81\x82";
    std::string out = ExpandPrintTemplate(tmpl, Fields(""), 1);
    EXPECT_EQ(out.size(), 2046u);
    EXPECT_EQ(out, tmpl.substr(0, 2046));
    // A path of 5000 bytes in "&f".
    std::string path = "/" + std::string(4999, 'p');
    EXPECT_EQ(ExpandPrintTemplate("&f", Fields(path), 1).size(), kMaxPrintTemplateBytes);
}

// A4 at 1200 dots per inch: 9921 x 14031 units, 210 x 297 mm, 47 units per millimetre.
PrintDevice A4(int fontHeight = 225, int average = 100) {
    PrintDevice d;
    d.pageWidth = 9921;
    d.pageHeight = 14031;
    d.widthMm = 210;
    d.heightMm = 297;
    d.fontHeight = fontHeight;
    d.averageWidth = average;
    d.resolutionScale = 12.5;
    return d;
}

TEST(PageGeometry, MarginsFontAndSettingsGiveColumnsAndRows) {
    PrintSettings s;  // the defaults: margins 15 15 10 5, header and footer
    PageGeometry g = ComputePageGeometry(s, A4());
    EXPECT_EQ(g.unitsPerMmX, 47);
    EXPECT_EQ(g.unitsPerMmY, 47);
    EXPECT_EQ(g.marginLeft, 470);
    EXPECT_EQ(g.marginRight, 235);
    // (9921 - 235 - 470) / 100 - 2
    EXPECT_EQ(g.columns, 90);
    EXPECT_EQ(g.rowHeight, 225);
    // Text from 705 + 225; the bottom limit 14031 - 705 - 225 - 225.
    EXPECT_EQ(g.textTop, 930);
    EXPECT_EQ(g.rowsPerColumn, (14031 - 705 - 450 - 930) / 225);
    EXPECT_EQ(g.RowsPerPage(), g.rowsPerColumn);

    // Spacing in screen pixels scaled by the resolution; no header or footer.
    s.spacing = 2;
    s.header.clear();
    s.footer.clear();
    g = ComputePageGeometry(s, A4());
    EXPECT_EQ(g.rowHeight, 250);
    EXPECT_EQ(g.textTop, 705);
    EXPECT_EQ(g.rowsPerColumn, (14031 - 705 - 250 - 705) / 250);

    // Line numbers: 7 widths and 12 units (7 more for a proportional font).
    s = PrintSettings();
    s.printLine = true;
    g = ComputePageGeometry(s, A4());
    EXPECT_EQ(g.numberWidth, 712);
    EXPECT_EQ(g.TextLeft(0), 470 + 712);
    EXPECT_EQ(g.columns, (9921 - 235 - 470 - 712) / 100 - 2);
    PrintDevice proportional = A4();
    proportional.proportional = true;
    EXPECT_EQ(ComputePageGeometry(s, proportional).numberWidth, 719);

    // Two columns: each with its own margin and numbers.
    s.packPrint = true;
    g = ComputePageGeometry(s, A4());
    EXPECT_EQ(g.textColumns, 2);
    EXPECT_EQ(g.RowsPerPage(), 2 * g.rowsPerColumn);
    const int width = (9921 - 235 - 2 * (470 + 712)) / 2;
    EXPECT_EQ(g.columnWidth, width);
    EXPECT_EQ(g.columns, width / 100 - 2);
    EXPECT_EQ(g.TextLeft(1), 470 + width + 470 + 712 + 712);
    EXPECT_EQ(g.NumberLeft(1), 470 + width + 470 + 712);
}

TEST(PageGeometry, NoRoomStillGivesOneRowOfTwoColumns) {
    PrintSettings s;
    s.left = 150;
    s.right = 150;
    s.top = 200;
    s.bottom = 200;
    s.spacing = 100000;
    PageGeometry g = ComputePageGeometry(s, A4());
    EXPECT_EQ(g.columns, 2);
    EXPECT_EQ(g.rowsPerColumn, 1);
    // A device without size or font.
    g = ComputePageGeometry(PrintSettings(), PrintDevice());
    EXPECT_GE(g.columns, 2);
    EXPECT_GE(g.rowsPerColumn, 1);
    EXPECT_GE(g.rowHeight, 1);
}

TEST(PageGeometry, HeaderAndFooterAlignment) {
    PageGeometry g = ComputePageGeometry(PrintSettings(), A4());
    EXPECT_EQ(AlignedLeft(g, 9921, 100, 0, 1000), 470);
    EXPECT_EQ(AlignedLeft(g, 9921, 100, 7, 1000), 470);  // other values count as 0
    EXPECT_EQ(AlignedLeft(g, 9921, 100, 1, 1000), 470 + (9921 - 235 - 470 - 1000) / 2);
    EXPECT_EQ(AlignedLeft(g, 9921, 100, 2, 1000), 9921 - 235 - 100 - 1000);
}

TEST(PrintWrap, FewerPrintColumnsOrNoWrapTakeThePrintColumns) {
    EXPECT_EQ(PrintWrapColumn(90, 80, false), 80);
    EXPECT_EQ(PrintWrapColumn(60, 80, false), 60);
    EXPECT_EQ(PrintWrapColumn(90, 80, true), 90);
}

struct Rows {
    std::vector<std::string> texts;
    std::vector<int> widths;
    std::vector<bool> firsts;
};

Rows Build(std::string_view content, int wrap, int cells, int codePage = 932,
           bool noWordWrap = false, int tab = 8) {
    LayoutOptions o;
    o.wrapColumn = wrap;
    o.tabWidth = tab;
    o.codePage = codePage;
    o.noWordWrap = noWordWrap;
    PrintRowBuilder b(o, cells);
    std::string line(content);
    line.push_back('\n');
    LineText t(line);
    std::vector<uint32_t> offsets;
    b.RowOffsets(t, offsets);
    Rows r;
    for (uint32_t off : offsets) {
        PrintRow row = b.BuildRow(t, off, 7, false);
        r.texts.push_back(row.text);
        r.widths.push_back(row.width);
        r.firsts.push_back(row.firstOfLine);
    }
    return r;
}

TEST(PrintRows, RowsAreFixedWidthTextOfTheirCells) {
    // Tabs to the next stop, control bytes as blanks, trailing blanks left out.
    Rows r = Build("a\tb\rc\x01", 20, 20);
    ASSERT_EQ(r.texts.size(), 1u);
    EXPECT_EQ(r.texts[0], "a       b c");
    EXPECT_EQ(r.widths[0], 11);

    // A double-width character that would take the last column starts the next row.
    r = Build("abcd\x93\xFA\x96\x7B", 5, 5, 932, true);
    ASSERT_EQ(r.texts.size(), 2u);
    EXPECT_EQ(r.texts[0], "abcd");
    EXPECT_EQ(r.widths[0], 4);
    EXPECT_EQ(r.texts[1], "\xE6\x97\xA5\xE6\x9C\xAC");
    EXPECT_TRUE(r.firsts[0]);
    EXPECT_FALSE(r.firsts[1]);

    // A tab never reaches past W.
    r = Build("abcdefghi\tx", 10, 10, 932, true);
    ASSERT_EQ(r.texts.size(), 2u);
    EXPECT_EQ(r.texts[0], "abcdefghi");
    EXPECT_EQ(r.texts[1], "x");
    r = Build("ab\tx", 4, 4, 932, true, 8);
    ASSERT_EQ(r.texts.size(), 2u);
    EXPECT_EQ(r.texts[1], "x");

    // Half-width katakana in Shift-JIS, and UTF-8 characters outside code page 932.
    r = Build("\xB1\xB2", 10, 10);
    EXPECT_EQ(r.texts[0], "\xEF\xBD\xB1\xEF\xBD\xB2");
    r = Build("\xED\x95\x9C\xF0\x9F\x98\x80x", 10, 10, 65001);
    EXPECT_EQ(r.texts[0], "\xED\x95\x9C\xF0\x9F\x98\x80x");
    EXPECT_EQ(r.widths[0], 5);
    // A broken UTF-8 byte prints as U+FFFD.
    r = Build(
        "a\xFF"
        "b",
        10, 10, 65001);
    EXPECT_EQ(r.texts[0],
              "a\xEF\xBF\xBD"
              "b");

    // Word wrap: a closing character hangs past the wrap column.
    r = Build("abcdefghij.", 10, 10);
    ASSERT_EQ(r.texts.size(), 1u);
    EXPECT_EQ(r.widths[0], 11);
}

TEST(PrintRows, LineNumbersOnTheFirstRowOnly) {
    PrintRow row;
    row.line = 42;
    EXPECT_EQ(LineNumberText(row), "    42:");
    row.firstOfLine = false;
    EXPECT_EQ(LineNumberText(row), "      :");
    row.firstOfLine = true;
    row.line = 12345678;
    EXPECT_EQ(LineNumberText(row), "12345678:");
}

}  // namespace
}  // namespace norv::view
