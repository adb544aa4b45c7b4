// The text and selection built-ins of the editor's script host: the character and word at the
// caret, inserting and typing, the selected text, deleting and cancelling the selection, the
// modified flag, the bookmark file's name and list, and the next window.
//
// A read-only document is never changed. Inserting or typing over a selection that holds
// characters the script's code page lacks is refused (the script could not have seen them).
#include "app/scripting/editor_script_host.h"
#include "document/char_model.h"
#include "document/document.h"
#include "document/marks_file.h"
#include "editing/edit_view.h"
#include "editing/selection.h"
#include "editing/word_classes.h"
#include "platform/code_page.h"
#include "script/interpreter.h"
#include "script/name_tables.h"

namespace norv::app {

using script::BuiltinId;

namespace {

// The class of a character for the word at the caret: 0 a delimiter, then one class per kind
// of character. UTF-8 text is split into ASCII words and runs of other characters.
int CharClass(const editing::WordClasses& classes, int codePage, std::string_view c) {
    const auto b = static_cast<uint8_t>(c[0]);
    if (document::IsUtf8CodePage(codePage)) {
        if (b >= 0x80) return 20;
        if ((b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || b == '_')
            return 21;
        return 0;
    }
    const uint16_t code = c.size() == 2 ? static_cast<uint16_t>(b << 8 | uint8_t(c[1])) : b;
    const editing::WordClass k = classes.ClassOf(code);
    if (k == editing::WordClass::kAnkDelimiter || k == editing::WordClass::kDbcsDelimiter) return 0;
    return 1 + static_cast<int>(k);
}

std::string WordAt(std::string_view text, size_t pos, int codePage) {
    // The line is walked from its start: a trail byte can look like a lead byte.
    editing::WordClasses classes;
    struct Char {
        size_t start;
        int cls;
    };
    std::vector<Char> chars;
    size_t at = std::string::npos;
    for (size_t i = 0; i < text.size();) {
        const size_t n = editing::CharLengthAt(codePage, text, i);
        if (i <= pos) at = chars.size();
        chars.push_back({i, CharClass(classes, codePage, text.substr(i, n))});
        i += n;
    }
    if (at == std::string::npos || pos >= text.size() || chars[at].cls == 0) return {};
    size_t a = at, b = at + 1;
    while (a > 0 && chars[a - 1].cls == chars[at].cls) --a;
    while (b < chars.size() && chars[b].cls == chars[at].cls) ++b;
    const size_t end = b < chars.size() ? chars[b].start : text.size();
    return std::string(text.substr(chars[a].start, end - chars[a].start));
}

// A character code of the script: one byte, or lead << 8 | trail.
uint32_t CodeOf(std::string_view c) {
    if (c.empty()) return 0;
    if (c.size() == 1) return static_cast<uint8_t>(c[0]);
    return static_cast<uint32_t>(static_cast<uint8_t>(c[0]) << 8 | static_cast<uint8_t>(c[1]));
}

}  // namespace

bool EditorScriptHost::ReplaceSelectionAllowed(editing::CElwView& v) {
    editing::Selection* sel = editor_.ActiveSelection();
    if (sel == nullptr || !sel->active()) return true;
    if (!document::IsUnicodeFamily(v.doc().code)) return true;
    if (!Unseen(v.doc(), sel->Block())) return true;
    sel->Normalize();
    Refused(sel->start().line);
    return false;
}

bool EditorScriptHost::CallTextBuiltin(int id, const uint32_t* a, script::Runtime& rt,
                                       editing::CElwView& v) {
    document::CElwDoc& doc = v.doc();
    auto retText = [&](const std::string& s) { rt.SetResult(rt.MakeString(s)); };
    switch (id) {
        case BuiltinId("GETCURRENTCHAR"): {
            // At a line end: 13 when another line follows, 0 at the end of the text.
            const std::string line = v.LineContent(v.caretLine());
            const size_t pos = v.caretPos();
            if (pos >= line.size()) {
                rt.SetResult(v.caretLine()->next != nullptr ? 13 : 0);
                return true;
            }
            const size_t n = editing::CharLengthAt(doc.CodePage(), line, pos);
            const std::string c = FromDocument(doc, std::string_view(line).substr(pos, n));
            rt.SetResult(CodeOf(c));
            return true;
        }
        case BuiltinId("GETCURSORWORD"):
            retText(FromDocument(
                doc, WordAt(v.LineContent(v.caretLine()), v.caretPos(), doc.CodePage())));
            return true;
        case BuiltinId("INSERTSTRING"): {
            if (doc.readOnly || !ReplaceSelectionAllowed(v)) return true;
            std::string text = ToDocument(doc, rt.ArgString(a[0]));
            // A carriage return alone ends a line too, as a paste does.
            for (size_t i = 0; i < text.size(); ++i)
                if (text[i] == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n'))
                    text[i] = '\n';
            v.InsertText(text);
            rt.SetRefreshPending();
            return true;
        }
        case BuiltinId("INPUTCHAR"): {
            const uint32_t code = a[0];
            std::string c;
            if (code > 255) c.push_back(static_cast<char>(code >> 8 & 0xFF));
            c.push_back(static_cast<char>(code & 0xFF));
            if (!doc.readOnly && !ReplaceSelectionAllowed(v)) return true;
            editor_.PressKey(KeyStroke{}, ToDocument(doc, c));
            rt.SetRefreshPending();
            return true;
        }
        case BuiltinId("GETSELECTED"): {
            editing::Selection* sel = editor_.ActiveSelection();
            retText(sel != nullptr && sel->active() ? FromDocument(doc, sel->Block()) : "");
            return true;
        }
        case BuiltinId("DELSELECT"): {
            editing::Selection* sel = editor_.ActiveSelection();
            if (sel != nullptr && sel->active() && !doc.readOnly) {
                editing::CommandScope scope(v);
                sel->DeleteSelection(v);
                rt.SetRefreshPending();
            }
            return true;
        }
        case BuiltinId("SELECTCANCEL"):
            if (editing::Selection* sel = editor_.ActiveSelection()) sel->Cancel();
            editor_.Repaint();
            return true;
        case BuiltinId("ISMODIFIED"):
            rt.SetResult(doc.modified ? 1 : 0);
            return true;
        case BuiltinId("SETMODIFIED"):
            doc.SetModified(a[0] != 0);
            PumpMessages();
            return true;
        case BuiltinId("GETMARKFILE"):
            retText(doc.path.empty() ? std::string()
                                     : FromDocument(doc, document::MarkFileName(fs(), doc.path)));
            return true;
        case BuiltinId("SHOWMARKLIST"):
            editor_.ShowMarkList();
            return true;
        case BuiltinId("GOTONEXT"):
            rt.SetResult(editor_.ActivateNextWindow() ? 1 : 0);
            PumpMessages();
            return true;
        default:
            return false;
    }
}

}  // namespace norv::app
