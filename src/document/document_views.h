// How the views of one document hear about changes made to its lines.
//
// A document may be shown in several views at once (several windows, or the panes of a split
// window). Every view keeps line records, line numbers and row counts of its own (caret, top
// row, selection ends), so each change to the text is told to every other view of the document
// as a `LineEdit`: at one position, some bytes were removed and others inserted, a line feed in
// either being a line break. That is enough to move any position of the old text to where the
// same text stands now, and to keep a running total of display rows without laying out the
// whole document again: every view of a document shares one layout (the rows cached in the
// records are the same for all of them), so the rows before and after the edit are the same
// numbers for every view.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "document/line_record.h"

namespace norv::document {

// The shape of a piece of text: how many line feeds it holds, and the bytes after the last one
// (or all of its bytes when it holds none).
struct TextShape {
    int breaks = 0;
    size_t tail = 0;

    static TextShape Of(std::string_view bytes);
};

struct LineEdit {
    int line = 1;  // where the edit applies: 1-based line number and byte offset
    size_t column = 0;
    TextShape removed;   // what was removed from there forward
    TextShape inserted;  // what stands there now in its place
    // The display row of the line's first row (the same before and after: no line before the
    // edit changed), and the display rows of the lines the edit touched, before (the lines
    // `line` through `line + removed.breaks`) and after (`line` through `line + inserted.breaks`).
    int64_t row = 0;
    int64_t rowsBefore = 0;
    int64_t rowsAfter = 0;
    // The record that is line `line` after the edit.
    LineRecord* first = nullptr;

    // Whether a position of the old text lay on one of the lines the edit touched (its record
    // may be gone and must be found again from `first`).
    bool Touches(int oldLine) const { return oldLine >= line && oldLine <= line + removed.breaks; }
    // Moves a position of the text before the edit to the same text after it. A position inside
    // the removed text goes to the edit's position; one at the edit's position stays before the
    // inserted text.
    void Map(int& oldLine, size_t& pos) const;
};

// A view of a document, as the document sees it.
class DocumentView {
  public:
    virtual ~DocumentView() = default;
    // Another view (or the document itself) changed the text.
    virtual void LinesEdited(const LineEdit& edit) = 0;
    // A record moved to another address (it grew beyond its cell).
    virtual void LineMoved(LineRecord* from, LineRecord* to) = 0;
    // Lines were rewritten in place without changing their number (blanks at line ends removed
    // by a save): their rows are laid out again and positions kept inside their lines.
    virtual void LinesRewritten() = 0;
    // Every line was replaced (the file was loaded again): the old records are gone.
    virtual void LinesReplaced() = 0;
    // Something shown changed without a change of the text (line flags): repaint.
    virtual void Repaint() = 0;
};

}  // namespace norv::document
