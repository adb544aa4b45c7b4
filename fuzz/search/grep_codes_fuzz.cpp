// A fuzz target of find in files reading each file in its own code; the input format and the checks
// are in grep_fuzz_check.h.
#include <cstdio>
#include <cstdlib>

#include "fuzz/search/grep_fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string fault = norv::search::fuzzing::RunGrepCodesInput(data, size);
    if (!fault.empty()) {
        std::fprintf(stderr, "grep_codes_fuzz: %s\n", fault.c_str());
        std::abort();
    }
    return 0;
}
