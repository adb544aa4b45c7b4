// The compiled script image: a 96-byte header, the stack-machine code and the initialised data
// segment. A `.NRX` file is this image byte for byte.
//
//   0  10  signature "Norv", NUL-padded
//  10  64  source file title, NUL-padded (byte 74 is always 0)
//  74   6  zero
//  80   4  version stamp (kImageVersion)
//  84   4  code size: bytes from offset 0 to the end of the code, header included
//  88   4  data segment size
//  92   4  stack size (0 means 8192)
//
// An image read from a file is outside input: ValidateImage checks the header, decodes every
// instruction and checks every jump and call target and every fixed data offset before the
// interpreter may run it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace norv::platform {
class FileSystem;
}

namespace norv::script {

inline constexpr uint32_t kHeaderSize = 96;
inline constexpr uint32_t kTitleOffset = 10;
inline constexpr uint32_t kTitleMax = 64;
inline constexpr uint32_t kVersionOffset = 80;
inline constexpr uint32_t kCodeSizeOffset = 84;
inline constexpr uint32_t kDataSizeOffset = 88;
inline constexpr uint32_t kStackSizeOffset = 92;
// Changes whenever the instruction set or the system variable numbering changes.
inline constexpr uint32_t kImageVersion = 0x4E520001;
inline constexpr uint32_t kDefaultStackSize = 8192;
// Limits that keep every script address inside its region of the 32-bit script space.
inline constexpr uint32_t kMaxStackSize = 0x04000000;
inline constexpr uint32_t kMaxDataSize = 0x0F000000;
inline constexpr uint32_t kMaxCodeSize = 0x10000000;

struct ImageHeader {
    std::string title;
    uint32_t version = 0;
    uint32_t codeSize = 0;
    uint32_t dataSize = 0;
    uint32_t stackSize = 0;  // as stored (0 means the default)
};

enum class ImageStatus {
    kOk,
    kBadSignature,    // not an image
    kBadSize,         // code or data outside the file, or over the limits
    kOtherVersion,    // made by another compiler: recompile from the source
    kBadInstruction,  // an unknown opcode, an instruction cut by the end of the code, an
                      // unknown built-in id or a data offset outside the data segment
    kBadTarget,       // a jump or call into the middle of an instruction or outside the code
};

std::string_view ImageStatusText(ImageStatus status);

uint32_t ReadLe32(const uint8_t* p);
void WriteLe32(uint8_t* p, uint32_t v);

// Reads the header fields; nullopt when the bytes are shorter than a header or lack the
// signature.
std::optional<ImageHeader> ParseHeader(std::string_view image);

// Writes the header into the first 96 bytes of `image` (which must be at least that long).
void WriteHeader(std::string& image, std::string_view sourcePath, uint32_t codeSize,
                 uint32_t dataSize, uint32_t stackSize);

// Full check of an image (see above). With `instructionStarts`, an image that passes leaves
// there one byte per code offset, header included, and one for the end of the code: 1 where an
// instruction starts (and at the end), 0 elsewhere.
ImageStatus ValidateImage(std::string_view image,
                          std::vector<uint8_t>* instructionStarts = nullptr);

// Writes the image as a `.NRX` file (atomically); returns 0 or the system error number.
int WriteImageFile(platform::FileSystem& fs, const std::string& path, std::string_view image);
// Reads and validates a `.NRX` file; the status says why it cannot be used.
ImageStatus ReadImageFile(platform::FileSystem& fs, const std::string& path, std::string& image);

}  // namespace norv::script
