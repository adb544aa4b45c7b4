// The scanner and recursive-descent parser of regular expressions: pattern text to a tree.
//
// The language is small: characters, "." (any character but the line end), classes "[...]",
// escapes, grouping "( )", alternation "|", and the postfix operators "*", "+" and "?". There
// are no syntax errors: every byte string is read as some pattern, by these rules:
//   - leading "*", "+" and "?" of the pattern, and of a group, are skipped;
//   - a run of "*" and "+" after "*" or "+" is one operator;
//   - an item takes at most one postfix operator; a "?" after another operator ends the
//     concatenation, and an operator with nothing before it applies to the empty string;
//   - whatever follows the outermost alternation (a stray ")" or "?") is ignored;
//   - an unclosed "(" is closed by the end, an unclosed "[" runs to the end.
// Leaf codes are folded (case, width) as the text will be, so the automaton compares folded
// codes only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "search/char_test.h"

namespace norv::search {

enum class NodeType : uint8_t {
    kLeaf = 0,
    kConcatenation = 1,
    kAlternation = 2,
    kClosure = 3,
    kEmpty = 4
};

inline constexpr int32_t kNoNode = -1;

struct TreeNode {
    NodeType type = NodeType::kEmpty;
    int32_t test = -1;       // index into PatternTree::tests (leaves)
    int32_t left = kNoNode;  // child of a closure, left operand otherwise
    int32_t right = kNoNode;
};

// All nodes of one pattern, freed together. A node may be shared (x+ is x followed by x*).
struct PatternTree {
    std::vector<TreeNode> nodes;
    std::vector<CharTest> tests;
    int32_t root = kNoNode;

    // A readable form: cat(a,star(b)), alt(a,()), [set], any...
    std::string Dump(TextEncoding encoding) const;
};

struct ParserLimits {
    size_t maxNodes = 4096;  // larger patterns are refused
    size_t maxDepth = 200;   // nesting of groups
};

// Parses a whole pattern. Returns nothing only when a limit is exceeded.
std::optional<PatternTree> ParsePattern(std::string_view pattern, const FoldOptions& fold,
                                        const ParserLimits& limits = {});

}  // namespace norv::search
