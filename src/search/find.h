// The search object (CFind): a search string with its options, compiled for the document's
// encoding into a plain matcher or a regular expression, and one search over a document's lines
// forward or backward from a position.
//
// The lines are read straight from the line records (the caller writes the view's line buffer
// back first). Every line is searched with its line feed, so a pattern may run over line ends
// into the following lines; an attempt reads at most 256 characters, so a match of 256 or more
// characters is never found. A match counts only where it begins on a character boundary and
// meets the word, top-of-line and end-of-line conditions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "document/line_record.h"
#include "search/char_reader.h"
#include "search/find_history.h"
#include "search/find_options.h"
#include "search/plain_matcher.h"
#include "search/regex.h"

namespace norv::search {

// A position in the text: the line record, its 1-based number and a byte offset in it.
struct TextPos {
    document::LineRecord* line = nullptr;
    int number = 0;
    size_t pos = 0;
};

struct FoundText {
    TextPos start;
    size_t length = 0;  // bytes; may reach into the following lines
};

enum class SearchStatus : uint8_t { kFound, kNotFound, kBroken };

struct SearchOutcome {
    SearchStatus status = SearchStatus::kNotFound;
    FoundText match;
};

// Escape is polled once every this many lines of a search.
inline constexpr int kEscapePollLines = 1000;
// Characters one attempt may read.
inline constexpr size_t kMaxMatchChars = 256;

class CFind {
  public:
    CFind();
    virtual ~CFind();
    CFind(const CFind&) = delete;
    CFind& operator=(const CFind&) = delete;

    FindOptions options;
    std::string searchString;  // as typed, with escape sequences
    // The code page the search string is written in; 0: the document's own. A string of another
    // code page is converted for the document before it is compiled (its escape sequences are
    // ASCII and pass unchanged, so "\\xHH" still stands for the byte HH of the document).
    int stringCodePage = 0;

    // Compiles the search string for a document of `codePage`; returns the compiled length
    // (pattern characters; for a regular expression the length of its body). A regular
    // expression that the engine refuses finds nothing.
    virtual size_t Compile(int codePage);
    // Starts a new match attempt of the plain matcher.
    virtual void Reset() { plain_.Reset(); }
    // Histories (plain data the application fills and stores).
    virtual void AddFindHistory(FindHistory& history) const;
    virtual void AddReplaceHistory(FindHistory& history, const std::string& replacement) const;
    virtual std::string BuildOptions() const { return BuildOptionString(options); }
    // Returns whether the string held N.
    virtual bool SetOptions(std::string_view text) { return ParseOptionString(text, &options); }

    // Plain searches pass over the bytes that cannot begin a match (tests turn it off to
    // compare).
    bool usePrefilter = true;

    // The code page the search is compiled for, or 0 before the first compile.
    int compiledCodePage() const { return codePage_; }
    bool compiledEmpty() const { return empty_; }
    // The line conditions in force: the options, or a "^" / "$" taken off a regular expression.
    bool topOfLine() const { return topOfLine_; }
    bool endOfLine() const { return endOfLine_; }

    // The match that starts at `at` (a character boundary), its length in bytes.
    std::optional<size_t> MatchAt(const TextPos& at);
    // The match of the compiled pattern at text[pos] (a character boundary) without the word
    // and line conditions, its length in bytes. `more` gives the lines after `text`; null: the
    // text ends there.
    std::optional<size_t> RawMatchAt(std::string_view text, size_t pos, FollowingLines* more);

    // What lets a search pass over text that cannot hold a match: the bytes every plain match
    // consists of (or empty), the only byte a plain match can begin with and its other case
    // (or -1), and the compiled regular expression (null for a plain string or a refused one).
    const std::string& literal() const { return literal_; }
    int firstByte() const { return firstByte_; }
    int firstByteAlt() const { return firstByteAlt_; }
    Regex* regex() const { return options.regularExpression && regexOk_ ? regex_.get() : nullptr; }
    const FoldOptions& fold() const { return fold_; }
    // One search from `from` (a candidate itself) onwards or backwards. `escape` (may be null)
    // is asked every kEscapePollLines lines; true breaks the search.
    SearchOutcome Search(const TextPos& from, bool forward, const std::function<bool()>& escape);

  private:
    std::optional<size_t> PlainMatchAt(const TextPos& at);
    bool Accepts(const TextPos& at, size_t length) const;
    std::optional<size_t> FirstMatchInLine(const TextPos& line, size_t from);

    PlainMatcher plain_;
    std::unique_ptr<Regex> regex_;
    FoldOptions fold_;
    int codePage_ = 0;
    bool topOfLine_ = false;
    bool endOfLine_ = false;
    bool empty_ = true;
    bool regexOk_ = false;
    int firstByte_ = -1;     // the only byte a plain match can begin with, or -1
    int firstByteAlt_ = -1;  // under ignore case, the other case of that letter, or -1
    std::string literal_;    // the bytes every plain match consists of, or empty
    size_t lastStart_ = 0;   // where FirstMatchInLine found its match
};

// The plain matcher's match at text[pos]: characters are read and folded from there on, into
// the lines `more` gives (null: none), at most kMaxMatchChars of them; its length in bytes.
std::optional<size_t> PlainMatchAt(PlainMatcher& matcher, const FoldOptions& fold,
                                   std::string_view text, size_t pos, FollowingLines* more);

// `text`, written in `fromCodePage` (0: already the document's), in the encoding of a document
// of `documentCodePage`.
std::string ForDocument(std::string_view text, int fromCodePage, int documentCodePage);

// The position `n` bytes after `at`, crossing line ends (clamped to the end of the text).
TextPos AdvanceBytes(TextPos at, size_t n);

}  // namespace norv::search
