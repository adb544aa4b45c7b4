// The editor program with a window onto its state, for the whole-program tests: it starts and
// runs exactly as `norv` does (it is built under that name in a folder of its own, so its
// companion files have the same names), and after every command line it handles (at start-up
// and from a handoff) it prints its documents to standard output:
//
//   DOC <tab> path <tab> title <tab> code <tab> line ends <tab> caret line <tab> caret column
//       <tab> modified <tab> read-only <tab> text (C escapes)
//   END
//
// With NORV_PROBE_CLOSE set it closes its main window after start-up and prints "CLOSED". With
// NORV_PROBE_TYPE set, after start-up it types that text at the caret of every document and of a
// new untitled one, and prints "AUTOSAVED" once an auto-save pass has written its table (the test
// then kills it). NORV_PROBE_AUTOSAVE runs that pass at once. With NORV_PROBE_DIALOG set, every
// modal dialog that opens is printed as "DIALOG <tab> title" and cancelled. NORV_PROBE_COMMAND
// names a command of the table that runs after start-up, after the typing (Break, say). With
// NORV_PROBE_TELL set it tells the other running copies that the settings changed, as OK of the
// preferences does, and prints "TOLD"; a copy that reloads prints "SETTINGS <tab> two-stroke
// delay <tab> the keys of Undo <tab> the items of user menu 1", then "RELOADED".
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/commands/command_table.h"
#include "app/commands/key_names.h"
#include "document/auto_save.h"
#include "document/text_code.h"
#include "editing/edit_view.h"
#include "gui/editor/edit_widget.h"
#include "gui/frame/doc_window.h"
#include "gui/frame/main_frame.h"
#include "gui/startup.h"

namespace {

using namespace norv;

std::string Escaped(const std::string& bytes) {
    std::string out;
    for (char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else if (c == '\\')
            out += "\\\\";
        else if (c < 0x20 || c >= 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

void Dump(qt::EditorApp& app) {
    for (qt::DocWindow* w : app.frame()->Windows()) {
        w->view().Sync();
        const document::CElwDoc& d = w->doc();
        std::string text;
        for (const document::LineRecord* r = d.lines().first(); r; r = r->next) {
            text.append(r->text(), r->contentLength());
            if (r->next) text += '\n';
        }
        std::printf("DOC\t%s\t%s\t%s\t%s\t%d\t%d\t%d\t%d\t%s\n", d.path.c_str(), d.title.c_str(),
                    document::TextCodeName(d.code), document::EolModeName(d.eolMode),
                    w->view().caretLineNumber(), w->view().caretColumn() + 1, d.modified ? 1 : 0,
                    d.readOnly ? 1 : 0, Escaped(text).c_str());
    }
    std::printf("END\n");
    std::fflush(stdout);
}

void TypeEverywhere(qt::EditorApp& app, const std::string& text) {
    app.frame()->NewFile();
    for (qt::DocWindow* w : app.frame()->Windows()) {
        w->view().InsertText(text);
        w->editor().Refresh();
    }
    auto* poll = new QTimer(&app);
    auto check = [&app, poll] {
        QDir folder(QString::fromStdString(app.companions().Folder()));
        // The side file is written after the table: with it, the pass is complete.
        if (folder.entryList({QStringLiteral("Norv????.RCI")}, QDir::Files).isEmpty()) return;
        poll->stop();
        std::printf("AUTOSAVED\n");
        std::fflush(stdout);
    };
    QObject::connect(poll, &QTimer::timeout, &app, check);
    poll->start(100);
    // NORV_PROBE_AUTOSAVE: one auto-save pass at once instead of waiting for the timer.
    if (std::getenv("NORV_PROBE_AUTOSAVE")) {
        std::vector<document::CElwDoc*> docs;
        for (qt::DocWindow* w : app.frame()->Windows()) docs.push_back(&w->doc());
        app.autoSaver()->AutoSaveAll(docs);
        check();
    }
}

// Prints and cancels every modal dialog that opens.
void WatchDialogs(qt::EditorApp& app) {
    auto* timer = new QTimer(&app);
    QObject::connect(timer, &QTimer::timeout, [] {
        auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!d) return;
        std::printf("DIALOG\t%s\n", d->windowTitle().toUtf8().constData());
        std::fflush(stdout);
        d->reject();
    });
    timer->start(20);
}

}  // namespace

int main(int argc, char** argv) {
    qt::StartupHooks hooks;
    bool typed = false;
    hooks.commandLineDone = [&typed](qt::EditorApp& app) {
        const char* type = std::getenv("NORV_PROBE_TYPE");
        const bool first = !typed;
        typed = true;
        if (type && *type && first) TypeEverywhere(app, type);
        if (first && std::getenv("NORV_PROBE_DIALOG")) WatchDialogs(app);
        Dump(app);
        if (const char* command = std::getenv("NORV_PROBE_COMMAND"); first && command) {
            const int index = app::CommandIndexByName(command);
            if (index >= 0) app.frame()->RunCommand(static_cast<size_t>(index));
            std::printf("RAN\t%s\n", command);
            std::fflush(stdout);
        }
        if (first && std::getenv("NORV_PROBE_TELL") && app.frame()->settingsChanged) {
            app.frame()->settingsChanged();
            std::printf("TOLD\n");
            std::fflush(stdout);
        }
        // NORV_PROBE_CLOSE: the main window is closed as the user closes it, after start-up.
        if (first && std::getenv("NORV_PROBE_CLOSE"))
            QTimer::singleShot(0, app.frame(), [&app] {
                app.frame()->close();
                std::printf("CLOSED\n");
                std::fflush(stdout);
            });
    };
    hooks.settingsReloaded = [](qt::EditorApp& app) {
        qt::MainFrame& f = *app.frame();
        const size_t undo = static_cast<size_t>(app::CommandIndexByName("Undo"));
        std::printf("SETTINGS\t%d\t%s %s\t%zu\nRELOADED\n", f.dispatcher().options.twoDelay,
                    app::KeyNameOf(f.keyTable().key(undo, 0)).c_str(),
                    app::KeyNameOf(f.keyTable().key(undo, 1)).c_str(),
                    f.configuration().data.menus[0].size());
        std::fflush(stdout);
    };
    qt::EditorApp app(hooks);
    return app.Run(argc, argv);
}
