// Whole lines replaced in one step: the same text and flags as deleting the lines and inserting
// the text, one undo record, other views kept on their text, long lines continued.
#include <gtest/gtest.h>

#include <random>

#include "edit_test_support.h"
#include "editing/selection.h"

namespace norv::editing {
namespace {

using document::LF_CHANGED;
using document::LF_CONTINUED;
using document::LF_EOL_CRLF;
using document::LF_EOL_LF;
using document::LF_FORMATTED;
using document::LF_MARK;
using document::LineRecord;
using document::UndoKind;
using testing::Editor;
using testing::Enc;
using C = CommandId;

// The lines first..first+count-1 deleted through the caret and the text inserted, as a
// command did it before lines could be spliced.
void DeleteAndInsert(CElwView& v, int first, int count, std::string_view text) {
    CommandScope scope(v);
    v.SetCaret(first, 0);
    size_t n = 0;
    LineRecord* r = RecordFrom(v.caretLine(), v.caretLineNumber(), first);
    for (int i = 0; i < count; ++i, r = r->next)
        n += i + 1 < count ? v.TextOf(r).size() : v.TextOf(r).end();
    v.DeleteForward(n, UndoKind::kDeleteSelection);
    v.InsertAtCaret(text, UndoKind::kInsertBlock);
}

void RandomFlags(Editor& ed, std::mt19937& rng) {
    for (LineRecord* r = ed.doc.lines().first(); r; r = r->next) {
        const auto x = static_cast<uint32_t>(rng());
        r->flags =
            static_cast<uint8_t>((x & 1 ? LF_MARK : 0) | (x & 2 ? LF_FORMATTED : 0) |
                                 (x & 4 ? LF_EOL_CRLF : LF_EOL_LF) | (x & 8 ? LF_CHANGED : 0));
    }
}

std::string RandomLines(std::mt19937& rng, int maxLines, bool japanese) {
    static const char* const kPieces[] = {"a", "b", " ", "\t", "x", "漢", "字", "、"};
    std::string s;
    const int lines = 1 + static_cast<int>(rng() % static_cast<uint32_t>(maxLines));
    for (int i = 0; i < lines; ++i) {
        if (i) s += '\n';
        const int len = static_cast<int>(rng() % 9);
        for (int k = 0; k < len; ++k) s += kPieces[rng() % (japanese ? 8 : 5)];
    }
    return s;
}

// The same random lines with the same random flags in two editors.
void LoadTwins(Editor& a, Editor& b, Enc enc, std::mt19937& rng) {
    const std::string start = RandomLines(rng, 8, enc != Enc::kAscii);
    a.Load(start);
    b.Load(start);
    const auto seed = static_cast<uint32_t>(rng());
    std::mt19937 fa(seed), fb(seed);
    RandomFlags(a, fa);
    RandomFlags(b, fb);
}

TEST(ReplaceLines, GivesTheTextAndFlagsOfDeletingAndInserting) {
    std::mt19937 rng(11);
    for (int round = 0; round < 300; ++round) {
        SCOPED_TRACE(round);
        const Enc enc = static_cast<Enc>(round % 3);
        Editor a(enc), b(enc);
        LoadTwins(a, b, enc, rng);
        const int lines = a.doc.lineCount();
        const int first = 1 + static_cast<int>(rng() % static_cast<uint32_t>(lines));
        const int count = 1 + static_cast<int>(rng() % static_cast<uint32_t>(lines - first + 1));
        const std::string text = testing::Encode(enc, RandomLines(rng, 5, enc != Enc::kAscii));
        const std::string original = a.Snapshot();
        a.view->SetCaret(first, 0);
        const uint64_t notices = a.doc.bookmarkNotices;
        {
            CommandScope scope(*a.view);
            a.view->ReplaceLines(first, count, text);
        }
        const uint64_t noticesB = b.doc.bookmarkNotices;
        DeleteAndInsert(*b.view, first, count, text);
        ASSERT_EQ(a.Snapshot(), b.Snapshot()) << "replaced " << first << "+" << count;
        EXPECT_EQ(a.view->caretLineNumber(), b.view->caretLineNumber());
        EXPECT_EQ(a.view->caretPos(), b.view->caretPos());
        EXPECT_EQ(a.doc.bookmarkNotices != notices, b.doc.bookmarkNotices != noticesB);
        a.CheckConsistent();
        ASSERT_FALSE(HasFatalFailure());
        if (b.undo.size() == 0) {
            // An empty line for an empty line: nothing was edited either way.
            EXPECT_EQ(a.undo.size(), 0u);
            EXPECT_FALSE(a.doc.modified);
            continue;
        }
        EXPECT_TRUE(a.doc.modified);
        ASSERT_FALSE(HasFatalFailure());
        // One record, undone to the old text and flags with the caret where it was.
        EXPECT_EQ(a.undo.size(), 1u);
        a.view->Execute(C::Undo);
        a.CheckConsistent();
        EXPECT_EQ(a.Snapshot(), original);
        EXPECT_FALSE(a.doc.modified);
        EXPECT_EQ(a.view->caretLineNumber(), first);
        EXPECT_EQ(a.view->caretPos(), 0u);
        a.view->Execute(C::Redo);
        b.view->Execute(C::Undo);
        b.view->Execute(C::Redo);
        a.CheckConsistent();
        EXPECT_EQ(a.Snapshot(), b.Snapshot());
    }
}

// Random replacements with long lines, undone to the start and redone, against a model of the
// logical lines.
TEST(ReplaceLines, RandomReplacementsUndoAndRedoAgainstAModel) {
    std::mt19937 rng(5);
    for (int round = 0; round < 16; ++round) {
        SCOPED_TRACE(round);
        const Enc enc = round % 2 ? Enc::kUtf8 : Enc::kSjis;
        Editor ed(enc, {}, {}, 0);
        std::vector<std::string> model;
        std::string start;
        for (int i = 0, n = 1 + static_cast<int>(rng() % 6); i < n; ++i) {
            model.push_back(testing::Encode(enc, RandomLines(rng, 1, true)));
            start += (i ? "\n" : "") + testing::Decode(enc, model.back());
        }
        ed.Load(start);
        RandomFlags(ed, rng);
        const std::string original = ed.Snapshot();
        std::vector<std::string> states{original};
        for (int step = 0; step < 8; ++step) {
            SCOPED_TRACE(step);
            // Whole logical lines: a chain of continued records goes together.
            const int lines = static_cast<int>(model.size());
            const int firstLine = static_cast<int>(rng() % static_cast<uint32_t>(lines));
            const int countLines =
                1 + static_cast<int>(rng() % static_cast<uint32_t>(lines - firstLine));
            int firstRecord = 1, records = 0, logical = 0;
            for (LineRecord* r = ed.doc.lines().first(); r; r = r->next) {
                if (logical < firstLine) ++firstRecord;
                if (logical >= firstLine && logical < firstLine + countLines) ++records;
                if (!(r->flags & LF_CONTINUED)) ++logical;
            }
            std::vector<std::string> made;
            std::string text;
            for (int i = 0, n = 1 + static_cast<int>(rng() % 4); i < n; ++i) {
                std::string line = testing::Encode(enc, RandomLines(rng, 1, true));
                if (rng() % 6 == 0) {
                    // Beyond a record: whole characters up to some 70000 bytes.
                    const std::string ch = testing::Encode(enc, "漢");
                    while (line.size() < 65000 + rng() % 10000) line += ch;
                }
                text += (i ? "\n" : "") + line;
                made.push_back(line);
            }
            ed.view->SetCaret(firstRecord, 0);
            {
                CommandScope scope(*ed.view);
                ed.view->ReplaceLines(firstRecord, records, text);
            }
            model.erase(model.begin() + firstLine, model.begin() + firstLine + countLines);
            model.insert(model.begin() + firstLine, made.begin(), made.end());
            ed.CheckConsistent();
            ASSERT_FALSE(HasFatalFailure());
            std::vector<std::string> got{""};
            for (LineRecord* r = ed.doc.lines().first(); r; r = r->next) {
                got.back().append(r->text(), r->contentLength());
                if (!(r->flags & LF_CONTINUED) && r->next) got.emplace_back();
            }
            ASSERT_EQ(got, model);
            states.push_back(ed.Snapshot());
        }
        for (size_t i = states.size() - 1; i > 0; --i) {
            ed.view->Execute(C::Undo);
            ed.CheckConsistent();
            ASSERT_EQ(ed.Snapshot(), states[i - 1]) << "undo to state " << i - 1;
        }
        EXPECT_FALSE(ed.doc.modified);
        for (size_t i = 1; i < states.size(); ++i) {
            ed.view->Execute(C::Redo);
            ed.CheckConsistent();
            ASSERT_EQ(ed.Snapshot(), states[i]) << "redo to state " << i;
        }
    }
}

TEST(ReplaceLines, AnotherViewStaysOnItsText) {
    Editor ed(Enc::kAscii);
    ed.Load("a\nb\nc\n|d\ne\nf");
    CElwView second(ed.doc, ed.undo, ed.shared);
    second.SetWindowSize(3, 20);
    second.SetCaret(5, 1);  // "e": after the lines replaced
    second.ScrollTo(4);
    CElwView third(ed.doc, ed.undo, ed.shared);
    third.SetCaret(3, 1);  // "c": inside them
    {
        CommandScope scope(*ed.view);
        ed.view->ReplaceLines(2, 3, "x\ny\nz\nw\nv");
    }
    ed.CheckView(second);
    ed.CheckView(third);
    EXPECT_EQ(second.caretLineNumber(), 7);
    EXPECT_EQ(second.LineContent(second.caretLine()), "e");
    EXPECT_EQ(second.caretPos(), 1u);
    EXPECT_EQ(second.topRow(), 6);
    EXPECT_EQ(third.caretLineNumber(), 2);
    EXPECT_EQ(third.caretPos(), 0u);
    ed.view->Execute(C::Undo);
    ed.CheckView(second);
    ed.CheckView(third);
    EXPECT_EQ(second.LineContent(second.caretLine()), "e");
    // The caret where it stood when the lines were replaced.
    EXPECT_EQ(ed.Marked(), "a\nb\nc\n|d\ne\nf");
}

TEST(ReplaceLines, TheWholeTextKeepsOneLineAtLeast) {
    Editor ed(Enc::kAscii);
    ed.Load("a\nb|\nc");
    ed.view->ReplaceWholeLines(1, 3, "");
    EXPECT_EQ(ed.Marked(), "|");
    ed.CheckConsistent();
    ed.view->ReplaceWholeLines(1, 1, "p\r\nq\n");
    EXPECT_EQ(ed.Marked(), "p\nq\n|");
    ed.view->Execute(C::Undo);
    EXPECT_EQ(ed.Marked(), "|");
    ed.view->Execute(C::Undo);
    // Undone to the start of the first line replaced.
    EXPECT_EQ(ed.Marked(), "|a\nb\nc");
    EXPECT_FALSE(ed.doc.modified);
}

TEST(ReplaceLines, CleansTheTextAsInsertingItWould) {
    Editor ed(Enc::kSjis);
    ed.Load("x");
    // A lead byte before a line end and at the end of the text becomes a space.
    ed.view->ReplaceWholeLines(1, 1, std::string("a\x82\nb\x82"));
    EXPECT_EQ(ed.Marked(), "a \nb |");
}

TEST(ReplaceLines, ReadOnlyDocumentsAreLeftAlone) {
    Editor ed(Enc::kAscii);
    ed.Load("a\n|b");
    ed.doc.readOnly = true;
    ed.view->ReplaceWholeLines(1, 2, "x");
    EXPECT_EQ(ed.Marked(), "a\n|b");
    EXPECT_EQ(ed.undo.size(), 0u);
}

TEST(ReplaceLines, AStepBeyondTheHistoryClearsItWithoutCopyingTheText) {
    Editor ed(Enc::kAscii, {}, {}, 1);  // one kilobyte of history
    ed.Load("|a\nb");
    ed.Run(std::string("z"));
    ASSERT_EQ(ed.undo.size(), 1u);
    ed.view->ReplaceWholeLines(1, 2, std::string(3000, 'q'));
    EXPECT_EQ(ed.undo.size(), 0u);
    EXPECT_TRUE(ed.doc.modified);
    ed.view->Execute(C::Undo);  // nothing to undo: the text stays
    EXPECT_EQ(ed.view->LineContent(ed.doc.lines().first()), std::string(3000, 'q'));
    ed.CheckConsistent();
}

TEST(ReplaceLines, MarksFollowTheLinesAndTheNoticeIsRaised) {
    Editor ed(Enc::kAscii);
    ed.Load("|a\nb\nc");
    ed.doc.lines().first()->next->flags |= LF_MARK;  // "b"
    const uint64_t notices = ed.doc.bookmarkNotices;
    ed.view->ReplaceWholeLines(2, 3, "x\ny");
    EXPECT_GT(ed.doc.bookmarkNotices, notices);
    LineRecord* x = ed.doc.lines().first()->next;
    EXPECT_TRUE(x->flags & LF_MARK);
    EXPECT_FALSE(x->next->flags & LF_MARK);
    ed.view->Execute(C::Undo);
    EXPECT_TRUE(ed.doc.lines().first()->next->flags & LF_MARK);
    EXPECT_FALSE(ed.doc.lines().last()->flags & LF_MARK);
}

// A line's text replaced in place against the edit it stands for (the text deleted from the
// line's start and the new text inserted there): the same text, flags, caret, rows and undo
// record, the same record (and so the same line handle), and a second view kept on its text.
TEST(ReplaceLineText, GivesWhatDeletingAndInsertingGivesAndKeepsTheRecord) {
    std::mt19937 rng(29);
    view::LayoutOptions narrow;
    narrow.wrapColumn = 6;
    for (int round = 0; round < 400; ++round) {
        SCOPED_TRACE(round);
        const Enc enc = static_cast<Enc>(round % 3);
        Editor a(enc, round % 2 ? narrow : view::LayoutOptions{}),
            b(enc, round % 2 ? narrow : view::LayoutOptions{});
        LoadTwins(a, b, enc, rng);
        const int lines = a.doc.lineCount();
        const int line = 1 + static_cast<int>(rng() % static_cast<uint32_t>(lines));
        const int other = 1 + static_cast<int>(rng() % static_cast<uint32_t>(lines));
        const view::LayoutOptions layout = round % 2 ? narrow : view::LayoutOptions{};
        CElwView second(a.doc, a.undo, a.shared, layout);
        second.SetCaret(other, 1);
        CElwView secondB(b.doc, b.undo, b.shared, layout);
        secondB.SetCaret(other, 1);
        a.view->SetCaret(1 + static_cast<int>(rng() % static_cast<uint32_t>(lines)), 0);
        const std::string text = testing::Encode(enc, RandomLines(rng, 1, enc != Enc::kAscii));
        LineRecord* record = RecordFrom(a.doc.lines().first(), 1, line);
        const uint32_t handle = a.doc.lineHandles.HandleOf(record);
        const std::string original = a.Snapshot();
        {
            CommandScope scope(*a.view);
            ASSERT_TRUE(a.view->ReplaceLineText(line, text, UndoKind::kConvert));
        }
        {
            CommandScope scope(*b.view);
            b.view->SetCaret(line, 0);
            b.view->ReplaceForward(b.view->LineContent(b.view->caretLine()).size(), text,
                                   UndoKind::kConvert);
        }
        ASSERT_EQ(a.Snapshot(), b.Snapshot());
        EXPECT_EQ(a.view->caretLineNumber(), b.view->caretLineNumber());
        EXPECT_EQ(a.view->caretPos(), b.view->caretPos());
        EXPECT_EQ(a.view->totalRows(), b.view->totalRows());
        EXPECT_EQ(a.doc.modified, b.doc.modified);
        EXPECT_EQ(a.doc.lineHandles.Find(handle), a.view->caretLine())
            << "the line keeps its handle";
        EXPECT_EQ(second.caretLineNumber(), secondB.caretLineNumber());
        EXPECT_EQ(second.caretPos(), secondB.caretPos());
        a.CheckConsistent();
        a.CheckView(second);
        ASSERT_EQ(a.undo.size(), b.undo.size());
        if (a.undo.size() == 0) continue;
        EXPECT_EQ(a.undo.at(0).text(), b.undo.at(0).text());
        EXPECT_EQ(a.undo.at(0).text2(), b.undo.at(0).text2());
        EXPECT_EQ(a.undo.at(0).flagsBefore(), b.undo.at(0).flagsBefore());
        EXPECT_EQ(a.undo.at(0).flagsAfter(), b.undo.at(0).flagsAfter());
        a.view->Execute(C::Undo);
        b.view->Execute(C::Undo);
        a.CheckConsistent();
        EXPECT_EQ(a.Snapshot(), original);
        EXPECT_EQ(a.view->caretLineNumber(), b.view->caretLineNumber());
        EXPECT_EQ(a.view->caretPos(), b.view->caretPos());
        a.view->Execute(C::Redo);
        b.view->Execute(C::Redo);
        EXPECT_EQ(a.Snapshot(), b.Snapshot());
    }
}

TEST(ReplaceLineText, DeclinesWhatOneRecordCannotTakeAndChangesNothing) {
    Editor ed(Enc::kAscii);
    ed.Load("ab\n|cd\nef");
    const std::string before = ed.Snapshot();
    EXPECT_FALSE(ed.view->ReplaceLineText(2, "x\ny", UndoKind::kConvert));
    EXPECT_FALSE(
        ed.view->ReplaceLineText(2, std::string(document::kMaxLineBytes, 'x'), UndoKind::kConvert));
    LineRecord* second = ed.view->caretLine();
    second->flags |= LF_CONTINUED;  // a line that goes on in the next record
    EXPECT_FALSE(ed.view->ReplaceLineText(2, "x", UndoKind::kConvert));
    EXPECT_FALSE(ed.view->ReplaceLineText(3, "x", UndoKind::kConvert));
    second->flags &= static_cast<uint8_t>(~LF_CONTINUED);
    EXPECT_EQ(ed.Snapshot(), before);
    EXPECT_EQ(ed.undo.size(), 0u);
    ed.doc.readOnly = true;
    EXPECT_FALSE(ed.view->ReplaceLineText(2, "x", UndoKind::kConvert));
    EXPECT_EQ(ed.Snapshot(), before);
}

}  // namespace
}  // namespace norv::editing
