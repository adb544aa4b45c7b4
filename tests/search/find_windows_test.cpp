// Searches that go on in other windows, Escape breaking long searches and replace loops, and
// the link to the views' real selections.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "editing/edit_test_support.h"
#include "editing/selection.h"
#include "search/find_commands.h"
#include "search/selection_link.h"

namespace norv::search {
namespace {

using editing::testing::Editor;
using editing::testing::Enc;

class QuietUi : public platform::UserInterface {
  public:
    int MessageBox(std::string_view, unsigned) override { return platform::kIdOk; }
    void SetStatusText(std::string_view) override {}
    void Beep() override { ++beeps; }
    int beeps = 0;
};

class Windows : public OpenWindows {
  public:
    std::vector<editing::CElwView*> Views() override { return views; }
    void Activate(editing::CElwView& v) override { active = &v; }
    std::vector<editing::CElwView*> views;
    editing::CElwView* active = nullptr;
};

std::string Plain(Editor& ed) {
    std::string t = ed.Marked();
    t.erase(t.find('|'), 1);
    return t;
}

TEST(FindInAllWindows, GoesOnInTheNextWindow) {
    Editor a(Enc::kAscii), b(Enc::kAscii), c(Enc::kAscii);
    a.Load("x|y");
    b.Load("n|one");
    c.Load("a fo|o foo");
    Windows w;
    w.views = {a.view.get(), b.view.get(), c.view.get()};
    QuietUi ui;
    FindEnvironment env;
    env.ui = &ui;
    env.windows = &w;
    FindCommands f(env);
    FindOptions o;
    o.inAllWindows = true;
    EXPECT_TRUE(f.Find(*a.view, "foo", o, true, false));
    EXPECT_EQ(w.active, c.view.get());
    // The next window is searched from the top of its text.
    EXPECT_EQ(c.Marked(), "a |foo foo");
    EXPECT_EQ(a.Marked(), "x|y");
    // Back to the window where the search began: the search ends.
    EXPECT_TRUE(f.FindNext(*c.view));
    EXPECT_FALSE(f.FindNext(*c.view));
    EXPECT_EQ(ui.beeps, 1);
}

TEST(FindInAllWindows, ReplaceSkipsReadOnlyWindows) {
    Editor a(Enc::kAscii), b(Enc::kAscii), c(Enc::kAscii);
    a.Load("|foo");
    b.Load("|foo");
    c.Load("|foo");
    b.doc.readOnly = true;
    Windows w;
    w.views = {a.view.get(), c.view.get(), b.view.get()};
    QuietUi ui;
    FindEnvironment env;
    env.ui = &ui;
    env.windows = &w;
    FindCommands f(env);
    FindOptions o;
    o.inAllWindows = true;
    EXPECT_EQ(f.ReplaceWith(*a.view, "foo", "x", o, true), 2);
    EXPECT_EQ(Plain(a), "x");
    EXPECT_EQ(Plain(c), "x");
    EXPECT_EQ(Plain(b), "foo");
}

TEST(Escape, BreaksSearchesEvery1000LinesAndReplacesEvery10) {
    std::string text = "|";
    for (int i = 0; i < 2500; ++i) text += "line\n";
    text += "needle";
    for (bool pressed : {false, true}) {
        Editor ed(Enc::kAscii);
        ed.Load(text);
        QuietUi ui;
        FindEnvironment env;
        env.ui = &ui;
        int polls = 0;
        env.escapePressed = [&] { return ++polls, pressed; };
        FindCommands f(env);
        EXPECT_EQ(f.Find(*ed.view, "needle", {}, true, false), !pressed);
        EXPECT_EQ(polls, pressed ? 1 : 2);
        EXPECT_EQ(ed.view->caretLineNumber(), pressed ? 1 : 2501);
    }
    Editor ed(Enc::kAscii);
    ed.Load("|" + std::string(25, 'a'));
    QuietUi ui;
    FindEnvironment env;
    env.ui = &ui;
    env.escapePressed = [] { return true; };
    int paints = 0;
    env.repaint = [&](editing::CElwView&) { ++paints; };
    FindCommands f(env);
    // Every replacement stays: the loop stops at the poll after the tenth.
    EXPECT_EQ(f.ReplaceWith(*ed.view, "a", "b", {}, true), 10);
    EXPECT_EQ(Plain(ed), std::string(10, 'b') + std::string(15, 'a'));
    EXPECT_EQ(paints, 1);
    // A script's replace ignores P and takes N for "without asking".
    EXPECT_EQ(f.ReplaceWithOptionString(*ed.view, "a", "c", "PN"), 10);
    EXPECT_FALSE(f.replace.options.wrapAround);
}

TEST(SelectionLink, FoundTextIsSelectedAndConfinesTheReplaceLoop) {
    Editor ed(Enc::kAscii);
    ed.Load("|foo\nfoo\nfoo\nfoo");
    editing::ClipboardContext clip;
    editing::Selection sel(*ed.view, clip);
    SelectionLink link([&](editing::CElwView&) { return &sel; });
    QuietUi ui;
    FindEnvironment env;
    env.ui = &ui;
    env.selection = &link;
    FindCommands f(env);
    EXPECT_TRUE(f.Find(*ed.view, "foo", {}, true, false));
    ASSERT_TRUE(sel.active());
    EXPECT_EQ(sel.Block(), "foo");
    // Lines 2 to 3 selected: only they change, and the selection is given back.
    sel.Select(2, 0, 3, 3);
    EXPECT_EQ(f.ReplaceWith(*ed.view, "o", "0", {}, true), 4);
    EXPECT_EQ(Plain(ed), "foo\nf00\nf00\nfoo");
    ASSERT_TRUE(sel.active());
    EXPECT_EQ(sel.start().line, 2);
    EXPECT_EQ(sel.end().line, 3);
}

}  // namespace
}  // namespace norv::search
