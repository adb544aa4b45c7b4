// The search's view of editing::Selection.
#include "search/selection_link.h"

namespace norv::search {

void SelectionLink::Select(editing::CElwView& view, int line1, size_t pos1, int line2,
                           size_t pos2) {
    if (editing::Selection* s = lookup_(view)) {
        s->Select(line1, pos1, line2, pos2);
    } else {
        view.SetCaret(line2, pos2);
    }
}

void SelectionLink::Cancel(editing::CElwView& view) {
    if (editing::Selection* s = lookup_(view)) s->Cancel();
}

std::optional<SelectedArea> SelectionLink::Area(editing::CElwView& view) {
    editing::Selection* s = lookup_(view);
    if (!s || !s->active()) return std::nullopt;
    s->Normalize();
    if (!s->active()) return std::nullopt;
    SelectedArea a;
    a.box = s->kind() == editing::SelectionKind::kBox;
    a.line1 = s->start().line;
    a.line2 = s->end().line;
    a.pos1 = a.box ? static_cast<size_t>(s->start().column) : s->start().pos;
    a.pos2 = a.box ? static_cast<size_t>(s->end().column) : s->end().pos;
    return a;
}

void SelectionLink::Restore(editing::CElwView& view, const SelectedArea& area) {
    editing::Selection* s = lookup_(view);
    if (!s) return;
    if (area.box) {
        s->SelectBox(area.line1, static_cast<int>(area.pos1), area.line2,
                     static_cast<int>(area.pos2));
        return;
    }
    const int line = view.caretLineNumber();
    const size_t pos = view.caretPos();
    s->Select(area.line1, area.pos1, area.line2, area.pos2);
    view.SetCaret(line, pos);
}

}  // namespace norv::search
