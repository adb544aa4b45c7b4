// The compiler's driver: the pre-pass over routine headers, module statements (declarations,
// constants, options, external declarations), routine definitions with their prologue and
// epilogue, the code and data buffers, and the image at the end.
#include "script/compiler.h"

#include <algorithm>
#include <utility>

#include "platform/file_system.h"
#include "platform/paths.h"
#include "script/compiler_internal.h"
#include "script/image.h"
#include "script/name_tables.h"
#include "script/read_limited.h"

namespace norv::script {

CompileResult CompileSource(platform::FileSystem& fs, const std::string& path, std::string source) {
    CompileResult result;
    Compiler compiler(fs, path, std::move(source));
    std::string image;
    if (compiler.Compile(image))
        result.image = std::move(image);
    else
        result.error = compiler.lexer().error();
    return result;
}

CompileResult CompileFile(platform::FileSystem& fs, const std::string& path) {
    std::string source;
    if (!ReadFileLimited(fs, path, source, kSourceFileMax, ReadBound::kFailOverLimit)) {
        CompileResult result;
        result.unreadable = true;
        return result;
    }
    return CompileSource(fs, platform::FullPath(path), std::move(source));
}

Compiler::Compiler(platform::FileSystem& fs, std::string path, std::string source)
    : fs_(fs), path_(std::move(path)), source_(std::move(source)), lex_(fs_, path_, source_) {}

std::string Compiler::Upper(const std::string& s) {
    std::string u = s;
    for (char& c : u)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    return u;
}

bool Compiler::Fail(ErrorCode code) {
    lex_.Error(code);
    return false;
}

bool Compiler::Restore(const Lexer::Mark& mark) {
    if (mark.depth != lex_.Save().depth) return Fail(ErrorCode::kUnexpectedError);
    lex_.Restore(mark);
    return true;
}

void Compiler::EndStatement() {
    if (!ok()) return;
    if (lex_.token() == kTokEos)
        lex_.Next();
    else if (lex_.token() != kTokEnd)
        Fail(ErrorCode::kExtraCharacters);
}

void Compiler::SkipToEndOfStatement() {
    while (lex_.token() != kTokEos && lex_.token() != kTokEnd && ok()) lex_.Next();
    if (lex_.token() == kTokEos) lex_.Next();
}

// --- code and data buffers

void Compiler::Emit(Op op) {
    code_.push_back(static_cast<char>(op));
}

uint32_t Compiler::Emit(Op op, int32_t operand) {
    Emit(op);
    const uint32_t pos = here();
    code_.append(4, '\0');
    WriteLe32(reinterpret_cast<uint8_t*>(code_.data() + pos), static_cast<uint32_t>(operand));
    return pos;
}

void Compiler::Emit(Op op, int32_t a, int32_t b) {
    Emit(op, a);
    const uint32_t pos = here();
    code_.append(4, '\0');
    WriteLe32(reinterpret_cast<uint8_t*>(code_.data() + pos), static_cast<uint32_t>(b));
}

void Compiler::Patch(uint32_t operandPos, uint32_t value) {
    WriteLe32(reinterpret_cast<uint8_t*>(code_.data() + operandPos), value);
}

void Compiler::PatchAll(const std::vector<uint32_t>& positions, uint32_t value) {
    for (uint32_t p : positions) Patch(p, value);
}

int32_t Compiler::AllocateData(uint32_t size) {
    if (size > kMaxDataSize - data_.size()) {
        Fail(ErrorCode::kIllegalValue);
        return -1;
    }
    const auto at = static_cast<int32_t>(data_.size());
    data_.append(size, '\0');
    return at;
}

int32_t Compiler::PlaceString(const std::string& text) {
    const int32_t at = AllocateData(static_cast<uint32_t>(text.size() + 1));
    if (at >= 0) std::copy(text.begin(), text.end(), data_.begin() + at);
    return at;
}

// --- symbols

Symbol* Compiler::Lookup(const std::string& upperName) {
    for (auto it = scopes_.rbegin(); it != scopes_.rend(); ++it) {
        auto found = it->find(upperName);
        if (found != it->end()) return found->second.get();
    }
    return nullptr;
}

bool Compiler::Define(std::unique_ptr<Symbol> sym) {
    Scope& scope = scopes_.back();
    if (scope.count(sym->name) != 0) return Fail(ErrorCode::kAlreadyDefined);
    const std::string name = sym->name;
    scope.emplace(name, std::move(sym));
    return true;
}

// --- driver

bool Compiler::Compile(std::string& image) {
    code_.assign(kHeaderSize, '\0');
    // The entry: a jump to Main once Main is compiled; a HALT until then.
    Emit(Op::kHalt);
    code_.append(4, '\0');
    scopes_.clear();
    scopes_.emplace_back();
    PrePass();
    lex_.Next();
    while (ok() && lex_.token() != kTokEnd) ModuleStatement();
    if (ok() && !mainDefined_) Fail(ErrorCode::kNoMain);
    if (!ok()) return false;
    if (code_.size() > kMaxCodeSize) return Fail(ErrorCode::kUnexpectedError);
    WriteHeader(code_, path_, here(), static_cast<uint32_t>(data_.size()), stackSize_);
    image = std::move(code_);
    image += data_;
    return true;
}

// Collects every FUNCTION, SUB and PROC header so that calls may precede definitions.
void Compiler::PrePass() {
    Lexer pre(fs_, path_, source_);
    bool lineStart = true;
    bool declareLine = false;
    for (int t = pre.Next(); t != kTokEnd && !pre.failed(); t = pre.Next()) {
        if (t == kTokEos) {
            lineStart = true;
            declareLine = false;
            continue;
        }
        if (lineStart && t == kKwDeclare) declareLine = true;
        lineStart = false;
        if (declareLine || (t != kKwFunction && t != kKwSub && t != kKwProc)) continue;
        const int kind = t;
        if (pre.Next() != kTokIdent) continue;
        auto sym = std::make_unique<Symbol>();
        sym->name = Upper(pre.text());
        sym->kind = SymbolKind::kRoutine;
        sym->global = true;
        sym->type = kind == kKwSub ? kTypeVoid : kTypeInteger;
        int depth = 0;
        for (t = pre.Next(); t != kTokEos && t != kTokEnd && !pre.failed(); t = pre.Next()) {
            if (t == '(')
                ++depth;
            else if (t == ')')
                --depth;
            else if (depth > 0 && t == kTokIdent)
                ++sym->paramCount;
            else if (depth == 0 && kind != kKwSub) {
                if (t == '$' || (t == kKwString))
                    sym->type = kTypeString;
                else if (t == '%' || t == kKwInteger)
                    sym->type = kTypeInteger;
            }
        }
        if (scopes_.front().count(sym->name) == 0) {
            const std::string name = sym->name;
            scopes_.front().emplace(name, std::move(sym));
        }
        if (t == kTokEos) lineStart = true;
        if (t == kTokEnd) break;
    }
}

void Compiler::ModuleStatement() {
    switch (lex_.token()) {
        case kTokEos:
            lex_.Next();
            return;
        case kKwDeclare:
            Declare();
            return;
        case kKwDim:
        case kKwStatic:
            VariableList(false, true);
            return;
        case kKwFunction:
        case kKwSub:
        case kKwProc:
        case kKwMain:
            Routine();
            return;
        case kKwConst:
            Const();
            return;
        case kKwOption:
            Option();
            return;
        default:
            Fail(ErrorCode::kSyntax);
            return;
    }
}

// DIM / REDIM / STATIC name[$|%] [AS type] [(counts)], ...
void Compiler::VariableList(bool local, bool staticStorage) {
    do {
        if (lex_.Next() != kTokIdent) {
            Fail(ErrorCode::kSyntax);
            return;
        }
        auto sym = std::make_unique<Symbol>();
        sym->name = Upper(lex_.text());
        int type = kTypeInteger;
        lex_.Next();
        while (ok() && lex_.token() != ',' && lex_.token() != kTokEos && lex_.token() != kTokEnd) {
            const int t = lex_.token();
            if (t == '$') {
                type = kTypeString;
            } else if (t == '%') {
                type = kTypeInteger;
            } else if (t == kKwAs) {
                const int u = lex_.Next();
                if (u == kKwInteger)
                    type = kTypeInteger;
                else if (u == kKwString)
                    type = kTypeString;
                else {
                    Fail(ErrorCode::kIllegalDataType);
                    return;
                }
            } else if (t == '(') {
                for (;;) {
                    if (lex_.Next() != kTokNumber) {
                        Fail(ErrorCode::kMustBeConstant);
                        return;
                    }
                    if (lex_.value() <= 0) {
                        Fail(ErrorCode::kIllegalValue);
                        return;
                    }
                    sym->dims.push_back(lex_.value());
                    const int u = lex_.Next();
                    if (u == ')') break;
                    if (u != ',') {
                        Fail(ErrorCode::kExtraCharacters);
                        return;
                    }
                }
            } else if (t == '=') {
                Fail(ErrorCode::kSyntax);
                return;
            }
            lex_.Next();
        }
        if (!ok()) return;
        uint64_t size = 4;
        for (int32_t c : sym->dims) {
            size *= static_cast<uint64_t>(c);
            if (size > kMaxDataSize) {
                Fail(ErrorCode::kIllegalValue);
                return;
            }
        }
        sym->type = sym->dims.empty() ? type : ArrayOf(type);
        sym->size = static_cast<uint32_t>(size);
        if (!local || staticStorage) {
            sym->global = true;
            sym->address = AllocateData(sym->size);
            if (sym->address < 0) return;
        } else {
            if (size > kMaxStackSize || routine_->localTop < -static_cast<int32_t>(kMaxStackSize)) {
                Fail(ErrorCode::kIllegalValue);
                return;
            }
            routine_->localTop -= static_cast<int32_t>(size);
            sym->address = routine_->localTop;
            routine_->maxLocals =
                std::max(routine_->maxLocals, static_cast<uint32_t>(-routine_->localTop));
        }
        const Symbol* raw = sym.get();
        if (!Define(std::move(sym))) return;
        if (local && !staticStorage && ElementOf(raw->type) == kTypeString)
            routine_->localStrings.push_back(raw);
    } while (ok() && lex_.token() == ',');
    EndStatement();
}

// CONST name[$|%] = literal
void Compiler::Const() {
    if (lex_.Next() != kTokIdent) {
        Fail(ErrorCode::kSyntax);
        return;
    }
    auto sym = std::make_unique<Symbol>();
    sym->name = Upper(lex_.text());
    sym->kind = SymbolKind::kConstant;
    sym->global = true;
    int suffix = 0;
    int t = lex_.Next();
    if (t == '$' || t == '%') {
        suffix = t;
        t = lex_.Next();
    }
    if (t != '=') {
        Fail(ErrorCode::kSyntax);
        return;
    }
    t = lex_.Next();
    bool negative = false;
    if (t == '-') {
        negative = true;
        t = lex_.Next();
    }
    if (t == kTokNumber) {
        if (suffix == '$') {
            Fail(ErrorCode::kTypeMismatch);
            return;
        }
        sym->type = kTypeInteger;
        sym->intValue = negative ? static_cast<int32_t>(0u - static_cast<uint32_t>(lex_.value()))
                                 : lex_.value();
    } else if (t == kTokString && !negative) {
        if (suffix == '%') {
            Fail(ErrorCode::kTypeMismatch);
            return;
        }
        sym->type = kTypeString;
        sym->stringValue = lex_.text();
    } else {
        Fail(ErrorCode::kMustBeConstant);
        return;
    }
    if (!ok()) return;
    lex_.Next();
    if (!Define(std::move(sym))) return;
    EndStatement();
}

// OPTION Base n / OPTION Stack n; other words are ignored.
void Compiler::Option() {
    if (lex_.Next() == kTokIdent) {
        const std::string word = Upper(lex_.text());
        if (word == "BASE" || word == "STACK") {
            if (lex_.Next() != kTokNumber) {
                Fail(ErrorCode::kMustBeConstant);
                return;
            }
            const int32_t n = lex_.value();
            if (word == "BASE") {
                base_ = n;
            } else {
                if (n < 0 || static_cast<uint32_t>(n) > kMaxStackSize) {
                    Fail(ErrorCode::kIllegalValue);
                    return;
                }
                // Smaller stacks than 64 bytes could not hold one frame.
                stackSize_ = n == 0 ? kDefaultStackSize : std::max<uint32_t>(64, uint32_t(n));
            }
        }
    }
    SkipToEndOfStatement();
}

// DECLARE SUB|FUNCTION|PROC name[%|$] Lib "library" [Alias "routine"] [(params)] [AS type]
void Compiler::Declare() {
    const int kind = lex_.Next();
    if (kind != kKwSub && kind != kKwFunction && kind != kKwProc) {
        Fail(ErrorCode::kSyntax);
        return;
    }
    if (lex_.Next() != kTokIdent) {
        Fail(ErrorCode::kSyntax);
        return;
    }
    auto sym = std::make_unique<Symbol>();
    sym->name = Upper(lex_.text());
    std::string routine = lex_.text();  // exported names keep their case
    sym->kind = SymbolKind::kExternal;
    sym->global = true;
    sym->type = kind == kKwSub ? kTypeVoid : kTypeInteger;
    if (scopes_.back().count(sym->name) != 0) {
        Fail(ErrorCode::kAlreadyDefined);
        return;
    }
    int t = lex_.Next();
    if (t == '$') {
        sym->type = kTypeString;
        t = lex_.Next();
    } else if (t == '%') {
        sym->type = kTypeInteger;
        t = lex_.Next();
    }
    if (t != kTokIdent || Upper(lex_.text()) != "LIB") {
        Fail(ErrorCode::kSyntax);
        return;
    }
    if (lex_.Next() != kTokString) {
        Fail(ErrorCode::kSyntax);
        return;
    }
    const std::string library = lex_.text();
    t = lex_.Next();
    if (t == kTokIdent && Upper(lex_.text()) == "ALIAS") {
        if (lex_.Next() != kTokString) {
            Fail(ErrorCode::kSyntax);
            return;
        }
        routine = lex_.text();
        t = lex_.Next();
    }
    if (t == '(') {
        int items = 0;
        bool inItem = false, variadic = false;
        int dots = 0;
        for (t = lex_.Next(); t != ')'; t = lex_.Next()) {
            if (t == kTokEos || t == kTokEnd || !ok()) {
                Fail(ErrorCode::kRightParenExpected);
                return;
            }
            if (t == ',') {
                inItem = false;
                dots = 0;
                continue;
            }
            if (!inItem) {
                ++items;
                inItem = true;
            }
            if (t == '.' && ++dots == 2) variadic = true;
        }
        sym->declaredCount = variadic ? -items : items;  // -(fixed + 1) with ".." as one item
        t = lex_.Next();
    }
    if (t == kKwAs) {
        const int u = lex_.Next();
        if (u == kKwInteger)
            sym->type = kTypeInteger;
        else if (u == kKwString)
            sym->type = kTypeString;
        else {
            Fail(ErrorCode::kIllegalDataType);
            return;
        }
        lex_.Next();
    }
    if (!ok()) return;
    const int32_t lib = PlaceString(library);
    if (lib < 0) return;
    sym->libraryOffset = static_cast<uint32_t>(lib);
    sym->routineName = routine;
    if (!Define(std::move(sym))) return;
    EndStatement();
}

// FUNCTION / SUB / PROC name ... END, and MAIN ... END.
void Compiler::Routine() {
    const int kind = lex_.token();
    routine_ = std::make_unique<RoutineState>();
    Symbol* sym = nullptr;
    int resultType = kind == kKwSub ? kTypeVoid : kTypeInteger;
    if (kind == kKwMain) {
        if (mainDefined_) {
            Fail(ErrorCode::kAlreadyDefined);
            return;
        }
        mainDefined_ = true;
        routine_->isMain = true;
        code_[kHeaderSize] = static_cast<char>(Op::kJmp);
        Patch(kHeaderSize + 1, here());
        lex_.Next();
    } else {
        if (lex_.Next() != kTokIdent) {
            Fail(ErrorCode::kSyntax);
            return;
        }
        sym = Lookup(Upper(lex_.text()));
        if (sym == nullptr || sym->kind != SymbolKind::kRoutine || sym->defined) {
            Fail(ErrorCode::kAlreadyDefined);
            return;
        }
        sym->defined = true;
        sym->address = static_cast<int32_t>(here());
        PatchAll(sym->patches, here());
        sym->patches.clear();
        lex_.Next();
    }
    scopes_.emplace_back();
    if (lex_.token() == '$' && kind != kKwSub) {
        resultType = kTypeString;
        lex_.Next();
    } else if (lex_.token() == '%' && kind != kKwSub) {
        resultType = kTypeInteger;
        lex_.Next();
    }
    int params = 0;
    if (lex_.token() == '(') {
        lex_.Next();
        while (ok() && lex_.token() != ')') {
            if (lex_.token() == kTokEos || lex_.token() == kTokEnd) {
                Fail(ErrorCode::kRightParenExpected);
                break;
            }
            if (lex_.token() != kTokIdent) {
                Fail(ErrorCode::kSyntax);
                break;
            }
            auto p = std::make_unique<Symbol>();
            p->name = Upper(lex_.text());
            p->parameter = true;
            p->address = 8 + 4 * params;
            p->size = 4;
            int type = kTypeInteger;
            bool array = false;
            int t = lex_.Next();
            while (ok() && t != ',' && t != ')' && t != kTokEos && t != kTokEnd) {
                if (t == '$')
                    type = kTypeString;
                else if (t == '%')
                    type = kTypeInteger;
                else if (t == kKwAs) {
                    const int u = lex_.Next();
                    if (u == kKwInteger)
                        type = kTypeInteger;
                    else if (u == kKwString)
                        type = kTypeString;
                    else {
                        Fail(ErrorCode::kIllegalDataType);
                        break;
                    }
                } else if (t == '(') {
                    array = true;
                    while (ok() && t != ')' && t != kTokEos && t != kTokEnd) t = lex_.Next();
                    if (t != ')') {
                        Fail(ErrorCode::kRightParenExpected);
                        break;
                    }
                }
                t = lex_.Next();
            }
            p->type = array ? ArrayOf(type) : type;
            if (!ok() || !Define(std::move(p))) break;
            ++params;
            if (lex_.token() == ',') lex_.Next();
        }
        if (ok()) lex_.Next();
    }
    if (ok() && lex_.token() == kKwAs) {
        const int u = lex_.Next();
        if (u == kKwInteger && kind != kKwSub)
            resultType = kTypeInteger;
        else if (u == kKwString && kind != kKwSub)
            resultType = kTypeString;
        else
            Fail(ErrorCode::kIllegalDataType);
        lex_.Next();
    }
    EndStatement();
    if (!ok()) return;
    if (sym != nullptr) {
        // Calls compiled before this definition checked the count the pre-pass saw.
        sym->type = resultType;
        sym->paramCount = params;
    }
    routine_->paramCount = params;
    const uint32_t enterSize = Emit(Op::kEnter, 0);
    const int end = Block({kKwEnd});
    if (end == -1) return;
    if (end == kTokEnd) {
        Fail(ErrorCode::kUnexpectedEof);
        return;
    }
    SkipToEndOfStatement();
    // Running off the end returns 0; RETURN and EXIT jump past this.
    Emit(Op::kPushI, 0);
    Emit(Op::kSetRet);
    PatchAll(routine_->exits, here());
    for (const Symbol* s : routine_->localStrings) {
        const uint32_t count = s->size / 4;
        for (uint32_t i = 0; i < count; ++i) {
            Emit(Op::kLdl, s->address + static_cast<int32_t>(4 * i));
            Emit(Op::kCallB, kBuiltinThrowAway);
            Emit(Op::kPop);
        }
    }
    Emit(Op::kLeave);
    if (routine_->isMain)
        Emit(Op::kHalt);
    else
        Emit(Op::kRet, params);
    Patch(enterSize, routine_->maxLocals);
    scopes_.pop_back();
    routine_.reset();
}

}  // namespace norv::script
