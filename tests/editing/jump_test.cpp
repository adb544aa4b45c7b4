// JumpLine: the dialog's answer moves the caret to a text line or to a display row; the
// "Step Undo/Redo" dialog steps through the history while it stays open.
#include <gtest/gtest.h>

#include "edit_test_support.h"

namespace norv::editing {
namespace {

using testing::Editor;
using testing::Enc;

TEST(Jump, ToTextLinesAndDisplayRowsClampedToTheText) {
    view::LayoutOptions narrow;
    narrow.wrapColumn = 4;
    narrow.noWordWrap = true;
    Editor ed(Enc::kAscii, narrow);
    // Rows: "abcd" "efgh" "ij" | "k" | "lmnop" -> "lmno" "p"
    ed.Load("|abcdefghij\nk\nlmnop");
    static const struct {
        const char* name;
        int64_t n;
        bool logical;
        const char* marked;
    } kCases[] = {
        {"logical line 2", 2, true, "abcdefghij\n|k\nlmnop"},
        {"logical beyond the end goes to the last line", 99, true, "abcdefghij\nk\n|lmnop"},
        {"logical 0 goes to the first line", 0, true, "|abcdefghij\nk\nlmnop"},
        {"physical row 2 is the second row of line 1", 2, false, "abcd|efghij\nk\nlmnop"},
        {"physical row 3", 3, false, "abcdefgh|ij\nk\nlmnop"},
        {"physical row 4 is line 2", 4, false, "abcdefghij\n|k\nlmnop"},
        {"physical row 6 is the wrapped part of line 3", 6, false, "abcdefghij\nk\nlmno|p"},
        {"physical beyond the end goes to the last row", 50, false, "abcdefghij\nk\nlmno|p"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        ed.view->SetCaret(1, 0);
        JumpRequest asked;
        ed.shared.jumpDialog = [&](JumpRequest& r) {
            asked = r;
            r.line = c.n;
            r.logical = c.logical;
            return true;
        };
        EXPECT_TRUE(ed.view->Execute(CommandId::JumpLine));
        EXPECT_EQ(ed.Marked(), c.marked);
        EXPECT_EQ(asked.line, 1);                     // the dialog starts at the caret's line
        EXPECT_EQ(ed.shared.jumpLogical, c.logical);  // the kind is remembered
        ed.CheckConsistent();
    }
    // Cancelled: nothing moves.
    ed.view->SetCaret(2, 0);
    ed.shared.jumpDialog = [](JumpRequest&) { return false; };
    ed.view->Execute(CommandId::JumpLine);
    EXPECT_EQ(ed.Marked(), "abcdefghij\n|k\nlmnop");
}

TEST(Jump, CentresTheLineWithJumpCenter) {
    for (bool centre : {true, false}) {
        SCOPED_TRACE(centre);
        EditOptions options;
        options.jumpCenter = centre;
        Editor ed(Enc::kAscii, {}, options);
        std::string text = "|";
        for (int i = 1; i <= 100; ++i) text += "line\n";
        ed.Load(text);
        ed.view->JumpTo(50, true);
        EXPECT_EQ(ed.view->caretLineNumber(), 50);
        // The window has 10 rows: centred, the line is in its middle; else at its bottom.
        EXPECT_EQ(ed.view->caretScreenRow(), centre ? 5 : 9);
    }
}

// A far jump back starts from the first line instead of walking back from the caret: the rows
// it counts are the same either way, with wrapped lines before and after the target.
TEST(Jump, FarJumpsBackCountTheSameRows) {
    view::LayoutOptions narrow;
    narrow.wrapColumn = 4;
    narrow.noWordWrap = true;
    Editor ed(Enc::kAscii, narrow);
    std::string text = "abcdefghij\n";                                 // 3 rows
    for (int n = 2; n <= 300; ++n) text += n % 7 ? "k\n" : "lmnop\n";  // 1 row or 2
    ed.Load(text + "|end");
    auto rowsBefore = [&](int line) {
        int64_t rows = 0;
        for (int n = 1; n < line; ++n) rows += n == 1 ? 3 : n % 7 ? 1 : 2;
        return rows;
    };
    for (int line : {2, 299, 3, 150, 1, 301, 7, 8, 100}) {
        ed.view->SetCaret(line, 0);
        EXPECT_EQ(ed.view->caretLineNumber(), line);
        EXPECT_EQ(ed.view->caretRow(), rowsBefore(line)) << line;
    }
    // A jump into the middle of a wrapped line, from far behind it.
    ed.view->SetCaret(301, 0);
    ed.view->SetCaret(1, 9);
    EXPECT_EQ(ed.view->caretRow(), 2);
    EXPECT_EQ(ed.view->totalRows(), rowsBefore(301) + 1);  // "end" is one row
    // A far jump forward starts from the last line, whose row follows from the kept total:
    // still right after an edit near the end changed the rows.
    ed.view->SetCaret(299, 0);
    ed.view->InsertText("wxyzwxyz");  // "k" of 1 row becomes 3 rows
    ed.view->SetCaret(2, 0);
    ed.view->SetCaret(300, 0);
    EXPECT_EQ(ed.view->caretRow(), rowsBefore(300) + 2);
    ed.view->SetCaret(2, 0);
    ed.view->SetCaret(299, 0);
    EXPECT_EQ(ed.view->caretRow(), rowsBefore(299));
}

TEST(StepDo, StepsWhileTheDialogStaysOpen) {
    Editor ed(Enc::kAscii);
    ed.Load("|");
    for (char c : std::string("abcde")) ed.view->TypeByte(static_cast<uint8_t>(c));
    std::vector<std::string> seen;
    ed.shared.stepDoDialog = [&](StepDoRequest& r) {
        bool canUndo = true, canRedo = false;
        r.step(false, 2, &canUndo, &canRedo);
        seen.push_back(ed.Marked());
        EXPECT_TRUE(canUndo);
        EXPECT_TRUE(canRedo);
        r.step(false, 9, &canUndo, &canRedo);  // more steps than the history holds
        seen.push_back(ed.Marked());
        EXPECT_FALSE(canUndo);
        r.step(true, 1, &canUndo, &canRedo);
        seen.push_back(ed.Marked());
        r.steps = 1;
        return false;  // closed with Close: no further step
    };
    ed.view->Execute(CommandId::StepDo);
    EXPECT_EQ(seen, (std::vector<std::string>{"abc|", "|", "a|"}));
    EXPECT_EQ(ed.Marked(), "a|");
    EXPECT_EQ(ed.shared.stepDoSteps, 1);
}

}  // namespace
}  // namespace norv::editing
