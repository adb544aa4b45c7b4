// Find and replace in the main frame.
#include "gui/frame/find_wiring.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QSignalBlocker>
#include <QTimer>
#include <algorithm>

#include "gui/dialogs/find_dialogs.h"
#include "gui/frame/doc_window.h"
#include "gui/frame/main_frame.h"

namespace norv::qt {

// ---- Escape ---------------------------------------------------------------------------------

bool EscapePoller::Poll() {
    if (last_.isValid() && last_.elapsed() < kMinIntervalMs) return false;
    last_.start();
    qApp->installEventFilter(this);
    QApplication::processEvents(QEventLoop::ExcludeSocketNotifiers);
    qApp->removeEventFilter(this);
    const bool pressed = pressed_;
    pressed_ = false;
    return pressed;
}

bool EscapePoller::eventFilter(QObject*, QEvent* event) {
    switch (event->type()) {
        case QEvent::KeyPress:
            if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) pressed_ = true;
            return true;
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::InputMethod:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::Wheel:
        case QEvent::Close:
        case QEvent::Drop:
        // Timers fire again later; what they run (auto-save, scripts) waits for the search.
        case QEvent::Timer:
            return true;
        default:
            return false;
    }
}

// ---- the wiring -----------------------------------------------------------------------------

FindWiring::FindWiring(MainFrame& frame, editing::EditorShared& shared, platform::UserInterface& ui,
                       int systemCodePage)
    : frame_(frame), shared_(shared), systemCodePage_(systemCodePage) {
    selection_ = std::make_unique<search::SelectionLink>(
        [this](editing::CElwView& v) -> editing::Selection* {
            DocWindow* w = WindowOf(v);
            return w ? &w->selection() : nullptr;
        });
    env_.ui = &ui;
    env_.selection = selection_.get();
    env_.windows = this;
    env_.systemCodePage = systemCodePage;
    // Strings typed in the dialogs and kept in the histories are of the system code page.
    env_.stringCodePage = systemCodePage;
    env_.escapePressed = [this] { return escape_.Poll(); };
    env_.findDialog = [this](search::FindDialogRequest& r) {
        return RunFindDialog(&frame_, r, systemCodePage_, documentCodePage_);
    };
    env_.replaceDialog = [this](search::ReplaceDialogRequest& r) {
        return RunReplaceDialog(&frame_, r, systemCodePage_, documentCodePage_);
    };
    env_.askReplace = [this](const search::ReplaceQuestion&) {
        // The match is selected: show it before asking.
        for (DocWindow* w : frame_.Windows()) w->RefreshView();
        ReplaceAssureDialog d(&frame_);
        return d.Ask();
    };
    env_.repaint = [this](editing::CElwView& v) {
        if (DocWindow* w = WindowOf(v)) {
            w->editor().Refresh();
            w->editor().viewport()->repaint();
        }
    };
    env_.saveOptions = [this](std::string_view key, std::string_view letters) {
        SaveOption(key, letters);
    };
    shared_.findString = &commands_;
    shared_.extension = this;
    shared_.escapePressed = [this] { return escape_.Poll(); };
    shared_.tagSearch = [this](editing::CElwView& v, editing::TextPlace from, std::string_view text,
                               bool forward) {
        return commands_.SearchTag(v, from, text, forward);
    };
    activation_.setSingleShot(true);
    activation_.setInterval(0);
    QObject::connect(&activation_, &QTimer::timeout, &frame_, [this] {
        QMdiSubWindow* sub = activatedLater_;
        activatedLater_ = nullptr;
        if (!sub) return;
        if (QMdiArea* area = sub->mdiArea())
            if (area->activeSubWindow() == sub) emit area->subWindowActivated(sub);
    });
}

FindWiring::~FindWiring() {
    if (shared_.findString == &commands_) shared_.findString = nullptr;
    if (shared_.extension == this) shared_.extension = nullptr;
    shared_.escapePressed = nullptr;
    shared_.tagSearch = nullptr;
}

void FindWiring::Configure(app::Settings& settings, app::SettingsStore* store,
                           platform::FileSystem& fs, std::string historyPath,
                           app::HistoryFile* history) {
    settings_ = &settings;
    store_ = store;
    UseSettings(settings);
    commands_.find.SetOptions(settings.Text(app::Key::FindOption));
    commands_.replace.SetOptions(settings.Text(app::Key::ReplOption));
    session_.KeepIn(fs, std::move(historyPath), history);
    session_.LoadHistories();
}

void FindWiring::UseSettings(const app::Settings& settings) {
    env_.jumpCenter = settings.Flag(app::Key::JumpCenter);
    env_.selectFind = settings.Flag(app::Key::SelectFind);
}

void FindWiring::UseHeadlessDialogs() {
    env_.findDialog = [](search::FindDialogRequest&) { return false; };
    env_.replaceDialog = [](search::ReplaceDialogRequest&) { return false; };
    env_.askReplace = [](const search::ReplaceQuestion&) { return search::ReplaceAnswer::kYes; };
}

void FindWiring::SaveOption(std::string_view key, std::string_view letters) {
    if (!settings_) return;
    const app::Key k = key == search::kFindOptionKey ? app::Key::FindOption : app::Key::ReplOption;
    if (store_) {
        settings_->Write(*store_, k, letters);
    } else {
        settings_->Set(k, letters);
    }
}

DocWindow* FindWiring::WindowOf(const editing::CElwView& view) const {
    for (DocWindow* w : frame_.Windows())
        if (&w->view() == &view) return w;
    return nullptr;
}

std::vector<editing::CElwView*> FindWiring::Views() {
    std::vector<editing::CElwView*> out;
    for (DocWindow* w : frame_.Windows()) out.push_back(&w->view());
    return out;
}

void FindWiring::Activate(editing::CElwView& view) {
    DocWindow* w = WindowOf(view);
    if (!w) return;
    QMdiSubWindow* sub = frame_.SubWindowOf(*w);
    {
        if (sub->isMinimized()) sub->showNormal();
        if (QMdiArea* area = sub->mdiArea()) {
            // The frame's own answer to an activation (the changed-on-disk question may load
            // the document again and replace its view) waits until the search has ended.
            const QSignalBlocker blocker(area);
            area->setActiveSubWindow(sub);
        }
    }
    w->editor().setFocus();
    activated_ = w;
}

bool FindWiring::RunCommand(editing::CElwView& view, editing::CommandId id) {
    if (busy_) {
        // A search is running (its dialog or a poll let this through): one at a time.
        env_.ui->Beep();
        return true;
    }
    busy_ = true;
    documentCodePage_ = view.doc().CodePage();
    activated_ = nullptr;
    session_.RunCommand(view, id);
    busy_ = false;
    for (DocWindow* w : frame_.Windows()) w->RefreshView();
    if (activated_) {
        // The frame answers the activation (tab strip, status bar, changed file) once this
        // command has returned: a document loaded again gets a new view and selection, which
        // the callers of this command still refer to.
        // A timer, not a queued call: a later search's Escape poll holds timers back, while a
        // queued call would run inside it.
        activatedLater_ = qobject_cast<QMdiSubWindow*>(activated_->parentWidget());
        activated_ = nullptr;
        activation_.start();
    }
    return true;
}

}  // namespace norv::qt
