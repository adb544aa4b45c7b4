// The document object and its environment.
#include "document/document.h"

#include "platform/code_page.h"

namespace norv::document {

const char* TextCodeName(TextCode c) {
    switch (c) {
        case TextCode::Ansi:
            return "Ansi";
        case TextCode::Euc:
            return "Euc";
        case TextCode::Jis:
            return "Jis";
        case TextCode::Ucs2Le:
            return "Ucs2Le";
        case TextCode::Ucs2Be:
            return "Ucs2Be";
        case TextCode::Utf8:
            return "Utf8";
        case TextCode::None:
            break;
    }
    return "None";
}

const char* EolModeName(EolMode m) {
    switch (m) {
        case EolMode::CrLf:
            return "CrLf";
        case EolMode::Lf:
            return "Lf";
        case EolMode::Cr:
            return "Cr";
        case EolMode::Default:
            break;
    }
    return "Default";
}

const char* CodeStatusName(TextCode c, int systemCodePage) {
    switch (c) {
        case TextCode::Ansi:
            return systemCodePage == 932 ? "ShiftJIS" : "ANSI";
        case TextCode::Euc:
            return "EUC";
        case TextCode::Jis:
            return "JIS";
        case TextCode::Ucs2Le:
            return "Unicode";
        case TextCode::Ucs2Be:
            return "Unicode(BE)";
        case TextCode::Utf8:
            return "UTF8";
        case TextCode::None:
            break;
    }
    return "";
}

const char* EolStatusName(EolMode m, bool mixedLineEnds, int textMode) {
    switch (m) {
        case EolMode::CrLf:
            return "CRLF";
        case EolMode::Lf:
            return "LF";
        case EolMode::Cr:
            return "CR";
        case EolMode::Default:
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
    code = TextCode::Ansi;
    saveCode = TextCode::None;
    eolMode = EolMode::Default;
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
