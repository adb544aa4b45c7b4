// The instruction set of the script stack machine: one opcode byte, followed by the 4-byte
// little-endian operands the table gives it. The table drives the image validator, the
// disassembler and the compiler's emitter; changing it must change kImageVersion.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace norv::script {

enum class Op : uint8_t {
    kAdd = 0x01,
    kSub = 0x02,
    kMul = 0x03,
    kDiv = 0x04,
    kMod = 0x06,
    kCat = 0x07,
    kEq = 0x08,
    kGe = 0x09,
    kLe = 0x0A,
    kGt = 0x0B,
    kLt = 0x0C,
    kNe = 0x0D,
    kSEq = 0x0E,
    kSGe = 0x0F,
    kSLe = 0x10,
    kSGt = 0x11,
    kSLt = 0x12,
    kSNe = 0x13,
    kLdg = 0x15,
    kLdgb = 0x16,
    kLdgw = 0x17,
    kPushA = 0x18,
    kPushI = 0x19,
    kLdl = 0x1A,
    kLdgx = 0x1B,
    kLdgxb = 0x1C,
    kLdgxw = 0x1D,
    kAdrl = 0x1E,
    kLdlx = 0x1F,
    kRsv = 0x20,
    kStg = 0x21,
    kStgb = 0x22,
    kStgw = 0x23,
    kStl = 0x24,
    kStgx = 0x25,
    kStgxb = 0x26,
    kStgxw = 0x27,
    kStlx = 0x28,
    kPop = 0x29,
    kSetRet = 0x2A,
    kSetRetS = 0x2B,
    kDup = 0x2C,
    kSstg = 0x2F,
    kSstgx = 0x30,
    kSstl = 0x31,
    kSstlx = 0x32,
    kMove = 0x37,
    kScpy = 0x38,
    kPushA2 = 0x39,
    kSdup = 0x3A,
    kLand = 0x3D,
    kLor = 0x3E,
    kLxor = 0x3F,
    kNeg = 0x41,
    kLnot = 0x42,
    kBand = 0x43,
    kBor = 0x44,
    kBxor = 0x45,
    kCallU = 0x47,
    kRet = 0x49,
    kCallB = 0x4A,
    kJmp = 0x4B,
    kJnz = 0x4C,
    kJz = 0x4D,
    kEnter = 0x4E,
    kLeave = 0x4F,
    kShl = 0x51,
    kShr = 0x52,
    // Checks that the top (an array index less the base) is below the dimension's count;
    // operands: the count and the source line for the message.
    kChkx = 0x53,
    kHalt = 0xFD,
    kHold = 0xFE,
};

struct OpInfo {
    std::string_view name;  // empty: not an instruction
    uint8_t operands;       // number of 4-byte operands
};

inline constexpr std::array<OpInfo, 256> kOpTable = [] {
    std::array<OpInfo, 256> t{};
    auto set = [&t](Op op, std::string_view name, uint8_t n) {
        t[static_cast<uint8_t>(op)] = OpInfo{name, n};
    };
    set(Op::kAdd, "ADD", 0);
    set(Op::kSub, "ISUB", 0);
    set(Op::kMul, "MUL", 0);
    set(Op::kDiv, "DIV", 0);
    set(Op::kMod, "IMOD", 0);
    set(Op::kCat, "CAT", 0);
    set(Op::kEq, "EQ", 0);
    set(Op::kGe, "GE", 0);
    set(Op::kLe, "LE", 0);
    set(Op::kGt, "GT", 0);
    set(Op::kLt, "LT", 0);
    set(Op::kNe, "NE", 0);
    set(Op::kSEq, "SEQ", 0);
    set(Op::kSGe, "SGE", 0);
    set(Op::kSLe, "SLE", 0);
    set(Op::kSGt, "SGT", 0);
    set(Op::kSLt, "SLT", 0);
    set(Op::kSNe, "SNE", 0);
    set(Op::kLdg, "LDG", 1);
    set(Op::kLdgb, "LDGB", 1);
    set(Op::kLdgw, "LDGW", 1);
    set(Op::kPushA, "PUSHA", 1);
    set(Op::kPushI, "PUSHI", 1);
    set(Op::kLdl, "LDL", 1);
    set(Op::kLdgx, "LDGX", 1);
    set(Op::kLdgxb, "LDGXB", 1);
    set(Op::kLdgxw, "LDGXW", 1);
    set(Op::kAdrl, "ADRL", 1);
    set(Op::kLdlx, "LDLX", 1);
    set(Op::kRsv, "RSV", 0);
    set(Op::kStg, "STG", 1);
    set(Op::kStgb, "STGB", 1);
    set(Op::kStgw, "STGW", 1);
    set(Op::kStl, "STL", 1);
    set(Op::kStgx, "STGX", 1);
    set(Op::kStgxb, "STGXB", 1);
    set(Op::kStgxw, "STGXW", 1);
    set(Op::kStlx, "STLX", 1);
    set(Op::kPop, "POP", 0);
    set(Op::kSetRet, "SETRET", 0);
    set(Op::kSetRetS, "SETRETS", 0);
    set(Op::kDup, "DUP", 0);
    set(Op::kSstg, "SSTG", 1);
    set(Op::kSstgx, "SSTGX", 1);
    set(Op::kSstl, "SSTL", 1);
    set(Op::kSstlx, "SSTLX", 1);
    set(Op::kMove, "MOVE", 0);
    set(Op::kScpy, "SCPY", 0);
    set(Op::kPushA2, "PUSHA", 1);
    set(Op::kSdup, "SDUP", 0);
    set(Op::kLand, "LAND", 0);
    set(Op::kLor, "LOR", 0);
    set(Op::kLxor, "LXOR", 0);
    set(Op::kNeg, "NEG", 0);
    set(Op::kLnot, "LNOT", 0);
    set(Op::kBand, "BAND", 0);
    set(Op::kBor, "BOR", 0);
    set(Op::kBxor, "BXOR", 0);
    set(Op::kCallU, "CALLU", 1);
    set(Op::kRet, "RET", 1);
    set(Op::kCallB, "CALLB", 1);
    set(Op::kJmp, "JMP", 1);
    set(Op::kJnz, "JNZ", 1);
    set(Op::kJz, "JZ", 1);
    set(Op::kEnter, "ENTER", 1);
    set(Op::kLeave, "LEAVE", 0);
    set(Op::kShl, "SHL", 0);
    set(Op::kShr, "SHR", 0);
    set(Op::kChkx, "CHKX", 2);
    set(Op::kHalt, "HALT", 0);
    set(Op::kHold, "HOLD", 0);
    return t;
}();

constexpr bool IsInstruction(uint8_t op) {
    return !kOpTable[op].name.empty();
}
constexpr uint32_t InstructionLength(uint8_t op) {
    return 1u + 4u * kOpTable[op].operands;
}

static_assert(InstructionLength(static_cast<uint8_t>(Op::kJmp)) == 5);
static_assert(IsInstruction(static_cast<uint8_t>(Op::kHalt)) && !IsInstruction(0x00));

}  // namespace norv::script
