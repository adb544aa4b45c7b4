// A find-in-files fuzz target; the input format and the checks are in grep_fuzz_check.h.
#include <cstdio>
#include <cstdlib>

#include "fuzz/search/grep_fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string fault = norv::search::fuzzing::RunMaskInput(data, size);
    if (!fault.empty()) {
        std::fprintf(stderr, "grep_mask_fuzz: %s\n", fault.c_str());
        std::abort();
    }
    return 0;
}
