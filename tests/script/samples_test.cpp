// The sample programs of tests/script/samples run through the `norvscript` runner: each
// NAME.NRS must print exactly NAME.out (message-box texts, one per line). The golden listings
// of tests/script/golden hold the compiled code of a few programs, so that any change in code
// generation shows up; run with NORV_UPDATE_GOLDEN=1 to rewrite them after a deliberate change.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "script/disassembler.h"
#include "script_test_support.h"

namespace norv::script {
namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

std::string RunRunner(const fs::path& script, const std::string& cwd) {
    const std::string cmd =
        "cd '" + cwd + "' && NORV_ACP=932 '" NORV_SCRIPT_RUNNER "' '" + script.string() + "' 2>&1";
    std::string out;
    if (FILE* p = popen(cmd.c_str(), "r")) {
        char buf[4096];
        size_t n;
        while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
        pclose(p);
    }
    return out;
}

TEST(ScriptSamples, EachProgramPrintsItsExpectedOutput) {
    const fs::path dir = fs::path(NORV_SOURCE_DIR) / "tests/script/samples";
    int count = 0;
    for (const auto& e : fs::directory_iterator(dir)) {
        if (e.path().extension() != ".NRS") continue;
        ++count;
        testing::ScratchDir scratch;
        fs::path expected = e.path();
        expected.replace_extension(".out");
        EXPECT_EQ(RunRunner(e.path(), scratch.path()), ReadFile(expected)) << e.path();
    }
    EXPECT_GE(count, 8);
}

TEST(ScriptSamples, StoredImageRunsLikeTheSource) {
    testing::ScratchDir scratch;
    const fs::path src = fs::path(NORV_SOURCE_DIR) / "tests/script/samples/recursion.NRS";
    const std::string nrx = scratch.path() + "/recursion.NRX";
    const std::string cmd =
        "NORV_ACP=932 '" NORV_SCRIPT_RUNNER "' --compile '" + nrx + "' '" + src.string() + "'";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    EXPECT_EQ(RunRunner(nrx, scratch.path()), ReadFile(fs::path(src).replace_extension(".out")));
}

TEST(ScriptGolden, ListingsOfCompiledPrograms) {
    const fs::path dir = fs::path(NORV_SOURCE_DIR) / "tests/script/golden";
    const bool update = std::getenv("NORV_UPDATE_GOLDEN") != nullptr;
    int count = 0;
    for (const auto& e : fs::directory_iterator(dir)) {
        if (e.path().extension() != ".NRS") continue;
        ++count;
        CompileResult r = CompileFile(platform::RealFileSystem(), e.path().string());
        ASSERT_TRUE(r.image) << e.path() << (r.error ? std::string(r.error->text()) : "");
        const std::string listing = Disassemble(*r.image);
        fs::path golden = e.path();
        golden.replace_extension(".lst");
        if (update) std::ofstream(golden, std::ios::binary) << listing;
        EXPECT_EQ(listing, ReadFile(golden)) << golden;
    }
    EXPECT_GE(count, 3);
}

}  // namespace
}  // namespace norv::script
