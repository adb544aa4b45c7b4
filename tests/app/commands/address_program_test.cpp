// The program line that opens an address, and the colouring rules of a document.
#include "app/commands/address_program.h"

#include <gtest/gtest.h>

#include "app/config/syntax_rules.h"

namespace norv::app {
namespace {

using Args = std::vector<std::string>;

TEST(AddressProgram, TemplatesAndTheDesktopOpener) {
    static const struct {
        const char* address;
        bool isUrl;
        const char* urlProgram;
        const char* mailProgram;
        Args args;
    } kCases[] = {
        {"http://a.jp/", true, "", "", {"xdg-open", "http://a.jp/"}},
        {"me@b.jp", false, "", "", {"xdg-open", "mailto:me@b.jp"}},
        {"me@b.jp", false, "browser %1", "", {"xdg-open", "mailto:me@b.jp"}},  // not for mail
        {"http://a.jp/", true, "browser --new %1", "", {"browser", "--new", "http://a.jp/"}},
        {"http://a.jp/", true, "browser", "", {"browser", "http://a.jp/"}},
        {"me@b.jp", false, "", "mailer -t", {"mailer", "-t", "me@b.jp"}},
        {"http://a.jp/", true, "b --url=%1 %2x %", "", {"b", "--url=http://a.jp/", "x"}},
        {"http://a.jp/",
         true,
         "\"/opt/My Browser/run\" \"%1\"",
         "",
         {"/opt/My Browser/run", "http://a.jp/"}},
        {"http://a.jp/", true, "   ", "", {"xdg-open", "http://a.jp/"}},
        // An address with blanks and quotes stays one argument and never reaches a shell.
        {"\"a b;rm -rf ~\"@c.jp", false, "", "m %1", {"m", "\"a b;rm -rf ~\"@c.jp"}},
    };
    for (const auto& c : kCases) {
        EXPECT_EQ(AddressCommandLine(c.address, c.isUrl, c.urlProgram, c.mailProgram), c.args)
            << c.urlProgram << "|" << c.mailProgram;
    }
}

TEST(SyntaxRulesFor, GroupsApplyByFileName) {
    KeywordFile f(932);
    ParseKeywordFile(
        "\x10"
        "C\t*.c;*.h\t3\n"
        "\x11"
        "Any\t*.*\t4\n"
        " /*\t0\t*/\t1\t0\n"
        " #\t1\t\t1\t0\n"
        "int\t0\n"
        "Int\t0\n"
        "todo\t1\n",
        f);
    const view::SyntaxRules c = SyntaxRulesFor(f, "/src/a.c", 932);
    EXPECT_TRUE(c.groups[0].applies);
    EXPECT_TRUE(c.groups[0].caseInsensitive);
    EXPECT_TRUE(c.groups[1].applies);
    EXPECT_TRUE(c.groups[1].bold);
    EXPECT_FALSE(c.groups[1].colored);
    EXPECT_EQ(c.buckets['I'].size(), 2u);
    EXPECT_TRUE(c.buckets['i'].empty());  // lower-case letters share the upper-case bucket
    EXPECT_EQ(c.buckets['T'].size(), 1u);
    EXPECT_TRUE(c.MayOpenBlock('/'));
    EXPECT_TRUE(c.MayOpenBlock('#'));

    const view::SyntaxRules txt = SyntaxRulesFor(f, "/doc/a.txt", 932);
    EXPECT_FALSE(txt.groups[0].applies);
    EXPECT_TRUE(txt.buckets['I'].empty());
    EXPECT_EQ(txt.buckets['T'].size(), 1u);
    EXPECT_FALSE(txt.MayOpenBlock('/'));  // the C block does not take part
    EXPECT_TRUE(txt.MayOpenBlock('#'));
    EXPECT_EQ(txt.blocks.size(), 2u);  // state bytes still name blocks by file position
}

}  // namespace
}  // namespace norv::app
