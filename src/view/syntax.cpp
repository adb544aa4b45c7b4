// Keyword matching, comment-block states and the styles of a line's bytes.
//
// The block walk passes over the inside of words (a letter or digit after a letter or digit)
// and over multi-byte characters whole, and tests the block strings at every other byte, so a
// trail byte that looks like a quote or a slash never opens or closes a block.
#include "view/syntax.h"

#include <algorithm>

#include "document/char_model.h"
#include "view/link_finder.h"

namespace norv::view {
namespace {

bool IsAlnum(uint32_t c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

uint8_t Upper(uint8_t c) {
    return c >= 'a' && c <= 'z' ? static_cast<uint8_t>(c - 32) : c;
}

// Whether `line` holds `s` at byte i.
bool HoldsAt(const LineText& line, size_t i, std::string_view s) {
    if (i + s.size() > line.end()) return false;
    for (size_t k = 0; k < s.size(); ++k)
        if (line[i + k] != static_cast<uint8_t>(s[k])) return false;
    return true;
}

// A quote pair never runs past its line.
bool Carries(const BlockRule& b) {
    return (b.begin == "\"" || b.begin == "'") && b.end == b.begin;
}

size_t CharLen(const LineText& line, size_t i, int codePage) {
    const int trail = document::CharTrailBytes(codePage, line[i]);
    if (trail == 0) return 1;
    const size_t n = 1 + static_cast<size_t>(trail);
    if (i + n > line.end()) return 1;
    for (size_t k = 1; k < n; ++k)
        if (line[i + k] == '\n') return 1;
    return n;
}

// Walks a line's blocks from `state`; calls span(from, to, block) for every stretch of the line
// inside a block (strings included) and returns the next line's state.
template <typename OnSpan>
uint8_t WalkBlocks(const SyntaxRules& rules, const LineText& line, uint8_t state, int codePage,
                   OnSpan&& span) {
    if (!rules.ScansBlocks()) return 0;
    int open = state > 0 && rules.BlockTakesPart(state - 1u) ? state - 1 : -1;
    size_t openedAt = 0;
    const size_t end = line.end();
    bool inWord = false;
    size_t i = 0;
    while (i < end) {
        const uint8_t c = line[i];
        if (IsAlnum(c)) {
            if (inWord) {
                ++i;
                continue;
            }
        } else if (c >= 0x80) {
            const size_t len = CharLen(line, i, codePage);
            if (len > 1) {
                inWord = false;
                i += len;
                continue;
            }
        }
        inWord = IsAlnum(c);
        if (open >= 0) {
            const BlockRule& b = rules.blocks[static_cast<size_t>(open)];
            if (!b.end.empty() && HoldsAt(line, i, b.end)) {
                i += b.end.size();
                span(openedAt, i, open);
                open = -1;
                inWord = false;
                continue;
            }
            ++i;
            continue;
        }
        if (rules.MayOpenBlock(c)) {
            int best = -1;
            for (size_t k = 0; k < rules.blocks.size(); ++k) {
                if (!rules.BlockTakesPart(k)) continue;
                const std::string& s = rules.blocks[k].begin;
                if (static_cast<uint8_t>(s[0]) != c || !HoldsAt(line, i, s)) continue;
                if (best < 0 || s.size() > rules.blocks[static_cast<size_t>(best)].begin.size())
                    best = static_cast<int>(k);
            }
            if (best >= 0) {
                open = best;
                openedAt = i;
                i += rules.blocks[static_cast<size_t>(best)].begin.size();
                inWord = false;
                continue;
            }
        }
        ++i;
    }
    if (open < 0) return 0;
    span(openedAt, end, open);
    const BlockRule& b = rules.blocks[static_cast<size_t>(open)];
    if (b.end.empty() || Carries(b)) return 0;
    return static_cast<uint8_t>(open + 1);
}

}  // namespace

bool SyntaxRules::BlockTakesPart(size_t i) const {
    if (i >= blocks.size() || i >= 255) return false;
    const BlockRule& b = blocks[i];
    return !b.begin.empty() && b.group >= 0 && b.group < kSyntaxGroups &&
           groups[static_cast<size_t>(b.group)].applies;
}

bool SyntaxRules::ScansBlocks() const {
    return blockFirstBytes.any();
}

bool SyntaxRules::HasKeywords() const {
    return std::any_of(buckets.begin(), buckets.end(), [](const auto& b) { return !b.empty(); });
}

void SyntaxRules::Prepare() {
    blockFirstBytes.reset();
    for (size_t i = 0; i < blocks.size(); ++i)
        if (BlockTakesPart(i)) blockFirstBytes.set(static_cast<uint8_t>(blocks[i].begin[0]));
}

KeywordMatch MatchKeyword(const SyntaxRules& rules, std::string_view text, size_t pos,
                          uint32_t before, int codePage) {
    if (pos >= text.size()) return {};
    const uint8_t first = static_cast<uint8_t>(text[pos]);
    for (const KeywordRule& k : rules.buckets[Upper(first)]) {
        const GroupRule& g = rules.groups[k.group];
        if (!g.applies || k.text.size() > text.size() - pos) continue;
        bool same = true;
        for (size_t i = 0; i < k.text.size() && same;) {
            const size_t len =
                document::CharLength(codePage, text.data() + pos + i, text.data() + text.size());
            if (len == 1 && g.caseInsensitive) {
                same = Upper(static_cast<uint8_t>(text[pos + i])) ==
                       Upper(static_cast<uint8_t>(k.text[i]));
            } else {
                same = text.compare(pos + i, len, k.text, i, len) == 0;
            }
            i += len;
        }
        if (!same) continue;
        const auto kf = static_cast<uint8_t>(k.text.front());
        const auto kl = static_cast<uint8_t>(k.text.back());
        const size_t after = pos + k.text.size();
        const uint32_t a = after < text.size() ? static_cast<uint8_t>(text[after]) : 0;
        const bool accepted =
            (!IsAlnum(before) && !IsAlnum(a)) || (!IsAlnum(kf) && (!IsAlnum(kl) || !IsAlnum(a))) ||
            (!IsAlnum(kl) && (!IsAlnum(kf) || !IsAlnum(before)) && before != '_' && a != '_') ||
            document::CharTrailBytes(codePage, kf) > 0 ||
            (rules.systemCodePage == 932 && kf >= 0x80);
        if (accepted) return {k.text.size(), k.group};
    }
    return {};
}

uint8_t NextLineState(const SyntaxRules& rules, const LineText& line, uint8_t state, int codePage) {
    return WalkBlocks(rules, line, state, codePage, [](size_t, size_t, int) {});
}

std::vector<CharStyle> StyleLine(const SyntaxRules& rules, const LineText& line, uint8_t state,
                                 int codePage, bool findLinks) {
    const size_t end = line.end();
    std::vector<CharStyle> styles(end);
    std::vector<bool> blockColored(end, false);
    WalkBlocks(rules, line, state, codePage, [&](size_t from, size_t to, int block) {
        const BlockRule& b = rules.blocks[static_cast<size_t>(block)];
        for (size_t i = from; i < to; ++i) {
            if (b.colored) styles[i].group = static_cast<int8_t>(b.group);
            styles[i].bold = b.bold;
            blockColored[i] = b.colored;
        }
    });
    const std::string text = line.Content();
    if (rules.HasKeywords()) {
        uint32_t before = 0;
        size_t i = 0;
        while (i < end) {
            const size_t len = CharLen(line, i, codePage);
            const uint8_t c = line[i];
            // Inside a word no keyword can be accepted.
            if (!(IsAlnum(before) && IsAlnum(c))) {
                const KeywordMatch m = MatchKeyword(rules, text, i, before, codePage);
                if (m.length > 0) {
                    const GroupRule& g = rules.groups[static_cast<size_t>(m.group)];
                    for (size_t k = i; k < i + m.length; ++k) {
                        if (g.colored && !blockColored[k])
                            styles[k].group = static_cast<int8_t>(m.group);
                        if (g.bold) styles[k].bold = true;
                    }
                    const char* last = document::PrevCharStart(codePage, text.data() + i,
                                                               text.data() + i + m.length);
                    i += m.length;
                    before =
                        last == text.data() + i - 1 ? static_cast<uint8_t>(text[i - 1]) : 0x100u;
                    continue;
                }
            }
            before = len == 1 ? c : 0x100u;
            i += len;
        }
    }
    if (findLinks) {
        for (const LinkSpan& l : FindLinks(text, codePage))
            for (size_t k = l.start; k < l.end(); ++k) styles[k].link = true;
    }
    return styles;
}

void UpdateLineStates(const SyntaxRules& rules, int codePage, document::LineRecord* target,
                      int targetLine, int validThrough,
                      const std::function<LineText(const document::LineRecord*)>& textOf) {
    if (targetLine <= validThrough) return;
    const int from = std::max(1, validThrough);
    document::LineRecord* r = target;
    for (int n = targetLine; n > from && r->prev; --n) r = r->prev;
    if (!r->prev || validThrough < 1) r->highlight = 0;
    if (!rules.ScansBlocks()) {
        for (; r != target; r = r->next) r->next->highlight = 0;
        return;
    }
    for (; r != target; r = r->next)
        r->next->highlight = NextLineState(rules, textOf(r), r->highlight, codePage);
}

void MarkMarkup(std::vector<CharStyle>& styles, std::string_view content) {
    const size_t end = std::min(styles.size(), content.size());
    bool inTag = false;
    for (size_t i = 0; i < end; ++i) {
        if (!inTag && content[i] == '<') inTag = true;
        CharStyle& s = styles[i];
        if (inTag && s.group < 0 && !s.link) s.markup = true;
        if (inTag && content[i] == '>') inTag = false;
    }
}

}  // namespace norv::view
