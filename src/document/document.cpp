// The document object and its environment.
#include "document/document.h"

#include "platform/code_page.h"

namespace norv::document {

const char* TextCodeName(TextCode c) {
    switch (c) {
        case TextCode::kAnsi:
            return "Ansi";
        case TextCode::kEuc:
            return "Euc";
        case TextCode::kJis:
            return "Jis";
        case TextCode::kUcs2Le:
            return "Ucs2Le";
        case TextCode::kUcs2Be:
            return "Ucs2Be";
        case TextCode::kUtf8:
            return "Utf8";
        case TextCode::kNone:
            break;
    }
    return "None";
}

const char* EolModeName(EolMode m) {
    switch (m) {
        case EolMode::kCrLf:
            return "CrLf";
        case EolMode::kLf:
            return "Lf";
        case EolMode::kCr:
            return "Cr";
        case EolMode::kDefault:
            break;
    }
    return "Default";
}

const char* CodeStatusName(TextCode c, int systemCodePage) {
    switch (c) {
        case TextCode::kAnsi:
            return systemCodePage == 932 ? "ShiftJIS" : "ANSI";
        case TextCode::kEuc:
            return "EUC";
        case TextCode::kJis:
            return "JIS";
        case TextCode::kUcs2Le:
            return "Unicode";
        case TextCode::kUcs2Be:
            return "Unicode(BE)";
        case TextCode::kUtf8:
            return "UTF8";
        case TextCode::kNone:
            break;
    }
    return "";
}

const char* EolStatusName(EolMode m, bool mixedLineEnds, int textMode) {
    switch (m) {
        case EolMode::kCrLf:
            return "CRLF";
        case EolMode::kLf:
            return "LF";
        case EolMode::kCr:
            return "CR";
        case EolMode::kDefault:
            break;
    }
    if (mixedLineEnds) return "Mixed";
    return textMode == 0 ? "CRLF" : textMode == 2 ? "CR" : "LF";
}

LineHeap& DocumentEnvironment::Heap() const {
    return heap ? *heap : ProgramLineHeap();
}

platform::FileSystem& DocumentEnvironment::Fs() const {
    return fs ? *fs : platform::RealFileSystem();
}

int DocumentEnvironment::CodePage() const {
    return codePage ? codePage : platform::SystemCodePage();
}

CElwDoc::CElwDoc(DocumentEnvironment& env) : env_(&env), lines_(env.Heap()) {
    lines_.onRelocate = [this](LineRecord* from, LineRecord* to) {
        lineHandles.Moved(from, to);
        for (DocumentView* v : views_) v->LineMoved(from, to);
    };
    lines_.onUnlink = [this](const LineRecord* r) { lineHandles.Forget(r); };
    lines_.onClear = [this] { lineHandles.Clear(); };
}

int CElwDoc::CodePage() const {
    return IsUnicodeFamily(code) ? platform::kCodePageUtf8Internal : env_->CodePage();
}

int CElwDoc::NewDocument() {
    lines_.Reset();
    if (!lines_.AppendLineFromText("\n", 0)) return 0;
    code = TextCode::kAnsi;
    saveCode = TextCode::kNone;
    eolMode = EolMode::kDefault;
    eolModeFromFile = false;
    mixedLineEnds = false;
    bom = true;
    modified = false;
    endsWithEol = false;
    loadTime = platform::FileTimeNow();
    NoteBookmarksChanged();
    return 1;
}

void CElwDoc::NoteBookmarksChanged() {
    bookmarksChanged = true;
    ++bookmarkNotices;
    if (env_->hooks) env_->hooks->BookmarksChanged(*this);
}

}  // namespace norv::document
