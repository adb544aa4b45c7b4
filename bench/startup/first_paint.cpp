// The editor started exactly as `norv FILE...`, ending as soon as its main window has been
// painted for the first time (after that paint has been handed to the platform): the start-up
// time a user waits for.
#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstdlib>

#include "platform/qt/main_frame.h"
#include "platform/qt/startup.h"

namespace {

class FirstPaint : public QObject {
public:
    explicit FirstPaint(QWidget* window) : window_(window) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!done_ && event->type() == QEvent::Paint && watched->isWidgetType() &&
            static_cast<QWidget*>(watched)->window() == window_) {
            done_ = true;
            // The window is on the screen: start-up is over. Ending here leaves the time of
            // tearing everything down out of the figure, as it is no part of starting.
            QTimer::singleShot(0, qApp, [] {
                std::fflush(nullptr);
                std::_Exit(0);
            });
        }
        return false;
    }

private:
    QWidget* window_;
    bool done_ = false;
};

}  // namespace

int main(int argc, char** argv) {
    norv::qt::StartupHooks hooks;
    std::unique_ptr<FirstPaint> watch;
    hooks.commandLineDone = [&watch](norv::qt::EditorApp& app) {
        if (watch) return;
        watch = std::make_unique<FirstPaint>(app.frame());
        qApp->installEventFilter(watch.get());
    };
    norv::qt::EditorApp app(hooks);
    const int status = app.Run(argc, argv);
    return status;
}
