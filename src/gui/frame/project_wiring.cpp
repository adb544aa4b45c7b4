// The project commands, the recent files and the frame as the project session's host.
#include "gui/frame/project_wiring.h"

#include <QAction>
#include <QGuiApplication>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <algorithm>

#include "app/commands/frame_command_ids.h"
#include "app/config/view_settings.h"
#include "editing/command_ids.h"
#include "gui/dialogs/file_dialogs.h"
#include "gui/dialogs/recent_files_dialog.h"
#include "gui/editor/text_bridge.h"
#include "gui/frame/doc_window.h"
#include "gui/frame/main_frame.h"
#include "platform/code_page.h"
#include "platform/file_system.h"
#include "platform/paths.h"

namespace norv::qt {
namespace {

using app::Key;

constexpr const char* kUntitledTitle = "Untitled";

app::WindowPlacement PlacementOf(const QRect& r, bool maximized, bool minimized) {
    app::WindowPlacement p;
    p.showCmd = maximized ? 3 : (minimized ? 2 : 1);
    p.left = r.left();
    p.top = r.top();
    p.right = r.right() + 1;
    p.bottom = r.bottom() + 1;
    return p;
}

QRect RectOf(const app::WindowPlacement& p) {
    return QRect(p.left, p.top, p.right - p.left, p.bottom - p.top);
}

// How a record's window is shown: normal only with a rectangle, maximized unless minimized.
bool ShownNormal(int showCmd, const QRect& normal) {
    return showCmd == 1 && !normal.isEmpty();
}

// The menu entry of a recent file: "&1 path"; "&" in the path shows as itself.
QString EntryText(size_t n, const std::string& path) {
    QString shown = FromUtf8(path);
    shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
    const QString number = n < 10 ? QStringLiteral("&%1").arg(n) : QString::number(n);
    return number + QLatin1Char(' ') + shown;
}

}  // namespace

ProjectWiring::ProjectWiring(MainFrame& frame, app::Settings& settings, app::SettingsStore* store,
                             const std::string& settingsFolder, const std::string& workspace,
                             const std::string& history, bool headless)
    : QObject(&frame),
      frame_(frame),
      settings_(settings),
      store_(store),
      headless_(headless),
      recent_(platform::RealFileSystem(), history, settingsFolder) {
    projects_ = std::make_unique<app::ProjectSession>(*this, frame.session(), frame.ui(),
                                                      platform::RealFileSystem(), settings, store,
                                                      settingsFolder, workspace);
    using F = app::FrameCommandId;
    frame.HandleFrameCommand(F::LoadProject, [this] { projects_->LoadProject(); });
    frame.HandleFrameCommand(F::SaveProjectAs, [this] { projects_->SaveProjectAs(); });
    frame.HandleFrameCommand(F::CloseProject, [this] { projects_->CloseProject(); });
    frame.HandleFrameCommand(F::Break, [this] { projects_->Break(); });
    frame.HandleFrameCommand(F::OpenMRU, [this] { ShowRecentFiles(); });

    frame.fileOpened = [this](DocWindow& w) { NoteOpened(w); };
    frame.documentSaved = [this](document::CElwDoc& doc) {
        // Saved under a new name: the new name is a recent file.
        std::string& seen = known_[&doc];
        if (!doc.path.empty() && doc.path != seen) NoteRecent(doc.path);
        seen = doc.path;
    };
    frame.documentClosing = [this](DocWindow& w) {
        document::CElwDoc& doc = w.doc();
        if (!doc.path.empty()) {
            const int line = w.caretLine();
            const int column = static_cast<int>(w.caretPos()) + 1;
            recent_.NoteCaret(doc.path, line, column);
        }
        known_.erase(&doc);
    };
    frame.fileDialogs().folderHistory = [this] { return recent_.Folders(); };

    fileMenu_ = frame.menuBar()->findChild<QMenu*>(QStringLiteral("menu:File"));
    if (fileMenu_) connect(fileMenu_, &QMenu::aboutToShow, this, [this] { FillRecentMenu(); });
    FillRecentMenu();
}

// A child of the frame: it goes while the frame is taken down, its hooks with it.
ProjectWiring::~ProjectWiring() = default;

void ProjectWiring::NoteRecent(const std::string& path) {
    recent_.Note(path, platform::FileTimeNow());
}

void ProjectWiring::NoteOpened(DocWindow& w) {
    document::CElwDoc& doc = w.doc();
    if (openingCopy_) return;
    known_[&doc] = doc.path;
    if (doc.path.empty()) return;
    // The caret it had when it was last closed.
    if (settings_.Flag(Key::SavePlace))
        if (const auto caret = recent_.CaretOf(doc.path))
            w.PlaceCaret(caret->first, size_t(caret->second - 1), false);
    NoteRecent(doc.path);
}

void ProjectWiring::FillRecentMenu() {
    if (!fileMenu_) return;
    for (QAction* a : recentActions_) {
        fileMenu_->removeAction(a);
        a->deleteLater();
    }
    recentActions_.clear();
    QAction* exit = nullptr;
    for (QAction* a : fileMenu_->actions())
        if (a->objectName() == QStringLiteral("AppExit")) exit = a;
    const int count = std::clamp(settings_.Int(Key::MRUFiles), 0, app::kRecentFileCount);
    const std::vector<app::RecentFile> files = recent_.List();
    const size_t shown = std::min(files.size(), size_t(count));
    for (size_t i = 0; i < shown; ++i) {
        auto* a = new QAction(EntryText(i + 1, files[i].path), fileMenu_);
        a->setObjectName(QString::fromLatin1(kRecentEntryName));
        a->setData(FromUtf8(files[i].path));
        connect(a, &QAction::triggered, this, [this, path = files[i].path] { OpenRecent({path}); });
        fileMenu_->insertAction(exit, a);
        recentActions_.push_back(a);
    }
    if (shown > 0) {
        QAction* separator = new QAction(fileMenu_);
        separator->setSeparator(true);
        fileMenu_->insertAction(exit, separator);
        recentActions_.push_back(separator);
    }
}

void ProjectWiring::OpenRecent(const std::vector<std::string>& paths) {
    for (const std::string& path : paths) frame_.OpenFile(path);
}

bool ProjectWiring::ShowRecentFiles() {
    const std::optional<std::array<int, 4>> widths =
        app::ParseRecentWidths(settings_.Text(Key::MRUHead));
    RecentFilesDialog dialog(&frame_, recent_.List(), platform::SystemCodePage(), widths,
                             settings_.Int(Key::MRUSort));
    const bool accepted = !headless_ && dialog.exec() == QDialog::Accepted;
    auto write = [this](Key key, auto value) {
        if (store_)
            settings_.Write(*store_, key, value);
        else
            settings_.Set(key, value);
    };
    write(Key::MRUHead, std::string_view(app::FormatRecentWidths(dialog.ColumnWidths())));
    write(Key::MRUSort, dialog.sortColumn());
    if (!accepted) return false;
    OpenRecent(dialog.Chosen());
    return true;
}

std::vector<document::CElwDoc*> ProjectWiring::Documents() {
    return frame_.Documents();
}

DocWindow* ProjectWiring::WindowOf(document::CElwDoc& doc) {
    const std::vector<DocWindow*> windows = frame_.WindowsOf(doc);
    return windows.empty() ? nullptr : windows.front();
}

app::DocumentViewState ProjectWiring::ViewStateOf(document::CElwDoc& doc) {
    app::DocumentViewState s = ProfileStateOf(doc);
    DocWindow* w = WindowOf(doc);
    if (!w) return s;
    if (QMdiSubWindow* sub = MainFrame::SubWindowIfShown(*w)) {
        // A maximized or minimized window keeps the rectangle it comes back to.
        const bool aside = sub->isMaximized() || sub->isMinimized();
        const QRect rect = aside && !w->normalRect().isEmpty() ? w->normalRect() : sub->geometry();
        s.frame = PlacementOf(rect, sub->isMaximized(), sub->isMinimized());
    } else {
        // Not shown yet: as it was restored.
        const int cmd = w->firstShowCmd();
        const QRect& rect = w->normalRect();
        s.frame = PlacementOf(rect, cmd != 2 && !ShownNormal(cmd, rect), cmd == 2);
    }
    s.caretLine = w->caretLine();
    const view::LayoutOptions layout = w->layoutOptions();
    s.tabWidth = layout.tabWidth;
    s.wrapColumn = layout.wrapColumn;
    const editing::EditOptions o = w->editOptions();
    s.autoIndent = o.autoIndent;
    s.dspcIndent = o.dbcsSpaceIndent;
    s.softTab = o.softTab;
    return s;
}

app::DocumentViewState ProjectWiring::ProfileStateOf(document::CElwDoc& doc) {
    app::DocumentViewState s;
    const view::LayoutOptions layout = app::LayoutOptionsFor(doc, settings_);
    const editing::EditOptions edit = app::EditOptionsFor(doc, settings_);
    s.tabWidth = layout.tabWidth;
    s.wrapColumn = layout.wrapColumn;
    s.autoIndent = edit.autoIndent;
    s.dspcIndent = edit.dbcsSpaceIndent;
    s.softTab = edit.softTab;
    return s;
}

document::CElwDoc* ProjectWiring::ActiveDocument() {
    DocWindow* w = frame_.ActiveWindow();
    return w ? &w->doc() : nullptr;
}

app::WindowPlacement ProjectWiring::MainPlacement() {
    return PlacementOf(frame_.normalGeometry(), frame_.isMaximized(), frame_.isMinimized());
}

void ProjectWiring::RestoreMainPlacement(const app::WindowPlacement& p) {
    if (headless_ || p.Empty()) return;
    const QRect rect = RectOf(p);
    // A placement that lies off every screen now (another monitor was unplugged) is ignored.
    const bool onScreen =
        std::any_of(QGuiApplication::screens().begin(), QGuiApplication::screens().end(),
                    [&](const QScreen* s) { return s->availableGeometry().intersects(rect); });
    if (!onScreen) return;
    if (p.showCmd == 3) {
        frame_.showNormal();
        frame_.setGeometry(rect);
        frame_.showMaximized();
    } else {
        frame_.setGeometry(rect);
    }
}

document::CElwDoc* ProjectWiring::OpenDocument(const std::string& path, document::CodeChoice choice,
                                               bool copy) {
    openingCopy_ = copy;
    // Each window is shown when it is first reached.
    DocWindow* w = frame_.OpenFile(path, choice, false, true);
    openingCopy_ = false;
    return w ? &w->doc() : nullptr;
}

void ProjectWiring::Renamed(document::CElwDoc& doc) {
    if (doc.path.empty()) doc.title = kUntitledTitle;
    frame_.ChooseFileType(doc);
    doc.UpdateTitle();
    for (DocWindow* w : frame_.WindowsOf(doc)) {
        frame_.ApplyViewSettings(*w);
        w->ApplySyntax(true);
        w->UpdateWindowTitle();
    }
    known_[&doc] = doc.path;
    if (!doc.path.empty()) NoteRecent(doc.path);
}

void ProjectWiring::RestoreViewState(document::CElwDoc& doc, const app::DocumentViewState& s) {
    DocWindow* w = WindowOf(doc);
    if (!w) return;
    doc.tabWidth = s.tabWidth;
    view::LayoutOptions layout = app::LayoutOptionsFor(doc, settings_);
    layout.wrapColumn = s.wrapColumn;
    layout.tabWidth = s.tabWidth;
    editing::EditOptions edit = w->editOptions();
    edit.autoIndent = s.autoIndent;
    edit.dbcsSpaceIndent = s.dspcIndent;
    edit.softTab = s.softTab;
    w->SetEditOptions(edit);
    MainFrame::SetViewLayout(*w, layout);
    const QRect normal = RectOf(s.frame);
    if (QMdiSubWindow* sub = MainFrame::SubWindowIfShown(*w)) {
        if (ShownNormal(s.frame.showCmd, normal)) {
            sub->showNormal();
            sub->setGeometry(normal);
        } else if (s.frame.showCmd == 2) {
            sub->showMinimized();
        }
    } else {
        w->SetFirstShowState(s.frame.showCmd, normal);
    }
    w->PlaceCaret(s.caretLine, 0, true);
}

void ProjectWiring::ActivateDocument(document::CElwDoc& doc) {
    // In a run of openings the window becomes the active one, with the focus, as the run ends.
    frame_.Activate(doc);
    if (batchDepth_ == 0)
        if (DocWindow* w = WindowOf(doc)) w->editor().setFocus();
}

std::string ProjectWiring::AskProjectFile(bool forSaving) {
    std::string path = projects_->currentProject();
    if (!frame_.fileDialogs().AskProject(path, forSaving, platform::CurrentFolder())) return {};
    if (forSaving && platform::ExtensionOf(platform::FileNameOf(path)).empty()) path += ".prf";
    return path;
}

void ProjectWiring::EndProgram() {
    // Every document is in the snapshot: the windows close without a question, their carets
    // going to the history file in one write.
    BatchBegins();
    for (document::CElwDoc* doc : frame_.Documents()) frame_.CloseWindows(*doc);
    BatchEnds();
    if (endProgram)
        endProgram();
    else
        frame_.CloseFrame();
}

void ProjectWiring::ProjectChanged() {
    const std::string& project = projects_->currentProject();
    frame_.setWindowFilePath(FromUtf8(project));
}

void ProjectWiring::BatchBegins() {
    if (batchDepth_++ == 0) batch_.emplace(recent_);
    frame_.HoldMenuUpdates();
    frame_.HoldActivation();
}

void ProjectWiring::BatchEnds() {
    if (batchDepth_ == 0) return;
    frame_.ReleaseActivation();
    frame_.ReleaseMenuUpdates();
    if (--batchDepth_ > 0) return;
    // The recent files are not written when the history file cannot be: as for one opening.
    batch_->End();
    batch_.reset();
}

}  // namespace norv::qt
