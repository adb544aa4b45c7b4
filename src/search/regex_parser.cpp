// Scanner and recursive-descent parser of regular expressions (see regex_parser.h).
// Each parse function carries the grammar rule it reads in the comment above it.
#include "search/regex_parser.h"

namespace norv::search {
namespace {

enum class TokenType : uint8_t {
    End,
    Open,
    Close,
    Closure,
    OneOrMore,
    Optional,
    Alternation,
    Char,
    Class
};

struct Token {
    TokenType type = TokenType::End;
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
                ++pos_, t.type = TokenType::Open;
                return t;
            case ')':
                ++pos_, t.type = TokenType::Close;
                return t;
            case '?':
                ++pos_, t.type = TokenType::Optional;
                return t;
            case '|':
                ++pos_, t.type = TokenType::Alternation;
                return t;
            case '.':
                ++pos_, t.type = TokenType::Char, t.code = kAnyChar;
                return t;
            case '*':
            case '+':
                ++pos_;
                t.type = c == '*' ? TokenType::Closure : TokenType::OneOrMore;
                while (pos_ < p_.size() && (p_[pos_] == '*' || p_[pos_] == '+')) ++pos_;
                return t;
            case '[':
                return ScanClass();
            default: {
                PatternChar pc = ReadPatternChar(enc_, p_, pos_);
                pos_ += pc.length;
                t.type = TokenType::Char;
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
        t.type = TokenType::Class;
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
        return Add(NodeType::Leaf, kNoNode, kNoNode, static_cast<int32_t>(tree_.tests.size() - 1));
    }

    bool EndsConcatenation() const {
        return tok_.type == TokenType::Alternation || tok_.type == TokenType::Optional ||
               tok_.type == TokenType::Close || tok_.type == TokenType::End;
    }

    // alternation := concatenation {"|" concatenation}     (left-leaning)
    int32_t Alternation(size_t depth) {
        int32_t left = Concatenation(depth);
        while (!failed_ && tok_.type == TokenType::Alternation) {
            Advance();
            int32_t right = Concatenation(depth);
            left = Add(NodeType::Alternation, left, right);
        }
        return left;
    }

    // concatenation := empty | postfix {postfix}     (stops at "|", "?", ")" and the end)
    int32_t Concatenation(size_t depth) {
        if (EndsConcatenation()) return Add(NodeType::Empty);
        int32_t item = Postfix(depth);
        while (!failed_ && !EndsConcatenation()) {
            int32_t next = Postfix(depth);
            item = Add(NodeType::Concatenation, item, next);
        }
        return item;
    }

    // postfix := primary ["*" | "+" | "?"]
    int32_t Postfix(size_t depth) {
        int32_t item = Primary(depth);
        if (failed_) return kNoNode;
        switch (tok_.type) {
            case TokenType::Closure:
                Advance();
                return Add(NodeType::Closure, item);
            case TokenType::OneOrMore: {
                Advance();
                int32_t star = Add(NodeType::Closure, item);
                return Add(NodeType::Concatenation, item, star);
            }
            case TokenType::Optional:
                Advance();
                return Add(NodeType::Alternation, item, Add(NodeType::Empty));
            default:
                return item;
        }
    }

    // primary := char | class | "(" {"*" | "+" | "?"} alternation ")" | nothing
    int32_t Primary(size_t depth) {
        switch (tok_.type) {
            case TokenType::Char: {
                CharCode code = tok_.code;
                Advance();
                if (code == kAnyChar) return Leaf(CharTest::OneChar(kAnyChar));
                std::optional<CharCode> folded = FoldPatternCode(fold_, code);
                // A dropped sound mark leaves nothing; the empty node keeps the shape.
                return folded ? Leaf(CharTest::OneChar(*folded)) : Add(NodeType::Empty);
            }
            case TokenType::Class: {
                CharTest test = ClassTextToTest(tok_.classText, fold_);
                Advance();
                return Leaf(std::move(test));
            }
            case TokenType::Open: {
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
                return Add(NodeType::Empty);  // an operator with nothing before it
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
        case NodeType::Leaf:
            out += tree.tests[static_cast<size_t>(node.test)].Describe(encoding);
            return;
        case NodeType::Empty:
            out += "()";
            return;
        case NodeType::Closure:
            out += "star(";
            DumpNode(tree, node.left, encoding, out);
            out += ")";
            return;
        case NodeType::Concatenation:
        case NodeType::Alternation:
            out += node.type == NodeType::Concatenation ? "cat(" : "alt(";
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
