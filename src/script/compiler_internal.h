// The compiler object shared by the compiler's source files (driver and declarations,
// statements, expressions). Not part of the library's interface.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "script/lexer.h"
#include "script/opcodes.h"

namespace norv::script {

// Rows of the type table, in their fixed order.
enum TypeId : int {
    kTypeInteger = 0,
    kTypeIntegerArray = 1,
    kTypeString = 2,
    kTypeStringArray = 3,
    kTypeVoid = 4,
    kTypeVoidArray = 5,
};

constexpr bool IsArrayType(int t) {
    return (t & 1) != 0;
}
constexpr int ArrayOf(int t) {
    return t | 1;
}
constexpr int ElementOf(int t) {
    return t & ~1;
}

enum class SymbolKind { kVariable = 0, kRoutine = 1, kConstant = 2, kExternal = 3 };

struct Symbol {
    std::string name;
    SymbolKind kind = SymbolKind::kVariable;
    bool global = false;  // data segment (else a frame offset)
    bool parameter = false;
    std::vector<int32_t> dims;  // element count of each dimension (arrays)
    int32_t address = 0;        // data offset, frame offset or code offset
    uint32_t size = 0;          // bytes
    int type = kTypeInteger;    // for routines: the result type
    // Constants.
    int32_t intValue = 0;
    std::string stringValue;
    int32_t placedAt = -1;  // data offset once a String constant is placed
    // Routines.
    bool defined = false;
    int paramCount = 0;
    std::vector<uint32_t> patches;  // operand positions of CALLU waiting for the address
    // External routines.
    uint32_t libraryOffset = 0;
    std::string routineName;  // the exported name: the Alias text, else the name as written
    int declaredCount = 0;    // negative: variadic, -(fixed count + 1)
};

// The binary operator levels, lowest precedence first; unary NOT binds tighter than all.
enum class OperatorLevel { kLogical, kComparison, kAdditive, kMultiplicative, kUnary };

struct ExprInfo {
    int type = kTypeInteger;
    bool stringVarOrLiteral = false;  // a plain String variable or literal (copied on RETURN)
    bool globalString = false;        // a String variable in the data segment
    uint32_t arrayBytes = 0;          // an array named without an index: its size (0: unknown)
};

class Compiler {
  public:
    Compiler(platform::FileSystem& fs, std::string path, std::string source);
    // Compiles; the image on success, else nothing (see lexer().error()).
    bool Compile(std::string& image);
    const Lexer& lexer() const { return lex_; }

  private:
    friend class ExpressionCompiler;
    using Scope = std::unordered_map<std::string, std::unique_ptr<Symbol>>;

    struct LoopState {
        std::vector<uint32_t> exits;
        int selectDepth = 0;
    };
    struct RoutineState {
        bool isMain = false;
        int paramCount = 0;
        int32_t localTop = 0;  // the next free frame offset grows downward from 0
        uint32_t maxLocals = 0;
        std::vector<uint32_t> exits;  // RETURN and routine-level EXIT jumps
        std::vector<const Symbol*> localStrings;
        std::vector<LoopState> loops;
        int selectDepth = 0;
    };

    // --- driver, declarations, routines (compiler.cpp)
    void PrePass();
    void ModuleStatement();
    void Declare();
    void Const();
    void Option();
    void Routine();
    void VariableList(bool local, bool staticStorage);
    bool Define(std::unique_ptr<Symbol> sym);
    Symbol* Lookup(const std::string& upperName);
    void EndStatement();
    void SkipToEndOfStatement();
    bool Fail(ErrorCode code);  // records the error; returns false
    bool ok() const { return !lex_.failed(); }
    static std::string Upper(const std::string& s);

    // --- code and data
    uint32_t here() const { return static_cast<uint32_t>(code_.size()); }
    void Emit(Op op);
    uint32_t Emit(Op op, int32_t operand);  // returns the operand's position
    void Emit(Op op, int32_t a, int32_t b);
    void Patch(uint32_t operandPos, uint32_t value);
    void PatchAll(const std::vector<uint32_t>& positions, uint32_t value);
    int32_t AllocateData(uint32_t size);  // -1 (and an error) when the segment is full
    int32_t PlaceString(const std::string& text);

    // --- statements (compile_statements.cpp)
    // Compiles statements until one starts with a token in `ends` (returned) or the input
    // ends (kTokEnd) or an error stops the compilation (-1).
    int Block(std::initializer_list<int> ends);
    void Statement();
    void AssignOrCall();
    void SysVarAssignment();
    void CallStatement();
    void If();
    void Do();
    void For();
    void While();
    void Select();
    void Exit();
    void Return();
    void StoreVariable(const Symbol& sym);
    // The left side's element stores: value first, then the index (compiled after it).
    void ElementAssignment(const Symbol& sym);

    // --- expressions (compile_expressions.cpp)
    ExprInfo Expression();
    // The binary operators of level `lowest` and above, with their operands.
    ExprInfo Subexpression(OperatorLevel lowest);
    ExprInfo Unary();
    ExprInfo Primary();
    ExprInfo IdentifierPrimary();
    ExprInfo SysVarRead();
    // With the current token just after the name: compiles a call of `sym` (or of built-in row
    // `builtin` when sym is null) and returns its result type.
    ExprInfo Call(Symbol* sym, int builtin);
    // Reads the arguments of a call (current token after the name) in reverse, compiling each;
    // returns their infos in source order, or false on an error.
    bool Arguments(std::vector<ExprInfo>& infos, bool userRoutine);
    // With the current token at "(": compiles the byte offset of an element of `sym`.
    bool ElementOffset(const Symbol& sym);
    void LoadVariable(const Symbol& sym);
    bool Restore(const Lexer::Mark& mark);

    platform::FileSystem& fs_;
    std::string path_;
    std::string source_;
    Lexer lex_;
    std::string code_;
    std::string data_;
    uint32_t stackSize_ = 8192;
    int32_t base_ = 1;
    std::vector<Scope> scopes_;
    std::unique_ptr<RoutineState> routine_;
    bool mainDefined_ = false;
    int depth_ = 0;  // nesting of expressions and blocks, bounded
};

inline constexpr int kNestingMax = 200;

// Keeps the nesting of blocks and expressions bounded, so that a hostile source cannot
// exhaust the compiler's own stack.
class NestingGuard {
  public:
    explicit NestingGuard(int& depth) : depth_(depth) { ++depth_; }
    ~NestingGuard() { --depth_; }
    NestingGuard(const NestingGuard&) = delete;
    NestingGuard& operator=(const NestingGuard&) = delete;
    bool tooDeep() const { return depth_ > kNestingMax; }

  private:
    int& depth_;
};

}  // namespace norv::script
