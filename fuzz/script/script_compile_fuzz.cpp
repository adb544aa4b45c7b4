// Source bytes through the scanner and the compiler. Every image the compiler produces must
// pass the validator (which also decodes it) and list without trouble.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz_support.h"
#include "platform/code_page.h"
#include "script/compiler.h"
#include "script/disassembler.h"
#include "script/image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace norv::script;
    static fuzzing::NoFiles files;
    norv::platform::SetSystemCodePage(932);
    std::string source(reinterpret_cast<const char*>(data), size);
    CompileResult r = CompileSource(files, "/fuzz/input.NRS", std::move(source));
    if (r.image) {
        if (ValidateImage(*r.image) != ImageStatus::kOk) std::abort();
        (void)Disassemble(*r.image);
    } else if (!r.error || r.error->line < 1) {
        std::abort();
    }
    return 0;
}
