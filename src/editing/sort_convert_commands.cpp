// Sort and Convert of a selection: the values from the dialog or a running script, the
// settings around them, and the edits (one undo group each).
//
// Sort orders the lines of the selection's line range, keyed by whole lines or by the box's
// columns, as one Order record; or, for a box without the box key, the box's pieces, put back
// at the same place. Convert replaces each line's selected piece by its converted form, one
// record a line. Both leave the selection as it was and the caret on its screen row. Escape
// stops Sort before anything changes and Convert after a whole line.
#include <algorithm>
#include <cstdlib>

#include "document/char_model.h"
#include "editing/convert_text.h"
#include "editing/selection.h"
#include "editing/wait_cursor.h"

namespace norv::editing {

using document::LineRecord;
using document::UndoKind;

namespace {

// Polled between lines of long work.
constexpr int kLinesPerPoll = 1000;

bool PollEscape(void* context) {
    const auto* shared = static_cast<const EditorShared*>(context);
    return shared->escapePressed && shared->escapePressed();
}

// The script's SORT values over the request; true when they are all there (no dialog).
bool ApplySortArguments(const SortArguments& a, SortRequest& r) {
    if (a.direction >= 0) r.descending = a.direction != 0;
    if (a.ignoreCase >= 0) r.ignoreCase = a.ignoreCase != 0;
    if (a.boxKey >= 0) r.boxKey = a.boxKey != 0;
    if (a.after) {
        r.compareAfter = !a.after->empty();
        if (r.compareAfter) r.afterString = *a.after;
    }
    return a.direction >= 0 && a.ignoreCase >= 0 && a.boxKey >= 0 && a.after.has_value();
}

bool ApplyConvertArguments(const ConvertArguments& a, ConvertChoices& c) {
    if (a.caseConversion >= 0 && a.caseConversion <= 4)
        c.caseConversion = static_cast<CaseConversion>(a.caseConversion);
    if (a.tabs >= 0 && a.tabs <= 2) c.tabs = static_cast<TabConversion>(a.tabs);
    if (a.width >= 0 && a.width <= 2) c.width = static_cast<WidthConversion>(a.width);
    const bool three = a.caseConversion >= 0 && a.caseConversion <= 4 && a.tabs >= 0 &&
                       a.tabs <= 2 && a.width >= 0 && a.width <= 2;
    if (a.scope >= 0 && a.scope <= 2) {
        c.alphanumerics = a.scope != 1;
        c.kana = a.scope != 0;
    } else if (a.scope == -1 && three) {
        c.alphanumerics = c.kana = false;
    }
    return three && a.scope >= -1 && a.scope <= 2;
}

int ScopeOf(const ConvertChoices& c) {
    if (c.alphanumerics && c.kana) return 2;
    if (c.alphanumerics) return 0;
    if (c.kana) return 1;
    return -1;
}

}  // namespace

void Selection::SortCommand() {
    EditorShared& shared = view_.shared();
    std::optional<SortArguments> given = std::move(shared.scriptSort);
    shared.scriptSort.reset();
    Normalize();
    if (!active_ || view_.readOnly()) return;
    SortRequest r;
    r.box = kind_ == SelectionKind::kBox;
    if (shared.loadSortSettings) shared.loadSortSettings(r);
    r.descending = shared.sortDescending;
    const bool complete = given && ApplySortArguments(*given, r);
    if (!complete && (!shared.sortDialog || !shared.sortDialog(r))) return;
    if (r.afterString.empty()) r.compareAfter = false;
    shared.sortDescending = r.descending;
    if (shared.saveSortSettings) shared.saveSortSettings(r);
    if (shared.recorder) {
        SortArguments values;
        values.direction = r.descending ? 1 : 0;
        values.ignoreCase = r.ignoreCase ? 1 : 0;
        values.boxKey = r.boxKey ? 1 : 0;
        values.after = r.compareAfter ? r.afterString : std::string();
        shared.recorder->RecordSort(values);
    }

    SortOrderOptions options;
    options.descending = r.descending;
    options.ignoreCase = r.ignoreCase;
    options.after = r.compareAfter ? &r.afterString : nullptr;
    options.codePage = view_.layout().codePage();
    const int screenRow = view_.caretScreenRow();
    const int caretLine = view_.caretLineNumber();
    const size_t caretPos = view_.caretPos();
    const SelectionEnd start = start_, end = end_;
    const SelectionKind kind = kind_;
    if (kind_ == SelectionKind::kBox && !r.boxKey)
        SortBoxPieces(options);
    else
        SortLineRange(options, kind_ == SelectionKind::kBox);
    start_ = start;
    end_ = end;
    kind_ = kind;
    active_ = true;
    extending_ = false;
    Normalize();
    view_.SetCaret(caretLine, caretPos);
    view_.ScrollTo(view_.caretRow() - screenRow);
}

void Selection::SortLineRange(const SortOrderOptions& options, bool boxKey) {
    int first = 0, last = 0;
    bool atLineStart = false;
    if (!LineRange(view_, &first, &last, &atLineStart)) return;
    if (atLineStart) --last;
    if (last <= first) return;
    view_.Sync();
    std::vector<std::string_view> keys;
    std::vector<std::string> boxKeys;
    std::vector<LineRecord*> records;
    keys.reserve(static_cast<size_t>(last - first + 1));
    records.reserve(static_cast<size_t>(last - first + 1));
    if (boxKey) boxKeys.reserve(static_cast<size_t>(last - first + 1));
    size_t bytes = 0;
    // From the start of the text when that is nearer than the caret line.
    LineRecord* r = view_.NearestRecord(first);
    for (int n = first; n <= last && r; ++n, r = r->next) {
        records.push_back(r);
        if (boxKey) {
            const size_t a = PosOfColumn(n, start_.column);
            const size_t b = std::max(a, PosOfColumn(n, end_.column));
            boxKeys.emplace_back(r->text() + a, b - a);
        } else {
            keys.emplace_back(r->text(), r->contentLength());
        }
        bytes += r->length;
    }
    if (boxKey)
        for (const std::string& k : boxKeys) keys.emplace_back(k);
    WaitCursor wait(view_.shared().ui, bytes);
    std::optional<std::vector<uint32_t>> order =
        SortOrder(keys, options, PollEscape, &view_.shared());
    if (!order) {
        if (view_.shared().ui) view_.shared().ui->Beep();
        return;
    }
    view_.ReorderLines(first, *order, std::move(records));
}

void Selection::SortBoxPieces(const SortOrderOptions& options) {
    std::vector<std::string> pieces = BoxPieces();
    std::vector<std::string_view> views(pieces.begin(), pieces.end());
    SortOrderOptions wholePieces = options;
    wholePieces.after = nullptr;  // pieces compare as whole strings
    std::optional<std::vector<uint32_t>> order =
        SortOrder(views, wholePieces, PollEscape, &view_.shared());
    if (!order) {
        if (view_.shared().ui) view_.shared().ui->Beep();
        return;
    }
    const int left = start_.column;
    for (size_t i = 0; i < pieces.size(); ++i) {
        const uint32_t from = (*order)[i];
        if (from == i) continue;
        const int n = start_.line + static_cast<int>(i);
        const size_t a = PosOfColumn(n, left);
        const size_t b = std::max(a, PosOfColumn(n, end_.column));
        view_.SetCaret(n, a);
        if (b > a) view_.DeleteForward(b - a, UndoKind::kDeleteSelection);
        const std::string& piece = pieces[from];
        if (piece.empty()) continue;
        // A line ending left of the box gets blanks up to it, as a box paste does.
        view::LineText t = view_.TextOf(view_.caretLine());
        const int at = ColumnOfPos(t, view_.caretPos());
        if (view_.caretPos() == t.end() && at < left)
            view_.InsertAtCaret(std::string(static_cast<size_t>(left - at), ' '),
                                UndoKind::kInsertBlock);
        view_.InsertAtCaret(piece, UndoKind::kInsertBlock);
    }
}

void Selection::ConvertCommand() {
    EditorShared& shared = view_.shared();
    std::optional<ConvertArguments> given = std::move(shared.scriptConvert);
    shared.scriptConvert.reset();
    Normalize();
    if (!active_ || view_.readOnly()) return;
    ConvertRequest r;
    const bool complete = given && ApplyConvertArguments(*given, r.choices);
    if (!complete && (!shared.convertDialog || !shared.convertDialog(r))) return;
    if (r.choices.Nothing()) return;
    if (shared.recorder) {
        ConvertArguments values;
        values.caseConversion = static_cast<int>(r.choices.caseConversion);
        values.tabs = static_cast<int>(r.choices.tabs);
        values.width = static_cast<int>(r.choices.width);
        values.scope = ScopeOf(r.choices);
        shared.recorder->RecordConvert(values);
    }
    const int screenRow = view_.caretScreenRow();
    const int caretLine = view_.caretLineNumber();
    const size_t caretPos = view_.caretPos();
    const SelectionKind kind = kind_;
    ConvertPieces(r.choices);
    kind_ = kind;
    active_ = true;
    extending_ = false;
    Normalize();
    view_.SetCaret(caretLine, caretPos);
    view_.ScrollTo(view_.caretRow() - screenRow);
}

void Selection::ConvertPieces(const ConvertChoices& choices) {
    const bool box = kind_ == SelectionKind::kBox;
    const int cp = view_.layout().codePage();
    const int tab = view_.layout().options().tabWidth;
    view_.Sync();
    size_t bytes = 0;
    {
        const LineRecord* r = RecordFrom(view_.caretLine(), view_.caretLineNumber(), start_.line);
        for (int n = start_.line; n <= end_.line && r; ++n, r = r->next) bytes += r->length;
    }
    WaitCursor wait(view_.shared().ui, bytes);
    int added = 0;  // lines made by lines that grew beyond a record
    const int lines = end_.line - start_.line + 1;
    for (int i = 0; i < lines; ++i) {
        if (i > 0 && i % kLinesPerPoll == 0 && PollEscape(&view_.shared())) {
            if (view_.shared().ui) view_.shared().ui->Beep();
            break;
        }
        const int n = start_.line + i + added;
        const bool firstLine = i == 0, lastLine = i == lines - 1;
        const LineRecord* rec = RecordFrom(view_.caretLine(), view_.caretLineNumber(), n);
        if (!rec) break;
        view::LineText t = view_.TextOf(rec);
        size_t a, b;
        if (box) {
            a = PosOfColumn(n, start_.column);
            b = std::max(a, PosOfColumn(n, end_.column));
        } else {
            a = firstLine ? std::min(start_.pos, t.end()) : 0;
            b = lastLine ? std::min(end_.pos, t.end()) : t.end();
        }
        if (b <= a) continue;
        const std::string piece = t.Slice(a, b);
        const size_t others = t.end() - piece.size();
        const size_t room = others < 65533 ? 65533 - others : 0;
        const std::string done = ConvertPiece(piece, choices, cp, tab, ColumnOfPos(t, a), room);
        if (done == piece) continue;
        view_.SetCaret(n, a);
        const std::string put = view_.ReplaceForward(piece.size(), done, UndoKind::kConvert);
        const int breaks = static_cast<int>(std::count(put.begin(), put.end(), '\n'));
        added += breaks;
        if (!box && lastLine) {
            // The end stays behind the converted text.
            end_.line = n + breaks;
            const size_t lastBreak = put.rfind('\n');
            end_.pos = lastBreak == std::string::npos ? a + put.size() : put.size() - lastBreak - 1;
        }
    }
    if (box) end_.line = start_.line + lines - 1 + added;
}

}  // namespace norv::editing
