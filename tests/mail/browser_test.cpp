// The browser hand-off with recording programs: the URL arrives as exactly one argument equal
// to it, through no shell; failures give the message with their number; nothing is left
// unreaped.
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "mail/browser_open.h"
#include "mail_test_support.h"
#include "support/temp_dir.h"

namespace norv::mail {
namespace {

// A program that writes its arguments, one per line, to `log` (then exits with `status`).
std::string RecordingProgram(const norv::testing::TempDir& dir, const std::string& name,
                             const std::string& log, int status = 0) {
    const std::string path =
        dir.Write(name, "#!/bin/sh\nfor a in \"$@\"; do printf '[%s]\\n' \"$a\"; done >> '" + log +
                            "'\nexit " + std::to_string(status) + "\n");
    chmod(path.c_str(), 0755);
    return path;
}

std::string WaitForFile(const std::string& path) {
    for (int i = 0; i < 300; ++i) {
        const std::string s = norv::testing::ReadFileBytes(path);
        if (!s.empty()) return s;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return {};
}

const std::string kUrl = "https://example.jp/search?q=a,b&x=\"y\"'z' $(id);`id`";

TEST(BrowserCommands, SplitAndPlaced) {
    using Cmds = std::vector<std::vector<std::string>>;
    EXPECT_EQ(BrowserCommands("firefox:chromium --incognito", "U"),
              (Cmds{{"firefox", "U"}, {"chromium", "--incognito", "U"}}));
    EXPECT_EQ(BrowserCommands("'my browser' --url %s --x:'bad", "U"),
              (Cmds{{"my browser", "--url", "U", "--x"}}));
    EXPECT_EQ(BrowserCommands("::", "U"), Cmds{});
}

TEST(Browser, BrowserVariableGetsTheUrlAsOneArgument) {
    norv::testing::TempDir dir;
    const std::string log = dir.File("log");
    const std::string prog = RecordingProgram(dir, "browser", log);
    const std::string variable = "/no/such/browser:" + prog + " --new-window %s";
    EXPECT_EQ(OpenInBrowser(kUrl, variable.c_str()), 0);
    EXPECT_EQ(WaitForFile(log), "[--new-window]\n[" + kUrl + "]\n");
}

TEST(Browser, XdgOpenFirstOnPathAndItsFailures) {
    norv::testing::TempDir dir;
    const std::string log = dir.File("log");
    RecordingProgram(dir, "xdg-open", log);
    const std::string oldPath = std::getenv("PATH") ? std::getenv("PATH") : "";
    setenv("PATH", (dir.path() + ":" + oldPath).c_str(), 1);
    EXPECT_EQ(OpenInBrowser(kUrl, nullptr, 2000), 0);
    EXPECT_EQ(WaitForFile(log), "[" + kUrl + "]\n");
    // A URL that could pass for an option is refused.
    EXPECT_EQ(OpenInBrowser("--help", nullptr, 2000), EINVAL);
    // A failing xdg-open gives its exit status; a missing one its errno.
    norv::testing::TempDir failing;
    RecordingProgram(failing, "xdg-open", failing.File("log"), 4);
    setenv("PATH", (failing.path() + ":" + oldPath).c_str(), 1);
    EXPECT_EQ(OpenInBrowser(kUrl, "", 2000), 4);
    setenv("PATH", "/nonexistent", 1);
    EXPECT_EQ(OpenInBrowser(kUrl, "/no/such/browser", 2000), ENOENT);
    setenv("PATH", oldPath.c_str(), 1);
    EXPECT_EQ(BrowserMessage(ENOENT), "Web Browser is not available.(2)");
}

TEST(Browser, TheLibraryShowsTheMessage) {
    testing::ReplayedLibrary r;
    const std::string oldPath = std::getenv("PATH") ? std::getenv("PATH") : "";
    setenv("PATH", "/nonexistent", 1);
    unsetenv("BROWSER");
    r.library->OpenURL("http://example.jp/");
    r.library->OpenURL("-x");
    setenv("PATH", oldPath.c_str(), 1);
    EXPECT_EQ(r.windows->messages, (std::vector<std::string>{"Web Browser is not available.(2)",
                                                             "Web Browser is not available.(22)"}));
}

TEST(SendFormValues, SetAndGetThroughTheLibrary) {
    testing::ReplayedLibrary r;
    MailLibrary& m = *r.library;
    EXPECT_STREQ(m.GetFormValue("To"), "") << "never set: empty, never null";
    EXPECT_EQ(m.SetFormValue("subject", "\x93\xFA"), 1);
    EXPECT_EQ(m.SetFormValue("From", "x"), 0);
    EXPECT_EQ(m.SetFormValue(nullptr, "x"), 0);
    EXPECT_EQ(m.SetFormValue("BCC", nullptr), 1);
    EXPECT_STREQ(m.GetFormValue("Subject"), "\x93\xFA");
    EXPECT_STREQ(m.GetFormValue("From"), "");
    EXPECT_STREQ(m.GetFormValue(nullptr), "");
    // Without windows the form counts as cancelled, which clears the values.
    EXPECT_EQ(m.OpenSendForm("/b", 1), 2);
    EXPECT_STREQ(m.GetFormValue("Subject"), "");
    EXPECT_STREQ(m.GetAddress(nullptr, 1), "");
}

}  // namespace
}  // namespace norv::mail
