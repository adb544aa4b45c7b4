// Arbitrary image bytes through validation and the interpreter, with an instruction budget,
// a small string heap and no file access. Inputs that do not start with the signature get a
// valid header in front (the first bytes choose the data and stack sizes), so that the fuzzer
// spends its time in the interpreter rather than on the header check.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "platform/code_page.h"
#include "script/image.h"
#include "script/interpreter.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace norv::script;
    static fuzzing::NoFiles files;
    static fuzzing::SilentUi ui;
    static fuzzing::FuzzHost host(ui, files);
    norv::platform::SetSystemCodePage(932);
    std::string image;
    if (size >= 4 && data[0] == 'N' && data[1] == 'o' && data[2] == 'r' && data[3] == 'v') {
        image.assign(reinterpret_cast<const char*>(data), size);
    } else {
        if (size < 3) return 0;
        const uint32_t dataSize = std::min<uint32_t>(data[0] * 4u, static_cast<uint32_t>(size - 2));
        const uint32_t stack = 64u + data[1] * 16u;
        const std::string body(reinterpret_cast<const char*>(data + 2), size - 2);
        image.assign(kHeaderSize, '\0');
        image += body;
        WriteHeader(image, "/fuzz/x.NRS", static_cast<uint32_t>(image.size() - dataSize), dataSize,
                    stack);
    }
    RuntimeLimits limits;
    limits.heapLimit = 1u << 20;
    limits.instructionBudget = 20000;
    limits.fileAccess = false;
    auto rt = Runtime::Load(std::move(image), host, limits);
    if (rt) {
        rt->Run();
        rt->Run();  // a second run finds the data segment as the first left it
    }
    return 0;
}
