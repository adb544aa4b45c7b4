// The stored inputs of the key-file fuzz target, run as a plain test under every compiler: each
// reads, writes and reads back to the same table.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/commands/key_table.h"

namespace norv::app {
namespace {

TEST(KeyFileInputs, StoredFuzzInputsRoundTrip) {
    int count = 0;
    for (const char* kind : {"seeds", "regressions"}) {
        auto dir = std::filesystem::path(NORV_SOURCE_DIR) / "fuzz" / kind / "key_file_fuzz";
        if (!std::filesystem::exists(dir)) continue;
        for (const auto& e : std::filesystem::directory_iterator(dir)) {
            std::ifstream in(e.path(), std::ios::binary);
            std::stringstream ss;
            ss << in.rdbuf();
            SCOPED_TRACE(e.path().string());
            KeyTable first;
            first.Parse(ss.str());
            KeyTable second;
            second.Parse(first.Format());
            EXPECT_EQ(second.Format(), first.Format());
            ++count;
        }
    }
    EXPECT_GE(count, 1);
}

}  // namespace
}  // namespace norv::app
