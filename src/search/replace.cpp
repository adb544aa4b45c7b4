// The replace loop: search forward, ask (or not), replace the match as one undo group, and go
// on, confined to a selection of several lines when there is one.
#include <algorithm>
#include <cstdio>

#include "document/char_model.h"
#include "document/undo_list.h"
#include "editing/escape_sequences.h"
#include "search/find_commands.h"

namespace norv::search {

using editing::CElwView;

namespace {

int CountLineFeeds(std::string_view s) {
    return static_cast<int>(std::count(s.begin(), s.end(), '\n'));
}

// The display column of a byte offset in a line.
size_t ColumnOf(const TextPos& at, int codePage, int tabWidth) {
    const char* text = at.line->text();
    return static_cast<size_t>(document::ColumnAfter(codePage, text, text + at.pos, tabWidth));
}

}  // namespace

int FindCommands::ReplaceWith(CElwView& view, std::string_view searchString,
                              std::string_view replacementText, const FindOptions& options,
                              bool all) {
    replace.searchString = std::string(searchString);
    replace.options = options;
    replacement = std::string(replacementText);
    replace.AddReplaceHistory(histories.replace, replacement);
    return Replace(view, all);
}

int FindCommands::ReplaceWithOptionString(CElwView& view, std::string_view searchString,
                                          std::string_view replacementText,
                                          std::string_view optionString) {
    FindOptions options;
    const bool all = ParseOptionString(optionString, &options);
    options.wrapAround = false;
    return ReplaceWith(view, searchString, replacementText, options, all);
}

int FindCommands::Replace(CElwView& start, bool all) {
    // A read-only document would count replacements that never happen and find the same match
    // for ever.
    if (start.readOnly()) {
        RefuseReadOnly();
        return 0;
    }
    replaceAll_ = all;
    replaceCount_ = 0;
    startDoc_ = &start.doc();
    CElwView* view = &start;
    std::optional<SelectedArea> area;
    if (env_.selection) area = env_.selection->Area(start);
    const std::optional<SelectedArea> savedArea = area;
    if (area && area->line1 == area->line2) area.reset();
    // FindNext then finds what the loop looks for.
    if (find.searchString != replace.searchString || find.options != replace.options) {
        find.searchString = replace.searchString;
        find.options = replace.options;
        find.options.direction = 1;
    }
    const bool wrap = replace.options.wrapAround;
    const int savedLine = start.caretLineNumber();
    const size_t savedPos = start.caretPos();
    start.SavePosition();
    // The replacement is inserted as text, which would take an active selection with it: the
    // selection is put back when the loop ends.
    if (savedArea && env_.selection) env_.selection->Cancel(start);
    if (area) {
        start.SetCaret(area->line1, area->box ? 0 : area->pos1);
    } else if (replace.options.fromBeginning) {
        start.SetCaret(1, 0);
    }
    Status(kFindingText);
    bool wrapped = false;
    bool stepFirst = false;
    std::string text;
    int textCodePage = 0;
    for (;;) {
        const int cp = view->doc().CodePage();
        if (cp != textCodePage) {
            Compiled(replace, *view);
            Compiled(find, *view);
            text = CutAtCharBoundary(
                editing::DecodeEscapes(ForDocument(replacement, env_.stringCodePage, cp), cp),
                kFieldLimit, cp);
            textCodePage = cp;
        }
        std::optional<TextPos> from = stepFirst ? Step(*view, true, false) : Caret(*view);
        stepFirst = false;
        SearchOutcome r;
        if (from) r = replace.Search(*from, true, env_.escapePressed);
        if (r.status == SearchStatus::kBroken) break;
        if (r.status == SearchStatus::kFound) {
            const FoundText m = r.match;
            const TextPos end = AdvanceBytes(m.start, m.length);
            if (area) {
                // Stream: matches before the start are passed over; the first one that reaches
                // past the end ends the loop. Box: a match outside the columns is passed over on
                // every line (not only before the first match inside, which would leave the
                // matches inside the box on later lines unreplaced); the loop ends below it.
                bool skip, past;
                if (area->box) {
                    size_t c1 = ColumnOf(m.start, cp, view->doc().tabWidth);
                    size_t c2 = ColumnOf(end, cp, view->doc().tabWidth);
                    past = m.start.number > area->line2;
                    skip = c1 < area->pos1 || c2 > area->pos2 || (m.length > 0 && c1 >= area->pos2);
                } else {
                    skip = m.start.number < area->line1 ||
                           (m.start.number == area->line1 && m.start.pos < area->pos1);
                    past = m.start.number > area->line2 ||
                           (m.start.number == area->line2 && m.start.pos >= area->pos2) ||
                           end.number > area->line2 ||
                           (end.number == area->line2 && end.pos > area->pos2);
                    past = past && !skip;
                }
                if (past) break;
                if (skip) {
                    view->SetCaret(m.start.number, m.start.pos);
                    stepFirst = true;
                    continue;
                }
            }
            const bool zeroLength = m.length == 0;
            // Only a line condition moves a zero-length match on after it has been replaced;
            // any other would be found again at the same place.
            if (zeroLength && (!(replace.topOfLine() || replace.endOfLine()) || text.empty()))
                break;
            if (!replaceAll_) {
                ShowFound(*view, m);
                ReplaceAnswer a =
                    env_.askReplace ? env_.askReplace(ReplaceQuestion{m.start.number, m.start.pos})
                                    : ReplaceAnswer::kCancel;
                if (env_.selection) env_.selection->Cancel(*view);
                if (a == ReplaceAnswer::kCancel) break;
                if (a == ReplaceAnswer::kNo) {
                    view->SetCaret(m.start.number, m.start.pos);
                    stepFirst = true;
                    continue;
                }
                if (a != ReplaceAnswer::kYes) replaceAll_ = true;
            }
            // One undo group per replacement.
            {
                editing::CommandScope scope(*view);
                view->SetCaret(m.start.number, m.start.pos);
                std::string removed;
                if (m.length > 0)
                    removed = view->DeleteForward(m.length, document::UndoKind::kDeleteAfter);
                if (!text.empty()) view->InsertText(text);
                if (replace.options.markFoundLine) {
                    // "Mark Replaced Line": the line where the match began.
                    document::LineRecord* l = editing::RecordFrom(
                        view->caretLine(), view->caretLineNumber(), m.start.number);
                    if (l && !(l->flags & document::LF_MARK)) {
                        l->flags |= document::LF_MARK;
                        view->doc().NoteBookmarksChanged();
                    }
                }
                if (area) {
                    const int grown = CountLineFeeds(text) - CountLineFeeds(removed);
                    if (end.number == area->line2 && !area->box) {
                        // The rest of the last line moved with the replacement's end.
                        view->Sync();
                        area->pos2 = view->caretPos() + (area->pos2 - end.pos);
                    }
                    area->line2 += grown;
                }
            }
            ++replaceCount_;
            // After a zero-length match at a line end the next search starts on the next line.
            if (zeroLength) {
                TextPos c = Caret(*view);
                if (c.pos >= c.line->contentLength()) {
                    if (!c.line->next) break;
                    view->SetCaret(c.number + 1, 0);
                }
            }
            if (replaceCount_ % kReplacePollCount == 0) {
                if (env_.repaint) env_.repaint(*view);
                if (Escape()) break;
            }
            continue;
        }
        // Nothing more here.
        if (Escape()) break;
        if (replace.options.inAllWindows && !wrap) {
            CElwView* next = NextWindow(*view, true);
            if (!next || next == view || next->readOnly() || &next->doc() == startDoc_) break;
            if (env_.windows) env_.windows->Activate(*next);
            view = next;
            if (env_.selection) env_.selection->Cancel(*view);
            view->SetCaret(1, 0);
            area.reset();
            continue;
        }
        if (wrap && !wrapped && !area) {
            wrapped = true;
            view->SetCaret(1, 0);
            continue;
        }
        break;
    }
    Status("");
    if (view == &start) {
        start.SetCaret(savedLine, savedPos);
        if (savedArea && env_.selection) env_.selection->Restore(start, *savedArea);
    }
    const int count = replaceCount_;
    replaceAll_ = false;
    if (count > 0) {
        stateValue = kStateReplaced;
        if (env_.ui && !env_.silent) {
            char message[64];
            std::snprintf(message, sizeof message, "%d words are replaced", count);
            env_.ui->MessageBox(message, platform::mb::kOk | platform::mb::kIconInformation);
        }
    } else {
        NotFound();
    }
    return count;
}

}  // namespace norv::search
