// The instruction set of the script stack machine: one opcode byte, followed by the 4-byte
// little-endian operands the list gives it. NORV_SCRIPT_OPCODES is the only place an opcode is
// written: it makes the Op enum and kOpTable (which drives the image validator, the
// disassembler and the compiler's emitter), and the interpreter builds its dispatch from it, so
// an opcode without a mnemonic, an operand count or a handler does not compile. Changing the
// list must change kImageVersion.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

// X(enumerator, byte value, mnemonic, number of 4-byte operands), in byte order.
// clang-format off
#define NORV_SCRIPT_OPCODES(X) \
    X(kAdd, 0x01, "ADD", 0) \
    X(kSub, 0x02, "ISUB", 0) \
    X(kMul, 0x03, "MUL", 0) \
    X(kDiv, 0x04, "DIV", 0) \
    X(kMod, 0x06, "IMOD", 0) \
    X(kCat, 0x07, "CAT", 0) \
    X(kEq, 0x08, "EQ", 0) \
    X(kGe, 0x09, "GE", 0) \
    X(kLe, 0x0A, "LE", 0) \
    X(kGt, 0x0B, "GT", 0) \
    X(kLt, 0x0C, "LT", 0) \
    X(kNe, 0x0D, "NE", 0) \
    X(kSEq, 0x0E, "SEQ", 0) \
    X(kSGe, 0x0F, "SGE", 0) \
    X(kSLe, 0x10, "SLE", 0) \
    X(kSGt, 0x11, "SGT", 0) \
    X(kSLt, 0x12, "SLT", 0) \
    X(kSNe, 0x13, "SNE", 0) \
    X(kLdg, 0x15, "LDG", 1) \
    X(kLdgb, 0x16, "LDGB", 1) \
    X(kLdgw, 0x17, "LDGW", 1) \
    X(kPushA, 0x18, "PUSHA", 1) \
    X(kPushI, 0x19, "PUSHI", 1) \
    X(kLdl, 0x1A, "LDL", 1) \
    X(kLdgx, 0x1B, "LDGX", 1) \
    X(kLdgxb, 0x1C, "LDGXB", 1) \
    X(kLdgxw, 0x1D, "LDGXW", 1) \
    X(kAdrl, 0x1E, "ADRL", 1) \
    X(kLdlx, 0x1F, "LDLX", 1) \
    X(kRsv, 0x20, "RSV", 0) \
    X(kStg, 0x21, "STG", 1) \
    X(kStgb, 0x22, "STGB", 1) \
    X(kStgw, 0x23, "STGW", 1) \
    X(kStl, 0x24, "STL", 1) \
    X(kStgx, 0x25, "STGX", 1) \
    X(kStgxb, 0x26, "STGXB", 1) \
    X(kStgxw, 0x27, "STGXW", 1) \
    X(kStlx, 0x28, "STLX", 1) \
    X(kPop, 0x29, "POP", 0) \
    X(kSetRet, 0x2A, "SETRET", 0) \
    X(kSetRetS, 0x2B, "SETRETS", 0) \
    X(kDup, 0x2C, "DUP", 0) \
    X(kSstg, 0x2F, "SSTG", 1) \
    X(kSstgx, 0x30, "SSTGX", 1) \
    X(kSstl, 0x31, "SSTL", 1) \
    X(kSstlx, 0x32, "SSTLX", 1) \
    X(kMove, 0x37, "MOVE", 0) \
    X(kScpy, 0x38, "SCPY", 0) \
    X(kPushA2, 0x39, "PUSHA", 1) \
    X(kSdup, 0x3A, "SDUP", 0) \
    X(kLand, 0x3D, "LAND", 0) \
    X(kLor, 0x3E, "LOR", 0) \
    X(kLxor, 0x3F, "LXOR", 0) \
    X(kNeg, 0x41, "NEG", 0) \
    X(kLnot, 0x42, "LNOT", 0) \
    X(kBand, 0x43, "BAND", 0) \
    X(kBor, 0x44, "BOR", 0) \
    X(kBxor, 0x45, "BXOR", 0) \
    X(kCallU, 0x47, "CALLU", 1) \
    X(kRet, 0x49, "RET", 1) \
    X(kCallB, 0x4A, "CALLB", 1) \
    X(kJmp, 0x4B, "JMP", 1) \
    X(kJnz, 0x4C, "JNZ", 1) \
    X(kJz, 0x4D, "JZ", 1) \
    X(kEnter, 0x4E, "ENTER", 1) \
    X(kLeave, 0x4F, "LEAVE", 0) \
    X(kShl, 0x51, "SHL", 0) \
    X(kShr, 0x52, "SHR", 0) \
    /* Checks that the top (an array index less the base) is below the dimension's */ \
    /* count; operands: the count and the source line for the message.             */ \
    X(kChkx, 0x53, "CHKX", 2) \
    X(kHalt, 0xFD, "HALT", 0) \
    X(kHold, 0xFE, "HOLD", 0)
// clang-format on

namespace norv::script {

enum class Op : uint8_t {
#define NORV_OP_ENUMERATOR(name, byte, mnemonic, operands) name = byte,
    NORV_SCRIPT_OPCODES(NORV_OP_ENUMERATOR)
#undef NORV_OP_ENUMERATOR
};

struct OpInfo {
    std::string_view name;  // empty: not an instruction
    uint8_t operands;       // number of 4-byte operands
};

struct OpListEntry {
    Op op;
    std::string_view name;
    int operands;
};

// The list in its written order.
inline constexpr OpListEntry kOpList[] = {
#define NORV_OP_ENTRY(name, byte, mnemonic, operands) {Op::name, mnemonic, operands},
    NORV_SCRIPT_OPCODES(NORV_OP_ENTRY)
#undef NORV_OP_ENTRY
};
inline constexpr size_t kOpCount = std::size(kOpList);

// Indexed by the opcode byte.
inline constexpr std::array<OpInfo, 256> kOpTable = [] {
    std::array<OpInfo, 256> t{};
    for (const OpListEntry& e : kOpList)
        t[static_cast<uint8_t>(e.op)] = OpInfo{e.name, static_cast<uint8_t>(e.operands)};
    return t;
}();

constexpr bool OpListHasNames() {
    for (const OpListEntry& e : kOpList)
        if (e.name.empty()) return false;
    return true;
}
constexpr bool OpListHasLengths() {
    for (const OpListEntry& e : kOpList)
        if (e.operands < 0 || e.operands > 2) return false;
    return true;
}
constexpr bool OpListBytesUnique() {
    for (size_t i = 0; i < kOpCount; ++i)
        for (size_t j = i + 1; j < kOpCount; ++j)
            if (kOpList[i].op == kOpList[j].op) return false;
    return true;
}
static_assert(OpListHasNames(), "every opcode in NORV_SCRIPT_OPCODES needs a mnemonic");
static_assert(OpListHasLengths(), "every opcode in NORV_SCRIPT_OPCODES needs 0, 1 or 2 operands");
static_assert(OpListBytesUnique(), "two opcodes in NORV_SCRIPT_OPCODES share a byte value");

constexpr bool IsInstruction(uint8_t op) {
    return !kOpTable[op].name.empty();
}
constexpr uint32_t InstructionLength(uint8_t op) {
    return 1u + 4u * kOpTable[op].operands;
}

static_assert(InstructionLength(static_cast<uint8_t>(Op::kJmp)) == 5);
static_assert(IsInstruction(static_cast<uint8_t>(Op::kHalt)) && !IsInstruction(0x00));

}  // namespace norv::script
