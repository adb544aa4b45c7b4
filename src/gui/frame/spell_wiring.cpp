// Spell checking in the main frame.
#include "gui/frame/spell_wiring.h"

#include <QApplication>
#include <QScrollBar>
#include <cstdio>

#include "app/config/companion_files.h"
#include "app/config/settings.h"
#include "gui/dialogs/spelling_dialog.h"
#include "gui/editor/text_bridge.h"
#include "gui/frame/doc_window.h"
#include "gui/frame/main_frame.h"

namespace norv::qt {

SpellWiring::SpellWiring(MainFrame& frame, platform::UserInterface& ui) : frame_(frame), ui_(ui) {}

const std::string& SpellWiring::settingsFolder() {
    if (settingsFolder_.empty()) {
        settingsFolder_ = app::CompanionFiles::Locate(platform::RealFileSystem(),
                                                      app::CompanionEnvironment::FromProcess())
                              .Folder();
    }
    return settingsFolder_;
}

app::SpellingAnswer SpellWiring::Ask(DocWindow& w, app::SpellingRequest& request) {
    if (headless_ || (qApp && qApp->property("norvHeadless").toBool())) {
        const QString word = BytesToQString(request.codePage, request.word);
        std::fprintf(stderr, "Not in dictionary: %s\n", word.toUtf8().constData());
        return app::SpellingAnswer::kClosed;
    }
    EditWidget& e = w.editor();
    const editing::CElwView& v = w.view();
    // The row of the word: the caret stands at its end.
    const QRect cell = e.CellRect(v.caretScreenRow(), v.caretColumn() - v.leftColumn());
    const int wordColumns = static_cast<int>(request.end - request.start);
    QRect word(cell.topLeft() - QPoint(cell.width() * wordColumns, 0), cell.bottomRight());
    word = QRect(e.viewport()->mapToGlobal(word.topLeft()), word.size());
    return AskSpelling(&frame_, request, word);
}

bool SpellWiring::RunSpellCheck() {
    DocWindow* w = frame_.ActiveWindow();
    if (!w || busy_) return false;
    const app::Settings& settings = frame_.configuration().settings;
    std::unique_ptr<tools::SpellSession> session =
        app::OpenSpellSession(settings.Flag(app::Key::SpAm), settings.Flag(app::Key::SpBr),
                              settingsFolder(), platform::RealFileSystem(), dictionaries);
    if (!session) return false;
    busy_ = true;
    app::SpellCheckEnvironment env;
    env.ui = &ui_;
    env.dialog = [this, w](app::SpellingRequest& r) { return Ask(*w, r); };
    env.escapePressed = [this] { return escape_.Poll(); };
    env.showWord = [w](editing::CElwView&) {
        w->editor().Refresh();
        w->editor().viewport()->repaint();
    };
    app::RunSpellCheck(w->view(), &w->selection(), *session, env);
    w->editor().Refresh();
    busy_ = false;
    return true;
}

}  // namespace norv::qt
