// The status bar's display of the character under the caret, and the line end a line shows.
// Plain logic without Qt (it belongs with the view's presentation rules and can move there).
#pragma once

#include <cstdint>
#include <string>

#include "document/document.h"
#include "document/line_record.h"
#include "document/text_code.h"
#include "view/line_layout.h"

namespace norv::qt {

enum class LineEnd { kCrLf, kLf, kCr };

// The line end a line is shown and counted with: the document's mode, or for the Default mode
// the line's recorded kind, and for a line without one the TextMode setting (0 CR LF, 2 CR,
// otherwise LF).
LineEnd LineEndKind(document::EolMode mode, uint8_t lineFlags, int textMode);

// The text for the character at byte `pos` of line `t` (its bytes in the document's memory
// form): "  %04X" forms for the ANSI family (EUC-JP and JIS codes for those documents), the
// UTF-8 bytes in hex for UTF-8, "U+%04X" for UCS-2; the line end's code at the end of a line,
// "  [EOF]" at the end of the last line.
std::string CodeDisplayText(document::TextCode code, const view::LineLayout& layout,
                            const view::LineText& t, size_t pos, bool lastLine, LineEnd end);

}  // namespace norv::qt
