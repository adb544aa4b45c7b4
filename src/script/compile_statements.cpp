// Statements inside routines: assignments, calls, declarations, IF, DO, FOR, WHILE,
// SELECT CASE, EXIT and RETURN. Each statement function starts at the statement's first token
// and ends after its end of statement.
#include <algorithm>

#include "script/compiler_internal.h"
#include "script/name_tables.h"

namespace norv::script {

int Compiler::Block(std::initializer_list<int> ends) {
    NestingGuard guard(depth_);
    if (guard.tooDeep()) {
        Fail(ErrorCode::kIllegalExpression);
        return -1;
    }
    while (ok()) {
        const int t = lex_.token();
        if (t == kTokEnd) return kTokEnd;
        if (std::find(ends.begin(), ends.end(), t) != ends.end()) return t;
        Statement();
    }
    return -1;
}

void Compiler::Statement() {
    switch (lex_.token()) {
        case kTokEos:
            lex_.Next();
            return;
        case kTokIdent:
            AssignOrCall();
            return;
        case '.':
            SysVarAssignment();
            return;
        case kKwCall:
            if (lex_.Next() != kTokIdent) {
                Fail(ErrorCode::kSyntax);
                return;
            }
            CallStatement();
            return;
        case kKwDim:
        case kKwRedim:
            VariableList(true, false);
            return;
        case kKwStatic:
            VariableList(true, true);
            return;
        case kKwIf:
            If();
            return;
        case kKwDo:
            Do();
            return;
        case kKwFor:
            For();
            return;
        case kKwWhile:
            While();
            return;
        case kKwSelect:
            Select();
            return;
        case kKwExit:
            Exit();
            return;
        case kKwReturn:
            Return();
            return;
        default:
            Fail(ErrorCode::kSyntax);
            return;
    }
}

void Compiler::StoreVariable(const Symbol& sym) {
    const bool str = sym.type == kTypeString;
    if (sym.global)
        Emit(str ? Op::kSstg : Op::kStg, sym.address);
    else
        Emit(str ? Op::kSstl : Op::kStl, sym.address);
}

void Compiler::AssignOrCall() {
    Symbol* sym = Lookup(Upper(lex_.text()));
    if (sym == nullptr || sym->kind == SymbolKind::kRoutine || sym->kind == SymbolKind::kExternal) {
        CallStatement();
        return;
    }
    if (sym->kind == SymbolKind::kConstant) {
        Fail(ErrorCode::kIllegalReference);
        return;
    }
    int t = lex_.Next();
    if (t == '$' || t == '%') {
        if ((t == '$') != (ElementOf(sym->type) == kTypeString)) {
            Fail(ErrorCode::kIllegalDataType);
            return;
        }
        t = lex_.Next();
    }
    if (t == '(') {
        if (!IsArrayType(sym->type) || sym->parameter) {
            Fail(ErrorCode::kIllegalReference);
            return;
        }
        ElementAssignment(*sym);
        return;
    }
    if (IsArrayType(sym->type)) {
        Fail(ErrorCode::kIllegalReference);
        return;
    }
    if (t != '=') {
        Fail(ErrorCode::kSyntax);
        return;
    }
    lex_.Next();
    const ExprInfo e = Expression();
    if (!ok()) return;
    if (e.type != sym->type) {
        Fail(ErrorCode::kTypeMismatch);
        return;
    }
    StoreVariable(*sym);
    EndStatement();
}

// name(i, ...) = value: the stores take the value below the byte offset, so the right side is
// compiled first and the index expressions are read again after it.
void Compiler::ElementAssignment(const Symbol& sym) {
    const Lexer::Mark index = lex_.Save();
    int depth = 0;
    for (int t = lex_.token();; t = lex_.Next()) {
        if (t == kTokEos || t == kTokEnd || !ok()) {
            Fail(ErrorCode::kRightParenExpected);
            return;
        }
        if (t == '(') ++depth;
        if (t == ')' && --depth == 0) break;
    }
    if (lex_.Next() != '=') {
        Fail(ErrorCode::kSyntax);
        return;
    }
    lex_.Next();
    const ExprInfo e = Expression();
    if (!ok()) return;
    if (e.type != ElementOf(sym.type)) {
        Fail(ErrorCode::kTypeMismatch);
        return;
    }
    const Lexer::Mark after = lex_.Save();
    if (!Restore(index) || !ElementOffset(sym) || !Restore(after)) return;
    const bool str = ElementOf(sym.type) == kTypeString;
    if (sym.global)
        Emit(str ? Op::kSstgx : Op::kStgx, sym.address);
    else
        Emit(str ? Op::kSstlx : Op::kStlx, sym.address);
    EndStatement();
}

void Compiler::SysVarAssignment() {
    const int t = lex_.Next();
    if (t != kTokIdent && !(t >= kKwAnd && t <= kKwOption)) {
        Fail(ErrorCode::kSyntax);
        return;
    }
    const int row = LookupSysVar(lex_.text());
    if (row < 0) {
        Fail(ErrorCode::kUndefinedSymbol);
        return;
    }
    const SysVarRow& var = kSysVars[static_cast<size_t>(row)];
    if (!var.assignable()) {
        Fail(ErrorCode::kNotAssignable);
        return;
    }
    if (lex_.Next() != '=') {
        Fail(ErrorCode::kSyntax);
        return;
    }
    lex_.Next();
    Emit(Op::kPushI, row);
    const ExprInfo e = Expression();
    if (!ok()) return;
    if (e.type != (var.isString() ? kTypeString : kTypeInteger)) {
        Fail(ErrorCode::kTypeMismatch);
        return;
    }
    Emit(Op::kCallB, kBuiltinWriteSysVar);
    Emit(Op::kPop);
    EndStatement();
}

// name, name(args) or CALL name(args): the result is dropped.
void Compiler::CallStatement() {
    const std::string name = Upper(lex_.text());
    Symbol* sym = Lookup(name);
    int builtin = -1;
    if (sym == nullptr) {
        builtin = LookupBuiltin(name);
        if (builtin < 0) {
            Fail(ErrorCode::kUndefinedSymbol);
            return;
        }
    } else if (sym->kind != SymbolKind::kRoutine && sym->kind != SymbolKind::kExternal) {
        Fail(ErrorCode::kSyntax);
        return;
    }
    lex_.Next();
    Call(sym, builtin);
    if (!ok()) return;
    Emit(Op::kPop);
    EndStatement();
}

// IF c THEN statement, or the block form with ELSE IF / ELSE / END IF.
void Compiler::If() {
    lex_.Next();
    ExprInfo c = Expression();
    if (!ok()) return;
    if (c.type != kTypeInteger) {
        Fail(ErrorCode::kIllegalExpression);
        return;
    }
    if (lex_.token() != kKwThen) {
        Fail(ErrorCode::kThenExpected);
        return;
    }
    if (lex_.Next() != kTokEos) {
        const uint32_t skip = Emit(Op::kJz, 0);
        Statement();
        Patch(skip, here());
        return;
    }
    lex_.Next();
    std::vector<uint32_t> ends;
    uint32_t next = Emit(Op::kJz, 0);
    bool pending = true;
    for (;;) {
        const int t = Block({kKwElse, kKwEnd});
        if (t == -1) return;
        if (t == kTokEnd) {
            Fail(ErrorCode::kEndIfExpected);
            return;
        }
        if (t == kKwElse && pending) {
            ends.push_back(Emit(Op::kJmp, 0));
            Patch(next, here());
            pending = false;
            if (lex_.Next() == kKwIf) {
                lex_.Next();
                c = Expression();
                if (!ok()) return;
                if (c.type != kTypeInteger) {
                    Fail(ErrorCode::kIllegalExpression);
                    return;
                }
                if (lex_.token() != kKwThen) {
                    Fail(ErrorCode::kThenExpected);
                    return;
                }
                lex_.Next();
                EndStatement();
                next = Emit(Op::kJz, 0);
                pending = true;
            } else {
                EndStatement();
            }
            continue;
        }
        if (t == kKwElse) {
            Fail(ErrorCode::kEndIfExpected);
            return;
        }
        // END
        if (lex_.Next() != kKwIf) {
            Fail(ErrorCode::kEndIfExpected);
            return;
        }
        lex_.Next();
        EndStatement();
        if (pending) Patch(next, here());
        PatchAll(ends, here());
        return;
    }
}

// DO [WHILE c | UNTIL c] ... LOOP, DO ... LOOP WHILE c | LOOP UNTIL c
void Compiler::Do() {
    const uint32_t top = here();
    int head = lex_.Next();
    uint32_t headJump = 0;
    const bool headTest = head == kKwWhile || head == kKwUntil;
    if (headTest) {
        lex_.Next();
        const ExprInfo c = Expression();
        if (!ok()) return;
        if (c.type != kTypeInteger) {
            Fail(ErrorCode::kIllegalExpression);
            return;
        }
        headJump = Emit(head == kKwWhile ? Op::kJz : Op::kJnz, 0);
    }
    EndStatement();
    routine_->loops.push_back(LoopState{{}, routine_->selectDepth});
    const int t = Block({kKwLoop});
    if (t == -1) return;
    if (t == kTokEnd) {
        Fail(ErrorCode::kUnexpectedEof);
        return;
    }
    const int tail = lex_.Next();
    if (headTest) {
        Emit(Op::kJmp, static_cast<int32_t>(top));
    } else {
        if (tail != kKwWhile && tail != kKwUntil) {
            Fail(ErrorCode::kWhileUntilExpected);
            return;
        }
        lex_.Next();
        const ExprInfo c = Expression();
        if (!ok()) return;
        if (c.type != kTypeInteger) {
            Fail(ErrorCode::kIllegalExpression);
            return;
        }
        Emit(tail == kKwWhile ? Op::kJnz : Op::kJz, static_cast<int32_t>(top));
    }
    EndStatement();
    if (headTest) Patch(headJump, here());
    PatchAll(routine_->loops.back().exits, here());
    routine_->loops.pop_back();
}

// FOR v = a TO b [STEP k] ... NEXT: the test follows the body, with b evaluated each time.
void Compiler::For() {
    if (lex_.Next() != kTokIdent) {
        Fail(ErrorCode::kSyntax);
        return;
    }
    Symbol* v = Lookup(Upper(lex_.text()));
    if (v == nullptr) {
        Fail(ErrorCode::kUndefinedSymbol);
        return;
    }
    if (v->kind != SymbolKind::kVariable || v->type != kTypeInteger) {
        Fail(ErrorCode::kIllegalDataType);
        return;
    }
    if (lex_.Next() != '=') {
        Fail(ErrorCode::kSyntax);
        return;
    }
    lex_.Next();
    ExprInfo e = Expression();
    if (!ok()) return;
    if (e.type != kTypeInteger) {
        Fail(ErrorCode::kTypeMismatch);
        return;
    }
    StoreVariable(*v);
    if (lex_.token() != kKwTo) {
        Fail(ErrorCode::kSyntax);
        return;
    }
    lex_.Next();
    const Lexer::Mark limit = lex_.Save();
    int depth = 0;
    while (ok() && lex_.token() != kTokEos && lex_.token() != kTokEnd &&
           !(depth == 0 && lex_.token() == kKwStep)) {
        if (lex_.token() == '(') ++depth;
        if (lex_.token() == ')') --depth;
        lex_.Next();
    }
    int32_t step = 1;
    if (lex_.token() == kKwStep) {
        int t = lex_.Next();
        bool negative = false;
        if (t == '-' || t == '+') {
            negative = t == '-';
            t = lex_.Next();
        }
        if (t != kTokNumber) {
            Fail(ErrorCode::kMustBeConstant);
            return;
        }
        step = negative ? static_cast<int32_t>(0u - static_cast<uint32_t>(lex_.value()))
                        : lex_.value();
        lex_.Next();
    }
    EndStatement();
    if (!ok()) return;
    const uint32_t body = here();
    routine_->loops.push_back(LoopState{{}, routine_->selectDepth});
    const int t = Block({kKwNext});
    if (t == -1) return;
    if (t == kTokEnd) {
        Fail(ErrorCode::kUnexpectedEof);
        return;
    }
    SkipToEndOfStatement();
    const Lexer::Mark after = lex_.Save();
    LoadVariable(*v);
    if (!Restore(limit)) return;
    e = Expression();
    if (!ok()) return;
    if (e.type != kTypeInteger) {
        Fail(ErrorCode::kTypeMismatch);
        return;
    }
    if (!Restore(after)) return;
    Emit(step >= 0 ? Op::kGe : Op::kLe);
    const uint32_t done = Emit(Op::kJnz, 0);
    LoadVariable(*v);
    Emit(Op::kPushI, step);
    Emit(Op::kAdd);
    StoreVariable(*v);
    Emit(Op::kJmp, static_cast<int32_t>(body));
    Patch(done, here());
    PatchAll(routine_->loops.back().exits, here());
    routine_->loops.pop_back();
}

void Compiler::While() {
    const uint32_t top = here();
    lex_.Next();
    const ExprInfo c = Expression();
    if (!ok()) return;
    if (c.type != kTypeInteger) {
        Fail(ErrorCode::kIllegalExpression);
        return;
    }
    const uint32_t done = Emit(Op::kJz, 0);
    EndStatement();
    routine_->loops.push_back(LoopState{{}, routine_->selectDepth});
    const int t = Block({kKwWend});
    if (t == -1) return;
    if (t == kTokEnd) {
        Fail(ErrorCode::kUnexpectedEof);
        return;
    }
    lex_.Next();
    EndStatement();
    Emit(Op::kJmp, static_cast<int32_t>(top));
    Patch(done, here());
    PatchAll(routine_->loops.back().exits, here());
    routine_->loops.pop_back();
}

// SELECT CASE e: the selector stays on the stack until END SELECT pops it.
void Compiler::Select() {
    if (lex_.Next() != kKwCase) {
        Fail(ErrorCode::kSyntax);
        return;
    }
    lex_.Next();
    const ExprInfo sel = Expression();
    if (!ok()) return;
    if (sel.type != kTypeInteger && sel.type != kTypeString) {
        Fail(ErrorCode::kIllegalExpression);
        return;
    }
    EndStatement();
    while (ok() && lex_.token() == kTokEos) lex_.Next();
    if (!ok()) return;
    if (lex_.token() != kKwCase && lex_.token() != kKwEnd) {
        Fail(ErrorCode::kCaseExpected);
        return;
    }
    ++routine_->selectDepth;
    std::vector<uint32_t> ends;
    uint32_t nextTest = 0;
    bool inBranch = false, pending = false, sawElse = false;
    for (;;) {
        const int t = inBranch ? Block({kKwCase, kKwEnd}) : lex_.token();
        if (t == -1) return;
        if (t == kTokEnd) {
            Fail(ErrorCode::kUnexpectedEof);
            return;
        }
        if (t == kKwCase) {
            if (sawElse) {
                Fail(ErrorCode::kSyntax);
                return;
            }
            if (inBranch) ends.push_back(Emit(Op::kJmp, 0));
            if (pending) Patch(nextTest, here());
            pending = false;
            inBranch = true;
            if (lex_.Next() == kKwElse) {
                sawElse = true;
                lex_.Next();
                EndStatement();
                continue;
            }
            Emit(Op::kDup);
            const ExprInfo v = Expression();
            if (!ok()) return;
            if (v.type != sel.type) {
                Fail(ErrorCode::kTypeMismatch);
                return;
            }
            Emit(sel.type == kTypeString ? Op::kSEq : Op::kEq);
            nextTest = Emit(Op::kJz, 0);
            pending = true;
            EndStatement();
            continue;
        }
        // END SELECT
        if (lex_.Next() != kKwSelect) {
            Fail(ErrorCode::kSyntax);
            return;
        }
        lex_.Next();
        EndStatement();
        if (pending) Patch(nextTest, here());
        PatchAll(ends, here());
        Emit(Op::kPop);
        --routine_->selectDepth;
        return;
    }
}

// EXIT leaves the innermost loop, or the routine outside loops. Selectors of SELECT blocks
// opened inside the loop are dropped first, so the stack stays balanced.
void Compiler::Exit() {
    SkipToEndOfStatement();
    if (routine_->loops.empty()) {
        routine_->exits.push_back(Emit(Op::kJmp, 0));
        return;
    }
    LoopState& loop = routine_->loops.back();
    for (int i = loop.selectDepth; i < routine_->selectDepth; ++i) Emit(Op::kPop);
    loop.exits.push_back(Emit(Op::kJmp, 0));
}

void Compiler::Return() {
    if (lex_.Next() != kTokEos && lex_.token() != kTokEnd) {
        const ExprInfo e = Expression();
        if (!ok()) return;
        if (e.type == kTypeString) {
            if (e.stringVarOrLiteral) Emit(Op::kSdup);
            Emit(Op::kSetRetS);
        } else if (e.type == kTypeInteger) {
            Emit(Op::kSetRet);
        } else {
            Fail(ErrorCode::kIllegalExpression);
            return;
        }
    }
    EndStatement();
    routine_->exits.push_back(Emit(Op::kJmp, 0));
}

}  // namespace norv::script
