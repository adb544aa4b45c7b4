// The corresponding brace and the tag rule of OtherParen.
//
// The opening set "({[<" pairs with the closing set ")}]>" by position. From a brace the text is
// walked character by character, across lines, counting the braces of that pair, until the
// count returns to zero; no quoting or comment rule applies. Only one-byte characters are
// braces: a trail byte of a double-byte character (0x5B, 0x5D, 0x7B and 0x7D occur as trail
// bytes of code page 932) is never one, and the walk never stops inside a character. Lines are
// never read backwards byte by byte (a trail byte can look like a lead byte): the starts of a
// line's characters are found from its first byte.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "document/line_record.h"
#include "editing/edit_view.h"

namespace norv::editing {

// The partner of a brace byte and whether it opens; 0 for any other byte.
char BracePartner(char c, bool* opening);

// The brace that corresponds to the one-byte character brace at (`line`, `pos`), line number
// `lineNumber`, in text of `codePage`. `escape` (may be null) is asked every
// kLinesPerEscapePoll lines; when it answers true the walk stops, `*stopped` is set and nothing
// is returned. Nothing either when the count never returns to zero.
std::optional<TextPlace> MatchBrace(const document::LineRecord* line, int lineNumber, size_t pos,
                                    int codePage, const std::function<bool()>& escape,
                                    bool* stopped);

// The tag rule in a line of an HTML document with the caret at `pos`: on "/" the caret steps
// right once; the word is the letters and digits around it; left of the word over bytes below
// "!" lies "<" (an opening tag: its end tag "/word" is searched forward) or "/" (an end tag:
// "<word" is searched backward). `from` is where the search starts.
struct TagSearch {
    std::string text;  // "/word" or "<word"
    bool forward = true;
    size_t from = 0;
};
std::optional<TagSearch> TagSearchAt(std::string_view line, size_t pos, int codePage);

}  // namespace norv::editing
