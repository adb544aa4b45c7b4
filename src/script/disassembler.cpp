// The image listing (see disassembler.h). Built-in calls are named from the built-in table, and
// system variable indices from the system variable table, so a listing reads like the source.
#include "script/disassembler.h"

#include <cstdio>

#include "script/image.h"
#include "script/name_tables.h"
#include "script/opcodes.h"

namespace norv::script {

std::string Disassemble(std::string_view image) {
    std::string out;
    char line[160];
    const auto h = ParseHeader(image);
    if (!h) return "not an image\n";
    std::snprintf(line, sizeof line, "title %s\ncode %u data %u stack %u\n", h->title.c_str(),
                  h->codeSize, h->dataSize, h->stackSize);
    out += line;
    const auto* code = reinterpret_cast<const uint8_t*>(image.data());
    const uint32_t end =
        h->codeSize <= image.size() ? h->codeSize : static_cast<uint32_t>(image.size());
    for (uint32_t pc = kHeaderSize; pc < end;) {
        const uint8_t op = code[pc];
        const OpInfo& info = kOpTable[op];
        if (!IsInstruction(op) || InstructionLength(op) > end - pc) {
            std::snprintf(line, sizeof line, "%5u  ?? %02x\n", pc, op);
            out += line;
            break;
        }
        const int n =
            std::snprintf(line, sizeof line, "%5u  %s", pc, std::string(info.name).c_str());
        out.append(line, static_cast<size_t>(n));
        for (uint32_t k = 0; k < info.operands; ++k) {
            const uint32_t v = ReadLe32(code + pc + 1 + 4 * k);
            std::snprintf(line, sizeof line, "%s%d", k == 0 ? " " : ", ", static_cast<int32_t>(v));
            out += line;
        }
        if (static_cast<Op>(op) == Op::kCallB) {
            const int id = static_cast<int>(ReadLe32(code + pc + 1));
            const BuiltinRow* row = BuiltinById(id);
            const char* name = row != nullptr               ? nullptr
                               : id == kBuiltinReadSysVar   ? "read system variable"
                               : id == kBuiltinWriteSysVar  ? "write system variable"
                               : id == kBuiltinExternalCall ? "external call"
                                                            : "?";
            out += "  ; ";
            out += row != nullptr ? std::string(row->name) : std::string(name);
        }
        out += '\n';
        pc += InstructionLength(op);
    }
    // The data segment's printable runs (string literals).
    if (h->codeSize <= image.size()) {
        const uint64_t dataEnd =
            std::min<uint64_t>(image.size(), uint64_t(h->codeSize) + h->dataSize);
        uint32_t start = h->codeSize;
        for (uint64_t i = h->codeSize; i < dataEnd; ++i) {
            if (image[i] != '\0') continue;
            if (i > start) {
                std::snprintf(line, sizeof line, "data %5u  \"",
                              static_cast<unsigned>(start - h->codeSize));
                out += line;
                out.append(image.substr(start, i - start));
                out += "\"\n";
            }
            start = static_cast<uint32_t>(i + 1);
        }
    }
    return out;
}

}  // namespace norv::script
