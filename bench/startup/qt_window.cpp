// The floor of any Qt 6 Widgets editor: an application object, a main window with a plain text
// editor showing the file, ended at its first paint as the editor's figure is. Run beside the
// editor, it shows how much of the start-up time is the toolkit's own.
#include <QApplication>
#include <QFile>
#include <QMainWindow>
#include <QPlainTextEdit>

#include "first_paint_watch.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow window;
    auto* text = new QPlainTextEdit(&window);
    if (argc > 1) {
        QFile f(QString::fromLocal8Bit(argv[1]));
        if (f.open(QIODevice::ReadOnly)) text->setPlainText(QString::fromUtf8(f.readAll()));
    }
    window.setCentralWidget(text);
    FirstPaintWatch watch(&window);
    app.installEventFilter(&watch);
    window.show();
    return QApplication::exec();
}
