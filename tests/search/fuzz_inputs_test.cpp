// The seeds and kept crash inputs of the regular-expression fuzz target, run as plain tests
// with the target's own checks, so builds without libFuzzer (the g++ one) check them too.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "fuzz/search/regex_fuzz_check.h"

namespace norv::search {
namespace {

TEST(RegexFuzzInputs, SeedsAndRegressionsPassTheChecks) {
    int count = 0;
    for (const char* kind : {"seeds", "regressions"}) {
        std::filesystem::path dir =
            std::filesystem::path(NORV_SOURCE_DIR) / "fuzz" / kind / "regex_fuzz";
        if (!std::filesystem::exists(dir)) continue;
        for (const auto& e : std::filesystem::directory_iterator(dir)) {
            std::ifstream in(e.path(), std::ios::binary);
            std::string input(std::istreambuf_iterator<char>(in), {});
            EXPECT_EQ(fuzzing::RunRegexInput(reinterpret_cast<const uint8_t*>(input.data()),
                                             input.size()),
                      "")
                << e.path();
            ++count;
        }
    }
    EXPECT_GE(count, 8);
}

}  // namespace
}  // namespace norv::search
