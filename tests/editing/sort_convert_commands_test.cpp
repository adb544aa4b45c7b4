// Sort and Convert on a selection through the view: text, selection, marks and flags for
// stream and box selections in Shift-JIS, UTF-8 and ASCII, undo and redo giving back the
// bytes, read-only documents untouched, the values of a script and what the recorder hears.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "document/char_model.h"
#include "edit_test_support.h"
#include "editing/selection.h"
#include "platform/fakes/fake_clipboard.h"

namespace norv::editing {
namespace {

using document::LF_CHANGED;
using document::LF_CONTINUED;
using document::LF_MARK;
using testing::Editor;
using testing::Enc;

struct Fixture {
    explicit Fixture(Enc e) : ed(e) { ctx.clipboard = &clip; }
    void Load(std::string_view text) {
        sel.reset();  // it goes before its view
        ed.Load(text);
        sel = std::make_unique<Selection>(*ed.view, ctx);
    }
    // Selects whole lines first..last (the selection ends at the start of the line after).
    void SelectLines(int first, int last) {
        if (last < ed.doc.lineCount())
            sel->Select(first, 0, last + 1, 0);
        else
            sel->Select(first, 0, last, ed.view->LineContent(ed.doc.lines().LineAt(last)).size());
    }
    std::string Text() {
        std::string t = ed.Marked();
        t.erase(t.find('|'), 1);
        return t;
    }
    std::string Marks() {
        std::string m;
        for (auto* r = ed.doc.lines().first(); r; r = r->next)
            m += (r->flags & LF_MARK) ? 'M' : '-';
        return m;
    }
    std::string Changed() {
        std::string m;
        for (auto* r = ed.doc.lines().first(); r; r = r->next)
            m += (r->flags & LF_CHANGED) ? 'C' : '-';
        return m;
    }
    void Mark(int line) { ed.doc.lines().LineAt(line)->flags |= LF_MARK; }
    void Sort(SortArguments a) {
        ed.shared.scriptSort = std::move(a);
        ed.view->Execute(CommandId::EditSort);
    }
    void Convert(ConvertArguments a) {
        ed.shared.scriptConvert = a;
        ed.view->Execute(CommandId::EditConvert);
    }
    Editor ed;
    platform::FakeClipboard clip;
    ClipboardContext ctx;
    std::unique_ptr<Selection> sel;
};

SortArguments Up(std::string after = "") {
    return {0, 0, 0, std::move(after)};
}

TEST(SortCommand, LinesInEveryEncodingWithUndoAndRedo) {
    static const struct {
        const char* name;
        std::string text;
        int first, last;
        SortArguments args;
        std::string expect;
    } kCases[] = {
        {"the design's lines", "b\na\nab\nz", 1, 3, Up(), "a\nab\nb\nz"},
        {"a key that is a prefix comes first", "ab\na", 1, 2, Up(), "a\nab"},
        {"compare after =", "x=3\ny=1\nz", 1, 3, Up("="), "z\ny=1\nx=3"},
        {"descending keeps equal keys in order", "b\nB\na\nc", 1, 4, {1, 1, 0, ""}, "c\nb\nB\na"},
        {"ignore case", "b\nA\na\nB", 1, 4, {0, 1, 0, ""}, "A\na\nb\nB"},
        {"Japanese keys by bytes", "漢字\nかな\nアイ\nabc", 1, 4, Up(), "abc\nかな\nアイ\n漢字"},
        {"part of the text", "z\ny\nx\nw", 2, 3, Up(), "z\nx\ny\nw"},
        {"NUL bytes are ordinary", std::string("a\0b\na\nb", 7), 1, 3, Up(),
         std::string("a\na\0b\nb", 7)},
    };
    for (Enc enc : {Enc::kAscii, Enc::kSjis, Enc::kUtf8}) {
        for (const auto& c : kCases) {
            if (enc == Enc::kAscii && std::string_view(c.name).starts_with("Japanese")) continue;
            SCOPED_TRACE(std::string(c.name) + " " + testing::EncName(enc));
            Fixture f(enc);
            f.Load(c.text);
            const std::string before = f.ed.Snapshot();
            f.SelectLines(c.first, c.last);
            f.Sort(c.args);
            EXPECT_EQ(f.Text(), c.expect);
            ASSERT_TRUE(f.sel->active());
            EXPECT_EQ(f.sel->start().line, c.first);
            const std::string after = f.ed.Snapshot();
            f.ed.view->Execute(CommandId::Undo);
            EXPECT_EQ(f.ed.Snapshot(), before);
            EXPECT_FALSE(f.ed.doc.modified);
            f.ed.view->Execute(CommandId::Redo);
            EXPECT_EQ(f.ed.Snapshot(), after);
            f.ed.CheckConsistent();
        }
    }
}

TEST(SortCommand, BookmarksTravelWithTheirLinesAndMovedLinesCountAsChanged) {
    Fixture f(Enc::kSjis);
    f.Load("c\nb\na\nd");
    f.Mark(1);
    f.Mark(4);
    f.SelectLines(1, 4);
    const uint64_t notices = f.ed.doc.bookmarkNotices;
    f.Sort(Up());
    EXPECT_EQ(f.Text(), "a\nb\nc\nd");
    EXPECT_EQ(f.Marks(), "--MM");
    EXPECT_EQ(f.Changed(), "C-C-");
    EXPECT_GT(f.ed.doc.bookmarkNotices, notices);
    EXPECT_EQ(f.ed.undo.size(), 1u);  // one record, holding the order only
    EXPECT_EQ(f.ed.undo.at(0).kind, document::UndoKind::kOrder);
    f.ed.view->Execute(CommandId::Undo);
    EXPECT_EQ(f.Marks(), "M--M");
    EXPECT_EQ(f.Changed(), "----");
}

// The rows of sorted lines move with them: every view's caret row and row count stay what a
// fresh count of the rows gives, whether its caret line lies before, inside or after the range,
// through undo and redo.
TEST(SortCommand, TheRowsOfEveryViewFollowTheSortedLines) {
    std::mt19937 rng(5);
    for (int round = 0; round < 40; ++round) {
        view::LayoutOptions layout;
        layout.wrapColumn = 8;  // lines up to 30 bytes take up to four rows
        Fixture f(Enc::kAscii);
        f.ed.layoutOptions = layout;
        std::string text;
        const int lines = 3 + static_cast<int>(rng() % 30);
        for (int i = 0; i < lines; ++i) {
            if (i) text += '\n';
            text += std::string(rng() % 30, static_cast<char>('a' + rng() % 26));
        }
        f.Load(text);
        const int first = 1 + static_cast<int>(rng() % static_cast<unsigned>(lines));
        const int last = first + static_cast<int>(rng() % static_cast<unsigned>(lines - first + 1));
        // A second view with its caret somewhere else.
        CElwView other(f.ed.doc, f.ed.undo, f.ed.shared, layout, f.ed.editOptions);
        other.SetCaret(1 + static_cast<int>(rng() % static_cast<unsigned>(lines)), 0);
        f.SelectLines(first, last);
        auto check = [&](CElwView& v, const char* when) {
            const int64_t row = v.caretRow(), total = v.totalRows();
            const int line = v.caretLineNumber();
            v.RecountRows();
            EXPECT_EQ(v.caretLineNumber(), line) << when;
            EXPECT_EQ(v.caretRow(), row) << when << " round " << round;
            EXPECT_EQ(v.totalRows(), total) << when << " round " << round;
        };
        f.Sort(Up());
        check(*f.ed.view, "sorted");
        check(other, "sorted, the other view");
        f.ed.view->Execute(CommandId::Undo);
        EXPECT_EQ(f.Text(), text);
        check(*f.ed.view, "undone");
        check(other, "undone, the other view");
        f.ed.view->Execute(CommandId::Redo);
        check(*f.ed.view, "redone");
        check(other, "redone, the other view");
    }
}

TEST(SortCommand, BoxPiecesAndBoxKeys) {
    Fixture f(Enc::kSjis);
    f.Load("1 c 1\n2 a 2\n3 b 3");
    f.sel->SelectBox(1, 2, 3, 3);
    f.Sort(Up());
    // Only the text inside the box moves.
    EXPECT_EQ(f.Text(), "1 a 1\n2 b 2\n3 c 3");
    f.ed.view->Execute(CommandId::Undo);
    EXPECT_EQ(f.Text(), "1 c 1\n2 a 2\n3 b 3");

    // With the box key, whole lines move, keyed by the box's columns.
    f.sel->SelectBox(1, 2, 3, 3);
    f.Sort({0, 0, 1, ""});
    EXPECT_EQ(f.Text(), "2 a 2\n3 b 3\n1 c 1");

    // Pieces of lines shorter than the box: a moved piece gets blanks before it.
    f.Load("ab\nzz x\nq");
    f.sel->SelectBox(1, 3, 3, 4);
    f.Sort({1, 0, 0, ""});
    EXPECT_EQ(f.Text(), "ab x\nzz \nq");
}

TEST(SortCommand, NothingHappensWithoutASelectionReadOnlyOrCancelled) {
    Fixture f(Enc::kAscii);
    f.Load("b\na");
    bool asked = false;
    f.ed.shared.sortDialog = [&](SortRequest&) {
        asked = true;
        return false;
    };
    f.ed.view->Execute(CommandId::EditSort);
    EXPECT_FALSE(asked);  // no selection: not even the dialog
    f.SelectLines(1, 2);
    f.ed.view->Execute(CommandId::EditSort);
    EXPECT_TRUE(asked);
    EXPECT_EQ(f.Text(), "b\na");
    f.ed.doc.readOnly = true;
    f.Sort(Up());
    EXPECT_EQ(f.Text(), "b\na");
    EXPECT_FALSE(f.ed.undo.CanUndo());
}

class Recorder : public CommandRecorder {
  public:
    void RecordCommand(CommandId id) override { commands.push_back(id); }
    void RecordChar(uint16_t, int) override {}
    void RecordSort(const SortArguments& a) override { sorts.push_back(a); }
    void RecordConvert(const ConvertArguments& a) override { converts.push_back(a); }
    std::vector<CommandId> commands;
    std::vector<SortArguments> sorts;
    std::vector<ConvertArguments> converts;
};

TEST(SortCommand, TheDialogTheSettingsTheScriptAndTheRecorder) {
    Fixture f(Enc::kAscii);
    f.Load("b=2\na=3\nc=1");
    Recorder rec;
    f.ed.shared.recorder = &rec;
    SortRequest saved;
    f.ed.shared.loadSortSettings = [](SortRequest& r) {
        r.ignoreCase = true;
        r.compareAfter = true;
        r.afterString = "=";
    };
    f.ed.shared.saveSortSettings = [&](const SortRequest& r) { saved = r; };
    SortRequest shown;
    f.ed.shared.sortDialog = [&](SortRequest& r) {
        shown = r;
        r.descending = true;
        return true;
    };
    // A script that gives only the direction: the dialog asks, filled with it and the settings.
    f.SelectLines(1, 3);
    f.Sort({0, -1, -1, std::nullopt});
    EXPECT_TRUE(shown.ignoreCase);
    EXPECT_EQ(shown.afterString, "=");
    EXPECT_FALSE(shown.descending);
    EXPECT_EQ(f.Text(), "a=3\nb=2\nc=1");
    EXPECT_TRUE(saved.descending);
    EXPECT_TRUE(f.ed.shared.sortDescending);
    ASSERT_EQ(rec.sorts.size(), 1u);
    EXPECT_EQ(rec.sorts[0].direction, 1);
    EXPECT_EQ(rec.sorts[0].ignoreCase, 1);
    EXPECT_EQ(*rec.sorts[0].after, "=");
    EXPECT_TRUE(rec.commands.empty());  // recorded with its values, not as a bare command
    // All four given: no dialog; an empty compare-after text is off.
    shown = {};
    f.SelectLines(1, 3);
    f.Sort({0, 0, 0, ""});
    EXPECT_EQ(shown.afterString, "");
    EXPECT_EQ(f.Text(), "a=3\nb=2\nc=1");
    EXPECT_FALSE(saved.compareAfter);
    EXPECT_EQ(*rec.sorts[1].after, "");
}

TEST(ConvertCommand, StreamAndBoxInEveryEncoding) {
    static const struct {
        const char* name;
        const char* text;
        int sel[4];  // stream: line, byte, line, byte (UTF-8 source bytes); box: line, column...
        bool box;
        ConvertArguments args;
        const char* expect;
    } kCases[] = {
        {"upper all on a stream",
         "abc\ndef\nghi",
         {1, 1, 3, 1},
         false,
         {1, 0, 0, 2},
         "aBC\nDEF\nGhi"},
        {"word tops", "hello world-wide", {1, 0, 1, 16}, false, {4, 0, 0, 2}, "Hello World-Wide"},
        {"space to tab", "        x", {1, 0, 1, 9}, false, {0, 2, 0, 2}, "\t\tx"},
        {"a box at its columns",
         "abcd\nefgh\nij",
         {1, 1, 3, 3},
         true,
         {1, 0, 0, 2},
         "aBCd\neFGh\niJ"},
        {"width down", "ＡＢ ガ", {1, 0, 1, 10}, false, {0, 0, 1, 2}, "AB ｶﾞ"},
        {"width up, kana only", "aｱ", {1, 0, 1, 4}, false, {0, 0, 2, 1}, "aア"},
        {"neither box", "Ａa", {1, 0, 1, 4}, false, {1, 0, 1, -1}, "ＡA"},
    };
    for (Enc enc : {Enc::kAscii, Enc::kSjis, Enc::kUtf8}) {
        for (const auto& c : kCases) {
            const bool ascii = std::all_of(c.text, c.text + std::strlen(c.text),
                                           [](char ch) { return static_cast<uint8_t>(ch) < 0x80; });
            if (enc == Enc::kAscii && !ascii) continue;
            SCOPED_TRACE(std::string(c.name) + " " + testing::EncName(enc));
            Fixture f(enc);
            f.ed.layoutOptions.tabWidth = 4;
            f.Load(c.text);
            const std::string before = f.ed.Snapshot();
            auto bytes = [&](int line, int utf8Offset) {
                std::string l = std::string(c.text);
                size_t s = 0;
                for (int i = 1; i < line; ++i) s = l.find('\n', s) + 1;
                return testing::Encode(enc, l.substr(s, static_cast<size_t>(utf8Offset))).size();
            };
            if (c.box)
                f.sel->SelectBox(c.sel[0], c.sel[1], c.sel[2], c.sel[3]);
            else
                f.sel->Select(c.sel[0], bytes(c.sel[0], c.sel[1]), c.sel[2],
                              bytes(c.sel[2], c.sel[3]));
            f.Convert(c.args);
            EXPECT_EQ(f.Text(), c.expect);
            EXPECT_TRUE(f.sel->active());
            const std::string after = f.ed.Snapshot();
            while (f.ed.undo.CanUndo()) f.ed.view->Execute(CommandId::Undo);
            EXPECT_EQ(f.ed.Snapshot(), before);
            while (f.ed.undo.CanRedo()) f.ed.view->Execute(CommandId::Redo);
            EXPECT_EQ(f.ed.Snapshot(), after);
            f.ed.CheckConsistent();
        }
    }
}

TEST(ConvertCommand, EachLineIsOneRecordAndNothingChoosesNothing) {
    Fixture f(Enc::kSjis);
    f.Load("ab\ncd\nEF");
    f.SelectLines(1, 3);
    f.Convert({1, 0, 0, 2});
    EXPECT_EQ(f.Text(), "AB\nCD\nEF");
    EXPECT_EQ(f.ed.undo.size(), 2u);      // the line already in upper case left no record
    f.ed.view->Execute(CommandId::Undo);  // one undo group for the whole command
    EXPECT_EQ(f.Text(), "ab\ncd\nEF");
    f.SelectLines(1, 3);
    f.Convert({0, 0, 0, 2});
    EXPECT_EQ(f.Text(), "ab\ncd\nEF");
    EXPECT_TRUE(f.ed.undo.CanRedo());
    // The dialog opens with every choice at "No Conversion" and both boxes on.
    ConvertRequest shown;
    shown.choices.kana = false;
    f.ed.shared.convertDialog = [&](ConvertRequest& r) {
        shown = r;
        return false;
    };
    f.SelectLines(1, 3);
    f.ed.view->Execute(CommandId::EditConvert);
    EXPECT_TRUE(shown.choices.Nothing());
    EXPECT_TRUE(shown.choices.alphanumerics && shown.choices.kana);
    f.ed.doc.readOnly = true;
    f.Convert({1, 0, 0, 2});
    EXPECT_EQ(f.Text(), "ab\ncd\nEF");
}

TEST(ConvertCommand, ALineGrowingBeyondARecordGoesOnContinued) {
    Fixture f(Enc::kSjis);
    // 40,000 half-width kana become 80,000 bytes of full-width kana.
    std::string kana;
    for (int i = 0; i < 40000; ++i) kana += "ｱ";
    f.Load(kana + "\nnext");
    f.SelectLines(1, 1);
    f.Convert({0, 0, 2, 2});
    f.ed.view->Sync();
    ASSERT_EQ(f.ed.doc.lineCount(), 3);
    const auto* first = f.ed.doc.lines().first();
    EXPECT_TRUE(first->flags & LF_CONTINUED);
    EXPECT_FALSE(first->next->flags & LF_CONTINUED);
    EXPECT_EQ(first->contentLength() + first->next->contentLength(), 80000u);
    EXPECT_EQ(f.ed.view->LineContent(f.ed.doc.lines().last()), "next");
    f.ed.view->Execute(CommandId::Undo);
    EXPECT_EQ(f.ed.doc.lineCount(), 2);
    EXPECT_FALSE(f.ed.doc.lines().first()->flags & LF_CONTINUED);
    f.ed.view->Execute(CommandId::Redo);
    EXPECT_TRUE(f.ed.doc.lines().first()->flags & LF_CONTINUED);
}

}  // namespace
}  // namespace norv::editing

namespace norv::editing {
namespace {

class WaitUi : public platform::UserInterface {
  public:
    int MessageBox(std::string_view, unsigned) override { return platform::kIdOk; }
    void SetStatusText(std::string_view) override {}
    void Beep() override { ++beeps; }
    void BeginWaitCursor() override { ++waits; }
    void EndWaitCursor() override { --waits; }
    int waits = 0, peak = 0, beeps = 0;
};

TEST(SortConvertLongWork, TheWaitCursorShowsAndEscapeStopsSafely) {
    Fixture f(Enc::kSjis);
    std::string text;
    for (int i = 0; i < 20000; ++i) text += "line abc " + std::to_string(19999 - i) + "\n";
    f.Load(text + "end");
    WaitUi ui;
    f.ed.shared.ui = &ui;
    int polls = 0;
    f.ed.shared.escapePressed = [&] {
        ui.peak = std::max(ui.peak, ui.waits);
        return ++polls >= 3;
    };
    const std::string before = f.ed.Snapshot();
    // Sort: stopped before anything changes.
    f.SelectLines(1, f.ed.doc.lineCount());
    f.Sort(Up());
    EXPECT_EQ(ui.peak, 1);
    EXPECT_EQ(ui.waits, 0);
    EXPECT_EQ(ui.beeps, 1);
    EXPECT_EQ(f.ed.Snapshot(), before);
    EXPECT_FALSE(f.ed.undo.CanUndo());
    // Convert: stopped after whole lines, which undo as one step.
    polls = 0;
    ui.peak = 0;
    f.SelectLines(1, f.ed.doc.lineCount());
    f.Convert({1, 0, 0, 2});
    EXPECT_EQ(ui.peak, 1);
    EXPECT_EQ(ui.beeps, 2);
    const auto* r = f.ed.doc.lines().LineAt(3000);
    EXPECT_EQ(f.ed.view->LineContent(r).substr(0, 8), "LINE ABC");
    EXPECT_EQ(f.ed.view->LineContent(f.ed.doc.lines().LineAt(3001)).substr(0, 8), "line abc");
    f.ed.view->Execute(CommandId::Undo);
    EXPECT_EQ(f.ed.Snapshot(), before);
}

}  // namespace
}  // namespace norv::editing
