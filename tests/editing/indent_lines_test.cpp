// Indent over many lines: the text and flags of indenting line by line, one compact undo
// record, continued records left alone, full lines continued, other views kept on their text.
#include <gtest/gtest.h>

#include <random>

#include "edit_test_support.h"
#include "editing/selection.h"
#include "platform/fakes/fake_clipboard.h"

namespace norv::editing {
namespace {

using document::LF_CHANGED;
using document::LF_CONTINUED;
using document::LF_EOL_CRLF;
using document::LF_MARK;
using document::LineRecord;
using document::UndoKind;
using testing::Editor;
using testing::Enc;
using C = CommandId;

struct Indenting {
    explicit Indenting(size_t undoKb = 1024) : ed(Enc::kAscii, {}, {}, undoKb) {}
    void Load(const std::string& text) {
        ed.Load(text);
        ctx.clipboard = &clip;
        sel = std::make_unique<Selection>(*ed.view, ctx);
    }
    void SelectLines(int first, int last) {
        ed.view->Sync();
        sel->Select(first, 0, last, ed.doc.lines().LineAt(last)->contentLength());
    }
    std::vector<std::string> Records() {
        ed.view->Sync();
        std::vector<std::string> out;
        for (LineRecord* r = ed.doc.lines().first(); r; r = r->next)
            out.emplace_back(r->text(), r->contentLength());
        return out;
    }

    Editor ed;
    platform::FakeClipboard clip;
    ClipboardContext ctx;
    std::unique_ptr<Selection> sel;
};

TEST(IndentLines, MatchesIndentingLineByLineAndUndoesAsOneStep) {
    std::mt19937 rng(3);
    for (int round = 0; round < 200; ++round) {
        SCOPED_TRACE(round);
        std::string text;
        const int lines = 1 + static_cast<int>(rng() % 9);
        for (int i = 0; i < lines; ++i) {
            if (i) text += '\n';
            text += std::string(rng() % 3 ? 1 + rng() % 6 : 0, static_cast<char>('a' + i));
        }
        Indenting a, b;
        a.Load(text);
        b.Load(text);
        const auto seed = static_cast<uint32_t>(rng());
        for (Editor* e : {&a.ed, &b.ed}) {
            std::mt19937 f(seed);
            for (LineRecord* r = e->doc.lines().first(); r; r = r->next)
                r->flags =
                    static_cast<uint8_t>((f() & 1 ? LF_MARK : 0) | (f() & 1 ? LF_EOL_CRLF : 0) |
                                         (f() & 1 ? LF_CHANGED : 0));
        }
        const int first = 1 + static_cast<int>(rng() % static_cast<uint32_t>(lines));
        const int last = first + static_cast<int>(rng() % static_cast<uint32_t>(lines - first + 1));
        const std::string original = a.ed.Snapshot();
        a.SelectLines(first, last);
        a.ed.view->Execute(C::Indent);
        // The same by hand: a tab at the start of each non-empty line, one record each.
        {
            CommandScope scope(*b.ed.view);
            for (int n = first; n <= last; ++n) {
                b.ed.view->SetCaret(n, 0);
                if (!b.ed.view->LineContent(b.ed.view->caretLine()).empty())
                    b.ed.view->InsertAtCaret("\t", UndoKind::kInsertBlock);
            }
        }
        ASSERT_EQ(a.ed.Snapshot(), b.ed.Snapshot());
        a.ed.CheckConsistent();
        ASSERT_FALSE(HasFatalFailure());
        EXPECT_LE(a.ed.undo.size(), 1u);
        if (b.ed.undo.size() == 0) continue;
        EXPECT_TRUE(a.ed.doc.modified);
        a.ed.view->Execute(C::Undo);
        b.ed.view->Execute(C::Undo);
        EXPECT_EQ(a.ed.Snapshot(), original);
        EXPECT_FALSE(a.ed.doc.modified);
        EXPECT_EQ(a.ed.view->caretLineNumber(), b.ed.view->caretLineNumber());
        EXPECT_EQ(a.ed.view->caretPos(), b.ed.view->caretPos());
        a.ed.CheckConsistent();
        a.ed.view->Execute(C::Redo);
        b.ed.view->Execute(C::Redo);
        EXPECT_EQ(a.ed.Snapshot(), b.ed.Snapshot());
        EXPECT_EQ(a.ed.view->caretLineNumber(), b.ed.view->caretLineNumber());
        EXPECT_EQ(a.ed.view->caretPos(), b.ed.view->caretPos());
        a.ed.CheckConsistent();
    }
}

TEST(IndentLines, TheRecordTakesAByteALine) {
    // 3000 lines in a history of 4 kilobytes: one record per line would have dropped the first
    // lines' records, leaving an undo that takes back only part of the command.
    Indenting t(4);
    std::string text;
    for (int i = 0; i < 3000; ++i) text += "line\n";
    t.Load(text + "end");
    t.SelectLines(1, 3001);
    t.ed.view->Execute(C::Indent);
    ASSERT_EQ(t.ed.undo.size(), 1u);
    EXPECT_FALSE(t.ed.undo.truncated());
    t.ed.view->Execute(C::Undo);
    EXPECT_EQ(t.Records().front(), "line");
    EXPECT_EQ(t.Records().back(), "end");
    EXPECT_FALSE(t.ed.doc.modified);
}

TEST(IndentLines, ContinuedRecordsAreOneLine) {
    Indenting t;
    t.Load("a\nxxxx\nyyyy\nb");
    // Records 2 and 3 are one line of the file.
    t.ed.doc.lines().LineAt(2)->flags |= LF_CONTINUED;
    t.SelectLines(1, 4);
    t.ed.view->Execute(C::Indent);
    EXPECT_EQ(t.Records(), (std::vector<std::string>{"\ta", "\txxxx", "yyyy", "\tb"}));
    t.ed.view->Execute(C::Undo);
    EXPECT_EQ(t.Records(), (std::vector<std::string>{"a", "xxxx", "yyyy", "b"}));
}

TEST(IndentLines, AFullLineGoesOnInAContinuedRecord) {
    Indenting t;
    const std::string full(document::kMaxLineBytes - 1, 'f');
    t.Load("a\n" + full + "\nb");
    t.ed.doc.lines().LineAt(2)->flags |= LF_EOL_CRLF;
    t.SelectLines(1, 3);
    t.ed.view->Execute(C::Indent);
    t.ed.CheckConsistent();
    std::vector<std::string> got = t.Records();
    ASSERT_EQ(got.size(), 4u);
    EXPECT_EQ(got[0], "\ta");
    EXPECT_EQ(got[1] + got[2], "\t" + full);
    EXPECT_EQ(got[3], "\tb");
    LineRecord* second = t.ed.doc.lines().LineAt(2);
    EXPECT_TRUE(second->flags & LF_CONTINUED);
    EXPECT_EQ(second->next->flags & LF_EOL_CRLF, LF_EOL_CRLF);
    // The selection covers the lines as they are now.
    EXPECT_EQ(t.sel->end().line, 4);
    t.ed.view->Execute(C::Undo);
    EXPECT_EQ(t.Records(), (std::vector<std::string>{"a", full, "b"}));
    EXPECT_EQ(t.ed.doc.lines().LineAt(2)->flags & (LF_CONTINUED | LF_EOL_CRLF), LF_EOL_CRLF);
    t.ed.view->Execute(C::Redo);
    EXPECT_EQ(t.Records(), got);
    t.ed.CheckConsistent();
}

TEST(IndentLines, AnotherViewsCaretStaysBehindItsCharacter) {
    Indenting t;
    t.Load("ab\ncd\nef");
    CElwView second(t.ed.doc, t.ed.undo, t.ed.shared);
    second.SetCaret(2, 1);  // between "c" and "d"
    t.SelectLines(1, 3);
    t.ed.view->Execute(C::Indent);
    t.ed.CheckView(second);
    EXPECT_EQ(second.caretLineNumber(), 2);
    EXPECT_EQ(second.caretPos(), 2u);
    t.ed.view->Execute(C::Undo);
    t.ed.CheckView(second);
    EXPECT_EQ(second.caretPos(), 1u);
}

}  // namespace
}  // namespace norv::editing
