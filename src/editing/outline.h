// The outline of a document's bookmarks, as the bookmark list shows it: one item per marked line
// whose text is not empty, in line order, nested by each line's level, so that a document whose
// headings are marked reads as a table of contents.
//
// The level of a line is its indentation (a blank 1, a tab to the next multiple of the tab
// width) plus its section numbering: components (a run of digits, single- or double-byte, a
// section sign before the first digit skipped; or one letter) joined by "."; each "." adds 1,
// and a blank after the last component adds 1 when a "." was seen. "1.2.3 Title" is 3,
// "1. Title" 1, "A. Intro" 1, "1 Intro" 0, a plain word 0. Characters are read as the
// document's character model reads them; in UTF-8 the double-byte digits and the section sign
// are the code points of their code-page-932 forms (U+FF10 to U+FF19, U+00A7).
//
// An item's parent is the nearest item before it with a smaller level (the root when there is
// none): a deeper line opens a sub-list under the item before it, and a shallower line closes
// every sub-list deeper than itself, however far the level drops.
//
// Items never hold a line record, which an edit may free: an item names its line by its
// ordinal among the document's marked lines, and finding the line again walks the text. Every
// change of the marked lines raises the bookmark notice and the outline is built again.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "document/line_record.h"

namespace norv::editing {

// The longest item text before "..." is appended.
inline constexpr size_t kItemTextBytes = 127;

// The level of a line's text (without its line feed) in a document of `codePage`.
int HeadingLevel(std::string_view text, int codePage, int tabWidth);

// The text of an item: the line without its leading blanks and tabs, cut after at most 127 bytes
// at the end of a whole character and then followed by "...".
std::string ItemText(std::string_view text, int codePage);
// The same into `out`, reusing its buffer.
void AssignItemText(std::string& out, std::string_view text, int codePage);

struct OutlineItem {
    int line = 0;          // the line's number when the outline was built
    uint32_t ordinal = 0;  // which marked line of the text it is (0: the first)
    int level = 0;
    int parent = -1;   // the index of the parent item; -1: the root
    std::string text;  // ItemText, in the document's bytes
};

// The parents of items of these levels, in order (-1: the root).
std::vector<int> NestLevels(const std::vector<int>& levels);

// The outline of the marked lines from `first` on.
std::vector<OutlineItem> BuildOutline(const document::LineRecord* first, int codePage,
                                      int tabWidth);
// The same into `items`, whose elements are reused (for an outline built again and again).
void BuildOutline(const document::LineRecord* first, int codePage, int tabWidth,
                  std::vector<OutlineItem>& items);

// The index of the first item after item `i` that is not inside its subtree (the item count
// when there is none).
size_t SubtreeEnd(const std::vector<OutlineItem>& items, size_t i);

// The number of the marked line of this ordinal now; 0 when the text has fewer marked lines.
int LineOfMark(const document::LineRecord* first, uint32_t ordinal);

// The text of the marked lines of these ordinals (ascending), each followed by CR LF.
std::string MarkedLinesText(const document::LineRecord* first,
                            const std::vector<uint32_t>& ordinals);

// The text of lines `from` up to, not including, `to` (0: to the end), each followed by CR LF
// (an empty last line, after the text's last line end, adds nothing).
std::string LinesText(const document::LineRecord* first, int from, int to);

}  // namespace norv::editing
