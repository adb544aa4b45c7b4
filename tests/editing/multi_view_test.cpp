// Several views of one document. Whatever one view does to the text (typing, line commands,
// undo and redo), every other view must keep a caret on a line that exists, row totals equal to
// a fresh layout, a top row inside the text and a selection on the text it was on.
#include <gtest/gtest.h>

#include <random>

#include "edit_test_support.h"
#include "editing/selection.h"
#include "support/temp_dir.h"

namespace norv::editing {
namespace {

using document::LineEdit;
using document::TextShape;
using testing::Editor;
using testing::Enc;
using C = CommandId;

// ---- moving positions across one edit --------------------------------------------------------

TEST(LineEdit, PositionsFollowTheTextTheyWereOn) {
    // The edit at line 3, byte 4: "ab\ncd" removed (one break, tail 2), "xyz" inserted.
    LineEdit e;
    e.line = 3;
    e.column = 4;
    e.removed = TextShape::Of("ab\ncd");
    e.inserted = TextShape::Of("xyz");
    static const struct {
        int line;
        size_t pos;
        int wantLine;
        size_t wantPos;
    } kCases[] = {
        {2, 9, 2, 9},   // a line before the edit
        {3, 1, 3, 1},   // before the edit on its line
        {3, 4, 3, 4},   // at the edit: stays before the inserted text
        {3, 5, 3, 4},   // inside the removed text
        {4, 1, 3, 4},   // inside, on the removed line end's line
        {4, 2, 3, 7},   // just behind the removed text: behind the inserted one
        {4, 6, 3, 11},  // further along that line
        {5, 0, 4, 0},   // later lines move up by the removed break
        {9, 3, 8, 3},
    };
    for (const auto& c : kCases) {
        int line = c.line;
        size_t pos = c.pos;
        e.Map(line, pos);
        EXPECT_EQ(line, c.wantLine) << c.line << ":" << c.pos;
        EXPECT_EQ(pos, c.wantPos) << c.line << ":" << c.pos;
    }
    // Inserting line breaks moves later lines down and the rest of the line to the last new one.
    LineEdit ins;
    ins.line = 2;
    ins.column = 3;
    ins.inserted = TextShape::Of("p\nq\nrs");
    int line = 2;
    size_t pos = 5;
    ins.Map(line, pos);
    EXPECT_EQ(line, 4);
    EXPECT_EQ(pos, 4u);
    line = 7;
    pos = 1;
    ins.Map(line, pos);
    EXPECT_EQ(line, 9);
    EXPECT_EQ(pos, 1u);
}

// ---- examples --------------------------------------------------------------------------------

struct TwoViews {
    explicit TwoViews(std::string_view text, Enc enc = Enc::kAscii) : ed(enc) {
        ed.Load(text);
        second = std::make_unique<CElwView>(ed.doc, ed.undo, ed.shared, ed.layoutOptions,
                                            ed.editOptions);
        second->SetWindowSize(5, 80);
        second->onChanged = [this] { ++repaints; };
    }
    ~TwoViews() { second.reset(); }
    void Check() {
        ed.CheckConsistent();
        ed.CheckView(*second);
    }

    Editor ed;
    std::unique_ptr<CElwView> second;
    int repaints = 0;
};

TEST(MultiView, TypingBeforeTheOtherCaretOnItsLineMovesItAlong) {
    TwoViews t("one\n|two three\nfour");
    t.second->SetCaret(2, 4);  // before "three"
    t.ed.Run(std::string("ab"));
    t.ed.Run(C::SplitLine);
    EXPECT_EQ(t.second->caretLineNumber(), 3);
    EXPECT_EQ(t.ed.view->LineContent(t.second->caretLine()), "two three");
    EXPECT_EQ(t.second->caretPos(), 4u);
    EXPECT_GT(t.repaints, 0);
    t.Check();
}

TEST(MultiView, DeletedCaretLineGoesToTheNearestSurvivingLine) {
    TwoViews t("a\n|b\nc\nd\ne");
    t.second->SetCaret(3, 1);  // on "c"
    t.ed.Run(C::DeleteLine);   // deletes "b"
    t.ed.Run(C::DeleteLine);   // deletes "c", the other caret's line
    t.Check();
    EXPECT_EQ(t.second->caretLineNumber(), 2);
    EXPECT_EQ(t.ed.view->LineContent(t.second->caretLine()), "d");
    EXPECT_EQ(t.second->caretPos(), 0u);
    // Joining lines under the other caret: it stays in the joined line.
    t.second->SetCaret(3, 1);  // on "e"
    t.ed.view->SetCaret(2, 1);
    t.ed.Run(C::DeleteChar);  // joins "d" and "e"
    t.Check();
    EXPECT_EQ(t.second->caretLineNumber(), 2);
    EXPECT_EQ(t.second->caretPos(), 2u);
    t.ed.Run(C::Undo);
    t.ed.Run(C::Undo);
    t.ed.Run(C::Undo);
    t.Check();
    EXPECT_EQ(t.ed.Marked(), "a\n|b\nc\nd\ne");
}

TEST(MultiView, EditInTheOtherViewWritesTheFirstViewsLineBackFirst) {
    // The first view types on a line (kept in the line buffer); the second deletes that very
    // line. The typed text must go with the line onto the deleted-line stack, not into a record
    // that is no longer in the text.
    TwoViews t("x\n|y\nz");
    t.ed.Run(std::string("123"));
    t.second->SetCaret(2, 0);
    t.second->Execute(C::DeleteLine);
    t.Check();
    EXPECT_EQ(t.ed.Marked(), "x\n|z");
    t.second->Execute(C::PopLine);
    t.Check();
    EXPECT_EQ(t.ed.view->LineContent(t.second->caretLine()), "123y");
    // Undo through either view gives back the original text.
    while (t.ed.undo.CanUndo()) t.second->Execute(C::Undo);
    t.Check();
    EXPECT_EQ(t.ed.Marked(), "x\n|y\nz");
    EXPECT_FALSE(t.ed.doc.modified);
}

TEST(MultiView, LayoutChangesReachEveryViewAndTheTopRowStays) {
    TwoViews t("aaaaaaaaaa\nbbbbbbbbbb\ncccccccccc\n|dddd");
    t.second->SetCaret(4, 0);
    view::LayoutOptions narrow = t.ed.view->layout().options();
    narrow.wrapColumn = 4;
    t.ed.view->SetLayout(narrow);
    t.Check();
    EXPECT_EQ(t.second->layout().wrapColumn(), 4);
    EXPECT_EQ(t.second->totalRows(), 3 + 3 + 3 + 1);
    // The other view shows the third line; lines inserted above it keep it in place.
    t.second->ScrollTo(6);
    t.ed.view->SetCaret(1, 0);
    t.ed.Run(C::SplitLine);
    t.Check();
    EXPECT_EQ(t.second->topRow(), 7);
    EXPECT_EQ(t.second->VisibleRows().front().text, "cccc");
}

TEST(MultiView, SelectionOfTheOtherViewFollowsItsText) {
    TwoViews t("|head\nkeep this\ntail");
    ClipboardContext ctx;
    Selection sel(*t.second, ctx);
    sel.Select(2, 0, 2, 4);  // "keep"
    t.ed.Run(std::string("new\n"));
    t.ed.Run(std::string("more\n"));
    ASSERT_TRUE(sel.active());
    EXPECT_EQ(sel.start().line, 4);
    EXPECT_EQ(sel.end().line, 4);
    EXPECT_EQ(sel.Block(), "keep");
    t.ed.view->SetCaret(4, 0);
    t.ed.Run(C::DeleteLine);  // the selected line goes: the selection shrinks to nothing
    sel.Normalize();
    EXPECT_FALSE(sel.active());
}

TEST(MultiView, SavingWithoutTrailingBlanksLaysOutEveryViewAgain) {
    norv::testing::TempDir dir;
    view::LayoutOptions narrow;
    narrow.wrapColumn = 4;
    Editor ed(Enc::kAscii, narrow);
    ed.Load("abc     \n|xy  \nz");
    CElwView second(ed.doc, ed.undo, ed.shared, ed.layoutOptions, ed.editOptions);
    second.SetWindowSize(5, 80);
    second.SetCaret(1, 7);  // in the blanks that the save removes
    ASSERT_EQ(second.totalRows(), 2 + 1 + 1);
    ed.env.save.delSpace = true;
    ed.env.save.trashOutGen = 0;
    ed.view->Sync();
    ASSERT_EQ(ed.doc.SaveDocument(dir.File("t.txt")), 1);
    EXPECT_EQ(norv::testing::ReadFileBytes(dir.File("t.txt")), "abc\r\nxy\r\nz");
    ed.CheckConsistent();
    ed.CheckView(second);
    EXPECT_EQ(second.totalRows(), 3);
    EXPECT_EQ(second.caretLineNumber(), 1);
    EXPECT_EQ(second.caretPos(), 3u);
}

// ---- random edits through several views --------------------------------------------------------

class Random {
  public:
    explicit Random(uint32_t seed) : rng_(seed) {}
    int Int(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
    bool Chance(int percent) { return Int(0, 99) < percent; }
    std::string Piece(int maxChars) {
        static const char* const kPieces[] = {"a", "b",  " ",  "\t", ",",  ".",  "(", "}",
                                              ":", "ひ", "カ", "漢", "　", "。", "ｱ", "1"};
        std::string s;
        int n = Int(0, maxChars);
        for (int i = 0; i < n; ++i) s += kPieces[Int(0, static_cast<int>(std::size(kPieces)) - 1)];
        return s;
    }

  private:
    std::mt19937 rng_;
};

constexpr CommandId kCommands[] = {
    C::CsrUp,     C::CsrDown,    C::CsrLeft,     C::CsrRight,     C::WordRight,  C::EndLine,
    C::BackSpace, C::DeleteChar, C::DeleteAfter, C::DeleteTop,    C::WordBS,     C::WordDel,
    C::SplitLine, C::InsertAft,  C::InsertBef,   C::DupLine,      C::DeleteLine, C::PopLine,
    C::Repeat,    C::RepeatOne,  C::ChangeCase,  C::PageUp,       C::PageDown,   C::TextTop,
    C::TextBot,   C::NormalRlUp, C::AnothRollUp, C::BothRollDown,
};

void RunViews(uint32_t seed) {
    Random m(seed);
    const Enc enc = static_cast<Enc>(m.Int(0, 2));
    view::LayoutOptions lo;
    lo.wrapColumn = m.Chance(60) ? m.Int(2, 12) : 80;
    lo.tabWidth = m.Int(1, 8);
    EditOptions eo;
    eo.autoSplit = m.Chance(30);
    eo.freeCursor = m.Chance(30);
    Editor ed(enc, lo, eo);
    std::string text;
    for (int i = m.Int(1, 8); i > 0; --i) text += m.Piece(14) + (i > 1 ? "\n" : "");
    if (enc == Enc::kAscii)
        for (char& c : text)
            if (static_cast<uint8_t>(c) >= 0x80) c = 'k';
    ed.Load(text);
    ed.shared.insertMode = true;
    const std::string original = ed.Snapshot();

    ClipboardContext ctx;
    const int count = m.Int(2, 3);
    std::vector<std::unique_ptr<CElwView>> views(static_cast<size_t>(count));
    std::vector<std::unique_ptr<Selection>> selections(static_cast<size_t>(count));
    auto make = [&](size_t k) {
        selections[k].reset();
        views[k] =
            std::make_unique<CElwView>(ed.doc, ed.undo, ed.shared, ed.view->layout().options(), eo);
        views[k]->SetWindowSize(m.Int(1, 6), 20);
        views[k]->SetCaret(m.Int(1, ed.doc.lines().count()), static_cast<size_t>(m.Int(0, 20)));
        selections[k] = std::make_unique<Selection>(*views[k], ctx);
    };
    for (size_t k = 1; k < views.size(); ++k) make(k);
    ed.view->SetOtherView(views[1].get());
    views[1]->SetOtherView(ed.view.get());
    auto viewAt = [&](int k) {
        return k == 0 ? ed.view.get() : views[static_cast<size_t>(k)].get();
    };

    const int steps = m.Int(10, 60);
    for (int i = 0; i < steps; ++i) {
        const int k = m.Int(0, count - 1);
        CElwView& v = *viewAt(k);
        const int what = m.Int(0, 99);
        std::string trace = "view " + std::to_string(k) + ": ";
        if (what < 30) {
            std::string piece = m.Piece(3);
            trace += "type " + piece;
            for (char c : testing::Encode(enc, piece)) v.TypeByte(static_cast<uint8_t>(c));
        } else if (what < 35) {
            trace += "insert text";
            v.InsertText(testing::Encode(enc, m.Piece(4) + "\n" + m.Piece(4)));
        } else if (what < 42) {
            trace += "undo";
            v.Execute(C::Undo);
        } else if (what < 46) {
            trace += "redo";
            v.Execute(C::Redo);
        } else if (what < 50) {
            trace += "caret";
            v.SetCaret(m.Int(1, ed.doc.lines().count()), static_cast<size_t>(m.Int(0, 20)));
        } else if (what < 53 && k > 0) {
            const int l = m.Int(1, ed.doc.lines().count());
            trace += "select";
            selections[static_cast<size_t>(k)]->Select(l, 0,
                                                       std::min(l + 1, ed.doc.lines().count()), 1);
        } else if (what < 55 && k > 1) {
            trace += "new view";
            make(static_cast<size_t>(k));
        } else if (what < 57) {
            view::LayoutOptions o = v.layout().options();
            o.wrapColumn = m.Int(2, 20);
            trace += "wrap at " + std::to_string(o.wrapColumn);
            v.SetLayout(o);
        } else {
            CommandId id = kCommands[m.Int(0, static_cast<int>(std::size(kCommands)) - 1)];
            trace += std::string(ViewCommandName(id));
            v.Execute(id);
        }
        SCOPED_TRACE("seed " + std::to_string(seed) + " step " + std::to_string(i) + " " + trace);
        for (int j = 0; j < count; ++j) {
            ed.CheckView(*viewAt(j));
            if (::testing::Test::HasFatalFailure()) return;
            if (j > 0 && selections[static_cast<size_t>(j)]->active()) {
                const SelectionEnd& a = selections[static_cast<size_t>(j)]->start();
                const SelectionEnd& b = selections[static_cast<size_t>(j)]->end();
                ASSERT_GE(a.line, 1);
                ASSERT_LE(a.line, ed.doc.lines().count());
                ASSERT_GE(b.line, 1);
                ASSERT_LE(b.line, ed.doc.lines().count());
            }
        }
    }
    ed.shared.pendingChar.clear();
    SCOPED_TRACE("seed " + std::to_string(seed));
    int guard = 0;
    while (ed.undo.CanUndo() && guard++ < 10000) {
        viewAt(m.Int(0, count - 1))->Execute(C::Undo);
        for (int j = 0; j < count; ++j) {
            ed.CheckView(*viewAt(j));
            if (::testing::Test::HasFatalFailure()) return;
        }
    }
    ASSERT_EQ(ed.Snapshot(), original) << ed.undo.Dump();
    EXPECT_FALSE(ed.doc.modified);
    selections.clear();
    views.clear();
}

TEST(MultiView, RandomEditsInSeveralViewsKeepEveryViewConsistent) {
    for (uint32_t seed = 1; seed <= 600; ++seed) {
        RunViews(seed);
        if (::testing::Test::HasFatalFailure()) return;
    }
}

}  // namespace
}  // namespace norv::editing
