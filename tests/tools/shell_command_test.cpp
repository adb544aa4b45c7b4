// The command line of an external program: options, place-holders, splitting, the trailing
// "2", and quoting that real shells read back byte for byte.
#include "tools/shell/shell_command.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <random>
#include <string>
#include <vector>

namespace norv::tools {
namespace {

ShellContext Context(std::string path = "/home/u/src/main.c") {
    ShellContext c;
    c.path = std::move(path);
    c.environment = std::vector<std::string>{"HOME=/home/u", "Path=/bin:/usr/bin",
                                             "EMPTY=", "WEIRD=a b;$(touch x)'\"", "X=1"};
    c.ask = [](std::string_view prompt) -> std::optional<std::string> {
        if (prompt == "cancel") return std::nullopt;
        return "typed " + std::string(prompt);
    };
    c.writeFilterInput = [] { return std::optional<std::string>("/tmp/norv-1/Norv.txt"); };
    return c;
}

std::vector<std::string> Argv(std::string_view line, std::string_view options = "",
                              ShellContext context = Context()) {
    ShellError error = ShellError::kNone;
    std::optional<ShellCommand> c =
        ExpandShellCommand(line, ParseShellOptions(options), context, &error);
    if (!c) return {"<error " + std::to_string(static_cast<int>(error)) + ">"};
    return c->argv;
}

using V = std::vector<std::string>;

TEST(ShellOptions, LettersTheirPrecedenceAndTheStringsWrittenBack) {
    EXPECT_EQ(ParseShellOptions(""), ShellOptions{});
    ShellOptions eo = ParseShellOptions("OE");
    EXPECT_TRUE(eo.captureAtCaret);
    EXPECT_FALSE(eo.captureToOutput);  // E wins over O
    ShellOptions as = ParseShellOptions("SA");
    EXPECT_TRUE(as.saveAll);
    EXPECT_FALSE(as.saveCurrent);  // with A, S is not looked at
    EXPECT_EQ(ParseShellOptions("x?Ic").minimized, true);
    EXPECT_FALSE(ParseShellOptions("c").commandShell);  // letters are upper case
    EXPECT_EQ(ShellDialogOptionString(ParseShellOptions("COISA")), "IOC");
    EXPECT_EQ(ShellDialogOptionString(ParseShellOptions("EO")), "E");
    EXPECT_EQ(LauncherOptionString(ParseShellOptions("SAE")), "EA");
    EXPECT_EQ(LauncherOptionString(ParseShellOptions("S")), "S");
}

TEST(ShellCommand, PlaceHoldersInsideWords) {
    static const struct {
        const char* line;
        V argv;
    } kCases[] = {
        {"cc %P", {"cc", "/home/u/src/main.c"}},
        {"cc -o%N.o %F", {"cc", "-omain.o", "main.c"}},
        {"ls %D%F", {"ls", "/home/u/src/main.c"}},  // another character after it
        {"ls %D -l", {"ls", "/home/u/src", "-l"}},  // a blank after %D
        {"ls %D", {"ls", "/home/u/src/"}},          // the end of the line is not a blank
        {"ls x%D\t-l", {"ls", "x/home/u/src", "-l"}},
        {"ls %Dx", {"ls", "/home/u/src/x"}},
        {"echo %%P %Q %", {"echo", "%P", "Q"}},  // %% and unknown letters; a last % dropped
        {"echo %Ename %E{HOME", {"echo", "Ename", "E{HOME"}},
        {"echo %E{HOME}/x %E{path}", {"echo", "/home/u/x", "/bin:/usr/bin"}},
        {"echo %E{NOPE} %E{EMPTY} end", {"echo", "end"}},       // empty values drop their words
        {"echo '%E{NOPE}' \"\" end", {"echo", "", "", "end"}},  // quoted ones stay empty
        {"echo %E{WEIRD}", {"echo", "a b;$(touch x)'\""}},      // one argument, nothing runs
        {"echo %I %I[Your name:]", {"echo", "typed Input Parameters", "typed Your name:"}},
        {"echo %I[cancel] x", {"echo", "x"}},
        {"sort %T -o %T", {"sort", "/tmp/norv-1/Norv.txt", "-o", "/tmp/norv-1/Norv.txt"}},
    };
    for (const auto& c : kCases) EXPECT_EQ(Argv(c.line), c.argv) << c.line;
}

TEST(ShellCommand, TheFileOfTheActiveView) {
    EXPECT_EQ(Argv("ls %D%F", "", Context("/a.txt")), V({"ls", "/a.txt"}));
    EXPECT_EQ(Argv("e %N %F", "", Context("/x/README")), V({"e", "README", "README"}));
    EXPECT_EQ(Argv("e %N", "", Context("/x/a.tar.gz")), V({"e", "a.tar"}));
    // Without a current file every file place-holder is empty.
    EXPECT_EQ(Argv("e %P %F %N %D '%P'", "", Context("")), V({"e", ""}));
}

TEST(ShellCommand, SplittingAsAShellWithoutExpansion) {
    static const struct {
        const char* line;
        V argv;
    } kCases[] = {
        {"  a\tb  ", {"a", "b"}},
        {"echo 'a  b' \"c d\" e\\ f", {"echo", "a  b", "c d", "e f"}},
        {"echo \"a\\\"b\\$c\\d\"", {"echo", "a\"b$c\\d"}},
        {"echo $HOME `id` * ~ ; | > x", {"echo", "$HOME", "`id`", "*", "~", ";", "|", ">", "x"}},
        {"echo %I[a b] %E{WEIRD}x", {"echo", "typed a b", "a b;$(touch x)'\"x"}},
        {"echo \\%P", {"echo", "%P"}},
        // A Shift-JIS trail byte 0x5C arrives as UTF-8: "表" has no backslash any more.
        {"echo \xE8\xA1\xA8", {"echo", "\xE8\xA1\xA8"}},
    };
    for (const auto& c : kCases) EXPECT_EQ(Argv(c.line), c.argv) << c.line;
    EXPECT_EQ(Argv("echo 'open"), V({"<error 1>"}));
    EXPECT_EQ(Argv("echo \"open"), V({"<error 1>"}));
    EXPECT_EQ(Argv("echo \\"), V({"<error 1>"}));
    EXPECT_EQ(Argv("%E{NOPE}"), V({"<error 2>"}));
    EXPECT_EQ(Argv(""), V({"<error 2>"}));
}

TEST(ShellCommand, TheTrailingTwoOnlyWithCapture) {
    ShellContext context = Context();
    ShellError error;
    std::optional<ShellCommand> c =
        ExpandShellCommand("make all 2", ParseShellOptions("O"), context, &error);
    ASSERT_TRUE(c);
    EXPECT_EQ(c->argv, V({"make", "all"}));
    EXPECT_TRUE(c->captureErrors);
    c = ExpandShellCommand("make all 2", ParseShellOptions("I"), context, &error);
    EXPECT_EQ(c->argv, V({"make", "all", "2"}));
    EXPECT_FALSE(c->captureErrors);
    // Quoted, or a value that is "2", stays an argument.
    EXPECT_EQ(Argv("make '2'", "E"), V({"make", "2"}));
    EXPECT_EQ(Argv("make %E{X}", "E",
                   [] {
                       ShellContext x = Context();
                       x.environment = std::vector<std::string>{"X=2"};
                       return x;
                   }()),
              V({"make", "2"}));
    // Through the shell the line loses its " 2" the same way.
    c = ExpandShellCommand("make all 2  ", ParseShellOptions("CE"), context, &error);
    ASSERT_TRUE(c);
    EXPECT_EQ(c->shellText, "make all ");
    EXPECT_TRUE(c->captureErrors);
    c = ExpandShellCommand("make all 2", ParseShellOptions("C"), context, &error);
    EXPECT_EQ(c->shellText, "make all 2");
}

TEST(ShellCommand, TheFilterInputIsWrittenOnceAndAFailureStopsTheRun) {
    int writes = 0;
    ShellContext context = Context();
    context.writeFilterInput = [&] {
        ++writes;
        return std::optional<std::string>("/t/Norv.txt");
    };
    ShellError error;
    std::optional<ShellCommand> c =
        ExpandShellCommand("tr a-z A-Z %T %T", ShellOptions{}, context, &error);
    ASSERT_TRUE(c);
    EXPECT_EQ(writes, 1);
    EXPECT_TRUE(c->filterMode);
    EXPECT_EQ(c->filterInput, "/t/Norv.txt");
    c = ExpandShellCommand("tr a-z A-Z", ShellOptions{}, context, &error);
    EXPECT_FALSE(c->filterMode);
    context.writeFilterInput = [] { return std::optional<std::string>(); };
    EXPECT_FALSE(ExpandShellCommand("sort %T", ShellOptions{}, context, &error));
    EXPECT_EQ(error, ShellError::kFilterInput);
}

TEST(ShellCommand, ThroughTheShellValuesAreQuotedWhereTheyStand) {
    ShellContext context = Context("/d/it's \"x\" $(y).c");
    ShellError error;
    std::optional<ShellCommand> c = ExpandShellCommand("wc %F '%F' \"%F\" %%F %Q; echo %E{NOPE}",
                                                       ParseShellOptions("C"), context, &error);
    ASSERT_TRUE(c);
    EXPECT_TRUE(c->throughShell);
    EXPECT_EQ(c->argv, V({"/bin/sh", "-c", c->shellText}));
    EXPECT_EQ(c->shellText,
              "wc 'it'\\''s \"x\" $(y).c' 'it'\\''s \"x\" $(y).c' \"it's \\\"x\\\" \\$(y).c\" %F "
              "Q; echo ''");
    EXPECT_FALSE(ExpandShellCommand("echo 'x", ParseShellOptions("C"), context, &error));
    EXPECT_EQ(error, ShellError::kUnclosedQuote);
}

// The arguments `shell` gives to printf for `text`, NUL-separated.
std::string ShellPrints(const char* shell, const std::string& text) {
    int out[2];
    if (pipe(out) != 0) return "<pipe>";
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(out[1], 1);
        close(out[0]);
        close(out[1]);
        execl(shell, shell, "-c", text.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(out[1]);
    std::string got;
    char buf[4096];
    for (ssize_t n; (n = read(out[0], buf, sizeof buf)) > 0;)
        got.append(buf, static_cast<size_t>(n));
    close(out[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    return got;
}

TEST(ShellCommand, RandomValuesComeBackThroughRealShells) {
    std::mt19937 rng(3);
    for (const char* shell : {"/bin/dash", "/bin/bash"}) {
        if (access(shell, X_OK) != 0) continue;
        for (int round = 0; round < 60; ++round) {
            std::string value;
            const size_t length = rng() % 24;
            for (size_t i = 0; i < length; ++i) {
                // Bytes 1-255, with the shell's own characters often.
                static const std::string kSpecial = "'\"\\$`!*?~;|&<>(){}[] \t\n%#=";
                value.push_back(rng() % 2 ? kSpecial[rng() % kSpecial.size()]
                                          : static_cast<char>(1 + rng() % 255));
            }
            ShellContext context = Context();
            context.environment = std::vector<std::string>{"V=" + value};
            ShellError error;
            std::optional<ShellCommand> c =
                ExpandShellCommand("printf '%%s\\0' %E{V} x'%E{V}'y \"%E{V}\"",
                                   ParseShellOptions("C"), context, &error);
            ASSERT_TRUE(c);
            const std::string printed = ShellPrints(shell, c->shellText);
            const std::string expected = value + std::string(1, '\0') + "x" + value + "y" +
                                         std::string(1, '\0') + value + std::string(1, '\0');
            ASSERT_EQ(printed, expected) << shell << " " << c->shellText;
        }
    }
}

}  // namespace
}  // namespace norv::tools
