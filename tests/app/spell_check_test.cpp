// The SpellCheck command without windows: the words looked up for a text and a selection in
// each code, the dialog's answers and their effects on the text, the selection and the lists,
// Escape, undo, and a read-only document. The engine is the test's own, except where the
// Debian dictionaries are named.
#include "app/spell_check.h"

#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <set>

#include "document/codecs.h"
#include "editing/edit_test_support.h"
#include "platform/fakes/headless_ui.h"
#include "platform/fakes/memory_file_system.h"
#include "support/temp_dir.h"

namespace norv::app {
namespace {

using editing::testing::Editor;
using editing::testing::Enc;
using tools::WordVerdict;

// Accepts the words of `good` and the lists; records every word it is asked about.
class FakeEngine : public tools::SpellEngine {
  public:
    WordVerdict CheckWord(std::string_view word, std::string* replacement) override {
        const std::string w(word);
        looked.push_back(w);
        if (auto c = changes.find(w); c != changes.end()) {
            *replacement = c->second;
            return WordVerdict::kReplace;
        }
        if (good.count("*") || good.count(w) || ignored.count(w) || added.count(w))
            return WordVerdict::kAccepted;
        return WordVerdict::kNotAccepted;
    }
    std::vector<std::string> Suggest(std::string_view word, int) override {
        auto it = suggestions.find(std::string(word));
        return it == suggestions.end() ? std::vector<std::string>{} : it->second;
    }
    void IgnoreAll(std::string_view word) override { ignored.emplace(word); }
    bool AddToUserList(std::string_view word) override {
        added.emplace(word);
        return addWorks;
    }
    void ChangeAll(std::string_view word, std::string_view r) override {
        changes[std::string(word)] = std::string(r);
    }
    std::string UserListPath() const override { return "/s/BkIgn.tlx"; }

    std::set<std::string> good, ignored, added;
    std::map<std::string, std::string> changes;
    std::map<std::string, std::vector<std::string>> suggestions;
    std::vector<std::string> looked;
    bool addWorks = true;
};

struct Answer {
    SpellingAnswer answer;
    std::optional<std::string> changeTo;  // typed into "Change to:"
};

struct Fixture {
    explicit Fixture(Enc enc, std::string_view text) : editor(enc) {
        editor.Load(text);
        Attach();
    }
    void Attach() {
        selection = std::make_unique<editing::Selection>(*editor.view, clipboard);
        env.ui = &ui;
        env.dialog = [this](SpellingRequest& r) {
            asked.push_back(r.word);
            EXPECT_EQ(r.changeTo, r.word) << "until the suggestions are asked for";
            r.FillSuggestions();
            shownChangeTo.push_back(r.changeTo);
            // The word is selected while the dialog shows.
            EXPECT_TRUE(selection->active());
            if (selection->active()) {
                EXPECT_EQ(selection->start().line, r.line);
                EXPECT_EQ(selection->start().pos, r.start);
                EXPECT_EQ(selection->end().pos, r.end);
            }
            if (answers.empty()) return SpellingAnswer::kIgnore;
            Answer a = answers.front();
            answers.pop_front();
            if (a.changeTo) r.changeTo = *a.changeTo;
            return a.answer;
        };
        env.escapePressed = [this] { return ++polls == escapeAtPoll; };
    }
    ~Fixture() { selection.reset(); }
    SpellCheckResult Check(tools::SpellEngine& e) {
        return RunSpellCheck(*editor.view, selection.get(), e, env);
    }
    SpellCheckResult Check() { return Check(engine); }
    // The selection as "line:pos-line:pos", or "none".
    std::string Selected() {
        if (!selection->active()) return "none";
        selection->Normalize();
        return std::to_string(selection->start().line) + ":" +
               std::to_string(selection->start().pos) + "-" +
               std::to_string(selection->end().line) + ":" + std::to_string(selection->end().pos);
    }

    Editor editor;
    editing::ClipboardContext clipboard;
    std::unique_ptr<editing::Selection> selection;
    platform::HeadlessUi ui;
    FakeEngine engine;
    SpellCheckEnvironment env;
    std::deque<Answer> answers;
    std::vector<std::string> asked, shownChangeTo;
    int polls = 0;
    int escapeAtPoll = -1;
};

using V = std::vector<std::string>;

// The text without the caret mark.
std::string Text(Editor& e) {
    std::string s = e.Marked();
    s.erase(s.find('|'), 1);
    return s;
}

// Every word is accepted: the words looked up, in order.
V LookedUp(Enc enc, std::string_view text, std::optional<std::array<int, 4>> select = {}) {
    Fixture f(enc, text);
    f.engine.good = {"*"};
    f.env.dialog = [](SpellingRequest&) { return SpellingAnswer::kIgnore; };
    if (select)
        f.selection->Select((*select)[0], size_t((*select)[1]), (*select)[2], size_t((*select)[3]));
    f.Check();
    // Shown as the test's source text.
    V out;
    for (const std::string& w : f.engine.looked) out.push_back(editing::testing::Decode(enc, w));
    return out;
}

TEST(SpellCheck, WordsOfTheWholeTextInEachCode) {
    static const struct {
        const char* text;
        V words;
    } kCases[] = {
        {"don't well-known e.g. U.S.A. -abc", {"don't", "well-known", "e.g.", "U.S.A.", "abc"}},
        // Japanese beside English: ア's trail byte in Shift-JIS is "A", and never starts a word.
        {"日本語のtextとアイテムAです。", {"text", "A"}},
        {"xアy ソz", {"x", "y", "z"}},
        {"line one\n\n  二行目 two\nthree", {"line", "one", "two", "three"}},
        {"ｶﾀｶﾅkana", {"kana"}},
    };
    for (Enc enc : {Enc::kSjis, Enc::kUtf8}) {
        for (const auto& c : kCases)
            EXPECT_EQ(LookedUp(enc, c.text), c.words)
                << editing::testing::EncName(enc) << " " << c.text;
    }
}

TEST(SpellCheck, WordsOfASelectionUpToItsEnd) {
    static const struct {
        const char* text;
        std::array<int, 4> select;
        V words;
        const char* why;
    } kCases[] = {
        {"one two three four", {1, 4, 1, 11}, {"two", "three"}, "a word reaching past the end"},
        {"one two three four", {1, 5, 1, 7}, {"wo"}, "from inside a word"},
        {"one two three four", {1, 11, 1, 4}, {"two", "three"}, "made backwards"},
        {"a b\nc d\ne f", {1, 2, 3, 0}, {"b", "c", "d"}, "ending at a line start"},
        {"a b\nc d\ne f", {2, 0, 3, 1}, {"c", "d", "e"}, "over lines"},
    };
    for (Enc enc : {Enc::kSjis, Enc::kUtf8})
        for (const auto& c : kCases) EXPECT_EQ(LookedUp(enc, c.text, c.select), c.words) << c.why;
    // Byte offsets differ by code: the selection starts after the Japanese.
    EXPECT_EQ(LookedUp(Enc::kSjis, "日本go home", std::array<int, 4>{1, 4, 1, 6}), (V{"go"}));
    EXPECT_EQ(LookedUp(Enc::kUtf8, "日本go home", std::array<int, 4>{1, 6, 1, 8}), (V{"go"}));
}

TEST(SpellCheck, WordsOfADocumentLoadedFromEucJp) {
    norv::testing::TempDir dir;
    std::string sjis = editing::testing::Encode(Enc::kSjis, "漢字のwordとアB\r\nカナ end\r\n");
    std::string euc;
    document::SjisToEuc(euc, sjis);
    const std::string path = dir.Write("euc.txt", euc);
    Editor editor(Enc::kSjis);
    ASSERT_EQ(editor.doc.OpenDocument(path, document::CodeChoice::kEuc), 1);
    editor.view = std::make_unique<editing::CElwView>(editor.doc, editor.undo, editor.shared);
    FakeEngine engine;
    engine.good = {"*"};
    SpellCheckEnvironment env;
    RunSpellCheck(*editor.view, nullptr, engine, env);
    EXPECT_EQ(engine.looked, (V{"word", "B", "end"}));
}

TEST(SpellCheck, IgnoreAllAndAddAcceptTheWordLater) {
    Fixture f(Enc::kSjis, "teh cat teh\nzork teh zork");
    f.answers = {{SpellingAnswer::kIgnoreAll, {}}, {SpellingAnswer::kAdd, {}}};
    f.engine.good = {"cat"};
    SpellCheckResult r = f.Check();
    EXPECT_EQ(f.asked, (V{"teh", "zork"}));
    EXPECT_EQ(r.wordsChecked, 6);
    EXPECT_EQ(r.replacements, 0);
    EXPECT_TRUE(f.ui.messages.empty());
    // Without a selection the caret stays where the scan ended.
    EXPECT_EQ(f.editor.Marked(), "teh cat teh\nzork teh zork|");
}

TEST(SpellCheck, AFailedAddNamesTheFileAndGoesOn) {
    Fixture f(Enc::kSjis, "zork zork");
    f.engine.addWorks = false;
    f.answers = {{SpellingAnswer::kAdd, {}}};
    f.Check();
    ASSERT_EQ(f.ui.messages.size(), 1u);
    EXPECT_NE(f.ui.messages[0].find("/s/BkIgn.tlx"), std::string::npos);
    EXPECT_EQ(f.asked, (V{"zork"})) << "the word is ignored for the run all the same";
}

TEST(SpellCheck, ChangeAndChangeAll) {
    Fixture f(Enc::kSjis, "I recieve, recieve and wierd wierd.");
    f.engine.good = {"I", "and"};
    f.engine.suggestions["recieve"] = {"receive", "relieve"};
    f.engine.suggestions["wierd"] = {"weird"};
    // Change to the first suggestion; then Change All to a text typed in "Change to:"; the later
    // "wierd" is replaced without a dialog, and so is any of any length.
    f.answers = {{SpellingAnswer::kChange, {}},
                 {SpellingAnswer::kIgnore, {}},
                 {SpellingAnswer::kChangeAll, std::string(70, 'W')}};
    SpellCheckResult r = f.Check();
    EXPECT_EQ(f.asked, (V{"recieve", "recieve", "wierd"}));
    EXPECT_EQ(f.shownChangeTo, (V{"receive", "receive", "weird"}));
    EXPECT_EQ(r.replacements, 3);
    EXPECT_EQ(f.editor.Marked(),
              "I receive, recieve and " + std::string(70, 'W') + " " + std::string(70, 'W') + ".|");
    // Each replacement is its own undo step.
    f.editor.view->Execute(editing::CommandId::Undo);
    EXPECT_EQ(Text(f.editor), "I receive, recieve and " + std::string(70, 'W') + " wierd.");
    f.editor.view->Execute(editing::CommandId::Undo);
    EXPECT_EQ(Text(f.editor), "I receive, recieve and wierd wierd.");
    f.editor.view->Execute(editing::CommandId::Undo);
    EXPECT_EQ(Text(f.editor), "I recieve, recieve and wierd wierd.");
    EXPECT_FALSE(f.editor.doc.modified);
}

TEST(SpellCheck, ChangeToTheSameWordOrWithNoSuggestionChangesNothing) {
    Fixture f(Enc::kUtf8, "qqq www");
    f.answers = {{SpellingAnswer::kChange, {}}, {SpellingAnswer::kChangeAll, {}}};
    SpellCheckResult r = f.Check();
    EXPECT_EQ(f.shownChangeTo, (V{"qqq", "www"})) << "without suggestions the word itself";
    EXPECT_EQ(r.replacements, 0);
    EXPECT_FALSE(f.editor.doc.modified);
    EXPECT_TRUE(f.engine.changes.empty());
}

TEST(SpellCheck, ClosingTheDialogBeepsTwiceAndGoesOn) {
    Fixture f(Enc::kSjis, "aaa bbb");
    f.answers = {{SpellingAnswer::kClosed, {}}};
    f.Check();
    EXPECT_EQ(f.asked, (V{"aaa", "bbb"}));
    EXPECT_EQ(f.ui.beeps, 2);
}

TEST(SpellCheck, ExitRestoresTheSelection) {
    Fixture f(Enc::kSjis, "xx aaa bbb ccc\nddd");
    f.selection->Select(1, 3, 2, 2);
    f.answers = {{SpellingAnswer::kIgnore, {}}, {SpellingAnswer::kExit, {}}};
    SpellCheckResult r = f.Check();
    EXPECT_TRUE(r.exited);
    EXPECT_EQ(f.asked, (V{"aaa", "bbb"}));
    EXPECT_EQ(f.Selected(), "1:3-2:2");
}

TEST(SpellCheck, ReplacementsInsideASelectionKeepItOverTheChangedText) {
    Fixture f(Enc::kSjis, "pre teh x teh post\nteh teh tail");
    f.engine.good = {"pre", "post", "x", "tail"};
    f.engine.suggestions["teh"] = {"the"};
    // Over both lines, ending on the second line after its second "teh".
    f.selection->Select(1, 4, 2, 7);
    f.answers = {{SpellingAnswer::kChangeAll, std::string("thethe")}};
    SpellCheckResult r = f.Check();
    EXPECT_EQ(f.asked, (V{"teh"}));
    EXPECT_EQ(r.replacements, 4) << "the words up to the end; the one reaching past it too";
    EXPECT_EQ(f.editor.Marked().substr(0, 5), "pre t");
    // Line 2 grew by 3 bytes for each of its two words before the end.
    EXPECT_EQ(f.Selected(), "1:4-2:13");
    f.selection->Normalize();
    EXPECT_EQ(f.selection->Block(), "thethe x thethe post\r\nthethe thethe");
}

TEST(SpellCheck, ShorterReplacementsOnOneLinePullTheEndBack) {
    Fixture f(Enc::kUtf8, "日本 abcdef ghijkl 語");
    f.engine.changes = {{"abcdef", "ab"}, {"ghijkl", "g"}};
    // The end inside "ghijkl": the word is replaced whole and the end follows its replacement.
    f.selection->Select(1, 6, 1, 17);
    f.Check();
    EXPECT_EQ(f.Selected(), "1:6-1:11");
    EXPECT_EQ(f.selection->Block(), " ab g");
}

TEST(SpellCheck, EscapeIsPolledEveryThousandWordsAndEndsLikeExit) {
    std::string text;
    for (int i = 0; i < 2500; ++i) text += "w ";
    Fixture f(Enc::kSjis, text);
    f.engine.good = {"w"};
    f.selection->Select(1, 0, 1, 4000);
    f.escapeAtPoll = 2;
    SpellCheckResult r = f.Check();
    EXPECT_TRUE(r.exited);
    EXPECT_EQ(f.polls, 2);
    EXPECT_EQ(f.engine.looked.size(), 1999u);
    EXPECT_EQ(f.Selected(), "1:0-1:4000");
}

TEST(SpellCheck, AReadOnlyDocumentIsCheckedButNotChanged) {
    Fixture f(Enc::kSjis, "teh wierd");
    f.editor.doc.readOnly = true;
    f.engine.changes = {{"teh", "the"}};
    f.answers = {{SpellingAnswer::kChange, std::string("weird")}};
    SpellCheckResult r = f.Check();
    EXPECT_EQ(f.asked, (V{"wierd"}));
    EXPECT_EQ(r.replacements, 0);
    EXPECT_EQ(f.ui.beeps, 1);
    EXPECT_EQ(f.editor.Marked(), "teh wierd|");
}

TEST(SpellCheck, AWordOutsideTheWindowIsScrolledIntoView) {
    std::string text;
    for (int i = 0; i < 200; ++i) text += "ok\n";
    Fixture f(Enc::kSjis, text + "zzz");
    f.engine.good = {"ok"};
    int64_t top = -1;
    f.env.dialog = [&](SpellingRequest&) {
        top = f.editor.view->topRow();
        return SpellingAnswer::kIgnore;
    };
    f.Check();
    EXPECT_LE(top, 200);
    EXPECT_GT(top + f.editor.view->windowRows(), 200);
}

// The Debian dictionaries behind the command, with the user ignore list in a settings folder.
TEST(SpellCheck, RealDictionariesAndTheUserList) {
    platform::MemoryFileSystem fs;
    if (!OpenSpellSession(true, false, "/s/", fs) || !OpenSpellSession(false, true, "/s/", fs))
        GTEST_SKIP() << "hunspell-en-us and hunspell-en-gb are installed by the test command";
    EXPECT_FALSE(OpenSpellSession(false, false, "/s/", fs)) << "neither box on";
    EXPECT_FALSE(OpenSpellSession(true, true, "/s/", fs, [](std::string_view) {
        return std::unique_ptr<tools::SpellDictionary>();
    })) << "no dictionary installed";
    fs.files.clear();
    {
        auto session = OpenSpellSession(true, true, "/s/", fs);
        ASSERT_TRUE(session);
        EXPECT_EQ(fs.files.at("/s/BkIgn.tlx"), "");
        Fixture f(Enc::kSjis, "The colour and color of Norvish, recieve zorbl. Norvish recieve");
        f.answers = {{SpellingAnswer::kAdd, {}},
                     {SpellingAnswer::kChangeAll, {}},
                     {SpellingAnswer::kIgnoreAll, {}}};
        f.Check(*session);
        EXPECT_EQ(f.asked, (V{"Norvish", "recieve", "zorbl"}));
        EXPECT_EQ(f.shownChangeTo[1], "receive");
        EXPECT_EQ(f.editor.Marked(),
                  "The colour and color of Norvish, receive zorbl. Norvish receive|");
        EXPECT_EQ(fs.files.at("/s/BkIgn.tlx"), "Norvish\n");
    }
    // The next session reads the word back; the session lists are gone.
    auto again = OpenSpellSession(true, true, "/s/", fs);
    ASSERT_TRUE(again);
    EXPECT_EQ(again->CheckWord("Norvish", nullptr), WordVerdict::kAccepted);
    EXPECT_EQ(again->CheckWord("zorbl", nullptr), WordVerdict::kNotAccepted);
    EXPECT_EQ(again->CheckWord("recieve", nullptr), WordVerdict::kNotAccepted);
}

}  // namespace
}  // namespace norv::app
