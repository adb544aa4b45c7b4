// The bookmark commands, the moves between marked and changed lines, the brace match, the screen's
// edges and the previous position: caret, marks and saved position for every command, in
// Shift-JIS, UTF-8 and ASCII documents of the text, C and HTML types, writable and read-only.
// Bookmarks are no edits: nothing here may change the text, the undo history or the modified
// flag, and every change of a mark raises the document's bookmark notice.
#include <gtest/gtest.h>

#include "document/char_model.h"
#include "edit_test_support.h"
#include "editing/selection.h"
#include "platform/fakes/fake_clipboard.h"

namespace norv::editing {
namespace {

using document::LF_CHANGED;
using document::LF_MARK;
using testing::Editor;
using testing::Enc;
using C = CommandId;

// Line flags written one character a line: '-' none, 'M' bookmark, 'C' changed, 'B' both.
void SetFlags(Editor& ed, std::string_view flags) {
    size_t i = 0;
    for (document::LineRecord* r = ed.doc.lines().first(); r; r = r->next, ++i) {
        const char f = i < flags.size() ? flags[i] : '-';
        r->flags = static_cast<uint8_t>((f == 'M' || f == 'B' ? LF_MARK : 0) |
                                        (f == 'C' || f == 'B' ? LF_CHANGED : 0));
    }
}

std::string Flags(Editor& ed) {
    std::string out;
    for (const document::LineRecord* r = ed.doc.lines().first(); r; r = r->next) {
        const bool m = r->flags & LF_MARK, c = r->flags & LF_CHANGED;
        out += m && c ? 'B' : m ? 'M' : c ? 'C' : '-';
    }
    return out;
}

// Byte offset in the encoded line of the character `chars` characters in.
size_t PosOf(Editor& ed, int line, int chars) {
    const document::LineRecord* r = ed.doc.lines().LineAt(line);
    size_t p = 0;
    for (int i = 0; i < chars && p < r->contentLength(); ++i)
        p += document::CharLength(ed.doc.CodePage(), r->text() + p, r->text() + r->contentLength());
    return p;
}

struct Case {
    const char* name;
    const char* text;   // "|" at the caret
    const char* flags;  // before
    int sel[4];         // a selection: line, character, line, character (0 0 0 0: none)
    CommandId command;
    const char* expect;    // the text with "|" at the caret afterwards
    const char* flagsNow;  // after
    int savedLine;         // the saved position's line afterwards; 0: as it was before
};

const Case kCases[] = {
    {"MarkLine sets the caret line", "a\n|b\nc", "---", {}, C::MarkLine, "a\n|b\nc", "-M-", 0},
    {"MarkLine clears it again", "a\n|b\nc", "-B-", {}, C::MarkLine, "a\n|b\nc", "-C-", 0},
    {"MarkLine leaves out the line the selection ends at the first byte of",
     "|a\nb\nc\nd\ne\nf",
     "------",
     {2, 0, 5, 0},
     C::MarkLine,
     "a\nb\nc\nd\n|e\nf",
     "-MMM--",
     0},
    {"MarkLine takes the last line when the selection ends inside it",
     "|a\nbb\nc\ndd\ne",
     "-----",
     {2, 1, 4, 1},
     C::MarkLine,
     "a\nbb\nc\nd|d\ne",
     "-MMM-",
     0},
    {"MarkLine toggles each line of the selection",
     "|a\nb\nc\nd\ne",
     "-M-M-",
     {2, 0, 5, 0},
     C::MarkLine,
     "a\nb\nc\nd\n|e",
     "--M--",
     0},
    {"MarkOff clears the whole text",
     "a\n|b\nc\nd",
     "MMCB",
     {},
     C::MarkOff,
     "a\n|b\nc\nd",
     "--CC",
     0},
    {"MarkOff clears the selection's lines, the last one included",
     "|a\nb\nc\nd\ne",
     "MMMMM",
     {2, 0, 4, 0},
     C::MarkOff,
     "a\nb\nc\n|d\ne",
     "M---M",
     0},
    {"NextMark goes to the start of the next marked line",
     "a|bc\nd\nef\ng",
     "M-M-",
     {},
     C::NextMark,
     "abc\nd\n|ef\ng",
     "M-M-",
     1},
    {"NextMark on the last marked line does nothing",
     "a\nb\n|c\nd",
     "M-M-",
     {},
     C::NextMark,
     "a\nb\n|c\nd",
     "M-M-",
     0},
    {"PrevMark", "a\nb\nc|\nd", "M-B-", {}, C::PrevMark, "|a\nb\nc\nd", "M-B-", 3},
    {"PrevMark without a mark above does nothing",
     "a\n|b\nc",
     "--M",
     {},
     C::PrevMark,
     "a\n|b\nc",
     "--M",
     0},
    {"NextChanged passes over bookmarks",
     "|a\nb\nc",
     "-MC",
     {},
     C::NextChanged,
     "a\nb\n|c",
     "-MC",
     1},
    {"PrevChanged", "漢\n字\n|かな", "C--", {}, C::PrevChanged, "|漢\n字\nかな", "C--", 3},
    {"PrevChanged without a changed line does nothing",
     "a\n|b",
     "M-",
     {},
     C::PrevChanged,
     "a\n|b",
     "M-",
     0},
    {"MarkCaption marks the bullet lines and keeps the other marks",
     "|* one\n*two\n  - three\nplain\n\t* four\n・five\n-\nold\n\\ yen",
     "-------M-",
     {},
     C::MarkCaption,
     "|* one\n*two\n  - three\nplain\n\t* four\n・five\n-\nold\n\\ yen",
     "M-M-MM-MM",
     0},
    {"OtherParen from the first ( to the last )",
     "f|(a(b)c)",
     "-",
     {},
     C::OtherParen,
     "f(a(b)c|)",
     "-",
     1},
    {"OtherParen from the last ) back to the first (",
     "f(a(b)c|)",
     "-",
     {},
     C::OtherParen,
     "f|(a(b)c)",
     "-",
     1},
    {"OtherParen across lines", "|{\n  x{}\n}", "---", {}, C::OtherParen, "{\n  x{}\n|}", "---", 1},
    {"OtherParen backwards across lines",
     "<\n<a>\n|>",
     "---",
     {},
     C::OtherParen,
     "|<\n<a>\n>",
     "---",
     3},
    {"OtherParen passes over trail bytes that look like braces",
     "|[ー]{ボマ}",
     "-",
     {},
     C::OtherParen,
     "[ー|]{ボマ}",
     "-",
     1},
    {"OtherParen backwards over trail bytes",
     "[ー]{ボマ|}",
     "-",
     {},
     C::OtherParen,
     "[ー]|{ボマ}",
     "-",
     1},
    {"OtherParen on a double-byte character does nothing",
     "[|ーマ]",
     "-",
     {},
     C::OtherParen,
     "[|ーマ]",
     "-",
     0},
    {"OtherParen without a partner leaves the caret",
     "a\n|(bc\nd",
     "---",
     {},
     C::OtherParen,
     "a\n|(bc\nd",
     "---",
     0},
    {"PrevPos goes to the saved position", "a\n|b\nc", "---", {}, C::PrevPos, "|a\nb\nc", "---", 2},
    {"TextTop writes the saved position", "a\nb|\nc", "---", {}, C::TextTop, "|a\nb\nc", "---", 2},
    {"TextBot writes the saved position", "a\nb|\nc", "---", {}, C::TextBot, "a\nb\nc|", "---", 2},
};

bool IsAscii(std::string_view s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return static_cast<uint8_t>(c) < 0x80; });
}

TEST(BookmarkCommands, CaretMarksAndSavedPositionForEveryCommand) {
    for (Enc enc : {Enc::kAscii, Enc::kSjis, Enc::kUtf8}) {
        for (char type : {' ', 'C', 'H'}) {
            for (bool readOnly : {false, true}) {
                for (const Case& c : kCases) {
                    if (enc == Enc::kAscii && !IsAscii(c.text)) continue;
                    SCOPED_TRACE(std::string(c.name) + " " + testing::EncName(enc) + " type '" +
                                 type + "'" + (readOnly ? " read-only" : ""));
                    EditOptions options;
                    options.dbcsTitle = testing::Encode(Enc::kSjis, "・");
                    Editor ed(enc, {}, options);
                    ed.Load(c.text);
                    ed.doc.typeCode = type;
                    ed.doc.readOnly = readOnly;
                    SetFlags(ed, c.flags);
                    platform::FakeClipboard clip;
                    ClipboardContext ctx;
                    ctx.clipboard = &clip;
                    Selection sel(*ed.view, ctx);
                    if (c.sel[0])
                        sel.Select(c.sel[0], PosOf(ed, c.sel[0], c.sel[1]), c.sel[2],
                                   PosOf(ed, c.sel[2], c.sel[3]));
                    const SavedPosition before = ed.view->savedPosition();
                    const uint64_t notices = ed.doc.bookmarkNotices;
                    const std::string text = ed.Snapshot();
                    ed.view->Execute(c.command);
                    EXPECT_EQ(ed.Marked(), c.expect);
                    EXPECT_EQ(Flags(ed), c.flagsNow);
                    EXPECT_EQ(ed.view->savedPosition().line,
                              c.savedLine ? c.savedLine : before.line);
                    // Not an edit: text, history and the modified flag stay.
                    EXPECT_FALSE(ed.undo.CanUndo());
                    EXPECT_FALSE(ed.doc.modified);
                    // (the dump shows the flags too: they are set back to compare the text)
                    SetFlags(ed, c.flags);
                    EXPECT_EQ(ed.Snapshot(), text);
                    // The notice follows every change of a mark, and only that.
                    EXPECT_EQ(ed.doc.bookmarkNotices > notices,
                              std::string_view(c.flags) != c.flagsNow);
                }
            }
        }
    }
}

// A document of lines "1" to "n" with the caret on line `caret`.
std::string Numbered(int n, int caret) {
    std::string s;
    for (int i = 1; i <= n; ++i) {
        if (i > 1) s += '\n';
        if (i == caret) s += '|';
        s += "line " + std::to_string(i);
    }
    return s;
}

TEST(BookmarkCommands, JumpCenterAndTheScreenEdges) {
    EditOptions centred;
    centred.jumpCenter = true;
    Editor ed(Enc::kAscii, {}, centred);
    ed.Load(Numbered(100, 1));
    SetFlags(ed, std::string(59, '-') + "M");
    ed.view->Execute(C::NextMark);
    EXPECT_EQ(ed.view->caretLineNumber(), 60);
    EXPECT_EQ(ed.view->caretScreenRow(), ed.view->windowRows() / 2);

    // ScreenTop and ScreenBot move the caret to the window's top and last rows, keeping the
    // column, without scrolling.
    ed.view->SetCaret(60, 3);
    const int64_t top = ed.view->topRow();
    ed.view->Execute(C::ScreenTop);
    EXPECT_EQ(ed.view->topRow(), top);
    EXPECT_EQ(ed.view->caretScreenRow(), 0);
    EXPECT_EQ(ed.view->caretPos(), 3u);
    ed.view->Execute(C::ScreenBot);
    EXPECT_EQ(ed.view->topRow(), top);
    EXPECT_EQ(ed.view->caretScreenRow(), ed.view->windowRows() - 1);
    EXPECT_EQ(ed.view->caretPos(), 3u);
    // Near the end of the text the last row of the text is the bottom.
    ed.view->Execute(C::TextBot);
    ed.view->ScrollTo(97);
    ed.view->SetCaret(98, 0);
    ed.view->Execute(C::ScreenBot);
    EXPECT_EQ(ed.view->caretLineNumber(), 100);
}

TEST(BookmarkCommands, PrevPosTwiceReturnsToWhereItStarted) {
    EditOptions o;
    o.jumpCenter = false;
    Editor ed(Enc::kUtf8, {}, o);
    ed.Load(Numbered(200, 150));
    ed.view->SetCaret(150, 4);
    ed.view->ScrollTo(145);
    const int row = ed.view->caretScreenRow();
    ed.view->Execute(C::TextTop);
    EXPECT_EQ(ed.view->caretLineNumber(), 1);
    ed.view->Execute(C::PrevPos);
    EXPECT_EQ(ed.view->caretLineNumber(), 150);
    EXPECT_EQ(ed.view->caretPos(), 4u);
    EXPECT_EQ(ed.view->caretScreenRow(), row);  // the row of the window it had
    ed.view->Execute(C::PrevPos);
    EXPECT_EQ(ed.view->caretLineNumber(), 1);
    ed.view->Execute(C::PrevPos);
    EXPECT_EQ(ed.view->caretLineNumber(), 150);
    // JumpLine saves too.
    ed.shared.jumpDialog = [](JumpRequest& r) {
        r.line = 20;
        r.logical = true;
        return true;
    };
    ed.view->Execute(C::JumpLine);
    EXPECT_EQ(ed.view->caretLineNumber(), 20);
    EXPECT_EQ(ed.view->savedPosition().line, 150);
}

TEST(BookmarkCommands, TheSavedPositionFollowsEdits) {
    Editor ed(Enc::kSjis);
    ed.Load("一\n二\n三\n|四\n五");
    ed.view->Execute(C::TextTop);  // saved: line 4
    ASSERT_EQ(ed.view->savedPosition().line, 4);
    ed.view->Execute(C::SplitLine);  // a line more above it
    EXPECT_EQ(ed.view->savedPosition().line, 5);
    ed.view->Execute(C::DeleteLine);
    ed.view->Execute(C::DeleteLine);
    EXPECT_EQ(ed.view->savedPosition().line, 3);
    // Its own line deleted: the nearest line that exists, where the deletion was.
    ed.view->SetCaret(3, 0);
    ed.view->Execute(C::DeleteLine);
    EXPECT_EQ(ed.view->savedPosition().line, 3);
    ed.view->Execute(C::TextBot);
    ed.view->Execute(C::PrevPos);
    EXPECT_EQ(ed.Marked(), "\n三\n|五");
    // An edit through another view moves it as well.
    CElwView other(ed.doc, ed.undo, ed.shared);
    other.SetCaret(1, 0);
    other.Execute(C::SplitLine);
    EXPECT_EQ(ed.view->savedPosition().line, 4);
}

TEST(BookmarkCommands, EscapeStopsTheLongWalksAndKeepsWhatWasDone) {
    Editor ed(Enc::kAscii);
    std::string text = "|(\n";
    for (int i = 0; i < 5000; ++i) text += "* heading\n";
    text += ")";
    ed.Load(text);
    int polls = 0;
    ed.shared.escapePressed = [&] { return ++polls >= 2; };
    ed.view->Execute(C::OtherParen);
    EXPECT_EQ(ed.view->caretLineNumber(), 1);  // stopped: the caret stays
    EXPECT_EQ(ed.view->caretPos(), 0u);
    polls = 0;
    ed.view->Execute(C::MarkCaption);
    int marked = 0;
    for (const document::LineRecord* r = ed.doc.lines().first(); r; r = r->next)
        marked += (r->flags & LF_MARK) ? 1 : 0;
    EXPECT_GT(marked, 0);  // the marks of the first lines stay
    EXPECT_LT(marked, 5000);
    EXPECT_EQ(ed.view->caretLineNumber(), 1);
    // Without Escape both run to the end.
    ed.shared.escapePressed = nullptr;
    ed.view->Execute(C::OtherParen);
    EXPECT_EQ(ed.view->caretLineNumber(), 5002);
}

TEST(BookmarkCommands, EditsThatDeleteJoinSplitOrRestoreMarkedLinesRaiseTheNotice) {
    Editor ed(Enc::kUtf8);
    ed.Load("a\n|marked\nc\nd");
    SetFlags(ed, "-M--");
    static const struct {
        const char* name;
        std::function<void(Editor&)> step;
        bool notice;
    } kSteps[] = {
        {"typing in the marked line", [](Editor& e) { e.Run(std::string("x")); }, false},
        {"a line break elsewhere",
         [](Editor& e) {
             e.view->SetCaret(4, 1);
             e.view->Execute(C::SplitLine);
         },
         false},
        {"joining the marked line with the next",
         [](Editor& e) {
             e.view->SetCaret(2, 100);
             e.view->Execute(C::DeleteChar);
         },
         true},
        {"undo brings the line back", [](Editor& e) { e.view->Execute(C::Undo); }, true},
        {"deleting the marked line",
         [](Editor& e) {
             e.view->SetCaret(2, 0);
             e.view->Execute(C::DeleteLine);
         },
         true},
        {"undo restores it", [](Editor& e) { e.view->Execute(C::Undo); }, true},
        {"splitting it at its start moves the mark down",
         [](Editor& e) {
             e.view->SetCaret(2, 0);
             e.view->Execute(C::SplitLine);
         },
         true},
        {"a paste into an unmarked line",
         [](Editor& e) {
             e.view->SetCaret(1, 0);
             e.view->InsertText("p\nq");
         },
         false},
    };
    for (const auto& s : kSteps) {
        SCOPED_TRACE(s.name);
        const uint64_t before = ed.doc.bookmarkNotices;
        s.step(ed);
        EXPECT_EQ(ed.doc.bookmarkNotices > before, s.notice);
    }
}

}  // namespace
}  // namespace norv::editing
