// Finding the lines of a text that hold a match, the way find in files reports them.
//
// The text is in document form: whole lines, each ending in a line feed, as the editor holds
// them (grep_text.h makes it from a file), so that the lines counted are the editor's. A match
// may run over line ends into the following lines, up to kMaxMatchChars characters; a caller
// that hands over a text in blocks keeps kGrepLookahead bytes after the last line start it asks
// about, so that no attempt reaches the end of a block that the file goes on after.
//
// A match at P counts when P is a character boundary of its line (the editor's character
// model: a character never runs over its line's end) and:
//   W  the byte before P (a line feed at the start of a line) and the byte after the match are
//      both at most 0x3F, so a digit next to the match is a boundary;
//   T  only blanks and tabs stand between the start of the line and P (also for a regular
//      expression that began with "^");
//   E  the match is followed by a line end, or the end of the text (also for a trailing "$").
//
// Candidates come from a prefilter: the literal bytes of a plain string (memmem), its only
// possible first bytes (memchr), a table of the bytes that may begin a match, or the regular
// expression's own. Every candidate is then matched for real, so the answers are the same with
// the prefilter and without it (`usePrefilter` off tries every character).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "search/find.h"
#include "search/grep_options.h"

namespace norv::search {

inline constexpr size_t kGrepLookahead = 4096;

class GrepMatcher {
  public:
    // Compiles the search string (escape sequences; a regular expression with R) for text of
    // `codePage`; a string written in another code page (`stringCodePage`, 0: the text's own)
    // is converted first, as Find converts it for a UTF-8 document. False when nothing can
    // match: an empty string, or a regular expression the engine refuses.
    bool Compile(std::string_view searchString, const GrepOptions& options, int codePage,
                 int stringCodePage = 0);
    int codePage() const { return codePage_; }

    bool usePrefilter = true;

    // The start of the first counted match that begins at or after text[from] (a line start)
    // and before `limit` (at most text.size()). The text ends at text.size() for the matcher.
    std::optional<size_t> Find(std::string_view text, size_t from, size_t limit);

  private:
    // The line a candidate lies in. Candidates of one search come in increasing order, so the
    // line is found from the last one and the boundary walk goes on from where it stopped:
    // a long line is read a bounded number of times however many candidates it holds.
    struct Line {
        size_t start = SIZE_MAX;
        size_t end = 0;        // its line feed
        size_t firstText = 0;  // the first byte that is not a blank or a tab
        size_t walk = 0;       // a character boundary at or before the last position asked
    };
    const Line& LineAt(std::string_view text, size_t floor, size_t pos);
    bool IsBoundary(std::string_view text, size_t pos);
    bool Accepts(std::string_view text, size_t pos, size_t length) const;
    std::optional<size_t> MatchAt(std::string_view text, size_t pos);
    // The first position at or after pos whose byte may begin a match (a plain string).
    size_t NextCandidate(std::string_view text, size_t pos, size_t limit);
    // The literal's place by its rarest byte (memchr), while that gives few false candidates.
    size_t NextLiteralByRareByte(std::string_view text, size_t pos, size_t limit);
    std::optional<size_t> FindPlain(std::string_view text, size_t from, size_t limit);
    std::optional<size_t> FindRegex(std::string_view text, size_t from, size_t limit);
    std::optional<size_t> FindEveryChar(std::string_view text, size_t from, size_t limit);

    CFind find_;
    bool ok_ = false;
    int codePage_ = 0;
    bool multiByte_ = false;  // a code page whose characters may take several bytes
    bool word_ = false;
    bool top_ = false;
    bool end_ = false;
    // Plain strings without literal bytes or a single first byte: the bytes a match may begin
    // with.
    bool tableNeeded_ = false;
    std::array<bool, 256> mayStart_{};
    Line line_;
    // The literal's byte least likely to occur in text, and its index; the rare-byte search is
    // given up for the rest of a block when its candidates come too close together.
    size_t rareIndex_ = 0;
    bool rareByte_ = false;
    uint64_t rareFalse_ = 0;
    uint64_t rareBytes_ = 0;
};

// The start of the line that holds text[pos], not before `floor` (a line start).
size_t LineStartOf(std::string_view text, size_t floor, size_t pos);

}  // namespace norv::search
