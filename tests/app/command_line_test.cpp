// The editor's command line: options, their arguments, the file part and wildcards.
#include "app/command_line.h"

#include <gtest/gtest.h>

#include <climits>
#include <set>

namespace norv::app {
namespace {

StartupOptions Parse(std::vector<std::string> args, std::set<std::string> existing = {}) {
    return ParseCommandLine(args, [&](const std::string& f) { return existing.count(f) > 0; });
}

TEST(CommandLine, OptionsAndTheirArguments) {
    StartupOptions o = Parse({"-J12:5", "a.txt"});
    EXPECT_TRUE(o.jump);
    EXPECT_EQ(o.jumpLine, 11);
    EXPECT_EQ(o.jumpColumn, 4);
    EXPECT_EQ(o.files, std::vector<std::string>{"a.txt"});
    o = Parse({"-J", "12", "b.txt"});  // only the line
    EXPECT_EQ(o.jumpLine, 11);
    EXPECT_EQ(o.jumpColumn, -1);
    EXPECT_EQ(Parse({"-J0:0", "b"}).jumpLine, -1);

    static const struct {
        const char* arg;
        int code;
    } kCodes[] = {{"-KS", 2}, {"-ke", 3}, {"-KJ", 4}, {"-KX", 0}};
    for (const auto& c : kCodes) EXPECT_EQ(Parse({c.arg, "f"}).forcedCode, c.code) << c.arg;

    o = Parse({"-V", "-P", "-g", "-R", "-Z", "-Tc", "x"});
    EXPECT_TRUE(o.readOnly && o.preview && o.grep && o.hidden);
    EXPECT_EQ(o.newType, ".c");
    EXPECT_EQ(Parse({"-H"}).newType, ".HTML");
    o = Parse({"-A", "\"my script.nrs\"", "-W", "work"});
    EXPECT_EQ(o.script, "my script.nrs");
    EXPECT_EQ(o.project, "work");
    EXPECT_TRUE(o.separateInstance);
}

TEST(CommandLine, SeparateInstanceOnlyForCapitalWAndM) {
    EXPECT_FALSE(Parse({"-wwork"}).separateInstance);  // lower case: still the project
    EXPECT_EQ(Parse({"-wwork"}).project, "work");
    EXPECT_TRUE(Parse({"-M", "f"}).separateInstance);
    EXPECT_FALSE(Parse({"-m", "f"}).separateInstance);
}

TEST(CommandLine, FilePartPathsAndLongOptions) {
    StartupOptions o = Parse({"-V", "/tmp/a.txt", "-J3", "name with blanks.txt"});
    EXPECT_EQ(o.jump, false);  // options come first: "-J3" here is a file name
    EXPECT_EQ(o.files, (std::vector<std::string>{"/tmp/a.txt", "-J3", "name with blanks.txt"}));
    o = Parse({"--headless", "--", "-odd-name"});
    EXPECT_TRUE(o.headless);
    EXPECT_EQ(o.files, std::vector<std::string>{"-odd-name"});
    EXPECT_TRUE(Parse({"--help"}).help);
    EXPECT_TRUE(Parse({"--version"}).version);
    EXPECT_EQ(Parse({"--frobnicate"}).unknownLongOptions.size(), 1u);
    // Answers keep their order and their text (blanks, "=", nothing), also among the names;
    // after a lone "--" everything is a name.
    o = Parse({"--headless", "-A", "s.nrs", "--answer=a b", "f.txt", "--answer==x",
               "--answer=", "--", "--answer=name"});
    EXPECT_EQ(o.answers, (std::vector<std::string>{"a b", "=x", ""}));
    EXPECT_EQ(o.files, (std::vector<std::string>{"f.txt", "--answer=name"}));
    // A "--" that opens the names makes every later argument a name, a second "--" too.
    EXPECT_EQ(Parse({"--", "a", "--", "--x"}).files, (std::vector<std::string>{"a", "--", "--x"}));
    EXPECT_TRUE(Parse({"--", "--x"}).unknownLongOptions.empty());
    // A character that is not an option ends option parsing inside the argument.
    o = Parse({"-VKS", "f"});
    EXPECT_TRUE(o.readOnly);
    EXPECT_EQ(o.forcedCode, 0);
    EXPECT_EQ(o.files, (std::vector<std::string>{"KS", "f"}));
    // A missing closing quote ends option parsing there.
    o = Parse({"-A", "\"unclosed", "-V", "f"});
    EXPECT_FALSE(o.readOnly);
    // A file name in double quotes loses them; blanks inside stay part of the name.
    EXPECT_EQ(Parse({"\"my file.txt\"", "plain name.txt"}).files,
              (std::vector<std::string>{"my file.txt", "plain name.txt"}));
    EXPECT_EQ(Parse({"\"unclosed.txt"}).files, std::vector<std::string>{"\"unclosed.txt"});
}

TEST(CommandLine, WildcardsOnlyWhenNoSuchFileExists) {
    EXPECT_EQ(Parse({"*.txt"}).wildcard, "*.txt");
    EXPECT_TRUE(Parse({"*.txt"}).files.empty());
    EXPECT_EQ(Parse({"what?.txt"}, {"what?.txt"}).files, std::vector<std::string>{"what?.txt"});
    // Empty arguments are not names, so the pattern is still the only one (as after a handoff).
    EXPECT_EQ(Parse({"", "", "*.c"}).wildcard, "*.c");
    EXPECT_EQ(Parse({"*.c", "b.txt"}).files, (std::vector<std::string>{"*.c", "b.txt"}));
}

TEST(CommandLine, JumpNumbersBeyondRangeStopAtTheLargestLine) {
    const StartupOptions o = Parse({"-J99999999999:99999999999", "a.txt"});
    EXPECT_EQ(o.jumpLine, INT_MAX - 1);
    EXPECT_EQ(o.jumpColumn, INT_MAX - 1);
    EXPECT_EQ(Parse(CommandLineOf(o)).jumpLine, INT_MAX - 1);
}

TEST(CommandLine, ProjectNamesAndHandOffRoundTrip) {
    EXPECT_EQ(ResolveProjectName("work", "/home/u/.config/norv/"), "/home/u/.config/norv/work.prf");
    EXPECT_EQ(ResolveProjectName("/p/x.proj", "/c/"), "/p/x.proj");
    EXPECT_EQ(ResolveProjectName("sub/x", "/c/"), "sub/x.prf");
    StartupOptions o = Parse({"-J12:5", "-KE", "-V", "-A", "s.nrs", "-wp", "a b.txt", "/tmp/c"});
    StartupOptions back = Parse(CommandLineOf(o));
    EXPECT_EQ(back.jumpLine, 11);
    EXPECT_EQ(back.jumpColumn, 4);
    EXPECT_EQ(back.forcedCode, 3);
    EXPECT_TRUE(back.readOnly);
    EXPECT_EQ(back.script, "s.nrs");
    EXPECT_EQ(back.project, "p");
    EXPECT_FALSE(back.separateInstance);
    EXPECT_EQ(back.files, o.files);
}

}  // namespace
}  // namespace norv::app
