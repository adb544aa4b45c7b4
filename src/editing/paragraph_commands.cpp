// The paragraph commands of the view: alignment and indentation line by line, Add String,
// Deformat, Format and the automatic formatting after edits. The text rules are in
// paragraph_format.cpp; this file moves lines in and out of the document as undo records.
//
// A logical line may span several records: a record with LF_CONTINUED goes on in the next one
// (a line longer than a record holds). The formatter sees such a chain as one line, and text
// longer than a record goes on in continued records again, so nothing is ever cut.
#include <algorithm>
#include <deque>

#include "editing/edit_view.h"
#include "editing/escape_sequences.h"
#include "editing/paragraph_format.h"

namespace norv::editing {

using document::LF_CONTINUED;
using document::LF_FORMATTED;
using document::LineRecord;
using document::UndoKind;
using document::UndoPosition;

namespace {

ParagraphRules RulesOf(const view::LineLayout& layout, const EditOptions& options) {
    ParagraphRules rules;
    rules.layout = &layout;
    rules.autoIndent = options.autoIndent;
    rules.ankTitle = view::CharSet(
        options.ankTitle.empty() ? kDefaultAnkTitle : std::string_view(options.ankTitle), {});
    rules.dbcsTitle = view::CharSet({}, options.dbcsTitle);
    return rules;
}

bool IsAlignment(CommandId id) {
    return id == CommandId::EditLeft || id == CommandId::EditCenter || id == CommandId::EditRight;
}

// Escape is polled once every this many lines by Format and Deformat.
constexpr size_t kPollLines = static_cast<size_t>(kLinesPerEscapePoll);

}  // namespace

bool CElwView::Paragraph(CommandId id) {
    switch (id) {
        case CommandId::EditLeft:
        case CommandId::EditCenter:
        case CommandId::EditRight:
        case CommandId::Indent:
        case CommandId::BackInd:
        case CommandId::AddString:
        case CommandId::ReFormat:
        case CommandId::DeFormat:
            break;
        default:
            return false;
    }
    if (id == CommandId::AddString) {
        AddString(std::nullopt, std::nullopt);
        return true;
    }
    if (doc_.readOnly) return true;
    virtualCol_ = -1;
    switch (id) {
        case CommandId::ReFormat:
            Format();
            break;
        case CommandId::DeFormat:
            Deformat();
            break;
        default:
            LineLoop(id);
            break;
    }
    goal_ = -1;
    KeepCaretVisible(0, 0);
    return true;
}

bool CElwView::SelectedLines(int* first, int* last) const {
    bool endsAtStart = false;
    if (!selection_ || !selection_->HasSelection(*this) ||
        !selection_->LineRange(*this, first, last, &endsAtStart))
        return false;
    if (endsAtStart && *last > *first) --*last;
    return true;
}

// ---- line by line ---------------------------------------------------------------------------

void CElwView::LineLoop(CommandId id, const std::string& added, bool atEnd) {
    int first = lineNo_, last = lineNo_;
    const bool selected = SelectedLines(&first, &last);
    if (!selected && !IsAlignment(id)) return;
    bool endsAtStart = false;
    if (selected) {
        int f = 0, l = 0;
        selection_->LineRange(*this, &f, &l, &endsAtStart);
        endsAtStart = endsAtStart && l > f;
    }
    const int screenRow = caretScreenRow();
    // Indent changes every line the same way: one pass over the records, one record.
    const bool indent = id == CommandId::Indent;
    if (indent)
        last +=
            IndentLines(first, last,
                        options_.softTab ? std::string(static_cast<size_t>(layout_.tabWidth()), ' ')
                                         : std::string("\t"));
    for (int n = first; !indent && n <= last; ++n) {
        GoToLine(n);
        pos_ = 0;
        // Only the alignments read the whole line; the others need its length or its start.
        const view::LineText line = TextOf(line_);
        const size_t length = line.end();
        switch (id) {
            case CommandId::EditLeft:
            case CommandId::EditCenter:
            case CommandId::EditRight: {
                const std::string content = line.Content();
                const Alignment how = id == CommandId::EditLeft     ? Alignment::kLeft
                                      : id == CommandId::EditCenter ? Alignment::kCenter
                                                                    : Alignment::kRight;
                const std::string aligned = AlignLine(layout_, content, how);
                const size_t lead = content.find_first_not_of(" \t") == std::string::npos
                                        ? content.size()
                                        : content.find_first_not_of(" \t");
                const size_t pad = aligned.size() + lead - content.size();
                if (aligned == content) break;
                UndoPosition at = CaretPosition();
                std::string fb = FlagsOf(lineNo_, 1);
                std::string removed = RawDelete(lead, nullptr);
                std::string inserted = RawInsert(std::string(pad, ' '));
                Commit(UndoKind::kReflow, at, at, removed, inserted, fb);
                break;
            }
            case CommandId::BackInd:
                if (size_t k = UnindentLength(
                        layout_,
                        line.Slice(0, std::min(length, static_cast<size_t>(layout_.tabWidth())))))
                    DeleteForward(k, UndoKind::kDeleteAfter);
                break;
            case CommandId::AddString: {
                if (added.empty()) break;
                if (atEnd) pos_ = length;
                const int before = lineNo_;
                InsertAtCaret(added, UndoKind::kInsertBlock);
                // The lines the string made are not lines of the selection.
                const int made = lineNo_ - before;
                n += made;
                last += made;
                break;
            }
            default:
                break;
        }
    }
    if (selected) {
        // The selection again, over whole lines.
        if (endsAtStart && last < doc_.lines().count()) {
            selection_->SelectStream(*this, first, 0, last + 1, 0);
        } else {
            GoToLine(last);
            selection_->SelectStream(*this, first, 0, last, CaretText().end());
        }
    } else {
        GoToLine(first);
        pos_ = 0;
    }
    KeepCaretVisible(0, 0);
    ScrollTo(caretRow() - screenRow);
    doc_.NotifyRepaint(this);
    Changed();
}

void CElwView::AddString(std::optional<std::string> text, std::optional<bool> atEnd) {
    AddStringRequest req;
    req.text = text.value_or(std::string());
    req.textGiven = text.has_value();
    req.atEnd = atEnd.value_or(false);
    req.codePage = layout_.codePage();
    if (!text || !atEnd) {
        if (!shared_.addStringDialog || !shared_.addStringDialog(req)) return;
    }
    if (shared_.recorder) shared_.recorder->RecordAddString(req.text, req.atEnd);
    if (shared_.addStringUsed) shared_.addStringUsed(req);
    if (doc_.readOnly) return;
    ClaimBuffer();
    CommandScope scope(*this);
    RunAddString(req.text, req.atEnd);
    goal_ = -1;
    KeepCaretVisible(0, 0);
    CaretMoved();
}

void CElwView::RunAddString(const std::string& text, bool atEnd) {
    int first = 0, last = 0;
    if (!SelectedLines(&first, &last)) return;
    virtualCol_ = -1;
    LineLoop(CommandId::AddString, DecodeEscapes(text, layout_.codePage()), atEnd);
}

// ---- replacing text -------------------------------------------------------------------------

UndoPosition CElwView::ReplaceText(UndoPosition from, UndoPosition to, std::string_view text,
                                   const std::function<void()>& flags) {
    // Whole lines are spliced in one step.
    if (from.column == 0 && from.line <= to.line) {
        const LineRecord* last = RecordFrom(line_, lineNo_, to.line);
        if (last && to.column == TextOf(last).end())
            return ReplaceLines(from.line, to.line - from.line + 1, text, UndoKind::kReflow, flags);
    }
    const UndoPosition before = CaretPosition();
    PlaceExactly(from);
    size_t n = 0;
    LineRecord* r = line_;
    for (int l = from.line; l < to.line && r; ++l, r = r->next) n += TextOf(r).size();
    n = n + to.column - from.column;
    std::string fb = FlagsOf(lineNo_, 1);
    std::string removed = RawDelete(n, &fb);
    // Text past a record's limit goes on in continued records of the same line.
    continueOverflow_ = true;
    std::string inserted = RawInsert(text);
    continueOverflow_ = false;
    if (flags) flags();
    const UndoPosition end = CaretPosition();
    Commit(UndoKind::kReflow, before, from, std::move(removed), std::move(inserted), std::move(fb));
    return end;
}

// ---- Deformat -------------------------------------------------------------------------------

void CElwView::Deformat() {
    UndoPosition from, to;
    const bool selected = selection_ && selection_->HasSelection(*this);
    if (selected) {
        if (!selection_->StreamRange(*this, &from, &to)) {
            // A box: its lines, whole.
            int first = 0, last = 0;
            if (!SelectedLines(&first, &last)) return;
            from = {first, 0};
            to = {last, static_cast<uint32_t>(TextOf(RecordFrom(line_, lineNo_, last)).end())};
        }
        // The selected pieces are read in place: the records hold every line whole once the
        // edit buffer is written back, and nothing changes them before the replacement.
        Sync();
        std::vector<std::string_view> parts;
        parts.reserve(static_cast<size_t>(to.line - from.line + 1));
        LineRecord* r = RecordFrom(line_, lineNo_, from.line);
        for (int l = from.line; l <= to.line && r; ++l, r = r->next) {
            const size_t end = r->contentLength();
            size_t a = l == from.line ? std::min<size_t>(from.column, end) : 0;
            size_t b = l == to.line ? std::min<size_t>(to.column, end) : end;
            parts.emplace_back(r->text() + a, std::max(a, b) - a);
        }
        if (shared_.ui) shared_.ui->BeginWaitCursor();
        size_t used = parts.size();
        std::vector<std::string> lines = DeformatLines(
            layout_, parts, [this] { return Escape(); }, &used, kPollLines);
        if (shared_.ui) shared_.ui->EndWaitCursor();
        if (used < parts.size()) {
            // Stopped: the lines done so far are replaced, the rest stays.
            to.line = from.line + static_cast<int>(used) - 1;
            to.column =
                static_cast<uint32_t>((used == 1 ? from.column : 0) + parts[used - 1].size());
        }
        std::string text;
        {
            size_t size = lines.size();
            for (const std::string& l : lines) size += l.size();
            text.reserve(size);
        }
        for (size_t i = 0; i < lines.size(); ++i) {
            if (i) text.push_back('\n');
            text += lines[i];
        }
        // Nothing to do when the result is the text as it stands.
        bool same = true;
        size_t at = 0;
        for (size_t i = 0; same && i < used; ++i) {
            if (i) same = at < text.size() && text[at++] == '\n';
            same = same && text.compare(at, parts[i].size(), parts[i]) == 0;
            at += parts[i].size();
        }
        if (same && at == text.size()) return;
        UndoPosition end = ReplaceText(from, to, text);
        selection_->SelectStream(*this, from.line, from.column, end.line, end.column);
        return;
    }
    // The paragraph from the caret line, joined into it.
    std::vector<std::string> lines;
    const ParagraphRules rules = RulesOf(layout_, options_);
    LineRecord* r = line_;
    int last = lineNo_;
    lines.push_back(LineContent(r));
    while (r->flags & LF_CONTINUED && r->next) {
        r = r->next;
        ++last;
        lines.back() += LineContent(r);
    }
    const size_t firstLen = lines.back().size();
    while (r->next) {
        std::string next = LineContent(r->next);
        if (EndsParagraph(rules, next)) break;
        r = r->next;
        ++last;
        while (r->flags & LF_CONTINUED && r->next) {
            r = r->next;
            ++last;
            next += LineContent(r);
        }
        lines.push_back(std::move(next));
    }
    if (lines.size() < 2) return;
    std::string joined = JoinParagraph(layout_, lines);
    const int first = lineNo_;
    const size_t caretAt = std::min(pos_, firstLen);
    from = {first, 0};
    to = {last, static_cast<uint32_t>(TextOf(r).end())};
    ReplaceText(from, to, joined, [&] {
        // No line end of the result was made by formatting.
        LineRecord* q = RecordFrom(line_, lineNo_, first);
        for (int l = first; q && l <= lineNo_; ++l, q = q->next)
            q->flags &= static_cast<uint8_t>(~LF_FORMATTED);
    });
    SetCaret(first, caretAt);
}

// ---- Format ---------------------------------------------------------------------------------

void CElwView::Format() {
    int first = lineNo_, last = lineNo_;
    const bool selected = SelectedLines(&first, &last);
    if (!selected) {
        const ParagraphRules rules = RulesOf(layout_, options_);
        LineRecord* r = line_;
        while (r->next) {
            while (r->flags & LF_CONTINUED && r->next) r = r->next, ++last;
            if (!r->next || EndsParagraph(rules, LineContent(r->next))) break;
            r = r->next;
            ++last;
        }
    }
    if (selected) {
        GoToLine(first);
        pos_ = 0;
    }
    Reflow(first, last - first + 1, true, selected);
}

void CElwView::Reflow(int first, int count, bool forced, bool select) {
    ParagraphRules rules = RulesOf(layout_, options_);
    rules.automatic = !forced;

    // The logical lines and where the caret stands in them. A line of one record is read in
    // place; the line in the edit buffer and a line continued over several records are copied.
    std::vector<std::string_view> lines;
    std::deque<std::string> copies;
    std::vector<int> records;  // records of each logical line
    size_t caretLine = 0, caretPos = 0;
    LineRecord* r = RecordFrom(line_, lineNo_, first);
    int n = first;
    for (int i = 0; i < count && r;) {
        if (n == lineNo_) {
            caretLine = lines.size();
            caretPos = pos_;
        }
        if (!((r->flags & LF_CONTINUED) && r->next) &&
            !(shared_.bufferOwner && shared_.buffer.record() == r)) {
            lines.emplace_back(r->text(), r->contentLength());
            records.push_back(1);
            r = r->next;
            ++n;
            ++i;
            continue;
        }
        std::string text;
        int used = 0;
        for (;;) {
            if (n == lineNo_) {
                caretLine = lines.size();
                caretPos = text.size() + pos_;
            }
            text += LineContent(r);
            ++used;
            ++n;
            const bool continued = (r->flags & LF_CONTINUED) && r->next;
            LineRecord* next = r->next;
            if (!continued) {
                r = next;
                break;
            }
            r = next;
        }
        copies.push_back(std::move(text));
        lines.emplace_back(copies.back());
        records.push_back(used);
        i += used;
    }
    if (lines.empty()) return;
    const bool wait = forced && select;
    if (wait && shared_.ui) shared_.ui->BeginWaitCursor();
    FormatOutput out = FormatLines(
        rules, lines, caretLine, caretPos, [this] { return Escape(); }, kPollLines);
    if (wait && shared_.ui) shared_.ui->EndWaitCursor();

    int usedRecords = 0;
    for (size_t i = 0; i < out.linesUsed; ++i) usedRecords += records[i];
    const int lastRecord = first + usedRecords - 1;
    bool same = out.rows.size() == out.linesUsed;
    for (size_t i = 0; same && i < out.rows.size(); ++i) same = out.rows[i].text == lines[i];

    // The flags of the rows: records of one row continue each other; its last record carries
    // LF_FORMATTED when the formatter made its line end.
    auto applyFlags = [&] {
        LineRecord* q = RecordFrom(line_, lineNo_, first);
        for (const FormattedRow& row : out.rows) {
            if (!q) break;
            size_t left = row.text.size();
            for (;;) {
                size_t here = TextOf(q).end();
                if (left > here && (q->flags & LF_CONTINUED) && q->next) {
                    q->flags &= static_cast<uint8_t>(~LF_FORMATTED);
                    left -= here;
                    q = q->next;
                    continue;
                }
                break;
            }
            if (row.continued)
                q->flags |= LF_FORMATTED;
            else
                q->flags &= static_cast<uint8_t>(~LF_FORMATTED);
            q = q->next;
        }
    };

    // Where the caret goes: the record and offset of row caretRow, caretPos.
    auto placeCaret = [&] {
        LineRecord* q = RecordFrom(line_, lineNo_, first);
        int line = first;
        for (size_t i = 0; q && i < out.caretRow && i < out.rows.size(); ++i) {
            while ((q->flags & LF_CONTINUED) && q->next) q = q->next, ++line;
            q = q->next;
            ++line;
        }
        size_t p = out.caretPos;
        while (q && (q->flags & LF_CONTINUED) && q->next && p > TextOf(q).end()) {
            p -= TextOf(q).end();
            q = q->next;
            ++line;
        }
        SetCaret(line, p);
    };

    int producedLast = lastRecord;
    if (same) {
        // The text stays; only the flags say where the paragraph's line ends were made.
        if (forced) applyFlags();
    } else {
        std::string text;
        {
            size_t size = out.rows.size();
            for (const FormattedRow& row : out.rows) size += row.text.size();
            text.reserve(size);
        }
        for (size_t i = 0; i < out.rows.size(); ++i) {
            if (i) text.push_back('\n');
            text += out.rows[i].text;
        }
        LineRecord* lastRec = RecordFrom(line_, lineNo_, lastRecord);
        UndoPosition to{lastRecord, static_cast<uint32_t>(TextOf(lastRec).end())};
        UndoPosition end = ReplaceText({first, 0}, to, text, applyFlags);
        producedLast = end.line;
    }
    if (select && selection_) {
        GoToLine(producedLast);
        selection_->SelectStream(*this, first, 0, producedLast, CaretText().end());
    } else if (!same || forced) {
        placeCaret();
    }
    if (!same) doc_.NotifyRepaint(this);
}

void CElwView::AutoFormat() {
    if (!options_.autoSplit || options_.noWrap || options_.cFile || replaying_ || doc_.readOnly)
        return;
    if (selection_ && selection_->HasSelection(*this)) return;
    const ParagraphRules rules = RulesOf(layout_, options_);
    // The caret line, and every following line while the line before it carries the
    // continuation flag; an empty line or a bullet line ends the paragraph.
    LineRecord* r = line_;
    if (LineContent(r).empty()) return;
    // From the row before when the caret line continues it, so that text deleted at the start
    // of a row is filled up from below.
    int start = lineNo_;
    while (r->prev && (r->prev->flags & LF_CONTINUED)) r = r->prev, --start;
    if (r->prev && (r->prev->flags & LF_FORMATTED)) {
        r = r->prev;
        --start;
        while (r->prev && (r->prev->flags & LF_CONTINUED)) r = r->prev, --start;
    }
    int count = 1;
    for (;;) {
        while ((r->flags & LF_CONTINUED) && r->next) r = r->next, ++count;
        if (!(r->flags & LF_FORMATTED) || !r->next) break;
        if (EndsParagraph(rules, LineContent(r->next))) break;
        r = r->next;
        ++count;
    }
    Reflow(start, count, false, false);
}

}  // namespace norv::editing
