// The editor started exactly as `norv FILE...`, ending as soon as its main window has been
// painted for the first time (after that paint has been handed to the platform): the start-up
// time a user waits for.
#include <QApplication>
#include <memory>

#include "first_paint_watch.h"
#include "gui/frame/main_frame.h"
#include "gui/startup.h"

int main(int argc, char** argv) {
    norv::qt::StartupHooks hooks;
    std::unique_ptr<FirstPaintWatch> watch;
    hooks.commandLineDone = [&watch](norv::qt::EditorApp& app) {
        if (watch) return;
        watch = std::make_unique<FirstPaintWatch>(app.frame());
        qApp->installEventFilter(watch.get());
    };
    norv::qt::EditorApp app(hooks);
    const int status = app.Run(argc, argv);
    return status;
}
