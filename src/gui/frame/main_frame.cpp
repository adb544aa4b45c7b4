// The main frame: menus, document windows, the status bar, and the file commands with their
// questions.
#include "gui/frame/main_frame.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QStatusBar>
#include <QTabBar>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>
#include <vector>

#include "app/commands/hidden_commands.h"
#include "app/config/document_settings.h"
#include "app/config/view_settings.h"
#include "document/line_heap.h"
#include "document/marks_file.h"
#include "gui/editor/code_display.h"
#include "gui/editor/display_settings.h"
#include "gui/editor/key_codes.h"
#include "gui/editor/text_bridge.h"
#include "gui/frame/bars.h"
#include "gui/frame/doc_window.h"
#include "gui/frame/find_wiring.h"
#include "gui/frame/grep_wiring.h"
#include "gui/frame/macro_commands.h"
#include "gui/frame/mark_bar.h"
#include "gui/frame/menus.h"
#include "gui/frame/qt_script_frame.h"
#include "gui/frame/script_wiring.h"
#include "gui/frame/shell_wiring.h"
#include "gui/frame/spell_wiring.h"
#include "gui/frame/tab_strip.h"
#include "gui/frame/tool_bars.h"
#include "gui/services/qt_ui.h"
#include "gui/services/shared_icon_style.h"
#include "platform/code_page.h"
#include "platform/file_system.h"
#include "platform/paths.h"

// The icons are compiled into the front end's library; a static library needs them named once.
static void LoadIconResources() {
    Q_INIT_RESOURCE(norv_icons);
}

namespace norv::qt {
namespace {

using editing::CommandId;

bool SameLayout(const view::LayoutOptions& a, const view::LayoutOptions& b) {
    return a.wrapColumn == b.wrapColumn && a.tabWidth == b.tabWidth &&
           a.noWordWrap == b.noWordWrap && a.codePage == b.codePage && a.ankOida == b.ankOida &&
           a.ankBura == b.ankBura && a.dbcsOida == b.dbcsOida && a.dbcsBura == b.dbcsBura;
}

constexpr const char* kUntitled = "Untitled";
constexpr int kEditorPointSize = 11;

// The code a document's file is in, or is written in by the next save (a Save As across the
// Unicode family keeps the text as it is held and writes the save code).
QString CodeName(const document::CElwDoc& doc) {
    const document::TextCode shown =
        doc.saveCode != document::TextCode::kNone ? doc.saveCode : doc.code;
    return QString::fromLatin1(document::CodeStatusName(shown, platform::SystemCodePage()));
}

}  // namespace

MainFrame::MainFrame(platform::UserInterface* ui, FileDialogs* dialogs)
    : shared_(document::ProgramLineHeap()), ownConfig_(platform::SystemCodePage()) {
    QApplication::setApplicationDisplayName(QStringLiteral("Norv"));
    ShareTitleBarIcons();
    LoadIconResources();
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/norv.svg")));
    QGuiApplication::setDesktopFileName(QStringLiteral("norv"));
    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    tabs_ = new TabStrip(central);
    tabs_->setExpanding(false);
    tabs_->setDocumentMode(true);
    tabs_->setFocusPolicy(Qt::NoFocus);
    mdi_ = new QMdiArea(central);
    mdi_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdi_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    column->addWidget(tabs_);
    column->addWidget(mdi_, 1);
    setCentralWidget(central);
    deferredHolder_ = new QWidget(this);
    deferredHolder_->setObjectName(QStringLiteral("deferredWindows"));
    deferredHolder_->hide();
    connect(tabs_, &QTabBar::tabBarClicked, this, [this](int index) {
        if (index < 0) return;
        auto* w = static_cast<DocWindow*>(tabs_->tabData(index).value<void*>());
        mdi_->setActiveSubWindow(SubWindowOf(*w));
        w->editor().setFocus();
    });

    message_ = new QLabel(QString::fromLatin1(QtUserInterface::kIdleText), this);
    position_ = new QLabel(this);
    code_ = new QLabel(this);
    code_->setObjectName(QStringLiteral("codeState"));
    lineEnds_ = new QLabel(this);
    lineEnds_->setObjectName(QStringLiteral("lineEndState"));
    mode_ = new QLabel(this);
    readOnly_ = new QLabel(this);
    readOnly_->setObjectName(QStringLiteral("readOnlyState"));
    const QFontMetrics metrics(font());
    position_->setMinimumWidth(metrics.horizontalAdvance(QStringLiteral("0000000:0000")));
    code_->setMinimumWidth(metrics.horizontalAdvance(QStringLiteral("D83D DE00  Unicode(BE)")));
    lineEnds_->setMinimumWidth(metrics.horizontalAdvance(QStringLiteral("Mixed")));
    mode_->setMinimumWidth(metrics.horizontalAdvance(QStringLiteral("Overwrite")));
    readOnly_->setMinimumWidth(metrics.horizontalAdvance(QStringLiteral("R/O")));
    statusBar()->addWidget(message_, 1);
    statusBar()->addPermanentWidget(position_);
    statusBar()->addPermanentWidget(code_);
    statusBar()->addPermanentWidget(lineEnds_);
    statusBar()->addPermanentWidget(mode_);
    statusBar()->addPermanentWidget(readOnly_);

    if (ui) {
        ui_ = ui;
    } else {
        ownUi_ = std::make_unique<QtUserInterface>(this, message_);
        ui_ = ownUi_.get();
    }
    if (dialogs) {
        dialogs_ = dialogs;
    } else {
        ownDialogs_ = std::make_unique<QtFileDialogs>(this, platform::SystemCodePage());
        dialogs_ = ownDialogs_.get();
    }
    env_.ui = ui_;
    env_.dialogs = dialogs_;
    env_.hooks = this;
    env_.status = this;
    shared_.ui = ui_;
    SetUpKeyMacros();
    find_ = std::make_unique<FindWiring>(*this, shared_, *ui_, platform::SystemCodePage());
    grep_ = std::make_unique<GrepWiring>(*this, shared_, *ui_, platform::SystemCodePage());
    shell_ = std::make_unique<ShellWiring>(*this, *ui_, platform::SystemCodePage());
    spell_ = std::make_unique<SpellWiring>(*this, *ui_);
    dispatcher_.ui = ui_;
    session_ = std::make_unique<app::Session>(*this, *ui_);
    clipboardContext_.clipboard = &clipboard_;
    clipboardContext_.files = &platform::RealFileSystem();
    clipboard_.changed = [this] { clipboardContext_.ClipboardChanged(); };

    font_ = ChooseEditorFont(QString(), kEditorPointSize);
    SetUpBars();
    SetUpMarkBar();
    SetUpSortAndCompare();
    connect(mdi_, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* sub) {
        NoteActivated(sub);
        auto* w = sub ? qobject_cast<DocWindow*>(sub->widget()) : nullptr;
        if (int i = TabOf(w); w && i >= 0) tabs_->setCurrentIndex(i);
        if (w) CheckChangedOnDisk(*w);
        UpdateMenus();
        UpdateStatus();
        if (markBar_) markBar_->NoteDocumentsChanged();
        if (sub) RaiseResidentEvent(app::ResidentEvent::kViewActive);
    });
    UpdateMenus();
    UpdateStatus();
    resize(900, 700);
}

MainFrame::~MainFrame() {
    tearingDown_ = true;
    // Windows go before the shared editor state they refer to: every one, also a window that was
    // closed and waits for its deferred deletion (the area's list no longer holds it, and its
    // destruction would otherwise reach this frame half taken down).
    QList<QPointer<QMdiSubWindow>> subs;
    for (QMdiSubWindow* sub : mdi_->findChildren<QMdiSubWindow*>()) subs.append(sub);
    // Taken down whole: as each window goes, the next one is not activated, checked on disk,
    // given its tab or the menus' state.
    disconnect(mdi_, nullptr, this, nullptr);
    for (QMdiSubWindow* sub : subs) {
        disconnect(sub, nullptr, this, nullptr);
        if (QWidget* w = sub->widget()) disconnect(w, nullptr, this, nullptr);
    }
    activation_.clear();
    for (const QPointer<QMdiSubWindow>& sub : subs) delete sub.data();
    // The windows never shown are a document each and a bare widget.
    for (DocWindow* w : deferredHolder_->findChildren<DocWindow*>(Qt::FindDirectChildrenOnly)) {
        disconnect(w, nullptr, this, nullptr);
        delete w;
    }
    windows_.clear();
    // The bar reports its visibility as it goes: not to a frame being taken down.
    markBar_->blockSignals(true);
    delete markBar_;
    markBar_ = nullptr;
}

void MainFrame::BuildMenus() {
    // Keys belong to the key table; menu items carry no shortcuts of their own.
    auto add = [this](QMenu* menu, const QString& text, auto slot) {
        QAction* a = menu->addAction(text);
        connect(a, &QAction::triggered, this, slot);
        documentActions_.push_back(a);
        return a;
    };
    // The items that only a menu carries run by their table names, so that key macros record
    // them (RunHiddenCommand).
    auto hidden = [this, &add](QMenu* menu, const QString& text, std::string_view name) {
        const size_t index = *app::HiddenCommandIndex(name);
        QAction* a = add(menu, text, [this, index] { RunHiddenCommand(index); });
        a->setObjectName(FromUtf8(name));
        return a;
    };

    // clang-format off
    menus_->AddMenu(QStringLiteral("&File"), {
        "NewFile", "NewFileType", "OpenFile", "OpenFolder", "OpenNorv", "OpenMRU", "ReOpen",
        "CloseFile", "-", "SaveFile", "SaveAs", "SaveClose", "AllSave", "AllSaveQuit", "LockEdit",
        "-", "Print", "PrintPreview", "-", "LoadProject", "CloseProject", "SaveProjectAs", "-",
        "AllUpdate", "AutoSave", "Break", "-", "AppExit"});
    QMenu* edit = menus_->AddMenu(QStringLiteral("&Edit"), {
        "Undo", "Redo", "StepDo", "Repeat", "-", "EditCut", "EditCopy", "EditPaste",
        "EditCutAppend", "EditCopyAppend", "SelectClipBd", "FlushBuf", "-", "SelectAll",
        "SelectBegin", "SelectEnd", "BoxBegin", "BoxPaste", "-", "CopyToFile", "PasteFromFile",
        "AppendFile", "-",
        ">&Paragraph", "ReFormat", "DeFormat", "-", "EditLeft", "EditCenter", "EditRight", "-",
            "Indent", "BackInd", "AddString", "-", "EditSort", "EditConvert", "<",
        ">&Line", "BackSpace", "DeleteChar", "InputCtrl", "InsertTab", "ChangeCase",
            "ChgCaseOne", "DeleteAfter", "DeleteTop", "WordBS", "WordDel", "RepeatOne",
            "WordPaste", "TimeStamp", "SplitLine", "InsertAft", "InsertBef", "DupLine",
            "DeleteLine", "PopLine", "<",
        "-", "ModeInsert", "ModeAutoSplit", "-"});
    // clang-format on
    // The address commands work on the address at the caret.
    for (const app::AddressCommandName& c : app::kAddressCommands) {
        hidden(edit,
               QString::fromLatin1(c.menuText.data(), static_cast<qsizetype>(c.menuText.size())),
               AddressCommandTableName(c.id));
    }
    // clang-format off
    menus_->AddMenu(QStringLiteral("&Search"), {
        "SearchFwd", "SearchBwd", "SearchNext", "SearchPrev", "-", "Replace", "ReplAgain",
        "GetWord", "-", "Grep", "Compare"});
    menus_->AddMenu(QStringLiteral("&Jump"), {
        "TextTop", "TextBot", "JumpLine", "PrevPos", "ScreenTop", "ScreenBot", "-",
        "OtherParen", "TagJump", "BackToTag", "-", "NextChanged", "PrevChanged", "-",
        "MarkLine", "MarkCaption", "NextMark", "PrevMark", "MarkList", "MarkOff", "-",
        ">&Caret", "CsrUp", "CsrDown", "CsrLeft", "CsrRight", "WordLeft", "WordRight",
            "BegLine", "EndLine", "LeftSide", "RightSide", "<",
        ">&Scroll", "RollUp", "RollDown", "NormalRlUp", "NormalRlDn", "SRollUp", "SRollDown",
            "AnothRollUp", "AnothRollDown", "BothRollUp", "BothRollDown", "PageUp", "PageDown",
            "HalfPageUp", "HalfPageDown", "RollLeft", "RollRight", "SlowRlup", "SlowRldn",
            "MakeTop", "MakeBot", "MakeMid", "<"});
    // clang-format on

    using document::EolMode;
    using document::TextCode;
    QMenu* codes = menuBar()->addMenu(QStringLiteral("Character &Code"));
    for (const CodeMenuItem& item : kCodeMenuItems) {
        QAction* a = hidden(codes, QString::fromLatin1(item.text), item.name);
        a->setCheckable(true);
        codeItems_.push_back({a, item.code, item.eucLf});
    }
    QMenu* returns = menuBar()->addMenu(QStringLiteral("&Return Code"));
    for (const ReturnMenuItem& item : kReturnMenuItems) {
        QAction* a = hidden(returns, QString::fromLatin1(item.text), item.name);
        a->setCheckable(true);
        returnItems_.emplace_back(a, item.mode);
    }
    for (QMenu* m : {codes, returns})
        connect(m, &QMenu::aboutToShow, this, [this] { UpdateChecks(); });

    // clang-format off
    windowMenu_ = menus_->AddMenu(QStringLiteral("&Window"), {
        "NewWindow", "Split", "-", "Cascade", "TileHorz", "TileVert", "TileTwo", "-", "NextPane",
        "AnothWin", "FileSelect"});
    QMenu* tools = menus_->AddMenu(QStringLiteral("&Tools"), {
        "RecordKey", "PlayKey", "SaveMacro", "LoadMacro", "-", "RunScript", "JukeBox", "TsrMenu",
        "-", "Shell", "ShellMenu", "-",
        ">&User Menus", "Menu1", "Menu2", "Menu3", "Menu4", "Menu5", "<",
        ">&Add-ins", "Addin0", "Addin1", "Addin2", "Addin3", "Addin4", "Addin5", "Addin6",
            "Addin7", "Addin8", "Addin9", "AddinA", "AddinB", "AddinC", "AddinD", "AddinE",
            "AddinF", "<",
        "-", "SetProperty", "-", "AppHelp", "Help1", "Help2", "Help3", "Help4", "Help5", "Help6",
        "Help7", "Help8", "Help9", "Help10"});
    // clang-format on
    // The spelling check follows the external programs; it runs by its table name.
    QAction* spell = hidden(tools, QStringLiteral("Spe&ll Check"), "SpellCheck");
    tools->removeAction(spell);
    const QList<QAction*> toolItems = tools->actions();
    const qsizetype shellMenu = toolItems.indexOf(menus_->ActionOf("ShellMenu"));
    tools->insertAction(
        shellMenu >= 0 && shellMenu + 1 < toolItems.size() ? toolItems[shellMenu + 1] : nullptr,
        spell);
    connect(windowMenu_, &QMenu::aboutToShow, this, [this] { FillWindowList(); });
    connect(tools, &QMenu::aboutToShow, this, [this] { UpdateHelpItems(); });
}

void MainFrame::SetKeywordFile(const app::KeywordFile* keywords) {
    keywords_ = keywords;
    for (DocWindow* w : Windows()) w->ApplySyntax(true);
}

void MainFrame::SetDisplayOptions(const DisplayOptions& display) {
    display_ = display;
    for (DocWindow* w : Windows()) w->SetDisplayOptions(display_);
}

void MainFrame::UseSettings(const app::Settings& settings) {
    settings_ = &settings;
    env_.load = app::LoadSettingsFrom(settings);
    env_.save = app::SaveSettingsFrom(settings);
    dispatcher_.options = app::DispatchOptionsFrom(settings);
    shared_.insertMode = settings.Flag(app::Key::InsertMode);
    for (DocWindow* w : Windows()) ApplyViewSettings(*w);
    SetDisplayOptions(DisplayOptionsFrom(settings));
    const QFont font = EditorFontFrom(settings);
    if (font != font_) {
        font_ = font;
        for (DocWindow* w : Windows()) w->SetEditorFont(font_);
    }
}

void MainFrame::ApplyViewSettings(DocWindow& w) {
    if (!settings_) return;
    w.SetEditOptions(app::EditOptionsFor(w.doc(), *settings_));
    SetViewLayout(w, app::LayoutOptionsFor(w.doc(), *settings_));
    w.SetShiftSelect(settings_->Flag(app::Key::ShiftSelect));
    w.RefreshView();
}

void MainFrame::SetViewLayout(DocWindow& w, view::LayoutOptions layout) {
    // The view takes the document's code page whatever the options say.
    layout.codePage = w.doc().CodePage();
    if (!w.viewMade()) {
        w.SetLayoutOptions(layout);
        return;
    }
    if (!SameLayout(w.view().layout().options(), layout)) w.view().SetLayout(layout);
}

void MainFrame::ChooseFileType(document::CElwDoc& doc) {
    if (settings_) app::ApplyFileType(doc, *settings_);
}

void MainFrame::HoldMenuUpdates() {
    ++menuHolds_;
}

void MainFrame::ReleaseMenuUpdates() {
    if (menuHolds_ == 0 || --menuHolds_ > 0) return;
    if (std::exchange(menusStale_, false)) UpdateMenus();
}

void MainFrame::HoldActivation() {
    if (activationHolds_++ == 0) static_cast<TabStrip*>(tabs_)->HoldSizes();
}

void MainFrame::ReleaseActivation() {
    if (activationHolds_ == 0 || --activationHolds_ > 0) return;
    static_cast<TabStrip*>(tabs_)->ReleaseSizes();
    // Only the window made active is shown; the others wait until they are reached.
    const QPointer<DocWindow> w = std::exchange(heldActive_, nullptr);
    if (w && std::find(windows_.begin(), windows_.end(), w.data()) != windows_.end()) {
        mdi_->setActiveSubWindow(SubWindowOf(*w));
        w->editor().setFocus();
    }
    ShowSomeWindow();
    if (std::exchange(statusStale_, false)) UpdateStatus();
}

void MainFrame::UpdateMenus() {
    if (menuHolds_ > 0) {
        menusStale_ = true;
        return;
    }
    const bool any = ActiveWindow() != nullptr;
    for (QAction* a : documentActions_) a->setEnabled(any);
    if (menus_) {
        UpdateHelpItems();
        menus_->Update();
    }
    if (toolBars_) toolBars_->Update();
}

void MainFrame::UpdateChecks() {
    DocWindow* w = ActiveWindow();
    if (!w) return;
    const document::CElwDoc& d = w->doc();
    const bool lf = d.eolMode == document::EolMode::kLf;
    for (const CodeItem& item : codeItems_)
        item.action->setChecked(item.code == d.code &&
                                (item.code != document::TextCode::kEuc || item.eucLf == lf));
    for (auto& [action, mode] : returnItems_) action->setChecked(mode == d.eolMode);
}

void MainFrame::SetCharacterCode(DocWindow& w, document::TextCode code, bool eucLf) {
    const int codePageBefore = w.doc().CodePage();
    w.view().Sync();
    w.doc().SetCharacterCode(code, eucLf);
    if (w.doc().CodePage() != codePageBefore) w.ApplyLayout();
    w.editor().Refresh();
    UpdateChecks();
    UpdateStatus();
}

void MainFrame::SetReturnCode(DocWindow& w, document::EolMode mode) {
    w.doc().SetReturnCode(mode);
    w.editor().Refresh();
    UpdateChecks();
    UpdateStatus();
}

void MainFrame::ToggleReadOnly(DocWindow& w) {
    w.view().Sync();
    w.doc().ToggleReadOnly();
    w.UpdateWindowTitle();
    UpdateChecks();
    UpdateMenus();
    UpdateStatus();
}

void MainFrame::Reload(DocWindow& w) {
    w.RunReplacingLines([&w] { w.doc().Reload(); });
    UpdateStatus();
}

void MainFrame::CheckChangedOnDisk(DocWindow& w) {
    // The question's own box takes the activation away and gives it back.
    if (checkingDisk_) return;
    checkingDisk_ = true;
    w.RunReplacingLines([&w] { w.doc().CheckChangedOnDisk(); });
    checkingDisk_ = false;
    UpdateStatus();
}

void MainFrame::TileWindows(bool vertical) {
    // Every window takes its place, those not shown yet too.
    QList<QMdiSubWindow*> list;
    for (DocWindow* w : Windows()) list.append(SubWindowOf(*w));
    const int n = static_cast<int>(list.size());
    if (n == 0) return;
    const QRect area = mdi_->viewport()->rect();
    for (int i = 0; i < n; ++i) {
        QMdiSubWindow* sub = list[i];
        sub->showNormal();
        if (vertical) {
            const int x0 = area.width() * i / n, x1 = area.width() * (i + 1) / n;
            sub->setGeometry(QRect(x0, 0, x1 - x0, area.height()));
        } else {
            const int y0 = area.height() * i / n, y1 = area.height() * (i + 1) / n;
            sub->setGeometry(QRect(0, y0, area.width(), y1 - y0));
        }
    }
}

void MainFrame::UpdateStatus() {
    // Until a held activation is released the status bar would show a window about to lose it.
    if (activationHolds_ > 0) {
        statusStale_ = true;
        return;
    }
    DocWindow* w = ActiveWindow();
    if (!w) {
        position_->clear();
        code_->clear();
        lineEnds_->clear();
        mode_->clear();
        readOnly_->clear();
        if (autoFormat_) autoFormat_->clear();
        return;
    }
    const editing::CElwView& v = w->view();
    position_->setText(QStringLiteral("%1:%2").arg(v.caretLineNumber()).arg(v.caretColumn() + 1));
    const document::LineRecord* line = v.caretLine();
    const std::string shown = CodeDisplayText(
        w->doc().code, v.layout(), v.TextOf(line), v.caretPos(), line->next == nullptr,
        LineEndKind(w->doc().eolMode, line->flags, env_.save.textMode));
    code_->setText(FromUtf8(shown) + QStringLiteral("  ") + CodeName(w->doc()));
    // "Mixed" only where lines keep their own ends: without OrgCR every line gets TextMode.
    const document::CElwDoc& d = w->doc();
    lineEnds_->setText(QString::fromLatin1(document::EolStatusName(
        d.eolMode, d.mixedLineEnds && env_.load.orgCr, env_.save.textMode)));
    mode_->setText(v.shared().insertMode ? QStringLiteral("Insert") : QStringLiteral("Overwrite"));
    readOnly_->setText(w->doc().readOnly ? QStringLiteral("R/O") : QString());
    if (autoFormat_)
        autoFormat_->setText(w->view().options().autoSplit ? QStringLiteral("AutoFmt") : QString());
}

DocWindow* MainFrame::ActiveWindow() const {
    QMdiSubWindow* sub = mdi_->activeSubWindow();
    if (!sub) {
        // Without an active window (the frame is not active, as in tests) the front one counts.
        QList<QMdiSubWindow*> list = mdi_->subWindowList(QMdiArea::StackingOrder);
        if (list.isEmpty()) return windows_.empty() ? nullptr : windows_.back();
        sub = list.back();
    }
    return qobject_cast<DocWindow*>(sub->widget());
}

QMdiSubWindow* MainFrame::SubWindowIfShown(const DocWindow& w) {
    return qobject_cast<QMdiSubWindow*>(w.parentWidget());
}

QMdiSubWindow* MainFrame::SubWindowOf(DocWindow& w) {
    if (QMdiSubWindow* sub = SubWindowIfShown(w)) return sub;
    QMdiSubWindow* sub = PutInArea(w);
    ShowInArea(w, sub);
    return sub;
}

QMdiSubWindow* MainFrame::PutInArea(DocWindow& w) {
    w.MakeView();
    // From now on the sub-window closes and deletes it.
    w.setAttribute(Qt::WA_DeleteOnClose, false);
    QMdiSubWindow* sub = mdi_->addSubWindow(&w);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    // The window follows its normal rectangle through the sub-window's moves and resizes.
    sub->installEventFilter(&w);
    connect(sub, &QObject::destroyed, this, [this, sub] {
        std::erase(activation_, sub);
        UpdateMenus();
        if (markBar_) markBar_->NoteDocumentsChanged();
    });
    return sub;
}

void MainFrame::ShowInArea(DocWindow& w, QMdiSubWindow* sub) {
    // The title is there before the window is shown and can become the active one.
    // A maximized or minimized window is put at its normal rectangle first: it comes back to
    // it, and the snapshot keeps it.
    if (w.normalRect().isEmpty())
        w.NoteNormalRect(sub->geometry());
    else if (w.firstShowCmd() != 1)
        sub->setGeometry(w.normalRect());
    if (w.firstShowCmd() == 2) {
        sub->showMinimized();
    } else if (w.firstShowCmd() == 1) {
        sub->showNormal();
        sub->setGeometry(w.normalRect());
    } else {
        sub->showMaximized();
    }
    w.editor().Refresh();
}

bool MainFrame::CloseWindow(DocWindow& w) {
    if (QMdiSubWindow* sub = SubWindowIfShown(w)) return sub->close();
    return w.close();
}

void MainFrame::ForgetWindow(DocWindow& w, bool closed) {
    if (tearingDown_) return;
    const auto at = std::find(windows_.begin(), windows_.end(), &w);
    if (at == windows_.end()) return;
    windows_.erase(at);
    if (heldActive_ == &w) heldActive_ = nullptr;
    if (int i = TabOf(&w); i >= 0) tabs_->removeTab(i);
    // The area may be left with none of the windows still open.
    if (!windows_.empty() && !showQueued_) {
        showQueued_ = true;
        QTimer::singleShot(0, this, [this] { ShowSomeWindow(); });
    }
    if (!closed) return;
    UpdateMenus();
    if (markBar_) markBar_->NoteDocumentsChanged();
}

void MainFrame::ShowSomeWindow() {
    showQueued_ = false;
    if (windows_.empty() || activationHolds_ > 0) return;
    for (DocWindow* w : windows_)
        if (SubWindowIfShown(*w)) return;
    DocWindow* w = windows_.back();
    mdi_->setActiveSubWindow(SubWindowOf(*w));
    w->editor().setFocus();
    UpdateMenus();
    UpdateStatus();
}

DocWindow* MainFrame::WindowOf(const document::CElwDoc& doc) const {
    for (DocWindow* w : Windows())
        if (&w->doc() == &doc) return w;
    return nullptr;
}

DocWindow* MainFrame::AddWindow(std::shared_ptr<document::CElwDoc> doc, const DocWindow* like,
                                bool deferred) {
    // A window is put off only while the activation is held (a restored project): the one made
    // active as the hold ends is shown then, the others when they are reached.
    deferred = deferred && !like && activationHolds_ > 0;
    // The view is laid out once, with the options of the document's file type.
    std::optional<view::LayoutOptions> layout;
    if (settings_ && !like) layout = app::LayoutOptionsFor(*doc, *settings_);
    auto* w = new DocWindow(*this, std::move(doc), shared_, clipboardContext_, font_, display_,
                            like, layout ? &*layout : nullptr, deferred);
    if (deferred) {
        w->setParent(deferredHolder_);
        w->setAttribute(Qt::WA_DeleteOnClose);
    }
    windows_.push_back(w);
    w->SetScriptValue(nextWindowValue_++);
    ApplyViewSettings(*w);
    w->SetPressHandler([this, w](const app::KeyStroke& stroke, std::string_view bytes) {
        return PressKey(*w, stroke, bytes);
    });
    connect(w, &DocWindow::caretChanged, this, [this, w] {
        if (activationHolds_ > 0)
            statusStale_ = true;
        else if (ActiveWindow() == w)
            UpdateStatus();
    });
    // Titled once it is in the area: the sub-window measures its title anew at each step of
    // being made.
    QMdiSubWindow* sub = deferred ? nullptr : PutInArea(*w);
    w->UpdateWindowTitle();
    const int tab = tabs_->addTab(w->windowTitle());
    tabs_->setTabData(tab, QVariant::fromValue(static_cast<void*>(w)));
    connect(w, &QWidget::windowTitleChanged, this,
            [this, w](const QString& title) { SyncTab(w, title); });
    if (sub) ShowInArea(*w, sub);
    if (activationHolds_ > 0) {
        // Activating each window of a run would maximize it and restore the one before.
        heldActive_ = w;
    } else {
        mdi_->setActiveSubWindow(SubWindowOf(*w));
        w->editor().setFocus();
    }
    UpdateMenus();
    UpdateStatus();
    return w;
}

int MainFrame::TabOf(const DocWindow* w) const {
    for (int i = 0; i < tabs_->count(); ++i)
        if (tabs_->tabData(i).value<void*>() == w) return i;
    return -1;
}

void MainFrame::SyncTab(const DocWindow* w, const QString& title) {
    // Setting a tab's text lays the whole bar out again, even for the same text.
    const int i = TabOf(w);
    if (i >= 0 && tabs_->tabText(i) != title) tabs_->setTabText(i, title);
}

DocWindow* MainFrame::OpenFile(const std::string& path, document::CodeChoice choice, bool readOnly,
                               bool deferred) {
    if (!session_->RoomForDocument()) return nullptr;
    env_.openDocuments = DocumentCount() + 1;
    auto doc = std::make_unique<document::CElwDoc>(env_);
    if (!doc->OpenDocument(path, choice)) return nullptr;
    if (readOnly && !doc->readOnly) doc->ToggleReadOnly();
    lastFolder_ = platform::FolderOf(doc->path);
    DocWindow* w = AddWindow(std::move(doc), nullptr, deferred);
    if (fileOpened) fileOpened(*w);
    return w;
}

DocWindow* MainFrame::NewFile() {
    if (!session_->RoomForDocument()) return nullptr;
    auto doc = std::make_unique<document::CElwDoc>(env_);
    if (!doc->NewDocument()) return nullptr;
    // The title carries the extension of the document's file type ("Untitled.txt"), which the
    // Save As dialog proposes.
    doc->title = kUntitled;
    ChooseFileType(*doc);
    doc->UpdateTitle();
    return AddWindow(std::move(doc));
}

bool MainFrame::FileOpen(const std::string& folder) {
    OpenRequest request;
    request.folder = folder.empty() ? lastFolder_ : folder;
    request.addBom = addBom_;
    request.extract = ArchiveExtractorOf(*shell_);
    const bool chosen = dialogs_->AskOpen(request);
    addBom_ = request.addBom;
    if (!chosen) return false;
    bool all = true;
    for (const std::string& path : request.paths)
        all = OpenFile(path, request.choice, request.readOnly) != nullptr && all;
    return all;
}

bool MainFrame::FileSave(DocWindow& w, bool withDialog) {
    const bool saved = session_->Save(w.doc(), withDialog);
    if (!saved) UpdateStatus();
    return saved;
}

bool MainFrame::QueryCloseDocument(DocWindow& w) {
    if (documentClosing) documentClosing(w);
    return closingUnasked_ || session_->QueryClose(w.doc());
}

bool MainFrame::FileClose(DocWindow& w) {
    // Close closes the document: its other windows go first (they ask nothing), then the
    // question; Cancel leaves the document open in the window the command came from.
    for (DocWindow* other : WindowsOf(w.doc()))
        if (other != &w && !CloseWindow(*other)) return false;
    return session_->Close(w.doc());
}

bool MainFrame::AppExit() {
    return CloseFrame();
}

bool MainFrame::CloseFrame() {
    // A running script is not closed from under itself: when it asks for the end itself, the
    // frame closes as the script ends.
    if (scripts_ && scripts_->running()) {
        scripts_->CloseWhenDone();
        return true;
    }
    return close();
}

bool MainFrame::SaveClose(DocWindow& w) {
    return session_->SaveAndClose(w.doc());
}

bool MainFrame::AllSave() {
    return session_->SaveAll();
}

bool MainFrame::AllSaveQuit() {
    return session_->SaveAllAndQuit();
}

void MainFrame::closeEvent(QCloseEvent* event) {
    // Without the application's closing steps (a frame on its own): every document closes the
    // usual way.
    if (!session_->CloseAll()) {
        event->ignore();
        return;
    }
    event->accept();
}

std::vector<document::CElwDoc*> MainFrame::Documents() const {
    std::vector<document::CElwDoc*> docs;
    for (DocWindow* w : Windows())
        if (std::find(docs.begin(), docs.end(), &w->doc()) == docs.end()) docs.push_back(&w->doc());
    return docs;
}

void MainFrame::SyncViews(document::CElwDoc& doc) {
    // The line buffer is one for all views: any view of the document writes it back.
    for (DocWindow* w : WindowsOf(doc))
        if (w->viewMade()) return w->SyncView();
}

void MainFrame::Saved(document::CElwDoc& doc) {
    if (documentSaved) documentSaved(doc);
    const std::vector<DocWindow*> windows = WindowsOf(doc);
    if (windows.empty()) return;
    // Only a successful save of the document comes here; it cleared the changed marks. (A
    // view made later reads them as they are.)
    for (DocWindow* w : windows)
        if (w->viewMade()) {
            w->view().OnSaved(true);
            break;
        }
    for (DocWindow* w : windows) {
        // Save As may have moved the document to another code page.
        if (w->layoutOptions().codePage != doc.CodePage()) w->ApplyLayout();
        w->UpdateWindowTitle();
        w->RefreshView();
    }
    // The code and line ends it was written in.
    UpdateChecks();
    UpdateStatus();
}

void MainFrame::CloseWindows(document::CElwDoc& doc) {
    closingUnasked_ = true;
    for (DocWindow* w : WindowsOf(doc)) CloseWindow(*w);
    closingUnasked_ = false;
}

void MainFrame::Activate(document::CElwDoc& doc) {
    if (DocWindow* w = WindowOf(doc)) {
        if (activationHolds_ > 0)
            heldActive_ = w;
        else
            mdi_->setActiveSubWindow(SubWindowOf(*w));
    }
}

bool MainFrame::Quit() {
    return CloseFrame();
}

void MainFrame::TitleChanged(document::CElwDoc& doc) {
    for (DocWindow* w : WindowsOf(doc)) w->UpdateWindowTitle();
    if (markBar_) markBar_->NoteDocumentsChanged();
}

void MainFrame::FlushEditBuffer(document::CElwDoc& doc) {
    SyncViews(doc);
}

void MainFrame::LinesChanged(document::CElwDoc& doc) {
    // Every view of the document was laid out again by the document's notice.
    for (DocWindow* w : WindowsOf(doc)) w->RefreshView();
}

bool MainFrame::ReplaceWholeText(document::CElwDoc& doc, const std::string& text) {
    DocWindow* w = WindowOf(doc);
    if (!w) return false;
    app::ReplaceWholeText(w->view(), text);
    w->editor().Refresh();
    return true;
}

app::PressResult MainFrame::PressKey(DocWindow& w, const app::KeyStroke& stroke,
                                     std::string_view bytes) {
    LinkOtherWindows();
    dispatcher_.view = &w.sink();
    return keyInput_.Press(stroke, bytes);
}

void MainFrame::RunFrameCommand(app::FrameCommandId id, uint8_t keyByte) {
    const auto it = frameHandlers_.find(id);
    if (it == frameHandlers_.end()) {
        // Commands of parts not built yet say so instead of doing nothing.
        app::ReportNotAvailable(ui_);
        return;
    }
    if (it->second.needsDocument && !ActiveWindow()) {
        ui_->Refuse(app::kNoDocumentText);
        return;
    }
    it->second.run(keyByte);
    UpdateMenus();
    UpdateStatus();
}

void MainFrame::PostStatus(platform::StatusCode code) {
    if (code == platform::StatusCode::kLoaded)
        ui_->SetStatusText({});
    else
        ui_->Beep();
}

}  // namespace norv::qt
