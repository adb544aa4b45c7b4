// Selections and their commands: what the text, the caret, the clipboard, the box buffer, the
// history and the files hold afterwards, and that undo gives back the original text.
#include "editing/selection.h"

#include <gtest/gtest.h>

#include "edit_test_support.h"
#include "platform/fakes/fake_clipboard.h"
#include "platform/fakes/headless_ui.h"
#include "platform/fakes/memory_file_system.h"

namespace norv::editing {
namespace {

using testing::Editor;
using testing::Enc;
using C = CommandId;

struct Fixture {
    explicit Fixture(Enc e, std::string_view text, EditOptions eo = {}) : ed(e, {}, eo) {
        ed.Load(text);
        ctx.clipboard = &clip;
        ctx.files = &fs;
        clip.onChange = [this] { ctx.ClipboardChanged(); };
        sel = std::make_unique<Selection>(*ed.view, ctx);
    }
    ~Fixture() { sel.reset(); }
    void Do(std::initializer_list<testing::Step> steps) {
        for (const auto& s : steps) ed.Run(s);
    }
    // Moves with Shift held (ShiftSelect): the selection follows.
    void Shift(CommandId id, int n = 1) {
        sel->shiftHeld = true;
        for (int i = 0; i < n; ++i) ed.view->Execute(id);
        sel->shiftHeld = false;
    }
    void UndoAll() {
        while (ed.undo.CanUndo()) ed.view->Execute(C::Undo);
    }

    Editor ed;
    platform::FakeClipboard clip;
    platform::MemoryFileSystem fs;
    ClipboardContext ctx;
    std::unique_ptr<Selection> sel;
};

TEST(Selection, StreamCommands) {
    static const struct {
        const char* name;
        const char* text;
        int shiftRight;  // Shift+Right presses, then Shift+Down presses
        int shiftDown;
        CommandId command;
        const char* expect;     // text afterwards with the caret
        const char* clipboard;  // clipboard afterwards ("-": untouched)
    } kCases[] = {
        {"copy in a line", "ab|cdef", 2, 0, C::EditCopy, "abcd|ef", "cd"},
        {"cut in a line", "ab|cdef", 2, 0, C::EditCut, "ab|ef", "cd"},
        {"cut over a line end", "ab|c\ndef", 0, 1, C::EditCut, "ab|f", "c\r\nde"},
        {"copy kanji", "漢|字かな", 2, 0, C::EditCopy, "漢字か|な", "字か"},
        {"cut two lines to the end", "a|b\ncd\nef", 0, 2, C::EditCut, "a|f", "b\r\ncd\r\ne"},
        {"select end then left cancels", "ab|cd", 2, 0, C::CsrLeft, "ab|cd", "-"},
        {"right after a selection goes to its end", "ab|cd", 1, 0, C::CsrRight, "abc|d", "-"},
        {"typing keeps nothing of the selection", "ab|cd", 1, 0, C::DeleteChar, "ab|d", "-"},
    };
    for (Enc enc : {Enc::kSjis, Enc::kUtf8}) {
        for (const auto& c : kCases) {
            SCOPED_TRACE(std::string(c.name) + " " + testing::EncName(enc));
            Fixture f(enc, c.text);
            const std::string original = f.ed.Snapshot();
            f.Shift(C::CsrRight, c.shiftRight);
            f.Shift(C::CsrDown, c.shiftDown);
            f.ed.view->Execute(c.command);
            EXPECT_EQ(f.ed.Marked(), c.expect);
            if (std::string(c.clipboard) == "-")
                EXPECT_EQ(f.clip.writes, 0);
            else
                EXPECT_EQ(f.clip.content.value_or("(none)"), c.clipboard);
            f.UndoAll();
            EXPECT_EQ(f.ed.Snapshot(), original);
        }
    }
}

TEST(Selection, CutAndPasteTwoHalvesRecreatesTheLineBreak) {
    Fixture f(Enc::kSjis, "abc|def\nghi\nxyz");
    const std::string original = f.ed.Snapshot();
    f.Shift(C::CsrDown);
    f.ed.view->Execute(C::EditCut);  // "def\ngh" (caret column 3 on line 2 = "ghi|")
    EXPECT_EQ(f.ed.Marked(), "abc|\nxyz");
    f.ed.view->Execute(C::CsrDown);
    f.ed.view->Execute(C::EditPaste);
    EXPECT_EQ(f.ed.Marked(), "abc\nxyzdef\nghi|");
    f.UndoAll();
    EXPECT_EQ(f.ed.Snapshot(), original);
}

TEST(Selection, PasteConvertsUnicodeToTheDocument) {
    for (Enc enc : {Enc::kSjis, Enc::kUtf8}) {
        Fixture f(enc, "a|b");
        f.clip.content = "漢字\r\nx";
        f.ed.view->Execute(C::EditPaste);
        EXPECT_EQ(f.ed.Marked(), "a漢字\nx|b");
    }
    Fixture f(Enc::kSjis, "a|b");
    f.clip.available = false;
    f.ed.view->Execute(C::EditPaste);
    EXPECT_EQ(f.ed.Marked(), "a|b");
}

TEST(Selection, CutKeepsTheTextWhenTheClipboardCannotBeOpened) {
    Fixture f(Enc::kAscii, "|abc");
    f.clip.available = false;
    f.Do({C::SelectAll, C::EditCut});
    EXPECT_EQ(f.ed.Marked(), "abc|");
    f.Do({C::SelectAll, C::EditCutAppend});
    EXPECT_EQ(f.ed.Marked(), "abc|");
    // A box goes to the box buffer, whatever the clipboard does.
    f.Do({C::BegLine, C::BoxBegin, C::CsrRight, C::EditCut});
    EXPECT_EQ(f.ed.Marked(), "|bc");
    EXPECT_EQ(f.ctx.box.pieces, (std::vector<std::string>{"a"}));
}

TEST(Selection, BoxBeginTurnsAStreamSelectionIntoABox) {
    Fixture f(Enc::kAscii, "a|bcd\nefgh\nijkl");
    f.Shift(C::CsrDown);
    f.Shift(C::CsrRight);
    f.ed.view->Execute(C::BoxBegin);
    EXPECT_EQ(f.sel->kind(), SelectionKind::kBox);
    EXPECT_EQ(f.sel->Block(), "b\rf\r");
    f.ed.view->Execute(C::BoxBegin);
    EXPECT_FALSE(f.sel->active());
}

// The pieces of a selection join into its block, with the line end asked for: for a stream
// that starts near the caret or far from it, while the caret's line is being typed into (its
// text then lies in two parts), and for a box, whose every piece gets the line end.
TEST(Selection, PiecesJoinIntoTheBlockWithTheLineEndAskedFor) {
    auto joined = [](Selection& s, std::string_view lineEnd, int* calls = nullptr) {
        std::string out;
        s.Pieces(lineEnd, [&](std::string_view piece) {
            EXPECT_TRUE(piece == lineEnd || piece.find('\n') == std::string_view::npos);
            out.append(piece);
            if (calls) ++*calls;
        });
        return out;
    };
    std::string text;
    for (int n = 1; n <= 9; ++n) text += "line" + std::to_string(n) + "\n";
    Fixture f(Enc::kSjis, text + "漢字|の行");
    f.Do({std::string("X")});  // typed: the line is in the edit buffer
    f.sel->Select(1, 2, 10, 5);
    EXPECT_EQ(f.sel->Block(),
              "ne1\r\nline2\r\nline3\r\nline4\r\nline5\r\nline6\r\nline7\r\n"
              "line8\r\nline9\r\n" +
                  testing::Encode(Enc::kSjis, "漢字X"));
    EXPECT_EQ(joined(*f.sel, "\n"),
              "ne1\nline2\nline3\nline4\nline5\nline6\nline7\nline8\nline9\n" +
                  testing::Encode(Enc::kSjis, "漢字X"));
    // Starting next to the caret.
    f.sel->Select(9, 4, 10, 2);
    EXPECT_EQ(joined(*f.sel, "\n"), "9\n" + testing::Encode(Enc::kSjis, "漢"));
    // Nothing selected: nothing handed over.
    int calls = 0;
    f.sel->Cancel();
    EXPECT_EQ(joined(*f.sel, "\n", &calls), "");
    EXPECT_EQ(calls, 0);

    Fixture b(Enc::kAscii, "a|bcd\nefgh\nijkl");
    b.Shift(CommandId::CsrDown, 2);
    b.Shift(CommandId::CsrRight, 2);
    b.ed.view->Execute(CommandId::BoxBegin);
    ASSERT_EQ(b.sel->kind(), SelectionKind::kBox);
    EXPECT_EQ(b.sel->Block(), "bc\rfg\rjk\r");
    EXPECT_EQ(joined(*b.sel, "\n"), "bc\nfg\njk\n");
}

TEST(Selection, SelectAllCopyAppendAndNulBytes) {
    Fixture f(Enc::kAscii, "one\ntwo|");
    // A NUL byte inside a line travels with the text.
    f.ed.view->SetCaret(1, 1);
    f.ed.view->InsertText(std::string("\0", 1));
    f.ed.view->Execute(C::SelectAll);
    f.ed.view->Execute(C::EditCopy);
    EXPECT_EQ(f.clip.content.value(), std::string("o\0ne\r\ntwo", 9));
    f.clip.content = "X";
    f.ed.view->Execute(C::EditCopyAppend);
    EXPECT_EQ(f.clip.content.value(), std::string("Xo\0ne\r\ntwo", 10));
}

TEST(Selection, BeginSelectExtendsUntilEnded) {
    Fixture f(Enc::kAscii, "|abcdef");
    f.Do({C::SelectBegin, C::CsrRight, C::CsrRight});
    EXPECT_TRUE(f.sel->extending());
    f.ed.view->Execute(C::SelectEnd);
    EXPECT_TRUE(f.sel->active());
    EXPECT_FALSE(f.sel->extending());
    f.ed.view->Execute(C::EditCopy);
    EXPECT_EQ(f.clip.content.value(), "ab");
    // A finished selection is cancelled by a caret move; Left goes to its start.
    f.ed.view->Execute(C::CsrLeft);
    EXPECT_FALSE(f.sel->active());
    EXPECT_EQ(f.ed.Marked(), "|abcdef");
    // While the mouse is captured a move keeps the selection.
    f.Do({C::SelectAll});
    f.sel->mouseCaptured = true;
    f.ed.view->Execute(C::CsrLeft);
    EXPECT_TRUE(f.sel->active());
    f.sel->mouseCaptured = false;
    f.ed.view->Execute(C::CsrLeft);
    EXPECT_FALSE(f.sel->active());
    // SelectBegin on an active selection cancels it.
    f.Do({C::SelectBegin, C::CsrRight, C::SelectBegin});
    EXPECT_FALSE(f.sel->active());
}

TEST(Selection, BoxCopyLeavesTheClipboardAndPastesBeyondShortLines) {
    Fixture f(Enc::kSjis, "|abcd\nefgh\nij\nk\n\nlmnop");
    const std::string original = f.ed.Snapshot();
    f.clip.content = "keep";
    f.Do({C::CsrRight, C::BoxBegin, C::CsrDown, C::CsrRight, C::CsrRight, C::EditCopy});
    EXPECT_EQ(f.clip.content.value(), "keep");
    EXPECT_EQ(f.clip.writes, 0);
    ASSERT_EQ(f.ctx.box.pieces, (std::vector<std::string>{"bc", "fg"}));
    f.ed.view->SetCaret(3, 0);
    f.Do({C::EndLine, C::CsrRight});  // cancels the box; caret at "ij|"
    f.ed.view->SetCaret(4, 1);
    f.ed.view->Execute(C::CsrLeft);
    f.ed.view->SetCaret(3, 2);
    f.ed.view->Execute(C::BoxPaste);
    EXPECT_EQ(f.ed.Marked(), "abcd\nefgh\nijbc\nk fg|\n\nlmnop");
    // Each piece undoes on its own.
    f.ed.view->Execute(C::Undo);
    EXPECT_EQ(f.ed.Marked(), "abcd\nefgh\nijbc\nk|\n\nlmnop");
    f.UndoAll();
    EXPECT_EQ(f.ed.Snapshot(), original);
}

TEST(Selection, BoxPasteOnTheLastLineAppendsLinesAndCutDeletesTheRectangle) {
    Fixture f(Enc::kUtf8, "漢字かな\na|bcdef");
    const std::string original = f.ed.Snapshot();
    // Columns 1 to 5: column 1 lies inside 漢 and means its start; the Up move lands on か.
    f.Do({C::BoxBegin, C::CsrRight, C::CsrRight, C::CsrRight, C::CsrRight, C::CsrUp, C::SelectEnd});
    ASSERT_TRUE(f.sel->active());
    EXPECT_EQ(f.sel->Block(), "漢字\rbcd\r");
    f.ed.view->Execute(C::EditCut);
    EXPECT_EQ(f.ed.Marked(), "|かな\naef");
    f.ed.view->SetCaret(2, 3);
    f.ed.view->Execute(C::BoxPaste);
    EXPECT_EQ(f.ed.Marked(), "かな\naef漢字\n   bcd|");
    f.UndoAll();
    EXPECT_EQ(f.ed.Snapshot(), original);
}

TEST(Selection, BoxFromUtf8PastesConvertedIntoSjis) {
    Fixture a(Enc::kUtf8, "|漢字\nabcd");
    a.Do({C::BoxBegin, C::CsrDown, C::EndLine, C::EditCopy});
    ASSERT_EQ(a.ctx.box.pieces.size(), 2u);
    Fixture b(Enc::kSjis, "|x\ny");
    b.ctx.box = a.ctx.box;
    b.ed.view->Execute(C::BoxPaste);
    EXPECT_EQ(b.ed.Marked(), "漢字x\nabcd|y");
}

TEST(Selection, ReadOnlyDocumentOnlyCopies) {
    Fixture f(Enc::kAscii, "|abc");
    f.ed.doc.readOnly = true;
    f.clip.content = "zz";
    f.Do({C::SelectAll, C::EditCut});
    EXPECT_EQ(f.clip.content.value(), "abc");
    f.ed.view->Execute(C::EditPaste);
    EXPECT_EQ(f.ed.Marked(), "abc|");
}

TEST(ClipboardHistory, RingOfThirtyTwoDistinctTexts) {
    ClipboardHistory h;
    EXPECT_TRUE(h.Capture("a"));
    EXPECT_FALSE(h.Capture("a"));  // the same text twice: one entry
    EXPECT_EQ(h.size(), 1u);
    for (int i = 1; i <= 32; ++i) h.Capture("t" + std::to_string(i));
    auto e = h.Entries();
    ASSERT_EQ(e.size(), 32u);
    EXPECT_EQ(e.front(), "t32");
    EXPECT_EQ(e.back(), "t1");  // the 33rd text overwrote "a"
    h.DiscardNewest();
    EXPECT_EQ(h.Entries().front(), "t31");
    h.Capture("new");
    e = h.Entries();
    EXPECT_EQ(e.front(), "new");
    EXPECT_EQ(e[1], "t31");
    EXPECT_EQ(e.size(), 32u);
}

TEST(ClipboardHistory, UnreadableClipboardBeepsAndRecordsNothing) {
    Fixture f(Enc::kAscii, "|x");
    platform::HeadlessUi ui;
    f.ctx.ui = &ui;
    f.clip.available = false;
    f.ctx.ClipboardChanged();
    EXPECT_EQ(ui.beeps, 1);
    EXPECT_EQ(f.ctx.history.size(), 0u);
}

TEST(ClipboardHistory, DialogKeepsTheWholeEditedTextAndPastesIt) {
    Fixture f(Enc::kAscii, "|x");
    f.Do({C::SelectAll, C::EditCopy});
    f.clip.SetText("second");
    ASSERT_EQ(f.ctx.history.Entries(), (std::vector<std::string>{"second", "x"}));
    const std::string big(3000, 'q');
    f.ctx.historyDialog = [&](ClipboardHistoryRequest& r) {
        EXPECT_EQ(r.entries.size(), 2u);
        r.chosen = 1;
        r.edited = true;
        r.text = big;
        return HistoryButton::kPaste;
    };
    f.ed.view->Execute(C::CsrRight);
    f.ed.view->Execute(C::SelectClipBd);
    EXPECT_EQ(f.ctx.history.Entries()[1], big);
    EXPECT_EQ(f.ctx.history.size(), 2u);  // the dialog's own clipboard change is not recorded
    EXPECT_EQ(f.clip.content.value(), big);
    EXPECT_EQ(f.ed.Marked(), "x" + big + "|");
    f.ed.view->Execute(C::FlushBuf);
    EXPECT_EQ(f.ctx.history.Entries(), (std::vector<std::string>{big}));
}

TEST(SelectionFiles, CopyAppendAndPasteFiles) {
    static const struct {
        const char* name;
        const char* before;  // nullptr: no file
        FileCommand command;
        const char* after;
    } kCases[] = {
        {"copy creates", nullptr, FileCommand::kCopyToFile, "bc\r\nd"},
        {"copy truncates", "long old content", FileCommand::kCopyToFile, "bc\r\nd"},
        {"append creates", nullptr, FileCommand::kAppendToFile, "bc\r\nd"},
        {"append adds", "old\r\n", FileCommand::kAppendToFile, "old\r\nbc\r\nd"},
        {"append replaces an end-of-file mark", "old\x1A", FileCommand::kAppendToFile,
         "oldbc\r\nd"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        Fixture f(Enc::kAscii, "a|bc\ndef");
        if (c.before) f.fs.files["/t/f.txt"] = c.before;
        f.ctx.askFile = [](FileCommandRequest& r) {
            r.path = "/t/f.txt";
            return true;
        };
        f.Shift(C::CsrDown);
        f.ed.view->Execute(c.command == FileCommand::kCopyToFile ? C::CopyToFile : C::AppendFile);
        EXPECT_EQ(f.fs.files["/t/f.txt"], c.after);
    }
    Fixture f(Enc::kAscii, "a|b");
    f.fs.files["/in"] = std::string("x\r\ny\0z", 6);
    f.ctx.scriptFileName = "/in";
    f.ed.view->Execute(C::PasteFromFile);
    EXPECT_EQ(f.ed.Marked(), std::string("ax\ny\0z|b", 8));
    // A device file that never ends is read up to its size (nothing), not until memory ends.
    f.ctx.files = &platform::RealFileSystem();
    f.ctx.scriptFileName = "/dev/zero";
    f.ed.view->Execute(C::PasteFromFile);
    EXPECT_EQ(f.ed.Marked(), std::string("ax\ny\0z|b", 8));
    f.ctx.files = &f.fs;
    f.ctx.scriptFileName = "/missing";
    f.ed.view->Execute(C::PasteFromFile);
    EXPECT_EQ(f.ed.Marked(), std::string("ax\ny\0z|b", 8));
}

}  // namespace
}  // namespace norv::editing
