// The Compare command (see compare_command.h).
#include "app/compare_command.h"

#include <algorithm>

#include "app/config/preference_table.h"
#include "app/config/settings.h"
#include "document/char_model.h"
#include "document/codecs.h"

namespace norv::app {

namespace {

// The lines of a document as the walk reads them: views of the records, or UTF-8 copies of
// code-page lines when the other document holds UTF-8.
struct LineTexts {
    std::vector<std::string_view> lines;
    std::vector<std::string> converted;
    std::vector<document::LineRecord*> records;
};

LineTexts TextsOf(document::CElwDoc& doc, bool toUtf8) {
    LineTexts t;
    t.records.reserve(static_cast<size_t>(doc.lineCount()));
    for (document::LineRecord* r = doc.lines().first(); r; r = r->next) t.records.push_back(r);
    if (toUtf8) {
        t.converted.resize(t.records.size());
        for (size_t i = 0; i < t.records.size(); ++i)
            document::AnsiToUtf8(t.converted[i],
                                 {t.records[i]->text(), t.records[i]->contentLength()},
                                 doc.CodePage());
        t.lines.assign(t.converted.begin(), t.converted.end());
    } else {
        t.lines.reserve(t.records.size());
        for (document::LineRecord* r : t.records)
            t.lines.emplace_back(r->text(), r->contentLength());
    }
    return t;
}

void ClearMarks(document::CElwDoc& doc) {
    bool any = false;
    for (document::LineRecord* r = doc.lines().first(); r; r = r->next) {
        any = any || (r->flags & document::LF_MARK);
        r->flags &= static_cast<uint8_t>(~document::LF_MARK);
    }
    if (any) doc.NoteBookmarksChanged();
}

}  // namespace

std::string CompareName(const document::CElwDoc& doc) {
    return doc.path.empty() ? doc.title : doc.path;
}

bool CompareDocuments(document::CElwDoc& current, document::CElwDoc& target,
                      editing::CompareLimits limits, const std::function<bool()>& escape,
                      bool* stopped) {
    ClearMarks(current);
    if (&target != &current) ClearMarks(target);
    const bool utf8C = document::IsUtf8CodePage(current.CodePage());
    const bool utf8T = document::IsUtf8CodePage(target.CodePage());
    const bool sameModel = current.CodePage() == target.CodePage();
    LineTexts c = TextsOf(current, !sameModel && !utf8C);
    LineTexts t = TextsOf(target, !sameModel && !utf8T);
    const editing::CompareResult r = editing::CompareLines(c.lines, t.lines, limits, escape);
    for (uint32_t i : r.current) c.records[i]->flags |= document::LF_MARK;
    for (uint32_t i : r.target) t.records[i]->flags |= document::LF_MARK;
    // Both lists changed, whatever was marked.
    current.NoteBookmarksChanged();
    target.NoteBookmarksChanged();
    if (stopped) *stopped = r.stopped;
    return !r.current.empty() || !r.target.empty();
}

int RunCompare(document::CElwDoc& current, const std::vector<document::CElwDoc*>& others,
               CompareEnvironment& env) {
    std::vector<document::CElwDoc*> targets;
    for (document::CElwDoc* d : others)
        if (d && d != &current && std::find(targets.begin(), targets.end(), d) == targets.end())
            targets.push_back(d);
    if (targets.empty() || !env.dialog) return 0;
    CompareRequest request;
    request.current = CompareName(current);
    for (const document::CElwDoc* d : targets) request.targets.push_back(CompareName(*d));
    if (env.settings) {
        request.range = ClampToRange(Key::CmpRange, env.settings->Int(Key::CmpRange));
        request.match = ClampToRange(Key::CmpMatch, env.settings->Int(Key::CmpMatch));
    }
    if (!env.dialog(request)) return 0;
    if (request.target < 0 || static_cast<size_t>(request.target) >= targets.size()) return 0;
    request.range = ClampToRange(Key::CmpRange, request.range);
    request.match = ClampToRange(Key::CmpMatch, request.match);
    if (env.settings) {
        if (env.store) {
            env.settings->Write(*env.store, Key::CmpRange, request.range);
            env.settings->Write(*env.store, Key::CmpMatch, request.match);
        } else {
            env.settings->Set(Key::CmpRange, request.range);
            env.settings->Set(Key::CmpMatch, request.match);
        }
    }
    document::CElwDoc& target = *targets[static_cast<size_t>(request.target)];
    if (env.flush) {
        env.flush(current);
        env.flush(target);
    }
    if (env.ui) env.ui->BeginWaitCursor();
    bool stopped = false;
    const bool marked = CompareDocuments(current, target, {request.range, request.match},
                                         env.escapePressed, &stopped);
    if (env.ui) env.ui->EndWaitCursor();
    if (env.repaint) {
        env.repaint(current);
        env.repaint(target);
    }
    if (stopped) {
        if (env.ui) env.ui->Beep();
        return marked ? kCompareStateDifferent : 0;
    }
    if (env.ui) env.ui->MessageBox(marked ? kCompareDifferent : kCompareSame, platform::mb::kOk);
    return marked ? kCompareStateDifferent : kCompareStateSame;
}

}  // namespace norv::app
