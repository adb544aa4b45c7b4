// Header layout, validation and the `.NRX` file of compiled script images.
#include "script/image.h"

#include <cstring>
#include <vector>

#include "platform/file_system.h"
#include "platform/paths.h"
#include "script/name_tables.h"
#include "script/opcodes.h"
#include "script/read_limited.h"

namespace norv::script {

uint32_t ReadLe32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

void WriteLe32(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
    p[2] = uint8_t(v >> 16);
    p[3] = uint8_t(v >> 24);
}

std::string_view ImageStatusText(ImageStatus status) {
    switch (status) {
        case ImageStatus::kOk:
            return "ok";
        case ImageStatus::kBadSignature:
            return "not a compiled script";
        case ImageStatus::kBadSize:
            return "code or data outside the file";
        case ImageStatus::kOtherVersion:
            return "compiled by another version";
        case ImageStatus::kBadInstruction:
            return "invalid instruction";
        case ImageStatus::kBadTarget:
            return "invalid jump target";
    }
    return "?";
}

std::optional<ImageHeader> ParseHeader(std::string_view image) {
    if (image.size() < kHeaderSize || std::memcmp(image.data(), "Norv", 4) != 0)
        return std::nullopt;
    const auto* p = reinterpret_cast<const uint8_t*>(image.data());
    ImageHeader h;
    const char* title = image.data() + kTitleOffset;
    h.title.assign(title, strnlen(title, kTitleMax));
    h.version = ReadLe32(p + kVersionOffset);
    h.codeSize = ReadLe32(p + kCodeSizeOffset);
    h.dataSize = ReadLe32(p + kDataSizeOffset);
    h.stackSize = ReadLe32(p + kStackSizeOffset);
    return h;
}

void WriteHeader(std::string& image, std::string_view sourcePath, uint32_t codeSize,
                 uint32_t dataSize, uint32_t stackSize) {
    auto* p = reinterpret_cast<uint8_t*>(image.data());
    std::memset(p, 0, kHeaderSize);
    std::memcpy(p, "Norv", 4);
    // The title is the file name without its extension, cut to leave byte 74 zero.
    std::string title = platform::WithoutExtension(platform::FileNameOf(sourcePath));
    if (title.size() > kTitleMax - 1) title.resize(kTitleMax - 1);
    std::memcpy(p + kTitleOffset, title.data(), title.size());
    WriteLe32(p + kVersionOffset, kImageVersion);
    WriteLe32(p + kCodeSizeOffset, codeSize);
    WriteLe32(p + kDataSizeOffset, dataSize);
    WriteLe32(p + kStackSizeOffset, stackSize);
}

namespace {

bool KnownBuiltin(uint32_t id) {
    return id == kBuiltinReadSysVar || id == kBuiltinWriteSysVar || id == kBuiltinExternalCall ||
           BuiltinById(static_cast<int>(id)) != nullptr;
}

// The bytes an access at a fixed data offset touches (0: the operand is not a data offset).
uint32_t FixedDataWidth(Op op) {
    switch (op) {
        case Op::kLdg:
        case Op::kStg:
            return 4;
        case Op::kLdgw:
        case Op::kStgw:
            return 2;
        case Op::kLdgb:
        case Op::kStgb:
            return 1;
        case Op::kSstg:
            return 4;
        default:
            return 0;
    }
}

}  // namespace

ImageStatus ValidateImage(std::string_view image, std::vector<uint8_t>* instructionStarts) {
    const auto header = ParseHeader(image);
    if (!header) return ImageStatus::kBadSignature;
    if (header->codeSize < kHeaderSize || header->codeSize > image.size() ||
        header->codeSize > kMaxCodeSize || header->dataSize > kMaxDataSize ||
        header->dataSize > image.size() - header->codeSize || header->stackSize > kMaxStackSize)
        return ImageStatus::kBadSize;
    if (header->version != kImageVersion) return ImageStatus::kOtherVersion;

    const auto* code = reinterpret_cast<const uint8_t*>(image.data());
    const uint32_t end = header->codeSize;
    const uint32_t data = header->dataSize;
    std::vector<uint8_t> local;
    std::vector<uint8_t>& starts = instructionStarts ? *instructionStarts : local;
    starts.assign(size_t{end} + 1, 0);
    // The targets of jumps and calls, checked against the starts once all are known.
    std::vector<uint32_t> targets;
    // One pass: every instruction must be known and end inside the code, and its operand must
    // fit what it addresses.
    for (uint32_t pc = kHeaderSize; pc < end;) {
        const uint8_t op = code[pc];
        if (!IsInstruction(op)) return ImageStatus::kBadInstruction;
        const uint32_t len = InstructionLength(op);
        if (len > end - pc) return ImageStatus::kBadInstruction;
        starts[pc] = 1;
        if (len > 1) {
            const uint32_t operand = ReadLe32(code + pc + 1);
            const Op o = static_cast<Op>(op);
            switch (o) {
                case Op::kCallB:
                    if (!KnownBuiltin(operand)) return ImageStatus::kBadInstruction;
                    break;
                case Op::kPushI:
                    break;
                case Op::kJmp:
                case Op::kJz:
                case Op::kJnz:
                case Op::kCallU:
                    targets.push_back(operand);
                    break;
                case Op::kPushA:
                case Op::kPushA2:
                case Op::kLdgx:
                case Op::kLdgxb:
                case Op::kLdgxw:
                case Op::kStgx:
                case Op::kStgxb:
                case Op::kStgxw:
                case Op::kSstgx:
                    if (operand > data) return ImageStatus::kBadInstruction;
                    break;
                default:
                    if (const uint32_t width = FixedDataWidth(o);
                        width != 0 && (data < width || operand > data - width))
                        return ImageStatus::kBadInstruction;
                    break;
            }
        }
        pc += len;
    }
    for (const uint32_t target : targets)
        if (target >= end || starts[target] == 0) return ImageStatus::kBadTarget;
    if (end == kHeaderSize) return ImageStatus::kBadSize;  // no code at all
    // Running off the end of the code stops as HALT does: the end is a place to stand.
    starts[end] = 1;
    return ImageStatus::kOk;
}

int WriteImageFile(platform::FileSystem& fs, const std::string& path, std::string_view image) {
    return platform::WriteFileAtomically(fs, path, image);
}

ImageStatus ReadImageFile(platform::FileSystem& fs, const std::string& path, std::string& image) {
    image.clear();
    if (!ReadFileLimited(fs, path, image, uint64_t(kMaxCodeSize) + kMaxDataSize,
                         ReadBound::kFailOverLimit))
        return ImageStatus::kBadSignature;
    return ValidateImage(image);
}

}  // namespace norv::script
