// The line built-ins of the editor's script host: handles, walks, marks, reading and writing a
// line's text, and the caret moves by line and column.
//
// Line numbers are found from the caret outwards, so a script that walks the document while it
// writes (the caret follows each written line) costs the same for every line. A line written by
// SAVETHISLINE is replaced as one undo group: its old text deleted, the new text inserted; the
// caret ends on the last line holding the new text, whose handle is the result.
#include <algorithm>

#include "app/scripting/editor_script_host.h"
#include "document/char_model.h"
#include "document/document.h"
#include "editing/edit_view.h"
#include "editing/selection.h"
#include "editing/word_classes.h"
#include "script/interpreter.h"
#include "script/name_tables.h"

namespace norv::app {

using document::LineRecord;
using script::BuiltinId;

namespace {

int32_t S(uint32_t v) {
    return static_cast<int32_t>(v);
}

// Text from a script made into document lines: CR LF, CR and LF each end a line, as a paste
// does. A line longer than a record holds is cut by the view itself, into records that go on
// with LF_CONTINUED, inside the undo record (so Undo and Redo keep the line whole).
std::string LinesOf(std::string_view text) {
    if (text.find('\r') == std::string_view::npos) return std::string(text);
    std::string lines;
    lines.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            lines.push_back('\n');
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            lines.push_back(text[i]);
        }
    }
    return lines;
}

}  // namespace

LineRecord* EditorScriptHost::LineArg(editing::CElwView& v, uint32_t handle) {
    if (handle == 0) return v.caretLine();
    return v.doc().lineHandles.Find(handle);
}

uint32_t EditorScriptHost::HandleOf(editing::CElwView& v, const LineRecord* r) {
    document::LineHandles& handles = v.doc().lineHandles;
    if (handles.size() == 0 && r != nullptr) handles.Reserve(size_t(v.doc().lineCount()));
    return handles.HandleOf(r);
}

int EditorScriptHost::LineNumber(editing::CElwView& v, const LineRecord* r) {
    if (r == nullptr) return 0;
    const LineRecord* up = v.caretLine();
    const LineRecord* down = up;
    int n = v.caretLineNumber();
    for (int d = 0; up != nullptr || down != nullptr; ++d) {
        if (up == r) return n - d;
        if (down == r) return n + d;
        if (up != nullptr) up = up->prev;
        if (down != nullptr) down = down->next;
    }
    return 0;
}

uint32_t EditorScriptHost::SaveLine(editing::CElwView& v, LineRecord* r, std::string_view text) {
    document::CElwDoc& doc = v.doc();
    if (r == nullptr || doc.readOnly) return 0;
    const int line = LineNumber(v, r);
    if (line == 0) return 0;
    std::string scratch;
    const std::string_view old = v.ContentOf(r, scratch);
    if (Unseen(doc, old)) {
        Refused(line);
        return 0;
    }
    const std::string bytes =
        document::IsUnicodeFamily(doc.code) ? LinesOf(ToDocument(doc, text)) : LinesOf(text);
    if (bytes == old) return HandleOf(v, r);
    const size_t oldSize = old.size();  // the bytes themselves may move with the edit below
    {
        editing::CommandScope scope(v);
        // A line of one record written with one line's text: in place, as the edit below.
        if (!v.ReplaceLineText(line, bytes, document::UndoKind::kConvert)) {
            v.SetCaret(line, 0);
            v.ReplaceForward(oldSize, bytes, document::UndoKind::kConvert);
        }
    }
    v.SetCaret(v.caretLineNumber(), 0);
    return HandleOf(v, v.caretLine());
}

bool EditorScriptHost::CallLineBuiltin(int id, const uint32_t* a, script::Runtime& rt,
                                       editing::CElwView& v) {
    document::CElwDoc& doc = v.doc();
    auto ret = [&](uint32_t value) { rt.SetResult(value); };
    switch (id) {
        case BuiltinId("GETTOPLINE"):
            ret(HandleOf(v, doc.lines().first()));
            return true;
        case BuiltinId("GETCURRENTLINE"):
            ret(HandleOf(v, v.caretLine()));
            return true;
        case BuiltinId("GETNEXT"): {
            const LineRecord* r = LineArg(v, a[0]);
            ret(r != nullptr ? HandleOf(v, r->next) : 0);
            return true;
        }
        case BuiltinId("GETPREV"): {
            const LineRecord* r = LineArg(v, a[0]);
            ret(r != nullptr ? HandleOf(v, r->prev) : 0);
            return true;
        }
        case BuiltinId("GETNEXTMARK"):
        case BuiltinId("GETPREVMARK"): {
            const bool forward = id == BuiltinId("GETNEXTMARK");
            const LineRecord* r = LineArg(v, a[0]);
            if (r != nullptr) r = forward ? r->next : r->prev;
            while (r != nullptr && !(r->flags & document::LF_MARK)) r = forward ? r->next : r->prev;
            ret(HandleOf(v, r));
            return true;
        }
        case BuiltinId("GETTHISLINE"): {
            const int n = S(a[0]);
            if (n < 1 || n > doc.lineCount()) {
                ret(0);
                return true;
            }
            const int caret = v.caretLineNumber();
            LineRecord* r = std::abs(n - caret) < n ? editing::RecordFrom(v.caretLine(), caret, n)
                                                    : doc.lines().LineAt(n);
            ret(HandleOf(v, r));
            return true;
        }
        case BuiltinId("GETCOUNT"):
            ret(static_cast<uint32_t>(LineNumber(v, LineArg(v, a[0]))));
            return true;
        case BuiltinId("ISMARKED"): {
            const LineRecord* r = LineArg(v, a[0]);
            ret(r != nullptr && (r->flags & document::LF_MARK) ? 1 : 0);
            return true;
        }
        case BuiltinId("SETMARK"): {
            LineRecord* r = LineArg(v, a[1]);
            if (r == nullptr) return true;
            const uint8_t before = r->flags;
            if (a[0] != 0)
                r->flags |= document::LF_MARK;
            else
                r->flags &= static_cast<uint8_t>(~document::LF_MARK);
            if (r->flags != before) {
                doc.NoteBookmarksChanged();
                doc.NotifyRepaint(nullptr);
                rt.SetRefreshPending();
            }
            return true;
        }
        case BuiltinId("LOADTHISLINE"): {
            const LineRecord* r = LineArg(v, a[0]);
            std::string scratch;
            const std::string_view text = r != nullptr ? v.ContentOf(r, scratch) : "";
            rt.SetResult(document::IsUnicodeFamily(doc.code)
                             ? rt.MakeString(FromDocument(doc, text))
                             : rt.MakeString(text));
            return true;
        }
        case BuiltinId("SAVETHISLINE"): {
            LineRecord* r = LineArg(v, a[0]);
            ret(SaveLine(v, r, rt.ArgString(a[1])));
            rt.SetRefreshPending();
            return true;
        }
        case BuiltinId("GETTOTHISCOUNT"):
            // The caret's display row in the document, counted from 1.
            v.Sync();
            ret(static_cast<uint32_t>(v.caretRow() + 1));
            return true;
        case BuiltinId("GOTOTHERE"): {
            int line = S(a[0]);
            int column = S(a[1]);
            if (line <= 0) line = v.caretLineNumber();
            line = std::clamp(line, 1, doc.lineCount());
            size_t pos = v.caretPos();
            if (column > 0) pos = static_cast<size_t>(column - 1);
            if (line != v.caretLineNumber() || column > 0) v.SavePosition();
            v.SetCaret(line, pos);
            rt.SetRefreshPending();
            return true;
        }
        case BuiltinId("JUMPLINE"): {
            // Non-zero (True) counts display rows, 0 (False) text lines: the value a recorded
            // JumpTo carries.
            const int64_t line = std::max<int64_t>(1, S(a[0]));
            v.SavePosition();
            v.JumpTo(line, a[1] == 0);
            rt.SetRefreshPending();
            PumpMessages();
            return true;
        }
        case BuiltinId("SETCURSORPOS"): {
            // Window column and row from 0, as .CSRX and .CSRY read them.
            const int x = std::max(0, S(a[0]));
            const int y = std::max(0, S(a[1]));
            const std::vector<editing::CElwView::Row> rows = v.VisibleRows();
            if (rows.empty()) return true;
            const editing::CElwView::Row& row = rows[std::min<size_t>(size_t(y), rows.size() - 1)];
            const view::LineText t = v.TextOf(row.line);
            int col = 0;
            size_t i = row.start;
            const int target = x + v.leftColumn();
            while (i < row.end) {
                const size_t len = v.layout().CharLen(t, i);
                const int next = v.layout().Advance(t, i, len, col);
                if (next > target) break;
                col = next;
                i += len;
            }
            v.SetCaret(row.lineNumber, i);
            rt.SetRefreshPending();
            return true;
        }
        default:
            return false;
    }
}

}  // namespace norv::app
