// The main frame's side of the scripts' user-interface built-ins (see qt_script_frame.h).
#include "gui/frame/qt_script_frame.h"

#include <QApplication>
#include <QCursor>
#include <QFontInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPointer>
#include <QStatusBar>
#include <QTimer>
#include <filesystem>
#include <map>
#include <tuple>

#include "app/commands/key_names.h"
#include "app/config/document_settings.h"
#include "app/config/preference_changes.h"
#include "app/config/view_settings.h"
#include "app/scripting/script_menus.h"
#include "app/scripting/send_keys.h"
#include "gui/editor/display_settings.h"
#include "gui/editor/key_codes.h"
#include "gui/editor/text_bridge.h"
#include "gui/frame/bars.h"
#include "gui/frame/doc_window.h"
#include "gui/frame/main_frame.h"
#include "gui/frame/menus.h"
#include "gui/frame/tool_bars.h"

namespace norv::qt {

namespace {

// Fills a QMenu from a script's menu; `ids` maps each command action to its id.
void FillMenu(QMenu& menu, const app::ScriptMenu& from, std::map<const QAction*, int32_t>& ids) {
    for (const app::ScriptMenuItem& item : from.items) {
        switch (item.kind) {
            case app::ScriptMenuItem::Kind::kSeparator:
                menu.addSeparator();
                break;
            case app::ScriptMenuItem::Kind::kSubmenu: {
                QMenu* sub = menu.addMenu(FromUtf8(item.text));
                if (item.submenu) FillMenu(*sub, *item.submenu, ids);
                break;
            }
            case app::ScriptMenuItem::Kind::kCommand:
                ids[menu.addAction(FromUtf8(item.text))] = item.id;
                break;
        }
    }
}

// The file name part of a path ("" for a folder's path ending in "/").
std::string_view FolderPart(std::string_view path) {
    const size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? std::string_view() : path.substr(0, slash + 1);
}

// The options a view takes from the settings, compared field by field: a view is given them
// again only when the write changed them.
bool SameEditOptions(const editing::EditOptions& a, const editing::EditOptions& b) {
    auto tie = [](const editing::EditOptions& o) {
        return std::tie(o.autoIndent, o.dbcsSpaceIndent, o.softTab, o.noWrap, o.cFile, o.cppMode,
                        o.freeCursor, o.eolOverCursor, o.fillByTab, o.autoSplit, o.removeSpaces,
                        o.jumpCenter, o.ankTitle, o.dbcsTitle, o.ankDelimiter, o.dbcsDelimiter,
                        o.accelerate, o.accelRepeat, o.accelMode, o.undoLimitKb, o.undoReset);
    };
    return tie(a) == tie(b);
}

bool SameLayoutOptions(const view::LayoutOptions& a, const view::LayoutOptions& b) {
    auto tie = [](const view::LayoutOptions& o) {
        return std::tie(o.wrapColumn, o.tabWidth, o.noWordWrap, o.codePage, o.ankOida, o.ankBura,
                        o.dbcsOida, o.dbcsBura);
    };
    return tie(a) == tie(b);
}

bool IsFolder(const std::string& path) {
    std::error_code ec;
    return std::filesystem::is_directory(path, ec);
}

}  // namespace

void KeyStateFilter::Note(const QEvent* event) {
    const QEvent::Type t = event->type();
    if (t == QEvent::ApplicationDeactivate) {
        Clear();
        return;
    }
    if (t != QEvent::KeyPress && t != QEvent::KeyRelease) return;
    const auto* k = static_cast<const QKeyEvent*>(event);
    const bool down = t == QEvent::KeyPress;
    uint8_t key = 0;
    switch (k->key()) {
        case Qt::Key_Shift:
            key = app::kShiftKey;
            break;
        case Qt::Key_Control:
            key = app::kCtrlKey;
            break;
        case Qt::Key_Alt:
            key = app::kAltKey;
            break;
        default:
            key = VirtualKeyOf(k->key()).value_or(0);
    }
    if (key != 0) down_[key] = down;
}

bool KeyStateFilter::eventFilter(QObject* watched, QEvent* event) {
    // A key event reaches the platform window first and then each widget it propagates to;
    // noting it again changes nothing.
    Note(event);
    return QObject::eventFilter(watched, event);
}

QtScriptFrame::QtScriptFrame(MainFrame& frame)
    : frame_(frame), keyState_(std::make_unique<KeyStateFilter>()) {
    qApp->installEventFilter(keyState_.get());
}

QtScriptFrame::~QtScriptFrame() {
    qApp->removeEventFilter(keyState_.get());
}

bool QtScriptFrame::headless() const {
    return qApp->property("norvHeadless").toBool();
}

const app::Settings& QtScriptFrame::settings() {
    return frame_.configuration().settings;
}

bool QtScriptFrame::WriteSetting(app::Key key, int value) {
    return frame_.ApplyScriptSetting(key, [&](app::Settings& s, app::SettingsStore* store) {
        return app::WriteSettingValue(s, store, key, value);
    });
}

bool QtScriptFrame::WriteSetting(app::Key key, std::string_view value) {
    return frame_.ApplyScriptSetting(key, [&](app::Settings& s, app::SettingsStore* store) {
        return app::WriteSettingValue(s, store, key, value);
    });
}

void QtScriptFrame::DocumentChanged() {
    if (DocWindow* w = frame_.ActiveWindow()) frame_.ShowDocumentState(*w);
}

std::optional<std::string> QtScriptFrame::FileDialog(std::string_view initialName,
                                                     std::string_view filter, bool save) {
    FileDialogs& dialogs = frame_.fileDialogs();
    std::string chosen;
    if (save) {
        document::SaveAsRequest request;
        // A pattern names no file to propose: the dialog starts in its folder.
        request.name =
            filter.empty() ? std::string(initialName) : std::string(FolderPart(initialName));
        if (!dialogs.AskSaveAs(request)) return std::nullopt;
        chosen = request.name;
    } else {
        OpenRequest request;
        request.folder = std::string(FolderPart(initialName));
        // "*.txt;*.c": the dialog's filters separate patterns by blanks.
        std::string pattern(filter.substr(FolderPart(filter).size()));
        for (char& c : pattern)
            if (c == ';') c = ' ';
        request.pattern = pattern;
        if (!dialogs.AskOpen(request) || request.paths.empty()) return std::nullopt;
        chosen = request.paths.front();
    }
    // A folder is no file name: the dialog counts as cancelled.
    if (chosen.empty() || chosen.back() == '/' || IsFolder(chosen)) return std::nullopt;
    return chosen;
}

int QtScriptFrame::PopupMenu(const app::ScriptMenu& menu) {
    // Nobody is there to choose in a run without windows.
    if (headless()) return -1;
    QMenu popup(&frame_);
    popup.setObjectName(QString::fromLatin1(kScriptMenuName));
    std::map<const QAction*, int32_t> ids;
    FillMenu(popup, menu, ids);
    if (popup.isEmpty()) return -1;
    QAction* chosen = popup.exec(frame_.PopupPoint());
    const auto it = chosen ? ids.find(chosen) : ids.end();
    return it == ids.end() ? -1 : it->second;
}

void QtScriptFrame::SendKeys(const std::vector<app::SentKey>& keys, bool wait) {
    queued_.insert(queued_.end(), keys.begin(), keys.end());
    if (wait) {
        PressQueued();
        return;
    }
    // Handled by the message loop: the script goes on meanwhile.
    QTimer::singleShot(0, &frame_, [this] { PressQueued(); });
}

void QtScriptFrame::PressQueued() {
    // A key may run a command that waits (a dialog): the keys after it stay queued for the
    // press already under way.
    if (pressing_) return;
    pressing_ = true;
    while (!queued_.empty()) {
        const app::SentKey k = std::move(queued_.front());
        queued_.pop_front();
        // The editor's own focused view only: without a document window the key goes nowhere.
        const QPointer<DocWindow> w = frame_.ActiveWindow();
        if (w.isNull()) continue;
        frame_.PressKey(*w, k.stroke, k.bytes);
        if (!w.isNull()) w->editor().Refresh();
    }
    pressing_ = false;
    frame_.ShowKeyResults();
}

bool QtScriptFrame::KeyDown(uint8_t key) {
    if (headless()) return false;
    // Only while one of the editor's windows has the focus.
    if (QGuiApplication::focusWindow() == nullptr) return false;
    const Qt::KeyboardModifiers mods = QGuiApplication::queryKeyboardModifiers();
    switch (key) {
        case app::kShiftKey:
            if (mods & Qt::ShiftModifier) return true;
            break;
        case app::kCtrlKey:
            if (mods & Qt::ControlModifier) return true;
            break;
        case app::kAltKey:
            if (mods & Qt::AltModifier) return true;
            break;
        default:
            break;
    }
    return keyState_->Down(key);
}

void QtScriptFrame::SetInputMethod(bool on) {
    if (headless()) return;
    if (DocWindow* w = frame_.ActiveWindow())
        for (int i = 0; i < w->paneCount(); ++i) w->paneEditor(i).SetInputMethodEnabled(on);
}

const app::KeyTable& QtScriptFrame::keyTable() {
    return frame_.keyTable();
}

std::vector<app::ScriptWindow> QtScriptFrame::Windows() {
    std::vector<app::ScriptWindow> out;
    // The main window by the program's name: its title on screen follows the document shown
    // maximised, which would make it match that document's title.
    out.push_back({app::kMainWindowValue, ToUtf8(QApplication::applicationDisplayName()),
                   std::string(app::kMainWindowClass)});
    for (DocWindow* w : frame_.Windows())
        out.push_back(
            {w->scriptValue(), ToUtf8(w->windowTitle()), std::string(app::kDocWindowClass)});
    return out;
}

uint32_t QtScriptFrame::ActiveWindowValue() {
    DocWindow* w = frame_.ActiveWindow();
    return w ? w->scriptValue() : 0;
}

bool QtScriptFrame::ActivateWindow(uint32_t value) {
    if (value == app::kMainWindowValue) {
        frame_.raise();
        frame_.activateWindow();
        return true;
    }
    for (DocWindow* w : frame_.Windows())
        if (w->scriptValue() == value) {
            frame_.ActivateWindow(*w);
            return true;
        }
    return false;
}

int QtScriptFrame::DocumentCount() {
    return frame_.DocumentCount();
}

bool QtScriptFrame::MarkListShown() {
    return frame_.MarkListShown();
}

bool QtScriptFrame::VariablePitch() {
    return !QFontInfo(frame_.editorFont()).fixedPitch();
}

bool MainFrame::ApplyScriptSetting(app::Key key, const SettingWrite& write) {
    const app::Settings& s = config_->settings;
    const uint32_t what = app::ReapplyOf(key);
    // What each window took from the settings before the write.
    struct ViewBefore {
        QPointer<DocWindow> window;
        editing::EditOptions edit;
        view::LayoutOptions layout;
    };
    std::vector<ViewBefore> before;
    std::optional<DisplayOptions> displayBefore;
    if (what & app::kReapplyViews) {
        displayBefore = DisplayOptionsFrom(s);
        for (DocWindow* w : Windows())
            before.push_back(
                {w, app::EditOptionsFor(w->doc(), s), app::LayoutOptionsFor(w->doc(), s)});
    }
    if (!write(config_->settings, store_)) return false;
    // Loading and saving read their settings when they run.
    env_.load = app::LoadSettingsFrom(s);
    env_.save = app::SaveSettingsFrom(s);
    if (what & app::kReapplyKeys) {
        dispatcher_.options = app::DispatchOptionsFrom(s);
        for (DocWindow* w : Windows()) w->SetShiftSelect(s.Flag(app::Key::ShiftSelect));
        RefreshKeys();
    }
    if (what & app::kReapplyFonts) {
        const QFont font = EditorFontFrom(s);
        if (font != font_) {
            font_ = font;
            for (DocWindow* w : Windows()) w->SetEditorFont(font_);
        }
    }
    if (what & app::kReapplyViews) {
        const DisplayOptions display = DisplayOptionsFrom(s);
        if (!(display == *displayBefore)) SetDisplayOptions(display);
        for (const ViewBefore& b : before) {
            if (b.window.isNull()) continue;
            DocWindow& w = *b.window;
            const editing::EditOptions edit = app::EditOptionsFor(w.doc(), s);
            if (!SameEditOptions(edit, b.edit)) w.SetEditOptions(edit);
            const view::LayoutOptions layout = app::LayoutOptionsFor(w.doc(), s);
            if (!SameLayoutOptions(layout, b.layout)) w.SetLayoutOptions(layout);
            for (int i = 0; i < w.paneCount(); ++i) w.paneEditor(i).Refresh();
        }
    }
    if (what & app::kReapplyBars) {
        toolBars_->Apply(s);
        fkeyBar_->setVisible(s.Flag(app::Key::DispFkey));
        statusBar()->setVisible(s.Flag(app::Key::StatBar));
    }
    if (what & app::kReapplyMenus) UpdateMenus();
    UpdateStatus();
    return true;
}

void MainFrame::ShowDocumentState(DocWindow& w) {
    const document::CElwDoc& doc = w.doc();
    for (DocWindow* o : WindowsOf(doc)) {
        const view::LayoutOptions l = o->layoutOptions();
        if (l.codePage != doc.CodePage() || (doc.tabWidth > 0 && l.tabWidth != doc.tabWidth))
            o->ApplyLayout();
        o->UpdateWindowTitle();
        for (int i = 0; i < o->paneCount(); ++i) o->paneEditor(i).Refresh();
    }
    UpdateChecks();
    UpdateMenus();
    UpdateStatus();
}

QPoint MainFrame::PopupPoint() const {
    return ActiveWindow() ? CaretGlobalPoint() : QCursor::pos();
}

void MainFrame::ActivateWindow(DocWindow& w) {
    if (std::find(windows_.begin(), windows_.end(), &w) == windows_.end()) return;
    QMdiSubWindow* sub = SubWindowOf(w);
    if (sub->isMinimized()) sub->showNormal();
    mdi_->setActiveSubWindow(sub);
    NoteActivated(sub);
    w.editor().setFocus();
}

void MainFrame::ShowKeyResults() {
    UpdateMenus();
    UpdateStatus();
}

}  // namespace norv::qt
