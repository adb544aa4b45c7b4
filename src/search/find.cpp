// One search over a document's lines with the plain matcher or the regular expression.
#include "search/find.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "document/char_model.h"
#include "document/codecs.h"

namespace norv::search {

using document::LineRecord;

namespace {

std::string_view LineOf(const LineRecord* r) {
    return {r->text(), r->length};
}

bool IsWordByte(uint8_t b) {
    return (b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z');
}

// The lines after an attempt's starting line, for the regular expression.
class RecordLines : public FollowingLines {
  public:
    explicit RecordLines(const LineRecord* start) : at_(start) {}
    std::string_view Line(size_t k) override {
        while (k_ < k && at_) at_ = at_->next, ++k_;
        while (k_ > k) at_ = at_->prev, --k_;
        return at_ ? LineOf(at_) : std::string_view();
    }

  private:
    const LineRecord* at_;
    size_t k_ = 0;
};

}  // namespace

TextPos AdvanceBytes(TextPos at, size_t n) {
    while (n > 0) {
        size_t left = at.line->length - at.pos;
        if (n < left || !at.line->next) {
            at.pos += std::min(n, left);
            return at;
        }
        n -= left;
        at.line = at.line->next;
        ++at.number;
        at.pos = 0;
    }
    return at;
}

std::string ForDocument(std::string_view text, int fromCodePage, int documentCodePage) {
    const bool fromUtf8 = document::IsUtf8CodePage(fromCodePage);
    const bool toUtf8 = document::IsUtf8CodePage(documentCodePage);
    std::string out;
    if (fromCodePage == 0 || fromUtf8 == toUtf8) {
        out.assign(text);
    } else if (toUtf8) {
        document::AnsiToUtf8(out, text, fromCodePage);
    } else {
        document::Utf8ToAnsi(out, text, documentCodePage);
    }
    return out;
}

CFind::CFind() = default;
CFind::~CFind() = default;

size_t CFind::Compile(int codePage) {
    codePage_ = codePage;
    fold_ = FoldOptions{EncodingOfCodePage(codePage), options.ignoreCase, options.ignoreMbcs};
    topOfLine_ = options.matchTopOfLine;
    endOfLine_ = options.matchEndOfLine;
    firstByte_ = -1;
    firstByteAlt_ = -1;
    const std::string pattern = ForDocument(searchString, stringCodePage, codePage);
    if (options.regularExpression) {
        StrippedPattern p = StripAnchors(pattern, codePage);
        topOfLine_ = topOfLine_ || p.topOfLine;
        endOfLine_ = endOfLine_ || p.endOfLine;
        if (!regex_) regex_ = std::make_unique<Regex>();
        regexOk_ = regex_->Compile(p.body, RegexOptions{codePage, options.ignoreCase,
                                                        options.ignoreMbcs}) == CompileStatus::kOk;
        empty_ = p.body.empty();
        return p.body.size();
    }
    size_t n = plain_.Compile(pattern, codePage, fold_);
    empty_ = n == 0;
    // A first character that no folding can reach from another byte lets whole stretches of a
    // line be passed over with memchr.
    if (n > 0 && !options.ignoreMbcs) {
        CharCode c = plain_.codes().front();
        bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        char bytes[4];
        if (options.ignoreCase && letter) {
            // Either case may begin a match (only ASCII letters fold).
            firstByte_ = c & ~0x20;
            firstByteAlt_ = c | 0x20;
        } else if (c < 0x80) {
            firstByte_ = static_cast<int>(c);
        } else if (c < kRawByteBase && EncodeChar(fold_.encoding, c, bytes) > 0) {
            firstByte_ = static_cast<uint8_t>(bytes[0]);
        }
    }
    // Without folding a match is the pattern's own bytes: candidates are found with memmem.
    // A line feed in the pattern runs into the next line, which a search of one line misses.
    literal_.clear();
    if (n > 0 && !options.ignoreCase && !options.ignoreMbcs) {
        for (CharCode c : plain_.codes()) {
            char bytes[4];
            const size_t k = c != '\n' && c < kRawByteBase
                                 ? static_cast<size_t>(EncodeChar(fold_.encoding, c, bytes))
                                 : 0;
            if (k == 0) {
                literal_.clear();
                break;
            }
            literal_.append(bytes, k);
        }
    }
    return n;
}

void CFind::AddFindHistory(FindHistory& history) const {
    history.Add(searchString, BuildOptions());
}

void CFind::AddReplaceHistory(FindHistory& history, const std::string& replacement) const {
    history.Add(replacement, BuildOptions());
}

std::optional<size_t> PlainMatchAt(PlainMatcher& matcher, const FoldOptions& fold,
                                   std::string_view text, size_t pos, FollowingLines* more) {
    matcher.Reset();
    std::string_view line = text;
    size_t k = 0;  // which line of `more` `line` is
    size_t i = pos;
    size_t bytes = 0;
    size_t read = 0;
    for (;;) {
        if (matcher.Complete()) return bytes;
        if (i >= line.size()) {
            line = more ? more->Line(++k) : std::string_view();
            if (line.empty()) return std::nullopt;  // the text ends before the pattern
            i = 0;
            continue;
        }
        // The completion is seen only when the next character is read, so a match may hold one
        // character fewer than an attempt reads.
        if (++read >= kMaxMatchChars) return std::nullopt;
        TextChar c = ReadTextChar(fold, line, i);
        if (c.kind == TextChar::Kind::kStop) return std::nullopt;
        i += c.length;
        bytes += c.length;
        if (c.kind == TextChar::Kind::kSkip) continue;
        if (matcher.Feed(c.code) < 0) return std::nullopt;
    }
}

std::optional<size_t> CFind::PlainMatchAt(const TextPos& at) {
    RecordLines more(at.line);
    return search::PlainMatchAt(plain_, fold_, LineOf(at.line), at.pos, &more);
}

std::optional<size_t> CFind::RawMatchAt(std::string_view text, size_t pos, FollowingLines* more) {
    if (options.regularExpression) {
        if (!regexOk_) return std::nullopt;
        return regex_->MatchAt(text, pos, more);
    }
    if (empty_) return std::nullopt;
    return search::PlainMatchAt(plain_, fold_, text, pos, more);
}

bool CFind::Accepts(const TextPos& at, size_t length) const {
    if (topOfLine_ && at.pos != 0) return false;
    if (!endOfLine_ && !options.matchWord) return true;
    TextPos end = AdvanceBytes(at, length);
    const bool atTextEnd = end.pos >= end.line->length;
    const auto after = atTextEnd ? uint8_t('\n') : static_cast<uint8_t>(end.line->text()[end.pos]);
    if (endOfLine_ && after != '\n') return false;
    if (options.matchWord) {
        if (at.pos > 0 && IsWordByte(static_cast<uint8_t>(at.line->text()[at.pos - 1])))
            return false;
        if (IsWordByte(after)) return false;
    }
    return true;
}

std::optional<size_t> CFind::MatchAt(const TextPos& at) {
    if (options.regularExpression) {
        if (!regexOk_) return std::nullopt;
        RecordLines more(at.line);
        MatchConditions cond{topOfLine_, endOfLine_, options.matchWord};
        return regex_->MatchAt(LineOf(at.line), at.pos, &more, cond);
    }
    if (empty_) return std::nullopt;
    std::optional<size_t> n = PlainMatchAt(at);
    if (n && !Accepts(at, *n)) return std::nullopt;
    return n;
}

std::optional<size_t> CFind::FirstMatchInLine(const TextPos& line, size_t from) {
    if (options.regularExpression) {
        if (!regexOk_) return std::nullopt;
        RecordLines more(line.line);
        MatchConditions cond{topOfLine_, endOfLine_, options.matchWord};
        auto m = regex_->FindInLine(LineOf(line.line), from, &more, cond);
        if (!m) return std::nullopt;
        lastStart_ = m->start;
        return m->length;
    }
    if (empty_ || (topOfLine_ && from > 0)) return std::nullopt;
    const char* text = line.line->text();
    const char* end = text + line.line->length;
    TextPos at = line;
    const size_t length = line.line->length;
    // The next offsets of the first byte and of its other case, found with memchr and kept
    // until the scan passes them, so that a line is read at most once for each.
    size_t next[2] = {0, 0};
    bool known[2] = {false, false};
    auto nextOf = [&](int k, int byte, size_t i) {
        if (!known[k] || next[k] < i) {
            const void* hit = std::memchr(text + i, byte, length - i);
            next[k] = hit ? static_cast<size_t>(static_cast<const char*>(hit) - text) : length;
            known[k] = true;
        }
        return next[k];
    };
    const bool prefilter = usePrefilter && firstByte_ >= 0;
    for (size_t i = from; i < length;) {
        if (prefilter) {
            size_t j;
            if (!literal_.empty()) {
                const void* hit = memmem(text + i, length - i, literal_.data(), literal_.size());
                j = hit ? static_cast<size_t>(static_cast<const char*>(hit) - text) : length;
            } else {
                j = nextOf(0, firstByte_, i);
                if (firstByteAlt_ >= 0) j = std::min(j, nextOf(1, firstByteAlt_, i));
            }
            if (j >= length) return std::nullopt;
            // Only a character boundary counts: walk up to the byte found.
            while (i < j) i += document::CharLength(codePage_, text + i, end);
            if (i != j) continue;
        }
        at.pos = i;
        if (auto n = MatchAt(at)) {
            lastStart_ = i;
            return n;
        }
        if (topOfLine_) return std::nullopt;
        i += document::CharLength(codePage_, text + i, end);
    }
    return std::nullopt;
}

SearchOutcome CFind::Search(const TextPos& from, bool forward,
                            const std::function<bool()>& escape) {
    SearchOutcome out;
    if (codePage_ == 0 || !from.line) return out;
    TextPos line = from;
    int lines = 0;
    auto broken = [&] { return ++lines % kEscapePollLines == 0 && escape && escape(); };
    if (forward) {
        size_t start = from.pos;
        for (;;) {
            if (auto n = FirstMatchInLine(line, start)) {
                out.status = SearchStatus::kFound;
                out.match = FoundText{TextPos{line.line, line.number, lastStart_}, *n};
                return out;
            }
            if (!line.line->next) return out;
            line = TextPos{line.line->next, line.number + 1, 0};
            start = 0;
            if (broken()) {
                out.status = SearchStatus::kBroken;
                return out;
            }
        }
    }
    // Backward: the character boundaries of each line, nearest first. A line is never read
    // backwards, so its boundaries are found walking forward.
    std::vector<size_t> starts;
    size_t limit = from.pos;  // candidates at or before this offset
    for (;;) {
        starts.clear();
        const char* text = line.line->text();
        const char* end = text + line.line->length;
        for (size_t i = 0; i < line.line->length && i <= limit;)
            starts.push_back(i), i += document::CharLength(codePage_, text + i, end);
        const bool prefilter = usePrefilter && firstByte_ >= 0 && !options.regularExpression;
        for (auto it = starts.rbegin(); it != starts.rend(); ++it) {
            const int b = static_cast<uint8_t>(text[*it]);
            if (prefilter && b != firstByte_ && b != firstByteAlt_) continue;
            TextPos at{line.line, line.number, *it};
            if (auto n = MatchAt(at)) {
                out.status = SearchStatus::kFound;
                out.match = FoundText{at, *n};
                return out;
            }
        }
        if (!line.line->prev) return out;
        line = TextPos{line.line->prev, line.number - 1, 0};
        limit = line.line->length;
        if (broken()) {
            out.status = SearchStatus::kBroken;
            return out;
        }
    }
}

}  // namespace norv::search
