// Find, FindNext/FindPrev, Mark All and the replace loop through the core view: what the user
// sees is the text, the caret ("|"), the bookmarks, beeps and the replace message.
#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "editing/edit_test_support.h"
#include "search/find_commands.h"

namespace norv::search {
namespace {

using editing::testing::Editor;
using editing::testing::Enc;

class RecordingUi : public platform::UserInterface {
  public:
    int MessageBox(std::string_view text, unsigned) override {
        messages.emplace_back(text);
        return platform::kIdOk;
    }
    void SetStatusText(std::string_view text) override { statuses.emplace_back(text); }
    void Beep() override { ++beeps; }
    std::vector<std::string> messages;
    std::vector<std::string> statuses;
    int beeps = 0;
};

class FakeSelection : public FoundTextSelection {
  public:
    void Select(editing::CElwView& view, int line1, size_t pos1, int line2, size_t pos2) override {
        view.SetCaret(line2, pos2);
        area = SelectedArea{false, line1, pos1, line2, pos2};
        if (line2 < line1 || (line2 == line1 && pos2 < pos1))
            area = {false, line2, pos2, line1, pos1};
    }
    void Cancel(editing::CElwView&) override { area.reset(); }
    std::optional<SelectedArea> Area(editing::CElwView&) override { return area; }
    void Restore(editing::CElwView&, const SelectedArea& a) override { area = a; }
    std::optional<SelectedArea> area;
};

struct Fixture {
    explicit Fixture(Enc e) : ed(e), commands(env) {
        env.ui = &ui;
        env.selection = &selection;
        env.askReplace = [this](const ReplaceQuestion&) {
            if (answers.empty()) return ReplaceAnswer::kCancel;
            ReplaceAnswer a = answers.front();
            answers.pop_front();
            return a;
        };
    }
    Editor ed;
    RecordingUi ui;
    FakeSelection selection;
    FindEnvironment env;
    FindCommands commands;
    std::deque<ReplaceAnswer> answers;
};

FindOptions Opts(std::string_view letters) {
    FindOptions o;
    ParseOptionString(letters, &o);
    return o;
}

TEST(Find, OneSearchLeavesTheCaretAtTheMatch) {
    static const struct {
        const char* name;
        Enc enc;
        const char* text;
        const char* pattern;
        const char* options;
        bool forward;
        const char* expected;  // text with the caret; nullptr: not found, text unchanged
    } kCases[] = {
        {"occurrence at the caret is skipped", Enc::kAscii, "a |foo foo", "foo", "", true,
         "a foo |foo"},
        {"start of text searches the caret itself", Enc::kAscii, "|foo", "foo", "", true, "|foo"},
        {"word only accepts foo_bar", Enc::kAscii, "|xfoobar foo_bar", "foo", "W", true,
         "xfoobar |foo_bar"},
        {"word only rejects foobar", Enc::kAscii, "|xfoobar", "foo", "W", true, nullptr},
        {"escape \\n spans a line end", Enc::kAscii, "|xab\ncd", "b\\nc", "", true, "xa|b\ncd"},
        {"top of line", Enc::kAscii, "|xfoo\nfoo", "foo", "T", true, "xfoo\n|foo"},
        {"end of line", Enc::kAscii, "|foox foo\nz", "foo", "E", true, "foox |foo\nz"},
        {"ignore case", Enc::kAscii, "|x FoO", "fOo", "I", true, "x |FoO"},
        {"case matters without I", Enc::kAscii, "|x FoO", "foo", "", true, nullptr},
        {"backward across lines", Enc::kAscii, "foo\nbar\nba|z", "foo", "", false,
         "|foo\nbar\nbaz"},
        {"backward skips the caret", Enc::kAscii, "foo |foo", "foo", "", false, "|foo foo"},
        {"regular expression", Enc::kAscii, "|x colour", "colou?r", "R", true, "x |colour"},
        {"regular expression ^", Enc::kAscii, "|xa\na", "^a", "R", true, "xa\n|a"},
        {"full-width pattern finds half-width", Enc::kSjis, "|xx ABC", "ＡＢＣ", "Z", true,
         "xx |ABC"},
        {"half-width pattern finds full-width", Enc::kSjis, "|xx ＡＢＣ", "abc", "ZI", true,
         "xx |ＡＢＣ"},
        {"full-width needs Z", Enc::kSjis, "|xx ABC", "ＡＢＣ", "", true, nullptr},
        // Former fault: folding the trail byte 0x61 of this katakana turned it into "ア".
        {"ignore case leaves trail bytes", Enc::kSjis, "|xア", "ヂ", "I", true, nullptr},
        {"lead byte also seen as a trail byte", Enc::kSjis, "|xャア", "ア", "", true, "xャ|ア"},
        {"sjis text", Enc::kSjis, "|あいう表示", "表示", "", true, "あいう|表示"},
        {"utf8 question mark only matches itself", Enc::kUtf8, "|x 한 ?", "?", "", true, "x 한 |?"},
        {"utf8 character the code page lacks", Enc::kUtf8, "|x ? 한", "한", "", true, "x ? |한"},
        {"utf8 emoji", Enc::kUtf8, "|a😀b", "😀b", "", true, "a|😀b"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        Fixture f(c.enc);
        f.ed.Load(c.text);
        const std::string before = f.ed.Marked();
        bool found = f.commands.Find(*f.ed.view, editing::testing::Encode(c.enc, c.pattern),
                                     Opts(c.options), c.forward, false);
        EXPECT_EQ(found, c.expected != nullptr);
        EXPECT_EQ(f.ed.Marked(), c.expected ? c.expected : before);
        EXPECT_EQ(f.ui.beeps, found ? 0 : 1);
        EXPECT_EQ(f.commands.stateValue, found ? 0 : kStateNotFound);
        ASSERT_FALSE(f.ui.statuses.empty());
        EXPECT_EQ(f.ui.statuses.front(), kFindingText);
        // Not found: the beep and the string looked for, in UTF-8 whatever the document's code.
        EXPECT_EQ(f.ui.statuses.back(), found ? "" : "Not found: " + std::string(c.pattern));
    }
}

TEST(Find, NotFoundNamesTheStringUnlessSilent) {
    static const struct {
        const char* name;
        Enc enc;
        int stringCodePage;
        std::string pattern;  // as the search string holds it
        bool silent;
        const char* shown;  // nullptr: no beep, no text
    } kCases[] = {
        {"system code page string in a UTF-8 document", Enc::kUtf8, 932,
         editing::testing::Encode(Enc::kSjis, "見当たらない"), false, "Not found: 見当たらない"},
        {"Shift-JIS document", Enc::kSjis, 0, editing::testing::Encode(Enc::kSjis, "ない語"), false,
         "Not found: ない語"},
        {"a script's silent mode", Enc::kAscii, 0, "zz", true, nullptr},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        Fixture f(c.enc);
        f.env.stringCodePage = c.stringCodePage;
        f.env.silent = c.silent;
        f.ed.Load("|x y");
        EXPECT_FALSE(f.commands.Find(*f.ed.view, c.pattern, {}, true, false));
        EXPECT_EQ(f.commands.stateValue, kStateNotFound);
        EXPECT_EQ(f.ui.beeps, c.silent ? 0 : 1);
        if (c.shown) EXPECT_EQ(f.ui.statuses.back(), c.shown);
        if (c.silent) EXPECT_EQ(f.ui.statuses.back(), "");
    }
    Fixture f(Enc::kSjis);
    f.ed.Load("|x");
    f.commands.Find(*f.ed.view, editing::testing::Encode(Enc::kSjis, std::string(79, 'a') + "漢字"),
                    {}, true, false);
    EXPECT_EQ(f.ui.statuses.back(), "Not found: " + std::string(79, 'a') + "漢...");
    // An escape sequence shows as typed; a real control character as a blank.
    f.commands.Find(*f.ed.view, "a\\tb\x01", {}, true, false);
    EXPECT_EQ(f.ui.statuses.back(), "Not found: a\\tb ");
}

TEST(Find, MatchesOfMoreThan255CharactersAreNeverFound) {
    Fixture f(Enc::kAscii);
    f.ed.Load("|x" + std::string(300, 'a'));
    EXPECT_TRUE(f.commands.Find(*f.ed.view, std::string(255, 'a'), {}, true, false));
    EXPECT_FALSE(f.commands.Find(*f.ed.view, std::string(256, 'a'), {}, true, false));
}

TEST(Find, WrapAroundAndSecondFailure) {
    static const struct {
        const char* text;
        const char* pattern;
        bool forward;
        const char* expected;
        int beeps;
    } kCases[] = {
        {"foo x|y", "foo", true, "|foo xy", 0},
        {"a|b foo", "foo", false, "ab |foo", 0},
        {"x|y", "zz", true, "x|y", 1},
        {"x|y", "zz", false, "x|y", 1},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.text);
        Fixture f(Enc::kAscii);
        f.ed.Load(c.text);
        f.commands.Find(*f.ed.view, c.pattern, Opts("P"), c.forward, false);
        EXPECT_EQ(f.ed.Marked(), c.expected);
        EXPECT_EQ(f.ui.beeps, c.beeps);
    }
}

TEST(Find, FindNextAndPrevRepeatTheSearch) {
    Fixture f(Enc::kAscii);
    f.ed.Load("|x foo foo\nfoo");
    f.commands.Find(*f.ed.view, "foo", {}, true, false);
    EXPECT_EQ(f.ed.Marked(), "x |foo foo\nfoo");
    EXPECT_TRUE(f.commands.FindNext(*f.ed.view));
    EXPECT_EQ(f.ed.Marked(), "x foo |foo\nfoo");
    EXPECT_TRUE(f.commands.FindNext(*f.ed.view));
    EXPECT_EQ(f.ed.Marked(), "x foo foo\n|foo");
    EXPECT_FALSE(f.commands.FindNext(*f.ed.view));
    EXPECT_EQ(f.ed.Marked(), "x foo foo\n|foo");
    EXPECT_TRUE(f.commands.FindPrev(*f.ed.view));
    EXPECT_EQ(f.ed.Marked(), "x foo |foo\nfoo");
    // The found text is selected.
    ASSERT_TRUE(f.selection.area);
    EXPECT_EQ(f.selection.area->pos2 - f.selection.area->pos1, 3u);
}

TEST(Find, MarkAllSetsTheBookmarkOfEveryMatchingLine) {
    Fixture f(Enc::kAscii);
    f.ed.Load("foo\nbar\nfoo foo\nba|r\nxfoo");
    EXPECT_TRUE(f.commands.FindWithOptionString(*f.ed.view, "foo", "N", true));
    f.ed.view->Sync();
    std::string marks;
    for (const document::LineRecord* r = f.ed.doc.lines().first(); r; r = r->next)
        marks += (r->flags & document::LF_MARK) ? 'M' : '-';
    EXPECT_EQ(marks, "M-M-M");
    EXPECT_TRUE(f.commands.find.options.markFoundLine);
}

TEST(Replace, Loop) {
    static const struct {
        const char* name;
        const char* text;
        const char* pattern;
        const char* options;
        const char* replacement;
        std::optional<SelectedArea> selection;
        const char* expected;
        int count;
    } kCases[] = {
        {"^ inserts at every line start", "|a\nb\nc", "^", "R", ">", {}, ">a\n>b\n>c", 3},
        {"^ with an empty replacement stops", "|a\nb", "^", "R", "", {}, "a\nb", 0},
        {"$ appends at every line end", "|a\nb", "$", "R", ";", {}, "a;\nb;", 2},
        {"zero-length match without a line condition ends the loop",
         "|aab",
         "a*",
         "R",
         "y",
         {},
         "yb",
         1},
        {"^$ fills empty lines", "|a\n\nb\n", "^$", "R", "-", {}, "a\n-\nb\n-", 2},
        {"T with an empty pattern", "|a\nb", "", "RT", "#", {}, "#a\n#b", 2},
        {"plain text", "|foo bar foo", "foo", "", "x", {}, "x bar x", 2},
        {"from the caret only", "foo |foo", "foo", "", "x", {}, "foo x", 1},
        {"from beginning", "foo |foo", "foo", "G", "x", {}, "x x", 2},
        {"line end in the replacement", "|a,b", ",", "", "\\n", {}, "a\nb", 1},
        {"match over a line end", "|a\nb", "a\\nb", "", "ab", {}, "ab", 1},
        {"confined to lines 3 to 5", "|foo\nfoo\nfoo\nfoo\nfoo\nfoo", "foo", "", "bar",
         SelectedArea{false, 3, 0, 5, 3}, "foo\nfoo\nbar\nbar\nbar\nfoo", 3},
        {"confined from a column", "|foo foo\nfoo foo\nfoo foo", "foo", "", "x",
         SelectedArea{false, 1, 2, 2, 5}, "foo x\nx foo\nfoo foo", 2},
        // Former fault: a match left of the box after the first one inside ended the loop.
        {"confined to a box's columns", "|a foo foo\na foo foo\nfoo foo\na foo", "foo", "", "x",
         SelectedArea{true, 1, 2, 3, 5}, "a x foo\na x foo\nfoo foo\na foo", 2},
        {"a selection in one line does not confine", "|foo foo", "foo", "", "x",
         SelectedArea{false, 1, 0, 1, 2}, "x x", 2},
        {"grown lines move the confined end", "|a\na\na\na", "a", "", "b\\nc",
         SelectedArea{false, 1, 0, 2, 1}, "b\nc\nb\nc\na\na", 2},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        Fixture f(Enc::kAscii);
        f.ed.Load(c.text);
        f.selection.area = c.selection;
        int n = f.commands.ReplaceWith(*f.ed.view, c.pattern, c.replacement, Opts(c.options), true);
        EXPECT_EQ(n, c.count);
        std::string text = f.ed.Marked();
        text.erase(text.find('|'), 1);
        EXPECT_EQ(text, c.expected);
        if (c.count > 0) {
            ASSERT_EQ(f.ui.messages.size(), 1u);
            EXPECT_EQ(f.ui.messages[0], std::to_string(c.count) + " words are replaced");
            EXPECT_EQ(f.commands.stateValue, kStateReplaced);
        } else {
            EXPECT_EQ(f.ui.beeps, 1);
            EXPECT_EQ(f.commands.stateValue, kStateNotFound);
        }
        f.ed.CheckConsistent();
    }
}

TEST(Replace, EachReplacementIsOneUndoStep) {
    Fixture f(Enc::kAscii);
    f.ed.Load("|foo\nfoo");
    EXPECT_EQ(f.commands.ReplaceWith(*f.ed.view, "foo", "a\\nb", {}, true), 2);
    f.ed.view->Execute(editing::CommandId::Undo);
    std::string text = f.ed.Marked();
    text.erase(text.find('|'), 1);
    EXPECT_EQ(text, "a\nb\nfoo");
    f.ed.view->Execute(editing::CommandId::Undo);
    text = f.ed.Marked();
    text.erase(text.find('|'), 1);
    EXPECT_EQ(text, "foo\nfoo");
}

TEST(Replace, AnswersOfTheQuestion) {
    static const struct {
        std::vector<ReplaceAnswer> answers;
        const char* expected;
        int count;
    } kCases[] = {
        {{ReplaceAnswer::kNo, ReplaceAnswer::kYes, ReplaceAnswer::kCancel}, "a x a a", 1},
        {{ReplaceAnswer::kYes, ReplaceAnswer::kYesToAll}, "x x x x", 4},
        {{ReplaceAnswer::kNo, ReplaceAnswer::kReplaceAll}, "a x x x", 3},
        {{ReplaceAnswer::kCancel}, "a a a a", 0},
    };
    for (const auto& c : kCases) {
        Fixture f(Enc::kAscii);
        f.ed.Load("|a a a a");
        f.answers.assign(c.answers.begin(), c.answers.end());
        EXPECT_EQ(f.commands.ReplaceWith(*f.ed.view, "a", "x", {}, false), c.count);
        std::string text = f.ed.Marked();
        text.erase(text.find('|'), 1);
        EXPECT_EQ(text, c.expected);
    }
}

// Former faults: a read-only document counted replacements that never happened.
TEST(Replace, ReadOnlyDocumentIsRefusedAtOnce) {
    Fixture f(Enc::kAscii);
    f.ed.Load("|foo foo");
    f.ed.doc.readOnly = true;
    EXPECT_EQ(f.commands.ReplaceWith(*f.ed.view, "foo", "x", {}, true), 0);
    EXPECT_EQ(f.ed.Marked(), "|foo foo");
    EXPECT_EQ(f.ui.beeps, 1);
    EXPECT_EQ(f.ui.statuses.back(), "Read only");
    EXPECT_TRUE(f.ui.messages.empty());
    EXPECT_EQ(f.commands.stateValue, kStateNotFound);
}

TEST(Find, GetFindWordTakesTheWordAndEscapesIt) {
    Fixture f(Enc::kAscii);
    f.ed.Load("|foo_1 bar\\x");
    f.commands.GetFindWord(*f.ed.view);
    EXPECT_EQ(f.commands.find.searchString, "foo_1");
    EXPECT_EQ(f.commands.replace.searchString, "foo_1");
    EXPECT_TRUE(f.commands.keepFindString);
    f.commands.GetFindWord(*f.ed.view);
    EXPECT_EQ(f.commands.find.searchString, "foo_1 ");
    f.commands.GetFindWord(*f.ed.view);
    EXPECT_EQ(f.commands.find.searchString, "foo_1 bar\\\\x");
}

}  // namespace
}  // namespace norv::search

namespace norv::search {
namespace {

// Search strings written in the system code page reach a UTF-8 document as UTF-8; escaped
// bytes stay bytes, so a word taken from the document is found again.
TEST(Find, StringsOfTheSystemCodePageInUtf8Documents) {
    Fixture f(Enc::kUtf8);
    f.env.stringCodePage = 932;
    f.ed.Load("|x あ 한 한");
    EXPECT_TRUE(
        f.commands.Find(*f.ed.view, editing::testing::Encode(Enc::kSjis, "あ"), {}, true, false));
    EXPECT_EQ(f.ed.Marked(), "x |あ 한 한");
    f.commands.ReplaceWith(*f.ed.view, editing::testing::Encode(Enc::kSjis, "あ"),
                           editing::testing::Encode(Enc::kSjis, "い"), {}, true);
    EXPECT_EQ(f.ed.Marked(), "x |い 한 한");
    f.ed.view->SetCaret(1, 8);
    f.selection.area.reset();
    f.commands.GetFindWord(*f.ed.view);
    EXPECT_EQ(f.commands.find.searchString, "\\xed\\x95\\x9c");
    f.selection.area.reset();
    EXPECT_TRUE(f.commands.FindNext(*f.ed.view));
    EXPECT_EQ(f.ed.Marked(), "x い 한 |한");
}

TEST(Find, JumpCenterCentresTheCaretLine) {
    Fixture f(Enc::kAscii);
    f.env.jumpCenter = true;
    std::string text = "|";
    for (int i = 0; i < 100; ++i) text += i == 60 ? "foo\n" : "x\n";
    f.ed.Load(text);
    EXPECT_TRUE(f.commands.Find(*f.ed.view, "foo", {}, true, false));
    EXPECT_EQ(f.ed.view->caretLineNumber(), 61);
    EXPECT_EQ(f.ed.view->caretScreenRow(), f.ed.view->windowRows() / 2);
}

}  // namespace
}  // namespace norv::search

namespace norv::search {
namespace {

TEST(Find, TheDialogOpensWithTheWordAtTheCaret) {
    static const struct {
        Enc enc;
        const char* text;
        const char* word;
    } kCases[] = {
        {Enc::kAscii, "x fo|o_1 y", "foo_1"}, {Enc::kAscii, "x |foo", "foo"},
        {Enc::kAscii, "x|, y", ""},           {Enc::kSjis, "これは表|示です", "表示"},
        {Enc::kUtf8, "한 ab|c", "abc"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.text);
        Fixture f(c.enc);
        f.ed.Load(c.text);
        std::string offered;
        f.env.findDialog = [&](FindDialogRequest& r) {
            offered = r.searchString;
            r.options = Opts("G");
            r.saveOptions = true;
            return true;
        };
        std::string saved;
        f.env.saveOptions = [&](std::string_view key, std::string_view o) {
            saved = std::string(key) + "=" + std::string(o);
        };
        f.commands.FindCommand(*f.ed.view);
        EXPECT_EQ(offered, editing::testing::Encode(c.enc, c.word));
        EXPECT_EQ(saved, "FindOption=G");
    }
}

}  // namespace
}  // namespace norv::search
