// Every include under src/ against the layer rule, and the rule itself against files that break
// it on purpose.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "include_rules.h"

namespace norv::layering {
namespace {

std::string Report(std::string_view path, const std::vector<Violation>& found) {
    std::string text;
    for (const Violation& v : found)
        text += "src/" + std::string(path) + ":" + std::to_string(v.line) + ": #include " +
                v.include + ": " + v.rule + "\n";
    return text;
}

TEST(Layering, EveryFileUnderSrcIncludesDownTheLayers) {
    namespace fs = std::filesystem;
    fs::path src = fs::path(NORV_SOURCE_DIR) / "src";
    std::string report;
    int files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(src)) {
        std::string ext = entry.path().extension().string();
        if (!entry.is_regular_file() || (ext != ".cpp" && ext != ".h")) continue;
        std::ifstream in(entry.path(), std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        std::string path = fs::relative(entry.path(), src).generic_string();
        report += Report(path, CheckIncludes(path, text.str()));
        ++files;
    }
    EXPECT_GT(files, 100);
    EXPECT_EQ(report, "");
}

TEST(Layering, FilesThatBreakTheRuleAreNamedWithTheLineAndTheRule) {
    static const struct {
        const char* path;
        const char* text;
        int line;
        const char* include;
        const char* rule;
    } kCases[] = {
        {"document/loader.cpp",
         "// x\n#include \"document/x.h\"\n#include \"app/config/settings.h\"\n", 3,
         "app/config/settings.h", "document is below app: includes point down the layers only"},
        {"script/interpreter.cpp", "#include \"gui/frame/main_frame.h\"\n", 1,
         "gui/frame/main_frame.h", "script is below gui: includes point down the layers only"},
        {"view/line_layout.cpp", "#include <string>\n  #  include <QString>\n", 2, "QString",
         "Qt headers belong to gui/ (and mail/, setup/) only: view is core code"},
        {"platform/code_page.h", "#include <QtCore/QByteArray>\n", 1, "QtCore/QByteArray",
         "Qt headers belong to gui/ (and mail/, setup/) only: platform is core code"},
        {"view/syntax.cpp", "#include \"editing/edit_view.h\"\n", 1, "editing/edit_view.h",
         "view and editing share a layer and view -> editing is not a listed sideways include"},
        {"mail/pop3.cpp", "#include \"document/jis_codec.h\"\n", 1, "document/jis_codec.h",
         "mail stands apart from the editor: it includes only its own files and platform"},
        {"app/session.cpp", "#include \"setup/inf_file.h\"\n", 1, "setup/inf_file.h",
         "setup stands apart from the editor: no editor file includes it"},
    };
    for (const auto& c : kCases) {
        std::vector<Violation> found = CheckIncludes(c.path, c.text);
        ASSERT_EQ(found.size(), 1u) << c.path << "\n" << Report(c.path, found);
        EXPECT_EQ(found[0].line, c.line) << c.path;
        EXPECT_EQ(found[0].include, c.include) << c.path;
        EXPECT_EQ(found[0].rule, c.rule) << c.path;
    }
}

TEST(Layering, IncludesThatKeepTheRulePass) {
    static const struct {
        const char* path;
        const char* text;
    } kCases[] = {
        {"gui/frame/main_frame.cpp",
         "#include <QMainWindow>\n#include \"app/commands/key_dispatch.h\"\n#include "
         "\"gui/editor/edit_widget.h\"\n#include \"platform/fakes/headless_ui.h\"\n"},
        {"editing/edit_view.cpp",
         "#include \"view/line_layout.h\"\n#include \"document/document.h\"\n"},
        {"search/find_commands.cpp", "#include \"editing/edit_view.h\"\n"},
        {"tools/norvscript/runner_main.cpp", "#include \"script/compiler.h\"\n"},
        {"platform/fakes/headless_ui.cpp", "#include \"platform/ui.h\"\n#include \"local.h\"\n"},
        {"mail/smtp.cpp", "#include <QDialog>\n#include \"platform/code_page.h\"\n"},
        {"setup/main.cpp", "#include <QApplication>\n#include \"setup/inf_file.h\"\n"},
        {"document/loader.cpp", "/*\n#include \"app/x.h\"\n*/\n#include <gtest/gtest.h>\n"},
    };
    for (const auto& c : kCases)
        EXPECT_EQ(Report(c.path, CheckIncludes(c.path, c.text)), "") << c.path;
}

}  // namespace
}  // namespace norv::layering
