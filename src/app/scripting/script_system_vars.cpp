// The 105 system variables: one table, in the order of the compiler's name table, saying for
// each what stands behind it and how a write acts.
//
// - Setting: a key of the settings file. A read gives the value the editor runs with; a write
//   goes through the frame as the preferences write it (to the file when it changed, then
//   applied to the bars, views, menus, loading and saving). Colours are red + 256 green + 65536
//   blue.
// - View: the caret, the selection and the layout of the active view; 0 without one. TABS and
//   COLS lay the view out again; AUTOIND, SOFTTAB and DSPCIND are the view's own editing
//   options (the file type's values until a script changes them).
// - Document: the active document's code, line ends, read-only mode, path and file type; 0 or
//   "" without a view. Writes act as the Character Code menu (without its Check Kanji Code
//   question, which would stop a script midway), the Return Code menu and Read&Only Mode do.
// - Host: values of the script host (the editor state, the values resident scripts exchange,
//   the folders).
// - Window: the window values and the frame's state.
//
// Path texts are in the script's code page; file names themselves are the file system's bytes.
#include <algorithm>
#include <climits>
#include <filesystem>

#include "app/config/configuration.h"
#include "app/config/document_settings.h"
#include "app/config/profiles.h"
#include "app/config/settings.h"
#include "app/config/view_settings.h"
#include "app/scripting/editor_script_host.h"
#include "app/scripting/script_frame.h"
#include "document/codecs.h"
#include "document/document.h"
#include "editing/edit_view.h"
#include "editing/selection.h"
#include "platform/code_page.h"
#include "platform/ui.h"
#include "script/interpreter.h"
#include "script/name_tables.h"

namespace norv::app {

namespace {

enum class Owner : uint8_t { kSetting, kView, kDocument, kHost, kWindow };

// What a variable that is not a setting stands for.
enum class Var : uint8_t {
    None,
    // View
    BlkBeg,
    BlkBegC,
    BlkBegL,
    BlkDisp,
    BlkEnd,
    BlkEndC,
    BlkEndL,
    BlkSel,
    Column,
    CsrX,
    CsrY,
    LineNo,
    LineNoL,
    LinePtr,
    PhysLine,
    Shift,
    TotLine,
    Tabs,
    Cols,
    AutoInd,
    SoftTab,
    DspcInd,
    Insert,
    // Document
    KanjiCode,
    ReturnCode,
    ReadOnly,
    FileName,
    FileTitle,
    PathName,
    FileType,
    CaptionStr,
    // Host
    NorvState,
    ParmA,
    ParmB,
    ParmStrA,
    ParmStrB,
    TileMode,
    HomePath,
    ModPath,
    // Window
    HMainWnd,
    HWnd,
    DocNum,
    MarkListOn,
    VarPitch,
};

struct SysVarDef {
    std::string_view name;
    Owner owner;
    Key key;  // Setting rows
    Var var;  // the other rows
};

constexpr SysVarDef S(std::string_view name, Key key) {
    return {name, Owner::kSetting, key, Var::None};
}
constexpr SysVarDef V(std::string_view name, Owner owner, Var var) {
    return {name, owner, Key::kCount, var};
}
constexpr Owner kView = Owner::kView, kDoc = Owner::kDocument, kHost = Owner::kHost,
                kWin = Owner::kWindow;

// clang-format off
constexpr SysVarDef kDefs[] = {
    S("ACCCSR", Key::AccCsr),
    S("ADDEOF", Key::AddEOF),
    S("AFTERCSR", Key::EOLOverCsr),
    V("AUTOIND", kView, Var::AutoInd),
    S("AUTOSAVES", Key::AutoSaveSec),
    S("AUTOSPLIT", Key::AutoSplit),
    S("BACKPATH", Key::BackUpPath),
    S("BAKCOLOR", Key::BackColor),
    S("BIGBUTTON", Key::BigButton),
    V("BLKBEG", kView, Var::BlkBeg),
    V("BLKBEGC", kView, Var::BlkBegC),
    V("BLKBEGL", kView, Var::BlkBegL),
    V("BLKDISP", kView, Var::BlkDisp),
    V("BLKEND", kView, Var::BlkEnd),
    V("BLKENDC", kView, Var::BlkEndC),
    V("BLKENDL", kView, Var::BlkEndL),
    V("BLKSEL", kView, Var::BlkSel),
    S("BOXCSR", Key::BoxCursor),
    S("CALLFILER", Key::CallFiler),
    V("CAPTIONSTR", kDoc, Var::CaptionStr),
    S("CHGCOLOR", Key::ChngColor),
    S("CMODE", Key::C_CppMode),
    V("COLS", kView, Var::Cols),
    V("COLUMN", kView, Var::Column),
    S("CRCOLOR", Key::CRColor),
    S("CRDISP", Key::CRDisplay),
    V("CSRX", kView, Var::CsrX),
    V("CSRY", kView, Var::CsrY),
    S("CTLCOLOR", Key::CtrlColor),
    S("DELIMITERS", Key::ANKDelimiter),
    S("DELSPACE", Key::DelSpace),
    S("DISPNUM", Key::LineNumber),
    V("DOCNUM", kWin, Var::DocNum),
    S("DSPCDISP", Key::DSpcDisplay),
    V("DSPCIND", kView, Var::DspcInd),
    S("EOFCOLOR", Key::EOFColor),
    S("EOFDISP", Key::EOFDisplay),
    V("FILENAME", kDoc, Var::FileName),
    V("FILETITLE", kDoc, Var::FileTitle),
    V("FILETYPE", kDoc, Var::FileType),
    S("FILLTAB", Key::FillByTAB),
    S("FINDOPT", Key::FindOption),
    S("FINDSEL", Key::SelectFind),
    S("FKEYDISP", Key::DispFkey),
    S("FREECSR", Key::FreeCursor),
    S("GREPOPT", Key::GrepOption),
    V("HMAINWND", kWin, Var::HMainWnd),
    V("HOMEPATH", kHost, Var::HomePath),
    S("HSCROLL", Key::HScrollBar),
    V("HWND", kWin, Var::HWnd),
    V("INSERT", kView, Var::Insert),
    S("JUMPMID", Key::JumpCenter),
    V("KANJICODE", kDoc, Var::KanjiCode),
    S("LBKCOLOR", Key::LBakColor),
    S("LINCOLOR", Key::LnumColor),
    V("LINENO", kView, Var::LineNo),
    V("LINENOL", kView, Var::LineNoL),
    V("LINEPTR", kView, Var::LinePtr),
    S("LINESPACE", Key::WideLine),
    V("MARKLISTON", kWin, Var::MarkListOn),
    S("MAXOPEN", Key::MRUFiles),
    S("MIRROR", Key::Mirroring),
    S("MIRRPATH", Key::MirrorPath),
    V("MODPATH", kHost, Var::ModPath),
    S("MRKCOLOR", Key::MarkColor),
    V("NORVSTATE", kHost, Var::NorvState),
    V("PARMA", kHost, Var::ParmA),
    V("PARMB", kHost, Var::ParmB),
    V("PARMSTRA", kHost, Var::ParmStrA),
    V("PARMSTRB", kHost, Var::ParmStrB),
    V("PATHNAME", kDoc, Var::PathName),
    V("PHYSLINE", kView, Var::PhysLine),
    V("READONLY", kDoc, Var::ReadOnly),
    S("REPLOPT", Key::ReplOption),
    V("RETURNCODE", kDoc, Var::ReturnCode),
    S("RULBKCOLOR", Key::GbakColor),
    S("RULCOLOR", Key::GaugColor),
    S("RULER", Key::ColumnGauge),
    S("SAVEMARK", Key::SaveMarkInfo),
    S("SAVEMODE", Key::SaveMode),
    S("SAVEPLACE", Key::SavePlace),
    V("SHIFT", kView, Var::Shift),
    S("SHIFTSEL", Key::ShiftSelect),
    S("SHOWCHANGE", Key::ShowChange),
    V("SOFTTAB", kView, Var::SoftTab),
    S("SPRPOINT", Key::AutoSplitCol),
    S("STATBAR", Key::StatBar),
    S("TABCOLOR", Key::TABColor),
    S("TABDISP", Key::TabDisplay),
    V("TABS", kView, Var::Tabs),
    S("TEXTMODE", Key::TextMode),
    V("TILEMODE", kHost, Var::TileMode),
    S("TOOLBAR1", Key::ToolBar1),
    S("TOOLBAR2", Key::ToolBar2),
    S("TOOLBAR3", Key::ToolBar3),
    S("TOOLBAR4", Key::ToolBar4),
    S("TOOLBAR5", Key::ToolBar5),
    V("TOTLINE", kView, Var::TotLine),
    S("TRASHBIN", Key::TrashOutGen),
    S("TXTCOLOR", Key::TextColor),
    S("ULNCOLOR", Key::UlinColor),
    S("UNDERLINE", Key::UnderLine),
    S("UNDORESET", Key::UndoReset),
    V("VARPITCH", kWin, Var::VarPitch),
    S("VSCROLL", Key::VScrollBar),
};
// clang-format on

constexpr bool TableMatchesNames() {
    if (std::size(kDefs) != script::kSysVars.size()) return false;
    for (size_t i = 0; i < std::size(kDefs); ++i) {
        if (kDefs[i].name != script::kSysVars[i].name) return false;
        // A String variable that is a setting stands for a text key, an Integer one for an
        // integer or colour key.
        if (kDefs[i].owner == Owner::kSetting &&
            (SpecOf(kDefs[i].key).type == ValueType::kText) != script::kSysVars[i].isString())
            return false;
    }
    return true;
}
static_assert(TableMatchesNames(), "one row per system variable, in the name table's order");

std::string ScriptText(std::string_view utf8) {
    std::string out;
    document::Utf8ToAnsi(out, utf8, platform::SystemCodePage());
    return out;
}

std::string Utf8Text(std::string_view scriptText) {
    std::string out;
    document::AnsiToUtf8(out, scriptText, platform::SystemCodePage());
    return out;
}

// Folder of a path with its trailing "/", so that PATHNAME + FILETITLE is FILENAME.
std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string WithSlash(std::string folder) {
    if (!folder.empty() && folder.back() != '/') folder.push_back('/');
    return folder;
}

// Whether a path can name a file: not empty, not a folder's name, every part a possible name.
bool CanBeFileName(const std::string& path) {
    if (path.empty() || path.size() >= PATH_MAX || path.back() == '/') return false;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('/', start);
        if (end == std::string::npos) end = path.size();
        if (end - start > NAME_MAX) return false;
        start = end + 1;
    }
    const std::string name = path.substr(path.rfind('/') + 1);
    if (name == "." || name == "..") return false;
    std::error_code ec;
    return !std::filesystem::is_directory(path, ec);
}

// Answers the Character Code menu's Check Kanji Code question with No and passes every other
// box on: a script's KANJICODE write keeps the menu's ASCII test and its message.
class KanjiCheckDeclined : public platform::UserInterface {
  public:
    explicit KanjiCheckDeclined(platform::UserInterface* inner) : inner_(inner) {}
    int MessageBox(std::string_view text, unsigned style) override {
        if (text == "Do you want to check the current Kanji code?") return platform::kIdNo;
        return inner_ ? inner_->MessageBox(text, style) : platform::DefaultButtonOf(style);
    }
    void SetStatusText(std::string_view text) override {
        if (inner_) inner_->SetStatusText(text);
    }
    void Beep() override {
        if (inner_) inner_->Beep();
    }

  private:
    platform::UserInterface* inner_;
};

bool ValidCode(int32_t code) {
    return code == 0 || code == 1 || code == 2 || code == 10 || code == 11 || code == 12;
}

struct Ends {
    editing::SelectionEnd begin, end;
    bool box = false;
};

std::optional<Ends> SelectionEnds(editing::Selection* s) {
    if (s == nullptr || !s->active()) return std::nullopt;
    Ends e{s->start(), s->end(), s->kind() == editing::SelectionKind::kBox};
    const bool swap = e.box ? (e.end.line < e.begin.line ||
                               (e.end.line == e.begin.line && e.end.column < e.begin.column))
                            : (e.end.line < e.begin.line ||
                               (e.end.line == e.begin.line && e.end.pos < e.begin.pos));
    if (swap) std::swap(e.begin, e.end);
    return e;
}

}  // namespace

ScriptFrame* EditorScriptHost::frame() {
    return editor_.scriptFrame();
}

const Settings& EditorScriptHost::CurrentSettings() {
    ScriptFrame* f = frame();
    return f ? f->settings() : editor_.settings();
}

uint32_t EditorScriptHost::ReadSysVar(int index, script::Runtime& rt) {
    if (index < 0 || size_t(index) >= std::size(kDefs)) return 0;
    const SysVarDef& d = kDefs[index];
    const bool isString = script::kSysVars[size_t(index)].isString();
    auto text = [&](std::string_view s) { return rt.MakeString(s); };
    if (d.owner == Owner::kSetting) {
        const Settings& s = CurrentSettings();
        switch (SpecOf(d.key).type) {
            case ValueType::kInt:
                return static_cast<uint32_t>(s.Int(d.key));
            case ValueType::kColour:
                return s.Colour(d.key);
            case ValueType::kText:
                // Folders are file names (the file system's bytes); the delimiters and the
                // option letters are texts of the settings file's code page.
                if (d.key == Key::BackUpPath || d.key == Key::MirrorPath)
                    return text(ScriptText(s.Text(d.key)));
                return text(s.Text(d.key));
        }
        return 0;
    }
    if (const std::optional<uint32_t> v = ReadOther(index, rt)) return *v;
    return isString ? text("") : 0;
}

std::optional<uint32_t> EditorScriptHost::ReadOther(int index, script::Runtime& rt) {
    const SysVarDef& d = kDefs[index];
    auto text = [&](std::string_view s) -> std::optional<uint32_t> { return rt.MakeString(s); };
    auto num = [](int64_t n) -> std::optional<uint32_t> { return static_cast<uint32_t>(n); };
    ScriptFrame* f = frame();
    switch (d.var) {
        case Var::NorvState:
            return num(editorState);
        case Var::ParmA:
            return num(parmA);
        case Var::ParmB:
            return num(parmB);
        case Var::ParmStrA:
            return text(parmStrA);
        case Var::ParmStrB:
            return text(parmStrB);
        case Var::TileMode:
            return num(tileMode_);
        case Var::HomePath:
            return text(ScriptText(WithSlash(editor_.SettingsFolder())));
        case Var::ModPath:
            return text(ScriptText(WithSlash(editor_.ProgramFolder())));
        case Var::HMainWnd:
            return num(kMainWindowValue);
        case Var::HWnd:
            if (f) return num(f->ActiveWindowValue());
            return num(editor_.ActiveView() ? 2 : 0);
        case Var::DocNum:
            if (f) return num(f->DocumentCount());
            return num(editor_.ActiveView() ? 1 : 0);
        case Var::MarkListOn:
            return num(f ? f->MarkListShown() : CurrentSettings().Flag(Key::ShowMarkList));
        case Var::VarPitch:
            return num(f ? f->VariablePitch() : 0);
        default:
            break;
    }
    editing::CElwView* v = editor_.ActiveView();
    if (v == nullptr) return std::nullopt;
    document::CElwDoc& doc = v->doc();
    switch (d.var) {
        case Var::KanjiCode:
            return num(static_cast<int>(doc.code));
        case Var::ReturnCode:
            return num(static_cast<int>(doc.eolMode));
        case Var::ReadOnly:
            return num(doc.readOnly);
        case Var::FileName:
            return text(ScriptText(doc.path));
        case Var::FileTitle:
            return text(ScriptText(doc.path.substr(doc.path.rfind('/') + 1)));
        case Var::PathName:
            return text(ScriptText(FolderOf(doc.path)));
        case Var::FileType:
            return text(std::string(1, doc.typeCode));
        case Var::CaptionStr:
            return text(ScriptText(doc.title));
        case Var::LineNo:
            return num(v->caretLineNumber());
        case Var::LineNoL: {
            // Lines of the file: a record carried on in the next one has no line end.
            int n = 1;
            for (const document::LineRecord* r = doc.lines().first(); r && r != v->caretLine();
                 r = r->next)
                if ((r->flags & document::LF_CONTINUED) == 0) ++n;
            return num(n);
        }
        case Var::LinePtr:
            return num(HandleOf(*v, v->caretLine()));
        case Var::PhysLine:
            return num(v->caretRow() + 1);
        case Var::TotLine:
            return num(doc.lineCount());
        case Var::Column:
            return num(int64_t(v->caretPos()) + 1);
        case Var::CsrX:
            return num(v->caretColumn() - v->leftColumn());
        case Var::CsrY:
            return num(v->caretScreenRow());
        case Var::Tabs:
            return num(v->layout().options().tabWidth);
        case Var::Cols:
            return num(v->layout().options().wrapColumn);
        case Var::AutoInd:
            return num(v->options().autoIndent);
        case Var::SoftTab:
            return num(v->options().softTab);
        case Var::DspcInd:
            return num(v->options().dbcsSpaceIndent);
        case Var::Insert:
            return num(v->shared().insertMode);
        default:
            break;
    }
    editing::Selection* sel = editor_.ActiveSelection();
    const std::optional<Ends> e = SelectionEnds(sel);
    switch (d.var) {
        case Var::BlkSel:
            return num(!e ? 0 : e->box ? 2 : 1);
        case Var::BlkDisp:
            return num(e &&
                       (e->begin.line != e->end.line ||
                        (e->box ? e->begin.column != e->end.column : e->begin.pos != e->end.pos)));
        case Var::Shift:
            return num(sel && sel->active() && sel->extending());
        default:
            break;
    }
    if (!e) return std::nullopt;
    auto handleOfLine = [&](int line) {
        return num(HandleOf(*v, editing::RecordFrom(v->caretLine(), v->caretLineNumber(), line)));
    };
    auto column = [&](const editing::SelectionEnd& end) {
        return num(e->box ? end.column + 1 : int64_t(end.pos) + 1);
    };
    switch (d.var) {
        case Var::BlkBeg:
            return handleOfLine(e->begin.line);
        case Var::BlkEnd:
            return handleOfLine(e->end.line);
        case Var::BlkBegL:
            return num(e->begin.line);
        case Var::BlkEndL:
            return num(e->end.line);
        case Var::BlkBegC:
            return column(e->begin);
        case Var::BlkEndC:
            return column(e->end);
        default:
            return std::nullopt;
    }
}

void EditorScriptHost::WriteSysVar(int index, uint32_t value, script::Runtime& rt) {
    if (index < 0 || size_t(index) >= std::size(kDefs)) return;
    if (!script::kSysVars[size_t(index)].assignable()) return;
    const SysVarDef& d = kDefs[index];
    const bool isString = script::kSysVars[size_t(index)].isString();
    const std::string str = isString ? rt.ArgString(value) : std::string();
    const auto n = static_cast<int32_t>(value);
    ScriptFrame* f = frame();
    if (d.owner == Owner::kSetting) {
        // Without a frame the settings are the editor's to read only.
        if (f == nullptr) return;
        if (isString)
            f->WriteSetting(d.key, str);
        else
            f->WriteSetting(d.key, n);
        return;
    }
    switch (d.var) {
        case Var::ParmA:
            parmA = n;
            return;
        case Var::ParmB:
            parmB = n;
            return;
        case Var::ParmStrA:
            parmStrA = str;
            return;
        case Var::ParmStrB:
            parmStrB = str;
            return;
        case Var::TileMode:
            tileMode_ = n;
            return;
        default:
            break;
    }
    editing::CElwView* v = editor_.ActiveView();
    if (v == nullptr) return;
    document::CElwDoc& doc = v->doc();
    auto changed = [&] {
        rt.SetRefreshPending();
        if (f) f->DocumentChanged();
    };
    auto relayout = [&](auto&& edit) {
        view::LayoutOptions o = v->layout().options();
        edit(o);
        v->SetLayout(o);
        changed();
    };
    switch (d.var) {
        case Var::Tabs:
            // As the file type's tab width: 1 to 64 columns.
            if (n < 1 || n > 64) return;
            doc.tabWidth = n;
            relayout([&](view::LayoutOptions& o) { o.tabWidth = n; });
            return;
        case Var::Cols:
            if (n < 1 || n > 4096) return;
            relayout([&](view::LayoutOptions& o) { o.wrapColumn = n; });
            return;
        case Var::AutoInd:
            v->options().autoIndent = n != 0;
            return;
        case Var::SoftTab:
            v->options().softTab = n != 0;
            return;
        case Var::DspcInd:
            v->options().dbcsSpaceIndent = n != 0;
            return;
        case Var::Insert:
            v->shared().insertMode = n != 0;
            changed();
            return;
        case Var::LinePtr: {
            document::LineRecord* r = LineArg(*v, value);
            if (value == 0 || r == nullptr) return;
            v->SavePosition();
            v->SetCaret(LineNumber(*v, r), v->caretPos());
            rt.SetRefreshPending();
            return;
        }
        case Var::PhysLine:
            if (n < 1) return;
            v->SavePosition();
            v->JumpTo(n, false);
            rt.SetRefreshPending();
            return;
        case Var::KanjiCode: {
            if (!ValidCode(n)) return;
            const auto code = static_cast<document::TextCode>(n);
            if (code == doc.code) return;
            const int codePageBefore = doc.CodePage();
            v->Sync();
            platform::UserInterface* ui = doc.env().ui;
            KanjiCheckDeclined declining(ui);
            doc.env().ui = &declining;
            doc.SetCharacterCode(code, false);
            doc.env().ui = ui;
            if (doc.CodePage() != codePageBefore)
                relayout([&](view::LayoutOptions& o) { o.codePage = doc.CodePage(); });
            else
                changed();
            return;
        }
        case Var::ReturnCode:
            if (n < -1 || n > 2) return;
            doc.SetReturnCode(static_cast<document::EolMode>(n));
            changed();
            return;
        case Var::ReadOnly:
            if ((n != 0) == doc.readOnly) return;
            v->Sync();
            doc.ToggleReadOnly();
            changed();
            return;
        case Var::FileName: {
            std::string path = Utf8Text(str);
            if (!path.empty() && path[0] != '/') {
                std::error_code ec;
                const auto absolute = std::filesystem::absolute(path, ec);
                if (!ec) path = absolute.lexically_normal().string();
            }
            if (!CanBeFileName(path)) {
                editor_.Notice("\"" + Utf8Text(str) + "\" cannot be the name of a file.");
                return;
            }
            doc.path = path;
            doc.UpdateTitle();
            changed();
            return;
        }
        case Var::FileType: {
            if (str.size() != 1 || !ProfileOfTypeCode(str[0])) return;
            const Settings& s = CurrentSettings();
            const Profile p = s.ProfileAt(*ProfileOfTypeCode(str[0]));
            doc.typeCode = str[0];
            doc.tabWidth = p.tabWidth > 0 ? p.tabWidth : 8;
            doc.typeExtension = FirstExtensionOf(p);
            v->options() = EditOptionsFor(doc, s);
            v->SetLayout(LayoutOptionsFor(doc, s));
            changed();
            return;
        }
        default:
            return;
    }
}

}  // namespace norv::app
