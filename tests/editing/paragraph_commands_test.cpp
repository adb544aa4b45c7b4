// The paragraph commands through the view: which lines they work on, the text, the selection
// and the flags they leave, one undo group each, read-only documents, the long work with its
// wait cursor and Escape, Add String with its dialog, script values and recorder, and the
// automatic formatting while typing.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "edit_test_support.h"
#include "editing/paragraph_format.h"
#include "editing/selection.h"
#include "platform/fakes/fake_clipboard.h"

namespace norv::editing {
namespace {

using document::LF_CONTINUED;
using document::LF_FORMATTED;
using document::LF_MARK;
using testing::Editor;
using testing::Enc;
using testing::EncName;
using testing::Encode;
using C = CommandId;

constexpr Enc kEncodings[] = {Enc::kAscii, Enc::kSjis, Enc::kUtf8};

bool IsAscii(const std::string& s) {
    for (char c : s)
        if (static_cast<uint8_t>(c) >= 0x80) return false;
    return true;
}

class CountingUi : public platform::UserInterface {
  public:
    int MessageBox(std::string_view, unsigned) override { return 1; }
    void SetStatusText(std::string_view) override {}
    void Beep() override {}
    void BeginWaitCursor() override { ++waits; }
    void EndWaitCursor() override { ++ends; }
    int waits = 0;
    int ends = 0;
};

// An editor with a selection; `sel` is "l1:c1-l2:c2" in characters of the UTF-8 source, or
// empty for none.
struct Fixture {
    Fixture(Enc e, int w = 20, int t = 4, EditOptions options = {})
        : ed(e, Layout(e, w, t), options), enc(e) {}

    static view::LayoutOptions Layout(Enc e, int w, int t) {
        view::LayoutOptions o;
        o.wrapColumn = w;
        o.tabWidth = t;
        o.dbcsOida = Encode(Enc::kSjis, "「");
        o.dbcsBura = Encode(Enc::kSjis, "」。、");
        (void)e;
        return o;
    }

    void Load(const std::string& text) {
        ed.Load(text);
        ctx.clipboard = &clip;
        sel = std::make_unique<Selection>(*ed.view, ctx);
        ed.shared.ui = &ui;
    }
    // Selects between two places given as (line, UTF-8 prefix length in characters).
    void Select(int l1, size_t c1, int l2, size_t c2) {
        sel->Select(l1, Bytes(l1, c1), l2, Bytes(l2, c2));
    }
    size_t Bytes(int line, size_t chars) {
        ed.view->Sync();
        const document::LineRecord* r = ed.doc.lines().LineAt(line);
        std::string utf8 = testing::Decode(enc, std::string(r->text(), r->contentLength()));
        size_t i = 0, n = 0;
        while (i < utf8.size() && n < chars) {
            auto b = static_cast<uint8_t>(utf8[i]);
            i += b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
            ++n;
        }
        return Encode(enc, utf8.substr(0, i)).size();
    }
    std::string Text() {
        std::string m = ed.Marked();
        m.erase(m.find('|'), 1);
        return m;
    }
    uint8_t Flags(int line) {
        ed.view->Sync();
        return ed.doc.lines().LineAt(line)->flags;
    }
    // Undo gives back the loaded text, redo the command's text, each as one step.
    void CheckUndoRedo(const std::string& original) {
        std::string after = ed.Snapshot();
        ed.view->Execute(C::Undo);
        EXPECT_EQ(Text(), original);
        ed.view->Execute(C::Redo);
        EXPECT_EQ(ed.Snapshot(), after);
        ed.CheckConsistent();
    }

    Editor ed;
    Enc enc;
    platform::FakeClipboard clip;
    ClipboardContext ctx;
    std::unique_ptr<Selection> sel;
    CountingUi ui;
};

TEST(ParagraphCommands, LineCommandsOnTheirLines) {
    static const struct {
        C command;
        std::string text;
        int l1, c1, l2, c2;  // the selection; l1 = 0: none
        std::string want;
    } kCases[] = {
        // Without a selection the alignments work on the caret line, the others do nothing.
        {C::EditCenter, "ab\n0123456789\ncd", 0, 0, 0, 0, "ab\n    0123456789\ncd"},
        {C::EditRight, "ab\n0123456789\ncd", 0, 0, 0, 0, "ab\n         0123456789\ncd"},
        {C::EditLeft, "ab\n   0123456789\ncd", 0, 0, 0, 0, "ab\n0123456789\ncd"},
        {C::Indent, "ab\nxy\ncd", 0, 0, 0, 0, "ab\nxy\ncd"},
        {C::BackInd, "ab\n  xy\ncd", 0, 0, 0, 0, "ab\n  xy\ncd"},
        // The last line is left out when the selection ends at its start.
        {C::Indent, "a\nb\n\nc\nd", 1, 0, 5, 0, "\ta\n\tb\n\n\tc\nd"},
        {C::Indent, "a\nb\nc", 1, 1, 3, 1, "\ta\n\tb\n\tc"},
        {C::BackInd, "  \tx\n\t  y\n      z", 1, 0, 3, 1, "x\n  y\n  z"},
        {C::EditRight, "日本語\nab", 1, 0, 2, 2, "             日本語\n                 ab"},
        {C::EditCenter, "\ta\tb", 1, 0, 1, 2, "       a\tb"},
    };
    for (Enc e : kEncodings) {
        for (const auto& c : kCases) {
            if (e == Enc::kAscii && !IsAscii(c.text)) continue;
            SCOPED_TRACE(std::string(EncName(e)) + ": " + c.text);
            Fixture f(e);
            f.Load(c.text);
            f.ed.view->SetCaret(2, 0);
            if (c.l1) f.Select(c.l1, static_cast<size_t>(c.c1), c.l2, static_cast<size_t>(c.c2));
            f.ed.view->Execute(c.command);
            EXPECT_EQ(f.Text(), c.want);
            if (f.Text() != c.text) f.CheckUndoRedo(c.text);
        }
    }
}

TEST(ParagraphCommands, SelectionComesBackOverWholeLines) {
    Fixture f(Enc::kAscii);
    f.Load("abc\ndef\nghi");
    f.Select(1, 1, 2, 1);
    f.ed.view->Execute(C::Indent);
    ASSERT_TRUE(f.sel->active());
    EXPECT_EQ(f.sel->start().line, 1);
    EXPECT_EQ(f.sel->start().pos, 0u);
    EXPECT_EQ(f.sel->end().line, 2);
    EXPECT_EQ(f.sel->end().pos, 4u);
    // A second Indent works on the same lines.
    f.ed.view->Execute(C::Indent);
    EXPECT_EQ(f.Text(), "\t\tabc\n\t\tdef\nghi");
    f.ed.view->Execute(C::Undo);
    EXPECT_EQ(f.Text(), "\tabc\n\tdef\nghi");
}

TEST(ParagraphCommands, SoftTabsIndentToTheStop) {
    EditOptions o;
    o.softTab = true;
    Fixture f(Enc::kAscii, 20, 4, o);
    f.Load("ab\n\ncd");
    f.Select(1, 0, 3, 2);
    f.ed.view->Execute(C::Indent);
    EXPECT_EQ(f.Text(), "    ab\n\n    cd");
}

TEST(ParagraphCommands, ReadOnlyDocumentsStayAsTheyAre) {
    for (C c : {C::EditLeft, C::EditCenter, C::EditRight, C::Indent, C::BackInd, C::ReFormat,
                C::DeFormat, C::AddString}) {
        Fixture f(Enc::kAscii);
        f.Load("  one two three four five six\n  seven");
        f.ed.doc.readOnly = true;
        f.ed.shared.addStringDialog = [](AddStringRequest& r) {
            r.text = "x";
            return true;
        };
        f.Select(1, 0, 2, 3);
        f.ed.view->Execute(c);
        EXPECT_EQ(f.Text(), "  one two three four five six\n  seven");
        EXPECT_FALSE(f.ed.undo.CanUndo());
    }
}

TEST(ParagraphCommands, DeformatsTheSelectionAndKeepsItSelected) {
    static const struct {
        std::string text;
        int l1, c1, l2, c2;
        std::string want;
        int endLine;  // where the selection ends
    } kCases[] = {
        {"one\ntwo\nthree", 1, 0, 3, 5, "one two three", 1},
        {"日本\n語です\nx", 1, 0, 2, 3, "日本語です\nx", 1},
        {"xx one\n  two\n\n\nthree yy", 1, 3, 5, 5, "xx one two\n\n\nthree yy", 4},
        {"a\nb\nc", 1, 0, 3, 0, "a b\nc", 2},
    };
    for (Enc e : kEncodings) {
        for (const auto& c : kCases) {
            if (e == Enc::kAscii && !IsAscii(c.text)) continue;
            SCOPED_TRACE(std::string(EncName(e)) + ": " + c.text);
            Fixture f(e);
            f.Load(c.text);
            f.Select(c.l1, static_cast<size_t>(c.c1), c.l2, static_cast<size_t>(c.c2));
            f.ed.view->Execute(C::DeFormat);
            EXPECT_EQ(f.Text(), c.want);
            ASSERT_TRUE(f.sel->active());
            EXPECT_EQ(f.sel->start().line, c.l1);
            EXPECT_EQ(f.sel->end().line, c.endLine);
            f.CheckUndoRedo(c.text);
        }
    }
}

TEST(ParagraphCommands, DeformatOfASelectionSeesTypedTextAndRecordsOnlyChanges) {
    // Text just typed on a line is part of what Deformat joins.
    Fixture f(Enc::kAscii);
    f.Load("ab|\ncd\n\nef");
    f.ed.view->TypeByte('x');
    f.Select(1, 0, 4, 2);
    f.ed.view->Execute(C::DeFormat);
    EXPECT_EQ(f.Text(), "abx cd\n\nef");
    // Paragraphs that are single lines already: the text stays and nothing is recorded beyond
    // the typing.
    Fixture g(Enc::kAscii);
    g.Load("|one\n\ntwo\n\n\nthree");
    g.Select(1, 0, 6, 5);
    g.ed.view->Execute(C::DeFormat);
    EXPECT_EQ(g.Text(), "one\n\ntwo\n\n\nthree");
    EXPECT_FALSE(g.ed.undo.CanUndo());
    // The same text but the last line joined: recorded.
    Fixture h(Enc::kAscii);
    h.Load("|one\n\ntwo\nthree");
    h.Select(1, 0, 4, 5);
    h.ed.view->Execute(C::DeFormat);
    EXPECT_EQ(h.Text(), "one\n\ntwo three");
    h.CheckUndoRedo("one\n\ntwo\nthree");
}

TEST(ParagraphCommands, DeformatJoinsTheParagraphIntoItsFirstLine) {
    Fixture f(Enc::kAscii);
    f.Load("top\n  one|\n   two\nthree\n- bullet\nafter");
    f.ed.doc.lines().LineAt(3)->flags = LF_MARK;
    f.ed.doc.lines().LineAt(2)->flags = LF_FORMATTED;
    f.ed.doc.bookmarksChanged = false;
    f.ed.view->Execute(C::DeFormat);
    EXPECT_EQ(f.Text(), "top\n  one two three\n- bullet\nafter");
    EXPECT_EQ(f.Flags(2) & (LF_MARK | LF_FORMATTED), LF_MARK);
    EXPECT_TRUE(f.ed.doc.bookmarksChanged);
    f.CheckUndoRedo("top\n  one\n   two\nthree\n- bullet\nafter");
    // A one-line paragraph: nothing to join, nothing recorded.
    Fixture g(Enc::kAscii);
    g.Load("one|\n\ntwo");
    g.ed.view->Execute(C::DeFormat);
    EXPECT_FALSE(g.ed.undo.CanUndo());
}

TEST(ParagraphCommands, DeformatBeyondTheLineLimitGoesOnInContinuedLines) {
    Fixture f(Enc::kAscii);
    std::string a(40000, 'a'), b(40000, 'b');
    f.Load("|" + a + "\n" + b);
    f.ed.view->Execute(C::DeFormat);
    f.ed.view->Sync();
    ASSERT_EQ(f.ed.doc.lines().count(), 2);
    EXPECT_TRUE(f.Flags(1) & LF_CONTINUED);
    EXPECT_FALSE(f.Flags(2) & LF_CONTINUED);
    EXPECT_EQ(f.Text(), (a + " " + b).insert(kMaxLineContent, "\n"));
    f.ed.CheckConsistent();
    f.CheckUndoRedo(a + "\n" + b);
}

TEST(ParagraphCommands, NulBytesAreCharacters) {
    Fixture f(Enc::kAscii);
    f.Load(std::string("a\0b\nc\0d", 7));
    f.Select(1, 0, 2, 3);
    f.ed.view->Execute(C::DeFormat);
    EXPECT_EQ(f.Text(), std::string("a\0b c\0d", 7));
    f.ed.shared.addStringDialog = [](AddStringRequest& r) {
        r.text = "<";
        r.atEnd = true;
        return true;
    };
    f.Select(1, 0, 1, 3);
    f.ed.view->Execute(C::AddString);
    EXPECT_EQ(f.Text(), std::string("a\0b c\0d<", 8));
}

TEST(ParagraphCommands, FormatReflowsTheParagraphAndMarksItsLineEnds) {
    Fixture f(Enc::kAscii, 20);
    f.Load("the quick brown |fox jumps over the lazy dog\nand more\n\nnext paragraph");
    f.ed.view->Execute(C::ReFormat);
    EXPECT_EQ(f.Text(), "the quick brown\nfox jumps over the\nlazy dog and more\n\nnext paragraph");
    EXPECT_TRUE(f.Flags(1) & LF_FORMATTED);
    EXPECT_TRUE(f.Flags(2) & LF_FORMATTED);
    EXPECT_FALSE(f.Flags(3) & LF_FORMATTED);
    // The caret stays before "fox".
    EXPECT_EQ(f.ed.view->caretLineNumber(), 2);
    EXPECT_EQ(f.ed.view->caretPos(), 0u);
    f.CheckUndoRedo("the quick brown fox jumps over the lazy dog\nand more\n\nnext paragraph");
    // Formatting the formatted paragraph records nothing.
    f.ed.undo.Clear();
    f.ed.view->SetCaret(1, 0);
    f.ed.view->Execute(C::ReFormat);
    EXPECT_FALSE(f.ed.undo.CanUndo());
}

TEST(ParagraphCommands, FormatOfASelectionCoversItsLines) {
    for (Enc e : {Enc::kSjis, Enc::kUtf8}) {
        Fixture f(e, 12);
        f.Load("あいうえおかきくけこさしすせそ\nたちつてと\n\nなにぬねの");
        f.Select(1, 0, 4, 0);
        f.ed.view->Execute(C::ReFormat);
        EXPECT_EQ(testing::Decode(Enc::kUtf8, f.Text()),
                  "あいうえおか\nきくけこさし\nすせそたちつ\nてと\n\nなにぬねの");
        EXPECT_EQ(f.ui.waits, 1);
        EXPECT_EQ(f.ui.ends, 1);
        f.CheckUndoRedo("あいうえおかきくけこさしすせそ\nたちつてと\n\nなにぬねの");
    }
}

TEST(ParagraphCommands, EscapeStopsLongWorkAfterAWholeLine) {
    // About 10 MB of English in lines of 80 columns.
    std::string line =
        "lorem ipsum dolor sit amet consectetur adipiscing elit sed do eiusmod "
        "tempor inc";
    const int lines = 10 * 1024 * 1024 / static_cast<int>(line.size() + 1);
    std::string text;
    text.reserve(static_cast<size_t>(lines) * (line.size() + 1));
    for (int i = 0; i < lines; ++i) text += line + (i + 1 < lines ? "\n" : "");
    for (C c : {C::ReFormat, C::DeFormat}) {
        Fixture f(Enc::kAscii, 60);
        f.Load(text);
        int polls = 0;
        f.ed.shared.escapePressed = [&] { return ++polls == 3; };
        f.Select(1, 0, lines, line.size());
        f.ed.view->Execute(c);
        EXPECT_EQ(f.ui.waits, 1);
        EXPECT_EQ(f.ui.ends, 1);
        f.ed.view->Sync();
        // The lines after the ones done are untouched and whole.
        const int done = 3 * kLinesPerEscapePoll;
        const int left = lines - done;
        const int total = f.ed.doc.lines().count();
        ASSERT_GT(total, left);
        for (int k = 0; k < 50; ++k) {
            const document::LineRecord* r = f.ed.doc.lines().LineAt(total - k);
            EXPECT_EQ(std::string(r->text(), r->contentLength()), line);
        }
        f.ed.view->Execute(C::Undo);
        f.ed.view->Sync();
        EXPECT_EQ(f.ed.doc.lines().count(), lines);
        EXPECT_EQ(std::string(f.ed.doc.lines().LineAt(1)->text(), line.size()), line);
    }
}

TEST(ParagraphCommands, AddStringToEveryLineOfTheSelection) {
    for (Enc e : kEncodings) {
        SCOPED_TRACE(EncName(e));
        Fixture f(e);
        f.Load("a\n\nb\nc\nd");
        std::vector<bool> asked;
        std::string saved;
        f.ed.shared.addStringUsed = [&](const AddStringRequest& r) { saved = r.text; };
        f.ed.shared.addStringDialog = [&](AddStringRequest& r) {
            asked.push_back(r.textGiven);
            r.text = Encode(e, "\\t日>");
            r.atEnd = false;
            return true;
        };
        f.Select(1, 0, 4, 0);
        f.ed.view->Execute(C::AddString);
        EXPECT_EQ(asked, std::vector<bool>{false});
        // Lines 1 to 3: the selection ends at the start of line 4; empty lines too.
        EXPECT_EQ(f.Text(), "\t日>a\n\t日>\n\t日>b\nc\nd");
        EXPECT_EQ(saved, Encode(e, "\\t日>"));
        f.CheckUndoRedo("a\n\nb\nc\nd");
        // A string with a line end makes lines of its own, which are not worked on again.
        f.ed.view->Execute(C::Undo);
        f.Select(1, 0, 3, 1);
        f.ed.view->AddString(std::string("-\\n"), true);
        EXPECT_EQ(f.Text(), "a-\n\n-\n\nb-\n\nc\nd");
    }
}

class Recorder : public CommandRecorder {
  public:
    void RecordCommand(CommandId id) override { commands.push_back(id); }
    void RecordChar(uint16_t, int) override {}
    void RecordAddString(std::string_view text, bool atEnd) override {
        texts.emplace_back(text);
        ends.push_back(atEnd);
    }
    std::vector<CommandId> commands;
    std::vector<std::string> texts;
    std::vector<bool> ends;
};

TEST(ParagraphCommands, AddStringFromScriptsAndTheRecorder) {
    Fixture f(Enc::kAscii);
    f.Load("a\nb");
    Recorder rec;
    f.ed.shared.recorder = &rec;
    int dialogs = 0;
    std::string given;
    f.ed.shared.addStringDialog = [&](AddStringRequest& r) {
        ++dialogs;
        given = r.text;
        r.atEnd = true;
        return true;
    };
    f.Select(1, 0, 2, 1);
    // Both values: no dialog.
    f.ed.view->AddString(std::string(">"), false);
    EXPECT_EQ(dialogs, 0);
    EXPECT_EQ(f.Text(), ">a\n>b");
    // One missing: the dialog asks, filled with what was given.
    f.ed.view->AddString(std::string("<"), std::nullopt);
    EXPECT_EQ(dialogs, 1);
    EXPECT_EQ(given, "<");
    EXPECT_EQ(f.Text(), ">a<\n>b<");
    EXPECT_EQ(rec.texts, (std::vector<std::string>{">", "<"}));
    EXPECT_EQ(rec.ends, (std::vector<bool>{false, true}));
    EXPECT_TRUE(rec.commands.empty());
    // Cancelled: nothing happens and nothing is recorded.
    f.ed.shared.addStringDialog = [](AddStringRequest&) { return false; };
    f.ed.view->Execute(C::AddString);
    EXPECT_EQ(f.Text(), ">a<\n>b<");
    EXPECT_EQ(rec.texts.size(), 2u);
    // Without a selection nothing is added.
    f.sel->Cancel();
    f.ed.view->AddString(std::string("x"), false);
    EXPECT_EQ(f.Text(), ">a<\n>b<");
}

EditOptions AutoFormatOn() {
    EditOptions o;
    o.autoSplit = true;
    return o;
}

TEST(ParagraphCommands, AutoFormatReflowsWhileTyping) {
    Fixture f(Enc::kAscii, 20, 4, AutoFormatOn());
    f.Load("|over the lazy dog\nnext line");
    for (char c : std::string("the quick brown fox jumps "))
        f.ed.view->TypeByte(static_cast<uint8_t>(c));
    EXPECT_EQ(f.ed.Marked(), "the quick brown fox\njumps |over the lazy\ndog\nnext line");
    EXPECT_TRUE(f.Flags(1) & LF_FORMATTED);
    EXPECT_TRUE(f.Flags(2) & LF_FORMATTED);
    EXPECT_FALSE(f.Flags(3) & LF_FORMATTED);
    // Deleting pulls the text back up, and the hard line end stays.
    f.ed.view->SetCaret(1, 0);
    for (int i = 0; i < 10; ++i) f.ed.view->Execute(C::DeleteChar);
    EXPECT_EQ(f.Text(), "brown fox jumps over\nthe lazy dog\nnext line");
    f.ed.CheckConsistent();
    // Undo replays without formatting.
    while (f.ed.undo.CanUndo()) f.ed.view->Execute(C::Undo);
    EXPECT_EQ(f.Text(), "over the lazy dog\nnext line");
}

// Typing words with automatic formatting on: every word lands whole and in order, rows stay
// within the width, and undoing everything gives the text back.
TEST(ParagraphCommands, AutoFormatTypingModel) {
    std::mt19937 rng(912);
    for (int round = 0; round < 30; ++round) {
        const int w = 12 + static_cast<int>(rng() % 30);
        Fixture f(Enc::kAscii, w, 4, AutoFormatOn());
        f.Load("|tail of it\nnext line");
        std::string typed;
        const int words = 5 + static_cast<int>(rng() % 20);
        for (int k = 0; k < words; ++k) {
            std::string word(1 + rng() % 6, static_cast<char>('a' + rng() % 26));
            typed += word + " ";
        }
        for (char c : typed) f.ed.view->TypeByte(static_cast<uint8_t>(c));
        std::string text = f.Text();
        SCOPED_TRACE(std::to_string(w) + ": " + text);
        std::string joined;
        for (char c : text) joined.push_back(c == '\n' ? ' ' : c);
        // Blanks are collapsed only where rows were broken.
        auto squeeze = [](std::string s) {
            std::string out;
            for (char c : s)
                if (c != ' ' || (!out.empty() && out.back() != ' ')) out.push_back(c);
            return out;
        };
        EXPECT_EQ(squeeze(joined), squeeze(typed + "tail of it next line"));
        for (int l = 1; l < f.ed.doc.lines().count(); ++l) {
            const document::LineRecord* r = f.ed.doc.lines().LineAt(l);
            std::string row(r->text(), r->contentLength());
            while (!row.empty() && row.back() == ' ') row.pop_back();
            EXPECT_LE(static_cast<int>(row.size()), w) << row;
        }
        EXPECT_EQ(f.ed.doc.lines().LineAt(f.ed.doc.lines().count())->contentLength(), 9u);
        f.ed.CheckConsistent();
        while (f.ed.undo.CanUndo()) f.ed.view->Execute(C::Undo);
        EXPECT_EQ(f.Text(), "tail of it\nnext line");
    }
}

TEST(ParagraphCommands, AutoFormatLeavesCFilesAndNoWrapAlone) {
    for (int which = 0; which < 2; ++which) {
        EditOptions o = AutoFormatOn();
        (which ? o.noWrap : o.cFile) = true;
        Fixture f(Enc::kAscii, 20, 4, o);
        f.Load("int x = 1; int y = 2; int z = 3;|\nnext");
        f.ed.view->TypeByte(' ');
        EXPECT_EQ(f.Text(), "int x = 1; int y = 2; int z = 3; \nnext");
    }
}

}  // namespace
}  // namespace norv::editing
