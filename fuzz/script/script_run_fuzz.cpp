// Source bytes compiled and, when they compile, run with an instruction budget, a small string
// heap and no file access: the compiler's own code shapes (array checks, string ownership,
// SELECT and EXIT) exercised under the sanitizers.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "platform/code_page.h"
#include "script/compiler.h"
#include "script/interpreter.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace norv::script;
    static fuzzing::NoFiles files;
    static fuzzing::SilentUi ui;
    static fuzzing::FuzzHost host(ui, files);
    norv::platform::SetSystemCodePage(932);
    CompileResult r = CompileSource(files, "/fuzz/input.NRS",
                                    std::string(reinterpret_cast<const char*>(data), size));
    if (!r.image) return 0;
    RuntimeLimits limits;
    limits.heapLimit = 1u << 20;
    limits.instructionBudget = 50000;
    limits.fileAccess = false;
    if (auto rt = Runtime::Load(std::move(*r.image), host, limits)) rt->Run();
    return 0;
}
