// What the edit view colours inside the text: keywords of the keyword groups that apply to a
// document, comment blocks (a beginning and an end string whose text takes a group's colour,
// carried from line to line), and links.
//
// The rules are a copy of the keyword file's data made for one document (only the groups that
// apply to its file name take part), so a view never points into a keyword file that is being
// read again. Painting asks for the style of every byte of a line; the comment-block state of
// each line's start is kept in the line record's highlight byte: 0 outside any block, else
// 1 + the index of the block open there.
#pragma once

#include <array>
#include <bitset>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "document/line_record.h"
#include "view/line_layout.h"

namespace norv::view {

inline constexpr int kSyntaxGroups = 16;

struct GroupRule {
    bool applies = false;
    bool caseInsensitive = false;
    bool colored = true;
    bool bold = false;
};

struct BlockRule {
    std::string begin;
    std::string end;  // empty: the block ends with its line
    int group = 0;
    bool colored = true;
    bool bold = false;
};

struct KeywordRule {
    std::string text;
    uint8_t group = 0;
};

struct SyntaxRules {
    std::array<GroupRule, kSyntaxGroups> groups;
    // Bucket b holds the keywords whose first byte's upper-case form is b, longer keywords
    // before their prefixes; only keywords of applying groups are kept.
    std::array<std::vector<KeywordRule>, 256> buckets;
    // Every block of the keyword file in file order (the state byte names them by index).
    std::vector<BlockRule> blocks;
    // The system's code page: on 932 a keyword beginning with a byte of 0x80 or above matches
    // wherever its bytes stand.
    int systemCodePage = 932;

    // Whether block i takes part: its group applies and it has a beginning string. Only the
    // first 255 blocks can be named by a state byte.
    bool BlockTakesPart(size_t i) const;
    // False when no block takes part: then no line is scanned and every state is 0.
    bool ScansBlocks() const;
    bool HasKeywords() const;

    // Call after filling the rules: indexes the first bytes of the blocks' beginning strings.
    void Prepare();
    // Whether some block that takes part begins with this byte (after Prepare).
    bool MayOpenBlock(uint8_t b) const { return blockFirstBytes[b]; }
    std::bitset<256> blockFirstBytes;
};

struct KeywordMatch {
    size_t length = 0;  // 0: no keyword
    int group = -1;
};

// The keyword at byte `pos` of a line's content (`text` without the line feed), given the
// character before it (a byte, 0 at the line start, 0x100 or above for a multi-byte character).
// `codePage` is the document's character model.
KeywordMatch MatchKeyword(const SyntaxRules& rules, std::string_view text, size_t pos,
                          uint32_t before, int codePage);

// The state the next line starts with, after walking a line that starts in `state`.
uint8_t NextLineState(const SyntaxRules& rules, const LineText& line, uint8_t state, int codePage);

// How one byte of a line is drawn.
struct CharStyle {
    int8_t group = -1;  // colour of this keyword group; -1: the text colour
    bool bold = false;
    bool link = false;    // part of a web or mail address: the URL colour
    bool markup = false;  // inside an HTML tag: the HTML colour
    bool operator==(const CharStyle&) const = default;
};

// The style of every byte of a line's content (the line feed excluded). `state` is the line's
// start state. Inside a coloured block the block's colour wins over keywords; a block that is
// not coloured leaves keywords their colours. Bold comes from the block or the keyword's group.
// Links take the URL colour wherever they stand.
std::vector<CharStyle> StyleLine(const SyntaxRules& rules, const LineText& line, uint8_t state,
                                 int codePage, bool findLinks);

// Marks the tags of an HTML document's line: the bytes from each "<" to the next ">" (or to the
// end of the line, when the tag goes on) take the HTML colour, except those that already have a
// colour of their own (keywords, comment blocks, addresses). "<" and ">" are never trail bytes of
// a double-byte character, so the bytes are scanned as they stand.
void MarkMarkup(std::vector<CharStyle>& styles, std::string_view content);

// Makes the start states of the lines after line `validThrough` up to line `targetLine` (the
// record `target`) right, scanning forward from the last right one; line 1 always starts at 0.
// `textOf` gives a line's current text (the caret line lives in the edit buffer).
void UpdateLineStates(const SyntaxRules& rules, int codePage, document::LineRecord* target,
                      int targetLine, int validThrough,
                      const std::function<LineText(const document::LineRecord*)>& textOf);

}  // namespace norv::view
