#include "app/config/syntax_rules.h"

namespace norv::app {

view::SyntaxRules SyntaxRulesFor(const KeywordFile& file, std::string_view path,
                                 int systemCodePage) {
    view::SyntaxRules rules;
    rules.systemCodePage = systemCodePage;
    const uint16_t applying = KeywordGroupsForFile(path, file);
    for (int g = 0; g < kKeywordGroupCount; ++g) {
        const KeywordGroup& from = file.groups[static_cast<size_t>(g)];
        view::GroupRule& to = rules.groups[static_cast<size_t>(g)];
        to.applies = (applying >> g) & 1;
        to.caseInsensitive = from.caseInsensitive;
        to.colored = from.colored;
        to.bold = from.bold;
    }
    for (int b = 0; b < 256; ++b) {
        for (const KeywordTable::Entry& e : file.keywords.Bucket(static_cast<uint8_t>(b))) {
            if (e.group >= kKeywordGroupCount || !rules.groups[e.group].applies) continue;
            // Lower-case letters share their upper-case letter's bucket: copy it once.
            if (b >= 'a' && b <= 'z') break;
            rules.buckets[static_cast<size_t>(b)].push_back({e.text, e.group});
        }
    }
    for (const CommentBlock& c : file.blocks)
        rules.blocks.push_back({c.begin, c.end, c.group, c.colored, c.bold});
    rules.Prepare();
    return rules;
}

}  // namespace norv::app
