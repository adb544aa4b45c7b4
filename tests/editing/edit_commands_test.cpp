// Caret and editing commands: text + caret + commands -> text + caret, in ASCII, Shift-JIS and
// UTF-8 documents.
#include <gtest/gtest.h>

#include "edit_test_support.h"
#include "platform/fakes/headless_ui.h"

namespace norv::editing {
namespace {

using testing::Editor;
using testing::Enc;
using testing::Step;
using C = CommandId;

enum EncSet { kAll, kJapanese };

struct Case {
    const char* name;
    EncSet encs;
    const char* before;
    std::vector<Step> steps;
    const char* after;
};

void RunCases(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        for (Enc e : {Enc::kAscii, Enc::kSjis, Enc::kUtf8}) {
            if (c.encs == kJapanese && e == Enc::kAscii) continue;
            SCOPED_TRACE(std::string(c.name) + " / " + testing::EncName(e));
            Editor ed(e);
            ed.Load(c.before);
            for (const Step& s : c.steps) ed.Run(s);
            EXPECT_EQ(ed.Marked(), c.after);
            ed.CheckConsistent();
        }
    }
}

TEST(CaretCommands, MoveByCharacterWordAndLine) {
    RunCases({
        {"right steps over a double-byte character", kJapanese, "|漢a", {C::CsrRight}, "漢|a"},
        {"left lands before the lead byte", kJapanese, "漢|a", {C::CsrLeft}, "|漢a"},
        {"left at a line start goes to the end of the line above",
         kAll,
         "ab\n|cd",
         {C::CsrLeft},
         "ab|\ncd"},
        {"right at a line end goes to the next line", kAll, "ab|\ncd", {C::CsrRight}, "ab\n|cd"},
        {"left at the start of the text does nothing", kAll, "|ab", {C::CsrLeft}, "|ab"},
        {"right at the end of the text does nothing", kAll, "ab|", {C::CsrRight}, "ab|"},
        {"up and down keep the goal column over a short line",
         kAll,
         "abcdef\nab\nabcde|f",
         {C::CsrUp, C::CsrUp},
         "abcde|f\nab\nabcdef"},
        {"down on the last line does nothing", kAll, "ab\nc|d", {C::CsrDown}, "ab\nc|d"},
        {"up on the first line does nothing", kAll, "a|b\ncd", {C::CsrUp}, "a|b\ncd"},
        {"down keeps the column over double-byte text",
         kJapanese,
         "ab|c\n漢字",
         {C::CsrDown},
         "abc\n漢|字"},
        {"word right stops before kanji after hiragana",
         kJapanese,
         "|漢字ひら漢字",
         {C::WordRight},
         "漢字ひら|漢字"},
        {"word right skips the blanks after a word",
         kAll,
         "|abc  def",
         {C::WordRight},
         "abc  |def"},
        {"word right at a line end goes to the next line",
         kAll,
         "abc|\ndef",
         {C::WordRight},
         "abc\n|def"},
        {"word right stops before the line end",
         kAll,
         "ab|c  \ndef",
         {C::WordRight},
         "abc  |\ndef"},
        {"word left goes to the start of the word", kAll, "abc def|", {C::WordLeft}, "abc |def"},
        {"word left takes kanji with their hiragana",
         kJapanese,
         "x 漢字ひら|",
         {C::WordLeft},
         "x |漢字ひら"},
        {"word left stops at hiragana before kanji",
         kJapanese,
         "ひら漢字|",
         {C::WordLeft},
         "ひら|漢字"},
        {"word left at a line start acts as left", kAll, "ab\n|cd", {C::WordLeft}, "ab|\ncd"},
        {"top of line toggles with the first non-blank", kAll, "\t\tx|", {C::BegLine}, "|\t\tx"},
        {"top of line twice", kAll, "\t\tx|", {C::BegLine, C::BegLine}, "\t\t|x"},
        {"end of line", kAll, "|ab\ncd", {C::EndLine}, "ab|\ncd"},
        {"text bottom and top", kAll, "a|b\ncd\nef", {C::TextBot}, "ab\ncd\nef|"},
        {"text top", kAll, "ab\ncd\ne|f", {C::TextTop}, "|ab\ncd\nef"},
    });
}

TEST(EditCommands, DeleteAndBackSpace) {
    RunCases({
        {"delete the character under the caret", kAll, "a|bc", {C::DeleteChar}, "a|c"},
        {"delete a double-byte character whole", kJapanese, "|漢字", {C::DeleteChar}, "|字"},
        {"delete at a line end joins", kAll, "ab|\ncd", {C::DeleteChar}, "ab|cd"},
        {"delete at the end of the text does nothing", kAll, "ab|", {C::DeleteChar}, "ab|"},
        {"backspace", kAll, "ab|c", {C::BackSpace}, "a|c"},
        {"backspace a double-byte character", kJapanese, "漢|字", {C::BackSpace}, "|字"},
        {"backspace at a line start joins", kAll, "ab\n|cd", {C::BackSpace}, "ab|cd"},
        {"backspace at the start of the text does nothing", kAll, "|ab", {C::BackSpace}, "|ab"},
        {"delete word deletes the word only", kAll, "|abc  def", {C::WordDel}, "|  def"},
        {"delete word takes blanks and one delimiter", kAll, "|  ,x", {C::WordDel}, "|x"},
        {"delete word at a line end joins", kAll, "ab|\ncd", {C::WordDel}, "ab|cd"},
        {"delete word over kanji stops at hiragana", kJapanese, "|漢字ひら", {C::WordDel}, "|ひら"},
        {"backspace word deletes the blanks only", kAll, "abc   |", {C::WordBS}, "abc|"},
        {"backspace word deletes a comma and its space", kAll, "x, |", {C::WordBS}, "x|"},
        {"backspace word deletes the word", kAll, "ab cde|", {C::WordBS}, "ab |"},
        {"backspace word at a line start joins", kAll, "ab\n|cd", {C::WordBS}, "ab|cd"},
        {"delete to the end of the line", kAll, "ab|cd\nx", {C::DeleteAfter}, "ab|\nx"},
        {"delete to the end at a line end does nothing",
         kAll,
         "ab|\nx",
         {C::DeleteAfter},
         "ab|\nx"},
        {"delete to the top of the line", kAll, "ab|cd", {C::DeleteTop}, "|cd"},
        {"delete line keeps the caret column", kAll, "ab\nc|d\nef", {C::DeleteLine}, "ab\ne|f"},
        {"delete line on the last line does nothing", kAll, "ab\nc|d", {C::DeleteLine}, "ab\nc|d"},
        {"delete line then pop line",
         kAll,
         "ab\nc|d\nef",
         {C::DeleteLine, C::PopLine},
         "ab\n|cd\nef"},
        {"pop line with an empty ring does nothing", kAll, "a|b", {C::PopLine}, "a|b"},
    });
}

TEST(EditCommands, InsertSplitAndCase) {
    RunCases({
        {"typing inserts", kAll, "a|b", {std::string("xy")}, "axy|b"},
        {"typing a double-byte character", kJapanese, "|a", {std::string("漢")}, "漢|a"},
        {"DEL is ignored", kAll, "a|b", {std::string("\x7f")}, "a|b"},
        {"split line", kAll, "ab|cd", {C::SplitLine}, "ab\n|cd"},
        {"split line copies the indentation", kAll, " \tab|cd", {C::SplitLine}, " \tab\n \t|cd"},
        {"the ideographic space is no indentation by default",
         kJapanese,
         "　ab|cd",
         {C::SplitLine},
         "　ab\n|cd"},
        {"a line of blanks before the caret loses them", kAll, "  |ab", {C::SplitLine}, "\n|ab"},
        {"insert next", kAll, "  a|b", {C::InsertAft}, "  ab\n  |"},
        {"insert before", kAll, "a|b", {C::InsertBef}, "|\nab"},
        {"duplicate", kAll, "x\na|b", {C::DupLine}, "x\n|ab\nab"},
        {"repeat one character", kAll, "a|bc", {C::RepeatOne}, "ab|bc"},
        {"repeat a double-byte character", kJapanese, "|漢", {C::RepeatOne}, "漢|漢"},
        {"tab", kAll, "ab|", {C::InsertTab}, "ab\t|"},
        {"flip case of a run of letters", kAll, "|abC1", {C::ChangeCase}, "ABc|1"},
        {"flip case off a letter does nothing", kAll, "|1a", {C::ChangeCase}, "|1a"},
        {"flip case stops at double-byte text", kJapanese, "|ab漢", {C::ChangeCase}, "AB|漢"},
        {"flip one letter", kAll, "|a1", {C::ChgCaseOne}, "A|1"},
        {"flip one on a digit only moves", kAll, "|1a", {C::ChgCaseOne}, "1|a"},
        {"flip one on a double-byte character only moves",
         kJapanese,
         "|ｱa",
         {C::ChgCaseOne},
         "ｱ|a"},
        {"overwrite a byte", kAll, "|abc", {C::ModeInsert, std::string("x")}, "x|bc"},
        {"overwrite at a line end inserts", kAll, "ab|", {C::ModeInsert, std::string("x")}, "abx|"},
        {"a byte over a double-byte character leaves a space",
         kJapanese,
         "|漢a",
         {C::ModeInsert, std::string("x")},
         "x| a"},
        {"a double-byte character over two bytes",
         kJapanese,
         "|abc",
         {C::ModeInsert, std::string("漢")},
         "漢|c"},
        {"a double-byte character over a byte and half a character",
         kJapanese,
         "|a漢b",
         {C::ModeInsert, std::string("字")},
         "字| b"},
        {"undo typing", kAll, "a|b", {std::string("x"), C::Undo}, "a|b"},
        {"redo typing", kAll, "a|b", {std::string("x"), C::Undo, C::Redo}, "ax|b"},
        {"undo a split with its indentation in one step",
         kAll,
         "  ab|cd",
         {C::SplitLine, C::Undo},
         "  ab|cd"},
        {"undo a join", kAll, "ab\n|cd", {C::BackSpace, C::Undo}, "ab\n|cd"},
        {"undo delete line", kAll, "ab\nc|d\nef", {C::DeleteLine, C::Undo}, "ab\nc|d\nef"},
        {"repeat the last insertion", kAll, "|", {std::string("a"), C::Repeat}, "aa|"},
        {"repeat a split", kAll, "a|b", {C::SplitLine, C::Repeat}, "a\n\n|b"},
    });
}

TEST(EditCommands, ControlCodeInsertsTheNextKeyAsControlCharacter) {
    Editor ed(Enc::kAscii);
    platform::HeadlessUi ui;
    ed.shared.ui = &ui;
    ed.Load("a|b");
    ed.view->Execute(C::InputCtrl);
    ASSERT_FALSE(ui.statusTexts.empty());
    EXPECT_EQ(ui.statusTexts.back(), "Input control code.");
    ed.view->TypeByte('A');
    EXPECT_EQ(ed.Marked(), "a\x01|b");
}

TEST(EditCommands, SoftTabsInsertSpacesToTheNextStop) {
    for (int tab : {4, 8, 20, 40}) {
        SCOPED_TRACE(tab);
        view::LayoutOptions lo;
        lo.tabWidth = tab;
        EditOptions eo;
        eo.softTab = true;
        Editor ed(Enc::kAscii, lo, eo);
        ed.Load("abcde|");
        ed.view->Execute(C::InsertTab);
        // Former fault: widths above 16 ran out of spaces.
        EXPECT_EQ(ed.Marked(),
                  "abcde" + std::string(static_cast<size_t>(tab - 5 % tab), ' ') + "|");
    }
}

TEST(EditCommands, ReadOnlyDocumentsDoNotChangeAndSayWhy) {
    Editor ed(Enc::kAscii);
    platform::HeadlessUi ui;
    ed.shared.ui = &ui;
    ed.Load("ab\nc|d");
    ed.doc.readOnly = true;
    // Each refusal beeps once and puts its reason in the status bar.
    int beeps = 0;
    auto refused = [&](const std::string& what) {
        EXPECT_EQ(ui.beeps, ++beeps) << what;
        EXPECT_EQ(ui.statusTexts.empty() ? "" : ui.statusTexts.back(), kReadOnlyText) << what;
        EXPECT_TRUE(ui.refusalShown()) << what;
        ui.ClearRefusal();
    };
    for (CommandId id : {C::BackSpace, C::DeleteChar, C::SplitLine, C::DupLine, C::DeleteLine,
                         C::WordDel, C::ChangeCase, C::InsertTab, C::TimeStamp, C::PopLine,
                         C::Indent, C::ReFormat, C::EditPaste, C::Redo, C::Replace}) {
        ed.view->Execute(id);
        refused(std::string(ViewCommandName(id)));
    }
    ed.view->TypeByte('x');
    refused("a typed character");
    // A double-byte character is refused once, when it is whole.
    Editor sjis(Enc::kSjis);
    sjis.shared.ui = &ui;
    sjis.Load("|");
    sjis.doc.readOnly = true;
    sjis.Run(std::string("漢"));
    refused("a typed double-byte character");
    EXPECT_EQ(sjis.Marked(), "|");
    ed.view->InsertText("zz");
    EXPECT_EQ(ed.Marked(), "ab\nc|d");
    // Undo changes text too.
    ed.doc.readOnly = false;
    ed.view->TypeByte('y');
    ed.doc.readOnly = true;
    ed.view->Execute(C::Undo);
    EXPECT_EQ(ed.Marked(), "ab\ncy|d");
    ed.doc.readOnly = false;
    ed.view->Execute(C::Undo);
    EXPECT_EQ(ed.Marked(), "ab\nc|d");
    EXPECT_FALSE(ed.doc.modified);
    EXPECT_FALSE(ed.undo.CanUndo());
    // Moving still works, and says nothing.
    ed.doc.readOnly = true;
    const int before = ui.beeps;
    ed.view->Execute(C::CsrUp);
    EXPECT_EQ(ed.view->caretLineNumber(), 1);
    EXPECT_EQ(ui.beeps, before);
}

class RecordingRecorder : public CommandRecorder {
  public:
    void RecordCommand(CommandId id) override { log.push_back(std::string(ViewCommandName(id))); }
    void RecordChar(uint16_t code, int repeat) override {
        log.push_back("char " + std::to_string(code) + " x" + std::to_string(repeat));
    }
    std::vector<std::string> log;
};

TEST(EditCommands, CommandsReportThemselvesBeforeActing) {
    Editor ed(Enc::kSjis);
    RecordingRecorder rec;
    ed.shared.recorder = &rec;
    ed.Load("|");
    ed.view->Execute(C::CsrRight);
    std::string kanji = testing::Encode(Enc::kSjis, "漢");
    ed.view->TypeByte(static_cast<uint8_t>(kanji[0]));
    ed.view->TypeByte(static_cast<uint8_t>(kanji[1]), 3);
    ed.view->Execute(C::Undo);
    EXPECT_EQ(rec.log, (std::vector<std::string>{"CsrRight", "char 35519 x3", "Undo"}));
    // The repeated character is one command and one undo step.
    EXPECT_EQ(ed.Marked(), "|");
}

TEST(EditCommands, TimeStampFollowsTheCodePage) {
    Editor ed(Enc::kAscii);
    ed.shared.localTime = [] {
        std::tm tm{};
        tm.tm_year = 2026 - 1900;
        tm.tm_mon = 11;
        tm.tm_mday = 7;
        tm.tm_wday = 1;
        tm.tm_hour = 9;
        tm.tm_min = 5;
        tm.tm_sec = 3;
        return tm;
    };
    ed.Load("|");
    ed.view->Execute(C::TimeStamp);
    EXPECT_EQ(ed.Marked(), "2026/12/07(Mon) 09:05:03|");
    ed.env.codePage = 1252;
    ed.Load("|");
    ed.view->Execute(C::TimeStamp);
    EXPECT_EQ(ed.Marked(), "12/07/2026(Mon) 09:05:03|");
}

class FixedFind : public FindStringSource {
  public:
    std::string FindString() const override { return text; }
    std::string text;
};

TEST(EditCommands, PasteFindStringDecodesEscapes) {
    Editor ed(Enc::kAscii);
    FixedFind find;
    ed.shared.findString = &find;
    ed.Load("a|b");
    find.text = "";
    ed.view->Execute(C::WordPaste);
    EXPECT_EQ(ed.Marked(), "a|b");
    find.text = "x\\ty\\nz\\x4";
    ed.view->Execute(C::WordPaste);
    EXPECT_EQ(ed.Marked(), "ax\ty\nzx4|b");
    ed.view->Execute(C::Undo);
    EXPECT_EQ(ed.Marked(), "a|b");
}

TEST(EditCommands, InsertTextBreaksLinesAndGuardsLeadBytes) {
    Editor ed(Enc::kSjis);
    ed.Load("<|>");
    ed.view->InsertText("a\r\nb\nc\rd\x82\ne\x82", document::LF_MARK);
    ed.view->Sync();
    EXPECT_EQ(document::DumpLines(ed.doc.lines()),
              "1\t02\t<a\n2\t03\tb\n3\t03\tc\\x0Dd \n4\t03\te >\n");
    ed.view->Execute(C::Undo);
    EXPECT_EQ(ed.Marked(), "<|>");
}

TEST(EditCommands, LongTextContinuesOnFurtherLines) {
    // Former fault: text that did not fit the line limit was dropped.
    Editor ed(Enc::kAscii);
    ed.Load("ab|cd");
    std::string big(70000, 'x');
    ed.view->InsertText(big);
    ed.view->Sync();
    std::string all;
    for (const document::LineRecord* r = ed.doc.lines().first(); r; r = r->next) {
        EXPECT_LE(r->length, document::kMaxLineBytes);
        all.append(r->text(), r->contentLength());
    }
    EXPECT_EQ(all, "ab" + big + "cd");
    EXPECT_EQ(ed.doc.lines().count(), 2);
    ed.CheckConsistent();
    ed.view->Execute(C::Undo);
    EXPECT_EQ(ed.Marked(), "ab|cd");
}

}  // namespace
}  // namespace norv::editing
