// The SpellCheck command's scan, its questions and its replacements.
#include "app/spell_check.h"

#include <algorithm>
#include <optional>

#include "document/undo_list.h"
#include "tools/spell/word_scanner.h"

namespace norv::app {

using editing::CElwView;
using tools::WordSpan;
using tools::WordVerdict;

namespace {

// The remembered selection, with its end kept up to date as words before it are replaced.
struct Area {
    bool box = false;
    int line1 = 1;
    size_t pos1 = 0;
    int line2 = 1;
    size_t pos2 = 0;  // for a box: the whole last line
    int column1 = 0;
    int column2 = 0;
};

std::optional<Area> TakeSelection(editing::Selection* sel) {
    if (!sel || !sel->active()) return std::nullopt;
    sel->Normalize();
    if (!sel->active()) return std::nullopt;
    Area a;
    a.box = sel->kind() == editing::SelectionKind::kBox;
    a.line1 = sel->start().line;
    a.line2 = sel->end().line;
    a.pos1 = a.box ? 0 : sel->start().pos;
    a.pos2 = a.box ? std::string::npos : sel->end().pos;
    a.column1 = sel->start().column;
    a.column2 = sel->end().column;
    sel->Cancel();
    return a;
}

class Check {
  public:
    Check(CElwView& view, editing::Selection* sel, tools::SpellEngine& engine,
          const SpellCheckEnvironment& env)
        : view_(view), sel_(sel), engine_(engine), env_(env), codePage_(view.doc().CodePage()) {}

    SpellCheckResult Run() {
        view_.Sync();
        area_ = TakeSelection(sel_);
        line_ = area_ ? area_->line1 : 1;
        pos_ = area_ ? area_->pos1 : 0;
        record_ = editing::RecordFrom(view_.caretLine(), view_.caretLineNumber(), line_);
        while (record_ && Step()) {
        }
        Finish();
        return result_;
    }

  private:
    // One word, or the move to the next line; false when the scan is over.
    bool Step() {
        if (area_ && line_ > area_->line2) return false;
        if (!textValid_) {
            text_ = view_.TextOf(record_).Content();
            textValid_ = true;
        }
        const bool lastLine = area_ && line_ == area_->line2;
        const size_t limit = lastLine ? std::min(area_->pos2, text_.size()) : text_.size();
        const std::optional<WordSpan> w = tools::NextWord(codePage_, text_, pos_, limit);
        if (!w) {
            if (lastLine || !record_->next) {
                pos_ = std::max(pos_, limit);
                return false;
            }
            record_ = record_->next;
            ++line_;
            pos_ = 0;
            textValid_ = false;
            return true;
        }
        ++result_.wordsChecked;
        if (result_.wordsChecked % kEscapePollWords == 0 && env_.escapePressed &&
            env_.escapePressed()) {
            pos_ = w->start;
            result_.exited = true;
            return false;
        }
        const std::string word = text_.substr(w->start, w->length);
        std::string replacement;
        pos_ = w->end();
        switch (engine_.CheckWord(word, &replacement)) {
            case WordVerdict::kAccepted:
                break;
            case WordVerdict::kReplace:
                if (replacement != word && !view_.readOnly()) Replace(*w, replacement);
                break;
            case WordVerdict::kNotAccepted:
                if (!Ask(*w, word)) {
                    result_.exited = true;
                    return false;
                }
                break;
        }
        // The caret stops at the selection's end.
        return !(area_ && line_ == area_->line2 && pos_ >= area_->pos2);
    }

    // Shows the dialog about the word; false when the check is to end.
    bool Ask(const WordSpan& w, const std::string& word) {
        if (sel_) {
            sel_->Select(line_, w.start, line_, w.end());
        } else {
            view_.SetCaret(line_, w.end());
        }
        ScrollIntoView();
        if (env_.showWord) env_.showWord(view_);
        SpellingRequest request;
        request.word = word;
        request.changeTo = word;
        request.suggest = [this, &word] { return engine_.Suggest(word, codePage_); };
        request.codePage = codePage_;
        request.line = line_;
        request.start = w.start;
        request.end = w.end();
        const SpellingAnswer answer = env_.dialog ? env_.dialog(request) : SpellingAnswer::kClosed;
        if (sel_) sel_->Cancel();
        switch (answer) {
            case SpellingAnswer::kIgnore:
                break;
            case SpellingAnswer::kIgnoreAll:
                engine_.IgnoreAll(word);
                break;
            case SpellingAnswer::kAdd:
                if (!engine_.AddToUserList(word) && env_.ui)
                    env_.ui->MessageBox(AddFailedText(engine_.UserListPath()),
                                        platform::mb::kOk | platform::mb::kIconWarning);
                break;
            case SpellingAnswer::kChange:
            case SpellingAnswer::kChangeAll:
                if (request.changeTo == word) break;
                if (view_.readOnly()) {
                    if (env_.ui) env_.ui->Beep();
                    break;
                }
                if (answer == SpellingAnswer::kChangeAll) engine_.ChangeAll(word, request.changeTo);
                Replace(w, request.changeTo);
                break;
            case SpellingAnswer::kExit:
                pos_ = w.start;
                return false;
            case SpellingAnswer::kClosed:
                if (env_.ui) {
                    env_.ui->Beep();
                    env_.ui->Beep();
                }
                break;
        }
        return true;
    }

    // The caret (at the word's end) inside the window, centred when it was outside.
    void ScrollIntoView() {
        const int64_t row = view_.caretRow();
        const int rows = std::max(1, view_.windowRows());
        if (row < view_.topRow() || row >= view_.topRow() + rows)
            view_.ScrollTo(std::max<int64_t>(0, row - rows / 2));
        const int column = view_.caretColumn();
        const int columns = std::max(1, view_.windowColumns());
        if (column < view_.leftColumn() || column >= view_.leftColumn() + columns)
            view_.ScrollLeftTo(std::max(0, column - columns / 2));
    }

    // Replaces the word as one undo step; the scan goes on after the replacement.
    void Replace(const WordSpan& w, const std::string& with) {
        const int lineBefore = line_;
        {
            editing::CommandScope scope(view_);
            view_.SetCaret(line_, w.start);
            view_.ReplaceForward(w.length, with, document::UndoKind::kConvert);
        }
        view_.Sync();
        ++result_.replacements;
        // A line that grew past a record's limit goes on in further lines; the text after the
        // word is now behind the caret.
        line_ = view_.caretLineNumber();
        pos_ = view_.caretPos();
        record_ = view_.caretLine();
        textValid_ = false;
        if (!area_) return;
        if (lineBefore == area_->line2 && !area_->box) {
            area_->pos2 = area_->pos2 >= w.end() ? pos_ + (area_->pos2 - w.end()) : pos_;
        }
        if (lineBefore <= area_->line2) area_->line2 += line_ - lineBefore;
    }

    void Finish() {
        if (!area_) {
            view_.SetCaret(line_, pos_);
            return;
        }
        if (!sel_) return;
        if (area_->box) {
            sel_->SelectBox(area_->line1, area_->column1, area_->line2, area_->column2);
        } else {
            sel_->Select(area_->line1, area_->pos1, area_->line2, area_->pos2);
        }
    }

    CElwView& view_;
    editing::Selection* sel_;
    tools::SpellEngine& engine_;
    const SpellCheckEnvironment& env_;
    const int codePage_;
    std::optional<Area> area_;
    document::LineRecord* record_ = nullptr;
    int line_ = 1;
    size_t pos_ = 0;
    std::string text_;
    bool textValid_ = false;
    SpellCheckResult result_;
};

}  // namespace

std::string AddFailedText(const std::string& path) {
    return "The word could not be added to \"" + path + "\".";
}

SpellCheckResult RunSpellCheck(CElwView& view, editing::Selection* selection,
                               tools::SpellEngine& engine, const SpellCheckEnvironment& env) {
    return Check(view, selection, engine, env).Run();
}

std::unique_ptr<tools::SpellSession> OpenSpellSession(
    bool american, bool british, const std::string& settingsFolder, platform::FileSystem& fs,
    std::function<std::unique_ptr<tools::SpellDictionary>(std::string_view)> dictionaries) {
    tools::SpellSessionOptions options;
    options.american = american;
    options.british = british;
    options.fs = &fs;
    options.userListPath = settingsFolder + std::string(tools::kUserListName);
    options.openDictionary = std::move(dictionaries);
    return tools::SpellSession::Open(options);
}

}  // namespace norv::app
