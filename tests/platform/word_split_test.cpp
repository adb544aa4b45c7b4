// Words as a POSIX shell splits them, without expansion.
#include "platform/word_split.h"

namespace norv::platform {
namespace {

using Words = std::vector<std::string>;

TEST(WordSplit, QuotesBlanksAndBackslashes) {
    static const struct {
        std::string_view text;
        Words words;
    } kCases[] = {
        {"firefox --new-tab %s", {"firefox", "--new-tab", "%s"}},
        {"  a\t b \n c  ", {"a", "b", "c"}},
        {"'a b' \"c d\" e\\ f", {"a b", "c d", "e f"}},
        {"'it''s' \"\" ''", {"its", "", ""}},
        {"\"a\\\"b\\\\c\\$d\\x\"", {"a\"b\\c$d\\x"}},
        {"'a\\b'", {"a\\b"}},
        {"$HOME ~ *.txt a;b|c", {"$HOME", "~", "*.txt", "a;b|c"}},
        {"a\\\nb", {"ab"}},
        {"", {}},
    };
    for (const auto& c : kCases) {
        const auto w = SplitWords(c.text);
        ASSERT_TRUE(w) << c.text;
        EXPECT_EQ(*w, c.words) << c.text;
    }
    for (std::string_view bad : {"'open", "\"open", "end\\", "\"a\\\""})
        EXPECT_FALSE(SplitWords(bad)) << bad;
}

}  // namespace
}  // namespace norv::platform
