// Expressions, lowest precedence first: logical (AND OR XOR), comparison, additive (+ - |),
// multiplicative (* / \ MOD & ^ << >>), NOT, primaries. The binary levels are one table and one
// precedence-climbing routine; every level is left-associative. Both operands of a binary
// operator have the same type; `+` on Strings concatenates and comparisons of Strings use the
// string instructions. Calls push their arguments last first, which the compiler does by reading
// the argument list once to find where each argument starts and then compiling them in reverse.
#include "script/compiler_internal.h"
#include "script/name_tables.h"

namespace norv::script {

namespace {

ExprInfo Plain(int type) {
    return ExprInfo{type, false, false};
}

// The binary operators with their level and opcodes. Operators that also take two Strings
// (comparisons and `+`) name the String opcode; the others take Integers only.
struct BinaryOperator {
    int token;
    OperatorLevel level;
    Op integerOp;
    bool onStrings;
    Op stringOp;
};

constexpr BinaryOperator kBinaryOperators[] = {
    {kKwAnd, OperatorLevel::kLogical, Op::kLand, false, Op::kLand},
    {kKwOr, OperatorLevel::kLogical, Op::kLor, false, Op::kLor},
    {kKwXor, OperatorLevel::kLogical, Op::kLxor, false, Op::kLxor},
    {'=', OperatorLevel::kComparison, Op::kEq, true, Op::kSEq},
    {kTokNe, OperatorLevel::kComparison, Op::kNe, true, Op::kSNe},
    {kTokGe, OperatorLevel::kComparison, Op::kGe, true, Op::kSGe},
    {kTokLe, OperatorLevel::kComparison, Op::kLe, true, Op::kSLe},
    {'>', OperatorLevel::kComparison, Op::kGt, true, Op::kSGt},
    {'<', OperatorLevel::kComparison, Op::kLt, true, Op::kSLt},
    {'+', OperatorLevel::kAdditive, Op::kAdd, true, Op::kCat},
    {'-', OperatorLevel::kAdditive, Op::kSub, false, Op::kSub},
    {'|', OperatorLevel::kAdditive, Op::kBor, false, Op::kBor},
    {'*', OperatorLevel::kMultiplicative, Op::kMul, false, Op::kMul},
    {'/', OperatorLevel::kMultiplicative, Op::kDiv, false, Op::kDiv},
    {'\\', OperatorLevel::kMultiplicative, Op::kDiv, false, Op::kDiv},
    {kKwMod, OperatorLevel::kMultiplicative, Op::kMod, false, Op::kMod},
    {'&', OperatorLevel::kMultiplicative, Op::kBand, false, Op::kBand},
    {'^', OperatorLevel::kMultiplicative, Op::kBxor, false, Op::kBxor},
    {kTokShl, OperatorLevel::kMultiplicative, Op::kShl, false, Op::kShl},
    {kTokShr, OperatorLevel::kMultiplicative, Op::kShr, false, Op::kShr},
};

constexpr bool OperatorsInLevelOrder() {
    for (size_t i = 1; i < std::size(kBinaryOperators); ++i)
        if (kBinaryOperators[i].level < kBinaryOperators[i - 1].level) return false;
    return true;
}
static_assert(OperatorsInLevelOrder(), "binary operators are listed lowest level first");

const BinaryOperator* FindBinaryOperator(int token) {
    for (const BinaryOperator& op : kBinaryOperators)
        if (op.token == token) return &op;
    return nullptr;
}

}  // namespace

ExprInfo Compiler::Expression() {
    NestingGuard guard(depth_);
    if (guard.tooDeep()) {
        Fail(ErrorCode::kIllegalExpression);
        return {};
    }
    return Subexpression(OperatorLevel::kLogical);
}

// subexpression(L) := [sign] operand { operator-of-level->=L subexpression(level + 1) }
// where a sign is allowed when L is at most additive, and applies to the first multiplicative
// term; an operand is a unary expression.
ExprInfo Compiler::Subexpression(OperatorLevel lowest) {
    if (lowest == OperatorLevel::kUnary) return Unary();
    ExprInfo left;
    const int sign = lex_.token();
    if (lowest <= OperatorLevel::kAdditive && (sign == '-' || sign == '+')) {
        lex_.Next();
        left = Subexpression(OperatorLevel::kMultiplicative);
        if (!ok()) return left;
        if (sign == '-') {
            if (left.type != kTypeInteger) {
                Fail(ErrorCode::kIllegalExpression);
                return left;
            }
            Emit(Op::kNeg);
            left = Plain(kTypeInteger);
        }
    } else {
        left = Unary();
    }
    for (;;) {
        if (!ok()) return left;
        const BinaryOperator* op = FindBinaryOperator(lex_.token());
        if (op == nullptr || op->level < lowest) return left;
        lex_.Next();
        const ExprInfo right =
            Subexpression(static_cast<OperatorLevel>(static_cast<int>(op->level) + 1));
        if (!ok()) return left;
        if (left.type != right.type) {
            Fail(ErrorCode::kTypeMismatch);
            return left;
        }
        if (left.type == kTypeString && op->onStrings)
            Emit(op->stringOp);
        else if (left.type == kTypeInteger)
            Emit(op->integerOp);
        else {
            Fail(ErrorCode::kIllegalExpression);
            return left;
        }
        left = Plain(op->level == OperatorLevel::kComparison ? kTypeInteger : left.type);
    }
}

ExprInfo Compiler::Unary() {
    if (lex_.token() != kKwNot) return Primary();
    NestingGuard guard(depth_);
    if (guard.tooDeep()) {
        Fail(ErrorCode::kIllegalExpression);
        return {};
    }
    lex_.Next();
    const ExprInfo e = Unary();
    if (!ok()) return e;
    if (e.type != kTypeInteger) {
        Fail(ErrorCode::kIllegalExpression);
        return e;
    }
    Emit(Op::kLnot);
    return Plain(kTypeInteger);
}

ExprInfo Compiler::Primary() {
    if (!ok()) return {};
    switch (lex_.token()) {
        case kTokNumber:
            Emit(Op::kPushI, lex_.value());
            lex_.Next();
            return Plain(kTypeInteger);
        case kTokString: {
            const int32_t at = PlaceString(lex_.text());
            if (at < 0) return {};
            Emit(Op::kPushA, at);
            lex_.Next();
            return ExprInfo{kTypeString, true, false};
        }
        case '(': {
            lex_.Next();
            const ExprInfo e = Expression();
            if (!ok()) return e;
            if (lex_.token() != ')') {
                Fail(ErrorCode::kRightParenExpected);
                return e;
            }
            lex_.Next();
            return Plain(e.type);
        }
        case '.':
            return SysVarRead();
        case kTokIdent:
            return IdentifierPrimary();
        default:
            Fail(ErrorCode::kSyntax);
            return {};
    }
}

ExprInfo Compiler::SysVarRead() {
    const int t = lex_.Next();
    if (t != kTokIdent && !(t >= kKwAnd && t <= kKwOption)) {
        Fail(ErrorCode::kSyntax);
        return {};
    }
    const int row = LookupSysVar(lex_.text());
    if (row < 0) {
        Fail(ErrorCode::kUndefinedSymbol);
        return {};
    }
    Emit(Op::kPushI, row);
    Emit(Op::kCallB, kBuiltinReadSysVar);
    lex_.Next();
    return Plain(kSysVars[static_cast<size_t>(row)].isString() ? kTypeString : kTypeInteger);
}

void Compiler::LoadVariable(const Symbol& sym) {
    Emit(sym.global ? Op::kLdg : Op::kLdl, sym.address);
}

ExprInfo Compiler::IdentifierPrimary() {
    const std::string name = Upper(lex_.text());
    Symbol* sym = Lookup(name);
    int builtin = -1;
    if (sym == nullptr) {
        builtin = LookupBuiltin(name);
        if (builtin < 0) {
            Fail(ErrorCode::kUndefinedSymbol);
            return {};
        }
    }
    int t = lex_.Next();
    const int declared =
        sym != nullptr ? ElementOf(sym->type)
                       : (kBuiltins[static_cast<size_t>(builtin)].result == ResultKind::kString
                              ? kTypeString
                              : kTypeInteger);
    if (t == '$' || t == '%') {
        if ((t == '$') != (declared == kTypeString)) {
            Fail(ErrorCode::kIllegalDataType);
            return {};
        }
        t = lex_.Next();
    }
    if (sym == nullptr || sym->kind == SymbolKind::kRoutine || sym->kind == SymbolKind::kExternal) {
        const ExprInfo e = Call(sym, builtin);
        if (ok() && e.type == kTypeVoid) {
            Fail(ErrorCode::kNoReturnValue);
            return {};
        }
        return e;
    }
    if (sym->kind == SymbolKind::kConstant) {
        if (sym->type == kTypeInteger) {
            Emit(Op::kPushI, sym->intValue);
            return Plain(kTypeInteger);
        }
        if (sym->placedAt < 0) sym->placedAt = PlaceString(sym->stringValue);
        if (sym->placedAt < 0) return {};
        Emit(Op::kPushA, sym->placedAt);
        return ExprInfo{kTypeString, true, false};
    }
    if (IsArrayType(sym->type)) {
        if (t != '(') {
            // The array itself: its address (a parameter already holds one).
            if (sym->parameter)
                LoadVariable(*sym);
            else
                Emit(sym->global ? Op::kPushA : Op::kAdrl, sym->address);
            ExprInfo e = Plain(sym->type);
            if (!sym->parameter) e.arrayBytes = sym->size;
            return e;
        }
        if (sym->parameter) {
            Fail(ErrorCode::kIllegalReference);
            return {};
        }
        if (!ElementOffset(*sym)) return {};
        Emit(sym->global ? Op::kLdgx : Op::kLdlx, sym->address);
        const int element = ElementOf(sym->type);
        return ExprInfo{element, element == kTypeString, element == kTypeString && sym->global};
    }
    LoadVariable(*sym);
    const bool str = sym->type == kTypeString;
    return ExprInfo{sym->type, str, str && sym->global};
}

bool Compiler::ElementOffset(const Symbol& sym) {
    if (lex_.token() != '(') return Fail(ErrorCode::kIllegalReference);
    const size_t n = sym.dims.size();
    for (size_t k = 0; k < n; ++k) {
        lex_.Next();
        const int line = lex_.tokenLine() + 1;
        const ExprInfo e = Expression();
        if (!ok()) return false;
        if (e.type != kTypeInteger) return Fail(ErrorCode::kIllegalExpression);
        if (base_ != 0) {
            Emit(Op::kPushI, base_);
            Emit(Op::kSub);
        }
        Emit(Op::kChkx, sym.dims[k], line);
        uint32_t stride = 4;
        for (size_t j = k + 1; j < n; ++j) stride *= static_cast<uint32_t>(sym.dims[j]);
        Emit(Op::kPushI, static_cast<int32_t>(stride));
        Emit(Op::kMul);
        if (k > 0) Emit(Op::kAdd);
        const int t = lex_.token();
        if (k + 1 < n) {
            if (t == ')') return Fail(ErrorCode::kIllegalReference);
            if (t != ',') return Fail(ErrorCode::kRightParenExpected);
        } else {
            if (t == ',') return Fail(ErrorCode::kIllegalReference);
            if (t != ')') return Fail(ErrorCode::kRightParenExpected);
        }
    }
    lex_.Next();
    return ok();
}

bool Compiler::Arguments(std::vector<ExprInfo>& infos, bool userRoutine) {
    infos.clear();
    if (lex_.token() != '(') return true;
    std::vector<Lexer::Mark> starts;
    int depth = 0;
    if (lex_.Next() != ')') {
        starts.push_back(lex_.Save());
        for (int t = lex_.token();; t = lex_.Next()) {
            if (t == kTokEos || t == kTokEnd || !ok()) return Fail(ErrorCode::kRightParenExpected);
            if (t == '(')
                ++depth;
            else if (t == ')') {
                if (depth == 0) break;
                --depth;
            } else if (t == ',' && depth == 0) {
                lex_.Next();
                starts.push_back(lex_.Save());
                t = lex_.token();
                if (t == ')') return Fail(ErrorCode::kSyntax);
                if (t == '(') ++depth;
                if (t == kTokEos || t == kTokEnd) return Fail(ErrorCode::kRightParenExpected);
            }
        }
    }
    lex_.Next();
    const Lexer::Mark after = lex_.Save();
    infos.resize(starts.size());
    for (size_t i = starts.size(); i-- > 0;) {
        if (!Restore(starts[i])) return false;
        infos[i] = Expression();
        if (!ok()) return false;
        if (lex_.token() != ',' && lex_.token() != ')') return Fail(ErrorCode::kSyntax);
        if (userRoutine && infos[i].globalString) return Fail(ErrorCode::kStaticStringArgument);
    }
    return Restore(after);
}

ExprInfo Compiler::Call(Symbol* sym, int builtin) {
    std::vector<ExprInfo> args;
    if (sym == nullptr) {
        const BuiltinRow& row = kBuiltins[static_cast<size_t>(builtin)];
        // Missing trailing arguments are Integer 0; they are pushed first.
        if (lex_.token() == '(') {
            // Count first, so the padding precedes the arguments in the code.
            const Lexer::Mark start = lex_.Save();
            int count = 0, depth = 0;
            if (lex_.Next() != ')') {
                count = 1;
                for (int t = lex_.token(); !(t == ')' && depth == 0); t = lex_.Next()) {
                    if (t == kTokEos || t == kTokEnd || !ok()) {
                        Fail(ErrorCode::kRightParenExpected);
                        return {};
                    }
                    if (t == '(')
                        ++depth;
                    else if (t == ')')
                        --depth;
                    else if (t == ',' && depth == 0)
                        ++count;
                }
            }
            if (count > row.argCount) {
                Fail(ErrorCode::kArgumentCount);
                return {};
            }
            for (int i = count; i < row.argCount; ++i) Emit(Op::kPushI, 0);
            if (!Restore(start) || !Arguments(args, false)) return {};
        } else {
            for (int i = 0; i < row.argCount; ++i) Emit(Op::kPushI, 0);
        }
        Emit(Op::kCallB, row.id);
        return Plain(row.result == ResultKind::kString ? kTypeString
                     : row.result == ResultKind::kNone ? kTypeVoid
                                                       : kTypeInteger);
    }
    if (!Arguments(args, sym->kind == SymbolKind::kRoutine)) return {};
    const int n = static_cast<int>(args.size());
    if (sym->kind == SymbolKind::kExternal) {
        const bool variadic = sym->declaredCount < 0;
        const int fixed = variadic ? -sym->declaredCount - 1 : sym->declaredCount;
        if (variadic ? n < fixed : n != fixed) {
            Fail(ErrorCode::kArgumentCount);
            return {};
        }
        // Each call site places the routine name followed by the call's shape, which the
        // run time needs to pass the arguments (see external_call.h).
        std::string shape = "#";
        shape += sym->type == kTypeString ? 'S' : sym->type == kTypeVoid ? 'V' : 'I';
        shape += std::to_string(fixed);
        if (variadic) shape += '+';
        shape += ':';
        for (size_t i = 0; i < args.size(); ++i) {
            if (i != 0) shape += ',';
            if (IsArrayType(args[i].type))
                shape += 'A' + std::to_string(args[i].arrayBytes);
            else
                shape += args[i].type == kTypeString ? 'S' : 'I';
        }
        const int32_t routine = PlaceString(sym->routineName + '\0' + shape);
        if (routine < 0) return {};
        Emit(Op::kPushI, n);
        Emit(Op::kPushA, static_cast<int32_t>(sym->libraryOffset));
        Emit(Op::kPushA, routine);
        Emit(Op::kCallB, kBuiltinExternalCall);
        return Plain(sym->type);
    }
    if (n != sym->paramCount) {
        Fail(ErrorCode::kArgumentCount);
        return {};
    }
    const uint32_t at = Emit(Op::kCallU, sym->address);
    if (!sym->defined) sym->patches.push_back(at);
    return Plain(sym->type);
}

}  // namespace norv::script
