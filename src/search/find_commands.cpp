// Find, FindNext/FindPrev, Mark All and GetFindWord.
#include "search/find_commands.h"

#include <algorithm>
#include <cctype>

#include "document/char_model.h"
#include "editing/word_classes.h"
#include "platform/code_page.h"

namespace norv::search {

using editing::CElwView;

void FindCommands::Status(std::string_view text) {
    if (env_.ui) env_.ui->SetStatusText(text);
}

void FindCommands::NotFound() {
    stateValue = kStateNotFound;
    if (!env_.ui || env_.silent) return;
    // The string is in its own code page, or in that of the document it was compiled for.
    int cp = env_.stringCodePage != 0 ? env_.stringCodePage : find.compiledCodePage();
    if (cp == 0) cp = env_.systemCodePage;
    std::string shown;
    platform::AppendMultiByteAsUtf8(cp, find.searchString, shown);
    // A long string is cut at a whole character; control characters show as blanks.
    size_t chars = 0, end = 0;
    while (end < shown.size() && chars < kNotFoundShownChars) {
        size_t next = end + 1;
        while (next < shown.size() && (static_cast<uint8_t>(shown[next]) & 0xC0) == 0x80) ++next;
        end = next;
        ++chars;
    }
    const bool cut = end < shown.size();
    shown.resize(end);
    for (char& c : shown)
        if (static_cast<uint8_t>(c) < 0x20) c = ' ';
    if (cut) shown += "...";
    std::string reason(kNotFoundText);
    reason += shown;
    env_.ui->Refuse(reason);
}

void FindCommands::RefuseReadOnly() {
    stateValue = kStateNotFound;
    if (env_.ui && !env_.silent) env_.ui->Refuse(editing::kReadOnlyText);
}

void FindCommands::Compiled(CFind& f, CElwView& view) {
    f.stringCodePage = env_.stringCodePage;
    f.Compile(view.doc().CodePage());
}

TextPos FindCommands::Caret(CElwView& view) {
    view.Sync();
    return TextPos{view.caretLine(), view.caretLineNumber(), view.caretPos()};
}

// The position one character after (or before) the caret, crossing line ends; nothing before
// the start of the text. At the very start of the text a forward search starts at the caret.
std::optional<TextPos> FindCommands::Step(CElwView& view, bool forward, bool textStartStays) {
    TextPos at = Caret(view);
    const int cp = view.doc().CodePage();
    const char* text = at.line->text();
    if (forward) {
        if (textStartStays && at.number == 1 && at.pos == 0) return at;
        if (at.pos < at.line->contentLength()) {
            at.pos += document::CharLength(cp, text + at.pos, text + at.line->contentLength());
        } else if (at.line->next) {
            at = TextPos{at.line->next, at.number + 1, 0};
        } else {
            return std::nullopt;
        }
        return at;
    }
    if (at.pos > 0) {
        at.pos = static_cast<size_t>(document::PrevCharStart(cp, text, text + at.pos) - text);
        return at;
    }
    if (!at.line->prev) return std::nullopt;
    document::LineRecord* prev = at.line->prev;
    return TextPos{prev, at.number - 1, prev->contentLength()};
}

void FindCommands::Center(CElwView& view) {
    if (!env_.jumpCenter) return;
    view.ScrollTo(std::max<int64_t>(0, view.caretRow() - view.windowRows() / 2));
}

void FindCommands::ShowFound(CElwView& view, const FoundText& m) {
    TextPos end = AdvanceBytes(m.start, m.length);
    if (env_.selectFind && env_.selection && m.length > 0) {
        // The caret stays at the start of the match, so that the next search goes on after it.
        env_.selection->Select(view, end.number, end.pos, m.start.number, m.start.pos);
    } else {
        view.SetCaret(m.start.number, m.start.pos);
    }
    Center(view);
}

CElwView* FindCommands::NextWindow(CElwView& view, bool forward) {
    if (!env_.windows) return nullptr;
    std::vector<CElwView*> all = env_.windows->Views();
    auto it = std::find(all.begin(), all.end(), &view);
    if (it == all.end() || all.size() < 2) return nullptr;
    size_t i = static_cast<size_t>(it - all.begin());
    i = forward ? (i + 1) % all.size() : (i + all.size() - 1) % all.size();
    return all[i];
}

bool FindCommands::Find(CElwView& view, std::string_view searchString, const FindOptions& options,
                        bool forward, bool markAll) {
    find.searchString = std::string(searchString);
    find.options = options;
    find.options.direction = forward ? 1 : 0;
    keepFindString = false;
    if (markAll) {
        markAllOn_ = true;
        find.options.markFoundLine = true;
    }
    find.AddFindHistory(histories.find);
    Compiled(find, view);
    return RunFind(view, forward, markAll, false);
}

bool FindCommands::FindWithOptionString(CElwView& view, std::string_view searchString,
                                        std::string_view optionString, bool forward) {
    FindOptions options;
    bool all = ParseOptionString(optionString, &options);
    return Find(view, searchString, options, forward, all);
}

bool FindCommands::Repeat(CElwView& view, bool forward) {
    if (find.searchString.empty()) {
        NotFound();
        return false;
    }
    if (find.compiledCodePage() != view.doc().CodePage()) Compiled(find, view);
    return RunFind(view, forward, false, true);
}

int FindCommands::MarkAll(CElwView& view, bool forward, bool* broken) {
    int count = 0;
    std::optional<TextPos> from = Caret(view);
    std::optional<TextPos> last;
    while (from) {
        SearchOutcome r = find.Search(*from, forward, env_.escapePressed);
        if (r.status == SearchStatus::kBroken) *broken = true;
        if (r.status != SearchStatus::kFound) break;
        ++count;
        r.match.start.line->flags |= document::LF_MARK;
        // The caret goes to the last match only: moving it costs more than the search.
        last = r.match.start;
        // The scan goes on at the next (or previous) line.
        document::LineRecord* l = r.match.start.line;
        if (forward) {
            from = l->next ? std::optional<TextPos>(TextPos{l->next, r.match.start.number + 1, 0})
                           : std::nullopt;
        } else {
            from = l->prev ? std::optional<TextPos>(TextPos{l->prev, r.match.start.number - 1,
                                                            l->prev->contentLength()})
                           : std::nullopt;
        }
        if (Escape()) {
            *broken = true;
            break;
        }
    }
    if (last) view.SetCaret(last->number, last->pos);
    if (count > 0) view.doc().NoteBookmarksChanged();
    return count;
}

bool FindCommands::RunFind(CElwView& start, bool forward, bool markAll, bool repeat) {
    FindOptions& o = find.options;
    bool wrap = o.wrapAround && !markAll;
    if (o.inAllWindows && !wrap) forward = true;
    startDoc_ = &start.doc();
    wrapState_ = 0;
    fromCaret_ = false;
    CElwView* view = &start;
    const int savedLine = start.caretLineNumber();
    const size_t savedPos = start.caretPos();
    start.SavePosition();
    if ((o.fromBeginning || markAll) && !wrap) {
        view->SetCaret(1, 0);
        fromCaret_ = true;
    }
    int marked = 0;
    for (;;) {
        if (find.compiledCodePage() != view->doc().CodePage()) Compiled(find, *view);
        const int caretLine = view->caretLineNumber();
        const size_t caretPos = view->caretPos();
        // FindNext always steps first: a match found at the very start of the text would
        // otherwise be found again and again.
        std::optional<TextPos> from =
            fromCaret_ ? std::optional<TextPos>(Caret(*view)) : Step(*view, forward, !repeat);
        Status(kFindingText);
        bool broken = false;
        if (markAll) {
            marked +=
                from ? (view->SetCaret(from->number, from->pos), MarkAll(*view, forward, &broken))
                     : 0;
            Status("");
            if (broken) break;
        } else if (from) {
            SearchOutcome r = find.Search(*from, forward, env_.escapePressed);
            Status("");
            if (r.status == SearchStatus::kFound) {
                if (o.markFoundLine) {
                    r.match.start.line->flags |= document::LF_MARK;
                    view->doc().NoteBookmarksChanged();
                }
                ShowFound(*view, r.match);
                wrapState_ = 0;
                stateValue = 0;
                return true;
            }
            if (r.status == SearchStatus::kBroken) {
                view->SetCaret(caretLine, caretPos);
                break;
            }
        } else {
            Status("");
        }
        // Nothing (more) here: the caret goes back where it was.
        if (!markAll) view->SetCaret(caretLine, caretPos);
        if (o.inAllWindows && !wrap) {
            CElwView* next = NextWindow(*view, forward);
            if (!next || &next->doc() == startDoc_) break;
            if (env_.windows) env_.windows->Activate(*next);
            view = next;
            if (forward) {
                view->SetCaret(1, 0);
            } else {
                view->SetCaret(view->doc().lineCount(), document::kMaxLineBytes);
            }
            fromCaret_ = true;
            continue;
        }
        if (wrap && wrapState_ == 0) {
            if (forward) {
                view->SetCaret(1, 0);
            } else {
                view->SetCaret(view->doc().lineCount(), document::kMaxLineBytes);
            }
            wrapState_ = forward ? 1 : 2;
            fromCaret_ = true;
            continue;
        }
        if (wrapState_ != 0 && view == &start) view->SetCaret(savedLine, savedPos);
        break;
    }
    wrapState_ = 0;
    if (markAll && marked > 0) {
        stateValue = 0;
        return true;
    }
    NotFound();
    return false;
}

std::optional<editing::TextPlace> FindCommands::SearchTag(CElwView& view, editing::TextPlace from,
                                                          std::string_view text, bool forward) {
    view.Sync();
    CFind tag;
    tag.searchString = EscapeForField(text, view.doc().CodePage(), view.doc().CodePage());
    tag.options.ignoreCase = true;
    tag.options.matchWord = true;
    tag.Compile(view.doc().CodePage());
    document::LineRecord* line =
        editing::RecordFrom(view.caretLine(), view.caretLineNumber(), from.line);
    if (!line) return std::nullopt;
    SearchOutcome r = tag.Search(TextPos{line, from.line, from.pos}, forward, env_.escapePressed);
    if (r.status != SearchStatus::kFound) return std::nullopt;
    return editing::TextPlace{r.match.start.number, r.match.start.pos};
}

std::string FindCommands::WordAtCaret(CElwView& view) {
    TextPos at = Caret(view);
    const int cp = view.doc().CodePage();
    std::string_view text(at.line->text(), at.line->contentLength());
    if (document::IsUtf8CodePage(cp) || at.pos >= text.size()) {
        // Only ASCII words are taken from UTF-8 text.
        auto word = [&](size_t i) {
            auto b = static_cast<uint8_t>(text[i]);
            return b < 0x80 && (std::isalnum(b) || b == '_');
        };
        if (at.pos >= text.size() || !word(at.pos)) return {};
        size_t a = at.pos, b = at.pos;
        while (a > 0 && word(a - 1)) --a;
        while (b < text.size() && word(b)) ++b;
        return EscapeForField(text.substr(a, b - a), cp, env_.systemCodePage);
    }
    // The run of characters of one class around the caret. The line is walked from its start
    // (a trail byte can look like a lead byte) and its characters' classes noted.
    editing::WordClasses classes;
    struct Char {
        size_t start;
        editing::WordClass cls;
    };
    std::vector<Char> chars;
    size_t caretChar = 0;
    for (size_t i = 0; i < text.size();) {
        size_t n = editing::CharLengthAt(cp, text, i);
        auto b = static_cast<uint8_t>(text[i]);
        auto code = n == 2 ? static_cast<uint16_t>(b << 8 | static_cast<uint8_t>(text[i + 1]))
                           : static_cast<uint16_t>(b);
        if (i <= at.pos) caretChar = chars.size();
        chars.push_back(Char{i, classes.ClassOf(code)});
        i += n;
    }
    const editing::WordClass cls = chars[caretChar].cls;
    if (cls == editing::WordClass::kAnkDelimiter || cls == editing::WordClass::kDbcsDelimiter)
        return {};
    size_t a = caretChar, b = caretChar + 1;
    while (a > 0 && chars[a - 1].cls == cls) --a;
    while (b < chars.size() && chars[b].cls == cls) ++b;
    const size_t end = b < chars.size() ? chars[b].start : text.size();
    return EscapeForField(text.substr(chars[a].start, end - chars[a].start), cp,
                          env_.systemCodePage);
}

bool FindCommands::FindCommand(CElwView& view, std::optional<bool> forward) {
    FindDialogRequest r;
    r.searchString = keepFindString ? find.searchString : WordAtCaret(view);
    if (r.searchString.empty()) r.searchString = find.searchString;
    r.options = find.options;
    r.forward = forward.value_or(find.options.direction != 0);
    r.history = &histories.find;
    keepFindString = false;
    if (!env_.findDialog || !env_.findDialog(r)) return false;
    if (r.saveOptions && env_.saveOptions)
        env_.saveOptions(kFindOptionKey, BuildOptionString(r.options));
    if (editing::CommandRecorder* rec = view.shared().recorder) {
        std::string letters = BuildOptionString(r.options);
        if (r.markAll) letters += kAllLetter;
        rec->RecordSearch(r.forward ? editing::CommandId::SearchFwd : editing::CommandId::SearchBwd,
                          r.searchString, {}, letters);
    }
    return Find(view, r.searchString, r.options, r.forward, r.markAll);
}

int FindCommands::ReplaceCommand(CElwView& view) {
    ReplaceDialogRequest r;
    r.searchString = keepFindString ? replace.searchString : WordAtCaret(view);
    if (r.searchString.empty()) r.searchString = replace.searchString;
    r.replacement = replacement;
    r.options = replace.options;
    r.findHistory = &histories.find;
    r.replaceHistory = &histories.replace;
    keepFindString = false;
    if (!env_.replaceDialog || !env_.replaceDialog(r)) return 0;
    if (r.saveOptions && env_.saveOptions)
        env_.saveOptions(kReplOptionKey, BuildOptionString(r.options));
    if (editing::CommandRecorder* rec = view.shared().recorder) {
        std::string letters = BuildOptionString(r.options);
        if (r.all) letters += kAllLetter;
        rec->RecordSearch(editing::CommandId::Replace, r.searchString, r.replacement, letters);
    }
    replace.searchString = r.searchString;
    replace.AddFindHistory(histories.find);
    return ReplaceWith(view, r.searchString, r.replacement, r.options, r.all);
}

bool FindCommands::Handles(editing::CommandId id) const {
    using editing::CommandId;
    switch (id) {
        case CommandId::SearchFwd:
        case CommandId::SearchBwd:
        case CommandId::SearchNext:
        case CommandId::SearchPrev:
        case CommandId::Replace:
        case CommandId::ReplAgain:
        case CommandId::GetWord:
            return true;
        default:
            return false;
    }
}

bool FindCommands::RunCommand(CElwView& view, editing::CommandId id) {
    using editing::CommandId;
    // The dialog commands record the search they run, with its strings, instead of themselves.
    editing::CommandRecorder* rec = view.shared().recorder;
    switch (id) {
        case CommandId::SearchFwd:
            FindCommand(view, true);
            return true;
        case CommandId::SearchBwd:
            FindCommand(view, false);
            return true;
        case CommandId::Replace:
            ReplaceCommand(view);
            return true;
        default:
            break;
    }
    if (rec) rec->RecordCommand(id);
    switch (id) {
        case CommandId::SearchNext:
            FindNext(view);
            break;
        case CommandId::SearchPrev:
            FindPrev(view);
            break;
        case CommandId::ReplAgain:
            Replace(view, false);
            break;
        case CommandId::GetWord:
            GetFindWord(view);
            break;
        default:
            return false;
    }
    return true;
}

void FindCommands::GetFindWord(CElwView& view) {
    if (!env_.selection) return;
    std::optional<SelectedArea> area = env_.selection->Area(view);
    int line1 = view.caretLineNumber();
    size_t pos1 = view.caretPos();
    TextPos end = Caret(view);
    if (area && !area->box) {
        line1 = area->line1, pos1 = area->pos1;
        view.SetCaret(area->line2, area->pos2);
        end = Caret(view);
    }
    const int cp = view.doc().CodePage();
    const bool utf8 = document::IsUtf8CodePage(cp);
    std::string_view text(end.line->text(), end.line->contentLength());
    size_t p = end.pos;
    if (p < text.size()) {
        editing::WordClasses classes;
        auto codeAt = [&](size_t i, size_t* n) -> uint16_t {
            *n = editing::CharLengthAt(cp, text, i);
            auto b = static_cast<uint8_t>(text[i]);
            return *n == 2 ? static_cast<uint16_t>(b << 8 | static_cast<uint8_t>(text[i + 1])) : b;
        };
        size_t n = 0;
        if (utf8) {
            auto b = static_cast<uint8_t>(text[p]);
            if (b < 0x40 || b >= 0x80) {
                p += editing::CharLengthAt(cp, text, p);
            } else {
                while (p < text.size() && static_cast<uint8_t>(text[p]) >= 0x40 &&
                       static_cast<uint8_t>(text[p]) < 0x80)
                    ++p;
            }
        } else {
            editing::WordClass c = classes.ClassOf(codeAt(p, &n));
            p += n;
            if (c != editing::WordClass::kAnkDelimiter && c != editing::WordClass::kDbcsDelimiter) {
                while (p < text.size() && classes.ClassOf(codeAt(p, &n)) == c) p += n;
            }
        }
    }
    env_.selection->Select(view, line1, pos1, end.number, p);
    // The selected text, which lies in one line or runs over line ends.
    view.Sync();
    std::string selected;
    TextPos from{nullptr, line1, pos1};
    document::LineRecord* r = end.line;
    for (int n = end.number; n > line1; --n) r = r->prev;
    from.line = r;
    for (TextPos at = from; at.line;) {
        const bool last = at.number == end.number;
        size_t stop = last ? p : at.line->contentLength();
        selected.append(at.line->text() + at.pos, stop - at.pos);
        if (last) break;
        selected += "\r\n";
        at = TextPos{at.line->next, at.number + 1, 0};
    }
    std::string field = EscapeForField(selected, cp, env_.systemCodePage);
    for (CFind* f : {&find, &replace}) {
        f->searchString = field;
        f->options.regularExpression = false;
        Compiled(*f, view);
    }
    keepFindString = true;
}

}  // namespace norv::search
