// A document and an edit view without any window, built from text in the test's source
// encoding (UTF-8) and converted to the encoding under test. "|" marks the caret.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "document/codecs.h"
#include "document/debug_dump.h"
#include "document/document.h"
#include "document/undo_list.h"
#include "editing/edit_view.h"

namespace norv::editing::testing {

enum class Enc { kAscii, kSjis, kUtf8 };

inline const char* EncName(Enc e) {
    return e == Enc::kAscii ? "ascii" : e == Enc::kSjis ? "sjis" : "utf8";
}

// UTF-8 source text to the encoding under test.
inline std::string Encode(Enc e, std::string_view utf8) {
    if (e != Enc::kSjis) return std::string(utf8);
    std::string out;
    document::Utf8ToAnsi(out, utf8, 932);
    return out;
}

inline std::string Decode(Enc e, std::string_view bytes) {
    if (e != Enc::kSjis) return std::string(bytes);
    std::string out;
    document::AnsiToUtf8(out, bytes, 932);
    return out;
}

// A typed text (each byte typed in turn) or a command.
using Step = std::variant<CommandId, std::string>;

inline document::DocumentEnvironment MakeEnv(document::LineHeap& heap) {
    document::DocumentEnvironment env;
    env.heap = &heap;
    env.codePage = 932;
    return env;
}

struct Editor {
    explicit Editor(Enc e, const view::LayoutOptions& layout = {}, const EditOptions& options = {},
                    size_t undoLimitKb = 1024)
        : enc(e), env(MakeEnv(heap)), shared(heap), doc(env), undo(undoLimitKb) {
        layoutOptions = layout;
        editOptions = options;
        editOptions.undoLimitKb = undoLimitKb;
        doc.NewDocument();
        if (e == Enc::kUtf8) doc.code = document::TextCode::kUtf8;
    }
    ~Editor() {
        view.reset();
        shared.stack.Clear();
    }

    // Loads "line\nline|rest\n..." (UTF-8 source) and places the caret at "|".
    void Load(std::string_view marked) {
        view.reset();
        std::string text(marked);
        size_t bar = text.find('|');
        int caretLine = 1;
        size_t caretPos = 0;
        if (bar != std::string::npos) {
            std::string before = text.substr(0, bar);
            text.erase(bar, 1);
            caretLine = 1 + static_cast<int>(std::count(before.begin(), before.end(), '\n'));
            size_t nl = before.rfind('\n');
            caretPos = Encode(enc, nl == std::string::npos ? before : before.substr(nl + 1)).size();
        }
        doc.lines().Reset();
        size_t start = 0;
        for (;;) {
            size_t nl = text.find('\n', start);
            std::string line = Encode(
                enc, text.substr(start, nl == std::string::npos ? std::string::npos : nl - start));
            doc.lines().AppendContent(line.data(), line.size(), 0);
            if (nl == std::string::npos) break;
            start = nl + 1;
        }
        undo.Clear();
        undo.MarkSaved();
        view = std::make_unique<CElwView>(doc, undo, shared, layoutOptions, editOptions);
        view->SetWindowSize(10, 80);
        view->SetCaret(caretLine, caretPos);
    }

    void Run(const Step& s) {
        if (auto* id = std::get_if<CommandId>(&s)) {
            view->Execute(*id);
        } else {
            for (char c : Encode(enc, std::get<std::string>(s)))
                view->TypeByte(static_cast<uint8_t>(c));
        }
    }

    // The text in UTF-8 with "|" at the caret.
    std::string Marked() {
        view->Sync();
        std::string out;
        int n = 1;
        for (const document::LineRecord* r = doc.lines().first(); r; r = r->next, ++n) {
            std::string line(r->text(), r->contentLength());
            if (n == view->caretLineNumber()) {
                out += Decode(enc, line.substr(0, view->caretPos())) + "|" +
                       Decode(enc, line.substr(view->caretPos()));
            } else {
                out += Decode(enc, line);
            }
            if (r->next) out += '\n';
        }
        return out;
    }

    // The raw bytes of every line and its flags.
    std::string Snapshot() {
        view->Sync();
        return document::DumpLines(doc.lines());
    }

    // Recounts everything the view keeps incrementally and checks it. The line buffer is left
    // as it is: the caret line is read through the view.
    void CheckConsistent() { CheckView(*view); }

    // The same for any view of the document.
    void CheckView(CElwView& v) {
        CElwView* const cv = &v;
        int count = 0;
        int64_t rows = 0;
        int64_t caretLineRow = -1;
        const document::LineRecord* caretRecord = nullptr;
        view::LineLayout layout(cv->layout().options());
        for (const document::LineRecord* r = doc.lines().first(); r; r = r->next) {
            ++count;
            if (count == cv->caretLineNumber()) {
                caretRecord = r;
                caretLineRow = rows;
            }
            view::LineText t = cv->TextOf(r);
            int32_t n = layout.RowCount(t);
            ASSERT_EQ(r->rows, n) << "cached rows of line " << count;
            rows += n;
            ASSERT_EQ(t[t.end()], '\n');
            ASSERT_LE(t.size(), document::kMaxLineBytes);
        }
        ASSERT_EQ(count, doc.lines().count());
        ASSERT_EQ(rows, cv->totalRows());
        ASSERT_EQ(caretRecord, cv->caretLine());
        view::LineText ct = cv->TextOf(caretRecord);
        ASSERT_LE(cv->caretPos(), ct.end());
        ASSERT_EQ(cv->caretRow(), caretLineRow + layout.RowOf(ct, cv->caretPos()).index);
        // The window shows consecutive rows from the top row.
        std::vector<CElwView::Row> shown = cv->VisibleRows();
        ASSERT_EQ(static_cast<int64_t>(shown.size()),
                  std::min<int64_t>(cv->windowRows(), cv->totalRows() - cv->topRow()));
        for (size_t i = 1; i < shown.size(); ++i) {
            const CElwView::Row& a = shown[i - 1];
            const CElwView::Row& b = shown[i];
            if (a.lineNumber == b.lineNumber) {
                ASSERT_EQ(b.index, a.index + 1);
                ASSERT_EQ(b.start, a.end);
            } else {
                ASSERT_EQ(b.lineNumber, a.lineNumber + 1);
                ASSERT_EQ(b.index, 0);
            }
        }
        ASSERT_GE(cv->topRow(), 0);
        ASSERT_LT(cv->topRow(), std::max<int64_t>(1, cv->totalRows()));
    }

    Enc enc;
    document::LineHeap heap;
    document::DocumentEnvironment env;
    EditorShared shared;
    document::CElwDoc doc;
    document::UndoList undo;
    view::LayoutOptions layoutOptions;
    EditOptions editOptions;
    std::unique_ptr<CElwView> view;
};

}  // namespace norv::editing::testing
