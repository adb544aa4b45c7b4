// Expressions, lowest precedence first: logical (AND OR XOR), comparison, additive (+ - |),
// multiplicative (* / \ MOD & ^ << >>), NOT, primaries. Both operands of a binary operator have
// the same type; `+` on Strings concatenates and comparisons of Strings use the string
// instructions. Calls push their arguments last first, which the compiler does by reading the
// argument list once to find where each argument starts and then compiling them in reverse.
#include "script/compiler_internal.h"
#include "script/name_tables.h"

namespace norv::script {

namespace {

ExprInfo Plain(int type) {
    return ExprInfo{type, false, false};
}

}  // namespace

ExprInfo Compiler::Expression() {
    NestingGuard guard(depth_);
    if (guard.tooDeep()) {
        Fail(ErrorCode::kIllegalExpression);
        return {};
    }
    ExprInfo left = Comparison();
    for (;;) {
        const int t = lex_.token();
        Op op;
        if (t == kKwAnd)
            op = Op::kLand;
        else if (t == kKwOr)
            op = Op::kLor;
        else if (t == kKwXor)
            op = Op::kLxor;
        else
            return left;
        if (!ok()) return left;
        lex_.Next();
        const ExprInfo right = Comparison();
        if (!ok()) return left;
        if (left.type != right.type) {
            Fail(ErrorCode::kTypeMismatch);
            return left;
        }
        if (left.type != kTypeInteger) {
            Fail(ErrorCode::kIllegalExpression);
            return left;
        }
        Emit(op);
        left = Plain(kTypeInteger);
    }
}

ExprInfo Compiler::Comparison() {
    ExprInfo left = Additive();
    for (;;) {
        const int t = lex_.token();
        Op iop, sop;
        switch (t) {
            case '=':
                iop = Op::kEq;
                sop = Op::kSEq;
                break;
            case kTokNe:
                iop = Op::kNe;
                sop = Op::kSNe;
                break;
            case kTokGe:
                iop = Op::kGe;
                sop = Op::kSGe;
                break;
            case kTokLe:
                iop = Op::kLe;
                sop = Op::kSLe;
                break;
            case '>':
                iop = Op::kGt;
                sop = Op::kSGt;
                break;
            case '<':
                iop = Op::kLt;
                sop = Op::kSLt;
                break;
            default:
                return left;
        }
        if (!ok()) return left;
        lex_.Next();
        const ExprInfo right = Additive();
        if (!ok()) return left;
        if (left.type != right.type) {
            Fail(ErrorCode::kTypeMismatch);
            return left;
        }
        if (left.type == kTypeString)
            Emit(sop);
        else if (left.type == kTypeInteger)
            Emit(iop);
        else {
            Fail(ErrorCode::kIllegalExpression);
            return left;
        }
        left = Plain(kTypeInteger);
    }
}

ExprInfo Compiler::Additive() {
    bool negate = false;
    if (lex_.token() == '-' || lex_.token() == '+') {
        negate = lex_.token() == '-';
        lex_.Next();
    }
    ExprInfo left = Multiplicative();
    if (!ok()) return left;
    if (negate) {
        if (left.type != kTypeInteger) {
            Fail(ErrorCode::kIllegalExpression);
            return left;
        }
        Emit(Op::kNeg);
        left = Plain(kTypeInteger);
    }
    for (;;) {
        const int t = lex_.token();
        if (t != '+' && t != '-' && t != '|') return left;
        if (!ok()) return left;
        lex_.Next();
        const ExprInfo right = Multiplicative();
        if (!ok()) return left;
        if (left.type != right.type) {
            Fail(ErrorCode::kTypeMismatch);
            return left;
        }
        if (left.type == kTypeString && t == '+') {
            Emit(Op::kCat);
            left = Plain(kTypeString);
            continue;
        }
        if (left.type != kTypeInteger) {
            Fail(ErrorCode::kIllegalExpression);
            return left;
        }
        Emit(t == '+' ? Op::kAdd : t == '-' ? Op::kSub : Op::kBor);
        left = Plain(kTypeInteger);
    }
}

ExprInfo Compiler::Multiplicative() {
    ExprInfo left = Unary();
    for (;;) {
        const int t = lex_.token();
        Op op;
        switch (t) {
            case '*':
                op = Op::kMul;
                break;
            case '/':
            case '\\':
                op = Op::kDiv;
                break;
            case kKwMod:
                op = Op::kMod;
                break;
            case '&':
                op = Op::kBand;
                break;
            case '^':
                op = Op::kBxor;
                break;
            case kTokShl:
                op = Op::kShl;
                break;
            case kTokShr:
                op = Op::kShr;
                break;
            default:
                return left;
        }
        if (!ok()) return left;
        lex_.Next();
        const ExprInfo right = Unary();
        if (!ok()) return left;
        if (left.type != right.type) {
            Fail(ErrorCode::kTypeMismatch);
            return left;
        }
        if (left.type != kTypeInteger) {
            Fail(ErrorCode::kIllegalExpression);
            return left;
        }
        Emit(op);
        left = Plain(kTypeInteger);
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
            return Plain(sym->type);
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
        Emit(Op::kPushI, n);
        Emit(Op::kPushA, static_cast<int32_t>(sym->libraryOffset));
        Emit(Op::kPushA, static_cast<int32_t>(sym->routineOffset));
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
