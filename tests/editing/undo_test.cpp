// Undo and redo: groups, the size limit, the save point, and the line flags edits leave.
#include <gtest/gtest.h>

#include "edit_test_support.h"

namespace norv::editing {
namespace {

using document::LF_CHANGED;
using document::LF_EOL_CRLF;
using document::LF_EOL_LF;
using document::LF_FORMATTED;
using document::LF_MARK;
using testing::Editor;
using testing::Enc;
using C = CommandId;

uint8_t Flags(Editor& ed, int line) {
    ed.view->Sync();
    return ed.doc.lines().LineAt(line)->flags;
}

TEST(Undo, TypingThenUndoLeavesTheDocumentUnmodified) {
    Editor ed(Enc::kAscii);
    ed.Load("a|b\ncd");
    ed.view->TypeByte('x');
    EXPECT_TRUE(ed.doc.modified);
    EXPECT_TRUE(Flags(ed, 1) & LF_CHANGED);
    ed.view->Execute(C::Undo);
    EXPECT_FALSE(ed.doc.modified);
    EXPECT_FALSE(Flags(ed, 1) & LF_CHANGED);
    ed.view->Execute(C::Redo);
    EXPECT_TRUE(ed.doc.modified);
    EXPECT_TRUE(Flags(ed, 1) & LF_CHANGED);
}

TEST(Undo, ANewEditDiscardsTheRedoBranch) {
    Editor ed(Enc::kAscii);
    ed.Load("|");
    ed.view->TypeByte('a');
    ed.view->TypeByte('b');
    ed.view->Execute(C::Undo);
    EXPECT_TRUE(ed.undo.CanRedo());
    ed.view->TypeByte('c');
    EXPECT_FALSE(ed.undo.CanRedo());
    EXPECT_EQ(ed.undo.size(), 2u);
    EXPECT_EQ(ed.Marked(), "ac|");
}

TEST(Undo, HistoryBeyondTheLimitIsTruncatedAndStaysModified) {
    Editor ed(Enc::kAscii, {}, {}, 1);
    ed.Load("|");
    for (int i = 0; i < 6; ++i) ed.view->InsertText(std::string(400, static_cast<char>('a' + i)));
    // The limit is in whole kilobytes: the history keeps less than 2 KB for a limit of 1.
    EXPECT_TRUE(ed.undo.truncated());
    EXPECT_EQ(ed.undo.totalBytes() / 1024, 1u);
    while (ed.undo.CanUndo()) ed.view->Execute(C::Undo);
    EXPECT_NE(ed.Marked(), "|");
    EXPECT_TRUE(ed.doc.modified);
}

TEST(Undo, AStepLargerThanTheLimitClearsTheHistory) {
    Editor ed(Enc::kAscii, {}, {}, 1);
    ed.Load("|" + std::string(3000, 'x'));
    ed.view->TypeByte('a');
    ed.view->Execute(C::DeleteAfter);
    EXPECT_FALSE(ed.undo.CanUndo());
    EXPECT_TRUE(ed.doc.modified);
    // Former fault: clearing forgot that the text had left the saved state, so undoing the next
    // edit claimed the document was unmodified.
    ed.view->TypeByte('b');
    ed.view->Execute(C::Undo);
    EXPECT_EQ(ed.Marked(), "a|");
    EXPECT_TRUE(ed.doc.modified);
}

TEST(Undo, TheSavePointDecidesModified) {
    // With UndoReset off the history reaches back before the save.
    EditOptions eo;
    eo.undoReset = false;
    Editor ed(Enc::kAscii, {}, eo);
    ed.Load("|\nz");
    ed.view->TypeByte('a');
    ed.view->OnSaved();
    EXPECT_FALSE(Flags(ed, 1) & LF_CHANGED);
    ed.view->TypeByte('b');
    ed.view->Execute(C::Undo);
    EXPECT_FALSE(ed.doc.modified);
    EXPECT_FALSE(Flags(ed, 1) & LF_CHANGED);
    // Former fault: reaching the start of the history marked the document unmodified although
    // its text no longer matched the file.
    ed.view->Execute(C::Undo);
    EXPECT_EQ(ed.Marked(), "|\nz");
    EXPECT_TRUE(ed.doc.modified);
    EXPECT_TRUE(Flags(ed, 1) & LF_CHANGED);
    ed.view->Execute(C::Redo);
    EXPECT_FALSE(ed.doc.modified);
    EXPECT_FALSE(Flags(ed, 1) & LF_CHANGED);
}

TEST(Undo, UndoResetClearsTheHistoryAfterASave) {
    Editor ed(Enc::kAscii);
    ed.Load("|");
    ed.view->TypeByte('a');
    ed.view->OnSaved();
    EXPECT_FALSE(ed.undo.CanUndo());
    ed.view->TypeByte('b');
    ed.view->Execute(C::Undo);
    EXPECT_FALSE(ed.doc.modified);
    EXPECT_EQ(ed.Marked(), "a|");
}

TEST(Undo, ASavePointInADiscardedRedoBranchIsGone) {
    EditOptions eo;
    eo.undoReset = false;
    Editor ed(Enc::kAscii, {}, eo);
    ed.Load("|");
    ed.view->TypeByte('a');
    ed.view->OnSaved();
    ed.view->Execute(C::Undo);
    ed.view->TypeByte('c');  // the saved text "a" can no longer be reached
    ed.view->Execute(C::Undo);
    EXPECT_EQ(ed.Marked(), "|");
    EXPECT_TRUE(ed.doc.modified);
}

TEST(Undo, SuspendedEditsLeaveTheSavePoint) {
    Editor ed(Enc::kAscii);
    ed.Load("|");
    ed.undo.Suspend(true);
    ed.view->TypeByte('a');
    ed.undo.Suspend(false);
    ed.view->TypeByte('b');
    ed.view->Execute(C::Undo);
    EXPECT_TRUE(ed.doc.modified);
}

TEST(Undo, StepDoUndoesAndRedoesSeveralSteps) {
    Editor ed(Enc::kAscii);
    ed.Load("|");
    for (char c : std::string("abcd")) ed.view->TypeByte(static_cast<uint8_t>(c));
    StepDoRequest seen;
    ed.shared.stepDoDialog = [&](StepDoRequest& r) {
        seen = r;
        r.steps = 3;
        r.redo = false;
        return true;
    };
    ed.view->Execute(C::StepDo);
    EXPECT_TRUE(seen.canUndo);
    EXPECT_FALSE(seen.canRedo);
    EXPECT_EQ(ed.Marked(), "a|");
    ed.shared.stepDoDialog = [&](StepDoRequest& r) {
        EXPECT_EQ(r.steps, 3);  // remembered
        r.steps = 2;
        r.redo = true;
        return true;
    };
    ed.view->Execute(C::StepDo);
    EXPECT_EQ(ed.Marked(), "abc|");
}

TEST(LineFlags, JoinsSplitsAndWholeLines) {
    Editor ed(Enc::kAscii);
    ed.Load("ab|\ncd\nef");
    ed.doc.lines().LineAt(1)->flags = LF_MARK | LF_EOL_CRLF;
    ed.doc.lines().LineAt(2)->flags = LF_FORMATTED | LF_EOL_LF;
    // A join takes the line end of the joined line and loses the formatted mark.
    ed.view->Execute(C::DeleteChar);
    EXPECT_EQ(Flags(ed, 1), LF_MARK | LF_EOL_LF | LF_CHANGED);
    ed.view->Execute(C::Undo);
    EXPECT_EQ(Flags(ed, 1), LF_MARK | LF_EOL_CRLF);
    EXPECT_EQ(Flags(ed, 2), LF_FORMATTED | LF_EOL_LF);

    // Duplicate: the copy above has no flags of its own, the original keeps them.
    ed.view->SetCaret(1, 1);
    ed.view->Execute(C::DupLine);
    EXPECT_EQ(ed.Marked(), "|ab\nab\ncd\nef");
    EXPECT_EQ(Flags(ed, 1), LF_CHANGED);
    EXPECT_EQ(Flags(ed, 2), LF_MARK | LF_EOL_CRLF);
    ed.view->Execute(C::Undo);

    // DeleteLine pushes the line without flags; PopLine brings it back with the changed mark.
    ed.view->SetCaret(1, 0);
    ed.view->Execute(C::DeleteLine);
    EXPECT_EQ(ed.shared.stack.Peek()->flags, 0);
    EXPECT_EQ(Flags(ed, 1), LF_FORMATTED | LF_EOL_LF);
    ed.view->Execute(C::PopLine);
    EXPECT_EQ(ed.Marked(), "|ab\ncd\nef");
    EXPECT_EQ(Flags(ed, 1), LF_CHANGED);
    EXPECT_EQ(Flags(ed, 2), LF_FORMATTED | LF_EOL_LF);
    ed.view->Execute(C::Undo);
    ed.view->Execute(C::Undo);
    EXPECT_EQ(Flags(ed, 1), LF_MARK | LF_EOL_CRLF);
    EXPECT_FALSE(ed.doc.modified);
}

TEST(LineFlags, BackSpaceOverAnAutomaticSplitTakesTheSwallowedSpace) {
    Editor ed(Enc::kAscii);
    ed.Load("abc \n|def");
    // The split made line 1's line end.
    ed.doc.lines().LineAt(1)->flags = LF_FORMATTED;
    bool pending = true;
    ed.shared.backSpacePending = [&] { return pending; };
    ed.view->Execute(C::BackSpace);
    EXPECT_EQ(ed.Marked(), "abc|def");
    EXPECT_FALSE(Flags(ed, 1) & LF_FORMATTED);
    ed.view->Execute(C::Undo);
    EXPECT_EQ(ed.Marked(), "abc \n|def");
}

TEST(LineStack, KeepsTheLast128LinesAndConvertsBetweenEncodings) {
    Editor ed(Enc::kAscii);
    std::string text;
    for (int i = 1; i <= 130; ++i) text += "l" + std::to_string(i) + "\n";
    ed.Load("|" + text);
    for (int i = 0; i < 129; ++i) ed.view->Execute(C::DeleteLine);
    EXPECT_EQ(ed.Marked(), "|l130\n");
    int popped = 0;
    for (int i = 0; i < 129; ++i) {
        int before = ed.doc.lines().count();
        ed.view->Execute(C::PopLine);
        popped += ed.doc.lines().count() - before;
    }
    EXPECT_EQ(popped, 128);
    std::string marked = ed.Marked();
    EXPECT_EQ(marked.substr(0, 4), "|l2\n");  // l1 was pushed out by the 129th deletion

    // A line deleted in a Shift-JIS document comes back as UTF-8 in a UTF-8 document.
    Editor sjis(Enc::kSjis);
    sjis.Load("漢字|\nx");
    sjis.view->Execute(C::DeleteLine);
    document::CElwDoc utf8(sjis.env);
    utf8.NewDocument();
    utf8.code = document::TextCode::kUtf8;
    document::UndoList history;
    {
        CElwView other(utf8, history, sjis.shared);
        other.Execute(C::PopLine);
        other.Sync();
        EXPECT_EQ(std::string(utf8.lines().first()->text(), utf8.lines().first()->contentLength()),
                  "漢字");
    }
    utf8.lines().FreeAllLines();
}

TEST(LongLines, JoinsThatWouldOverflowALineDoNothing) {
    Editor ed(Enc::kAscii);
    std::string a(40000, 'a'), b(40000, 'b');
    ed.Load(a + "|\n" + b);
    ed.view->Execute(C::DeleteChar);
    ed.view->Execute(C::WordDel);
    ed.view->Execute(C::CsrRight);
    ed.view->Execute(C::BackSpace);
    EXPECT_EQ(ed.doc.lines().count(), 2);
    EXPECT_FALSE(ed.undo.CanUndo());
    EXPECT_FALSE(ed.doc.modified);
    ed.CheckConsistent();
}

TEST(LongLines, APoppedLineThatGrowsInConversionContinuesOnANewLine) {
    // 30000 kanji: 60000 bytes of Shift-JIS, 90000 bytes of UTF-8.
    Editor sjis(Enc::kSjis);
    std::string kanji;
    for (int i = 0; i < 30000; ++i) kanji += "漢";
    sjis.Load("|" + kanji + "\nx");
    sjis.view->Execute(C::DeleteLine);
    document::CElwDoc utf8(sjis.env);
    utf8.NewDocument();
    utf8.code = document::TextCode::kUtf8;
    document::UndoList history;
    {
        CElwView other(utf8, history, sjis.shared);
        other.Execute(C::PopLine);
        other.Sync();
        std::string all;
        for (const document::LineRecord* r = utf8.lines().first(); r; r = r->next) {
            EXPECT_LE(r->length, document::kMaxLineBytes);
            all.append(r->text(), r->contentLength());
        }
        EXPECT_EQ(all, kanji);
        EXPECT_EQ(utf8.lines().count(), 3);
        other.Execute(C::Undo);
        other.Sync();
        EXPECT_EQ(utf8.lines().count(), 1);
        EXPECT_FALSE(utf8.modified);
    }
    utf8.lines().FreeAllLines();
}

TEST(TwoViews, ARecordMovedByOneViewIsFollowedByTheOther) {
    Editor ed(Enc::kAscii);
    ed.Load("|ab\ncd");
    CElwView second(ed.doc, ed.undo, ed.shared);
    second.SetCaret(1, 1);
    // Growing the line past its cell moves the record when it is written back.
    ed.view->InsertText(std::string(500, 'x'));
    ed.view->Execute(C::CsrDown);
    EXPECT_EQ(second.caretLine(), ed.doc.lines().first());
    second.Execute(C::EndLine);
    EXPECT_EQ(second.caretPos(), 502u);
}

class FixedStream : public SelectionHooks {
  public:
    bool HasSelection(const CElwView&) const override { return true; }
    bool IsBox(const CElwView&) const override { return false; }
    void DeleteSelection(CElwView&) override {}
    bool StreamRange(const CElwView&, document::UndoPosition* f,
                     document::UndoPosition* t) const override {
        *f = from;
        *t = to;
        return true;
    }
    document::UndoPosition from, to;
};

TEST(Undo, FlippingTheCaseOfASelectionIsOneStep) {
    Editor ed(Enc::kSjis);
    ed.Load("x|ab\nアcD");
    FixedStream sel;
    sel.from = {1, 1};
    sel.to = {2, 4};
    ed.view->SetSelectionHooks(&sel);
    ed.view->Execute(C::ChangeCase);
    ed.view->SetSelectionHooks(nullptr);
    // The trail byte of the katakana looks like "A" and stays.
    EXPECT_EQ(ed.Marked(), "xAB\nアCd|");
    ed.view->Execute(C::Undo);
    EXPECT_EQ(ed.Marked(), "x|ab\nアcD");
    ed.view->Execute(C::Redo);
    EXPECT_EQ(ed.Marked(), "xAB\nアCd|");
}

}  // namespace
}  // namespace norv::editing
