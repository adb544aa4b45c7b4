// Moving positions across an edit, and the document's list of views.
#include "document/document_views.h"

#include <algorithm>

#include "document/document.h"

namespace norv::document {

TextShape TextShape::Of(std::string_view bytes) {
    TextShape s;
    size_t last = bytes.rfind('\n');
    s.breaks = static_cast<int>(std::count(bytes.begin(), bytes.end(), '\n'));
    s.tail = last == std::string_view::npos ? bytes.size() : bytes.size() - last - 1;
    return s;
}

void LineEdit::Map(int& oldLine, size_t& pos) const {
    if (oldLine < line || (oldLine == line && pos <= column)) return;
    // The end of the removed text in the old numbering.
    const int endLine = line + removed.breaks;
    const size_t endPos = removed.breaks ? removed.tail : column + removed.tail;
    const int newEndLine = line + inserted.breaks;
    const size_t newEndPos = inserted.breaks ? inserted.tail : column + inserted.tail;
    if (oldLine < endLine || (oldLine == endLine && pos < endPos)) {
        // Inside the removed text.
        oldLine = line;
        pos = column;
    } else if (oldLine == endLine) {
        oldLine = newEndLine;
        pos = newEndPos + (pos - endPos);
    } else {
        oldLine += inserted.breaks - removed.breaks;
    }
}

void CElwDoc::AttachView(DocumentView* view) {
    if (std::find(views_.begin(), views_.end(), view) == views_.end()) views_.push_back(view);
}

void CElwDoc::DetachView(DocumentView* view) {
    views_.erase(std::remove(views_.begin(), views_.end(), view), views_.end());
}

void CElwDoc::NotifyEdit(const LineEdit& edit, const DocumentView* source) {
    // A view may detach itself while it is told (a window closing in its repaint): walk a copy.
    const std::vector<DocumentView*> views = views_;
    for (DocumentView* v : views)
        if (v != source) v->LinesEdited(edit);
}

void CElwDoc::NotifyRewritten() {
    const std::vector<DocumentView*> views = views_;
    for (DocumentView* v : views) v->LinesRewritten();
}

void CElwDoc::NotifyReplaced() {
    const std::vector<DocumentView*> views = views_;
    for (DocumentView* v : views) v->LinesReplaced();
}

void CElwDoc::NotifyRepaint(const DocumentView* source) {
    const std::vector<DocumentView*> views = views_;
    for (DocumentView* v : views)
        if (v != source) v->Repaint();
}

}  // namespace norv::document
