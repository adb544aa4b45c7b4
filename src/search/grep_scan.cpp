// Matching and accepting the lines of find in files (see grep_scan.h).
#include "search/grep_scan.h"

#include <algorithm>
#include <cstring>

#include "document/char_model.h"
#include "platform/code_page.h"

namespace norv::search {
namespace {

bool Blank(char c) {
    return c == ' ' || c == '\t';
}

size_t LineEndOf(std::string_view text, size_t pos) {
    const void* hit = std::memchr(text.data() + pos, '\n', text.size() - pos);
    return hit ? static_cast<size_t>(static_cast<const char*>(hit) - text.data()) : text.size();
}

// How often a byte is met in the texts searched, from 0 (hardly ever) to 255: the letters of
// words and the blank first, then the bytes that Japanese text is made of in Shift-JIS (the lead
// bytes of kana and symbols) and UTF-8 (the continuation bytes and the lead byte of kana).
uint8_t ByteFrequency(uint8_t b) {
    static constexpr std::string_view kCommon = " etaoinsrhldcumfpgwybvkxjqz";
    if (const size_t i = kCommon.find(static_cast<char>(b)); i != std::string_view::npos)
        return static_cast<uint8_t>(255 - i);
    if (b == '\n' || b == '\t' || b == '\r') return 220;
    if (b == 0x81 || b == 0x82 || b == 0x83 || b == 0xE3) return 200;
    if (b >= 0x80 && b <= 0xBF) return 180;
    if ((b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9')) return 150;
    if (b >= 0x21 && b < 0x7F) return 140;
    if (b >= 0x80) return 100;
    return 10;
}

// A literal searched by its rarest byte: given up in a block when, after this many false
// candidates, they come on average closer than kRareMinGap bytes.
constexpr uint64_t kRareTrial = 16;
constexpr uint64_t kRareMinGap = 64;

}  // namespace

size_t LineStartOf(std::string_view text, size_t floor, size_t pos) {
    if (pos <= floor) return floor;
    const void* hit = memrchr(text.data() + floor, '\n', pos - floor);
    return hit ? static_cast<size_t>(static_cast<const char*>(hit) - text.data()) + 1 : floor;
}

bool GrepMatcher::Compile(std::string_view searchString, const GrepOptions& options, int codePage,
                          int stringCodePage) {
    codePage_ = codePage;
    multiByte_ = codePage == 932 || document::IsUtf8CodePage(codePage);
    line_ = Line{};
    FindOptions& o = find_.options;
    o = FindOptions{};
    o.regularExpression = options.regularExpression;
    o.matchTopOfLine = options.matchTopOfLine;
    o.matchEndOfLine = options.matchEndOfLine;
    o.ignoreCase = options.ignoreCase;
    o.ignoreMbcs = options.ignoreMbcs;
    // The word rule of find in files is not Find's: it is applied here.
    o.matchWord = false;
    find_.searchString = std::string(searchString);
    find_.stringCodePage = stringCodePage;
    find_.Compile(codePage);
    word_ = options.matchWord;
    top_ = find_.topOfLine();
    end_ = find_.endOfLine();
    if (searchString.empty()) return ok_ = false;
    if (options.regularExpression) return ok_ = find_.regex() != nullptr;
    if (find_.compiledEmpty()) return ok_ = false;
    const std::string& literal = find_.literal();
    rareByte_ = !literal.empty();
    rareIndex_ = 0;
    for (size_t i = 1; i < literal.size(); ++i) {
        if (ByteFrequency(static_cast<uint8_t>(literal[i])) <
            ByteFrequency(static_cast<uint8_t>(literal[rareIndex_])))
            rareIndex_ = i;
    }
    tableNeeded_ = find_.literal().empty() && (find_.firstByte() < 0 || find_.fold().ignoreWidth);
    if (!tableNeeded_) return ok_ = true;
    // The bytes a character that reads as the pattern's first one can begin with: every single
    // byte and every double-byte character is read once, as the text will be read.
    mayStart_.fill(false);
    PlainMatcher first;
    first.Compile(ForDocument(find_.searchString, stringCodePage, codePage), codePage,
                  find_.fold());
    const CharCode head = first.codes().front();
    const FoldOptions& fold = find_.fold();
    auto starts = [&](std::string_view bytes) {
        TextChar c = ReadTextChar(fold, bytes, 0);
        return c.kind == TextChar::Kind::kSkip ||
               (c.kind == TextChar::Kind::kChar && c.code == head);
    };
    for (int b = 0; b < 256; ++b) {
        const char one = static_cast<char>(b);
        if (fold.encoding == TextEncoding::kUtf8 && b >= 0x80) {
            // Any sequence may fold to the head under ignore width; otherwise only the head's
            // own first byte begins it.
            char out[4];
            mayStart_[static_cast<size_t>(b)] = fold.ignoreWidth ||
                                                (head >= 0x80 && head < kRawByteBase &&
                                                 EncodeChar(TextEncoding::kUtf8, head, out) > 0 &&
                                                 static_cast<uint8_t>(out[0]) == b) ||
                                                head == kRawByteBase + b;
        } else if (fold.encoding == TextEncoding::kShiftJis &&
                   platform::IsLeadByte(932, static_cast<uint8_t>(b))) {
            bool may = starts({&one, 1});
            char pair[2] = {one, 0};
            for (int t = 0x40; t < 256 && !may; ++t) {
                pair[1] = static_cast<char>(t);
                may = starts({pair, 2});
            }
            mayStart_[static_cast<size_t>(b)] = may;
        } else {
            mayStart_[static_cast<size_t>(b)] = starts({&one, 1});
        }
    }
    return ok_ = true;
}

const GrepMatcher::Line& GrepMatcher::LineAt(std::string_view text, size_t floor, size_t pos) {
    if (line_.start != SIZE_MAX && pos >= line_.start && pos <= line_.end) return line_;
    size_t from = floor;
    if (line_.start != SIZE_MAX && line_.end < pos && line_.end + 1 > from) from = line_.end + 1;
    line_.start = LineStartOf(text, from, pos);
    line_.end = LineEndOf(text, pos);
    line_.firstText = line_.start;
    while (line_.firstText < line_.end && Blank(text[line_.firstText])) ++line_.firstText;
    line_.walk = line_.start;
    return line_;
}

bool GrepMatcher::IsBoundary(std::string_view text, size_t pos) {
    if (!multiByte_) return true;
    if (line_.walk > pos) line_.walk = line_.start;
    const char* base = text.data();
    while (line_.walk < pos)
        line_.walk += document::CharLength(codePage_, base + line_.walk, base + line_.end);
    return line_.walk == pos;
}

bool GrepMatcher::Accepts(std::string_view text, size_t pos, size_t length) const {
    if (top_ && pos > line_.firstText) return false;
    if (!word_ && !end_) return true;
    const size_t at = pos + length;
    const auto after = at < text.size() ? static_cast<uint8_t>(text[at]) : uint8_t('\n');
    if (end_ && after != '\n') return false;
    if (word_) {
        const auto before = pos > 0 ? static_cast<uint8_t>(text[pos - 1]) : uint8_t('\n');
        if (before > 0x3F || after > 0x3F) return false;
    }
    return true;
}

std::optional<size_t> GrepMatcher::MatchAt(std::string_view text, size_t pos) {
    return find_.RawMatchAt(text, pos, nullptr);
}

size_t GrepMatcher::NextLiteralByRareByte(std::string_view text, size_t pos, size_t limit) {
    const char* base = text.data();
    const std::string& literal = find_.literal();
    const size_t length = literal.size();
    // A match starts before `limit` and lies whole in the text.
    const size_t lastStart = std::min(limit - 1, text.size() - length);
    const char rare = literal[rareIndex_];
    size_t at = pos + rareIndex_;
    while (pos <= lastStart) {
        const void* hit = std::memchr(base + at, rare, lastStart + rareIndex_ + 1 - at);
        if (!hit) return limit;
        const size_t found = static_cast<size_t>(static_cast<const char*>(hit) - base);
        const size_t start = found - rareIndex_;
        if (std::memcmp(base + start, literal.data(), length) == 0) return start;
        rareBytes_ += found + 1 - at;
        at = found + 1;
        pos = start + 1;
        if (++rareFalse_ >= kRareTrial && rareBytes_ < rareFalse_ * kRareMinGap) {
            rareByte_ = false;  // memmem for the rest of the block
            return NextCandidate(text, pos, limit);
        }
    }
    return limit;
}

size_t GrepMatcher::NextCandidate(std::string_view text, size_t pos, size_t limit) {
    const char* base = text.data();
    const std::string& literal = find_.literal();
    if (!literal.empty()) {
        if (text.size() < literal.size() || pos >= limit) return limit;
        if (rareByte_) return NextLiteralByRareByte(text, pos, limit);
        // A match is the literal's bytes, so it must lie whole in the text.
        const size_t span = std::min(text.size(), limit + literal.size() - 1) - pos;
        const void* hit = span >= literal.size()
                              ? memmem(base + pos, span, literal.data(), literal.size())
                              : nullptr;
        return hit ? static_cast<size_t>(static_cast<const char*>(hit) - base) : limit;
    }
    if (!tableNeeded_) {
        const void* a = std::memchr(base + pos, find_.firstByte(), limit - pos);
        size_t at = a ? static_cast<size_t>(static_cast<const char*>(a) - base) : limit;
        if (find_.firstByteAlt() >= 0) {
            const void* b = std::memchr(base + pos, find_.firstByteAlt(), at - pos);
            if (b) at = static_cast<size_t>(static_cast<const char*>(b) - base);
        }
        return at;
    }
    const auto* p = reinterpret_cast<const uint8_t*>(base);
    while (pos < limit && !mayStart_[p[pos]]) ++pos;
    return pos;
}

std::optional<size_t> GrepMatcher::FindPlain(std::string_view text, size_t from, size_t limit) {
    size_t pos = from;
    while (pos < limit) {
        const size_t c = NextCandidate(text, pos, limit);
        if (c >= limit) return std::nullopt;
        const Line& line = LineAt(text, from, c);
        if (top_ && c > line.firstText) {
            pos = line.end + 1;  // nothing later in this line can count
            continue;
        }
        if (IsBoundary(text, c)) {
            if (std::optional<size_t> n = MatchAt(text, c); n && Accepts(text, c, *n)) return c;
        }
        pos = c + 1;
    }
    return std::nullopt;
}

std::optional<size_t> GrepMatcher::FindRegex(std::string_view text, size_t from, size_t limit) {
    Regex& regex = *find_.regex();
    size_t pos = from;
    while (pos < limit) {
        std::optional<LineMatch> m = regex.FindInLine(text, pos, nullptr, {}, true);
        if (!m || m->start >= limit) return std::nullopt;
        const Line& line = LineAt(text, from, m->start);
        if (top_ && m->start > line.firstText) {
            pos = line.end + 1;
            continue;
        }
        if (IsBoundary(text, m->start) && Accepts(text, m->start, m->length)) return m->start;
        // On to the next character as the expression reads characters.
        size_t length = 1;
        DecodeChar(find_.fold().encoding, text, m->start, &length);
        pos = m->start + length;
    }
    return std::nullopt;
}

std::optional<size_t> GrepMatcher::FindEveryChar(std::string_view text, size_t from, size_t limit) {
    const char* base = text.data();
    for (size_t start = from; start < limit;) {
        const Line& line = LineAt(text, from, start);
        for (size_t p = line.start; p <= line.end && p < limit;) {
            if (std::optional<size_t> n = MatchAt(text, p); n && Accepts(text, p, *n)) return p;
            if (p == line.end) break;
            p += document::CharLength(codePage_, base + p, base + line.end);
        }
        start = line.end + 1;
    }
    return std::nullopt;
}

std::optional<size_t> GrepMatcher::Find(std::string_view text, size_t from, size_t limit) {
    if (!ok_ || from >= limit) return std::nullopt;
    line_ = Line{};
    if (from == 0 && !find_.literal().empty()) {
        // Each block (searched from its start) tries the rare byte afresh.
        rareByte_ = true;
        rareFalse_ = rareBytes_ = 0;
    }
    if (!usePrefilter) return FindEveryChar(text, from, limit);
    if (find_.options.regularExpression) return FindRegex(text, from, limit);
    return FindPlain(text, from, limit);
}

}  // namespace norv::search
