// The selection model, its text, deleting it, and the cancelling of a selection by caret moves.
// The clipboard, box and file commands are in clipboard_commands.cpp.
#include "editing/selection.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

#include "document/char_model.h"

namespace norv::editing {

using document::LineRecord;
using document::UndoKind;

namespace {

size_t IndexOf(CommandId id) {
    for (size_t i = 0; i < kViewCommands.size(); ++i)
        if (kViewCommands[i].id == id) return i;
    return kViewCommands.size();
}

bool InRange(CommandId id, CommandId first, CommandId last) {
    size_t i = IndexOf(id);
    return i >= IndexOf(first) && i <= IndexOf(last) && i < kViewCommands.size();
}

}  // namespace

bool WorksOnSelection(CommandId id) {
    switch (id) {
        // Edit commands that do not look at the selection.
        case CommandId::Undo:
        case CommandId::Redo:
        case CommandId::Repeat:
        case CommandId::StepDo:
        case CommandId::ModeInsert:
        case CommandId::ModeAutoSplit:
            return false;
        default:
            break;
    }
    return InRange(id, CommandId::BackSpace, CommandId::SplitLine) ||
           InRange(id, CommandId::EditCopy, CommandId::ModeAutoSplit) ||
           InRange(id, CommandId::MarkLine, CommandId::MarkOff) ||
           InRange(id, CommandId::SearchFwd, CommandId::GetWord);
}

Selection::Selection(CElwView& view, ClipboardContext& context) : view_(view), ctx_(context) {
    view_.SetSelectionHooks(this);
}

Selection::~Selection() {
    view_.SetSelectionHooks(nullptr);
}

int Selection::ColumnOfPos(const view::LineText& t, size_t pos) const {
    const auto& layout = view_.layout();
    int col = 0;
    for (size_t i = 0; i < pos && i < t.end();) {
        size_t len = layout.CharLen(t, i);
        col = layout.Advance(t, i, len, col);
        i += len;
    }
    return col;
}

size_t Selection::PosOfColumn(int lineNumber, int column) const {
    const LineRecord* r = RecordFrom(view_.caretLine(), view_.caretLineNumber(), lineNumber);
    if (!r) return 0;
    view::LineText t = view_.TextOf(r);
    const auto& layout = view_.layout();
    int col = 0;
    size_t i = 0;
    while (i < t.end()) {
        size_t len = layout.CharLen(t, i);
        int next = layout.Advance(t, i, len, col);
        // A column inside a tab or a double-byte character means that character's start.
        if (next > column) break;
        col = next;
        i += len;
    }
    return i;
}

SelectionEnd Selection::CaretEnd() const {
    SelectionEnd e;
    e.line = view_.caretLineNumber();
    e.pos = view_.caretPos();
    view::LineText t = view_.TextOf(view_.caretLine());
    e.column = ColumnOfPos(t, e.pos);
    if (e.pos == t.end()) {
        // Beyond the line end (free cursor, or a box being made).
        size_t rowStart = view_.layout().RowOf(t, e.pos).start;
        e.column = std::max(e.column, ColumnOfPos(t, rowStart) + view_.caretColumn());
    }
    return e;
}

void Selection::Anchor(SelectionKind kind) {
    kind_ = kind;
    active_ = true;
    extending_ = true;
    start_ = end_ = CaretEnd();
}

void Selection::Select(int line1, size_t pos1, int line2, size_t pos2) {
    view_.SetCaret(line1, pos1);
    start_ = CaretEnd();
    view_.SetCaret(line2, pos2);
    end_ = CaretEnd();
    kind_ = SelectionKind::kStream;
    active_ = true;
    extending_ = false;
}

void Selection::SelectBox(int line1, int column1, int line2, int column2) {
    const int last = std::max(1, view_.doc().lines().count());
    start_.line = std::clamp(line1, 1, last);
    end_.line = std::clamp(line2, 1, last);
    start_.column = column1;
    end_.column = column2;
    start_.pos = PosOfColumn(start_.line, column1);
    end_.pos = PosOfColumn(end_.line, column2);
    kind_ = SelectionKind::kBox;
    active_ = true;
    extending_ = false;
}

void Selection::Cancel() {
    active_ = false;
    extending_ = false;
}

void Selection::LinesEdited(CElwView&, const document::LineEdit& edit) {
    if (!active_) return;
    // Box ends keep their columns; only their lines move.
    edit.Map(start_.line, start_.pos);
    edit.Map(end_.line, end_.pos);
}

void Selection::Snap(SelectionEnd& e) const {
    // The text may have changed under an end being extended (undo while a selection is being
    // made): an end stays inside the text and on a character start.
    const int count = view_.doc().lines().count();
    e.line = std::clamp(e.line, 1, std::max(1, count));
    // The record is walked to from the nearest of the caret line and the two ends.
    const int fromCaret = std::abs(e.line - view_.caretLineNumber());
    const LineRecord* r = e.line - 1 < fromCaret
                              ? RecordFrom(view_.doc().lines().first(), 1, e.line)
                          : count - e.line < fromCaret
                              ? RecordFrom(view_.doc().lines().last(), count, e.line)
                              : RecordFrom(view_.caretLine(), view_.caretLineNumber(), e.line);
    if (!r) return;
    view::LineText t = view_.TextOf(r);
    size_t q = 0;
    while (q < t.end()) {
        size_t len = view_.layout().CharLen(t, q);
        if (q + len > e.pos) break;
        q += len;
    }
    e.pos = q;
}

void Selection::Normalize() {
    extending_ = false;
    if (!active_) return;
    Snap(start_);
    Snap(end_);
    if (kind_ == SelectionKind::kBox) {
        if (start_.line > end_.line) std::swap(start_.line, end_.line);
        if (start_.column > end_.column) std::swap(start_.column, end_.column);
        if (start_.line == end_.line && start_.column == end_.column) Cancel();
        return;
    }
    if (std::pair(start_.line, start_.pos) > std::pair(end_.line, end_.pos))
        std::swap(start_, end_);
    if (start_.line == end_.line && start_.pos == end_.pos) Cancel();
}

void Selection::CaretMoved(CElwView&) {
    if (active_ && extending_) end_ = CaretEnd();
}

bool Selection::StreamRange(const CElwView&, document::UndoPosition* from,
                            document::UndoPosition* to) const {
    if (!active_ || kind_ == SelectionKind::kBox) return false;
    SelectionEnd a = start_, b = end_;
    Snap(a);
    Snap(b);
    if (std::pair(a.line, a.pos) > std::pair(b.line, b.pos)) std::swap(a, b);
    if (a.line == b.line && a.pos == b.pos) return false;
    *from = {a.line, static_cast<uint32_t>(a.pos)};
    *to = {b.line, static_cast<uint32_t>(b.pos)};
    return true;
}

bool Selection::LineRange(const CElwView&, int* first, int* last, bool* endsAtLineStart) const {
    if (!active_) return false;
    SelectionEnd a = start_, b = extending_ ? CaretEnd() : end_;
    Snap(a);
    Snap(b);
    if (std::pair(a.line, a.pos) > std::pair(b.line, b.pos)) std::swap(a, b);
    *first = a.line;
    *last = b.line;
    *endsAtLineStart = kind_ != SelectionKind::kBox && b.pos == 0 && b.line > a.line;
    return true;
}

std::vector<std::string> Selection::BoxPieces() {
    std::vector<std::string> pieces;
    Normalize();
    if (!active_ || kind_ != SelectionKind::kBox) return pieces;
    LineRecord* r = RecordFrom(view_.caretLine(), view_.caretLineNumber(), start_.line);
    for (int n = start_.line; n <= end_.line && r; ++n, r = r->next) {
        size_t a = PosOfColumn(n, start_.column);
        size_t b = std::max(a, PosOfColumn(n, end_.column));
        pieces.push_back(view_.TextOf(r).Slice(a, b));
    }
    return pieces;
}

std::string Selection::Block() {
    std::string out;
    const bool box = kind_ == SelectionKind::kBox;
    Pieces(box ? "\r" : "\r\n", [&](std::string_view piece) { out.append(piece); });
    return out;
}

void Selection::Pieces(std::string_view lineEnd,
                       const std::function<void(std::string_view)>& take) {
    Normalize();
    if (!active_) return;
    if (kind_ == SelectionKind::kBox) {
        for (const std::string& p : BoxPieces()) {
            if (!p.empty()) take(p);
            take(lineEnd);
        }
        return;
    }
    // From the caret, or from the first line when that is nearer.
    const int caret = view_.caretLineNumber();
    LineRecord* r = start_.line < caret - start_.line && view_.doc().lines().first()
                        ? RecordFrom(view_.doc().lines().first(), 1, start_.line)
                        : RecordFrom(view_.caretLine(), caret, start_.line);
    for (int n = start_.line; n <= end_.line && r; ++n, r = r->next) {
        const view::LineText t = view_.TextOf(r);
        const size_t a = n == start_.line ? std::min(start_.pos, t.end()) : 0;
        const size_t b = n == end_.line ? std::min(end_.pos, t.end()) : t.end();
        t.ForSlice(a, std::max(a, b), take);
        if (n != end_.line) take(lineEnd);
    }
}

void Selection::DeleteSelection(CElwView&) {
    Normalize();
    if (!active_ || view_.readOnly()) return;
    // Cancelled first: the caret moves below must not extend it.
    Cancel();
    if (kind_ == SelectionKind::kBox) {
        for (int n = start_.line; n <= end_.line; ++n) {
            size_t a = PosOfColumn(n, start_.column);
            size_t b = PosOfColumn(n, end_.column);
            if (b <= a) continue;
            view_.SetCaret(n, a);
            view_.DeleteForward(b - a, UndoKind::kDeleteSelection);
        }
        view_.SetCaret(start_.line, PosOfColumn(start_.line, start_.column));
        return;
    }
    size_t n = 0;
    LineRecord* r = RecordFrom(view_.caretLine(), view_.caretLineNumber(), start_.line);
    for (int l = start_.line; l < end_.line && r; ++l, r = r->next) n += view_.TextOf(r).size();
    n = n + end_.pos - start_.pos;
    view_.SetCaret(start_.line, start_.pos);
    view_.DeleteForward(n, UndoKind::kDeleteSelection);
}

bool Selection::BeforeCommand(CElwView&, CommandId id) {
    bool extendByShift = shiftSelect && shiftHeld;
    if (active_ && (kind_ == SelectionKind::kStream || !extending_) && !extendByShift &&
        !mouseCaptured && !WorksOnSelection(id)) {
        Normalize();
        bool wasActive = active_;
        Cancel();
        if (wasActive) {
            bool box = kind_ == SelectionKind::kBox;
            const SelectionEnd& e =
                id == CommandId::CsrUp || id == CommandId::CsrLeft ? start_ : end_;
            switch (id) {
                case CommandId::CsrUp:
                case CommandId::CsrLeft:
                case CommandId::CsrRight:
                case CommandId::CsrDown:
                    view_.SetCaret(e.line, box ? PosOfColumn(e.line, e.column) : e.pos);
                    return true;
                default:
                    break;
            }
        }
    }
    if (extendByShift && !WorksOnSelection(id)) {
        if (!active_) {
            Anchor(SelectionKind::kStream);
        } else {
            extending_ = true;
        }
    }
    return Handle(id);
}

}  // namespace norv::editing
