// Scanner and recursive-descent parser of regular expressions (see regex_parser.h).
// Each parse function carries the grammar rule it reads in the comment above it.
#include "search/regex_parser.h"

namespace norv::search {
namespace {

enum class TokenType : uint8_t {
    kEnd,
    kOpen,
    kClose,
    kClosure,
    kOneOrMore,
    kOptional,
    kAlternation,
    kChar,
    kClass
};

struct Token {
    TokenType type = TokenType::kEnd;
    CharCode code = 0;           // Char
    std::string_view classText;  // Class: the text between the brackets
};

class Scanner {
  public:
    Scanner(std::string_view pattern, TextEncoding encoding) : p_(pattern), enc_(encoding) {}

    // Skips "*", "+" and "?" bytes at the scan point.
    void SkipOperators() {
        while (pos_ < p_.size() && (p_[pos_] == '*' || p_[pos_] == '+' || p_[pos_] == '?')) ++pos_;
    }

    Token Next() {
        Token t;
        if (pos_ >= p_.size()) return t;
        char c = p_[pos_];
        switch (c) {
            case '(':
                ++pos_, t.type = TokenType::kOpen;
                return t;
            case ')':
                ++pos_, t.type = TokenType::kClose;
                return t;
            case '?':
                ++pos_, t.type = TokenType::kOptional;
                return t;
            case '|':
                ++pos_, t.type = TokenType::kAlternation;
                return t;
            case '.':
                ++pos_, t.type = TokenType::kChar, t.code = kAnyChar;
                return t;
            case '*':
            case '+':
                ++pos_;
                t.type = c == '*' ? TokenType::kClosure : TokenType::kOneOrMore;
                while (pos_ < p_.size() && (p_[pos_] == '*' || p_[pos_] == '+')) ++pos_;
                return t;
            case '[':
                return ScanClass();
            default: {
                PatternChar pc = ReadPatternChar(enc_, p_, pos_);
                pos_ += pc.length;
                t.type = TokenType::kChar;
                t.code = pc.code;
                return t;
            }
        }
    }

  private:
    // "[": the class runs to the next "]" character; a "]" right after "[" is a member. The
    // scan goes by characters, so a trail byte 0x5D does not close the class.
    Token ScanClass() {
        size_t start = ++pos_;
        size_t at = start;
        bool first = true;
        while (at < p_.size()) {
            if (p_[at] == ']' && !first) break;
            size_t length = 1;
            DecodeChar(enc_, p_, at, &length);
            at += length;
            first = false;
        }
        Token t;
        t.type = TokenType::kClass;
        t.classText = p_.substr(start, at - start);
        pos_ = at < p_.size() ? at + 1 : at;
        return t;
    }

    std::string_view p_;
    TextEncoding enc_;
    size_t pos_ = 0;
};

class Parser {
  public:
    Parser(std::string_view pattern, const FoldOptions& fold, const ParserLimits& limits)
        : scanner_(pattern, fold.encoding), fold_(fold), limits_(limits) {}

    // pattern := {"*" | "+" | "?"} alternation [anything, ignored]
    std::optional<PatternTree> ParseWhole() {
        scanner_.SkipOperators();
        Advance();
        int32_t root = Alternation(0);
        if (failed_) return std::nullopt;
        tree_.root = root;
        return std::move(tree_);
    }

  private:
    void Advance() { tok_ = scanner_.Next(); }

    int32_t Add(NodeType type, int32_t left = kNoNode, int32_t right = kNoNode, int32_t test = -1) {
        if (tree_.nodes.size() >= limits_.maxNodes) {
            failed_ = true;
            return kNoNode;
        }
        tree_.nodes.push_back(TreeNode{type, test, left, right});
        return static_cast<int32_t>(tree_.nodes.size() - 1);
    }

    int32_t Leaf(CharTest test) {
        tree_.tests.push_back(std::move(test));
        return Add(NodeType::kLeaf, kNoNode, kNoNode, static_cast<int32_t>(tree_.tests.size() - 1));
    }

    bool EndsConcatenation() const {
        return tok_.type == TokenType::kAlternation || tok_.type == TokenType::kOptional ||
               tok_.type == TokenType::kClose || tok_.type == TokenType::kEnd;
    }

    // alternation := concatenation {"|" concatenation}     (left-leaning)
    int32_t Alternation(size_t depth) {
        int32_t left = Concatenation(depth);
        while (!failed_ && tok_.type == TokenType::kAlternation) {
            Advance();
            int32_t right = Concatenation(depth);
            left = Add(NodeType::kAlternation, left, right);
        }
        return left;
    }

    // concatenation := empty | postfix {postfix}     (stops at "|", "?", ")" and the end)
    int32_t Concatenation(size_t depth) {
        if (EndsConcatenation()) return Add(NodeType::kEmpty);
        int32_t item = Postfix(depth);
        while (!failed_ && !EndsConcatenation()) {
            int32_t next = Postfix(depth);
            item = Add(NodeType::kConcatenation, item, next);
        }
        return item;
    }

    // postfix := primary ["*" | "+" | "?"]
    int32_t Postfix(size_t depth) {
        int32_t item = Primary(depth);
        if (failed_) return kNoNode;
        switch (tok_.type) {
            case TokenType::kClosure:
                Advance();
                return Add(NodeType::kClosure, item);
            case TokenType::kOneOrMore: {
                Advance();
                int32_t star = Add(NodeType::kClosure, item);
                return Add(NodeType::kConcatenation, item, star);
            }
            case TokenType::kOptional:
                Advance();
                return Add(NodeType::kAlternation, item, Add(NodeType::kEmpty));
            default:
                return item;
        }
    }

    // primary := char | class | "(" {"*" | "+" | "?"} alternation ")" | nothing
    int32_t Primary(size_t depth) {
        switch (tok_.type) {
            case TokenType::kChar: {
                CharCode code = tok_.code;
                Advance();
                if (code == kAnyChar) return Leaf(CharTest::OneChar(kAnyChar));
                std::optional<CharCode> folded = FoldPatternCode(fold_, code);
                // A dropped sound mark leaves nothing; the empty node keeps the shape.
                return folded ? Leaf(CharTest::OneChar(*folded)) : Add(NodeType::kEmpty);
            }
            case TokenType::kClass: {
                CharTest test = ClassTextToTest(tok_.classText, fold_);
                Advance();
                return Leaf(std::move(test));
            }
            case TokenType::kOpen: {
                if (depth >= limits_.maxDepth) {
                    failed_ = true;
                    return kNoNode;
                }
                scanner_.SkipOperators();
                Advance();
                int32_t inner = Alternation(depth + 1);
                Advance();  // the ")" (or whatever stands there)
                return inner;
            }
            default:
                return Add(NodeType::kEmpty);  // an operator with nothing before it
        }
    }

    Scanner scanner_;
    FoldOptions fold_;
    ParserLimits limits_;
    PatternTree tree_;
    Token tok_;
    bool failed_ = false;
};

void DumpNode(const PatternTree& tree, int32_t n, TextEncoding encoding, std::string& out) {
    if (n == kNoNode) {
        out += "-";
        return;
    }
    const TreeNode& node = tree.nodes[static_cast<size_t>(n)];
    switch (node.type) {
        case NodeType::kLeaf:
            out += tree.tests[static_cast<size_t>(node.test)].Describe(encoding);
            return;
        case NodeType::kEmpty:
            out += "()";
            return;
        case NodeType::kClosure:
            out += "star(";
            DumpNode(tree, node.left, encoding, out);
            out += ")";
            return;
        case NodeType::kConcatenation:
        case NodeType::kAlternation:
            out += node.type == NodeType::kConcatenation ? "cat(" : "alt(";
            DumpNode(tree, node.left, encoding, out);
            out += ",";
            DumpNode(tree, node.right, encoding, out);
            out += ")";
            return;
    }
}

}  // namespace

std::string PatternTree::Dump(TextEncoding encoding) const {
    std::string out;
    DumpNode(*this, root, encoding, out);
    return out;
}

std::optional<PatternTree> ParsePattern(std::string_view pattern, const FoldOptions& fold,
                                        const ParserLimits& limits) {
    return Parser(pattern, fold, limits).ParseWhole();
}

}  // namespace norv::search
