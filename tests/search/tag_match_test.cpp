// OtherParen in HTML documents: the tag rule's silent search through the real search code, with
// the Find string and options, the selection and the histories left as they were; brace
// matching first; nothing in other file types.
#include <gtest/gtest.h>

#include "editing/edit_test_support.h"
#include "search/find_commands.h"

namespace norv::search {
namespace {

using editing::testing::Editor;
using editing::testing::Enc;
using C = editing::CommandId;

struct Html {
    explicit Html(Enc e, char type = 'H') : ed(e), commands(env) {
        ed.shared.tagSearch = [this](editing::CElwView& v, editing::TextPlace from,
                                     std::string_view text, bool forward) {
            EXPECT_GT(ed.shared.residentEventsSuppressed, 0);
            return commands.SearchTag(v, from, text, forward);
        };
        typeCode = type;
    }
    void Load(std::string_view text) {
        ed.Load(text);
        ed.doc.typeCode = typeCode;
    }
    Editor ed;
    FindEnvironment env;
    FindCommands commands;
    char typeCode;
};

TEST(TagMatch, OpeningAndClosingTagsInHtmlOnly) {
    static const struct {
        const char* text;
        char type;
        const char* expect;
        int savedLine;  // 0: not written
    } kCases[] = {
        {"<|p>日本語\n</p>", 'H', "<p>日本語\n</|p>", 1},  // the name of a start tag
        {"<p>x\n<|/P>", 'H', "<|p>x\n</P>", 2},            // the "/" of an end tag, any case
        {"<p>x\n</|p>", 'H', "<|p>x\n</p>", 2},            // the name of an end tag
        {"|<p>x</p>", 'H', "<p|>x</p>", 1},                // on "<": brace matching first
        {"<|p>x</pre>", 'H', "<|p>x</pre>", 0},            // whole words only
        {"<|p>x</p>", 'C', "<|p>x</p>", 0},                // not in a C file
        {"<|p>x</p>", ' ', "<|p>x</p>", 0},                // nor in a text file
        {"<|漢>x</漢>", 'H', "<|漢>x</漢>", 0},            // no word of letters and digits
    };
    for (Enc e : {Enc::kSjis, Enc::kUtf8}) {
        for (const auto& c : kCases) {
            SCOPED_TRACE(std::string(c.text) + " " + editing::testing::EncName(e));
            Html h(e, c.type);
            h.Load(c.text);
            h.commands.find.searchString = "kept";
            h.commands.find.options.regularExpression = true;
            const FindOptions options = h.commands.find.options;
            h.ed.view->Execute(C::OtherParen);
            EXPECT_EQ(h.ed.Marked(), c.expect);
            EXPECT_EQ(h.ed.view->savedPosition().line, c.savedLine ? c.savedLine : 1);
            EXPECT_EQ(h.commands.find.searchString, "kept");
            EXPECT_EQ(h.commands.find.options, options);
            EXPECT_TRUE(h.commands.histories.find.entries().empty());
            EXPECT_EQ(h.ed.shared.residentEventsSuppressed, 0);
        }
    }
}

}  // namespace
}  // namespace norv::search
