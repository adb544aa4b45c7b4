// NorvOpen's command line for the separate instance: the dialog's read-only box and code become
// options, and every name stays one argument whatever it holds.
#include <gtest/gtest.h>

#include "app/command_line.h"
#include "gui/dialogs/file_dialogs.h"
#include "gui/startup.h"

namespace norv::qt {
namespace {

TEST(NorvOpen, DialogChoicesBecomeOptionsTheNewInstanceReadsBack) {
    using document::CodeChoice;
    static const struct {
        CodeChoice choice;
        int forcedCode;
    } kCases[] = {{CodeChoice::kDefault, 0},
                  {CodeChoice::kAnsi, 2},
                  {CodeChoice::kEuc, 3},
                  {CodeChoice::kJis, 4},
                  {CodeChoice::kUtf8, 0}};
    for (const auto& c : kCases) {
        OpenRequest r;
        r.choice = c.choice;
        r.readOnly = c.forcedCode == 3;
        // Blanks, quotes, a leading "-" and a name longer than any fixed buffer.
        r.paths = {"/tmp/my file.txt", "/tmp/\"q\".txt", "-odd.txt", "/" + std::string(300, 'x')};
        const app::StartupOptions o =
            app::ParseCommandLine(NorvOpenArguments(r), [](const std::string&) { return true; });
        EXPECT_EQ(o.forcedCode, c.forcedCode) << static_cast<int>(c.choice);
        EXPECT_EQ(o.readOnly, r.readOnly);
        EXPECT_EQ(o.files, r.paths);
    }
}

}  // namespace
}  // namespace norv::qt
