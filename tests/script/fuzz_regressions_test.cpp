// The inputs that once broke the image fuzz target, run as plain tests (so builds without
// libFuzzer, such as the g++ one, check them too). Each input is wrapped the way the fuzz
// target wraps it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "script/image.h"
#include "script_test_support.h"

namespace norv::script {
namespace {

std::string ImageFromFuzzInput(const std::string& in) {
    if (in.size() >= 4 && in.compare(0, 4, "Norv") == 0) return in;
    if (in.size() < 3) return {};
    const auto b = [&](size_t i) { return static_cast<uint8_t>(in[i]); };
    const uint32_t dataSize = std::min<uint32_t>(b(0) * 4u, static_cast<uint32_t>(in.size() - 2));
    const uint32_t stack = 64u + b(1) * 16u;
    std::string image(kHeaderSize, '\0');
    image += in.substr(2);
    WriteHeader(image, "/fuzz/x.NRS", static_cast<uint32_t>(image.size() - dataSize), dataSize,
                stack);
    return image;
}

TEST(ScriptFuzzRegressions, ImageInputsRunWithinTheirRegions) {
    platform::SetSystemCodePage(932);
    const std::filesystem::path dir =
        std::filesystem::path(NORV_SOURCE_DIR) / "fuzz/regressions/script_image_fuzz";
    int count = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir)) {
        std::ifstream f(e.path(), std::ios::binary);
        std::stringstream ss;
        ss << f.rdbuf();
        platform::HeadlessUi ui;
        testing::TestHost host(ui);
        RuntimeLimits limits;
        limits.heapLimit = 1u << 20;
        limits.instructionBudget = 20000;
        limits.fileAccess = false;
        if (auto rt = Runtime::Load(ImageFromFuzzInput(ss.str()), host, limits)) {
            rt->Run();
            rt->Run();
        }
        ++count;
    }
    EXPECT_GE(count, 2);
}

}  // namespace
}  // namespace norv::script
