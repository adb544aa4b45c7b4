// A view's saved position: where the caret stood before the view's last long move (the ends of
// the text, the bookmark and changed-line moves, Jump To, the brace match, a search, an item of
// the bookmark list), so that PrevPos goes back and, repeated, toggles between the two places.
//
// It is kept as numbers, never as a line record, because the text changes under it: every edit
// of the document, through any of its views, moves it with the text it stood on
// (LineEdit::Map), so a deleted line leaves it where the deletion was, on the nearest line that
// still exists; a document loaded again leaves it clamped to the new text.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "document/document_views.h"

namespace norv::editing {

struct SavedPosition {
    int64_t displayRow = 0;  // the caret's display row in the document (0-based)
    int line = 1;            // the caret's logical line (1-based)
    size_t column = 0;       // its byte offset in that line
    int caretX = 0;          // its display column (the front end turns columns into pixels)
    int screenRow = 0;       // its row in the window
    int left = 0;            // the first display column shown

    void Follow(const document::LineEdit& edit) { edit.Map(line, column); }
    void Clamp(int lineCount) { line = std::clamp(line, 1, std::max(1, lineCount)); }
};

}  // namespace norv::editing
