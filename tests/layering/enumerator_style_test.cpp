// Every enumerator under src/ against the naming rule, and the scanner against texts that break
// the rule on purpose.
#include "enumerator_style.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace norv::layering {
namespace {

std::string Listed(const std::vector<OffStyle>& found) {
    std::string text;
    for (const OffStyle& o : found)
        text += std::to_string(o.line) + ":" + o.enumName + "::" + o.enumerator + " ";
    return text;
}

TEST(EnumeratorStyle, TheScannerFindsWhatBreaksTheRuleAndNothingElse) {
    const struct {
        const char* text;
        const char* expected;
    } kCases[] = {
        {"enum class A { kOne, kTwo = 2, kThree };", ""},
        {"enum class A : uint8_t {\n  kOne,\n  Two,\n  kThree = Two + 1\n};", "3:A::Two "},
        {"enum B { kX, y };", "1:B::y "},
        {"enum : int { kX, Other };", "1:::Other "},
        {"enum class C { kA, // Bad, in a comment\n /* Worse */ kB };", ""},
        {"const char* s = \"enum class D { Bad };\";", ""},
        {"enum class E;\nint enumerate = 0;\nenum class F { kA };", ""},
        {"enum class CommandId : uint16_t { CsrUp, CsrDown };", ""},  // a table's own names
        {"enum class G {\n#define X(n) n,\n#include \"list.h\"\n  LIST(X) kCount };", ""},
        {"enum class H { kA = (1 << 2), kB = F(1, 2), Late };", "1:H::Late "},
        {"enum class I { kA };\nenum class J { Bad };", "2:J::Bad "},
    };
    for (const auto& c : kCases)
        EXPECT_EQ(Listed(EnumeratorsOutOfStyle(c.text)), c.expected) << c.text;
}

TEST(EnumeratorStyle, EveryEnumeratorUnderSrcIsKNameOrATablesName) {
    namespace fs = std::filesystem;
    const fs::path src = fs::path(NORV_SOURCE_DIR) / "src";
    std::string report;
    int enumFiles = 0;
    for (const auto& entry : fs::recursive_directory_iterator(src)) {
        const std::string ext = entry.path().extension().string();
        if (!entry.is_regular_file() || (ext != ".cpp" && ext != ".h")) continue;
        std::ifstream in(entry.path(), std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        if (text.str().find("enum ") != std::string::npos) ++enumFiles;
        for (const OffStyle& o : EnumeratorsOutOfStyle(text.str()))
            report += fs::relative(entry.path(), src).generic_string() + ":" +
                      std::to_string(o.line) + ": " + o.enumName + "::" + o.enumerator + "\n";
    }
    EXPECT_GT(enumFiles, 50);
    EXPECT_EQ(report, "");
}

}  // namespace
}  // namespace norv::layering
