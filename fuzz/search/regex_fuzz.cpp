// Compiles an arbitrary pattern and runs it over an arbitrary text; the input format and the
// checks are in regex_fuzz_check.h.
#include <cstdio>
#include <cstdlib>

#include "fuzz/search/regex_fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string fault = norv::search::fuzzing::RunRegexInput(data, size);
    if (!fault.empty()) {
        std::fprintf(stderr, "regex_fuzz: %s\n", fault.c_str());
        std::abort();
    }
    return 0;
}
