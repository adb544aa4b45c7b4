// Commands under the options that change them: automatic splitting, the free cursor, C files,
// wrapped lines, and the scroll commands in a small window.
#include <gtest/gtest.h>

#include "edit_test_support.h"

namespace norv::editing {
namespace {

using testing::Editor;
using testing::Enc;
using testing::Step;
using C = CommandId;

struct OptionCase {
    const char* name;
    Enc enc;
    int wrap;
    EditOptions options;
    const char* before;
    std::vector<Step> steps;
    const char* after;
};

EditOptions AutoSplit() {
    EditOptions o;
    o.autoSplit = true;
    return o;
}
EditOptions Free(bool byTab) {
    EditOptions o;
    o.freeCursor = true;
    o.fillByTab = byTab;
    return o;
}
EditOptions CFile() {
    EditOptions o;
    o.cFile = true;
    return o;
}

TEST(EditOptions, CommandsFollowTheOptions) {
    static const OptionCase kCases[] = {
        {"a word typed past the wrap column moves to a new line",
         Enc::kAscii,
         10,
         AutoSplit(),
         "aaaa bbbbb|",
         {std::string("b")},
         "aaaa\nbbbbbb|"},
        {"a space typed at the wrap column splits and is dropped",
         Enc::kAscii,
         10,
         AutoSplit(),
         "aaaaaaaaaa|",
         {std::string(" x")},
         "aaaaaaaaaa\nx|"},
        {"an opening bracket near the column starts the next line",
         Enc::kAscii,
         10,
         AutoSplit(),
         "aaaa aaa|",
         {std::string("(")},
         "aaaa aaa\n(|"},
        {"a double-byte character at the last column goes down",
         Enc::kSjis,
         10,
         AutoSplit(),
         "漢漢漢漢漢|",
         {std::string("字")},
         "漢漢漢漢漢\n字|"},
        {"the new line keeps the indentation",
         Enc::kAscii,
         16,
         AutoSplit(),
         "  aaaaaaa bbbbbb|",
         {std::string("b")},
         "  aaaaaaa\n  bbbbbbb|"},
        {"bullet text is indented under its text",
         Enc::kAscii,
         16,
         AutoSplit(),
         "* aaaaaaa bbbbbb|",
         {std::string("b")},
         "* aaaaaaa\n  bbbbbbb|"},
        {"no splitting in a C file",
         Enc::kAscii,
         10,
         [] {
             EditOptions o = AutoSplit();
             o.cFile = true;
             return o;
         }(),
         "aaaa bbbbb|",
         {std::string("b")},
         "aaaa bbbbbb|"},
        {"typing beyond the line end fills with spaces",
         Enc::kAscii,
         80,
         Free(false),
         "ab\nabcdefghij|",
         {C::CsrUp, std::string("x")},
         "ab        x|\nabcdefghij"},
        {"fill by tab",
         Enc::kAscii,
         80,
         Free(true),
         "ab\nabcdefghij|",
         {C::CsrUp, std::string("x")},
         "ab\t  x|\nabcdefghij"},
        {"right moves into the free area",
         Enc::kAscii,
         80,
         Free(false),
         "ab|",
         {C::CsrRight, C::CsrRight, C::CsrLeft, std::string("x")},
         "ab x|"},
        {"without the free cursor typing goes to the line end",
         Enc::kAscii,
         80,
         EditOptions{},
         "ab\nabcdefghij|",
         {C::CsrUp, std::string("x")},
         "abx|\nabcdefghij"},
        {"a closing brace takes the indentation of its opening line",
         Enc::kAscii,
         80,
         CFile(),
         "  if (x) {\n      y;\n      |",
         {std::string("}")},
         "  if (x) {\n      y;\n  }|"},
        {"split after an opening brace indents one more level",
         Enc::kAscii,
         80,
         CFile(),
         "  f() {|",
         {C::SplitLine},
         "  f() {\n  \t|"},
        {"but not after switch",
         Enc::kAscii,
         80,
         CFile(),
         "  switch (x) {|",
         {C::SplitLine},
         "  switch (x) {\n  |"},
        {"flip case never touches a trail byte",
         Enc::kSjis,
         80,
         EditOptions{},
         "|aア",
         {C::ChangeCase},
         "A|ア"},
        {"flip one on a trail-byte letter only moves",
         Enc::kSjis,
         80,
         EditOptions{},
         "|アa",
         {C::ChgCaseOne, C::ChgCaseOne},
         "アA|"},
        {"word right treats a lead byte before the line end as one byte",
         Enc::kAscii,
         80,
         EditOptions{},
         "|ab \x82\ncd",
         {C::WordRight, C::WordRight},
         "ab \x82|\ncd"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        view::LayoutOptions lo;
        lo.wrapColumn = c.wrap;
        Editor ed(c.enc, lo, c.options);
        ed.Load(c.before);
        std::string original = ed.Snapshot();
        for (const Step& s : c.steps) ed.Run(s);
        EXPECT_EQ(ed.Marked(), c.after);
        ed.CheckConsistent();
        while (ed.undo.CanUndo()) ed.view->Execute(C::Undo);
        EXPECT_EQ(ed.Snapshot(), original);
    }
}

// The mark is on the line whose line end the split made: reflowing joins that line with the
// next, and the line after keeps the line end it had (here none).
TEST(EditOptions, AutoSplitMarksTheLineEndItMade) {
    view::LayoutOptions lo;
    lo.wrapColumn = 10;
    Editor ed(Enc::kAscii, lo, AutoSplit());
    ed.Load("aaaa bbbbb|");
    ed.view->TypeByte('b');
    ed.view->Sync();
    EXPECT_TRUE(ed.doc.lines().LineAt(1)->flags & document::LF_FORMATTED);
    EXPECT_FALSE(ed.doc.lines().LineAt(2)->flags & document::LF_FORMATTED);
}

TEST(WrappedLines, CaretMovesByDisplayRow) {
    view::LayoutOptions lo;
    lo.wrapColumn = 4;
    lo.noWordWrap = true;
    Editor ed(Enc::kAscii, lo);
    ed.Load("abcdefghij\nxy");
    EXPECT_EQ(ed.view->totalRows(), 4);
    ed.view->SetCaret(1, 1);
    ed.view->Execute(C::CsrDown);
    EXPECT_EQ(ed.Marked(), "abcde|fghij\nxy");
    ed.view->Execute(C::RightSide);
    EXPECT_EQ(ed.Marked(), "abcdefg|hij\nxy");
    ed.view->Execute(C::LeftSide);
    EXPECT_EQ(ed.Marked(), "abcd|efghij\nxy");
    ed.view->Execute(C::CsrDown);
    ed.view->Execute(C::CsrDown);
    EXPECT_EQ(ed.Marked(), "abcdefghij\n|xy");
    EXPECT_EQ(ed.view->caretRow(), 3);
    // Typing on a wrapped line keeps the total.
    ed.view->SetCaret(1, 0);
    for (int i = 0; i < 5; ++i) ed.view->TypeByte('z');
    EXPECT_EQ(ed.view->totalRows(), 5);
    ed.CheckConsistent();
}

TEST(Scrolling, TheTextMovesByRowsAndStopsAtItsEnds) {
    Editor ed(Enc::kAscii);
    std::string text;
    for (int i = 1; i <= 20; ++i) text += "line" + std::to_string(i) + (i < 20 ? "\n" : "");
    ed.Load(text);
    ed.view->SetWindowSize(5, 40);
    ed.view->SetCaret(1, 2);
    static const struct {
        CommandId id;
        int64_t top;
        int caretLine;
    } kSteps[] = {
        {C::PageUp, 4, 5},  // text up by rows - 1, the caret keeps its screen row
        {C::PageDown, 0, 1},
        {C::NormalRlDn, 0, 1},  // at the top of the text: nothing to scroll, nowhere to go
        {C::HalfPageUp, 2, 3},
        {C::NormalRlUp, 3, 4},
        {C::RollUp, 4, 5},  // the caret was in the first row: it goes on with the text
        {C::RollUp, 5, 6},
        {C::RollDown, 4, 6},  // the caret keeps its line
        {C::MakeTop, 5, 6},
        {C::MakeBot, 1, 6},
        {C::TextBot, 15, 20},
        {C::PageUp, 19, 20},  // the text stops with its last row at the top
        {C::PageUp, 19, 20},
        {C::TextTop, 0, 1},
    };
    for (const auto& s : kSteps) {
        SCOPED_TRACE(std::string(ViewCommandName(s.id)));
        ed.view->Execute(s.id);
        EXPECT_EQ(ed.view->topRow(), s.top);
        EXPECT_EQ(ed.view->caretLineNumber(), s.caretLine);
        ed.CheckConsistent();
    }
    std::vector<CElwView::Row> rows = ed.view->VisibleRows();
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[0].text, "line1");
    EXPECT_EQ(rows[4].lineNumber, 5);
}

TEST(Scrolling, HorizontalScrollStopsAtItsLimits) {
    view::LayoutOptions lo;
    lo.wrapColumn = 12;
    Editor ed(Enc::kAscii, lo);
    ed.Load("|abc");
    ed.view->SetWindowSize(5, 10);
    ed.view->Execute(C::RollLeft);
    EXPECT_EQ(ed.view->leftColumn(), 0);
    for (int i = 0; i < 5; ++i) ed.view->Execute(C::RollRight);
    EXPECT_EQ(ed.view->leftColumn(), 3);
}

TEST(CommandTable, NamesAndIdentifiersAreUniqueAndRoundTrip) {
    EXPECT_EQ(kViewCommands.size(), 105u);
    for (size_t i = 0; i < kViewCommands.size(); ++i) {
        const ViewCommand& c = kViewCommands[i];
        EXPECT_EQ(ViewCommandByName(c.name), c.id) << c.name;
        EXPECT_EQ(ViewCommandName(c.id), c.name);
        for (size_t j = i + 1; j < kViewCommands.size(); ++j) {
            EXPECT_NE(c.id, kViewCommands[j].id) << c.name;
            EXPECT_NE(c.name, kViewCommands[j].name);
        }
    }
    EXPECT_FALSE(ViewCommandByName("csrup").has_value());
}

}  // namespace
}  // namespace norv::editing
