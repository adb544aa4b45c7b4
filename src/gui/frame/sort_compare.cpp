// Sort, Convert and Compare in the main frame: their dialogs (cancelled in a headless run), the
// Sort settings read before its dialog and written after it, and the Compare command over the
// open documents with Escape and painting let through while it walks.
#include <QApplication>
#include <QVariant>

#include "app/compare_command.h"
#include "gui/dialogs/sort_convert_dialogs.h"
#include "gui/frame/doc_window.h"
#include "gui/frame/main_frame.h"

namespace norv::qt {

namespace {

bool Headless() {
    return qApp && qApp->property("norvHeadless").toBool();
}

}  // namespace

void MainFrame::SetUpSortAndCompare() {
    shared_.sortDialog = [this](editing::SortRequest& r) {
        return !Headless() && AskSort(this, r);
    };
    shared_.convertDialog = [this](editing::ConvertRequest& r) {
        return !Headless() && AskConvert(this, r);
    };
    shared_.loadSortSettings = [this](editing::SortRequest& r) {
        const app::Settings& s = config_->settings;
        r.ignoreCase = s.Flag(app::Key::SortIgnore);
        r.boxKey = s.Flag(app::Key::SortBoxKey);
        r.compareAfter = s.Flag(app::Key::SortAfter);
        r.afterString = s.Text(app::Key::SortString);
    };
    shared_.saveSortSettings = [this](const editing::SortRequest& r) {
        app::Settings& s = config_->settings;
        WriteSetting(app::Key::SortIgnore, r.ignoreCase ? 1 : 0);
        WriteSetting(app::Key::SortBoxKey, r.boxKey ? 1 : 0);
        WriteSetting(app::Key::SortAfter, r.compareAfter ? 1 : 0);
        if (s.Text(app::Key::SortString) == r.afterString) return;
        if (store_)
            s.Write(*store_, app::Key::SortString, r.afterString);
        else
            s.Set(app::Key::SortString, r.afterString);
    };
}

int MainFrame::CompareDocuments() {
    DocWindow* active = ActiveWindow();
    if (!active) return 0;
    std::vector<document::CElwDoc*> others;
    for (DocWindow* w : Windows())
        if (&w->doc() != &active->doc()) others.push_back(&w->doc());
    if (others.empty()) return 0;
    app::CompareEnvironment env;
    env.ui = ui_;
    env.settings = &config_->settings;
    env.store = store_;
    env.dialog = [this](app::CompareRequest& r) { return !Headless() && AskCompare(this, r); };
    // The find poll: only Escape and painting get through, so neither document changes or
    // closes under the walk.
    env.escapePressed = shared_.escapePressed;
    env.flush = [this](document::CElwDoc& d) { FlushEditBuffer(d); };
    env.repaint = [this](document::CElwDoc& d) {
        for (DocWindow* w : WindowsOf(d))
            if (w->viewMade()) {
                w->editor().Refresh();
                w->editor().viewport()->update();
            }
    };
    const int state = app::RunCompare(active->doc(), others, env);
    if (state) compareState_ = state;
    return state;
}

}  // namespace norv::qt
