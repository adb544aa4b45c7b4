// The output document of find in files and the external tools.
#include "app/output_document.h"

#include "platform/code_page.h"
#include "platform/paths.h"

namespace norv::app {

bool IsOutputDocument(const document::CElwDoc& doc) {
    const std::string name = platform::FileNameOf(doc.path);
    return name.compare(0, kOutputName.size(), kOutputName) == 0;
}

bool OutputDocument::Prepare(OutputWindows& windows, const std::string& folder) {
    view_ = nullptr;
    pending_.clear();
    lines_ = 0;
    for (editing::CElwView* v : windows.OutputCandidates()) {
        // A read-only output document is left as it is: its lines are kept.
        if (IsOutputDocument(v->doc()) && !v->doc().readOnly) {
            view_ = v;
            break;
        }
    }
    const bool fresh = view_ == nullptr;
    if (fresh) view_ = windows.NewOutputDocument();
    if (!view_) return false;
    windows.ActivateOutput(*view_);
    document::CElwDoc& doc = view_->doc();
    // Emptied: the text is one empty line, its code kept (a new one is UTF-8).
    const document::TextCode code = fresh ? document::TextCode::kUtf8 : doc.code;
    const document::TextCode saveCode = fresh ? document::TextCode::kNone : doc.saveCode;
    const bool bom = fresh ? false : doc.bom;
    const document::EolMode eol = doc.eolMode;
    doc.NewDocument();
    doc.code = code;
    doc.saveCode = saveCode;
    doc.bom = bom;
    doc.eolMode = eol;
    doc.undo.Clear();
    doc.path = folder + std::string(kOutputName);
    doc.NotifyReplaced();
    doc.UpdateTitle();
    return true;
}

int OutputDocument::codePage() const {
    return view_ ? view_->doc().CodePage() : platform::kCodePageUtf8;
}

void OutputDocument::Append(std::string_view line) {
    pending_.append(line);
    ++lines_;
    if (pending_.size() >= pendingLimit) Flush();
}

void OutputDocument::AppendText(std::string_view text) {
    pending_.append(text);
    if (pending_.size() >= pendingLimit) Flush();
}

bool OutputDocument::Flush() {
    if (!view_ || pending_.empty()) return false;
    document::CElwDoc& doc = view_->doc();
    // At the end of the text: after whole lines that is the empty line after the last one; a
    // line written in pieces goes on where its last piece ended.
    // The last line and the text after it are put in its place in one step.
    view_->Sync();
    const int n = doc.lineCount();
    const document::LineRecord* lastLine = doc.lines().last();
    if (lastLine) pending_.insert(0, lastLine->text(), lastLine->contentLength());
    doc.undo.Suspend(true);
    view_->ReplaceWholeLines(n, n, pending_);
    doc.undo.Suspend(false);
    pending_.clear();
    return true;
}

void OutputDocument::Finish() {
    if (!view_) return;
    Flush();
    document::CElwDoc& doc = view_->doc();
    doc.undo.Clear();
    doc.SetModified(false);
    view_->SetCaret(1, 0);
    view_->ScrollTo(0);
}

}  // namespace norv::app
