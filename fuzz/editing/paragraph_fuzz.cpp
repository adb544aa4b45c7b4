// The paragraph commands on arbitrary bytes: the first bytes choose the code (Shift-JIS or
// UTF-8), the wrap and tab widths, the command, automatic formatting and a selection; the rest
// is the document, one line per line feed. Whatever the text, no record grows past its limit,
// the view's bookkeeping stays right, the non-blank bytes of a reflow or join are all kept in
// order, and undoing everything gives back the bytes and marks the document had.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "document/document.h"
#include "document/undo_list.h"
#include "editing/edit_view.h"
#include "editing/selection.h"
#include "platform/fakes/fake_clipboard.h"

using namespace norv;

namespace {

std::string NonBlank(const document::LineList& lines) {
    std::string out;
    for (const document::LineRecord* r = lines.first(); r; r = r->next)
        for (size_t i = 0; i < r->contentLength(); ++i)
            if (r->text()[i] != ' ' && r->text()[i] != '\t') out.push_back(r->text()[i]);
    return out;
}

// The lines and their flags. Format marks the line ends of a paragraph whose text it leaves as
// it is without an undo record, so the continuation flag is left out.
std::string Dump(const document::LineList& lines) {
    std::string out;
    for (const document::LineRecord* r = lines.first(); r; r = r->next) {
        out.push_back(static_cast<char>(r->flags & ~document::LF_FORMATTED));
        out.append(r->text(), r->length);
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 6) return 0;
    static constexpr editing::CommandId kCommands[] = {
        editing::CommandId::EditLeft, editing::CommandId::EditCenter, editing::CommandId::EditRight,
        editing::CommandId::Indent,   editing::CommandId::BackInd,    editing::CommandId::AddString,
        editing::CommandId::ReFormat, editing::CommandId::DeFormat};
    const bool utf8 = data[0] & 1;
    const bool autoFormat = data[0] & 2;
    const bool selected = data[0] & 4;
    const bool softTab = data[0] & 8;
    const editing::CommandId command = kCommands[(data[0] >> 4) % std::size(kCommands)];
    view::LayoutOptions layout;
    layout.wrapColumn = 1 + data[1] % 120;
    layout.tabWidth = 1 + data[2] % 16;
    layout.dbcsOida = "\x81\x75";  // the opening corner bracket
    layout.dbcsBura = "\x81\x76\x81\x42\x81\x41";
    editing::EditOptions options;
    options.autoSplit = autoFormat;
    options.softTab = softTab;
    options.dbcsTitle = "\x81\x45";

    document::LineHeap heap;
    document::DocumentEnvironment env;
    env.heap = &heap;
    env.codePage = 932;
    document::CElwDoc doc(env);
    doc.NewDocument();
    if (utf8) doc.code = document::TextCode::kUtf8;
    std::string_view rest(reinterpret_cast<const char*>(data + 6), size - 6);
    doc.lines().Reset();
    for (;;) {
        size_t nl = rest.find('\n');
        std::string_view line = rest.substr(0, nl);
        if (line.size() >= document::kMaxLineBytes)
            line = line.substr(0, document::kMaxLineBytes - 1);
        // Some lines carry the continuation flag, as formatted text does.
        const uint8_t flags = (line.size() % 3 == 0) ? document::LF_FORMATTED : 0;
        doc.lines().AppendContent(line.data(), line.size(), flags);
        if (nl == std::string_view::npos) break;
        rest.remove_prefix(nl + 1);
    }
    const std::string original = Dump(doc.lines());
    const std::string nonBlank = NonBlank(doc.lines());
    {
        document::UndoList undo(1 << 20);
        editing::EditorShared shared(heap);
        editing::CElwView view(doc, undo, shared, layout, options);
        platform::FakeClipboard clip;
        editing::ClipboardContext ctx;
        ctx.clipboard = &clip;
        editing::Selection sel(view, ctx);
        const int count = doc.lines().count();
        const int l1 = 1 + data[3] % count;
        const int l2 = 1 + data[4] % count;
        view.SetCaret(l1, data[5]);
        if (selected) sel.Select(l1, data[5], l2, data[3]);
        shared.addStringDialog = [&](editing::AddStringRequest& r) {
            r.text = std::string(reinterpret_cast<const char*>(data + 1), 3);
            r.atEnd = data[4] & 1;
            return true;
        };
        view.Execute(command);
        if (autoFormat) {
            view.TypeByte(' ');
            view.TypeByte('x');
            view.Execute(editing::CommandId::BackSpace);
            view.Execute(editing::CommandId::BackSpace);
        }
        view.Sync();
        for (const document::LineRecord* r = doc.lines().first(); r; r = r->next)
            if (r->length > document::kMaxLineBytes || r->text()[r->length - 1] != '\n')
                std::abort();
        if ((command == editing::CommandId::ReFormat || command == editing::CommandId::DeFormat) &&
            !autoFormat && NonBlank(doc.lines()) != nonBlank)
            std::abort();
        while (undo.CanUndo()) view.Execute(editing::CommandId::Undo);
        view.Sync();
        if (Dump(doc.lines()) != original) std::abort();
    }
    return 0;
}
