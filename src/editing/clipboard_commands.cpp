// The selection's commands: making a selection, copy, cut and paste through the system
// clipboard or the box buffer, the clipboard history, and the file commands.
//
// The clipboard carries Unicode; a document's bytes are converted at this boundary only (the
// system code page for ANSI documents, as they are for UTF-8 documents).
#include <algorithm>

#include "document/codecs.h"
#include "editing/selection.h"
#include "editing/wait_cursor.h"

namespace norv::editing {

using document::UndoKind;

void ClipboardContext::ClipboardChanged() {
    if (changingFromHistory || !clipboard) return;
    if (auto text = clipboard->Text())
        history.Capture(*text);
    else if (ui)
        ui->Beep();
}

std::string Selection::ToUnicode(const std::string& bytes) const {
    std::string out;
    document::AnsiToUtf8(out, bytes, view_.layout().codePage());
    return out;
}

std::string Selection::FromUnicode(const std::string& text) const {
    std::string out;
    document::Utf8ToAnsi(out, text, view_.layout().codePage());
    return out;
}

namespace {

// Reads a file up to the size it had when opened, so that a device file that never ends (or a
// file growing meanwhile) cannot exhaust memory.
bool ReadFileOfKnownSize(platform::FileSystem& fs, const std::string& path, std::string& out) {
    int error = 0;
    auto in = fs.OpenRead(path, &error);
    if (!in) return false;
    const uint64_t size = in->Size();
    out.clear();
    char buf[16384];
    while (out.size() < size) {
        size_t want = static_cast<size_t>(std::min<uint64_t>(sizeof buf, size - out.size()));
        long n = in->Read(buf, want);
        if (n < 0) return false;
        if (n == 0) break;
        out.append(buf, static_cast<size_t>(n));
    }
    return true;
}

}  // namespace

bool Selection::Handle(CommandId id) {
    const bool ro = view_.readOnly();
    switch (id) {
        case CommandId::SelectBegin:
            if (active_)
                Cancel();
            else
                Anchor(SelectionKind::kBegun);
            return true;
        case CommandId::BoxBegin:
            if (active_ && kind_ == SelectionKind::kBox) {
                Cancel();
            } else if (active_) {
                kind_ = SelectionKind::kBox;
                // The ends become columns of their lines.
                for (SelectionEnd* e : {&start_, &end_}) {
                    const auto* r = RecordFrom(view_.caretLine(), view_.caretLineNumber(), e->line);
                    if (r) e->column = ColumnOfPos(view_.TextOf(r), e->pos);
                }
            } else {
                Anchor(SelectionKind::kBox);
            }
            return true;
        case CommandId::SelectEnd:
            Normalize();
            return true;
        case CommandId::SelectAll: {
            view_.Sync();
            int last = view_.doc().lines().count();
            view_.SetCaret(last, view_.LineContent(view_.doc().lines().last()).size());
            start_ = SelectionEnd{};
            end_ = CaretEnd();
            kind_ = SelectionKind::kStream;
            active_ = true;
            extending_ = false;
            return true;
        }
        case CommandId::EditCopy:
            Copy(false);
            return true;
        case CommandId::EditCopyAppend:
            Copy(true);
            return true;
        case CommandId::EditCut:
        case CommandId::EditCutAppend:
            // Text that could not be placed anywhere is not deleted.
            // A read-only document gives its text to the clipboard and keeps it.
            if (Copy(id == CommandId::EditCutAppend)) {
                if (ro)
                    view_.RefuseReadOnly();
                else
                    DeleteSelection(view_);
            }
            return true;
        case CommandId::EditPaste:
            if (!ro) Paste();
            return true;
        case CommandId::BoxPaste:
            if (!ro) BoxPaste();
            return true;
        case CommandId::FlushBuf:
            ctx_.history.DiscardNewest();
            return true;
        case CommandId::SelectClipBd:
            PasteFromHistory();
            return true;
        case CommandId::CopyToFile:
            FileCommandRun(FileCommand::kCopyToFile);
            return true;
        case CommandId::AppendFile:
            FileCommandRun(FileCommand::kAppendToFile);
            return true;
        case CommandId::PasteFromFile:
            if (!ro) FileCommandRun(FileCommand::kPasteFile);
            return true;
        case CommandId::EditSort:
            SortCommand();
            return true;
        case CommandId::EditConvert:
            ConvertCommand();
            return true;
        default:
            return false;
    }
}

bool Selection::Copy(bool append) {
    Normalize();
    if (!active_) return false;
    if (kind_ == SelectionKind::kBox && !append) {
        ctx_.box.pieces = BoxPieces();
        ctx_.box.codePage = view_.layout().codePage();
        return true;
    }
    if (!ctx_.clipboard) return false;
    std::string block = Block();
    WaitCursor wait(view_.shared().ui, block.size());
    std::string text = ToUnicode(block);
    if (append) {
        auto old = ctx_.clipboard->Text();
        if (old) text.insert(0, *old);
    }
    return ctx_.clipboard->SetText(text);
}

void Selection::PasteText(const std::string& unicode) {
    WaitCursor wait(view_.shared().ui, unicode.size());
    if (active_) DeleteSelection(view_);
    view_.InsertText(FromUnicode(unicode));
}

void Selection::Paste() {
    std::optional<std::string> text = ctx_.clipboard ? ctx_.clipboard->Text() : std::nullopt;
    if (!text) {
        if (auto* ui = view_.shared().ui) ui->Refuse(kNoClipboardText);
        return;
    }
    PasteText(*text);
}

void Selection::BoxPaste() {
    if (ctx_.box.pieces.empty()) return;
    const int cp = view_.layout().codePage();
    const bool convert = ctx_.box.codePage != cp;
    int column = CaretEnd().column;
    int line = view_.caretLineNumber();
    bool first = true;
    // Each piece (with the blanks and the line added for it) undoes on its own.
    for (const std::string& raw : ctx_.box.pieces) {
        view_.StartUndoGroup();
        if (!first) {
            view_.Sync();
            if (line >= view_.doc().lines().count()) {
                // A new empty line below the last one.
                view_.SetCaret(line, view_.LineContent(view_.doc().lines().last()).size());
                view_.InsertAtCaret("\n", UndoKind::kInsertBlock);
            }
            ++line;
        }
        first = false;
        std::string piece = raw;
        if (convert) {
            std::string u;
            document::AnsiToUtf8(u, raw, ctx_.box.codePage);
            piece = FromUnicode(u);
        }
        size_t pos = PosOfColumn(line, column);
        view_.SetCaret(line, pos);
        view::LineText t = view_.TextOf(view_.caretLine());
        int at = ColumnOfPos(t, pos);
        // Beyond the end of a shorter line: blanks fill the gap, as with the free cursor.
        if (pos == t.end() && at < column) {
            view_.InsertAtCaret(std::string(static_cast<size_t>(column - at), ' '),
                                UndoKind::kInsertBlock);
        }
        view_.InsertAtCaret(piece, UndoKind::kInsertBlock);
    }
}

void Selection::PasteFromHistory() {
    if (!ctx_.historyDialog) return;
    ClipboardHistoryRequest req;
    req.entries = ctx_.history.Entries();
    HistoryButton b = ctx_.historyDialog(req);
    std::optional<std::string> text = ApplyHistoryDialog(ctx_.history, req, b);
    if (!text) return;
    if (ctx_.clipboard) {
        ctx_.changingFromHistory = true;
        ctx_.clipboard->SetText(*text);
        ctx_.changingFromHistory = false;
    }
    if (!view_.readOnly()) PasteText(*text);
}

void Selection::FileCommandRun(FileCommand c) {
    ctx_.fileCommandDone = false;
    if (!ctx_.files) return;
    FileCommandRequest req;
    req.command = c;
    if (ctx_.scriptFileName) {
        req.path = *ctx_.scriptFileName;
        ctx_.scriptFileName.reset();
    } else if (!ctx_.askFile || !ctx_.askFile(req)) {
        return;
    }
    if (CommandRecorder* rec = view_.shared().recorder) {
        const CommandId id = c == FileCommand::kCopyToFile     ? CommandId::CopyToFile
                             : c == FileCommand::kAppendToFile ? CommandId::AppendFile
                                                               : CommandId::PasteFromFile;
        rec->RecordFileCommand(id, req.path);
    }
    platform::FileSystem& fs = *ctx_.files;
    if (c == FileCommand::kPasteFile) {
        std::string bytes;
        if (!ReadFileOfKnownSize(fs, req.path, bytes)) return;
        if (active_) DeleteSelection(view_);
        view_.InsertText(bytes);
        ctx_.fileCommandDone = true;
        return;
    }
    Normalize();
    if (!active_) return;
    std::string data = Block();
    std::string old;
    if (c == FileCommand::kAppendToFile && fs.Stat(req.path)) {
        if (!ReadFileOfKnownSize(fs, req.path, old)) return;
        // The new text takes the place of an end-of-file mark.
        if (!old.empty() && old.back() == '\x1A') old.pop_back();
    }
    int error = 0;
    auto out = fs.OpenWrite(req.path, platform::WriteMode::kCreateOrOverwrite, 0644, &error);
    if (!out) return;
    // An append rewrites the same bytes in place, then the new text: the file never loses its
    // old content when the write fails.
    if (!out->Write(old.data(), old.size()) || !out->Write(data.data(), data.size())) {
        out->Close();
        return;
    }
    out->Truncate();
    ctx_.fileCommandDone = out->Close();
}

}  // namespace norv::editing
