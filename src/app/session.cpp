// Closing, saving and the open-document rule.
#include "app/session.h"

#include <string>

#include "document/document_limits.h"
#include "document/marks_file.h"

namespace norv::app {

void ReportNotAvailable(platform::UserInterface* ui) {
    if (!ui) return;
    ui->Refuse(kNotAvailableText);
}

std::string DocumentName(const document::CElwDoc& doc) {
    std::string name = doc.path.empty() ? doc.title : doc.path;
    if (!name.empty() && name.back() == '*') name.pop_back();
    return name;
}

bool Session::Save(document::CElwDoc& doc, bool withDialog) {
    host_.SyncViews(doc);
    if (!doc.DoSave(std::string(), withDialog)) return false;
    host_.Saved(doc);
    return true;
}

bool Session::QueryClose(document::CElwDoc& doc) {
    host_.SyncViews(doc);
    if (!doc.modified) return true;
    host_.Activate(doc);
    const int answer = ui_.MessageBox("Save changes to " + DocumentName(doc) + "?",
                                      platform::mb::kYesNoCancel | platform::mb::kIconWarning);
    if (answer == platform::kIdCancel) return false;
    if (answer == platform::kIdNo) return true;
    return Save(doc, false);
}

bool Session::Close(document::CElwDoc& doc) {
    if (!QueryClose(doc)) return false;
    host_.CloseWindows(doc);
    return true;
}

bool Session::SaveAndClose(document::CElwDoc& doc) {
    host_.SyncViews(doc);
    if (doc.modified) {
        if (!Save(doc, false)) return false;
    } else {
        document::KeepMarks(doc);
    }
    host_.CloseWindows(doc);
    return true;
}

bool Session::SaveAll() {
    bool all = true;
    for (document::CElwDoc* doc : host_.Documents()) {
        host_.SyncViews(*doc);
        if (doc->modified)
            all = Save(*doc, false) && all;
        else
            document::KeepMarks(*doc);
    }
    return all;
}

bool Session::SaveAllAndQuit() {
    if (!SaveAll()) return false;
    return host_.Quit();
}

bool Session::CloseAll() {
    for (document::CElwDoc* doc : host_.Documents())
        if (!Close(*doc)) return false;
    return true;
}

CloseOutcome Session::CloseProgram() {
    auto run = [](const std::function<void()>& step) {
        if (step) step();
    };
    run(closing.storeCurrentFolder);
    run(closing.saveBarLayout);
    const bool project = closing.projectOpen && closing.projectOpen();
    if (!project) run(closing.savePlacement);
    run(closing.storeMarkList);
    run(closing.storeFindHistories);
    if (project && closing.closeProject && !closing.closeProject()) return CloseOutcome::kKept;
    run(closing.residentCloseEvent);
    if (closing.residentMode && closing.residentMode()) {
        if (!CloseAll()) return CloseOutcome::kKept;
        const bool ends = closing.residentHide && closing.residentHide();
        return ends ? CloseOutcome::kEnded : CloseOutcome::kHidden;
    }
    return CloseAll() ? CloseOutcome::kEnded : CloseOutcome::kKept;
}

bool Session::RoomForDocument() {
    if (host_.Documents().size() < static_cast<size_t>(document::kMaxDocuments)) return true;
    ui_.MessageBox(document::kTooManyFilesText, platform::mb::kOk | platform::mb::kIconError);
    return false;
}

void ReplaceWholeText(editing::CElwView& v, const std::string& text) {
    document::CElwDoc& doc = v.doc();
    v.Sync();
    size_t total = 0;
    for (const document::LineRecord* r = doc.lines().first(); r; r = r->next)
        total += r->contentLength() + (r->next ? 1 : 0);
    {
        // One undo group: the old text goes, the new text comes.
        editing::CommandScope scope(v);
        v.SetCaret(1, 0);
        v.DeleteForward(total, document::UndoKind::kDeleteSelection);
        v.InsertAtCaret(text, document::UndoKind::kInsertBlock);
        v.SetCaret(1, 0);
    }
    v.RecountRows();
}

}  // namespace norv::app
