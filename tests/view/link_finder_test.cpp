// Recognition of web and mail addresses in a line.
#include "view/link_finder.h"

#include <gtest/gtest.h>

#include <string>

#include "document/codecs.h"
#include "support/sjis_text.h"

namespace norv::view {
namespace {

using norv::testing::Sjis;

TEST(FindLink, AddressesAtTheirStart) {
    static const struct {
        const char* text;
        uint32_t before;
        size_t length;
        bool isUrl;
    } kCases[] = {
        {"http://example.com/a?b=c.", 0, 24, true},   // the full stop ends the sentence
        {"https://x.org/p,q', rest", ' ', 17, true},  // trailing comma and apostrophe go
        {"ftp://host/dir/ next", 'a', 15, true},      // a URL needs no blank before it
        {"mailto:who@host.jp)", 0, 18, true},
        {"httpx://no", 0, 0, false},
        {"HTTP://upper", 0, 0, false},          // the schemes are lower case
        {"user@example.com.", ' ', 16, false},  // full stop after an address dropped
        {"user@example.com", 'x', 0, false},    // a letter before: inside a word
        {"user@example.com", '_', 0, false},
        {"user@example.com", 0x100, 16, false},  // after a double-byte character
        {"user@", 0, 0, false},                  // ends in "@"
        {"@host.jp", 0, 0, false},               // "@" as the first character
        {"no-address here", 0, 0, false},
        {"a@[192.168.0.1] x", 0, 15, false},     // a bracketed host after the "@"
        {"\"John Doe\"@host.jp", 0, 18, false},  // a quoted local part
        {"\"a@b\"@host", 0, 0, false},           // "@" inside quotes ends the walk
        {"first.last+tag@sub.example.co.jp;", 0, 32, false},
        {"<user@host>", 0, 0, false},  // "<" is no part of an address
    };
    for (const auto& c : kCases) {
        const Link l = FindLink(c.text, c.before);
        EXPECT_EQ(l.length, c.length) << c.text;
        if (c.length) EXPECT_EQ(l.isUrl, c.isUrl) << c.text;
    }
}

TEST(FindLink, LinksOfALine) {
    const std::string line = "see http://a.jp/x. or mail me@b.jp, <you@c.jp> please";
    const auto links = FindLinks(line, 932);
    ASSERT_EQ(links.size(), 3u);
    EXPECT_EQ(line.substr(links[0].start, links[0].length), "http://a.jp/x");
    EXPECT_TRUE(links[0].isUrl);
    EXPECT_EQ(line.substr(links[1].start, links[1].length), "me@b.jp");
    EXPECT_EQ(line.substr(links[2].start, links[2].length), "you@c.jp");
    EXPECT_FALSE(links[2].isUrl);
}

TEST(FindLink, DoubleByteTextAroundAddresses) {
    // A trail byte that looks like a letter or "@" never starts or ends an address, and an
    // address directly after a double-byte character is found.
    const std::string line =
        Sjis("連絡は") + "user@host.jp" + Sjis("まで") + "http://x.jp" + Sjis("。");
    const auto links = FindLinks(line, 932);
    ASSERT_EQ(links.size(), 2u);
    EXPECT_EQ(line.substr(links[0].start, links[0].length), "user@host.jp");
    EXPECT_EQ(line.substr(links[1].start, links[1].length), "http://x.jp");
    // "\x82\x40" is a trail byte 0x40 ("@"): no address made of the kanji's halves.
    const std::string tricky =
        "ab\x82\x40"
        "cd.jp";
    EXPECT_TRUE(FindLinks(tricky, 932).empty());
}

TEST(FindLink, LinkAtTheCaret) {
    const std::string line = "go http://a.jp/ now";
    EXPECT_FALSE(LinkAt(line, 1, 932));
    for (size_t pos : {3u, 10u, 15u}) {  // first byte, inside, just behind
        auto l = LinkAt(line, pos, 932);
        ASSERT_TRUE(l) << pos;
        EXPECT_EQ(l->start, 3u);
        EXPECT_EQ(l->length, 12u);
    }
    EXPECT_FALSE(LinkAt(line, 17, 932));
}

TEST(FindLink, QuotesCannotMakeTheWalkQuadratic) {
    // Only a walk that starts near the "@" can reach it.
    std::string line(20000, '"');
    line += "@x";
    for (const LinkSpan& l : FindLinks(line, 932))
        EXPECT_GE(l.start, line.size() - kMaxMailAddress);
}

}  // namespace
}  // namespace norv::view
