// Sort, Convert and Compare on arbitrary bytes: the first byte chooses the code (Shift-JIS or
// UTF-8), the kind of selection and the command; the next bytes its ends and the command's
// values; the rest is the document. Every line stays within a record, the caret and the
// selection inside the text, undo of the whole command gives back the bytes, and the compare
// walk marks only lines that exist.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "document/debug_dump.h"
#include "document/document.h"
#include "editing/compare_walk.h"
#include "editing/edit_view.h"
#include "editing/selection.h"

using namespace norv;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 8) return 0;
    const uint8_t mode = data[0];
    std::string_view text(reinterpret_cast<const char*>(data + 8), size - 8);
    document::LineHeap heap;
    document::DocumentEnvironment env;
    env.heap = &heap;
    env.codePage = 932;
    editing::EditorShared shared(heap);
    document::CElwDoc doc(env);
    doc.NewDocument();
    if (mode & 1) doc.code = document::TextCode::kUtf8;
    doc.lines().Reset();
    for (size_t n = 0;; ++n) {
        const size_t nl = text.find('\n');
        std::string_view line = text.substr(0, nl);
        doc.lines().AppendContent(line.data(), line.size(), (n % 3 == 0) ? document::LF_MARK : 0);
        if (nl == std::string_view::npos) break;
        text.remove_prefix(nl + 1);
    }
    view::LayoutOptions layout;
    layout.tabWidth = 1 + data[7] % 8;
    document::UndoList undo(0);
    {
        editing::CElwView view(doc, undo, shared, layout);
        editing::ClipboardContext ctx;
        editing::Selection sel(view, ctx);
        const int lines = doc.lineCount();
        const int l1 = 1 + data[1] % lines, l2 = 1 + data[2] % lines;
        if (mode & 2)
            sel.SelectBox(l1, data[3] % 40, l2, data[4] % 40);
        else
            sel.Select(l1, data[3], l2, data[4]);
        view.Sync();
        const std::string before = document::DumpLines(doc.lines());
        const uint8_t v = data[5], w = data[6];
        switch ((mode >> 2) % 3) {
            case 0:
                shared.scriptSort = editing::SortArguments{
                    v & 1, (v >> 1) & 1, (v >> 2) & 1, std::string(w % 3, static_cast<char>(v))};
                view.Execute(editing::CommandId::EditSort);
                break;
            case 1:
                shared.scriptConvert =
                    editing::ConvertArguments{v % 5, (v / 5) % 3, (v / 15) % 3, (w % 4) - 1};
                view.Execute(editing::CommandId::EditConvert);
                break;
            default: {
                std::vector<std::string_view> a, b;
                for (auto* r = doc.lines().first(); r; r = r->next)
                    (a.size() <= b.size() ? a : b).emplace_back(r->text(), r->contentLength());
                const editing::CompareResult res =
                    editing::CompareLines(a, b, {1 + v % 20, 1 + w % 5});
                for (uint32_t i : res.current)
                    if (i >= a.size()) std::abort();
                for (uint32_t i : res.target)
                    if (i >= b.size()) std::abort();
                break;
            }
        }
        view.Sync();
        for (auto* r = doc.lines().first(); r; r = r->next)
            if (r->length < 1 || r->text()[r->length - 1] != '\n') std::abort();
        if (view.caretLineNumber() < 1 || view.caretLineNumber() > doc.lineCount()) std::abort();
        if (view.caretPos() > view.caretLine()->contentLength()) std::abort();
        while (undo.CanUndo()) view.Execute(editing::CommandId::Undo);
        view.Sync();
        // The marks and changed flags are given back too; the text always.
        if (document::DumpLines(doc.lines()) != before) std::abort();
    }
    shared.stack.Clear();
    return 0;
}
