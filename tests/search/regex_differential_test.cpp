// The matcher against a small reference matcher on generated patterns and texts.
//
// The reference works on the pattern's tree directly: the set of positions where a match of a
// node can end, computed by plain recursion (a closure iterates to a fixed point). The engine
// must agree with it as follows:
//   - when no state of the automaton has two edges that match one character of the alphabet
//     (the automaton is deterministic on this alphabet), the match at every position is
//     exactly the longest prefix that the reference accepts;
//   - otherwise the matcher follows ranked edges with one alternative and may miss a match,
//     but a match it reports must be one the reference accepts.
// Every text is also searched with and without the first-byte prefilter, which must give the
// same first match as trying each position in turn, and every attempt is repeated without the
// matcher's ASCII transition tables, which must not change its answer.
#include <gtest/gtest.h>

#include <random>
#include <set>
#include <span>

#include "platform/width_map.h"
#include "search/regex.h"
#include "search/regex_test_support.h"

namespace norv::search {
namespace {

using Ends = std::set<size_t>;

void EndsOf(const PatternTree& tree, int32_t n, const std::vector<CharCode>& text, size_t start,
            Ends& out) {
    if (n == kNoNode) {
        out.insert(start);
        return;
    }
    const TreeNode& node = tree.nodes[static_cast<size_t>(n)];
    switch (node.type) {
        case NodeType::kEmpty:
            out.insert(start);
            return;
        case NodeType::kLeaf:
            if (start < text.size() &&
                tree.tests[static_cast<size_t>(node.test)].Matches(text[start])) {
                out.insert(start + 1);
            }
            return;
        case NodeType::kAlternation:
            EndsOf(tree, node.left, text, start, out);
            EndsOf(tree, node.right, text, start, out);
            return;
        case NodeType::kConcatenation: {
            Ends mid;
            EndsOf(tree, node.left, text, start, mid);
            for (size_t m : mid) EndsOf(tree, node.right, text, m, out);
            return;
        }
        case NodeType::kClosure: {
            Ends reach{start};
            std::vector<size_t> work{start};
            while (!work.empty()) {
                size_t p = work.back();
                work.pop_back();
                Ends next;
                EndsOf(tree, node.left, text, p, next);
                for (size_t e : next) {
                    if (reach.insert(e).second) work.push_back(e);
                }
            }
            out.insert(reach.begin(), reach.end());
            return;
        }
    }
}

// The alphabet of the texts: letters, the line end, two hiragana, and a katakana whose trail
// byte is 0x61 ("a"), which ignore case must leave alone.
constexpr CharCode kTextAlphabet[] = {'a', 'b', 'c', 'A', '\n', 0x82A0, 0x82A2, 0x8361};
// In UTF-8 documents: a Korean syllable and an emoji that code page 932 lacks, and "?".
constexpr CharCode kUtf8Alphabet[] = {'a', 'b', '?', '\n', 0xD55C, 0xAD6D, 0x1F600, 0xE9};

// Pattern pieces; any sequence of them is a pattern (malformed ones included).
constexpr std::string_view kPieces932[] = {
    "a",   "b", "A", ".", "[ab]", "[^a]", "[a-c]", "\x82\xA0", "[\x82\xA0-\x82\xA2]",
    "\\n", "(", ")", "|", "*",    "+",    "?",     "\\x61",    "\x83\x61",
};

constexpr std::string_view kPiecesUtf8[] = {
    "a",
    "b",
    ".",
    "[?]",
    "\\?",
    "\xED\x95\x9C",
    "[\xEA\xB0\x80-\xED\x9E\xA3]",
    "\xF0\x9F\x98\x80",
    "[^a]",
    "\\xc3\\xa9",
    "\\n",
    "(",
    ")",
    "|",
    "*",
    "+",
    "?",
};

struct Stats {
    size_t patterns = 0;
    size_t deterministic = 0;
    size_t attempts = 0;
    size_t referenceOnly = 0;  // matches the heuristic missed (allowed when not deterministic)
};

bool IsDeterministic(const Automaton& a, const std::vector<CharCode>& alphabet) {
    for (const DfaState& s : a.States()) {
        for (CharCode c : alphabet) {
            int n = 0;
            for (const DfaEdge& e : s.edges) n += a.Tests()[static_cast<size_t>(e.test)].Matches(c);
            if (n > 1) return false;
        }
    }
    return true;
}

bool g_ignoreWidth = false;

// Width folding: full-width and half-width letters and kana, and a lone sound mark.
constexpr CharCode kWidthAlphabet[] = {'A', 'B', 0x8260, 0x8261, 0xB6, 0xDE, 0x834A, 0x834B, '\n'};
constexpr std::string_view kPiecesWidth[] = {
    "A", "\x82\x60", "\xB6", "\xDE", "\x83\x4A", "\x83\x4B", "[\x82\x60-\x82\x62]", "[A-C]", ".",
    "(", ")",        "|",    "*",    "+",        "?",
};

TextEncoding g_encoding = TextEncoding::kShiftJis;
std::span<const CharCode> g_alphabet = kTextAlphabet;

// Sets the encoding, width folding and text alphabet of the tests that follow.
void Configure(TextEncoding encoding, bool ignoreWidth, std::span<const CharCode> alphabet) {
    g_encoding = encoding;
    g_ignoreWidth = ignoreWidth;
    g_alphabet = alphabet;
}

std::string Encode(const std::vector<CharCode>& codes) {
    std::string out;
    char buf[4];
    for (CharCode c : codes) out.append(buf, EncodeChar(g_encoding, c, buf));
    return out;
}

// The text's code as the reference compares it, or nothing for a sound mark that width folding
// skips.
std::optional<CharCode> FoldForReference(CharCode c, bool ignoreCase) {
    if (g_ignoreWidth) {
        uint8_t half[2];
        if (c >= 0x100 && platform::FullToHalfWidth(static_cast<uint16_t>(c), half) > 0) {
            c = half[0];
        }
        if (c == 0xDE || c == 0xDF) return std::nullopt;
    }
    return (ignoreCase && c >= 'a' && c <= 'z') ? c - 0x20 : c;
}

void CheckPattern(const std::string& pattern, const std::vector<std::vector<CharCode>>& texts,
                  bool ignoreCase, Stats& stats) {
    Regex re;
    RegexCapacity plainCapacity;
    plainCapacity.asciiTables = false;
    Regex plain(plainCapacity);
    RegexOptions options{g_encoding == TextEncoding::kUtf8 ? 65001 : 932, ignoreCase,
                         g_ignoreWidth};
    if (re.Compile(pattern, options) != CompileStatus::kOk) return;
    ASSERT_EQ(plain.Compile(pattern, options), CompileStatus::kOk);
    std::optional<PatternTree> tree = ParsePattern(pattern, re.Fold());
    ASSERT_TRUE(tree);
    ++stats.patterns;
    std::vector<CharCode> alphabet;
    for (CharCode c : g_alphabet) {
        if (auto f = FoldForReference(c, ignoreCase)) alphabet.push_back(*f);
    }
    const bool deterministic = IsDeterministic(re.GetAutomaton(), alphabet);
    stats.deterministic += deterministic;

    for (const std::vector<CharCode>& codes : texts) {
        // The text as lines; every line ends in a line feed.
        std::vector<CharCode> all = codes;
        if (all.empty() || all.back() != '\n') all.push_back('\n');
        testing::LineText lines(Encode(all));
        size_t lineStartCode = 0;  // index in `all` of the first character of line i
        for (size_t i = 0; i < lines.Count(); ++i) {
            lines.SetBase(i);
            std::string_view line = lines.At(i);
            std::optional<size_t> firstHit;
            size_t pos = 0;
            size_t k = lineStartCode;
            for (; pos < line.size(); ++k) {
                // The folded rest of the text, and where each folded character stands in it.
                std::vector<CharCode> rest;
                std::vector<size_t> rawIndex;
                for (size_t j = k; j < all.size(); ++j) {
                    if (auto f = FoldForReference(all[j], ignoreCase)) {
                        rest.push_back(*f);
                        rawIndex.push_back(j - k);
                    }
                }
                rawIndex.push_back(all.size() - k);  // a match to the end takes everything
                Ends folded;
                EndsOf(*tree, tree->root, rest, 0, folded);
                Ends ends;  // in characters of the text
                for (size_t e : folded) ends.insert(rawIndex[e]);
                std::optional<size_t> expected;
                if (!ends.empty()) expected = *ends.rbegin();
                std::optional<size_t> got = re.MatchAt(line, pos, &lines);
                ASSERT_EQ(got, plain.MatchAt(line, pos, &lines)) << "tables: pattern " << pattern;
                ++stats.attempts;
                // Lengths in characters: count the codes the byte length covers.
                std::optional<size_t> gotChars;
                if (got) {
                    size_t bytes = 0, n = 0;
                    char buf[4];
                    while (bytes < *got) bytes += EncodeChar(g_encoding, all[k + n++], buf);
                    gotChars = n;
                }
                if (deterministic) {
                    ASSERT_EQ(gotChars, expected)
                        << "pattern " << pattern << " text " << Encode(all) << " at code " << k
                        << " ignoreCase " << ignoreCase << "\n"
                        << re.GetAutomaton().Dump(TextEncoding::kShiftJis);
                } else if (gotChars) {
                    ASSERT_TRUE(ends.count(*gotChars))
                        << "false match: pattern " << pattern << " text " << Encode(all)
                        << " at code " << k << "\n"
                        << re.GetAutomaton().Dump(TextEncoding::kShiftJis);
                } else if (expected) {
                    ++stats.referenceOnly;
                }
                if (got && !firstHit) firstHit = pos;
                char buf[4];
                pos += EncodeChar(g_encoding, all[k], buf);
            }
            lineStartCode = k;
            for (bool prefilter : {false, true}) {
                auto m = re.FindInLine(line, 0, &lines, {}, prefilter);
                ASSERT_EQ(m ? std::optional<size_t>(m->start) : std::nullopt, firstHit)
                    << "pattern " << pattern << " line " << i << " prefilter " << prefilter;
            }
        }
    }
}

std::vector<std::vector<CharCode>> RandomTexts(std::mt19937& rng, size_t count) {
    std::vector<std::vector<CharCode>> texts;
    std::uniform_int_distribution<size_t> len(0, 7);
    std::uniform_int_distribution<size_t> pick(0, g_alphabet.size() - 1);
    for (size_t i = 0; i < count; ++i) {
        std::vector<CharCode> t(len(rng));
        for (CharCode& c : t) c = g_alphabet[pick(rng)];
        texts.push_back(std::move(t));
    }
    return texts;
}

TEST(RegexDifferential, ExhaustiveShortPatterns) {
    Configure(TextEncoding::kShiftJis, false, kTextAlphabet);
    std::mt19937 rng(1);
    const auto texts = RandomTexts(rng, 8);
    Stats stats;
    const size_t n = std::size(kPieces932);
    for (size_t a = 0; a < n; ++a) {
        for (size_t b = 0; b <= n; ++b) {
            for (size_t c = 0; c <= n; ++c) {
                if (b == n && c != n) continue;
                std::string p(kPieces932[a]);
                if (b < n) p += kPieces932[b];
                if (c < n) p += kPieces932[c];
                CheckPattern(p, texts, (a + b + c) % 3 == 0, stats);
                if (HasFatalFailure()) return;
            }
        }
    }
    EXPECT_GT(stats.deterministic, stats.patterns / 2);
    RecordProperty("patterns", std::to_string(stats.patterns));
    std::printf(
        "exhaustive: %zu patterns, %zu deterministic, %zu attempts, %zu missed by the heuristic\n",
        stats.patterns, stats.deterministic, stats.attempts, stats.referenceOnly);
}

TEST(RegexDifferential, RandomLongerPatterns) {
    Configure(TextEncoding::kShiftJis, false, kTextAlphabet);
    std::mt19937 rng(2);
    Stats stats;
    std::uniform_int_distribution<size_t> len(4, 10);
    std::uniform_int_distribution<size_t> pick(0, std::size(kPieces932) - 1);
    for (int i = 0; i < 4000; ++i) {
        std::string p;
        for (size_t j = len(rng); j > 0; --j) p += kPieces932[pick(rng)];
        CheckPattern(p, RandomTexts(rng, 6), i % 2 == 1, stats);
        if (HasFatalFailure()) return;
    }
    EXPECT_GT(stats.deterministic, stats.patterns / 4);
    std::printf(
        "random: %zu patterns, %zu deterministic, %zu attempts, %zu missed by the heuristic\n",
        stats.patterns, stats.deterministic, stats.attempts, stats.referenceOnly);
}

TEST(RegexDifferential, RandomPatternsInUtf8Documents) {
    Configure(TextEncoding::kUtf8, false, kUtf8Alphabet);
    std::mt19937 rng(3);
    Stats stats;
    std::uniform_int_distribution<size_t> len(1, 8);
    std::uniform_int_distribution<size_t> pick(0, std::size(kPiecesUtf8) - 1);
    for (int i = 0; i < 3000; ++i) {
        std::string p;
        for (size_t j = len(rng); j > 0; --j) p += kPiecesUtf8[pick(rng)];
        CheckPattern(p, RandomTexts(rng, 6), i % 2 == 1, stats);
        if (HasFatalFailure()) break;
    }
    g_encoding = TextEncoding::kShiftJis;
    EXPECT_GT(stats.deterministic, stats.patterns / 4);
    std::printf(
        "utf-8: %zu patterns, %zu deterministic, %zu attempts, %zu missed by the heuristic\n",
        stats.patterns, stats.deterministic, stats.attempts, stats.referenceOnly);
}

TEST(RegexDifferential, RandomPatternsIgnoringWidth) {
    Configure(TextEncoding::kShiftJis, true, kWidthAlphabet);
    std::mt19937 rng(4);
    Stats stats;
    std::uniform_int_distribution<size_t> len(1, 8);
    std::uniform_int_distribution<size_t> pick(0, std::size(kPiecesWidth) - 1);
    for (int i = 0; i < 3000; ++i) {
        std::string p;
        for (size_t j = len(rng); j > 0; --j) p += kPiecesWidth[pick(rng)];
        CheckPattern(p, RandomTexts(rng, 6), i % 2 == 1, stats);
        if (HasFatalFailure()) break;
    }
    Configure(TextEncoding::kShiftJis, false, kTextAlphabet);
    EXPECT_GT(stats.deterministic, stats.patterns / 4);
    std::printf("width: %zu patterns, %zu deterministic, %zu attempts, %zu missed\n",
                stats.patterns, stats.deterministic, stats.attempts, stats.referenceOnly);
}

}  // namespace
}  // namespace norv::search
