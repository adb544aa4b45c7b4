// The binary operators against a reference: every pair of operators, of different levels and of
// the same level, in `x op1 y op2 z` with Integer and with String operands, compiled and run; the
// values (or the compile error) must equal those of a small evaluator written from the level
// table below (lowest level first, each level left-associative, both operands of one type). The
// Integer program and the valid String cases are also kept as tests/script/golden/
// operator_pairs.NRS, whose listing the golden test compares byte for byte.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <variant>

#include "script_test_support.h"

namespace norv::script {
namespace {

enum class Level { kLogical, kComparison, kAdditive, kMultiplicative };

struct Operator {
    const char* text;
    Level level;
};

constexpr Operator kOperators[] = {
    {"AND", Level::kLogical},        {"OR", Level::kLogical},        {"XOR", Level::kLogical},
    {"=", Level::kComparison},       {"<>", Level::kComparison},     {">=", Level::kComparison},
    {"<=", Level::kComparison},      {">", Level::kComparison},      {"<", Level::kComparison},
    {"+", Level::kAdditive},         {"-", Level::kAdditive},        {"|", Level::kAdditive},
    {"*", Level::kMultiplicative},   {"/", Level::kMultiplicative},  {"\\", Level::kMultiplicative},
    {"MOD", Level::kMultiplicative}, {"&", Level::kMultiplicative},  {"^", Level::kMultiplicative},
    {"<<", Level::kMultiplicative},  {">>", Level::kMultiplicative},
};

using Value = std::variant<int32_t, std::string>;
// A value, or the compile error it stops at.
using Result = std::variant<Value, ErrorCode>;

Result Apply(std::string_view op, const Result& left, const Result& right) {
    if (std::holds_alternative<ErrorCode>(left)) return left;
    if (std::holds_alternative<ErrorCode>(right)) return right;
    const Value& l = std::get<Value>(left);
    const Value& r = std::get<Value>(right);
    if (l.index() != r.index()) return ErrorCode::kTypeMismatch;
    if (const auto* ls = std::get_if<std::string>(&l)) {
        const std::string& rs = std::get<std::string>(r);  // lower-case letters only
        if (op == "+") return Value(*ls + rs);
        if (op == "=") return Value(int32_t(*ls == rs));
        if (op == "<>") return Value(int32_t(*ls != rs));
        if (op == ">=") return Value(int32_t(*ls >= rs));
        if (op == "<=") return Value(int32_t(*ls <= rs));
        if (op == ">") return Value(int32_t(*ls > rs));
        if (op == "<") return Value(int32_t(*ls < rs));
        return ErrorCode::kIllegalExpression;
    }
    const int32_t a = std::get<int32_t>(l), b = std::get<int32_t>(r);
    const auto ua = static_cast<uint32_t>(a), ub = static_cast<uint32_t>(b);
    int64_t v = 0;
    if (op == "AND") v = a != 0 && b != 0;
    if (op == "OR") v = a != 0 || b != 0;
    if (op == "XOR") v = (a != 0) != (b != 0);
    if (op == "=") v = a == b;
    if (op == "<>") v = a != b;
    if (op == ">=") v = a >= b;
    if (op == "<=") v = a <= b;
    if (op == ">") v = a > b;
    if (op == "<") v = a < b;
    if (op == "+") v = int64_t(a) + b;
    if (op == "-") v = int64_t(a) - b;
    if (op == "|") v = a | b;
    if (op == "*") v = int64_t(a) * b;
    if (op == "/" || op == "\\") v = a / b;
    if (op == "MOD") v = a % b;
    if (op == "&") v = a & b;
    if (op == "^") v = a ^ b;
    if (op == "<<") v = ua << (ub & 31);
    if (op == ">>") v = ua >> (ub & 31);
    return Value(static_cast<int32_t>(static_cast<uint32_t>(v)));
}

// x op1 y op2 z by the level table: the higher level binds first, an equal one from the left.
Result Evaluate(const Operator& op1, const Operator& op2, const Value& x, const Value& y,
                const Value& z) {
    if (op2.level > op1.level) return Apply(op1.text, x, Apply(op2.text, y, z));
    return Apply(op2.text, Apply(op1.text, x, y), z);
}

std::string Literal(const Value& v) {
    if (const auto* s = std::get_if<std::string>(&v)) return "\"" + *s + "\"";
    return std::to_string(std::get<int32_t>(v));
}

std::string Shown(const Value& v) {
    if (const auto* s = std::get_if<std::string>(&v)) return *s;
    return std::to_string(std::get<int32_t>(v));
}

struct Case {
    std::string expr;
    Result expected;
};

// Operand triples: with them an operator of the wrong level or associativity gives another
// value for most pairs, and no divisor is ever 0.
std::vector<Case> Cases() {
    static const Value kTriples[][3] = {{13, 5, 3},
                                        {6, 2, 9},
                                        {std::string("pq"), std::string("p"), std::string("r")},
                                        {std::string("b"), std::string("ab"), std::string("b")}};
    std::vector<Case> cases;
    for (const auto& t : kTriples)
        for (const Operator& a : kOperators)
            for (const Operator& b : kOperators)
                cases.push_back({Literal(t[0]) + " " + a.text + " " + Literal(t[1]) + " " + b.text +
                                     " " + Literal(t[2]),
                                 Evaluate(a, b, t[0], t[1], t[2])});
    // A sign applies to the first term of the additive level, after its multiplications.
    for (const Operator& a : kOperators) {
        const Operator plus{"+", Level::kAdditive};
        const Result neg = a.level == Level::kMultiplicative
                               ? Apply("-", Value(0), Apply(a.text, Value(13), Value(5)))
                               : Apply(a.text, Apply("-", Value(0), Value(13)), Value(5));
        cases.push_back({std::string("-13 ") + a.text + " 5", neg});
        cases.push_back({std::string("+13 ") + a.text + " 5 + 1",
                         Evaluate(a, plus, Value(13), Value(5), Value(1))});
    }
    return cases;
}

std::string ValidCasesProgram(const std::vector<Case>& cases) {
    std::string body;
    for (const Case& c : cases) {
        if (!std::holds_alternative<Value>(c.expected)) continue;
        const bool str = std::holds_alternative<std::string>(std::get<Value>(c.expected));
        body += str ? "  MSGBOX(" + c.expr + ")\n" : "  MSGBOX(STR(" + c.expr + "))\n";
    }
    return "' Generated by operator_table_test.cpp: every pair of binary operators.\nMAIN\n" +
           body + "END MAIN\n";
}

TEST(ScriptOperators, EveryPairOfOperatorsAgreesWithTheLevelTable) {
    const std::vector<Case> cases = Cases();
    const std::string program = ValidCasesProgram(cases);

    // The program is kept beside the golden listings, so its code is compared byte for byte.
    const std::filesystem::path stored =
        std::filesystem::path(NORV_SOURCE_DIR) / "tests/script/golden/operator_pairs.NRS";
    if (std::getenv("NORV_UPDATE_GOLDEN") != nullptr)
        std::ofstream(stored, std::ios::binary) << program;
    std::stringstream ss;
    ss << std::ifstream(stored, std::ios::binary).rdbuf();
    EXPECT_EQ(ss.str(), program) << "regenerate with NORV_UPDATE_GOLDEN=1";

    const testing::RunOutcome run = testing::RunText(program);
    ASSERT_TRUE(run.compiled) << run.error.line << ": " << int(run.error.code);
    std::vector<std::string> expected;
    std::vector<std::string> exprs;
    for (const Case& c : cases)
        if (const auto* v = std::get_if<Value>(&c.expected)) {
            expected.push_back(Shown(*v));
            exprs.push_back(c.expr);
        }
    ASSERT_EQ(run.messages.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(run.messages[i], expected[i]) << exprs[i];

    // The failing ones, each on its own: the first error of the expression.
    int failing = 0;
    for (const Case& c : cases) {
        const auto* code = std::get_if<ErrorCode>(&c.expected);
        if (code == nullptr) continue;
        ++failing;
        const CompileResult r = testing::CompileText("MAIN\nDIM r\nr = " + c.expr + "\nEND MAIN\n");
        ASSERT_TRUE(r.error) << c.expr;
        EXPECT_EQ(r.error->code, *code) << c.expr;
        EXPECT_EQ(r.error->line, 3) << c.expr;
    }
    EXPECT_GT(failing, 500);
}

}  // namespace
}  // namespace norv::script
