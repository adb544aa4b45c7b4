// The frame's commands and bars: which frame commands this program carries out, commands run
// from menus and popups, the tool bar, the function-key bar, the two-stroke menu, user menus,
// the window commands and the frame's dialogs.
#include <QApplication>
#include <QCursor>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPointer>
#include <QStatusBar>
#include <QToolBar>
#include <algorithm>

#include "app/commands/command_texts.h"
#include "app/commands/user_menus.h"
#include "app/config/document_settings.h"
#include "app/scripting/kept_scripts.h"
#include "gui/dialogs/add_string_dialog.h"
#include "gui/dialogs/frame_dialogs.h"
#include "gui/dialogs/preference_dialog.h"
#include "gui/editor/display_settings.h"
#include "gui/editor/text_bridge.h"
#include "gui/frame/bars.h"
#include "gui/frame/doc_window.h"
#include "gui/frame/grep_wiring.h"
#include "gui/frame/main_frame.h"
#include "gui/frame/menus.h"
#include "gui/frame/printing.h"
#include "gui/frame/shell_wiring.h"
#include "gui/frame/spell_wiring.h"
#include "gui/frame/tool_bars.h"
#include "platform/code_page.h"

namespace norv::qt {

using app::FrameCommandId;

void MainFrame::RegisterFrameCommands() {
    using F = FrameCommandId;
    // Commands that need no window, commands on the windows, and commands on the active one.
    auto any = [this](F id, std::function<void()> f) {
        frameHandlers_[id] = {[f = std::move(f)](uint8_t) { f(); }, false};
    };
    auto windows = [this](F id, std::function<void()> f) {
        frameHandlers_[id] = {[f = std::move(f)](uint8_t) { f(); }, true};
    };
    auto doc = [this](F id, std::function<void(DocWindow&)> f) {
        frameHandlers_[id] = {[this, f = std::move(f)](uint8_t) {
                                  if (DocWindow* w = ActiveWindow()) f(*w);
                              },
                              true};
    };
    any(F::NewFile, [this] {
        if (NewFile()) RaiseResidentEvent(app::ResidentEvent::kNew);
    });
    any(F::NewFileType, [this] {
        if (NewFileOfType()) RaiseResidentEvent(app::ResidentEvent::kNew);
    });
    any(F::OpenFile, [this] { FileOpen(); });
    any(F::OpenFolder, [this] { OpenFolder(); });
    doc(F::ReOpen, [this](DocWindow& w) {
        Reload(w);
        RaiseResidentEvent(app::ResidentEvent::kReOpen);
    });
    doc(F::CloseFile, [this](DocWindow& w) { FileClose(w); });
    doc(F::SaveFile, [this](DocWindow& w) { FileSave(w, false); });
    doc(F::SaveAs, [this](DocWindow& w) { FileSave(w, true); });
    doc(F::SaveClose, [this](DocWindow& w) { SaveClose(w); });
    doc(F::Print, [this](DocWindow& w) { PrintDocument(*this, w); });
    doc(F::PrintPreview, [this](DocWindow& w) { PreviewDocument(*this, w); });
    windows(F::AllSave, [this] { AllSave(); });
    windows(F::AllUpdate, [this] { AllUpdate(); });
    any(F::AllSaveQuit, [this] { AllSaveQuit(); });
    any(F::AppExit, [this] { AppExit(); });
    doc(F::LockEdit, [this](DocWindow& w) { ToggleReadOnly(w); });
    doc(F::NewWindow, [this](DocWindow& w) { NewWindow(w); });
    doc(F::Split, [](DocWindow& w) { w.ToggleSplit(); });
    windows(F::Cascade, [this] {
        // Every window takes its place, those not shown yet too.
        for (DocWindow* w : Windows()) SubWindowOf(*w);
        mdi_->cascadeSubWindows();
    });
    windows(F::TileHorz, [this] { TileWindows(false); });
    windows(F::TileVert, [this] { TileWindows(true); });
    windows(F::TileTwo, [this] { TileTwo(); });
    windows(F::NextPane, [this] { NextPane(); });
    windows(F::AnothWin, [this] { AnotherWindow(); });
    windows(F::FileSelect, [this] { FileSelect(); });
    any(F::SetProperty, [this] { Preferences(); });
    any(F::Grep, [this] { grep_->RunGrep(); });
    any(F::Shell, [this] { shell_->RunShell(); });
    any(F::ShellMenu, [this] { shell_->RunLauncher(); });
    doc(F::SpellCheck, [this](DocWindow&) { spell_->RunSpellCheck(); });
    windows(F::Compare, [this] { CompareDocuments(); });
    const F menus[] = {F::Menu1, F::Menu2, F::Menu3, F::Menu4, F::Menu5};
    for (int n = 0; n < app::kUserMenuCount; ++n)
        frameHandlers_[menus[n]] = {[this, n](uint8_t key) { ShowUserMenu(n, key); }, false};
    any(F::AppHelp, [this] { ShowManual(); });
    for (int n = 0; n < app::kHelpEntryCount; ++n) {
        const auto id = static_cast<F>(static_cast<uint16_t>(F::Help1) + n);
        any(id, [this, n] { ShowHelpEntry(n); });
    }
    any(F::Nop, [] {});
    RegisterMacroCommands();
    SetUpResidentScripts();
}

void MainFrame::AllUpdate() {
    // Each document once, however many windows show it; Reload asks first when it is modified.
    std::vector<const document::CElwDoc*> done;
    for (DocWindow* w : Windows()) {
        const document::CElwDoc* d = &w->doc();
        if (std::find(done.begin(), done.end(), d) != done.end()) continue;
        done.push_back(d);
        if (w->doc().IsChangedOnDisk()) Reload(*w);
    }
}

bool MainFrame::FrameCommandRegistered(FrameCommandId id) const {
    return frameHandlers_.count(id) != 0;
}

bool MainFrame::CommandBuilt(size_t command) const {
    if (command >= app::kCommandCount) return false;
    const app::Command& c = app::kBuiltinCommands[command];
    if (app::IsHandledLater(c.name)) return false;
    return c.isView() || frameHandlers_.count(c.frame) != 0;
}

bool MainFrame::CommandEnabled(size_t command) const {
    if (!CommandBuilt(command)) return false;
    const app::Command& c = app::kBuiltinCommands[command];
    const bool window = ActiveWindow() != nullptr;
    // These work on the lines of a selection and do nothing without one.
    if (c.name == "Indent" || c.name == "BackInd" || c.name == "AddString")
        return window && ActiveWindow()->viewMade() && ActiveWindow()->selection().active();
    if (c.name == "RecordKey") return keyMacros_->RecordKeyEnabled();
    if (c.name == "PlayKey") return keyMacros_->PlayKeyEnabled();
    if (c.isView()) return window;
    return window || !frameHandlers_.at(c.frame).needsDocument;
}

std::optional<bool> MainFrame::CommandChecked(size_t command) const {
    if (command >= app::kCommandCount) return std::nullopt;
    const std::string_view name = app::kBuiltinCommands[command].name;
    DocWindow* w = ActiveWindow();
    if (name == "LockEdit") return w && w->doc().readOnly;
    if (name == "ModeInsert") return shared_.insertMode;
    if (name == "ModeAutoSplit") return w && w->editOptions().autoSplit;
    if (name == "RecordKey") return keyMacros_->RecordKeyChecked();
    if (name == "PlayKey") return keyMacros_->PlayKeyChecked();
    return std::nullopt;
}

void MainFrame::RunCommand(size_t command, uint8_t keyByte) {
    if (command >= app::kCommandCount) return;
    if (!CommandBuilt(command)) {
        app::ReportNotAvailable(ui_);
        return;
    }
    const QPointer<DocWindow> w = ActiveWindow();
    dispatcher_.view = w ? &w->sink() : nullptr;
    const app::KeyDispatcher::Outcome outcome = dispatcher_.RunCommand(command, 1, keyByte);
    if (outcome == app::KeyDispatcher::Outcome::kNothing) {
        ui_->Refuse(app::kNoDocumentText);  // a view command without a view
        return;
    }
    // A frame command may have closed the window, and so may a resident script that a view
    // command's event ran.
    if (outcome == app::KeyDispatcher::Outcome::kView && w) w->editor().Refresh();
    UpdateMenus();
    UpdateStatus();
}

void MainFrame::SetUpBars() {
    menus_ = new CommandMenus(*this, menuBar());
    RegisterFrameCommands();
    BuildMenus();

    ToolBars::Hooks hooks;
    hooks.run = [this](size_t command) { RunCommand(command); };
    hooks.enabled = [this](size_t command) { return CommandEnabled(command); };
    hooks.checked = [this](size_t command) { return CommandChecked(command); };
    toolBars_ = new ToolBars(*this, std::move(hooks));

    fkeyBar_ = new FunctionKeyBar(this);
    addToolBar(Qt::BottomToolBarArea, fkeyBar_);
    connect(fkeyBar_, &FunctionKeyBar::clicked, this, [this](int n) {
        const auto key = static_cast<uint8_t>(app::vk::kF1 + n);
        const int index = keyTable_.Find(app::MakeKey(fkeyClass_, key));
        if (index >= 0) RunCommand(static_cast<size_t>(index), key);
    });
    // Mouse buttons other than the left one, in any pane of any window, go through the key table.
    qApp->installEventFilter(new MouseButtonFilter(
        this, [this](QObject* target, QMouseEvent* e) { return DispatchMouseKey(target, e); }));
    auto* watcher = new ModifierWatcher(this);
    connect(watcher, &ModifierWatcher::modifiersChanged, this,
            [this](Qt::KeyboardModifiers mods) { RelabelFunctionKeys(mods); });

    autoFormat_ = new QLabel(this);
    autoFormat_->setMinimumWidth(QFontMetrics(font()).horizontalAdvance(QStringLiteral("AutoFmt")));
    statusBar()->addPermanentWidget(autoFormat_);

    twoStrokeTimer_ = std::make_unique<TwoStrokeTimer>([this] { ShowTwoStrokeMenu(); });
    dispatcher_.timer = twoStrokeTimer_.get();
    dispatcher_.describe = [this](size_t command) {
        // Add-in commands go by their scripts' names (bytes of the data file).
        if (const int slot = app::AddinSlotOfCommand(command); slot >= 0) {
            const std::string name = app::AddinMenuName(config_->data.addins[size_t(slot)]);
            if (!name.empty())
                return ToUtf8(BytesToQString(platform::SystemCodePage(), name)
                                  .replace(QLatin1Char('&'), QStringLiteral("&&")));
        }
        return app::CommandDescription(command);
    };

    shared_.jumpDialog = [this](editing::JumpRequest& r) { return AskJumpTo(this, r); };
    shared_.stepDoDialog = [this](editing::StepDoRequest& r) {
        DocWindow* w = ActiveWindow();
        return RunStepDoDialog(this, r, [this, w] {
            if (w) w->editor().Refresh();
            UpdateStatus();
        });
    };
    // Add String: cancelled in headless runs; the string used is kept in AddStr, in the
    // system code page like every text of the settings.
    shared_.addStringDialog = [this](editing::AddStringRequest& r) {
        if (qApp->property("norvHeadless").toBool()) return false;
        const int system = platform::SystemCodePage();
        return AskAddString(this, r,
                            BytesToQString(system, config_->settings.Text(app::Key::AddStr)));
    };
    shared_.addStringUsed = [this](const editing::AddStringRequest& r) {
        std::optional<std::string> text =
            QStringToBytes(platform::SystemCodePage(), BytesToQString(r.codePage, r.text));
        if (!text || config_->settings.Text(app::Key::AddStr) == *text) return;
        if (store_)
            config_->settings.Write(*store_, app::Key::AddStr, *text);
        else
            config_->settings.Set(app::Key::AddStr, *text);
    };
    clipboardContext_.historyDialog = [this](editing::ClipboardHistoryRequest& r) {
        return AskClipboardHistory(this, r);
    };
    clipboardContext_.ui = ui_;
    clipboard_.fromHistory = &clipboardContext_.changingFromHistory;

    ApplySettings(false);
}

void MainFrame::UseConfiguration(app::Configuration& config, app::SettingsStore* store) {
    config_ = &config;
    store_ = store;
    ApplySettings(true);
    RestoreMarkBar();
}

void MainFrame::ApplySettings(bool full) {
    const app::Settings& s = config_->settings;
    if (full) UseSettings(s);
    toolBars_->Apply(s);
    fkeyBar_->setVisible(s.Flag(app::Key::DispFkey));
    statusBar()->setVisible(s.Flag(app::Key::StatBar));
    RefreshKeys();
    UpdateStatus();
}

void MainFrame::HandleFrameCommand(FrameCommandId id, std::function<void()> run,
                                   bool needsDocument) {
    frameHandlers_[id] = {[run = std::move(run)](uint8_t) { run(); }, needsDocument};
    UpdateMenus();
}

void MainFrame::RefreshKeys() {
    RelabelFunctionKeys(fkeyMods_);
    if (menus_) menus_->Update();
}

void MainFrame::RelabelFunctionKeys(Qt::KeyboardModifiers mods) {
    fkeyMods_ = mods;
    app::KeyStroke stroke;
    stroke.key = app::vk::kF1;
    stroke.ctrl = mods & Qt::ControlModifier;
    stroke.shift = mods & Qt::ShiftModifier;
    stroke.alt = mods & Qt::AltModifier;
    fkeyClass_ = dispatcher_.ClassOf(stroke);
    const auto shortName = [](size_t command) {
        return std::string(app::CommandShortName(command));
    };
    const auto fileName = [this](size_t command) {
        // File names are bytes of the data and settings files.
        if (const int slot = app::AddinSlotOfCommand(command); slot >= 0)
            return ToUtf8(BytesToQString(platform::SystemCodePage(),
                                         app::AddinBarName(config_->data.addins[size_t(slot)])));
        const uint16_t id = app::kBuiltinCommands[command].id();
        const auto help = static_cast<uint16_t>(FrameCommandId::Help1);
        std::string file;
        if (!app::kBuiltinCommands[command].isView() && id >= help &&
            id <= static_cast<uint16_t>(FrameCommandId::Help10))
            file = config_->settings.Help(id - help).file;
        return ToUtf8(QFileInfo(BytesToQString(config_->settings.CodePage(), file)).fileName());
    };
    fkeyBar_->SetLabels(app::FunctionKeyLabels(keyTable_, fkeyClass_, shortName, fileName));
    for (int n = 0; n < 12; ++n) {
        const int index =
            keyTable_.Find(app::MakeKey(fkeyClass_, static_cast<uint8_t>(app::vk::kF1 + n)));
        fkeyBar_->SetButtonEnabled(n, index >= 0 && CommandEnabled(static_cast<size_t>(index)));
    }
}

QPoint MainFrame::CaretGlobalPoint() const {
    DocWindow* w = ActiveWindow();
    if (!w) return mapToGlobal(QPoint(0, 0));
    const EditWidget& e = w->editor();
    const editing::CElwView& v = w->view();
    const QRect cell = e.CellRect(v.caretScreenRow(), v.caretColumn() - v.leftColumn());
    return e.viewport()->mapToGlobal(cell.bottomLeft());
}

bool MainFrame::DispatchMouseKey(QObject* target, QMouseEvent* event) {
    // Only the text area of an edit view of this frame's windows.
    auto* editor = target ? qobject_cast<EditWidget*>(target->parent()) : nullptr;
    if (!editor || editor->viewport() != target) return false;
    DocWindow* owner = nullptr;
    for (QObject* o = editor->parent(); o && !owner; o = o->parent())
        owner = qobject_cast<DocWindow*>(o);
    if (!owner || owner->window() != this) return false;
    for (int i = 0; i < owner->paneCount(); ++i)
        if (&owner->paneEditor(i) == editor && owner->activePane() != i) owner->FocusPane(i);
    DocWindow& w = *owner;
    uint8_t key = 0;
    switch (event->button()) {
        case Qt::RightButton:
            key = app::vk::kRButton;
            break;
        case Qt::MiddleButton:
            key = app::vk::kMButton;
            break;
        default:
            return false;
    }
    const Qt::KeyboardModifiers mods = event->modifiers();
    app::KeyStroke stroke;
    stroke.key = key;
    stroke.ctrl = mods & Qt::ControlModifier;
    stroke.shift = mods & Qt::ShiftModifier;
    stroke.alt = mods & Qt::AltModifier;
    dispatcher_.view = &w.sink();
    if (keyInput_.Press(stroke, {}) == app::PressResult::kNothing) return false;
    UpdateMenus();
    UpdateStatus();
    return true;
}

void MainFrame::ShowTwoStrokeMenu() {
    const std::vector<app::TwoStrokeMenuItem> items = dispatcher_.TakeTwoStrokeMenu();
    if (items.empty()) return;
    std::vector<PopupEntry> entries;
    std::vector<int> itemOf;  // entry -> item, -1 for separators
    for (size_t i = 0; i < items.size(); ++i) {
        if (items[i].separatorBefore) {
            entries.push_back({true, {}, true});
            itemOf.push_back(-1);
        }
        entries.push_back({false, FromUtf8(items[i].text), CommandEnabled(items[i].command)});
        itemOf.push_back(static_cast<int>(i));
    }
    const int chosen = ExecPopup(entries, CaretGlobalPoint(), this, kTwoStrokeMenuName);
    if (chosen < 0 || itemOf[static_cast<size_t>(chosen)] < 0) return;
    const QPointer<DocWindow> w = ActiveWindow();
    dispatcher_.view = w ? &w->sink() : nullptr;
    const auto outcome =
        dispatcher_.ChooseFromMenu(items[static_cast<size_t>(itemOf[static_cast<size_t>(chosen)])]);
    if (outcome == app::KeyDispatcher::Outcome::kView && w) w->editor().Refresh();
    UpdateMenus();
    UpdateStatus();
}

void MainFrame::ShowUserMenu(int menu, uint8_t keyByte) {
    const int codePage = config_->settings.CodePage();
    const std::vector<app::UserMenuEntry> items = app::BuildUserMenu(config_->data, menu, codePage);
    if (items.empty()) return;
    std::vector<PopupEntry> entries;
    for (const app::UserMenuEntry& e : items)
        entries.push_back({e.separator, BytesToQString(codePage, e.caption),
                           e.separator || CommandEnabled(e.command)});
    const bool pointer =
        app::UserMenuPlace(keyByte, ActiveWindow() != nullptr) == app::PopupPlace::kMousePointer;
    const int chosen =
        ExecPopup(entries, pointer ? QCursor::pos() : CaretGlobalPoint(), this, kUserMenuName);
    if (chosen < 0) return;
    RunCommand(items[static_cast<size_t>(chosen)].command);
}

void MainFrame::NoteActivated(QMdiSubWindow* sub) {
    if (!sub) return;
    std::erase(activation_, sub);
    activation_.insert(activation_.begin(), sub);
}

void MainFrame::FileSelect() {
    const std::vector<DocWindow*> list = Windows();
    if (list.empty()) return;
    QStringList titles;
    int current = -1;
    DocWindow* active = ActiveWindow();
    for (size_t i = 0; i < list.size(); ++i) {
        DocWindow* w = list[i];
        QString title = w->windowTitle();
        if (!w->doc().path.empty()) title += QStringLiteral("  (%1)").arg(FromUtf8(w->doc().path));
        titles << title;
        if (w == active) current = static_cast<int>(i);
    }
    const int chosen = AskChoice(this, QStringLiteral("Select File"), titles, current);
    if (chosen < 0 || chosen >= static_cast<int>(list.size())) return;
    // The dialog ran: the chosen window may have closed meanwhile.
    DocWindow* w = list[static_cast<size_t>(chosen)];
    if (std::find(windows_.begin(), windows_.end(), w) == windows_.end()) return;
    QMdiSubWindow* sub = SubWindowOf(*w);
    if (sub->isMinimized()) sub->showNormal();
    mdi_->setActiveSubWindow(sub);
    NoteActivated(sub);
    w->editor().setFocus();
}

void MainFrame::AnotherWindow() {
    // The other pane of a split window; else the window that was active before this one
    // (after TileTwo, the other of the two).
    if (DocWindow* w = ActiveWindow(); w && w->paneCount() == 2) {
        w->FocusPane(1 - w->activePane());
        return;
    }
    QMdiSubWindow* current = mdi_->activeSubWindow();
    if (!current && !activation_.empty()) current = activation_.front();
    for (QMdiSubWindow* sub : activation_) {
        if (sub == current) continue;
        mdi_->setActiveSubWindow(sub);
        NoteActivated(sub);
        if (auto* w = qobject_cast<DocWindow*>(sub->widget())) w->editor().setFocus();
        return;
    }
    ui_->Refuse(app::kNoOtherWindowText);
}

void MainFrame::TileTwo() {
    const std::vector<DocWindow*> list = Windows();
    QMdiSubWindow* active = mdi_->activeSubWindow();
    if (!active && !activation_.empty()) active = activation_.front();
    const auto at = std::find_if(list.begin(), list.end(), [active](const DocWindow* w) {
        return active && SubWindowIfShown(*w) == active;
    });
    if (at == list.end()) return;
    if (list.size() < 2) {
        active->showMaximized();
        return;
    }
    const size_t nextAt = (static_cast<size_t>(at - list.begin()) + 1) % list.size();
    QMdiSubWindow* next = SubWindowOf(*list[nextAt]);
    const QRect area = mdi_->viewport()->rect();
    const int half = area.height() / 2;
    next->showNormal();
    next->setGeometry(QRect(0, half, area.width(), area.height() - half));
    active->showNormal();
    active->setGeometry(QRect(0, 0, area.width(), half));
    // The next window becomes the other one of AnothWin; the active one stays in front.
    NoteActivated(next);
    mdi_->setActiveSubWindow(active);
    NoteActivated(active);
}

bool MainFrame::OpenFolder() {
    std::string folder = lastFolder_;
    if (!dialogs_->AskFolder(folder)) return false;
    return FileOpen(folder);
}

DocWindow* MainFrame::NewFileOfType() {
    const app::ProfileTable profiles = config_->settings.Profiles();
    QStringList names;
    std::vector<app::ProfileId> ids;
    for (size_t i = 0; i < app::kProfileCount; ++i) {
        const app::Profile& p = profiles[i];
        const auto id = static_cast<app::ProfileId>(i);
        // User types without a name or extensions are not set up.
        if (id >= app::ProfileId::kUser1 && p.name.empty() && p.extensions.empty()) continue;
        QString name = FromUtf8(p.name);
        if (name.isEmpty())
            name = id == app::ProfileId::kDefault ? QStringLiteral("Text") : QStringLiteral("User");
        if (!p.extensions.empty()) name += QStringLiteral("  (%1)").arg(FromUtf8(p.extensions));
        names << name;
        ids.push_back(id);
    }
    const int chosen = AskChoice(this, QStringLiteral("New File Type"), names, 0);
    if (chosen < 0) return nullptr;
    DocWindow* w = NewFile();
    if (!w) return nullptr;
    const app::ProfileId id = ids[static_cast<size_t>(chosen)];
    const app::Profile& p = profiles[static_cast<size_t>(id)];
    document::CElwDoc& d = w->doc();
    d.tabWidth = p.tabWidth > 0 ? p.tabWidth : 8;
    d.typeCode = app::TypeCodeOf(id);
    d.typeExtension = app::FirstExtensionOf(p);
    d.UpdateTitle();
    w->ApplyLayout();
    return w;
}

void MainFrame::Preferences() {
    auto repaint = [this] {
        for (DocWindow* w : Windows()) w->RefreshView();
    };
    // Runs without a screen have no one to answer the dialog.
    if (qApp->property("norvHeadless").toBool()) return repaint();
    PreferenceContext c;
    c.settings = &config_->settings;
    c.codePage = platform::SystemCodePage();
    c.keys = &keyTable_;
    c.keywords = &config_->keywords;
    c.data = &config_->data;
    c.settingsFolder = preferenceFiles_.settingsFolder;
    c.fs = preferenceFiles_.fs ? preferenceFiles_.fs : &platform::RealFileSystem();
    c.ui = ui_;
    c.chooseKeyFile = chooseKeyFile ? chooseKeyFile : [](QWidget* parent, bool save) {
        const QString filter = QStringLiteral("Key Definition File (*.KEY)");
        return save ? QFileDialog::getSaveFileName(parent, QString(), QString(), filter)
                    : QFileDialog::getOpenFileName(parent, QString(), QString(), filter);
    };
    CElwProp dialog(this, c);
    if (dialog.exec() != QDialog::Accepted) return repaint();
    const PreferenceResult& r = dialog.result();
    app::PreferenceCommit commit{r.edits, r.keys, r.loadedKeyFile, r.keywords, r.data};
    app::PreferenceFiles files = preferenceFiles_;
    if (!files.fs) files.fs = c.fs;
    const app::FontExists fonts = [](std::string_view family) {
        return FontInstalled(BytesToQString(platform::SystemCodePage(), family));
    };
    const app::CommitOutcome out =
        app::CommitPreferences(*config_, store_, keyTable_, commit, files, fonts);
    for (const std::string& e : out.errors)
        ui_->MessageBox(e, platform::mb::kOk | platform::mb::kIconWarning);
    if (commit.keywords) SetKeywordFile(&config_->keywords);
    if (out.reapply != app::kReapplyNothing) ApplySettings(true);
    if (out.reapply & app::kReapplyMenus) UpdateMenus();  // the help entries listed
    repaint();
    if (out.tellOthers && settingsChanged) settingsChanged();
}

}  // namespace norv::qt
