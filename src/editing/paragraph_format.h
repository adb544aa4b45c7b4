// The text side of the paragraph commands: aligning and indenting one line, joining the lines
// of a selection or of a paragraph, and reflowing a paragraph to the wrap width by the Japanese
// line-breaking rules. Everything here works on plain strings of the document's bytes, so the
// view only moves lines in and out and the rules are tested without one.
//
// Characters are walked with the view's character model: a multi-byte character (a Shift-JIS
// pair, or any UTF-8 sequence of two bytes or more) is two columns wide and is what these rules
// call a double-byte character; tabs advance to the next multiple of the tab width. The
// line-breaking and bullet sets match by character code (a UTF-8 character by its Shift-JIS
// code). Texts carry their lengths: a NUL byte is an ordinary character.
//
// The formatter keeps every non-blank byte in order; it only removes line ends and blanks at
// the places where it breaks or joins rows, and puts the continuation indentation in front of
// the rows it starts. Its output formatted again gives the same output.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "view/line_layout.h"

namespace norv::editing {

struct ParagraphRules {
    const view::LineLayout* layout = nullptr;  // W, T, the character model, the breaking sets
    bool autoIndent = true;                    // AutoInd of the file type
    view::CharSet ankTitle;                    // bullets
    view::CharSet dbcsTitle;
    // Automatic formatting runs beside automatic splitting, which lets single-byte text reach
    // W: its margin is W too, so that the two never undo each other's rows. Forced formatting
    // keeps single-byte text before W - 2.
    bool automatic = false;
};

// The longest text a line record holds before its line feed.
inline constexpr size_t kMaxLineContent = 65534;

// The display width of a line's text from column 0.
int TextWidth(const view::LineLayout& layout, std::string_view text);

// Whether the line's first non-blank character is a bullet (a single byte of the ANK set or a
// double-byte character of the DBCS set).
bool IsBulletLine(const ParagraphRules& rules, std::string_view line);
// A paragraph ends before an empty line or a bullet line.
bool EndsParagraph(const ParagraphRules& rules, std::string_view line);

enum class Alignment { kLeft, kCenter, kRight };
// The line aligned to the wrap width: its leading blanks removed, then for Center and Right the
// spaces that put it in the middle or against the margin, none unless 1 < L + 1 < W (L the
// width of what remains).
std::string AlignLine(const view::LineLayout& layout, std::string_view line, Alignment how);
// The leading blanks UnIndent removes: at most T spaces and tabs, ending after the first tab.
size_t UnindentLength(const view::LineLayout& layout, std::string_view line);

// Deformat of a selection given as its lines (the first from the selection's start, the last up
// to its end). The result's lines: text between two non-empty lines joined (one space between
// single-byte characters, none next to a double-byte one, the next line's leading blanks
// dropped); a line end next to an empty line stays, so every run of empty lines keeps its
// length. `stop` is asked every `pollLines` lines and ends the work after a whole line;
// `linesUsed` tells how many of the lines the result covers.
std::vector<std::string> DeformatLines(const view::LineLayout& layout,
                                       const std::vector<std::string>& lines,
                                       const std::function<bool()>& stop = nullptr,
                                       size_t* linesUsed = nullptr, size_t pollLines = 1000);
std::vector<std::string> DeformatLines(const view::LineLayout& layout,
                                       const std::vector<std::string_view>& lines,
                                       const std::function<bool()>& stop = nullptr,
                                       size_t* linesUsed = nullptr, size_t pollLines = 1000);

// Deformat of a paragraph: the lines joined into the first one (its leading blanks kept, those
// of the others dropped), with one space before a line that begins with a single byte from "!"
// upwards when the text so far does not end in a space.
std::string JoinParagraph(const view::LineLayout& layout, const std::vector<std::string>& lines);

// The continuation indentation of a paragraph whose first line is `line`; empty when it would
// reach W/2 columns.
std::string ContinuationIndent(const ParagraphRules& rules, std::string_view line);

struct FormattedRow {
    std::string text;
    bool continued = false;  // the row's line end was made by the formatter
};

struct FormatOutput {
    std::vector<FormattedRow> rows;
    size_t linesUsed = 0;  // input lines formatted (all, unless stopped)
    // Where the caret went: the row and the byte offset in it.
    size_t caretRow = 0;
    size_t caretPos = 0;
};

// Reflows the lines; `caretLine` / `caretPos` is a place in the input that the output follows
// (it stays behind the same character). `stop` is asked every `pollLines` input lines and ends
// the work after a whole line: the lines used so far are formatted, the rest left to the caller.
FormatOutput FormatLines(const ParagraphRules& rules, const std::vector<std::string>& lines,
                         size_t caretLine, size_t caretPos,
                         const std::function<bool()>& stop = nullptr, size_t pollLines = 1000);
FormatOutput FormatLines(const ParagraphRules& rules, const std::vector<std::string_view>& lines,
                         size_t caretLine, size_t caretPos,
                         const std::function<bool()>& stop = nullptr, size_t pollLines = 1000);

}  // namespace norv::editing
