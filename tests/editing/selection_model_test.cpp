// Random selections, copies, cuts, pastes and box operations mixed with caret moves and typing
// on random Japanese and ASCII text: the view's counts agree with a recount after every step, a
// stream cut followed by a paste at the same place restores the text, and undoing everything
// gives back the original bytes and flags.
#include <gtest/gtest.h>

#include <random>

#include "edit_test_support.h"
#include "editing/selection.h"
#include "platform/fakes/fake_clipboard.h"

namespace norv::editing {
namespace {

using testing::Editor;
using testing::Enc;
using C = CommandId;

constexpr CommandId kMoves[] = {C::CsrUp,    C::CsrDown,   C::CsrLeft, C::CsrRight,
                                C::WordLeft, C::WordRight, C::BegLine, C::EndLine};
constexpr CommandId kSelectionCommands[] = {
    C::SelectBegin, C::SelectEnd,  C::BoxBegin,       C::SelectAll,     C::EditCopy,
    C::EditCut,     C::EditPaste,  C::EditCopyAppend, C::EditCutAppend, C::BoxPaste,
    C::BackSpace,   C::DeleteChar, C::SplitLine,      C::FlushBuf};

void RunSequence(uint32_t seed) {
    std::mt19937 rng(seed);
    auto Int = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    static const char* const kPieces[] = {"a", "b", " ", "\t", "ひ", "漢", "字", "　", "x", "1"};
    auto Piece = [&](int max) {
        std::string s;
        for (int i = Int(0, max); i > 0; --i) s += kPieces[Int(0, int(std::size(kPieces)) - 1)];
        return s;
    };
    const Enc enc = static_cast<Enc>(Int(1, 2));
    view::LayoutOptions lo;
    lo.wrapColumn = Int(0, 1) ? Int(4, 16) : 80;
    lo.tabWidth = Int(1, 8);
    EditOptions eo;
    eo.freeCursor = Int(0, 2) == 0;
    Editor ed(enc, lo, eo);
    std::string text;
    for (int i = Int(1, 6); i > 0; --i) text += Piece(10) + (i > 1 ? "\n" : "");
    ed.Load(text);
    platform::FakeClipboard clip;
    ClipboardContext ctx;
    ctx.clipboard = &clip;
    clip.onChange = [&] { ctx.ClipboardChanged(); };
    Selection sel(*ed.view, ctx);
    ed.view->SetCaret(Int(1, ed.doc.lines().count()), size_t(Int(0, 12)));
    const std::string original = ed.Snapshot();

    for (int step = Int(5, 40); step > 0; --step) {
        int what = Int(0, 99);
        std::string trace;
        if (what < 30) {
            CommandId id = kMoves[Int(0, int(std::size(kMoves)) - 1)];
            sel.shiftHeld = Int(0, 1) == 1;
            trace = std::string(sel.shiftHeld ? "shift " : "") + std::string(ViewCommandName(id));
            ed.view->Execute(id);
            sel.shiftHeld = false;
        } else if (what < 40) {
            std::string p = Piece(3);
            trace = "type " + p;
            for (char c : testing::Encode(enc, p)) ed.view->TypeByte(uint8_t(c));
        } else if (what < 48) {
            trace = "undo";
            ed.view->Execute(C::Undo);
        } else if (what < 55 && sel.active() && sel.kind() != SelectionKind::kBox &&
                   (sel.Normalize(), sel.active())) {
            // Cut and paste back at the same place: the text is as before.
            trace = "cut and paste back";
            auto textOnly = [&] {
                std::string m = ed.Marked();
                m.erase(m.find('|'), 1);
                return m;
            };
            std::string before = textOnly();
            ed.view->Execute(C::EditCut);
            ed.view->Execute(C::EditPaste);
            EXPECT_EQ(textOnly(), before) << "seed " << seed;
        } else {
            CommandId id = kSelectionCommands[Int(0, int(std::size(kSelectionCommands)) - 1)];
            trace = std::string(ViewCommandName(id));
            ed.view->Execute(id);
        }
        SCOPED_TRACE("seed " + std::to_string(seed) + " " + trace);
        ed.CheckConsistent();
        if (::testing::Test::HasFailure()) return;
    }
    ed.shared.pendingChar.clear();
    int guard = 0;
    while (ed.undo.CanUndo() && guard++ < 10000) ed.view->Execute(C::Undo);
    sel.Cancel();
    ASSERT_EQ(ed.Snapshot(), original) << "seed " << seed << "\n" << ed.undo.Dump();
}

TEST(SelectionModel, RandomSelectionEditsUndoToTheOriginal) {
    uint32_t first =
        std::getenv("NORV_MODEL_SEED") ? uint32_t(std::atoi(std::getenv("NORV_MODEL_SEED"))) : 1;
    for (uint32_t seed = first; seed <= 600; ++seed) {
        RunSequence(seed);
        if (HasFailure()) return;
    }
}

}  // namespace
}  // namespace norv::editing
