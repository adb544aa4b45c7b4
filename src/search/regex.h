// A compiled regular expression and its use on the editor's lines.
//
// Compile() takes the pattern in the document's encoding (Shift-JIS bytes for code page 932,
// UTF-8 for the UTF-8 code pages) with its backslashes; case and width folding are compile
// options and apply to the pattern and to the text alike. A leading "^" and a trailing "$" are
// not anchors here: StripAnchors() removes them first and the caller turns them into the
// top-of-line and end-of-line conditions.
//
// Lines are the editor's: byte strings that end in a line feed. An attempt starts at a
// character boundary of a line and may run over the line end into the following lines, which
// the caller hands out through FollowingLines; after the last line the matcher sees the end of
// the text, which completes a match that is still running. An attempt reads at most 256
// characters, so a match of 256 or more characters is never found.
//
// A pattern that needs more automaton states than the budgets allow is refused: Compile()
// says so and every later match attempt finds nothing.
//
// How a search uses it: a forward search calls FindInLine() on the caret's line from the
// caret, then on each following line from 0; a backward search calls MatchAt() on each
// character boundary before the caret, nearest first. Both give the match length in bytes,
// which may reach into later lines. A search that feeds characters itself can use
// RegexMatcher with GetAutomaton() and ReadTextChar() from char_reader.h instead.
#pragma once

#include <array>
#include <bitset>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "search/regex_automaton.h"
#include "search/regex_matcher.h"
#include "search/regex_parser.h"

namespace norv::search {

struct RegexOptions {
    int codePage = 932;
    bool ignoreCase = false;   // ASCII letters only
    bool ignoreWidth = false;  // full-width and half-width forms alike (code page 932 forms)
};

struct RegexCapacity {
    ParserLimits parser;
    AutomatonLimits automaton;
    size_t maxChars = 256;  // characters one attempt may read
    // The matcher's ASCII transition tables; off only to check that they change nothing.
    bool asciiTables = true;
};

enum class CompileStatus : uint8_t { kOk, kTooManyNfaStates, kTooManyDfaStates, kTooComplex };

// The lines after the one an attempt starts in.
class FollowingLines {
  public:
    virtual ~FollowingLines() = default;
    // The k-th line after the starting line (k >= 1), ending in its line feed; an empty view
    // when the text has fewer lines. The same k may be asked for more than once.
    virtual std::string_view Line(size_t k) = 0;
};

// What the search asks of a match beyond the pattern.
struct MatchConditions {
    bool atLineStart = false;  // the match begins at the start of its line
    bool atLineEnd = false;    // the match is followed by a line end (or the end of the text)
    bool wholeWord = false;    // no ASCII letter or digit right before or right after it
};

struct LineMatch {
    size_t start = 0;   // byte offset in the line
    size_t length = 0;  // bytes; may reach into the following lines
};

struct StrippedPattern {
    std::string_view body;
    bool topOfLine = false;
    bool endOfLine = false;
};

// Removes a leading "^" and a trailing unescaped "$" (a "$" that is the trail byte of a
// double-byte character, or follows an escaping backslash, stays).
StrippedPattern StripAnchors(std::string_view pattern, int codePage);

class Regex {
  public:
    explicit Regex(RegexCapacity capacity = {});
    Regex(const Regex&) = delete;
    Regex& operator=(const Regex&) = delete;

    CompileStatus Compile(std::string_view pattern, const RegexOptions& options);
    bool IsCompiled() const { return !automaton_.Empty(); }

    // The length in bytes of the match that starts at line[pos], a character boundary, or
    // nothing. `more` may be null when the attempt must stay in this line.
    std::optional<size_t> MatchAt(std::string_view line, size_t pos, FollowingLines* more,
                                  const MatchConditions& conditions = {});

    // The first match that starts at or after line[from] (a character boundary) and before the
    // end of the line. With `usePrefilter` positions whose first byte cannot begin a match are
    // passed over without an attempt; the answer is the same either way.
    std::optional<LineMatch> FindInLine(std::string_view line, size_t from, FollowingLines* more,
                                        const MatchConditions& conditions = {},
                                        bool usePrefilter = true);

    const Automaton& GetAutomaton() const { return automaton_; }
    const FoldOptions& Fold() const { return fold_; }
    std::string DumpTree() const { return tree_.Dump(fold_.encoding); }

  private:
    void BuildPrefilter();
    bool WordCharBefore(std::string_view line, size_t pos) const;
    size_t StepAt(std::string_view line, size_t pos) const;
    bool FirstCharMayStart(std::string_view line, size_t pos) const;
    size_t SkipToCandidateSjis(std::string_view line, size_t pos) const;
    void BuildShiftJisTables();
    void BuildUtf8Tables();
    size_t SkipToCandidateUtf8(std::string_view line, size_t pos) const;

    RegexCapacity capacity_;
    FoldOptions fold_;
    PatternTree tree_;
    Automaton automaton_;
    RegexMatcher matcher_;
    std::array<bool, 256> firstByte_{};  // bytes that may begin a match
    // Shift-JIS: per byte 0 (cannot begin a match), 1 (may), 2 (a lead byte: ask pairStart_);
    // pairStart_ holds the double-byte codes that may begin a match (in UTF-8: the first two
    // bytes of sequences that may).
    std::array<uint8_t, 256> sjisByteClass_{};
    std::bitset<65536> pairStart_;
    bool asciiMayStart_ = true;
    bool continuationMayStart_ = true;  // UTF-8: a byte 0x80-0xBF may begin a match
    int singleStartByte_ = -1;   // UTF-8: the only (ASCII) byte that may begin a match, or -1
    bool startAccepts_ = false;  // every position matches (at least the empty string)
    std::vector<size_t> ends_;   // byte offset before each fed character
};

}  // namespace norv::search
