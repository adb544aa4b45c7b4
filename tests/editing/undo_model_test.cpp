// Random command sequences on random Japanese and ASCII text. After every command the view's
// counts must agree with a recount; undoing everything must give back the original bytes and
// line flags and an unmodified document; redoing everything must give back the edited text.
#include <gtest/gtest.h>

#include <random>

#include "edit_test_support.h"

namespace norv::editing {
namespace {

using testing::Editor;
using testing::Enc;
using C = CommandId;

class Model {
  public:
    explicit Model(uint32_t seed) : rng_(seed) {}

    int Int(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
    bool Chance(int percent) { return Int(0, 99) < percent; }

    // A piece of text in UTF-8: letters, blanks, punctuation, kana and kanji.
    std::string Piece(int maxChars) {
        static const char* const kPieces[] = {"a",  "b",  "Z",  "q",  " ",  " ",  "\t", ",",  ".",
                                              "(",  ")",  "{",  "}",  ":",  "-",  "*",  "ひ", "ら",
                                              "カ", "漢", "字", "　", "、", "。", "ｱ",  "1",  "\\"};
        std::string s;
        int n = Int(0, maxChars);
        for (int i = 0; i < n; ++i) s += kPieces[Int(0, static_cast<int>(std::size(kPieces)) - 1)];
        return s;
    }

    std::string Text() {
        std::string s;
        int lines = Int(1, 6);
        for (int i = 0; i < lines; ++i) {
            if (i) s += '\n';
            s += Piece(Chance(20) ? 40 : 12);
        }
        return s;
    }

  private:
    std::mt19937 rng_;
};

constexpr CommandId kCommands[] = {
    C::CsrUp,      C::CsrDown,    C::CsrLeft,    C::CsrRight,    C::WordLeft,   C::WordRight,
    C::BegLine,    C::EndLine,    C::LeftSide,   C::RightSide,   C::BackSpace,  C::DeleteChar,
    C::InsertTab,  C::ChangeCase, C::ChgCaseOne, C::DeleteAfter, C::DeleteTop,  C::WordBS,
    C::WordDel,    C::RepeatOne,  C::SplitLine,  C::InsertAft,   C::InsertBef,  C::DupLine,
    C::DeleteLine, C::PopLine,    C::Repeat,     C::ModeInsert,  C::NormalRlUp, C::NormalRlDn,
    C::RollUp,     C::RollDown,   C::PageUp,     C::PageDown,    C::TextTop,    C::TextBot,
};

void RunSequence(uint32_t seed) {
    Model m(seed);
    const Enc enc = static_cast<Enc>(m.Int(0, 2));
    view::LayoutOptions lo;
    lo.wrapColumn = m.Chance(50) ? m.Int(1, 16) : 80;
    lo.tabWidth = m.Int(1, 9);
    lo.noWordWrap = m.Chance(30);
    EditOptions eo;
    eo.softTab = m.Chance(30);
    eo.autoSplit = m.Chance(40);
    eo.freeCursor = m.Chance(30);
    eo.fillByTab = m.Chance(50);
    eo.dbcsSpaceIndent = m.Chance(50);
    eo.cFile = m.Chance(20);
    Editor ed(enc, lo, eo);
    std::string text = m.Text();
    if (enc == Enc::kAscii) {
        for (char& c : text)
            if (static_cast<uint8_t>(c) >= 0x80) c = 'k';
    }
    ed.Load(text);
    // Random flags as a loaded file would have them.
    for (document::LineRecord* r = ed.doc.lines().first(); r; r = r->next) {
        r->flags = static_cast<uint8_t>(
            (m.Chance(20) ? document::LF_MARK : 0) | (m.Chance(20) ? document::LF_FORMATTED : 0) |
            (m.Chance(50) ? document::LF_EOL_CRLF : document::LF_EOL_LF));
    }
    ed.view->SetWindowSize(m.Int(1, 8), 20);
    ed.view->SetCaret(m.Int(1, ed.doc.lines().count()), static_cast<size_t>(m.Int(0, 30)));
    const std::string original = ed.Snapshot();
    ed.shared.insertMode = true;

    const int steps = m.Int(5, 40);
    for (int i = 0; i < steps; ++i) {
        int what = m.Int(0, 99);
        std::string trace;
        if (what < 35) {
            std::string piece = m.Piece(3);
            trace = "type " + piece;
            for (char c : testing::Encode(enc, piece)) ed.view->TypeByte(static_cast<uint8_t>(c));
        } else if (what < 40) {
            std::string piece = m.Piece(6) + (m.Chance(50) ? "\r\n" : "\n") + m.Piece(6);
            trace = "insert text";
            ed.view->InsertText(testing::Encode(enc, piece));
        } else if (what < 44) {
            trace = "undo";
            ed.view->Execute(C::Undo);
        } else if (what < 46) {
            trace = "redo";
            ed.view->Execute(C::Redo);
        } else {
            CommandId id = kCommands[m.Int(0, static_cast<int>(std::size(kCommands)) - 1)];
            trace = std::string(ViewCommandName(id));
            ed.view->Execute(id);
        }
        SCOPED_TRACE("seed " + std::to_string(seed) + " step " + std::to_string(i) + " " + trace);
        if (std::getenv("NORV_MODEL_TRACE"))
            printf("%s\n%s\n%s", trace.c_str(), ed.Marked().c_str(), ed.undo.Dump().c_str());
        ed.CheckConsistent();
        if (::testing::Test::HasFatalFailure()) return;
    }
    ed.shared.pendingChar.clear();
    const std::string edited = ed.Snapshot();
    const size_t editedAt = ed.undo.current();
    SCOPED_TRACE("seed " + std::to_string(seed));
    int guard = 0;
    while (ed.undo.CanUndo() && guard++ < 10000) {
        ed.view->Execute(C::Undo);
        ed.CheckConsistent();
        if (::testing::Test::HasFatalFailure()) return;
    }
    ASSERT_EQ(ed.Snapshot(), original) << ed.undo.Dump();
    EXPECT_FALSE(ed.doc.modified);
    while (ed.undo.current() < editedAt && guard++ < 20000) {
        ed.view->Execute(C::Redo);
        ed.CheckConsistent();
        if (::testing::Test::HasFatalFailure()) return;
    }
    ASSERT_EQ(ed.Snapshot(), edited) << ed.undo.Dump();
    EXPECT_EQ(ed.doc.modified, editedAt != 0);
    // Whatever lies beyond (commands undone at the end) redoes cleanly too.
    while (ed.undo.CanRedo() && guard++ < 30000) {
        ed.view->Execute(C::Redo);
        ed.CheckConsistent();
        if (::testing::Test::HasFatalFailure()) return;
    }
}

TEST(UndoModel, RandomEditsUndoToTheOriginalAndRedoToTheEdit) {
    uint32_t first =
        std::getenv("NORV_MODEL_SEED") ? uint32_t(std::atoi(std::getenv("NORV_MODEL_SEED"))) : 1;
    for (uint32_t seed = first; seed <= 2000; ++seed) {
        RunSequence(seed);
        if (HasFatalFailure()) return;
    }
}

}  // namespace
}  // namespace norv::editing
