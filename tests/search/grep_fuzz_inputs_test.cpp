// The seeds and kept crash inputs of the find-in-files fuzz targets, run as plain tests with the
// targets' own checks.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "fuzz/search/grep_fuzz_check.h"

namespace norv::search {
namespace {

TEST(GrepFuzzInputs, SeedsAndRegressionsPassTheChecks) {
    using Check = std::string (*)(const uint8_t*, size_t);
    const std::pair<const char*, Check> kTargets[] = {
        {"grep_scan_fuzz", fuzzing::RunGrepInput},
        {"grep_codes_fuzz", fuzzing::RunGrepCodesInput},
        {"tag_jump_fuzz", fuzzing::RunTagLineInput},
        {"grep_mask_fuzz", fuzzing::RunMaskInput},
    };
    for (const auto& [target, check] : kTargets) {
        int count = 0;
        for (const char* kind : {"seeds", "regressions"}) {
            std::filesystem::path dir =
                std::filesystem::path(NORV_SOURCE_DIR) / "fuzz" / kind / target;
            if (!std::filesystem::exists(dir)) continue;
            for (const auto& e : std::filesystem::directory_iterator(dir)) {
                std::ifstream in(e.path(), std::ios::binary);
                std::string input(std::istreambuf_iterator<char>(in), {});
                EXPECT_EQ(check(reinterpret_cast<const uint8_t*>(input.data()), input.size()), "")
                    << e.path();
                ++count;
            }
        }
        EXPECT_GE(count, 3) << target;
    }
}

}  // namespace
}  // namespace norv::search
