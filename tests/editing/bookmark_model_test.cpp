// Bookmarks under random edits, against a model list of marked lines.
//
// The model knows only what the design says marks do: a mark belongs to its line's text. Typing
// leaves it; a line break at a line's first byte carries the mark down with the text, elsewhere
// the upper part keeps it; a join keeps the mark of either line; a deleted line takes its mark
// with it and a popped line comes back unmarked; undo and redo return to the marks the history
// had there. After every step NextMark from the top must visit exactly the model's lines,
// PrevMark from the bottom them in reverse, the outline must list those with text, and the
// notice must have been raised whenever marks went or came back; every few steps the marks are
// saved to a bookmark file, cleared and loaded back.
#include <gtest/gtest.h>

#include <map>
#include <random>

#include "document/marks_file.h"
#include "edit_test_support.h"
#include "editing/outline.h"
#include "platform/fakes/memory_file_system.h"

namespace norv::editing {
namespace {

using document::LF_MARK;
using testing::Editor;
using testing::Enc;
using C = CommandId;

std::vector<int> Visit(Editor& ed, bool forward) {
    std::vector<int> out;
    ed.view->SetCaret(forward ? 1 : ed.doc.lineCount(), 0);
    if (ed.view->caretLine()->flags & LF_MARK) out.push_back(ed.view->caretLineNumber());
    for (;;) {
        const int before = ed.view->caretLineNumber();
        ed.view->Execute(forward ? C::NextMark : C::PrevMark);
        if (ed.view->caretLineNumber() == before) break;
        out.push_back(ed.view->caretLineNumber());
    }
    return out;
}

std::vector<int> Lines(const std::vector<bool>& marks, bool reverse = false) {
    std::vector<int> out;
    for (size_t i = 0; i < marks.size(); ++i)
        if (marks[i]) out.push_back(static_cast<int>(i) + 1);
    if (reverse) std::reverse(out.begin(), out.end());
    return out;
}

void RunSeed(uint32_t seed) {
    std::mt19937 rng(seed);
    auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
    const Enc enc = static_cast<Enc>(pick(3));
    static const char* const kPieces[] = {"a", "b", " ", "x", "漢", "か", "1.", "* "};
    auto piece = [&](int most) {
        std::string s;
        for (int i = pick(most + 1); i > 0; --i) s += kPieces[pick(enc == Enc::kAscii ? 4 : 8)];
        return s;
    };
    EditOptions o;
    o.autoIndent = false;
    o.removeSpaces = false;
    Editor ed(enc, {}, o);
    platform::MemoryFileSystem fs;
    ed.env.fs = &fs;
    ed.doc.path = "/d/t.txt";
    std::string text;
    for (int i = pick(12) + 1; i > 0; --i) text += piece(4) + (i > 1 ? "\n" : "");
    ed.Load(text);
    std::vector<bool> marks;
    for (document::LineRecord* r = ed.doc.lines().first(); r; r = r->next) {
        marks.push_back(pick(3) == 0);
        if (marks.back()) r->flags |= LF_MARK;
    }
    std::map<size_t, std::vector<bool>> history{{0, marks}};

    auto split = [&](int line, size_t pos) {
        marks.insert(marks.begin() + line, false);  // the new lower line
        if (pos == 0) {
            marks[static_cast<size_t>(line)] = marks[static_cast<size_t>(line) - 1];
            marks[static_cast<size_t>(line) - 1] = false;
        }
    };
    auto join = [&](int upper) {
        const auto u = static_cast<size_t>(upper) - 1;
        marks[u] = marks[u] || marks[u + 1];
        marks.erase(marks.begin() + static_cast<long>(u) + 1);
    };

    for (int step = 0; step < 60; ++step) {
        ed.view->Sync();
        const int line = ed.view->caretLineNumber();
        const size_t pos = ed.view->caretPos();
        const size_t length = ed.view->caretLine()->contentLength();
        const int count = ed.doc.lineCount();
        const std::vector<int> markedBefore = Lines(marks);
        const uint64_t notices = ed.doc.bookmarkNotices;
        const size_t recordsBefore = ed.undo.current();
        std::string what;
        bool historyStep = false;
        switch (pick(10)) {
            case 0:
                // One character: each typed character is a step of the history of its own.
                what = "type";
                ed.Run(std::string(kPieces[pick(enc == Enc::kAscii ? 4 : 6)]));
                break;
            case 1:
                what = "split";
                ed.view->Execute(C::SplitLine);
                split(line, pos);
                break;
            case 2:
                what = "join with DeleteChar";
                ed.view->SetCaret(line, length);
                ed.view->Execute(C::DeleteChar);
                if (line < count) join(line);
                break;
            case 3:
                what = "join with BackSpace";
                ed.view->SetCaret(line, 0);
                ed.view->Execute(C::BackSpace);
                if (line > 1) join(line - 1);
                break;
            case 4:
                what = "delete line";
                ed.view->Execute(C::DeleteLine);
                if (line < count) marks.erase(marks.begin() + line - 1);
                break;
            case 5:
                what = "pop line";
                if (ed.shared.stack.Peek()) marks.insert(marks.begin() + line - 1, false);
                ed.view->Execute(C::PopLine);
                break;
            case 6: {
                what = "paste";
                const std::string p = piece(2) + "\n" + (pick(2) ? "\n" : "") + piece(2);
                {
                    CommandScope scope(*ed.view);  // one command, as a paste is
                    ed.view->InsertText(testing::Encode(enc, p));
                }
                int l = line;
                size_t at = pos;
                size_t start = 0;
                for (size_t nl; (nl = p.find('\n', start)) != std::string::npos; start = nl + 1) {
                    at += testing::Encode(enc, p.substr(start, nl - start)).size();
                    split(l++, at);
                    at = 0;
                }
                break;
            }
            case 7:
                what = "move";
                ed.view->SetCaret(pick(ed.doc.lineCount()) + 1, static_cast<size_t>(pick(6)));
                break;
            case 8:
                what = "undo";
                ed.view->Execute(C::Undo);
                historyStep = true;
                break;
            default:
                what = "redo";
                ed.view->Execute(C::Redo);
                historyStep = true;
                break;
        }
        SCOPED_TRACE("seed " + std::to_string(seed) + " step " + std::to_string(step) + " " + what);
        const size_t at = ed.undo.current();
        if (std::getenv("NORV_MODEL_TRACE")) printf("%d %s -> %zu\n", step, what.c_str(), at);
        if (historyStep) {
            ASSERT_TRUE(history.count(at)) << "undo or redo ended inside a command";
            marks = history[at];
        } else if (at != recordsBefore) {
            // A new step of the history: what could be redone is gone.
            history.erase(history.upper_bound(at), history.end());
            history[at] = marks;
        }
        ASSERT_EQ(static_cast<int>(marks.size()), ed.doc.lineCount()) << ed.Marked();
        const int caretLine = ed.view->caretLineNumber();
        const size_t caretPos = ed.view->caretPos();
        ASSERT_EQ(Visit(ed, true), Lines(marks)) << ed.Marked();
        ASSERT_EQ(Visit(ed, false), Lines(marks, true));
        // The outline lists the marked lines that have text.
        ed.view->Sync();
        std::vector<int> listed;
        for (const OutlineItem& item : BuildOutline(ed.doc.lines().first(), ed.doc.CodePage(), 8))
            listed.push_back(item.line);
        std::vector<int> withText;
        for (int n : Lines(marks))
            if (ed.doc.lines().LineAt(n)->contentLength() > 0) withText.push_back(n);
        ASSERT_EQ(listed, withText);
        // Marks that went or came back (the items of the bookmark list name their lines by
        // their order among the marks) are always told.
        if (Lines(marks).size() != markedBefore.size()) EXPECT_GT(ed.doc.bookmarkNotices, notices);
        if (step % 10 == 9) {
            ASSERT_TRUE(document::SaveMarks(ed.doc, ed.doc.path));
            for (document::LineRecord* r = ed.doc.lines().first(); r; r = r->next)
                r->flags &= static_cast<uint8_t>(~LF_MARK);
            document::LoadMarks(ed.doc);
            ASSERT_EQ(Visit(ed, true), Lines(marks));
        }
        ed.view->SetCaret(caretLine, caretPos);
    }
}

TEST(BookmarkModel, MarksFollowTheirLinesThroughRandomEditsUndoAndRedo) {
    for (uint32_t seed = 1; seed <= 300; ++seed) {
        RunSeed(seed);
        if (::testing::Test::HasFatalFailure()) return;
    }
}

}  // namespace
}  // namespace norv::editing
