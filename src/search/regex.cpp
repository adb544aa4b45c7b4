// Compiling a pattern and running it over the editor's lines (see regex.h).
#include "search/regex.h"

#include <cstring>

#include "platform/code_page.h"
#include "platform/width_map.h"

namespace norv::search {
namespace {

bool IsAsciiAlnum(uint8_t b) {
    return (b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z');
}

// The byte `offset` bytes after line[pos], following into the next lines; -1 at the end of
// the text.
int ByteAfter(std::string_view line, size_t pos, size_t offset, FollowingLines* more) {
    size_t at = pos + offset;
    if (at < line.size()) return static_cast<uint8_t>(line[at]);
    at -= line.size();
    for (size_t k = 1; more != nullptr; ++k) {
        std::string_view next = more->Line(k);
        if (next.empty()) break;
        if (at < next.size()) return static_cast<uint8_t>(next[at]);
        at -= next.size();
    }
    return -1;
}

// The half-width bytes that the double-byte characters of each Shift-JIS lead byte narrow to
// (the first byte of the half-width form), worked out once.
const std::vector<uint8_t>& HalfFormsOfLead(uint8_t lead) {
    static const std::array<std::vector<uint8_t>, 256> kForms = [] {
        std::array<std::vector<uint8_t>, 256> forms;
        for (size_t l = 0; l < 256; ++l) {
            if (!platform::IsLeadByte(932, static_cast<uint8_t>(l))) continue;
            std::array<bool, 256> seen{};
            for (size_t t = 0x40; t < 256; ++t) {
                uint8_t half[2];
                if (platform::FullToHalfWidth(static_cast<uint16_t>(l << 8 | t), half) > 0 &&
                    !seen[half[0]]) {
                    seen[half[0]] = true;
                    forms[l].push_back(half[0]);
                }
            }
        }
        return forms;
    }();
    return kForms[lead];
}

}  // namespace

StrippedPattern StripAnchors(std::string_view pattern, int codePage) {
    StrippedPattern s;
    if (!pattern.empty() && pattern[0] == '^') {
        s.topOfLine = true;
        pattern.remove_prefix(1);
    }
    // Walk by characters and escapes to find out whether the last one is a plain "$".
    TextEncoding enc = EncodingOfCodePage(codePage);
    size_t pos = 0;
    size_t lastStart = 0;
    bool lastPlain = false;
    while (pos < pattern.size()) {
        lastStart = pos;
        if (pattern[pos] == '\\') {
            pos += ReadPatternChar(enc, pattern, pos).length;
            lastPlain = false;
        } else {
            size_t length = 1;
            DecodeChar(enc, pattern, pos, &length);
            lastPlain = length == 1;
            pos += length;
        }
    }
    if (lastPlain && pattern[lastStart] == '$') {
        s.endOfLine = true;
        pattern.remove_suffix(1);
    }
    s.body = pattern;
    return s;
}

Regex::Regex(RegexCapacity capacity)
    : capacity_(capacity),
      automaton_(capacity.automaton),
      matcher_(automaton_, capacity.maxChars, capacity.asciiTables),
      ends_(capacity.maxChars + 1) {}

CompileStatus Regex::Compile(std::string_view pattern, const RegexOptions& options) {
    fold_ =
        FoldOptions{EncodingOfCodePage(options.codePage), options.ignoreCase, options.ignoreWidth};
    tree_ = PatternTree{};
    std::optional<PatternTree> tree = ParsePattern(pattern, fold_, capacity_.parser);
    if (!tree) {
        automaton_.Clear();
        matcher_.Reset();
        return CompileStatus::kTooComplex;
    }
    tree_ = std::move(*tree);
    BuildStatus status = automaton_.Build(tree_);
    matcher_.Reset();  // the matcher reads the automaton's states, which were replaced
    switch (status) {
        case BuildStatus::kOk:
            break;
        case BuildStatus::kTooManyNfaStates:
            return CompileStatus::kTooManyNfaStates;
        case BuildStatus::kTooManyDfaStates:
            return CompileStatus::kTooManyDfaStates;
        case BuildStatus::kTooManyEdges:
            return CompileStatus::kTooComplex;
    }
    BuildPrefilter();
    return CompileStatus::kOk;
}

// A byte may begin a match when the start state accepts (every position matches), or when a
// character that begins with it can take an edge of the start state, or be skipped.
void Regex::BuildPrefilter() {
    const DfaState& start = automaton_.States()[0];
    startAccepts_ = start.accepting;
    if (start.accepting) {
        firstByte_.fill(true);
        return;
    }
    firstByte_.fill(false);
    const std::vector<CharTest>& tests = automaton_.Tests();
    auto takes = [&](const TextChar& c) {
        if (c.kind == TextChar::Kind::kSkip) return true;
        if (c.kind == TextChar::Kind::kStop) return false;
        for (const DfaEdge& e : start.edges) {
            if (tests[static_cast<size_t>(e.test)].Matches(c.code)) return true;
        }
        return false;
    };
    char buf[2];
    for (int b = 0; b < 256; ++b) {
        buf[0] = static_cast<char>(b);
        const bool lead = fold_.encoding == TextEncoding::kShiftJis &&
                          platform::IsLeadByte(932, static_cast<uint8_t>(b));
        if (lead) {
            // A double-byte code is lead << 8 | trail as read (case folding leaves it alone),
            // so a range check per test decides; under width folding the half-width forms
            // the lead byte's characters narrow to are tried as well.
            const CharCode lo = b << 8 | 0x40;
            const CharCode hi = b << 8 | 0xFF;
            bool may = false;
            for (const DfaEdge& e : start.edges) {
                may = may || tests[static_cast<size_t>(e.test)].MayMatchIn(lo, hi);
            }
            if (fold_.ignoreWidth) {
                for (uint8_t half : HalfFormsOfLead(static_cast<uint8_t>(b))) {
                    buf[0] = static_cast<char>(half);
                    may = may || takes(ReadTextChar(fold_, {buf, 1}, 0));
                }
                buf[0] = static_cast<char>(b);
            }
            firstByte_[static_cast<size_t>(b)] = may;
        } else if (fold_.encoding == TextEncoding::kUtf8 && b >= 0x80) {
            firstByte_[static_cast<size_t>(b)] = true;  // refined below
        } else {
            firstByte_[static_cast<size_t>(b)] = takes(ReadTextChar(fold_, {buf, 1}, 0));
        }
    }
    if (fold_.encoding == TextEncoding::kShiftJis) BuildShiftJisTables();
    if (fold_.encoding != TextEncoding::kUtf8) return;
    if (fold_.ignoreWidth) {
        BuildUtf8Tables();
        return;
    }
    // UTF-8 without width folding: a non-ASCII byte may begin a match only when some edge
    // test can match a non-ASCII code; a single such character narrows it to its first byte.
    std::array<bool, 256> high{};
    for (const DfaEdge& e : start.edges) {
        const CharTest& t = tests[static_cast<size_t>(e.test)];
        if (t.kind != TestKind::kChar || t.code == kAnyChar) {
            high.fill(true);
            break;
        }
        if (t.code >= 0x80) {
            char out[4];
            EncodeChar(TextEncoding::kUtf8, t.code, out);
            high[static_cast<uint8_t>(out[0])] = true;
        }
    }
    for (size_t b = 0x80; b < 256; ++b) firstByte_[b] = high[b];
    BuildUtf8Tables();
}

bool Regex::FirstCharMayStart(std::string_view line, size_t pos) const {
    TextChar c = ReadTextChar(fold_, line, pos);
    if (c.kind != TextChar::Kind::kChar) return true;
    const DfaState& start = automaton_.States()[0];
    if (c.code >= 0 && c.code < 128) return start.asciiNext[static_cast<size_t>(c.code)] != kNoEdge;
    for (const DfaEdge& e : start.edges) {
        if (automaton_.Tests()[static_cast<size_t>(e.test)].Matches(c.code)) return true;
    }
    return false;
}

// The first character decides for every double-byte code of a candidate lead byte; under
// width folding the code is folded first, so the pair table only narrows to the lead byte.
void Regex::BuildShiftJisTables() {
    pairStart_.reset();
    asciiMayStart_ = false;
    for (size_t b = 0; b < 0x80; ++b) asciiMayStart_ = asciiMayStart_ || firstByte_[b];
    for (size_t b = 0; b < 256; ++b) {
        const bool lead = platform::IsLeadByte(932, static_cast<uint8_t>(b));
        sjisByteClass_[b] = lead ? 2 : (firstByte_[b] ? 1 : 0);
        if (!lead || !firstByte_[b]) continue;
        if (fold_.ignoreWidth) {
            for (size_t t = 0x40; t < 256; ++t) pairStart_[b << 8 | t] = true;
            continue;
        }
        // Without width folding the code is the pair itself.
        const DfaState& start = automaton_.States()[0];
        for (const DfaEdge& e : start.edges) {
            const CharTest& test = automaton_.Tests()[static_cast<size_t>(e.test)];
            for (size_t t = 0x40; t < 256; ++t) {
                if (!pairStart_[b << 8 | t] && test.Matches(static_cast<CharCode>(b << 8 | t))) {
                    pairStart_[b << 8 | t] = true;
                }
            }
        }
    }
}

// The first position from pos on whose character may begin a match, or line.size(). A
// lead byte without a valid trail byte begins nothing (the attempt would stop at once).
size_t Regex::SkipToCandidateSjis(std::string_view line, size_t pos) const {
    const size_t n = line.size();
    const auto* p = reinterpret_cast<const uint8_t*>(line.data());
    while (pos < n) {
        const uint8_t cls = sjisByteClass_[p[pos]];
        if (cls == 1) return pos;
        if (cls == 0) {
            ++pos;
            if (!asciiMayStart_) {
                // No ASCII byte begins a match: pass over ASCII eight bytes at a time.
                uint64_t word;
                while (pos + 8 <= n) {
                    std::memcpy(&word, p + pos, 8);
                    if (word & 0x8080808080808080ULL) break;
                    pos += 8;
                }
            }
            continue;
        }
        if (pos + 1 < n && p[pos + 1] >= 0x40) {
            if (pairStart_[static_cast<size_t>(p[pos]) << 8 | p[pos + 1]]) return pos;
            pos += 2;
        } else {
            ++pos;
        }
    }
    return n;
}

// UTF-8: a multi-byte sequence's first two bytes narrow its code point to a range (one code
// for two-byte sequences), which decides for every character with that beginning.
void Regex::BuildUtf8Tables() {
    pairStart_.reset();
    asciiMayStart_ = false;
    for (size_t b = 0; b < 0x80; ++b) asciiMayStart_ = asciiMayStart_ || firstByte_[b];
    continuationMayStart_ = false;
    for (size_t b = 0x80; b < 0xC0; ++b)
        continuationMayStart_ = continuationMayStart_ || firstByte_[b];
    int candidates = 0;
    singleStartByte_ = -1;
    for (size_t b = 0; b < 256; ++b) {
        if (firstByte_[b]) ++candidates, singleStartByte_ = static_cast<int>(b);
    }
    // memchr pays for itself on a rare byte; a lead byte of UTF-8 is too common for it.
    if (candidates != 1 || singleStartByte_ >= 0x80) singleStartByte_ = -1;
    const DfaState& start = automaton_.States()[0];
    for (size_t b0 = 0xC2; b0 <= 0xF4; ++b0) {
        if (!firstByte_[b0]) continue;
        for (size_t b1 = 0x80; b1 <= 0xBF; ++b1) {
            CharCode lo = 0;
            CharCode hi = 0;
            if (b0 <= 0xDF) {
                lo = hi = static_cast<CharCode>((b0 & 0x1F) << 6 | (b1 & 0x3F));
            } else if (b0 <= 0xEF) {
                lo = static_cast<CharCode>((b0 & 0x0F) << 12 | (b1 & 0x3F) << 6);
                hi = lo + 0x3F;
            } else {
                lo = static_cast<CharCode>((b0 & 0x07) << 18 | (b1 & 0x3F) << 12);
                hi = lo + 0xFFF;
            }
            bool may = fold_.ignoreWidth;
            for (const DfaEdge& e : start.edges) {
                may = may || automaton_.Tests()[static_cast<size_t>(e.test)].MayMatchIn(lo, hi);
            }
            pairStart_[b0 << 8 | b1] = may;
        }
    }
}

// As SkipToCandidateSjis for UTF-8 text. A byte that does not begin a well-formed sequence is
// a character of its own.
size_t Regex::SkipToCandidateUtf8(std::string_view line, size_t pos) const {
    const size_t n = line.size();
    const auto* p = reinterpret_cast<const uint8_t*>(line.data());
    if (!continuationMayStart_) {
        // UTF-8 resynchronises: ASCII and lead bytes always begin a character, and no
        // continuation byte is a candidate, so candidates can be looked for byte by byte.
        while (pos < n) {
            if (singleStartByte_ >= 0) {
                const void* hit = std::memchr(p + pos, singleStartByte_, n - pos);
                if (hit == nullptr) return n;
                pos = static_cast<size_t>(static_cast<const uint8_t*>(hit) - p);
            } else {
                while (pos < n && !firstByte_[p[pos]]) ++pos;
                if (pos >= n) return n;
            }
            const uint8_t b = p[pos];
            if (b < 0x80) return pos;
            size_t length = 1;
            DecodeUtf8Char(line, pos, &length);
            if (length == 1 || pairStart_[static_cast<size_t>(b) << 8 | p[pos + 1]]) return pos;
            pos += length;
        }
        return n;
    }
    while (pos < n) {
        const uint8_t b = p[pos];
        if (b < 0x80) {
            if (firstByte_[b]) return pos;
            ++pos;
            if (!asciiMayStart_) {
                uint64_t word;
                while (pos + 8 <= n) {
                    std::memcpy(&word, p + pos, 8);
                    if (word & 0x8080808080808080ULL) break;
                    pos += 8;
                }
            }
            continue;
        }
        size_t length = 1;
        DecodeUtf8Char(line, pos, &length);
        if (firstByte_[b] &&
            (length == 1 || pairStart_[static_cast<size_t>(b) << 8 | p[pos + 1]])) {
            return pos;
        }
        pos += length;
    }
    return n;
}

size_t Regex::StepAt(std::string_view line, size_t pos) const {
    auto b = static_cast<uint8_t>(line[pos]);
    if (b < 0x80) return 1;
    size_t length = 1;
    DecodeChar(fold_.encoding, line, pos, &length);
    return length;
}

// Whether the character before line[pos] is an ASCII letter or digit. The byte before pos may
// be the trail byte of a double-byte character, so the line is walked from its start when the
// byte alone cannot decide.
bool Regex::WordCharBefore(std::string_view line, size_t pos) const {
    if (pos == 0 || !IsAsciiAlnum(static_cast<uint8_t>(line[pos - 1]))) return false;
    if (fold_.encoding != TextEncoding::kShiftJis) return true;
    size_t at = 0;
    while (true) {
        size_t step = StepAt(line, at);
        if (at + step >= pos) return step == 1;
        at += step;
    }
}

std::optional<size_t> Regex::MatchAt(std::string_view line, size_t pos, FollowingLines* more,
                                     const MatchConditions& conditions) {
    if (automaton_.Empty() || pos >= line.size()) return std::nullopt;
    if (conditions.atLineStart && pos != 0) return std::nullopt;
    matcher_.Reset();
    std::string_view cur = line;
    size_t at = pos;
    size_t lineIndex = 0;
    size_t offset = 0;  // bytes read since pos
    size_t consumed = 0;
    FeedResult r = FeedResult::kContinue;
    while (r == FeedResult::kContinue) {
        if (at >= cur.size()) {
            cur = more != nullptr ? more->Line(++lineIndex) : std::string_view{};
            at = 0;
            if (cur.empty()) {
                ends_[matcher_.FedCount()] = offset;
                r = matcher_.Feed(kEndOfText);
                break;
            }
            continue;
        }
        if (consumed == capacity_.maxChars) return std::nullopt;
        TextChar c = ReadTextChar(fold_, cur, at);
        if (c.kind == TextChar::Kind::kStop) {
            // A broken double-byte character ends the attempt like the end of the text: a
            // match that ends before it still counts.
            ends_[matcher_.FedCount()] = offset;
            r = matcher_.Feed(kEndOfText);
            break;
        }
        ++consumed;
        if (c.kind == TextChar::Kind::kChar) {
            ends_[matcher_.FedCount()] = offset;
            r = matcher_.Feed(c.code);
        }
        at += c.length;
        offset += c.length;
    }
    if (r != FeedResult::kMatch) return std::nullopt;
    const size_t length = ends_[matcher_.MatchLength()];
    if (conditions.atLineEnd || conditions.wholeWord) {
        int after = ByteAfter(line, pos, length, more);
        if (conditions.atLineEnd && after != '\n' && after != -1) return std::nullopt;
        if (conditions.wholeWord) {
            if (after >= 0 && IsAsciiAlnum(static_cast<uint8_t>(after))) return std::nullopt;
            if (WordCharBefore(line, pos)) return std::nullopt;
        }
    }
    return length;
}

std::optional<LineMatch> Regex::FindInLine(std::string_view line, size_t from, FollowingLines* more,
                                           const MatchConditions& conditions, bool usePrefilter) {
    if (automaton_.Empty()) return std::nullopt;
    if (conditions.atLineStart) {
        if (from != 0) return std::nullopt;
        std::optional<size_t> length = MatchAt(line, 0, more, conditions);
        if (!length) return std::nullopt;
        return LineMatch{0, *length};
    }
    const bool sjis = fold_.encoding == TextEncoding::kShiftJis;
    const bool utf8 = fold_.encoding == TextEncoding::kUtf8;
    size_t pos = from;
    const size_t n = line.size();
    while (pos < n) {
        if (usePrefilter && !startAccepts_) {
            if (sjis) {
                pos = SkipToCandidateSjis(line, pos);
            } else if (utf8) {
                pos = SkipToCandidateUtf8(line, pos);
                if (pos < n && !FirstCharMayStart(line, pos)) {
                    pos += StepAt(line, pos);
                    continue;
                }
            } else {
                // Pass over characters that cannot begin a match, by whole characters.
                while (pos < n && !firstByte_[static_cast<uint8_t>(line[pos])]) {
                    pos += StepAt(line, pos);
                }
                if (pos < n && !FirstCharMayStart(line, pos)) {
                    pos += StepAt(line, pos);
                    continue;
                }
            }
            if (pos >= n) break;
        }
        if (std::optional<size_t> length = MatchAt(line, pos, more, conditions)) {
            return LineMatch{pos, *length};
        }
        pos += StepAt(line, pos);
    }
    return std::nullopt;
}

}  // namespace norv::search
